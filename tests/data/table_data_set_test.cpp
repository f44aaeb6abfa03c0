#include "table_fixture.h"

#include "core/path_mapper.h"
#include "data/engine.h"

#include <gtest/gtest.h>

using namespace vorlan;
using namespace vorlan::data;
using datatest::CustomerTable;

namespace {

std::vector<std::string> walkNames(DataSet& ds) {
    std::vector<std::string> out;
    for (ds.first(); !ds.eof(); ds.next())
        out.push_back(ds.fieldByName("NAME")->asString());
    return out;
}

} // namespace

TEST_F(CustomerTable, OpensByFolderAndNameAndMapsFieldTypes) {
    TableDataSet ds;
    configure(ds); // "customer" without extension finds CUSTOMER.DBF
    ds.open();
    ASSERT_GT(ds.workArea(), 0);
    EXPECT_EQ(ds.recordCount(), 4u);
    ASSERT_EQ(ds.fieldCount(), 7);
    EXPECT_EQ(ds.field(0)->type(), FieldType::String);
    EXPECT_EQ(ds.field(1)->type(), FieldType::Float);
    EXPECT_EQ(ds.field(2)->type(), FieldType::Integer);
    EXPECT_EQ(ds.field(3)->type(), FieldType::Boolean);
    EXPECT_EQ(ds.field(4)->type(), FieldType::Date);
    EXPECT_EQ(ds.field(5)->type(), FieldType::Memo);
    EXPECT_EQ(ds.field(1)->alignment(), FieldAlignment::Right);

    EXPECT_EQ(ds.recNo(), 1u);
    EXPECT_TRUE(ds.bof());
    EXPECT_EQ(ds.fieldByName("name")->value().asString(), "Novak");
    EXPECT_EQ(ds.fieldByName("AMOUNT")->displayText(), "120.50");
    EXPECT_EQ(ds.fieldByName("QTY")->value().asInt(), 3);
    EXPECT_TRUE(ds.fieldByName("PAID")->asBoolean());
    EXPECT_EQ(ds.fieldByName("NOTE")->asString(), "first");
    EXPECT_TRUE(ds.fieldByName("EMPTYNUM")->isNull());
    // 15 January 2024 is day 45306 of the script calendar; the text follows the engine format.
    EXPECT_EQ(ds.fieldByName("DUE")->value().asDate().days, 45306);
    dbf::settings().dateFormat = dbf::DateFormat::German;
    dbf::settings().century = true;
    EXPECT_EQ(ds.fieldByName("DUE")->displayText(), "15.01.2024");
    EXPECT_EQ(ds.fieldByName("DUE")->displayWidth(), 10);

    // Opening does not change which engine area is current.
    const int current = engine().current();
    TableDataSet second;
    configure(second);
    second.setReadOnly(true);
    second.open();
    EXPECT_NE(second.workArea(), ds.workArea());
    EXPECT_EQ(engine().current(), current);
    ds.close();
    EXPECT_EQ(ds.workArea(), 0);
    EXPECT_EQ(ds.fieldCount(), 0);
}

TEST_F(CustomerTable, OpeningFailuresAreDataSetErrors) {
    TableDataSet ds;
    ds.setDatabaseName(dir.path().string());
    ds.setTableName("NOSUCH.DBF");
    EXPECT_THROW(ds.open(), DataSetError);
    EXPECT_FALSE(ds.active());

    dbftest::writeAll(dir / "BROKEN.DBF", "not a table");
    ds.setTableName("broken.dbf");
    EXPECT_THROW(ds.open(), DataSetError);

    // An unknown order is refused when the table opens, and the table is not left open.
    ds.setTableName("customer.dbf");
    ds.setIndexName("NOSUCH");
    EXPECT_THROW(ds.open(), DataSetError);
    EXPECT_EQ(engine().areaOf("CUSTOMER"), 0);
}

TEST_F(CustomerTable, DatabaseNameMayBeAnAlias) {
    setAliasPath("Firma", dir.path().string());
    TableDataSet ds;
    ds.setDatabaseName("FIRMA");
    ds.setTableName("CUSTOMER");
    ds.open();
    EXPECT_EQ(ds.recordCount(), 4u);
    EXPECT_EQ(aliasPath("firma"), dir.path().string());
    setAliasPath("FIRMA", "");
    EXPECT_EQ(aliasPath("Firma"), "");
}

TEST_F(CustomerTable, WalksBothWaysAndKeepsBookmarks) {
    TableDataSet ds;
    configure(ds);
    ds.open();
    EXPECT_EQ(walkNames(ds), (std::vector<std::string>{"Novak", "Adam", "Cerny", "Bily"}));
    EXPECT_EQ(ds.recNo(), 4u);
    ds.prior();
    const Bookmark third = ds.bookmark();
    EXPECT_EQ(third, 3u);
    EXPECT_EQ(ds.moveBy(-10), -2);
    EXPECT_TRUE(ds.bof());
    EXPECT_EQ(ds.recNo(), 1u);
    ds.last();
    EXPECT_TRUE(ds.eof());
    EXPECT_EQ(ds.fieldByName("NAME")->asString(), "Bily");
    ds.gotoBookmark(third);
    EXPECT_EQ(ds.fieldByName("NAME")->asString(), "Cerny");
    EXPECT_THROW(ds.gotoBookmark(99), DataSetError);
}

TEST_F(CustomerTable, EditLocksTheRecordUntilPosted) {
    TableDataSet ds;
    configure(ds);
    ds.open();
    auto other = dbf::Table::open(dir / "CUSTOMER.DBF");

    ds.next();
    ds.fieldByName("AMOUNT")->setValue(Value(5.5));
    ds.fieldByName("NAME")->setAsString("Adamova");
    EXPECT_EQ(ds.state(), DataSetState::Edit);
    // The record is locked against everyone else, the others are not.
    EXPECT_FALSE(other->lockRecord(2));
    EXPECT_TRUE(other->lockRecord(1));
    other->unlock(1);
    // Until posted the file still holds the old values.
    other->goTo(2);
    EXPECT_DOUBLE_EQ(other->getNumber(1), 99.0);

    ds.post();
    EXPECT_TRUE(other->lockRecord(2));
    other->goTo(2);
    EXPECT_DOUBLE_EQ(other->getNumber(1), 5.5);
    EXPECT_EQ(other->getString(0), "Adamova   ");

    // Now the other user holds record 2: editing it fails and changes nothing.
    EXPECT_THROW(ds.edit(), DataSetError);
    EXPECT_EQ(ds.state(), DataSetState::Browse);
    other->unlock(0);

    ds.edit();
    ds.fieldByName("NAME")->setAsString("Zruseno");
    ds.cancel();
    EXPECT_EQ(ds.fieldByName("NAME")->asString(), "Adamova");
    EXPECT_TRUE(other->lockRecord(2));
}

TEST_F(CustomerTable, BadFieldValuesAreRefusedWhenSet) {
    TableDataSet ds;
    configure(ds);
    ds.open();
    EXPECT_THROW(ds.fieldByName("AMOUNT")->setAsString("12x"), DataSetError);
    EXPECT_THROW(ds.fieldByName("PAID")->setAsString("maybe"), DataSetError);
    EXPECT_THROW(ds.fieldByName("DUE")->setAsString("45.13.2024"), DataSetError);
    ds.fieldByName("AMOUNT")->setAsString(" 7,25 ");
    ds.fieldByName("DUE")->setAsString("  /  /    ");
    ds.fieldByName("PAID")->setAsString("n");
    ds.post();
    EXPECT_DOUBLE_EQ(ds.fieldByName("AMOUNT")->asFloat(), 7.25);
    EXPECT_TRUE(ds.fieldByName("DUE")->isNull());
    EXPECT_FALSE(ds.fieldByName("PAID")->asBoolean());
}

TEST_F(CustomerTable, AppendExistsOnlyOncePosted) {
    TableDataSet ds;
    configure(ds);
    ds.open();
    ds.append();
    EXPECT_EQ(ds.recNo(), 5u);
    EXPECT_EQ(ds.fieldByName("NAME")->asString(), "");
    ds.fieldByName("NAME")->setAsString("Dvorak");
    ds.fieldByName("NOTE")->setAsString("memo of a new record");
    EXPECT_EQ(ds.recordCount(), 4u);
    ds.cancel();
    EXPECT_EQ(ds.recordCount(), 4u);

    ds.append();
    ds.fieldByName("NAME")->setAsString("Dvorak");
    ds.fieldByName("QTY")->setValue(Value(9));
    ds.fieldByName("NOTE")->setAsString("memo of a new record");
    ds.post();
    EXPECT_EQ(ds.recordCount(), 5u);
    EXPECT_EQ(ds.recNo(), 5u);
    auto other = dbf::Table::open(dir / "CUSTOMER.DBF");
    other->goTo(5);
    EXPECT_EQ(other->getMemo(5), "memo of a new record");
    EXPECT_DOUBLE_EQ(other->getNumber(2), 9);
}

TEST_F(CustomerTable, DeleteMarksAndHiddenRecordsAreLeft) {
    TableDataSet ds;
    configure(ds);
    ds.open();
    ds.next();
    ds.deleteRecord();
    EXPECT_EQ(ds.recNo(), 2u); // still visible while deleted records are shown
    EXPECT_TRUE(engine().table(ds.workArea())->deleted());

    tables::EngineSettings hidden = tables::settings();
    hidden.hideDeleted = true;
    tables::applySettings(hidden);
    ds.next();
    ds.deleteRecord();
    EXPECT_EQ(ds.fieldByName("NAME")->asString(), "Bily");
    ds.deleteRecord(); // the last one: back to the last visible record
    EXPECT_EQ(ds.fieldByName("NAME")->asString(), "Novak");
    EXPECT_EQ(walkNames(ds), std::vector<std::string>{"Novak"});

    // Deleting while editing drops the edit and its lock.
    ds.first();
    ds.fieldByName("NAME")->setAsString("Changed");
    ds.deleteRecord();
    EXPECT_EQ(ds.state(), DataSetState::Browse);
    auto other = dbf::Table::open(dir / "CUSTOMER.DBF");
    EXPECT_TRUE(other->lockRecord(1));
    other->goTo(1);
    EXPECT_EQ(other->getString(0), "Novak     ");
}

TEST_F(CustomerTable, IndexNameSwitchesOrderAndKeepsTheRecord) {
    {
        auto t = dbf::Table::open(dir / "CUSTOMER.DBF");
        t->createTag("NAME", "UPPER(NAME)");
        t->createTag("QTY", "QTY");
    }
    TableDataSet ds;
    configure(ds);
    ds.setIndexName("name");
    ds.open();
    EXPECT_EQ(walkNames(ds), (std::vector<std::string>{"Adam", "Bily", "Cerny", "Novak"}));

    ds.first();
    ds.next(); // Bily
    ds.setIndexName("QTY");
    EXPECT_EQ(ds.fieldByName("NAME")->asString(), "Bily");
    ds.next();
    EXPECT_EQ(ds.fieldByName("NAME")->asString(), "Cerny"); // 7 then 12

    EXPECT_THROW(ds.setIndexName("NOSUCH"), DataSetError);
    EXPECT_EQ(ds.indexName(), "QTY");
    ds.setIndexName("");
    EXPECT_EQ(walkNames(ds), (std::vector<std::string>{"Novak", "Adam", "Cerny", "Bily"}));
}

TEST_F(CustomerTable, ReadsFollowTheDataSetUntilResync) {
    TableDataSet ds;
    configure(ds);
    DataSource source(&ds);
    datatest::RecordingLink link;
    source.addLink(&link);
    ds.open();
    ds.next();

    // Someone moves the engine's area directly: the data set still shows its own record...
    tables::EngineTable* t = engine().table(ds.workArea());
    t->goTo(4);
    EXPECT_EQ(ds.fieldByName("NAME")->asString(), "Adam");
    EXPECT_EQ(ds.recNo(), 2u);

    // ...until it is told to take the engine's position over.
    t->goTo(3);
    const int before = link.changes;
    ds.resync();
    EXPECT_EQ(ds.recNo(), 3u);
    EXPECT_EQ(ds.fieldByName("NAME")->asString(), "Cerny");
    EXPECT_GT(link.changes, before);

    // Past the end of the file there is no record to show.
    t->goTo(5);
    ds.resync();
    EXPECT_TRUE(ds.eof());
    EXPECT_EQ(ds.recNo(), 5u);
    EXPECT_EQ(ds.fieldByName("NAME")->asString(), "");
    ds.prior();
    EXPECT_EQ(ds.fieldByName("NAME")->asString(), "Bily");
}

TEST_F(CustomerTable, ReadOnlyAndExclusiveOpens) {
    TableDataSet ro;
    configure(ro);
    ro.setReadOnly(true);
    ro.open();
    EXPECT_THROW(ro.edit(), DataSetError);
    EXPECT_THROW(ro.append(), DataSetError);
    EXPECT_THROW(ro.deleteRecord(), DataSetError);
    ro.close();

    TableDataSet ex;
    configure(ex);
    ex.setExclusive(true);
    ex.open();
    TableDataSet shared;
    configure(shared);
    EXPECT_THROW(shared.open(), DataSetError);
    ex.close();
    shared.open();
    EXPECT_TRUE(shared.active());
}

TEST_F(CustomerTable, AnAreaTakenOverBehindItsBackLeavesTheDataSetWithoutTable) {
    TableDataSet ds;
    configure(ds);
    ds.setPreferredArea(7);
    ds.open();
    EXPECT_EQ(ds.workArea(), 7);
    TableDataSet other;
    configure(other);
    other.setPreferredArea(7);
    EXPECT_THROW(other.open(), DataSetError);

    // The engine functions close area 7 and open another table there.
    engine().closeArea(7);
    dbf::Table::create(dir / "INTRUDER.DBF", {{"X", 'C', 1}})->close();
    engine().openTable(dir / "INTRUDER.DBF", {}, {}, 7);
    EXPECT_EQ(ds.table(), nullptr);
    EXPECT_EQ(ds.recordCount(), 0u);
    EXPECT_THROW(ds.first(), DataSetError);
    // Closing the data set leaves the newcomer alone.
    ds.close();
    ASSERT_NE(engine().table(7), nullptr);
    EXPECT_EQ(engine().table(7)->alias(), "INTRUDER");
}

TEST_F(CustomerTable, AnEmptyTableStaysEmptyAndEditingAppends) {
    dbf::Table::create(dir / "EMPTY.DBF", {{"A", 'C', 3}})->close();
    TableDataSet ds;
    ds.setDatabaseName(dir.path().string());
    ds.setTableName("EMPTY");
    ds.open();
    ds.next();
    EXPECT_TRUE(ds.isEmpty());
    ds.prior();
    ds.last();
    EXPECT_TRUE(ds.isEmpty());
    EXPECT_EQ(ds.recNo(), 0u);
    EXPECT_THROW(ds.deleteRecord(), DataSetError);
    ds.edit();
    EXPECT_EQ(ds.state(), DataSetState::Insert);
    ds.fieldByName("A")->setAsString("abc");
    ds.post();
    EXPECT_FALSE(ds.isEmpty());
    EXPECT_EQ(ds.recNo(), 1u);
    EXPECT_EQ(ds.fieldByName("A")->asString(), "abc");
}
