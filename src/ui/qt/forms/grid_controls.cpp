#include "ui/qt/forms/grid_controls.h"
#include "core/cp1250.h"

#include "script/comp_wrapper.h"
#include "ui/qt/forms/form_values.h"
#include "ui/qt/qt_text.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTableWidget>

namespace vorlan::forms {

using script::Value;

// ---- GridLineStrings

GridLineStrings::GridLineStrings(Access access) : StringList(std::move(access)) {
    setClassName("TStringGridStrings");
}

int GridLineStrings::addToFirstEmpty(const std::string& text) {
    const auto all = lines();
    for (std::size_t i = 0; i < all.size(); ++i)
        if (all[i].empty()) {
            put(static_cast<int>(i), text);
            return static_cast<int>(i);
        }
    return -1;
}

// ---- StringGrid

StringGrid::StringGrid(std::string cls) : Control(std::move(cls), new QTableWidget(5, 5)) {
    QTableWidget* t = table();
    // The fixed rows and columns are the headings; the table's own headers stay hidden.
    t->horizontalHeader()->hide();
    t->verticalHeader()->hide();
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    watch(t->viewport());
    for (int c = 0; c < 5; ++c)
        t->setColumnWidth(c, defaultColWidth_);
    for (int r = 0; r < 5; ++r)
        t->setRowHeight(r, defaultRowHeight_);
    markFixed();
    QObject::connect(t, &QTableWidget::currentCellChanged, t,
                     [this](int row, int col, int oldRow, int oldCol) {
                         SignalHandlerScope scope;
                         if (quiet() || row < 0 || col < 0) return;
                         // OnSelectCell may refuse the cell: the old one comes back.
                         if (handlerOf("OnSelectCell")) {
                             const auto alive = aliveToken();
                             Value args[4] = {Value(script::wrapObject(this)),
                                              Value(static_cast<std::int32_t>(col)),
                                              Value(static_cast<std::int32_t>(row)), Value(true)};
                             fireEvent("OnSelectCell", args);
                             if (alive.expired()) return;
                             if (!args[3].toBool() && oldRow >= 0 && oldCol >= 0) {
                                 moveTo(oldCol, oldRow);
                                 return;
                             }
                         }
                         fireNotify("OnClick");
                     });
    // The first row or column shown moved.
    for (QScrollBar* bar : {t->horizontalScrollBar(), t->verticalScrollBar()})
        QObject::connect(bar, &QScrollBar::valueChanged, t, [this](int) {
            SignalHandlerScope scope;
            if (!quiet()) fireNotify("OnTopLeftChanged");
        });
    QObject::connect(t, &QTableWidget::cellChanged, t, [this](int row, int col) {
        if (quiet()) return;
        SignalHandlerScope scope;
        Value args[4] = {Value(script::wrapObject(this)), Value(static_cast<std::int32_t>(col)),
                         Value(static_cast<std::int32_t>(row)), Value(cell(col, row))};
        fireEvent("OnSetEditText", args);
    });
}

StringGrid::~StringGrid() = default;

Value StringGrid::object(int col, int row) const {
    const auto it = objects_.find({col, row});
    return it == objects_.end() ? Value(script::ObjectRef()) : it->second;
}

void StringGrid::setObject(int col, int row, const Value& value) {
    checkCell(col, row);
    objects_[{col, row}] = value;
}

QTableWidget* StringGrid::table() const {
    return static_cast<QTableWidget*>(widget());
}

int StringGrid::colCount() const {
    return table() ? table()->columnCount() : 0;
}

int StringGrid::rowCount() const {
    return table() ? table()->rowCount() : 0;
}

void StringGrid::checkCell(int col, int row) const {
    if (col < 0 || row < 0 || col >= colCount() || row >= rowCount())
        throw script::ScriptException(czech("Index mřížky je mimo rozsah (") + std::to_string(col) +
                                      ", " + std::to_string(row) + ")");
}

std::string StringGrid::cell(int col, int row) const {
    if (col < 0 || row < 0 || col >= colCount() || row >= rowCount()) return {};
    const QTableWidgetItem* item = table()->item(row, col);
    return item ? qt::toEngine(item->text()) : std::string();
}

void StringGrid::setCell(int col, int row, const std::string& text) {
    checkCell(col, row);
    Quiet q(*this);
    QTableWidgetItem* item = table()->item(row, col);
    if (!item) {
        item = new QTableWidgetItem;
        table()->setItem(row, col, item);
        markFixed();
    }
    item->setText(qt::fromEngine(text));
}

std::vector<std::string> StringGrid::row(int index) const {
    std::vector<std::string> out;
    for (int c = 0; c < colCount(); ++c)
        out.push_back(cell(c, index));
    return out;
}

void StringGrid::setRow(int index, const std::vector<std::string>& texts) {
    checkCell(0, index);
    for (int c = 0; c < colCount(); ++c)
        setCell(c, index,
                c < static_cast<int>(texts.size()) ? texts[static_cast<std::size_t>(c)]
                                                   : std::string());
}

std::vector<std::string> StringGrid::column(int index) const {
    std::vector<std::string> out;
    for (int r = 0; r < rowCount(); ++r)
        out.push_back(cell(index, r));
    return out;
}

void StringGrid::setColumn(int index, const std::vector<std::string>& texts) {
    checkCell(index, 0);
    for (int r = 0; r < rowCount(); ++r)
        setCell(index, r,
                r < static_cast<int>(texts.size()) ? texts[static_cast<std::size_t>(r)]
                                                   : std::string());
}

int StringGrid::colWidth(int col) const {
    checkCell(col, 0);
    return table()->columnWidth(col);
}

void StringGrid::setColWidth(int col, int width) {
    checkCell(col, 0);
    table()->setColumnWidth(col, std::max(width, 0));
}

int StringGrid::rowHeight(int row) const {
    checkCell(0, row);
    return table()->rowHeight(row);
}

void StringGrid::setRowHeight(int row, int height) {
    checkCell(0, row);
    table()->setRowHeight(row, std::max(height, 0));
}

GridLineStrings& StringGrid::rowStrings(int index) {
    if (index < 0 || index >= rowCount())
        throw script::ScriptException(czech("Index mřížky je mimo rozsah (řádek ") +
                                      std::to_string(index) + ")");
    auto& list = rowLists_[index];
    if (!list)
        list = std::make_unique<GridLineStrings>(StringList::Access{
            [this, index] { return row(index); },
            [this, index](const std::vector<std::string>& texts) { setRow(index, texts); }});
    return *list;
}

GridLineStrings& StringGrid::colStrings(int index) {
    if (index < 0 || index >= colCount())
        throw script::ScriptException(czech("Index mřížky je mimo rozsah (sloupec ") +
                                      std::to_string(index) + ")");
    auto& list = colLists_[index];
    if (!list)
        list = std::make_unique<GridLineStrings>(StringList::Access{
            [this, index] { return column(index); },
            [this, index](const std::vector<std::string>& texts) { setColumn(index, texts); }});
    return *list;
}

void StringGrid::resize(int cols, int rows) {
    QTableWidget* t = table();
    if (!t) return;
    Quiet q(*this);
    const int oldCols = t->columnCount(), oldRows = t->rowCount();
    t->setColumnCount(std::max(cols, 0));
    t->setRowCount(std::max(rows, 0));
    // A line that is gone takes its list with it; a script still holding one is told so.
    rowLists_.erase(rowLists_.lower_bound(t->rowCount()), rowLists_.end());
    colLists_.erase(colLists_.lower_bound(t->columnCount()), colLists_.end());
    for (int c = oldCols; c < t->columnCount(); ++c)
        t->setColumnWidth(c, defaultColWidth_);
    for (int r = oldRows; r < t->rowCount(); ++r)
        t->setRowHeight(r, defaultRowHeight_);
    markFixed();
}

void StringGrid::markFixed() {
    // Fixed cells look like headings and take neither the focus nor edits.
    QTableWidget* t = table();
    if (!t) return;
    Quiet q(*this);
    const QBrush heading = t->palette().button();
    for (int r = 0; r < t->rowCount(); ++r)
        for (int c = 0; c < t->columnCount(); ++c) {
            const bool fixed = r < fixedRows_ || c < fixedCols_;
            QTableWidgetItem* item = t->item(r, c);
            if (!item) {
                if (!fixed) continue;
                item = new QTableWidgetItem;
                t->setItem(r, c, item);
            }
            item->setFlags(fixed ? Qt::ItemIsEnabled
                                 : Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
            item->setBackground(fixed ? heading : QBrush());
        }
}

void StringGrid::setOptions(const Value& options) {
    const auto names = setNames(options);
    editing_ = hasName(names, "goEditing");
    rowSelect_ = hasName(names, "goRowSelect");
    QTableWidget* t = table();
    t->setEditTriggers(editing_
                           ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                 QAbstractItemView::AnyKeyPressed
                           : QAbstractItemView::NoEditTriggers);
    t->setSelectionBehavior(rowSelect_ ? QAbstractItemView::SelectRows
                                       : QAbstractItemView::SelectItems);
}

int StringGrid::currentCol() const {
    return std::max(table()->currentColumn(), fixedCols_);
}

int StringGrid::currentRow() const {
    return std::max(table()->currentRow(), fixedRows_);
}

void StringGrid::moveTo(int col, int row) {
    Quiet q(*this);
    checkCell(col, row);
    table()->setCurrentCell(row, col);
}

void StringGrid::setDefaultColWidth(int width) {
    defaultColWidth_ = std::max(width, 0);
    for (int c = 0; c < colCount(); ++c)
        table()->setColumnWidth(c, defaultColWidth_);
}

void StringGrid::setDefaultRowHeight(int height) {
    defaultRowHeight_ = std::max(height, 0);
    for (int r = 0; r < rowCount(); ++r)
        table()->setRowHeight(r, defaultRowHeight_);
}

const PropertyTable& StringGrid::propertyTable() {
    static const auto table = PropertyTable::of<StringGrid>(
        &Control::propertyTable(),
        {
            {"ColCount", &StringGrid::colCount,
             [](StringGrid& g, std::int32_t n) { g.resize(n, g.rowCount()); }},
            {"RowCount", &StringGrid::rowCount,
             [](StringGrid& g, std::int32_t n) { g.resize(g.colCount(), n); }},
            {"FixedCols", &StringGrid::fixedCols_,
             [](StringGrid& g, std::int32_t n) {
                 g.fixedCols_ = std::max(n, 0);
                 g.markFixed();
             }},
            {"FixedRows", &StringGrid::fixedRows_,
             [](StringGrid& g, std::int32_t n) {
                 g.fixedRows_ = std::max(n, 0);
                 g.markFixed();
             }},
            {"DefaultColWidth", &StringGrid::defaultColWidth_, &StringGrid::setDefaultColWidth},
            {"DefaultRowHeight", &StringGrid::defaultRowHeight_, &StringGrid::setDefaultRowHeight},
            {"Col", &StringGrid::currentCol,
             [](StringGrid& g, std::int32_t c) { g.moveTo(c, g.currentRow()); }},
            {"Row", &StringGrid::currentRow,
             [](StringGrid& g, std::int32_t r) { g.moveTo(g.currentCol(), r); }},
            {"Options", nullptr, &StringGrid::setOptions},
        });
    return table;
}

// ---- the class table

namespace {

const FormClass kGridControlsClasses[] = {
    {"TCustomGrid", "TWinControl"},
    {"TDrawGrid",
     "TCustomGrid",
     create<StringGrid>,
     {320, 120},
     false,
     "OnClick OnSetEditText OnSelectCell OnTopLeftChanged"},
    {"TStringGrid", "TDrawGrid", create<StringGrid>, {320, 120}},
    {"TStringGridStrings", "TStrings"},
};

} // namespace

std::span<const FormClass> gridClasses() {
    return kGridControlsClasses;
}

} // namespace vorlan::forms
