#pragma once
// The activation frame of a procedure and the small helpers the parts of the interpreter share:
// where a resolved name's value lives, and stores that keep numbers off the variant machinery.
// Only the interpreter's own sources include this.

#include "script/basic/basic_interp.h"
#include "script/basic/basic_objects.h"

#include <cstddef>
#include <deque>
#include <memory>
#include <new>
#include <vector>

namespace vorlan::script::basic {

// One activation of a procedure. Frames are pooled by call depth and keep their storage between
// calls, so a call allocates nothing once the pool has warmed up.
struct Interpreter::Frame {
    const ProcInfo* info = nullptr;
    ScriptObject* self = nullptr;
    Frame* caller = nullptr; // the frame of the procedure that called, null from module level
    // The first `count` slots: `at[i]` is where slot i lives, the procedure's own value in `own`
    // or, for a ByRef parameter, the caller's variable. `own` never changes size while the frame
    // is active, since callees hold pointers into it; names the procedure learns while it runs
    // live in `extra`.
    std::vector<Value> own;
    std::vector<Value*> at;
    std::deque<Value> extra;
    std::size_t count = 0;
    std::size_t room = 0; // the size of `own` and `at`
    bool resumeNext = false;

    Value* slot(std::size_t i) {
        if (i < count) [[likely]]
            return at[i];
        return learned(i);
    }
    Value* learned(std::size_t i) {
        while (extra.size() <= i - count)
            extra.emplace_back();
        return &extra[i - count];
    }
};

// Empties a slot. A number, date or Boolean has nothing to release, so its storage is simply
// reused for the empty value instead of going through the variant's assignment.
inline void clearSlot(Value& v) {
    switch (v.type()) {
    case ValueType::Empty:
        return;
    case ValueType::Null:
    case ValueType::Integer:
    case ValueType::Double:
    case ValueType::Currency:
    case ValueType::Date:
    case ValueType::Boolean:
        std::construct_at(&v);
        return;
    default:
        v = Value();
    }
}

// A value computed for a moment, built in place. Numbers, dates and Booleans own nothing, so when
// it holds one at the end, the variant's destructor is skipped.
class Scratch {
public:
    template <class Make> explicit Scratch(Make&& make) {
        ::new (static_cast<void*>(storage_)) Value(make());
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    [[gnu::always_inline]] ~Scratch() {
        switch (value().type()) {
        case ValueType::Empty:
        case ValueType::Null:
        case ValueType::Integer:
        case ValueType::Double:
        case ValueType::Currency:
        case ValueType::Date:
        case ValueType::Boolean:
            return;
        default:
            std::destroy_at(&value());
        }
    }
    Value& value() { return *std::launder(reinterpret_cast<Value*>(storage_)); }

private:
    alignas(Value) std::byte storage_[sizeof(Value)];
};

inline bool isVariableExpr(const Expr& e) {
    return e.kind == ExprKind::Name && !e.hasParens;
}

[[gnu::always_inline]] inline const Value* Interpreter::plainValue(const Expr& e) {
    // Only literals and names already resolved to a variable: reading them has no effect but the
    // read.
    if (e.fixed) return e.fixed;
    if (e.leaf == Leaf::Local) return top_ ? top_->slot(static_cast<std::size_t>(e.slot)) : nullptr;
    if (e.leaf == Leaf::Field && top_ && top_->self)
        return &top_->self->fields[static_cast<std::size_t>(e.slot)];
    return nullptr;
}

inline Value* Interpreter::variable(Expr& e, bool create) {
    // A plain local or module variable once resolved; the rest (unresolved names, fields, array
    // names with their indexes) the long way.
    if (e.leaf == Leaf::Local && top_) return top_->slot(static_cast<std::size_t>(e.slot));
    if (e.leaf == Leaf::Global) return e.global;
    return variableOf(e, create);
}

inline bool Interpreter::integerValue(const Expr& e, std::int32_t& out) {
    if (e.arithmetic) return e.arithmetic(*this, e, out);
    if (e.kind == ExprKind::Binary) return e.pure && integerValueFirst(e, out);
    const Value* v = plainValue(e);
    if (!v || !v->isInteger()) return false;
    out = v->asInt();
    return true;
}

inline bool Interpreter::integerComparison(const Expr& e, bool& out) {
    if (!e.comparison) return integerComparisonFirst(e, out);
    std::int32_t r = 0;
    if (!e.comparison(*this, e, r)) return false;
    out = r != 0;
    return true;
}

// A failed variant operation as the script's run-time error.
[[noreturn]] void fromValueError(const ValueError& e);
// A number and a text that is not a number compare without a type mismatch: the number is the
// smaller. Everything else follows the variant rules.
Value scriptCompare(CompareOp op, const Value& a, const Value& b);

} // namespace vorlan::script::basic
