// Moving through a server table: the read-ahead window in the current order, seeks, scopes,
// filters and locate.

#include "pgsql/table.h"

#include "core/cp1250.h"
#include "dbf/settings.h"
#include "dbf/xbase_text.h"
#include "pgsql/record_codec.h"

#include <algorithm>

namespace vorlan::pgsql {

using dbf::DbfError;

namespace {

constexpr int kFirstWindow = 32;
constexpr int kLargestWindow = 4096;

} // namespace

std::string Table::selectList() const {
    std::string s = "t.recno, t.deleted";
    for (std::size_t i = 0; i < fields_.size(); ++i)
        s += isMemo(fields_[i].type) ? ", octet_length(t." + columns_[i] + ")"
                                     : ", t." + columns_[i];
    if (const Order* o = controlling()) s += ", t." + o->column;
    return s;
}

Table::Row Table::decodeRow(const Result& r, int row) const {
    Row out;
    out.recno = static_cast<std::uint32_t>(r.integer(row, 0));
    out.image = blank_;
    if (r.boolean(row, 1)) out.image[0] = '*';
    int col = 2;
    for (const auto& f : fields_) {
        if (isMemo(f.type))
            out.memoLengths.push_back(r.integer(row, col));
        else
            decodeField(f, r.isNull(row, col), r.text(row, col), out.image.data() + f.offset);
        ++col;
    }
    if (controlling() && !r.isNull(row, col)) out.key = r.bytes(row, col);
    return out;
}

std::vector<Table::Row> Table::fetch(bool ascending, From from, const std::string& key,
                                     std::uint32_t recno, int limit) {
    std::vector<Param> params;
    std::string where;
    auto add = [&](const std::string& cond) {
        where += (where.empty() ? " WHERE " : " AND ") + cond;
    };
    auto param = [&](Param p) {
        params.push_back(std::move(p));
        return "$" + std::to_string(params.size());
    };
    const Order* o = controlling();
    const char* cmp = ascending ? ">" : "<";
    if (!o) {
        if (from == From::After)
            add(std::string("t.recno ") + cmp + " " + param(Param::integer(recno)) + "::bigint");
        if (from == From::AtOrAfter)
            add(std::string("t.recno ") + cmp + "= " + param(Param::integer(recno)) + "::bigint");
    } else {
        const std::string& k = o->column;
        add("t." + k + " IS NOT NULL");
        if (from == From::After) {
            const std::string a = param(Param::bytes(key));
            const std::string b = param(Param::integer(recno));
            add("(t." + k + ", t.recno) " + cmp + " (" + a + "::bytea, " + b + "::bigint)");
        } else if (from == From::AtOrAfter) {
            add("t." + k + " " + cmp + "= " + param(Param::bytes(key)) + "::bytea");
        }
        if (!o->scopeTop.empty())
            add("t." + k + " >= " + param(Param::bytes(o->scopeTop)) + "::bytea");
        if (!o->scopeBottom.empty()) {
            std::string b = o->scopeBottom;
            b.resize(static_cast<std::size_t>(o->keyLength), '\xFF');
            add("t." + k + " <= " + param(Param::bytes(b)) + "::bytea");
        }
        if (o->spec.unique)
            add("NOT EXISTS (SELECT 1 FROM " + quoted_ + " AS u WHERE u." + k + " = t." + k +
                " AND u.recno < t.recno)");
    }
    if (dbf::settings().hideDeleted) add("NOT t.deleted");
    const char* dir = ascending ? "" : " DESC";
    const std::string orderBy = o ? " ORDER BY t." + o->column + dir + ", t.recno" + dir
                                  : std::string(" ORDER BY t.recno") + dir;
    const std::string sql = "SELECT " + selectList() + " FROM " + quoted_ + " AS t" + where +
                            orderBy + " LIMIT " + param(Param::integer(limit)) + "::bigint";
    const Result r = conn_->exec(sql, params);
    std::vector<Row> rows;
    rows.reserve(static_cast<std::size_t>(r.rows()));
    for (int i = 0; i < r.rows(); ++i)
        rows.push_back(decodeRow(r, i));
    return rows;
}

void Table::setCurrent(const Row& row) {
    recno_ = row.recno;
    image_ = row.image;
    original_ = image_;
    key_ = row.key;
    memoLengths_ = row.memoLengths;
    memos_.clear();
    changed_.clear();
    appending_ = false;
    eof_ = false;
}

void Table::setEofState() {
    recno_ = count_ + 1;
    eof_ = true;
    appending_ = false;
    image_ = blank_;
    original_ = image_;
    key_.clear();
    memos_.clear();
    memoLengths_.assign(memoFields_.size(), 0);
    changed_.clear();
}

void Table::dropWindow() {
    window_.clear();
    windowPos_ = 0;
    windowSize_ = kFirstWindow;
}

bool Table::walkingForward(bool forward) const {
    const Order* o = controlling();
    return forward != (o && o->reversed);
}

bool Table::visible() const {
    if (eof_) return false;
    if (!filter_.valid()) return true;
    if (!marks_.empty()) {
        const auto mark = marks_.find(recno_);
        if (mark != marks_.end()) return mark->second;
    }
    return filter_.test(this);
}

bool Table::markRecord(std::uint32_t recno, bool shown) {
    if (!filter_.valid() || recno < 1 || recno > count_) return false;
    marks_[recno] = shown;
    dropWindow();
    return true;
}

bool Table::passesQuery(std::uint32_t recno) {
    if (recno < 1 || recno > count_) return false;
    if (!filter_.valid()) return true;
    const auto mark = marks_.find(recno);
    if (mark != marks_.end()) return mark->second;
    const std::uint32_t saved = recno_;
    const bool wasEof = eof_;
    goTo(recno);
    const bool passes = !eof_ && filter_.test(this);
    if (wasEof) {
        setEofState();
    } else {
        goTo(saved);
    }
    return passes;
}

// One step in the walking direction, through the window; false past either end.
bool Table::step(bool forward) {
    const bool ascending = walkingForward(forward);
    if (!window_.empty() && windowPos_ < window_.size() && window_[windowPos_].recno == recno_) {
        if (ascending && windowPos_ + 1 < window_.size()) {
            setCurrent(window_[++windowPos_]);
            return true;
        }
        if (!ascending && windowPos_ > 0) {
            setCurrent(window_[--windowPos_]);
            return true;
        }
    }
    if (eof_) return false;
    std::vector<Row> rows = fetch(ascending, From::After, key_, recno_, windowSize_);
    windowSize_ = std::min(windowSize_ * 2, kLargestWindow);
    if (rows.empty()) return false;
    if (!ascending) std::reverse(rows.begin(), rows.end());
    window_ = std::move(rows);
    windowPos_ = ascending ? 0 : window_.size() - 1;
    setCurrent(window_[windowPos_]);
    return true;
}

bool Table::settle(bool forward) {
    while (!visible())
        if (!step(forward)) return false;
    return true;
}

// The first visible record from the top (bottom) in walking order.
bool Table::startAt(bool top) {
    dropWindow();
    const bool ascending = walkingForward(top);
    std::vector<Row> rows = fetch(ascending, From::Start, {}, 0, windowSize_);
    if (rows.empty()) return false;
    if (!ascending) std::reverse(rows.begin(), rows.end());
    window_ = std::move(rows);
    windowPos_ = ascending ? 0 : window_.size() - 1;
    setCurrent(window_[windowPos_]);
    return settle(top);
}

void Table::goTo(std::uint32_t recno) {
    flush();
    bof_ = false;
    dropWindow();
    if (recno > count_) refreshCount();
    if (recno < 1 || recno > count_) {
        setEofState();
        recno_ = recno > count_ ? count_ + 1 : recno;
        return;
    }
    const Result r = conn_->exec("SELECT " + selectList() + " FROM " + quoted_ +
                                     " AS t WHERE t.recno = $1::bigint",
                                 {Param::integer(recno)});
    if (r.rows() == 0) {
        setEofState();
        return;
    }
    setCurrent(decodeRow(r, 0));
}

void Table::goTop() {
    flush();
    refreshCount();
    bof_ = false;
    if (!startAt(true)) {
        setEofState();
        bof_ = true;
    }
}

void Table::goBottom() {
    flush();
    refreshCount();
    bof_ = false;
    if (!startAt(false)) {
        setEofState();
        bof_ = true;
    }
}

void Table::skip(long long n) {
    flush();
    if (n == 0) {
        if (!eof_) goTo(recno_);
        return;
    }
    const bool forward = n > 0;
    long long steps = forward ? n : -n;
    if (!forward && eof_) {
        goBottom();
        if (eof_) {
            bof_ = true;
            return;
        }
        --steps;
    }
    if (forward && eof_) return;
    bof_ = false;
    for (long long i = 0; i < steps; ++i) {
        bool moved = false;
        while (step(forward)) {
            if (visible()) {
                moved = true;
                break;
            }
        }
        if (!moved) {
            if (forward) {
                refreshCount();
                setEofState();
            } else {
                goTop();
                bof_ = true;
            }
            return;
        }
    }
}

std::uint32_t Table::count() {
    const std::uint32_t saved = recno_;
    std::uint32_t n = 0;
    for (goTop(); !eof_; skip(1))
        ++n;
    goTo(saved);
    return n;
}

// Orders

int Table::orderOf(std::string_view tag) const {
    for (std::size_t i = 0; i < orders_.size(); ++i)
        if (equalsNoCase(orders_[i].spec.tag, dbf::trimRight(tag))) return static_cast<int>(i) + 1;
    return 0;
}

void Table::setOrder(int order) {
    flush();
    if (order < 0 || order > orderCount()) throw DbfError(czech("takové pořadí neexistuje"));
    order_ = order;
    dropWindow();
    key_.clear();
    if (const Order* o = controlling(); o && !eof_ && inOrder(*o)) key_ = keyOf(*o);
}

void Table::createOrder(const OrderSpec& specIn) {
    flush();
    OrderSpec spec = specIn;
    spec.tag = upperCase(dbf::trimRight(spec.tag).substr(0, 10));
    if (orderOf(spec.tag)) dropOrder(spec.tag);
    Order ord;
    ord.spec = spec;
    compileOrder(spec, *this, ord.key, ord.cond, ord.keyLength);
    const std::string column = "k_" + cp1250ToUtf8(lowerCase(spec.tag));
    ord.column = quoteIdent(column);
    const std::uint32_t saved = recno_;
    const bool wasEof = eof_;
    {
        Transaction t(*conn_);
        conn_->run("ALTER TABLE " + quoted_ + " ADD COLUMN " + ord.column + " bytea");
        conn_->exec("INSERT INTO vorlan_orders (table_id, pos, tag, key_expr, for_expr, "
                    "is_unique, descending, column_name, file_name) VALUES ($1, (SELECT "
                    "coalesce(max(pos), 0) + 1 FROM vorlan_orders WHERE table_id = $1), $2, $3, "
                    "$4, $5, $6, $7, $8)",
                    {Param::integer(id_), Param::text(cp1250ToUtf8(spec.tag)),
                     Param::text(cp1250ToUtf8(spec.keyExpr)),
                     Param::text(cp1250ToUtf8(spec.forExpr)),
                     Param::text(spec.unique ? "true" : "false"),
                     Param::text(spec.descending ? "true" : "false"), Param::text(column),
                     Param::text(cp1250ToUtf8(upperCase(spec.file)))});
        // Keys of the records there are, computed here in batches.
        const int savedOrder = order_;
        order_ = 0;
        std::uint32_t last = 0;
        for (;;) {
            std::vector<Row> rows = fetch(true, From::After, {}, last, 5000);
            if (rows.empty()) break;
            std::string recs = "{", keys = "{";
            for (const auto& row : rows) {
                setCurrent(row);
                if (recs.size() > 1) {
                    recs += ',';
                    keys += ',';
                }
                recs += std::to_string(row.recno);
                if (inOrder(ord)) {
                    static const char* hex = "0123456789abcdef";
                    const std::string k = keyOf(ord);
                    keys += '"';
                    for (const unsigned char c : k) {
                        keys += hex[c >> 4];
                        keys += hex[c & 15];
                    }
                    keys += '"';
                } else {
                    keys += "NULL";
                }
                last = row.recno;
            }
            conn_->exec("UPDATE " + quoted_ + " AS t SET " + ord.column +
                            " = decode(v.k, 'hex') FROM unnest($1::bigint[], $2::text[]) AS "
                            "v(r, k) WHERE t.recno = v.r",
                        {Param::text(recs + "}"), Param::text(keys + "}")});
        }
        order_ = savedOrder;
        conn_->run("CREATE INDEX " + quoteIdent(name_ + "_" + column) + " ON " + quoted_ + " (" +
                   ord.column + ", recno)");
        t.commit();
    }
    orders_.push_back(std::move(ord));
    order_ = orderCount();
    if (wasEof)
        goTop();
    else
        goTo(saved);
}

void Table::dropOrder(std::string_view tag) {
    const int n = orderOf(tag);
    if (n == 0) return;
    flush();
    Order& o = orders_[static_cast<std::size_t>(n - 1)];
    {
        Transaction t(*conn_);
        conn_->exec("DELETE FROM vorlan_orders WHERE table_id = $1 AND tag = $2",
                    {Param::integer(id_), Param::text(cp1250ToUtf8(o.spec.tag))});
        conn_->run("ALTER TABLE " + quoted_ + " DROP COLUMN " + o.column);
        t.commit();
    }
    orders_.erase(orders_.begin() + (n - 1));
    if (order_ == n)
        order_ = 0;
    else if (order_ > n)
        --order_;
    dropWindow();
}

bool Table::changeCurrentKey(int order, bool add) {
    if (order < 1 || order > orderCount()) return false;
    flush();
    if (eof_) return false;
    const Order& o = orders_[static_cast<std::size_t>(order - 1)];
    // The key of the record as it is now, whatever its FOR condition says, as the DBF engine
    // puts it into (takes it out of) the order's keys; a record has one entry per order.
    const std::string k = keyOf(o);
    const std::string sql = add ? "UPDATE " + quoted_ + " SET " + o.column +
                                      " = $1::bytea WHERE recno = $2::bigint AND " + o.column +
                                      " IS DISTINCT FROM $1::bytea RETURNING recno"
                                : "UPDATE " + quoted_ + " SET " + o.column +
                                      " = NULL WHERE recno = $2::bigint AND " + o.column +
                                      " = $1::bytea RETURNING recno";
    if (conn_->exec(sql, {Param::bytes(k), Param::integer(recno_)}).rows() == 0) return false;
    if (order == order_) key_ = add ? k : std::string();
    dropWindow();
    return true;
}

std::string Table::seekKey(const Order& o, std::string_view text) const {
    std::string t(text);
    if (dbf::settings().exact && o.key.type() == dbf::ValueType::Char &&
        static_cast<int>(t.size()) < o.keyLength)
        t.resize(static_cast<std::size_t>(o.keyLength), ' ');
    return storedSeekKey(o.key.type(), t, o.keyLength, o.spec.descending);
}

bool Table::seek(std::string_view key) {
    return seek(key, dbf::settings().softSeek);
}

bool Table::seek(std::string_view text, bool softSeek) {
    flush();
    found_ = false;
    const Order* o = controlling();
    if (!o) throw DbfError(czech("hledání potřebuje řídicí index"));
    const std::string k = seekKey(*o, text);
    bof_ = false;
    dropWindow();
    // Walking a reversed order, the seek lands on the last key not after the sought one.
    const bool ascending = !o->reversed;
    std::string from = k;
    if (!ascending) from.resize(static_cast<std::size_t>(o->keyLength), '\xFF');
    std::vector<Row> rows = fetch(ascending, From::AtOrAfter, from, 0, windowSize_);
    if (rows.empty()) {
        refreshCount();
        setEofState();
        return false;
    }
    if (!ascending) std::reverse(rows.begin(), rows.end());
    window_ = std::move(rows);
    windowPos_ = ascending ? 0 : window_.size() - 1;
    setCurrent(window_[windowPos_]);
    if (!settle(true)) {
        refreshCount();
        setEofState();
        return false;
    }
    found_ = key_.compare(0, k.size(), k) == 0;
    if (!found_ && !softSeek) {
        refreshCount();
        setEofState();
    }
    return found_;
}

std::string Table::currentKey() {
    const Order* o = controlling();
    if (!o || eof_) return {};
    return visibleKey(keyOf(*o), o->spec.descending);
}

void Table::setScope(std::string_view top, std::string_view bottom) {
    Order* o = controlling();
    if (!o) return;
    flush();
    o->scopeTop = top.empty() ? std::string() : seekKey(*o, top);
    o->scopeBottom = bottom.empty() ? std::string() : seekKey(*o, bottom);
    o->scopeTopText = std::string(top);
    o->scopeBottomText = std::string(bottom);
    goTop();
}

std::pair<std::string, std::string> Table::scope() const {
    const Order* o = controlling();
    if (!o) return {};
    return {o->scopeTopText, o->scopeBottomText};
}

std::size_t Table::keyPosition() {
    const Order* o = controlling();
    if (!o || eof_) return 0;
    flush();
    if (!inOrder(*o)) return 0;
    const std::string k = keyOf(*o);
    const Result r = conn_->exec("SELECT count(*) FROM " + quoted_ + " AS t WHERE (t." + o->column +
                                     ", t.recno) <= ($1::bytea, $2::bigint)",
                                 {Param::bytes(k), Param::integer(recno_)});
    const auto below = static_cast<std::size_t>(r.integer(0, 0));
    if (!o->reversed) return below;
    const Result all = conn_->exec("SELECT count(*) FROM " + quoted_ + " AS t WHERE t." +
                                   o->column + " IS NOT NULL");
    return static_cast<std::size_t>(all.integer(0, 0)) - below + 1;
}

bool Table::flipOrder() {
    Order* o = controlling();
    if (!o) return false;
    flush();
    o->reversed = !o->reversed;
    dropWindow();
    return true;
}

bool Table::orderReversed() const {
    const Order* o = controlling();
    return o && o->reversed;
}

// Filters and locate

void Table::setFilter(std::string_view expr) {
    flush();
    marks_.clear();
    dropWindow();
    if (dbf::trimLeft(dbf::trimRight(expr)).empty()) {
        filter_ = dbf::Expression();
        filterText_.clear();
        return;
    }
    dbf::Expression e = dbf::Expression::compile(expr, this);
    if (e.type() != dbf::ValueType::Logical) throw DbfError(czech("filtr musí být logický výraz"));
    filter_ = std::move(e);
    filterText_ = std::string(expr);
}

std::uint32_t Table::locate(std::string_view condition, bool continuing, bool backward) {
    flush();
    if (!continuing || !locate_.valid()) {
        dbf::Expression e = dbf::Expression::compile(condition, this);
        if (e.type() != dbf::ValueType::Logical)
            throw DbfError(czech("podmínka musí být logický výraz"));
        // Like the file engine: a new condition is tried from the current record on.
        locate_ = std::move(e);
    } else {
        skip(backward ? -1 : 1);
    }
    for (; !eof_ && !(backward && bof_); skip(backward ? -1 : 1)) {
        if (locate_.test(this)) {
            found_ = true;
            return recno_;
        }
    }
    found_ = false;
    if (backward) {
        goTop();
        bof_ = true;
    }
    return 0;
}

} // namespace vorlan::pgsql
