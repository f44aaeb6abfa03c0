#include "core/cp1250.h"
#include "core/path_mapper.h"
#include "report/paper/paper_formats.h"
#include "ui/qt/designer/designer_dialogs.h"
#include "ui/qt/designer/groups_page.h"
#include "ui/qt/designer/paper_page.h"
#include "ui/qt/designer/report_settings_dialog.h"

#include "ui/designer/designer_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace vorlan::qt {
namespace {

using testing::child;
using testing::DialogTest;
using testing::whenModal;
namespace fs = std::filesystem;

class ReportSettingsDialogTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        savedPaper_ = report::paperSettings();
        report::paperSettings() = report::PaperSettings{};
    }
    void TearDown() override {
        report::paperSettings() = savedPaper_;
        DialogTest::TearDown();
    }

    // A report with two groups, an element in the start of the first and the end of the
    // second, and a function reset at each group.
    static void fillGroups(report::TSestavaTyp& r) {
        r.addGroup(0).field = 1;
        r.addGroup(1).field = 2;
        r.groups().item(1)->newPage = true;
        r.groups().item(0)->start->addElement(&r).text = "first";
        r.groups().item(1)->end->addElement(&r).text = "second";
        r.groups().item(1)->start->height = 40;
        report::FunctionDefinition atFirst;
        atFirst.name = "A";
        atFirst.reset = report::resetAtGroup(0);
        r.functions().add(atFirst);
        report::FunctionDefinition atSecond;
        atSecond.name = "B";
        atSecond.reset = report::resetAtGroup(1);
        r.functions().add(atSecond);
    }

private:
    report::PaperSettings savedPaper_;
};

// Changes one control on every page.
void editEveryPage(QWidget* d) {
    child<QLineEdit>(d, "Description")->setText(QString::fromUtf8("Přehled zboží"));
    child<QSpinBox>(d, "Copies")->setValue(3);
    child<QSpinBox>(d, "EndPage")->setValue(12);
    child<QSpinBox>(d, "MaxRecords")->setValue(500);
    child<QRadioButton>(d, "Landscape")->setChecked(true);
    child<QSpinBox>(d, "LeftMargin")->setValue(80);
    child<QSpinBox>(d, "Columns")->setValue(3);
    child<QSpinBox>(d, "ColumnGap")->setValue(10);
    child<QRadioButton>(d, "CharacterRaster")->setChecked(true);
    child<QComboBox>(d, "LineSpacing")->setCurrentIndex(1);
    child<QComboBox>(d, "Pitch")->setCurrentIndex(2);
    child<QCheckBox>(d, "SectionVisible3")->setChecked(true);
    child<QSpinBox>(d, "SectionHeight2")->setValue(44);
    child<QCheckBox>(d, "NoHeadOnFirstPage")->setChecked(true);
    child<QSpinBox>(d, "GroupStartHeight")->setValue(30);
}

TEST_F(ReportSettingsDialogTest, OkAppliesEveryPageAndCancelLeavesTheReport) {
    report::TSestavaTyp r;
    r.popis = "Old";
    r.addGroup(0);
    const auto before = r.templateLines();

    whenModal([](QWidget* d) {
        EXPECT_EQ(child<QTabWidget>(d, "Pages")->currentIndex(), 3);
        editEveryPage(d);
        child<QPushButton>(d, "CancelButton")->click();
    });
    EXPECT_FALSE(runReportSettingsDialog(nullptr, r, ReportSettingsPage::Sections));
    EXPECT_EQ(r.templateLines(), before);
    EXPECT_EQ(report::paperSettings(), report::PaperSettings{});

    whenModal([](QWidget* d) {
        editEveryPage(d);
        child<QPushButton>(d, "OkButton")->click();
    });
    ASSERT_TRUE(runReportSettingsDialog(nullptr, r));
    EXPECT_EQ(r.popis, czech("Přehled zboží"));
    EXPECT_EQ(r.printCopies, 3);
    EXPECT_EQ(r.endPage, 12);
    EXPECT_EQ(r.maxRecords, 500);
    EXPECT_EQ(report::paperSettings().orientation, 1);
    EXPECT_EQ(report::paperSettings().leftMargin, 80);
    EXPECT_EQ(r.columns, 3);
    EXPECT_EQ(r.columnGap, 10);
    // The body carries the label layout the run reads.
    EXPECT_EQ(r.section(report::kSectionBody)->columns, 3);
    EXPECT_EQ(r.section(report::kSectionBody)->columnGap, 10);
    // 4 lines and 17 characters per inch.
    EXPECT_EQ(r.charMode, 1);
    EXPECT_EQ(r.lineSpacing, 1);
    EXPECT_EQ(r.pitch, 2);
    EXPECT_FLOAT_EQ(r.cellWidth, 6.0f);
    EXPECT_FLOAT_EQ(r.cellHeight, 25.0f);
    EXPECT_EQ(r.rasterX, 6);
    EXPECT_EQ(r.rasterY, 25);
    EXPECT_TRUE(r.section(report::kSectionEnd)->visible);
    EXPECT_EQ(r.section(report::kSectionBody)->height, 44);
    EXPECT_TRUE(r.noHeadOnFirstPage);
    EXPECT_EQ(r.groups().item(0)->start->height, 30);

    // Back to the graphic raster: the cells go, the raster is what the user set.
    ReportSettingsDialog dialog(r, ReportSettingsPage::Raster);
    child<QRadioButton>(&dialog, "GraphicRaster")->setChecked(true);
    child<QSpinBox>(&dialog, "RasterX")->setValue(5);
    dialog.apply(r);
    EXPECT_EQ(r.charMode, 0);
    EXPECT_EQ(r.rasterX, 5);
    EXPECT_EQ(r.cellWidth, 0.0f);
}

TEST_F(ReportSettingsDialogTest, DetailReportKeepsItsMastersPaperAndHasNoPageBands) {
    report::TSestavaTyp master;
    report::TSestDetail& detail = master.addDetail();
    ReportSettingsDialog dialog(detail, ReportSettingsPage::Paper);
    EXPECT_FALSE(child<QSpinBox>(&dialog, "LeftMargin")->isEnabled());
    EXPECT_FALSE(child<QCheckBox>(&dialog, "SectionVisible1")->isEnabled());
    EXPECT_FALSE(child<QSpinBox>(&dialog, "SectionHeight4")->isEnabled());
    EXPECT_TRUE(child<QCheckBox>(&dialog, "SectionVisible2")->isEnabled());
    child<QSpinBox>(&dialog, "LeftMargin")->setValue(200);
    child<QSpinBox>(&dialog, "Columns")->setValue(2);
    dialog.apply(detail);
    EXPECT_EQ(report::paperSettings(), report::PaperSettings{});
    EXPECT_EQ(detail.columns, 2);
}

TEST_F(ReportSettingsDialogTest, FileIsShownWithoutResolvingAnAlias) {
    report::TSestava r;
    r.setReportName("ZBOZI");
    r.setReportDir("C:\\SESTAVY");
    r.designing = true;
    {
        // As this system names the file, not in the program's Windows form.
        ReportSettingsDialog dialog(r, ReportSettingsPage::Report);
        EXPECT_EQ(child<QLabel>(&dialog, "FileName")->text(),
                  QString::fromStdString(pathMapper().toHost("C:\\SESTAVY\\ZBOZI.pts").string()));
        EXPECT_FALSE(child<QLabel>(&dialog, "FileName")->text().contains(u'\\'));
    }
    r.setReportAlias("DATA");
    ReportSettingsDialog dialog(r, ReportSettingsPage::Report);
    EXPECT_EQ(child<QLabel>(&dialog, "FileName")->text(), QStringLiteral("DATA: ZBOZI.pts"));
    EXPECT_TRUE(answers().asked.empty());
}

TEST_F(ReportSettingsDialogTest, LabelSizeFollowsPaperColumnsAndBodyHeight) {
    report::TSestavaTyp r;
    r.section(report::kSectionBody)->height = 142;
    ReportSettingsDialog dialog(r, ReportSettingsPage::Paper);
    auto* size = child<QLabel>(&dialog, "LabelSize");
    // A4 portrait with 50 on each side: 726 printable.
    EXPECT_EQ(size->text(), QStringLiteral("726 x 142"));
    child<QSpinBox>(&dialog, "Columns")->setValue(3);
    child<QSpinBox>(&dialog, "ColumnGap")->setValue(12);
    EXPECT_EQ(size->text(), QStringLiteral("234 x 142"));
    child<QRadioButton>(&dialog, "Landscape")->setChecked(true);
    EXPECT_EQ(size->text(), QStringLiteral("348 x 142"));
    child<QSpinBox>(&dialog, "SectionHeight2")->setValue(100);
    EXPECT_EQ(size->text(), QStringLiteral("348 x 100"));
    // A body without a height (a new template) does not make a label of no height.
    child<QSpinBox>(&dialog, "SectionHeight2")->setValue(0);
    EXPECT_EQ(size->text(), QString::fromUtf8("348 x ? (tělo sestavy zatím nemá výšku)"));
}

TEST_F(ReportSettingsDialogTest, DeletingGroupsAsksAndKeptGroupsTakeTheirElements) {
    report::TSestavaTyp r;
    fillGroups(r);
    const auto before = r.templateLines();
    ReportSettingsDialog dialog(r, ReportSettingsPage::Groups);
    auto* list = child<QListWidget>(&dialog, "Groups");
    ASSERT_EQ(list->count(), 2);
    list->setCurrentRow(0);

    answers().answer = MessageResult::No;
    child<QPushButton>(&dialog, "DeleteGroup")->click();
    ASSERT_EQ(answers().asked.size(), 1u);
    EXPECT_EQ(answers().asked[0].text,
              czech("Opravdu smazat vybranou skupinu včetně případných vložených prvků sestavy?"));
    EXPECT_EQ(answers().asked[0].buttons, unsigned(ButtonYes | ButtonNo));
    EXPECT_EQ(list->count(), 2);

    answers().answer = MessageResult::Yes;
    child<QPushButton>(&dialog, "DeleteGroup")->click();
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("Skupina 1"));
    // The remaining group is the former second one.
    EXPECT_EQ(child<QComboBox>(&dialog, "GroupField")->currentIndex(), 2);
    EXPECT_EQ(child<QSpinBox>(&dialog, "GroupStartHeight")->value(), 40);
    EXPECT_TRUE(child<QCheckBox>(&dialog, "GroupNewPage")->isChecked());
    // Nothing happens to the report before OK.
    EXPECT_EQ(r.templateLines(), before);

    dialog.apply(r);
    ASSERT_EQ(r.groups().count(), 1);
    const report::TPolSkup& kept = *r.groups().item(0);
    EXPECT_EQ(kept.number, 0);
    EXPECT_EQ(kept.field, 2);
    EXPECT_TRUE(kept.newPage);
    EXPECT_EQ(kept.start->index, report::groupStartSection(0));
    EXPECT_EQ(kept.start->height, 40);
    EXPECT_TRUE(kept.start->elements.empty());
    ASSERT_EQ(kept.end->elements.size(), 1u);
    EXPECT_EQ(kept.end->elements[0]->text, "second");
    EXPECT_EQ(r.sections().size(), 7u);
    // The deleted group's function now resets with the report, the kept one's follows it.
    EXPECT_EQ(r.functions().item(0)->definition().reset, report::kResetReport);
    EXPECT_EQ(r.functions().item(1)->definition().reset, report::resetAtGroup(0));
    // The template says the same.
    report::TSestavaTyp reread;
    reread.setPredloha(r.templateLines());
    EXPECT_EQ(reread.templateLines(), r.templateLines());
    EXPECT_EQ(reread.section(report::groupEndSection(0))->elements.size(), 1u);
}

TEST_F(ReportSettingsDialogTest, InsertedGroupsStandAfterTheSelectedOne) {
    report::TSestavaTyp r;
    fillGroups(r);
    ReportSettingsDialog dialog(r, ReportSettingsPage::Groups);
    auto* list = child<QListWidget>(&dialog, "Groups");
    list->setCurrentRow(0);
    child<QPushButton>(&dialog, "InsertGroup")->click();
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->currentRow(), 1);
    EXPECT_EQ(child<QSpinBox>(&dialog, "GroupEndHeight")->value(), 24);
    child<QComboBox>(&dialog, "GroupField")->setCurrentIndex(1);
    dialog.apply(r);
    ASSERT_EQ(r.groups().count(), 3);
    EXPECT_EQ(r.groups().item(0)->start->elements.size(), 1u);
    EXPECT_TRUE(r.groups().item(1)->start->elements.empty());
    EXPECT_EQ(r.groups().item(1)->start->height, 24);
    EXPECT_TRUE(r.groups().item(1)->start->visible);
    EXPECT_EQ(r.groups().item(2)->end->elements.size(), 1u);
    EXPECT_EQ(r.groups().item(2)->end->index, report::groupEndSection(2));
    EXPECT_EQ(r.functions().item(1)->definition().reset, report::resetAtGroup(2));
}

class PaperFormatsTest : public ReportSettingsDialogTest {
protected:
    void SetUp() override {
        ReportSettingsDialogTest::SetUp();
        config_ = fs::temp_directory_path() / ("vorlan_designdlg_" + std::to_string(getpid()));
        fs::create_directories(config_ / "vorlan");
        const char* old = std::getenv("XDG_CONFIG_HOME");
        oldConfig_ = old ? std::optional<std::string>(old) : std::nullopt;
        setenv("XDG_CONFIG_HOME", config_.c_str(), 1);
        std::ofstream(config_ / "vorlan" / "SESTDLL.INI", std::ios::binary)
            << "[EditorSestav]\r\nRastrX=4\r\n[FormatyPapiru]\r\nPocetFormatu=1\r\n"
               "Format1=Obalka,400,300\r\n[Jine]\r\nKlic=hodnota\r\n";
        report::paperFormats().loadUser(report::reportSettingsFile());
    }
    void TearDown() override {
        if (oldConfig_)
            setenv("XDG_CONFIG_HOME", oldConfig_->c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
        report::paperFormats().clearUser();
        fs::remove_all(config_);
        ReportSettingsDialogTest::TearDown();
    }
    std::string settingsText() const {
        std::ifstream in(config_ / "vorlan" / "SESTDLL.INI", std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    fs::path config_;
    std::optional<std::string> oldConfig_;
};

TEST_F(PaperFormatsTest, UserFormatsAreAddedAndDeletedInTheSettingsFileOnly) {
    report::TSestavaTyp r;
    ReportSettingsDialog dialog(r, ReportSettingsPage::Paper);
    auto* formats = child<QListWidget>(&dialog, "PaperFormats");
    const int builtIn = report::kBuiltInPaperFormats;
    ASSERT_EQ(formats->count(), builtIn + 1);
    // A4 is chosen for the A4 paper; built-in formats cannot be deleted.
    EXPECT_GE(formats->currentRow(), 0);
    EXPECT_FALSE(child<QPushButton>(&dialog, "DeleteFormat")->isEnabled());

    // "Ukaž" takes the user format's size.
    formats->setCurrentRow(builtIn);
    EXPECT_TRUE(child<QPushButton>(&dialog, "DeleteFormat")->isEnabled());
    child<QPushButton>(&dialog, "ShowFormat")->click();
    EXPECT_EQ(child<QSpinBox>(&dialog, "PaperWidth")->value(), 400);
    EXPECT_EQ(child<QSpinBox>(&dialog, "PaperHeight")->value(), 300);

    // "Přidej": the paper's size under the name the user gives.
    child<QSpinBox>(&dialog, "PaperWidth")->setValue(583);
    child<QSpinBox>(&dialog, "PaperHeight")->setValue(413);
    answers().input = czech("Pohlednice");
    child<QPushButton>(&dialog, "AddFormat")->click();
    ASSERT_EQ(formats->count(), builtIn + 2);
    EXPECT_EQ(formats->currentRow(), builtIn + 1);
    std::string text = settingsText();
    EXPECT_NE(text.find("PocetFormatu=2"), std::string::npos) << text;
    EXPECT_NE(text.find(czech("Format2=Pohlednice,583,413")), std::string::npos) << text;
    EXPECT_NE(text.find("[Jine]\r\nKlic=hodnota"), std::string::npos) << text;
    EXPECT_NE(text.find("RastrX=4"), std::string::npos) << text;

    // A cancelled name adds nothing.
    answers().input.reset();
    child<QPushButton>(&dialog, "AddFormat")->click();
    EXPECT_EQ(formats->count(), builtIn + 2);

    // "Vynech" asks; No keeps the format.
    formats->setCurrentRow(builtIn);
    answers().answer = MessageResult::No;
    child<QPushButton>(&dialog, "DeleteFormat")->click();
    ASSERT_EQ(answers().asked.size(), 1u);
    EXPECT_EQ(answers().asked[0].text, czech("Zrušit vybraný uživatelský formát?"));
    EXPECT_EQ(formats->count(), builtIn + 2);
    answers().answer = MessageResult::Yes;
    child<QPushButton>(&dialog, "DeleteFormat")->click();
    ASSERT_EQ(formats->count(), builtIn + 1);
    text = settingsText();
    EXPECT_NE(text.find(czech("Format1=Pohlednice,583,413")), std::string::npos) << text;
    EXPECT_EQ(text.find("Obalka"), std::string::npos) << text;
    EXPECT_EQ(text.find("Format2="), std::string::npos) << text;
    EXPECT_NE(text.find("[Jine]\r\nKlic=hodnota"), std::string::npos) << text;
}

} // namespace
} // namespace vorlan::qt
