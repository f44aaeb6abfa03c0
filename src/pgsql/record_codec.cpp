// Fields, keys and catalog on the server.

#include "pgsql/record_codec.h"

#include "core/cp1250.h"
#include "dbf/cdx.h"
#include "dbf/xbase_text.h"
#include "pgsql/table.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vorlan::pgsql {

void ensureCatalog(Connection& c) {
    if (c.exec("SELECT to_regclass('vorlan_orders') IS NOT NULL").boolean(0, 0)) return;
    Transaction t(c);
    c.exec("SELECT pg_advisory_xact_lock(1448037452)");
    c.run("CREATE TABLE IF NOT EXISTS vorlan_tables (id serial PRIMARY KEY, name text UNIQUE NOT "
          "NULL, reccount bigint NOT NULL DEFAULT 0);"
          "CREATE TABLE IF NOT EXISTS vorlan_fields (table_id int NOT NULL REFERENCES "
          "vorlan_tables(id) ON DELETE CASCADE, pos int NOT NULL, name text NOT NULL, type "
          "text NOT NULL, width int NOT NULL, decimals int NOT NULL, PRIMARY KEY (table_id, "
          "pos));"
          "CREATE TABLE IF NOT EXISTS vorlan_orders (table_id int NOT NULL REFERENCES "
          "vorlan_tables(id) ON DELETE CASCADE, pos int NOT NULL, tag text NOT NULL, key_expr "
          "text NOT NULL, for_expr text NOT NULL DEFAULT '', is_unique boolean NOT NULL, "
          "descending boolean NOT NULL, column_name text NOT NULL, file_name text NOT NULL "
          "DEFAULT '', PRIMARY KEY (table_id, tag))");
    t.commit();
}

bool supportedType(char type) {
    return std::string_view("CNFDLMGPIBYT").find(type) != std::string_view::npos;
}

int fixedWidth(char type) {
    switch (type) {
    case 'D':
        return 8;
    case 'L':
        return 1;
    case 'I':
        return 4;
    case 'B':
    case 'Y':
    case 'T':
        return 8;
    default:
        return 0;
    }
}

std::string columnName(std::string_view fieldName) {
    return quoteIdent(cp1250ToUtf8(lowerCase(dbf::trimRight(fieldName))));
}

std::string sqlType(char type, int width, int decimals) {
    switch (type) {
    case 'N':
    case 'F':
        return "numeric(" + std::to_string(std::max(width, decimals + 1)) + "," +
               std::to_string(decimals) + ")";
    case 'D':
        return "date";
    case 'L':
        return "boolean";
    case 'M':
    case 'G':
    case 'P':
        return "bytea";
    case 'I':
        return "integer";
    case 'B':
        return "double precision";
    case 'Y':
        // The currency's 64-bit count of ten-thousandths, exactly.
        return "numeric(19,4)";
    case 'T':
        return "timestamp(3)";
    default:
        return "text";
    }
}

std::string castFor(char type) {
    switch (type) {
    case 'N':
    case 'F':
        return "numeric";
    case 'D':
        return "date";
    case 'L':
        return "boolean";
    case 'M':
    case 'G':
    case 'P':
        return "bytea";
    case 'I':
        return "integer";
    case 'B':
        return "float8";
    case 'Y':
        return "numeric";
    case 'T':
        return "timestamp";
    default:
        return "text";
    }
}

std::uint64_t getLe64(const unsigned char* p) {
    return dbf::getLe32(p) | (static_cast<std::uint64_t>(dbf::getLe32(p + 4)) << 32);
}

void putLe64(unsigned char* p, std::uint64_t v) {
    dbf::putLe32(p, static_cast<std::uint32_t>(v));
    dbf::putLe32(p + 4, static_cast<std::uint32_t>(v >> 32));
}

namespace {

constexpr std::int32_t kMsPerDay = 86'400'000;

// The binary fields' bytes as statement text: every integer, double and currency value
// exactly; a date and time of a year from 1 to 9999 (anything else, the blank value included,
// is NULL).
Param encodeBinary(const dbf::FieldInfo& f, std::string_view raw) {
    if (raw.size() < static_cast<std::size_t>(fixedWidth(f.type))) return Param::null();
    const auto* p = reinterpret_cast<const unsigned char*>(raw.data());
    switch (f.type) {
    case 'I':
        return Param::text(std::to_string(static_cast<std::int32_t>(dbf::getLe32(p))));
    case 'B': {
        double d;
        const std::uint64_t bits = getLe64(p);
        std::memcpy(&d, &bits, 8);
        if (std::isnan(d)) return Param::text("NaN");
        if (std::isinf(d)) return Param::text(d > 0 ? "Infinity" : "-Infinity");
        char text[40];
        std::snprintf(text, sizeof text, "%.17g", d);
        return Param::text(text);
    }
    case 'Y': {
        const auto units = static_cast<std::int64_t>(getLe64(p));
        // Magnitude as unsigned, so that the smallest value has one too.
        const std::uint64_t m =
            units < 0 ? 0 - static_cast<std::uint64_t>(units) : static_cast<std::uint64_t>(units);
        std::string frac = std::to_string(m % 10000);
        frac.insert(0, 4 - frac.size(), '0');
        return Param::text((units < 0 ? "-" : "") + std::to_string(m / 10000) + "." + frac);
    }
    default: { // T
        const auto jd = static_cast<std::int32_t>(dbf::getLe32(p));
        const auto ms = static_cast<std::int32_t>(dbf::getLe32(p + 4));
        if (jd <= 0 || ms < 0 || ms >= kMsPerDay) return Param::null();
        int y = 0, m = 0, d = 0;
        dbf::ymdFromJulian(jd, y, m, d);
        if (y < 1 || y > 9999) return Param::null();
        char text[40];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", y, m, d,
                      ms / 3'600'000, ms / 60'000 % 60, ms / 1000 % 60, ms % 1000);
        return Param::text(text);
    }
    }
}

void decodeBinary(const dbf::FieldInfo& f, std::string_view text, unsigned char* out) {
    const std::string t(text);
    switch (f.type) {
    case 'I':
        dbf::putLe32(out, static_cast<std::uint32_t>(
                              static_cast<std::int32_t>(std::strtol(t.c_str(), nullptr, 10))));
        return;
    case 'B': {
        const double d = std::strtod(t.c_str(), nullptr);
        std::uint64_t bits;
        std::memcpy(&bits, &d, 8);
        putLe64(out, bits);
        return;
    }
    case 'Y': {
        // Digits read exactly: "-1234.5678" is -12345678 ten-thousandths.
        std::uint64_t units = 0;
        int decimals = -1;
        for (const char c : t) {
            if (c == '.') {
                decimals = 0;
            } else if (c >= '0' && c <= '9' && decimals < 4) {
                units = units * 10 + static_cast<std::uint64_t>(c - '0');
                if (decimals >= 0) ++decimals;
            }
        }
        for (int i = std::max(decimals, 0); i < 4; ++i)
            units *= 10;
        putLe64(out, !t.empty() && t[0] == '-' ? 0 - units : units);
        return;
    }
    default: { // T: "YYYY-MM-DD HH:MM:SS[.fff]"
        int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
        char frac[8] = {};
        std::sscanf(t.c_str(), "%d-%d-%d %d:%d:%d.%3[0-9]", &y, &mo, &d, &h, &mi, &s, frac);
        std::string ms(frac);
        ms.resize(3, '0');
        const std::int32_t jd = dbf::validYmd(y, mo, d) ? dbf::julianFromYmd(y, mo, d) : 0;
        dbf::putLe32(out, static_cast<std::uint32_t>(jd));
        dbf::putLe32(out + 4, jd == 0 ? 0
                                      : static_cast<std::uint32_t>(((h * 60 + mi) * 60 + s) * 1000 +
                                                                   std::atoi(ms.c_str())));
        return;
    }
    }
}

} // namespace

bool isBinary(char type) {
    return type == 'I' || type == 'B' || type == 'Y' || type == 'T';
}

Param encodeField(const dbf::FieldInfo& f, std::string_view raw) {
    if (isBinary(f.type)) return encodeBinary(f, raw);
    switch (f.type) {
    case 'N':
    case 'F': {
        const std::string_view t = dbf::trimLeft(dbf::trimRight(raw));
        if (t.empty() || t.find('*') != std::string_view::npos) return Param::null();
        // What the DBF engine reads from such text is what the server gets.
        std::string text(t);
        bool plain = !text.empty();
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char c = text[i];
            if (!((c >= '0' && c <= '9') || c == '.' || (i == 0 && c == '-'))) plain = false;
        }
        if (!plain || text == "-" || text == "." || text == "-.")
            text = dbf::formatNumber(dbf::parseNumber(t), f.width, f.decimals);
        const std::string_view n = dbf::trimLeft(text);
        if (n.find('*') != std::string_view::npos) return Param::null();
        return Param::text(std::string(n));
    }
    case 'D': {
        const std::int32_t jd = dbf::dateFromDtos(raw);
        if (jd == 0) return Param::null();
        const std::string d = dbf::dateToDtos(jd);
        return Param::text(d.substr(0, 4) + "-" + d.substr(4, 2) + "-" + d.substr(6, 2));
    }
    case 'L': {
        const char c = raw.empty() ? ' ' : raw[0];
        if (c == 'T' || c == 't' || c == 'Y' || c == 'y') return Param::text("true");
        if (c == 'F' || c == 'f' || c == 'N' || c == 'n') return Param::text("false");
        return Param::null();
    }
    default:
        return Param::text(cp1250ToUtf8(dbf::trimRight(raw)));
    }
}

void decodeField(const dbf::FieldInfo& f, bool isNull, std::string_view text, char* out) {
    const auto width = static_cast<std::size_t>(f.width);
    if (isBinary(f.type)) {
        // Blank binary fields are zero bytes, as the DBF engine lays them out.
        std::memset(out, 0, width);
        if (!isNull && width >= static_cast<std::size_t>(fixedWidth(f.type)))
            decodeBinary(f, text, reinterpret_cast<unsigned char*>(out));
        return;
    }
    std::memset(out, ' ', width);
    if (isNull || isMemo(f.type)) return;
    switch (f.type) {
    case 'N':
    case 'F': {
        if (text.size() > width) {
            std::memset(out, '*', width);
        } else {
            std::memcpy(out + width - text.size(), text.data(), text.size());
        }
        return;
    }
    case 'D': {
        // ISO text: YYYY-MM-DD.
        std::string d;
        for (const char c : text)
            if (c >= '0' && c <= '9') d += c;
        std::memcpy(out, d.data(), std::min(d.size(), width));
        return;
    }
    case 'L':
        out[0] = (!text.empty() && text[0] == 't') ? 'T' : 'F';
        return;
    default: {
        const std::string s = utf8ToCp1250(text);
        std::memcpy(out, s.data(), std::min(s.size(), width));
    }
    }
}

void compileOrder(const OrderSpec& spec, const dbf::RecordSource& source, dbf::Expression& key,
                  dbf::Expression& cond, int& keyLength) {
    key = dbf::Expression::compile(spec.keyExpr, &source);
    cond = dbf::Expression();
    if (!dbf::trimLeft(dbf::trimRight(spec.forExpr)).empty()) {
        cond = dbf::Expression::compile(spec.forExpr, &source);
        if (cond.type() != dbf::ValueType::Logical)
            throw dbf::DbfError(czech("podmínka indexu musí být logická"));
    }
    switch (key.type()) {
    case dbf::ValueType::Char:
        keyLength = key.width();
        break;
    case dbf::ValueType::Numeric:
    case dbf::ValueType::Date:
        keyLength = 8;
        break;
    case dbf::ValueType::Logical:
        keyLength = 1;
        break;
    }
    if (keyLength < 1 || keyLength > 250)
        throw dbf::DbfError(czech("klíč indexu musí mít 1 až 250 znaků: ") + spec.keyExpr);
}

namespace {

void complement(std::string& k) {
    for (char& c : k)
        c = static_cast<char>(~static_cast<unsigned char>(c));
}

} // namespace

std::string storedKey(const dbf::XValue& v, int keyLength, bool descending) {
    std::string k;
    char pad = '\0';
    switch (v.type) {
    case dbf::ValueType::Char:
        k = v.str;
        pad = ' ';
        break;
    case dbf::ValueType::Numeric:
        k = dbf::cdxNumericKey(v.num);
        break;
    case dbf::ValueType::Date:
        k = dbf::cdxNumericKey(v.date);
        break;
    case dbf::ValueType::Logical:
        k.assign(1, v.log ? 'T' : 'F');
        break;
    }
    k.resize(static_cast<std::size_t>(keyLength), pad);
    if (descending) complement(k);
    return k;
}

std::string storedSeekKey(dbf::ValueType type, std::string_view text, int keyLength,
                          bool descending) {
    std::string k;
    switch (type) {
    case dbf::ValueType::Char:
        k = std::string(text.substr(0, static_cast<std::size_t>(keyLength)));
        if (descending) complement(k);
        return k;
    case dbf::ValueType::Numeric:
        return storedKey(dbf::XValue::number(dbf::parseNumber(text)), keyLength, descending);
    case dbf::ValueType::Date: {
        const std::string_view t = dbf::trimLeft(dbf::trimRight(text));
        std::int32_t jd = dbf::dateFromText(t);
        if (jd == 0 && t.size() == 8) jd = dbf::dateFromDtos(t);
        return storedKey(dbf::XValue::dateValue(jd), keyLength, descending);
    }
    case dbf::ValueType::Logical: {
        const char c = text.empty()
                           ? 'F'
                           : static_cast<char>(cp1250Upper(static_cast<unsigned char>(text[0])));
        return storedKey(dbf::XValue::logical(c == 'T' || c == 'Y'), keyLength, descending);
    }
    }
    return std::string(text);
}

std::string visibleKey(std::string_view stored, bool descending) {
    std::string k(stored);
    if (descending) complement(k);
    return k;
}

} // namespace vorlan::pgsql
