#pragma once
// The road of one program: open its archive, check it, build the project, start the main
// module's scripter and keep events flowing until the program has finished.

#include <functional>
#include <string>

namespace vorlan::script {

// While true, projects and modules are read from the open program archive instead of from
// separate files. The shell sets it right before handing a file to runProgramFile.
bool& runFromArchive();

// What became of one run, for the shell's exit status: whether the program's main module got to
// run at all, and, when the archive was not used, why (Czech, Windows-1250; empty when the
// reason was thrown instead).
struct RunOutcome {
    bool started = false;
    std::string refusal;
};

// Runs one program archive to its end (file name in Windows-1250, mapped through the path
// mapper). Problems of the archive itself are reported in message boxes; "Nelze spustit" and
// other failures of the run are thrown as std::runtime_error for the shell to show. `outcome`,
// when given, is filled in as the run goes, so it is right even when the run throws.
void runProgramFile(const std::string& fileName, RunOutcome* outcome = nullptr);

// Ending a run at its first script error (the shell's batch option): once a script error has
// been reported with this set, the run is abandoned: no further handler runs and the run
// cycle stops waiting.
bool& stopRunOnScriptError();
bool runAbandoned();
void abandonRun();

// The program file of the run in progress, as it was given to runProgramFile (the innermost
// one while RunApp runs another program); empty between runs.
const std::string& runningProgramFile();

// Called with the main module's file name when a program starts, after the program's dialect
// has been noted (script/open_array.h); empty by default.
std::function<void(const std::string& moduleFileName)>& programStartHook();

// The script procedure RunApp: runs another archive from inside a running program.
void runApp(const std::string& name);

} // namespace vorlan::script
