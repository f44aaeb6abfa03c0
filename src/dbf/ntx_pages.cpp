// In-place key changes in .NTX files (the page layout is described in ntx.cpp). The tree is a
// B-tree whose interior items are entries too, kept balanced: a page that overflows splits in two
// around its middle item, which goes up into the parent (a new root when the root splits); at the
// right edge of the tree, where growing keys arrive, it splits before its last item instead. An
// entry removed from an interior page is replaced by the entry before it, the last of the leaf
// at the right end of its left subtree. Pages may run almost empty; one left without items
// borrows an item through its parent from a neighbour with two or more, or else is merged with
// that neighbour and the item between them, and its page goes on the free list of the header,
// which the next new page takes before the file grows.

#include "dbf/ntx_pages.h"
#include "dbf/page_marks.h"

#include "core/cp1250.h"

#include <algorithm>
#include <cstring>

namespace vorlan::dbf {
namespace {

constexpr int kMaxDepth = 64;

std::size_t itemBaseOf(const NtxLayout& l) {
    return 2 + static_cast<std::size_t>(l.maxItems + 1) * 2;
}

// A free page: no items, the canonical item places, and in the first item the next free page
// (0 at the end) and the mark.
bool freePage(const unsigned char* p, const NtxLayout& l) {
    const std::size_t base = itemBaseOf(l);
    return getLe16(p) == 0 && getLe16(p + 2) == base && getLe32(p + base + 4) == kFreeMark;
}

} // namespace

std::uint32_t ntxCounter(const unsigned char* header) {
    return getLe16(header + kNtxVersionOffset) |
           (static_cast<std::uint32_t>(getLe16(header + kNtxCounterHighOffset)) << 16);
}

void setNtxCounter(unsigned char* header, std::uint32_t counter) {
    putLe16(header + kNtxVersionOffset, counter & 0xFFFF);
    putLe16(header + kNtxCounterHighOffset, counter >> 16);
}

std::uint32_t ntxLogRegion(const unsigned char* header, std::uint64_t fileSize) {
    if (getLe32(header + kNtxLogRefOffset) != kLogMark) return 0;
    const std::uint32_t at = getLe32(header + kNtxLogRefOffset + 4);
    if (at < kNtxPage || at % kNtxPage != 0 || at + std::uint64_t{4096} > fileSize) return 0;
    return at;
}

void setNtxLogRegion(unsigned char* header, std::uint32_t offset) {
    putLe32(header + kNtxLogRefOffset, kLogMark);
    putLe32(header + kNtxLogRefOffset + 4, offset);
}

NtxLayout NtxLayout::of(const unsigned char* h) {
    NtxLayout l;
    l.itemSize = getLe16(h + 12);
    l.keySize = getLe16(h + 14);
    l.maxItems = getLe16(h + 18);
    if (l.keySize < 1 || l.keySize > 256 || l.itemSize < l.keySize + 8 || l.maxItems < 2 ||
        itemBaseOf(l) + static_cast<std::size_t>(l.maxItems + 1) * l.itemSize > kNtxPage)
        throw DbfError(czech("poškozená hlavička indexu NTX"));
    return l;
}

bool decodeNtxPage(const unsigned char* p, const NtxLayout& l,
                   std::vector<std::pair<std::string, std::uint32_t>>& out) {
    const int count = getLe16(p);
    if (count > l.maxItems) return false;
    for (int j = 0; j < count; ++j) {
        const std::size_t o = getLe16(p + 2 + 2 * j);
        if (o < 2 || o + static_cast<std::size_t>(l.itemSize) > kNtxPage) return false;
        out.emplace_back(std::string(reinterpret_cast<const char*>(p + o + 8),
                                     static_cast<std::size_t>(l.keySize)),
                         getLe32(p + o + 4));
    }
    return true;
}

NtxPageEditor::NtxPageEditor(File& file, const unsigned char* header, bool descending,
                             std::optional<std::uint64_t> fileSize)
    : file_(file), layout_(NtxLayout::of(header)), descending_(descending) {
    std::memcpy(header_.data(), header, kNtxPage);
    itemBase_ = itemBaseOf(layout_);
    end_ = (fileSize.value_or(file_.size()) + kNtxPage - 1) / kNtxPage * kNtxPage;
}

int NtxPageEditor::compare(const Item& a, std::string_view key, std::uint32_t rec) const {
    int c = std::memcmp(a.key.data(), key.data(), static_cast<std::size_t>(layout_.keySize));
    c = c < 0 ? -1 : (c > 0 ? 1 : 0);
    if (descending_) c = -c;
    if (c != 0) return c;
    return a.rec < rec ? -1 : (a.rec > rec ? 1 : 0);
}

void NtxPageEditor::load(std::uint32_t offset, unsigned char* out) {
    if (image_ && offset + std::size_t{kNtxPage} <= image_->size())
        std::memcpy(out, image_->data() + offset, kNtxPage);
    else
        file_.readExact(offset, out, kNtxPage);
}

NtxPageEditor::Node NtxPageEditor::readNode(std::uint32_t offset) {
    if (offset % kNtxPage != 0 || offset < kNtxPage || offset + kNtxPage > end_)
        throw DbfError(czech("stránka indexu leží mimo soubor"));
    auto it = pages_.find(offset);
    if (it == pages_.end()) {
        it = pages_.emplace(offset, std::array<unsigned char, kNtxPage>{}).first;
        load(offset, it->second.data());
    }
    const unsigned char* p = it->second.data();
    const int count = getLe16(p);
    if (count > layout_.maxItems) throw DbfError(czech("chybné uspořádání stránky indexu"));
    Node n;
    n.offset = offset;
    const auto len = static_cast<std::size_t>(layout_.keySize);
    for (int j = 0; j <= count; ++j) {
        const std::size_t o = getLe16(p + 2 + 2 * j);
        if (o < 2 || o + static_cast<std::size_t>(layout_.itemSize) > kNtxPage)
            throw DbfError(czech("chybné uspořádání stránky indexu"));
        if (j == count) {
            n.right = getLe32(p + o);
            break;
        }
        n.items.push_back({std::string(reinterpret_cast<const char*>(p + o + 8), len),
                           getLe32(p + o + 4), getLe32(p + o)});
    }
    // A page's children are all pages or all none.
    for (const auto& item : n.items)
        if ((item.child == 0) != n.leaf())
            throw DbfError(czech("chybné uspořádání stránky indexu"));
    return n;
}

void NtxPageEditor::writeNode(const Node& n) {
    if (n.items.size() > static_cast<std::size_t>(layout_.maxItems))
        throw DbfError(czech("stránka indexu přetekla"));
    auto& p = pages_[n.offset];
    std::fill(p.begin(), p.end(), 0);
    putLe16(p.data(), static_cast<std::uint32_t>(n.items.size()));
    const auto size = static_cast<std::size_t>(layout_.itemSize);
    for (int j = 0; j <= layout_.maxItems; ++j)
        putLe16(p.data() + 2 + 2 * j,
                static_cast<std::uint32_t>(itemBase_ + static_cast<std::size_t>(j) * size));
    for (std::size_t j = 0; j <= n.items.size(); ++j) {
        unsigned char* it = p.data() + itemBase_ + j * size;
        if (j == n.items.size()) {
            putLe32(it, n.right);
            break;
        }
        putLe32(it, n.items[j].child);
        putLe32(it + 4, n.items[j].rec);
        std::memcpy(it + 8, n.items[j].key.data(), static_cast<std::size_t>(layout_.keySize));
    }
    if (std::find(touched_.begin(), touched_.end(), n.offset) == touched_.end())
        touched_.push_back(n.offset);
    if (std::find(unwritten_.begin(), unwritten_.end(), n.offset) == unwritten_.end())
        unwritten_.push_back(n.offset);
}

void NtxPageEditor::setHeaderWord(std::size_t at, std::uint32_t value) {
    putLe32(header_.data() + at, value);
    headerChanged_ = true;
}

bool NtxPageEditor::freeListIsOurs() {
    // The descriptions name the field but not how free pages link: a list another program made
    // is neither taken from nor joined.
    const std::uint32_t head = getLe32(header_.data() + 8);
    if (head == 0) return true;
    if (head % kNtxPage != 0 || head < kNtxPage || head + kNtxPage > end_) return false;
    auto it = pages_.find(head);
    if (it == pages_.end()) {
        it = pages_.emplace(head, std::array<unsigned char, kNtxPage>{}).first;
        load(head, it->second.data());
    }
    return freePage(it->second.data(), layout_);
}

std::uint32_t NtxPageEditor::allocate() {
    const std::uint32_t head = getLe32(header_.data() + 8);
    if (head != 0 && freeListIsOurs()) {
        const std::uint32_t next = getLe32(pages_.at(head).data() + itemBase_);
        setHeaderWord(8, next);
        return head;
    }
    if (end_ + kNtxPage > 0xFFFFFC00u) throw DbfError(czech("indexový soubor je příliš velký"));
    const auto at = static_cast<std::uint32_t>(end_);
    end_ += kNtxPage;
    return at;
}

void NtxPageEditor::release(std::uint32_t offset) {
    Node free;
    free.offset = offset;
    // Written as an empty leaf whose right-most pointer slot holds the link and the mark: a page
    // of no items to every reader.
    writeNode(free);
    if (!freeListIsOurs()) return; // left out of the tree, but not linked
    auto& p = pages_.at(offset);
    putLe32(p.data() + itemBase_, getLe32(header_.data() + 8));
    putLe32(p.data() + itemBase_ + 4, kFreeMark);
    setHeaderWord(8, offset);
}

void NtxPageEditor::insert(std::string_view key, std::uint32_t rec) {
    std::vector<Step> path;
    std::uint32_t off = getLe32(header_.data() + 4);
    Node n;
    // Whether the key goes after every key of the order, as appended records' keys mostly do.
    bool greatest = true;
    for (int depth = 0;; ++depth) {
        // A split of the root adds a level: the tree stays within what readers walk.
        if (depth >= kMaxDepth - 1) throw DbfError(czech("strom indexu je příliš hluboký"));
        n = readNode(off);
        std::size_t i = 0;
        while (i < n.items.size() && compare(n.items[i], key, rec) < 0)
            ++i;
        if (i < n.items.size() && compare(n.items[i], key, rec) == 0) return;
        greatest = greatest && i == n.items.size();
        if (n.leaf()) {
            n.items.insert(n.items.begin() + static_cast<std::ptrdiff_t>(i),
                           Item{std::string(key), rec, 0});
            break;
        }
        off = n.child(i);
        path.push_back({std::move(n), i, false});
    }
    while (n.items.size() > static_cast<std::size_t>(layout_.maxItems)) {
        // Splitting in halves would leave every page behind a run of growing keys half empty:
        // the page of the greatest keys splits just before its last item instead.
        const std::size_t half = greatest ? n.items.size() - 2 : n.items.size() / 2;
        Item middle = n.items[half];
        Node right;
        right.offset = allocate();
        right.items.assign(n.items.begin() + static_cast<std::ptrdiff_t>(half) + 1, n.items.end());
        right.right = n.right;
        n.items.resize(half);
        n.right = middle.child;
        writeNode(right);
        writeNode(n);
        middle.child = n.offset;
        if (path.empty()) {
            Node root;
            root.offset = allocate();
            root.items.push_back(std::move(middle));
            root.right = right.offset;
            writeNode(root);
            setHeaderWord(4, root.offset);
            return;
        }
        Node parent = std::move(path.back().node);
        const std::size_t i = path.back().index;
        path.pop_back();
        parent.items.insert(parent.items.begin() + static_cast<std::ptrdiff_t>(i),
                            std::move(middle));
        if (i + 1 < parent.items.size())
            parent.items[i + 1].child = right.offset;
        else
            parent.right = right.offset;
        n = std::move(parent);
    }
    writeNode(n);
}

bool NtxPageEditor::erase(std::string_view key, std::uint32_t rec) {
    std::vector<Step> path;
    std::uint32_t off = getLe32(header_.data() + 4);
    Node n;
    std::size_t at = 0;
    for (int depth = 0;; ++depth) {
        if (depth > kMaxDepth) throw DbfError(czech("strom indexu je příliš hluboký"));
        n = readNode(off);
        std::size_t i = 0;
        while (i < n.items.size() && compare(n.items[i], key, rec) < 0)
            ++i;
        if (i < n.items.size() && compare(n.items[i], key, rec) == 0) {
            at = i;
            break;
        }
        if (n.leaf()) return false;
        off = n.child(i);
        path.push_back({std::move(n), i, false});
    }
    if (n.leaf()) {
        n.items.erase(n.items.begin() + static_cast<std::ptrdiff_t>(at));
    } else {
        // The entry before it takes its place: the last of the right-most leaf of its left
        // subtree.
        const std::size_t holder = path.size();
        path.push_back({std::move(n), at, true});
        off = path.back().node.items[at].child;
        for (int depth = 0;; ++depth) {
            if (depth > kMaxDepth) throw DbfError(czech("strom indexu je příliš hluboký"));
            n = readNode(off);
            if (n.leaf()) break;
            off = n.right;
            const std::size_t last = n.items.size();
            path.push_back({std::move(n), last, false});
        }
        if (n.items.empty()) throw DbfError(czech("chybné uspořádání stránky indexu"));
        Item& replaced = path[holder].node.items[at];
        replaced.key = std::move(n.items.back().key);
        replaced.rec = n.items.back().rec;
        n.items.pop_back();
    }
    rebalance(std::move(n), path);
    return true;
}

void NtxPageEditor::rebalance(Node n, std::vector<Step>& path) {
    while (n.items.empty() && !path.empty()) {
        Node parent = std::move(path.back().node);
        const std::size_t j = path.back().index;
        path.pop_back();
        const std::uint32_t only = n.right; // the one child an empty page has (0 in a leaf)
        if (j < parent.items.size()) {
            // The neighbour on the right, past the item between them.
            Node s = readNode(parent.child(j + 1));
            Item& between = parent.items[j];
            if (s.items.size() >= 2) {
                n.items.push_back({between.key, between.rec, only});
                n.right = s.items.front().child;
                between.key = s.items.front().key;
                between.rec = s.items.front().rec;
                s.items.erase(s.items.begin());
                writeNode(s);
                writeNode(n);
                n = std::move(parent);
                break;
            }
            s.items.insert(s.items.begin(), Item{between.key, between.rec, only});
            parent.items.erase(parent.items.begin() + static_cast<std::ptrdiff_t>(j));
            writeNode(s);
        } else {
            if (j == 0) throw DbfError(czech("chybné uspořádání stránky indexu"));
            // The right-most child: the neighbour on the left.
            Node s = readNode(parent.items[j - 1].child);
            Item& between = parent.items[j - 1];
            if (s.items.size() >= 2) {
                n.items.push_back({between.key, between.rec, s.right});
                n.right = only;
                between.key = s.items.back().key;
                between.rec = s.items.back().rec;
                s.right = s.items.back().child;
                s.items.pop_back();
                writeNode(s);
                writeNode(n);
                n = std::move(parent);
                break;
            }
            s.items.push_back({between.key, between.rec, s.right});
            s.right = only;
            parent.items.pop_back();
            parent.right = s.offset;
            writeNode(s);
        }
        release(n.offset);
        n = std::move(parent);
    }
    if (n.items.empty() && path.empty() && !n.leaf()) {
        // A root left with one child: the child becomes the root.
        setHeaderWord(4, n.right);
        release(n.offset);
    } else {
        writeNode(n);
    }
    for (const auto& step : path)
        if (step.changed) writeNode(step.node);
}

void NtxPageEditor::takeChangedPages(std::map<std::uint32_t, const unsigned char*>& out) {
    for (const auto offset : unwritten_)
        out[offset] = pages_.at(offset).data();
    unwritten_.clear();
}

void NtxPageEditor::flush() {
    std::map<std::uint32_t, const unsigned char*> pages;
    takeChangedPages(pages);
    for (const auto& [offset, bytes] : pages)
        file_.writeAt(offset, bytes, kNtxPage);
    if (headerChanged_) file_.writeAt(0, header_.data(), kNtxPage);
    headerChanged_ = false;
}

} // namespace vorlan::dbf
