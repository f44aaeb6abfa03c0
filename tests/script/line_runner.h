#pragma once
// A tiny runner for tests: each module line is a command, so the scripter, the run cycle and
// form events can be exercised without a real dialect.
//   proc NAME ... end   a routine
//   echo TEXT           appends TEXT to lineRunnerLog()
//   fail TEXT           reports a script error with TEXT as its description
//   finish              ends the program (the module form "closes")
// Lines outside routines form the main body.

#include "script/script_runner.h"

#include <string>
#include <vector>

namespace vorlan::testing {

std::vector<std::string>& lineRunnerLog();
// Registers the runner for the extension "tst" (language "LineScript") in the process registry.
void registerLineRunner();

} // namespace vorlan::testing
