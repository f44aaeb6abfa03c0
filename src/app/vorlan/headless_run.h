#pragma once
// A headless run of a program without the desktop: the engine alone starts, and the front end
// comes when the program first needs it (late_desktop.h). Every run that can do without it at
// the start goes this way; the others start with the front end.

#include "app/vorlan/command_line.h"

namespace vorlan::app {

// True when the run can start without the front end: a headless run of a program that prints
// nowhere (no --print-to) and whose settings file holds nothing the start needs the front end to
// read (drives, ports, locale, the database window's switches).
bool startsWithoutDesktop(const CommandLine& commandLine);

int runWithoutDesktop(int& argc, char** argv, const CommandLine& commandLine);

} // namespace vorlan::app
