#include "ui/qt/forms/grid_controls.h"

#include "core/cp1250.h"
#include "script/comp_wrapper.h"
#include "ui/qt/forms/picture_controls.h"
#include "ui/qt/qt_text.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QTableWidget>

namespace vorlan::forms {

using script::Value;

namespace {

bool is(std::string_view a, std::string_view b) {
    return equalsNoCase(a, b);
}

bool hasOption(const Value& options, std::string_view name) {
    const std::string text = options.toString();
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find_first_of(",]", start);
        if (end == std::string::npos) end = text.size();
        std::string item = text.substr(start, end - start);
        std::erase_if(item, [](char c) { return c == '[' || c == ' '; });
        if (is(item, name)) return true;
        start = end + 1;
    }
    return false;
}

} // namespace

// ---- GridLineStrings

GridLineStrings::GridLineStrings(Access access) : StringList(std::move(access)) {
    setClassName("TStringGridStrings");
}

int GridLineStrings::addToFirstEmpty(const std::string& text) {
    const auto all = lines();
    for (std::size_t i = 0; i < all.size(); ++i)
        if (all[i].empty()) {
            set(static_cast<int>(i), text);
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
    QObject::connect(t, &QTableWidget::currentCellChanged, t, [this](int row, int col, int, int) {
        SignalHandlerScope scope;
        if (!quiet() && row >= 0 && col >= 0) fireNotify("OnClick");
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
        throw script::ScriptException("Grid index out of range (" + std::to_string(col) + ", " +
                                      std::to_string(row) + ")");
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
        throw script::ScriptException("Grid index out of range (row " + std::to_string(index) +
                                      ")");
    auto& list = rowLists_[index];
    if (!list)
        list = std::make_unique<GridLineStrings>(StringList::Access{
            [this, index] { return row(index); },
            [this, index](const std::vector<std::string>& texts) { setRow(index, texts); }});
    return *list;
}

GridLineStrings& StringGrid::colStrings(int index) {
    if (index < 0 || index >= colCount())
        throw script::ScriptException("Grid index out of range (column " + std::to_string(index) +
                                      ")");
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

void StringGrid::applyOptions() {
    QTableWidget* t = table();
    t->setEditTriggers(editing_
                           ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                 QAbstractItemView::AnyKeyPressed
                           : QAbstractItemView::NoEditTriggers);
    t->setSelectionBehavior(rowSelect_ ? QAbstractItemView::SelectRows
                                       : QAbstractItemView::SelectItems);
}

bool StringGrid::getOwn(std::string_view name, Value& out) const {
    QTableWidget* t = table();
    if (!t) return false;
    if (is(name, "ColCount"))
        out = Value(static_cast<std::int32_t>(colCount()));
    else if (is(name, "RowCount"))
        out = Value(static_cast<std::int32_t>(rowCount()));
    else if (is(name, "FixedCols"))
        out = Value(fixedCols_);
    else if (is(name, "FixedRows"))
        out = Value(fixedRows_);
    else if (is(name, "DefaultColWidth"))
        out = Value(defaultColWidth_);
    else if (is(name, "DefaultRowHeight"))
        out = Value(defaultRowHeight_);
    else if (is(name, "Col"))
        out = Value(static_cast<std::int32_t>(std::max(t->currentColumn(), fixedCols_)));
    else if (is(name, "Row"))
        out = Value(static_cast<std::int32_t>(std::max(t->currentRow(), fixedRows_)));
    else
        return false;
    return true;
}

bool StringGrid::setOwn(std::string_view name, const Value& value) {
    QTableWidget* t = table();
    if (!t) return false;
    if (is(name, "ColCount"))
        resize(value.toInt(), rowCount());
    else if (is(name, "RowCount"))
        resize(colCount(), value.toInt());
    else if (is(name, "FixedCols")) {
        fixedCols_ = std::max(value.toInt(), 0);
        markFixed();
    } else if (is(name, "FixedRows")) {
        fixedRows_ = std::max(value.toInt(), 0);
        markFixed();
    } else if (is(name, "DefaultColWidth")) {
        defaultColWidth_ = std::max(value.toInt(), 0);
        for (int c = 0; c < colCount(); ++c)
            t->setColumnWidth(c, defaultColWidth_);
    } else if (is(name, "DefaultRowHeight")) {
        defaultRowHeight_ = std::max(value.toInt(), 0);
        for (int r = 0; r < rowCount(); ++r)
            t->setRowHeight(r, defaultRowHeight_);
    } else if (is(name, "Col") || is(name, "Row")) {
        Quiet q(*this);
        const bool col = is(name, "Col");
        const int c = col ? value.toInt() : std::max(t->currentColumn(), fixedCols_);
        const int r = col ? std::max(t->currentRow(), fixedRows_) : value.toInt();
        checkCell(c, r);
        t->setCurrentCell(r, c);
    } else if (is(name, "Options")) {
        editing_ = hasOption(value, "goEditing");
        rowSelect_ = hasOption(value, "goRowSelect");
        applyOptions();
    } else
        return false;
    return true;
}

// ---- factory

std::unique_ptr<script::Component> makeGridOrPictureControl(const std::string& cls) {
    if (is(cls, "TStringGrid") || is(cls, "TDrawGrid"))
        return withDefaultSize(std::make_unique<StringGrid>(cls), {320, 120});
    if (is(cls, "TImage")) return withDefaultSize(std::make_unique<Image>(cls), {105, 105});
    if (is(cls, "TShape")) return withDefaultSize(std::make_unique<Shape>(cls), {65, 65});
    return nullptr;
}

} // namespace vorlan::forms
