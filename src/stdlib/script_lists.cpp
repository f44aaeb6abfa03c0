#include "stdlib/script_lists.h"

#include "core/cp1250.h"
#include "script/comp_wrapper.h"
#include "script/dispatch.h"
#include "stdlib/strings_base.h"

namespace vorlan::stdlib {

using script::Value;

namespace {

[[noreturn]] void raiseNotAList() {
    throw script::ScriptException(czech("Parametr není seznam řetězců (TStrings)"));
}

Value callMember(script::Dispatch& target, std::string_view name, unsigned flags,
                 std::vector<Value> args) {
    Value result;
    script::ExceptionInfo error;
    const script::DispStatus status =
        script::invokeByName(target, name, flags, args, result, error);
    if (status == script::DispStatus::Exception) throw script::ScriptException(error.description);
    if (status != script::DispStatus::Ok)
        throw script::ScriptException(script::dispatchStatusMessage(status, name));
    return result;
}

} // namespace

std::vector<std::pair<std::string, Value>> itemsOfScriptList(const Value& list) {
    std::vector<std::pair<std::string, Value>> items;
    if (auto* strings = script::nativeAs<Strings>(list)) {
        const int n = strings->count();
        items.reserve(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i)
            items.emplace_back(strings->get(i), strings->object(i));
        return items;
    }
    if (!list.isObject() || !list.asObject()) raiseNotAList();
    script::Dispatch& other = *list.asObject();
    if (other.idOfName("Count") == script::kUnknownDispId ||
        other.idOfName("Strings") == script::kUnknownDispId)
        raiseNotAList();
    const std::int32_t n = callMember(other, "Count", script::InvokeGet, {}).toInt();
    for (std::int32_t i = 0; i < n; ++i)
        items.emplace_back(callMember(other, "Strings", script::InvokeGet, {Value(i)}).toString(),
                           Value());
    return items;
}

void assignScriptList(Strings& to, const Value& from) {
    auto items = itemsOfScriptList(from); // read first: a list may be assigned to itself
    to.beginUpdate();
    to.clear();
    for (auto& [text, object] : items)
        to.add(std::move(text), std::move(object));
    to.endUpdate();
}

void addScriptList(Strings& to, const Value& from) {
    auto items = itemsOfScriptList(from);
    to.beginUpdate();
    for (auto& [text, object] : items)
        to.add(std::move(text), std::move(object));
    to.endUpdate();
}

bool equalsScriptList(Strings& list, const Value& other) {
    const auto items = itemsOfScriptList(other);
    if (static_cast<int>(items.size()) != list.count()) return false;
    for (int i = 0; i < list.count(); ++i)
        if (list.get(i) != items[static_cast<std::size_t>(i)].first) return false;
    return true;
}

void fillScriptList(const Value& list, const std::vector<std::string>& texts) {
    if (auto* strings = script::nativeAs<Strings>(list)) {
        strings->setTexts(texts);
        return;
    }
    if (!list.isObject() || !list.asObject()) raiseNotAList();
    script::Dispatch& other = *list.asObject();
    callMember(other, "Clear", script::InvokeMethod, {});
    for (const std::string& t : texts)
        callMember(other, "Add", script::InvokeMethod, {Value(t)});
}

} // namespace vorlan::stdlib
