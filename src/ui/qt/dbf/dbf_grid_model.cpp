#include "ui/qt/dbf/dbf_grid_model.h"

#include "data/engine.h"
#include "data/script/data_table.h"
#include "ui/qt/qt_text.h"

namespace vorlan::qt {

namespace {

// The engine table behind a data table, null while it is closed.
dbf::Table* engineTable(data::TDataTable* t) {
    if (!t || !t->active()) return nullptr;
    return data::engine().table(t->table().workArea());
}

// How a grid cell shows a raw field: dates as the window's dd.mm.yyyy, memos by a marker,
// numbers without their leading blanks.
QString cellText(const dbf::Table& t, int field) {
    const dbf::FieldInfo& info = t.field(field);
    if (info.type == 'M' || info.type == 'G' || info.type == 'B') return QStringLiteral("(memo)");
    const std::string raw = info.type == 'C' ? t.getString(field) : std::string(t.raw(field));
    if (info.type == 'D') {
        if (raw.size() < 8 || raw.find_first_not_of(' ') == std::string::npos)
            return QStringLiteral("  .  .    ");
        return fromEngine(raw.substr(6, 2) + '.' + raw.substr(4, 2) + '.' + raw.substr(0, 4));
    }
    if (info.type == 'N' || info.type == 'F') {
        const auto first = raw.find_first_not_of(' ');
        return fromEngine(first == std::string::npos ? std::string() : raw.substr(first));
    }
    return fromEngine(raw);
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
    if (dbf::Table* t = engineTable(table_)) {
        columns_ = t->fieldCount();
        const std::uint32_t kept = t->recNo();
        t->goTop();
        while (!t->eof()) {
            rows_.emplace(t->recNo(), static_cast<int>(records_.size()));
            records_.push_back(t->recNo());
            t->skip(1);
        }
        t->goTo(kept);
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
    dbf::Table* t = engineTable(table_);
    if (!t || index.column() >= t->fieldCount()) return {};
    const std::uint32_t recno = recordOfRow(index.row());
    if (recno == 0 || recno > t->recordCount()) return {};
    // The data set puts the engine back on its own record before it reads, so reading other
    // records for the screen leaves the scripts' position alone.
    const std::uint32_t kept = t->recNo();
    t->goTo(recno);
    QString text = cellText(*t, index.column());
    t->goTo(kept);
    return text;
}

QVariant DbfGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return QVariant::fromValue(recordOfRow(section));
    dbf::Table* t = engineTable(table_);
    if (!t || section >= t->fieldCount()) return {};
    return fromEngine(t->field(section).name);
}

} // namespace vorlan::qt
