#include "core/config_folder.h"

#include <cstdlib>

namespace vorlan {

std::filesystem::path configFolder() {
    namespace fs = std::filesystem;
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && *config && fs::path(config).is_absolute()) return fs::path(config) / "vorlan";
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : ".") / ".config" / "vorlan";
}

} // namespace vorlan
