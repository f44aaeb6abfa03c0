// NtxKeys inserted into and removed from an .NTX file in place: after any run of changes the file
// reads back as exactly the keys a sorted model holds, the tree stays balanced with no page but
// the root empty, and every page is either in the tree or on the free list.
#include "dbf/index.h"
#include "dbf/ntx_pages.h"
#include "temp_dir.h"

#include <gtest/gtest.h>
#include <optional>
#include <random>
#include <set>

using namespace vorlan::dbf;

namespace {

struct NtxModel {
    bool descending = false;
    bool operator()(const std::pair<std::string, std::uint32_t>& a,
                    const std::pair<std::string, std::uint32_t>& b) const {
        if (a.first != b.first) return descending ? a.first > b.first : a.first < b.first;
        return a.second < b.second;
    }
};

using NtxKeys = std::set<std::pair<std::string, std::uint32_t>, NtxModel>;

const unsigned char* pageAt(const std::string& bytes, std::size_t offset) {
    return reinterpret_cast<const unsigned char*>(bytes.data()) + offset;
}

// Walks the tree from the root: every leaf at one depth, no page but the root without items, and
// every page of the file in the tree or on the free list, once.
void expectSoundTree(const std::string& bytes) {
    const NtxLayout l = NtxLayout::of(pageAt(bytes, 0));
    const std::size_t pages = bytes.size() / kNtxPage;
    std::vector<int> use(pages, 0);
    int leafDepth = -1;
    std::vector<std::pair<std::uint32_t, int>> todo{{getLe32(pageAt(bytes, 4)), 0}};
    while (!todo.empty()) {
        const auto [off, depth] = todo.back();
        todo.pop_back();
        ASSERT_EQ(off % kNtxPage, 0u);
        ASSERT_LT(off / kNtxPage, pages);
        ++use[off / kNtxPage];
        const unsigned char* p = pageAt(bytes, off);
        const int count = getLe16(p);
        if (depth > 0) {
            ASSERT_GT(count, 0) << "empty page below the root at " << off;
        }
        const std::uint32_t first = getLe32(p + getLe16(p + 2));
        if (first == 0) {
            if (leafDepth < 0) leafDepth = depth;
            ASSERT_EQ(depth, leafDepth) << "leaves at different depths";
            continue;
        }
        for (int j = 0; j <= count; ++j)
            todo.push_back({getLe32(p + getLe16(p + 2 + 2 * j)), depth + 1});
    }
    const std::size_t base = 2 + static_cast<std::size_t>(l.maxItems + 1) * 2;
    for (std::uint32_t f = getLe32(pageAt(bytes, 8)); f != 0;
         f = getLe32(pageAt(bytes, f + base))) {
        ASSERT_LT(f / kNtxPage, pages);
        ++use[f / kNtxPage];
        ASSERT_LE(use[f / kNtxPage], 1);
    }
    for (std::size_t i = 1; i < pages; ++i)
        EXPECT_EQ(use[i], 1) << "page " << i * kNtxPage;
}

void expectNtxFileHolds(const std::filesystem::path& path, const NtxKeys& model) {
    const std::string bytes = dbftest::readAll(path);
    KeyList back;
    ASSERT_NO_THROW(readNtxBytes(bytes, back));
    ASSERT_EQ(back.size(), model.size());
    std::size_t i = 0;
    for (const auto& [key, rec] : model) {
        ASSERT_EQ(back.keyAt(i), key) << i;
        ASSERT_EQ(back.recAt(i), rec) << i;
        ++i;
    }
    expectSoundTree(bytes);
}

std::array<unsigned char, kNtxPage> ntxHeaderOf(const std::filesystem::path& path) {
    std::array<unsigned char, kNtxPage> h{};
    File f;
    f.open(path, true);
    f.readExact(0, h.data(), h.size());
    return h;
}

} // namespace

TEST(DbfNtxPages, RandomInsertsAndErasesKeepTheTreeExact) {
    dbftest::TempDir dir;
    const auto path = dir / "t.ntx";
    std::mt19937 rng(5);
    for (const bool descending : {false, true})
        for (const int keyLen : {4, 30, 120})
            for (const std::size_t initial : {0u, 1u, 700u}) {
                SCOPED_TRACE(std::to_string(keyLen) + (descending ? " desc " : " asc ") +
                             std::to_string(initial));
                NtxKeys model(NtxModel{descending});
                std::uint32_t nextRec = 1;
                auto randomKey = [&] {
                    std::string k(static_cast<std::size_t>(keyLen), ' ');
                    // Few letters and varied lengths: equal keys and long shared prefixes.
                    const std::size_t used = 1 + rng() % static_cast<std::size_t>(keyLen);
                    for (std::size_t j = 0; j < used; ++j)
                        k[j] = static_cast<char>('a' + rng() % 3);
                    return k;
                };
                KeyList keys;
                keys.reset(keyLen, descending, false);
                for (std::size_t i = 0; i < initial; ++i)
                    model.insert({randomKey(), nextRec++});
                for (const auto& [k, r] : model)
                    keys.appendSorted(k, r);
                IndexHeader h;
                h.keyExpr = "K";
                h.keyLength = keyLen;
                h.descending = descending;
                writeNtxFile(path, h, keys);
                File f;
                f.open(path, false);
                // One editor for a run of changes, as for the key changes of one commit. Phases
                // that mostly erase take the tree down to a few keys, so that pages empty, borrow,
                // merge and the root shrinks; the phases after grow it again from freed pages.
                std::optional<NtxPageEditor> editor;
                std::uint64_t largest = 0;
                for (int step = 0; step < 3000; ++step) {
                    if (step % 7 == 0) {
                        if (editor) editor->flush();
                        largest = std::max(largest, f.size());
                        editor.emplace(f, ntxHeaderOf(path).data(), descending);
                    }
                    const bool erasing = (step / 500) % 2 == 1;
                    if (model.empty() || rng() % 4 >= (erasing ? 3u : 1u)) {
                        const std::uint32_t rec = nextRec++;
                        const std::string k = randomKey();
                        editor->insert(k, rec);
                        model.insert({k, rec});
                    } else {
                        auto it = model.begin();
                        std::advance(it, static_cast<long>(rng() % model.size()));
                        ASSERT_TRUE(editor->erase(it->first, it->second));
                        model.erase(it);
                    }
                    if (step % 250 == 249) {
                        editor->flush();
                        expectNtxFileHolds(path, model);
                        if (HasFatalFailure()) return;
                    }
                }
                editor->flush();
                expectNtxFileHolds(path, model);
                // Pages freed by the erasing phases were taken again before the file grew.
                EXPECT_LE(f.size(), largest + largest / 4 + 4 * kNtxPage);
            }
}

TEST(DbfNtxPages, ErasingAKeyThatIsNotThereChangesNothing) {
    dbftest::TempDir dir;
    const auto path = dir / "t.ntx";
    KeyList keys;
    keys.reset(6, false, false);
    NtxKeys model(NtxModel{false});
    for (std::uint32_t r = 1; r <= 300; ++r) {
        keys.appendSorted("K" + std::to_string(1000 + r) + " ", r);
        model.insert({"K" + std::to_string(1000 + r) + " ", r});
    }
    writeNtxFile(path, IndexHeader{"K", "", 6}, keys);
    File f;
    f.open(path, false);
    NtxPageEditor editor(f, ntxHeaderOf(path).data(), false);
    EXPECT_FALSE(editor.erase("K1050 ", 7));
    EXPECT_FALSE(editor.erase("K0000 ", 1));
    EXPECT_FALSE(editor.erase("K9999 ", 1));
    EXPECT_TRUE(editor.touched().empty());
    editor.flush();
    expectNtxFileHolds(path, model);
}

TEST(DbfNtxPages, RoundsOfErasingEveryKeyAndInsertingNewOnesKeepTheFileSize) {
    dbftest::TempDir dir;
    const auto path = dir / "t.ntx";
    KeyList empty;
    empty.reset(10, false, false);
    writeNtxFile(path, IndexHeader{"K", "", 10}, empty);
    File f;
    f.open(path, false);
    std::mt19937 rng(11);
    NtxKeys model(NtxModel{false});
    std::uint32_t nextRec = 1;
    std::uint64_t afterFirst = 0;
    for (int round = 0; round < 5; ++round) {
        {
            NtxPageEditor editor(f, ntxHeaderOf(path).data(), false);
            for (const auto& [k, r] : model)
                ASSERT_TRUE(editor.erase(k, r));
            editor.flush();
        }
        model.clear();
        NtxPageEditor editor(f, ntxHeaderOf(path).data(), false);
        for (int i = 0; i < 3000; ++i) {
            std::string k = std::to_string(rng() % 100000);
            k.resize(10, ' ');
            editor.insert(k, nextRec);
            model.insert({k, nextRec++});
        }
        editor.flush();
        expectNtxFileHolds(path, model);
        if (round == 0) afterFirst = f.size();
        EXPECT_LE(f.size(), afterFirst + afterFirst / 10) << "round " << round;
    }
}

TEST(DbfNtxPages, GrowingKeysFillTheirPagesAsABulkBuildDoes) {
    // Appended records mostly bring keys greater than every other (numbers, dates): the pages
    // they leave behind are as full as a bulk build's, not half empty.
    dbftest::TempDir dir;
    const auto grown = dir / "grown.ntx", built = dir / "built.ntx";
    KeyList keys;
    keys.reset(10, false, false);
    writeNtxFile(grown, IndexHeader{"K", "", 10}, keys);
    NtxKeys model(NtxModel{false});
    {
        File f;
        f.open(grown, false);
        NtxPageEditor editor(f, ntxHeaderOf(grown).data(), false);
        for (std::uint32_t r = 1; r <= 20000; ++r) {
            const std::string k = std::to_string(1000000 + r) + "   ";
            editor.insert(k, r);
            model.insert({k, r});
            keys.appendSorted(k, r);
        }
        editor.flush();
    }
    expectNtxFileHolds(grown, model);
    writeNtxFile(built, IndexHeader{"K", "", 10}, keys);
    EXPECT_LE(std::filesystem::file_size(grown), std::filesystem::file_size(built) * 21 / 20);
}
