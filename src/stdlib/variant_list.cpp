#include "stdlib/variant_list.h"

#include "script/dispatch.h"
#include "stdlib/list_errors.h"

#include <algorithm>

namespace vorlan::stdlib {

using script::Value;

namespace {

// More items than this is a script gone wrong, not a list it needs.
constexpr int kMaxItems = 128 * 1024 * 1024;

void checkIndex(int index, int limit) {
    if (index < 0 || index >= limit) raiseListIndexError(index);
}

} // namespace

void VariantList::setCount(int count) {
    if (count < 0 || count > kMaxItems) raiseListIndexError(count);
    items_.resize(static_cast<std::size_t>(count));
    capacity_ = std::max(capacity_, count);
}

void VariantList::setCapacity(int capacity) {
    if (capacity < count() || capacity > kMaxItems) raiseListIndexError(capacity);
    capacity_ = capacity;
}

const Value& VariantList::get(int index) const {
    checkIndex(index, count());
    return items_[static_cast<std::size_t>(index)];
}

void VariantList::put(int index, Value value) {
    checkIndex(index, count());
    items_[static_cast<std::size_t>(index)] = std::move(value);
}

int VariantList::add(Value value) {
    if (count() >= kMaxItems) raiseListIndexError(count());
    items_.push_back(std::move(value));
    capacity_ = std::max(capacity_, count());
    return count() - 1;
}

void VariantList::insert(int index, Value value) {
    if (index < 0 || index > count() || count() >= kMaxItems) raiseListIndexError(index);
    items_.insert(items_.begin() + index, std::move(value));
    capacity_ = std::max(capacity_, count());
}

void VariantList::remove(int index) {
    checkIndex(index, count());
    items_.erase(items_.begin() + index);
}

void VariantList::clear() {
    items_.clear();
    capacity_ = 0;
}

void VariantList::exchange(int first, int second) {
    checkIndex(first, count());
    checkIndex(second, count());
    std::swap(items_[static_cast<std::size_t>(first)], items_[static_cast<std::size_t>(second)]);
}

void VariantList::move(int from, int to) {
    if (from == to) return;
    checkIndex(from, count());
    checkIndex(to, count());
    Value item = std::move(items_[static_cast<std::size_t>(from)]);
    items_.erase(items_.begin() + from);
    items_.insert(items_.begin() + to, std::move(item));
}

int VariantList::indexOf(const Value& value) const {
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i].identical(value) || (isNil(items_[i]) && isNil(value)))
            return static_cast<int>(i);
    return -1;
}

int VariantList::removeValue(const Value& value) {
    const int at = indexOf(value);
    if (at >= 0) remove(at);
    return at;
}

Value VariantList::extract(const Value& value) {
    const int at = indexOf(value);
    if (at < 0) return {};
    Value item = std::move(items_[static_cast<std::size_t>(at)]);
    items_.erase(items_.begin() + at);
    return item;
}

void VariantList::pack() {
    items_.erase(std::remove_if(items_.begin(), items_.end(), isNil), items_.end());
}

bool VariantList::isNil(const Value& value) {
    switch (value.type()) {
    case script::ValueType::Empty:
    case script::ValueType::Null:
        return true;
    case script::ValueType::Integer:
        return value.asInt() == 0;
    case script::ValueType::Object:
        return !value.asObject();
    default:
        return false;
    }
}

} // namespace vorlan::stdlib
