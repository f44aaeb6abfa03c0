#include "script/bind.h"
#include "core/cp1250.h"

#include <algorithm>
#include <array>
#include <mutex>

namespace vorlan::script {

namespace {

std::vector<std::string>& mismatches() {
    static std::vector<std::string> list;
    return list;
}

} // namespace

const std::vector<std::string>& bindingMismatches() {
    return mismatches();
}

void reportBindingMismatch(std::string_view owner, std::string_view name, std::string_view why) {
    std::string text =
        owner.empty() ? std::string(name) : std::string(owner) + "." + std::string(name);
    text += ": ";
    text += why;
    mismatches().push_back(text);
#ifndef NDEBUG
    throw std::logic_error("Binding does not match its declaration: " + text);
#endif
}

namespace bind_detail {

void throwMissingIndex(std::string_view property, std::size_t needed) {
    throw ScriptException(
        std::string(property) + czech(" potřebuje ") +
        (needed == 1 ? czech("jeden index") : std::to_string(needed) + czech(" indexy")));
}

PropertyGetter readThroughDirect(const PropertyInfo& property) {
    // The property outlives every call (nothing is ever unregistered): one pointer, held in the
    // function object itself.
    return [p = &property](NativeObject* self, std::span<const Value> index) -> Value {
        const auto count = static_cast<std::size_t>(std::max(p->indexCount, 0));
        if (index.size() < count) throwMissingIndex(p->name, count);
        std::array<Value*, kMaxParams> at{};
        for (std::size_t i = 0; i < count && i < at.size(); ++i)
            at[i] = const_cast<Value*>(&index[i]); // only read
        Value result;
        p->directRead(self, at.data(), result);
        return result;
    };
}

PropertySetter writeThroughDirect(const PropertyInfo& property) {
    return [p = &property](NativeObject* self, std::span<const Value> index, const Value& value) {
        const auto count = static_cast<std::size_t>(std::max(p->indexCount, 0));
        if (index.size() < count) throwMissingIndex(p->name, count);
        std::array<Value*, kMaxParams> at{};
        for (std::size_t i = 0; i < count && i < at.size(); ++i)
            at[i] = const_cast<Value*>(&index[i]); // only read
        if (hasDeclaredType(value, p->type)) {
            p->directWrite(self, at.data(), value);
        } else {
            const Value converted = convertToDeclared(value, p->type);
            p->directWrite(self, at.data(), converted);
        }
    };
}

bool kindFits(DeclaredType declared, Kind kind) {
    if (kind == Kind::Value) return true;
    switch (declared) {
    case DeclaredType::Variant:
    case DeclaredType::Pointer:
    case DeclaredType::Set:
        return kind != Kind::Void;
    case DeclaredType::Integer:
    case DeclaredType::Smallint:
    case DeclaredType::Shortint:
    case DeclaredType::Word:
    case DeclaredType::Byte:
    case DeclaredType::Cardinal:
    case DeclaredType::Int64:
    case DeclaredType::Enum:
        return kind == Kind::Integer;
    case DeclaredType::Boolean:
        return kind == Kind::Boolean;
    case DeclaredType::Char:
        return kind == Kind::Char || kind == Kind::String;
    case DeclaredType::String:
        return kind == Kind::String || kind == Kind::Char;
    case DeclaredType::Double:
    case DeclaredType::Extended:
    case DeclaredType::Single:
    case DeclaredType::Real:
        return kind == Kind::Float;
    case DeclaredType::Currency:
        return kind == Kind::Currency || kind == Kind::Float;
    case DeclaredType::DateTime:
        return kind == Kind::Date || kind == Kind::Float;
    case DeclaredType::Object:
        return kind == Kind::Object;
    case DeclaredType::None:
        return kind == Kind::Void;
    }
    return false;
}

} // namespace bind_detail

} // namespace vorlan::script
