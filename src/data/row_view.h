#pragma once
// The rows of a table data set as a grid shows them: the field descriptions, the record
// numbers in the table's controlling order and filter, the cells and memos of record n. Reading
// a row leaves the data set's current record, and the engine's record pointer, where they were,
// so a grid may read any row at any time while scripts walk the same table.

#include "data/table_data_set.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vorlan::data {

struct FieldDescription {
    std::string name;
    char type = 'C';
    int width = 0;
    int decimals = 0;
};

class RowView {
public:
    explicit RowView(const TableDataSet& dataSet) : dataSet_(dataSet) {}

    // Empty while the data set is closed.
    std::vector<FieldDescription> fields() const;
    // The records the table shows, top to bottom; `deleted` (when given) gets the numbers of
    // the deleted ones among them, in the same walk.
    std::vector<std::uint32_t> records(std::vector<std::uint32_t>* deleted = nullptr) const;
    // The cells of record `recno` as text: character fields as stored, numbers without their
    // leading blanks, dates as dd.mm.yyyy ("  .  .    " when empty), memo fields as "(memo)".
    // Empty for a record or field that does not exist.
    std::vector<std::string> cells(std::uint32_t recno) const;
    std::string cell(std::uint32_t recno, int field) const;
    // The contents of a memo field of record `recno`.
    std::string memo(std::uint32_t recno, int field) const;

private:
    const TableDataSet& dataSet_;
};

} // namespace vorlan::data
