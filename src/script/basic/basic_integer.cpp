// Integer arithmetic and comparisons over literals and variables, computed without building
// values: the loops and counters of most scripts. Anything else (another type, overflow, division
// by zero, a call) answers false before it has had any effect, and the expression is evaluated
// the general way. Once a node has been computed here, it keeps a routine made for its operator
// and the kinds of its operands, so later evaluations skip the general checks.
#include "script/basic/basic_interp.h"

#include "script/basic/basic_frame.h"

#include <climits>

namespace vorlan::script::basic {

namespace {

OperandFrom fromOf(const Expr& e) {
    if (e.fixed) return OperandFrom::Fixed;
    if (e.leaf == Leaf::Local) return OperandFrom::Local;
    return OperandFrom::Any;
}

template <Op op>
[[gnu::always_inline]] inline bool apply(std::int32_t x, std::int32_t y, std::int32_t& out) {
    std::int64_t r = 0;
    if constexpr (op == Op::Add)
        r = std::int64_t{x} + y;
    else if constexpr (op == Op::Subtract)
        r = std::int64_t{x} - y;
    else if constexpr (op == Op::Multiply)
        r = std::int64_t{x} * y;
    else if constexpr (op == Op::IntDivide || op == Op::Modulo) {
        if (y == 0) return false;
        r = op == Op::IntDivide ? std::int64_t{x} / y : std::int64_t{x} % y;
    } else if constexpr (op == Op::Equal)
        r = x == y;
    else if constexpr (op == Op::NotEqual)
        r = x != y;
    else if constexpr (op == Op::Less)
        r = x < y;
    else if constexpr (op == Op::Greater)
        r = x > y;
    else if constexpr (op == Op::LessEqual)
        r = x <= y;
    else
        r = x >= y;
    if (r < INT32_MIN || r > INT32_MAX) return false;
    out = static_cast<std::int32_t>(r);
    return true;
}

} // namespace

template <OperandFrom kind>
[[gnu::always_inline]] inline bool Interpreter::integerOperand(const Expr& e, std::int32_t& out) {
    const Value* v = nullptr;
    if constexpr (kind == OperandFrom::Fixed)
        v = e.fixed;
    else if constexpr (kind == OperandFrom::Local) {
        if (!top_) return false;
        v = top_->slot(static_cast<std::size_t>(e.slot));
    } else
        return integerLeaf(e, out);
    if (!v->isInteger()) return false;
    out = v->asInt();
    return true;
}

template <Op op, OperandFrom left, OperandFrom right>
bool Interpreter::integerNode(Interpreter& in, const Expr& e, std::int32_t& out) {
    std::int32_t x = 0, y = 0;
    if (!in.integerOperand<left>(*e.left, x) || !in.integerOperand<right>(*e.right, y))
        return false;
    return apply<op>(x, y, out);
}

template <Op op>
Expr::IntegerRoutine Interpreter::integerRoutine(OperandFrom left, OperandFrom right) {
    constexpr auto F = OperandFrom::Fixed, L = OperandFrom::Local, A = OperandFrom::Any;
    static constexpr Expr::IntegerRoutine table[3][3] = {
        {&integerNode<op, F, F>, &integerNode<op, F, L>, &integerNode<op, F, A>},
        {&integerNode<op, L, F>, &integerNode<op, L, L>, &integerNode<op, L, A>},
        {&integerNode<op, A, F>, &integerNode<op, A, L>, &integerNode<op, A, A>}};
    return table[static_cast<int>(left)][static_cast<int>(right)];
}

Expr::IntegerRoutine Interpreter::integerRoutineFor(const Expr& e) {
    const OperandFrom l = fromOf(*e.left), r = fromOf(*e.right);
    switch (e.op) {
    case Op::Add:
        return integerRoutine<Op::Add>(l, r);
    case Op::Subtract:
        return integerRoutine<Op::Subtract>(l, r);
    case Op::Multiply:
        return integerRoutine<Op::Multiply>(l, r);
    case Op::IntDivide:
        return integerRoutine<Op::IntDivide>(l, r);
    case Op::Modulo:
        return integerRoutine<Op::Modulo>(l, r);
    case Op::Equal:
        return integerRoutine<Op::Equal>(l, r);
    case Op::NotEqual:
        return integerRoutine<Op::NotEqual>(l, r);
    case Op::Less:
        return integerRoutine<Op::Less>(l, r);
    case Op::Greater:
        return integerRoutine<Op::Greater>(l, r);
    case Op::LessEqual:
        return integerRoutine<Op::LessEqual>(l, r);
    case Op::GreaterEqual:
        return integerRoutine<Op::GreaterEqual>(l, r);
    default:
        return nullptr;
    }
}

bool Interpreter::integerValueFirst(const Expr& e, std::int32_t& out) {
    if (e.kind != ExprKind::Binary) {
        const Value* v = plainValue(e);
        if (!v || !v->isInteger()) return false;
        out = v->asInt();
        return true;
    }
    if (!e.pure || e.op < Op::Multiply || e.op > Op::Subtract || e.op == Op::Divide) return false;
    return integerFirst(e, out);
}

bool Interpreter::integerComparisonFirst(const Expr& e, bool& out) {
    if (e.kind != ExprKind::Binary || !e.pure || e.op < Op::Equal || e.op > Op::GreaterEqual)
        return false;
    std::int32_t r = 0;
    if (!integerFirst(e, r)) return false;
    out = r != 0;
    return true;
}

bool Interpreter::integerFirst(const Expr& e, std::int32_t& out) {
    // The first time through, the operands are read the general way; once that has worked, every
    // name below is resolved and the node gets its own routine.
    std::int32_t x = 0, y = 0;
    if (!integerLeaf(*e.left, x) || !integerLeaf(*e.right, y)) return false;
    const Expr::IntegerRoutine routine = integerRoutineFor(e);
    if (!routine) return false;
    auto& node = const_cast<Expr&>(e);
    (e.op >= Op::Equal ? node.comparison : node.arithmetic) = routine;
    return routine(*this, e, out);
}

bool Interpreter::integerLeaf(const Expr& e, std::int32_t& out) {
    if (e.kind == ExprKind::Binary) return integerValue(e, out);
    const Value* v = plainValue(e);
    if (!v || !v->isInteger()) return false;
    out = v->asInt();
    return true;
}

} // namespace vorlan::script::basic
