#include "core/cp1250.h"
#include "script/basic/basic_interp.h"

#include "script/basic/basic_frame.h"

#include <climits>
#include <cmath>

namespace vorlan::script::basic {

namespace {

// The result of 32-bit integer arithmetic done in 64 bits: a double when it does not fit.
inline Value wide(std::int64_t i) {
    if (i >= INT32_MIN && i <= INT32_MAX) [[likely]]
        return Value(static_cast<std::int32_t>(i));
    return Value(static_cast<double>(i));
}

Value nothing() {
    return Value(ObjectRef());
}

} // namespace

[[noreturn]] void fromValueError(const ValueError& e) {
    const std::string what = e.what();
    // The value layer's errors are told apart by their texts (Windows-1250).
    if (what.find(czech("Dělení nulou")) != std::string::npos) raise(11);
    if (what.find(czech("Přetečení")) != std::string::npos) raise(6);
    raise(13, czech("Nesouhlasí typ: ") + what);
}

// A number and a text that is not a number compare without a type mismatch: the number is the
// smaller. Everything else follows the variant rules.
Value scriptCompare(CompareOp op, const Value& a, const Value& b) {
    const auto textOnly = [](const Value& v) {
        double ignored = 0;
        return v.isString() && !parseNumber(v.asString(), ignored);
    };
    const bool aNumber = a.isNumeric() || a.type() == ValueType::Boolean;
    const bool bNumber = b.isNumeric() || b.type() == ValueType::Boolean;
    if (!(aNumber && textOnly(b)) && !(bNumber && textOnly(a))) return compare(op, a, b);
    const int order = aNumber ? -1 : 1;
    switch (op) {
    case CompareOp::Equal:
        return Value(false);
    case CompareOp::NotEqual:
        return Value(true);
    case CompareOp::Less:
    case CompareOp::LessEqual:
        return Value(order < 0);
    default:
        return Value(order > 0);
    }
}

Value Interpreter::eval(Expr& e) {
    switch (e.kind) {
    case ExprKind::Literal:
        return e.value;
    case ExprKind::Nothing:
        return nothing();
    case ExprKind::Me: {
        ScriptObject* self = top_ ? top_->self : nullptr;
        if (!self) raise(424);
        return Value(ObjectRef(self->shared_from_this()));
    }
    case ExprKind::New:
        return newObject(e);
    case ExprKind::WithObject:
        if (withObjects_.empty()) raise(424);
        return withObjects_.back();
    case ExprKind::Name:
        if (e.argsInPlace > 0) return callInPlace(e, nullptr);
        return evalName(e);
    case ExprKind::Member:
        return evalMember(e);
    case ExprKind::Unary: {
        Value v = eval(*e.left);
        if (e.op == Op::Paren) return v;
        v = scalar(v);
        if (v.isArray()) raise(13);
        if (e.op == Op::Not) return logicalNot(v);
        if (e.op == Op::Negate) return negate(v);
        return v;
    }
    case ExprKind::Binary:
        return binary(e);
    }
    return {};
}

Value Interpreter::binary(Expr& e) {
    if (std::int32_t i = 0; integerValue(e, i)) return Value(i);
    return binaryNotInteger(e);
}

[[gnu::always_inline]] inline Value Interpreter::operand(Expr& e) {
    // A call of one of the module's functions, the usual operand that is not a variable, goes
    // straight to the call.
    if (e.kind == ExprKind::Name) {
        if (e.nameKind == NameKind::Procedure)
            return callProcedure(procs_[static_cast<std::size_t>(e.slot)], &e.args, {});
        if (e.argsInPlace > 0) return callInPlace(e, nullptr);
    }
    return eval(e);
}

Value Interpreter::binaryNotInteger(Expr& e) {
    if (bool b = false; e.pure && integerComparison(e, b)) return Value(b);
    // Operands that are literals or plain variables are read where they are instead of copied.
    // The left one only when the right one is such too: evaluating anything else could change it.
    const Value* pb = plainValue(*e.right);
    const Value* pa = pb ? plainValue(*e.left) : nullptr;
    // Evaluated operands are built in place, not assigned over an empty value. A variable on
    // the left is copied before the right side runs, which might change it.
    Scratch leftCopy([&] {
        if (pa) return Value();
        if (const Value* v = plainValue(*e.left)) return *v;
        return operand(*e.left);
    });
    if (!pa) pa = &leftCopy.value();
    Scratch rightCopy([&] { return pb ? Value() : operand(*e.right); });
    if (!pb) pb = &rightCopy.value();
    if (pa->isInteger() && pb->isInteger()) {
        // The common case of loops and counters, without the variant machinery.
        const std::int64_t x = pa->asInt(), y = pb->asInt();
        switch (e.op) {
        case Op::Add:
            return wide(x + y);
        case Op::Subtract:
            return wide(x - y);
        case Op::Multiply:
            return wide(x * y);
        case Op::IntDivide:
            if (y != 0) return wide(x / y);
            break;
        case Op::Modulo:
            if (y != 0) return wide(x % y);
            break;
        case Op::Equal:
            return Value(x == y);
        case Op::NotEqual:
            return Value(x != y);
        case Op::Less:
            return Value(x < y);
        case Op::Greater:
            return Value(x > y);
        case Op::LessEqual:
            return Value(x <= y);
        case Op::GreaterEqual:
            return Value(x >= y);
        default:
            break;
        }
    }
    return binaryValues(e.op, *pa, *pb);
}

Value Interpreter::binaryValues(Op op, const Value& left, const Value& right) {
    auto arithmeticOperand = [](const Value& v) {
        if (v.isObject() || v.isArray()) raise(13);
    };
    if (op == Op::Is) {
        if (!left.isObject() || !right.isObject()) raise(424);
        return Value(left.asObject() == right.asObject());
    }
    // Objects stand for their default value; only they change, so plain values are not copied.
    const Value* pa = &left;
    const Value* pb = &right;
    Value leftCopy, rightCopy;
    if (pa->isObject()) {
        leftCopy = scalar(*pa);
        pa = &leftCopy;
    }
    if (pb->isObject()) {
        rightCopy = scalar(*pb);
        pb = &rightCopy;
    }
    const Value& a = *pa;
    const Value& b = *pb;
    arithmeticOperand(a);
    arithmeticOperand(b);
    switch (op) {
    case Op::Equal:
    case Op::NotEqual:
    case Op::Less:
    case Op::Greater:
    case Op::LessEqual:
    case Op::GreaterEqual: {
        static const CompareOp ops[] = {CompareOp::Equal,     CompareOp::NotEqual,
                                        CompareOp::Less,      CompareOp::Greater,
                                        CompareOp::LessEqual, CompareOp::GreaterEqual};
        return scriptCompare(ops[static_cast<int>(op) - static_cast<int>(Op::Equal)], a, b);
    }
    default:
        break;
    }
    switch (op) {
    case Op::Power: {
        if (a.isNull() || b.isNull()) return Value::null();
        const double r = std::pow(a.toDouble(), b.toDouble());
        if (std::isnan(r) && !std::isnan(a.toDouble())) raise(5);
        if (std::isinf(r)) raise(6);
        return Value(r);
    }
    case Op::Multiply:
        return binaryOp(BinaryOp::Multiply, a, b);
    case Op::Divide:
        return binaryOp(BinaryOp::Divide, a, b);
    case Op::IntDivide:
        return binaryOp(BinaryOp::IntDivide, a, b);
    case Op::Modulo:
        return binaryOp(BinaryOp::Modulo, a, b);
    case Op::Add:
        return binaryOp(BinaryOp::Add, a, b);
    case Op::Subtract:
        return binaryOp(BinaryOp::Subtract, a, b);
    case Op::Concat: {
        if (a.isNull() && b.isNull()) return Value::null();
        // Texts are read where they are; only other values are converted first.
        std::string leftText, rightText;
        const auto text = [](const Value& v, std::string& converted) -> std::string_view {
            if (v.isString()) return v.asString();
            if (!v.isNull()) converted = v.toString();
            return converted;
        };
        const std::string_view l = text(a, leftText);
        const std::string_view r = text(b, rightText);
        if (l.size() + r.size() > kMaxStringLength) raise(7);
        std::string joined;
        joined.reserve(l.size() + r.size());
        joined.append(l).append(r);
        charge(joined.size());
        return Value(std::move(joined));
    }
    case Op::And:
        return binaryOp(BinaryOp::And, a, b);
    case Op::Or:
        return binaryOp(BinaryOp::Or, a, b);
    case Op::Xor:
        return binaryOp(BinaryOp::Xor, a, b);
    case Op::Eqv:
        return logicalNot(binaryOp(BinaryOp::Xor, a, b));
    case Op::Imp:
        return binaryOp(BinaryOp::Or, logicalNot(a), b);
    default:
        return {};
    }
}

Value Interpreter::evalName(Expr& e) {
    resolve(e, false);
    switch (e.nameKind) {
    case NameKind::Member: {
        ScriptObject* self = top_ ? top_->self : nullptr;
        if (!self) raise(424);
        auto keep = self->shared_from_this();
        CallArgs args;
        evalArgs(e, args);
        Value r = invokeObject(*self, e.slot, InvokeMethod | InvokeGet, args);
        writeBack(args);
        return r;
    }
    case NameKind::Local:
    case NameKind::Field:
    case NameKind::Global: {
        const Value& v = *variable(e, false);
        if (!e.hasParens) return v;
        CallArgs args;
        evalArgs(e, args);
        if (v.isArray()) return indexArray(v, args);
        if (v.isObject()) {
            const Value object = v;
            if (args.empty() && !dynamic_cast<ProcRef*>(object.asObject().get())) return object;
            Value r = invokeDefault(object, args, nullptr);
            writeBack(args); // a procedure reached through GetRef hands ByRef values back
            return r;
        }
        if (args.empty()) return v;
        raise(13, errorText(13) + ": '" + e.name + "'");
    }
    case NameKind::Procedure:
        return callProcedure(procs_[static_cast<std::size_t>(e.slot)], &e.args, {});
    case NameKind::Builtin: {
        CallArgs args;
        for (auto& a : e.args)
            args.push_back(eval(*a));
        if (e.slot < 0) {
            if (args.size() != 1) raise(450, errorText(450) + ": '" + e.name + "'");
            const std::string text = args[0].isNull() ? std::string() : args[0].toString();
            if (e.slot == -1) return evalText(text);
            if (e.slot == -4) return procedureReference(text);
            executeText(text, e.slot == -3);
            return {};
        }
        Value r = callBuiltin(e.slot, args);
        if (r.isString())
            charge(r.asString().size());
        else if (r.isArray())
            charge(r.asArray()->size() * 16);
        return r;
    }
    case NameKind::Outside: {
        CallArgs args;
        evalArgs(e, args);
        Value r;
        if (!e.direct || !callRegistered(*e.direct, args, e.name, r))
            r = invokeHost(*e.cachedHost, e.cachedId, InvokeMethod | InvokeGet, args, e.name);
        writeBack(args);
        if (e.direct && e.argsInPlace < 0) e.argsInPlace = argumentsInPlace(e, *e.direct);
        return r;
    }
    case NameKind::Unresolved:
        break;
    }
    return {};
}

Value Interpreter::evalMember(Expr& e) {
    const Value base = eval(*e.left);
    // A registered method or property of the native object this call reached last time.
    if (base.isObject() && remembered(e, base.asObject())) return callMember(e, base.asObject());
    CallArgs args;
    evalArgs(e, args);
    if (e.name.empty()) { // a(1)(2): index or call the result
        if (base.isArray()) return indexArray(base, args);
        if (base.isObject() && base.asObject()) return invokeDefault(base, args, nullptr);
        raise(13);
    }
    if (!base.isObject()) raise(424, errorText(424) + ": '" + e.left->name + "'");
    if (!base.asObject()) raise(91);
    Value r = invokeMember(*base.asObject(), e, InvokeMethod | InvokeGet, args);
    writeBack(args);
    rememberMember(e, base.asObject(), args.size());
    return r;
}

} // namespace vorlan::script::basic
