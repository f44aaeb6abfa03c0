#pragma once
// Floating-point numbers as text the way the standard library writes them: FloatToStrF's five
// formats and FormatFloat's patterns, with the separators of the format settings. Digits are
// rounded half away from zero on the number's 18-digit decimal form.

#include <string>
#include <string_view>

namespace vorlan::stdlib {

enum class FloatFormat { General = 0, Exponent = 1, Fixed = 2, Number = 3, Currency = 4 };

struct Separators {
    char decimal = ',';
    char thousand = ' ';
};

// The decimal form of a number: value = 0.d1d2d3... × 10^exponent, without trailing zeros;
// zero has no digits.
struct DecimalDigits {
    bool negative = false;
    std::string digits;
    int exponent = 0;
    bool special = false; // NaN or an infinity: `digits` holds its text
};

// At most `precision` significant digits (1..18) and at most `decimals` digits after the decimal
// point, rounded half away from zero.
DecimalDigits decimalDigits(double value, int precision, int decimals = 9999);

// FloatToStrF: the currency forms come from the format settings.
std::string floatToText(double value, FloatFormat format, int precision, int digits);
std::string floatToText(double value, FloatFormat format, int precision, int digits,
                        const Separators& separators);
// FloatToStr: general format, 15 digits.
std::string floatToStr(double value);
// FormatFloat: "#,##0.00;(#,##0.00);nula", "0.000E+00", quoted literals.
std::string formatFloat(std::string_view pattern, double value);

} // namespace vorlan::stdlib
