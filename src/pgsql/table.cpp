// Server tables: the catalog, opening and creating, the record image and writing records.

#include "pgsql/table.h"

#include "core/cp1250.h"
#include "dbf/cdx.h"
#include "dbf/settings.h"
#include "dbf/xbase_text.h"
#include "pgsql/record_codec.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace vorlan::pgsql {

using dbf::DbfError;
using dbf::XValue;

namespace {

std::map<std::string, std::weak_ptr<Connection>>& connections() {
    static std::map<std::string, std::weak_ptr<Connection>> map;
    return map;
}

} // namespace

std::shared_ptr<Connection> connectionFor(const std::string& url) {
    auto& map = connections();
    if (auto c = map[url].lock()) return c;
    std::shared_ptr<Connection> c = Connection::open(url);
    ensureCatalog(*c);
    map[url] = c;
    return c;
}

bool tableExists(Connection& c, const std::string& name) {
    ensureCatalog(c);
    return c.exec("SELECT 1 FROM vorlan_tables WHERE name = $1", {Param::text(name)}).rows() > 0;
}

void dropTable(Connection& c, const std::string& name) {
    Transaction t(c);
    c.exec("DELETE FROM vorlan_tables WHERE name = $1", {Param::text(name)});
    c.run("DROP TABLE IF EXISTS " + quoteIdent(name));
    t.commit();
}

std::vector<std::string> tableNames(Connection& c) {
    ensureCatalog(c);
    const Result r = c.exec("SELECT name FROM vorlan_tables ORDER BY name");
    std::vector<std::string> names;
    for (int i = 0; i < r.rows(); ++i)
        names.emplace_back(r.text(i, 0));
    return names;
}

std::unique_ptr<Table> Table::create(std::shared_ptr<Connection> c, const std::string& name,
                                     const std::vector<dbf::FieldSpec>& fields) {
    Connection& conn = *c;
    ensureCatalog(conn);
    {
        Transaction t(conn);
        conn.exec("SELECT pg_advisory_xact_lock(1448037452)");
        if (conn.exec("SELECT 1 FROM vorlan_tables WHERE name = $1", {Param::text(name)}).rows())
            throw DbfError(czech("Tabulka ") + utf8ToCp1250(name) +
                           czech(" v databázi už existuje"));
        const long long id = conn.exec("INSERT INTO vorlan_tables (name) VALUES ($1) RETURNING id",
                                       {Param::text(name)})
                                 .integer(0, 0);
        std::string ddl = "CREATE TABLE " + quoteIdent(name) +
                          " (recno bigint NOT NULL, deleted boolean NOT NULL DEFAULT false";
        int pos = 0;
        for (const auto& f : fields) {
            dbf::FieldSpec s = f;
            s.type = static_cast<char>(cp1250Upper(static_cast<unsigned char>(s.type)));
            if (fixedWidth(s.type)) s.width = fixedWidth(s.type);
            if (s.width == 0) s.width = 10;
            if (s.type == 'Y') s.decimals = 4;
            if (s.type == 'I' || s.type == 'T') s.decimals = 0;
            if (!supportedType(s.type))
                throw DbfError(czech("Typ pole ") + std::string(1, s.type) + czech(" (") + s.name +
                               czech(") databázový server neukládá"));
            const std::string upper = upperCase(s.name);
            conn.exec("INSERT INTO vorlan_fields (table_id, pos, name, type, width, decimals) "
                      "VALUES ($1, $2, $3, $4, $5, $6)",
                      {Param::integer(id), Param::integer(++pos), Param::text(cp1250ToUtf8(upper)),
                       Param::text(std::string(1, s.type)), Param::integer(s.width),
                       Param::integer(s.decimals)});
            ddl += ", " + columnName(upper) + " " + sqlType(s.type, s.width, s.decimals);
        }
        ddl += ", CONSTRAINT " + quoteIdent(name + "_recno") +
               " PRIMARY KEY (recno) DEFERRABLE INITIALLY IMMEDIATE)";
        conn.run(ddl);
        t.commit();
    }
    return open(std::move(c), name);
}

std::unique_ptr<Table> Table::open(std::shared_ptr<Connection> c, const std::string& name) {
    std::unique_ptr<Table> t(new Table(std::move(c)));
    t->name_ = name;
    t->quoted_ = quoteIdent(name);
    t->alias_ = upperCase(utf8ToCp1250(name));
    t->loadCatalog();
    // Writes announce the record they wrote on the table's channel (see pollChanges).
    t->channel_ = "vorlan_" + std::to_string(t->id_);
    t->conn_->listen(t->channel_);
    t->seenNotices_ = t->conn_->notices(t->channel_).count;
    t->goTop();
    return t;
}

Table::~Table() {
    try {
        close();
    } catch (const std::exception&) {
        // A connection that went away holds neither the changes nor the locks any more.
    }
}

void Table::close() {
    if (!conn_) return;
    try {
        flush();
        unlock(0);
    } catch (...) {
        stopListening();
        throw;
    }
    stopListening();
    conn_.reset();
}

void Table::stopListening() noexcept {
    if (channel_.empty() || !conn_) return;
    const std::string channel = std::move(channel_);
    channel_.clear();
    try {
        conn_->unlisten(channel);
    } catch (const std::exception&) {
        // A connection that went away listens to nothing.
    }
}

void Table::loadCatalog() {
    Connection& c = *conn_;
    const Result t =
        c.exec("SELECT id, reccount FROM vorlan_tables WHERE name = $1", {Param::text(name_)});
    if (t.rows() == 0)
        throw DbfError(czech("Tabulka ") + utf8ToCp1250(name_) + czech(" v databázi není"));
    id_ = t.integer(0, 0);
    count_ = static_cast<std::uint32_t>(t.integer(0, 1));
    const Result f = c.exec("SELECT name, type, width, decimals FROM vorlan_fields "
                            "WHERE table_id = $1 ORDER BY pos",
                            {Param::integer(id_)});
    fields_.clear();
    for (int i = 0; i < f.rows(); ++i) {
        dbf::FieldInfo info;
        info.name = utf8ToCp1250(f.text(i, 0));
        info.type = f.text(i, 1).empty() ? 'C' : f.text(i, 1)[0];
        info.width = static_cast<int>(f.integer(i, 2));
        info.decimals = static_cast<int>(f.integer(i, 3));
        fields_.push_back(info);
    }
    layOut();
    const Result o = c.exec("SELECT tag, key_expr, for_expr, is_unique, descending, column_name, "
                            "file_name FROM vorlan_orders WHERE table_id = $1 ORDER BY pos",
                            {Param::integer(id_)});
    orders_.clear();
    for (int i = 0; i < o.rows(); ++i) {
        Order ord;
        ord.spec.tag = utf8ToCp1250(o.text(i, 0));
        ord.spec.keyExpr = utf8ToCp1250(o.text(i, 1));
        ord.spec.forExpr = utf8ToCp1250(o.text(i, 2));
        ord.spec.unique = o.boolean(i, 3);
        ord.spec.descending = o.boolean(i, 4);
        ord.column = quoteIdent(o.text(i, 5));
        ord.spec.file = utf8ToCp1250(o.text(i, 6));
        compileOrder(ord.spec, *this, ord.key, ord.cond, ord.keyLength);
        orders_.push_back(std::move(ord));
    }
}

void Table::layOut() {
    columns_.clear();
    memoFields_.clear();
    int offset = 1;
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        auto& f = fields_[i];
        f.offset = offset;
        offset += f.width;
        columns_.push_back(columnName(f.name));
        if (isMemo(f.type)) memoFields_.push_back(static_cast<int>(i));
    }
    recordSize_ = offset;
    blank_.assign(static_cast<std::size_t>(recordSize_), ' ');
    for (const auto& f : fields_)
        if (isBinary(f.type))
            std::memset(blank_.data() + f.offset, 0, static_cast<std::size_t>(f.width));
    image_ = blank_;
    original_ = image_;
}

int Table::fieldIndex(std::string_view name) const {
    for (std::size_t i = 0; i < fields_.size(); ++i)
        if (equalsNoCase(dbf::trimRight(fields_[i].name), dbf::trimRight(name)))
            return static_cast<int>(i);
    return -1;
}

int Table::resolveField(std::string_view alias, std::string_view name) const {
    if (!alias.empty() && !equalsNoCase(alias, alias_)) return -1;
    return fieldIndex(name);
}

std::uint32_t Table::refreshCount() {
    count_ = static_cast<std::uint32_t>(
        conn_->exec("SELECT reccount FROM vorlan_tables WHERE id = $1", {Param::integer(id_)})
            .integer(0, 0));
    return count_;
}

// Fields

std::string_view Table::raw(int field) const {
    const auto& f = this->field(field);
    return std::string_view(image_).substr(static_cast<std::size_t>(f.offset),
                                           static_cast<std::size_t>(f.width));
}

std::string Table::getString(int field) const {
    const auto& f = this->field(field);
    switch (f.type) {
    case 'M':
    case 'G':
    case 'P':
        return getMemo(field);
    case 'I':
    case 'B':
    case 'Y':
        return dbf::formatNumber(getNumber(field), f.type == 'I' ? 11 : 20,
                                 f.type == 'I' ? 0 : (f.type == 'Y' ? 4 : f.decimals));
    case 'T':
        return dbf::dateToText(getDate(field));
    default:
        return std::string(raw(field));
    }
}

double Table::getNumber(int field) const {
    const auto& f = this->field(field);
    const auto* p = reinterpret_cast<const unsigned char*>(image_.data() + f.offset);
    switch (f.type) {
    case 'I':
        return static_cast<double>(static_cast<std::int32_t>(dbf::getLe32(p)));
    case 'B': {
        const std::uint64_t bits = getLe64(p);
        double d;
        std::memcpy(&d, &bits, 8);
        return d;
    }
    case 'Y':
        return static_cast<double>(static_cast<std::int64_t>(getLe64(p))) / 10000.0;
    default: {
        const std::string_view r = raw(field);
        if (r.find('*') != std::string_view::npos) return 0;
        return dbf::parseNumber(r);
    }
    }
}

bool Table::getLogical(int field) const {
    const char c = raw(field)[0];
    return c == 'T' || c == 't' || c == 'Y' || c == 'y';
}

std::int32_t Table::getDate(int field) const {
    const auto& f = this->field(field);
    if (f.type == 'T') {
        const auto jd = static_cast<std::int32_t>(
            dbf::getLe32(reinterpret_cast<const unsigned char*>(image_.data() + f.offset)));
        return jd > 0 ? jd : 0;
    }
    return dbf::dateFromDtos(raw(field));
}

std::string Table::getMemo(int field) const {
    if (!isMemo(this->field(field).type)) return getString(field);
    const auto it = memos_.find(field);
    if (it != memos_.end()) return it->second;
    if (eof_ || appending_ || memoLength(field) == 0) return {};
    const Result r = conn_->exec("SELECT " + columns_[static_cast<std::size_t>(field)] + " FROM " +
                                     quoted_ + " WHERE recno = $1",
                                 {Param::integer(recno_)});
    std::string data = r.rows() && !r.isNull(0, 0) ? r.bytes(0, 0) : std::string();
    memos_[field] = data;
    return data;
}

std::uint32_t Table::memoLength(int field) const {
    if (!isMemo(this->field(field).type)) return 0;
    const auto it = memos_.find(field);
    if (it != memos_.end()) return static_cast<std::uint32_t>(it->second.size());
    const auto m = std::find(memoFields_.begin(), memoFields_.end(), field);
    const auto i = static_cast<std::size_t>(m - memoFields_.begin());
    return i < memoLengths_.size() ? static_cast<std::uint32_t>(memoLengths_[i]) : 0;
}

XValue Table::getValue(int field) const {
    switch (this->field(field).type) {
    case 'N':
    case 'F':
    case 'I':
    case 'B':
    case 'Y':
        return XValue::number(getNumber(field));
    case 'D':
    case 'T':
        return XValue::dateValue(getDate(field));
    case 'L':
        return XValue::logical(getLogical(field));
    case 'M':
    case 'G':
    case 'P':
        return XValue::text(getMemo(field));
    default:
        return XValue::text(std::string(raw(field)));
    }
}

bool Table::fieldEmpty(int field) const {
    const auto& f = this->field(field);
    if (isMemo(f.type)) return memoLength(field) == 0;
    if (isBinary(f.type)) return getNumber(field) == 0 && getDate(field) == 0;
    const std::string_view r = raw(field);
    if (f.type == 'L') return r[0] == ' ' || r[0] == '?';
    return dbf::trimRight(r).empty();
}

void Table::checkWritable() const {
    if (eof_ && !appending_) throw DbfError(czech("Není aktuální záznam"));
}

char* Table::editable() {
    return image_.data();
}

void Table::setRaw(int field, std::string_view bytes) {
    checkWritable();
    const auto& f = this->field(field);
    std::string v(bytes.substr(0, static_cast<std::size_t>(f.width)));
    v.resize(static_cast<std::size_t>(f.width), ' ');
    std::memcpy(editable() + f.offset, v.data(), v.size());
    changed_.insert(field);
}

void Table::setString(int field, std::string_view text) {
    switch (this->field(field).type) {
    case 'C':
        setRaw(field, text);
        break;
    case 'M':
    case 'G':
    case 'P':
        setMemo(field, text);
        break;
    default:
        setFromText(field, text);
    }
}

void Table::setNumber(int field, double value) {
    const auto& f = this->field(field);
    if (f.type == 'N' || f.type == 'F') {
        setRaw(field, dbf::formatNumber(value, f.width, f.decimals));
        return;
    }
    if (f.type != 'I' && f.type != 'B' && f.type != 'Y')
        throw DbfError(czech("položka ") + f.name + czech(" není číselná"));
    checkWritable();
    auto* p = reinterpret_cast<unsigned char*>(editable() + f.offset);
    if (f.type == 'I') {
        const double v =
            std::isfinite(value) ? std::clamp(std::round(value), -2147483648.0, 2147483647.0) : 0;
        dbf::putLe32(p, static_cast<std::uint32_t>(static_cast<std::int32_t>(v)));
    } else if (f.type == 'B') {
        std::uint64_t bits;
        std::memcpy(&bits, &value, 8);
        putLe64(p, bits);
    } else {
        const double v =
            std::isfinite(value) ? std::clamp(std::round(value * 10000.0), -9.2e18, 9.2e18) : 0;
        putLe64(p, static_cast<std::uint64_t>(static_cast<std::int64_t>(v)));
    }
    changed_.insert(field);
}

void Table::setLogical(int field, bool value) {
    const auto& f = this->field(field);
    if (f.type != 'L') throw DbfError(czech("položka ") + f.name + czech(" není logická"));
    setRaw(field, value ? "T" : "F");
}

void Table::setDate(int field, std::int32_t jd) {
    const auto& f = this->field(field);
    if (f.type == 'T') {
        checkWritable();
        auto* p = reinterpret_cast<unsigned char*>(editable() + f.offset);
        dbf::putLe32(p, static_cast<std::uint32_t>(std::max(0, jd)));
        dbf::putLe32(p + 4, 0);
        changed_.insert(field);
        return;
    }
    if (f.type != 'D') throw DbfError(czech("položka ") + f.name + czech(" není datum"));
    setRaw(field, dbf::dateToDtos(jd));
}

void Table::setMemo(int field, std::string_view data) {
    checkWritable();
    const auto& f = this->field(field);
    if (!isMemo(f.type)) throw DbfError(czech("položka ") + f.name + czech(" není memo"));
    memos_[field] = std::string(data);
    changed_.insert(field);
}

void Table::setValue(int field, const XValue& value) {
    switch (value.type) {
    case dbf::ValueType::Char:
        setString(field, value.str);
        break;
    case dbf::ValueType::Numeric:
        setNumber(field, value.num);
        break;
    case dbf::ValueType::Date:
        setDate(field, value.date);
        break;
    case dbf::ValueType::Logical:
        setLogical(field, value.log);
        break;
    }
}

void Table::setFromText(int field, std::string_view text) {
    const auto& f = this->field(field);
    switch (f.type) {
    case 'C':
        setRaw(field, text);
        break;
    case 'M':
    case 'G':
    case 'P':
        setMemo(field, text);
        break;
    case 'N':
    case 'F':
    case 'I':
    case 'B':
    case 'Y':
        setNumber(field, dbf::parseNumber(text));
        break;
    case 'D':
    case 'T': {
        const std::string_view t = dbf::trimLeft(dbf::trimRight(text));
        std::int32_t jd = dbf::dateFromText(t);
        if (jd == 0 && t.size() == 8) jd = dbf::dateFromDtos(t);
        setDate(field, jd);
        break;
    }
    case 'L': {
        const std::string_view t = dbf::trimLeft(text);
        const char c =
            t.empty() ? 'F' : static_cast<char>(cp1250Upper(static_cast<unsigned char>(t[0])));
        setRaw(field, (c == 'T' || c == 'Y' || c == '1') ? "T" : "F");
        break;
    }
    default:
        setRaw(field, text);
    }
}

std::vector<Param> Table::fieldParams(const std::vector<int>& fields) const {
    std::vector<Param> params;
    for (const int i : fields) {
        const auto& f = field(i);
        if (isMemo(f.type)) {
            const auto it = memos_.find(i);
            params.push_back(it == memos_.end() || it->second.empty() ? Param::null()
                                                                      : Param::bytes(it->second));
        } else {
            params.push_back(encodeField(f, raw(i)));
        }
    }
    return params;
}

std::string Table::castOf(const dbf::FieldInfo& f) const {
    return castFor(f.type);
}

std::string Table::keyOf(const Order& o) const {
    return storedKey(o.key.evaluate(this), o.keyLength, o.spec.descending);
}

bool Table::inOrder(const Order& o) const {
    return !o.cond.valid() || o.cond.test(this);
}

void Table::append() {
    flush();
    refreshCount();
    setEofState();
    appending_ = true;
    eof_ = false;
    bof_ = false;
    recno_ = count_ + 1;
    memos_.clear();
    memoLengths_.assign(memoFields_.size(), 0);
    changed_.clear();
}

namespace {

void copyText(std::string& out, std::string_view text) {
    for (const char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
}

void copyBytes(std::string& out, std::string_view bytes) {
    static const char* hex = "0123456789abcdef";
    out += "\\\\x";
    for (const unsigned char c : bytes) {
        out += hex[c >> 4];
        out += hex[c & 15];
    }
}

} // namespace

std::uint32_t Table::appendImages(const std::vector<std::string>& images) {
    flush();
    if (images.empty()) return count_ + 1;
    Transaction tx(*conn_);
    const auto n = static_cast<long long>(images.size());
    const long long last = conn_
                               ->exec("UPDATE vorlan_tables SET reccount = reccount + $2 WHERE "
                                      "id = $1 RETURNING reccount",
                                      {Param::integer(id_), Param::integer(n)})
                               .integer(0, 0);
    const auto first = static_cast<std::uint32_t>(last - n + 1);
    std::string cols = "recno, deleted";
    for (std::size_t i = 0; i < fields_.size(); ++i)
        if (!isMemo(fields_[i].type)) cols += ", " + columns_[i];
    for (const auto& o : orders_)
        cols += ", " + o.column;
    std::string data;
    const std::string saved = image_;
    const bool savedEof = eof_;
    eof_ = false;
    std::uint32_t recno = first;
    for (const auto& img : images) {
        image_ = img;
        if (image_.size() < blank_.size()) image_ += blank_.substr(image_.size());
        image_.resize(blank_.size());
        recno_ = recno;
        data += std::to_string(recno++);
        data += image_[0] == '*' ? "\tt" : "\tf";
        for (std::size_t i = 0; i < fields_.size(); ++i) {
            if (isMemo(fields_[i].type)) continue;
            data += '\t';
            const Param p = encodeField(fields_[i], raw(static_cast<int>(i)));
            if (p.value)
                copyText(data, *p.value);
            else
                data += "\\N";
        }
        for (const auto& o : orders_) {
            data += '\t';
            if (inOrder(o))
                copyBytes(data, keyOf(o));
            else
                data += "\\N";
        }
        data += '\n';
    }
    image_ = saved;
    eof_ = savedEof;
    conn_->copyIn("COPY " + quoted_ + " (" + cols + ") FROM STDIN", data);
    announceAll();
    tx.commit();
    count_ = static_cast<std::uint32_t>(last);
    goTop();
    return first;
}

void Table::deleteRecord() {
    checkWritable();
    editable()[0] = '*';
    changed_.insert(-1);
}

void Table::recall() {
    checkWritable();
    editable()[0] = ' ';
    changed_.insert(-1);
}

void Table::flush() {
    if (!conn_) return;
    if (!appending_ && changed_.empty()) return;
    try {
        conn_->connect();
        if (!appending_) keepLocksForWrite();
        send();
    } catch (const ServerError& e) {
        // The statement did not reach the server: the change is gone as a whole, and the
        // record reads as it was, so the program can repeat its work or stop.
        if (e.lost()) {
            if (appending_) {
                setEofState();
            } else {
                image_ = original_;
                memos_.clear();
                changed_.clear();
            }
            dropWindow();
        }
        throw;
    }
}

void Table::send() {
    const bool wasAppending = appending_;
    std::vector<int> fields;
    for (const int i : changed_)
        if (i >= 0) fields.push_back(i);
    std::vector<Param> params = fieldParams(fields);
    std::vector<std::string> keyCols;
    std::string newKey = key_;
    for (std::size_t o = 0; o < orders_.size(); ++o) {
        const Order& ord = orders_[o];
        std::optional<std::string> k;
        if (inOrder(ord)) k = keyOf(ord);
        if (static_cast<int>(o) + 1 == order_) newKey = k ? *k : std::string();
        if (!appending_) {
            // Only keys that the change touched travel.
            std::string saved = image_;
            image_ = original_;
            std::optional<std::string> old;
            if (inOrder(ord)) old = keyOf(ord);
            image_ = std::move(saved);
            if (old == k) continue;
        }
        keyCols.push_back(ord.column);
        params.push_back(k ? Param::bytes(*k) : Param::null());
    }
    const bool deletedChanged = appending_ || changed_.count(-1) > 0;
    if (deletedChanged) params.push_back(Param::text(deleted() ? "true" : "false"));
    std::string sql;
    if (appending_) {
        std::string cols = "recno, ";
        std::string values = "reccount, ";
        int n = 1;
        for (const int i : fields) {
            cols += columns_[static_cast<std::size_t>(i)] + ", ";
            values += "$" + std::to_string(++n) + "::" + castOf(field(i)) + ", ";
        }
        for (const auto& c : keyCols) {
            cols += c + ", ";
            values += "$" + std::to_string(++n) + "::bytea, ";
        }
        cols += "deleted";
        values += "$" + std::to_string(++n) + "::boolean";
        sql = "WITH n AS (UPDATE vorlan_tables SET reccount = reccount + 1 WHERE id = $1 "
              "RETURNING reccount), i AS (INSERT INTO " +
              quoted_ + " (" + cols + ") SELECT " + values +
              " FROM n RETURNING recno) SELECT i.recno, " + notifySql("i.recno::text") + " FROM i";
        params.insert(params.begin(), Param::integer(id_));
        const Result r = conn_->exec(sql, params);
        recno_ = static_cast<std::uint32_t>(r.integer(0, 0));
        count_ = std::max(count_, recno_);
        appending_ = false;
    } else {
        std::string set;
        int n = 0;
        auto assign = [&](const std::string& column, const std::string& cast) {
            if (n > 0) set += ", ";
            ++n;
            set += column + " = $" + std::to_string(n) + "::" + cast;
        };
        for (const int i : fields)
            assign(columns_[static_cast<std::size_t>(i)], castOf(field(i)));
        for (const auto& c : keyCols)
            assign(c, "bytea");
        if (deletedChanged) assign("deleted", "boolean");
        if (!set.empty()) {
            params.push_back(Param::integer(recno_));
            conn_->exec("WITH u AS (UPDATE " + quoted_ + " SET " + set + " WHERE recno = $" +
                            std::to_string(n + 1) + " RETURNING recno) SELECT " +
                            notifySql("u.recno::text") + " FROM u",
                        params);
        }
    }
    for (std::size_t m = 0; m < memoFields_.size(); ++m) {
        const auto it = memos_.find(memoFields_[m]);
        if (it != memos_.end() && m < memoLengths_.size())
            memoLengths_[m] = static_cast<long long>(it->second.size());
    }
    const bool appended = wasAppending;
    changed_.clear();
    original_ = image_;
    key_ = newKey;
    dropWindow();
    if (written_) written_(recno_, appended);
}

void Table::pack() {
    flush();
    const bool hadLock = fileLocked();
    if (!lockFile()) throw DbfError(czech("Tabulku nelze uzamknout pro výhradní použití"));
    try {
        Transaction t(*conn_);
        conn_->exec("DELETE FROM " + quoted_ + " WHERE deleted");
        conn_->exec("UPDATE " + quoted_ +
                    " AS t SET recno = n.rn FROM (SELECT recno, "
                    "row_number() OVER (ORDER BY recno) AS rn FROM " +
                    quoted_ + ") AS n WHERE t.recno = n.recno AND t.recno <> n.rn");
        conn_->exec("UPDATE vorlan_tables SET reccount = (SELECT count(*) FROM " + quoted_ +
                        ") WHERE id = $1",
                    {Param::integer(id_)});
        announceAll();
        t.commit();
    } catch (...) {
        if (!hadLock) unlock(0);
        throw;
    }
    if (!hadLock) unlock(0);
    marks_.clear();
    goTop();
}

void Table::zap() {
    flush();
    const bool hadLock = fileLocked();
    if (!lockFile()) throw DbfError(czech("Tabulku nelze uzamknout pro výhradní použití"));
    try {
        Transaction t(*conn_);
        conn_->exec("DELETE FROM " + quoted_);
        conn_->exec("UPDATE vorlan_tables SET reccount = 0 WHERE id = $1", {Param::integer(id_)});
        announceAll();
        t.commit();
    } catch (...) {
        if (!hadLock) unlock(0);
        throw;
    }
    if (!hadLock) unlock(0);
    marks_.clear();
    goTop();
}

// Changes of other clients

std::string Table::notifySql(const std::string& payload) const {
    return "pg_notify('" + channel_ + "', " + payload + ")";
}

void Table::announceAll() {
    conn_->exec("SELECT " + notifySql("'*'"));
}

std::vector<std::uint32_t> Table::pollChanges() {
    if (!conn_ || channel_.empty()) return {};
    conn_->receiveNotices();
    const Connection::Notices& n = conn_->notices(channel_);
    if (n.count == seenNotices_) return {};
    // Notices older than the kept ones may have named any record.
    bool all = n.recent.empty() || n.recent.front().first > seenNotices_ + 1;
    std::vector<std::uint32_t> records;
    for (const auto& [number, payload] : n.recent) {
        if (number <= seenNotices_) continue;
        if (payload == "*")
            all = true;
        else
            records.push_back(
                static_cast<std::uint32_t>(std::strtoul(payload.c_str(), nullptr, 10)));
    }
    seenNotices_ = n.count;
    std::sort(records.begin(), records.end());
    records.erase(std::unique(records.begin(), records.end()), records.end());
    dropWindow();
    refreshCount();
    // The current record as it is now, unless it is being changed here.
    const bool current = all || std::binary_search(records.begin(), records.end(), recno_);
    if (current && !eof_ && !appending_ && changed_.empty()) {
        const bool bof = bof_;
        goTo(recno_);
        bof_ = bof;
    }
    if (all) return {0};
    return records;
}

XValue Table::evaluate(std::string_view expr) {
    return dbf::Expression::compile(expr, this).evaluate(this);
}

} // namespace vorlan::pgsql
