// The libpq connection: prepared statements by text, text parameters with bytea in binary, and
// lost connections told apart from refused statements.

#include "pgsql/connection.h"

#include "core/cp1250.h"

#include "pgsql/client_library.h"

#include <cstdlib>

namespace vorlan::pgsql {

namespace {

// Every connection and result exists only after the library was loaded by Connection::open.
const ClientLibrary& pq() {
    return clientLibrary();
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 0;
}

std::string serverMessage(pg_conn* conn, pg_result* r) {
    const char* m = r ? pq().resultErrorMessage(r) : nullptr;
    if (!m || !*m) m = conn ? pq().errorMessage(conn) : "";
    std::string text = m;
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return utf8ToCp1250(text);
}

} // namespace

Result::Result(pg_result* r) : r_(r) {}

Result::~Result() {
    if (r_) pq().clear(r_);
}

Result& Result::operator=(Result&& o) noexcept {
    if (this != &o) {
        if (r_) pq().clear(r_);
        r_ = o.r_;
        o.r_ = nullptr;
    }
    return *this;
}

int Result::rows() const {
    return r_ ? pq().ntuples(r_) : 0;
}

int Result::columns() const {
    return r_ ? pq().nfields(r_) : 0;
}

bool Result::isNull(int row, int col) const {
    return pq().getisnull(r_, row, col) != 0;
}

std::string_view Result::text(int row, int col) const {
    return {pq().getvalue(r_, row, col), static_cast<std::size_t>(pq().getlength(r_, row, col))};
}

long long Result::integer(int row, int col) const {
    return isNull(row, col) ? 0 : std::strtoll(pq().getvalue(r_, row, col), nullptr, 10);
}

bool Result::boolean(int row, int col) const {
    return !isNull(row, col) && pq().getvalue(r_, row, col)[0] == 't';
}

std::string Result::bytes(int row, int col) const {
    const std::string_view t = text(row, col);
    std::string out;
    if (t.size() < 2 || t[0] != '\\' || t[1] != 'x') return std::string(t);
    out.resize((t.size() - 2) / 2);
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<char>(hexDigit(t[2 + 2 * i]) * 16 + hexDigit(t[3 + 2 * i]));
    return out;
}

std::unique_ptr<Connection> Connection::open(const std::string& url) {
    std::unique_ptr<Connection> c(new Connection);
    c->url_ = url;
    c->conn_ = pq().connectdb(url.c_str());
    if (pq().status(c->conn_) != CONNECTION_OK)
        throw ServerError(czech("Nelze se připojit k databázovému serveru: ") +
                              serverMessage(c->conn_, nullptr),
                          true);
    c->setUp();
    return c;
}

Connection::~Connection() {
    if (conn_) pq().finish(conn_);
}

void Connection::setUp() {
    run("SET client_encoding TO 'UTF8'; SET DateStyle TO 'ISO'; "
        "SET extra_float_digits TO 3; SET bytea_output TO 'hex'; "
        "SET client_min_messages TO warning");
}

bool Connection::alive() const {
    return conn_ && pq().status(conn_) == CONNECTION_OK;
}

void Connection::ensureConnected() {
    if ((broken_ || !alive()) && !reconnect()) fail("spojení", nullptr);
}

bool Connection::reconnect() {
    broken_ = false;
    prepared_.clear();
    depth_ = 0;
    ++generation_;
    pq().reset(conn_);
    if (!alive()) {
        broken_ = true;
        return false;
    }
    try {
        setUp();
        // Listening again; what was sent while we were away is lost, so anything may have
        // changed.
        for (const auto& [channel, listeners] : channels_) {
            run("LISTEN " + quoteIdent(channel));
            noteNotice(channel, "*");
        }
    } catch (const ServerError&) {
        return false;
    }
    return true;
}

void Connection::listen(const std::string& channel) {
    if (channels_[channel]++ > 0) return;
    try {
        run("LISTEN " + quoteIdent(channel));
    } catch (...) {
        channels_.erase(channel);
        throw;
    }
    notices_[channel];
}

void Connection::unlisten(const std::string& channel) {
    const auto it = channels_.find(channel);
    if (it == channels_.end() || --it->second > 0) return;
    channels_.erase(it);
    notices_.erase(channel);
    // A session that listens holds back the server's notification queue until it reads: one
    // with no open table has no reason to.
    if (alive() && !broken_) run("UNLISTEN " + quoteIdent(channel));
}

void Connection::noteNotice(const std::string& channel, std::string payload) {
    // Kept short: a reader that has not looked for a while learns that many records changed.
    constexpr std::size_t kKept = 256;
    Notices& n = notices_[channel];
    n.recent.emplace_back(++n.count, std::move(payload));
    if (n.recent.size() > kKept) n.recent.pop_front();
}

void Connection::collectNotices() {
    while (PGnotify* n = pq().notifies(conn_)) {
        if (channels_.count(n->relname)) noteNotice(n->relname, n->extra ? n->extra : "");
        pq().freemem(n);
    }
}

void Connection::receiveNotices() {
    if (!alive()) return;
    if (pq().consumeInput(conn_) == 0) {
        broken_ = pq().status(conn_) != CONNECTION_OK;
        return;
    }
    collectNotices();
}

void Connection::fail(const char* what, pg_result* r) {
    // Errors the server did not send (no SQL state), a broken connection class and the server's
    // shutdown mean the connection is gone.
    const char* state = r ? pq().resultErrorField(r, PG_DIAG_SQLSTATE) : nullptr;
    const std::string code = state ? state : "";
    const bool lost = pq().status(conn_) != CONNECTION_OK || code.empty() ||
                      code.compare(0, 2, "08") == 0 || code.compare(0, 3, "57P") == 0;
    if (lost) broken_ = true;
    std::string message = serverMessage(conn_, r);
    if (r) pq().clear(r);
    if (lost) {
        depth_ = 0;
        throw ServerError(czech("Spojení s databázovým serverem bylo přerušeno, změny záznamu "
                                "nebyly uloženy. ") +
                              message,
                          true);
    }
    throw ServerError(czech("Databázový server odmítl příkaz (") + what + "): " + message, false);
}

Result Connection::exec(const std::string& sql, const std::vector<Param>& params) {
    ensureConnected();
    auto it = prepared_.find(sql);
    if (it == prepared_.end()) {
        const std::string name = "s" + std::to_string(prepared_.size() + 1);
        pg_result* r = pq().prepare(conn_, name.c_str(), sql.c_str(), 0, nullptr);
        if (pq().resultStatus(r) != PGRES_COMMAND_OK) fail("prepare", r);
        pq().clear(r);
        it = prepared_.emplace(sql, name).first;
    }
    std::vector<const char*> values(params.size());
    std::vector<int> lengths(params.size());
    std::vector<int> formats(params.size());
    for (std::size_t i = 0; i < params.size(); ++i) {
        values[i] = params[i].value ? params[i].value->data() : nullptr;
        lengths[i] = params[i].value ? static_cast<int>(params[i].value->size()) : 0;
        formats[i] = params[i].binary ? 1 : 0;
    }
    pg_result* r = pq().execPrepared(conn_, it->second.c_str(), static_cast<int>(params.size()),
                                     values.data(), lengths.data(), formats.data(), 0);
    const auto status = pq().resultStatus(r);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) fail("exec", r);
    // Notifications that came with the answer, taken out of libpq's list so that it never grows.
    collectNotices();
    return Result(r);
}

void Connection::run(const std::string& sql) {
    ensureConnected();
    pg_result* r = pq().exec(conn_, sql.c_str());
    const auto status = pq().resultStatus(r);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) fail("exec", r);
    pq().clear(r);
    collectNotices();
}

void Connection::copyIn(const std::string& sql, const std::string& data) {
    ensureConnected();
    pg_result* r = pq().exec(conn_, sql.c_str());
    if (pq().resultStatus(r) != PGRES_COPY_IN) fail("copy", r);
    pq().clear(r);
    if (pq().putCopyData(conn_, data.data(), static_cast<int>(data.size())) != 1 ||
        pq().putCopyEnd(conn_, nullptr) != 1)
        fail("copy", nullptr);
    r = pq().getResult(conn_);
    const auto status = pq().resultStatus(r);
    if (status != PGRES_COMMAND_OK) fail("copy", r);
    pq().clear(r);
    while ((r = pq().getResult(conn_)) != nullptr)
        pq().clear(r);
}

void Connection::begin() {
    if (depth_++ == 0) run("BEGIN");
}

void Connection::commit() {
    if (depth_ == 0) return;
    if (--depth_ == 0) run("COMMIT");
}

void Connection::rollback() {
    if (depth_ == 0) return;
    depth_ = 0;
    if (alive()) {
        pg_result* r = pq().exec(conn_, "ROLLBACK");
        if (r) pq().clear(r);
    }
}

Transaction::~Transaction() {
    if (!done_) c_.rollback();
}

std::string quoteIdent(std::string_view name) {
    std::string out = "\"";
    for (const char c : name) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
    return out;
}

} // namespace vorlan::pgsql
