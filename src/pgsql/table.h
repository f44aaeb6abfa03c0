#pragma once
// A table kept in a PostgreSQL database, walked and written the way the DBF engine walks and
// writes a table file.
//
// Layout: one database table per table, with the record number (`recno`, natural order is the
// order of appending; the numbers stay dense, pack renumbers), the deleted mark (`deleted`), one
// column per field (C text without trailing blanks, N/F numeric with the field's decimals, D
// date, L boolean, M/G/P bytea; a blank number, date or logical value is NULL; I integer, B
// double, Y numeric(19,4), T timestamp, kept in the image in the DBF engine's binary form), and one
// bytea column per order holding the record's key exactly as the DBF engine encodes it for a
// compound index (descending orders store the complement of each byte), so that the server's byte
// order of keys is the DBF engine's key order. Keys are computed here from the order's xBase
// expression and written with the record; a record that its FOR condition leaves out has NULL.
// The catalog tables `vorlan_tables`, `vorlan_fields` and `vorlan_orders` keep what a table
// file's header and index files keep: record count, field widths, key expressions.
//
// Reading goes through a window of records fetched ahead in the current order; writing sends the
// changed fields only, in one statement, so a record is never half written.
//
// Locks are advisory locks held by the connection: a record lock is the pair (table, recno)
// plus a shared hold on (table, 0), a file lock holds (table, 0) exclusively, so file and record
// locks of different clients exclude each other as they do on files.

#include "dbf/expr.h"
#include "dbf/table.h"
#include "pgsql/connection.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace vorlan::pgsql {

struct OrderSpec {
    std::string tag;
    std::string keyExpr;
    std::string forExpr{};
    bool unique = false;
    bool descending = false;
    // The index file the order belongs to (its name, upper case, as programs open it); empty
    // for the table's own compound file, whose orders open with the table.
    std::string file{};
};

// The connection of this process to a database, shared by its tables.
std::shared_ptr<Connection> connectionFor(const std::string& url);

// Whether the database holds a table of that name.
bool tableExists(Connection& c, const std::string& name);
void dropTable(Connection& c, const std::string& name);
std::vector<std::string> tableNames(Connection& c);

class Table : public dbf::RecordSource {
public:
    static std::unique_ptr<Table> create(std::shared_ptr<Connection> c, const std::string& name,
                                         const std::vector<dbf::FieldSpec>& fields);
    static std::unique_ptr<Table> open(std::shared_ptr<Connection> c, const std::string& name);
    ~Table() override;
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    void close();
    Connection& connection() { return *conn_; }
    const std::string& name() const { return name_; }
    const std::string& alias() const { return alias_; }
    void setAlias(std::string alias) { alias_ = std::move(alias); }
    int fieldCount() const { return static_cast<int>(fields_.size()); }
    const dbf::FieldInfo& field(int i) const { return fields_.at(static_cast<std::size_t>(i)); }
    int fieldIndex(std::string_view name) const;
    int recordSize() const { return recordSize_; }

    // Records.
    std::uint32_t recordCount() const { return count_; }
    std::uint32_t refreshCount();
    std::uint32_t recNo() const { return recno_; }
    bool bof() const { return bof_; }
    bool eof() const { return eof_; }
    void goTo(std::uint32_t recno);
    void goTop();
    void goBottom();
    void skip(long long count = 1);
    std::uint32_t count();

    // Fields, as the DBF engine gives them.
    std::string_view raw(int field) const;
    std::string getString(int field) const;
    double getNumber(int field) const;
    bool getLogical(int field) const;
    std::int32_t getDate(int field) const;
    std::string getMemo(int field) const;
    std::uint32_t memoLength(int field) const;
    dbf::XValue getValue(int field) const;
    bool deleted() const { return image_[0] == '*'; }
    bool fieldEmpty(int field) const;

    void setString(int field, std::string_view text);
    void setNumber(int field, double value);
    void setLogical(int field, bool value);
    void setDate(int field, std::int32_t jd);
    void setMemo(int field, std::string_view data);
    void setValue(int field, const dbf::XValue& value);
    void setFromText(int field, std::string_view text);
    void setRaw(int field, std::string_view bytes);

    // The new record is sent when the pointer moves, on flush and on commit; its number is
    // final then (other clients may append meanwhile).
    void append();
    // Appends whole records at once (record images as the DBF engine lays them out: the
    // deleted flag, then each field's bytes; memo fields stay empty), in one transaction;
    // answers the number of the first. For loading tables.
    std::uint32_t appendImages(const std::vector<std::string>& images);
    void deleteRecord();
    void recall();
    void flush();
    void commit() { flush(); }
    // Both need the file lock, which they take for their duration.
    void pack();
    void zap();

    // Orders count from 1 in the order of their definition; 0 is natural order.
    void createOrder(const OrderSpec& spec);
    void dropOrder(std::string_view tag);
    int orderCount() const { return static_cast<int>(orders_.size()); }
    const OrderSpec& orderSpec(int order) const {
        return orders_.at(static_cast<std::size_t>(order - 1)).spec;
    }
    int order() const { return order_; }
    void setOrder(int order);
    int orderOf(std::string_view tag) const;
    // The current record's key put into (taken out of) an order by hand: false when it is
    // there already (is not there) or at end of file. Writing the record later puts a key that
    // changed into its orders as usual.
    bool changeCurrentKey(int order, bool add);
    bool seek(std::string_view key);
    bool seek(std::string_view key, bool softSeek);
    bool found() const { return found_; }
    // The key of the current record in the controlling order, as the DBF engine gives it.
    std::string currentKey();
    // The current record's place in the controlling order, counting from 1 (0 when it is not in
    // it or at end of file).
    std::size_t keyPosition();
    void setScope(std::string_view top, std::string_view bottom);
    std::pair<std::string, std::string> scope() const;
    bool flipOrder();
    bool orderReversed() const;

    void setFilter(std::string_view expr);
    const std::string& filter() const { return filterText_; }
    // Query marks over the filter, as the DBF engine keeps them.
    bool markRecord(std::uint32_t recno, bool shown);
    bool passesQuery(std::uint32_t recno);
    std::uint32_t locate(std::string_view condition, bool continuing, bool backward = false);
    dbf::XValue evaluate(std::string_view expr);

    bool lockRecord(std::uint32_t recno);
    bool lockFile();
    void unlock(std::uint32_t recno = 0);
    bool isLocked(std::uint32_t recno) const;
    bool fileLocked() const { return holdsLocks() && fileLocked_; }

    // What other clients (and other tables of this process) wrote since the last look, as
    // they announced it: the window read ahead is dropped, the count and the current record
    // (unless it is being changed here) are read again. Answers the numbers of the records
    // written, {0} when any record may have changed (pack, zap, loads, a reconnect, many
    // changes), nothing when nothing changed. Sends no statement when nothing changed.
    std::vector<std::uint32_t> pollChanges();

    // Called after a record was written (its number, and whether it was new).
    void setWriteListener(std::function<void(std::uint32_t, bool)> listener) {
        written_ = std::move(listener);
    }

    // RecordSource.
    int resolveField(std::string_view alias, std::string_view name) const override;
    char fieldTypeOf(int field) const override { return this->field(field).type; }
    int fieldWidthOf(int field) const override { return this->field(field).width; }
    int fieldDecimalsOf(int field) const override { return this->field(field).decimals; }
    dbf::XValue fieldValue(int field) const override { return getValue(field); }
    bool recordDeleted() const override { return deleted(); }
    std::uint32_t recordNumber() const override { return recno_; }

private:
    struct Order {
        OrderSpec spec;
        std::string column;
        dbf::Expression key;
        dbf::Expression cond;
        int keyLength = 0;
        std::string scopeTop, scopeBottom;         // in stored form
        std::string scopeTopText, scopeBottomText; // as given
        bool reversed = false;
    };
    struct Row {
        std::uint32_t recno = 0;
        std::string image;
        std::string key; // stored form, in the controlling order
        std::vector<long long> memoLengths;
    };
    enum class From { Start, After, AtOrAfter };

    explicit Table(std::shared_ptr<Connection> c) : conn_(std::move(c)) {}
    void loadCatalog();
    void layOut();
    std::string selectList() const;
    Row decodeRow(const Result& r, int row) const;
    // Fetches up to `limit` rows in the walking direction `forward` (in the order's own terms
    // when `ownDirection`) from the given position; the rows come in walking order.
    std::vector<Row> fetch(bool forward, From from, const std::string& key, std::uint32_t recno,
                           int limit);
    void setCurrent(const Row& row);
    void setEofState();
    void send();
    bool visible() const;
    bool step(bool forward);
    bool settle(bool forward);
    bool startAt(bool top);
    void dropWindow();
    char* editable();
    void checkWritable() const;
    std::string keyOf(const Order& o) const; // stored form of the current image's key
    bool inOrder(const Order& o) const;      // the FOR condition on the current image
    std::string seekKey(const Order& o, std::string_view text) const;
    std::vector<Param> fieldParams(const std::vector<int>& fields) const;
    std::string castOf(const dbf::FieldInfo& f) const;
    bool walkingForward(bool forward) const;
    Order* controlling() {
        return order_ > 0 ? &orders_[static_cast<std::size_t>(order_ - 1)] : nullptr;
    }
    const Order* controlling() const {
        return order_ > 0 ? &orders_[static_cast<std::size_t>(order_ - 1)] : nullptr;
    }
    bool tryLock(const std::string& sql, std::vector<Param> params);
    // pg_notify on the table's channel with a payload expression, for a statement's text.
    std::string notifySql(const std::string& payload) const;
    // Tells listeners that any record may have changed.
    void announceAll();
    void stopListening() noexcept;
    bool holdsLocks() const;
    void forgetLostLocks();
    void keepLocksForWrite();

    std::shared_ptr<Connection> conn_;
    std::string name_;
    std::string quoted_;
    std::string alias_;
    long long id_ = 0;
    std::vector<dbf::FieldInfo> fields_;
    std::vector<std::string> columns_; // quoted column name per field
    std::vector<int> memoFields_;
    int recordSize_ = 1;
    std::string blank_; // the image of a blank record: blanks, binary fields zero
    std::uint32_t count_ = 0;

    std::uint32_t recno_ = 1;
    bool bof_ = true;
    bool eof_ = true;
    bool found_ = false;
    bool appending_ = false;
    std::string image_;
    std::string original_;
    std::string key_;
    std::set<int> changed_;
    mutable std::map<int, std::string> memos_; // fetched or changed memo contents
    std::vector<long long> memoLengths_;

    std::vector<Row> window_;
    std::size_t windowPos_ = 0;
    int windowSize_ = 32;

    std::vector<Order> orders_;
    int order_ = 0;

    dbf::Expression filter_;
    std::string filterText_;
    std::map<std::uint32_t, bool> marks_;
    dbf::Expression locate_;
    std::function<void(std::uint32_t, bool)> written_;

    std::string channel_;
    std::uint64_t seenNotices_ = 0;

    std::set<std::uint32_t> lockedRecords_;
    bool fileLocked_ = false;
    std::uint64_t lockGeneration_ = 0;
};

} // namespace vorlan::pgsql
