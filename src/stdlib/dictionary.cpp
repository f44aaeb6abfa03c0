#include "stdlib/dictionary.h"

#include "core/cp1250.h"
#include "script/dispatch.h"

#include <cstdint>

namespace vorlan::stdlib {

using script::Value;

namespace {

[[noreturn]] void raiseDictionaryError(const char* utf8) {
    throw script::ScriptException(czech(utf8));
}

// More keys than this is a script gone wrong.
constexpr std::size_t kMaxEntries = 16u << 20;

script::Value arrayOf(const std::vector<std::pair<Value, Value>>& entries, bool keys) {
    auto a = script::VarArray::create(0, static_cast<std::int32_t>(entries.size()) - 1);
    for (std::size_t i = 0; i < entries.size(); ++i)
        a->items()[i] = keys ? entries[i].first : entries[i].second;
    return Value(a);
}

} // namespace

std::string Dictionary::keyText(const Value& key) const {
    if (key.isArray()) raiseDictionaryError("Klíčem slovníku nemůže být pole");
    if (key.isObject())
        return "o" + std::to_string(reinterpret_cast<std::uintptr_t>(key.asObject().get()));
    if (key.isString()) return "s" + (textCompare_ ? upperCase(key.asString()) : key.asString());
    if (key.isNumeric()) return "n" + script::formatDouble(key.toDouble());
    return std::string(1, static_cast<char>('a' + static_cast<int>(key.type()))) + key.toString();
}

int Dictionary::find(const Value& key) const {
    auto it = index_.find(keyText(key));
    return it == index_.end() ? -1 : static_cast<int>(it->second);
}

void Dictionary::reindex() {
    index_.clear();
    for (std::size_t i = 0; i < entries_.size(); ++i)
        index_.emplace(keyText(entries_[i].first), i);
}

void Dictionary::add(const Value& key, const Value& item) {
    std::string text = keyText(key);
    if (index_.count(text)) raiseDictionaryError("Tento klíč už ve slovníku je");
    if (entries_.size() >= kMaxEntries) raiseDictionaryError("Slovník je příliš velký");
    index_.emplace(std::move(text), entries_.size());
    entries_.emplace_back(key, item);
}

Value Dictionary::item(const Value& key) {
    int at = find(key);
    if (at < 0) {
        add(key, Value());
        at = count() - 1;
    }
    return entries_[static_cast<std::size_t>(at)].second;
}

void Dictionary::setItem(const Value& key, const Value& item) {
    const int at = find(key);
    if (at < 0)
        add(key, item);
    else
        entries_[static_cast<std::size_t>(at)].second = item;
}

void Dictionary::renameKey(const Value& oldKey, const Value& newKey) {
    const int at = find(oldKey);
    if (at < 0) raiseDictionaryError("Prvek nebyl ve slovníku nalezen");
    if (find(newKey) >= 0) raiseDictionaryError("Tento klíč už ve slovníku je");
    entries_[static_cast<std::size_t>(at)].first = newKey;
    reindex();
}

void Dictionary::remove(const Value& key) {
    const int at = find(key);
    if (at < 0) raiseDictionaryError("Prvek nebyl ve slovníku nalezen");
    entries_.erase(entries_.begin() + at);
    reindex();
}

void Dictionary::removeAll() {
    entries_.clear();
    index_.clear();
}

Value Dictionary::keys() const {
    return arrayOf(entries_, true);
}

Value Dictionary::items() const {
    return arrayOf(entries_, false);
}

void Dictionary::setCompareMode(int mode) {
    if (!entries_.empty())
        raiseDictionaryError("Režim porovnávání lze změnit jen u prázdného slovníku");
    textCompare_ = mode == 1;
}

} // namespace vorlan::stdlib
