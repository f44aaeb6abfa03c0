#pragma once
// Where the currency symbol and the minus sign go around an amount, by the two numbered
// conventions of the Windows regional settings (positive 0..3, negative 0..15). Both the
// standard library's Format/FloatToStrF and the report generator's number formats follow them.

#include <string>
#include <string_view>

namespace vorlan {

// A negative format outside 0..15 is taken as 8 ("-1 234,50 Kč"), the Czech default.
std::string placeCurrency(std::string_view amount, bool negative, std::string_view symbol,
                          int positiveFormat, int negativeFormat);

} // namespace vorlan
