#pragma once
// The records of one work area as a table model: one row per record in the area's controlling
// order and filter, one column per field. Rows are listed once through the data layer's row
// view; cells are read through it when they are shown, so a large table opens without reading
// every record, and showing rows never moves the table's current record. Deleted records are
// drawn struck through, grey, with "*" before their number; numbers show the decimal separator
// of the format settings. Cells are edited only while the model is editable, and only through
// the writer the window gives it.

#include <QAbstractTableModel>

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace vorlan::data {
class TDataTable;
}

namespace vorlan::qt {

// A column of the grid: the field's name, type letter and width.
struct GridColumn {
    std::string name;
    char type = 'C';
    int width = 0;
};

class DbfGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DbfGridModel(QObject* parent = nullptr);

    // The table shown (null for none); reload() walks it again (setTable does not).
    void setTable(data::TDataTable* table);
    void reload();
    std::uint32_t recordOfRow(int row) const;
    int rowOfRecord(std::uint32_t recno) const;
    bool deletedRow(int row) const;
    // The fields as the last reload found them.
    const std::vector<GridColumn>& fields() const { return fields_; }

    // Writes the text typed into a cell; false when it was not taken.
    using CellWriter = std::function<bool(std::uint32_t recno, int column, const QString& text)>;
    void setEditable(bool on, CellWriter writer = {});
    bool editable() const { return editable_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

private:
    QString cellText(int row, int column) const;

    data::TDataTable* table_ = nullptr;
    std::vector<std::uint32_t> records_;
    std::unordered_map<std::uint32_t, int> rows_;
    std::unordered_set<std::uint32_t> deleted_;
    std::vector<GridColumn> fields_;
    bool editable_ = false;
    CellWriter writer_;
};

} // namespace vorlan::qt
