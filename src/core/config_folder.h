#pragma once
// The runtime's per-user configuration folder: $XDG_CONFIG_HOME/vorlan when that variable holds
// an absolute path, else ~/.config/vorlan. The settings file, the report generator's settings
// and the scripts' registry live there.

#include <filesystem>

namespace vorlan {

std::filesystem::path configFolder();

} // namespace vorlan
