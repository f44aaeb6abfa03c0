#include "script/pascal/machine_values.h"

#include "core/cp1250.h"
#include "script/comp_wrapper.h"
#include "script/registry.h"

namespace vorlan::script::pascal::machine {

namespace {

// Equality as op 13 sees it: an object reference against an integer compares the reference's
// address with the number, so `obj = 0` tests whether there is an object.
bool objectIntegerEqual(const Value& a, const Value& b, bool& equal) {
    const Value* obj = a.isObject() ? &a : (b.isObject() ? &b : nullptr);
    const Value* num = a.isInteger() ? &a : (b.isInteger() ? &b : nullptr);
    if (!obj || !num) return false;
    const auto address = reinterpret_cast<std::uintptr_t>(obj->asObject().get());
    equal = address == static_cast<std::uintptr_t>(static_cast<std::intptr_t>(num->asInt()));
    return true;
}

// `List[i]` on an object reads its default property (the Strings of a string list, the Items
// of a collection) with the index.
Value defaultPropertyOf(const Value& object, Value& index) {
    NativeObject* native = nativeObjectOf(object);
    const ClassInfo* cls = native ? registry().findClass(native->className()) : nullptr;
    while (cls && !cls->defaultProperty)
        cls = cls->parent;
    if (!cls) throw ValueError(czech("Objekt nemá výchozí vlastnost"));
    Value result;
    ExceptionInfo error;
    const DispStatus status = registry().getProperty(*cls->defaultProperty, native,
                                                     std::span<Value>(&index, 1), result, error);
    if (status != DispStatus::Ok)
        throw ValueError(status == DispStatus::Exception ? error.description
                                                         : dispatchStatusMessage(status));
    return result;
}

} // namespace

void slowArithmetic(Value& a, const Value& b, BinaryOp op) {
    a = binaryOp(op, a, b);
}

void slowComparison(Value& a, const Value& b, CompareOp op) {
    if (op == CompareOp::Equal || op == CompareOp::NotEqual) {
        bool equal = false;
        if (objectIntegerEqual(a, b, equal)) {
            a.setBool(op == CompareOp::Equal ? equal : !equal);
            return;
        }
    }
    a = compare(op, a, b);
}

bool slowIsFalse(const Value& v) {
    return logicalNot(v).toBool();
}

// Where element `i` of a one-dimensional array is, without building an index list.
std::size_t elementOffset(const VarArray& array, std::int32_t i) {
    if (array.dimensions() != 1) throw ValueError(czech("Chybný počet indexů pole"));
    const VarArray::Bound& b = array.bound(0);
    if (i < b.low || i > b.high) throw ValueError(czech("Index pole je mimo meze"));
    return static_cast<std::size_t>(static_cast<std::int64_t>(i) - b.low);
}

void charAt(Value& index, const Value& source) {
    if (source.isObject()) {
        index = defaultPropertyOf(source, index);
        return;
    }
    if (source.isArray()) {
        const VarArray& array = *source.asArray();
        if (array.dimensions() != 1) throw ValueError(czech("Chybný počet indexů pole"));
        index = Value(array.items()[elementOffset(array, index.toInt())]);
        return;
    }
    const std::int32_t i = index.toInt();
    const std::string text = source.toString();
    if (i >= 1 && static_cast<std::size_t>(i) <= text.size())
        index = Value(std::string(1, text[static_cast<std::size_t>(i - 1)]));
    else
        index = Value(std::string());
}

} // namespace vorlan::script::pascal::machine
