#include "core/currency_text.h"

#include <gtest/gtest.h>

namespace {

using vorlan::placeCurrency;

// The sixteen negative conventions, checked against the regional-settings table they come
// from; a shift by one case (the easiest slip in such a table) fails several rows at once.
TEST(CurrencyText, EveryNegativeConventionPlacesSignAndSymbol) {
    const char* expected[16] = {"(Kč5)", "-Kč5",  "Kč-5",   "Kč5-",  "(5Kč)", "-5Kč",
                                "5-Kč",  "5Kč-",  "-5 Kč",  "-Kč 5", "5 Kč-", "Kč 5-",
                                "Kč -5", "5- Kč", "(Kč 5)", "(5 Kč)"};
    for (int format = 0; format < 16; ++format)
        EXPECT_EQ(placeCurrency("5", true, "Kč", 3, format), expected[format]) << format;
    // Settings from a damaged file fall back to the Czech default instead of dropping the sign.
    EXPECT_EQ(placeCurrency("5", true, "Kč", 3, 99), "-5 Kč");
    EXPECT_EQ(placeCurrency("5", true, "Kč", 3, -1), "-5 Kč");
}

TEST(CurrencyText, PositiveConventions) {
    EXPECT_EQ(placeCurrency("1 234,50", false, "Kč", 0, 8), "Kč1 234,50");
    EXPECT_EQ(placeCurrency("1 234,50", false, "Kč", 1, 8), "1 234,50Kč");
    EXPECT_EQ(placeCurrency("1 234,50", false, "Kč", 2, 8), "Kč 1 234,50");
    EXPECT_EQ(placeCurrency("1 234,50", false, "Kč", 3, 8), "1 234,50 Kč");
}

} // namespace
