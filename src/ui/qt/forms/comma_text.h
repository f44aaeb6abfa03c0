#pragma once
// CommaText of a string list: the strings joined by commas, a string with a space, a comma, a
// quote or a control character in double quotes (quotes inside doubled). Reading one back,
// unquoted blanks separate strings as commas do.

#include <string>
#include <string_view>
#include <vector>

namespace vorlan::forms {

std::string commaTextOf(const std::vector<std::string>& lines);
std::vector<std::string> linesOfCommaText(std::string_view text);

} // namespace vorlan::forms
