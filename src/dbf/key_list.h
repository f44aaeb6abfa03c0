#pragma once
// The sorted keys of one index order, kept in memory.

#include "dbf/file.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace vorlan::dbf {

// An index file whose structure reads but whose keys cannot be right: keys out of order, a record
// number twice or zero. The file must not be used as it is.
class IndexDamage : public DbfError {
public:
    using DbfError::DbfError;
};

// Keys of one order, sorted by key bytes (reversed for a descending order), then by record
// number. Keys live in one pool of fixed-width slots; the order is a list of slot numbers cut in
// blocks of up to a few thousand, with the position each block starts at, so that an insert or
// erase moves a few kilobytes whatever the number of keys, and a position is found by two binary
// searches.
class KeyList {
public:
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    void reset(int keyLength, bool descending, bool unique);
    int keyLength() const { return keyLen_; }
    bool descending() const { return descending_; }
    bool unique() const { return unique_; }
    std::size_t size() const { return size_; }

    std::string_view keyAt(std::size_t pos) const {
        return {keyOfSlot(slotAt(pos)), static_cast<std::size_t>(keyLen_)};
    }
    std::uint32_t recAt(std::size_t pos) const { return recs_[slotAt(pos)]; }

    // `key` must be keyLength() bytes.
    std::size_t lowerBound(std::string_view key, std::uint32_t rec) const;
    std::size_t find(std::string_view key, std::uint32_t rec) const;
    // False when the order is unique and the key is there already.
    bool insert(std::string_view key, std::uint32_t rec);
    bool erase(std::string_view key, std::uint32_t rec);
    // First entry whose key, cut to the length of `prefix`, is not before `prefix`.
    std::size_t seek(std::string_view prefix) const;
    // First entry whose key, cut to the length of `prefix`, comes after `prefix`.
    std::size_t seekAfter(std::string_view prefix) const;
    // The order of a key against a prefix (-1 before, 0 starts with it, 1 after), in this
    // order's direction.
    int comparePrefix(std::string_view key, std::string_view prefix) const;
    bool prefixMatches(std::size_t pos, std::string_view prefix) const;
    // The greatest record number in the list (0 when empty).
    std::uint32_t maxRecord() const;

    // Replaces the contents with `count` keys (packed in `keys`) and their record numbers, and
    // sorts them; a unique order keeps the first record of each key.
    void load(std::vector<char>&& keys, std::vector<std::uint32_t>&& recs);
    // Takes keys read from a file as they stand there; throws IndexDamage when they are not in
    // this order's order (a unique order: no key twice) or a record number is zero or repeated.
    void loadChecked(std::vector<char>&& keys, std::vector<std::uint32_t>&& recs);
    // Appends an entry that the caller knows sorts after every present one (reading files).
    void appendSorted(std::string_view key, std::uint32_t rec);

private:
    // Blocks are filled to kBlock when the list is built, split in halves above 2 * kBlock and
    // joined with a neighbour when they fall under a quarter of it.
    static constexpr std::size_t kBlock = 1024;

    const char* keyOfSlot(std::uint32_t slot) const {
        return pool_.data() + static_cast<std::size_t>(slot) * static_cast<std::size_t>(keyLen_);
    }
    std::size_t blockAt(std::size_t pos) const;
    std::uint32_t slotAt(std::size_t pos) const {
        const std::size_t b = blockAt(pos);
        return blocks_[b][pos - starts_[b]];
    }
    int compareKeys(const char* a, const char* b) const;
    int compareEntry(std::uint32_t slot, std::string_view key, std::uint32_t rec) const;
    int comparePrefixOfSlot(std::uint32_t slot, std::string_view prefix) const;
    // The block and the place in it of the first entry for which `before` (true for a leading run
    // of the order) is false; past the last entry of the last block when there is none.
    template <typename Before> std::pair<std::size_t, std::size_t> locate(Before before) const;
    template <typename Before> std::size_t position(Before before) const;
    void shiftStarts(std::size_t afterBlock, bool grow);
    void splitOrJoin(std::size_t block);
    void assignOrder(const std::vector<std::uint32_t>& order);

    int keyLen_ = 1;
    bool descending_ = false;
    bool unique_ = false;
    std::vector<char> pool_;
    std::vector<std::uint32_t> recs_;
    std::vector<std::uint32_t> free_;
    std::vector<std::vector<std::uint32_t>> blocks_; // never an empty one
    std::vector<std::size_t> starts_;
    std::size_t size_ = 0;
};

} // namespace vorlan::dbf
