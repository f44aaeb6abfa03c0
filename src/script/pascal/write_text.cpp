#include "script/pascal/write_text.h"

#include <algorithm>
#include <cstdio>

namespace vorlan::script::pascal {

std::string writeText(const Value& value) {
    if (value.isBoolean()) return value.asBool() ? "True" : "False";
    return value.toString();
}

std::string fixedText(const Value& number, std::int32_t decimals) {
    const double d = number.toDouble();
    const int digits = std::clamp(decimals, 0, kMaxWriteDecimals);
    // 309 digits before the point at most, the point and the decimals.
    char buffer[400];
    const int n = std::snprintf(buffer, sizeof buffer, "%.*f", digits, d);
    if (n < 0) return {};
    return std::string(buffer, static_cast<std::size_t>(std::min<int>(n, sizeof buffer - 1)));
}

std::string paddedText(std::string text, std::int32_t width) {
    const auto w = static_cast<std::size_t>(std::clamp(width, 0, kMaxWriteWidth));
    if (text.size() < w) text.insert(0, w - text.size(), ' ');
    return text;
}

} // namespace vorlan::script::pascal
