#pragma once
// Format: "%[index:][-][width][.precision]type" with the types d, u, x, e, f, g, n, m, p and s,
// `*` taking a width or precision from the arguments, "%%" for a percent sign. The arguments
// are an open array (script/open_array.h). A directive without an argument or with one it
// cannot show raises EConvertError naming the format, as the platform's Format does.

#include "script/value.h"

#include <string>
#include <string_view>

namespace vorlan::stdlib {

std::string formatText(std::string_view pattern, const script::Value& arguments);

} // namespace vorlan::stdlib
