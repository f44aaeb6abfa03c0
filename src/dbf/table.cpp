// The table itself: creating and opening it, its header, reading records (through a read-ahead
// cache), writing them back, appending, and rewriting the file for pack and zap.

#include "dbf/table.h"

#include "core/cp1250.h"
#include "core/field_name.h"
#include "core/path_mapper.h"
#include "dbf/progress.h"
#include "dbf/settings.h"
#include "dbf/table_internal.h"
#include "dbf/warnings.h"
#include "dbf/xbase_text.h"

#include <algorithm>
#include <cstring>
#include <ctime>

namespace vorlan::dbf {

using detail::isBinaryType;
using detail::isMemoType;
using detail::kOpenLockByte;
using detail::kReaderLockByte;
using detail::siblingWithExtension;

namespace {

constexpr std::size_t kCacheBytes = 64 * 1024;
constexpr std::size_t kJumpBytes = 2 * 1024;
constexpr int kMaxFields = 1024;
// Bytes a sound header may hold behind its field descriptors: the terminator, the backlink of
// the 0x30 family and one spare descriptor.
constexpr std::uint64_t kMaxHeaderPadding = 1 + 263 + 32;

// Field types this engine reads; the less common ones of the 0x30 family (null flags, variable
// length, auto-increment, double, timestamp) are shown as their bytes.
bool knownFieldType(char type) {
    return std::string_view("CNFDLMGPIBTY0VQW+O@").find(type) != std::string_view::npos;
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

void putDate(unsigned char* p) {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    p[0] = static_cast<unsigned char>(tm.tm_year); // years since 1900
    p[1] = static_cast<unsigned char>(tm.tm_mon + 1);
    p[2] = static_cast<unsigned char>(tm.tm_mday);
}

} // namespace

namespace detail {

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

} // namespace detail

// ---------------------------------------------------------------------------------------------
// Creation and opening

std::unique_ptr<Table> Table::create(const std::filesystem::path& path,
                                     const std::vector<FieldSpec>& specs,
                                     const CreateOptions& options) {
    if (specs.empty()) throw DbfError(czech("tabulka potřebuje aspoň jednu položku"));
    if (specs.size() > 255) throw DbfError(czech("příliš mnoho položek"));
    std::vector<FieldInfo> fields;
    int offset = 1;
    bool hasMemo = false;
    for (const auto& s : specs) {
        FieldInfo f;
        f.name = upperCase(s.name);
        if (f.name.empty() || f.name.size() > 10)
            throw DbfError(czech("chybné jméno položky: ") + s.name);
        for (const auto& other : fields)
            if (other.name == f.name) throw DbfError(czech("jméno položky je dvakrát: ") + f.name);
        f.type = static_cast<char>(cp1250Upper(static_cast<unsigned char>(s.type)));
        const int fixed = fixedWidth(f.type, options.flavor);
        f.width = fixed ? fixed : s.width;
        f.decimals = s.decimals;
        switch (f.type) {
        case 'C':
            if (f.width < 1 || f.width > 254)
                throw DbfError(czech("chybná šířka položky ") + f.name);
            f.decimals = 0;
            break;
        case 'N':
        case 'F':
            if (f.width < 1 || f.width > 20)
                throw DbfError(czech("chybná šířka položky ") + f.name);
            if (f.decimals < 0 || (f.decimals > 0 && f.decimals > f.width - 2))
                throw DbfError(czech("chybný počet desetinných míst položky ") + f.name);
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
            throw DbfError(czech("neznámý typ ") + std::string(1, f.type) + czech(" položky ") +
                           f.name);
        }
        if (isBinaryType(f.type) && options.flavor != TableFlavor::VisualFoxPro)
            throw DbfError(czech("typ položky ") + std::string(1, f.type) +
                           czech(" potřebuje formát tabulky 0x30"));
        if (isMemoType(f.type)) hasMemo = true;
        f.offset = offset;
        offset += f.width;
        fields.push_back(f);
    }
    if (offset > 65535) throw DbfError(czech("záznam je příliš dlouhý"));

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
            throw DbfError(czech("tabulku používá jiný proces: ") + utf8ToCp1250(path.string()));
        if (t->exclusive_ &&
            !t->file_.lockRange(kLockBase - kMaxLockRecords, kMaxLockRecords + 1, 0))
            throw DbfError(czech("tabulku používá jiný proces: ") + utf8ToCp1250(path.string()));
    }
    t->readHeader();
    if (t->damaged_) {
        // Its whole records can be read; nothing may be written into it.
        warn(czech("Tabulka ") + displayName(path) + czech(" je poškozená (") + t->damage_ +
             czech("); otevírá se jen pro čtení."));
        if (!options.readOnly) {
            t->file_.open(path, true);
            t->exclusive_ = false;
            t->file_.lockRange(kReaderLockByte, 1, 0, true);
        }
    }
    t->openMemo();
    t->alias_ = aliasFromPath(path);
    t->buf_.assign(static_cast<std::size_t>(t->recordSize_), ' ');
    if (t->tableFlags_ & 0x01) {
        const auto cdx = t->structuralIndexPath();
        if (std::filesystem::exists(cdx)) {
            t->openCdx(cdx, true);
            // Others may have appended (records and then their keys) since the header was read.
            t->refreshCount();
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
    if (countPending_) writeHeaderCount();
    if (modified_ && !file_.readOnly()) {
        unsigned char d[3];
        putDate(d);
        file_.writeAt(1, d, 3);
    }
    saveIndexes(true);
    indexes_.clear();
    indexFiles_.clear();
    detail::forgetIndexImages(this);
    order_ = 0;
    memo_.close();
    file_.close();
}

void Table::setAlias(std::string alias) {
    alias_ = upperCase(alias);
}

void Table::readHeader() {
    std::uint64_t size = file_.size();
    const std::string name = utf8ToCp1250(path_.string());
    // A header that does not add up is refused: reading records through it would show shifted
    // bytes as data, and anything written or indexed from them would spread the damage.
    const auto refuse = [&](const std::string& why) {
        throw DbfError(czech("tabulku ") + name + czech(" nelze otevřít, je poškozená: ") + why);
    };
    unsigned char h[32];
    if (size < 32) throw DbfError(czech("není to tabulka (příliš krátký soubor): ") + name);
    file_.readExact(0, h, 32);
    // Taken again after the count: another process appending meanwhile writes its record before
    // it counts it in the header, so the size taken now holds at least the records counted.
    // Taken before, an append in between looked like a file cut short.
    size = file_.size();
    version_ = h[0];
    headerSize_ = getLe16(h + 8);
    recordSize_ = getLe16(h + 10);
    tableFlags_ = h[28];
    codePage_ = h[29];
    if (headerSize_ < 33 || recordSize_ < 1)
        throw DbfError(czech("není to tabulka (chybná hlavička): ") + name);
    if (static_cast<std::uint64_t>(headerSize_) > size)
        refuse(czech("délka hlavičky ") + std::to_string(headerSize_) +
               czech(" je větší než celý soubor"));
    headerBytes_.resize(static_cast<std::size_t>(headerSize_));
    file_.readExact(0, headerBytes_.data(), headerBytes_.size());
    fields_.clear();
    int offset = 1;
    std::size_t pos = 32;
    for (; pos + 32 <= headerBytes_.size() && headerBytes_[pos] != 0x0D; pos += 32) {
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
        if (!knownFieldType(f.type))
            refuse(czech("položka ") + f.name + czech(" má neznámý typ (kód ") +
                   std::to_string(d[11]) + ")");
        if (f.width == 0)
            throw DbfError(czech("položka ") + f.name + czech(" nemá šířku v ") + name);
        if (f.type == 'I' && f.width != 4)
            refuse(czech("celočíselná položka ") + f.name + czech(" nemá šířku 4"));
        f.offset = offset;
        offset += f.width;
        fields_.push_back(std::move(f));
        if (fields_.size() > kMaxFields) throw DbfError(czech("příliš mnoho položek v ") + name);
    }
    if (fields_.empty()) throw DbfError(czech("tabulka nemá žádné položky: ") + name);
    if (offset > recordSize_)
        throw DbfError(czech("položky se nevejdou do délky záznamu v ") + name);
    if (offset != recordSize_)
        refuse(czech("délka záznamu ") + std::to_string(recordSize_) +
               czech(" neodpovídá položkám (") + std::to_string(offset) + ")");
    const std::uint32_t stated = getLe32(h + 4);
    const std::uint64_t data = size - static_cast<std::uint64_t>(headerSize_);
    const std::uint64_t fits = data / static_cast<std::uint64_t>(recordSize_);
    // Behind the descriptors come the terminator and, in the 0x30 family, 263 bytes of backlink;
    // some programs leave a byte or a spare descriptor more. A header much longer than that is
    // believed only when the file's size agrees with it to the byte.
    const std::uint64_t padding = headerBytes_.size() - pos;
    const std::uint64_t exact = static_cast<std::uint64_t>(stated) * recordSize_;
    if (padding > kMaxHeaderPadding && data != exact && data != exact + 1)
        refuse(czech("délka hlavičky ") + std::to_string(headerSize_) + czech(" neodpovídá ") +
               std::to_string(fields_.size()) + czech(" položkám"));
    // A header that promises more records than the file holds (the file was cut short, or a
    // crash during an append by another program) is believed only as far as the data goes, and
    // the table is opened read-only (see open()).
    count_ = static_cast<std::uint32_t>(std::min<std::uint64_t>(stated, fits));
    if (stated > fits) {
        damaged_ = true;
        damage_ = czech("záznamů podle hlavičky: ") + std::to_string(stated) +
                  czech(", celých záznamů v souboru: ") + std::to_string(fits);
    }
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
        throw DbfError(czech("chybí memosoubor tabulky ") + utf8ToCp1250(path_.string()));
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
    // Nobody else appends to a table we hold alone, and our own count may be ahead of the header.
    if (exclusive_ || fileLocked_) return count_;
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
    countPending_ = false;
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
            throw DbfError(czech("nelze přečíst záznam ") + std::to_string(recno) +
                           czech(" tabulky ") + utf8ToCp1250(path_.string()));
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

void Table::flush() {
    if (!dirty_) return;
    markPendingKeyChanges();
    const std::size_t rs = static_cast<std::size_t>(recordSize_);
    const std::uint64_t at =
        static_cast<std::uint64_t>(headerSize_) + static_cast<std::uint64_t>(recno_ - 1) * rs;
    if (eofAfterFlush_) {
        // A record appended to a table held alone reaches the file here, end mark and all. The
        // end mark may move the buffer, and the current record is read through cur_.
        const bool current = cur_ == buf_.data();
        buf_.push_back('\x1A');
        file_.writeAt(at, buf_.data(), rs + 1);
        buf_.pop_back();
        if (current) cur_ = buf_.data();
        eofAfterFlush_ = false;
    } else {
        file_.writeAt(at, buf_.data(), rs);
    }
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
    if (countPending_) writeHeaderCount();
    // A shared table's key changes reach its index files at every commit (just the pages they
    // change), so that whoever opens the table next sees what was committed; a table opened
    // exclusively writes them at close.
    if (sharedWriter()) saveIndexes(true);
    if (settings().syncToDisk) file_.sync();
}

void Table::append() {
    if (file_.readOnly())
        throw DbfError(czech("tabulka je otevřena jen pro čtení: ") + utf8ToCp1250(path_.string()));
    flush();
    if (exclusive_ || fileLocked_) {
        // Nobody else appends meanwhile: the record is written by the next flush and the header's
        // count at commit, unlock or close, so a run of appends costs one write per record.
        setEofState();
        count_ += 1;
        eofAfterFlush_ = true;
        countPending_ = true;
        dirty_ = true;
        appendKeys();
        return;
    }
    markPendingKeyChanges();
    // The header byte serialises appends between processes.
    if (!file_.lockRange(kLockBase, 1, settings().lockTimeoutMs))
        throw DbfError(czech("tabulku nelze zamknout pro přidání záznamu: ") +
                       utf8ToCp1250(path_.string()));
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
        file_.unlockRange(kLockBase, 1);
        throw;
    }
    file_.unlockRange(kLockBase, 1);
    appendKeys();
}

void Table::appendKeys() {
    recno_ = count_;
    eof_ = false;
    bof_ = false;
    modified_ = true;
    for (auto& ix : indexes_) {
        if (!ix->includesCurrent()) continue;
        const std::string key = ix->keyOfCurrent();
        if (ix->keys().insert(key, recno_)) noteKeyChange(*ix, true, key);
        ix->dirty = true;
    }
    iposValid_ = false;
}

void Table::rewrite(bool keepRecords) {
    if (file_.readOnly())
        throw DbfError(czech("tabulka je otevřena jen pro čtení: ") + utf8ToCp1250(path_.string()));
    flush();
    // Other openers would keep writing to the file this one replaces: only a table nobody else
    // has open may be rewritten.
    if (!exclusive_ && !file_.lockRange(kOpenLockByte, 1, 0)) {
        file_.lockRange(kOpenLockByte, 1, 0, true);
        throw DbfError(czech("tabulku používá jiný proces: ") + utf8ToCp1250(path_.string()));
    }
    const bool hadLock = fileLocked_ || exclusive_;
    if (!hadLock && !lockFile()) {
        file_.lockRange(kOpenLockByte, 1, 0, true);
        throw DbfError(czech("tabulku používá jiný proces: ") + utf8ToCp1250(path_.string()));
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
            ProgressTask progress(count_);
            for (std::uint32_t first = 1; first <= count_; first += per) {
                const std::uint32_t n = std::min(per, count_ - first + 1);
                progress.step(first - 1);
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
            progress.finish();
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

} // namespace vorlan::dbf
