// Data-aware controls over an in-memory data set: they show the current record, follow the
// cursor, write what the user typed and keep the data set's rules (edit, post, cancel).

#include "forms_fixture.h"

#include "core/cp1250.h"
#include "data/memory_data_set.h"
#include "script/form_loader.h"
#include "script/stream/text_form.h"
#include "stdlib/format_settings.h"
#include "ui/qt/forms/data_grid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace vorlan;
using namespace vorlan::forms;
using namespace vorlan::forms::testing;
using data::DataSetState;
using data::FieldType;
using script::Value;

namespace {

const char* const kDataForm = R"(object Form1: TForm1
  ClientHeight = 300
  ClientWidth = 400
  object DataSource1: TDataSource
  end
  object Kinds: TDataSource
  end
  object NameEdit: TDataEdit
    Left = 8
    Top = 8
    DataSource = DataSource1
    DataField = 'NAME'
    TabOrder = 0
  end
  object CountEdit: TDataEdit
    Left = 8
    Top = 36
    DataSource = DataSource1
    DataField = 'COUNT'
    TabOrder = 1
  end
  object NameText: TDataText
    Left = 200
    Top = 8
    DataSource = DataSource1
    DataField = 'NAME'
  end
  object Paid: TDataCheckBox
    Left = 8
    Top = 64
    DataSource = DataSource1
    DataField = 'PAID'
    TabOrder = 2
  end
  object Size: TDataRadioGroup
    Left = 8
    Top = 90
    DataSource = DataSource1
    DataField = 'SIZE'
    Items.Strings = (
      'Malý'
      'Velký')
    Values.Strings = (
      'S'
      'L')
  end
  object Kind: TDataLookUpCombo
    Left = 200
    Top = 40
    DataSource = DataSource1
    DataField = 'KIND'
    ListSource = Kinds
    ListField = 'TITLE'
    KeyField = 'CODE'
  end
  object Grid: TDataGrid
    Left = 8
    Top = 200
    DataSource = DataSource1
  end
  object Navigator: TDataNavigator
    Left = 200
    Top = 100
    DataSource = DataSource1
    OnClick = NavigatorClick
  end
end
)";

class DataControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureRegistered();
        people.setFields({{"NAME", FieldType::String, 20},
                          {"COUNT", FieldType::Float, 8, 2},
                          {"PAID", FieldType::Boolean, 1},
                          {"SIZE", FieldType::String, 1},
                          {"KIND", FieldType::String, 2}});
        people.addRow({Value(czech("Novák")), Value(3.0), Value(true), Value("L"), Value("B")});
        people.addRow({Value("Svoboda"), Value(5.5), Value(false), Value("S"), Value("A")});
        people.open();
        kinds.setFields({{"CODE", FieldType::String, 2}, {"TITLE", FieldType::String, 20}});
        kinds.addRow({Value("A"), Value(czech("Odběratel"))});
        kinds.addRow({Value("B"), Value("Dodavatel")});
        kinds.open();
        form = script::instantiateComponents(stream::componentFromText(kDataForm),
                                             script::registry(), true);
        form->setEventSink(&sink);
        sourceOf("DataSource1")->setDataSet(&people);
        sourceOf("Kinds")->setDataSet(&kinds);
    }
    data::DataSource* sourceOf(const char* name) {
        auto* provider = dynamic_cast<data::DataSourceProvider*>(form->findComponent(name));
        return provider ? provider->dataSource() : nullptr;
    }
    template <class W> W* widgetOf(const char* name) {
        auto* control = dynamic_cast<Control*>(form->findComponent(name));
        return control ? qobject_cast<W*>(control->widget()) : nullptr;
    }
    template <class C> C* control(const char* name) {
        return dynamic_cast<C*>(form->findComponent(name));
    }
    std::string cell(std::size_t row, std::size_t column) {
        return people.rows().at(row).at(column).toString();
    }

    data::MemoryDataSet people;
    data::MemoryDataSet kinds;
    RecordingSink sink;
    std::unique_ptr<script::Component> form;
};

} // namespace

TEST_F(DataControlsTest, FieldControlsShowTheCurrentRecordAndFollowTheCursor) {
    EXPECT_EQ(widgetOf<QLineEdit>("NameEdit")->text(), QStringLiteral("Novák"));
    EXPECT_EQ(widgetOf<QLineEdit>("CountEdit")->text(), QStringLiteral("3,00"));
    EXPECT_EQ(widgetOf<QLabel>("NameText")->text(), QStringLiteral("Novák"));
    EXPECT_TRUE(widgetOf<QCheckBox>("Paid")->isChecked());
    auto radios = widgetOf<QWidget>("Size")->findChildren<QRadioButton*>();
    ASSERT_EQ(radios.size(), 2);
    EXPECT_TRUE(radios[1]->isChecked());
    // The lookup shows the title of the record whose key the field holds.
    EXPECT_EQ(widgetOf<QComboBox>("Kind")->currentText(), QStringLiteral("Dodavatel"));

    people.next();
    EXPECT_EQ(widgetOf<QLineEdit>("NameEdit")->text(), QStringLiteral("Svoboda"));
    EXPECT_FALSE(widgetOf<QCheckBox>("Paid")->isChecked());
    EXPECT_TRUE(radios[0]->isChecked());
    EXPECT_EQ(widgetOf<QComboBox>("Kind")->currentText(), QStringLiteral("Odběratel"));

    // Closing the data set empties the controls; opening shows the first record again.
    people.close();
    EXPECT_TRUE(widgetOf<QLineEdit>("NameEdit")->text().isEmpty());
    people.open();
    EXPECT_EQ(widgetOf<QLineEdit>("NameEdit")->text(), QStringLiteral("Novák"));
}

TEST_F(DataControlsTest, TypedTextIsPostedWithTheRecordAndEscTakesItBack) {
    auto* edit = widgetOf<QLineEdit>("NameEdit");
    edit->selectAll();
    QTest::keyClicks(edit, "Dvorak");
    // Typing puts the data set into Edit; the field gets the text when the record is posted.
    EXPECT_EQ(people.state(), DataSetState::Edit);
    EXPECT_EQ(cell(0, 0), czech("Novák"));
    people.post();
    EXPECT_EQ(cell(0, 0), "Dvorak");
    EXPECT_EQ(people.state(), DataSetState::Browse);

    // A decimal comma is a decimal point to a numeric field.
    auto* count = widgetOf<QLineEdit>("CountEdit");
    count->selectAll();
    QTest::keyClicks(count, "4,25");
    people.next(); // moving on posts what was typed
    EXPECT_DOUBLE_EQ(people.rows()[0][1].toDouble(), 4.25);
    EXPECT_EQ(count->text(), QStringLiteral("5,50"));

    // Esc puts the field's text back; nothing is written.
    count->selectAll();
    QTest::keyClicks(count, "9");
    QTest::keyClick(count, Qt::Key_Escape);
    EXPECT_EQ(count->text(), QStringLiteral("5,50"));
    people.post();
    EXPECT_DOUBLE_EQ(people.rows()[1][1].toDouble(), 5.5);
}

TEST_F(DataControlsTest, NumbersShowTheFormatSettingsSeparatorAndReadBackInEitherForm) {
    auto* grid = control<DataGrid>("Grid");
    auto* count = widgetOf<QLineEdit>("CountEdit");
    EXPECT_EQ(grid->cellText(1, 0), "3,00");
    EXPECT_EQ(grid->cellText(1, 1), "5,50");

    // Blanks between thousands and either decimal mark are read back.
    count->selectAll();
    QTest::keyClicks(count, "1 234,5");
    people.post();
    EXPECT_DOUBLE_EQ(people.rows()[0][1].toDouble(), 1234.5);
    EXPECT_EQ(count->text(), QStringLiteral("1234,50"));
    count->selectAll();
    QTest::keyClicks(count, "7.25");
    people.post();
    EXPECT_DOUBLE_EQ(people.rows()[0][1].toDouble(), 7.25);

    // A program that sets a decimal point sees it in its controls.
    stdlib::formatSettings().decimalSeparator = Value(".");
    people.next();
    people.first();
    EXPECT_EQ(count->text(), QStringLiteral("7.25"));
    stdlib::resetFormatSettings();
}

TEST_F(DataControlsTest, TextThatIsNoNumberRefusesThePostAndKeepsTheRecord) {
    auto* count = widgetOf<QLineEdit>("CountEdit");
    count->selectAll();
    QTest::keyClicks(count, "abc");
    EXPECT_THROW(people.post(), data::DataSetError);
    EXPECT_DOUBLE_EQ(people.rows()[0][1].toDouble(), 3.0);
}

TEST_F(DataControlsTest, ChoicesAreWrittenAtOnce) {
    widgetOf<QCheckBox>("Paid")->click();
    EXPECT_EQ(people.state(), DataSetState::Edit);
    EXPECT_FALSE(people.fieldByName("PAID")->asBoolean());
    widgetOf<QWidget>("Size")->findChildren<QRadioButton*>()[0]->click();
    EXPECT_EQ(people.fieldByName("SIZE")->asString(), "S");
    auto* kind = widgetOf<QComboBox>("Kind");
    kind->setCurrentIndex(0);
    emit kind->activated(0);
    EXPECT_EQ(people.fieldByName("KIND")->asString(), "A");
    people.post();
    EXPECT_EQ(people.rows()[0][2].toBool(), false);
    EXPECT_EQ(cell(0, 3), "S");
    EXPECT_EQ(cell(0, 4), "A");
}

TEST_F(DataControlsTest, LookupKeySetByTheProgramIsTheUsersChoice) {
    auto* kind = control<Control>("Kind");
    // An unknown key leaves the choice and the record alone.
    kind->setPublished("KeyValue", Value("Z"));
    EXPECT_EQ(people.state(), DataSetState::Browse);
    EXPECT_EQ(widgetOf<QComboBox>("Kind")->currentText(), QStringLiteral("Dodavatel"));
    kind->setPublished("KeyValue", Value("A"));
    EXPECT_EQ(widgetOf<QComboBox>("Kind")->currentText(), QStringLiteral("Odběratel"));
    EXPECT_EQ(people.state(), DataSetState::Edit);
    Value key;
    ASSERT_TRUE(kind->getPublished("KeyValue", key));
    EXPECT_EQ(key.toString(), "A");
    people.post();
    EXPECT_EQ(cell(0, 4), "A");
    // Moving on shows the next record's key, which the program may change the same way.
    people.next();
    EXPECT_EQ(widgetOf<QComboBox>("Kind")->currentText(), QStringLiteral("Odběratel"));
    kind->setPublished("KeyValue", Value("B"));
    people.post();
    EXPECT_EQ(cell(1, 4), "B");
}

TEST_F(DataControlsTest, EnterInADataEditMovesOnAndWritesTheField) {
    UiScope screen(screenUi());
    auto* root = dynamic_cast<Form*>(form.get());
    root->showControl();
    QApplication::setActiveWindow(root->widget());
    auto* name = widgetOf<QLineEdit>("NameEdit");
    name->setFocus();
    name->selectAll();
    QTest::keyClicks(name, "Malik");
    QTest::keyClick(name, Qt::Key_Return);
    EXPECT_TRUE(widgetOf<QLineEdit>("CountEdit")->hasFocus());
    // Leaving the edit wrote the field; the record waits for its post.
    EXPECT_EQ(people.fieldByName("NAME")->asString(), "Malik");
    EXPECT_EQ(people.state(), DataSetState::Edit);
    QTest::keyClick(widgetOf<QLineEdit>("CountEdit"), Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_TRUE(name->hasFocus());
    root->hideControl();
}

TEST_F(DataControlsTest, GridShowsEveryRecordAndMovesTheCursor) {
    auto* grid = control<DataGrid>("Grid");
    ASSERT_NE(grid, nullptr);
    ASSERT_EQ(grid->rowCount(), 2);
    EXPECT_EQ(grid->cellText(0, 1), "Svoboda");
    auto* table = widgetOf<QTableWidget>("Grid");
    EXPECT_EQ(table->currentRow(), 0);
    people.last();
    EXPECT_EQ(table->currentRow(), 1);

    // Picking a row moves the data set there; the field controls follow.
    table->setCurrentCell(0, 0);
    EXPECT_EQ(people.recNo(), 1u);
    EXPECT_EQ(widgetOf<QLineEdit>("NameEdit")->text(), QStringLiteral("Novák"));

    // A cell edited in the grid is the field of the current record.
    table->item(0, 0)->setText(QStringLiteral("Beneš"));
    EXPECT_EQ(people.state(), DataSetState::Edit);
    people.post();
    EXPECT_EQ(cell(0, 0), czech("Beneš"));
    EXPECT_EQ(widgetOf<QLineEdit>("NameEdit")->text(), QStringLiteral("Beneš"));
}

TEST_F(DataControlsTest, NavigatorMovesInsertsPostsAndDeletes) {
    std::ostringstream log;
    UiScope headless(std::make_unique<HeadlessUi>(&log));
    auto* nav = control<DataNavigator>("Navigator");
    ASSERT_NE(nav, nullptr);
    EXPECT_FALSE(nav->button(NavigatorButton::Prior)->isEnabled());
    EXPECT_TRUE(nav->button(NavigatorButton::Next)->isEnabled());
    EXPECT_FALSE(nav->button(NavigatorButton::Post)->isEnabled());

    nav->button(NavigatorButton::Next)->click();
    EXPECT_EQ(people.recNo(), 2u);
    ASSERT_FALSE(sink.calls.empty());
    EXPECT_EQ(sink.calls.back().procedure, "NavigatorClick");
    EXPECT_EQ(sink.calls.back().args.at(1).toInt(), static_cast<int>(NavigatorButton::Next));

    nav->button(NavigatorButton::Insert)->click();
    EXPECT_EQ(people.state(), DataSetState::Insert);
    EXPECT_TRUE(nav->button(NavigatorButton::Post)->isEnabled());
    EXPECT_EQ(control<DataGrid>("Grid")->rowCount(), 3);
    EXPECT_TRUE(widgetOf<QLineEdit>("NameEdit")->text().isEmpty());
    auto* name = widgetOf<QLineEdit>("NameEdit");
    QTest::keyClicks(name, "Novy");
    nav->button(NavigatorButton::Post)->click();
    ASSERT_EQ(people.recordCount(), 3u);
    EXPECT_EQ(cell(2, 0), "Novy");
    EXPECT_EQ(control<DataGrid>("Grid")->cellText(0, 2), "Novy");

    // Delete asks first; without a screen the question is answered by its default (OK).
    nav->button(NavigatorButton::Delete)->click();
    EXPECT_EQ(people.recordCount(), 2u);
    EXPECT_NE(log.str().find("Smazat"), std::string::npos) << log.str();
    EXPECT_EQ(control<DataGrid>("Grid")->rowCount(), 2);
}

TEST_F(DataControlsTest, ControlsLetGoOfADataSourceThatIsFreed) {
    // The data source goes first (a form frees in its own order): nothing may point at it.
    std::unique_ptr<script::Component> source = form->release(form->findComponent("DataSource1"));
    source.reset();
    EXPECT_TRUE(widgetOf<QLineEdit>("NameEdit")->text().isEmpty());
    people.next();
    EXPECT_TRUE(widgetOf<QLineEdit>("NameEdit")->text().isEmpty());
    QTest::keyClicks(widgetOf<QLineEdit>("NameEdit"), "x");
    EXPECT_EQ(people.state(), DataSetState::Browse);
}

TEST_F(DataControlsTest, DataSourceFindsItsTableByNameAmongTheFormsComponents) {
    // A table component of the data layer is anything that is a data set provider.
    class Table : public script::Component, public data::DataSetProvider {
    public:
        explicit Table(data::DataSet& set) : script::Component("TTestTable"), set_(set) {}
        data::DataSet* dataSet() override { return &set_; }

    private:
        data::DataSet& set_;
    };
    sourceOf("DataSource1")->setDataSet(nullptr);
    EXPECT_TRUE(widgetOf<QLineEdit>("NameEdit")->text().isEmpty());
    auto* table = form->adopt(std::make_unique<Table>(people));
    table->setName("Table1");
    auto* source = form->findComponent("DataSource1");
    source->setPublished("DataSet", Value("Table1"));
    EXPECT_EQ(sourceOf("DataSource1")->dataSet(), &people);
    EXPECT_EQ(widgetOf<QLineEdit>("NameEdit")->text(), QStringLiteral("Novák"));
    // Disabled, the source shows nothing; a name that names nothing leaves it without data.
    source->setPublished("Enabled", Value(false));
    EXPECT_TRUE(widgetOf<QLineEdit>("NameEdit")->text().isEmpty());
    source->setPublished("Enabled", Value(true));
    source->setPublished("DataSet", Value("Missing"));
    EXPECT_EQ(sourceOf("DataSource1")->dataSet(), nullptr);
}

TEST_F(DataControlsTest, NavigatorShowsTheButtonsItsSetNamesInAnyCase) {
    auto* nav = control<DataNavigator>("Navigator");
    const auto shown = [&] {
        std::vector<int> out;
        for (int i = 0; i < kNavigatorButtons; ++i)
            if (!nav->button(static_cast<NavigatorButton>(i))->isHidden()) out.push_back(i);
        return out;
    };
    nav->setPublished("VisibleButtons", Value("[NBFIRST, nbnext,nbPost]"));
    EXPECT_EQ(shown(), (std::vector<int>{0, 2, 7}));
    // nbInsertX is no button; nbInsert inside it does not count.
    nav->setPublished("VisibleButtons", Value("[nbInsertX]"));
    EXPECT_EQ(shown(), std::vector<int>{});
    // A script's set arrives as a bit mask.
    nav->setPublished("VisibleButtons", Value((1 << 1) | (1 << 9)));
    EXPECT_EQ(shown(), (std::vector<int>{1, 9}));
}
