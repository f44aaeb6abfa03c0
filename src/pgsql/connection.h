#pragma once
// One client connection to a PostgreSQL server: statements prepared once per text, parameters and
// results as text (bytea in binary), and failures as engine errors with a Czech message.

#include "dbf/file.h"
#include "tables/connection_lost.h"

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct pg_conn;
struct pg_result;

namespace vorlan::pgsql {

// A server failure. `lost` tells that the connection itself went away (nothing of the
// statement that failed was applied: each statement is atomic on the server).
class ServerError : public dbf::DbfError, public tables::ConnectionFailure {
public:
    ServerError(const std::string& message, bool lost) : dbf::DbfError(message), lost_(lost) {}
    bool lost() const { return lost_; }
    bool connectionLost() const override { return lost_; }

private:
    bool lost_;
};

// A statement parameter: text (UTF-8), or bytes for a bytea column; nullopt is NULL.
struct Param {
    std::optional<std::string> value;
    bool binary = false;

    static Param null() { return {}; }
    static Param text(std::string v) { return {std::move(v), false}; }
    static Param bytes(std::string v) { return {std::move(v), true}; }
    static Param integer(long long v) { return {std::to_string(v), false}; }
};

class Result {
public:
    Result() = default;
    explicit Result(pg_result* r);
    ~Result();
    Result(Result&& o) noexcept : r_(o.r_) { o.r_ = nullptr; }
    Result& operator=(Result&& o) noexcept;
    Result(const Result&) = delete;
    Result& operator=(const Result&) = delete;

    int rows() const;
    int columns() const;
    bool isNull(int row, int col) const;
    std::string_view text(int row, int col) const;
    long long integer(int row, int col) const;
    bool boolean(int row, int col) const;
    // A bytea column in the server's hex output form, decoded.
    std::string bytes(int row, int col) const;

private:
    pg_result* r_ = nullptr;
};

class Connection {
public:
    // Connects with a connection URL or key=value string; the password comes from the user's
    // password or service file, never from us. Throws ServerError.
    static std::unique_ptr<Connection> open(const std::string& url);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Runs a statement with parameters, prepared the first time its text is seen.
    Result exec(const std::string& sql, const std::vector<Param>& params = {});
    // Runs statement text as it is (schema changes, several statements).
    void run(const std::string& sql);
    // A COPY ... FROM STDIN statement fed with `data` (its text format).
    void copyIn(const std::string& sql, const std::string& data);
    // Whether the connection is still up.
    bool alive() const;
    // Reopens a connection that broke; throws ServerError (lost) when the server is not back.
    void connect() { ensureConnected(); }
    // Drops and reopens the connection (advisory locks and prepared statements are gone).
    bool reconnect();
    // A number that grows with every reconnect, so holders of locks can tell they lost them.
    std::uint64_t generation() const { return generation_; }

    // Transactions: begin/commit nest by counting, rollback undoes the outermost.
    void begin();
    void commit();
    void rollback();
    bool inTransaction() const { return depth_ > 0; }

    const std::string& url() const { return url_; }

    // Notifications (LISTEN/NOTIFY): what arrived on a channel this connection listens on,
    // counted, with the payloads of the last few. A connection that was reopened may have
    // missed some: each of its channels then gets one payload "*".
    struct Notices {
        std::uint64_t count = 0;
        std::deque<std::pair<std::uint64_t, std::string>> recent; // (number, payload)
    };
    // Listening counts its callers: the last unlisten of a channel ends it.
    void listen(const std::string& channel);
    void unlisten(const std::string& channel);
    // Reads what the server sent meanwhile without waiting for it (no statement is sent).
    void receiveNotices();
    const Notices& notices(const std::string& channel) { return notices_[channel]; }

private:
    Connection() = default;
    void setUp();
    void ensureConnected();
    void collectNotices();
    void noteNotice(const std::string& channel, std::string payload);
    [[noreturn]] void fail(const char* what, pg_result* r);

    pg_conn* conn_ = nullptr;
    std::string url_;
    std::map<std::string, std::string> prepared_;
    std::uint64_t generation_ = 0;
    std::map<std::string, Notices> notices_;
    std::map<std::string, int> channels_; // listened on, by how many tables
    int depth_ = 0;
    bool broken_ = false;
};

// A transaction that rolls back unless committed.
class Transaction {
public:
    explicit Transaction(Connection& c) : c_(c) { c_.begin(); }
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit() {
        c_.commit();
        done_ = true;
    }

private:
    Connection& c_;
    bool done_ = false;
};

// An identifier quoted for statement text.
std::string quoteIdent(std::string_view name);

} // namespace vorlan::pgsql
