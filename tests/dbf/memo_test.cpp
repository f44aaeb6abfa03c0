#include "dbf/table.h"
#include "dbf/warnings.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

using namespace vorlan::dbf;

namespace {

std::string binaryBlob(std::size_t size) {
    std::string s(size, '\0');
    std::uint32_t x = 12345;
    for (auto& c : s) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 24);
    }
    return s;
}

} // namespace

TEST(DbfMemo, FptRoundTripsTextBinaryAndLargeMemos) {
    dbftest::TempDir dir;
    const auto path = dir / "m.dbf";
    const std::string big = binaryBlob(200 * 1024); // well over 64 KB, with 0x1A and NUL bytes
    {
        auto t = Table::create(path, {{"ID", 'N', 4}, {"NOTE", 'M'}});
        EXPECT_EQ(t->version(), 0xF5);
        EXPECT_EQ(t->memoFile().blockSize(), 64u);
        t->append();
        t->setMemo(1, "first line\r\nsecond line");
        t->append();
        t->setMemo(1, big, true);
        t->append(); // stays empty
        t->close();
    }
    auto t = Table::open(path);
    t->goTo(1);
    EXPECT_EQ(t->getMemo(1), "first line\r\nsecond line");
    EXPECT_EQ(t->memoLength(1), 23u);
    t->goTo(2);
    EXPECT_EQ(t->memoLength(1), big.size());
    EXPECT_TRUE(t->getMemo(1) == big);
    t->goTo(3);
    EXPECT_EQ(t->getMemo(1), "");
    EXPECT_TRUE(t->fieldEmpty(1));
    EXPECT_EQ(t->raw(1), "          ");
}

TEST(DbfMemo, RewritingReusesBlocksWhenTheNewTextFits) {
    dbftest::TempDir dir;
    auto t = Table::create(dir / "r.dbf", {{"NOTE", 'M'}}, {.memoBlockSize = 512});
    EXPECT_EQ(t->memoFile().blockSize(), 512u);
    t->append();
    t->setMemo(0, std::string(1000, 'a'));
    const std::string pointer(t->raw(0));
    const auto sizeAfterFirst = std::filesystem::file_size(t->memoFile().path());
    t->setMemo(0, std::string(900, 'b')); // fits the two blocks it had
    EXPECT_EQ(t->raw(0), pointer);
    EXPECT_EQ(std::filesystem::file_size(t->memoFile().path()), sizeAfterFirst);
    t->setMemo(0, std::string(3000, 'c')); // does not: goes to the end
    EXPECT_NE(t->raw(0), pointer);
    EXPECT_EQ(t->getMemo(0), std::string(3000, 'c'));
    t->setMemo(0, "");
    EXPECT_TRUE(t->fieldEmpty(0));
}

TEST(DbfMemo, DbtUsesFiveHundredTwelveByteBlocksEndedBy1A1A) {
    dbftest::TempDir dir;
    const auto path = dir / "d.dbf";
    const std::string text(70000, 'x');
    {
        auto t = Table::create(path, {{"NOTE", 'M'}}, {.flavor = TableFlavor::DBase3});
        EXPECT_EQ(t->version(), 0x83);
        t->append();
        t->setMemo(0, "short");
        t->append();
        t->setMemo(0, text);
    }
    const std::string dbt = dbftest::readAll(dir / "d.dbt");
    ASSERT_GE(dbt.size(), 1024u);
    EXPECT_EQ(dbt.size() % 512, 0u);
    EXPECT_EQ(dbt.substr(512, 7), "short\x1A\x1A");
    const auto* h = reinterpret_cast<const unsigned char*>(dbt.data());
    EXPECT_EQ(getLe32(h), dbt.size() / 512); // next free block
    auto t = Table::open(path);
    t->goTo(2);
    EXPECT_EQ(t->getMemo(0), text);
    t->goTo(1);
    EXPECT_EQ(t->getMemo(0), "short");
}

TEST(DbfMemo, LaterDbtBlockHeadersAndDamagedPointersAreHandled) {
    dbftest::TempDir dir;
    // A memo file in the later layout: block 1 starts with FF FF 08 00 and the length + 8.
    std::string dbt(512, '\0');
    dbt[0] = 3;
    std::string block =
        std::string("\xFF\xFF\x08\x00", 4) + std::string("\x0D\x00\x00\x00", 4) + "hello";
    block.resize(1024, '\0');
    dbt += block;
    dbftest::writeAll(dir / "later.dbt", dbt);
    MemoFile m;
    m.open(dir / "later.dbt", MemoKind::Dbt, true);
    EXPECT_EQ(m.read(1), "hello");
    EXPECT_THROW(m.read(99), DbfError);

    std::string fpt(512, '\0');
    fpt[7] = 64; // block size 64
    std::string bad(64, '\0');
    bad[3] = 1;
    bad[4] = 0x7F; // length far beyond the file
    dbftest::writeAll(dir / "bad.fpt", fpt + bad);
    MemoFile f;
    f.open(dir / "bad.fpt", MemoKind::Fpt, true);
    EXPECT_THROW(f.read(8), DbfError);
    EXPECT_THROW(f.read(1000), DbfError);
}

TEST(DbfMemo, PointersIntoTheHeaderOrPastTheEndReadEmptyAndAreNeverWrittenThrough) {
    struct Case {
        const char* what;
        TableFlavor flavor;
        std::string pointer; // the damaged field bytes
    };
    const std::vector<Case> cases{
        {"pointer 1", TableFlavor::FoxPro, "1"},
        {"pointer past the end", TableFlavor::FoxPro, "99999"},
        {"negative pointer", TableFlavor::FoxPro, "-3"},
        {"not a number", TableFlavor::FoxPro, "abc"},
        {"binary pointer 7", TableFlavor::VisualFoxPro, std::string("\x07\0\0\0", 4)},
        {"classic memo file, pointer past the end", TableFlavor::DBase3, "500"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        dbftest::TempDir dir;
        const auto path = dir / "M.DBF";
        {
            auto t = Table::create(path, {{"NOTE", 'M'}, {"OTHER", 'M'}},
                                   {.flavor = c.flavor, .memoBlockSize = 64});
            for (int r = 1; r <= 3; ++r) {
                t->append();
                t->setMemo(0, "memo " + std::to_string(r));
                t->setMemo(1, "other " + std::to_string(r));
            }
            t->goTo(2);
            t->setRaw(0, c.pointer);
            t->goTo(3);
            t->setRaw(0, c.pointer);
        }
        const auto memoPath =
            dir / (c.flavor == TableFlavor::DBase3 ? std::string("M.DBT") : std::string("M.FPT"));
        const std::string before = dbftest::readAll(memoPath);
        std::vector<std::string> warnings;
        const auto previous =
            setWarningListener([&](const std::string& t) { warnings.push_back(t); });
        {
            auto t = Table::open(path);
            t->goTo(2);
            EXPECT_EQ(t->getMemo(0), "");
            EXPECT_EQ(t->memoLength(0), 0u);
            EXPECT_EQ(t->getMemo(1), "other 2");
            t->goTo(3);
            EXPECT_EQ(t->getMemo(0), "");
            EXPECT_EQ(warnings.size(), 1u); // once per table
            t->goTo(2);
            t->setMemo(0, std::string(300, 'x'));
            t->goTo(1);
            EXPECT_EQ(t->getMemo(0), "memo 1");
            t->goTo(2);
            EXPECT_EQ(t->getMemo(0), std::string(300, 'x'));
        }
        setWarningListener(previous);
        // Only the next-free pointer of the header changed; the old memos are where they were.
        const std::string after = dbftest::readAll(memoPath);
        ASSERT_GT(after.size(), before.size());
        EXPECT_EQ(after.substr(4, 508), before.substr(4, 508));
        EXPECT_EQ(after.substr(0, before.size()).substr(512), before.substr(512));
    }
}

TEST(DbfMemo, BlockSizesTheFormatsCannotHaveAreRefused) {
    dbftest::TempDir dir;
    {
        auto t = Table::create(dir / "F.DBF", {{"NOTE", 'M'}}, {.memoBlockSize = 64});
        t->append();
        t->setMemo(0, "text");
    }
    std::string fpt = dbftest::readAll(dir / "F.FPT");
    fpt[6] = 0;
    fpt[7] = 1; // one-byte blocks would read the header as memo data
    dbftest::writeAll(dir / "F.FPT", fpt);
    EXPECT_THROW(Table::open(dir / "F.DBF"), DbfError);
    EXPECT_EQ(dbftest::readAll(dir / "F.FPT"), fpt);

    std::string dbt(1024, '\0');
    dbt[0] = 2;
    dbt[20] = 100; // the later layout's block size must be a multiple of 512
    dbftest::writeAll(dir / "later.dbt", dbt);
    MemoFile m;
    EXPECT_THROW(m.open(dir / "later.dbt", MemoKind::Dbt, false), DbfError);
    dbt[20] = 0;
    dbt[21] = 4; // 1024
    dbftest::writeAll(dir / "later.dbt", dbt);
    m.open(dir / "later.dbt", MemoKind::Dbt, false);
    EXPECT_EQ(m.blockSize(), 1024u);
}
