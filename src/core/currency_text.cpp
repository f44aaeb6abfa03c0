#include "core/currency_text.h"

namespace vorlan {

std::string placeCurrency(std::string_view amountText, bool negative, std::string_view symbol,
                          int positiveFormat, int negativeFormat) {
    const std::string a(amountText);
    const std::string c(symbol);
    if (!negative) {
        switch (positiveFormat) {
        case 0:
            return c + a;
        case 1:
            return a + c;
        case 2:
            return c + " " + a;
        default:
            return a + " " + c;
        }
    }
    switch (negativeFormat) {
    case 0:
        return "(" + c + a + ")";
    case 1:
        return "-" + c + a;
    case 2:
        return c + "-" + a;
    case 3:
        return c + a + "-";
    case 4:
        return "(" + a + c + ")";
    case 5:
        return "-" + a + c;
    case 6:
        return a + "-" + c;
    case 7:
        return a + c + "-";
    case 9:
        return "-" + c + " " + a;
    case 10:
        return a + " " + c + "-";
    case 11:
        return c + " " + a + "-";
    case 12:
        return c + " -" + a;
    case 13:
        return a + "- " + c;
    case 14:
        return "(" + c + " " + a + ")";
    case 15:
        return "(" + a + " " + c + ")";
    default:
        return "-" + a + " " + c;
    }
}

} // namespace vorlan
