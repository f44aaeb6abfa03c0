#pragma once
// The text Write and Writeln print for their arguments: the console's text of a value, a
// number with a fixed count of decimals (X:W:D) and the padding to a width (X:W).

#include "script/value.h"

#include <string>

namespace vorlan::script::pascal {

// Widths and decimals beyond these are taken as these: a program cannot make a line of
// gigabytes by a mistyped width.
constexpr std::int32_t kMaxWriteWidth = 4096;
constexpr std::int32_t kMaxWriteDecimals = 30;

// Booleans as True and False, everything else as the variant's text.
std::string writeText(const Value& value);
// The number with `decimals` digits after a '.' (never the locale's separator, as in Pascal).
std::string fixedText(const Value& number, std::int32_t decimals);
// The text right-aligned in `width` characters; longer text is not cut.
std::string paddedText(std::string text, std::int32_t width);

} // namespace vorlan::script::pascal
