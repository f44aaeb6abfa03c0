#pragma once
// The data set as a whole: TDataGrid (every record, one column per field or per listed column,
// the current record selected) and TDataNavigator (the buttons that move through the data set and
// edit it).

#include "ui/qt/forms/data_controls.h"
#include "ui/qt/forms/data_grid_columns.h"

#include <array>
#include <span>

class QTableWidget;
class QToolButton;

namespace vorlan::forms {

// Shared by the grid and the navigator: a control tied to a whole data source.
class DataSetControl : public Control {
public:
    DataSetControl(std::string cls, QWidget* widget);
    ~DataSetControl() override;
    // DataSource.
    static const PropertyTable& propertyTable();
    const PropertyTable& properties() const override { return propertyTable(); }
    data::DataSource* source() const;
    data::DataSet* dataSet() const;
    void bind(data::DataSource* source);
    void loaded() override;

protected:
    virtual void dataChanged() = 0;
    virtual void recordChanged() { dataChanged(); }

private:
    class Link;
    void resolve();
    std::unique_ptr<Link> link_;
    script::Value sourceRef_;
};

class DataGrid : public DataSetControl {
public:
    explicit DataGrid(std::string cls);
    ~DataGrid() override;
    // ReadOnly, Options, Columns, SelectedIndex.
    static const PropertyTable& propertyTable();
    const PropertyTable& properties() const override { return propertyTable(); }
    // A stored column's property ("Columns[2].Title.Caption") goes to that column.
    bool setPublished(std::string_view name, const script::Value& value) override;
    // Rows shown (one per record, plus one while a record is being inserted).
    int rowCount() const;
    std::string cellText(int column, int row) const;
    GridColumns& columns() { return *columns_; }

protected:
    void dataChanged() override;
    void recordChanged() override;

private:
    QTableWidget* table() const;
    void setReadOnly(bool readOnly);
    void setOptions(const script::Value& options);
    void rebuild();
    void showCurrent();
    void fillRow(int row);
    void userMoved(int row);
    void userEdited(int row, int column);
    void columnsChanged(ColumnChange change);
    // The field shown in each table column (-1: a listed column whose field is missing).
    void layOutColumns(const data::DataSet& set);
    void applyColumnLook();
    data::Field* fieldOfColumn(int column) const;
    std::unique_ptr<GridColumns> columns_;
    std::vector<int> columnFields_;
    std::vector<data::Bookmark> bookmarks_;
    bool reading_ = false;
    bool readOnly_ = false;
    bool editing_ = true;
    bool built_ = false;
};

enum class NavigatorButton {
    First,
    Prior,
    Next,
    Last,
    Insert,
    Delete,
    Edit,
    Post,
    Cancel,
    Refresh
};
constexpr int kNavigatorButtons = 10;
// nbFirst ... nbRefresh, in the order of NavigatorButton.
std::span<const char* const> navigatorButtonNames();

class DataNavigator : public DataSetControl {
public:
    explicit DataNavigator(std::string cls);
    ~DataNavigator() override;
    // ConfirmDelete, VisibleButtons.
    static const PropertyTable& propertyTable();
    const PropertyTable& properties() const override { return propertyTable(); }
    // Does what the button does (as if clicked), then fires OnClick(Sender, Button).
    void press(NavigatorButton button);
    QToolButton* button(NavigatorButton b) const;

protected:
    void dataChanged() override;

private:
    // The buttons named in the set (case does not matter); the others are hidden.
    void setVisibleButtons(const script::Value& buttons);
    std::array<QToolButton*, kNavigatorButtons> buttons_{};
    bool confirmDelete_ = true;
    std::string visibleButtons_;
};

// TDataGrid, TDataNavigator (and TDBGrid, TDBNavigator), the grid's columns and their titles.
std::span<const FormClass> dataGridClasses();

} // namespace vorlan::forms
