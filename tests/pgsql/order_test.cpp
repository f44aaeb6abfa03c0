// Orders on the server walk, seek and skip exactly as the DBF engine's compound index tags do
// over the same records.

#include "core/cp1250.h"
#include "dbf/table.h"
#include "dbf/xbase_text.h"
#include "pgsql/pg_fixture.h"

#include <filesystem>
#include <random>

namespace {

using vorlan::czech;
using vorlan::dbf::FieldSpec;
namespace fs = std::filesystem;

struct Rec {
    std::string name;
    double number;
    const char* date;
    bool payer;
};

std::vector<Rec> records() {
    return {
        {czech("Šťastný"), 10, "20240105", true},
        {"abc", -5.5, "", false},
        {czech("Čapek"), 10, "20231231", true},
        {"ABC", 0, "20240105", true},
        {czech("Žába"), 1e6, "19991231", false},
        {czech("čeněk"), -5.5, "20240101", true},
        {"Zeman", 3.25, "", true},
        {"", 7, "20000101", false},
        {czech("Ábel"), 10, "20240105", false},
        {"Adam", 0.01, "20240229", true},
        {czech("Chalupa"), -100, "18991231", true},
        {"hruska", 3.25, "20240101", false},
    };
}

template <class T> void fill(T& t) {
    for (const auto& r : records()) {
        t.append();
        t.setString(0, r.name);
        t.setNumber(1, r.number);
        if (*r.date) t.setDate(2, vorlan::dbf::dateFromDtos(r.date));
        t.setLogical(3, r.payer);
    }
    t.flush();
    t.goTo(3);
    t.deleteRecord();
    t.flush();
}

// What a program sees walking and seeking the current order.
template <class T> std::string trace(T& t, const std::vector<std::string>& seeks) {
    std::string out;
    for (t.goTop(); !t.eof(); t.skip())
        out += std::to_string(t.recNo()) + " ";
    out += "| ";
    for (t.goBottom(); !t.bof(); t.skip(-1))
        out += std::to_string(t.recNo()) + " ";
    out += "| ";
    t.goTop();
    t.skip(3);
    t.skip(-2);
    out += std::to_string(t.recNo()) + (t.bof() ? "b " : " ");
    t.skip(-5);
    out += std::to_string(t.recNo()) + (t.bof() ? "b " : " ");
    t.skip(100);
    out += std::to_string(t.recNo()) + (t.eof() ? "e " : " ");
    t.skip(-1);
    out += std::to_string(t.recNo()) + " | ";
    for (const auto& k : seeks) {
        for (const bool soft : {false, true}) {
            const bool found = t.seek(k, soft);
            out += (found ? "F" : "-") + std::to_string(t.recNo()) + (t.eof() ? "e" : "");
            if (!t.eof()) {
                t.skip();
                out += ">" + std::to_string(t.recNo());
            }
            out += " ";
        }
    }
    return out;
}

class PgOrderTest : public pgtest::PgTest {
protected:
    void SetUp() override {
        pgtest::PgTest::SetUp();
        if (HasFatalFailure() || IsSkipped()) return;
        folder = fs::temp_directory_path() / ("vorlan_pg_order_" + pgtest::testDatabaseName());
        fs::create_directories(folder);
        const std::vector<FieldSpec> fields = {{"NAZEV", 'C', 12, 0},
                                               {"CISLO", 'N', 10, 2},
                                               {"DATUM", 'D', 0, 0},
                                               {"PLATCE", 'L', 0, 0}};
        file = vorlan::dbf::Table::create(folder / "FIRMY.DBF", fields);
        server = vorlan::pgsql::Table::create(conn, "firmy", fields);
        fill(*file);
        fill(*this->server);
    }
    void TearDown() override {
        file.reset();
        server.reset();
        std::error_code ec;
        fs::remove_all(folder, ec);
        pgtest::PgTest::TearDown();
    }
    void define(const std::string& tag, const std::string& expr,
                vorlan::dbf::IndexOptions options = {}) {
        file->createTag(tag, expr, options);
        file->setOrder(file->orderOf(tag));
        server->createOrder({tag, expr, options.forExpr, options.unique, options.descending});
        server->setOrder(server->orderOf(tag));
    }

    fs::path folder;
    std::unique_ptr<vorlan::dbf::Table> file;
    std::unique_ptr<vorlan::pgsql::Table> server;
};

TEST_F(PgOrderTest, KeyOrdersMatchTheDbfEngine) {
    struct Case {
        const char* tag;
        std::string expr;
        vorlan::dbf::IndexOptions options;
        std::vector<std::string> seeks;
    };
    const std::vector<Case> cases = {
        {"NAZEV", "UPPER(NAZEV)", {}, {"ABC", czech("Č"), "ZZ", "", "H"}},
        {"CISDAT", "STR(CISLO,10,2)+DTOS(DATUM)", {}, {"     10.00", "      3.25", "x", "  "}},
        {"CISLO", "CISLO", {}, {"10", "-5.5", "4", "2000000"}},
        {"DATUM", "DATUM", {false, true, ""}, {"05.01.2024", "01.01.2023", "01.01.1800"}},
        {"PLATCI", "LEFT(NAZEV,4)", {false, false, "PLATCE"}, {"Adam", "Z", czech("Š")}},
        {"PRVNI", "UPPER(LEFT(NAZEV,2))", {true, false, ""}, {"AB", "AD", "Q"}},
    };
    vorlan::dbf::settings().dateFormat = vorlan::dbf::DateFormat::German;
    vorlan::dbf::settings().century = true;
    for (const bool hide : {false, true}) {
        vorlan::dbf::settings().hideDeleted = hide;
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.tag) + (hide ? " hiding deleted" : ""));
            if (!file->orderOf(c.tag)) define(c.tag, c.expr, c.options);
            file->setOrder(file->orderOf(c.tag));
            server->setOrder(server->orderOf(c.tag));
            EXPECT_EQ(trace(*server, c.seeks), trace(*file, c.seeks));
            file->goTo(5);
            server->goTo(5);
            EXPECT_EQ(server->currentKey(), file->currentKey());
            if (!c.options.unique) {
                EXPECT_EQ(server->keyPosition(), file->keyPosition());
            }
        }
    }
}

TEST_F(PgOrderTest, ExactSettingFiltersScopesAndFlipsMatchTheDbfEngine) {
    define("NAZEV", "UPPER(NAZEV)");
    const std::vector<std::string> seeks = {"AB", "ABC", czech("ČA"), "ZEMAN"};
    for (const bool exact : {false, true}) {
        vorlan::dbf::settings().exact = exact;
        SCOPED_TRACE(exact ? "exact" : "prefix");
        EXPECT_EQ(trace(*server, seeks), trace(*file, seeks));
    }
    vorlan::dbf::settings().exact = false;
    file->setFilter("CISLO > 0 .AND. !PLATCE");
    server->setFilter("CISLO > 0 .AND. !PLATCE");
    EXPECT_EQ(trace(*server, seeks), trace(*file, seeks));
    EXPECT_EQ(server->count(), file->count());
    // Query marks show or hide single records whatever the filter says.
    EXPECT_EQ(server->markRecord(4, true), file->markRecord(4, true));
    EXPECT_EQ(server->markRecord(12, false), file->markRecord(12, false));
    EXPECT_EQ(trace(*server, seeks), trace(*file, seeks));
    EXPECT_EQ(server->passesQuery(4), file->passesQuery(4));
    EXPECT_EQ(server->passesQuery(9), file->passesQuery(9));
    file->setFilter("");
    server->setFilter("");

    file->setScope("B", "H");
    server->setScope("B", "H");
    EXPECT_EQ(trace(*server, seeks), trace(*file, seeks));
    file->setScope("", "");
    server->setScope("", "");

    ASSERT_TRUE(file->flipOrder());
    ASSERT_TRUE(server->flipOrder());
    EXPECT_EQ(trace(*server, seeks), trace(*file, seeks));

    EXPECT_EQ(server->locate("CISLO = 3.25", false), file->locate("CISLO = 3.25", false));
    EXPECT_EQ(server->locate("CISLO = 3.25", true), file->locate("CISLO = 3.25", true));
    EXPECT_EQ(server->locate("CISLO = 3.25", true), file->locate("CISLO = 3.25", true));
    EXPECT_EQ(server->eof(), file->eof());
}

TEST_F(PgOrderTest, ChangedKeysMoveTheRecordInTheOrder) {
    define("NAZEV", "UPPER(NAZEV)");
    file->goTo(12);
    file->setString(0, "AAA");
    file->goTo(1);
    file->setString(0, "zzz");
    file->flush();
    server->goTo(12);
    server->setString(0, "AAA");
    server->goTo(1);
    server->setString(0, "zzz");
    server->flush();
    // Appends made by another client are in the order too.
    auto other = vorlan::pgsql::Table::open(vorlan::pgsql::Connection::open(url), "firmy");
    other->append();
    other->setString(0, "Bedna");
    other->flush();
    file->append();
    file->setString(0, "Bedna");
    file->flush();
    EXPECT_EQ(trace(*server, {"AAA", "BE", "ZZZ"}), trace(*file, {"AAA", "BE", "ZZZ"}));
}

TEST_F(PgOrderTest, KeysAddedAndDroppedByHandMatchTheDbfEngine) {
    define("NAZEV", "UPPER(NAZEV)");
    define("PLATCI", "LEFT(NAZEV,4)", {false, false, "PLATCE"});
    const std::vector<std::string> seeks = {"ABC", "HRUSKA", "Z"};
    // (record, order, add): a key dropped twice, given back, and one put into an order its FOR
    // condition keeps it out of.
    const struct {
        std::uint32_t record;
        const char* tag;
        bool add;
    } steps[] = {{12, "NAZEV", false}, {12, "NAZEV", false}, {4, "NAZEV", false},
                 {12, "NAZEV", true},  {12, "NAZEV", true},  {2, "PLATCI", true},
                 {2, "PLATCI", true},  {1, "PLATCI", false}};
    for (const auto& step : steps) {
        SCOPED_TRACE(std::to_string(step.record) + " " + step.tag + (step.add ? " +" : " -"));
        file->goTo(step.record);
        server->goTo(step.record);
        const int fo = file->orderOf(step.tag), so = server->orderOf(step.tag);
        EXPECT_EQ(server->changeCurrentKey(so, step.add),
                  step.add ? file->addCurrentKey(fo) : file->dropCurrentKey(fo));
        file->setOrder(fo);
        server->setOrder(so);
        EXPECT_EQ(trace(*server, seeks), trace(*file, seeks));
    }
    // Another client walks the orders as they are now.
    auto other = vorlan::pgsql::Table::open(vorlan::pgsql::Connection::open(url), "firmy");
    other->setOrder(other->orderOf("NAZEV"));
    file->setOrder(file->orderOf("NAZEV"));
    EXPECT_EQ(trace(*other, seeks), trace(*file, seeks));
    server->setOrder(0);
    server->goTo(server->recordCount() + 1);
    EXPECT_FALSE(server->changeCurrentKey(1, true));
}

TEST_F(PgOrderTest, LongWalksReadAheadInBothDirections) {
    define("CISLO", "CISLO");
    std::mt19937 rng(7);
    server->setOrder(0);
    file->setOrder(0);
    // The server loads the file's records in one go, deleted marks included.
    for (int i = 0; i < 3000; ++i) {
        file->append();
        file->setNumber(1, static_cast<double>(rng() % 500));
        if (i % 7 == 0) file->deleteRecord();
    }
    file->flush();
    std::vector<std::string> images;
    for (std::uint32_t r = 13; r <= file->recordCount(); ++r) {
        file->goTo(r);
        std::string image(1, file->deleted() ? '*' : ' ');
        for (int f = 0; f < file->fieldCount(); ++f)
            image += file->raw(f);
        images.push_back(image);
    }
    EXPECT_EQ(server->appendImages(images), 13u);
    EXPECT_EQ(server->recordCount(), file->recordCount());
    file->setOrder(1);
    server->setOrder(1);
    std::string a, b;
    vorlan::dbf::settings().hideDeleted = true;
    for (file->goTop(); !file->eof(); file->skip(7))
        a += std::to_string(file->recNo()) + ",";
    for (server->goTop(); !server->eof(); server->skip(7))
        b += std::to_string(server->recNo()) + ",";
    for (file->goBottom(); !file->bof(); file->skip(-3))
        a += std::to_string(file->recNo()) + ",";
    for (server->goBottom(); !server->bof(); server->skip(-3))
        b += std::to_string(server->recNo()) + ",";
    EXPECT_EQ(a, b);
}

} // namespace
