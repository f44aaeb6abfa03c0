#pragma once
// TStringGrid: a table of texts with fixed (heading) rows and columns at its top and left.
// Cells[ACol, ARow] counts from 0 and includes the fixed cells, as programs expect.

#include "ui/qt/forms/controls.h"

class QTableWidget;

namespace vorlan::forms {

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
};

} // namespace vorlan::forms
