#pragma once
// What a Basic-dialect module names that nothing answers: routines it calls, names it reads
// that are never given a value, and members on objects whose class the check can tell.

#include "app/vorlan/member_check.h"

#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace vorlan::script::basic {
struct Module;
}

namespace vorlan::app {

struct NameAt {
    std::string name;
    int line = 0; // from 1
    int column = 0;
};

struct BasicModuleNames {
    // Called (or indexed) names neither the module, the dialect nor `outside` knows: the
    // call fails when it runs.
    std::vector<NameAt> missing;
    // Read but never declared nor given a value: an empty variable, or a routine the runtime
    // lacks (a missing routine without arguments reads as an empty variable).
    std::vector<NameAt> unchecked;
    std::vector<MemberUse> members;
    std::set<std::string> declared; // upper case: the module's routines and module variables
};

// `outside` tells whether the runtime answers a name (the registry, the module's form).
BasicModuleNames scanBasicModule(const script::basic::Module& module,
                                 const std::function<bool(std::string_view)>& outside);

} // namespace vorlan::app
