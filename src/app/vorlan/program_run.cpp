#include "app/vorlan/program_run.h"

#include "core/cp1250.h"
#include "script/scripter.h"

#include <cstdlib>
#include <iostream>

namespace vorlan::app {

namespace {
bool envEmpty(const char* name) {
    const char* value = std::getenv(name);
    return !value || !*value;
}
} // namespace

bool runsHeadless(const CommandLine& commandLine) {
    return commandLine.headless || commandLine.report.has_value() ||
           commandLine.check.has_value() || (envEmpty("DISPLAY") && envEmpty("WAYLAND_DISPLAY"));
}

script::RunOutcome& lastRun() {
    static script::RunOutcome outcome;
    return outcome;
}

void runFromCycle(const std::string& fileName) {
    lastRun() = {};
    script::runFromArchive() = true;
    script::runProgramFile(fileName, &lastRun());
}

std::optional<int> notRunStatus(const CommandLine& commandLine, bool programIsFolder,
                                bool programExists) {
    if (!commandLine.program) return std::nullopt;
    if (!programExists) {
        std::cerr << "vorlan: " << *commandLine.program
                  << (programIsFolder ? ": je to složka, ne soubor programu\n"
                                      : ": soubor programu neexistuje\n");
        return kExitNotRun;
    }
    if (lastRun().started) return std::nullopt;
    // A refusal thrown as an error was shown already (in its box, logged headless).
    if (!lastRun().refusal.empty())
        std::cerr << "vorlan: " << cp1250ToUtf8(lastRun().refusal) << '\n';
    return kExitNotRun;
}

int headlessExitStatus(int shownErrors) {
    if (script::scriptErrorBoxesShown() > 0) return kExitScriptError;
    if (shownErrors > 0) return kExitRunError;
    if (const auto code = script::haltExitCode()) return haltExitStatus(*code);
    return kExitOk;
}

} // namespace vorlan::app
