// Appends to a table held alone (opened exclusively or file-locked) write the header's record
// count once per commit, unlock or close; what other openers then see must be complete.
#include "dbf/table.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

using namespace vorlan::dbf;

namespace {

std::uint32_t headerCount(const std::filesystem::path& p) {
    const std::string b = dbftest::readAll(p);
    return getLe32(reinterpret_cast<const unsigned char*>(b.data()) + 4);
}

} // namespace

TEST(DbfAppend, AnExclusiveTableWritesItsCountAtCommitAndClose) {
    dbftest::TempDir dir;
    const auto path = dir / "A.DBF";
    Table::create(path, {{"NAME", 'C', 8}})->close();
    {
        auto t = Table::open(path, {.exclusive = true});
        t->createTag("NAME", "NAME");
        for (int i = 1; i <= 3; ++i) {
            t->append();
            t->setString(0, "R" + std::to_string(i));
        }
        EXPECT_EQ(headerCount(path), 0u);
        t->commit();
        EXPECT_EQ(headerCount(path), 3u);
        const std::string bytes = dbftest::readAll(path);
        EXPECT_EQ(bytes.size(),
                  static_cast<std::size_t>(t->headerSize() + 3 * t->recordSize() + 1));
        EXPECT_EQ(bytes.back(), '\x1A');
        // Moving back over records appended and not yet counted in the header reads them.
        t->goTo(2);
        EXPECT_EQ(t->getString(0), "R2      ");
        t->append();
        t->setString(0, "R4");
        t->append(); // blank
        EXPECT_EQ(t->recordCount(), 5u);
    }
    auto t = Table::open(path);
    ASSERT_EQ(t->recordCount(), 5u);
    t->goTo(4);
    EXPECT_EQ(t->getString(0), "R4      ");
    t->setOrder(1);
    EXPECT_TRUE(t->seek("R4"));
    EXPECT_EQ(t->index(1).keys().size(), 5u);
}

TEST(DbfAppend, AFileLockedWriterAndASharedOneAppendInTurn) {
    dbftest::TempDir dir;
    const auto path = dir / "A.DBF";
    Table::create(path, {{"NAME", 'C', 8}})->close();
    auto a = Table::open(path);
    auto b = Table::open(path);
    ASSERT_TRUE(a->lockFile());
    a->append();
    a->setString(0, "A1");
    a->append();
    a->setString(0, "A2");
    a->unlock();
    EXPECT_EQ(b->refreshCount(), 2u);
    b->append();
    b->setString(0, "B3");
    b->flush();
    // Taking the file lock learns of the record appended meanwhile.
    ASSERT_TRUE(a->lockFile());
    a->append();
    a->setString(0, "A4");
    a->commit();
    a->unlock();
    b->close();
    a->close();
    auto t = Table::open(path);
    ASSERT_EQ(t->recordCount(), 4u);
    const char* expected[] = {"A1      ", "A2      ", "B3      ", "A4      "};
    for (std::uint32_t r = 1; r <= 4; ++r) {
        t->goTo(r);
        EXPECT_EQ(t->getString(0), expected[r - 1]);
    }
}
