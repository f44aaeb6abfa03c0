#pragma once
// The linker: checks that every declared routine got a body and every jump lands on a placed
// label, then hands code, constants, labels, routines and the slots' starting values over to
// the program.

#include "script/pascal/bin_prog.h"
#include "script/pascal/emitter.h"
#include "script/pascal/symbols.h"

#include <memory>
#include <string>
#include <vector>

namespace vorlan::script::pascal::detail {

struct LinkInput {
    Emitter& code;
    SlotBank& slots;
    const std::vector<RoutineDecl>& routines;
    std::vector<GlobalVariable>& globals;
    std::vector<std::string>& units;
};

// Takes the code, constants, globals, units and initial slots out of `in`.
std::unique_ptr<BinProg> link(LinkInput in);

} // namespace vorlan::script::pascal::detail
