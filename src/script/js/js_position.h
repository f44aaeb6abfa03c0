#pragma once
// The engine reports the line of an error but not its column. The column shown is worked out
// from the line's text: the name the description quotes ('total' in "identifier 'total'
// undefined"), found as a whole word on the line; otherwise the line's first character that is
// not blank.

#include <string_view>

namespace vorlan::script::js {

// 0-based column on `line` for an error with this description.
int errorColumn(std::string_view line, std::string_view description);

} // namespace vorlan::script::js
