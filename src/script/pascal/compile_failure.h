#pragma once
// How a compile error leaves the compiler's parts: thrown as a Failure, caught once at the top
// (PascalCompiler::compile), which hands it to the error handler or raises CompileError.

#include <string>

namespace vorlan::script::pascal::detail {

struct Failure {
    std::string message;
    int line;   // from 0
    int column; // from 0
};

} // namespace vorlan::script::pascal::detail
