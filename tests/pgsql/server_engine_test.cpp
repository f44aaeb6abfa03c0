// Server tables reached through the data layer: a folder mapped to the database opens its tables
// there, they copy to and from table files with their values, index files open by name, and
// what the data layer is told matches what reached the server.

#include "core/cp1250.h"
#include "core/path_mapper.h"
#include "data/dbf_access.h"
#include "data/engine.h"
#include "data/table_data_set.h"
#include "dbf/table.h"
#include "dbf/xbase_text.h"
#include "pgsql/client_library.h"
#include "pgsql/connection.h"
#include "pgsql/pg_fixture.h"
#include "pgsql/server_engine.h"
#include "tables/engine_registry.h"

#include "dbf/temp_dir.h"

#include <cstdlib>

namespace {

using namespace vorlan;
namespace fs = std::filesystem;
using vorlan::pgsql::Table;

class ServerEngineTest : public pgtest::PgTest {
protected:
    void SetUp() override {
        PgTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        savedDrives_ = pathMapper().drives();
        pathMapper().setDriveRoot('Q', dir_.path());
        fs::create_directories(dir_.path() / "ucto");
        pgsql::ServerMap map;
        map.add("Q:\\UCTO", url);
        engine_ = std::make_shared<pgsql::ServerEngine>(std::move(map));
        data::engine(); // the DBF engine first, as the fallback
        tables::registerEngine(engine_);
    }
    void TearDown() override {
        data::engine().closeAll();
        if (engine_) tables::unregisterEngine(*engine_);
        pathMapper().clearDrives();
        for (const auto& [letter, root] : savedDrives_)
            pathMapper().setDriveRoot(letter, root);
        PgTest::TearDown();
    }
    fs::path onServer(const std::string& file) const { return dir_.path() / "ucto" / file; }
    fs::path onDisk(const std::string& file) const { return dir_.path() / file; }

    void makeFirms(const fs::path& path) {
        tables::engineFor(path).create(path,
                                       {{"NAZEV", 'C', 12, 0},
                                        {"CASTKA", 'N', 9, 2},
                                        {"DATUM", 'D', 0, 0},
                                        {"PLATI", 'L', 0, 0},
                                        {"POZN", 'M', 0, 0}},
                                       tables::Flavor::FoxPro);
        auto t = tables::engineFor(path).open(path, {});
        const char* names[] = {"Žába", "Adam", "čáp", "Bod"};
        for (int i = 0; i < 4; ++i) {
            t->append();
            t->setString(0, czech(names[i]));
            if (i != 1) t->setNumber(1, 10.25 * i);
            if (i != 2) t->setDate(2, dbf::julianFromYmd(2020 + i, 2, 29 - i));
            if (i != 3) t->setLogical(3, i % 2 == 0);
            if (i == 0) t->setMemo(4, czech("první\r\ndruhá"), false);
        }
        t->goTo(2);
        t->deleteRecord();
        t->close();
    }

    static std::string dump(tables::EngineTable& t) {
        std::string out;
        for (t.goTo(1); !t.eof(); t.skip(1)) {
            out += t.deleted() ? "*" : " ";
            for (int i = 0; i < t.fieldCount(); ++i)
                out += (t.fieldEmpty(i) ? std::string("<>") : t.getString(i)) + "|";
            out += "\n";
        }
        return out;
    }

    dbftest::TempDir dir_;
    std::map<char, fs::path> savedDrives_;
    std::shared_ptr<pgsql::ServerEngine> engine_;
};

TEST_F(ServerEngineTest, MappedFolderOpensInTheDatabase) {
    EXPECT_EQ(tables::engineFor(onServer("FIRMY.DBF")).name(), "pgsql");
    EXPECT_EQ(tables::engineFor(onDisk("FIRMY.DBF")).name(), "dbf");
    EXPECT_FALSE(tables::tableExists(onServer("FIRMY.DBF")));
    makeFirms(onServer("FIRMY.DBF"));
    // The table is in the database, not in the folder, and the data layer finds it by its
    // name without an extension as it finds a file.
    EXPECT_TRUE(tables::tableExists(onServer("firmy")));
    EXPECT_FALSE(fs::exists(onServer("FIRMY.DBF")));
    data::TableDataSet set;
    set.setDatabaseName("Q:\\UCTO");
    set.setTableName("Firmy");
    set.open();
    EXPECT_EQ(set.recordCount(), 4);
    set.close();
    set.setTableName("CHYBI");
    try {
        set.open();
        ADD_FAILURE() << "a table the database lacks opened";
    } catch (const data::DataSetError& e) {
        EXPECT_NE(std::string(e.what()).find(czech("neexistuje")), std::string::npos);
    }
}

TEST_F(ServerEngineTest, CopiesToFilesAndBackKeepEveryValue) {
    makeFirms(onServer("FIRMY.DBF"));
    auto onDb = tables::engineFor(onServer("FIRMY.DBF")).open(onServer("FIRMY.DBF"), {});
    const std::string original = dump(*onDb);
    // Out to a table file, which the DBF engine reads with the same values and marks.
    EXPECT_EQ(onDb->copyRecords(onDisk("KOPIE.DBF")), 4U);
    auto file = tables::engineFor(onDisk("KOPIE.DBF")).open(onDisk("KOPIE.DBF"), {});
    EXPECT_EQ(dump(*file), original);
    file->close();
    // And back into a new server table made from the structure.
    onDb->copyStructure(onServer("ZPET.DBF"));
    auto back = tables::engineFor(onServer("ZPET.DBF")).open(onServer("ZPET.DBF"), {});
    EXPECT_EQ(back->appendFrom(onDisk("KOPIE.DBF"), ""), 4U);
    // Appended records come undeleted, as the DBF engine appends them.
    std::string undeleted = original;
    undeleted[undeleted.find('*')] = ' ';
    EXPECT_EQ(dump(*back), undeleted);
    // A table appended to itself doubles once.
    EXPECT_EQ(back->appendFrom(onServer("ZPET.DBF"), "CASTKA > 10"), 2U);
    EXPECT_EQ(back->refreshCount(), 6U);
    back->close();
    onDb->close();
}

TEST_F(ServerEngineTest, IndexFilesOpenByNameAndTagsWithTheTable) {
    makeFirms(onServer("FIRMY.DBF"));
    {
        auto t = tables::engineFor(onServer("FIRMY.DBF")).open(onServer("FIRMY.DBF"), {});
        t->createTag("JMENO", "UPPER(NAZEV)", {});
        t->createIndex(onServer("CASTKY.NTX"), "CASTKA", {});
        EXPECT_EQ(t->indexCount(), 2);
        EXPECT_EQ(t->order(), 2);
        t->close();
    }
    auto t = tables::engineFor(onServer("FIRMY.DBF")).open(onServer("FIRMY.DBF"), {});
    ASSERT_EQ(t->indexCount(), 1);
    EXPECT_EQ(t->orderInfo(1).tag, "JMENO");
    EXPECT_EQ(t->orderInfo(1).typeCode, 7);
    EXPECT_EQ(t->order(), 0);
    EXPECT_EQ(t->orderOf("CASTKY"), 0);
    t->openIndex(onServer("castky.ntx"));
    ASSERT_EQ(t->indexCount(), 2);
    EXPECT_EQ(t->orderInfo(2).typeCode, 4);
    EXPECT_EQ(t->orderInfo(2).path.filename(), "CASTKY.NTX");
    t->setOrder(t->orderOf("CASTKY"));
    EXPECT_TRUE(t->seek("30.75"));
    EXPECT_EQ(t->recNo(), 4U);
    // Czech letters sort as the DBF engine sorts them.
    auto names = [](tables::EngineTable& table) {
        std::string out;
        for (table.goTop(); !table.eof(); table.skip(1))
            out += std::string(dbf::trimRight(table.getString(0))) + ",";
        return out;
    };
    t->setOrder(0);
    t->copyRecords(onDisk("KOPIE.DBF"));
    t->setOrder(1);
    auto file = tables::engineFor(onDisk("KOPIE.DBF")).open(onDisk("KOPIE.DBF"), {});
    file->createTag("JMENO", "UPPER(NAZEV)", {});
    file->setOrder(file->orderOf("JMENO"));
    EXPECT_EQ(names(*t), czech("Adam,Bod,Žába,čáp,"));
    EXPECT_EQ(names(*t), names(*file));
    file->close();
    t->closeIndex(1);
    EXPECT_EQ(t->indexCount(), 1);
    EXPECT_EQ(t->orderInfo(1).tag, "CASTKY");
    EXPECT_THROW(t->openIndex(onServer("NENI.NTX")), tables::EngineError);
    t->close();
}

TEST_F(ServerEngineTest, WritesAreReportedWhenTheyReachTheServerAndReadOnlyRefuses) {
    makeFirms(onServer("FIRMY.DBF"));
    auto t = tables::engineFor(onServer("FIRMY.DBF")).open(onServer("FIRMY.DBF"), {});
    std::vector<std::uint32_t> written;
    t->setChangeListener([&](const tables::TableChange& c) {
        if (c.kind == tables::TableChange::Kind::Record) written.push_back(c.recno);
    });
    t->goTo(3);
    t->setNumber(1, 1);
    EXPECT_TRUE(written.empty());
    t->goTo(1);
    EXPECT_EQ(written, std::vector<std::uint32_t>{3});
    t->close();

    auto ro = tables::engineFor(onServer("FIRMY.DBF")).open(onServer("FIRMY.DBF"), {true, false});
    ro->goTo(3);
    EXPECT_EQ(ro->getNumber(1), 1.0);
    EXPECT_THROW(ro->setNumber(1, 2), tables::EngineError);
    EXPECT_THROW(ro->append(), tables::EngineError);
    ro->goTo(3);
    EXPECT_EQ(ro->getNumber(1), 1.0);
    ro->close();
}

TEST_F(ServerEngineTest, ServerThatGoesAwayMidEditWritesNothingAndTheEditCanBeRepeated) {
    if (std::getenv("VORLAN_TEST_PG_URL")) GTEST_SKIP() << "the server is not the tests' own";
    makeFirms(onServer("FIRMY.DBF"));
    data::TableDataSet set;
    set.setDatabaseName("Q:\\UCTO");
    set.setTableName("FIRMY");
    set.open();
    set.first();
    set.edit();
    set.fieldByName("NAZEV")->setAsString(czech("Nový"));
    set.fieldByName("CASTKA")->setAsString("77.5");
    ASSERT_TRUE(server->stop());
    try {
        set.post();
        ADD_FAILURE() << "a write to a stopped server succeeded";
    } catch (const data::DataSetError& e) {
        EXPECT_NE(
            std::string(e.what()).find(czech("Spojení s databázovým serverem bylo přerušeno")),
            std::string::npos)
            << e.what();
    }
    // Still down: the same clear message, and the edit waits to be repeated or cancelled.
    EXPECT_THROW(set.post(), data::DataSetError);
    EXPECT_EQ(set.state(), data::DataSetState::Edit);
    ASSERT_TRUE(server->start());
    {
        // Neither field reached the server.
        auto other = Table::open(vorlan::pgsql::Connection::open(url), "firmy");
        other->goTo(1);
        EXPECT_EQ(std::string(dbf::trimRight(other->getString(0))), czech("Žába"));
        EXPECT_EQ(other->getNumber(1), 0.0);
    }
    // The program repeats its write: it locks the record again on the new connection.
    set.post();
    auto other = Table::open(vorlan::pgsql::Connection::open(url), "firmy");
    other->goTo(1);
    EXPECT_EQ(std::string(dbf::trimRight(other->getString(0))), czech("Nový"));
    EXPECT_EQ(other->getNumber(1), 77.5);
    // The lock of the edit went with the post.
    EXPECT_TRUE(other->lockRecord(1));
    set.close();

    // A table written directly under its lock takes the lock again on the new connection
    // before it writes.
    dbf::settings().lockTimeoutMs = 200;
    auto direct = tables::engineFor(onServer("FIRMY.DBF")).open(onServer("FIRMY.DBF"), {});
    direct->goTo(2);
    ASSERT_TRUE(direct->lockRecord(2));
    ASSERT_TRUE(server->stop());
    direct->setNumber(1, 5);
    EXPECT_THROW(direct->flush(), tables::EngineError);
    ASSERT_TRUE(server->start());
    direct->setNumber(1, 6);
    direct->flush();
    auto third = Table::open(vorlan::pgsql::Connection::open(url), "firmy");
    EXPECT_FALSE(third->lockRecord(2));
    third->goTo(2);
    EXPECT_EQ(third->getNumber(1), 6.0);
    direct->close();
}

// The client library is loaded when a server table is first needed; a system without it, or
// with something else under its name, gets a reason in Czech instead of a crash at start.
TEST(ServerClientLibrary, AMissingOrForeignLibraryIsRefusedInCzech) {
    for (const std::string file : {"libpq-neni-nainstalovana.so.5", "libc.so.6"}) {
        try {
            pgsql::ClientLibrary::load(file);
            ADD_FAILURE() << file << " loaded";
        } catch (const pgsql::ServerError& e) {
            const std::string message = e.what();
            EXPECT_NE(message.find(file), std::string::npos) << message;
            EXPECT_NE(message.find(czech("nelze načíst")), std::string::npos) << message;
            EXPECT_TRUE(e.lost());
        }
    }
}

TEST_F(ServerEngineTest, AnAppendThatFailedIsNotMadeLaterAndARepeatedOneAddsOneRecord) {
    if (std::getenv("VORLAN_TEST_PG_URL")) GTEST_SKIP() << "the server is not the tests' own";
    makeFirms(onServer("FIRMY.DBF"));
    data::TableDataSet set;
    set.setDatabaseName("Q:\\UCTO");
    set.setTableName("FIRMY");
    data::DataSource source(&set);
    data::TDbfAccess access;
    access.setDataSource(&source);
    set.open();
    ASSERT_TRUE(server->stop());
    try {
        access.appendBlank();
        ADD_FAILURE() << "an append to a stopped server succeeded";
    } catch (const data::DataSetError& e) {
        EXPECT_NE(
            std::string(e.what()).find(czech("Spojení s databázovým serverem bylo přerušeno")),
            std::string::npos)
            << e.what();
    }
    // The count is no answer while the server is away.
    EXPECT_THROW(access.recCount(), data::DataSetError);
    ASSERT_TRUE(server->start());
    access.appendBlank();
    set.close();
    auto other = Table::open(vorlan::pgsql::Connection::open(url), "firmy");
    EXPECT_EQ(other->recordCount(), 5u);
}

} // namespace
