#pragma once
// The engine access component: issues engine calls for the table of one data set and keeps the
// data set and the engine in step. It never opens tables; it works on the work area its data
// set has open (the data set's cursor, TableDataSet::workArea()).
//
// Every engine call follows one of these patterns:
//   plain    select the data set's area, call, select the previous area again;
//   record   as plain, with the engine moved to the data set's record around the call and put
//            back afterwards;
//   moving   as plain; the data set posts a pending edit and moves the engine to its record
//            first, and takes the engine's new position over afterwards (resync);
//   ordering as plain; the data set's index name follows the order now controlling;
//   writing  a pending edit is posted first and resumed afterwards; the engine writes at the
//            data set's record, holding the record's lock, and the data set re-reads it.
// So an engine call made for one table never changes which area is current for the others.
//
// Engine failures become neutral results (false, 0, empty text) with the reason in
// engine().lastError(); errors of the data set itself (a record locked by another user)
// propagate as DataSetError. While the data set is closed, calls that need a table act on none
// and answer their neutral value: they never reach another table that happens to be current.

#include "data/data_set.h"
#include "data/dbf_access_link.h"
#include "data/table_data_set.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vorlan::dbf {
class Table;
}

namespace vorlan::data {

// Data kinds of replace(): through the data set's field object (joining its edit) or written
// by the engine at once.
enum ReplaceKind : int {
    kReplaceInt16 = 1,
    kReplaceInt32 = 2,
    kReplaceDouble = 8,
    kReplaceLogical = 128,
    kReplaceText = 1024,
    kReplaceText2 = 1025,
    kReplaceEngineText = 32,     // text in the field's own terms, written by the engine
    kReplaceDateText = 1056,     // date text in the engine's date format
    kReplaceMemoText = 3072,     // memo contents as text
    kReplaceMemoBinary = 4096,   // memo contents as binary bytes
    kReplaceFileContents = 8192, // the contents of the file named by the data
};

class TDbfAccess {
public:
    TDbfAccess();
    ~TDbfAccess();
    TDbfAccess(const TDbfAccess&) = delete;
    TDbfAccess& operator=(const TDbfAccess&) = delete;

    // The data source whose data set this component serves.
    void setDataSource(DataSource* source);
    DataSource* dataSource() const;
    // The data source's data set, and the same as a table data set (null for other data
    // sets).
    DataSet* dataSet();
    TableDataSet* tableDataSet();

    // Index files opened with the table every time it opens (names without an extension get
    // the one of the data set's table type).
    void setExtraIndexes(std::vector<std::string> names);
    const std::vector<std::string>& extraIndexes() const { return extraIndexes_; }
    // Filter expression applied as an engine query whenever the table opens.
    void setFilter(std::string expression);
    const std::string& filter() const { return filter_; }
    void setTurboRead(bool on);
    bool turboRead() const { return turboRead_; }

    // Called by the data link.
    void dataSetActiveChanged();

    // Area.
    // Selects `area` (above 0) and answers the area current before; 0 for other areas.
    int select(int area);
    // The data set's work area, 0 while closed.
    int workArea();
    static std::string version();
    std::string alias();
    std::string baseName();
    std::string baseDate();

    // Structure (fields by name; fieldName counts from 1).
    int fieldCount();
    std::string fieldName(int n);
    int fieldNum(std::string_view field);
    std::string fieldType(std::string_view field);
    int fieldWidth(std::string_view field);
    int fieldDecimals(std::string_view field);
    int fieldOffset(std::string_view field);
    int recSize();

    // Reading at the data set's record.
    std::string getDateString(std::string_view field);
    std::string getMemo(std::string_view field);
    std::uint32_t getBlobLength(std::string_view field);
    std::string getBlob(std::string_view field);
    bool blobToFile(std::string_view field, std::string_view file);
    bool empty(std::string_view field);
    bool deleted();
    void memDealloc() {}

    // Writing.
    bool replace(std::string_view field, int kind, const Value& data);
    bool putBlob(std::string_view field, std::string_view bytes);
    void commit();
    void recall();
    void pack();
    void zap();

    // Moving.
    void go(std::uint32_t recno);
    void goTop();
    void goBottom();
    std::uint32_t recCount();
    std::uint32_t count();
    bool seek(std::string_view key);
    bool seekBin(std::string_view key);
    bool found();
    // Answers the record found, 0 when none (the table then stands at end of file, or at the
    // top when searching backward).
    std::uint32_t locate(std::string_view expression, bool backward, bool continuing);

    // Indexes; orders count from 1, 0 is natural order (and "the controlling order" where an
    // order number is asked for).
    int index(std::string_view file, std::string_view key, int options, bool descending,
              std::string_view condition);
    int indexTag(std::string_view file, std::string_view tag, std::string_view key, int options,
                 bool descending, std::string_view condition);
    int indexOpen(std::string_view file);
    void indexClose();
    void closeIndexes();
    void reindex();
    int setOrder(int order);
    int tagArea(std::string_view tag);
    std::string tagName(int order);
    int indexOrd();
    int indexType(int order = 0);
    std::string indexName(int order = 0);
    std::string indexKey(int order = 0);
    std::string indexKeyField(int order = 0);
    std::string indexCondition(int order = 0);
    // Walks the controlling order the other way round from now on (this process only; the
    // index file is unchanged); a second flip restores it. False in natural order.
    bool indexFlip();
    std::uint32_t orderRecNo();
    bool keyAdd(std::string_view tag);
    bool keyDrop(std::string_view tag);
    std::string keyData();
    bool setScope(std::string_view low, std::string_view high);
    // 0 the low end, 1 the high end.
    std::string getScope(int which);
    std::string descend(std::string_view key);

    // Expressions, queries, relations.
    int evalTest(std::string_view expression);
    std::string evalString(std::string_view expression);
    double evalNumeric(std::string_view expression);
    bool evalLogical(std::string_view expression);
    // Sets the table's filter and answers how many records pass it (the table then stands on
    // the first of them); an empty expression clears it. -1 for a bad expression.
    int query(std::string_view expression);
    // 1 for a logical expression over the table, 0 for another type, -1 when it does not
    // compile.
    int queryTest(std::string_view expression);
    std::uint32_t queryRecCount();
    // Query bits: whether a record passes the query (true for every record without one), and
    // showing or hiding a single record while a query is active (false without a query or for
    // a record outside the table). Moves and counts follow the bits at once.
    bool getQueryBit(std::uint32_t recno);
    bool setQueryBit(std::uint32_t recno, bool on);
    std::string dbFilter();
    bool filterAlias(std::string_view alias, std::string_view expression);
    // There is no filter dialog in this engine: answers the expression it was given.
    std::string filterDlg(int handle, std::string_view title, std::string_view expression,
                          bool allowEdit);
    bool setRelation(int childArea, std::string_view expression);

    // Locks.
    bool flock();
    bool locked(std::uint32_t recno);
    // 0 releases every engine lock; a record number ends the data set's edit (which holds the
    // record's lock).
    void unlock(std::uint32_t recno);
    // Locks the current record by entering edit mode; false when that fails.
    bool rlock();

    // Through the data set.
    void appendBlank();
    void deleteRecord();
    int skip(int n);
    std::uint32_t recNo();
    bool bof();
    bool eof();

    // Copies and new tables (files are program paths).
    bool copyFile(std::string_view file);
    // 21 fixed-width text, 22 delimited.
    bool copyFileText(std::string_view file, int type);
    bool copyStructure(std::string_view file);
    bool copyStructureExtended(std::string_view file);
    // Source type 2 a table, 21 fixed-width text, 22 delimited; the scope is a condition on the
    // source records (tables only).
    bool appendFrom(std::string_view file, int sourceType, std::string_view scope);
    bool createNew(std::string_view file, int driver, int fieldCount);
    bool createField(std::string_view name, std::string_view type, int width, int decimals);
    bool createExec();
    bool createFrom(std::string_view file, std::string_view structure, int driver);

    // Engine-wide pass-throughs.
    void setGaugeHook(std::intptr_t handle);
    void setTranslate(bool on);
    int sysProp(int code, const Value& value);

    // The area remembered by the last enter step (tests look at it).
    int prevArea() const { return prevArea_; }

private:
    friend class AreaScope;
    // Pattern steps (see the top of the file). enterStep answers the data set's table, null
    // when it has none open.
    tables::EngineTable* enterStep();
    void leaveStep();
    void syncPosition(tables::EngineTable& t);
    void restorePosition(tables::EngineTable& t);
    void openExtraIndexes();
    void applyFilter();
    void followIndexName(tables::EngineTable& t);
    int fieldIndex(tables::EngineTable& t, std::string_view field) const;

    template <class R, class F> R plain(R neutral, F&& call);
    template <class R, class F> R record(R neutral, F&& call);
    template <class R, class F> R moving(R neutral, F&& call, bool postFirst = true);
    template <class R, class F> R writing(R neutral, F&& call);

    std::unique_ptr<TDbfAccessLink> link_;
    std::vector<std::string> extraIndexes_;
    std::string filter_;
    int prevArea_ = 0;
    std::uint32_t savedRecNo_ = 0;
    int newArea_ = 0;
    bool turboRead_ = false;
};

} // namespace vorlan::data
