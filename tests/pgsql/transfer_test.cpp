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
    EXPECT_EQ(in.lines[0], "firmy: 4 záznamů, pořadí NAZEV ICO FIRDAT");
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

// The records of a table in the order of one of its tags, as record numbers.
template <class T> std::string walk(T& t, const char* tag) {
    t.setOrder(t.orderOf(tag));
    std::string out;
    for (t.goTop(); !t.eof(); t.skip())
        out += std::to_string(t.recNo()) + " ";
    return out;
}

TEST_F(PgTransferTest, BinaryFieldsRoundTripByteForByteInTheDbfEnginesOrders) {
    vorlan::dbf::settings().hideDeleted = false;
    const char* const tags[] = {"POCET", "PODIL", "CENA", "CAS", "SLOZENY"};
    {
        vorlan::dbf::CreateOptions vfp;
        vfp.flavor = vorlan::dbf::TableFlavor::VisualFoxPro;
        auto t = vorlan::dbf::Table::create(root / "in" / "MERENI.DBF",
                                            {{"POCET", 'I', 0, 0},
                                             {"PODIL", 'B', 0, 2},
                                             {"CENA", 'Y', 0, 0},
                                             {"CAS", 'T', 0, 0},
                                             {"POZN", 'M', 0, 0}},
                                            vfp);
        const double numbers[] = {-7, 0, 2147483647, -2147483648.0, 12, 0.5, -0.25, 1e15};
        for (int i = 0; i < 8; ++i) {
            t->append();
            if (i == 1) continue; // a blank record
            t->setNumber(0, numbers[i]);
            t->setNumber(1, numbers[i] / 3);
            t->setNumber(2, numbers[(i + 3) % 8] / 7);
            // Dates with their milliseconds, some on the same day.
            const std::uint32_t jd =
                static_cast<std::uint32_t>(vorlan::dbf::dateFromDtos("20240101") + (i % 3) * 40);
            const std::uint32_t ms = static_cast<std::uint32_t>(i) * 9'876'543u;
            std::string when(8, '\0');
            for (int b = 0; b < 4; ++b) {
                when[static_cast<std::size_t>(b)] = static_cast<char>(jd >> (8 * b));
                when[static_cast<std::size_t>(4 + b)] = static_cast<char>(ms >> (8 * b));
            }
            t->setRaw(3, when);
            if (i % 2) t->setMemo(4, "memo " + std::to_string(i));
        }
        t->goTo(4);
        t->deleteRecord();
        t->createTag("POCET", "POCET");
        t->createTag("PODIL", "PODIL", {false, true, ""});
        t->createTag("CENA", "CENA");
        t->createTag("CAS", "CAS");
        t->createTag("SLOZENY", "DTOS(CAS)+STR(CENA,20,4)");
        t->close();
    }
    vorlan::pgsql::importFolder(root / "in", url, false);
    auto a = vorlan::dbf::Table::open(root / "in" / "MERENI.DBF");
    {
        auto s = vorlan::pgsql::Table::open(conn, "mereni");
        for (const char* tag : tags)
            EXPECT_EQ(walk(*s, tag), walk(*a, tag)) << tag;
        s->setOrder(0);
        a->setOrder(0);
        for (std::uint32_t r = 1; r <= a->recordCount(); ++r) {
            a->goTo(r);
            s->goTo(r);
            for (int f = 0; f < 4; ++f) {
                EXPECT_EQ(s->raw(f), a->raw(f)) << r << " " << f;
                EXPECT_EQ(s->getString(f), a->getString(f)) << r << " " << f;
            }
        }
    }
    vorlan::pgsql::exportDatabase(url, root / "out", false);
    auto b = vorlan::dbf::Table::open(root / "out" / "MERENI.DBF");
    ASSERT_EQ(b->recordCount(), a->recordCount());
    for (std::uint32_t r = 1; r <= a->recordCount(); ++r) {
        a->goTo(r);
        b->goTo(r);
        EXPECT_EQ(b->deleted(), a->deleted());
        for (int f = 0; f < 4; ++f)
            EXPECT_EQ(b->raw(f), a->raw(f)) << r << " " << f;
        EXPECT_EQ(b->getMemo(4), a->getMemo(4));
    }
    for (const char* tag : tags)
        EXPECT_EQ(walk(*b, tag), walk(*a, tag)) << tag;
    b->setOrder(b->orderOf("POCET"));
    EXPECT_TRUE(b->seek("12", false));
    EXPECT_EQ(b->recNo(), 5u);
}

} // namespace
