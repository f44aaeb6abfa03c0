#pragma once
// The system variables: named values that belong to the runtime process rather than to one
// script, so a value set by one program run is still there for the next one until the runtime
// ends or a script clears the store.

#include "script/value.h"

#include <cstddef>
#include <map>
#include <string>
#include <string_view>

namespace vorlan::script {
class Registry;
}

namespace vorlan::library {

// Orders names as a Czech reader expects: letters by the alphabet (Č, Ř, Š, Ž and the digraph
// CH are letters of their own; other accents only break ties), digits before letters,
// punctuation before digits, letter case last. Only identical texts compare equal.
struct CzechCollationLess {
    bool operator()(std::string_view a, std::string_view b) const;
};

class SystemVariables {
public:
    // Names are folded to upper case (Czech letters too); any text is a valid name.
    void set(std::string_view name, const script::Value& value);
    // A copy of the value; the integer 0 for a name never set.
    script::Value get(std::string_view name) const;
    void clear() { items_.clear(); }
    std::size_t size() const { return items_.size(); }
    const std::map<std::string, script::Value, CzechCollationLess>& items() const { return items_; }

    // The text of the overview box: the first 25 variables in sorted order, one line each.
    std::string overviewText() const;

private:
    std::map<std::string, script::Value, CzechCollationLess> items_;
};

// The store of this process.
SystemVariables& systemVariables();

// SysVarSet, SysVarGet, SysVarClear, SysVarShow.
void registerSystemVariables(script::Registry& registry);

} // namespace vorlan::library
