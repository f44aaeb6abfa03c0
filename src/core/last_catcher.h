#pragma once
// The last catcher of errors: whatever escapes a program run or a handler of the runtime's
// windows ends up here and is shown to the user.

#include <exception>
#include <functional>
#include <string>

namespace vorlan {

// Shows an error that escaped a run in the standard error box (application title, error icon,
// OK). Messages beginning with "Access violation" are dropped silently: they come from
// programs that poke at freed objects and have always been ignored. True when shown.
// `message` may be Windows-1250 or UTF-8 (what std::exception texts of the host library are).
bool appException(const std::string& message);
bool appException(const std::exception& error);
// How many errors appException has shown since start (headless runs turn this into the exit
// status).
int shownAppExceptions();
// Runs `action`, sending anything it throws to appException.
void guarded(const std::function<void()>& action);

} // namespace vorlan
