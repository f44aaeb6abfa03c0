#include "ui/qt/dbf/dbf_grid_model.h"

#include "data/row_view.h"
#include "data/script/data_table.h"
#include "ui/qt/forms/field_text.h"
#include "ui/qt/qt_text.h"

#include <QColor>
#include <QFont>

#include <optional>

namespace vorlan::qt {

namespace {

// The rows of a data table, none while it is closed.
std::optional<data::RowView> rowView(data::TDataTable* t) {
    if (!t || !t->active()) return std::nullopt;
    return data::RowView(t->table());
}

bool isNumber(char type) {
    return type == 'N' || type == 'F' || type == 'B' || type == 'Y' || type == 'I';
}

bool isMemo(char type) {
    return type == 'M' || type == 'G' || type == 'P';
}

} // namespace

DbfGridModel::DbfGridModel(QObject* parent) : QAbstractTableModel(parent) {}

void DbfGridModel::setTable(data::TDataTable* table) {
    beginResetModel();
    table_ = table;
    records_.clear();
    rows_.clear();
    deleted_.clear();
    fields_.clear();
    endResetModel();
}

void DbfGridModel::reload() {
    beginResetModel();
    records_.clear();
    rows_.clear();
    deleted_.clear();
    fields_.clear();
    if (const auto rows = rowView(table_)) {
        for (const data::FieldDescription& f : rows->fields())
            fields_.push_back({f.name, f.type, f.width});
        std::vector<std::uint32_t> deleted;
        records_ = rows->records(&deleted);
        deleted_.insert(deleted.begin(), deleted.end());
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

bool DbfGridModel::deletedRow(int row) const {
    return deleted_.count(recordOfRow(row)) > 0;
}

void DbfGridModel::setEditable(bool on, CellWriter writer) {
    beginResetModel();
    editable_ = on;
    writer_ = std::move(writer);
    endResetModel();
}

int DbfGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(records_.size());
}

int DbfGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(fields_.size());
}

QString DbfGridModel::cellText(int row, int column) const {
    const auto rows = rowView(table_);
    const std::uint32_t recno = recordOfRow(row);
    if (!rows || recno == 0 || column < 0 || column >= static_cast<int>(fields_.size())) return {};
    std::string text = rows->cell(recno, column);
    if (isNumber(fields_[static_cast<std::size_t>(column)].type))
        text = forms::withDecimalSeparator(std::move(text));
    return fromEngine(text);
}

QVariant DbfGridModel::data(const QModelIndex& index, int role) const {
    if (index.column() < 0 || index.column() >= static_cast<int>(fields_.size())) return {};
    const char type = fields_[static_cast<std::size_t>(index.column())].type;
    switch (role) {
    case Qt::DisplayRole: {
        QString text = cellText(index.row(), index.column());
        // The line through a deleted record covers its text, not the field's padding after it.
        if (deletedRow(index.row()))
            while (text.endsWith(u' '))
                text.chop(1);
        return text;
    }
    case Qt::EditRole: {
        QString text = cellText(index.row(), index.column());
        while (text.endsWith(u' '))
            text.chop(1);
        return text;
    }
    case Qt::TextAlignmentRole:
        return isNumber(type) ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    case Qt::ForegroundRole:
        return deletedRow(index.row()) ? QVariant(QColor(128, 128, 128)) : QVariant();
    case Qt::FontRole:
        if (deletedRow(index.row())) {
            QFont font;
            font.setStrikeOut(true);
            return font;
        }
        return {};
    default:
        return {};
    }
}

QVariant DbfGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Vertical) {
        const std::uint32_t recno = recordOfRow(section);
        const bool deleted = deletedRow(section);
        if (role == Qt::DisplayRole)
            return deleted ? QStringLiteral("*%1").arg(recno) : QString::number(recno);
        if (role == Qt::ToolTipRole && deleted) return QString::fromUtf8("Zrušený záznam");
        return {};
    }
    if (role != Qt::DisplayRole) return {};
    if (section < 0 || static_cast<std::size_t>(section) >= fields_.size()) return {};
    return fromEngine(fields_[static_cast<std::size_t>(section)].name);
}

Qt::ItemFlags DbfGridModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (editable_ && writer_ && index.column() >= 0 &&
        index.column() < static_cast<int>(fields_.size()) &&
        !isMemo(fields_[static_cast<std::size_t>(index.column())].type))
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool DbfGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable)) return false;
    const std::uint32_t recno = recordOfRow(index.row());
    if (recno == 0 || value.toString() == data(index, Qt::EditRole).toString()) return false;
    if (!writer_(recno, index.column(), value.toString())) return false;
    emit dataChanged(this->index(index.row(), 0), this->index(index.row(), columnCount() - 1));
    return true;
}

} // namespace vorlan::qt
