#pragma once
// The engine finds a global name by looking it up in the scope chain and then on the global
// object at every use, several times the cost of a local variable. A function of the module that
// loops gets local copies of the routines it calls at its start: registered routines and the
// module's own top-level functions alike. (A function without a loop keeps its lookups: there
// the engine's lookup is cheap enough that reading the copies costs more.)
//
// A copy must never be told apart from the global it copies. So it is made only for a name the
// module uses solely by calling it (and, for its own functions, by declaring them at the top
// level), never assigns, deletes, passes on or asks about, and only in modules that cannot reach
// the global object under a computed name (no `eval`, `with`, `Function`, `globalThis`, and
// `this` only before "." and a name). The copies are read from a holder object on the global
// object: the engine keeps its entries for registered routines equal to the globals, and the
// module's first statement fills in the module's own functions, which exist from its start.

#include <set>
#include <string>
#include <string_view>

namespace vorlan::script::js {

struct RoutineLocals {
    std::string text;                // the module with the copies added; lines stay where they were
    std::set<std::string> routines;  // registered routines copied somewhere
    std::set<std::string> functions; // the module's own functions copied somewhere
    std::string holder;              // the global the copies are read from
};

// `routines` are the module's free names bound to functions of the system.
RoutineLocals addRoutineLocals(std::string_view source, const std::set<std::string>& routines);

} // namespace vorlan::script::js
