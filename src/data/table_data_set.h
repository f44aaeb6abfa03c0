#pragma once
// A data set over a DBF table opened in a work area of the process-wide engine
// (data/engine.h). The work area is the data set's cursor: the engine access component
// (data/dbf_access.h) selects it to make engine calls for the same table.
//
// The data set keeps its own position (record number and the beginning/end flags) and moves
// the engine's record pointer there before it reads or writes, so engine calls made for other
// purposes never shift what a grid shows. After an engine call has moved the table on purpose,
// resync() takes the engine's position over.
//
// Editing: edit() locks the record (DataSetError when another user holds it); field changes
// are kept in the data set until post() writes them all and releases the lock; cancel() drops
// them. append() starts a new record that exists in the file only once posted.

#include "data/data_set.h"
#include "data/session.h"
#include "tables/table_engine.h"

#include <filesystem>
#include <optional>
#include <string_view>

namespace vorlan::data {

class TableDataSet : public DataSet {
public:
    TableDataSet();
    ~TableDataSet() override;

    // The table: database name is its folder (a program path or a database alias), table name
    // the file (".DBF" is tried when the name has no extension). Set them while closed.
    void setDatabaseName(std::string name) { databaseName_ = std::move(name); }
    const std::string& databaseName() const { return databaseName_; }
    void setTableName(std::string name) { tableName_ = std::move(name); }
    const std::string& tableName() const { return tableName_; }
    // Take effect at the next opening.
    void setExclusive(bool on) { exclusive_ = on; }
    bool exclusive() const { return exclusive_; }
    void setReadOnly(bool on) { readOnly_ = on; }
    bool readOnly() const { return readOnly_; }
    // The controlling order by tag name (empty: natural order); takes effect at once when open,
    // keeping the current record. Throws DataSetError for a tag the table does not have.
    void setIndexName(std::string name);
    const std::string& indexName() const { return indexName_; }
    // The engine area to open the table in (0, the default: the lowest free one); opening
    // fails when that area holds a table. Takes effect at the next opening.
    void setPreferredArea(int area) { preferredArea_ = area; }
    int preferredArea() const { return preferredArea_; }
    // Table type code deciding the extension of index names given without one: 4 .NTX,
    // 5 .IDX, 6 .NSX. Unless set, it follows the table: 4 for dBase III tables, 5 otherwise.
    int tableType() const;
    void setTableType(int type) { tableType_ = type; }

    // The host path the table was opened from (empty while closed).
    const std::filesystem::path& hostPath() const { return hostPath_; }
    // The engine work area of the open table (the cursor), 0 while closed. Should something
    // else close that area or open another table into it, table() answers null and every
    // operation fails with DataSetError until the data set is closed.
    int workArea() const { return area_; }
    // The engine table, null while closed.
    tables::EngineTable* table() const;
    // Moves the engine's record pointer to the data set's record (before an engine call made
    // for it); nothing while closed.
    void syncEngine() const;

    // Navigation.
    void first() override;
    void last() override;
    int moveBy(int distance) override;
    bool bof() const override { return bof_; }
    bool eof() const override { return eof_; }
    // The current record's number; record count + 1 while appending or standing past the last
    // record after resync(); 0 for an empty table.
    std::uint32_t recNo() const override;
    // Every record of the file, deleted or filtered ones included.
    std::uint32_t recordCount() const override;
    void gotoBookmark(Bookmark b) override;
    // Takes the engine's record over (posting a pending edit first) and tells the links.
    void resync() override;
    // Re-reads the current record (after the engine wrote to it) and tells the links.
    void refresh() { changed(); }
    // Records the order the engine has made controlling, without touching the engine.
    void adoptIndexName(std::string name) { indexName_ = std::move(name); }

    int fieldCount() const override { return static_cast<int>(fields_.size()); }
    Field* field(int index) const override;
    // The table's own type letter of a field ('C', 'N', 'M' ...), 0 when there is no such field.
    // Answered from the field objects, without a call into the engine.
    char fieldTypeLetter(std::string_view name) const;

    // Used by the field objects: the value of a field of the current record, pending edits
    // included, and writing one (entering edit mode first when browsing).
    Value fieldValue(int index) const;
    void setFieldValue(int index, const Value& value);
    bool fieldPending(int index) const;

protected:
    void doOpen() override;
    void doClose() override;
    void doEdit() override;
    void doAppend() override;
    void doPost() override;
    void doCancel() override;
    void doDelete() override;

private:
    class TableField;
    std::filesystem::path resolvePath() const;
    tables::EngineTable& openTable() const;
    void applyIndexName();
    void adoptEnginePosition();
    void writePending(tables::EngineTable& t);
    void releaseEditLock();

    std::string databaseName_;
    std::string tableName_;
    std::string indexName_;
    bool exclusive_ = false;
    bool readOnly_ = false;
    int tableType_ = 0;
    int preferredArea_ = 0;

    std::filesystem::path hostPath_;
    int area_ = 0;
    const tables::EngineTable* opened_ = nullptr; // the table this data set put into area_
    std::vector<std::unique_ptr<TableField>> fields_;
    std::uint32_t recno_ = 0;
    bool bof_ = true;
    bool eof_ = true;
    std::vector<std::optional<Value>> pending_;
    bool lockTaken_ = false;
};

} // namespace vorlan::data
