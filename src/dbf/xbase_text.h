#pragma once
// Text forms of xBase values: dates as julian day numbers and as text, numbers as fixed-width
// text.

#include <cstdint>
#include <string>
#include <string_view>

namespace vorlan::dbf {

// Dates are julian day numbers (core/civil_date.h); 0 is the empty date.
std::int32_t julianFromYmd(int year, int month, int day);
void ymdFromJulian(std::int32_t jd, int& year, int& month, int& day);
bool validYmd(int year, int month, int day);

// "YYYYMMDD" (eight blanks for the empty date) and back (0 for blanks or an invalid date).
std::string dateToDtos(std::int32_t jd);
std::int32_t dateFromDtos(std::string_view text);
// Date text in the engine's current format and century setting, and back.
std::string dateToText(std::int32_t jd);
std::int32_t dateFromText(std::string_view text);
// The empty date in the current format ("  /  /  " or with century "  /  /    ").
std::string emptyDateText();
std::int32_t today();

// A number right-aligned in `width` characters with `decimals` decimals, rounded half away
// from zero; a number that does not fit becomes `width` asterisks.
std::string formatNumber(double value, int width, int decimals);
// The numeric value of text the way xBase reads numbers: leading blanks, a sign, digits, an
// optional decimal point; anything after that ends the number. Blank text is 0.
double parseNumber(std::string_view text);

std::string_view trimRight(std::string_view text);
std::string_view trimLeft(std::string_view text);

} // namespace vorlan::dbf
