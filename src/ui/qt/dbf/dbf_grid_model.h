#pragma once
// The records of one work area as a read-only table model: one row per record in the area's
// controlling order and filter, one column per field. Rows are listed once through the data
// layer's row view; cells are read through it when they are shown, so a large table opens
// without reading every record, and showing rows never moves the table's current record.

#include <QAbstractTableModel>

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace vorlan::data {
class TDataTable;
}

namespace vorlan::qt {

class DbfGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DbfGridModel(QObject* parent = nullptr);

    // The table shown (null for none); reload() walks it again (setTable does not).
    void setTable(data::TDataTable* table);
    void reload();
    std::uint32_t recordOfRow(int row) const;
    int rowOfRecord(std::uint32_t recno) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    data::TDataTable* table_ = nullptr;
    std::vector<std::uint32_t> records_;
    std::unordered_map<std::uint32_t, int> rows_;
    int columns_ = 0;
};

} // namespace vorlan::qt
