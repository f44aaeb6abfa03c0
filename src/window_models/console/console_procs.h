#pragma once
// The procedures by which scripts drive the console: ConsoleClear, ConsoleHide, ConsoleShow,
// ConsoleForm, ConsolePrint, ConsoleSave, Write and Writeln (any number of arguments).

#include <string>

namespace vorlan::script {
class Registry;
class Value;
} // namespace vorlan::script

namespace vorlan::windows {

class Console;

// Registers the eight procedures acting on `console`. A registry that already has them keeps
// the first registration, so a second call does nothing.
void registerConsole(script::Registry& registry, Console& console);

// The text Write shows for a value: Booleans as "True"/"False" whatever the user's language,
// null as nothing, everything else by the ordinary conversion to text.
std::string consoleText(const script::Value& value);

} // namespace vorlan::windows
