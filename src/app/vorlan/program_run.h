#pragma once
// What every run of a program shares, with the desktop or without: the run of the program
// named on the command line and the exit status it leaves.

#include "app/vorlan/command_line.h"
#include "script/run_cycle.h"

#include <optional>
#include <string>

namespace vorlan::app {

// No window is ever shown: asked for, a batch report or check, or no display to show one on.
bool runsHeadless(const CommandLine& commandLine);

// What became of the last run the shell started; the exit status of a single run comes from it.
script::RunOutcome& lastRun();
void runFromCycle(const std::string& fileName);

// The status of a run of the program named on the command line; nothing while it did run.
// `programIsFolder` is looked at before the current folder moves.
std::optional<int> notRunStatus(const CommandLine& commandLine, bool programIsFolder,
                                bool programExists);

// The status a headless run ends with: errors shown during the run must fail a batch, not only
// scroll past on stderr; a failed script has its own status so a batch can tell it from a
// missing file. `shownErrors` counts the errors the last catcher showed.
int headlessExitStatus(int shownErrors);

} // namespace vorlan::app
