#include "dbf/index.h"

#include "core/cp1250.h"
#include "dbf/cdx.h"
#include "dbf/file.h"
#include "dbf/progress.h"
#include "dbf/table.h"
#include "dbf/xbase_text.h"

#include <algorithm>
#include <cstring>

namespace vorlan::dbf {

// ---------------------------------------------------------------------------------------------
// Index

std::string numericKeyText(double value, int width, int decimals) {
    std::string s = formatNumber(value < 0 ? -value : value, width, decimals);
    for (auto& c : s)
        if (c == ' ') c = '0';
    if (value < 0) {
        for (auto& c : s)
            if (c >= '0' && c <= '9') c = static_cast<char>('0' + ('9' - c));
        if (!s.empty()) s[0] = ','; // sorts before every digit
    }
    return s;
}

Index::Index(Table& table, std::filesystem::path path, IndexKind kind)
    : table_(table), path_(std::move(path)), kind_(kind) {}

std::string Index::tagName() const {
    return tag_.empty() ? upperCase(path_.stem().string()) : tag_;
}

void Index::setTagName(std::string name) {
    tag_ = upperCase(name.substr(0, 10));
}

void Index::adopt(const IndexHeader& header) {
    header_ = header;
    compileExpressions();
    keys_.reset(header_.keyLength, header_.descending, header_.unique);
    dirty = false;
}

char Index::padByte() const {
    return kind_ != IndexKind::Ntx && key_.type() != ValueType::Char ? '\0' : ' ';
}

void Index::compileExpressions() {
    key_ = Expression::compile(header_.keyExpr, &table_);
    for_ = Expression();
    if (!trimLeft(trimRight(header_.forExpr)).empty()) {
        for_ = Expression::compile(header_.forExpr, &table_);
        if (for_.type() != ValueType::Logical)
            throw DbfError(czech("podmínka indexu musí být logická"));
    }
}

void Index::define(const std::string& keyExpr, const IndexOptions& options) {
    header_ = IndexHeader{};
    header_.keyExpr = keyExpr;
    header_.forExpr = options.forExpr;
    header_.unique = options.unique;
    header_.descending = options.descending;
    compileExpressions();
    switch (key_.type()) {
    case ValueType::Char:
        header_.keyLength = key_.width();
        break;
    case ValueType::Numeric:
        header_.keyLength = kind_ != IndexKind::Ntx ? 8 : std::max(1, key_.width());
        header_.keyDecimals = key_.decimals();
        break;
    case ValueType::Date:
        header_.keyLength = 8;
        break;
    case ValueType::Logical:
        header_.keyLength = 1;
        break;
    }
    if (header_.keyLength < 1 || header_.keyLength > 250)
        throw DbfError(czech("klíč indexu musí mít 1 až 250 znaků: ") + keyExpr);
    keys_.reset(header_.keyLength, header_.descending, header_.unique);
}

void Index::loadIdxBytes(std::string_view bytes) {
    try {
        if (bytes.size() < 1024 || !(static_cast<unsigned char>(bytes[14]) & 0x20))
            throw DbfError(czech("podporovány jsou jen kompaktní soubory IDX"));
        KeyList none;
        adopt(readCdxTag(bytes, 0, ' ', none, false).header);
    } catch (const DbfError& e) {
        throw DbfError(std::string(e.what()) + ": " + utf8ToCp1250(path_.string()));
    }
    try {
        readCdxTag(bytes, 0, padByte(), keys_);
    } catch (const DbfError& e) {
        keys_.reset(header_.keyLength, header_.descending, header_.unique);
        throw IndexDamage(std::string(e.what()) + ": " + utf8ToCp1250(path_.string()));
    }
}

void Index::loadNtxBytes(std::string_view bytes) {
    IndexHeader read;
    try {
        header_ = readNtxBytes(bytes, keys_, &read);
    } catch (const DbfError& e) {
        const std::string what = std::string(e.what()) + ": " + utf8ToCp1250(path_.string());
        if (read.keyLength == 0) throw DbfError(what);
        header_ = read;
        compileExpressions();
        keys_.reset(header_.keyLength, header_.descending, header_.unique);
        throw IndexDamage(what);
    }
    compileExpressions();
    dirty = false;
}

void Index::saveFile() {
    // The version word is also the change counter of the file's pages: it only grows, so that
    // other processes notice the new file as a change.
    header_.version = std::max(header_.version, counter) + 1;
    counter = header_.version;
    if (kind_ == IndexKind::Idx)
        writeIdxFile(path_, header_, keys_, padByte());
    else
        writeNtxFile(path_, header_, keys_);
    dirty = false;
    rebuilt = false;
    journal.clear();
    stamp = stampOf(path_);
}

void Index::rebuild() {
    std::vector<char> pool;
    std::vector<std::uint32_t> recs;
    const std::uint32_t n = table_.recordCount();
    const std::size_t rs = static_cast<std::size_t>(table_.recordSize());
    pool.reserve(static_cast<std::size_t>(n) * static_cast<std::size_t>(header_.keyLength));
    recs.reserve(n);
    File f;
    f.open(table_.path(), true);
    const std::uint32_t per = static_cast<std::uint32_t>(std::max<std::size_t>(1, (1u << 20) / rs));
    std::vector<char> buf;
    struct Restore {
        Table& t;
        ~Restore() { t.setEvalImage(nullptr); }
    } restore{table_};
    ProgressTask progress(n);
    for (std::uint32_t first = 1; first <= n; first += per) {
        const std::uint32_t cnt = std::min(per, n - first + 1);
        progress.step(first - 1);
        buf.resize(static_cast<std::size_t>(cnt) * rs);
        f.readExact(static_cast<std::uint64_t>(table_.headerSize()) +
                        static_cast<std::uint64_t>(first - 1) * rs,
                    buf.data(), buf.size());
        for (std::uint32_t i = 0; i < cnt; ++i) {
            table_.setEvalImage(buf.data() + static_cast<std::size_t>(i) * rs, first + i);
            if (!includesCurrent()) continue;
            const std::string k = keyOfCurrent();
            pool.insert(pool.end(), k.begin(), k.end());
            recs.push_back(first + i);
        }
    }
    progress.finish();
    keys_.reset(header_.keyLength, header_.descending, header_.unique);
    keys_.load(std::move(pool), std::move(recs));
    dirty = true;
    rebuilt = true;
    journal.clear();
}

void Index::replayJournal() {
    for (const auto& c : journal) {
        if (c.add) {
            // Another process may have rebuilt the order from the records meanwhile.
            if (keys_.find(c.key, c.rec) == KeyList::npos) keys_.insert(c.key, c.rec);
        } else {
            keys_.erase(c.key, c.rec);
        }
    }
}

std::string Index::keyFromValue(const XValue& v) const {
    std::string k;
    switch (v.type) {
    case ValueType::Char:
        k = v.str;
        break;
    case ValueType::Numeric:
        k = kind_ != IndexKind::Ntx ? cdxNumericKey(v.num)
                                    : numericKeyText(v.num, header_.keyLength, header_.keyDecimals);
        break;
    case ValueType::Date:
        k = kind_ != IndexKind::Ntx ? cdxNumericKey(v.date) : dateToDtos(v.date);
        break;
    case ValueType::Logical:
        k.assign(1, v.log ? 'T' : 'F');
        break;
    }
    k.resize(static_cast<std::size_t>(header_.keyLength), padByte());
    return k;
}

std::string Index::keyOfCurrent() const {
    return keyFromValue(key_.evaluate(&table_));
}

bool Index::inScope(std::string_view key) const {
    if (!scopeTop.empty() && keys_.comparePrefix(key, scopeTop) < 0) return false;
    if (!scopeBottom.empty() && keys_.comparePrefix(key, scopeBottom) > 0) return false;
    return true;
}

bool Index::includesCurrent() const {
    return !for_.valid() || for_.test(&table_);
}

std::string Index::seekKeyFromText(std::string_view text) const {
    switch (key_.type()) {
    case ValueType::Char:
        return std::string(text.substr(0, static_cast<std::size_t>(header_.keyLength)));
    case ValueType::Numeric:
        return keyFromValue(XValue::number(parseNumber(text)));
    case ValueType::Date: {
        const std::string_view t = trimLeft(trimRight(text));
        std::int32_t jd = dateFromText(t);
        if (jd == 0 && t.size() == 8) jd = dateFromDtos(t);
        return keyFromValue(XValue::dateValue(jd));
    }
    case ValueType::Logical: {
        const char c = text.empty()
                           ? 'F'
                           : static_cast<char>(cp1250Upper(static_cast<unsigned char>(text[0])));
        return (c == 'T' || c == 'Y') ? "T" : "F";
    }
    }
    return std::string(text);
}

} // namespace vorlan::dbf
