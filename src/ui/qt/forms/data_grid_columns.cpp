#include "ui/qt/forms/data_grid_columns.h"

#include "core/cp1250.h"
#include "script/dispatch.h"

#include <algorithm>
#include <charconv>

namespace vorlan::forms {

using script::Value;

namespace {

bool is(std::string_view a, std::string_view b) {
    return equalsNoCase(a, b);
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && is(text.substr(0, prefix.size()), prefix);
}

} // namespace

// ---- GridColumnTitle

bool GridColumnTitle::get(std::string_view name, Value& out) const {
    if (is(name, "Caption"))
        out = Value(column_.caption());
    else if (is(name, "Alignment"))
        out = Value(column_.titleAlignment_.empty() ? std::string("taLeftJustify")
                                                    : column_.titleAlignment_);
    else
        return false;
    return true;
}

bool GridColumnTitle::set(std::string_view name, const Value& value) {
    if (is(name, "Caption")) {
        column_.caption_ = value.toString();
        column_.hasCaption_ = true;
    } else if (is(name, "Alignment"))
        column_.titleAlignment_ = value.toString();
    else
        return false;
    column_.changed_(ColumnChange::Look);
    return true;
}

// ---- GridColumn

GridColumn::GridColumn(std::function<void(ColumnChange)> changed)
    : script::NativeObject("TColumn"), changed_(std::move(changed)), title_(*this) {}

void GridColumn::setDefaults(std::string caption, int width) {
    defaultCaption_ = std::move(caption);
    defaultWidth_ = width;
}

bool GridColumn::get(std::string_view name, Value& out) const {
    if (startsWith(name, "Title.")) return title_.get(name.substr(6), out);
    if (is(name, "FieldName"))
        out = Value(fieldName_);
    else if (is(name, "Width"))
        out = Value(static_cast<std::int32_t>(width_ >= 0 ? width_ : defaultWidth_));
    else if (is(name, "Visible"))
        out = Value(visible_);
    else if (is(name, "Alignment"))
        out = Value(alignment_.empty() ? std::string("taLeftJustify") : alignment_);
    else
        return false;
    return true;
}

bool GridColumn::set(std::string_view name, const Value& value) {
    if (startsWith(name, "Title.")) return title_.set(name.substr(6), value);
    ColumnChange change = ColumnChange::Look;
    if (is(name, "FieldName")) {
        fieldName_ = value.toString();
        change = ColumnChange::Layout;
    } else if (is(name, "Width"))
        width_ = std::max(value.toInt(), 0);
    else if (is(name, "Visible"))
        visible_ = value.toBool();
    else if (is(name, "Alignment"))
        alignment_ = value.toString();
    else
        return false;
    changed_(change);
    return true;
}

// ---- GridColumns

GridColumns::GridColumns(std::function<void(ColumnChange)> changed)
    : script::NativeObject("TDBGridColumns"), changed_(std::move(changed)) {}

GridColumns::~GridColumns() = default;

GridColumn& GridColumns::at(int index) const {
    if (index < 0 || index >= count())
        throw script::ScriptException("List index out of bounds (" + std::to_string(index) + ")");
    return *items_[static_cast<std::size_t>(index)];
}

GridColumn& GridColumns::add() {
    items_.push_back(std::make_unique<GridColumn>(changed_));
    changed_(ColumnChange::Layout);
    return *items_.back();
}

void GridColumns::clear() {
    // Scripts still holding a column see it gone (its wrapper notices) rather than a stale one.
    items_.clear();
    changed_(ColumnChange::Layout);
}

void GridColumns::readStored(const Value& items) {
    items_.clear();
    if (items.isArray())
        for (std::size_t i = 0; i < items.asArray()->size(); ++i)
            items_.push_back(std::make_unique<GridColumn>(changed_));
    changed_(ColumnChange::Layout);
}

bool GridColumns::setStored(std::string_view indexedName, const Value& value) {
    // "[3].Title.Caption": an item the stored list announced, then its property.
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
