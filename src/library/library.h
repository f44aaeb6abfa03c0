#pragma once
// The built-in functions every script can call: system variables, mathematics and strings,
// files, ports and system services, and the Czech code-page conversions.

namespace vorlan::script {
class Registry;
}

namespace vorlan::library {

// Registers every function and constant of the library; the application calls it once at
// start-up, before any program runs.
void registerLibrary(script::Registry& registry);

} // namespace vorlan::library
