// In-place key changes in compound and compact index files (the node layouts are described in
// cdx.cpp). Interior entries hold the greatest key of their child; a separator is raised when a
// key above every present one arrives, and never lowered, which keeps every search exact: the
// keys of a child are at most its separator and above the separator before it. A leaf emptied by
// deletions leaves the tree (unless it is the order's only one) and its page goes on the order's
// free list; so does an interior node left without children. Removing a child keeps that rule:
// its keys' range joins the next child's, or the previous child's separator is raised again by
// the next greater key.

#include "dbf/cdx_pages.h"
#include "core/cp1250.h"
#include "dbf/page_marks.h"

#include <algorithm>
#include <cstring>

namespace vorlan::dbf {
namespace {

constexpr std::size_t kNode = 512;
constexpr std::size_t kLeafData = kNode - 24;
constexpr std::uint32_t kNone = 0xFFFFFFFF;
constexpr int kMaxPageDepth = 64;

int bitsFor(std::uint64_t v) {
    int b = 0;
    while (v > 0) {
        ++b;
        v >>= 1;
    }
    return std::max(b, 1);
}

constexpr std::size_t kLogItem = 12;
constexpr std::size_t kLogItems = (kCdxLogSize - 12) / kLogItem;

} // namespace

std::uint32_t cdxLogRegion(const unsigned char* header, std::uint64_t fileSize) {
    if (getLe32(header + kCdxLogRefOffset) != kLogMark) return 0;
    const std::uint32_t at = getLe32(header + kCdxLogRefOffset + 4);
    if (at < 1024 || at % 512 != 0 || at + std::uint64_t{kCdxLogSize} > fileSize) return 0;
    return at;
}

void setCdxLogRegion(unsigned char* header, std::uint32_t offset) {
    putLe32(header + kCdxLogRefOffset, kLogMark);
    putLe32(header + kCdxLogRefOffset + 4, offset);
}

CdxChangeLog CdxChangeLog::read(const unsigned char* region) {
    CdxChangeLog log;
    const unsigned char* p = region;
    log.counter = getLe32(p);
    log.from = getLe32(p + 4);
    const std::size_t n = std::min<std::size_t>(getLe32(p + 8), kLogItems);
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char* e = p + 12 + i * kLogItem;
        log.items.push_back({getLe32(e), getLe32(e + 4), getLe32(e + 8)});
    }
    return log;
}

void CdxChangeLog::write(unsigned char* region) const {
    unsigned char* p = region;
    std::memset(p, 0, kCdxLogSize);
    putLe32(p, counter);
    putLe32(p + 4, from);
    putLe32(p + 8, static_cast<std::uint32_t>(items.size()));
    for (std::size_t i = 0; i < items.size() && i < kLogItems; ++i) {
        unsigned char* e = p + 12 + i * kLogItem;
        putLe32(e, items[i].counter);
        putLe32(e + 4, items[i].page);
        putLe32(e + 8, items[i].tag);
    }
}

void CdxChangeLog::add(std::uint32_t newCounter,
                       const std::vector<std::pair<std::uint32_t, std::uint32_t>>& pagesOfTags) {
    if (counter + 1 != newCounter) {
        // Changes we do not know of (another program, or a whole new file) came in between.
        items.clear();
        from = newCounter;
    }
    for (const auto& pageOfTag : pagesOfTags) {
        // A page is listed once, with the latest change to it: a reader behind any earlier change
        // re-reads it all the same. Appends change the same few pages at the right edge of every
        // tag again and again; listed once each, the log reaches back over many more changes, and
        // fewer readers fall back to comparing the whole file.
        std::erase_if(items, [&](const Item& i) { return i.page == pageOfTag.first; });
        items.push_back({newCounter, pageOfTag.first, pageOfTag.second});
    }
    while (items.size() > kLogItems) {
        from = std::max(from, items.front().counter + 1);
        items.erase(items.begin());
    }
    counter = newCounter;
}

bool CdxChangeLog::since(std::uint32_t known, std::vector<Item>& out) const {
    if (from > known + 1) return false;
    for (const auto& i : items)
        if (i.counter > known) out.push_back(i);
    return true;
}

bool cdxFreePage(const unsigned char* node, std::uint32_t tagOffset) {
    return getLe16(node) == 0 && getLe16(node + 2) == 0 && getLe32(node + 12) == kFreeMark &&
           getLe32(node + 16) == tagOffset;
}

std::vector<std::uint32_t> cdxFreePages(std::string_view bytes, std::uint32_t tagOffset) {
    std::vector<std::uint32_t> out;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    if (static_cast<std::size_t>(tagOffset) + 512 > bytes.size()) return out;
    std::uint32_t at = getLe32(data + tagOffset + 4);
    // A list longer than the file has pages runs in a circle.
    while (at != kNone && at % 512 == 0 && at >= 512 &&
           static_cast<std::size_t>(at) + 512 <= bytes.size() && out.size() <= bytes.size() / 512 &&
           cdxFreePage(data + at, tagOffset)) {
        out.push_back(at);
        at = getLe32(data + at + 4);
    }
    return out;
}

bool cdxNodePages(std::string_view bytes, std::uint32_t tagOffset, int keyLength,
                  std::vector<std::uint32_t>& out) {
    out.clear();
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t size = bytes.size();
    if (static_cast<std::size_t>(tagOffset) + 512 > size || keyLength < 1 ||
        12 + static_cast<std::size_t>(keyLength) + 8 > 512)
        return false;
    std::vector<bool> seen(size / 512 + 1, false);
    const auto usable = [&](std::uint32_t off) {
        if (off % 512 != 0 || static_cast<std::size_t>(off) + 512 > size || seen[off / 512])
            return false;
        seen[off / 512] = true;
        return true;
    };
    const std::uint32_t root = getLe32(data + tagOffset);
    if (!usable(root)) return false;
    out.push_back(root);
    const std::size_t entry = static_cast<std::size_t>(keyLength) + 8;
    for (std::size_t next = 0; next < out.size(); ++next) {
        const unsigned char* node = data + out[next];
        if (getLe16(node) & 2) continue;
        const std::size_t count = getLe16(node + 2);
        if (12 + count * entry > 512) return false;
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint32_t child = getBe32(node + 12 + i * entry + entry - 4);
            if (!usable(child)) return false;
            out.push_back(child);
        }
    }
    return true;
}

bool decodeCdxLeaf(const unsigned char* p, int keyLen, char pad,
                   std::vector<std::pair<std::string, std::uint32_t>>& out) {
    if (!(getLe16(p) & 2)) return false;
    const std::size_t count = getLe16(p + 2);
    const std::uint32_t recMask = getLe32(p + 14);
    const unsigned dupMask = p[18], trailMask = p[19];
    const int recBits = p[20], dupBits = p[21];
    const std::size_t bytesPer = p[23];
    if (bytesPer < 1 || bytesPer > 8 || recBits + dupBits >= 64 || 24 + count * bytesPer > kNode)
        return false;
    const auto len = static_cast<std::size_t>(keyLen);
    std::string prev(len, pad);
    std::size_t keyEnd = kNode;
    for (std::size_t i = 0; i < count; ++i) {
        std::uint64_t v = 0;
        for (std::size_t b = 0; b < bytesPer; ++b)
            v |= static_cast<std::uint64_t>(p[24 + i * bytesPer + b]) << (8 * b);
        const int dup = static_cast<int>((v >> recBits) & dupMask);
        const int trail = static_cast<int>((v >> (recBits + dupBits)) & trailMask);
        const int stored = keyLen - dup - trail;
        if (stored < 0 || static_cast<std::size_t>(stored) > keyEnd ||
            keyEnd - static_cast<std::size_t>(stored) < 24 + count * bytesPer)
            return false;
        keyEnd -= static_cast<std::size_t>(stored);
        std::memcpy(prev.data() + dup, p + keyEnd, static_cast<std::size_t>(stored));
        std::fill(prev.begin() + dup + stored, prev.end(), pad);
        out.emplace_back(prev, static_cast<std::uint32_t>(v) & recMask);
    }
    return true;
}

CdxPageEditor::CdxPageEditor(File& file, std::uint32_t tagOffset, int keyLength, bool descending,
                             char pad, std::optional<std::uint64_t> fileSize)
    : file_(file), tagOffset_(tagOffset), keyLen_(keyLength), descending_(descending), pad_(pad) {
    end_ = (fileSize.value_or(file_.size()) + kNode - 1) / kNode * kNode;
}

int CdxPageEditor::compare(const Entry& a, std::string_view key, std::uint32_t rec) const {
    int c = std::memcmp(a.key.data(), key.data(), static_cast<std::size_t>(keyLen_));
    c = c < 0 ? -1 : (c > 0 ? 1 : 0);
    if (descending_) c = -c;
    if (c != 0) return c;
    return a.rec < rec ? -1 : (a.rec > rec ? 1 : 0);
}

void CdxPageEditor::load(std::uint32_t offset, unsigned char* out) {
    if (image_ && offset >= kCdxPage && offset + std::size_t{kCdxPage} <= image_->size())
        std::memcpy(out, image_->data() + offset, kCdxPage);
    else
        file_.readExact(offset, out, kCdxPage);
}

const unsigned char* CdxPageEditor::page(std::uint32_t offset) {
    auto it = pages_.find(offset);
    if (it == pages_.end()) {
        it = pages_.emplace(offset, std::array<unsigned char, kCdxPage>{}).first;
        load(offset, it->second.data());
    }
    return it->second.data();
}

void CdxPageEditor::put(std::uint32_t offset, std::size_t at, const unsigned char* bytes,
                        std::size_t length) {
    auto it = pages_.find(offset);
    if (it == pages_.end()) {
        it = pages_.emplace(offset, std::array<unsigned char, kCdxPage>{}).first;
        // A page written in part keeps the rest of what the file holds.
        if (at != 0 || length != kCdxPage) load(offset, it->second.data());
    }
    std::memcpy(it->second.data() + at, bytes, length);
    if (std::find(touched_.begin(), touched_.end(), offset) == touched_.end())
        touched_.push_back(offset);
    if (std::find(unwritten_.begin(), unwritten_.end(), offset) == unwritten_.end())
        unwritten_.push_back(offset);
}

void CdxPageEditor::takeChangedPages(std::map<std::uint32_t, const unsigned char*>& out) {
    for (const auto offset : unwritten_)
        out[offset] = pages_.at(offset).data();
    unwritten_.clear();
}

void CdxPageEditor::flush() {
    std::map<std::uint32_t, const unsigned char*> pages;
    takeChangedPages(pages);
    writePageRuns(file_, pages);
}

void writePageRuns(File& file, const std::map<std::uint32_t, const unsigned char*>& pages,
                   std::size_t pageSize) {
    // Each write costs the kernel about as much as a few pages of copying: a split's new page
    // beside the change log, or a leaf beside its neighbour, go out together.
    std::vector<unsigned char> run;
    std::uint32_t runStart = 0;
    const auto write = [&] {
        if (!run.empty()) file.writeAt(runStart, run.data(), run.size());
        run.clear();
    };
    for (const auto& [offset, bytes] : pages) {
        if (run.empty() || runStart + run.size() != offset) {
            write();
            runStart = offset;
        }
        run.insert(run.end(), bytes, bytes + pageSize);
    }
    write();
}

CdxPageEditor::Node CdxPageEditor::readNode(std::uint32_t offset) {
    if (offset % kNode != 0 || offset == kNone || offset + kNode > end_)
        throw DbfError(czech("uzel indexu leží mimo soubor"));
    const unsigned char* p = page(offset);
    Node n;
    n.offset = offset;
    n.attributes = getLe16(p);
    n.left = getLe32(p + 4);
    n.right = getLe32(p + 8);
    const std::size_t count = getLe16(p + 2);
    const auto len = static_cast<std::size_t>(keyLen_);
    if (!n.leaf()) {
        if (12 + count * (len + 8) > kNode) throw DbfError(czech("chybné uspořádání uzlu indexu"));
        for (std::size_t i = 0; i < count; ++i) {
            const unsigned char* e = p + 12 + i * (len + 8);
            n.entries.push_back({std::string(reinterpret_cast<const char*>(e), len),
                                 getBe32(e + len), getBe32(e + len + 4)});
        }
        return n;
    }
    const std::uint32_t recMask = getLe32(p + 14);
    const unsigned dupMask = p[18], trailMask = p[19];
    const int recBits = p[20], dupBits = p[21];
    const std::size_t bytesPer = p[23];
    if (bytesPer < 1 || bytesPer > 8 || recBits + dupBits >= 64 || 24 + count * bytesPer > kNode)
        throw DbfError(czech("chybné uspořádání uzlu indexu"));
    std::string prev(len, pad_);
    std::size_t keyEnd = kNode;
    for (std::size_t i = 0; i < count; ++i) {
        std::uint64_t v = 0;
        for (std::size_t b = 0; b < bytesPer; ++b)
            v |= static_cast<std::uint64_t>(p[24 + i * bytesPer + b]) << (8 * b);
        const int dup = static_cast<int>((v >> recBits) & dupMask);
        const int trail = static_cast<int>((v >> (recBits + dupBits)) & trailMask);
        const int stored = keyLen_ - dup - trail;
        if (stored < 0 || static_cast<std::size_t>(stored) > keyEnd ||
            keyEnd - static_cast<std::size_t>(stored) < 24 + count * bytesPer)
            throw DbfError(czech("chybné uspořádání uzlu indexu"));
        keyEnd -= static_cast<std::size_t>(stored);
        std::memcpy(prev.data() + dup, p + keyEnd, static_cast<std::size_t>(stored));
        std::fill(prev.begin() + dup + stored, prev.end(), pad_);
        n.entries.push_back({prev, static_cast<std::uint32_t>(v) & recMask, 0});
    }
    return n;
}

bool CdxPageEditor::encode(const Node& n, unsigned char* p) const {
    std::memset(p, 0, kNode);
    putLe16(p, n.attributes);
    putLe16(p + 2, static_cast<std::uint32_t>(n.entries.size()));
    putLe32(p + 4, n.left);
    putLe32(p + 8, n.right);
    const auto len = static_cast<std::size_t>(keyLen_);
    if (!n.leaf()) {
        if (12 + n.entries.size() * (len + 8) > kNode) return false;
        for (std::size_t i = 0; i < n.entries.size(); ++i) {
            unsigned char* e = p + 12 + i * (len + 8);
            std::memcpy(e, n.entries[i].key.data(), len);
            putBe32(e + len, n.entries[i].rec);
            putBe32(e + len + 4, n.entries[i].child);
        }
        return true;
    }
    std::uint32_t maxRec = 0;
    for (const auto& e : n.entries)
        maxRec = std::max(maxRec, e.rec);
    const int countBits = bitsFor(static_cast<std::uint64_t>(keyLen_));
    const int bytes = std::max(3, (bitsFor(maxRec) + 2 * countBits + 7) / 8);
    const int recBits = std::min(32, bytes * 8 - 2 * countBits);
    const std::uint32_t recMask = recBits >= 32 ? 0xFFFFFFFFu : ((1u << recBits) - 1);
    std::size_t used = 0, keyEnd = kNode;
    const std::string* prev = nullptr;
    for (std::size_t i = 0; i < n.entries.size(); ++i) {
        const std::string& k = n.entries[i].key;
        int trail = 0;
        while (trail < keyLen_ && k[len - 1 - static_cast<std::size_t>(trail)] == pad_)
            ++trail;
        int dup = 0;
        if (prev)
            while (dup < keyLen_ - trail &&
                   (*prev)[static_cast<std::size_t>(dup)] == k[static_cast<std::size_t>(dup)])
                ++dup;
        const std::size_t stored = static_cast<std::size_t>(keyLen_ - dup - trail);
        if (used + static_cast<std::size_t>(bytes) + stored > kLeafData) return false;
        const std::uint64_t v = (n.entries[i].rec & recMask) |
                                (static_cast<std::uint64_t>(dup) << recBits) |
                                (static_cast<std::uint64_t>(trail) << (recBits + countBits));
        for (int b = 0; b < bytes; ++b)
            p[24 + i * static_cast<std::size_t>(bytes) + static_cast<std::size_t>(b)] =
                static_cast<unsigned char>(v >> (8 * b));
        keyEnd -= stored;
        std::memcpy(p + keyEnd, k.data() + dup, stored);
        used += static_cast<std::size_t>(bytes) + stored;
        prev = &k;
    }
    putLe16(p + 12, static_cast<std::uint32_t>(kLeafData - used));
    putLe32(p + 14, recMask);
    p[18] = static_cast<unsigned char>((1u << countBits) - 1);
    p[19] = static_cast<unsigned char>((1u << countBits) - 1);
    p[20] = static_cast<unsigned char>(recBits);
    p[21] = static_cast<unsigned char>(countBits);
    p[22] = static_cast<unsigned char>(countBits);
    p[23] = static_cast<unsigned char>(bytes);
    return true;
}

void CdxPageEditor::writeNode(const Node& n) {
    unsigned char p[kNode];
    if (!encode(n, p)) throw DbfError(czech("uzel indexu přetekl"));
    put(n.offset, 0, p, kNode);
    if (n.leaf() && std::find(leaves_.begin(), leaves_.end(), n.offset) == leaves_.end())
        leaves_.push_back(n.offset);
}

std::uint32_t CdxPageEditor::allocate() {
    const std::uint32_t head = getLe32(page(tagOffset_) + 4);
    if (head != kNone && head % kNode == 0 && head >= kNode && head + kNode <= end_ &&
        cdxFreePage(page(head), tagOffset_)) {
        unsigned char next[4];
        std::memcpy(next, page(head) + 4, 4);
        put(tagOffset_, 4, next, 4);
        return head;
    }
    if (end_ + kNode > 0xFFFFFE00u) throw DbfError(czech("indexový soubor je příliš velký"));
    const auto at = static_cast<std::uint32_t>(end_);
    end_ += kNode;
    return at;
}

bool CdxPageEditor::freeListIsOurs() {
    // A list another program made may link its pages in another way: it is not joined.
    const std::uint32_t head = getLe32(page(tagOffset_) + 4);
    return head == kNone || (head % kNode == 0 && head >= kNode && head + kNode <= end_ &&
                             cdxFreePage(page(head), tagOffset_));
}

bool CdxPageEditor::linked(std::uint32_t offset) const {
    // Some programs end a chain with 0 instead of -1; page 0 is the file header in any case.
    return offset != kNone && offset != 0 && offset % kNode == 0 && offset + kNode <= end_ &&
           offset != tagOffset_;
}

void CdxPageEditor::release(const Node& n) {
    if (linked(n.left)) setRight(n.left, linked(n.right) ? n.right : kNone);
    if (linked(n.right)) setLeft(n.right, linked(n.left) ? n.left : kNone);
    const std::uint32_t head = getLe32(page(tagOffset_) + 4);
    unsigned char p[kNode] = {};
    putLe32(p + 4, head);
    putLe32(p + 8, kNone);
    putLe32(p + 12, kFreeMark);
    putLe32(p + 16, tagOffset_);
    put(n.offset, 0, p, kNode);
    // Readers follow the keys of the leaves written: an emptied leaf that left the tree is one.
    if (n.leaf() && std::find(leaves_.begin(), leaves_.end(), n.offset) == leaves_.end())
        leaves_.push_back(n.offset);
    unsigned char b[4];
    putLe32(b, n.offset);
    put(tagOffset_, 4, b, 4);
}

void CdxPageEditor::setRight(std::uint32_t offset, std::uint32_t right) {
    unsigned char b[4];
    putLe32(b, right);
    put(offset, 8, b, 4);
}

void CdxPageEditor::setLeft(std::uint32_t offset, std::uint32_t left) {
    unsigned char b[4];
    putLe32(b, left);
    put(offset, 4, b, 4);
}

std::vector<std::pair<CdxPageEditor::Node, std::size_t>>
CdxPageEditor::descend(std::string_view key, std::uint32_t rec, Node& leaf) {
    std::uint32_t off = getLe32(page(tagOffset_));
    std::vector<std::pair<Node, std::size_t>> path;
    for (int depth = 0;; ++depth) {
        if (depth > kMaxPageDepth) throw DbfError(czech("strom indexu je příliš hluboký"));
        Node n = readNode(off);
        if (n.leaf()) {
            leaf = std::move(n);
            return path;
        }
        if (n.entries.empty()) throw DbfError(czech("prázdný vnitřní uzel indexu"));
        std::size_t i = 0;
        while (i + 1 < n.entries.size() && compare(n.entries[i], key, rec) < 0)
            ++i;
        off = n.entries[i].child;
        path.emplace_back(std::move(n), i);
    }
}

std::vector<CdxPageEditor::Node> CdxPageEditor::store(Node& n) {
    unsigned char p[kNode];
    if (encode(n, p)) {
        writeNode(n);
        return {n};
    }
    Node right;
    right.offset = allocate();
    n.attributes = static_cast<std::uint16_t>(n.attributes & ~1u); // no longer the root
    right.attributes = n.attributes;
    const std::size_t half = n.entries.size() / 2;
    right.entries.assign(n.entries.begin() + static_cast<std::ptrdiff_t>(half), n.entries.end());
    n.entries.resize(half);
    right.left = n.offset;
    right.right = n.right;
    const std::uint32_t oldRight = n.right;
    n.right = right.offset;
    // The new node first: until the left one points at it, readers never reach it.
    writeNode(right);
    writeNode(n);
    if (oldRight != kNone && oldRight != 0) setLeft(oldRight, right.offset);
    return {n, right};
}

void CdxPageEditor::insert(std::string_view key, std::uint32_t rec) {
    Node leaf;
    auto path = descend(key, rec, leaf);
    auto at = std::find_if(leaf.entries.begin(), leaf.entries.end(),
                           [&](const Entry& e) { return compare(e, key, rec) >= 0; });
    if (at != leaf.entries.end() && compare(*at, key, rec) == 0) return;
    leaf.entries.insert(at, Entry{std::string(key), rec, 0});
    std::vector<Node> pieces = store(leaf);
    for (std::size_t level = path.size(); level-- > 0;) {
        Node& parent = path[level].first;
        const std::size_t i = path[level].second;
        const Entry oldSep = parent.entries[i];
        const Entry& last = pieces.back().entries.back();
        // The separator of the right-most piece: the old one, raised to a greater new key.
        Entry sep = compare(oldSep, last.key, last.rec) >= 0 ? oldSep : last;
        sep.child = pieces.back().offset;
        if (pieces.size() == 1) {
            if (sep.key == oldSep.key && sep.rec == oldSep.rec) return;
            parent.entries[i] = sep;
        } else {
            const Entry& leftLast = pieces.front().entries.back();
            parent.entries[i] = Entry{leftLast.key, leftLast.rec, pieces.front().offset};
            parent.entries.insert(parent.entries.begin() + static_cast<std::ptrdiff_t>(i) + 1, sep);
        }
        pieces = store(parent);
    }
    if (pieces.size() == 2) {
        Node root;
        root.offset = allocate();
        root.attributes = 1;
        root.left = kNone;
        root.right = kNone;
        for (const Node& p : pieces)
            root.entries.push_back({p.entries.back().key, p.entries.back().rec, p.offset});
        writeNode(root);
        unsigned char b[4];
        putLe32(b, root.offset);
        put(tagOffset_, 0, b, 4);
    }
}

void CdxPageEditor::erase(std::string_view key, std::uint32_t rec) {
    Node leaf;
    auto path = descend(key, rec, leaf);
    auto at = std::find_if(leaf.entries.begin(), leaf.entries.end(),
                           [&](const Entry& e) { return compare(e, key, rec) == 0; });
    if (at == leaf.entries.end()) throw DbfError(czech("klíč indexu není na svém místě"));
    leaf.entries.erase(at);
    // The only leaf of an order stays, empty; so does a leaf another program linked oddly, and
    // every leaf of an order whose free list another program made (this engine's readers find
    // pages that left a tree on its free list).
    if (!leaf.entries.empty() || path.empty() || (!linked(leaf.left) && !linked(leaf.right)) ||
        !freeListIsOurs()) {
        writeNode(leaf);
        return;
    }
    // Every node that is left empty goes, up to the first that keeps another child. A leaf with
    // a sibling has one above it; a tree where none has is not as this editor knows it.
    for (std::size_t level = path.size(); level-- > 0;)
        if (path[level].first.entries.size() > 1) {
            release(leaf);
            for (std::size_t up = path.size(); --up > level;)
                release(path[up].first);
            Node& keeper = path[level].first;
            keeper.entries.erase(keeper.entries.begin() +
                                 static_cast<std::ptrdiff_t>(path[level].second));
            writeNode(keeper);
            return;
        }
    throw DbfError(czech("chybné uspořádání uzlů indexu"));
}

} // namespace vorlan::dbf
