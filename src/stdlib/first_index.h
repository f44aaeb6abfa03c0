#pragma once
// The first position of each key in a list, for lookups by text or by name that would
// otherwise walk the whole list each time. It is built on the first lookup in a list long
// enough to need it, kept while items are only appended, and dropped by any other change (the
// next lookup builds it again).

#include <string>
#include <string_view>
#include <unordered_map>

namespace vorlan::stdlib {

class FirstIndex {
public:
    // Lists shorter than this are searched directly.
    static constexpr int kMinimumCount = 32;

    bool built() const { return built_; }
    void drop() {
        if (!built_) return;
        built_ = false;
        positions_.clear();
    }
    void markBuilt() { built_ = true; }
    // Records a key at a position; an earlier position of the same key stays.
    void note(std::string key, int position) { positions_.emplace(std::move(key), position); }
    int find(const std::string& key) const {
        auto it = positions_.find(key);
        return it == positions_.end() ? -1 : it->second;
    }

private:
    bool built_ = false;
    std::unordered_map<std::string, int> positions_;
};

} // namespace vorlan::stdlib
