#pragma once
// TStringGrid: a table of texts with fixed (heading) rows and columns at its top and left.
// Cells[ACol, ARow] counts from 0 and includes the fixed cells, as programs expect.

#include "ui/qt/forms/controls.h"

#include <map>
#include <memory>

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

protected:
    bool getOwn(std::string_view name, script::Value& out) const override;
    bool setOwn(std::string_view name, const script::Value& value) override;

private:
    QTableWidget* table() const;
    void checkCell(int col, int row) const;
    void resize(int cols, int rows);
    void markFixed();
    void applyOptions();
    int fixedCols_ = 1;
    int fixedRows_ = 1;
    int defaultColWidth_ = 64;
    int defaultRowHeight_ = 24;
    bool editing_ = false;
    bool rowSelect_ = false;
    // Made when a script first asks for a line; dropped with the line when the grid shrinks.
    std::map<int, std::unique_ptr<GridLineStrings>> rowLists_;
    std::map<int, std::unique_ptr<GridLineStrings>> colLists_;
};

} // namespace vorlan::forms
