#pragma once
// Index orders over a table: their keys (key_list.h) and the index file that stores them.
//
// An open index keeps its keys in memory (a sorted list of fixed-width keys with their record
// numbers) and writes its file when the table is committed or closed, and after creation and
// reindexing. Files of other xBase tools are read whole when they are opened.

#include "dbf/expr.h"
#include "dbf/file.h"
#include "dbf/key_list.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vorlan::dbf {

class Table;

// Ntx: one order per .NTX file; Idx: one order per compact .IDX file; Cdx: a tag of a compound
// .CDX file.
enum class IndexKind { Ntx, Idx, Cdx };

struct IndexOptions {
    bool unique = false;
    bool descending = false;
    std::string forExpr{}; // empty: every record
};

// What an index file stores besides the keys.
struct IndexHeader {
    std::string keyExpr;
    std::string forExpr;
    int keyLength = 0;
    int keyDecimals = 0;
    bool unique = false;
    bool descending = false;
    std::uint32_t version = 0;
};

class Index {
public:
    Index(Table& table, std::filesystem::path path, IndexKind kind);

    const std::filesystem::path& path() const { return path_; }
    IndexKind kind() const { return kind_; }
    // The order's name: the tag of a compound file, else the file's name without folder and
    // extension; upper case.
    std::string tagName() const;
    void setTagName(std::string name);
    // Takes a header read from a compound file and prepares the (empty) key list for it.
    void adopt(const IndexHeader& header);
    const IndexHeader& header() const { return header_; }
    // The byte that pads keys: blank for character keys, zero for the binary keys of compound
    // files.
    char padByte() const;
    const std::string& keyExpr() const { return header_.keyExpr; }
    const std::string& forExpr() const { return header_.forExpr; }
    bool unique() const { return header_.unique; }
    bool descending() const { return header_.descending; }
    int keyLength() const { return header_.keyLength; }
    ValueType keyType() const { return key_.type(); }
    KeyList& keys() { return keys_; }
    const KeyList& keys() const { return keys_; }

    // Sets the expressions up for a new index (creation) or from the file (opening).
    void define(const std::string& keyExpr, const IndexOptions& options);
    // The header and keys of a compact .IDX file's bytes (compound files are read by their table
    // for all tags at once). Throws IndexDamage when the header was read (and taken) but the keys
    // cannot be used, DbfError when not even the header can be read.
    void loadIdxBytes(std::string_view bytes);
    // The same for an .NTX file's bytes.
    void loadNtxBytes(std::string_view bytes);
    void saveFile();
    // Rebuilds the keys from every record of the table.
    void rebuild();

    // The key bytes of the table's current record image (always keyLength() bytes).
    std::string keyOfCurrent() const;
    // Whether the current record image belongs to the order (its FOR condition).
    bool includesCurrent() const;
    // A value in key form, padded or cut to the key length (for seeks).
    std::string keyFromValue(const XValue& value) const;
    // Text as a seek key: character orders take it as it is, numeric orders read a number,
    // date orders read date text in the current format (or YYYYMMDD).
    std::string seekKeyFromText(std::string_view text) const;

    bool dirty = false;
    // Sharing the file with other processes: the file's stamp as last read or written, the key
    // changes made here since then (replayed over the file's keys when another process wrote it
    // meanwhile), and whether the keys were rebuilt here and replace whatever the file holds.
    FileStamp stamp;
    struct KeyChange {
        bool add = true;
        std::string key;
        std::uint32_t rec = 0;
    };
    std::vector<KeyChange> journal;
    // Files changed in place: where this order's header is (0 in a compact or .NTX file), and the
    // file's change counter as last read or written.
    std::uint32_t cdxOffset = 0;
    std::uint32_t counter = 0;
    bool rebuilt = false;
    void replayJournal();
    // Scope: keys (in key form, compared as prefixes) outside which records are not shown while
    // this order controls; empty ends are open.
    std::string scopeTop;
    std::string scopeBottom;
    bool inScope(std::string_view key) const;
    // Walked from its last key to its first while this order controls: a setting of this open
    // table only (the file keeps its own direction), kept with the order like its scope.
    bool reversed = false;

private:
    void compileExpressions();

    Table& table_;
    std::filesystem::path path_;
    IndexKind kind_;
    IndexHeader header_;
    std::string tag_;
    Expression key_;
    Expression for_;
    KeyList keys_;
};

// .NTX files (see ntx.cpp for the layout), written whole (a new file renamed into place).
void writeNtxFile(const std::filesystem::path& path, const IndexHeader& header,
                  const KeyList& keys);
// Reads header and keys; throws DbfError for a damaged file. `keys` is reset to the file's key
// length and order. `headerRead` receives the header as soon as it has been read, so that a
// caller can still rebuild an order whose keys turn out damaged.
IndexHeader readNtxFile(const std::filesystem::path& path, KeyList& keys,
                        IndexHeader* headerRead = nullptr);
IndexHeader readNtxBytes(std::string_view bytes, KeyList& keys, IndexHeader* headerRead = nullptr);

// Numeric keys in character-ordered indexes: the number as fixed-width text whose byte order is
// the numeric order (negative numbers are complemented).
std::string numericKeyText(double value, int width, int decimals);

} // namespace vorlan::dbf
