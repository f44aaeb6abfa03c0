#pragma once
// The Columns of a data grid: which fields it shows, in which order, under which headings and
// how wide. An empty collection shows every field of the data set.

#include "script/native_object.h"
#include "script/value.h"
#include "ui/qt/forms/property_table.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vorlan::forms {

class GridColumn;

// What a change asks of the grid: a new layout (fields, order) or only a new look.
enum class ColumnChange { Layout, Look };

// Title of a column (TColumnTitle): its heading text and alignment.
class GridColumnTitle : public script::NativeObject {
public:
    explicit GridColumnTitle(GridColumn& column)
        : script::NativeObject("TColumnTitle"), column_(column) {}
    // Caption, Alignment.
    static const PropertyTable& propertyTable();

private:
    GridColumn& column_;
};

class GridColumn : public script::NativeObject {
public:
    explicit GridColumn(std::function<void(ColumnChange)> changed);

    const std::string& fieldName() const { return fieldName_; }
    bool visible() const { return visible_; }
    // The stored width, or -1 when the grid chooses it from the field.
    int storedWidth() const { return width_; }
    // The stored alignment name (taLeftJustify ...), empty for the field's own.
    const std::string& alignment() const { return alignment_; }
    // The heading: the stored title, else what the grid found for the field.
    std::string caption() const { return hasCaption_ ? caption_ : defaultCaption_; }
    const std::string& titleAlignment() const { return titleAlignment_; }
    GridColumnTitle& title() { return title_; }

    // What the grid shows when nothing is stored (the field's label and width).
    void setDefaults(std::string caption, int width);

    // FieldName, Width, Visible, Alignment and Title (its own Title.Caption ...).
    static const PropertyTable& propertyTable();
    // Properties by name, as scripts and the form file give them ("Title.Caption" too).
    bool get(std::string_view name, script::Value& out) const;
    bool set(std::string_view name, const script::Value& value);

private:
    friend class GridColumnTitle;
    std::function<void(ColumnChange)> changed_;
    GridColumnTitle title_;
    std::string fieldName_;
    std::string caption_;
    std::string defaultCaption_;
    std::string alignment_;
    std::string titleAlignment_;
    bool hasCaption_ = false;
    bool visible_ = true;
    // What a program sets for the column's editing and look that the grid does not show
    // differently here.
    std::string buttonStyle_ = "cbsAuto";
    std::int32_t dropDownRows_ = 7;
    bool expanded_ = false;
    bool readOnly_ = false;
    script::Value color_{"clWindow"};
    script::Value titleColor_{"clBtnFace"};
    int width_ = -1;
    int defaultWidth_ = 64;
};

class GridColumns : public script::NativeObject {
public:
    explicit GridColumns(std::function<void(ColumnChange)> changed);
    ~GridColumns() override;

    int count() const { return static_cast<int>(items_.size()); }
    bool empty() const { return items_.empty(); }
    // Raises "List index out of bounds" outside the collection.
    GridColumn& at(int index) const;
    GridColumn& add();
    void clear();

    // The form file's Columns: the item list first, then "[i].Property" for each stored value.
    void readStored(const script::Value& items);
    bool setStored(std::string_view indexedName, const script::Value& value);

private:
    std::function<void(ColumnChange)> changed_;
    std::vector<std::unique_ptr<GridColumn>> items_;
};

} // namespace vorlan::forms
