// The database window as a user sees it: captions of a closed area, the index box, the toolbar
// with and without a filter, the status line and the memo window on Enter.
#include "core/cp1250.h"
#include "core/headless_ui.h"
#include "core/path_mapper.h"
#include "core/ui_services.h"
#include "data/engine.h"
#include "dbf/table.h"
#include "dbf/temp_dir.h"
#include "report/paint/report_printer.h"
#include "report/paper/printer_settings.h"
#include "tables/engine_registry.h"
#include "ui/qt/dbf/dbf_report.h"
#include "ui/qt/dbf/dbf_window.h"
#include "window_models/dbf/work_areas.h"
#include "window_models/recording_ui.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QToolButton>

#include <cstdlib>
#include <fstream>

#include <gtest/gtest.h>

using namespace vorlan;

namespace {

class DbfWindowTest : public ::testing::Test {
protected:
    // The grid follows its table only while the window is shown.
    void SetUp() override { window.show(); }

    // A table of `count` records with a name, a number and a memo, and the given tags.
    std::string makeTable(int count, const std::vector<std::pair<std::string, std::string>>& tags) {
        const auto path = dir / "ZBOZI.DBF";
        auto t = dbf::Table::create(path, {{"NAZEV", 'C', 12}, {"CENA", 'N', 8, 2}, {"POZN", 'M'}});
        for (int i = 1; i <= count; ++i) {
            t->append();
            t->setString(0, "Vec " + std::to_string(count - i));
            t->setNumber(1, i);
            if (i == 1) t->setMemo(2, "prvni\r\ndruha");
        }
        for (const auto& [tag, key] : tags)
            t->createTag(tag, key);
        return path.string();
    }

    void press(QWidget* widget, int key) {
        QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(widget, &down);
    }

    dbftest::TempDir dir;
    windows::DbfWorkAreas areas;
    qt::DbfWindow window{areas};
};

TEST_F(DbfWindowTest, SelectingAClosedAreaShowsItsCaptionAndPanelText) {
    ASSERT_TRUE(areas.use(makeTable(3, {})));
    EXPECT_TRUE(window.windowTitle().startsWith(QString::fromUtf8("Databáze ")));
    // The file as this system names it.
    EXPECT_FALSE(window.windowTitle().contains(u'\\'));
    EXPECT_TRUE(window.windowTitle().contains(u'/'));
    EXPECT_FALSE(window.grid()->isHidden());
    window.selectAreaClicked(2);
    EXPECT_EQ(areas.selected(), 2);
    EXPECT_EQ(window.windowTitle(), QString::fromUtf8("Databáze"));
    EXPECT_TRUE(window.grid()->isHidden());
    EXPECT_EQ(window.panelCaption()->text(),
              QString::fromUtf8("V datové oblasti <2> není načtena žádná databáze !"));
    EXPECT_FALSE(window.indexBox()->isEnabled());
    // Back to area 1: its table and position are still there.
    window.selectAreaClicked(1);
    EXPECT_FALSE(window.grid()->isHidden());
    EXPECT_EQ(window.statusLabel()->text(), QStringLiteral("1/3"));
}

TEST_F(DbfWindowTest, ThreeTagsFillTheIndexBoxAndTheSecondBecomesOrderTwo) {
    ASSERT_TRUE(areas.use(makeTable(
        4, {{"JMENO", "UPPER(NAZEV)"}, {"CENA", "CENA"}, {"OBOJI", "NAZEV + STR(CENA, 8, 2)"}})));
    // Items in order-number sequence: tags are numbered in the order they were made.
    QComboBox* box = window.indexBox();
    ASSERT_EQ(box->count(), 4);
    EXPECT_EQ(box->itemText(0), QStringLiteral("<bez indexu>"));
    EXPECT_EQ(box->itemText(1), QStringLiteral("JMENO : UPPER(NAZEV)"));
    EXPECT_EQ(box->itemText(2), QStringLiteral("CENA : CENA"));
    EXPECT_EQ(box->itemText(3), QStringLiteral("OBOJI : NAZEV + STR(CENA, 8, 2)"));
    // The order current before filling stays current.
    EXPECT_EQ(box->currentIndex(), areas.current()->access().indexOrd());
    window.indexChosen(2);
    EXPECT_EQ(areas.current()->access().indexOrd(), 2);
    // The grid follows the order: by price, the cheapest first.
    EXPECT_EQ(window.grid()->model()->data(window.grid()->model()->index(0, 1)).toString(),
              QStringLiteral("1,00"));
    window.indexChosen(1);
    // By name, the first row is the last record.
    EXPECT_EQ(window.grid()->model()->data(window.grid()->model()->index(0, 0)).toString(),
              QStringLiteral("Vec 0       "));
    window.indexChosen(0);
    EXPECT_EQ(areas.current()->access().indexOrd(), 0);
}

TEST_F(DbfWindowTest, TheGridReadsRowsWithoutMovingTheCurrentRecord) {
    ASSERT_TRUE(areas.use(makeTable(5, {})));
    data::TDataTable& table = *areas.current();
    table.access().go(3);
    table.table().edit();
    table.table().fieldByName("NAZEV")->setAsString("Zmena");
    const tables::EngineTable* engineTable = data::engine().table(table.table().workArea());
    const std::uint32_t enginePointer = engineTable->recNo();

    QAbstractItemModel* model = window.grid()->model();
    ASSERT_EQ(model->rowCount(), 5);
    for (int row = model->rowCount() - 1; row >= 0; --row) {
        for (int column = 0; column < model->columnCount(); ++column)
            model->data(model->index(row, column));
        model->headerData(row, Qt::Vertical);
    }
    EXPECT_EQ(model->data(model->index(4, 0)).toString(), QStringLiteral("Vec 0       "));
    EXPECT_EQ(model->data(model->index(0, 2)).toString(), QStringLiteral("(memo)"));
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("CENA"));

    EXPECT_EQ(table.table().recNo(), 3u);
    EXPECT_EQ(engineTable->recNo(), enginePointer);
    table.table().post();
    EXPECT_EQ(table.table().fieldByName("NAZEV")->asString(), "Zmena");
    EXPECT_EQ(table.access().recNo(), 3u);
}

TEST_F(DbfWindowTest, ToolbarGrowsWithAFilterAndShrinksWithout) {
    ASSERT_TRUE(areas.use(makeTable(5, {})));
    EXPECT_EQ(window.toolbar()->height(), 32);
    areas.setFilter("CENA > 2");
    EXPECT_EQ(window.toolbar()->height(), 62);
    EXPECT_EQ(window.filterLine()->text(), QStringLiteral("CENA > 2"));
    EXPECT_EQ(window.grid()->model()->rowCount(), 3);
    // A bad expression changes nothing.
    areas.setFilter("NENI > 2");
    EXPECT_EQ(window.filterLine()->text(), QStringLiteral("CENA > 2"));
    // Another area has no filter; coming back shows it again.
    window.selectAreaClicked(3);
    EXPECT_EQ(window.toolbar()->height(), 32);
    window.selectAreaClicked(1);
    EXPECT_EQ(window.toolbar()->height(), 62);
    areas.setFilter("");
    EXPECT_EQ(window.toolbar()->height(), 32);
    EXPECT_EQ(window.grid()->model()->rowCount(), 5);
}

TEST_F(DbfWindowTest, StatusLineShowsDeletedAndLocked) {
    ASSERT_TRUE(areas.use(makeTable(120, {})));
    data::TDbfAccess& a = areas.current()->access();
    a.go(5);
    EXPECT_EQ(window.statusLabel()->text(), QStringLiteral("5/120"));
    a.deleteRecord();
    ASSERT_TRUE(a.rlock());
    window.refresh();
    EXPECT_EQ(window.statusLabel()->text(), QStringLiteral("5/120 [Deleted] [Locked]"));
    a.unlock(0);
}

TEST_F(DbfWindowTest, EnterOnAMemoColumnOpensTheReadOnlyMemoWindow) {
    const std::string path = makeTable(2, {});
    ASSERT_TRUE(areas.use(path));
    std::string shownField, shownCaption;
    int shown = 0;
    window.setMemoViewer(
        [&](data::TDataTable&, const std::string& field, const std::string& caption) {
            ++shown;
            shownField = field;
            shownCaption = caption;
        });
    window.grid()->setCurrentIndex(window.grid()->model()->index(0, 0));
    press(window.grid(), Qt::Key_Return);
    EXPECT_EQ(shown, 0);
    window.grid()->setCurrentIndex(window.grid()->model()->index(0, 2));
    press(window.grid(), Qt::Key_Return);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(shownField, "POZN");
    EXPECT_NE(shownCaption.find(" -> POZN"), std::string::npos);
    EXPECT_NE(shownCaption.find("ZBOZI.DBF"), std::string::npos);
}

// A desktop whose dialogs answer themselves: windows really open, message boxes are logged.
class UnattendedDesktop : public HeadlessUi {
public:
    using HeadlessUi::HeadlessUi;
    bool headless() const override { return false; }
};

class DesktopScope {
public:
    explicit DesktopScope(std::ostream* log)
        : previous_(setUi(std::make_unique<UnattendedDesktop>(log))) {}
    ~DesktopScope() { setUi(std::move(previous_)); }

private:
    std::unique_ptr<UiServices> previous_;
};

// What the memo window showed while it was open; it is closed with Esc.
struct ShownMemo {
    QString title, text;
    bool readOnly = false, buttonsShown = true, opened = false;
};

void inspectMemoWindowWhenOpen(ShownMemo& shown) {
    QTimer::singleShot(0, [&shown] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) return;
        shown.opened = true;
        shown.title = modal->windowTitle();
        if (auto* memo = modal->findChild<QPlainTextEdit*>()) {
            shown.text = memo->toPlainText();
            shown.readOnly = memo->isReadOnly();
        }
        shown.buttonsShown = false;
        for (QPushButton* button : modal->findChildren<QPushButton*>())
            shown.buttonsShown = shown.buttonsShown || button->isVisible();
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(modal->focusWidget() ? modal->focusWidget() : modal, &escape);
    });
}

TEST_F(DbfWindowTest, EnterOpensTheRealMemoWindowAndAnUnreadableMemoGivesTheMessage) {
    std::ostringstream log;
    DesktopScope desktop(&log);
    const std::string path = makeTable(2, {});
    ASSERT_TRUE(areas.use(path));
    window.grid()->setCurrentIndex(window.grid()->model()->index(0, 2));
    ShownMemo shown;
    inspectMemoWindowWhenOpen(shown);
    press(window.grid(), Qt::Key_Return);
    ASSERT_TRUE(shown.opened);
    EXPECT_TRUE(shown.title.endsWith(QStringLiteral("ZBOZI.DBF -> POZN")))
        << shown.title.toStdString();
    EXPECT_EQ(shown.text, QStringLiteral("prvni\ndruha"));
    EXPECT_TRUE(shown.readOnly);
    EXPECT_FALSE(shown.buttonsShown);
    EXPECT_EQ(log.str().find("64 Kb"), std::string::npos);
    areas.use({});

    // The first record's memo block claims more bytes than the memo file holds.
    {
        std::fstream table(path, std::ios::in | std::ios::out | std::ios::binary);
        char header[12];
        table.read(header, sizeof header);
        const int headerSize =
            static_cast<unsigned char>(header[8]) | static_cast<unsigned char>(header[9]) << 8;
        table.seekg(headerSize + 1 + 12 + 8);
        char pointer[11] = {};
        table.read(pointer, 10);
        std::fstream memo(dir / "ZBOZI.FPT", std::ios::in | std::ios::out | std::ios::binary);
        unsigned char fpt[8];
        memo.read(reinterpret_cast<char*>(fpt), sizeof fpt);
        const long blockSize = fpt[6] << 8 | fpt[7];
        memo.seekp(std::atol(pointer) * blockSize + 4);
        memo.write("\x00\xff\xff\xff", 4);
    }
    ASSERT_TRUE(areas.use(path));
    window.grid()->setCurrentIndex(window.grid()->model()->index(0, 2));
    ShownMemo unreadable;
    inspectMemoWindowWhenOpen(unreadable);
    press(window.grid(), Qt::Key_Return);
    EXPECT_FALSE(unreadable.opened);
    EXPECT_NE(log.str().find("Memopoložku delší než 64 Kb"), std::string::npos) << log.str();
    // The window goes on working: the next record's memo opens.
    window.grid()->setCurrentIndex(window.grid()->model()->index(1, 2));
    ShownMemo next;
    inspectMemoWindowWhenOpen(next);
    press(window.grid(), Qt::Key_Return);
    EXPECT_TRUE(next.opened);
}

TEST(DbfWindowGauge, FollowsTheEnginesProgressOnTheDesktopOnly) {
    dbftest::TempDir dir;
    {
        auto t = dbf::Table::create(dir / "VELKA.DBF", {{"A", 'C', 250}, {"B", 'C', 250}});
        for (int i = 0; i < 6000; ++i) {
            t->append();
            if (i % 2) t->deleteRecord();
        }
    }
    {
        windows::DbfWorkAreas areas;
        qt::DbfWindow window{areas};
        // Headless: nobody listens to the engine.
        EXPECT_FALSE(tables::setProgressListener({}));
    }
    std::ostringstream log;
    DesktopScope desktop(&log);
    windows::DbfWorkAreas areas;
    qt::DbfWindow window{areas};
    window.show();
    ASSERT_TRUE(areas.use((dir / "VELKA.DBF").string()));
    EXPECT_TRUE(window.gauge()->isHidden());
    tables::ProgressListener shown = tables::setProgressListener({});
    ASSERT_TRUE(shown);
    std::vector<std::pair<int, bool>> seen; // the gauge's value and visibility at each report
    tables::setProgressListener([&](int percent) {
        shown(percent);
        seen.emplace_back(window.gauge()->value(), window.gauge()->isVisible());
    });
    areas.current()->access().pack();
    ASSERT_GE(seen.size(), 3u);
    EXPECT_EQ(seen.front(), std::make_pair(0, true));
    EXPECT_EQ(seen[seen.size() - 2], std::make_pair(100, true));
    EXPECT_FALSE(seen.back().second); // hidden when the work is over
    EXPECT_TRUE(window.gauge()->isHidden());
    EXPECT_EQ(areas.current()->access().recCount(), 3000u);
}

// A printer that remembers the titles of the jobs it got.
class JobTitles : public report::ReportPrinter {
public:
    explicit JobTitles(std::vector<std::string>& titles) : titles_(titles) {}
    int print(report::TSestVystup&, const std::string& title) override {
        titles_.push_back(title);
        return report::kSestOk;
    }
    void writePdf(report::TSestVystup&, const std::string&, const std::string&) override {}

private:
    std::vector<std::string>& titles_;
};

TEST_F(DbfWindowTest, DbfReportPreviewsOnTheDesktopAndPrintsOtherwise) {
    std::ostringstream log;
    DesktopScope desktop(&log);
    ASSERT_TRUE(areas.use(makeTable(3, {})));
    {
        std::ofstream pts(dir / "SEZNAM.PTS", std::ios::binary);
        pts << "I,1,4,0,0\r\nI,2,0,826,1169,50,50,70,70,1,0,0\r\nI,3,2,1,300,0\r\n"
               "T,2,0,0,0,300,20,Arial,10,0,0,0,0,238,\"\",0\r\n";
    }
    std::vector<std::string> jobs;
    auto previousPrinter = report::setReportPrinter(std::make_unique<JobTitles>(jobs));
    const report::PrinterSettings savedPrinter = report::printerSettings();
    report::printerSettings().present = true;

    QString shown;
    QTimer::singleShot(0, [&shown] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            shown = modal->objectName();
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(modal, &escape);
        }
    });
    const std::string pts = (dir / "SEZNAM.PTS").string();
    EXPECT_TRUE(qt::runDbfReport(areas, pts, true));
    EXPECT_EQ(shown, QStringLiteral("TFormSestP"));
    EXPECT_TRUE(jobs.empty()); // looked at, not printed

    EXPECT_TRUE(qt::runDbfReport(areas, pts, false));
    EXPECT_EQ(jobs.size(), 1u);
    // A missing template prints nothing.
    EXPECT_FALSE(qt::runDbfReport(areas, (dir / "CHYBI.PTS").string(), false));
    EXPECT_EQ(jobs.size(), 1u);

    report::printerSettings() = savedPrinter;
    report::setReportPrinter(std::move(previousPrinter));
}

TEST_F(DbfWindowTest, ShowDeletedSwitchChecksTheMenuItem) {
    ASSERT_TRUE(areas.use(makeTable(3, {})));
    areas.setShowDeleted(false);
    EXPECT_FALSE(window.showDeletedItem()->isChecked());
    areas.setShowDeleted(true);
    EXPECT_TRUE(window.showDeletedItem()->isChecked());
}

TEST_F(DbfWindowTest, TheReportButtonAsksForTheTemplateThenOpensItInTheDesigner) {
    ASSERT_TRUE(areas.use(makeTable(2, {})));
    std::ofstream(dir / "LIST.PTS", std::ios::binary) << "I,1,4,0,0\r\nI,3,2,1,20,0\r\n";
    test_support::RecordingUiScope ui; // headless: the designer itself is not shown
    auto* button = window.findChild<QToolButton*>(QStringLiteral("PrintButton"));
    ASSERT_NE(button, nullptr);
    // The input box offers the area's last name; its answer becomes the area's name.
    areas.setReportName(1, pathMapper().toProgram(dir / "LIST.PTS"));
    button->click();
    EXPECT_TRUE(ui->messages.empty());
    EXPECT_EQ(areas.reportName(1), pathMapper().toProgram(dir / "LIST.PTS"));

    // A template that does not exist and is not to be created: nothing to design.
    areas.setReportName(1, pathMapper().toProgram(dir / "NENI.PTS"));
    button->click();
    ASSERT_FALSE(ui->messages.empty());
    EXPECT_EQ(ui->messages.back().caption, "Chyba");
    EXPECT_NE(ui->messages.back().text.find(czech(" nelze vytvořit")), std::string::npos);
}

TEST(DbfWindowHidden, GridWalksTheTableOnlyOnceTheWindowIsShown) {
    dbftest::TempDir dir;
    {
        auto t = dbf::Table::create(dir / "VELKA.DBF", {{"A", 'C', 4}});
        for (int i = 0; i < 50; ++i)
            t->append();
    }
    windows::DbfWorkAreas areas;
    qt::DbfWindow window{areas};
    ASSERT_TRUE(areas.use((dir / "VELKA.DBF").string()));
    areas.current()->access().go(7);
    EXPECT_EQ(window.grid()->model()->rowCount(), 0);
    // Opening sets the status line once; moves of a hidden window's table do not reach it.
    EXPECT_EQ(window.statusLabel()->text(), QStringLiteral("1/50"));
    window.show();
    EXPECT_EQ(window.grid()->model()->rowCount(), 50);
    EXPECT_EQ(window.statusLabel()->text(), QStringLiteral("7/50"));
}

} // namespace
