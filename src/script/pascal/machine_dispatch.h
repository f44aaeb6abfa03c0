#pragma once
// The machine's own dispatch codes beside the program's operations: fused forms that do the work
// of a short run of instructions at once, chosen when the program is loaded. Programs never
// contain them: an operation outside the instruction set is decoded as kBadOperation.

#include "script/pascal/bin_prog.h"

#include <cstddef>
#include <cstdint>

namespace vorlan::script::pascal::machine {

// The codes follow the last operation so that the machine's dispatch stays one dense table.
constexpr std::int32_t kBadOperation = OpWriteWidth + 1;
constexpr std::int32_t kFusedMoveArith = kBadOperation + 1; // + arithmetic: T := x; T op= y
constexpr std::int32_t kFusedCmpJump = kFusedMoveArith + 8; // + comparison: T cmp= y; if not T jump
constexpr std::int32_t kFusedMoveCmpJump = kFusedCmpJump + 6; // T := x; T cmp= y; if not T jump
// + 6 * arithmetic + comparison: T := x; T op= y; T cmp= z; if not T jump
constexpr std::int32_t kFusedMoveArithCmpJump = kFusedMoveCmpJump + 6;
// + arithmetic: T op= y; x := T
constexpr std::int32_t kFusedArithMove = kFusedMoveArithCmpJump + 6 * 8;
constexpr std::int32_t kFusedMoveJump = kFusedArithMove + 8; // x := y; jump
// A jump to a return, alone or after a move: the return is made at once.
constexpr std::int32_t kFusedMoveReturn = kFusedMoveJump + 1;
constexpr std::int32_t kJumpReturn = kFusedMoveReturn + 1;
// + arithmetic: T op= y; x := T; return (a function's last assignment to its result)
constexpr std::int32_t kFusedArithMoveReturn = kJumpReturn + 1;
// A call of one of the module's own routines, made so by the call's first run (op 53 resolves
// names through the host). A is the call's entry in the machine's table of own calls.
constexpr std::int32_t kCallOwn = kFusedArithMoveReturn + 8;
// + arithmetic: T := x; T op= y; a kCallOwn with T as its one argument right after.
constexpr std::int32_t kFusedMoveArithCallOwn = kCallOwn + 1;
// A call of a registered routine through its direct entry, made so by the call's first run. A
// is the call's entry in the machine's table of registered calls.
constexpr std::int32_t kCallRegistered = kFusedMoveArithCallOwn + 8;

inline bool isKnownOperation(std::int32_t op) {
    return (op >= 0 && op <= 20) || op == OpLoadConst || op == OpEndProgram || op == OpIncrement ||
           op == OpDecrement || (op >= OpMove && op <= OpWriteWidth);
}

// The index of an arithmetic operation the fused forms do on integers (0..7), or -1.
inline int arithmeticIndex(std::int32_t op) {
    switch (op) {
    case OpAdd:
        return 0;
    case OpSubtract:
        return 1;
    case OpMultiply:
        return 2;
    case OpIntDivide:
        return 3;
    case OpModulo:
        return 4;
    case OpAnd:
        return 5;
    case OpOr:
        return 6;
    case OpXor:
        return 7;
    default:
        return -1;
    }
}

// The index of a comparison (0..5), or -1.
inline int comparisonIndex(std::int32_t op) {
    switch (op) {
    case OpEqual:
        return 0;
    case OpNotEqual:
        return 1;
    case OpLess:
        return 2;
    case OpLessEqual:
        return 3;
    case OpGreater:
        return 4;
    case OpGreaterEqual:
        return 5;
    default:
        return -1;
    }
}

// The words an instruction takes: calls carry their operands in the words after them.
inline std::size_t operationWords(const Instruction& in) {
    if (in.op == OpCallName || in.op == OpCallMember)
        return 1 + (static_cast<std::size_t>(in.a) + 3) / 3;
    if (in.op == OpPutMember) return 1 + (static_cast<std::size_t>(in.b) + 3) / 3;
    if (in.op == OpSetElement) return 2;
    return 1;
}

} // namespace vorlan::script::pascal::machine
