// Index files whose keys cannot be right (out of order, a record twice or missing, a record past
// the end) are not used as they are: they are rebuilt from the table with a warning, or left
// closed when even their definitions cannot be read or the table itself is damaged.
#include "dbf/cdx.h"
#include "dbf/table.h"
#include "dbf/warnings.h"
#include "engine_inspection.h"
#include "temp_dir.h"

#include <cstdio>
#include <gtest/gtest.h>

using namespace vorlan::dbf;
using dbftest::Warnings;

namespace {

using Entries = std::vector<std::pair<std::string, std::uint32_t>>;

constexpr std::uint32_t kRecords = 300;

std::string nameOf(std::uint32_t r) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "N%05u", (r * 7919u) % 100000u);
    std::string s(buf);
    s.resize(10, ' ');
    return s;
}

// A table of kRecords names with a structural tag on them; answers the tag's header.
IndexHeader makeTable(const dbftest::TempDir& dir) {
    auto t = Table::create(dir / "K.DBF", {{"NAME", 'C', 10}});
    for (std::uint32_t r = 1; r <= kRecords; ++r) {
        t->append();
        t->setString(0, nameOf(r));
    }
    t->createTag("NAME", "NAME");
    return t->index(1).header();
}

Entries sortedEntries() {
    Entries e;
    for (std::uint32_t r = 1; r <= kRecords; ++r)
        e.emplace_back(nameOf(r), r);
    std::sort(e.begin(), e.end());
    return e;
}

// Writes the structural index with exactly these entries, in this order.
void plant(const dbftest::TempDir& dir, const IndexHeader& h, const Entries& entries) {
    KeyList keys;
    keys.reset(h.keyLength, false, false);
    for (const auto& [key, rec] : entries)
        keys.appendSorted(key, rec);
    writeCdxFile(dir / "K.CDX", {{"NAME", h, &keys, ' '}});
}

void expectEverySeekLands(Table& t, const char* order = "NAME") {
    t.setOrder(t.orderOf(order));
    for (std::uint32_t r = 1; r <= kRecords; ++r) {
        ASSERT_TRUE(t.seek(nameOf(r))) << r;
        EXPECT_EQ(t.recNo(), r);
    }
}

} // namespace

TEST(DbfIndexDamage, KeysThatCannotBeRightAreRebuiltFromTheTableWithAWarning) {
    struct Case {
        const char* what;
        std::function<void(Entries&)> damage;
    };
    const std::vector<Case> cases{
        {"two keys swapped", [](Entries& e) { std::swap(e[10].first, e[200].first); }},
        {"a record twice", [](Entries& e) { e[6].second = e[5].second; }},
        {"a record missing", [](Entries& e) { e.erase(e.begin() + 50); }},
        {"a record past the end", [](Entries& e) { e.back().second = kRecords + 5; }},
        {"equal keys, records descending",
         [](Entries& e) {
             e[20].first = e[21].first;
             e[20].second = 22;
             e[21].second = 21;
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        dbftest::TempDir dir;
        const IndexHeader h = makeTable(dir);
        Entries e = sortedEntries();
        c.damage(e);
        plant(dir, h, e);
        const std::string table = dbftest::readAll(dir / "K.DBF");
        Warnings w;
        {
            auto t = Table::open(dir / "K.DBF");
            ASSERT_EQ(t->indexCount(), 1);
            expectEverySeekLands(*t);
        }
        ASSERT_EQ(w.texts.size(), 1u);
        EXPECT_NE(w.texts[0].find("K.CDX"), std::string::npos) << w.texts[0];
        // The file now holds the rebuilt keys; the table is as it was.
        KeyList back;
        const std::string bytes = dbftest::readAll(dir / "K.CDX");
        readCdxTag(bytes, readCdxDirectory(bytes).at(0).offset, ' ', back);
        EXPECT_EQ(back.size(), kRecords);
        EXPECT_EQ(dbftest::readAll(dir / "K.DBF"), table);
    }
}

TEST(DbfIndexDamage, AnUnreadableIndexIsLeftClosedAndTheTableStillOpens) {
    dbftest::TempDir dir;
    makeTable(dir);
    std::string cdx = dbftest::readAll(dir / "K.CDX");
    cdx[0] = cdx[1] = cdx[2] = cdx[3] = '\x7F'; // the tag directory's root: far past the end
    dbftest::writeAll(dir / "K.CDX", cdx);
    const std::string table = dbftest::readAll(dir / "K.DBF");
    Warnings w;
    {
        auto t = Table::open(dir / "K.DBF");
        EXPECT_EQ(t->indexCount(), 0);
        EXPECT_EQ(t->recordCount(), kRecords);
        // A program that asks for the file by name is told it is damaged.
        EXPECT_THROW(t->openIndex(dir / "K.CDX"), DbfError);
    }
    ASSERT_EQ(w.texts.size(), 1u);
    EXPECT_NE(w.texts[0].find("K.CDX"), std::string::npos);
    EXPECT_EQ(dbftest::readAll(dir / "K.CDX"), cdx);
    EXPECT_EQ(dbftest::readAll(dir / "K.DBF"), table);
}

TEST(DbfIndexDamage, NothingIsRebuiltFromATableThatEndsEarly) {
    dbftest::TempDir dir;
    const IndexHeader h = makeTable(dir);
    Entries e = sortedEntries();
    std::swap(e[1].first, e[2].first);
    plant(dir, h, e);
    std::string table = dbftest::readAll(dir / "K.DBF");
    table.resize(table.size() - 30); // the last records are cut off
    dbftest::writeAll(dir / "K.DBF", table);
    const std::string cdx = dbftest::readAll(dir / "K.CDX");
    Warnings w;
    {
        auto t = Table::open(dir / "K.DBF", {.readOnly = true});
        EXPECT_EQ(t->indexCount(), 0);
    }
    EXPECT_EQ(w.texts.size(), 2u); // the table, then its index
    EXPECT_EQ(dbftest::readAll(dir / "K.CDX"), cdx);
    EXPECT_EQ(dbftest::readAll(dir / "K.DBF"), table);
}

TEST(DbfIndexDamage, SingleOrderFilesWithDamagedKeysAreRebuiltToo) {
    dbftest::TempDir dir;
    const IndexHeader cdxHeader = makeTable(dir);
    std::filesystem::remove(dir / "K.CDX");
    for (const char* name : {"K.NTX", "K.IDX"}) {
        SCOPED_TRACE(name);
        IndexHeader h = cdxHeader;
        KeyList keys;
        keys.reset(h.keyLength, false, false);
        Entries e = sortedEntries();
        e[3].second = e[4].second;
        for (const auto& [key, rec] : e)
            keys.appendSorted(key, rec);
        if (std::string(name) == "K.NTX")
            writeNtxFile(dir / name, h, keys);
        else
            writeIdxFile(dir / name, h, keys, ' ');
        Warnings w;
        auto t = Table::open(dir / "K.DBF");
        t->openIndex(dir / name);
        EXPECT_EQ(w.texts.size(), 1u);
        EXPECT_EQ(t->index(1).keys().size(), kRecords);
        expectEverySeekLands(*t, "K");
    }
}
