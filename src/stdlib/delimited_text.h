#pragma once
// DelimitedText and CommaText of a string list. Joining: a string holding a blank or control
// character, the quote or the delimiter is quoted (quotes inside doubled); a list of one empty
// string is written as two quotes. Splitting: quoted strings may hold anything, unquoted ones
// end at the delimiter or a blank; blanks around delimiters are skipped, a delimiter right after
// another gives an empty string, a delimiter at the very end gives none.

#include <string>
#include <string_view>
#include <vector>

namespace vorlan::stdlib {

std::string joinDelimited(const std::vector<std::string>& items, char delimiter, char quote);
std::vector<std::string> splitDelimited(std::string_view text, char delimiter, char quote);

} // namespace vorlan::stdlib
