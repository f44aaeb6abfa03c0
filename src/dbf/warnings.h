#pragma once
// Damage the engine found and worked around (an index rebuilt from its table, an index left
// closed) is told to the user, not thrown: the work goes on. A front end installs one listener
// for the process; without one the texts go to standard error, which is the log of a headless
// run. Texts are Czech, in Windows-1250.

#include <functional>
#include <string>

namespace vorlan::dbf {

using WarningListener = std::function<void(const std::string& text)>;

// Installs the listener and answers the previous one; an empty function restores standard error.
WarningListener setWarningListener(WarningListener listener);

void warn(const std::string& text);

} // namespace vorlan::dbf
