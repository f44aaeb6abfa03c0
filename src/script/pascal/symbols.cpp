#include "script/pascal/symbols.h"

#include "core/cp1250.h"

namespace vorlan::script::pascal::detail {

std::string SymbolTable::key(std::string_view name) {
    return upperCase(name);
}

std::string SymbolTable::scopePrefix() const {
    return current_ >= 0 ? key(routines_[static_cast<std::size_t>(current_)].name) + "."
                         : std::string();
}

Ident* SymbolTable::find(const std::string& k) {
    auto it = idents_.find(k);
    return it == idents_.end() ? nullptr : &it->second;
}

Ident* SymbolTable::lookup(std::string_view name) {
    for (auto it = statementNames_.rbegin(); it != statementNames_.rend(); ++it)
        if (it->first == key(name)) return &it->second;
    if (current_ >= 0)
        if (Ident* local = find(scopePrefix() + key(name))) return local;
    return find(key(name));
}

Ident* SymbolTable::add(const std::string& k, Ident item) {
    auto [it, added] = idents_.emplace(k, std::move(item));
    return added ? &it->second : nullptr;
}

void SymbolTable::pushStatementName(std::string_view name, Ident item) {
    statementNames_.emplace_back(key(name), std::move(item));
}

int SymbolTable::addRoutine(RoutineDecl routine) {
    routines_.push_back(std::move(routine));
    return static_cast<int>(routines_.size() - 1);
}

} // namespace vorlan::script::pascal::detail
