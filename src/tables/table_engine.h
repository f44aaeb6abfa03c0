#pragma once
// The table engine boundary: what the data layer needs of an open table (`EngineTable`) and of
// the engine that opens and creates tables of one kind (`TableEngine`). Each engine (the DBF
// engine through an adapter, an engine over a database server in a library of its own)
// implements both classes; engines are registered (tables/engine_registry.h) and chosen by the
// path of the table.
//
// Conventions every engine follows, because scripts see them through the data layer:
// - Text is Windows-1250 bytes. Field names compare with sameFieldName (core/field_name.h).
// - Records count from 1; recNo() is recordCount() + 1 at end of file. Natural moves (goTo)
//   ignore the filter; the others honour the controlling order, the filter, the query marks and
//   the hide-deleted setting.
// - Orders count from 1 in the order they were opened; 0 is natural order.
// - Dates are julian day numbers, 0 for an empty date.
// - Every failure is an EngineError (or a class derived from it) with a readable reason.
// - One thread: the user-interface thread.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vorlan::tables {

class EngineError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The file family of a new table. Engines without files take it as a hint or ignore it.
enum class Flavor {
    DBase3,       // .DBT memos
    FoxPro,       // .FPT memos
    VisualFoxPro, // the 0x30 family: also I, B, Y and T fields
};

struct FieldSpec {
    std::string name{};
    char type = 'C';
    int width = 0; // 0 takes the type's fixed width
    int decimals = 0;
};

// A field of an open table: name in upper case, xBase type letter (C N F L D T M G P I B Y).
struct FieldDesc {
    std::string name;
    char type = 'C';
    int width = 0;
    int decimals = 0;
    int offset = 0; // in the record image, after the deletion flag at 0 (0 where there is none)
};

struct OpenOptions {
    bool readOnly = false;
    bool exclusive = false;
};

// Results of xBase expressions.
enum class ValueKind { Char = 1, Numeric = 2, Logical = 3, Date = 4 };

struct ExprValue {
    ValueKind kind = ValueKind::Logical;
    std::string text;      // Char
    double number = 0;     // Numeric
    std::int32_t date = 0; // Date
    bool logical = false;  // Logical
};

struct IndexOptions {
    bool unique = false;
    bool descending = false;
    std::string forExpr; // records for which it is false have no key
};

// One order of an open table.
struct OrderInfo {
    std::string tag;            // tag or file name, upper case
    std::filesystem::path path; // the index file (engines without files: empty)
    std::string keyExpr;
    std::string forExpr;
    int typeCode = 0; // 4 .NTX, 5 .IDX, 7 .CDX; 0 for an engine's own kind
    bool unique = false;
    bool descending = false;
};

enum class TextFormat { Sdf = 1, Delimited = 2 };

// What changed in a table, as an engine reports it to its listener: one record written,
// appended, deleted or recalled; many records (pack, zap, appends from elsewhere, or another
// user's change that an engine learns of); the orders (opened, closed, rebuilt).
struct TableChange {
    enum class Kind { Record, Records, Orders };
    Kind kind = Kind::Records;
    std::uint32_t recno = 0; // Record: its number
};
using ChangeListener = std::function<void(const TableChange&)>;

// Engine-wide settings; the data layer hands every change to every registered engine.
struct EngineSettings {
    bool exact = false;   // "=" on text compares whole strings, not the left one's prefix
    bool century = false; // four-digit years in date text
    int epoch = 1900;     // first year of the window for two-digit years
    int dateFormat = 0;   // 0 American, 1 ANSI, 2 British, 3 French, 4 German, 5 Italian, 6 Spanish
    bool softSeek = false;
    bool hideDeleted = false;
    int lockTimeoutMs = 1000;
    int memoBlockSize = 64;
};

// One open table with its record pointer, orders, filter and locks.
class EngineTable {
public:
    EngineTable() = default;
    virtual ~EngineTable() = default;
    EngineTable(const EngineTable&) = delete;
    EngineTable& operator=(const EngineTable&) = delete;

    // Writes pending changes and closes; the object is not used afterwards.
    virtual void close() = 0;

    // Structure.
    virtual const std::filesystem::path& path() const = 0;
    virtual const std::string& alias() const = 0;
    virtual void setAlias(std::string alias) = 0;
    virtual int fieldCount() const = 0;
    virtual const FieldDesc& field(int index) const = 0;
    virtual int fieldIndex(std::string_view name) const = 0; // -1 when there is none
    virtual bool readOnly() const = 0;
    virtual Flavor flavor() const = 0;
    virtual int recordSize() const = 0;
    virtual std::int32_t lastUpdate() const = 0;

    // Records and moves.
    virtual std::uint32_t recordCount() const = 0;
    // Asks again how many records there are (other users may have appended).
    virtual std::uint32_t refreshCount() = 0;
    virtual std::uint32_t recNo() const = 0;
    virtual bool bof() const = 0;
    virtual bool eof() const = 0;
    virtual void goTo(std::uint32_t recno) = 0;
    virtual void goTop() = 0;
    virtual void goBottom() = 0;
    virtual void skip(long long count = 1) = 0;
    // Visible records in the current order and filter (the record pointer comes back).
    virtual std::uint32_t count() = 0;

    // Typed reads of the current record (fields from 0).
    virtual std::string getString(int field) const = 0; // C as stored; others their text form
    virtual double getNumber(int field) const = 0;
    virtual bool getLogical(int field) const = 0;
    virtual std::int32_t getDate(int field) const = 0;
    virtual std::string getMemo(int field) const = 0;
    virtual std::uint32_t memoLength(int field) const = 0;
    virtual bool fieldEmpty(int field) const = 0;
    virtual bool deleted() const = 0;

    // Typed writes to the current record.
    virtual void setString(int field, std::string_view text) = 0;
    virtual void setNumber(int field, double value) = 0;
    virtual void setLogical(int field, bool value) = 0;
    virtual void setDate(int field, std::int32_t jd) = 0;
    virtual void setMemo(int field, std::string_view data, bool binary = false) = 0;
    // Text in the field's own terms: numbers, date text in the current format, T/F/Y/N.
    virtual void setFromText(int field, std::string_view text) = 0;
    // The field's empty value (blank number, date or logical).
    virtual void setBlank(int field) = 0;

    virtual void append() = 0;
    virtual void deleteRecord() = 0;
    virtual void recall() = 0;
    virtual void flush() = 0;
    virtual void commit() = 0;
    virtual void pack() = 0;
    virtual void zap() = 0;

    // Orders.
    virtual int indexCount() const = 0;
    virtual int order() const = 0;
    virtual void setOrder(int order) = 0;
    virtual int orderOf(std::string_view tag) const = 0; // 0 when none
    virtual OrderInfo orderInfo(int order) const = 0;    // order in 1..indexCount()
    // A new index file, or a tag in a compound file (the structural one for an empty path).
    virtual void createIndex(const std::filesystem::path& path, const std::string& keyExpr,
                             const IndexOptions& options) = 0;
    virtual void createTag(const std::string& tag, const std::string& keyExpr,
                           const IndexOptions& options, std::filesystem::path file = {}) = 0;
    virtual void openIndex(const std::filesystem::path& path) = 0;
    virtual void closeIndexes() = 0;
    virtual void closeIndex(int order) = 0;
    virtual void reindex() = 0;
    // The key of the current record put into (taken out of) an order by hand; false when it
    // is there already (is not there) or at end of file.
    virtual bool addCurrentKey(int order) = 0;
    virtual bool dropCurrentKey(int order) = 0;

    // Seeks and scopes in the controlling order.
    virtual bool seek(std::string_view key) = 0;
    virtual bool seek(std::string_view key, bool softSeek) = 0;
    virtual bool found() const = 0;
    virtual std::string currentKey() = 0;
    virtual std::size_t keyPosition() = 0;
    virtual void setScope(std::string_view top, std::string_view bottom) = 0;
    virtual std::pair<std::string, std::string> scope() const = 0;
    virtual bool flipOrder() = 0;
    virtual bool orderReversed() const = 0;

    // Filter, query marks, locate and xBase expressions over the current record.
    virtual void setFilter(std::string_view expr) = 0;
    virtual const std::string& filter() const = 0;
    virtual bool markRecord(std::uint32_t recno, bool shown) = 0;
    virtual bool passesQuery(std::uint32_t recno) = 0;
    virtual std::uint32_t locate(std::string_view condition, bool continuing,
                                 bool backward = false) = 0;
    virtual ExprValue evaluate(std::string_view expr) = 0;
    // 1 character, 2 numeric, 3 logical, 4 date; 0 when the expression does not compile.
    virtual int expressionType(std::string_view expr) = 0;

    // Locks shared with other users.
    virtual bool lockRecord(std::uint32_t recno) = 0;
    virtual bool lockFile() = 0;
    virtual void unlock(std::uint32_t recno = 0) = 0; // 0 releases every lock
    virtual bool isLocked(std::uint32_t recno) const = 0;
    virtual bool fileLocked() const = 0;

    // Copies between tables and text files. Engines that cannot do one throw EngineError.
    virtual void copyStructure(const std::filesystem::path& target) = 0;
    virtual void copyStructureExtended(const std::filesystem::path& target) = 0;
    virtual std::uint32_t copyRecords(const std::filesystem::path& target) = 0;
    virtual std::uint32_t appendFrom(const std::filesystem::path& from,
                                     std::string_view condition) = 0;
    virtual std::uint32_t copyToText(const std::filesystem::path& target, TextFormat format) = 0;

    // Change notification: the engine calls the listener after this table changed. Engines
    // that learn of other users' changes between calls deliver them from pollChanges().
    void setChangeListener(ChangeListener listener) { listener_ = std::move(listener); }
    virtual void pollChanges() {}

protected:
    void notifyChange(const TableChange& change) const {
        if (listener_) listener_(change);
    }

private:
    ChangeListener listener_;
};

// The engine of one kind of table: opens and creates them.
class TableEngine {
public:
    virtual ~TableEngine() = default;
    // A short name for messages ("dbf").
    virtual std::string name() const = 0;
    // Whether a table path belongs to this engine.
    virtual bool handles(const std::filesystem::path& path) const = 0;
    // Throws EngineError when the table cannot be opened.
    virtual std::unique_ptr<EngineTable> open(const std::filesystem::path& path,
                                              const OpenOptions& options) = 0;
    // A new empty table (an existing one is replaced).
    virtual void create(const std::filesystem::path& path, const std::vector<FieldSpec>& fields,
                        Flavor flavor) = 0;
    // An empty structure-description table (FIELD_NAME C 10, FIELD_TYPE C 1, FIELD_LEN N 5,
    // FIELD_DEC N 3), and a new table whose fields are the records of one.
    virtual void createStructureTable(const std::filesystem::path& target, Flavor flavor) = 0;
    virtual void createFromStructure(const std::filesystem::path& structure,
                                     const std::filesystem::path& target, Flavor flavor) = 0;
    // Takes over the engine-wide settings (called at registration and on every change).
    virtual void applySettings(const EngineSettings& settings) = 0;
};

} // namespace vorlan::tables
