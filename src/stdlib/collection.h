#pragma once
// TCollection and TCollectionItem as programs make them: TCollection.Create(TCollectionItem)
// holds items that know their collection, their place (Index, which moves them) and an ID that
// stays with the item: IDs count up from 0 in the order items are made and are never reused.

#include "script/native_object.h"
#include "script/value.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vorlan::stdlib {

class Collection;

class CollectionItem : public script::NativeObject {
public:
    CollectionItem(Collection& collection, std::int32_t id)
        : script::NativeObject("TCollectionItem"), collection_(&collection), id_(id) {}

    Collection* collection() const { return collection_; }
    std::int32_t id() const { return id_; }
    std::int32_t index() const;
    void setIndex(std::int32_t index);
    // The class name until a program names the item.
    std::string displayName() const { return displayName_.empty() ? className() : displayName_; }
    void setDisplayName(std::string name) { displayName_ = std::move(name); }

private:
    Collection* collection_;
    std::int32_t id_;
    std::string displayName_;
};

class Collection : public script::NativeObject {
public:
    explicit Collection(std::string itemClass = "TCollectionItem")
        : script::NativeObject("TCollection"), itemClass_(std::move(itemClass)) {}

    std::int32_t count() const { return static_cast<std::int32_t>(items_.size()); }
    // Throws EListError-style script errors for an index outside the collection.
    CollectionItem* item(std::int32_t index) const;
    CollectionItem* add() { return insert(count()); }
    CollectionItem* insert(std::int32_t index);
    void remove(std::int32_t index);
    void clear() { items_.clear(); }
    // Null when no item has the ID.
    CollectionItem* findItemId(std::int32_t id) const;
    const std::string& itemClass() const { return itemClass_; }

    std::int32_t indexOf(const CollectionItem* item) const;
    void move(std::int32_t from, std::int32_t to);

private:
    std::string itemClass_;
    std::vector<std::unique_ptr<CollectionItem>> items_;
    std::int32_t nextId_ = 0;
};

} // namespace vorlan::stdlib
