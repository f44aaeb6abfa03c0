#pragma once
// The engine finds a global name by looking it up in the scope chain and then on the global
// object at every use, several times the cost of a local variable. A function of the module that
// loops and calls registered routines gets local copies of them at its start, so that the calls
// in its loops read a local.
//
// A copy must never be told apart from the global it copies. So it is made only for a name the
// module uses solely by calling it (never declares, assigns, deletes, passes on or asks about),
// and only in modules that cannot reach the global object under a computed name (no `eval`,
// `with`, `Function`, `globalThis`, and `this` only before "." and a name). The copies are read
// from a holder object on the global object, whose entries the engine keeps equal to the globals.

#include <set>
#include <string>
#include <string_view>

namespace vorlan::script::js {

struct RoutineLocals {
    std::string text; // the module text with the copies added; lines stay where they were
    std::set<std::string> names; // the routines copied somewhere; empty when the text is unchanged
    std::string holder;          // the global the copies are read from
};

// `routines` are the module's free names bound to functions of the system.
RoutineLocals addRoutineLocals(std::string_view source, const std::set<std::string>& routines);

} // namespace vorlan::script::js
