#include "core/cp1250.h"
#include "dbf/cdx.h"
#include "dbf/table.h"
#include "dbf/xbase_text.h"
#include "engine_inspection.h"
#include "temp_dir.h"

#include <cstring>
#include <gtest/gtest.h>
#include <random>

using namespace vorlan::dbf;
using dbftest::entries;

namespace {

std::unique_ptr<Table> people(const dbftest::TempDir& dir, int count) {
    auto t =
        Table::create(dir / "people.dbf", {{"NAME", 'C', 12}, {"AGE", 'N', 6, 1}, {"BORN", 'D'}});
    std::mt19937 rng(11);
    for (int i = 0; i < count; ++i) {
        t->append();
        std::string name(1 + rng() % 12, 'a');
        for (auto& c : name)
            c = static_cast<char>('A' + rng() % 4); // long shared prefixes
        t->setString(0, name);
        t->setNumber(1, static_cast<int>(rng() % 2000) / 10.0 - 50);
        t->setDate(2, i % 7 ? julianFromYmd(1950, 1, 1) + static_cast<std::int32_t>(rng() % 20000)
                            : 0);
    }
    t->flush();
    return t;
}

} // namespace

TEST(DbfCdx, StructuralTagsReopenWithTheTableAndKeepTheirKeys) {
    dbftest::TempDir dir;
    std::vector<std::vector<std::pair<std::string, std::uint32_t>>> before;
    {
        auto t = people(dir, 3000);
        t->createTag("name", "UPPER(NAME)");
        t->createTag("AGE", "AGE", {.descending = true});
        t->createTag("BORN", "BORN", {.forExpr = "AGE > 0"});
        t->createTag("UNAME", "NAME", {.unique = true});
        EXPECT_EQ(t->indexCount(), 4);
        for (int o = 1; o <= 4; ++o)
            before.push_back(entries(t->index(o).keys()));
        // Changes after creation reach the file on close.
        t->goTo(5);
        t->setString(0, "ZZZ");
        t->setNumber(1, 999);
    }
    auto t = Table::open(dir / "people.dbf");
    ASSERT_EQ(t->indexCount(), 4);
    EXPECT_EQ(t->order(), 0); // the structural index opens without taking control
    const int name = t->orderOf("NAME"), age = t->orderOf("age"), born = t->orderOf("BORN");
    ASSERT_GT(name, 0);
    EXPECT_EQ(t->index(age).keyLength(), 8);
    EXPECT_TRUE(t->index(age).descending());
    EXPECT_EQ(t->index(born).forExpr(), "AGE > 0");
    EXPECT_TRUE(t->index(t->orderOf("UNAME")).unique());

    t->setOrder(name);
    t->goBottom();
    EXPECT_EQ(t->recNo(), 5u);
    t->setOrder(age);
    t->goTop();
    EXPECT_EQ(t->recNo(), 5u);
    double last = 1e9;
    std::size_t n = 0;
    for (t->goTop(); !t->eof(); t->skip(), ++n) {
        EXPECT_LE(t->getNumber(1), last);
        last = t->getNumber(1);
    }
    EXPECT_EQ(n, 3000u);
    t->goTo(5);
    t->setString(0, "ABBA");
    t->setNumber(1, -12.5);
    t->flush();
    t->reindex();
    const auto incremental = entries(t->index(age).keys());
    t->reindex();
    EXPECT_EQ(entries(t->index(age).keys()), incremental);
    EXPECT_TRUE(t->seek("-12.5"));
    EXPECT_EQ(t->recNo(), 5u);
    t->setOrder(born);
    std::int32_t lastDate = 0;
    for (t->goTop(); !t->eof(); t->skip()) {
        EXPECT_GT(t->getNumber(1), 0);
        EXPECT_GE(t->getDate(2), lastDate);
        lastDate = t->getDate(2);
    }
}

TEST(DbfCdx, LeafNodesFollowThePublishedLayout) {
    dbftest::TempDir dir;
    auto t = Table::create(dir / "c.dbf", {{"CODE", 'C', 6}});
    for (const char* c : {"ABC", "ABD", "B"}) {
        t->append();
        t->setString(0, c);
    }
    t->createTag("CODE", "CODE");
    t->close();
    const std::string f = dbftest::readAll(dir / "c.cdx");
    const auto* p = reinterpret_cast<const unsigned char*>(f.data());
    ASSERT_EQ(f.size() % 512, 0u);
    // Directory header: root, compound + compact options, key length 10.
    EXPECT_EQ(getLe16(p + 12), 10);
    EXPECT_EQ(p[14] & 0x60, 0x60);
    // The tag header sits at 1024 and its single node (root and leaf) right after it.
    const unsigned char* tag = p + 1024;
    EXPECT_EQ(getLe16(tag + 12), 6);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(tag + 512)), "CODE");
    const unsigned char* leaf = p + getLe32(tag);
    EXPECT_EQ(getLe16(leaf), 3); // root | leaf
    EXPECT_EQ(getLe16(leaf + 2), 3);
    EXPECT_EQ(getLe32(leaf + 4), 0xFFFFFFFFu);
    const int recBits = leaf[20], dupBits = leaf[21], bytes = leaf[23];
    auto entry = [&](int i) {
        std::uint64_t v = 0;
        for (int b = 0; b < bytes; ++b)
            v |= static_cast<std::uint64_t>(leaf[24 + i * bytes + b]) << (8 * b);
        return std::array<unsigned, 3>{
            static_cast<unsigned>(v & getLe32(leaf + 14)),
            static_cast<unsigned>((v >> recBits) & leaf[18]),
            static_cast<unsigned>((v >> (recBits + dupBits)) & leaf[19])};
    };
    EXPECT_EQ(entry(0), (std::array<unsigned, 3>{1, 0, 3})); // "ABC" + 3 blanks
    EXPECT_EQ(entry(1), (std::array<unsigned, 3>{2, 2, 3})); // shares "AB", stores "D"
    EXPECT_EQ(entry(2), (std::array<unsigned, 3>{3, 0, 5})); // stores "B"
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(leaf) + 512 - 5, 5), "BDABC");
    EXPECT_EQ(getLe16(leaf + 12), 488 - 3 * bytes - 5);
}

// An order put together by hand: an interior root with two children; entries carry the greatest
// key of their child, record number and child offset big-endian.
TEST(DbfCdx, ReadsHandBuiltInteriorNodes) {
    std::string f(1024 + 3 * 512, '\0');
    auto* p = reinterpret_cast<unsigned char*>(f.data());
    putLe32(p, 1024 + 1024); // root
    putLe16(p + 12, 2);
    p[14] = 0x60;
    std::memcpy(p + 512, "K", 1);
    putLe16(p + 510, 2);
    auto leaf = [&](std::uint32_t off, std::vector<std::pair<std::string, std::uint32_t>> keys,
                    std::uint32_t left, std::uint32_t right) {
        unsigned char* n = p + off;
        putLe16(n, 2);
        putLe16(n + 2, static_cast<std::uint32_t>(keys.size()));
        putLe32(n + 4, left);
        putLe32(n + 8, right);
        putLe32(n + 14, 0xFF);
        n[18] = 3;
        n[19] = 3;
        n[20] = 8;
        n[21] = 2;
        n[22] = 2;
        n[23] = 2;
        std::size_t end = 512;
        for (std::size_t i = 0; i < keys.size(); ++i) {
            const std::string& k = keys[i].first; // stored whole, no shared prefix or trailing pad
            end -= k.size();
            std::memcpy(n + end, k.data(), k.size());
            n[24 + 2 * i] = static_cast<unsigned char>(keys[i].second);
        }
    };
    leaf(1024, {{"AA", 4}, {"AB", 2}}, 0xFFFFFFFF, 1024 + 512);
    leaf(1024 + 512, {{"BA", 1}}, 1024, 0xFFFFFFFF);
    unsigned char* root = p + 1024 + 1024;
    putLe16(root, 1);
    putLe16(root + 2, 2);
    putLe32(root + 4, 0xFFFFFFFF);
    putLe32(root + 8, 0xFFFFFFFF);
    std::memcpy(root + 12, "AB", 2);
    putBe32(root + 14, 2);
    putBe32(root + 18, 1024);
    std::memcpy(root + 22, "BA", 2);
    putBe32(root + 24, 1);
    putBe32(root + 28, 1024 + 512);
    // Tag header at 0 for this test: readCdxTag reads any order header.
    KeyList keys;
    const CdxTagInfo info = readCdxTag(f, 0, ' ', keys);
    EXPECT_EQ(info.header.keyExpr, "K");
    EXPECT_EQ(entries(keys), (std::vector<std::pair<std::string, std::uint32_t>>{
                                 {"AA", 4}, {"AB", 2}, {"BA", 1}}));

    std::string loop = f;
    putLe32(reinterpret_cast<unsigned char*>(loop.data()) + 1024 + 512 + 8, 1024);
    EXPECT_THROW(readCdxTag(loop, 0, ' ', keys), DbfError);
    std::string far = f;
    putBe32(reinterpret_cast<unsigned char*>(far.data()) + 1024 + 1024 + 18, 99 * 512);
    EXPECT_THROW(readCdxTag(far, 0, ' ', keys), DbfError);
    std::string longKey = f;
    longKey[1024 + 24] = static_cast<char>(0xFF); // duplicate and trailing counts too big
    longKey[1024 + 25] = static_cast<char>(0xFF);
    EXPECT_THROW(readCdxTag(longKey, 0, ' ', keys), DbfError);
    EXPECT_THROW(readCdxDirectory(f.substr(0, 600)), DbfError);
}

TEST(DbfCdx, NumericKeysSortAsNumbers) {
    const double values[] = {-1e10, -5.5, -1, -0.25, 0, 0.25, 1, 2, 1e10};
    for (std::size_t i = 1; i < std::size(values); ++i)
        EXPECT_LT(cdxNumericKey(values[i - 1]), cdxNumericKey(values[i])) << values[i];
    EXPECT_EQ(cdxNumericKey(-0.0), cdxNumericKey(0.0));
}

TEST(DbfCdx, OtherIndexTypesAreRefusedClearly) {
    dbftest::TempDir dir;
    auto t = people(dir, 3);
    dbftest::writeAll(dir / "x.nsx", std::string(1024, '\0'));
    try {
        t->openIndex(dir / "x.nsx");
        FAIL();
    } catch (const DbfError& e) {
        EXPECT_NE(std::string(e.what()).find(vorlan::czech("není podporován")), std::string::npos);
    }
    dbftest::writeAll(dir / "bad.cdx", std::string(2048, '\x7F'));
    EXPECT_THROW(t->openIndex(dir / "bad.cdx"), DbfError);
    EXPECT_EQ(t->indexCount(), 0);
}

TEST(DbfCdx, CompactIdxFilesHoldOneOrder) {
    dbftest::TempDir dir;
    std::vector<std::pair<std::string, std::uint32_t>> ages, names;
    {
        auto t = people(dir, 2000);
        ages = entries(t->createIndex(dir / "age.idx", "AGE").keys());
        names = entries(t->createIndex(dir / "name.cdx", "NAME", {.descending = true}).keys());
        EXPECT_EQ(t->index(2).tagName(), "NAME");
    }
    const std::string f = dbftest::readAll(dir / "age.idx");
    EXPECT_EQ(static_cast<unsigned char>(f[14]) & 0x60, 0x20); // compact, not compound
    auto t = Table::open(dir / "people.dbf");
    t->openIndex(dir / "age.idx");
    t->openIndex(dir / "name.cdx");
    EXPECT_EQ(entries(t->index(1).keys()), ages);
    EXPECT_EQ(entries(t->index(2).keys()), names);
    EXPECT_EQ(t->order(), 1);
    t->seek("100.05", true); // no such age: stops on the next greater one
    EXPECT_FALSE(t->found());
    EXPECT_GE(t->getNumber(1), 100.05);
    t->skip(-1);
    EXPECT_LT(t->getNumber(1), 100.05);
    std::string old = f;
    old[14] = 0; // the older non-compact layout
    dbftest::writeAll(dir / "old.idx", old);
    EXPECT_THROW(t->openIndex(dir / "old.idx"), DbfError);
}

// Every tree shape the writers can produce (empty, one node, full nodes, one key more, deep trees
// of long keys) reads back as written.
TEST(DbfCdx, WritersAndReadersAgreeOnEveryTreeShape) {
    dbftest::TempDir dir;
    std::mt19937 rng(5);
    for (const int keyLen : {1, 8, 100, 240}) {
        for (const std::size_t n : {0u, 1u, 2u, 3u, 30u, 31u, 32u, 61u, 62u, 63u, 500u, 1200u}) {
            KeyList keys;
            keys.reset(keyLen, false, false);
            std::vector<char> pool;
            std::vector<std::uint32_t> recs;
            for (std::size_t i = 0; i < n; ++i) {
                std::string k(static_cast<std::size_t>(keyLen), ' ');
                const std::size_t used = 1 + rng() % static_cast<std::size_t>(keyLen);
                for (std::size_t j = 0; j < used; ++j)
                    k[j] = static_cast<char>('a' + rng() % 3);
                pool.insert(pool.end(), k.begin(), k.end());
                recs.push_back(static_cast<std::uint32_t>(1 + i * 4000 + rng() % 4000));
            }
            keys.load(std::move(pool), std::move(recs));
            IndexHeader h;
            h.keyExpr = "K";
            h.keyLength = keyLen;
            writeCdxFile(dir / "t.cdx", {{"T", h, &keys, ' '}});
            KeyList back;
            const std::string bytes = dbftest::readAll(dir / "t.cdx");
            const auto tags = readCdxDirectory(bytes);
            ASSERT_EQ(tags.size(), 1u);
            readCdxTag(bytes, tags[0].offset, ' ', back);
            EXPECT_EQ(entries(back), entries(keys)) << "cdx key " << keyLen << " n " << n;
            writeNtxFile(dir / "t.ntx", h, keys);
            KeyList ntx;
            readNtxFile(dir / "t.ntx", ntx);
            EXPECT_EQ(entries(ntx), entries(keys)) << "ntx key " << keyLen << " n " << n;
        }
    }
}

TEST(DbfCdx, PackAndZapRebuildEveryOpenOrder) {
    dbftest::TempDir dir;
    auto t = people(dir, 400);
    t->createTag("NAME", "NAME");
    t->createIndex(dir / "age.ntx", "AGE");
    for (std::uint32_t r = 1; r <= 400; r += 3) {
        t->goTo(r);
        t->deleteRecord();
    }
    t->pack();
    EXPECT_EQ(t->recordCount(), 266u);
    for (int o = 1; o <= 2; ++o) {
        const auto packed = entries(t->index(o).keys());
        EXPECT_EQ(packed.size(), 266u);
        t->reindex();
        EXPECT_EQ(entries(t->index(o).keys()), packed);
    }
    t->zap();
    EXPECT_EQ(t->index(1).keys().size(), 0u);
    t->close();
    auto again = Table::open(dir / "people.dbf");
    EXPECT_EQ(again->indexCount(), 1); // the structural index, now empty
    EXPECT_EQ(again->index(1).keys().size(), 0u);
}

TEST(DbfCdx, TagsAreNumberedInTheOrderTheyWereMade) {
    dbftest::TempDir dir;
    auto names = [](Table& t) {
        std::vector<std::string> out;
        for (int o = 1; o <= t.indexCount(); ++o)
            out.push_back(t.index(o).tagName());
        return out;
    };
    {
        auto t = people(dir, 50);
        t->createTag("ZNAME", "NAME");
        EXPECT_EQ(t->order(), 1);
        t->createTag("AGE", "AGE");
        EXPECT_EQ(t->order(), 2);
        EXPECT_EQ(names(*t), (std::vector<std::string>{"ZNAME", "AGE"}));
    }
    {
        auto t = Table::open(dir / "people.dbf");
        EXPECT_EQ(names(*t), (std::vector<std::string>{"ZNAME", "AGE"}));
        EXPECT_EQ(t->orderOf("AGE"), 2);
        t->createTag("MBORN", "BORN");
        EXPECT_EQ(t->order(), 3);
    }
    auto t = Table::open(dir / "people.dbf");
    EXPECT_EQ(names(*t), (std::vector<std::string>{"ZNAME", "AGE", "MBORN"}));
    t->setOrder(t->orderOf("ZNAME"));
    t->goTop();
    const std::string first = t->getString(0);
    t->skip();
    EXPECT_LE(first, t->getString(0)); // the keys stayed with their tag

    // The directory itself stays sorted by name, as readers that search it expect; the header
    // pages it points to follow the order of making.
    const std::string bytes = dbftest::readAll(dir / "people.cdx");
    KeyList dirKeys;
    readCdxTag(bytes, 0, ' ', dirKeys, true);
    ASSERT_EQ(dirKeys.size(), 3u);
    EXPECT_EQ(std::string(dirKeys.keyAt(0)).substr(0, 3), "AGE");
    EXPECT_EQ(std::string(dirKeys.keyAt(1)).substr(0, 5), "MBORN");
    EXPECT_EQ(std::string(dirKeys.keyAt(2)).substr(0, 5), "ZNAME");
    EXPECT_LT(dirKeys.recAt(2), dirKeys.recAt(0));
    EXPECT_LT(dirKeys.recAt(0), dirKeys.recAt(1));
}
