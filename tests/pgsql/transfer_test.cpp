// A folder of tables copied into the database and written back: the same records, memos,
// deleted marks and orders, and nothing overwritten unless asked.

#include "core/cp1250.h"
#include "dbf/table.h"
#include "dbf/xbase_text.h"
#include "pgsql/pg_fixture.h"
#include "pgsql/transfer.h"

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using vorlan::czech;

class PgTransferTest : public pgtest::PgTest {
protected:
    void SetUp() override {
        pgtest::PgTest::SetUp();
        if (HasFatalFailure() || IsSkipped()) return;
        root = fs::temp_directory_path() / ("vorlan_pg_transfer_" + pgtest::testDatabaseName());
        fs::remove_all(root);
        fs::create_directories(root / "in");
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(root, ec);
        pgtest::PgTest::TearDown();
    }
    fs::path root;
};

TEST_F(PgTransferTest, FolderRoundTripKeepsRecordsMemosAndOrders) {
    vorlan::dbf::settings().hideDeleted = false;
    {
        auto t = vorlan::dbf::Table::create(
            root / "in" / "FIRMY.DBF",
            {{"NAZEV", 'C', 20, 0}, {"ICO", 'N', 8, 0}, {"DATUM", 'D', 0, 0}, {"POZN", 'M', 0, 0}});
        const char* names[] = {"Zeman", "adam",
                               "\xC8"
                               "apek",
                               "Beran"};
        for (int i = 0; i < 4; ++i) {
            t->append();
            t->setString(0, names[i]);
            t->setNumber(1, 1000 + i);
            t->setDate(2, vorlan::dbf::dateFromDtos("20240101") + i);
            if (i % 2) t->setMemo(3, czech("Poznámka ") + std::to_string(i));
        }
        t->goTo(2);
        t->deleteRecord();
        t->createTag("NAZEV", "UPPER(NAZEV)");
        t->createTag("ICO", "ICO", {false, true, ""});
        t->createIndex(root / "in" / "FIRDAT.NTX", "DTOS(DATUM)");
        t->close();
        auto other = vorlan::dbf::Table::create(root / "in" / "POLOZKY.DBF", {{"MNOZ", 'N', 5, 1}});
        other->append();
        other->setNumber(0, 2.5);
        other->close();
    }
    const auto in = vorlan::pgsql::importFolder(root / "in", url, false);
    EXPECT_EQ(in.tables, 2);
    EXPECT_EQ(in.records, 5);
    ASSERT_EQ(in.lines.size(), 2u);
    EXPECT_EQ(in.lines[0], "firmy: 4 záznamů, pořadí ICO NAZEV FIRDAT");
    // A second copy is refused and changes nothing.
    EXPECT_THROW(vorlan::pgsql::importFolder(root / "in", url, false), vorlan::dbf::DbfError);

    const auto out = vorlan::pgsql::exportDatabase(url, root / "out", false);
    EXPECT_EQ(out.records, 5);
    EXPECT_THROW(vorlan::pgsql::exportDatabase(url, root / "out", false), vorlan::dbf::DbfError);
    EXPECT_NO_THROW(vorlan::pgsql::exportDatabase(url, root / "out", true));

    auto a = vorlan::dbf::Table::open(root / "in" / "FIRMY.DBF");
    auto b = vorlan::dbf::Table::open(root / "out" / "FIRMY.DBF");
    ASSERT_EQ(b->recordCount(), a->recordCount());
    for (std::uint32_t r = 1; r <= a->recordCount(); ++r) {
        a->goTo(r);
        b->goTo(r);
        EXPECT_EQ(b->deleted(), a->deleted());
        for (int f = 0; f < 3; ++f)
            EXPECT_EQ(b->raw(f), a->raw(f));
        EXPECT_EQ(b->getMemo(3), a->getMemo(3));
    }
    // The orders came back as tags of the structural index, and seek.
    ASSERT_EQ(b->indexCount(), 3);
    b->setOrder(b->orderOf("NAZEV"));
    EXPECT_TRUE(b->seek("\xC8"
                        "AP",
                        false));
    EXPECT_EQ(b->recNo(), 3u);
    b->setOrder(b->orderOf("ICO"));
    b->goTop();
    EXPECT_EQ(b->recNo(), 4u);
    b->setOrder(b->orderOf("FIRDAT"));
    EXPECT_TRUE(b->seek("20240102", false));
    EXPECT_EQ(b->recNo(), 2u);
}

} // namespace
