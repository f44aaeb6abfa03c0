#pragma once
// The standard routines that only Pascal-dialect modules reach by name: directories, the few
// mathematical and string routines of the language, memory blocks and the variant-array family.
// They are looked up before the process registry's global procedures.

#include "script/registry.h"

#include <string_view>
#include <vector>

namespace vorlan::script::pascal {

const std::vector<const MethodInfo*>& runnerBuiltins();
const MethodInfo* findRunnerBuiltin(std::string_view name);
// Whether a call may hand values back through its arguments.
bool writesArguments(const Signature& signature);

} // namespace vorlan::script::pascal
