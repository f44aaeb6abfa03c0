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
// KeyList

void KeyList::reset(int keyLength, bool descending, bool unique) {
    keyLen_ = std::max(1, keyLength);
    descending_ = descending;
    unique_ = unique;
    pool_.clear();
    recs_.clear();
    order_.clear();
    free_.clear();
}

int KeyList::compareKeys(const char* a, const char* b) const {
    const int c = std::memcmp(a, b, static_cast<std::size_t>(keyLen_));
    const int r = c < 0 ? -1 : (c > 0 ? 1 : 0);
    return descending_ ? -r : r;
}

int KeyList::compareEntry(std::uint32_t slot, std::string_view key, std::uint32_t rec) const {
    const int c = compareKeys(pool_.data() + static_cast<std::size_t>(slot) * keyLen_, key.data());
    if (c != 0) return c;
    const std::uint32_t r = recs_[slot];
    return r < rec ? -1 : (r > rec ? 1 : 0);
}

std::size_t KeyList::lowerBound(std::string_view key, std::uint32_t rec) const {
    std::size_t lo = 0, hi = order_.size();
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        if (compareEntry(order_[mid], key, rec) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

std::size_t KeyList::find(std::string_view key, std::uint32_t rec) const {
    if (static_cast<int>(key.size()) != keyLen_) return npos;
    const std::size_t p = lowerBound(key, rec);
    if (p < order_.size() && compareEntry(order_[p], key, rec) == 0) return p;
    return npos;
}

bool KeyList::insert(std::string_view key, std::uint32_t rec) {
    std::string k(key.substr(0, static_cast<std::size_t>(keyLen_)));
    k.resize(static_cast<std::size_t>(keyLen_), ' ');
    const std::size_t p = lowerBound(k, 0);
    if (unique_ && p < order_.size() &&
        compareKeys(pool_.data() + static_cast<std::size_t>(order_[p]) * keyLen_, k.data()) == 0)
        return false;
    const std::size_t at = unique_ ? p : lowerBound(k, rec);
    std::uint32_t slot;
    if (!free_.empty()) {
        slot = free_.back();
        free_.pop_back();
        recs_[slot] = rec;
    } else {
        slot = static_cast<std::uint32_t>(recs_.size());
        recs_.push_back(rec);
        pool_.resize(pool_.size() + static_cast<std::size_t>(keyLen_));
    }
    std::memcpy(pool_.data() + static_cast<std::size_t>(slot) * keyLen_, k.data(), k.size());
    order_.insert(order_.begin() + static_cast<std::ptrdiff_t>(at), slot);
    return true;
}

bool KeyList::erase(std::string_view key, std::uint32_t rec) {
    std::string k(key.substr(0, static_cast<std::size_t>(keyLen_)));
    k.resize(static_cast<std::size_t>(keyLen_), ' ');
    const std::size_t p = find(k, rec);
    if (p == npos) return false;
    free_.push_back(order_[p]);
    order_.erase(order_.begin() + static_cast<std::ptrdiff_t>(p));
    return true;
}

std::size_t KeyList::seek(std::string_view prefix) const {
    const std::size_t n = std::min(prefix.size(), static_cast<std::size_t>(keyLen_));
    std::size_t lo = 0, hi = order_.size();
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        int c = std::memcmp(pool_.data() + static_cast<std::size_t>(order_[mid]) * keyLen_,
                            prefix.data(), n);
        c = c < 0 ? -1 : (c > 0 ? 1 : 0);
        if (descending_) c = -c;
        if (c < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

std::size_t KeyList::seekAfter(std::string_view prefix) const {
    std::size_t lo = 0, hi = order_.size();
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        if (comparePrefix(keyAt(mid), prefix) <= 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

int KeyList::comparePrefix(std::string_view key, std::string_view prefix) const {
    const std::size_t n = std::min({prefix.size(), key.size(), static_cast<std::size_t>(keyLen_)});
    int c = std::memcmp(key.data(), prefix.data(), n);
    c = c < 0 ? -1 : (c > 0 ? 1 : 0);
    return descending_ ? -c : c;
}

bool KeyList::prefixMatches(std::size_t pos, std::string_view prefix) const {
    if (pos >= order_.size()) return false;
    const std::size_t n = std::min(prefix.size(), static_cast<std::size_t>(keyLen_));
    return std::memcmp(pool_.data() + static_cast<std::size_t>(order_[pos]) * keyLen_,
                       prefix.data(), n) == 0;
}

void KeyList::load(std::vector<char>&& keys, std::vector<std::uint32_t>&& recs) {
    pool_ = std::move(keys);
    recs_ = std::move(recs);
    free_.clear();
    const std::size_t n = recs_.size();
    pool_.resize(n * static_cast<std::size_t>(keyLen_), ' ');
    order_.resize(n);
    for (std::size_t i = 0; i < n; ++i)
        order_[i] = static_cast<std::uint32_t>(i);
    auto less = [this](std::uint32_t a, std::uint32_t b) {
        const int c = compareKeys(pool_.data() + static_cast<std::size_t>(a) * keyLen_,
                                  pool_.data() + static_cast<std::size_t>(b) * keyLen_);
        if (c != 0) return c < 0;
        return recs_[a] < recs_[b];
    };
    if (!std::is_sorted(order_.begin(), order_.end(), less)) {
        // Sort on the first eight key bytes first: most comparisons then touch no key memory.
        struct Item {
            std::uint64_t prefix;
            std::uint32_t slot;
        };
        std::vector<Item> items(n);
        const std::size_t pl = std::min<std::size_t>(8, static_cast<std::size_t>(keyLen_));
        for (std::size_t i = 0; i < n; ++i) {
            std::uint64_t p = 0;
            const auto* k = reinterpret_cast<const unsigned char*>(
                pool_.data() + i * static_cast<std::size_t>(keyLen_));
            for (std::size_t j = 0; j < 8; ++j)
                p = (p << 8) | (j < pl ? k[j] : 0);
            items[i] = {descending_ ? ~p : p, static_cast<std::uint32_t>(i)};
        }
        std::sort(items.begin(), items.end(), [&](const Item& a, const Item& b) {
            if (a.prefix != b.prefix) return a.prefix < b.prefix;
            return less(a.slot, b.slot);
        });
        for (std::size_t i = 0; i < n; ++i)
            order_[i] = items[i].slot;
    }
    if (unique_ && n > 1) {
        std::vector<std::uint32_t> kept;
        kept.reserve(n);
        for (std::size_t i = 0; i < n; ++i) {
            if (!kept.empty() &&
                compareKeys(pool_.data() + static_cast<std::size_t>(kept.back()) * keyLen_,
                            pool_.data() + static_cast<std::size_t>(order_[i]) * keyLen_) == 0) {
                free_.push_back(order_[i]);
                continue;
            }
            kept.push_back(order_[i]);
        }
        order_ = std::move(kept);
    }
}

std::uint32_t KeyList::maxRecord() const {
    std::uint32_t m = 0;
    for (const auto slot : order_)
        m = std::max(m, recs_[slot]);
    return m;
}

void KeyList::loadChecked(std::vector<char>&& keys, std::vector<std::uint32_t>&& recs) {
    const std::size_t n = recs.size();
    const std::size_t kl = static_cast<std::size_t>(keyLen_);
    if (keys.size() != n * kl) throw IndexDamage(czech("poškozený index: délky klíčů"));
    std::uint32_t maxRec = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (recs[i] == 0) throw IndexDamage(czech("poškozený index: číslo záznamu 0"));
        maxRec = std::max(maxRec, recs[i]);
        if (i == 0) continue;
        const int c = compareKeys(keys.data() + (i - 1) * kl, keys.data() + i * kl);
        if (c > 0 || (c == 0 && (unique_ || recs[i - 1] >= recs[i])))
            throw IndexDamage(czech("poškozený index: klíče nejsou seřazené"));
    }
    // Each record stands at most once in an order.
    if (maxRec <= 64u * std::max<std::size_t>(n, 1024)) {
        std::vector<bool> seen(static_cast<std::size_t>(maxRec) + 1, false);
        for (const auto r : recs) {
            if (seen[r])
                throw IndexDamage(czech("poškozený index: záznam ") + std::to_string(r) +
                                  czech(" je v něm dvakrát"));
            seen[r] = true;
        }
    } else {
        std::vector<std::uint32_t> sorted(recs);
        std::sort(sorted.begin(), sorted.end());
        if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end())
            throw IndexDamage(czech("poškozený index: záznam je v něm dvakrát"));
    }
    pool_ = std::move(keys);
    recs_ = std::move(recs);
    free_.clear();
    order_.resize(n);
    for (std::size_t i = 0; i < n; ++i)
        order_[i] = static_cast<std::uint32_t>(i);
}

void KeyList::appendSorted(std::string_view key, std::uint32_t rec) {
    const auto slot = static_cast<std::uint32_t>(recs_.size());
    recs_.push_back(rec);
    const std::size_t at = pool_.size();
    pool_.resize(at + static_cast<std::size_t>(keyLen_), ' ');
    std::memcpy(pool_.data() + at, key.data(),
                std::min(key.size(), static_cast<std::size_t>(keyLen_)));
    order_.push_back(slot);
}

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

void Index::loadFile() {
    if (kind_ == IndexKind::Idx) {
        const std::string bytes = readWholeFile(path_);
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
        stamp = stampOf(path_);
        return;
    }
    IndexHeader read;
    try {
        header_ = readNtxFile(path_, keys_, &read);
    } catch (const DbfError& e) {
        if (read.keyLength == 0) throw;
        header_ = read;
        compileExpressions();
        keys_.reset(header_.keyLength, header_.descending, header_.unique);
        throw IndexDamage(e.what());
    }
    compileExpressions();
    dirty = false;
    stamp = stampOf(path_);
}

void Index::saveFile() {
    ++header_.version;
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
