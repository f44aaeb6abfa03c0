#include "ui/qt/forms/data_grid_columns.h"
#include "core/cp1250.h"

#include "script/dispatch.h"

#include <algorithm>
#include <charconv>

namespace vorlan::forms {

using script::Value;

// ---- GridColumnTitle

const PropertyTable& GridColumnTitle::propertyTable() {
    static const auto table = PropertyTable::of<GridColumnTitle>(
        nullptr, {
                     {"Caption", [](const GridColumnTitle& t) { return t.column_.caption(); },
                      [](GridColumnTitle& t, const std::string& v) {
                          t.column_.caption_ = v;
                          t.column_.hasCaption_ = true;
                          t.column_.changed_(ColumnChange::Look);
                      }},
                     {"Alignment",
                      [](const GridColumnTitle& t) {
                          return t.column_.titleAlignment_.empty() ? std::string("taLeftJustify")
                                                                   : t.column_.titleAlignment_;
                      },
                      [](GridColumnTitle& t, const std::string& v) {
                          t.column_.titleAlignment_ = v;
                          t.column_.changed_(ColumnChange::Look);
                      }},
                     {"Color", [](const GridColumnTitle& t) { return t.column_.titleColor_; },
                      [](GridColumnTitle& t, const Value& v) { t.column_.titleColor_ = v; }},
                 });
    return table;
}

// ---- GridColumn

GridColumn::GridColumn(std::function<void(ColumnChange)> changed)
    : script::NativeObject("TColumn"), changed_(std::move(changed)), title_(*this) {}

void GridColumn::setDefaults(std::string caption, int width) {
    defaultCaption_ = std::move(caption);
    defaultWidth_ = width;
}

const PropertyTable& GridColumn::propertyTable() {
    // A new field changes which column shows what; the rest only how it looks.
    const auto changed = [](GridColumn& c, ColumnChange change) { c.changed_(change); };
    static const auto table = PropertyTable::of<GridColumn>(
        nullptr,
        {
            {"ButtonStyle", &GridColumn::buttonStyle_, &GridColumn::buttonStyle_},
            {"DropDownRows", &GridColumn::dropDownRows_, &GridColumn::dropDownRows_},
            {"Expanded", &GridColumn::expanded_, &GridColumn::expanded_},
            {"ReadOnly", &GridColumn::readOnly_, &GridColumn::readOnly_},
            {"Color", &GridColumn::color_, &GridColumn::color_},
            {"FieldName", &GridColumn::fieldName_,
             [=](GridColumn& c, const std::string& v) {
                 c.fieldName_ = v;
                 changed(c, ColumnChange::Layout);
             }},
            {"Width",
             [](const GridColumn& c) { return c.width_ >= 0 ? c.width_ : c.defaultWidth_; },
             [=](GridColumn& c, std::int32_t v) {
                 c.width_ = std::max(v, 0);
                 changed(c, ColumnChange::Look);
             }},
            {"Visible", &GridColumn::visible_,
             [=](GridColumn& c, bool v) {
                 c.visible_ = v;
                 changed(c, ColumnChange::Look);
             }},
            {"Alignment",
             [](const GridColumn& c) {
                 return c.alignment_.empty() ? std::string("taLeftJustify") : c.alignment_;
             },
             [=](GridColumn& c, const std::string& v) {
                 c.alignment_ = v;
                 changed(c, ColumnChange::Look);
             }},
            {"Title", subObject, [](const GridColumn& c) { return &c.title_; }},
        });
    return table;
}

bool GridColumn::get(std::string_view name, Value& out) const {
    return propertyTable().get(*this, name, out);
}

bool GridColumn::set(std::string_view name, const Value& value) {
    return propertyTable().set(*this, name, value);
}

// ---- GridColumns

GridColumns::GridColumns(std::function<void(ColumnChange)> changed)
    : script::NativeObject("TDBGridColumns"), changed_(std::move(changed)) {}

GridColumns::~GridColumns() = default;

GridColumn& GridColumns::at(int index) const {
    if (index < 0 || index >= count())
        throw script::ScriptException(czech("Index seznamu je mimo rozsah (") +
                                      std::to_string(index) + ")");
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
