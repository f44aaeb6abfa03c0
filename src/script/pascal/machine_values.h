#pragma once
// What the Pascal machine does to the values in its slots: arithmetic and comparisons with
// integer fast paths that fall back to the full variant rules.

#include "script/pascal/bin_prog.h"

#include <climits>

namespace vorlan::script::pascal::machine {

inline bool fitsInt(std::int64_t v) {
    return v >= INT32_MIN && v <= INT32_MAX;
}

// Runs the variant operation in full: anything but the common integer and double cases.
void slowArithmetic(Value& a, const Value& b, BinaryOp op);

template <BinaryOp op> inline void arithmetic(Value& a, const Value& b) {
    if (a.isInteger() && b.isInteger()) {
        const std::int64_t x = a.asInt(), y = b.asInt();
        std::int64_t r = 0;
        if constexpr (op == BinaryOp::Add)
            r = x + y;
        else if constexpr (op == BinaryOp::Subtract)
            r = x - y;
        else if constexpr (op == BinaryOp::Multiply)
            r = x * y;
        else if constexpr (op == BinaryOp::And)
            r = x & y;
        else if constexpr (op == BinaryOp::Or)
            r = x | y;
        else if constexpr (op == BinaryOp::Xor)
            r = x ^ y;
        else if constexpr (op == BinaryOp::IntDivide || op == BinaryOp::Modulo) {
            // 32-bit division: much cheaper than the 64-bit one on common processors.
            const std::int32_t n = a.asInt(), d = b.asInt();
            if (d == 0 || d == -1) return slowArithmetic(a, b, op);
            a.setInt(op == BinaryOp::IntDivide ? n / d : n % d);
            return;
        }
        if (fitsInt(r)) {
            a.setInt(static_cast<std::int32_t>(r));
            return;
        }
    } else if constexpr (op == BinaryOp::Add || op == BinaryOp::Subtract ||
                         op == BinaryOp::Multiply) {
        if (a.isDouble() && b.isDouble()) {
            const double x = a.asDouble(), y = b.asDouble();
            a.setDouble(op == BinaryOp::Add ? x + y : (op == BinaryOp::Subtract ? x - y : x * y));
            return;
        }
    } else if constexpr (op == BinaryOp::And || op == BinaryOp::Or || op == BinaryOp::Xor) {
        if (a.isBoolean() && b.isBoolean()) {
            const bool x = a.asBool(), y = b.asBool();
            a.setBool(op == BinaryOp::And ? (x && y) : (op == BinaryOp::Or ? (x || y) : (x != y)));
            return;
        }
    }
    slowArithmetic(a, b, op);
}

void slowComparison(Value& a, const Value& b, CompareOp op);

template <CompareOp op> inline void comparison(Value& a, const Value& b) {
    if (a.isInteger() && b.isInteger()) {
        const std::int32_t x = a.asInt(), y = b.asInt();
        bool r = false;
        if constexpr (op == CompareOp::Equal)
            r = x == y;
        else if constexpr (op == CompareOp::NotEqual)
            r = x != y;
        else if constexpr (op == CompareOp::Less)
            r = x < y;
        else if constexpr (op == CompareOp::LessEqual)
            r = x <= y;
        else if constexpr (op == CompareOp::Greater)
            r = x > y;
        else
            r = x >= y;
        a.setBool(r);
        return;
    }
    slowComparison(a, b, op);
}

// Integer forms of the fused instructions: false when the operation is not a plain integer one
// (division by zero, overflow), which then runs instruction by instruction.
inline bool integerArithmetic(std::int32_t op, std::int32_t x, std::int32_t y, std::int32_t& out) {
    std::int64_t r = 0;
    switch (op) {
    case OpAdd:
        r = static_cast<std::int64_t>(x) + y;
        break;
    case OpSubtract:
        r = static_cast<std::int64_t>(x) - y;
        break;
    case OpMultiply:
        r = static_cast<std::int64_t>(x) * y;
        break;
    case OpIntDivide:
        if (y == 0 || y == -1) return false;
        out = x / y;
        return true;
    case OpModulo:
        if (y == 0 || y == -1) return false;
        out = x % y;
        return true;
    case OpAnd:
        out = x & y;
        return true;
    case OpOr:
        out = x | y;
        return true;
    case OpXor:
        out = x ^ y;
        return true;
    default:
        return false;
    }
    if (!fitsInt(r)) return false;
    out = static_cast<std::int32_t>(r);
    return true;
}

// The same with the operation known when the machine is built.
template <std::int32_t op>
inline bool integerArithmetic(std::int32_t x, std::int32_t y, std::int32_t& out) {
    return integerArithmetic(op, x, y, out);
}

template <int index> inline bool integerCompare(std::int32_t x, std::int32_t y) {
    if constexpr (index == 0)
        return x == y;
    else if constexpr (index == 1)
        return x != y;
    else if constexpr (index == 2)
        return x < y;
    else if constexpr (index == 3)
        return x <= y;
    else if constexpr (index == 4)
        return x > y;
    else
        return x >= y;
}

// The comparison of a fused form's index (as comparisonIndex() numbers them).
constexpr CompareOp comparisonOfIndex(int index) {
    constexpr CompareOp ops[] = {CompareOp::Equal,   CompareOp::NotEqual,
                                 CompareOp::Less,    CompareOp::LessEqual,
                                 CompareOp::Greater, CompareOp::GreaterEqual};
    return ops[index];
}

// Op 20 tests the negated value, so an integer condition is true only when its bits are all set
// and an empty value counts as false.
bool slowIsFalse(const Value& v);
inline bool isFalse(const Value& v) {
    return v.isBoolean() ? !v.asBool() : slowIsFalse(v);
}

// Where element `i` of a one-dimensional array is, without building an index list.
std::size_t elementOffset(const VarArray& array, std::int32_t i);
// Op 60: the character at the position in `index` of the text in `source` (or the element of an
// array, or the default property of an object), into `index`.
void charAt(Value& index, const Value& source);

} // namespace vorlan::script::pascal::machine
