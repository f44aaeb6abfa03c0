#pragma once
// Pieces shared by the files-and-system family's source files.

#include <filesystem>
#include <optional>
#include <string_view>

namespace vorlan::script {
class Registry;
}

namespace vorlan::library {

// The host path of a program path; nothing when its drive is not mapped.
std::optional<std::filesystem::path> hostPath(std::string_view programPath);

void registerStreamedFiles(script::Registry& registry);
void registerProcessFunctions(script::Registry& registry);
void registerPortFunctions(script::Registry& registry);

} // namespace vorlan::library
