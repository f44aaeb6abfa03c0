#pragma once
// A collection of captioned parts with a width: the panels of a status bar, the sections of a
// header control, the columns of a list view. Scripts reach Count, Items[I] (the default
// property), Add and Clear; each item has Text (Caption too), Width and Alignment. The owner is
// told after every change and shows the items again.

#include "script/native_object.h"
#include "script/value.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vorlan::forms {

class SectionList;

class Section : public script::NativeObject {
public:
    Section(std::string cls, std::function<void()> changed)
        : NativeObject(std::move(cls)), changed_(std::move(changed)) {}
    const std::string& text() const { return text_; }
    void setText(const std::string& text);
    int width() const { return width_; }
    void setWidth(int width);
    // taLeftJustify, taRightJustify, taCenter.
    const std::string& alignment() const { return alignment_; }
    void setAlignment(const std::string& alignment);
    // "Text", "Caption", "Width", "Alignment" as stored forms name them; any other name is kept
    // as given (keep).
    bool set(std::string_view name, const script::Value& value);
    // A property nothing here shows (a panel's bevel, a section's minimum width ...): what was
    // set, else `initial`.
    script::Value kept(std::string_view name, const script::Value& initial) const;
    void keep(std::string_view name, const script::Value& value);
    // Its place in its list; -1 once out of it.
    int index() const;
    // Where it starts in its list: the widths of the items before it.
    int left() const;

private:
    friend class SectionList;
    const SectionList* list_ = nullptr;
    std::vector<std::pair<std::string, script::Value>> kept_;
    std::string text_;
    int width_ = 50;
    std::string alignment_ = "taLeftJustify";
    std::function<void()> changed_;
};

class SectionList : public script::NativeObject {
public:
    // `itemClass` is the script class of the items (TStatusPanel ...).
    SectionList(std::string cls, std::string itemClass, std::function<void()> changed);
    ~SectionList() override;

    int count() const { return static_cast<int>(items_.size()); }
    // Raises "List index out of bounds" outside the collection.
    Section& at(int index) const;
    Section& add();
    // At `index` (at the end when past it).
    Section& insert(int index);
    int indexOf(const Section& item) const;
    void clear();
    void remove(int index);

    // The form file's collection: the item list first, then "[i].Property" for each value.
    void readStored(const script::Value& items);
    bool setStored(std::string_view indexedName, const script::Value& value);

private:
    std::string itemClass_;
    std::function<void()> changed_;
    std::vector<std::unique_ptr<Section>> items_;
};

} // namespace vorlan::forms
