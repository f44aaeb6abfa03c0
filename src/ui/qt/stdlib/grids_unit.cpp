// GRIDS: the cells of grids as programs find them on screen: the first row and column shown,
// how many fit, the selected block, the cell under a point and where a cell is.
#include "script/bind.h"
#include "ui/qt/forms/grid_controls.h"
#include "ui/qt/stdlib/geometry.h"
#include "ui/qt/stdlib/units.h"

#include <QScrollBar>
#include <QTableWidget>

#include <algorithm>

namespace vorlan::stdlib {

namespace {

using forms::StringGrid;
using script::ClassBinder;
using script::Value;

// How many columns (rows) after the fixed ones are shown whole.
std::int32_t wholeCount(const StringGrid& g, bool columns) {
    QTableWidget* t = g.table();
    if (!t) return 0;
    const int room = columns ? t->viewport()->width() : t->viewport()->height();
    std::int32_t shown = 0;
    const int count = columns ? t->columnCount() : t->rowCount();
    for (int i = columns ? g.fixedCols() : g.fixedRows(); i < count; ++i) {
        const int at = columns ? t->columnViewportPosition(i) : t->rowViewportPosition(i);
        const int size = columns ? t->columnWidth(i) : t->rowHeight(i);
        if (at >= 0 && at + size <= room) ++shown;
    }
    return shown;
}

// The first column (row) shown after the fixed ones.
std::int32_t firstShown(const StringGrid& g, bool columns) {
    QTableWidget* t = g.table();
    if (!t) return 0;
    const int fixed = columns ? g.fixedCols() : g.fixedRows();
    const int first = columns ? t->columnAt(0) : t->rowAt(0);
    return std::max(first, fixed);
}

void showFirst(StringGrid& g, bool columns, std::int32_t index) {
    QTableWidget* t = g.table();
    if (!t) return;
    const int count = columns ? t->columnCount() : t->rowCount();
    index = std::clamp(index, 0, std::max(count - 1, 0));
    QScrollBar* bar = columns ? t->horizontalScrollBar() : t->verticalScrollBar();
    // The scroll bars step by whole cells.
    if (columns)
        t->setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
    else
        t->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    bar->setValue(index);
}

} // namespace

void registerGridsUnit(script::Registry& reg) {
    ClassBinder<StringGrid> grid(reg, "TDrawGrid");
    grid.property("ColWidths", "Integer", &StringGrid::colWidth, &StringGrid::setColWidth);
    grid.property("RowHeights", "Integer", &StringGrid::rowHeight, &StringGrid::setRowHeight);
    grid.property(
        "LeftCol", "Integer", [](StringGrid& g) { return firstShown(g, true); },
        [](StringGrid& g, std::int32_t v) { showFirst(g, true, v); });
    grid.property(
        "TopRow", "Integer", [](StringGrid& g) { return firstShown(g, false); },
        [](StringGrid& g, std::int32_t v) { showFirst(g, false, v); });
    grid.property("VisibleColCount", "Integer", [](StringGrid& g) { return wholeCount(g, true); });
    grid.property("VisibleRowCount", "Integer", [](StringGrid& g) { return wholeCount(g, false); });
    // The selected block [Left, Top, Right, Bottom]: the current cell when nothing more is.
    grid.property(
        "Selection", "Variant",
        [](StringGrid& g) {
            QTableWidget* t = g.table();
            if (!t) return rectValue(0, 0, 0, 0);
            const auto ranges = t->selectedRanges();
            if (ranges.isEmpty())
                return rectValue(t->currentColumn(), t->currentRow(), t->currentColumn(),
                                 t->currentRow());
            const QTableWidgetSelectionRange& r = ranges.front();
            return rectValue(r.leftColumn(), r.topRow(), r.rightColumn(), r.bottomRow());
        },
        [](StringGrid& g, const Value& v) {
            QTableWidget* t = g.table();
            if (!t) return;
            const windows::CanvasRect r = rectOf(v);
            t->clearSelection();
            t->setCurrentCell(r.top, r.left);
            t->setRangeSelected(QTableWidgetSelectionRange(r.top, r.left, r.bottom, r.right), true);
        });
    grid.property(
        "EditorMode", "Boolean",
        [](StringGrid& g) {
            // A cell being edited has its editor open over the cells.
            QTableWidget* t = g.table();
            if (!t) return false;
            for (QWidget* child : t->viewport()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                if (child->isVisibleTo(t->viewport())) return true;
            return false;
        },
        [](StringGrid& g, bool on) {
            QTableWidget* t = g.table();
            if (!t) return;
            QTableWidgetItem* item = t->currentItem();
            if (on && !item && t->currentRow() >= 0 && t->currentColumn() >= 0) {
                item = new QTableWidgetItem;
                t->setItem(t->currentRow(), t->currentColumn(), item);
            }
            if (on && item)
                t->editItem(item);
            else if (!on)
                t->setFocus();
        });
    grid.bind(
        "MouseToCell", "procedure(X, Y: Integer; var ACol, ARow: Integer)",
        [](StringGrid& g, std::int32_t x, std::int32_t y, std::int32_t& col, std::int32_t& row) {
            QTableWidget* t = g.table();
            const QPoint at = t ? t->viewport()->mapFrom(t, QPoint(x, y)) : QPoint();
            col = t ? t->columnAt(at.x()) : -1;
            row = t ? t->rowAt(at.y()) : -1;
        });
    grid.bind("CellRect", "function(ACol, ARow: Integer): Variant",
              [](StringGrid& g, std::int32_t col, std::int32_t row) {
                  QTableWidget* t = g.table();
                  if (!t || col < 0 || row < 0 || col >= t->columnCount() || row >= t->rowCount())
                      return rectValue(0, 0, 0, 0);
                  // As wide and high as ColWidths and RowHeights say, in the grid's coordinates.
                  const QPoint at = t->viewport()->pos() + QPoint(t->columnViewportPosition(col),
                                                                  t->rowViewportPosition(row));
                  return rectValue(at.x(), at.y(), at.x() + t->columnWidth(col),
                                   at.y() + t->rowHeight(row));
              });
    ClassBinder<StringGrid>(reg, "TStringGrid")
        .property("Objects", "Variant", &StringGrid::object, &StringGrid::setObject);
}

} // namespace vorlan::stdlib
