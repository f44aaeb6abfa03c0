#pragma once
// Key changes written into a compound (or compact) index file in place: a key is inserted into or
// removed from the leaf it belongs in, and only that leaf and the interior nodes a split or a new
// greatest key touches are rewritten. Several processes share such a file under its lock and the
// change counter in its header (see docs/dbf.md).

#include "dbf/file.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorlan::dbf {

// Where the sharing state lives in the header of a compound file (the tag directory's header):
// the change counter every writer increments, and a byte set while a writer changes pages, so
// that a writer killed half-way is recognised by the next open.
constexpr std::uint64_t kCdxCounterOffset = 8;
constexpr std::uint64_t kCdxBusyOffset = 16;
// The byte-range lock of the index file itself, far beyond its end: writers hold it exclusively
// while they change pages, readers shared while they read them.
constexpr std::uint64_t kIndexFileLock = 0x7FFFFFFE;
// The size of a node, and of each half of an order's header.
constexpr std::size_t kCdxPage = 512;

// The pages recent writers changed, so that other processes re-read just those pages: the counter
// the log brings the file to, the first counter from which on every change is listed, and
// (counter, page, tag header) items. It lives in a region of eight pages of the file that no tag
// uses, named from the reserved bytes 20..27 of the file header (a mark and the region's offset):
// room for the changes of the hundreds of commits a reader may fall behind while others write.
struct CdxChangeLog {
    struct Item {
        std::uint32_t counter = 0;
        std::uint32_t page = 0;
        std::uint32_t tag = 0;
    };
    std::uint32_t counter = 0;
    std::uint32_t from = 0;
    std::vector<Item> items;

    // From and into the region's bytes (kCdxLogSize).
    static CdxChangeLog read(const unsigned char* region);
    void write(unsigned char* region) const;
    // Records the pages of the change that brings the file to `newCounter`.
    void add(std::uint32_t newCounter,
             const std::vector<std::pair<std::uint32_t, std::uint32_t>>& pagesOfTags);
    // The items after `known`; false when the log does not reach back that far.
    bool since(std::uint32_t known, std::vector<Item>& out) const;
};
constexpr std::size_t kCdxLogRefOffset = 20;
constexpr std::size_t kCdxLogSize = 8 * 512;

// The offset of the change log's region named by a file header, or 0 when the header names none
// that fits in a file of `fileSize` bytes (a file written whole, or by another program).
std::uint32_t cdxLogRegion(const unsigned char* header, std::uint64_t fileSize);
// Names the region at `offset` in the header bytes (20..27).
void setCdxLogRegion(unsigned char* header, std::uint32_t offset);

// The entries of a leaf node (512 bytes) in order; false when the node is not a leaf or its
// layout is impossible.
bool decodeCdxLeaf(const unsigned char* node, int keyLength, char pad,
                   std::vector<std::pair<std::string, std::uint32_t>>& out);

// Pages a deletion emptied are kept on their order's free list, named by the LE32 at offset 4 of
// the order's header (-1: none), and reused for the order's next new nodes. A free page links to
// the next one at its offset 4 and carries a mark and its order's header offset at 12..19, so
// that a list this engine did not make is left alone. Pages never move from one order to another.
bool cdxFreePage(const unsigned char* node, std::uint32_t tagOffset);
// The pages on the free list of the order whose header is at `tagOffset` in the file's bytes,
// as far as the list can be followed.
std::vector<std::uint32_t> cdxFreePages(std::string_view bytes, std::uint32_t tagOffset);

// Writes pages (offset -> bytes, each `pageSize` long) with one write per run of neighbouring
// pages, in ascending order.
void writePageRuns(File& file, const std::map<std::uint32_t, const unsigned char*>& pages,
                   std::size_t pageSize = kCdxPage);

// The offsets of every node of the tag (interior nodes and leaves) reachable from its root;
// false when the tree cannot be walked.
bool cdxNodePages(std::string_view bytes, std::uint32_t tagOffset, int keyLength,
                  std::vector<std::uint32_t>& out);

class CdxPageEditor {
public:
    // The order whose header is at `tagOffset` in `file` (open for writing), whose size the
    // caller may know already.
    CdxPageEditor(File& file, std::uint32_t tagOffset, int keyLength, bool descending, char pad,
                  std::optional<std::uint64_t> fileSize = std::nullopt);

    // Throw DbfError when the tree does not have the shape the change needs; the caller then
    // writes the whole file instead. Changed pages are kept here until flush().
    void insert(std::string_view key, std::uint32_t rec);
    void erase(std::string_view key, std::uint32_t rec);
    // Every page changed since the last call, each once with its bytes as they are to be written
    // (a leaf that lost one key and gained another is written once per commit, not twice). The
    // bytes stay valid while the editor lives and changes nothing more.
    void takeChangedPages(std::map<std::uint32_t, const unsigned char*>& out);
    // Writes them (see writePageRuns).
    void flush();
    // Pages other than the file header are taken from `image` (the file's bytes as the caller
    // knows them to be now) instead of being read from the file, where it holds them.
    void readPagesFrom(const std::string* image) { image_ = image; }
    // Where the next new page goes: the end of the file, or past the pages another editor of the
    // same change has added without writing them yet.
    std::uint64_t end() const { return end_; }
    void allocateFrom(std::uint64_t end) { end_ = std::max(end_, end); }
    // Every page changed so far (the tag header for a new root).
    const std::vector<std::uint32_t>& touched() const { return touched_; }
    // The leaves among them, written with their keys: the only pages whose change another
    // process's keys need (interior nodes, sibling links and root pointers hold none).
    const std::vector<std::uint32_t>& leavesWritten() const { return leaves_; }

private:
    struct Entry {
        std::string key;
        std::uint32_t rec = 0;
        std::uint32_t child = 0; // interior nodes only
    };
    struct Node {
        std::uint32_t offset = 0;
        std::uint16_t attributes = 0;
        std::uint32_t left = 0;
        std::uint32_t right = 0;
        std::vector<Entry> entries;
        bool leaf() const { return (attributes & 2) != 0; }
    };
    int compare(const Entry& a, std::string_view key, std::uint32_t rec) const;
    Node readNode(std::uint32_t offset);
    void writeNode(const Node& node);
    // Encodes a node into 512 bytes; false when its entries do not fit.
    bool encode(const Node& node, unsigned char* out) const;
    // A page for a new node: the first of the order's free list when it holds one this editor
    // put there, else a new page at the end of the file.
    std::uint32_t allocate();
    // Takes a node out of its level's sibling chain and puts its page on the order's free list.
    void release(const Node& node);
    bool freeListIsOurs();
    // Whether a sibling pointer names a node page of this file.
    bool linked(std::uint32_t offset) const;
    // A page as this editor last left it (read from the file the first time).
    const unsigned char* page(std::uint32_t offset);
    void load(std::uint32_t offset, unsigned char* out);
    // Changes `length` bytes of a page at `at`.
    void put(std::uint32_t offset, std::size_t at, const unsigned char* bytes, std::size_t length);
    // The path from the root to the leaf where (key, rec) belongs: interior nodes with the index
    // of the entry taken.
    std::vector<std::pair<Node, std::size_t>> descend(std::string_view key, std::uint32_t rec,
                                                      Node& leaf);
    // Writes `node`, splitting it in two when it does not fit; answers the pieces.
    std::vector<Node> store(Node& node);
    void setRight(std::uint32_t offset, std::uint32_t right);
    void setLeft(std::uint32_t offset, std::uint32_t left);

    File& file_;
    std::uint32_t tagOffset_;
    int keyLen_;
    bool descending_;
    char pad_;
    std::uint64_t end_ = 0;
    const std::string* image_ = nullptr;
    std::vector<std::uint32_t> touched_;
    std::vector<std::uint32_t> leaves_;
    std::map<std::uint32_t, std::array<unsigned char, kCdxPage>> pages_;
    std::vector<std::uint32_t> unwritten_;
};

} // namespace vorlan::dbf
