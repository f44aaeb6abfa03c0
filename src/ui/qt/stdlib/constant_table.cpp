#include "ui/qt/stdlib/constant_table.h"

#include "script/bind.h"
#include "script/registry.h"

namespace vorlan::stdlib {

namespace {

void registerOnce(script::Registry& registry, const char* name, script::Value value) {
    if (const script::Value* existing = registry.findConst(name)) {
        if (!existing->identical(value))
            script::reportBindingMismatch("", name, "is already a constant with another value");
        return;
    }
    registry.registerConst(name, std::move(value));
}

} // namespace

void registerIntConstants(script::Registry& registry, std::span<const IntConstant> table) {
    for (const IntConstant& c : table)
        registerOnce(registry, c.name, script::Value(c.value));
}

void registerNameConstants(script::Registry& registry, std::span<const char* const> names) {
    for (const char* name : names)
        registerOnce(registry, name, script::Value(name));
}

} // namespace vorlan::stdlib
