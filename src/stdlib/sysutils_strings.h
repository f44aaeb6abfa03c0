#pragma once
// The string routines of the standard library over Windows-1250 text. The plain ones
// (UpperCase, CompareText) change and compare the letters a..z only; the Ansi ones follow the
// Czech alphabet (AnsiUpperCase of "žluťoučký" is "ŽLUŤOUČKÝ", AnsiCompareText puts "chata"
// after "hrad").

#include "script/value.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vorlan::stdlib {

std::string upperCaseAscii(std::string_view s);
std::string lowerCaseAscii(std::string_view s);
std::string ansiUpperCase(std::string_view s);
std::string ansiLowerCase(std::string_view s);
std::string trim(std::string_view s);
std::string trimLeft(std::string_view s);
std::string trimRight(std::string_view s);

// The difference of the first bytes that differ, else of the lengths (as the platform answers).
std::int32_t compareStr(std::string_view a, std::string_view b);
std::int32_t compareText(std::string_view a, std::string_view b);
// -1, 0 or 1 in the Czech order.
std::int32_t ansiCompareStr(std::string_view a, std::string_view b);
std::int32_t ansiCompareText(std::string_view a, std::string_view b);

std::string quotedStr(std::string_view s);
std::string ansiQuotedStr(std::string_view s, char quote);
// The text between the quotes with doubled quotes made single; the text itself when it does not
// start with the quote.
std::string ansiDequotedStr(std::string_view s, char quote);

// Flags of StringReplace as set ordinals.
constexpr std::int32_t kReplaceAll = 0;
constexpr std::int32_t kIgnoreCase = 1;
// `flags` is a set (script/open_array.h) of the two ordinals above.
std::string stringReplace(std::string_view s, std::string_view oldPattern,
                          std::string_view newPattern, const script::Value& flags);
std::string stringOfChar(char c, std::int32_t count);
char upCase(char c);
// Every line break (CR, LF, LF CR, CR LF) as CR LF.
std::string adjustLineBreaks(std::string_view s);
std::int32_t ansiPos(std::string_view sub, std::string_view s);
std::int32_t lastDelimiter(std::string_view delimiters, std::string_view s);
bool isDelimiter(std::string_view delimiters, std::string_view s, std::int32_t index);
// Breaks a line at the break characters so that no line is longer than maxCol where that is
// possible; quoted parts are not broken.
std::string wrapText(std::string_view line, std::string_view breakStr, std::string_view breakChars,
                     std::int32_t maxCol);
// Copy as the Pascal dialect's own: 1-based index, too large counts cut at the end.
std::string copyText(std::string_view s, std::int32_t index, std::int32_t count);

} // namespace vorlan::stdlib
