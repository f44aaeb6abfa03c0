#pragma once
// A template edited in the report designer without a program: the template from the command
// line, the field lists from an optional table or CSV file.

#include <optional>
#include <ostream>
#include <string>

namespace vorlan::app {

// Host paths, UTF-8. Problems are told on `errors`. Answers the exit status: 0 when the
// template was saved, 3 when the designer was left without saving, 2 when the template or the
// data cannot be read.
int runTemplateDesigner(const std::string& templateFile, const std::optional<std::string>& dataFile,
                        std::ostream& errors);

} // namespace vorlan::app
