#include "table_fixture.h"

#include "core/cp1250.h"
#include "data/dbf_access.h"
#include "data/engine.h"

#include <gtest/gtest.h>

using namespace vorlan;
using namespace vorlan::data;
using datatest::CustomerTable;

namespace {

// A table data set with its data source and engine access component, the way a script table
// holds them.
struct Bound {
    TableDataSet ds;
    DataSource source{&ds};
    TDbfAccess access;
    Bound() { access.setDataSource(&source); }
};

} // namespace

class DbfAccessTest : public CustomerTable {
protected:
    void SetUp() override {
        CustomerTable::SetUp();
        auto t = dbf::Table::create(dir / "OTHER.DBF", {{"CODE", 'C', 4}});
        for (const char* code : {"A", "B"}) {
            t->append();
            t->setString(0, code);
        }
        t->close();
        configure(a.ds);
        a.ds.open();
        b.ds.setDatabaseName(dir.path().string());
        b.ds.setTableName("OTHER.DBF");
        b.ds.open();
    }
    Bound a;
    Bound b;
};

TEST_F(DbfAccessTest, EveryPatternGivesTheCurrentAreaBack) {
    engine().select(b.ds.workArea());
    EXPECT_EQ(a.access.alias(), "CUSTOMER"); // plain
    EXPECT_EQ(a.access.prevArea(), b.ds.workArea());
    EXPECT_EQ(a.access.evalString("UPPER(NAME)"), "NOVAK     ");            // record
    a.access.go(3);                                                         // moving
    EXPECT_EQ(a.access.setOrder(0), 0);                                     // ordering
    EXPECT_TRUE(a.access.replace("NOTE", kReplaceMemoText, Value("memo"))); // writing
    EXPECT_EQ(a.access.skip(-1), -1);                                       // through the data set
    EXPECT_EQ(engine().current(), b.ds.workArea());

    // A failing engine call gives the area back too, with a neutral answer.
    EXPECT_FALSE(a.access.seek("X")); // no controlling order
    EXPECT_FALSE(engine().lastError().empty());
    EXPECT_EQ(a.access.evalTest("NOSUCH + 1"), 0);
    EXPECT_EQ(engine().current(), b.ds.workArea());

    // Calls for the current area itself leave it current.
    engine().select(a.ds.workArea());
    EXPECT_EQ(a.access.fieldCount(), 7);
    EXPECT_EQ(engine().current(), a.ds.workArea());
}

TEST_F(DbfAccessTest, CzechFileNamesGiveProgramTextAliases) {
    dbf::Table::create(dir / "\u00da\u010dty.dbf", {{"A", 'C', 1}})->close(); // "Účty" in UTF-8
    Bound c;
    c.ds.setDatabaseName(dir.path().string());
    c.ds.setTableName(czech("ÚČTY"));
    c.ds.open();
    EXPECT_EQ(c.access.alias(), czech("ÚČTY"));
    EXPECT_EQ(c.access.baseName().substr(c.access.baseName().size() - 8), czech("Účty.dbf"));
}

TEST_F(DbfAccessTest, AClosedDataSetReachesNoOtherTable) {
    engine().select(b.ds.workArea());
    a.ds.close();
    EXPECT_EQ(a.access.recCount(), 0u);
    EXPECT_EQ(a.access.alias(), "");
    a.access.zap();
    a.access.goBottom();
    EXPECT_EQ(engine().table(b.ds.workArea())->recordCount(), 2u);
    EXPECT_EQ(engine().current(), b.ds.workArea());
    EXPECT_EQ(a.access.getDateString("DUE"), dbf::emptyDateText());
}

TEST_F(DbfAccessTest, OutlivesItsDataSet) {
    TDbfAccess access;
    DataSource source;
    access.setDataSource(&source);
    {
        TableDataSet ds;
        configure(ds);
        source.setDataSet(&ds);
        ds.open();
        EXPECT_EQ(access.recCount(), 4u);
    }
    EXPECT_EQ(access.dataSet(), nullptr);
    EXPECT_EQ(access.recCount(), 0u);
    access.goTop();
    EXPECT_TRUE(access.eof());
}

TEST_F(DbfAccessTest, MovingCallsBringTheDataSetAlong) {
    a.access.go(3);
    EXPECT_EQ(a.ds.recNo(), 3u);
    EXPECT_EQ(a.ds.fieldByName("NAME")->asString(), "Cerny");
    a.access.goBottom();
    EXPECT_EQ(a.access.recNo(), 4u);

    a.access.goTop();
    EXPECT_EQ(a.access.locate("QTY > 5", false, false), 3u);
    EXPECT_EQ(a.ds.recNo(), 3u);
    EXPECT_EQ(a.access.locate("", false, true), 4u); // continuing with the last condition
    EXPECT_EQ(a.access.locate("QTY > 100", false, false), 0u);
    EXPECT_TRUE(a.ds.eof());

    EXPECT_EQ(a.access.indexTag("", "NAME", "NAME", 0, false, ""), 1);
    EXPECT_EQ(a.ds.indexName(), "NAME");
    EXPECT_TRUE(a.access.seek("Cer"));
    EXPECT_EQ(a.ds.fieldByName("NAME")->asString(), "Cerny");
    EXPECT_FALSE(a.access.seek("Zz"));
    EXPECT_FALSE(a.access.found());
    EXPECT_TRUE(a.access.eof());

    // Order numbers and the data set's index name stay in step.
    EXPECT_EQ(a.access.tagName(1), "NAME");
    EXPECT_EQ(a.access.tagName(2), "");
    EXPECT_EQ(a.access.tagArea("name"), 1);
    a.access.setOrder(0);
    EXPECT_EQ(a.ds.indexName(), "");
    a.access.setOrder(1);
    EXPECT_EQ(a.ds.indexName(), "NAME");
}

TEST_F(DbfAccessTest, MovingPostsAPendingEditFirst) {
    a.ds.next();
    a.ds.fieldByName("QTY")->setValue(Value(77));
    a.access.goTop();
    EXPECT_EQ(a.ds.state(), DataSetState::Browse);
    auto other = dbf::Table::open(dir / "CUSTOMER.DBF");
    other->goTo(2);
    EXPECT_DOUBLE_EQ(other->getNumber(2), 77);
}

TEST_F(DbfAccessTest, EngineWritesJoinAnEditInProgress) {
    a.ds.next();
    // Field-object kinds join the edit and reach the file only with the post.
    EXPECT_TRUE(a.access.replace("AMOUNT", kReplaceDouble, Value(3.25)));
    EXPECT_EQ(a.ds.state(), DataSetState::Edit);
    auto other = dbf::Table::open(dir / "CUSTOMER.DBF");
    other->goTo(2);
    EXPECT_DOUBLE_EQ(other->getNumber(1), 99.0);

    // An engine write posts the pending change, writes, and resumes editing.
    EXPECT_TRUE(a.access.replace("NOTE", kReplaceMemoText, Value("new memo")));
    EXPECT_EQ(a.ds.state(), DataSetState::Edit);
    other->goTo(2);
    other->skip(0); // past the other table's read-ahead
    EXPECT_DOUBLE_EQ(other->getNumber(1), 3.25);
    EXPECT_EQ(other->getMemo(5), "new memo");
    EXPECT_EQ(a.ds.fieldByName("NOTE")->asString(), "new memo");
    a.ds.cancel();

    // The engine honours other users' locks when it writes itself.
    ASSERT_TRUE(other->lockRecord(2));
    EXPECT_FALSE(a.access.putBlob("NOTE", std::string("\0\1", 2)));
    other->unlock(0);
    EXPECT_TRUE(a.access.putBlob("NOTE", std::string("\0\1", 2)));
    EXPECT_EQ(a.access.getBlobLength("NOTE"), 2u);
    EXPECT_EQ(a.access.replace("NAME", 999, Value("x")), false);
    dbf::settings().century = true;
    EXPECT_TRUE(a.access.replace("DUE", kReplaceDateText, Value("12/24/2025")));
    EXPECT_EQ(a.ds.fieldByName("DUE")->value().asDate().days, 46015);
}

TEST_F(DbfAccessTest, LocksThroughTheDataSet) {
    auto other = dbf::Table::open(dir / "CUSTOMER.DBF");
    EXPECT_TRUE(a.access.rlock());
    EXPECT_TRUE(a.access.locked(0));
    EXPECT_FALSE(other->lockRecord(1));
    a.access.unlock(1); // ends the edit and its lock
    EXPECT_EQ(a.ds.state(), DataSetState::Browse);
    EXPECT_TRUE(other->lockRecord(1));
    EXPECT_FALSE(a.access.rlock());
    other->unlock(0);

    EXPECT_TRUE(a.access.flock());
    EXPECT_FALSE(other->lockRecord(3));
    a.access.unlock(0);
    EXPECT_TRUE(other->lockRecord(3));
}

TEST_F(DbfAccessTest, ExtraIndexesTakeTheTableTypesExtension) {
    {
        auto t = dbf::Table::open(dir / "CUSTOMER.DBF");
        t->createIndex(dir / "BYQTY.IDX", "QTY");
        t->createIndex(dir / "BYNAME.NTX", "NAME");
    }
    a.ds.close();
    a.ds.setTableType(5);
    a.access.setExtraIndexes({(dir / "byqty").string(), (dir / "MISSING").string()});
    a.ds.open();
    EXPECT_EQ(a.access.indexOrd(), 1);
    EXPECT_EQ(a.ds.indexName(), "BYQTY");
    EXPECT_EQ(a.access.indexKey(), "QTY");
    EXPECT_EQ(a.access.indexKeyField(), "QTY");
    EXPECT_EQ(a.access.indexType(), 5);

    // Assigned while open: opened at once, the controlling order kept.
    a.ds.setTableType(4);
    a.access.setExtraIndexes({(dir / "BYQTY.IDX").string(), (dir / "byname").string()});
    EXPECT_EQ(a.access.tagName(2), "BYNAME");
    EXPECT_EQ(a.access.indexOrd(), 1);
    a.access.closeIndexes();
    EXPECT_EQ(a.ds.indexName(), "");
}

TEST_F(DbfAccessTest, FilterIsReappliedOnEveryOpening) {
    a.access.setFilter("PAID");
    EXPECT_EQ(a.access.queryRecCount(), 2u);
    EXPECT_EQ(a.access.dbFilter(), "PAID");
    a.ds.close();
    a.ds.open();
    std::vector<std::string> names;
    for (a.ds.first(); !a.ds.eof(); a.ds.next())
        names.push_back(a.ds.fieldByName("NAME")->asString());
    EXPECT_EQ(names, (std::vector<std::string>{"Novak", "Cerny"}));
    EXPECT_FALSE(a.access.getQueryBit(2));
    EXPECT_TRUE(a.access.setQueryBit(2, true));
    EXPECT_TRUE(a.access.getQueryBit(2));
    EXPECT_EQ(a.access.query("QTY > 100"), 0);
    EXPECT_TRUE(a.ds.isEmpty());
    EXPECT_EQ(a.access.query("NOSUCH"), -1);
    EXPECT_EQ(a.access.queryTest("QTY"), 0);
    EXPECT_EQ(a.access.queryTest("QTY = 1"), 1);
    EXPECT_EQ(a.access.query(""), 4);
}

namespace {

std::vector<std::string> namesOf(TableDataSet& ds) {
    std::vector<std::string> names;
    for (ds.first(); !ds.eof(); ds.next())
        names.push_back(ds.fieldByName("NAME")->asString());
    return names;
}

} // namespace

TEST_F(DbfAccessTest, QueryBitsAndFlipsSteerTheDataSet) {
    using Names = std::vector<std::string>;
    EXPECT_FALSE(a.access.setQueryBit(2, false)); // no query active
    EXPECT_EQ(a.access.query("QTY > 2"), 3);      // Novak, Cerny, Bily
    EXPECT_TRUE(a.access.setQueryBit(3, false));
    EXPECT_TRUE(a.access.setQueryBit(2, true));
    EXPECT_EQ(a.access.queryRecCount(), 3u);
    EXPECT_EQ(namesOf(a.ds), (Names{"Novak", "Adam", "Bily"}));
    EXPECT_FALSE(a.access.getQueryBit(3));

    // Hiding the record the data set stands on leaves it there until it moves.
    a.access.go(2);
    EXPECT_TRUE(a.access.setQueryBit(2, false));
    EXPECT_EQ(a.ds.recNo(), 2u);
    a.ds.next();
    EXPECT_EQ(a.ds.fieldByName("NAME")->asString(), "Bily");

    EXPECT_FALSE(a.access.indexFlip()); // natural order
    EXPECT_EQ(a.access.query(""), 4);
    a.access.indexTag("", "NAME", "NAME", 0, false, "");
    a.access.go(3);
    EXPECT_TRUE(a.access.indexFlip());
    EXPECT_EQ(a.ds.recNo(), 3u); // the data set stays on its record
    EXPECT_EQ(namesOf(a.ds), (Names{"Novak", "Cerny", "Bily", "Adam"}));
    EXPECT_TRUE(a.access.seek("C"));
    EXPECT_EQ(a.access.orderRecNo(), 2u);
}

TEST_F(DbfAccessTest, ScopeLimitsTheDataSet) {
    a.access.indexTag("", "QTY", "QTY", 0, false, "");
    EXPECT_TRUE(a.access.setScope("3", "7"));
    EXPECT_EQ(a.ds.fieldByName("NAME")->asString(), "Novak");
    EXPECT_EQ(a.access.count(), 2u);
    a.ds.next();
    EXPECT_EQ(a.ds.fieldByName("NAME")->asString(), "Bily");
    a.ds.next();
    EXPECT_TRUE(a.ds.eof());
}

TEST_F(DbfAccessTest, CreatesTablesFieldByFieldInAnAreaOfTheirOwn) {
    const int current = engine().current();
    const std::string path = (dir / "NEW.DBF").string();
    ASSERT_TRUE(b.access.createNew(path, 2, 2));
    EXPECT_TRUE(b.access.createField("ID", "N", 6, 0));
    EXPECT_TRUE(b.access.createField("TEXT", "c", 20, 0));
    EXPECT_FALSE(b.access.createField("id", "N", 6, 0));
    EXPECT_FALSE(b.access.createField("BAD", "C", 0, 0));
    EXPECT_FALSE(b.access.createField("BAD", "N", 5, 4));
    EXPECT_FALSE(b.access.createField("BAD", "I", 4, 0)); // not in a FoxPro table
    EXPECT_FALSE(b.access.createField("BAD", "Q", 4, 0));
    EXPECT_TRUE(b.access.createField("WHEN", "D", 99, 3));
    EXPECT_TRUE(b.access.createExec());
    EXPECT_EQ(engine().current(), current);
    EXPECT_FALSE(b.access.createExec());
    auto t = dbf::Table::open(dir / "NEW.DBF");
    ASSERT_EQ(t->fieldCount(), 3);
    EXPECT_EQ(t->field(1).type, 'C');
    EXPECT_EQ(t->field(2).width, 8);

    // A structure table and a table from it.
    ASSERT_TRUE(a.access.copyStructureExtended((dir / "STRU.DBF").string()));
    ASSERT_TRUE(a.access.createFrom((dir / "COPY.DBF").string(), (dir / "STRU.DBF").string(), 2));
    EXPECT_EQ(dbf::Table::open(dir / "COPY.DBF")->fieldCount(), 7);
}

TEST_F(DbfAccessTest, TextCopiesComeBackThroughAppendFrom) {
    ASSERT_TRUE(a.access.copyFileText((dir / "OUT.TXT").string(), 22));
    ASSERT_TRUE(a.access.copyFileText((dir / "OUT.SDF").string(), 21));
    EXPECT_FALSE(a.access.copyFileText((dir / "OUT.X").string(), 3));
    ASSERT_TRUE(a.access.copyStructure((dir / "EMPTY.DBF").string()));

    Bound c;
    c.ds.setDatabaseName(dir.path().string());
    c.ds.setTableName("EMPTY.DBF");
    c.ds.open();
    ASSERT_TRUE(c.access.appendFrom((dir / "OUT.TXT").string(), 22, ""));
    ASSERT_TRUE(c.access.appendFrom((dir / "OUT.SDF").string(), 21, ""));
    ASSERT_TRUE(c.access.appendFrom((dir / "CUSTOMER.DBF").string(), 2, "QTY > 5"));
    EXPECT_FALSE(c.access.appendFrom((dir / "CUSTOMER.DBF").string(), 4, ""));
    EXPECT_EQ(c.access.recCount(), 10u);
    c.access.go(3);
    EXPECT_EQ(c.ds.fieldByName("NAME")->asString(), "Cerny");
    EXPECT_DOUBLE_EQ(c.ds.fieldByName("AMOUNT")->asFloat(), 1500.25);
    EXPECT_EQ(c.ds.fieldByName("DUE")->value().asDate().days, 45809);
    c.access.go(6);
    EXPECT_EQ(c.ds.fieldByName("NAME")->asString(), "Adam");
    EXPECT_FALSE(c.ds.fieldByName("PAID")->asBoolean());
    c.access.go(9);
    EXPECT_EQ(c.ds.fieldByName("NAME")->asString(), "Cerny");
}

TEST_F(DbfAccessTest, RelationMovesTheChildWithItsParent) {
    {
        auto t = dbf::Table::create(dir / "ORDERS.DBF", {{"CUST", 'C', 10}, {"ITEM", 'C', 12}});
        for (const char* c : {"Bily", "Novak"}) {
            t->append();
            t->setString(0, c);
            t->setString(1, std::string("for ") + c);
        }
        t->createTag("CUST", "CUST");
    }
    Bound orders;
    orders.ds.setDatabaseName(dir.path().string());
    orders.ds.setTableName("ORDERS");
    orders.ds.setIndexName("CUST");
    orders.ds.open();
    ASSERT_TRUE(a.access.setRelation(orders.ds.workArea(), "NAME"));
    a.access.go(4); // Bily
    orders.ds.resync();
    EXPECT_EQ(orders.ds.fieldByName("ITEM")->asString(), "for Bily");
    a.access.skip(-3); // Novak
    orders.ds.resync();
    EXPECT_EQ(orders.ds.fieldByName("ITEM")->asString(), "for Novak");
    a.access.go(2); // Adam has no orders
    orders.ds.resync();
    EXPECT_TRUE(orders.ds.eof());
    EXPECT_FALSE(a.access.setRelation(orders.ds.workArea(), "NOSUCH"));

    // Two tables that move each other move once each per move.
    ASSERT_TRUE(orders.access.setRelation(a.ds.workArea(), "RECNO()"));
    a.access.go(1);
    orders.ds.resync();
    EXPECT_EQ(orders.ds.fieldByName("ITEM")->asString(), "for Novak");
}
