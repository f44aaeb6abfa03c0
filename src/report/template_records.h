#pragma once
// Telling a template file from a file that only looks like one to a reader that skips every
// line it does not know.

#include <string>
#include <vector>

namespace vorlan::report {

// Whether the lines hold at least one record the template reader knows (a setting, a function,
// an element of a section, a group's or a detail report's line). A file without one is no
// template at all, however the reader would skip through it.
bool holdsTemplateRecords(const std::vector<std::string>& lines);

} // namespace vorlan::report
