#pragma once
// Key changes written into an .NTX file in place: a key is inserted into or removed from the page
// it belongs in, and only the pages on its path (and a sibling that lends or takes items) are
// rewritten. Several processes share such a file under its lock and the change counter in its
// header (see docs/dbf.md).

#include "dbf/file.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vorlan::dbf {

constexpr std::size_t kNtxPage = 1024;

// The sharing state kept in the header bytes the public descriptions leave unused (after the FOR
// expression and the order name): the change counter's high word (its low word is the header's
// version word at 2), the busy byte, the writer marks, and the change log's mark and place.
constexpr std::size_t kNtxVersionOffset = 2;
constexpr std::size_t kNtxBusyOffset = 1008;
constexpr std::size_t kNtxWriterBitsOffset = 1009;
constexpr std::size_t kNtxCounterHighOffset = 1012;
constexpr std::size_t kNtxLogRefOffset = 1016;

// The change counter of a header page: the version word, widened by the high word.
std::uint32_t ntxCounter(const unsigned char* header);
void setNtxCounter(unsigned char* header, std::uint32_t counter);
// The offset of the change log's region named by a header, or 0 when it names none that fits in
// a file of `fileSize` bytes.
std::uint32_t ntxLogRegion(const unsigned char* header, std::uint64_t fileSize);
void setNtxLogRegion(unsigned char* header, std::uint32_t offset);

// The item places of a page, from the header's key size and maximum item count.
struct NtxLayout {
    int keySize = 0;
    int itemSize = 0;
    int maxItems = 0;
    // Throws DbfError when the header's numbers do not describe a page.
    static NtxLayout of(const unsigned char* header);
};

// The entries of one page (interior pages hold entries too) in order; false when the page's
// layout is impossible. A free page has none.
bool decodeNtxPage(const unsigned char* page, const NtxLayout& layout,
                   std::vector<std::pair<std::string, std::uint32_t>>& out);

class NtxPageEditor {
public:
    // The file (open for writing) whose header page is `header` (1024 bytes, as read under the
    // file's lock); the caller may know the file's size already.
    NtxPageEditor(File& file, const unsigned char* header, bool descending,
                  std::optional<std::uint64_t> fileSize = std::nullopt);

    // Throw DbfError when the tree does not have the shape the change needs; the caller then
    // writes the whole file instead. Changed pages are kept here until they are taken or flushed.
    // Inserting a key that is there changes nothing; so does erasing one that is not, which
    // answers false (another process may have removed it, or never written it yet).
    void insert(std::string_view key, std::uint32_t rec);
    bool erase(std::string_view key, std::uint32_t rec);
    // Every page other than the header changed since the last call, each once with its bytes as
    // they are to be written. The bytes stay valid while the editor lives and changes nothing
    // more.
    void takeChangedPages(std::map<std::uint32_t, const unsigned char*>& out);
    // The header page as the changes leave it (root and free-page offsets).
    const unsigned char* header() const { return header_.data(); }
    // Writes the changed pages, then the header (for callers without a sharing protocol).
    void flush();
    // Pages are taken from `image` (the file's bytes as the caller knows them to be now) instead
    // of being read from the file, where it holds them.
    void readPagesFrom(const std::string* image) { image_ = image; }
    // Every page other than the header changed so far.
    const std::vector<std::uint32_t>& touched() const { return touched_; }
    // Where the next new page goes when the free list has none.
    std::uint64_t end() const { return end_; }

private:
    struct Item {
        std::string key;
        std::uint32_t rec = 0;
        std::uint32_t child = 0; // the page of the keys before this one; 0 in a leaf
    };
    struct Node {
        std::uint32_t offset = 0;
        std::vector<Item> items;
        std::uint32_t right = 0; // the page of the keys after the last item; 0 in a leaf
        bool leaf() const { return right == 0; }
        std::uint32_t child(std::size_t i) const {
            return i < items.size() ? items[i].child : right;
        }
    };
    struct Step {
        Node node;
        std::size_t index = 0; // the child taken
        bool changed = false;
    };
    int compare(const Item& a, std::string_view key, std::uint32_t rec) const;
    Node readNode(std::uint32_t offset);
    void writeNode(const Node& node);
    // A page for a new node: the first page of the free list when it is one this editor's kind
    // put there, else a new page at the end of the file.
    std::uint32_t allocate();
    bool freeListIsOurs();
    void release(std::uint32_t offset);
    // Restores the rule that every page but the root holds an item, from an emptied `node` up.
    void rebalance(Node node, std::vector<Step>& path);
    void load(std::uint32_t offset, unsigned char* out);
    void setHeaderWord(std::size_t at, std::uint32_t value);

    File& file_;
    NtxLayout layout_;
    bool descending_;
    std::uint64_t end_ = 0;
    std::size_t itemBase_ = 0;
    const std::string* image_ = nullptr;
    std::array<unsigned char, kNtxPage> header_{};
    bool headerChanged_ = false;
    std::vector<std::uint32_t> touched_;
    std::map<std::uint32_t, std::array<unsigned char, kNtxPage>> pages_;
    std::vector<std::uint32_t> unwritten_;
};

} // namespace vorlan::dbf
