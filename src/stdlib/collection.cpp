#include "stdlib/collection.h"

#include "core/cp1250.h"
#include "script/dispatch.h"

#include <algorithm>

namespace vorlan::stdlib {

namespace {

[[noreturn]] void outOfRange(std::int32_t index) {
    throw script::ScriptException(czech("Index kolekce je mimo rozsah (") + std::to_string(index) +
                                  ")");
}

} // namespace

std::int32_t CollectionItem::index() const {
    return collection_ ? collection_->indexOf(this) : -1;
}

void CollectionItem::setIndex(std::int32_t index) {
    if (collection_) collection_->move(this->index(), index);
}

CollectionItem* Collection::item(std::int32_t index) const {
    if (index < 0 || index >= count()) outOfRange(index);
    return items_[static_cast<std::size_t>(index)].get();
}

CollectionItem* Collection::insert(std::int32_t index) {
    if (index < 0 || index > count()) outOfRange(index);
    auto made = std::make_unique<CollectionItem>(*this, nextId_++);
    CollectionItem* raw = made.get();
    items_.insert(items_.begin() + index, std::move(made));
    return raw;
}

void Collection::remove(std::int32_t index) {
    if (index < 0 || index >= count()) outOfRange(index);
    items_.erase(items_.begin() + index);
}

CollectionItem* Collection::findItemId(std::int32_t id) const {
    for (const auto& item : items_)
        if (item->id() == id) return item.get();
    return nullptr;
}

std::int32_t Collection::indexOf(const CollectionItem* item) const {
    const auto it = std::find_if(items_.begin(), items_.end(),
                                 [item](const auto& own) { return own.get() == item; });
    return it == items_.end() ? -1 : static_cast<std::int32_t>(it - items_.begin());
}

void Collection::move(std::int32_t from, std::int32_t to) {
    if (from < 0 || from >= count()) outOfRange(from);
    to = std::clamp(to, 0, count() - 1);
    auto moving = std::move(items_[static_cast<std::size_t>(from)]);
    items_.erase(items_.begin() + from);
    items_.insert(items_.begin() + to, std::move(moving));
}

} // namespace vorlan::stdlib
