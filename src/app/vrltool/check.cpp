// vrltool kontrola: whether the runtime has everything a program archive needs. Only the
// runtime knows what it has (every unit it registers, every form class it can make), so the
// runtime does the check, without windows and without running anything of the program.

#include "tool.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace vrltool {

namespace fs = std::filesystem;

namespace {

// The runtime: $VORLAN_RUNTIME, else beside vrltool (installed), else in the build tree's
// sibling folder, else wherever PATH finds it.
std::string runtimeExecutable() {
    if (const char* given = std::getenv("VORLAN_RUNTIME"); given && *given) return given;
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        for (const fs::path& candidate : {self.parent_path() / "vorlan",
                                          self.parent_path().parent_path() / "vorlan" / "vorlan"})
            if (fs::is_regular_file(candidate, ec) && access(candidate.c_str(), X_OK) == 0)
                return candidate.string();
    }
    return "vorlan";
}

} // namespace

int runCheck(const std::vector<std::string>& args) {
    bool json = false;
    std::vector<std::string> positional;
    for (const std::string& a : args) {
        if (a == "--json")
            json = true;
        else if (a.size() > 1 && a[0] == '-')
            throw UsageError("kontrola nezná volbu " + a);
        else
            positional.push_back(a);
    }
    if (positional.size() != 1) throw UsageError("kontrola potřebuje jeden archiv");
    if (!fs::is_regular_file(positional[0]))
        throw std::runtime_error("Nelze otevřít " + positional[0]);
    const std::string runtime = runtimeExecutable();
    std::vector<std::string> command = {runtime, "--kontrola", positional[0]};
    if (json) command.push_back("--json");
    std::vector<char*> argv;
    for (std::string& part : command)
        argv.push_back(part.data());
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    throw std::runtime_error("Nelze spustit běhový systém " + runtime + ": " +
                             std::strerror(errno));
}

} // namespace vrltool
