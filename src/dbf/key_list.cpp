#include "dbf/key_list.h"

#include "core/cp1250.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <tuple>

namespace vorlan::dbf {

void KeyList::reset(int keyLength, bool descending, bool unique) {
    keyLen_ = std::max(1, keyLength);
    descending_ = descending;
    unique_ = unique;
    pool_.clear();
    recs_.clear();
    free_.clear();
    blocks_.clear();
    starts_.clear();
    size_ = 0;
}

int KeyList::compareKeys(const char* a, const char* b) const {
    const int c = std::memcmp(a, b, static_cast<std::size_t>(keyLen_));
    const int r = c < 0 ? -1 : (c > 0 ? 1 : 0);
    return descending_ ? -r : r;
}

int KeyList::compareEntry(std::uint32_t slot, std::string_view key, std::uint32_t rec) const {
    const int c = compareKeys(keyOfSlot(slot), key.data());
    if (c != 0) return c;
    const std::uint32_t r = recs_[slot];
    return r < rec ? -1 : (r > rec ? 1 : 0);
}

int KeyList::comparePrefixOfSlot(std::uint32_t slot, std::string_view prefix) const {
    return comparePrefix({keyOfSlot(slot), static_cast<std::size_t>(keyLen_)}, prefix);
}

std::size_t KeyList::blockAt(std::size_t pos) const {
    // The last block starting at or before `pos`.
    const auto it = std::upper_bound(starts_.begin(), starts_.end(), pos);
    return static_cast<std::size_t>(it - starts_.begin()) - 1;
}

template <typename Before>
std::pair<std::size_t, std::size_t> KeyList::locate(Before before) const {
    if (blocks_.empty()) return {0, 0};
    // The first block whose last entry is not before: the entry sought is in it.
    std::size_t lo = 0, hi = blocks_.size();
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        if (before(blocks_[mid].back()))
            lo = mid + 1;
        else
            hi = mid;
    }
    if (lo == blocks_.size()) return {lo - 1, blocks_.back().size()};
    const auto& block = blocks_[lo];
    const auto at = std::partition_point(block.begin(), block.end(), before);
    return {lo, static_cast<std::size_t>(at - block.begin())};
}

template <typename Before> std::size_t KeyList::position(Before before) const {
    if (blocks_.empty()) return 0;
    const auto [b, at] = locate(before);
    return starts_[b] + at;
}

std::size_t KeyList::lowerBound(std::string_view key, std::uint32_t rec) const {
    return position([&](std::uint32_t slot) { return compareEntry(slot, key, rec) < 0; });
}

std::size_t KeyList::find(std::string_view key, std::uint32_t rec) const {
    if (static_cast<int>(key.size()) != keyLen_) return npos;
    const std::size_t p = lowerBound(key, rec);
    if (p < size_ && compareEntry(slotAt(p), key, rec) == 0) return p;
    return npos;
}

void KeyList::shiftStarts(std::size_t afterBlock, bool grow) {
    const std::size_t step = grow ? 1 : static_cast<std::size_t>(-1);
    for (std::size_t b = afterBlock + 1; b < starts_.size(); ++b)
        starts_[b] += step;
    size_ += step;
}

void KeyList::splitOrJoin(std::size_t b) {
    auto& block = blocks_[b];
    const auto at = static_cast<std::ptrdiff_t>(b + 1);
    if (block.size() > 2 * kBlock) {
        const std::size_t half = block.size() / 2;
        std::vector<std::uint32_t> upper(block.begin() + static_cast<std::ptrdiff_t>(half),
                                         block.end());
        block.resize(half);
        blocks_.insert(blocks_.begin() + at, std::move(upper));
        starts_.insert(starts_.begin() + at, starts_[b] + half);
        return;
    }
    if (block.size() >= kBlock / 4) return;
    if (b + 1 < blocks_.size() && block.size() + blocks_[b + 1].size() <= kBlock) {
        block.insert(block.end(), blocks_[b + 1].begin(), blocks_[b + 1].end());
        blocks_.erase(blocks_.begin() + at);
        starts_.erase(starts_.begin() + at);
    } else if (b > 0 && blocks_[b - 1].size() + block.size() <= kBlock) {
        blocks_[b - 1].insert(blocks_[b - 1].end(), block.begin(), block.end());
        blocks_.erase(blocks_.begin() + at - 1);
        starts_.erase(starts_.begin() + at - 1);
    } else if (block.empty()) {
        blocks_.erase(blocks_.begin() + at - 1);
        starts_.erase(starts_.begin() + at - 1);
    }
}

bool KeyList::insert(std::string_view key, std::uint32_t rec) {
    std::string k(key.substr(0, static_cast<std::size_t>(keyLen_)));
    k.resize(static_cast<std::size_t>(keyLen_), ' ');
    auto [b, at] =
        locate([&](std::uint32_t slot) { return compareKeys(keyOfSlot(slot), k.data()) < 0; });
    if (unique_) {
        if (!blocks_.empty() && at < blocks_[b].size() &&
            compareKeys(keyOfSlot(blocks_[b][at]), k.data()) == 0)
            return false;
    } else {
        std::tie(b, at) =
            locate([&](std::uint32_t slot) { return compareEntry(slot, k, rec) < 0; });
    }
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
    if (blocks_.empty()) {
        blocks_.push_back({slot});
        starts_.push_back(0);
        size_ = 1;
        return true;
    }
    blocks_[b].insert(blocks_[b].begin() + static_cast<std::ptrdiff_t>(at), slot);
    shiftStarts(b, true);
    splitOrJoin(b);
    return true;
}

bool KeyList::erase(std::string_view key, std::uint32_t rec) {
    std::string k(key.substr(0, static_cast<std::size_t>(keyLen_)));
    k.resize(static_cast<std::size_t>(keyLen_), ' ');
    if (blocks_.empty()) return false;
    const auto [b, at] = locate([&](std::uint32_t slot) { return compareEntry(slot, k, rec) < 0; });
    auto& block = blocks_[b];
    if (at >= block.size() || compareEntry(block[at], k, rec) != 0) return false;
    free_.push_back(block[at]);
    block.erase(block.begin() + static_cast<std::ptrdiff_t>(at));
    shiftStarts(b, false);
    splitOrJoin(b);
    return true;
}

std::size_t KeyList::seek(std::string_view prefix) const {
    const std::string_view p = prefix.substr(0, std::min(prefix.size(), std::size_t(keyLen_)));
    return position([&](std::uint32_t slot) { return comparePrefixOfSlot(slot, p) < 0; });
}

std::size_t KeyList::seekAfter(std::string_view prefix) const {
    return position([&](std::uint32_t slot) { return comparePrefixOfSlot(slot, prefix) <= 0; });
}

int KeyList::comparePrefix(std::string_view key, std::string_view prefix) const {
    const std::size_t n = std::min({prefix.size(), key.size(), static_cast<std::size_t>(keyLen_)});
    int c = std::memcmp(key.data(), prefix.data(), n);
    c = c < 0 ? -1 : (c > 0 ? 1 : 0);
    return descending_ ? -c : c;
}

bool KeyList::prefixMatches(std::size_t pos, std::string_view prefix) const {
    if (pos >= size_) return false;
    const std::size_t n = std::min(prefix.size(), static_cast<std::size_t>(keyLen_));
    return std::memcmp(keyOfSlot(slotAt(pos)), prefix.data(), n) == 0;
}

void KeyList::assignOrder(const std::vector<std::uint32_t>& order) {
    blocks_.clear();
    starts_.clear();
    size_ = order.size();
    for (std::size_t at = 0; at < order.size(); at += kBlock) {
        const std::size_t end = std::min(order.size(), at + kBlock);
        blocks_.emplace_back(order.begin() + static_cast<std::ptrdiff_t>(at),
                             order.begin() + static_cast<std::ptrdiff_t>(end));
        starts_.push_back(at);
    }
}

void KeyList::load(std::vector<char>&& keys, std::vector<std::uint32_t>&& recs) {
    pool_ = std::move(keys);
    recs_ = std::move(recs);
    free_.clear();
    const std::size_t n = recs_.size();
    pool_.resize(n * static_cast<std::size_t>(keyLen_), ' ');
    std::vector<std::uint32_t> order(n);
    for (std::size_t i = 0; i < n; ++i)
        order[i] = static_cast<std::uint32_t>(i);
    auto less = [this](std::uint32_t a, std::uint32_t b) {
        const int c = compareKeys(keyOfSlot(a), keyOfSlot(b));
        if (c != 0) return c < 0;
        return recs_[a] < recs_[b];
    };
    if (!std::is_sorted(order.begin(), order.end(), less)) {
        // Sort on the first eight key bytes first: most comparisons then touch no key memory.
        struct Item {
            std::uint64_t prefix;
            std::uint32_t slot;
        };
        std::vector<Item> items(n);
        const std::size_t pl = std::min<std::size_t>(8, static_cast<std::size_t>(keyLen_));
        for (std::size_t i = 0; i < n; ++i) {
            std::uint64_t p = 0;
            const auto* k =
                reinterpret_cast<const unsigned char*>(keyOfSlot(static_cast<std::uint32_t>(i)));
            for (std::size_t j = 0; j < 8; ++j)
                p = (p << 8) | (j < pl ? k[j] : 0);
            items[i] = {descending_ ? ~p : p, static_cast<std::uint32_t>(i)};
        }
        std::sort(items.begin(), items.end(), [&](const Item& a, const Item& b) {
            if (a.prefix != b.prefix) return a.prefix < b.prefix;
            return less(a.slot, b.slot);
        });
        for (std::size_t i = 0; i < n; ++i)
            order[i] = items[i].slot;
    }
    if (unique_ && n > 1) {
        std::vector<std::uint32_t> kept;
        kept.reserve(n);
        for (std::size_t i = 0; i < n; ++i) {
            if (!kept.empty() && compareKeys(keyOfSlot(kept.back()), keyOfSlot(order[i])) == 0) {
                free_.push_back(order[i]);
                continue;
            }
            kept.push_back(order[i]);
        }
        order = std::move(kept);
    }
    assignOrder(order);
}

std::uint32_t KeyList::maxRecord() const {
    std::uint32_t m = 0;
    for (const auto& block : blocks_)
        for (const auto slot : block)
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
    std::vector<std::uint32_t> order(n);
    for (std::size_t i = 0; i < n; ++i)
        order[i] = static_cast<std::uint32_t>(i);
    assignOrder(order);
}

void KeyList::appendSorted(std::string_view key, std::uint32_t rec) {
    const auto slot = static_cast<std::uint32_t>(recs_.size());
    recs_.push_back(rec);
    const std::size_t at = pool_.size();
    pool_.resize(at + static_cast<std::size_t>(keyLen_), ' ');
    std::memcpy(pool_.data() + at, key.data(),
                std::min(key.size(), static_cast<std::size_t>(keyLen_)));
    if (blocks_.empty() || blocks_.back().size() >= kBlock) {
        blocks_.emplace_back();
        blocks_.back().reserve(kBlock);
        starts_.push_back(size_);
    }
    blocks_.back().push_back(slot);
    ++size_;
}

} // namespace vorlan::dbf
