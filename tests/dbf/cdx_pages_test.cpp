// Keys inserted into and removed from a compound index file in place: after any run of changes
// the file reads back, with every check of the reader, as exactly the keys a sorted model holds.
#include "dbf/cdx.h"
#include "dbf/cdx_pages.h"
#include "temp_dir.h"

#include <gtest/gtest.h>
#include <optional>
#include <random>
#include <set>

using namespace vorlan::dbf;

namespace {

struct Model {
    bool descending = false;
    bool operator()(const std::pair<std::string, std::uint32_t>& a,
                    const std::pair<std::string, std::uint32_t>& b) const {
        if (a.first != b.first) return descending ? a.first > b.first : a.first < b.first;
        return a.second < b.second;
    }
};

using Keys = std::set<std::pair<std::string, std::uint32_t>, Model>;

void expectFileHolds(const std::filesystem::path& path, const Keys& model, char pad) {
    const std::string bytes = dbftest::readAll(path);
    const auto tags = readCdxDirectory(bytes);
    ASSERT_EQ(tags.size(), 1u);
    KeyList back;
    ASSERT_NO_THROW(readCdxTag(bytes, tags[0].offset, pad, back));
    ASSERT_EQ(back.size(), model.size());
    std::size_t i = 0;
    for (const auto& [key, rec] : model) {
        ASSERT_EQ(back.keyAt(i), key) << i;
        ASSERT_EQ(back.recAt(i), rec) << i;
        ++i;
    }
}

} // namespace

TEST(DbfCdxPages, RandomInsertsAndErasesKeepTheTreeExact) {
    dbftest::TempDir dir;
    const auto path = dir / "t.cdx";
    std::mt19937 rng(3);
    for (const bool descending : {false, true})
        for (const int keyLen : {4, 30, 120})
            for (const std::size_t initial : {0u, 1u, 700u}) {
                SCOPED_TRACE(std::to_string(keyLen) + (descending ? " desc " : " asc ") +
                             std::to_string(initial));
                const char pad = keyLen == 4 ? '\0' : ' ';
                Keys model(Model{descending});
                std::uint32_t nextRec = 1;
                auto randomKey = [&] {
                    std::string k(static_cast<std::size_t>(keyLen), pad);
                    // Few letters and varied lengths: long shared prefixes, equal keys, blanks.
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
                const auto written = writeCdxFile(path, {{"T", h, &keys, pad}});
                File f;
                f.open(path, false);
                // One editor for a run of changes, as for the key changes of one commit: it
                // keeps the pages it changed and writes them when flushed.
                std::optional<CdxPageEditor> editor;
                for (int step = 0; step < 1500; ++step) {
                    if (step % 7 == 0) {
                        if (editor) editor->flush();
                        editor.emplace(f, written[0].offset, keyLen, descending, pad);
                    }
                    if (model.empty() || rng() % 3 != 0) {
                        // Records far apart widen the record-number fields of a leaf.
                        const std::uint32_t rec = rng() % 4 == 0 ? 5000000 + nextRec++ : nextRec++;
                        const std::string k = randomKey();
                        editor->insert(k, rec);
                        model.insert({k, rec});
                    } else {
                        auto it = model.begin();
                        std::advance(it, static_cast<long>(rng() % model.size()));
                        editor->erase(it->first, it->second);
                        model.erase(it);
                    }
                    if (step % 500 == 499) {
                        editor->flush();
                        expectFileHolds(path, model, pad);
                    }
                }
                editor->flush();
                expectFileHolds(path, model, pad);
            }
}

TEST(DbfCdxPages, AKeyThatIsNotThereIsRefusedAndTheFileStaysReadable) {
    dbftest::TempDir dir;
    const auto path = dir / "t.cdx";
    KeyList keys;
    keys.reset(6, false, false);
    for (std::uint32_t r = 1; r <= 100; ++r)
        keys.appendSorted("K" + std::to_string(1000 + r) + " ", r);
    const auto written = writeCdxFile(path, {{"T", IndexHeader{"K", "", 6}, &keys, ' '}});
    File f;
    f.open(path, false);
    CdxPageEditor editor(f, written[0].offset, 6, false, ' ');
    EXPECT_THROW(editor.erase("K1050 ", 7), DbfError);
    Keys model(Model{false});
    for (std::uint32_t r = 1; r <= 100; ++r)
        model.insert({"K" + std::to_string(1000 + r) + " ", r});
    expectFileHolds(path, model, ' ');
}

TEST(DbfCdxPages, TheChangeLogListsEachPageOnceAndReachesBackOverRepeatedChanges) {
    // Appends change the same pages at the right edge of a tag commit after commit; the log must
    // still tell a reader several commits behind every page changed since, and only those.
    std::vector<unsigned char> region(kCdxLogSize);
    CdxChangeLog log;
    log.counter = 1;
    log.from = 1;
    for (std::uint32_t c = 2; c <= 200; ++c) {
        std::vector<std::pair<std::uint32_t, std::uint32_t>> pages = {
            {1024, 512}, {1536, 512}, {2048 + 512 * (c % 5), 512}};
        log.add(c, pages);
        log.write(region.data());
        log = CdxChangeLog::read(region.data());
    }
    std::vector<CdxChangeLog::Item> behind;
    ASSERT_TRUE(log.since(150, behind));
    std::set<std::uint32_t> pages;
    for (const auto& item : behind)
        EXPECT_TRUE(pages.insert(item.page).second) << "page listed twice: " << item.page;
    EXPECT_EQ(pages.size(), 7u);
    // A change of pages the reader has seen already lists only pages changed after it.
    std::vector<CdxChangeLog::Item> recent;
    ASSERT_TRUE(log.since(199, recent));
    ASSERT_EQ(recent.size(), 3u);
    // Many different pages push the oldest out: a reader behind them is told to compare.
    for (std::uint32_t c = 201; c <= 600; ++c)
        log.add(c, {{1024 * 1024 + 512 * c, 512}});
    std::vector<CdxChangeLog::Item> old;
    EXPECT_FALSE(log.since(150, old));
}
