#include "ui/qt/forms/sections.h"

#include "core/cp1250.h"
#include "script/dispatch.h"

#include <charconv>

namespace vorlan::forms {

using script::Value;

void Section::setText(const std::string& text) {
    text_ = text;
    changed_();
}

void Section::setWidth(int width) {
    width_ = std::max(width, 0);
    changed_();
}

void Section::setAlignment(const std::string& alignment) {
    alignment_ = alignment;
    changed_();
}

bool Section::set(std::string_view name, const Value& value) {
    try {
        if (equalsNoCase(name, "Text") || equalsNoCase(name, "Caption"))
            setText(value.toString());
        else if (equalsNoCase(name, "Width"))
            setWidth(value.toInt());
        else if (equalsNoCase(name, "Alignment"))
            setAlignment(value.toString());
        else
            keep(name, value);
    } catch (const script::ValueError&) {
        return false;
    }
    return true;
}

Value Section::kept(std::string_view name, const Value& initial) const {
    for (const auto& [key, value] : kept_)
        if (equalsNoCase(key, name)) return value;
    return initial;
}

void Section::keep(std::string_view name, const Value& value) {
    for (auto& [key, kept] : kept_)
        if (equalsNoCase(key, name)) {
            kept = value;
            return;
        }
    kept_.emplace_back(std::string(name), value);
}

int Section::index() const {
    return list_ ? list_->indexOf(*this) : -1;
}

int Section::left() const {
    int x = 0;
    for (int i = 0, end = index(); i < end; ++i)
        x += list_->at(i).width();
    return x;
}

SectionList::SectionList(std::string cls, std::string itemClass, std::function<void()> changed)
    : NativeObject(std::move(cls)), itemClass_(std::move(itemClass)), changed_(std::move(changed)) {
}

SectionList::~SectionList() = default;

Section& SectionList::at(int index) const {
    if (index < 0 || index >= count())
        throw script::ScriptException(czech("Index seznamu je mimo rozsah (") +
                                      std::to_string(index) + ")");
    return *items_[static_cast<std::size_t>(index)];
}

Section& SectionList::add() {
    return insert(count());
}

Section& SectionList::insert(int index) {
    if (index < 0 || index > count()) index = count();
    auto made = std::make_unique<Section>(itemClass_, changed_);
    made->list_ = this;
    Section& item = *made;
    items_.insert(items_.begin() + index, std::move(made));
    changed_();
    return item;
}

int SectionList::indexOf(const Section& item) const {
    for (int i = 0; i < count(); ++i)
        if (items_[static_cast<std::size_t>(i)].get() == &item) return i;
    return -1;
}

void SectionList::clear() {
    items_.clear();
    changed_();
}

void SectionList::remove(int index) {
    at(index);
    items_.erase(items_.begin() + index);
    changed_();
}

void SectionList::readStored(const Value& items) {
    items_.clear();
    if (items.isArray())
        for (std::size_t i = 0; i < items.asArray()->size(); ++i)
            items_.push_back(std::make_unique<Section>(itemClass_, changed_));
    for (const auto& item : items_)
        item->list_ = this;
    changed_();
}

bool SectionList::setStored(std::string_view indexedName, const Value& value) {
    // "[3].Width": an item the stored list announced, then its property.
    if (indexedName.size() < 4 || indexedName.front() != '[') return false;
    const std::size_t close = indexedName.find("].");
    if (close == std::string_view::npos) return false;
    int index = -1;
    const auto [end, error] =
        std::from_chars(indexedName.data() + 1, indexedName.data() + close, index);
    if (error != std::errc() || end != indexedName.data() + close || index < 0 || index >= count())
        return false;
    return items_[static_cast<std::size_t>(index)]->set(indexedName.substr(close + 2), value);
}

} // namespace vorlan::forms
