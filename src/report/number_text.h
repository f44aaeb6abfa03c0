#pragma once
// Numbers of a report as text: the general conversion every numeric value carries, the five
// output formats of user functions, format masks, and text read back as a number.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vorlan::report {

// How numbers look on a printed report. The defaults are the Czech conventions the reports were
// made for (decimal comma, blank between thousands, amounts in Kč); the application may change
// them once at start-up.
struct NumberFormat {
    char decimalSeparator = ',';
    char thousandSeparator = ' ';
    std::string currency;           // Windows-1250; "Kč" unless set
    int currencyFormat = 3;         // 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $"
    int negativeCurrencyFormat = 8; // 0 "($1)" … 8 "-1 $" … 15 "(1 $)"
};

NumberFormat& numberFormat();

// The output formats of a user function, in their stored numbering.
enum class FloatFormat : std::int32_t {
    General = 0,
    Exponent = 1,
    Fixed = 2,
    Number = 3,
    Currency = 4
};

// The general conversion: up to 15 significant digits, trailing zeros dropped, the exponent
// form ("1E20", "1,5E-7") for magnitudes of 1E15 and more or below 0.00001.
std::string generalText(double value);

// `precision` significant digits; `digits` is the number of decimals (Fixed, Number, Currency)
// or the least number of exponent digits (Exponent, 0 to 4). A value with more integer digits
// than the precision falls back to the general form.
std::string floatText(double value, FloatFormat format, int precision, int digits);

// A format mask: up to three sections (positive;negative;zero), digit placeholders 0 and #,
// "." for the decimal point, "," for thousands, E+0/E-0 for an exponent, quoted literals.
std::string formatMask(double value, std::string_view mask);

// Text read as a number: blanks around it, an optional sign, digits with the decimal point
// ("." or the configured separator) and an optional exponent. nullopt when it is not a number.
std::optional<double> parseNumber(std::string_view text);
// The same with 0 for anything that is not a number.
double textToNumber(std::string_view text);

} // namespace vorlan::report
