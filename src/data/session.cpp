#include "data/session.h"

#include "core/cp1250.h"

#include <map>

namespace vorlan::data {

namespace {

// Keyed by the upper-cased alias, so lookups ignore letter case (Czech letters included).
std::map<std::string, std::string>& aliasTable() {
    static std::map<std::string, std::string> table;
    return table;
}

} // namespace

std::string aliasPath(std::string_view alias) {
    const auto& table = aliasTable();
    const auto it = table.find(upperCase(alias));
    return it == table.end() ? std::string() : it->second;
}

void setAliasPath(std::string_view alias, std::string path) {
    if (path.empty()) {
        aliasTable().erase(upperCase(alias));
    } else {
        aliasTable()[upperCase(alias)] = std::move(path);
    }
}

} // namespace vorlan::data
