#pragma once
// DBF tables: the header and field descriptors, records with their deletion flags, memo fields,
// navigation in natural or index order, filters, and multi-user locks.
//
// Layout (public xBase table file structure): a 32-byte header (version byte, last update
// YY MM DD, record count LE32, header size LE16, record size LE16, table flags at 28, code page
// mark at 29), 32-byte field descriptors (name 11 bytes, type, displacement, width, decimals,
// flags), a 0x0D terminator, 263 bytes of backlink for the 0x30 family, then the records (one
// flag byte, blank or '*', then the fields) and a final 0x1A.
//
// The class is spread over files by job: table.cpp (creating, opening, the header, reading and
// writing records, pack and zap), table_moves.cpp (moving the record pointer), table_fields.cpp
// (field encodings), table_indexes.cpp (index orders), table_filter.cpp (filters, query marks,
// locate) and table_locks.cpp (locks).
//
// Locks: see docs/dbf.md. Byte kLockBase - n locks record n (n = 0 is the header, taken while
// appending); a file lock takes the whole range kLockBase - kMaxLockRecords .. kLockBase; the
// byte kLockBase + 1 is held shared by every writable open and exclusively by an exclusive open.

#include "dbf/expr.h"
#include "dbf/file.h"
#include "dbf/index.h"
#include "dbf/memo.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace vorlan::dbf {

constexpr std::uint64_t kLockBase = 0x7FFFFFFE;
constexpr std::uint64_t kMaxLockRecords = 0x3FFFFFFF;

enum class TableFlavor {
    DBase3,       // version 0x03 / 0x83, .DBT memos
    FoxPro,       // version 0x03 / 0xF5, .FPT memos
    VisualFoxPro, // version 0x30, .FPT memos, binary memo pointers
};

struct FieldSpec {
    std::string name{};
    char type = 'C';
    int width = 0; // 0 takes the type's fixed width (D 8, L 1, M 10 or 4, I 4, B/T/Y 8)
    int decimals = 0;
};

struct FieldInfo {
    std::string name; // upper case, as stored
    char type = 'C';
    int width = 0;
    int decimals = 0;
    int offset = 0; // from the start of the record (the deletion flag is byte 0)
    std::uint8_t flags = 0;
};

struct CreateOptions {
    TableFlavor flavor = TableFlavor::FoxPro;
    std::uint8_t codePage = 0xC8; // Windows-1250
    int memoBlockSize = 0;        // 0: the engine setting
};

struct OpenOptions {
    bool readOnly = false;
    bool exclusive = false;
};

// The default alias of a table file: its name without folder and extension, in Windows-1250,
// upper case.
std::string aliasFromPath(const std::filesystem::path& path);

class Table : public RecordSource {
public:
    static std::unique_ptr<Table> create(const std::filesystem::path& path,
                                         const std::vector<FieldSpec>& fields,
                                         const CreateOptions& options = {});
    static std::unique_ptr<Table> open(const std::filesystem::path& path,
                                       const OpenOptions& options = {});
    ~Table() override;
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    // Writes pending changes and the index files, then closes every file.
    void close();

    // Structure.
    const std::filesystem::path& path() const { return path_; }
    const std::string& alias() const { return alias_; }
    void setAlias(std::string alias);
    std::uint8_t version() const { return version_; }
    std::uint8_t codePage() const { return codePage_; }
    int headerSize() const { return headerSize_; }
    int recordSize() const { return recordSize_; }
    int fieldCount() const { return static_cast<int>(fields_.size()); }
    const FieldInfo& field(int i) const { return fields_.at(static_cast<std::size_t>(i)); }
    int fieldIndex(std::string_view name) const; // -1 when there is none
    bool readOnly() const { return file_.readOnly(); }
    bool hasMemoFile() const { return memo_.isOpen(); }
    const MemoFile& memoFile() const { return memo_; }
    // Last update date from the header (julian day).
    std::int32_t lastUpdate() const;

    // Records. Numbers count from 1; recNo() is recordCount() + 1 at end of file.
    std::uint32_t recordCount() const { return count_; }
    // Re-reads the record count from the header (other processes may have appended).
    std::uint32_t refreshCount();
    std::uint32_t recNo() const { return recno_; }
    bool bof() const { return bof_; }
    bool eof() const { return eof_; }
    // Natural moves ignore filters; the others honour the controlling order, the filter and
    // the deleted setting.
    void goTo(std::uint32_t recno);
    void goTop();
    void goBottom();
    void skip(long long count = 1);
    // Visible records from top to bottom in the current order (moves the record pointer back).
    std::uint32_t count();

    // Field reading (field numbers from 0).
    std::string_view raw(int field) const;
    // Character fields as stored (padded to the width); other types give their text form.
    std::string getString(int field) const;
    double getNumber(int field) const;
    bool getLogical(int field) const;
    std::int32_t getDate(int field) const; // 0 for an empty or invalid date
    std::string getMemo(int field) const;
    std::uint32_t memoLength(int field) const;
    XValue getValue(int field) const;
    bool deleted() const;
    bool fieldEmpty(int field) const;

    // Field writing; the record is written when the pointer moves, on flush and on close.
    void setString(int field, std::string_view text);
    // Numbers that do not fit the field's width are stored as asterisks.
    void setNumber(int field, double value);
    void setLogical(int field, bool value);
    void setDate(int field, std::int32_t jd);
    void setMemo(int field, std::string_view data, bool binary = false);
    void setValue(int field, const XValue& value);
    // Text in the field's own terms: numbers, date text in the current format, T/F/Y/N.
    void setFromText(int field, std::string_view text);
    void setRaw(int field, std::string_view bytes);

    void append();
    void deleteRecord();
    void recall();
    void flush();
    // Flush, write the index files and sync to disk.
    void commit();
    // Removes deleted records (exclusive use required: a file lock is taken).
    void pack();
    void zap();

    // Indexes. Orders count from 1 in the order they were opened; 0 is natural order.
    // The extension picks the kind: .IDX a compact single order, .CDX a tag named after the file
    // in that compound file, anything else .NTX.
    Index& createIndex(const std::filesystem::path& path, const std::string& keyExpr,
                       const IndexOptions& options = {});
    // A tag in a compound file (the table's structural .CDX when `cdxPath` is empty, which is
    // then opened with the table from now on). A tag of the same name is replaced.
    Index& createTag(const std::string& tag, const std::string& keyExpr,
                     const IndexOptions& options = {}, std::filesystem::path cdxPath = {});
    // .NTX and .IDX files give one order, .CDX files one order per tag (the first becomes
    // controlling when no order was). Other index types are refused.
    Index& openIndex(const std::filesystem::path& path);
    std::filesystem::path structuralIndexPath() const;
    void closeIndexes();
    // Closing an order of a compound file closes all orders of that file.
    void closeIndex(int order);
    int indexCount() const { return static_cast<int>(indexes_.size()); }
    Index& index(int order) { return *indexes_.at(static_cast<std::size_t>(order - 1)); }
    int order() const { return order_; }
    void setOrder(int order);
    // The order whose tag name is `name` (case-insensitive), 0 when none.
    int orderOf(std::string_view name) const;
    void reindex();
    // Seeks `key` (already in key form, or text for the order's key type) in the controlling
    // order; answers whether it was found. Soft seek leaves the pointer on the next key.
    bool seek(std::string_view key);
    bool seek(std::string_view key, bool softSeek);
    bool found() const { return found_; }
    // The controlling order's key of the current record (empty in natural order or at end of
    // file), and the record's position in that order counting from 1 (0 when not in it).
    std::string currentKey();
    std::size_t keyPosition();
    // Puts the current record's key into an order (takes it out) by hand, whatever the order's
    // condition says; false at end of file, for no such order, or when the key is there already
    // (is not there).
    bool addCurrentKey(int order);
    bool dropCurrentKey(int order);

    // Limits the controlling order to keys from `top` to `bottom` (seek text, compared as
    // prefixes; an empty end is open) and goes to the first record in range. The scope stays
    // with its order. Without a controlling order it does nothing.
    void setScope(std::string_view top, std::string_view bottom);
    std::pair<std::string, std::string> scope() const;
    // Reverses the direction in which the controlling order is walked (top becomes bottom,
    // seeks land on the last matching key); the index file is not touched. The record pointer
    // stays. False in natural order.
    bool flipOrder();
    // Whether the controlling order is walked backwards.
    bool orderReversed() const;

    // Filter over moves; empty clears. Throws DbfError for a bad or non-logical expression.
    void setFilter(std::string_view expr);
    const std::string& filter() const { return filterText_; }
    // Query marks: while a filter is set, single records can be shown or hidden whatever the
    // filter says of them. Setting the filter again, packing and zapping drop the marks. False
    // (and nothing marked) without a filter or for a record number outside the table.
    bool markRecord(std::uint32_t recno, bool shown);
    // Whether record `recno` passes the query: its mark, else the filter (true without one);
    // false outside the table. Moves the record pointer to evaluate the filter, and back.
    bool passesQuery(std::uint32_t recno);
    // Searches for the condition from the current record on (backward: towards the top), or
    // from the record after (before) the current one when continuing with the last condition;
    // a caller that wants the whole table goes to its top (bottom) first. Answers the record
    // number, or 0 standing at end of file (backward: at the beginning, bof set).
    std::uint32_t locate(std::string_view condition, bool continuing, bool backward = false);
    XValue evaluate(std::string_view expr);

    // Locks (see the top of the file).
    bool lockRecord(std::uint32_t recno);
    bool lockFile();
    // 0 releases every lock.
    void unlock(std::uint32_t recno = 0);
    bool isLocked(std::uint32_t recno) const;
    bool fileLocked() const { return fileLocked_; }

    // RecordSource.
    int resolveField(std::string_view alias, std::string_view name) const override;
    char fieldTypeOf(int field) const override { return this->field(field).type; }
    int fieldWidthOf(int field) const override { return this->field(field).width; }
    int fieldDecimalsOf(int field) const override { return this->field(field).decimals; }
    XValue fieldValue(int field) const override { return getValue(field); }
    bool recordDeleted() const override { return deleted(); }
    std::uint32_t recordNumber() const override { return evalImage_ ? evalRecno_ : recno_; }

    // Uses `image` (record `recno`) as the current record for evaluations (index building and
    // maintenance); null restores the real current record.
    void setEvalImage(const char* image, std::uint32_t recno = 0) const {
        evalImage_ = image;
        evalRecno_ = recno;
    }

private:
    Table() = default;
    void readHeader();
    void openMemo();
    void writeHeaderCount();
    // The keys of a record just appended (blank) go into every order.
    void appendKeys();
    void loadRecord(std::uint32_t recno);
    void setEofState();
    bool visible() const;
    bool memoUsesBinaryPointer(int field) const;
    // The memo's block, 0 for none; a damaged pointer (not a number, inside the memo file's
    // header, past its end) gives 0 and a warning, once per table.
    std::uint32_t memoBlock(int field) const;
    void markDirty();
    void checkWritable() const;
    // Keys are never made from the records of a table that failed its checks.
    void checkIndexable() const;
    void updateIndexes();
    // Writes a complete table (header + the given records) to `target` through a temporary file.
    void rewrite(bool keepRecords);
    void syncIndexPosition();
    void saveIndexes(bool onlyDirty);
    // Sharing index files with other processes (see docs/dbf.md): re-reads the files another
    // process rewrote since we read them, replaying our own unsaved key changes over them.
    void refreshIndexes();
    void reloadIndexFile(const std::filesystem::path& path);
    // Whether another process changed the order's file since we read or wrote it.
    bool indexFileChanged(const Index& ix);
    // An index file's bytes, read under its shared lock; `deadWriter` tells whether a writer that
    // died left key changes unwritten (cdx_writers.h).
    std::string readIndexFile(const std::filesystem::path& path, bool* deadWriter = nullptr,
                              IndexKind kind = IndexKind::Cdx);
    std::string readLockedIndexFile(File& f, const std::filesystem::path& path, bool* deadWriter,
                                    IndexKind kind = IndexKind::Cdx);
    // Marks our pending key changes in every index file before a record is
    // written, and rebuilds files in which we find the mark of a writer that died.
    void markPendingKeyChanges();
    // Takes back our marks from files that have no key changes of ours left to write.
    void releaseWriterSlots();
    // Rebuilds the orders of a file from the records while no other process writes keys, and
    // writes the file unless it is read-only.
    void rebuildFromRecords(const std::vector<Index*>& orders, const std::filesystem::path& path);
    // The open handle of an index file (reopened when the file was replaced).
    File& indexHandle(const std::filesystem::path& path);
    // Writes the key changes of a compound file's tags (or of a compact file's order) into its
    // pages in place; false when the whole file has to be written instead.
    bool saveCdxPages(const std::filesystem::path& path);
    // The same for an .NTX file's order.
    bool saveNtxPages(Index& ix);
    void noteKeyChange(Index& ix, bool add, const std::string& key);
    bool changeCurrentKey(int order, bool add);
    bool othersHaveTable() const;
    // Takes a lock range through its queue byte, within the lock time-out.
    bool takeQueued(std::uint64_t queueByte, std::uint64_t offset, std::uint64_t len);
    void repairStaleOrders();
    bool sharedWriter() const { return !exclusive_ && !file_.readOnly(); }
    void saveCdx(const std::filesystem::path& path);
    // Writes an index file whole (a new file renamed into place), compound or compact.
    void saveWhole(const std::filesystem::path& path);
    // Drops our writer mark in, and our image of, an index file that was just replaced.
    void forgetWriterMarks(const std::filesystem::path& path);
    // Reads a compact .IDX or an .NTX file under its lock; IndexDamage when its keys cannot be
    // used or a writer left it half-changed.
    void openSingleOrder(Index& ix);
    // Opens every tag of a compound file; tags whose keys are damaged are rebuilt. A file whose
    // tag definitions cannot be read is refused, or (`tolerant`, the structural index opened
    // with the table) left closed with a warning: then null.
    Index* openCdx(const std::filesystem::path& path, bool tolerant);
    // Rebuilds orders whose files were damaged from the records, with a warning naming the file;
    // false (and nothing rebuilt) when the table itself failed its checks.
    bool rebuildDamaged(const std::vector<Index*>& orders, const std::filesystem::path& path);
    static std::string displayName(const std::filesystem::path& path);
    bool skipIndexed(long long count);
    // The controlling order's first (last) visible record in walking order; false when none.
    bool startAtKeyListTop(const Index& ix);
    bool startAtKeyListBottom(const Index& ix);
    bool filterPasses() const;
    bool settle(bool forward);
    const char* image() const { return evalImage_ ? evalImage_ : cur_; }
    // The current record as a private copy that may be changed.
    char* editable();

    std::filesystem::path path_;
    std::string alias_;
    File file_;
    MemoFile memo_;
    std::uint8_t version_ = 0x03;
    std::uint8_t codePage_ = 0;
    std::uint8_t tableFlags_ = 0;
    int headerSize_ = 0;
    int recordSize_ = 1;
    std::vector<unsigned char> headerBytes_;
    std::vector<FieldInfo> fields_;
    std::uint32_t count_ = 0;

    std::uint32_t recno_ = 1;
    bool bof_ = true;
    bool eof_ = true;
    bool found_ = false;
    const char* cur_ = nullptr; // current record: in the cache, or buf_ while editing
    bool editing_ = false;
    std::vector<char> buf_;  // current record being changed
    std::vector<char> orig_; // as it was read (for index maintenance)
    bool dirty_ = false;
    bool modified_ = false; // header date needs updating on close
    // Appends to a table held alone: the header's record count lags until commit, unlock or
    // close, and the appended record still has to be written with the end-of-file mark.
    bool countPending_ = false;
    bool eofAfterFlush_ = false;
    mutable const char* evalImage_ = nullptr;
    mutable std::uint32_t evalRecno_ = 0;

    // Read-ahead of consecutive records.
    std::vector<char> cache_;
    std::uint32_t cacheFirst_ = 0;
    std::uint32_t cacheCount_ = 0;

    std::vector<std::unique_ptr<Index>> indexes_;
    struct IndexHandle {
        File file;
        std::uint64_t inode = 0;
        int writerSlot = -1; // our mark of pending key changes in the file (cdx_writers.h)
        bool ntx = false;    // whose header bytes hold the mark
        // Our image of the file holds every page as the file does (read whole, or changed by
        // us alone since); after others' changes taken from the change log only their leaves
        // and the header are known.
        bool imageExact = false;
    };
    std::map<std::filesystem::path, IndexHandle> indexFiles_;
    int order_ = 0;
    std::size_t ipos_ = 0;
    bool iposValid_ = false;

    Expression filter_;
    std::string filterText_;
    std::map<std::uint32_t, bool> marks_;
    Expression locate_;

    std::set<std::uint32_t> lockedRecords_;
    // Queue bytes of locks this table released since it last took them (see table_locks.cpp).
    std::set<std::uint64_t> releasedLocks_;
    bool fileLocked_ = false;
    bool savingIndexes_ = false; // inside saveIndexes, which holds the index lock byte
    bool exclusive_ = false;
    // The table failed its checks on open (its file ends before the records its header counts):
    // nothing is rebuilt from its records.
    bool damaged_ = false;
    std::string damage_; // what was wrong, for the warning
    mutable bool memoDamageTold_ = false;
};

} // namespace vorlan::dbf
