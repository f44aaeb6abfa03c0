#pragma once
// Database alias names: a name that stands for a folder, so programs and report templates can
// name "FIRMA" instead of a path. The application fills the table from its settings.

#include <string>
#include <string_view>

namespace vorlan::data {

// The folder (a program path) behind an alias, case-insensitive; empty when the alias is
// unknown.
std::string aliasPath(std::string_view alias);
// An empty path removes the alias.
void setAliasPath(std::string_view alias, std::string path);

} // namespace vorlan::data
