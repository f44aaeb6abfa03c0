#pragma once
// TDataTable: the object through which a script works with one DBF table. It is a table data
// set (grids, data-aware controls and reports walk it like any other) and it owns the engine
// access component bound to that same data set, through which it reaches everything the data
// set has no words for: xBase expressions, tags, scopes, queries, memo and binary fields,
// locks, copies and new tables. Both work on one engine work area.
//
// The methods here are the ones with rules of their own; the registration
// (data_table_registration.cpp) forwards the plain ones to the access component directly.
// Methods answer neutral values (false, 0, empty text) on a closed table instead of failing;
// errors of the data set itself (posting a record someone else has locked) propagate.

#include "data/data_set.h"
#include "data/data_source_component.h"
#include "data/dbf_access.h"
#include "data/table_data_set.h"
#include "script/component.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace vorlan::data {

class FieldObject;

// The empty date as ReadDat answers it whatever the date format.
inline constexpr const char* kEmptyDateText = "  /  /    ";
// Memos longer than this are not split into lines (what the memo editor can hold).
inline constexpr std::uint32_t kMaxEditorMemo = 65518;

class TDataTable : public script::Component, public DataSourceProvider, public DataSetProvider {
public:
    TDataTable();
    ~TDataTable() override;

    TableDataSet& table() { return *dataSet_; }
    TDbfAccess& access() { return *access_; }
    DataSource* dataSource() override { return source_.get(); }
    DataSet* dataSet() override { return dataSet_.get(); }
    bool active() const { return dataSet_->active(); }

    // Opening. use() closes the table first; an empty name leaves it closed and answers true.
    // A bare name lies in the current directory; ".DBF" is added when the name has none.
    bool use(std::string_view file);
    // Reopens the table with the exclusive flag; false when it is closed or cannot reopen.
    bool setExclusive(bool on);

    // Searching.
    bool seek(std::string_view key);
    bool found() const { return found_; }
    std::uint32_t dataLocate(std::string_view expression);
    std::uint32_t dataContinue();
    // As dataLocate/dataContinue; a failed search leaves the table at end of file.
    std::uint32_t locate(std::string_view expression);
    std::uint32_t continueLocate();
    // First record of the current order, then n - 1 records further.
    void keyGoTo(int n);

    // Reading by field type letter (a field of another type gives the neutral value).
    std::string readStr(std::string_view field);
    double readNum(std::string_view field);
    bool readLog(std::string_view field);
    std::string readDat(std::string_view field);
    // Line 0: the memo with its line feeds removed; line n: the n-th line of the memo editor.
    std::string readMem(std::string_view field, int line);
    std::int32_t memoCount(std::string_view field);
    std::int32_t memoLength(std::string_view field);
    // The stored bytes of a memo field, zero bytes included.
    std::string readBin(std::string_view field);

    // Writing by field type letter: the data set edits, the value is written, the record is
    // posted; a field of another type is left alone.
    void writeStr(std::string_view field, std::string_view text);
    void writeNum(std::string_view field, double value);
    void writeLog(std::string_view field, bool value);
    void writeDat(std::string_view field, std::string_view date);
    void writeMem(std::string_view field, std::string_view text);
    std::int32_t writeBin(std::string_view field, std::string_view bytes);
    void fileToBin(std::string_view file, std::string_view field);
    bool binToFile(std::string_view field, std::string_view file);
    // Any value into the field of that name, through the data set, posted at once.
    void writeFieldValue(std::string_view field, const script::Value& value);
    // The script object of the field of that name (FieldByName, Fields[i]), one per name for
    // the table's lifetime; throws a script error when the open table has no such field.
    FieldObject& fieldObject(std::string_view name);
    void appendBlank();

    // Expressions evaluated when their type fits.
    std::string evalStr(std::string_view expression);
    double evalNum(std::string_view expression);
    bool evalLog(std::string_view expression);

    // Orders.
    std::int32_t setOrder(std::string_view tag);
    std::int32_t indexCount();
    std::int32_t indexTag(std::string_view tag, std::string_view key);

    // Copies. Kinds as scripts number them: 1 a table, 2 fixed-width text, 3 delimited text
    // (appendFrom); 1 fixed-width, 2 delimited (copyToText). Other kinds do nothing.
    bool appendFrom(std::string_view file, int kind, std::string_view scope);
    bool copyToText(std::string_view file, int kind);
    // A new table with the fields described by the open structure-description table.
    bool createFrom(std::string_view file);

    // The access component's filter, applied as an engine query whenever the table opens.
    const std::string& filter() const;
    void setFilter(std::string expression);

    // The table's published properties, as a form that holds a table names them:
    // DatabaseName, TableName, Exclusive, ReadOnly, IndexName and Active. A form stream sets
    // Active before the names, so Active set while there is no table name yet opens the table
    // once the form has been read.
    bool getPublished(std::string_view name, script::Value& out) const override;
    bool setPublished(std::string_view name, const script::Value& value) override;
    void loaded() override;

private:
    bool fieldIs(std::string_view field, char type);
    bool numericField(std::string_view field);
    // Memo contents when the field is a memo the editor can hold.
    bool editorMemo(std::string_view field, std::string& text);
    // Edit, write, post when still editing, with attached controls held still meanwhile.
    template <class F> void writeThroughDataSet(F&& write);
    void moveToEnd();

    // Declared in the order they are made: the data set first, then the data source and the
    // component that follow it, so those go before the data set does.
    std::unique_ptr<TableDataSet> dataSet_;
    std::unique_ptr<DataSource> source_;
    std::unique_ptr<TDbfAccess> access_;
    bool found_ = false;
    std::string locateExpr_;
    bool openWhenLoaded_ = false;
    std::map<std::string, std::unique_ptr<FieldObject>, std::less<>> fieldObjects_;
};

// An empty structure-description table (FIELD_NAME C 10, FIELD_TYPE C 1, FIELD_LEN N 5,
// FIELD_DEC N 3) at a program path completed like a table name; false when it cannot be made.
bool createInfoTable(std::string_view file);

} // namespace vorlan::data
