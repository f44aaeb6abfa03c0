#include "dbf/table.h"

#include "core/cp1250.h"
#include "core/field_name.h"
#include "core/path_mapper.h"
#include "dbf/cdx.h"
#include "dbf/settings.h"
#include "dbf/xbase_text.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <ctime>

namespace vorlan::dbf {
namespace {

constexpr std::uint64_t kOpenLockByte = kLockBase + 1;
// Held while a process merges its key changes into the index files of the table.
constexpr std::uint64_t kIndexLockByte = kLockBase + 2;
// Held shared by every read-only open, so writers know someone else reads the table.
constexpr std::uint64_t kReaderLockByte = kLockBase + 3;
constexpr std::size_t kCacheBytes = 64 * 1024;
constexpr std::size_t kJumpBytes = 2 * 1024;
constexpr int kMaxFields = 1024;

bool isMemoType(char t) {
    return t == 'M' || t == 'G' || t == 'P';
}

bool isBinaryType(char t) {
    return t == 'I' || t == 'B' || t == 'Y' || t == 'T';
}

int fixedWidth(char type, TableFlavor flavor) {
    switch (type) {
    case 'D':
        return 8;
    case 'L':
        return 1;
    case 'M':
    case 'G':
    case 'P':
        return flavor == TableFlavor::VisualFoxPro ? 4 : 10;
    case 'I':
        return 4;
    case 'B':
    case 'T':
    case 'Y':
        return 8;
    default:
        return 0;
    }
}

std::filesystem::path siblingWithExtension(const std::filesystem::path& path, const char* ext) {
    std::filesystem::path p = path;
    p.replace_extension(ext);
    if (std::filesystem::exists(p)) return p;
    // Files copied from Windows keep whatever letter case they had.
    const auto folder = p.parent_path().empty() ? std::filesystem::path(".") : p.parent_path();
    auto found = findNoCase(folder, p.filename().string());
    if (p.parent_path().empty()) return found.filename();
    return found;
}

void putDate(unsigned char* p) {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    p[0] = static_cast<unsigned char>(tm.tm_year); // years since 1900
    p[1] = static_cast<unsigned char>(tm.tm_mon + 1);
    p[2] = static_cast<unsigned char>(tm.tm_mday);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Creation and opening

std::unique_ptr<Table> Table::create(const std::filesystem::path& path,
                                     const std::vector<FieldSpec>& specs,
                                     const CreateOptions& options) {
    if (specs.empty()) throw DbfError("a table needs at least one field");
    if (specs.size() > 255) throw DbfError("too many fields");
    std::vector<FieldInfo> fields;
    int offset = 1;
    bool hasMemo = false;
    for (const auto& s : specs) {
        FieldInfo f;
        f.name = upperCase(s.name);
        if (f.name.empty() || f.name.size() > 10) throw DbfError("bad field name: " + s.name);
        for (const auto& other : fields)
            if (other.name == f.name) throw DbfError("duplicate field name: " + f.name);
        f.type = static_cast<char>(cp1250Upper(static_cast<unsigned char>(s.type)));
        const int fixed = fixedWidth(f.type, options.flavor);
        f.width = fixed ? fixed : s.width;
        f.decimals = s.decimals;
        switch (f.type) {
        case 'C':
            if (f.width < 1 || f.width > 254) throw DbfError("bad width of field " + f.name);
            f.decimals = 0;
            break;
        case 'N':
        case 'F':
            if (f.width < 1 || f.width > 20) throw DbfError("bad width of field " + f.name);
            if (f.decimals < 0 || (f.decimals > 0 && f.decimals > f.width - 2))
                throw DbfError("bad decimals of field " + f.name);
            break;
        case 'Y':
            f.decimals = 4;
            break;
        case 'D':
        case 'L':
        case 'M':
        case 'G':
        case 'P':
        case 'I':
        case 'B':
        case 'T':
            if (f.type != 'B') f.decimals = 0;
            break;
        default:
            throw DbfError(std::string("unknown field type ") + f.type + " of field " + f.name);
        }
        if (isBinaryType(f.type) && options.flavor != TableFlavor::VisualFoxPro)
            throw DbfError("field type " + std::string(1, f.type) + " needs the 0x30 table format");
        if (isMemoType(f.type)) hasMemo = true;
        f.offset = offset;
        offset += f.width;
        fields.push_back(f);
    }
    if (offset > 65535) throw DbfError("record too long");

    std::uint8_t version = 0x03;
    if (options.flavor == TableFlavor::VisualFoxPro)
        version = 0x30;
    else if (hasMemo)
        version = options.flavor == TableFlavor::DBase3 ? 0x83 : 0xF5;

    const int backlink = options.flavor == TableFlavor::VisualFoxPro ? 263 : 0;
    const int headerSize = 32 + 32 * static_cast<int>(fields.size()) + 1 + backlink;
    std::vector<unsigned char> hdr(static_cast<std::size_t>(headerSize), 0);
    hdr[0] = version;
    putDate(hdr.data() + 1);
    putLe32(hdr.data() + 4, 0);
    putLe16(hdr.data() + 8, static_cast<std::uint32_t>(headerSize));
    putLe16(hdr.data() + 10, static_cast<std::uint32_t>(offset));
    if (options.flavor == TableFlavor::VisualFoxPro && hasMemo) hdr[28] = 0x02;
    hdr[29] = options.codePage;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        unsigned char* d = hdr.data() + 32 + 32 * i;
        std::memcpy(d, fields[i].name.data(), fields[i].name.size());
        d[11] = static_cast<unsigned char>(fields[i].type);
        if (options.flavor != TableFlavor::DBase3)
            putLe32(d + 12, static_cast<std::uint32_t>(fields[i].offset));
        d[16] = static_cast<unsigned char>(fields[i].width);
        d[17] = static_cast<unsigned char>(fields[i].decimals);
    }
    hdr[32 + 32 * fields.size()] = 0x0D;

    // Written beside the target and renamed into place, so a failed creation leaves nothing
    // half-made under the table's name.
    const auto tmp = tempNameBeside(path);
    {
        File f;
        f.create(tmp);
        f.writeAt(0, hdr.data(), hdr.size());
        const unsigned char eofMark = 0x1A;
        f.writeAt(hdr.size(), &eofMark, 1);
    }
    if (hasMemo) {
        const bool dbt = options.flavor == TableFlavor::DBase3;
        auto memoPath = path;
        // The memo file's extension follows the letter case of the table's own.
        const std::string ext = path.extension().string();
        const bool lower =
            std::any_of(ext.begin(), ext.end(), [](char c) { return c >= 'a' && c <= 'z'; });
        memoPath.replace_extension(dbt ? (lower ? ".dbt" : ".DBT") : (lower ? ".fpt" : ".FPT"));
        const auto memoTmp = tempNameBeside(memoPath);
        MemoFile m;
        m.create(memoTmp, dbt ? MemoKind::Dbt : MemoKind::Fpt,
                 options.memoBlockSize > 0 ? options.memoBlockSize : settings().memoBlockSize);
        m.close();
        replaceFile(memoTmp, memoPath);
    }
    replaceFile(tmp, path);
    return open(path, {});
}

std::string aliasFromPath(const std::filesystem::path& path) {
    // Host names are UTF-8; aliases are compared with program text, which is Windows-1250.
    const std::string stem = path.stem().string();
    std::string alias;
    if (!tryUtf8ToCp1250(stem, alias)) alias = stem;
    return upperCase(alias);
}

std::unique_ptr<Table> Table::open(const std::filesystem::path& path, const OpenOptions& options) {
    std::unique_ptr<Table> t(new Table());
    t->path_ = path;
    t->file_.open(path, options.readOnly);
    t->exclusive_ = options.exclusive && !options.readOnly;
    if (options.readOnly) t->file_.lockRange(kReaderLockByte, 1, 0, true);
    if (!options.readOnly) {
        // Shared opens hold the byte shared (a read lock works on any open file); an exclusive
        // open needs it alone.
        if (!t->file_.lockRange(kOpenLockByte, 1, 0, !t->exclusive_))
            throw DbfError("table is in use: " + path.string());
        if (t->exclusive_ &&
            !t->file_.lockRange(kLockBase - kMaxLockRecords, kMaxLockRecords + 1, 0))
            throw DbfError("table is in use: " + path.string());
    }
    t->readHeader();
    t->openMemo();
    t->alias_ = aliasFromPath(path);
    t->buf_.assign(static_cast<std::size_t>(t->recordSize_), ' ');
    if (t->tableFlags_ & 0x01) {
        const auto cdx = t->structuralIndexPath();
        if (std::filesystem::exists(cdx)) {
            t->openCdx(cdx);
            t->repairStaleOrders();
        }
    }
    t->goTop();
    return t;
}

Table::~Table() {
    try {
        close();
    } catch (...) {
        // Destructors must not throw; close() reports errors to callers that call it.
    }
}

void Table::close() {
    if (!file_.isOpen()) return;
    flush();
    if (modified_ && !file_.readOnly()) {
        unsigned char d[3];
        putDate(d);
        file_.writeAt(1, d, 3);
    }
    saveIndexes(true);
    indexes_.clear();
    order_ = 0;
    memo_.close();
    file_.close();
}

void Table::setAlias(std::string alias) {
    alias_ = upperCase(alias);
}

void Table::readHeader() {
    const std::uint64_t size = file_.size();
    unsigned char h[32];
    if (size < 32) throw DbfError("not a table (too short): " + path_.string());
    file_.readExact(0, h, 32);
    version_ = h[0];
    headerSize_ = getLe16(h + 8);
    recordSize_ = getLe16(h + 10);
    tableFlags_ = h[28];
    codePage_ = h[29];
    if (headerSize_ < 33 || recordSize_ < 1 || static_cast<std::uint64_t>(headerSize_) > size)
        throw DbfError("not a table (bad header): " + path_.string());
    headerBytes_.resize(static_cast<std::size_t>(headerSize_));
    file_.readExact(0, headerBytes_.data(), headerBytes_.size());
    fields_.clear();
    int offset = 1;
    for (std::size_t pos = 32; pos + 32 <= headerBytes_.size() && headerBytes_[pos] != 0x0D;
         pos += 32) {
        const unsigned char* d = headerBytes_.data() + pos;
        FieldInfo f;
        std::size_t n = 0;
        while (n < 11 && d[n] != 0)
            ++n;
        f.name = upperCase(std::string(reinterpret_cast<const char*>(d), n));
        f.name = std::string(trimRight(f.name));
        f.type = static_cast<char>(cp1250Upper(d[11]));
        f.width = d[16];
        f.decimals = d[17];
        f.flags = d[18];
        if (f.type == 'C' && f.decimals > 0) {
            // Character fields wider than 255 keep the high byte of the width in the
            // decimals byte.
            f.width += 256 * f.decimals;
            f.decimals = 0;
        }
        if (f.width == 0) throw DbfError("field " + f.name + " has no width in " + path_.string());
        f.offset = offset;
        offset += f.width;
        fields_.push_back(std::move(f));
        if (fields_.size() > kMaxFields) throw DbfError("too many fields in " + path_.string());
    }
    if (fields_.empty()) throw DbfError("table has no fields: " + path_.string());
    if (offset > recordSize_)
        throw DbfError("fields do not fit the record size in " + path_.string());
    const std::uint32_t stated = getLe32(h + 4);
    // A header that promises more records than the file holds (a crash during an append by
    // another program) is believed only as far as the data goes.
    const std::uint64_t fits =
        (size - static_cast<std::uint64_t>(headerSize_)) / static_cast<std::uint64_t>(recordSize_);
    count_ = static_cast<std::uint32_t>(std::min<std::uint64_t>(stated, fits));
}

void Table::openMemo() {
    bool needs = false;
    for (const auto& f : fields_)
        if (isMemoType(f.type)) needs = true;
    if (!needs) return;
    const bool dbtVersion = version_ == 0x83 || version_ == 0x8B || version_ == 0xCB;
    const auto fpt = siblingWithExtension(path_, ".FPT");
    const auto dbt = siblingWithExtension(path_, ".DBT");
    if (!dbtVersion && std::filesystem::exists(fpt))
        memo_.open(fpt, MemoKind::Fpt, file_.readOnly());
    else if (std::filesystem::exists(dbt))
        memo_.open(dbt, MemoKind::Dbt, file_.readOnly());
    else if (std::filesystem::exists(fpt))
        memo_.open(fpt, MemoKind::Fpt, file_.readOnly());
    else
        throw DbfError("memo file missing for " + path_.string());
}

std::int32_t Table::lastUpdate() const {
    if (headerBytes_.size() < 4) return 0;
    const int y = headerBytes_[1] + 1900, m = headerBytes_[2], d = headerBytes_[3];
    return validYmd(y, m, d) ? julianFromYmd(y, m, d) : 0;
}

int Table::fieldIndex(std::string_view name) const {
    for (std::size_t i = 0; i < fields_.size(); ++i)
        if (sameFieldName(fields_[i].name, name)) return static_cast<int>(i);
    return -1;
}

int Table::resolveField(std::string_view alias, std::string_view name) const {
    if (!alias.empty() && !equalsNoCase(alias, alias_)) return -1;
    return fieldIndex(name);
}

// ---------------------------------------------------------------------------------------------
// Records

std::uint32_t Table::refreshCount() {
    unsigned char h[8];
    file_.readExact(0, h, 8);
    const std::uint64_t size = file_.size();
    const std::uint64_t fits = size > static_cast<std::uint64_t>(headerSize_)
                                   ? (size - static_cast<std::uint64_t>(headerSize_)) /
                                         static_cast<std::uint64_t>(recordSize_)
                                   : 0;
    count_ = static_cast<std::uint32_t>(std::min<std::uint64_t>(getLe32(h + 4), fits));
    return count_;
}

void Table::writeHeaderCount() {
    unsigned char h[8];
    h[0] = version_;
    putDate(h + 1);
    putLe32(h + 4, count_);
    file_.writeAt(0, h, 8);
}

void Table::loadRecord(std::uint32_t recno) {
    recno_ = recno;
    if (recno < 1 || recno > count_) {
        setEofState();
        return;
    }
    const std::size_t rs = static_cast<std::size_t>(recordSize_);
    if (recno < cacheFirst_ || recno >= cacheFirst_ + cacheCount_) {
        // Runs of neighbouring records read ahead in large blocks; a jump reads a few records.
        const bool sequential =
            cacheCount_ > 0 && (recno == cacheFirst_ + cacheCount_ || recno + 1 == cacheFirst_);
        const std::uint32_t per = static_cast<std::uint32_t>(
            std::max<std::size_t>(1, (sequential ? kCacheBytes : kJumpBytes) / rs));
        std::uint32_t first = recno;
        // Moving backwards reads the records before this one.
        if (cacheCount_ > 0 && recno + 1 == cacheFirst_) first = recno >= per ? recno - per + 1 : 1;
        const std::uint32_t n = std::min<std::uint32_t>(per, count_ - first + 1);
        cache_.resize(static_cast<std::size_t>(n) * rs);
        const std::size_t got = file_.readAt(static_cast<std::uint64_t>(headerSize_) +
                                                 static_cast<std::uint64_t>(first - 1) * rs,
                                             cache_.data(), cache_.size());
        cacheFirst_ = first;
        cacheCount_ = static_cast<std::uint32_t>(got / rs);
        if (recno >= cacheFirst_ + cacheCount_) {
            cacheCount_ = 0;
            throw DbfError("cannot read record " + std::to_string(recno) + " of " + path_.string());
        }
    }
    const char* src = cache_.data() + static_cast<std::size_t>(recno - cacheFirst_) * rs;
    // Reading works on the cached bytes; the first change copies them (see editable()).
    cur_ = src;
    editing_ = false;
    eof_ = false;
}

void Table::setEofState() {
    recno_ = count_ + 1;
    eof_ = true;
    // At end of file the fields read blank.
    buf_.assign(static_cast<std::size_t>(recordSize_), ' ');
    for (const auto& f : fields_)
        if (isBinaryType(f.type) || (isMemoType(f.type) && f.width == 4))
            std::memset(buf_.data() + f.offset, 0, static_cast<std::size_t>(f.width));
    orig_ = buf_;
    cur_ = buf_.data();
    editing_ = true;
    if (order_ > 0) {
        ipos_ = indexes_[static_cast<std::size_t>(order_ - 1)]->keys().size();
        iposValid_ = true;
    }
}

bool Table::visible() const {
    if (eof_) return false;
    if (settings().hideDeleted && deleted()) return false;
    if (order_ > 0) {
        const Index& ix = *indexes_[static_cast<std::size_t>(order_ - 1)];
        if ((!ix.scopeTop.empty() || !ix.scopeBottom.empty()) && !ix.inScope(ix.keyOfCurrent()))
            return false;
    }
    return filterPasses();
}

bool Table::filterPasses() const {
    if (!filter_.valid()) return true;
    if (!marks_.empty()) {
        const auto mark = marks_.find(recordNumber());
        if (mark != marks_.end()) return mark->second;
    }
    return filter_.test(this);
}

void Table::goTo(std::uint32_t recno) {
    flush();
    bof_ = false;
    iposValid_ = false;
    if (recno > count_) refreshCount();
    loadRecord(recno);
}

void Table::syncIndexPosition() {
    if (iposValid_ || order_ == 0) return;
    Index& ix = *indexes_[static_cast<std::size_t>(order_ - 1)];
    if (eof_) {
        ipos_ = ix.keys().size();
    } else {
        const std::string key = ix.keyOfCurrent();
        const std::size_t p = ix.keys().find(key, recno_);
        ipos_ = p != KeyList::npos ? p : ix.keys().lowerBound(key, recno_);
    }
    iposValid_ = true;
}

// One step in the current order, ignoring visibility; false past either end.
bool Table::skipIndexed(long long dir) {
    if (order_ == 0) {
        const long long next = static_cast<long long>(recno_) + dir;
        if (next < 1 || next > static_cast<long long>(count_)) return false;
        loadRecord(static_cast<std::uint32_t>(next));
        return true;
    }
    syncIndexPosition();
    const Index& ix = *indexes_[static_cast<std::size_t>(order_ - 1)];
    const KeyList& keys = ix.keys();
    // A reversed order walks its key list from the end.
    if ((dir > 0) != ix.reversed) {
        if (ipos_ >= keys.size() || ipos_ + 1 >= keys.size()) return false;
        ++ipos_;
    } else {
        if (ipos_ == 0 || keys.size() == 0) return false;
        --ipos_;
        if (ipos_ >= keys.size()) ipos_ = keys.size() - 1;
    }
    loadRecord(keys.recAt(ipos_));
    return true;
}

// From the current record, moves in the direction until a visible record; false when none.
bool Table::settle(bool forward) {
    while (!visible()) {
        if (eof_ && forward) return false;
        if (!skipIndexed(forward ? 1 : -1)) return false;
    }
    return true;
}

// The first visible record from the key list's start (its scope's top) onwards.
bool Table::startAtKeyListTop(const Index& ix) {
    const KeyList& keys = ix.keys();
    const std::size_t start = ix.scopeTop.empty() ? 0 : keys.seek(ix.scopeTop);
    if (start >= keys.size()) return false;
    ipos_ = start;
    iposValid_ = true;
    loadRecord(keys.recAt(start));
    // Walking forward moves down the key list unless the order is reversed.
    return settle(!ix.reversed);
}

// The last visible record from the key list's end (its scope's bottom) backwards.
bool Table::startAtKeyListBottom(const Index& ix) {
    const KeyList& keys = ix.keys();
    const std::size_t end = ix.scopeBottom.empty() ? keys.size() : keys.seekAfter(ix.scopeBottom);
    if (end == 0) return false;
    ipos_ = end - 1;
    iposValid_ = true;
    loadRecord(keys.recAt(ipos_));
    return settle(ix.reversed);
}

void Table::goTop() {
    flush();
    refreshCount();
    refreshIndexes();
    cacheCount_ = 0;
    bof_ = false;
    bool any = false;
    if (order_ > 0) {
        const Index& ix = *indexes_[static_cast<std::size_t>(order_ - 1)];
        any = ix.reversed ? startAtKeyListBottom(ix) : startAtKeyListTop(ix);
    } else if (count_ > 0) {
        loadRecord(1);
        any = settle(true);
    }
    if (!any) {
        setEofState();
        bof_ = true;
    }
}

void Table::goBottom() {
    flush();
    refreshCount();
    refreshIndexes();
    cacheCount_ = 0;
    bof_ = false;
    bool any = false;
    if (order_ > 0) {
        const Index& ix = *indexes_[static_cast<std::size_t>(order_ - 1)];
        any = ix.reversed ? startAtKeyListTop(ix) : startAtKeyListBottom(ix);
    } else if (count_ > 0) {
        loadRecord(count_);
        any = settle(false);
    }
    if (!any) {
        setEofState();
        bof_ = true;
    }
}

void Table::skip(long long n) {
    flush();
    if (n == 0) {
        if (!eof_) {
            cacheCount_ = 0;
            loadRecord(recno_);
        }
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
        while (skipIndexed(forward ? 1 : -1)) {
            if (visible()) {
                moved = true;
                break;
            }
        }
        if (!moved) {
            if (forward) {
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

// ---------------------------------------------------------------------------------------------
// Fields

std::string_view Table::raw(int field) const {
    const FieldInfo& f = this->field(field);
    return {image() + f.offset, static_cast<std::size_t>(f.width)};
}

bool Table::deleted() const {
    return image()[0] == '*';
}

bool Table::memoUsesBinaryPointer(int field) const {
    return this->field(field).width == 4;
}

std::uint32_t Table::memoBlock(int field) const {
    const std::string_view r = raw(field);
    if (memoUsesBinaryPointer(field))
        return getLe32(reinterpret_cast<const unsigned char*>(r.data()));
    const double v = parseNumber(r);
    return v > 0 && v < 4294967295.0 ? static_cast<std::uint32_t>(v) : 0;
}

std::string Table::getMemo(int field) const {
    if (!isMemoType(this->field(field).type)) return getString(field);
    const std::uint32_t block = memoBlock(field);
    if (block == 0 || !memo_.isOpen()) return {};
    return memo_.read(block);
}

std::uint32_t Table::memoLength(int field) const {
    if (!isMemoType(this->field(field).type)) return 0;
    const std::uint32_t block = memoBlock(field);
    if (block == 0 || !memo_.isOpen()) return 0;
    return memo_.length(block);
}

std::string Table::getString(int field) const {
    const FieldInfo& f = this->field(field);
    switch (f.type) {
    case 'M':
    case 'G':
    case 'P':
        return getMemo(field);
    case 'I':
    case 'B':
    case 'Y':
        return formatNumber(getNumber(field), f.type == 'I' ? 11 : 20,
                            f.type == 'I' ? 0 : (f.type == 'Y' ? 4 : f.decimals));
    case 'T':
        return dateToText(getDate(field));
    default:
        return std::string(raw(field));
    }
}

double Table::getNumber(int field) const {
    const FieldInfo& f = this->field(field);
    const auto* p = reinterpret_cast<const unsigned char*>(image() + f.offset);
    switch (f.type) {
    case 'I':
        return static_cast<double>(static_cast<std::int32_t>(getLe32(p)));
    case 'B': {
        if (f.width != 8) return 0;
        std::uint64_t bits = getLe32(p) | (static_cast<std::uint64_t>(getLe32(p + 4)) << 32);
        double d;
        std::memcpy(&d, &bits, 8);
        return d;
    }
    case 'Y': {
        if (f.width != 8) return 0;
        const std::uint64_t bits = getLe32(p) | (static_cast<std::uint64_t>(getLe32(p + 4)) << 32);
        return static_cast<double>(static_cast<std::int64_t>(bits)) / 10000.0;
    }
    default: {
        const std::string_view r = raw(field);
        if (r.find('*') != std::string_view::npos) return 0;
        return parseNumber(r);
    }
    }
}

bool Table::getLogical(int field) const {
    const char c = raw(field)[0];
    return c == 'T' || c == 't' || c == 'Y' || c == 'y';
}

std::int32_t Table::getDate(int field) const {
    const FieldInfo& f = this->field(field);
    if (f.type == 'T') {
        if (f.width != 8) return 0;
        const auto jd = static_cast<std::int32_t>(
            getLe32(reinterpret_cast<const unsigned char*>(image() + f.offset)));
        return jd > 0 ? jd : 0;
    }
    return dateFromDtos(raw(field));
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
    const FieldInfo& f = this->field(field);
    if (isMemoType(f.type)) return memoBlock(field) == 0;
    if (isBinaryType(f.type)) return getNumber(field) == 0 && getDate(field) == 0;
    const std::string_view r = raw(field);
    if (f.type == 'L') return r[0] == ' ' || r[0] == '?';
    return trimRight(r).empty();
}

void Table::checkWritable() const {
    if (file_.readOnly()) throw DbfError("table is open read-only: " + path_.string());
    if (eof_) throw DbfError("no current record");
}

void Table::markDirty() {
    dirty_ = true;
}

char* Table::editable() {
    if (!editing_) {
        buf_.assign(cur_, cur_ + recordSize_);
        orig_ = buf_;
        cur_ = buf_.data();
        editing_ = true;
    }
    return buf_.data();
}

void Table::setRaw(int field, std::string_view bytes) {
    checkWritable();
    const FieldInfo& f = this->field(field);
    char* dst = editable() + f.offset;
    const std::size_t n = std::min(bytes.size(), static_cast<std::size_t>(f.width));
    std::memcpy(dst, bytes.data(), n);
    std::memset(dst + n, ' ', static_cast<std::size_t>(f.width) - n);
    markDirty();
}

void Table::setString(int field, std::string_view text) {
    const FieldInfo& f = this->field(field);
    switch (f.type) {
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
        break;
    }
}

void Table::setNumber(int field, double value) {
    checkWritable();
    const FieldInfo& f = this->field(field);
    auto* p = reinterpret_cast<unsigned char*>(editable() + f.offset);
    switch (f.type) {
    case 'N':
    case 'F':
        setRaw(field, formatNumber(value, f.width, f.decimals));
        return;
    case 'I': {
        const double v =
            std::isfinite(value) ? std::clamp(std::round(value), -2147483648.0, 2147483647.0) : 0;
        putLe32(p, static_cast<std::uint32_t>(static_cast<std::int32_t>(v)));
        break;
    }
    case 'B': {
        std::uint64_t bits;
        std::memcpy(&bits, &value, 8);
        putLe32(p, static_cast<std::uint32_t>(bits));
        putLe32(p + 4, static_cast<std::uint32_t>(bits >> 32));
        break;
    }
    case 'Y': {
        const double v =
            std::isfinite(value) ? std::clamp(std::round(value * 10000.0), -9.2e18, 9.2e18) : 0;
        const auto bits = static_cast<std::uint64_t>(static_cast<std::int64_t>(v));
        putLe32(p, static_cast<std::uint32_t>(bits));
        putLe32(p + 4, static_cast<std::uint32_t>(bits >> 32));
        break;
    }
    default:
        throw DbfError("field " + f.name + " is not numeric");
    }
    markDirty();
}

void Table::setLogical(int field, bool value) {
    const FieldInfo& f = this->field(field);
    if (f.type != 'L') throw DbfError("field " + f.name + " is not logical");
    setRaw(field, value ? "T" : "F");
}

void Table::setDate(int field, std::int32_t jd) {
    checkWritable();
    const FieldInfo& f = this->field(field);
    if (f.type == 'T') {
        auto* p = reinterpret_cast<unsigned char*>(editable() + f.offset);
        putLe32(p, static_cast<std::uint32_t>(std::max(0, jd)));
        putLe32(p + 4, 0);
        markDirty();
        return;
    }
    if (f.type != 'D') throw DbfError("field " + f.name + " is not a date");
    setRaw(field, dateToDtos(jd));
}

void Table::setMemo(int field, std::string_view data, bool binary) {
    checkWritable();
    const FieldInfo& f = this->field(field);
    if (!isMemoType(f.type)) throw DbfError("field " + f.name + " is not a memo");
    if (!memo_.isOpen()) throw DbfError("no memo file for " + path_.string());
    const std::uint32_t block = memo_.write(data, memoBlock(field), binary);
    if (memoUsesBinaryPointer(field)) {
        putLe32(reinterpret_cast<unsigned char*>(editable() + f.offset), block);
        markDirty();
    } else if (block == 0) {
        setRaw(field, "");
    } else {
        setRaw(field, formatNumber(block, f.width, 0));
    }
}

void Table::setValue(int field, const XValue& value) {
    switch (value.type) {
    case ValueType::Char:
        setString(field, value.str);
        break;
    case ValueType::Numeric:
        setNumber(field, value.num);
        break;
    case ValueType::Date:
        setDate(field, value.date);
        break;
    case ValueType::Logical:
        setLogical(field, value.log);
        break;
    }
}

void Table::setFromText(int field, std::string_view text) {
    const FieldInfo& f = this->field(field);
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
        setNumber(field, parseNumber(text));
        break;
    case 'D':
    case 'T': {
        const std::string_view t = trimLeft(trimRight(text));
        std::int32_t jd = dateFromText(t);
        if (jd == 0 && t.size() == 8) jd = dateFromDtos(t);
        setDate(field, jd);
        break;
    }
    case 'L': {
        const std::string_view t = trimLeft(text);
        const char c =
            t.empty() ? 'F' : static_cast<char>(cp1250Upper(static_cast<unsigned char>(t[0])));
        setRaw(field, (c == 'T' || c == 'Y' || c == '1') ? "T" : "F");
        break;
    }
    default:
        setRaw(field, text);
        break;
    }
}

void Table::deleteRecord() {
    checkWritable();
    editable()[0] = '*';
    markDirty();
}

void Table::recall() {
    checkWritable();
    editable()[0] = ' ';
    markDirty();
}

void Table::updateIndexes() {
    for (auto& ix : indexes_) {
        setEvalImage(orig_.data(), recno_);
        const bool oldIn = ix->includesCurrent();
        const std::string oldKey = oldIn ? ix->keyOfCurrent() : std::string();
        setEvalImage(nullptr);
        const bool newIn = ix->includesCurrent();
        const std::string newKey = newIn ? ix->keyOfCurrent() : std::string();
        if (oldIn == newIn && oldKey == newKey) continue;
        if (oldIn) {
            ix->keys().erase(oldKey, recno_);
            noteKeyChange(*ix, false, oldKey);
        }
        if (newIn) {
            ix->keys().insert(newKey, recno_);
            noteKeyChange(*ix, true, newKey);
        }
        ix->dirty = true;
    }
    iposValid_ = false;
}

void Table::flush() {
    if (!dirty_) return;
    const std::size_t rs = static_cast<std::size_t>(recordSize_);
    file_.writeAt(static_cast<std::uint64_t>(headerSize_) +
                      static_cast<std::uint64_t>(recno_ - 1) * rs,
                  buf_.data(), rs);
    if (recno_ >= cacheFirst_ && recno_ < cacheFirst_ + cacheCount_)
        std::memcpy(cache_.data() + static_cast<std::size_t>(recno_ - cacheFirst_) * rs,
                    buf_.data(), rs);
    dirty_ = false;
    modified_ = true;
    updateIndexes();
    orig_ = buf_;
}

void Table::commit() {
    flush();
    // Index files are rewritten whole; writing them on every commit of a table nobody else has
    // open would make a run of appends quadratic. They are written when someone else opens the
    // table (seen at the next commit) and on close; a crash before that is repaired on open.
    if (othersHaveTable()) saveIndexes(true);
    if (settings().syncToDisk) file_.sync();
}

void Table::append() {
    if (file_.readOnly()) throw DbfError("table is open read-only: " + path_.string());
    flush();
    // The header byte serialises appends between processes.
    const bool needLock = !exclusive_ && !fileLocked_;
    if (needLock && !file_.lockRange(kLockBase, 1, settings().lockTimeoutMs))
        throw DbfError("cannot lock the table for appending: " + path_.string());
    try {
        refreshCount();
        setEofState();
        const std::uint32_t n = count_ + 1;
        std::vector<char> rec(buf_);
        rec.push_back('\x1A');
        file_.writeAt(static_cast<std::uint64_t>(headerSize_) +
                          static_cast<std::uint64_t>(n - 1) *
                              static_cast<std::uint64_t>(recordSize_),
                      rec.data(), rec.size());
        count_ = n;
        writeHeaderCount();
    } catch (...) {
        if (needLock) file_.unlockRange(kLockBase, 1);
        throw;
    }
    if (needLock) file_.unlockRange(kLockBase, 1);
    recno_ = count_;
    eof_ = false;
    bof_ = false;
    modified_ = true;
    for (auto& ix : indexes_) {
        if (!ix->includesCurrent()) continue;
        const std::string key = ix->keyOfCurrent();
        ix->keys().insert(key, recno_);
        noteKeyChange(*ix, true, key);
        ix->dirty = true;
    }
    iposValid_ = false;
}

void Table::rewrite(bool keepRecords) {
    if (file_.readOnly()) throw DbfError("table is open read-only: " + path_.string());
    flush();
    // Other openers would keep writing to the file this one replaces: only a table nobody else
    // has open may be rewritten.
    if (!exclusive_ && !file_.lockRange(kOpenLockByte, 1, 0)) {
        file_.lockRange(kOpenLockByte, 1, 0, true);
        throw DbfError("table is in use: " + path_.string());
    }
    const bool hadLock = fileLocked_ || exclusive_;
    if (!hadLock && !lockFile()) {
        file_.lockRange(kOpenLockByte, 1, 0, true);
        throw DbfError("table is in use: " + path_.string());
    }
    const auto tmp = tempNameBeside(path_);
    std::uint32_t kept = 0;
    try {
        File out;
        out.create(tmp);
        std::vector<unsigned char> hdr(headerBytes_);
        file_.readExact(0, hdr.data(), hdr.size());
        std::uint64_t pos = hdr.size();
        if (keepRecords) {
            const std::size_t rs = static_cast<std::size_t>(recordSize_);
            const std::uint32_t per =
                static_cast<std::uint32_t>(std::max<std::size_t>(1, (1u << 20) / rs));
            std::vector<char> in, outBuf;
            for (std::uint32_t first = 1; first <= count_; first += per) {
                const std::uint32_t n = std::min(per, count_ - first + 1);
                in.resize(static_cast<std::size_t>(n) * rs);
                file_.readExact(static_cast<std::uint64_t>(headerSize_) +
                                    static_cast<std::uint64_t>(first - 1) * rs,
                                in.data(), in.size());
                outBuf.clear();
                for (std::uint32_t i = 0; i < n; ++i) {
                    const char* r = in.data() + static_cast<std::size_t>(i) * rs;
                    if (r[0] == '*') continue;
                    outBuf.insert(outBuf.end(), r, r + rs);
                    ++kept;
                }
                out.writeAt(pos, outBuf.data(), outBuf.size());
                pos += outBuf.size();
            }
        }
        const unsigned char eofMark = 0x1A;
        out.writeAt(pos, &eofMark, 1);
        putDate(hdr.data() + 1);
        putLe32(hdr.data() + 4, kept);
        out.writeAt(0, hdr.data(), hdr.size());
        out.close();
        replaceFile(tmp, path_);
    } catch (...) {
        std::error_code ec;
        std::filesystem::remove(tmp, ec);
        if (!hadLock) unlock(0);
        if (!exclusive_) file_.lockRange(kOpenLockByte, 1, 0, true);
        throw;
    }
    // The old file is gone; the locks held on it went with it.
    file_.open(path_, false);
    file_.lockRange(kOpenLockByte, 1, 0, !exclusive_);
    if (exclusive_) {
        file_.lockRange(kLockBase - kMaxLockRecords, kMaxLockRecords + 1, 0);
    } else if (fileLocked_ && hadLock) {
        file_.lockRange(kLockBase - kMaxLockRecords, kMaxLockRecords + 1, settings().lockTimeoutMs);
    } else {
        fileLocked_ = false;
        lockedRecords_.clear();
    }
    count_ = kept;
    cacheCount_ = 0;
    if (!keepRecords && memo_.isOpen()) {
        const auto memoPath = memo_.path();
        const MemoKind kind = memo_.kind();
        const int bs = static_cast<int>(memo_.blockSize());
        memo_.close();
        const auto memoTmp = tempNameBeside(memoPath);
        MemoFile fresh;
        fresh.create(memoTmp, kind, bs);
        fresh.close();
        replaceFile(memoTmp, memoPath);
        memo_.open(memoPath, kind, false);
    }
    // Records were renumbered: query marks would now land on other records.
    marks_.clear();
    reindex();
    goTop();
}

void Table::pack() {
    rewrite(true);
}
void Table::zap() {
    rewrite(false);
}

// ---------------------------------------------------------------------------------------------
// Indexes

Index& Table::createIndex(const std::filesystem::path& path, const std::string& keyExpr,
                          const IndexOptions& options) {
    flush();
    const std::string ext = upperCase(path.extension().string());
    if (ext == ".CDX") return createTag(path.stem().string(), keyExpr, options, path);
    auto ix = std::make_unique<Index>(*this, path, ext == ".IDX" ? IndexKind::Idx : IndexKind::Ntx);
    ix->define(keyExpr, options);
    ix->rebuild();
    ix->saveFile();
    indexes_.push_back(std::move(ix));
    setOrder(static_cast<int>(indexes_.size()));
    goTop();
    return *indexes_.back();
}

Index& Table::openIndex(const std::filesystem::path& path) {
    flush();
    const std::string ext = upperCase(path.extension().string());
    if (ext == ".CDX") {
        Index& first = openCdx(path);
        const std::string tag = first.tagName();
        refreshCount();
        repairStaleOrders();
        if (order_ == 0) setOrder(orderOf(tag));
        return *indexes_[static_cast<std::size_t>(orderOf(tag) - 1)];
    }
    if (ext == ".NSX" || ext == ".MDX")
        throw DbfError("index type " + ext + " is not supported: " + path.string());
    auto ix = std::make_unique<Index>(*this, path, ext == ".IDX" ? IndexKind::Idx : IndexKind::Ntx);
    ix->loadFile();
    indexes_.push_back(std::move(ix));
    refreshCount();
    repairStaleOrders();
    if (order_ == 0) setOrder(static_cast<int>(indexes_.size()));
    return *indexes_.back();
}

void Table::closeIndexes() {
    flush();
    saveIndexes(true);
    indexes_.clear();
    order_ = 0;
    iposValid_ = false;
}

void Table::closeIndex(int order) {
    if (order < 1 || order > indexCount()) return;
    flush();
    saveIndexes(true);
    const auto path = indexes_[static_cast<std::size_t>(order - 1)]->path();
    const std::string controlling =
        order_ > 0 ? indexes_[static_cast<std::size_t>(order_ - 1)]->tagName() : "";
    const auto controllingPath =
        order_ > 0 ? indexes_[static_cast<std::size_t>(order_ - 1)]->path() : path;
    const bool compound = indexes_[static_cast<std::size_t>(order - 1)]->kind() == IndexKind::Cdx;
    for (std::size_t i = indexes_.size(); i-- > 0;) {
        if (static_cast<int>(i) == order - 1 || (compound && indexes_[i]->path() == path))
            indexes_.erase(indexes_.begin() + static_cast<std::ptrdiff_t>(i));
    }
    order_ = 0;
    for (std::size_t i = 0; i < indexes_.size(); ++i)
        if (indexes_[i]->tagName() == controlling && indexes_[i]->path() == controllingPath)
            order_ = static_cast<int>(i + 1);
    iposValid_ = false;
}

void Table::setOrder(int order) {
    if (order < 0 || order > indexCount()) return;
    flush();
    order_ = order;
    iposValid_ = false;
}

int Table::orderOf(std::string_view name) const {
    for (std::size_t i = 0; i < indexes_.size(); ++i)
        if (equalsNoCase(indexes_[i]->tagName(), trimLeft(trimRight(name))))
            return static_cast<int>(i + 1);
    return 0;
}

void Table::reindex() {
    flush();
    for (auto& ix : indexes_)
        ix->rebuild();
    saveIndexes(false);
    iposValid_ = false;
}

bool Table::othersHaveTable() const {
    if (exclusive_) return false;
    return file_.rangeLockedByOther(kOpenLockByte, 1) ||
           file_.rangeLockedByOther(kReaderLockByte, 1);
}

void Table::repairStaleOrders() {
    // Every record has a key in an order without a FOR condition that is not unique: fewer keys
    // than records means a writer stopped before it wrote the index.
    if (file_.readOnly()) return;
    bool stale = false;
    for (auto& ix : indexes_)
        if (ix->forExpr().empty() && !ix->unique() && ix->keys().size() != count_) {
            ix->rebuild();
            stale = true;
        }
    if (stale) saveIndexes(true);
}

void Table::noteKeyChange(Index& ix, bool add, const std::string& key) {
    if (sharedWriter() && !ix.rebuilt) ix.journal.push_back({add, key, recno_});
}

void Table::reloadIndexFile(const std::filesystem::path& path) {
    std::vector<Index*> mine;
    for (auto& ix : indexes_)
        if (ix->path() == path && !ix->rebuilt) mine.push_back(ix.get());
    if (mine.empty()) return;
    if (mine.front()->kind() != IndexKind::Cdx) {
        mine.front()->loadFile();
        mine.front()->replayJournal();
    } else {
        const std::string bytes = readWholeFile(path);
        const FileStamp now = stampOf(path);
        const auto tags = readCdxDirectory(bytes);
        for (Index* ix : mine) {
            for (const auto& t : tags) {
                if (t.name != ix->tagName()) continue;
                readCdxTag(bytes, t.offset, ix->padByte(), ix->keys());
                ix->replayJournal();
                break;
            }
            ix->stamp = now;
        }
    }
    iposValid_ = false;
    // The other process's keys may point past the records we know of.
    refreshCount();
}

void Table::refreshIndexes() {
    if (exclusive_) return;
    std::vector<std::filesystem::path> seen;
    for (auto& ix : indexes_) {
        if (std::find(seen.begin(), seen.end(), ix->path()) != seen.end()) continue;
        seen.push_back(ix->path());
        const FileStamp now = stampOf(ix->path());
        if (now.inode == 0 || now == ix->stamp) continue;
        try {
            reloadIndexFile(ix->path());
        } catch (const DbfError&) {
            // Caught half-way through another process's rename, or damaged: keep what we have;
            // the next refresh or save reads it again.
        }
    }
}

void Table::saveIndexes(bool onlyDirty) {
    bool anyDirty = false;
    for (auto& ix : indexes_)
        anyDirty = anyDirty || !onlyDirty || ix->dirty;
    if (!anyDirty) return;
    // Several processes may change one index: each merges its own key changes into the file as
    // it is now, one at a time.
    const bool locking = sharedWriter();
    if (locking && !file_.lockRange(kIndexLockByte, 1, std::max(settings().lockTimeoutMs, 10000)))
        throw DbfError("cannot lock the index files of " + path_.string());
    try {
        if (locking) refreshIndexes();
        std::vector<std::filesystem::path> compound;
        for (auto& ix : indexes_) {
            if (onlyDirty && !ix->dirty) continue;
            if (ix->kind() != IndexKind::Cdx) {
                ix->saveFile();
            } else if (std::find(compound.begin(), compound.end(), ix->path()) == compound.end()) {
                compound.push_back(ix->path());
            }
        }
        for (const auto& p : compound)
            saveCdx(p);
    } catch (...) {
        if (locking) file_.unlockRange(kIndexLockByte, 1);
        throw;
    }
    if (locking) file_.unlockRange(kIndexLockByte, 1);
}

void Table::saveCdx(const std::filesystem::path& path) {
    std::vector<CdxTagOut> tags;
    for (auto& ix : indexes_) {
        if (ix->kind() != IndexKind::Cdx || ix->path() != path) continue;
        CdxTagOut t;
        t.name = ix->tagName();
        t.header = ix->header();
        ++t.header.version;
        t.keys = &ix->keys();
        t.pad = ix->padByte();
        tags.push_back(std::move(t));
    }
    // Tags another process added to the file since we opened it are written back as they are.
    std::vector<std::unique_ptr<Index>> foreign;
    if (sharedWriter() && std::filesystem::exists(path)) {
        try {
            const std::string bytes = readWholeFile(path);
            for (const auto& info : readCdxDirectory(bytes)) {
                const bool ours = std::any_of(tags.begin(), tags.end(), [&](const CdxTagOut& t) {
                    return t.name == info.name;
                });
                if (ours) continue;
                auto ix = std::make_unique<Index>(*this, path, IndexKind::Cdx);
                ix->setTagName(info.name);
                ix->adopt(info.header);
                readCdxTag(bytes, info.offset, ix->padByte(), ix->keys());
                CdxTagOut t;
                t.name = info.name;
                t.header = info.header;
                t.keys = &ix->keys();
                t.pad = ix->padByte();
                tags.push_back(std::move(t));
                foreign.push_back(std::move(ix));
            }
        } catch (const DbfError&) {
            // A tag we cannot read is not carried over; ours are written in any case.
        }
    }
    writeCdxFile(path, tags);
    const FileStamp now = stampOf(path);
    for (auto& ix : indexes_)
        if (ix->kind() == IndexKind::Cdx && ix->path() == path) {
            ix->dirty = false;
            ix->rebuilt = false;
            ix->journal.clear();
            ix->stamp = now;
        }
}

std::filesystem::path Table::structuralIndexPath() const {
    std::filesystem::path p = path_;
    const std::string ext = path_.extension().string();
    const bool lower =
        std::any_of(ext.begin(), ext.end(), [](char c) { return c >= 'a' && c <= 'z'; });
    p.replace_extension(lower ? ".cdx" : ".CDX");
    if (!std::filesystem::exists(p)) {
        const auto other = siblingWithExtension(path_, ".CDX");
        if (std::filesystem::exists(other)) return other;
    }
    return p;
}

Index& Table::openCdx(const std::filesystem::path& path) {
    const std::string bytes = readWholeFile(path);
    std::vector<CdxTagInfo> tags;
    try {
        tags = readCdxDirectory(bytes);
    } catch (const DbfError& e) {
        throw DbfError(std::string(e.what()) + ": " + path.string());
    }
    if (tags.empty()) throw DbfError("compound index has no tags: " + path.string());
    const std::size_t first = indexes_.size();
    try {
        for (const auto& t : tags) {
            auto ix = std::make_unique<Index>(*this, path, IndexKind::Cdx);
            ix->setTagName(t.name);
            ix->adopt(t.header);
            readCdxTag(bytes, t.offset, ix->padByte(), ix->keys());
            ix->stamp = stampOf(path);
            indexes_.push_back(std::move(ix));
        }
    } catch (const DbfError& e) {
        indexes_.resize(first);
        throw DbfError(std::string(e.what()) + ": " + path.string());
    }
    return *indexes_[first];
}

Index& Table::createTag(const std::string& tag, const std::string& keyExpr,
                        const IndexOptions& options, std::filesystem::path cdxPath) {
    flush();
    const bool structural = cdxPath.empty();
    if (structural) cdxPath = structuralIndexPath();
    const std::string name = upperCase(std::string(trimLeft(trimRight(tag))).substr(0, 10));
    if (name.empty()) throw DbfError("a tag needs a name");
    bool loaded = false;
    for (auto& ix : indexes_)
        if (ix->kind() == IndexKind::Cdx && ix->path() == cdxPath) loaded = true;
    if (!loaded && std::filesystem::exists(cdxPath)) openCdx(cdxPath);
    auto ix = std::make_unique<Index>(*this, cdxPath, IndexKind::Cdx);
    ix->setTagName(name);
    ix->define(keyExpr, options);
    ix->rebuild();
    int at = 0;
    for (std::size_t i = 0; i < indexes_.size(); ++i)
        if (indexes_[i]->kind() == IndexKind::Cdx && indexes_[i]->path() == cdxPath &&
            indexes_[i]->tagName() == name)
            at = static_cast<int>(i + 1);
    if (at > 0)
        indexes_[static_cast<std::size_t>(at - 1)] = std::move(ix);
    else
        indexes_.push_back(std::move(ix));
    if (at == 0) at = static_cast<int>(indexes_.size());
    saveCdx(cdxPath);
    if (structural && !(tableFlags_ & 0x01) && !file_.readOnly()) {
        // The header flag tells every xBase tool to open the structural index with the table.
        tableFlags_ |= 0x01;
        file_.writeAt(28, &tableFlags_, 1);
    }
    setOrder(at);
    goTop();
    return *indexes_[static_cast<std::size_t>(at - 1)];
}

bool Table::seek(std::string_view key) {
    return seek(key, settings().softSeek);
}

bool Table::seek(std::string_view key, bool softSeek) {
    flush();
    found_ = false;
    if (order_ == 0) throw DbfError("no controlling index for a seek");
    refreshIndexes();
    Index& ix = *indexes_[static_cast<std::size_t>(order_ - 1)];
    std::string k = ix.seekKeyFromText(key);
    if (settings().exact && ix.keyType() == ValueType::Char &&
        static_cast<int>(k.size()) < ix.keyLength())
        k.resize(static_cast<std::size_t>(ix.keyLength()), ' ');
    const KeyList& keys = ix.keys();
    bof_ = false;
    // Walking forward, the seek lands on the first entry not before the key; walking a reversed
    // order, on the last entry not after it (the first such in walking order). Invisible entries
    // (deleted records when hidden, filtered records) are passed in walking order.
    const bool reversed = ix.reversed;
    std::size_t pos = reversed ? keys.seekAfter(k) : keys.seek(k);
    bool landed = false;
    while (reversed ? pos > 0 : pos < keys.size()) {
        if (reversed) --pos;
        ipos_ = pos;
        iposValid_ = true;
        loadRecord(keys.recAt(pos));
        if (visible()) {
            landed = true;
            break;
        }
        if (!reversed) ++pos;
    }
    if (!landed) {
        setEofState();
        return false;
    }
    found_ = keys.prefixMatches(pos, k);
    if (!found_ && !softSeek) setEofState();
    return found_;
}

std::string Table::currentKey() {
    if (order_ == 0 || eof_) return {};
    return indexes_[static_cast<std::size_t>(order_ - 1)]->keyOfCurrent();
}

std::size_t Table::keyPosition() {
    if (order_ == 0 || eof_) return 0;
    flush();
    Index& ix = *indexes_[static_cast<std::size_t>(order_ - 1)];
    const std::size_t p = ix.keys().find(ix.keyOfCurrent(), recno_);
    if (p == KeyList::npos) return 0;
    return ix.reversed ? ix.keys().size() - p : p + 1;
}

void Table::setScope(std::string_view top, std::string_view bottom) {
    if (order_ == 0) return;
    flush();
    Index& ix = *indexes_[static_cast<std::size_t>(order_ - 1)];
    ix.scopeTop = top.empty() ? std::string() : ix.seekKeyFromText(top);
    ix.scopeBottom = bottom.empty() ? std::string() : ix.seekKeyFromText(bottom);
    goTop();
}

std::pair<std::string, std::string> Table::scope() const {
    if (order_ == 0) return {};
    const Index& ix = *indexes_[static_cast<std::size_t>(order_ - 1)];
    return {ix.scopeTop, ix.scopeBottom};
}

bool Table::flipOrder() {
    if (order_ == 0) return false;
    flush();
    Index& ix = *indexes_[static_cast<std::size_t>(order_ - 1)];
    ix.reversed = !ix.reversed;
    // The key list itself is unchanged, so the current record keeps its place in it.
    return true;
}

bool Table::orderReversed() const {
    return order_ > 0 && indexes_[static_cast<std::size_t>(order_ - 1)]->reversed;
}

// ---------------------------------------------------------------------------------------------
// Filters and expressions

void Table::setFilter(std::string_view expr) {
    flush();
    marks_.clear();
    if (trimLeft(trimRight(expr)).empty()) {
        filter_ = Expression();
        filterText_.clear();
        return;
    }
    Expression e = Expression::compile(expr, this);
    if (e.type() != ValueType::Logical) throw DbfError("a filter must be a logical expression");
    filter_ = std::move(e);
    filterText_ = std::string(expr);
}

bool Table::markRecord(std::uint32_t recno, bool shown) {
    if (!filter_.valid() || recno < 1 || recno > count_) return false;
    marks_[recno] = shown;
    return true;
}

bool Table::passesQuery(std::uint32_t recno) {
    if (recno < 1 || recno > count_) return false;
    if (!filter_.valid()) return true;
    const auto mark = marks_.find(recno);
    if (mark != marks_.end()) return mark->second;
    const std::uint32_t saved = recno_;
    goTo(recno);
    const bool passes = filter_.test(this);
    goTo(saved);
    return passes;
}

std::uint32_t Table::locate(std::string_view condition, bool continuing, bool backward) {
    flush();
    if (!continuing || !locate_.valid()) {
        Expression e = Expression::compile(condition, this);
        if (e.type() != ValueType::Logical)
            throw DbfError("a condition must be a logical expression");
        locate_ = std::move(e);
        if (backward)
            goBottom();
        else
            goTop();
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

XValue Table::evaluate(std::string_view expr) {
    return Expression::compile(expr, this).evaluate(this);
}

// ---------------------------------------------------------------------------------------------
// Locks

bool Table::lockRecord(std::uint32_t recno) {
    if (file_.readOnly()) return false;
    if (exclusive_ || fileLocked_ || lockedRecords_.count(recno)) return true;
    if (recno == 0 || recno > kMaxLockRecords) return false;
    if (!file_.lockRange(kLockBase - recno, 1, settings().lockTimeoutMs)) return false;
    lockedRecords_.insert(recno);
    // What another process wrote before we held the lock must be what we edit.
    cacheCount_ = 0;
    if (recno == recno_ && !dirty_ && !eof_) loadRecord(recno_);
    return true;
}

bool Table::lockFile() {
    if (file_.readOnly()) return false;
    if (exclusive_ || fileLocked_) return true;
    if (!file_.lockRange(kLockBase - kMaxLockRecords, kMaxLockRecords + 1,
                         settings().lockTimeoutMs))
        return false;
    fileLocked_ = true;
    cacheCount_ = 0;
    return true;
}

void Table::unlock(std::uint32_t recno) {
    if (file_.readOnly() || exclusive_) return;
    flush();
    if (recno == 0) {
        if (fileLocked_) file_.unlockRange(kLockBase - kMaxLockRecords, kMaxLockRecords + 1);
        for (const auto r : lockedRecords_)
            file_.unlockRange(kLockBase - r, 1);
        fileLocked_ = false;
        lockedRecords_.clear();
        return;
    }
    if (lockedRecords_.erase(recno) && !fileLocked_) file_.unlockRange(kLockBase - recno, 1);
}

bool Table::isLocked(std::uint32_t recno) const {
    return exclusive_ || fileLocked_ || lockedRecords_.count(recno) > 0;
}

} // namespace vorlan::dbf
