// The in-memory key list of an order against a plain sorted list of the same entries, through
// enough inserts and erases that its blocks split, join and vanish.
#include "dbf/key_list.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

using namespace vorlan::dbf;

namespace {

constexpr int kModelKeys = 15625;

// Six-byte keys from a small alphabet, so that many share prefixes; their byte order is the
// order of the numbers they are made from.
std::string modelKey(int n) {
    std::string k(6, 'A');
    for (int i = 5; i >= 0; --i, n /= 5)
        k[static_cast<std::size_t>(i)] = static_cast<char>('A' + n % 5);
    return k;
}

// Entries as (key number, record number): cheap to move, in the same order as the keys.
using ModelEntry = std::pair<int, std::uint32_t>;

struct ModelList {
    bool descending = false;
    bool unique = false;
    std::vector<ModelEntry> entries;

    bool before(const ModelEntry& a, const ModelEntry& b) const {
        if (a.first != b.first) return descending ? a.first > b.first : a.first < b.first;
        return a.second < b.second;
    }
    std::vector<ModelEntry>::iterator lowerBound(const ModelEntry& e) {
        return std::lower_bound(
            entries.begin(), entries.end(), e,
            [&](const ModelEntry& x, const ModelEntry& y) { return before(x, y); });
    }
    bool insert(const ModelEntry& e) {
        if (unique) {
            const auto first = lowerBound({e.first, 0});
            if (first != entries.end() && first->first == e.first) return false;
        }
        entries.insert(lowerBound(e), e);
        return true;
    }
    bool erase(const ModelEntry& e) {
        const auto it = lowerBound(e);
        if (it == entries.end() || *it != e) return false;
        entries.erase(it);
        return true;
    }
    // The first entry whose key, cut to the prefix's length, is not before (after: comes after)
    // the prefix.
    std::size_t seek(const std::string& prefix, bool after) const {
        std::size_t i = 0;
        for (; i < entries.size(); ++i) {
            const int c = modelKey(entries[i].first).substr(0, prefix.size()).compare(prefix);
            const int d = descending ? -c : c;
            if (after ? d > 0 : d >= 0) break;
        }
        return i;
    }
};

void expectSameAsModel(const KeyList& keys, const ModelList& model, std::mt19937& rng,
                       const char* when) {
    ASSERT_EQ(keys.size(), model.entries.size()) << when;
    std::uint32_t maxRec = 0;
    for (std::size_t i = 0; i < model.entries.size(); ++i) {
        ASSERT_EQ(keys.keyAt(i), modelKey(model.entries[i].first)) << when << ", position " << i;
        ASSERT_EQ(keys.recAt(i), model.entries[i].second) << when << ", position " << i;
        maxRec = std::max(maxRec, model.entries[i].second);
    }
    EXPECT_EQ(keys.maxRecord(), maxRec) << when;
    for (int probe = 0; probe < 20; ++probe) {
        const std::string prefix =
            modelKey(static_cast<int>(rng() % kModelKeys)).substr(0, 1 + rng() % 6);
        ASSERT_EQ(keys.seek(prefix), model.seek(prefix, false)) << when << ", " << prefix;
        ASSERT_EQ(keys.seekAfter(prefix), model.seek(prefix, true)) << when << ", " << prefix;
        const std::size_t at = keys.seek(prefix);
        const bool matches =
            at < model.entries.size() &&
            modelKey(model.entries[at].first).compare(0, prefix.size(), prefix) == 0;
        ASSERT_EQ(keys.prefixMatches(at, prefix), matches) << when << ", " << prefix;
        if (model.entries.empty()) continue;
        const ModelEntry& e = model.entries[rng() % model.entries.size()];
        const std::string key = modelKey(e.first);
        ASSERT_EQ(keys.keyAt(keys.find(key, e.second)), key) << when;
        ASSERT_EQ(keys.recAt(keys.find(key, e.second)), e.second) << when;
        ASSERT_EQ(keys.find(key, 999999), KeyList::npos) << when;
    }
}

} // namespace

TEST(DbfKeyList, StaysInOrderThroughSplitsJoinsAndBulkLoads) {
    for (const bool descending : {false, true}) {
        for (const bool unique : {false, true}) {
            SCOPED_TRACE(std::string(descending ? "descending" : "ascending") +
                         (unique ? ", unique" : ""));
            std::mt19937 rng(descending ? 11u : 5u + (unique ? 1u : 0u));
            KeyList keys;
            keys.reset(6, descending, unique);
            ModelList model{descending, unique, {}};
            // Built from unsorted keys: a unique order keeps the first record of each key.
            std::vector<char> pool;
            std::vector<std::uint32_t> recs;
            for (std::uint32_t r = 1; r <= 6000; ++r) {
                const auto n = static_cast<int>(rng() % kModelKeys);
                const std::string k = modelKey(n);
                pool.insert(pool.end(), k.begin(), k.end());
                recs.push_back(r);
                model.insert({n, r});
            }
            keys.load(std::move(pool), std::move(recs));
            expectSameAsModel(keys, model, rng, "after the load");
            std::uint32_t next = 6001;
            // Grow past several block splits, mostly in one region, then shrink (once to
            // nothing) and grow again: blocks join with their neighbours and vanish.
            for (int round = 0; round < 3; ++round) {
                for (int i = 0; i < 6000; ++i) {
                    // Mostly equal keys in one region, so that one block takes most inserts.
                    const auto n = static_cast<int>(rng() % 4 ? rng() % 50 : rng() % kModelKeys);
                    ASSERT_EQ(keys.insert(modelKey(n), next), model.insert({n, next}));
                    ++next;
                }
                expectSameAsModel(keys, model, rng, "after inserts");
                const std::size_t keep = round == 1 ? 0 : model.entries.size() / 5;
                while (model.entries.size() > keep) {
                    const ModelEntry e = model.entries[rng() % model.entries.size()];
                    ASSERT_TRUE(keys.erase(modelKey(e.first), e.second));
                    model.erase(e);
                    ASSERT_FALSE(keys.erase(modelKey(e.first), e.second));
                }
                expectSameAsModel(keys, model, rng, "after erases");
            }
            // Keys read from a file in order, then changed.
            KeyList read;
            read.reset(6, descending, unique);
            std::vector<char> filePool;
            std::vector<std::uint32_t> fileRecs;
            for (const auto& [n, r] : model.entries) {
                const std::string k = modelKey(n);
                filePool.insert(filePool.end(), k.begin(), k.end());
                fileRecs.push_back(r);
            }
            read.loadChecked(std::move(filePool), std::move(fileRecs));
            for (int i = 0; i < 3000; ++i) {
                const auto n = static_cast<int>(rng() % kModelKeys);
                ASSERT_EQ(read.insert(modelKey(n), next), model.insert({n, next}));
                ++next;
            }
            expectSameAsModel(read, model, rng, "after loading checked keys");
        }
    }
}
