#pragma once
// A data set over rows held in memory: the stand-in table of tests and the data of batch
// reports read from CSV files. Rows are vectors of values in field order; the bookmark of a row
// is its number from 1, kept while rows are appended (deleting renumbers the rows after it).

#include "data/data_set.h"

#include <filesystem>

namespace vorlan::data {

struct FieldDef {
    std::string name;
    FieldType type = FieldType::String;
    int size = 10;
    int decimals = 0;
};

class MemoryDataSet : public DataSet {
public:
    MemoryDataSet();
    explicit MemoryDataSet(std::vector<FieldDef> fields);
    ~MemoryDataSet() override;

    // Structure and contents; change them while the data set is closed.
    void setFields(std::vector<FieldDef> fields);
    void addRow(std::vector<Value> row);
    const std::vector<std::vector<Value>>& rows() const { return rows_; }

    // Reads CSV text (Windows-1250, separator ',' or ';' guessed from the first line, double
    // quotes for fields with separators): the first line names the fields, types are guessed
    // from the values (all numeric: Float; dd.mm.yyyy or yyyy-mm-dd: Date; T/F: Boolean).
    // Throws DataSetError with the line number for malformed text.
    static std::unique_ptr<MemoryDataSet> fromCsvText(std::string_view text);

    void first() override;
    void last() override;
    int moveBy(int distance) override;
    bool bof() const override { return bof_; }
    bool eof() const override { return eof_; }
    std::uint32_t recNo() const override;
    std::uint32_t recordCount() const override { return static_cast<std::uint32_t>(rows_.size()); }
    void gotoBookmark(Bookmark b) override;

    int fieldCount() const override { return static_cast<int>(fields_.size()); }
    Field* field(int index) const override;

    // Used by the field objects.
    Value cell(int column) const;
    void setCell(int column, const Value& v);

protected:
    void doOpen() override;
    void doClose() override {}
    void doEdit() override;
    void doAppend() override;
    void doPost() override;
    void doCancel() override;
    void doDelete() override;

private:
    class MemoryField;
    std::vector<FieldDef> defs_;
    std::vector<std::unique_ptr<MemoryField>> fields_;
    std::vector<std::vector<Value>> rows_;
    std::vector<Value> buffer_; // the record being edited or inserted
    std::size_t cur_ = 0;       // index into rows_
    bool bof_ = true;
    bool eof_ = true;
};

} // namespace vorlan::data
