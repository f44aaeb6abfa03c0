#include "dbf/index.h"
#include "dbf/table.h"
#include "dbf/xbase_text.h"
#include "engine_inspection.h"
#include "temp_dir.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <random>

using namespace vorlan::dbf;
using dbftest::entries;
using dbftest::walk;

namespace {

std::unique_ptr<Table> namesTable(const dbftest::TempDir& dir,
                                  const std::vector<std::string>& names) {
    auto t = Table::create(dir / "names.dbf", {{"NAME", 'C', 8}, {"N", 'N', 6, 1}, {"D", 'D'}});
    int i = 0;
    for (const auto& n : names) {
        t->append();
        t->setString(0, n);
        t->setNumber(1, (i % 2 ? -1 : 1) * i * 1.5);
        t->setDate(2, julianFromYmd(2000, 1, 1) + (i * 37) % 400);
        ++i;
    }
    t->flush();
    return t;
}

} // namespace

TEST(DbfIndex, OrderAndSeekAfterInsertsAndDeletes) {
    dbftest::TempDir dir;
    dbftest::SettingsGuard guard;
    auto t = namesTable(dir, {"PAVEL", "ADAM", "JANA", "EVA", "JAN"});
    t->createIndex(dir / "byname.ntx", "UPPER(NAME)");
    EXPECT_EQ(t->order(), 1);
    EXPECT_EQ(walk(*t), (std::vector<std::uint32_t>{2, 4, 5, 3, 1}));

    EXPECT_TRUE(t->seek("JAN"));
    EXPECT_EQ(t->recNo(), 5u); // "JAN     " sorts before "JANA    "
    EXPECT_TRUE(t->seek("JANA"));
    EXPECT_EQ(t->recNo(), 3u);
    EXPECT_FALSE(t->seek("BOB", false));
    EXPECT_TRUE(t->eof());
    EXPECT_FALSE(t->seek("BOB", true)); // soft seek stops on the next key
    EXPECT_FALSE(t->eof());
    EXPECT_EQ(t->recNo(), 4u);
    EXPECT_FALSE(t->found());
    EXPECT_FALSE(t->seek("ZZZ", true));
    EXPECT_TRUE(t->eof());

    // A new record and a changed key move in the order; skip continues from the record.
    t->append();
    t->setString(0, "BOB");
    t->goTo(1);
    t->setString(0, "ALENA");
    t->flush();
    EXPECT_EQ(walk(*t), (std::vector<std::uint32_t>{2, 1, 6, 4, 5, 3}));
    EXPECT_TRUE(t->seek("BOB"));
    EXPECT_EQ(t->recNo(), 6u);
    EXPECT_EQ(t->currentKey(), "BOB     ");
    EXPECT_EQ(t->keyPosition(), 3u);
    t->skip(1);
    EXPECT_EQ(t->recNo(), 4u);
    t->skip(-2);
    EXPECT_EQ(t->recNo(), 1u);

    settings().hideDeleted = true;
    t->goTo(4);
    t->deleteRecord();
    t->flush();
    EXPECT_FALSE(t->seek("EVA", false));
    EXPECT_FALSE(t->seek("EVA", true));
    EXPECT_EQ(t->recNo(), 5u); // the deleted record is passed over
    EXPECT_EQ(walk(*t), (std::vector<std::uint32_t>{2, 1, 6, 5, 3}));
    t->setOrder(0);
    EXPECT_EQ(walk(*t), (std::vector<std::uint32_t>{1, 2, 3, 5, 6}));
    EXPECT_THROW(t->seek("X"), DbfError);
}

TEST(DbfIndex, ExactSeekNeedsTheWholeKey) {
    dbftest::TempDir dir;
    dbftest::SettingsGuard guard;
    auto t = namesTable(dir, {"JANA", "JAN"});
    t->createIndex(dir / "n.ntx", "NAME");
    settings().exact = true;
    EXPECT_TRUE(t->seek("JAN", false));
    EXPECT_EQ(t->recNo(), 2u);
    EXPECT_FALSE(t->seek("JA", false));
}

TEST(DbfIndex, ReindexEqualsIncrementalMaintenance) {
    dbftest::TempDir dir;
    auto t = namesTable(dir, {});
    auto& byName = t->createIndex(dir / "a.ntx", "NAME + STR(N, 6, 1)");
    auto& byNum = t->createIndex(dir / "b.ntx", "N", {.descending = true});
    auto& byDate = t->createIndex(dir / "c.ntx", "D", {.forExpr = "N > 0"});
    std::mt19937 rng(7);
    for (int step = 0; step < 3000; ++step) {
        const int action = static_cast<int>(rng() % 4);
        if (action == 0 || t->recordCount() == 0) {
            t->append();
        } else {
            t->goTo(1 + rng() % t->recordCount());
        }
        std::string name(1 + rng() % 8, 'A');
        for (auto& c : name)
            c = static_cast<char>('A' + rng() % 5);
        t->setString(0, name);
        t->setNumber(1, static_cast<double>(static_cast<int>(rng() % 2001) - 1000) / 10.0);
        t->setDate(2, julianFromYmd(1990, 1, 1) + static_cast<std::int32_t>(rng() % 20000));
    }
    t->flush();
    const auto a = entries(byName.keys()), b = entries(byNum.keys()), c = entries(byDate.keys());
    t->reindex();
    EXPECT_EQ(entries(byName.keys()), a);
    EXPECT_EQ(entries(byNum.keys()), b);
    EXPECT_EQ(entries(byDate.keys()), c);
    EXPECT_LT(c.size(), a.size()); // the FOR condition left records out
    // Descending numeric order really is numeric, negatives included.
    t->setOrder(2);
    double last = 1e9;
    for (t->goTop(); !t->eof(); t->skip()) {
        EXPECT_LE(t->getNumber(1), last);
        last = t->getNumber(1);
    }
    // And the files read back as written.
    t->commit();
    KeyList fromFile;
    const IndexHeader h = readNtxFile(dir / "a.ntx", fromFile);
    EXPECT_EQ(h.keyExpr, "NAME + STR(N, 6, 1)");
    EXPECT_EQ(h.keyLength, 14);
    EXPECT_EQ(entries(fromFile), a);
    KeyList desc;
    EXPECT_TRUE(readNtxFile(dir / "b.ntx", desc).descending);
    EXPECT_EQ(entries(desc), b);
    KeyList cond;
    EXPECT_EQ(readNtxFile(dir / "c.ntx", cond).forExpr, "N > 0");
}

TEST(DbfIndex, UniqueKeepsTheFirstRecordOfEachKey) {
    dbftest::TempDir dir;
    auto t = namesTable(dir, {"B", "A", "B", "A", "C"});
    t->createIndex(dir / "u.ntx", "NAME", {.unique = true});
    EXPECT_EQ(walk(*t), (std::vector<std::uint32_t>{2, 1, 5}));
    t->append();
    t->setString(0, "A");
    t->flush();
    EXPECT_EQ(walk(*t), (std::vector<std::uint32_t>{2, 1, 5}));
}

TEST(DbfIndex, NumericAndDateKeysSortByValue) {
    EXPECT_LT(numericKeyText(-50, 6, 1), numericKeyText(-5, 6, 1));
    EXPECT_LT(numericKeyText(-0.5, 6, 1), numericKeyText(0, 6, 1));
    EXPECT_LT(numericKeyText(9.9, 6, 1), numericKeyText(10, 6, 1));
    dbftest::TempDir dir;
    dbftest::SettingsGuard guard;
    settings().dateFormat = DateFormat::German;
    settings().century = true;
    auto t = namesTable(dir, {"a", "b", "c", "d", "e", "f"});
    t->createIndex(dir / "d.ntx", "D");
    std::int32_t last = 0;
    for (t->goTop(); !t->eof(); t->skip()) {
        EXPECT_GE(t->getDate(2), last);
        last = t->getDate(2);
    }
    t->goTo(4);
    const std::string text = dateToText(t->getDate(2));
    t->goTop();
    EXPECT_TRUE(t->seek(text));
    EXPECT_EQ(t->recNo(), 4u);
    t->createIndex(dir / "n.ntx", "N");
    EXPECT_TRUE(t->seek("-4.5"));
    EXPECT_EQ(t->recNo(), 4u);
}

TEST(DbfIndex, MultiLevelFilesOpenWithTheirTable) {
    dbftest::TempDir dir;
    std::vector<std::string> names;
    std::mt19937 rng(3);
    for (int i = 0; i < 5000; ++i)
        names.push_back(std::to_string(rng() % 100000));
    {
        auto t = namesTable(dir, names);
        t->createIndex(dir / "big.ntx", "NAME");
    }
    auto t = Table::open(dir / "names.dbf");
    t->openIndex(dir / "big.ntx");
    EXPECT_EQ(t->index(1).keys().size(), 5000u);
    std::string last;
    int n = 0;
    for (t->goTop(); !t->eof(); t->skip(), ++n) {
        const std::string cur(t->raw(0));
        EXPECT_LE(last, cur);
        last = cur;
    }
    EXPECT_EQ(n, 5000);
    EXPECT_EQ(t->orderOf("big"), 1);
    // Root page offset and page count as the layout requires: whole 1024-byte pages.
    const std::string bytes = dbftest::readAll(dir / "big.ntx");
    EXPECT_EQ(bytes.size() % 1024, 0u);
    const auto* h = reinterpret_cast<const unsigned char*>(bytes.data());
    EXPECT_EQ(getLe16(h), 6);
    EXPECT_EQ(getLe16(h + 12), 16); // item size = key + 8
    EXPECT_EQ(getLe16(h + 14), 8);
    EXPECT_EQ(getLe32(h + 4) % 1024, 0u);
}

// A two-level file put together by hand from the published layout: a root with one item whose
// left child holds "AA", "AB" and whose right child holds "AD"; the root item itself is "AC".
TEST(DbfIndex, ReadsHandBuiltNtxFixture) {
    const int keySize = 2, itemSize = 10, maxItems = 4;
    std::string file(4 * 1024, '\0');
    auto* p = reinterpret_cast<unsigned char*>(file.data());
    putLe16(p, 6);
    putLe32(p + 4, 3 * 1024);
    putLe16(p + 12, itemSize);
    putLe16(p + 14, keySize);
    putLe16(p + 18, maxItems);
    putLe16(p + 20, maxItems / 2);
    std::memcpy(p + 22, "CODE", 4);
    auto page = [&](int n, std::vector<std::tuple<std::uint32_t, std::uint32_t, std::string>> items,
                    std::uint32_t right) {
        unsigned char* pg = p + n * 1024;
        putLe16(pg, static_cast<std::uint32_t>(items.size()));
        const int base = 2 + (maxItems + 1) * 2;
        // Slots used in reverse so the offsets array, not the physical order, gives key order.
        for (int j = 0; j <= maxItems; ++j)
            putLe16(pg + 2 + 2 * j, base + (maxItems - j) * itemSize);
        for (std::size_t j = 0; j <= items.size(); ++j) {
            unsigned char* it = pg + getLe16(pg + 2 + 2 * j);
            if (j == items.size()) {
                putLe32(it, right);
                break;
            }
            putLe32(it, std::get<0>(items[j]));
            putLe32(it + 4, std::get<1>(items[j]));
            std::memcpy(it + 8, std::get<2>(items[j]).data(), 2);
        }
    };
    page(1, {{0, 7, "AA"}, {0, 3, "AB"}}, 0);
    page(2, {{0, 1, "AD"}}, 0);
    page(3, {{1024, 9, "AC"}}, 2048);
    KeyList keys;
    const IndexHeader h = readNtxBytes(file, keys);
    EXPECT_EQ(h.keyExpr, "CODE");
    EXPECT_EQ(entries(keys), (std::vector<std::pair<std::string, std::uint32_t>>{
                                 {"AA", 7}, {"AB", 3}, {"AC", 9}, {"AD", 1}}));

    // Damage: a child pointing back at the root, an offset past the end, a bad signature.
    std::string cyc = file;
    putLe32(reinterpret_cast<unsigned char*>(cyc.data()) + 2 * 1024 + getLe16(p + 2 * 1024 + 2),
            3 * 1024);
    EXPECT_THROW(readNtxBytes(cyc, keys), DbfError);
    std::string past = file;
    putLe32(reinterpret_cast<unsigned char*>(past.data()) + 4, 40 * 1024);
    EXPECT_THROW(readNtxBytes(past, keys), DbfError);
    std::string sig = file;
    sig[0] = 9;
    EXPECT_THROW(readNtxBytes(sig, keys), DbfError);
    EXPECT_THROW(readNtxBytes(file.substr(0, 100), keys), DbfError);
}

TEST(DbfIndex, KeysSeeTheRecordTheyAreBuiltFor) {
    dbftest::TempDir dir;
    auto t = namesTable(dir, {"X", "X", "X", "X"});
    t->goTo(2);
    t->createIndex(dir / "r.ntx", "DESCEND(STR(RECNO(), 5))");
    EXPECT_EQ(walk(*t), (std::vector<std::uint32_t>{4, 3, 2, 1}));
    t->append();
    t->flush();
    EXPECT_EQ(walk(*t), (std::vector<std::uint32_t>{5, 4, 3, 2, 1}));
}

TEST(DbfIndex, ScopesLimitTheControllingOrder) {
    dbftest::TempDir dir;
    auto t = namesTable(dir, {"ANNA", "BORIS", "BARA", "CYRIL", "BEDA", "DANA"});
    t->createIndex(dir / "n.ntx", "NAME");
    t->setScope("B", "B");
    EXPECT_EQ(t->recNo(), 3u);
    EXPECT_EQ(walk(*t), (std::vector<std::uint32_t>{3, 5, 2}));
    t->goBottom();
    EXPECT_EQ(t->recNo(), 2u);
    t->skip(1);
    EXPECT_TRUE(t->eof());
    EXPECT_FALSE(t->seek("CYRIL", false)); // outside the scope
    EXPECT_TRUE(t->seek("BE", false));
    EXPECT_EQ(t->recNo(), 5u);
    t->setScope("BO", "");
    EXPECT_EQ(walk(*t), (std::vector<std::uint32_t>{2, 4, 6}));
    t->setOrder(0); // the scope stays with its order
    EXPECT_EQ(walk(*t).size(), 6u);
    t->setOrder(1);
    EXPECT_EQ(t->scope().first, "BO");
    t->setScope("", "");
    EXPECT_EQ(walk(*t).size(), 6u);
    t->createIndex(dir / "d.ntx", "NAME", {.descending = true});
    t->setScope("C", "B"); // descending: from C down to B
    EXPECT_EQ(walk(*t), (std::vector<std::uint32_t>{4, 2, 5, 3}));
    t->goBottom();
    EXPECT_EQ(t->recNo(), 3u);
}
