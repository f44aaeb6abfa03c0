#include "dbf/table_ops.h"
#include "dbf/workareas.h"
#include "dbf/xbase_text.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

using namespace vorlan::dbf;

namespace {

std::unique_ptr<Table> stock(const dbftest::TempDir& dir) {
    auto t = Table::create(dir / "stock.dbf",
                           {{"ITEM", 'C', 10}, {"QTY", 'N', 6, 2}, {"SINCE", 'D'}, {"NOTE", 'M'}});
    for (int i = 1; i <= 5; ++i) {
        t->append();
        t->setString(0, "item" + std::to_string(i));
        t->setNumber(1, i * 1.5);
        t->setDate(2, julianFromYmd(2020, i, 1));
        t->setMemo(3, "note " + std::to_string(i));
        if (i == 4) t->deleteRecord();
    }
    t->flush();
    return t;
}

} // namespace

TEST(DbfOps, StructureCopiesAndStructureTablesRoundTrip) {
    dbftest::TempDir dir;
    auto src = stock(dir);
    copyStructure(*src, dir / "empty.dbf");
    auto empty = Table::open(dir / "empty.dbf");
    EXPECT_EQ(empty->recordCount(), 0u);
    ASSERT_EQ(empty->fieldCount(), 4);
    EXPECT_EQ(empty->field(1).decimals, 2);
    EXPECT_TRUE(empty->hasMemoFile());

    copyStructureExtended(*src, dir / "stru.dbf");
    auto stru = Table::open(dir / "stru.dbf");
    ASSERT_EQ(stru->recordCount(), 4u);
    stru->goTo(2);
    EXPECT_EQ(stru->getString(0), "QTY       ");
    EXPECT_EQ(stru->getString(1), "N");
    EXPECT_EQ(stru->getNumber(2), 6);
    EXPECT_EQ(stru->getNumber(3), 2);
    EXPECT_EQ(stru->field(2).width, 5);
    // A structure table edited by a program becomes a new table.
    stru->append();
    stru->setString(0, "EXTRA");
    stru->setString(1, "L");
    stru->setNumber(2, 1);
    stru->close();
    createFromStructure(dir / "stru.dbf", dir / "made.dbf");
    auto made = Table::open(dir / "made.dbf");
    ASSERT_EQ(made->fieldCount(), 5);
    EXPECT_EQ(made->field(4).type, 'L');
    EXPECT_EQ(made->field(3).type, 'M');
    createStructureTable(dir / "blank.dbf");
    EXPECT_EQ(Table::open(dir / "blank.dbf")->field(0).name, "FIELD_NAME");
    EXPECT_THROW(createFromStructure(dir / "empty.dbf", dir / "x.dbf"), DbfError);
}

TEST(DbfOps, CopyAndAppendFromHonourConditionsAndDeletedSetting) {
    dbftest::TempDir dir;
    dbftest::SettingsGuard guard;
    auto src = stock(dir);
    src->setFilter("QTY > 2");
    EXPECT_EQ(copyRecords(*src, dir / "copy.dbf"), 4u); // records 2..5, one of them deleted
    auto copy = Table::open(dir / "copy.dbf");
    copy->goTo(3);
    EXPECT_TRUE(copy->deleted());
    EXPECT_EQ(copy->getMemo(3), "note 4");

    // The target has different field widths and types: values are converted.
    auto target = Table::create(dir / "target.dbf",
                                {{"ITEM", 'C', 4}, {"QTY", 'C', 8}, {"NOTE", 'M'}, {"OTHER", 'L'}});
    settings().hideDeleted = true;
    EXPECT_EQ(appendFrom(*target, dir / "stock.dbf", "QTY >= 3"), 3u); // 2, 3 and 5 (4 is deleted)
    target->goTo(1);
    EXPECT_EQ(target->getString(0), "item");
    EXPECT_EQ(target->getString(1), "  3.00  "); // the number's text in a character field
    EXPECT_EQ(target->getMemo(2), "note 2");
    EXPECT_FALSE(target->deleted());
    settings().hideDeleted = false;
    EXPECT_EQ(appendFrom(*target, dir / "stock.dbf", ""), 5u);
    target->goBottom();
    EXPECT_EQ(target->recordCount(), 8u);
    target->goTo(7);                 // source record 4
    EXPECT_FALSE(target->deleted()); // appended records start undeleted
    EXPECT_THROW(appendFrom(*target, dir / "stock.dbf", "NOSUCH > 1"), DbfError);
}

TEST(DbfOps, WorkAreasSelectAndFindByAlias) {
    dbftest::TempDir dir;
    stock(dir)->close();
    copyStructure(*Table::open(dir / "stock.dbf", {.readOnly = true}), dir / "other.dbf");
    WorkAreas areas;
    EXPECT_EQ(areas.current(), 1);
    EXPECT_EQ(areas.table(), nullptr);
    areas.use(dir / "stock.dbf");
    EXPECT_EQ(areas.table()->alias(), "STOCK");
    EXPECT_EQ(areas.select(0), 1); // the lowest free area
    EXPECT_EQ(areas.current(), 2);
    areas.use(dir / "other.dbf", "o");
    EXPECT_EQ(areas.areaOf("O"), 2);
    EXPECT_EQ(areas.areaOf("stock"), 1);
    EXPECT_EQ(areas.table(1)->recordCount(), 5u);
    EXPECT_THROW(areas.use(dir / "stock.dbf", "STOCK"), DbfError); // alias taken by area 1
    EXPECT_EQ(areas.table(2), nullptr); // the failed open left area 2 empty
    EXPECT_EQ(areas.select(999), 2);    // ignored
    EXPECT_EQ(areas.current(), 2);
    areas.select(1);
    areas.close();
    EXPECT_EQ(areas.table(1), nullptr);
    EXPECT_EQ(areas.freeArea(), 1);
    areas.closeAll();
}

TEST(DbfOps, TextCopiesInFixedWidthAndDelimitedForm) {
    dbftest::TempDir dir;
    auto t = Table::create(
        dir / "t.dbf", {{"NAME", 'C', 6}, {"N", 'N', 5, 1}, {"D", 'D'}, {"L", 'L'}, {"M", 'M'}});
    t->append();
    t->setString(0, "ab\"c");
    t->setNumber(1, -2.5);
    t->setDate(2, julianFromYmd(2001, 2, 3));
    t->setLogical(3, true);
    t->setMemo(4, "left out");
    t->append();
    t->setString(0, "x");
    EXPECT_EQ(copyToText(*t, dir / "sdf.txt", TextFormat::Sdf), 2u);
    EXPECT_EQ(dbftest::readAll(dir / "sdf.txt"),
              "ab\"c   -2.520010203T\r\nx" + std::string(19, ' ') + "\r\n");
    copyToText(*t, dir / "del.txt", TextFormat::Delimited);
    EXPECT_EQ(dbftest::readAll(dir / "del.txt"), "\"ab\"c\",-2.5,20010203,T\r\n\"x\",,,F\r\n");
}
