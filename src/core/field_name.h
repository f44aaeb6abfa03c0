#pragma once
// Field names as every layer compares them: the DBF engine, data sets, data controls and reports
// must agree on which field a name means, or a program finds a field through one and not another.

#include <string_view>

namespace vorlan {

// True when `a` and `b` name the same field: letter case does not count (Czech letters included,
// by their Windows-1250 upper case), nor do trailing blanks or zero bytes, which pad names in
// table headers and in the fixed-width strings of older programs.
bool sameFieldName(std::string_view a, std::string_view b);

} // namespace vorlan
