#include "script/pascal/folding.h"

#include "script/pascal/bin_prog.h"

#include <exception>
#include <map>

namespace vorlan::script::pascal::detail {

bool foldable(const Value& v) {
    return v.isInteger() || v.isDouble() || v.isString() || v.isBoolean();
}

bool foldBinary(int op, const Value& a, const Value& b, Value& out) {
    static const std::map<int, BinaryOp> arithmetic = {
        {OpAdd, BinaryOp::Add},
        {OpSubtract, BinaryOp::Subtract},
        {OpMultiply, BinaryOp::Multiply},
        {OpIntDivide, BinaryOp::IntDivide},
        {OpModulo, BinaryOp::Modulo},
        {OpDivide, BinaryOp::Divide},
        {OpShl, BinaryOp::ShiftLeft},
        {OpShr, BinaryOp::ShiftRight},
        {OpOr, BinaryOp::Or},
        {OpXor, BinaryOp::Xor},
        {OpAnd, BinaryOp::And},
    };
    static const std::map<int, CompareOp> comparisons = {
        {OpEqual, CompareOp::Equal},     {OpNotEqual, CompareOp::NotEqual},
        {OpLess, CompareOp::Less},       {OpLessEqual, CompareOp::LessEqual},
        {OpGreater, CompareOp::Greater}, {OpGreaterEqual, CompareOp::GreaterEqual},
    };
    try {
        if (auto it = arithmetic.find(op); it != arithmetic.end())
            out = binaryOp(it->second, a, b);
        else
            out = compare(comparisons.at(op), a, b);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool foldUnary(int op, const Value& a, Value& out) {
    try {
        out = op == OpNegate ? negate(a) : logicalNot(a);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace vorlan::script::pascal::detail
