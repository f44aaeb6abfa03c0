#include "stdlib/string_list.h"

#include "core/cp1250.h"
#include "core/cp1250_collate.h"
#include "stdlib/list_errors.h"

#include <algorithm>
#include <numeric>

namespace vorlan::stdlib {

using script::Value;

std::string StringList::get(int index) const {
    return at(index);
}

const std::string& StringList::at(int index) const {
    checkIndex(index, count());
    return items_[static_cast<std::size_t>(index)].text;
}

void StringList::put(int index, std::string text) {
    if (sorted_) raiseSortedListError();
    checkIndex(index, count());
    Item& item = items_[static_cast<std::size_t>(index)];
    // A line whose name stays (Values[] := ...) keeps the index of names.
    std::string before;
    std::string after;
    const bool hadName = nameKey(item.text, before);
    const bool hasName = nameKey(text, after);
    if (hadName != hasName || before != after) byName_.drop();
    byText_.drop();
    item.text = std::move(text);
}

Value StringList::object(int index) const {
    checkIndex(index, count());
    return items_[static_cast<std::size_t>(index)].object;
}

void StringList::putObject(int index, Value object) {
    checkIndex(index, count());
    items_[static_cast<std::size_t>(index)].object = std::move(object);
}

void StringList::insertItem(int index, std::string text, Value object) {
    if (sorted_) raiseSortedListError();
    if (index < 0 || index > count()) raiseStringListIndexError(index);
    insertAt(index, std::move(text), std::move(object));
}

void StringList::insertAt(int index, std::string text, Value object) {
    if (index == count()) {
        // Appending keeps the indexes: the new item is the last of its key.
        if (byText_.built()) byText_.note(sameKey(text), index);
        std::string key;
        if (byName_.built() && nameKey(text, key)) byName_.note(std::move(key), index);
        items_.push_back({std::move(text), std::move(object)});
        return;
    }
    dropIndexes();
    items_.insert(items_.begin() + index, Item{std::move(text), std::move(object)});
}

void StringList::remove(int index) {
    checkIndex(index, count());
    dropIndexes();
    items_.erase(items_.begin() + index);
}

void StringList::clear() {
    items_.clear();
    dropIndexes();
}

int StringList::add(std::string text, Value object) {
    if (!sorted_) {
        const int at = count();
        insertAt(at, std::move(text), std::move(object));
        return at;
    }
    int at = 0;
    if (find(text, at)) {
        if (duplicates_ == Duplicates::Ignore) return at;
        if (duplicates_ == Duplicates::Error) raiseDuplicateStringError();
    }
    insertAt(at, std::move(text), std::move(object));
    return at;
}

void StringList::exchange(int first, int second) {
    const int n = count();
    checkIndex(first, n);
    checkIndex(second, n);
    if (first == second) return;
    dropIndexes();
    std::swap(items_[static_cast<std::size_t>(first)], items_[static_cast<std::size_t>(second)]);
}

int StringList::indexOf(std::string_view text) const {
    if (sorted_) {
        int at = 0;
        return find(text, at) ? at : -1;
    }
    if (count() < FirstIndex::kMinimumCount) {
        for (std::size_t i = 0; i < items_.size(); ++i)
            if (caseSensitive_ ? items_[i].text == text : equalsNoCase(items_[i].text, text))
                return static_cast<int>(i);
        return -1;
    }
    if (!byText_.built()) {
        for (std::size_t i = 0; i < items_.size(); ++i)
            byText_.note(sameKey(items_[i].text), static_cast<int>(i));
        byText_.markBuilt();
    }
    return byText_.find(sameKey(text));
}

int StringList::indexOfName(std::string_view name) const {
    if (count() < FirstIndex::kMinimumCount) {
        // A short list is searched in place: no key is made of any line. A line's name is the
        // text before its first separator, so a name with a separator in it is no line's name;
        // any other name is a line's when the line has the separator right after it.
        const char separator = nameValueSeparator();
        if (name.find(separator) != std::string_view::npos) return -1;
        for (std::size_t i = 0; i < items_.size(); ++i) {
            const std::string_view line = items_[i].text;
            if (line.size() <= name.size() || line[name.size()] != separator) continue;
            const std::string_view itemName = line.substr(0, name.size());
            if (caseSensitive_ ? itemName == name : equalsNoCase(itemName, name))
                return static_cast<int>(i);
        }
        return -1;
    }
    std::string key;
    if (byName_.built() && indexedSeparator_ != nameValueSeparator()) byName_.drop();
    if (!byName_.built()) {
        indexedSeparator_ = nameValueSeparator();
        for (std::size_t i = 0; i < items_.size(); ++i)
            if (nameKey(items_[i].text, key)) byName_.note(std::move(key), static_cast<int>(i));
        byName_.markBuilt();
    }
    return byName_.find(sameKey(name));
}

int StringList::compareStrings(std::string_view a, std::string_view b) const {
    return compareCollated(a, b, caseSensitive_);
}

void StringList::setTexts(std::vector<std::string> texts) {
    std::vector<Item> items;
    items.reserve(texts.size());
    for (std::string& t : texts)
        items.push_back({std::move(t), Value()});
    if (!sorted_) {
        items_ = std::move(items);
        dropIndexes();
        return;
    }
    // Sorted: the same as adding each text, in one sort.
    std::vector<Item> kept = std::move(items_);
    items_ = std::move(items);
    sort();
    if (duplicates_ != Duplicates::Accept) {
        const auto same = [&](const Item& a, const Item& b) {
            return compareStrings(a.text, b.text) == 0;
        };
        if (duplicates_ == Duplicates::Error &&
            std::adjacent_find(items_.begin(), items_.end(), same) != items_.end()) {
            items_ = std::move(kept);
            raiseDuplicateStringError();
        }
        items_.erase(std::unique(items_.begin(), items_.end(), same), items_.end());
    }
    dropIndexes();
}

bool StringList::find(std::string_view text, int& index) const {
    thread_local std::string wanted;
    thread_local std::string probe;
    wanted.clear();
    appendCollationKey(wanted, text, caseSensitive_);
    std::size_t low = 0;
    std::size_t high = items_.size();
    while (low < high) {
        const std::size_t mid = low + (high - low) / 2;
        probe.clear();
        appendCollationKey(probe, items_[mid].text, caseSensitive_);
        if (probe < wanted)
            low = mid + 1;
        else
            high = mid;
    }
    index = static_cast<int>(low);
    if (low == items_.size()) return false;
    probe.clear();
    appendCollationKey(probe, items_[low].text, caseSensitive_);
    return probe == wanted;
}

void StringList::sort() {
    if (items_.size() < 2) return;
    // All keys in one buffer: building them is one pass, comparing them is memcmp.
    std::string pool;
    pool.reserve(items_.size() * 24);
    std::vector<std::pair<std::size_t, std::size_t>> keys(items_.size());
    for (std::size_t i = 0; i < items_.size(); ++i) {
        keys[i].first = pool.size();
        appendCollationKey(pool, items_[i].text, caseSensitive_);
        keys[i].second = pool.size() - keys[i].first;
    }
    const auto keyOf = [&](std::size_t i) {
        return std::string_view(pool).substr(keys[i].first, keys[i].second);
    };
    std::vector<std::size_t> order(items_.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    // Equal texts keep their order.
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return keyOf(a) < keyOf(b); });
    std::vector<Item> sortedItems;
    sortedItems.reserve(items_.size());
    for (std::size_t i : order)
        sortedItems.push_back(std::move(items_[i]));
    items_ = std::move(sortedItems);
    dropIndexes();
}

void StringList::setSorted(bool sorted) {
    if (sorted == sorted_) return;
    if (sorted) sort();
    sorted_ = sorted;
}

void StringList::setCaseSensitive(bool caseSensitive) {
    if (caseSensitive == caseSensitive_) return;
    caseSensitive_ = caseSensitive;
    dropIndexes();
    if (sorted_) sort();
}

std::string StringList::sameKey(std::string_view text) const {
    return caseSensitive_ ? std::string(text) : upperCase(text);
}

bool StringList::nameKey(std::string_view line, std::string& key) const {
    const std::size_t at = line.find(nameValueSeparator());
    if (at == std::string_view::npos) return false;
    key = sameKey(line.substr(0, at));
    return true;
}

void StringList::dropIndexes() const {
    byText_.drop();
    byName_.drop();
}

} // namespace vorlan::stdlib
