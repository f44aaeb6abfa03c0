#include "core/cp1250.h"
#include "data/memory_data_set.h"
#include "table_fixture.h"

#include <gtest/gtest.h>

using namespace vorlan;
using namespace vorlan::data;

namespace {

std::unique_ptr<MemoryDataSet> people() {
    auto ds = std::make_unique<MemoryDataSet>(std::vector<FieldDef>{
        {"NAME", FieldType::String, 10, 0}, {"AGE", FieldType::Integer, 3, 0}});
    ds->addRow({Value("Eva"), Value(30)});
    ds->addRow({Value("Jan"), Value(41)});
    ds->addRow({Value("Ota"), Value(25)});
    return ds;
}

std::vector<std::string> names(DataSet& ds) {
    std::vector<std::string> out;
    for (ds.first(); !ds.eof(); ds.next())
        out.push_back(ds.fieldByName("name")->asString());
    return out;
}

} // namespace

TEST(MemoryDataSet, WalksEditsAppendsAndDeletes) {
    auto ds = people();
    ds->open();
    EXPECT_EQ(names(*ds), (std::vector<std::string>{"Eva", "Jan", "Ota"}));
    // Next past the last keeps the last record current.
    EXPECT_EQ(ds->recNo(), 3u);
    EXPECT_EQ(ds->moveBy(-5), -2);
    EXPECT_TRUE(ds->bof());

    ds->next();
    const Bookmark jan = ds->bookmark();
    ds->fieldByName("AGE")->setValue(Value(42));
    EXPECT_EQ(ds->state(), DataSetState::Edit);
    ds->cancel();
    EXPECT_EQ(ds->fieldByName("AGE")->asFloat(), 41);

    ds->fieldByName("AGE")->setValue(Value(42));
    ds->last(); // a move posts the pending edit
    ds->gotoBookmark(jan);
    EXPECT_EQ(ds->fieldByName("AGE")->asFloat(), 42);

    ds->append();
    EXPECT_EQ(ds->recNo(), 4u);
    ds->fieldByName("NAME")->setAsString("Iva");
    ds->post();
    EXPECT_EQ(ds->recordCount(), 4u);

    ds->gotoBookmark(jan);
    ds->deleteRecord();
    EXPECT_EQ(names(*ds), (std::vector<std::string>{"Eva", "Ota", "Iva"}));
    EXPECT_THROW(ds->gotoBookmark(9), DataSetError);
    EXPECT_THROW(ds->fieldByName("MISSING"), DataSetError);
}

TEST(MemoryDataSet, EmptyDataSetEditsByAppending) {
    MemoryDataSet ds({{"A", FieldType::String, 5, 0}});
    ds.open();
    EXPECT_TRUE(ds.isEmpty());
    EXPECT_THROW(ds.deleteRecord(), DataSetError);
    ds.edit();
    EXPECT_EQ(ds.state(), DataSetState::Insert);
    ds.fieldByName("A")->setAsString("x");
    ds.post();
    EXPECT_EQ(ds.recordCount(), 1u);
    ds.close();
    EXPECT_THROW(ds.edit(), DataSetError);
}

TEST(MemoryDataSet, CsvGuessesSeparatorAndTypes) {
    auto ds = MemoryDataSet::fromCsvText("Name;Amount;Paid;Due\r\n"
                                         "\"Novak; Jan\";12.50;T;31.12.2024\r\n"
                                         "\"Say \"\"hi\"\"\";3;F;2024-01-02\r\n");
    ASSERT_EQ(ds->fieldCount(), 4);
    EXPECT_EQ(ds->field(0)->type(), FieldType::String);
    EXPECT_EQ(ds->field(1)->type(), FieldType::Float);
    EXPECT_EQ(ds->field(1)->decimals(), 2);
    EXPECT_EQ(ds->field(2)->type(), FieldType::Boolean);
    EXPECT_EQ(ds->field(3)->type(), FieldType::Date);
    ds->open();
    EXPECT_EQ(ds->field(0)->asString(), "Novak; Jan");
    EXPECT_EQ(ds->field(1)->displayText(), "12.50");
    EXPECT_TRUE(ds->field(2)->asBoolean());
    // 31 December 2024 is day 45657 of the script calendar.
    EXPECT_EQ(ds->field(3)->value().asDate().days, 45657);
    ds->next();
    EXPECT_EQ(ds->field(0)->asString(), "Say \"hi\"");
    EXPECT_EQ(ds->field(3)->value().asDate().days, 45293);
}

TEST(MemoryDataSet, CsvColumnWithAnImpossibleDayStaysText) {
    // 30.2. would otherwise slide into March and be stored as another day.
    auto ds = MemoryDataSet::fromCsvText("Due\r\n1.2.2024\r\n30.2.2024\r\n");
    EXPECT_EQ(ds->field(0)->type(), FieldType::String);
    ds->open();
    ds->next();
    EXPECT_EQ(ds->field(0)->asString(), "30.2.2024");
}

TEST(MemoryDataSet, MalformedCsvNamesTheLine) {
    try {
        MemoryDataSet::fromCsvText("a,b\n1,2\n3\n");
        FAIL() << "no error";
    } catch (const DataSetError& e) {
        EXPECT_NE(std::string(e.what()).find(vorlan::czech("Řádek CSV 3")), std::string::npos)
            << e.what();
    }
    EXPECT_THROW(MemoryDataSet::fromCsvText("a,b\n\"open,2\n"), DataSetError);
    EXPECT_THROW(MemoryDataSet::fromCsvText(""), DataSetError);
}

TEST(DataLinks, AreToldOfOpeningMovingEditingAndClosing) {
    auto ds = people();
    DataSource source;
    datatest::RecordingLink link;
    source.addLink(&link);
    EXPECT_EQ(source.state(), DataSetState::Inactive);
    source.setDataSet(ds.get());
    ds->open();
    EXPECT_EQ(source.state(), DataSetState::Browse);
    EXPECT_EQ(link.events, (std::vector<std::string>{"close", "open"}));

    const int before = link.changes;
    ds->next();
    EXPECT_GT(link.changes, before);

    ds->fieldByName("AGE")->setValue(Value(1));
    EXPECT_EQ(link.fieldChanges, 1);
    ds->post();
    EXPECT_EQ(link.updates, 1);
    EXPECT_EQ(link.stateChanges, 2); // Edit, then Browse

    // Disabled controls hear nothing until the last enable, which tells them once.
    ds->disableControls();
    ds->disableControls();
    const int quiet = link.changes;
    ds->first();
    ds->next();
    ds->enableControls();
    EXPECT_EQ(link.changes, quiet);
    ds->enableControls();
    EXPECT_EQ(link.changes, quiet + 1);

    ds->close();
    EXPECT_EQ(link.events.back(), "close");
    EXPECT_EQ(source.state(), DataSetState::Inactive);
}

TEST(DataLinks, SurviveTheirSourceAndDataSetGoingAway) {
    auto ds = people();
    datatest::RecordingLink outlives;
    {
        DataSource source(ds.get());
        source.addLink(&outlives);
        // A link destroyed first leaves the source's list.
        {
            datatest::RecordingLink shortLived;
            source.addLink(&shortLived);
        }
        EXPECT_EQ(source.links().size(), 1u);
    }
    EXPECT_EQ(outlives.dataSource(), nullptr);
    EXPECT_TRUE(ds->sources().empty());

    DataSource source2(ds.get());
    ds.reset();
    EXPECT_EQ(source2.dataSet(), nullptr);
    EXPECT_EQ(source2.state(), DataSetState::Inactive);
}
