#pragma once
// Key changes written into a compound (or compact) index file in place: a key is inserted into or
// removed from the leaf it belongs in, and only that leaf and the interior nodes a split or a new
// greatest key touches are rewritten. Several processes share such a file under its lock and the
// change counter in its header (see docs/dbf.md).

#include "dbf/file.h"

#include <cstdint>
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

class CdxPageEditor {
public:
    // The order whose header is at `tagOffset` in `file` (open for writing).
    CdxPageEditor(File& file, std::uint32_t tagOffset, int keyLength, bool descending, char pad);

    // Throw DbfError when the tree does not have the shape the change needs; the caller then
    // writes the whole file instead.
    void insert(std::string_view key, std::uint32_t rec);
    void erase(std::string_view key, std::uint32_t rec);

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
    std::uint32_t allocate();
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
};

} // namespace vorlan::dbf
