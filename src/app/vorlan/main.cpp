// The runtime's entry: reads the command line, and runs a headless program on the engine alone
// (the front end comes later if the program needs it) or hands everything else to the front end
// library from the start: the desktop, the designer, the database window, batch reports and
// checks.

#include "app/vorlan/command_line.h"
#include "app/vorlan/front_end_loader.h"
#include "app/vorlan/headless_run.h"
#include "app/vorlan/program_run.h"
#include "core/version.h"

#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    using namespace vorlan;
    const auto commandLine = app::parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!commandLine.error.empty()) {
        std::cerr << "vorlan: " << commandLine.error << "\n\n" << app::usageText();
        return app::kExitBadCommandLine;
    }
    if (commandLine.help) {
        std::cout << app::usageText();
        return app::kExitOk;
    }
    if (commandLine.version) {
        std::cout << "FENWAR VORLAN (RunTime) " << kRuntimeVersion << '\n'
                  << "VORLAN pro Linux " << VORLAN_PACKAGE_VERSION << '\n';
        return app::kExitOk;
    }
    // No window is shown: Qt, if it comes, draws offscreen.
    if (app::runsHeadless(commandLine)) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (app::startsWithoutDesktop(commandLine))
        return app::runWithoutDesktop(argc, argv, commandLine);
    return app::loadFrontEnd().runtimeMain(argc, argv, commandLine);
}
