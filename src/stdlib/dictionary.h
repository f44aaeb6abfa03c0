#pragma once
// Scripting.Dictionary: keys with items, in the order they were added. A key is found by its
// type and value: 1 and "1" are different keys, 1 and 1.0 the same one, objects by identity;
// with CompareMode 1 (text) "a" and "A" are one key. Reading the item of a missing key adds the
// key with an empty item, as the original object does.

#include "script/native_object.h"
#include "script/value.h"

#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace vorlan::stdlib {

class Dictionary : public script::NativeObject {
public:
    Dictionary() : NativeObject("Scripting.Dictionary") {}

    void add(const script::Value& key, const script::Value& item);
    bool exists(const script::Value& key) const { return find(key) >= 0; }
    script::Value item(const script::Value& key);
    void setItem(const script::Value& key, const script::Value& item);
    // Gives an existing key a new value (Key(old) = new).
    void renameKey(const script::Value& oldKey, const script::Value& newKey);
    void remove(const script::Value& key);
    void removeAll();
    int count() const { return static_cast<int>(entries_.size()); }
    script::Value keys() const;
    script::Value items() const;
    int compareMode() const { return textCompare_ ? 1 : 0; }
    // Only an empty dictionary changes its mode.
    void setCompareMode(int mode);

private:
    std::string keyText(const script::Value& key) const;
    int find(const script::Value& key) const;
    void reindex();

    std::vector<std::pair<script::Value, script::Value>> entries_;
    std::unordered_map<std::string, std::size_t> index_;
    bool textCompare_ = false;
};

} // namespace vorlan::stdlib
