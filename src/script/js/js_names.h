#pragma once
// Which names a JavaScript module uses. The engine has no hook for identifiers it cannot
// resolve, so the runner binds the registered names and the members of global named objects
// that a module mentions before the module runs; this scan finds them.

#include <set>
#include <string>
#include <string_view>

namespace vorlan::script::js {

struct ModuleNames {
    // Identifiers used as free names (not after a "."), keywords and declared names excluded.
    std::set<std::string> used;
    // Names the module declares at its top level with `var`, `let`, `const` or `function`.
    std::set<std::string> declared;
};

// Scans Windows-1250 module text; strings, comments and regular expression literals are skipped.
ModuleNames scanModuleNames(std::string_view source);

bool isJsReservedWord(std::string_view word);

} // namespace vorlan::script::js
