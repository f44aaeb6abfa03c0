#include "library/sysvar.h"

#include "core/cp1250.h"
#include "core/cp1250_collate.h"
#include "core/ui_services.h"
#include "script/bind.h"

#include <cstdio>

namespace vorlan::library {

using script::Value;

bool CzechCollationLess::operator()(std::string_view a, std::string_view b) const {
    return compareCollated(a, b, true) < 0;
}

void SystemVariables::set(std::string_view name, const Value& value) {
    items_[upperCase(name)] = value;
}

Value SystemVariables::get(std::string_view name) const {
    auto it = items_.find(upperCase(name));
    return it == items_.end() ? Value(0) : it->second;
}

namespace {

constexpr std::size_t kShownVariables = 25;
constexpr std::size_t kShownStringLength = 50;

std::string valueText(const Value& v) {
    if (v.isString()) return '"' + v.asString().substr(0, kShownStringLength) + '"';
    try {
        return v.toString(); // Booleans give True/False, null the empty text
    } catch (const script::ValueError&) {
        // Arrays and objects have no text; the box names their kind so it never fails.
        return std::string("(") + script::typeName(v.type()) + ")";
    }
}

} // namespace

std::string SystemVariables::overviewText() const {
    if (items_.empty()) return czech("Nebyly definovány");
    std::string text;
    std::size_t n = 0;
    for (const auto& [name, value] : items_) {
        if (n == kShownVariables) break;
        char ordinal[8];
        std::snprintf(ordinal, sizeof ordinal, "%02zu", ++n);
        text += std::string("(") + ordinal + ") - " + name + " ---> " + valueText(value) + '\n';
    }
    return text;
}

SystemVariables& systemVariables() {
    static SystemVariables store;
    return store;
}

void registerSystemVariables(script::Registry& reg) {
    script::Binder b(reg);
    b.bind("SysVarSet", "procedure(Name: string; Value: Variant)",
           [](std::string_view name, const Value& value) { systemVariables().set(name, value); });
    b.bind("SysVarGet", "function(Name: string): Variant",
           [](std::string_view name) { return systemVariables().get(name); });
    b.bind("SysVarClear", "procedure", [] { systemVariables().clear(); });
    b.bind("SysVarShow", "procedure", [] {
        MessageBoxRequest box;
        box.caption = czech("Systémové proměnné");
        box.text = systemVariables().overviewText();
        box.icon = MessageIcon::Information;
        box.buttons = ButtonOk;
        ui().messageBox(box);
    });
}

} // namespace vorlan::library
