#pragma once
// The standard units that scripts call (SYSTEM, SYSUTILS, CLASSES, MATH ...), registered once at
// start-up for all three dialects.

#include <string>
#include <vector>

namespace vorlan::script {
class Registry;
}

namespace vorlan::stdlib {

void registerStandardLibrary(script::Registry& registry);

// One registration per unit (registerStandardLibrary calls them in order).
void registerSystemUnit(script::Registry& registry);
void registerSysUtilsUnit(script::Registry& registry);

// What ParamStr and ParamCount answer: the program's own path (ParamStr(0)) and the arguments
// after it on the command line.
void setProgramParameters(std::string program, std::vector<std::string> arguments);

} // namespace vorlan::stdlib
