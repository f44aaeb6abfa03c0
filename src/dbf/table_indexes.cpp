// Index orders of a table: creating, opening and closing them, keeping their keys in step with
// the records, sharing their files with other processes, seeking, scopes and direction.

#include "dbf/table.h"

#include "core/cp1250.h"
#include "dbf/cdx.h"
#include "dbf/cdx_pages.h"
#include "dbf/cdx_writers.h"
#include "dbf/ntx_pages.h"
#include "dbf/settings.h"
#include "dbf/table_internal.h"
#include "dbf/warnings.h"
#include "dbf/xbase_text.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>

namespace vorlan::dbf {

using detail::kIndexLockByte;
using detail::kOpenLockByte;
using detail::kReaderLockByte;
using detail::siblingWithExtension;

void Table::updateIndexes() {
    for (auto& ix : indexes_) {
        setEvalImage(orig_.data(), recno_);
        const bool oldIn = ix->includesCurrent();
        const std::string oldKey = oldIn ? ix->keyOfCurrent() : std::string();
        setEvalImage(nullptr);
        const bool newIn = ix->includesCurrent();
        const std::string newKey = newIn ? ix->keyOfCurrent() : std::string();
        if (oldIn == newIn && oldKey == newKey) continue;
        // The removal goes to the journal even when our keys lack it: another process may have
        // written that key since we last read its file.
        if (oldIn) {
            ix->keys().erase(oldKey, recno_);
            noteKeyChange(*ix, false, oldKey);
        }
        if (newIn && ix->keys().insert(newKey, recno_)) noteKeyChange(*ix, true, newKey);
        ix->dirty = true;
    }
    iposValid_ = false;
}

// Indexes

Index& Table::createIndex(const std::filesystem::path& path, const std::string& keyExpr,
                          const IndexOptions& options) {
    checkIndexable();
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
        Index& first = *openCdx(path, false);
        const std::string tag = first.tagName();
        refreshCount();
        repairStaleOrders();
        if (order_ == 0) setOrder(orderOf(tag));
        return *indexes_[static_cast<std::size_t>(orderOf(tag) - 1)];
    }
    if (ext == ".NSX" || ext == ".MDX")
        throw DbfError(czech("typ indexu ") + ext + czech(" není podporován: ") +
                       displayName(path));
    auto ix = std::make_unique<Index>(*this, path, ext == ".IDX" ? IndexKind::Idx : IndexKind::Ntx);
    bool damaged = false;
    try {
        openSingleOrder(*ix);
    } catch (const IndexDamage&) {
        damaged = true;
    }
    indexes_.push_back(std::move(ix));
    if (damaged && !rebuildDamaged({indexes_.back().get()}, path)) {
        indexes_.pop_back();
        throw DbfError(czech("index je poškozený: ") + displayName(path));
    }
    refreshCount();
    repairStaleOrders();
    if (order_ == 0) setOrder(static_cast<int>(indexes_.size()));
    return *indexes_.back();
}

void Table::closeIndexes() {
    flush();
    saveIndexes(true);
    indexes_.clear();
    indexFiles_.clear();
    detail::forgetIndexImages(this);
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

void Table::checkIndexable() const {
    if (damaged_)
        throw DbfError(czech("tabulka je poškozená, index z ní nelze vytvořit: ") +
                       displayName(path_));
}

void Table::reindex() {
    checkIndexable();
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
    // Every record has a key in an order without a FOR condition that is not unique, and no order
    // points past the last record. Fewer keys than records is what a writer leaves that stopped
    // before it wrote the index, but only when nobody else has the table open: otherwise it is
    // an append whose commit (which writes its keys) is still to come.
    std::vector<std::filesystem::path> files;
    std::vector<Index*> stale;
    // Records only grow between packs (which replace the index file), so keys read before the
    // count are judged against the count as it is now: others' appends are no damage.
    refreshCount();
    for (auto& ix : indexes_) {
        const KeyList& keys = ix->keys();
        bool wrong = keys.size() > count_ || keys.maxRecord() > count_;
        bool shortfall = ix->forExpr().empty() && !ix->unique() && keys.size() < count_;
        // A rebuild here would also take records whose keys their writer is about to commit.
        if (!wrong && (!shortfall || othersHaveTable())) continue;
        stale.push_back(ix.get());
        if (std::find(files.begin(), files.end(), ix->path()) == files.end())
            files.push_back(ix->path());
    }
    if (stale.empty()) return;
    if (damaged_) {
        // Records that failed their checks are no ground for keys: such orders are not used.
        for (const auto& p : files)
            warn(czech("Index ") + displayName(p) +
                 czech(" nesouhlasí s tabulkou a tabulka je poškozená; otevírá se bez indexu."));
        std::erase_if(indexes_, [&](const std::unique_ptr<Index>& ix) {
            return std::find(stale.begin(), stale.end(), ix.get()) != stale.end();
        });
        order_ = 0;
        iposValid_ = false;
        return;
    }
    for (const auto& p : files)
        warn(czech("Index ") + displayName(p) +
             czech(" nesouhlasí s tabulkou; jeho klíče byly znovu vytvořeny z tabulky."));
    // Rebuilt and written under the table's index lock from the records counted under it, so
    // that keys others commit meanwhile are not written over; their later changes are merged
    // into the new file as usual.
    rebuildFromRecords(stale, path_);
    if (!file_.readOnly() && !sharedWriter()) saveIndexes(true);
}

void Table::noteKeyChange(Index& ix, bool add, const std::string& key) {
    if (sharedWriter() && !ix.rebuilt) ix.journal.push_back({add, key, recno_});
}

File& Table::indexHandle(const std::filesystem::path& path) {
    auto it = indexFiles_.find(path);
    const FileStamp now = stampOf(path);
    if (it != indexFiles_.end() && it->second.inode == now.inode && it->second.file.isOpen())
        return it->second.file;
    IndexHandle& h = indexFiles_[path];
    // Closing the old file also ends our locks on it, the writer slot's among them.
    h.file.close();
    h.writerSlot = -1;
    h.imageExact = false;
    try {
        h.file.open(path, file_.readOnly());
    } catch (const DbfError&) {
        // An index file we may not write is still read (and then rewritten whole if need be).
        h.file.open(path, true);
    }
    // Pages are read and written one by one: no read-ahead, and small pieces of the page cache.
    h.file.adviseRandomAccess();
    h.inode = now.inode;
    return h.file;
}

namespace {

// Holds the lock of an index file for a scope: shared for reading, exclusive for changing.
class IndexFileLock {
public:
    IndexFileLock(File& f, bool shared) : f_(f) {
        if (!f_.lockRange(kIndexFileLock, 1, std::max(settings().lockTimeoutMs, 10000),
                          shared || f_.readOnly()))
            throw DbfError(czech("nelze zamknout indexový soubor ") +
                           utf8ToCp1250(f_.path().string()));
    }
    ~IndexFileLock() { f_.unlockRange(kIndexFileLock, 1); }
    IndexFileLock(const IndexFileLock&) = delete;
    IndexFileLock& operator=(const IndexFileLock&) = delete;

private:
    File& f_;
};

// The sharing state sits in other header bytes of .NTX files (ntx_pages.h) than of compound and
// compact ones (cdx_pages.h, cdx_writers.h).
std::uint32_t counterIn(std::string_view bytes, IndexKind kind = IndexKind::Cdx) {
    const auto* h = reinterpret_cast<const unsigned char*>(bytes.data());
    if (kind == IndexKind::Ntx) return bytes.size() >= kNtxPage ? ntxCounter(h) : 0;
    return bytes.size() >= 32 ? getLe32(h + kCdxCounterOffset) : 0;
}

bool busyIn(std::string_view bytes, IndexKind kind = IndexKind::Cdx) {
    if (kind == IndexKind::Ntx) return bytes.size() >= kNtxPage && bytes[kNtxBusyOffset] != 0;
    return bytes.size() >= 32 && bytes[kCdxBusyOffset] != 0;
}

std::uint64_t writerBitsOffset(IndexKind kind) {
    return kind == IndexKind::Ntx ? kNtxWriterBitsOffset : kCdxWriterBitsOffset;
}

std::size_t indexHeaderSize(IndexKind kind) {
    return kind == IndexKind::Ntx ? kNtxPage : 512;
}

} // namespace

std::string Table::readIndexFile(const std::filesystem::path& path, bool* deadWriter,
                                 IndexKind kind) {
    // A writer that rewrites the whole file renames the new one over the old while we wait for
    // the lock: the lock we then get is the old file's, whose pages that writer may have left
    // half-changed. Read the file the name gives now instead.
    for (int attempt = 1;; ++attempt) {
        File& f = indexHandle(path);
        IndexFileLock lock(f, true);
        if (attempt < 8 && stampOf(path).inode != indexFiles_[path].inode) continue;
        return readLockedIndexFile(f, path, deadWriter, kind);
    }
}

std::string Table::readLockedIndexFile(File& f, const std::filesystem::path& path, bool* deadWriter,
                                       IndexKind kind) {
    const std::uint64_t size = f.size();
    if (size > (std::uint64_t{1} << 32))
        throw DbfError(czech("indexový soubor je příliš velký: ") + displayName(path));
    std::string& bytes = detail::indexImage(this, path);
    bytes.assign(static_cast<std::size_t>(size), '\0');
    f.readExact(0, bytes.data(), bytes.size());
    indexFiles_[path].imageExact = true;
    if (deadWriter)
        *deadWriter = bytes.size() >= indexHeaderSize(kind) &&
                      deadWriterIn(f,
                                   reinterpret_cast<const unsigned char*>(bytes.data()) +
                                       writerBitsOffset(kind),
                                   indexFiles_[path].writerSlot);
    return bytes;
}

void Table::markPendingKeyChanges() {
    if (file_.readOnly()) return;
    std::vector<std::filesystem::path> leftovers;
    for (auto& ix : indexes_) {
        // Looked up without a stat: this runs before every record write.
        if (auto known = indexFiles_.find(ix->path());
            known != indexFiles_.end() && known->second.writerSlot >= 0)
            continue;
        File& f = indexHandle(ix->path());
        IndexHandle& h = indexFiles_[ix->path()];
        if (h.writerSlot >= 0 || f.readOnly()) continue;
        WriterSlot claimed;
        {
            IndexFileLock lock(f, false);
            claimed = claimWriterSlot(f, writerBitsOffset(ix->kind()));
        }
        // With every slot taken the change goes unmarked: a crash is then noticed only by the
        // key count.
        h.writerSlot = claimed.slot;
        h.ntx = ix->kind() == IndexKind::Ntx;
        if (claimed.leftover &&
            std::find(leftovers.begin(), leftovers.end(), ix->path()) == leftovers.end())
            leftovers.push_back(ix->path());
    }
    for (const auto& path : leftovers) {
        std::vector<Index*> mine;
        for (auto& ix : indexes_)
            if (ix->path() == path) mine.push_back(ix.get());
        warn(czech("Index ") + displayName(path) +
             czech(" nemá zapsané změny procesu, který skončil uprostřed práce; jeho klíče byly "
                   "znovu vytvořeny z tabulky."));
        rebuildFromRecords(mine, path);
    }
}

void Table::rebuildFromRecords(const std::vector<Index*>& orders,
                               const std::filesystem::path& path) {
    // Others commit keys of their appends meanwhile: the records are counted and read, and the
    // file written, while nobody else writes keys, so none of theirs is lost.
    const bool locking = sharedWriter() && !savingIndexes_;
    if (locking && !file_.lockRange(kIndexLockByte, 1, std::max(settings().lockTimeoutMs, 10000)))
        throw DbfError(czech("nelze zamknout indexy tabulky ") + displayName(path_));
    try {
        refreshCount();
        for (Index* ix : orders) {
            ix->rebuild();
            // A read-only open cannot write the file; it works with the rebuilt keys meanwhile.
            if (file_.readOnly()) ix->dirty = false;
        }
        if (locking) saveIndexes(true);
    } catch (...) {
        if (locking) file_.unlockRange(kIndexLockByte, 1);
        throw;
    }
    if (locking) file_.unlockRange(kIndexLockByte, 1);
}

namespace detail {
namespace {

std::mutex& imagesGuard() {
    static std::mutex m;
    return m;
}

std::map<std::pair<const Table*, std::filesystem::path>, std::string>& images() {
    static std::map<std::pair<const Table*, std::filesystem::path>, std::string> all;
    return all;
}

} // namespace

std::string& indexImage(const Table* table, const std::filesystem::path& path) {
    std::lock_guard lock(imagesGuard());
    return images()[{table, path}];
}

std::string* findIndexImage(const Table* table, const std::filesystem::path& path) {
    std::lock_guard lock(imagesGuard());
    auto it = images().find({table, path});
    return it == images().end() ? nullptr : &it->second;
}

void forgetIndexImages(const Table* table, const std::filesystem::path* path) {
    std::lock_guard lock(imagesGuard());
    std::erase_if(images(), [&](const auto& entry) {
        return entry.first.first == table && (!path || entry.first.second == *path);
    });
}

} // namespace detail

namespace {

// The pages of the file as it is now (`whole`) that differ from our image of it, as items of the
// tags whose leaves they are; false when the file cannot be compared so. For a log that no longer
// reaches back to us: comparing bytes is far cheaper than decoding every key again, and it is
// sound because writers keeping the log never move a page from one tag to another.
bool changedPagesByComparing(File& f, const std::vector<Index*>& mine, const std::string& img,
                             std::string& whole, std::vector<CdxChangeLog::Item>& items) {
    const std::uint64_t size = f.size();
    if (size > (std::uint64_t{1} << 32) || size < 512) return false;
    // The image becomes this string: room to grow, as there.
    whole.reserve(static_cast<std::size_t>(size + size / 8 + 65536));
    whole.assign(static_cast<std::size_t>(size), '\0');
    f.readExact(0, whole.data(), whole.size());
    std::vector<std::uint32_t> changed;
    for (std::size_t p = 512; p + 512 <= whole.size(); p += 512)
        if (p + 512 > img.size() || std::memcmp(img.data() + p, whole.data() + p, 512) != 0)
            changed.push_back(static_cast<std::uint32_t>(p));
    std::vector<std::uint32_t> leaves;
    for (Index* ix : mine) {
        // Every page of the order now: a page that held its keys in our image is one of them,
        // as a leaf, an interior node (a leaf freed and taken again) or a free page. Pages never
        // pass to another order, and none leaves a tree but for its order's free list.
        if (!cdxNodePages(whole, ix->cdxOffset, ix->keyLength(), leaves)) return false;
        for (const auto page : cdxFreePages(whole, ix->cdxOffset))
            leaves.push_back(page);
        for (const auto page : leaves)
            if (std::binary_search(changed.begin(), changed.end(), page))
                items.push_back({0, page, ix->cdxOffset});
    }
    return true;
}

// Brings the tags of a compound file from the counter they know up to the file's, from just the
// pages other writers changed (listed in the file's change log, or else found by comparing the
// file with our image of it); false when the file must be read whole. Runs under the file's
// shared lock.
bool refreshFromChangedPages(File& f, const std::vector<Index*>& mine, std::string& img,
                             bool& exact) {
    const std::uint32_t known = mine.front()->counter;
    for (Index* ix : mine)
        if (ix->counter != known || (ix->kind() == IndexKind::Cdx && ix->cdxOffset == 0))
            return false;
    unsigned char h[512];
    if (img.size() < 512 || f.readAt(0, h, sizeof h) != sizeof h) return false;
    if (h[kCdxBusyOffset] != 0) return false;
    const std::uint32_t counter = getLe32(h + kCdxCounterOffset);
    // No log (a file written whole since), or one that disagrees with the counter: a program that
    // does not keep it changed the file.
    const std::uint32_t region = cdxLogRegion(h, f.size());
    if (region == 0) return false;
    std::vector<unsigned char> logBytes(kCdxLogSize);
    f.readExact(region, logBytes.data(), logBytes.size());
    const CdxChangeLog log = CdxChangeLog::read(logBytes.data());
    std::vector<CdxChangeLog::Item> items;
    if (log.counter != counter) return false;
    std::string whole;
    if (!log.since(known, items)) {
        items.clear();
        if (!changedPagesByComparing(f, mine, img, whole, items)) return false;
    }
    std::sort(items.begin(), items.end(), [](const auto& a, const auto& b) {
        return a.tag != b.tag ? a.tag < b.tag : a.page < b.page;
    });
    items.erase(std::unique(items.begin(), items.end(),
                            [](const auto& a, const auto& b) {
                                return a.tag == b.tag && a.page == b.page;
                            }),
                items.end());
    const std::uint64_t size = f.size();
    // Every changed page is read first: what a tag lost and gained is what differs between its
    // old and new pages together, whichever leaf a key moved to in a split.
    std::vector<std::string> fresh;
    for (const auto& item : items) {
        if (item.page % 512 != 0 || item.page + 512u > size) return false;
        if (!whole.empty()) {
            fresh.push_back(whole.substr(item.page, 512));
            continue;
        }
        std::string page(512, '\0');
        f.readExact(item.page, page.data(), page.size());
        fresh.push_back(std::move(page));
    }
    using Entries = std::vector<std::pair<std::string, std::uint32_t>>;
    for (std::size_t i = 0; i < items.size();) {
        const std::uint32_t tag = items[i].tag;
        Index* ix = nullptr;
        for (Index* candidate : mine)
            if (candidate->cdxOffset == tag) ix = candidate;
        Entries before, after;
        for (; i < items.size() && items[i].tag == tag; ++i) {
            const std::uint32_t page = items[i].page;
            if (!ix || page == tag) continue; // a tag header: its new root pointer holds no keys
            if (page + 512u <= img.size())
                decodeCdxLeaf(reinterpret_cast<const unsigned char*>(img.data()) + page,
                              ix->keyLength(), ix->padByte(), before);
            decodeCdxLeaf(reinterpret_cast<const unsigned char*>(fresh[i].data()), ix->keyLength(),
                          ix->padByte(), after);
        }
        if (!ix) continue;
        std::sort(before.begin(), before.end());
        std::sort(after.begin(), after.end());
        Entries gone, added;
        std::set_difference(before.begin(), before.end(), after.begin(), after.end(),
                            std::back_inserter(gone));
        std::set_difference(after.begin(), after.end(), before.begin(), before.end(),
                            std::back_inserter(added));
        KeyList& keys = ix->keys();
        for (const auto& [key, rec] : gone)
            keys.erase(key, rec);
        for (const auto& [key, rec] : added)
            if (keys.find(key, rec) == KeyList::npos) keys.insert(key, rec);
        // Our own changes not yet written stay on top of what the others wrote.
        ix->replayJournal();
    }
    exact = !whole.empty();
    if (exact) {
        img = std::move(whole);
    } else {
        for (std::size_t i = 0; i < items.size(); ++i) {
            const std::uint32_t page = items[i].page;
            if (img.size() < page + 512u) img.resize(page + 512u, '\0');
            img.replace(page, 512, fresh[i]);
        }
    }
    img.replace(0, 512, reinterpret_cast<const char*>(h), 512);
    for (Index* ix : mine)
        ix->counter = counter;
    return true;
}

// Brings the order of an .NTX file from the counter it knows up to the file's, from just the
// pages other writers changed as the file's change log lists them, or (a log that no longer
// reaches back to us) as comparing the file with our exact image finds them; false when the file
// must be read and decoded whole. Every page a writer changes is listed (interior pages hold
// entries too, and a freed page now holds none), and writers keeping the log change no page but
// those and the log's own, so what the order lost and gained is what differs between the changed
// pages in our image and in the file. Runs under the file's shared lock.
bool refreshNtxFromChangedPages(File& f, Index& ix, std::string& img, bool exact) {
    unsigned char h[kNtxPage];
    if (img.size() < kNtxPage || f.readAt(0, h, sizeof h) != sizeof h) return false;
    if (h[kNtxBusyOffset] != 0) return false;
    const std::uint32_t counter = ntxCounter(h);
    const std::uint64_t size = f.size();
    const std::uint32_t region = ntxLogRegion(h, size);
    if (region == 0) return false;
    std::vector<unsigned char> logBytes(kCdxLogSize);
    f.readExact(region, logBytes.data(), logBytes.size());
    const CdxChangeLog log = CdxChangeLog::read(logBytes.data());
    std::vector<CdxChangeLog::Item> items;
    if (log.counter != counter) return false;
    std::vector<std::uint32_t> pages;
    std::string whole;
    if (log.since(ix.counter, items)) {
        for (const auto& item : items)
            pages.push_back(item.page);
        std::sort(pages.begin(), pages.end());
        pages.erase(std::unique(pages.begin(), pages.end()), pages.end());
    } else {
        if (!exact || size > (std::uint64_t{1} << 32)) return false;
        // The image becomes this string: room to grow, as there.
        whole.reserve(static_cast<std::size_t>(size + size / 8 + 65536));
        whole.assign(static_cast<std::size_t>(size), '\0');
        f.readExact(0, whole.data(), whole.size());
        for (std::uint32_t p = kNtxPage; p + std::uint64_t{kNtxPage} <= size; p += kNtxPage) {
            if (p >= region && p < region + kCdxLogSize) continue;
            if (p + kNtxPage > img.size() ||
                std::memcmp(img.data() + p, whole.data() + p, kNtxPage))
                pages.push_back(p);
        }
    }
    NtxLayout layout;
    try {
        layout = NtxLayout::of(h);
    } catch (const DbfError&) {
        return false;
    }
    using Entries = std::vector<std::pair<std::string, std::uint32_t>>;
    Entries before, after;
    std::vector<std::string> fresh;
    for (const auto page : pages) {
        if (page % kNtxPage != 0 || page < kNtxPage || page + kNtxPage > size) return false;
        std::string bytes(kNtxPage, '\0');
        if (whole.empty())
            f.readExact(page, bytes.data(), bytes.size());
        else
            bytes.assign(whole, page, kNtxPage);
        if (page + kNtxPage <= img.size() &&
            !decodeNtxPage(reinterpret_cast<const unsigned char*>(img.data()) + page, layout,
                           before))
            return false;
        if (!decodeNtxPage(reinterpret_cast<const unsigned char*>(bytes.data()), layout, after))
            return false;
        fresh.push_back(std::move(bytes));
    }
    std::sort(before.begin(), before.end());
    std::sort(after.begin(), after.end());
    Entries gone, added;
    std::set_difference(before.begin(), before.end(), after.begin(), after.end(),
                        std::back_inserter(gone));
    std::set_difference(after.begin(), after.end(), before.begin(), before.end(),
                        std::back_inserter(added));
    KeyList& keys = ix.keys();
    for (const auto& [key, rec] : gone)
        keys.erase(key, rec);
    for (const auto& [key, rec] : added)
        if (keys.find(key, rec) == KeyList::npos) keys.insert(key, rec);
    // Our own changes not yet written stay on top of what the others wrote.
    ix.replayJournal();
    if (!whole.empty()) {
        img = std::move(whole);
    } else {
        // The log lists every page changed but its own region's: the image stays as exact as it
        // was.
        for (std::size_t i = 0; i < pages.size(); ++i) {
            if (img.size() < pages[i] + kNtxPage) img.resize(pages[i] + kNtxPage, '\0');
            img.replace(pages[i], kNtxPage, fresh[i]);
        }
    }
    img.replace(0, kNtxPage, reinterpret_cast<const char*>(h), kNtxPage);
    ix.counter = counter;
    return true;
}

} // namespace

void Table::reloadIndexFile(const std::filesystem::path& path) {
    std::vector<Index*> mine;
    for (auto& ix : indexes_)
        if (ix->path() == path && !ix->rebuilt) mine.push_back(ix.get());
    if (mine.empty()) return;
    const IndexKind kind = mine.front()->kind();
    std::string* image = detail::findIndexImage(this, path);
    if (image && stampOf(path).inode == mine.front()->stamp.inode) {
        File& f = indexHandle(path);
        IndexFileLock lock(f, true);
        unsigned char bits[3];
        // Renamed over while we waited for the lock: the whole file is read below.
        const bool replaced = stampOf(path).inode != indexFiles_[path].inode;
        const bool dead = !replaced && f.readAt(writerBitsOffset(kind), bits, 3) == 3 &&
                          deadWriterIn(f, bits, indexFiles_[path].writerSlot);
        if (!replaced && !dead &&
            (kind == IndexKind::Ntx
                 ? refreshNtxFromChangedPages(f, *mine.front(), *image,
                                              indexFiles_[path].imageExact)
                 : refreshFromChangedPages(f, mine, *image, indexFiles_[path].imageExact))) {
            iposValid_ = false;
            refreshCount();
            return;
        }
    }
    bool deadWriter = false;
    const std::string bytes = readIndexFile(path, &deadWriter, kind);
    const FileStamp now = stampOf(path);
    if (busyIn(bytes, kind) || deadWriter) {
        // Nobody changes pages or marks while we hold the file's lock: a writer stopped
        // half-way through writing pages, or died before it wrote its key changes.
        warn(czech("Index ") + displayName(path) +
             czech(" zůstal po přerušeném zápisu nedokončený; jeho klíče byly znovu vytvořeny "
                   "z tabulky."));
        for (Index* ix : mine) {
            ix->stamp = now;
            ix->counter = counterIn(bytes, kind);
        }
        rebuildFromRecords(mine, path);
        iposValid_ = false;
        return;
    }
    if (kind != IndexKind::Cdx) {
        Index& ix = *mine.front();
        if (kind == IndexKind::Ntx)
            ix.loadNtxBytes(bytes);
        else
            ix.loadIdxBytes(bytes);
        ix.replayJournal();
        ix.stamp = now;
        ix.counter = counterIn(bytes, kind);
        iposValid_ = false;
        refreshCount();
        return;
    }
    const auto tags = readCdxDirectory(bytes);
    for (Index* ix : mine) {
        for (const auto& t : tags) {
            if (t.name != ix->tagName()) continue;
            readCdxTag(bytes, t.offset, ix->padByte(), ix->keys());
            ix->replayJournal();
            ix->cdxOffset = t.offset;
            break;
        }
        ix->stamp = now;
        ix->counter = counterIn(bytes);
    }
    iposValid_ = false;
    // The other process's keys may point past the records we know of.
    refreshCount();
}

bool Table::indexFileChanged(const Index& ix) {
    const FileStamp now = stampOf(ix.path());
    if (now.inode == 0) return false;
    // Files are changed in place: a new file (rewritten whole) or a new counter.
    if (now.inode != ix.stamp.inode || now.device != ix.stamp.device) return true;
    // The file we hold open when it is the one the name gives (no second look at the name).
    auto known = indexFiles_.find(ix.path());
    File& f = known != indexFiles_.end() && known->second.inode == now.inode &&
                      known->second.file.isOpen()
                  ? known->second.file
                  : indexHandle(ix.path());
    if (ix.kind() == IndexKind::Ntx) {
        // One read of the header page: counter and marks are far apart in it.
        unsigned char page[kNtxPage];
        if (f.readAt(0, page, sizeof page) != sizeof page) return true;
        if (ntxCounter(page) != ix.counter) return true;
        return sharedWriter() &&
               deadWriterIn(f, page + kNtxWriterBitsOffset, indexFiles_[ix.path()].writerSlot);
    }
    unsigned char h[12];
    if (f.readAt(kCdxCounterOffset, h, sizeof h) != sizeof h) return true;
    if (getLe32(h) != ix.counter) return true;
    // A writer's mark with nobody holding it: a writer died with key changes unwritten. Read-only
    // opens notice it when the file changes next, rather than rebuilding at every seek.
    return sharedWriter() && deadWriterIn(f, h + (kCdxWriterBitsOffset - kCdxCounterOffset),
                                          indexFiles_[ix.path()].writerSlot);
}

void Table::refreshIndexes() {
    if (exclusive_) return;
    std::vector<std::filesystem::path> seen;
    for (auto& ix : indexes_) {
        if (std::find(seen.begin(), seen.end(), ix->path()) != seen.end()) continue;
        seen.push_back(ix->path());
        try {
            if (!indexFileChanged(*ix)) continue;
            reloadIndexFile(ix->path());
            // Reading a file takes its state as clean: our own key changes replayed over it
            // still have to be written.
            for (auto& other : indexes_)
                if (other->path() == ix->path() && !other->journal.empty()) other->dirty = true;
        } catch (const DbfError&) {
            // Caught half-way through another process's rename, or damaged: keep what we have;
            // the next refresh or save reads it again.
        }
    }
}

bool Table::saveCdxPages(const std::filesystem::path& path) {
    std::vector<Index*> tags;
    std::size_t changes = 0, keys = 0;
    for (auto& ix : indexes_) {
        if (ix->kind() == IndexKind::Ntx || ix->path() != path) continue;
        if (ix->rebuilt || (ix->kind() == IndexKind::Cdx && ix->cdxOffset == 0)) return false;
        tags.push_back(ix.get());
        changes += ix->journal.size();
        keys += ix->keys().size();
    }
    // Many changes (a long run of appends alone) are cheaper as one bulk build.
    if (tags.empty() || changes > 4096 + keys / 8) return false;
    File& f = indexHandle(path);
    // The handle is of the file the name gives now (indexHandle looked).
    if (f.readOnly() || indexFiles_[path].inode != tags.front()->stamp.inode) return false;
    IndexFileLock lock(f, false);
    unsigned char h[512];
    f.readExact(0, h, sizeof h);
    // Nobody else changes the size while we hold the lock.
    const std::uint64_t size = f.size();
    const std::uint32_t counter = getLe32(h + kCdxCounterOffset);
    if (h[kCdxBusyOffset] != 0 || counter != tags.front()->counter) return false;
    // The change log's region, made at the end of the file by the first writer after the file was
    // written whole; its log starts with this change.
    std::vector<unsigned char> logBytes(kCdxLogSize, 0);
    std::uint32_t region = cdxLogRegion(h, size);
    std::uint64_t newSize = size;
    if (region == 0) {
        const std::uint64_t end = (size + 511) / 512 * 512;
        if (end + kCdxLogSize > 0xFFFFFE00u) return false;
        region = static_cast<std::uint32_t>(end);
        newSize = end + kCdxLogSize;
        f.writeAt(region, logBytes.data(), logBytes.size());
        setCdxLogRegion(h, region);
        f.writeAt(kCdxLogRefOffset, h + kCdxLogRefOffset, 8);
    } else {
        f.readExact(region, logBytes.data(), logBytes.size());
    }
    IndexHandle& handle = indexFiles_[path];
    // A writer holding its mark is recognised by it if it dies half-way; without one (every slot
    // taken) the busy byte says so.
    const bool marked =
        handle.writerSlot >= 0 &&
        ((h[kCdxWriterBitsOffset + static_cast<std::size_t>(handle.writerSlot) / 8] >>
          (handle.writerSlot % 8)) &
         1) != 0;
    const unsigned char busy = 1, idle = 0;
    if (!marked) f.writeAt(kCdxBusyOffset, &busy, 1);
    // Pages written (for our own image) and the leaves among them (for the change log: other
    // processes need only those to follow the keys; a short log reaches back further).
    std::vector<std::pair<std::uint32_t, std::uint32_t>> leaves;
    std::vector<std::unique_ptr<CdxPageEditor>> editors;
    std::map<std::uint32_t, const unsigned char*> pages;
    try {
        for (Index* ix : tags) {
            auto& editor = *editors.emplace_back(std::make_unique<CdxPageEditor>(
                f, ix->cdxOffset, ix->keyLength(), ix->descending(), ix->padByte(), newSize));
            if (editors.size() > 1) editor.allocateFrom(editors[editors.size() - 2]->end());
            // Nobody else changed the file since we read it whole or wrote it (the counter is
            // ours): the pages on a key's path are in our image.
            if (handle.imageExact) editor.readPagesFrom(detail::findIndexImage(this, path));
            for (const auto& c : ix->journal) {
                if (c.add)
                    editor.insert(c.key, c.rec);
                else
                    editor.erase(c.key, c.rec);
            }
            editor.takeChangedPages(pages);
            for (const auto page : editor.leavesWritten())
                leaves.emplace_back(page, ix->cdxOffset);
        }
    } catch (const DbfError&) {
        // A tree this editor cannot change (another program's layout): the whole file is written
        // from our keys instead. Nothing of the change has reached the file yet; the busy byte
        // (or our mark) goes with the old file.
        saveWhole(path);
        return true;
    }
    CdxChangeLog log = CdxChangeLog::read(logBytes.data());
    log.add(counter + 1, leaves);
    log.write(logBytes.data());
    // The changed pages and the log in as few writes as their places allow: while they are
    // written, our mark (or the busy byte) tells that the file is being changed, so their order
    // does not matter.
    for (std::size_t at = 0; at < kCdxLogSize; at += kCdxPage)
        pages[region + static_cast<std::uint32_t>(at)] = logBytes.data() + at;
    writePageRuns(f, pages);
    // The new counter, the busy byte cleared and our writer mark gone (our key changes are in the
    // file now), in one write of header bytes 8..19 after everything else; 12..15 stay as they
    // are, and so do the bytes 8..19 of a header page among the pages written (a compact file's).
    static_assert(kCdxBusyOffset == kCdxCounterOffset + 8 &&
                  kCdxWriterBitsOffset == kCdxBusyOffset + 1);
    unsigned char state[12];
    putLe32(state, counter + 1);
    std::memcpy(state + 4, h + kCdxCounterOffset + 4, 4);
    state[8] = idle;
    std::memcpy(state + 9, h + kCdxWriterBitsOffset, 3);
    releaseWriterSlot(f, handle.writerSlot, state + 9);
    handle.writerSlot = -1;
    f.writeAt(kCdxCounterOffset, state, sizeof state);
    // Our image follows our own changes, so that later changes by others are told apart from
    // ours.
    if (std::string* image = detail::findIndexImage(this, path)) {
        if (!pages.empty()) newSize = std::max<std::uint64_t>(newSize, pages.rbegin()->first + 512);
        const auto grown = static_cast<std::size_t>(newSize);
        // Room to grow, so that appends that add a page at a time do not copy the image each time.
        if (image->capacity() < grown) image->reserve(grown + grown / 8 + 65536);
        if (image->size() < grown) image->resize(grown, '\0');
        for (const auto& [page, bytes] : pages)
            if (page + kCdxPage <= image->size())
                std::memcpy(image->data() + page, bytes, kCdxPage);
        f.readExact(0, image->data(), 512);
    }
    if (settings().syncToDisk) f.sync();
    for (Index* ix : tags) {
        ix->journal.clear();
        ix->dirty = false;
        ix->counter = counter + 1;
    }
    return true;
}

bool Table::saveNtxPages(Index& ix) {
    const std::filesystem::path& path = ix.path();
    // Many changes (a long run of appends alone) are cheaper as one bulk build.
    if (ix.rebuilt || ix.journal.size() > 4096 + ix.keys().size() / 8) return false;
    File& f = indexHandle(path);
    // The handle is of the file the name gives now (indexHandle looked).
    if (f.readOnly() || indexFiles_[path].inode != ix.stamp.inode) return false;
    IndexFileLock lock(f, false);
    unsigned char h[kNtxPage];
    f.readExact(0, h, sizeof h);
    // Nobody else changes the size while we hold the lock.
    const std::uint64_t size = f.size();
    const std::uint32_t counter = ntxCounter(h);
    if (h[kNtxBusyOffset] != 0 || counter != ix.counter) return false;
    // The change log's region, made at the end of the file by the first writer after the file was
    // written whole; its log starts with this change.
    std::vector<unsigned char> logBytes(kCdxLogSize, 0);
    std::uint32_t region = ntxLogRegion(h, size);
    std::uint64_t newSize = size;
    if (region == 0) {
        const std::uint64_t end = (size + kNtxPage - 1) / kNtxPage * kNtxPage;
        if (end + kCdxLogSize > 0xFFFFF000u) return false;
        region = static_cast<std::uint32_t>(end);
        newSize = end + kCdxLogSize;
        f.writeAt(region, logBytes.data(), logBytes.size());
        setNtxLogRegion(h, region);
    } else {
        f.readExact(region, logBytes.data(), logBytes.size());
    }
    IndexHandle& handle = indexFiles_[path];
    // A writer holding its mark is recognised by it if it dies half-way; without one (every slot
    // taken) the busy byte says so.
    const bool marked =
        handle.writerSlot >= 0 &&
        ((h[kNtxWriterBitsOffset + static_cast<std::size_t>(handle.writerSlot) / 8] >>
          (handle.writerSlot % 8)) &
         1) != 0;
    const unsigned char busy = 1;
    if (!marked) f.writeAt(kNtxBusyOffset, &busy, 1);
    std::map<std::uint32_t, const unsigned char*> pages;
    std::optional<NtxPageEditor> editor;
    try {
        editor.emplace(f, h, ix.descending(), newSize);
        // Nobody else changed the file since we read it whole or wrote it (the counter is ours):
        // the pages on a key's path are in our image.
        if (handle.imageExact) editor->readPagesFrom(detail::findIndexImage(this, path));
        // A removal of a key the file does not hold (a record another process appended and has
        // not committed yet) leaves nothing to do.
        for (const auto& c : ix.journal) {
            if (c.add)
                editor->insert(c.key, c.rec);
            else
                editor->erase(c.key, c.rec);
        }
        editor->takeChangedPages(pages);
    } catch (const DbfError&) {
        // A tree this editor cannot change (another program's layout): the whole file is written
        // from our keys instead. Nothing of the change has reached the file yet; the busy byte
        // (or our mark) goes with the old file.
        saveWhole(path);
        return true;
    }
    CdxChangeLog log = CdxChangeLog::read(logBytes.data());
    std::vector<std::pair<std::uint32_t, std::uint32_t>> listed;
    for (const auto& entry : pages)
        listed.emplace_back(entry.first, 0);
    log.add(counter + 1, listed);
    log.write(logBytes.data());
    for (std::size_t at = 0; at < kCdxLogSize; at += kNtxPage)
        pages[region + static_cast<std::uint32_t>(at)] = logBytes.data() + at;
    writePageRuns(f, pages, kNtxPage);
    // Last, the header in one write: the new root and free list, the counter incremented, the
    // busy byte cleared and our writer mark gone (our key changes are in the file now).
    unsigned char out[kNtxPage];
    std::memcpy(out, editor->header(), kNtxPage);
    setNtxCounter(out, counter + 1);
    out[kNtxBusyOffset] = 0;
    releaseWriterSlot(f, handle.writerSlot, out + kNtxWriterBitsOffset);
    handle.writerSlot = -1;
    f.writeAt(0, out, kNtxPage);
    // Our image follows our own changes, so that later changes by others are told apart from
    // ours.
    if (std::string* image = detail::findIndexImage(this, path)) {
        newSize = std::max(newSize, editor->end());
        const auto grown = static_cast<std::size_t>(newSize);
        if (image->capacity() < grown) image->reserve(grown + grown / 8 + 65536);
        if (image->size() < grown) image->resize(grown, '\0');
        for (const auto& [page, bytes] : pages)
            if (page + kNtxPage <= image->size())
                std::memcpy(image->data() + page, bytes, kNtxPage);
        std::memcpy(image->data(), out, kNtxPage);
    }
    if (settings().syncToDisk) f.sync();
    ix.journal.clear();
    ix.dirty = false;
    ix.counter = counter + 1;
    return true;
}

void Table::saveIndexes(bool onlyDirty) {
    bool anyDirty = false;
    for (auto& ix : indexes_)
        anyDirty = anyDirty || !onlyDirty || ix->dirty;
    if (!anyDirty) {
        releaseWriterSlots();
        return;
    }
    // Several processes may change one index: each merges its own key changes into the file as
    // it is now, one at a time.
    const bool locking = sharedWriter();
    if (locking && !file_.lockRange(kIndexLockByte, 1, std::max(settings().lockTimeoutMs, 10000)))
        throw DbfError(czech("nelze zamknout indexové soubory tabulky ") + displayName(path_));
    savingIndexes_ = locking;
    try {
        if (locking) refreshIndexes();
        std::vector<std::filesystem::path> compound;
        for (auto& ix : indexes_) {
            if (onlyDirty && !ix->dirty) continue;
            if (ix->kind() == IndexKind::Ntx) {
                if (!locking || !saveNtxPages(*ix)) saveWhole(ix->path());
            } else if (std::find(compound.begin(), compound.end(), ix->path()) == compound.end()) {
                compound.push_back(ix->path());
            }
        }
        for (const auto& p : compound)
            if (!locking || !saveCdxPages(p)) saveWhole(p);
    } catch (...) {
        savingIndexes_ = false;
        if (locking) file_.unlockRange(kIndexLockByte, 1);
        throw;
    }
    savingIndexes_ = false;
    if (locking) file_.unlockRange(kIndexLockByte, 1);
    releaseWriterSlots();
}

void Table::releaseWriterSlots() {
    // Files whose keys we did not change since our mark: the mark goes, there is nothing pending.
    for (auto& [path, h] : indexFiles_) {
        if (h.writerSlot < 0 || !h.file.isOpen()) continue;
        IndexFileLock lock(h.file, false);
        unsigned char bits[3];
        const std::uint64_t at = writerBitsOffset(h.ntx ? IndexKind::Ntx : IndexKind::Cdx);
        if (h.file.readAt(at, bits, sizeof bits) == sizeof bits) {
            releaseWriterSlot(h.file, h.writerSlot, bits);
            h.file.writeAt(at, bits, sizeof bits);
        }
        h.writerSlot = -1;
    }
}

void Table::saveWhole(const std::filesystem::path& path) {
    for (auto& ix : indexes_) {
        if (ix->path() != path) continue;
        if (ix->kind() == IndexKind::Cdx) {
            saveCdx(path);
        } else {
            ix->saveFile();
            forgetWriterMarks(path);
        }
        return;
    }
}

void Table::forgetWriterMarks(const std::filesystem::path& path) {
    // A new file carries no writer marks; ours on the old one goes with it, and so does our image
    // of the old one.
    if (auto h = indexFiles_.find(path); h != indexFiles_.end()) {
        unsigned char unused[3] = {0, 0, 0};
        releaseWriterSlot(h->second.file, h->second.writerSlot, unused);
        h->second.writerSlot = -1;
    }
    detail::forgetIndexImages(this, &path);
}

void Table::openSingleOrder(Index& ix) {
    bool deadWriter = false;
    std::string bytes;
    try {
        bytes = readIndexFile(ix.path(), &deadWriter, ix.kind());
    } catch (const DbfError& e) {
        throw DbfError(std::string(e.what()) + ": " + displayName(ix.path()));
    }
    if (ix.kind() == IndexKind::Ntx)
        ix.loadNtxBytes(bytes);
    else
        ix.loadIdxBytes(bytes);
    ix.stamp = stampOf(ix.path());
    ix.counter = counterIn(bytes, ix.kind());
    // A writer stopped half-way through changing pages, or died with key changes it had not
    // written: the keys cannot be trusted.
    if (busyIn(bytes, ix.kind()) || deadWriter)
        throw IndexDamage(czech("index zůstal po přerušeném zápisu nedokončený: ") +
                          displayName(ix.path()));
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
    std::uint32_t counter = 0;
    for (auto& ix : indexes_)
        if (ix->kind() == IndexKind::Cdx && ix->path() == path)
            counter = std::max(counter, ix->counter + 1);
    const auto written = writeCdxFile(path, tags, counter);
    forgetWriterMarks(path);
    const FileStamp now = stampOf(path);
    for (auto& ix : indexes_)
        if (ix->kind() == IndexKind::Cdx && ix->path() == path) {
            ix->dirty = false;
            ix->rebuilt = false;
            ix->journal.clear();
            ix->stamp = now;
            ix->counter = counter;
            for (const auto& w : written)
                if (w.name == ix->tagName()) ix->cdxOffset = w.offset;
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

std::string Table::displayName(const std::filesystem::path& path) {
    std::string name;
    if (!tryUtf8ToCp1250(path.string(), name)) name = path.string();
    return name;
}

Index* Table::openCdx(const std::filesystem::path& path, bool tolerant) {
    std::string bytes;
    std::vector<CdxTagInfo> tags;
    bool deadWriter = false;
    try {
        bytes = readIndexFile(path, &deadWriter);
        tags = readCdxDirectory(bytes);
        if (tags.empty()) throw DbfError(czech("složený index nemá žádné značky"));
    } catch (const DbfError& e) {
        if (!tolerant) throw DbfError(std::string(e.what()) + ": " + displayName(path));
        warn(czech("Index ") + displayName(path) +
             czech(" je poškozený a nelze z něj přečíst ani definice klíčů; tabulka se otevírá "
                   "bez něj."));
        return nullptr;
    }
    const std::size_t first = indexes_.size();
    std::vector<Index*> damaged;
    try {
        for (const auto& t : tags) {
            auto ix = std::make_unique<Index>(*this, path, IndexKind::Cdx);
            ix->setTagName(t.name);
            ix->adopt(t.header);
            try {
                readCdxTag(bytes, t.offset, ix->padByte(), ix->keys());
            } catch (const DbfError&) {
                // The definition reads, the keys do not: rebuilt from the records below.
                ix->adopt(t.header);
                damaged.push_back(ix.get());
            }
            ix->stamp = stampOf(path);
            ix->cdxOffset = t.offset;
            ix->counter = counterIn(bytes);
            // A writer stopped half-way through changing pages, or died with key changes it had
            // not written: no tag can be trusted.
            if ((busyIn(bytes) || deadWriter) &&
                std::find(damaged.begin(), damaged.end(), ix.get()) == damaged.end())
                damaged.push_back(ix.get());
            indexes_.push_back(std::move(ix));
        }
    } catch (const DbfError& e) {
        indexes_.resize(first);
        if (!tolerant) throw DbfError(std::string(e.what()) + ": " + displayName(path));
        warn(czech("Index ") + displayName(path) +
             czech(" má nečitelné definice klíčů; tabulka se otevírá bez něj."));
        return nullptr;
    }
    if (!damaged.empty()) {
        if (!rebuildDamaged(damaged, path)) {
            indexes_.resize(first);
            return nullptr;
        }
    }
    return indexes_[first].get();
}

bool Table::rebuildDamaged(const std::vector<Index*>& orders, const std::filesystem::path& path) {
    if (damaged_) {
        // Keys made from records that may themselves be wrong would only spread the damage.
        warn(czech("Index ") + displayName(path) +
             czech(" je poškozený a tabulka také; otevírá se bez indexu."));
        return false;
    }
    warn(czech("Index ") + displayName(path) +
         czech(" byl poškozený; jeho klíče byly znovu vytvořeny z tabulky."));
    rebuildFromRecords(orders, path);
    if (!file_.readOnly() && !sharedWriter()) saveIndexes(true);
    return true;
}

Index& Table::createTag(const std::string& tag, const std::string& keyExpr,
                        const IndexOptions& options, std::filesystem::path cdxPath) {
    checkIndexable();
    flush();
    const bool structural = cdxPath.empty();
    if (structural) cdxPath = structuralIndexPath();
    const std::string name = upperCase(std::string(trimLeft(trimRight(tag))).substr(0, 10));
    if (name.empty()) throw DbfError(czech("značka indexu potřebuje jméno"));
    bool loaded = false;
    for (auto& ix : indexes_)
        if (ix->kind() == IndexKind::Cdx && ix->path() == cdxPath) loaded = true;
    if (!loaded && std::filesystem::exists(cdxPath)) openCdx(cdxPath, true);
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
    if (order_ == 0) throw DbfError(czech("hledání potřebuje řídicí index"));
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

bool Table::addCurrentKey(int order) {
    return changeCurrentKey(order, true);
}

bool Table::dropCurrentKey(int order) {
    return changeCurrentKey(order, false);
}

bool Table::changeCurrentKey(int order, bool add) {
    if (order < 1 || order > indexCount() || eof_) return false;
    Index& ix = *indexes_[static_cast<std::size_t>(order - 1)];
    const std::string key = ix.keyOfCurrent();
    // A record has one entry per order: adding it twice would show the record twice.
    if (add && ix.keys().find(key, recno_) != KeyList::npos) return false;
    if (!(add ? ix.keys().insert(key, recno_) : ix.keys().erase(key, recno_))) return false;
    noteKeyChange(ix, add, key);
    ix.dirty = true;
    iposValid_ = false;
    return true;
}

} // namespace vorlan::dbf
