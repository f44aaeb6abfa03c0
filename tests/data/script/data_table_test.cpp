#include "data/script/data_table.h"
#include "data/script/memo_lines.h"
#include "table_fixture.h"

#include <fstream>

using namespace vorlan;
using namespace vorlan::data;

namespace {

class DataTableTest : public datatest::TableFixture {};

} // namespace

TEST_F(DataTableTest, UseOpensBareNamesInTheCurrentDirectoryAndEmptyNamesClose) {
    TDataTable t;
    EXPECT_TRUE(t.use("firms"));
    EXPECT_TRUE(t.active());
    EXPECT_EQ(t.access().recCount(), 3u);
    EXPECT_EQ(t.table().tableName(), "firms.DBF");

    EXPECT_TRUE(t.use(""));
    EXPECT_FALSE(t.active());
    EXPECT_FALSE(t.use("missing"));
    EXPECT_FALSE(t.active());
    // A failed Use leaves nothing open that the next one would have to close.
    EXPECT_TRUE(t.use(" FIRMS.DBF "));
}

TEST_F(DataTableTest, AClosedTableAnswersNeutralValues) {
    TDataTable t;
    EXPECT_EQ(t.readDat("FOUNDED"), "  /  /    ");
    EXPECT_EQ(t.readStr("NAME"), "");
    EXPECT_EQ(t.readNum("AMOUNT"), 0);
    EXPECT_EQ(t.readMem("NOTE", 0), "");
    EXPECT_EQ(t.memoCount("NOTE"), 0);
    EXPECT_FALSE(t.seek("A"));
    EXPECT_FALSE(t.found());
    EXPECT_EQ(t.locate("NAME = 'A'"), 0u);
    EXPECT_EQ(t.setOrder("NAME"), 0);
    EXPECT_EQ(t.indexCount(), 0);
    EXPECT_FALSE(t.setExclusive(true));
    EXPECT_FALSE(t.appendFrom("FIRMS.DBF", 1, ""));
    EXPECT_FALSE(t.copyToText("OUT.TXT", 1));
    EXPECT_EQ(t.evalStr("NAME"), "");
    EXPECT_NO_THROW(t.writeStr("NAME", "x"));
    EXPECT_NO_THROW(t.keyGoTo(2));
}

TEST_F(DataTableTest, ReadsEachTypeOnlyFromFieldsOfThatType) {
    TDataTable t;
    ASSERT_TRUE(t.use("FIRMS"));
    EXPECT_EQ(t.readStr("NAME"), "Beta");
    EXPECT_DOUBLE_EQ(t.readNum("amount"), 20.5);
    EXPECT_TRUE(t.readLog("ACTIVE"));
    EXPECT_EQ(t.readDat("FOUNDED"), "14.03.1995");
    // Wrong type letters give the neutral value of the reading function.
    EXPECT_EQ(t.readStr("AMOUNT"), "");
    EXPECT_EQ(t.readNum("NAME"), 0);
    EXPECT_FALSE(t.readLog("NAME"));
    EXPECT_EQ(t.readDat("NAME"), "  /  /    ");
    EXPECT_EQ(t.readDat("NOSUCH"), "  /  /    ");
}

TEST_F(DataTableTest, WritesPostAtOnceAndIgnoreFieldsOfAnotherType) {
    {
        TDataTable t;
        ASSERT_TRUE(t.use("FIRMS"));
        t.access().go(2);
        t.writeStr("NAME", "Delta");
        t.writeNum("AMOUNT", 99.5);
        t.writeLog("ACTIVE", true);
        t.writeDat("FOUNDED", "01.02.2003");
        t.writeNum("NAME", 5); // a character field: nothing changes
        t.writeStr("AMOUNT", "7");
        EXPECT_EQ(t.table().state(), DataSetState::Browse);
        EXPECT_EQ(t.readStr("NAME"), "Delta");
    }
    auto raw = dbf::Table::open(dir_ / "FIRMS.DBF");
    raw->goTo(2);
    EXPECT_EQ(std::string(dbf::trimRight(raw->getString(0))), "Delta");
    EXPECT_DOUBLE_EQ(raw->getNumber(1), 99.5);
    EXPECT_TRUE(raw->getLogical(3));
    EXPECT_EQ(raw->getDate(2), dbf::julianFromYmd(2003, 2, 1));
}

TEST_F(DataTableTest, FailedSeekAndLocateEndAtEndOfFile) {
    TDataTable t;
    ASSERT_TRUE(t.use("FIRMS"));
    ASSERT_GT(t.indexTag("NAME", "NAME"), 0);
    EXPECT_TRUE(t.seek("Gama"));
    EXPECT_TRUE(t.found());
    EXPECT_EQ(t.readStr("NAME"), "Gama");

    // Soft seek would stop at the next key; a table's Seek still ends at end of file.
    env_->setSoftSeek(true);
    EXPECT_FALSE(t.seek("Bz"));
    EXPECT_FALSE(t.found());
    EXPECT_TRUE(t.access().eof());
    EXPECT_EQ(t.readStr("NAME"), "");

    EXPECT_EQ(t.locate("AMOUNT > 100"), 0u);
    EXPECT_TRUE(t.access().eof());
}

TEST_F(DataTableTest, LocateAndContinueWalkTheMatches) {
    TDataTable t;
    ASSERT_TRUE(t.use("FIRMS"));
    EXPECT_EQ(t.locate("ACTIVE"), 1u);
    EXPECT_EQ(t.continueLocate(), 3u);
    EXPECT_EQ(t.readStr("NAME"), "Gama");
    EXPECT_EQ(t.continueLocate(), 0u);
    EXPECT_TRUE(t.access().eof());
    // DataLocate starts from the top whatever the position.
    EXPECT_EQ(t.dataLocate("AMOUNT < 15"), 2u);
}

TEST_F(DataTableTest, OrdersByTagAndCountsTags) {
    TDataTable t;
    ASSERT_TRUE(t.use("FIRMS"));
    t.indexTag("NAME", "NAME");
    t.indexTag("AMOUNT", "STR(AMOUNT, 8, 2)");
    EXPECT_EQ(t.indexCount(), 2);
    EXPECT_EQ(t.setOrder("NAME"), 1);
    EXPECT_EQ(t.table().indexName(), "NAME");
    t.access().goTop();
    EXPECT_EQ(t.readStr("NAME"), "Alfa");
    t.keyGoTo(3);
    EXPECT_EQ(t.readStr("NAME"), "Gama");
    EXPECT_EQ(t.setOrder(""), 0);
    t.access().goTop();
    EXPECT_EQ(t.readStr("NAME"), "Beta");
    // Counting tags leaves the controlling order alone.
    t.setOrder("AMOUNT");
    EXPECT_EQ(t.indexCount(), 2);
    EXPECT_EQ(t.access().indexOrd(), 2);

    // Controls showing the table (a grid) are told to list the records again in the new order.
    struct Counter : DataLink {
        int refreshes = 0;
        void dataSetChanged() override { ++refreshes; }
    } grid;
    t.dataSource()->addLink(&grid);
    t.setOrder("NAME");
    EXPECT_GE(grid.refreshes, 1);
    t.dataSource()->removeLink(&grid);
}

TEST_F(DataTableTest, MemoLinesFollowTheEditor) {
    TDataTable t;
    ASSERT_TRUE(t.use("FIRMS"));
    EXPECT_EQ(t.readMem("NOTE", 0), "first line\rsecond line");
    EXPECT_EQ(t.readMem("NOTE", 1), "first line");
    EXPECT_EQ(t.readMem("NOTE", 2), "second line");
    EXPECT_EQ(t.readMem("NOTE", 3), "");
    EXPECT_EQ(t.memoCount("NOTE"), 2);
    EXPECT_EQ(t.memoLength("NOTE"), 23);
    EXPECT_EQ(t.readMem("NAME", 1), "");

    // A long line wraps where the memo window's editor wraps it.
    t.writeMem("NOTE", std::string(30, 'a') + " " + std::string(10, 'b'));
    EXPECT_EQ(t.memoCount("NOTE"), 2);
    EXPECT_EQ(t.readMem("NOTE", 2), std::string(10, 'b'));

    // Empty memos and memos beyond what the editor holds have no lines.
    t.access().go(2);
    EXPECT_EQ(t.memoCount("NOTE"), 0);
    t.writeMem("NOTE", std::string(kMaxEditorMemo + 1, 'x'));
    EXPECT_EQ(t.memoLength("NOTE"), static_cast<std::int32_t>(kMaxEditorMemo + 1));
    EXPECT_EQ(t.memoCount("NOTE"), 0);
    EXPECT_EQ(t.readMem("NOTE", 0), "");
}

TEST_F(DataTableTest, BinaryContentsRoundTripWithTheirZeroBytes) {
    TDataTable t;
    ASSERT_TRUE(t.use("FIRMS"));
    EXPECT_EQ(t.writeBin("NOTE", std::string("ab\0cd", 5)), 1);
    EXPECT_EQ(t.memoLength("NOTE"), 5);
    EXPECT_EQ(t.readBin("NOTE"), std::string("ab\0cd", 5));
    EXPECT_EQ(t.writeBin("NAME", "x"), 0);

    ASSERT_TRUE(t.binToFile("NOTE", "OUT.BIN"));
    std::ifstream in(dir_ / "OUT.BIN", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), std::string("ab\0cd", 5));

    t.access().go(2); // an empty memo
    EXPECT_FALSE(t.binToFile("NOTE", "EMPTY.BIN"));
    EXPECT_EQ(t.readBin("NOTE"), "");
    t.fileToBin("OUT.BIN", "NOTE");
    EXPECT_EQ(t.memoLength("NOTE"), 5);
    t.fileToBin("NOSUCH.BIN", "NOTE");
    EXPECT_EQ(t.memoLength("NOTE"), 5);
}

TEST_F(DataTableTest, AppendBlankLeavesTheNewRecordWrittenAndCurrent) {
    TDataTable t;
    ASSERT_TRUE(t.use("FIRMS"));
    t.appendBlank();
    EXPECT_EQ(t.access().recCount(), 4u);
    EXPECT_EQ(t.access().recNo(), 4u);
    t.writeStr("NAME", "New");
    t.access().goTop();
    EXPECT_EQ(t.locate("NAME = 'New'"), 4u);
}

TEST_F(DataTableTest, EvaluationsAnswerOnlyForTheirType) {
    TDataTable t;
    ASSERT_TRUE(t.use("FIRMS"));
    EXPECT_EQ(t.evalStr("UPPER(NAME)"), "BETA      ");
    EXPECT_DOUBLE_EQ(t.evalNum("AMOUNT * 2"), 41);
    EXPECT_TRUE(t.evalLog("ACTIVE .AND. AMOUNT > 20"));
    EXPECT_EQ(t.evalStr("AMOUNT"), "");
    EXPECT_EQ(t.evalNum("NAME"), 0);
    EXPECT_FALSE(t.evalLog("NAME"));
    EXPECT_EQ(t.evalStr("NOSUCH("), "");
}

TEST_F(DataTableTest, CopyKindsOutsideTheirRangeDoNothing) {
    TDataTable t;
    ASSERT_TRUE(t.use("FIRMS"));
    EXPECT_FALSE(t.appendFrom("FIRMS.DBF", 4, ""));
    EXPECT_FALSE(t.appendFrom("FIRMS.DBF", 0, ""));
    EXPECT_EQ(t.access().recCount(), 3u);
    EXPECT_FALSE(t.copyToText("OUT.TXT", 3));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "OUT.TXT"));

    EXPECT_TRUE(t.copyToText("OUT.TXT", 2));
    ASSERT_TRUE(std::filesystem::exists(dir_ / "OUT.TXT"));
    EXPECT_TRUE(t.access().copyFile("COPY.DBF"));
    EXPECT_TRUE(t.appendFrom("COPY.DBF", 1, "ACTIVE"));
    EXPECT_EQ(t.access().recCount(), 5u);
}

TEST_F(DataTableTest, StructureTablesDescribeAndCreateTables) {
    ASSERT_TRUE(createInfoTable("INFO"));
    TDataTable info;
    ASSERT_TRUE(info.use("INFO"));
    EXPECT_EQ(info.access().fieldCount(), 4);
    EXPECT_EQ(info.access().fieldName(1), "FIELD_NAME");
    EXPECT_EQ(info.access().fieldWidth("FIELD_LEN"), 5);
    EXPECT_EQ(info.access().recCount(), 0u);

    info.appendBlank();
    info.writeStr("FIELD_NAME", "CODE");
    info.writeStr("FIELD_TYPE", "C");
    info.writeNum("FIELD_LEN", 6);
    info.writeNum("FIELD_DEC", 0);
    ASSERT_TRUE(info.createFrom("MADE.DBF"));

    TDataTable made;
    ASSERT_TRUE(made.use("MADE"));
    EXPECT_EQ(made.access().fieldCount(), 1);
    EXPECT_EQ(made.access().fieldType("CODE"), "C");
    EXPECT_EQ(made.access().fieldWidth("CODE"), 6);
    EXPECT_FALSE(createInfoTable("  "));
}

TEST_F(DataTableTest, TheFilterFollowsTheTableThroughReopening) {
    TDataTable t;
    t.setFilter("ACTIVE");
    ASSERT_TRUE(t.use("FIRMS"));
    EXPECT_EQ(t.filter(), "ACTIVE");
    EXPECT_EQ(t.access().count(), 2u);
    ASSERT_TRUE(t.setExclusive(true));
    EXPECT_EQ(t.access().count(), 2u);
}

TEST_F(DataTableTest, WritingAMemoKeepsAnEditInProgress) {
    TDataTable t;
    ASSERT_TRUE(t.use("FIRMS"));
    ASSERT_TRUE(t.access().rlock());
    t.table().fieldByName("NAME")->setValue(Value("Pending"));
    t.writeMem("NOTE", "memo text");
    EXPECT_EQ(t.table().state(), DataSetState::Browse);
    t.access().goBottom();
    t.access().goTop();
    EXPECT_EQ(t.readStr("NAME"), "Pending");
    EXPECT_EQ(t.readMem("NOTE", 0), "memo text");
}
