#pragma once
// Numeric and string functions of scripts, and the conversions between numbers and text.
// Their edges are part of what scripts rely on: guards that answer 0 instead of failing,
// 1-based positions, round-half-to-even, the precision of the 6-byte real, and the
// floating-point errors (invalid operation, division by zero, overflow) that stop a script.

#include <cstdint>
#include <string>
#include <string_view>

namespace vorlan::script {
class Registry;
}

namespace vorlan::library {

// Rounds to the nearest 32-bit integer, halves to the even neighbour; a value outside the
// Integer range (or not a number) raises the invalid-operation error.
std::int32_t roundToInteger(double x, std::string_view function);
// x rounded to `places` decimals through a 32-bit power of ten (negative places round to whole
// numbers).
double realRound(double x, std::int32_t places);

// Decimal text of a number through the 6-byte real: ten decimals with the trailing zeros cut,
// "." whatever the locale ("0.1", "100", "-0.25").
std::string realText(double x);
// Fixed-point text with exactly `decimals` digits after ".", right-aligned to `width`.
std::string fixedText(double x, std::int32_t width, std::int32_t decimals);
// The number at the front of a text (sign, digits, ".", fraction, exponent); what follows the
// first character that does not belong to it is ignored; no number at all gives 0. The value
// passes through the 6-byte real.
double leadingNumber(std::string_view text);
// As leadingNumber, but the first "," counts as the decimal point.
double leadingNumberWithComma(std::string_view text);

// Starts the process-wide random generator again from its fixed seed, as at start-up.
void resetRandom();
// Starts it from another seed (Randomize: from the clock), so runs differ.
void reseedRandom(std::uint64_t seed);

// Abs ... Trunc, Inc/Dec, the string functions (Delete, chr, Insert, Length, Ord, Pos,
// SetLength, Str, Val) and the number-text functions (Replicate, Space, StrToReal, RealToStr).
void registerMathStrings(script::Registry& registry);

} // namespace vorlan::library
