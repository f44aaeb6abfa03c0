#include "ui/qt/dbf/dbf_grid_model.h"

#include "data/row_view.h"
#include "data/script/data_table.h"
#include "ui/qt/qt_text.h"

#include <optional>

namespace vorlan::qt {

namespace {

// The rows of a data table, none while it is closed.
std::optional<data::RowView> rowView(data::TDataTable* t) {
    if (!t || !t->active()) return std::nullopt;
    return data::RowView(t->table());
}

} // namespace

DbfGridModel::DbfGridModel(QObject* parent) : QAbstractTableModel(parent) {}

void DbfGridModel::setTable(data::TDataTable* table) {
    beginResetModel();
    table_ = table;
    records_.clear();
    rows_.clear();
    columns_ = 0;
    endResetModel();
}

void DbfGridModel::reload() {
    beginResetModel();
    records_.clear();
    rows_.clear();
    columns_ = 0;
    if (const auto rows = rowView(table_)) {
        columns_ = static_cast<int>(rows->fields().size());
        records_ = rows->records();
        for (std::size_t row = 0; row < records_.size(); ++row) {
            rows_.emplace(records_[row], static_cast<int>(row));
        }
    }
    endResetModel();
}

std::uint32_t DbfGridModel::recordOfRow(int row) const {
    return row >= 0 && static_cast<std::size_t>(row) < records_.size()
               ? records_[static_cast<std::size_t>(row)]
               : 0;
}

int DbfGridModel::rowOfRecord(std::uint32_t recno) const {
    const auto at = rows_.find(recno);
    return at == rows_.end() ? -1 : at->second;
}

int DbfGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(records_.size());
}

int DbfGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns_;
}

QVariant DbfGridModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole) return {};
    const auto rows = rowView(table_);
    const std::uint32_t recno = recordOfRow(index.row());
    if (!rows || recno == 0 || index.column() >= columns_) return {};
    return fromEngine(rows->cell(recno, index.column()));
}

QVariant DbfGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return QVariant::fromValue(recordOfRow(section));
    const auto rows = rowView(table_);
    if (!rows) return {};
    const auto fields = rows->fields();
    if (section < 0 || static_cast<std::size_t>(section) >= fields.size()) return {};
    return fromEngine(fields[static_cast<std::size_t>(section)].name);
}

} // namespace vorlan::qt
