#pragma once
// Constant folding: operators over literals are computed while compiling, exactly as the
// machine would compute them. An operation that fails is not folded; it is left to fail when
// the program runs.

#include "script/value.h"

namespace vorlan::script::pascal::detail {

// Literals of the kinds whose operators are folded.
bool foldable(const Value& v);
// `op` is a binary operation code of the machine (OpAdd ... OpLess).
bool foldBinary(int op, const Value& a, const Value& b, Value& out);
// `op` is OpNegate or OpNot.
bool foldUnary(int op, const Value& a, Value& out);

} // namespace vorlan::script::pascal::detail
