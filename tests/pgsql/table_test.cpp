// Records on the server: field encodings, appends and changes, pack and zap, the folder map and
// a server that goes away.

#include "core/cp1250.h"
#include "core/path_mapper.h"
#include "dbf/xbase_text.h"
#include "pgsql/pg_fixture.h"
#include "pgsql/server_map.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

using vorlan::czech;
using vorlan::dbf::FieldSpec;
using vorlan::pgsql::Table;

std::vector<FieldSpec> firmyFields() {
    return {{"NAZEV", 'C', 20, 0},
            {"CISLO", 'N', 10, 2},
            {"DATUM", 'D', 0, 0},
            {"PLATCE", 'L', 0, 0},
            {"POZN", 'M', 0, 0}};
}

class PgTableTest : public pgtest::PgTest {};

TEST_F(PgTableTest, FieldsKeepTheirXbaseFormAndMemosTheirBytes) {
    auto t = Table::create(conn, "firmy", firmyFields());
    EXPECT_TRUE(t->eof());
    EXPECT_EQ(t->recordCount(), 0u);

    const std::string name = czech("Žluťoučký kůň");
    const std::string binary("\x00\x1A\xFF\r\n", 5);
    t->append();
    t->setString(0, name);
    t->setNumber(1, 0.1 + 0.2);
    t->setDate(2, vorlan::dbf::dateFromDtos("20240229"));
    t->setLogical(3, true);
    t->setMemo(4, binary);
    t->append(); // the first record is sent now; the second stays blank
    t->flush();
    EXPECT_EQ(t->recNo(), 2u);

    // A second client reads what the first wrote.
    auto other = Table::open(vorlan::pgsql::Connection::open(url), "firmy");
    ASSERT_EQ(other->recordCount(), 2u);
    other->goTo(1);
    EXPECT_EQ(other->getString(0), name + std::string(20 - name.size(), ' '));
    EXPECT_EQ(other->raw(1), "      0.30");
    EXPECT_EQ(other->raw(2), "20240229");
    EXPECT_EQ(other->raw(3), "T");
    EXPECT_EQ(other->getMemo(4), binary);
    EXPECT_EQ(other->memoLength(4), 5u);
    other->goTo(2);
    EXPECT_EQ(other->raw(1), std::string(10, ' '));
    EXPECT_EQ(other->raw(2), std::string(8, ' '));
    EXPECT_TRUE(other->fieldEmpty(3));
    EXPECT_TRUE(other->fieldEmpty(4));
    other->goTo(3);
    EXPECT_TRUE(other->eof());
    EXPECT_EQ(other->recNo(), 3u);

    // Numbers too wide for the field read as asterisks, as in a table file.
    t->goTo(2);
    t->setNumber(1, 1e12);
    t->flush();
    other->goTo(2);
    EXPECT_EQ(other->raw(1), std::string(10, ' '));
    t->setFromText(1, "-12.345");
    t->flush();
    other->goTo(2);
    EXPECT_EQ(other->raw(1), "    -12.35");
}

TEST_F(PgTableTest, DeletedMarkPackAndZapKeepRecordNumbersDense) {
    vorlan::dbf::settings().hideDeleted = false;
    auto t = Table::create(conn, "cisla", {{"N", 'N', 5, 0}});
    for (int i = 1; i <= 6; ++i) {
        t->append();
        t->setNumber(0, i);
    }
    t->goTo(2);
    t->deleteRecord();
    t->goTo(5);
    t->deleteRecord();
    t->goTo(3);
    EXPECT_FALSE(t->deleted());
    t->goTo(2);
    EXPECT_TRUE(t->deleted());

    vorlan::dbf::settings().hideDeleted = true;
    std::string seen;
    for (t->goTop(); !t->eof(); t->skip())
        seen +=
            std::to_string(t->recNo()) + ":" + std::string(vorlan::dbf::trimLeft(t->raw(0))) + " ";
    EXPECT_EQ(seen, "1:1 3:3 4:4 6:6 ");

    t->goTo(5);
    t->recall();
    t->pack();
    EXPECT_EQ(t->recordCount(), 5u);
    seen.clear();
    for (t->goTop(); !t->eof(); t->skip())
        seen +=
            std::to_string(t->recNo()) + ":" + std::string(vorlan::dbf::trimLeft(t->raw(0))) + " ";
    EXPECT_EQ(seen, "1:1 2:3 3:4 4:5 5:6 ");
    // Appends continue after the last number.
    t->append();
    t->setNumber(0, 7);
    t->flush();
    EXPECT_EQ(t->recNo(), 6u);

    t->zap();
    EXPECT_EQ(t->recordCount(), 0u);
    EXPECT_TRUE(t->eof());
    t->append();
    t->flush();
    EXPECT_EQ(t->recNo(), 1u);
}

TEST_F(PgTableTest, ChangedFieldsOnlyTravelSoTwoClientsKeepEachOthersChanges) {
    auto a = Table::create(conn, "adresy", firmyFields());
    a->append();
    a->setString(0, "Nula");
    a->flush();
    auto b = Table::open(vorlan::pgsql::Connection::open(url), "adresy");
    a->goTo(1);
    b->goTo(1);
    a->setString(0, "Jedna");
    b->setNumber(1, 42);
    a->flush();
    b->flush();
    a->goTo(1);
    EXPECT_EQ(std::string(vorlan::dbf::trimRight(a->raw(0))), "Jedna");
    EXPECT_EQ(a->getNumber(1), 42);
}

TEST_F(PgTableTest, ExistingTablesAndUnsupportedTypesAreRefused) {
    Table::create(conn, "dvakrat", {{"A", 'C', 5, 0}});
    EXPECT_THROW(Table::create(conn, "dvakrat", {{"A", 'C', 5, 0}}), vorlan::dbf::DbfError);
    EXPECT_THROW(Table::create(conn, "neznamy", {{"V", 'V', 4, 0}}), vorlan::dbf::DbfError);
    EXPECT_FALSE(vorlan::pgsql::tableExists(*conn, "neznamy"));
    EXPECT_THROW(Table::open(conn, "nikde"), vorlan::dbf::DbfError);
}

TEST(PgServerMap, FoldersMapToTablesByLongestMatch) {
    const auto ini = std::filesystem::temp_directory_path() / "vorlan_server_map_test.ini";
    {
        std::ofstream out(ini);
        out << "[Drives]\nF=/srv/f\n[Server]\nF:\\UCTO=postgresql://ucto@server/ucto\n"
               "f:/ucto/archiv/=postgresql://archiv@server/archiv\n[Locale]\nX=1\n";
    }
    vorlan::pgsql::ServerMap map;
    EXPECT_EQ(map.load(ini), 2);
    std::filesystem::remove(ini);
    auto t = map.find("f:\\Ucto\\Firmy.dbf");
    ASSERT_TRUE(t);
    EXPECT_EQ(t->url, "postgresql://ucto@server/ucto");
    EXPECT_EQ(t->table, "firmy");
    t = map.find("F:/UCTO/ARCHIV/" + czech("DOKLADY_Č.DBF"));
    ASSERT_TRUE(t);
    EXPECT_EQ(t->url, "postgresql://archiv@server/archiv");
    EXPECT_EQ(t->table, "doklady_č");
    EXPECT_FALSE(map.find("F:\\UCTOVANI\\FIRMY.DBF"));
    EXPECT_FALSE(map.find("F:\\UCTO"));

    // Host paths, as the data layer hands them over, go through the drive map.
    const auto saved = vorlan::pathMapper().driveRoot('F');
    vorlan::pathMapper().setDriveRoot('F', "/srv/f");
    t = map.findHost("/srv/f/ucto/FIRMY.DBF");
    ASSERT_TRUE(t);
    EXPECT_EQ(t->table, "firmy");
    t = map.findHost("/srv/f/Ucto/Archiv/x.dbf");
    ASSERT_TRUE(t);
    EXPECT_EQ(t->url, "postgresql://archiv@server/archiv");
    EXPECT_FALSE(map.findHost("/srv/f/uctovani/firmy.dbf"));
    EXPECT_FALSE(map.findHost("/srv/g/ucto/firmy.dbf"));
    vorlan::pathMapper().setDriveRoot('F', saved);
}

TEST_F(PgTableTest, ServerThatGoesAwayLeavesNoHalfWrittenRecord) {
    auto t = Table::create(conn, "ztraty", firmyFields());
    t->append();
    t->setString(0, "Puvodni");
    t->setNumber(1, 1);
    t->flush();
    t->goTo(1);
    t->setString(0, "Zmena");
    t->setNumber(1, 2);
    ASSERT_TRUE(server->stop());
    try {
        t->flush();
        ADD_FAILURE() << "the write should fail";
    } catch (const vorlan::pgsql::ServerError& e) {
        EXPECT_TRUE(e.lost());
        EXPECT_NE(std::string(e.what()).find(czech("Spojení s databázovým serverem")),
                  std::string::npos)
            << e.what();
    }
    ASSERT_TRUE(server->start());
    // The same program goes on once the server is back: the connection is reopened and the
    // record holds either all of the change or none of it.
    t->goTo(1);
    EXPECT_EQ(std::string(vorlan::dbf::trimRight(t->raw(0))), "Puvodni");
    EXPECT_EQ(t->getNumber(1), 1);
    t->setString(0, "Znovu");
    t->flush();
    t->goTo(1);
    EXPECT_EQ(std::string(vorlan::dbf::trimRight(t->raw(0))), "Znovu");
}

// Polls until the announcement of record `last` arrives (others' announcements travel after
// their commits) and answers every record announced meanwhile.
std::vector<std::uint32_t> awaitChanges(Table& t, std::uint32_t last) {
    std::vector<std::uint32_t> all;
    for (int i = 0; i < 300; ++i) {
        for (const std::uint32_t r : t.pollChanges())
            all.push_back(r);
        if (std::find(all.begin(), all.end(), last) != all.end()) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::sort(all.begin(), all.end());
    all.erase(std::unique(all.begin(), all.end()), all.end());
    return all;
}

TEST_F(PgTableTest, AnOpenTableLearnsOfOtherClientsWrites) {
    auto a = Table::create(conn, "zmeny", firmyFields());
    for (int i = 1; i <= 40; ++i) {
        a->append();
        a->setNumber(1, i);
    }
    a->flush();
    auto b = Table::open(vorlan::pgsql::Connection::open(url), "zmeny");
    b->goTop();
    EXPECT_TRUE(b->pollChanges().empty());

    a->goTo(5);
    a->setNumber(1, 500);
    a->append();
    a->setString(0, czech("Nový"));
    a->flush();
    EXPECT_EQ(awaitChanges(*b, 41), (std::vector<std::uint32_t>{5, 41}));
    EXPECT_EQ(b->recordCount(), 41u);
    // The record read ahead before the change is read again.
    b->skip(4);
    EXPECT_EQ(b->recNo(), 5u);
    EXPECT_EQ(b->getNumber(1), 500);

    // The current record shows the change where it stands, unless it is being edited.
    a->goTo(5);
    a->setNumber(1, 501);
    a->flush();
    EXPECT_EQ(awaitChanges(*b, 5), (std::vector<std::uint32_t>{5}));
    EXPECT_EQ(b->getNumber(1), 501);
    b->setString(0, "Moje");
    a->goTo(5);
    a->setNumber(1, 502);
    a->flush();
    EXPECT_EQ(awaitChanges(*b, 5), (std::vector<std::uint32_t>{5}));
    EXPECT_EQ(std::string(vorlan::dbf::trimRight(b->raw(0))), "Moje");
    b->flush();
    // Its own write comes back as well.
    EXPECT_EQ(awaitChanges(*b, 5), (std::vector<std::uint32_t>{5}));

    // Pack renumbers: anything may have changed.
    a->goTo(1);
    a->deleteRecord();
    a->flush();
    EXPECT_EQ(awaitChanges(*b, 1), (std::vector<std::uint32_t>{1}));
    a->pack();
    EXPECT_EQ(awaitChanges(*b, 0), (std::vector<std::uint32_t>{0}));
    EXPECT_EQ(b->recordCount(), 40u);
    EXPECT_TRUE(b->pollChanges().empty());

    // Tables of one connection share its listening, which ends with the last of them.
    std::shared_ptr<vorlan::pgsql::Connection> shared = vorlan::pgsql::Connection::open(url);
    auto x = Table::open(shared, "zmeny");
    auto y = Table::open(shared, "zmeny");
    x->close();
    a->goTo(2);
    a->setNumber(1, 7);
    a->flush();
    EXPECT_EQ(awaitChanges(*y, 2), (std::vector<std::uint32_t>{2}));
    y->close();
    EXPECT_EQ(shared->exec("SELECT count(*) FROM pg_listening_channels()").integer(0, 0), 0);
}

TEST_F(PgTableTest, IntegerDoubleCurrencyAndDateTimeFieldsKeepTheirValues) {
    auto t = Table::create(
        conn, "binarni",
        {{"POCET", 'I', 0, 0}, {"PODIL", 'B', 0, 3}, {"CENA", 'Y', 0, 0}, {"CAS", 'T', 0, 0}});
    EXPECT_EQ(t->field(0).width, 4);
    EXPECT_EQ(t->field(2).decimals, 4);
    t->append();
    t->setNumber(0, -2147483648.0);
    t->setNumber(1, 1.0 / 3);
    t->setNumber(2, -1234.5678);
    t->setDate(3, vorlan::dbf::dateFromDtos("20240229"));
    t->append(); // blank: zero bytes, empty values
    t->append();
    t->setFromText(0, "2147483647");
    t->setFromText(1, "-0.125");
    t->setFromText(2, "0.0001");
    // Milliseconds, which setDate leaves out, travel in the field's bytes.
    const std::uint32_t jd = static_cast<std::uint32_t>(vorlan::dbf::dateFromDtos("19991231"));
    std::string when(8, '\0');
    for (int i = 0; i < 4; ++i) {
        when[static_cast<std::size_t>(i)] = static_cast<char>(jd >> (8 * i));
        when[static_cast<std::size_t>(4 + i)] = static_cast<char>(86399999u >> (8 * i));
    }
    t->setRaw(3, when);
    t->flush();

    auto other = Table::open(vorlan::pgsql::Connection::open(url), "binarni");
    other->goTo(1);
    EXPECT_EQ(other->getNumber(0), -2147483648.0);
    EXPECT_EQ(other->getNumber(1), 1.0 / 3);
    EXPECT_EQ(other->getNumber(2), -1234.5678);
    EXPECT_EQ(other->getDate(3), vorlan::dbf::dateFromDtos("20240229"));
    EXPECT_EQ(other->evaluate("STR(CENA, 12, 4)").str, "  -1234.5678");
    other->goTo(2);
    for (int f = 0; f < 4; ++f) {
        EXPECT_TRUE(other->fieldEmpty(f)) << f;
        EXPECT_EQ(other->raw(f),
                  std::string(static_cast<std::size_t>(other->field(f).width), '\0'));
    }
    other->goTo(3);
    EXPECT_EQ(other->getNumber(0), 2147483647.0);
    EXPECT_EQ(other->getNumber(1), -0.125);
    EXPECT_EQ(other->getNumber(2), 0.0001);
    EXPECT_EQ(other->raw(3), when);
    EXPECT_EQ(other->evaluate("DTOS(CAS)").str, "19991231");
}

} // namespace
