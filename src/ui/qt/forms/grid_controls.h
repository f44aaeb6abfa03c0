#pragma once
// TStringGrid: a table of texts with fixed (heading) rows and columns at its top and left.
// Cells[ACol, ARow] counts from 0 and includes the fixed cells, as programs expect.

#include "ui/qt/forms/control.h"
#include "ui/qt/forms/form_class.h"
#include "ui/qt/forms/string_list.h"

#include <map>
#include <memory>
#include <span>
#include <utility>

class QTableWidget;

namespace vorlan::forms {

// Rows[I] and Cols[I]: one line of a grid as a string list whose changes land in the cells.
// The list always has as many strings as the line has cells; Add fills the first empty cell.
class GridLineStrings : public StringList {
public:
    explicit GridLineStrings(Access access);
    // The index of the cell that took the text; -1 when every cell is filled.
    int addToFirstEmpty(const std::string& text);
};

class StringGrid : public Control {
public:
    explicit StringGrid(std::string cls);
    ~StringGrid() override;
    // ColCount, RowCount, FixedCols, FixedRows, DefaultColWidth, DefaultRowHeight, Col, Row,
    // Options (goEditing, goRowSelect).
    static const PropertyTable& propertyTable();
    const PropertyTable& properties() const override { return propertyTable(); }

    int colCount() const;
    int rowCount() const;
    // Empty outside the grid; writing outside it raises a script error.
    std::string cell(int col, int row) const;
    void setCell(int col, int row, const std::string& text);
    // A whole row or column (Rows[i], Cols[i]) as its texts.
    std::vector<std::string> row(int index) const;
    void setRow(int index, const std::vector<std::string>& texts);
    std::vector<std::string> column(int index) const;
    void setColumn(int index, const std::vector<std::string>& texts);
    int colWidth(int col) const;
    void setColWidth(int col, int width);
    int rowHeight(int row) const;
    void setRowHeight(int row, int height);
    // The script's view of Rows[index] / Cols[index]; an index outside the grid is an error.
    GridLineStrings& rowStrings(int index);
    GridLineStrings& colStrings(int index);
    // Objects[ACol, ARow]: what a program keeps with a cell.
    script::Value object(int col, int row) const;
    void setObject(int col, int row, const script::Value& value);
    QTableWidget* table() const;
    int fixedCols() const { return fixedCols_; }
    int fixedRows() const { return fixedRows_; }

private:
    void checkCell(int col, int row) const;
    void resize(int cols, int rows);
    void markFixed();
    void setOptions(const script::Value& options);
    // The current cell (Col, Row): never in the fixed part.
    int currentCol() const;
    int currentRow() const;
    void moveTo(int col, int row);
    void setDefaultColWidth(int width);
    void setDefaultRowHeight(int height);
    int fixedCols_ = 1;
    int fixedRows_ = 1;
    int defaultColWidth_ = 64;
    int defaultRowHeight_ = 24;
    bool editing_ = false;
    bool rowSelect_ = false;
    // Made when a script first asks for a line; dropped with the line when the grid shrinks.
    std::map<int, std::unique_ptr<GridLineStrings>> rowLists_;
    std::map<int, std::unique_ptr<GridLineStrings>> colLists_;
    std::map<std::pair<int, int>, script::Value> objects_;
};

// TCustomGrid, TDrawGrid, TStringGrid and the lists of its lines.
std::span<const FormClass> gridClasses();

} // namespace vorlan::forms
