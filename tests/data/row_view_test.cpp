#include "table_fixture.h"

#include "data/dbf_access.h"
#include "data/row_view.h"

#include <gtest/gtest.h>

using namespace vorlan;
using namespace vorlan::data;
using datatest::CustomerTable;

namespace {

class RowViewTest : public CustomerTable {
protected:
    void SetUp() override {
        CustomerTable::SetUp();
        configure(ds);
        access.setDataSource(&source);
        ds.open();
    }
    tables::EngineTable& engineTable() { return *engine().table(ds.workArea()); }

    TableDataSet ds;
    DataSource source{&ds};
    TDbfAccess access;
    RowView rows{ds};
};

} // namespace

TEST_F(RowViewTest, ReadsAnyRowWithoutMovingTheDataSetOrTheEngine) {
    ds.next(); // Adam, record 2
    engineTable().goTo(4);
    EXPECT_EQ(rows.records(), (std::vector<std::uint32_t>{1, 2, 3, 4}));
    const std::vector<std::string> cells = rows.cells(3);
    ASSERT_EQ(cells.size(), 7u);
    EXPECT_EQ(cells[0], "Cerny     ");
    EXPECT_EQ(cells[1], "1500.25");
    EXPECT_EQ(cells[3], "T");
    EXPECT_EQ(cells[4], "01.06.2025");
    EXPECT_EQ(cells[5], "(memo)");
    EXPECT_EQ(cells[6], "");
    EXPECT_EQ(rows.memo(3, 5), "line one\r\nline two");
    EXPECT_EQ(rows.cell(1, 0), "Novak     ");
    EXPECT_EQ(ds.recNo(), 2u);
    EXPECT_EQ(engineTable().recNo(), 4u);
    EXPECT_EQ(ds.fieldByName("NAME")->asString(), "Adam");
}

TEST_F(RowViewTest, FollowsTheOrderAndFilterAndKeepsAPendingEditOnItsRecord) {
    access.indexTag("", "NAME", "NAME", 0, false, "");
    access.query("QTY > 2");
    EXPECT_EQ(rows.records(), (std::vector<std::uint32_t>{4, 3, 1})); // Bily, Cerny, Novak

    access.go(1);
    ds.edit();
    ds.fieldByName("NAME")->setAsString("Nova");
    for (const std::uint32_t recno : rows.records())
        rows.cells(recno);
    ds.post();
    EXPECT_EQ(rows.cell(1, 0), "Nova      ");
    EXPECT_EQ(rows.cell(4, 0), "Bily      ");
}

TEST_F(RowViewTest, NothingForAClosedTableOrARecordOutsideIt) {
    EXPECT_TRUE(rows.cells(0).empty());
    EXPECT_TRUE(rows.cells(5).empty());
    EXPECT_EQ(rows.cell(1, 7), "");
    ds.close();
    EXPECT_TRUE(rows.fields().empty());
    EXPECT_TRUE(rows.records().empty());
    EXPECT_TRUE(rows.cells(1).empty());
}
