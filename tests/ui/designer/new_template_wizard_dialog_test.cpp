#include "core/cp1250.h"
#include "report/output/output_model.h"
#include "ui/qt/designer/designer_dialogs.h"
#include "ui/qt/designer/new_template_wizard.h"

#include "ui/designer/designer_fixture.h"

#include <QCheckBox>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include <memory>

namespace vorlan::qt {
namespace {

using testing::child;
using testing::DialogTest;
using testing::FakeRecords;
using testing::whenModal;

class NewTemplateWizardTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        savedPaper_ = report::paperSettings();
        report::paperSettings() = report::PaperSettings{};
        records_.fields = {{"CISLO", czech("Číslo"), 5, report::kFtInteger, report::kAlignRight},
                           {"NAZEV", czech("Název zboží"), 20},
                           {"CENA", "Cena", 10, report::kFtFloat, report::kAlignRight},
                           {"POZN", czech("Poznámka"), 30, report::kFtMemo}};
        report_.setDataSource(&records_);
        report_.popis = "Sklad";
    }
    void TearDown() override {
        report::paperSettings() = savedPaper_;
        DialogTest::TearDown();
    }

    static QStringList texts(const QListWidget* list) {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }

    FakeRecords records_;
    report::TSestavaD report_;
    report::PaperSettings savedPaper_;
};

TEST_F(NewTemplateWizardTest, FieldsMoveBetweenTheListsInTableOrder) {
    NewTemplateWizard wizard(report_, report::DesignerSettings{});
    QListWidget* available = wizard.availableList();
    QListWidget* chosen = wizard.chosenList();
    EXPECT_EQ(texts(available), (QStringList{"CISLO", "NAZEV", "CENA", "POZN"}));

    available->setCurrentRow(2);
    child<QPushButton>(&wizard, "ChooseOne")->click();
    available->clearSelection();
    available->item(0)->setSelected(true);
    available->item(2)->setSelected(true);
    child<QPushButton>(&wizard, "ChooseOne")->click();
    EXPECT_EQ(texts(chosen), (QStringList{"CENA", "CISLO", "POZN"}));
    EXPECT_EQ(texts(available), (QStringList{"NAZEV"}));

    chosen->clearSelection();
    chosen->item(0)->setSelected(true);
    child<QPushButton>(&wizard, "ReturnOne")->click();
    EXPECT_EQ(texts(available), (QStringList{"NAZEV", "CENA"}));
    child<QPushButton>(&wizard, "ChooseAll")->click();
    EXPECT_EQ(texts(chosen), (QStringList{"CISLO", "POZN", "NAZEV", "CENA"}));
    EXPECT_EQ(available->count(), 0);
    std::vector<int> order;
    for (const report::WizardField& f : wizard.chosenFields())
        order.push_back(f.index);
    EXPECT_EQ(order, (std::vector<int>{0, 3, 1, 2}));
    EXPECT_EQ(wizard.chosenFields()[1].label, czech("Poznámka"));
    EXPECT_EQ(wizard.chosenFields()[1].displayWidth, 30);
    child<QPushButton>(&wizard, "ReturnAll")->click();
    EXPECT_EQ(texts(available), (QStringList{"CISLO", "NAZEV", "CENA", "POZN"}));
    EXPECT_EQ(chosen->count(), 0);

    // Drag and drop carries the field along with its text.
    QAbstractItemModel* from = available->model();
    std::unique_ptr<QMimeData> dragged(from->mimeData({from->index(2, 0)}));
    ASSERT_TRUE(chosen->model()->dropMimeData(dragged.get(), Qt::MoveAction, 0, 0, {}));
    from->removeRow(2);
    ASSERT_EQ(wizard.chosenFields().size(), 1u);
    EXPECT_EQ(wizard.chosenFields()[0].index, 2);
    EXPECT_EQ(wizard.chosenFields()[0].name, "CENA");
    child<QPushButton>(&wizard, "ReturnAll")->click();
    EXPECT_EQ(texts(available), (QStringList{"CISLO", "NAZEV", "CENA", "POZN"}));
    EXPECT_EQ(chosen->count(), 0);
}

TEST_F(NewTemplateWizardTest, NavrhnoutWithoutFieldsSaysSoAndStaysOpen) {
    report_.section(report::kSectionBody)->addElement(&report_).text = "kept";
    const auto before = report_.templateLines();
    whenModal([this](QWidget* d) {
        child<QPushButton>(d, "GenerateButton")->click();
        ASSERT_EQ(answers().asked.size(), 1u);
        EXPECT_EQ(answers().asked[0].text,
                  czech("Nebyly vybrány žádné položky. Návrh nemůže být proveden!"));
        EXPECT_TRUE(d->isVisible());
        child<QPushButton>(d, "CancelButton")->click();
    });
    EXPECT_FALSE(runNewTemplateWizard(nullptr, report_, report::DesignerSettings{}));
    EXPECT_EQ(report_.templateLines(), before);
}

TEST_F(NewTemplateWizardTest, NavrhnoutGeneratesTheChosenLayout) {
    report::DesignerSettings settings;
    settings.newFontName = "Times New Roman CE";
    whenModal([](QWidget* d) {
        auto* available = child<QListWidget>(d, "AvailableFields");
        available->setCurrentRow(0);
        child<QPushButton>(d, "ChooseOne")->click();
        available->setCurrentRow(0);
        child<QPushButton>(d, "ChooseOne")->click();
        available->setCurrentRow(0);
        child<QPushButton>(d, "ChooseOne")->click();
        child<QRadioButton>(d, "RowStyle")->setChecked(true);
        child<QCheckBox>(d, "FieldsByName")->setChecked(true);
        child<QCheckBox>(d, "TitlesAsText")->setChecked(true);
        child<QPushButton>(d, "GenerateButton")->click();
    });
    ASSERT_TRUE(runNewTemplateWizard(nullptr, report_, settings));

    // What the generator makes of the same choice, on the paper's printable width.
    report::TSestavaTyp expected;
    report::WizardOptions options;
    options.fieldsByName = true;
    options.titlesAsText = true;
    std::vector<report::WizardField> fields{
        {0, "CISLO", czech("Číslo"), 5, report::kAlignRight},
        {1, "NAZEV", czech("Název zboží"), 20, report::kAlignLeft},
        {2, "CENA", "Cena", 10, report::kAlignRight}};
    expected.popis = "Sklad";
    report::generateTemplate(expected, fields, report::WizardStyle::Rows, options, 726, settings);
    EXPECT_EQ(report_.templateLines(), expected.templateLines());
    EXPECT_EQ(report_.popis, "Sklad");
    const auto& body = report_.section(report::kSectionBody)->elements;
    ASSERT_EQ(body.size(), 7u);
    EXPECT_EQ(body[0]->text, czech("Číslo"));
    EXPECT_EQ(body[1]->name, "CISLO");
    EXPECT_EQ(body[1]->font.name, "Times New Roman CE");
}

TEST_F(NewTemplateWizardTest, RucneEmptiesAndPaperFormatOpensThePaperPage) {
    report_.section(report::kSectionBody)->addElement(&report_);
    report_.addGroup(0);
    whenModal([](QWidget* d) {
        whenModal([](QWidget* settings) {
            EXPECT_EQ(settings->objectName(), QStringLiteral("ReportSettingsDialog"));
            child<QSpinBox>(settings, "LeftMargin")->setValue(150);
            child<QPushButton>(settings, "OkButton")->click();
        });
        child<QPushButton>(d, "PaperButton")->click();
        EXPECT_EQ(report::paperSettings().leftMargin, 150);
        child<QPushButton>(d, "ManualButton")->click();
    });
    ASSERT_TRUE(runNewTemplateWizard(nullptr, report_, report::DesignerSettings{}));
    EXPECT_EQ(report_.groups().count(), 0);
    EXPECT_EQ(report_.sections().size(), 5u);
    for (const auto& s : report_.sections())
        EXPECT_TRUE(s->elements.empty());
}

} // namespace
} // namespace vorlan::qt
