#pragma once
// The record fields of a template line.

#include <cstdint>
#include <string>
#include <string_view>

namespace vorlan::report {

// Takes the next comma-separated field from the front of `rest`. A field that begins with a
// double quote is quoted: inside it commas are text and the next double quote ends the quoting
// (and is dropped). There is no escape for a quote. `rest` becomes what follows the ending
// comma, or nothing. An empty rest gives an empty field.
std::string nextField(std::string_view& rest);

// A decimal integer field; `fallback` when it is empty, malformed or out of range.
std::int32_t intField(std::string_view field, std::int32_t fallback = 0);

// A field written so that nextField gives it back (as far as the format allows).
std::string quotedField(std::string_view text);

} // namespace vorlan::report
