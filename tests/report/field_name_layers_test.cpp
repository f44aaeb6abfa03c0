// A field is one field in every layer: the DBF engine, the table data set that data controls read
// and the report's record source find it by the same names.
#include "core/cp1250.h"
#include "data/table_fixture.h"
#include "report/run/record_source.h"

#include <gtest/gtest.h>
#include <string>

using namespace vorlan;

TEST(FieldNameLayers, CzechLetterInTheOtherCaseAndTrailingBlanksFindTheFieldEverywhere) {
    dbftest::TempDir dir;
    datatest::EngineGuard guard;
    auto table =
        dbf::Table::create(dir / "ZBOZI.DBF", {{"KOD", 'C', 4}, {czech("ČÁSTKA"), 'N', 8, 2}});
    table->append();
    table->setNumber(1, 12.5);
    const std::string names[] = {czech("částka"), czech("Částka  "), czech("ČÁSTKA")};
    for (const std::string& name : names)
        EXPECT_EQ(table->fieldIndex(name), 1) << cp1250ToUtf8(name);
    table->close();

    data::TableDataSet set;
    set.setDatabaseName(dir.path().string());
    set.setTableName("zbozi");
    set.open();
    data::DataSource source(&set);
    report::DataSetRecords records(&source);

    for (const std::string& name : names) {
        SCOPED_TRACE(cp1250ToUtf8(name));
        data::Field* field = set.findField(name);
        ASSERT_NE(field, nullptr);
        EXPECT_EQ(field->asFloat(), 12.5);
        EXPECT_EQ(records.fieldIndex(name), 1);
    }
    EXPECT_EQ(set.findField("CASTKA"), nullptr);
    EXPECT_EQ(records.fieldIndex("CASTKA"), -1);
}
