// Whole lines of a string grid as string lists, and the listed columns of a data grid.

#include "forms_fixture.h"

#include "core/cp1250.h"
#include "data/memory_data_set.h"
#include "script/comp_wrapper.h"
#include "script/form_loader.h"
#include "script/stream/text_form.h"
#include "ui/qt/forms/data_grid.h"
#include "ui/qt/forms/grid_controls.h"

#include <QHeaderView>
#include <QTableWidget>

#include <gtest/gtest.h>

using namespace vorlan;
using namespace vorlan::forms;
using namespace vorlan::forms::testing;
using data::FieldType;
using script::Value;

namespace {

using Lines = std::vector<std::string>;

std::unique_ptr<script::Component> formOf(const char* text) {
    ensureRegistered();
    return script::instantiateComponents(stream::componentFromText(text), script::registry(), true);
}

} // namespace

TEST(StringGridLines, ListsKeepToTheirLineAndGoWithIt) {
    auto form = formOf(R"(object Form1: TForm1
  object Grid1: TStringGrid
    ColCount = 3
    RowCount = 4
  end
end
)");
    auto* grid = dynamic_cast<StringGrid*>(form->findComponent("Grid1"));
    ASSERT_NE(grid, nullptr);
    GridLineStrings& row1 = grid->rowStrings(1);
    row1.setText("a\r\nb\r\nc\r\nbeyond");
    EXPECT_EQ(grid->row(1), (Lines{"a", "b", "c"})) << "what does not fit is dropped";
    GridLineStrings& col2 = grid->colStrings(2);
    EXPECT_EQ(col2.addToFirstEmpty("first"), 0);
    EXPECT_EQ(col2.addToFirstEmpty("second"), 2);
    EXPECT_EQ(col2.addToFirstEmpty("third"), 3);
    EXPECT_EQ(col2.addToFirstEmpty("none"), -1) << "a full line takes nothing";
    EXPECT_EQ(grid->column(2), (Lines{"first", "c", "second", "third"}));

    // Shrinking the grid takes the lists of the lines it drops.
    const auto alive = grid->rowStrings(3).aliveToken();
    grid->setPublished("RowCount", Value(2));
    EXPECT_TRUE(alive.expired());
    EXPECT_EQ(col2.count(), 2);
    EXPECT_THROW(grid->rowStrings(3), script::ScriptException);
    EXPECT_THROW(grid->colStrings(-1), script::ScriptException);
    EXPECT_THROW(grid->colStrings(3), script::ScriptException);
}

namespace {

const char* const kGridForm = R"(object Form1: TForm1
  object DataSource1: TDataSource
  end
  object Grid: TDataGrid
    DataSource = DataSource1
    Columns = <
      item
        Alignment = taCenter
        Expanded = False
        FieldName = 'COUNT'
        Title.Caption = 'Počet'
        Width = 50
      end
      item
        FieldName = 'name'
      end
      item
        FieldName = 'MISSING'
        Title.Caption = 'Nic'
      end
      item
        FieldName = 'PAID'
        Visible = False
      end>
  end
end
)";

class DataGridColumns : public ::testing::Test {
protected:
    void SetUp() override {
        people.setFields({{"NAME", FieldType::String, 20},
                          {"COUNT", FieldType::Float, 8, 2},
                          {"PAID", FieldType::Boolean, 1}});
        people.addRow({Value(czech("Novák")), Value(3.0), Value(true)});
        people.addRow({Value("Svoboda"), Value(5.5), Value(false)});
        people.open();
        form = formOf(kGridForm);
        dynamic_cast<data::DataSourceProvider*>(form->findComponent("DataSource1"))
            ->dataSource()
            ->setDataSet(&people);
        grid = dynamic_cast<DataGrid*>(form->findComponent("Grid"));
        ASSERT_NE(grid, nullptr);
        table = qobject_cast<QTableWidget*>(grid->widget());
    }
    // The field's text in the given record, as any data-aware control shows it.
    std::string shown(int record, const char* field) {
        people.first();
        for (int i = 0; i < record; ++i)
            people.next();
        const std::string text = people.fieldByName(field)->displayText();
        people.first();
        return text;
    }
    QString heading(int column) const {
        const QTableWidgetItem* item = table->horizontalHeaderItem(column);
        return item ? item->text() : QString();
    }

    data::MemoryDataSet people;
    std::unique_ptr<script::Component> form;
    DataGrid* grid = nullptr;
    QTableWidget* table = nullptr;
};

} // namespace

TEST_F(DataGridColumns, StoredColumnsChooseTheFieldsTheirOrderAndLook) {
    ASSERT_EQ(grid->columns().count(), 4);
    ASSERT_EQ(table->columnCount(), 4);
    EXPECT_EQ(grid->cellText(0, 1), "5,50") << "the first column is COUNT";
    EXPECT_EQ(grid->cellText(1, 0), czech("Novák")) << "field names match in any case";
    EXPECT_EQ(grid->cellText(2, 0), "") << "a column without its field stays empty";
    EXPECT_EQ(heading(0), QStringLiteral("Počet"));
    EXPECT_EQ(heading(1), QStringLiteral("NAME")) << "the field's label when no title is stored";
    EXPECT_EQ(heading(2), QStringLiteral("Nic"));
    EXPECT_EQ(table->columnWidth(0), 50);
    EXPECT_TRUE(table->isColumnHidden(3));
    EXPECT_FALSE(table->isColumnHidden(0));
    EXPECT_EQ(table->item(0, 0)->textAlignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_FALSE(table->item(0, 2)->flags() & Qt::ItemIsEditable);

    // An edit in a listed column writes the column's field, not the field at that position.
    table->setCurrentCell(1, 1);
    table->item(1, 1)->setText(QStringLiteral("Dvořák"));
    people.post();
    EXPECT_EQ(people.rows()[1][0].toString(), czech("Dvořák"));
    EXPECT_EQ(people.rows()[1][1].toDouble(), 5.5);
    table->item(1, 2)->setText(QStringLiteral("x"));
    EXPECT_EQ(people.state(), data::DataSetState::Browse) << "nothing to write for a lost field";
}

TEST_F(DataGridColumns, ScriptChangesRelayTheGridAndClearingShowsEveryField) {
    Value columns;
    ASSERT_TRUE(grid->getPublished("Columns", columns));
    auto* list = script::nativeAs<GridColumns>(columns);
    ASSERT_EQ(list, &grid->columns());

    GridColumn& first = list->at(0);
    Value out;
    ASSERT_TRUE(first.get("Title.Caption", out));
    EXPECT_EQ(out.toString(), czech("Počet"));
    first.set("Title.Caption", Value("Kusy"));
    first.set("Width", Value(80));
    EXPECT_EQ(heading(0), QStringLiteral("Kusy"));
    EXPECT_EQ(table->columnWidth(0), 80);
    list->at(3).set("Visible", Value(true));
    EXPECT_FALSE(table->isColumnHidden(3));
    list->at(2).set("FieldName", Value("PAID"));
    EXPECT_EQ(grid->cellText(2, 0), shown(0, "PAID"));
    EXPECT_EQ(heading(2), QStringLiteral("Nic")) << "a stored title outlives the field change";

    // A new layout asked for while a record is edited comes once it is posted.
    people.edit();
    list->at(2).set("FieldName", Value("NAME"));
    people.post();
    EXPECT_EQ(grid->cellText(2, 0), czech("Novák"));

    // The current record stays selected through a new layout.
    people.last();
    const auto gone = first.aliveToken();
    list->clear();
    ASSERT_EQ(table->columnCount(), 3) << "no listed columns: every field";
    EXPECT_EQ(heading(0), QStringLiteral("NAME"));
    EXPECT_EQ(table->currentRow(), 1);
    EXPECT_TRUE(gone.expired()) << "cleared columns are gone for scripts too";

    GridColumn& only = list->add();
    only.set("FieldName", Value("PAID"));
    EXPECT_EQ(table->columnCount(), 1);
    EXPECT_EQ(grid->cellText(0, 1), shown(1, "PAID"));
    EXPECT_THROW(list->at(1), script::ScriptException);
}
