// The report preview and the print dialog driven offscreen: paging by keys and buttons, the
// page-selection panel, the zoom factors against the paper, printing exactly the page shown,
// the printer and template lists and the dialog's groups.

#include "core/cp1250.h"
#include "core/headless_ui.h"
#include "core/ui_services.h"
#include "data/data_set.h"
#include "data/memory_data_set.h"
#include "report/model.h"
#include "report/paint/report_printer.h"
#include "report/paper/printer_settings.h"
#include "report/run/record_source.h"
#include "ui/qt/report/preview_window.h"
#include "ui/qt/report/print_dialog.h"
#include "ui/qt/report/printer_combo.h"
#include "ui/qt/report/report_operations.h"
#include "ui/qt/report/template_combo.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace vorlan::qt {
namespace {

namespace fs = std::filesystem;
using namespace report;

// A printer that remembers the jobs it got.
class RecordingPrinter : public ReportPrinter {
public:
    struct Job {
        int first, last, copies;
        std::string title;
    };
    explicit RecordingPrinter(std::vector<Job>& jobs) : jobs_(jobs) {}
    int print(TSestVystup& output, const std::string& title) override {
        const PrintRange range = printRangeOf(output);
        jobs_.push_back({range.first, range.last, output.copies, title});
        return kSestOk;
    }
    void writePdf(TSestVystup&, const std::string&, const std::string&) override {}

private:
    std::vector<Job>& jobs_;
};

class Preview : public ::testing::Test {
protected:
    void SetUp() override {
        savedPaper_ = paperSettings();
        savedPrinter_ = printerSettings();
        paperSettings() = PaperSettings{};
        printerSettings().present = true;
        previousUi_ = setUi(std::make_unique<HeadlessUi>(&log_));
        previousPrinter_ = setReportPrinter(std::make_unique<RecordingPrinter>(jobs_));
        setInstalledPrintersForTesting(&printers_);
        text_ = &section_.addElement(&report_);
        text_->kind = kKindText;
    }
    void TearDown() override {
        setInstalledPrintersForTesting(nullptr);
        setReportPrinter(std::move(previousPrinter_));
        setUi(std::move(previousUi_));
        paperSettings() = savedPaper_;
        printerSettings() = savedPrinter_;
    }
    void makePages(int count) {
        output_.clear();
        for (int i = 0; i < count; ++i) {
            output_.addPage();
            output_.pagesStarted = i;
            output_.addElement(text_, 10, 10, 300, 30).setText("Strana " + std::to_string(i + 1));
        }
    }
    void key(PreviewWindow& window, int code, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent event(QEvent::KeyPress, code, modifiers);
        QApplication::sendEvent(&window, &event);
    }

    PaperSettings savedPaper_;
    PrinterSettings savedPrinter_;
    std::ostringstream log_;
    std::unique_ptr<UiServices> previousUi_;
    std::unique_ptr<ReportPrinter> previousPrinter_;
    std::vector<RecordingPrinter::Job> jobs_;
    QList<PrinterEntry> printers_{{"laser", "HP LaserJet", "Kancelář", false},
                                  {"jehlicka", "Local Raw Printer", "Sklad", true}};
    TSestavaTyp report_;
    TOddilSestavy section_{kSectionBody};
    TPrvekSestavy* text_ = nullptr;
    TSestVystup output_;
};

TEST_F(Preview, KeysAndButtonsPageThroughTheOutput) {
    makePages(5);
    PreviewWindow window(output_, "Sestava");
    EXPECT_EQ(window.objectName(), "TFormSestP");
    EXPECT_EQ(window.windowTitle(), QString::fromUtf8("Prohlížení sestavy před tiskem"));
    EXPECT_EQ(window.currentPage(), 0);
    key(window, Qt::Key_PageDown);
    key(window, Qt::Key_PageDown);
    EXPECT_EQ(window.currentPage(), 2);
    key(window, Qt::Key_PageUp);
    EXPECT_EQ(window.currentPage(), 1);
    key(window, Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(window.currentPage(), 4);
    key(window, Qt::Key_PageDown);
    EXPECT_EQ(window.currentPage(), 4); // no page after the last
    key(window, Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(window.currentPage(), 0);
    key(window, Qt::Key_PageUp);
    EXPECT_EQ(window.currentPage(), 0);

    window.button("LastButton")->click();
    EXPECT_EQ(window.currentPage(), 4);
    window.button("PriorButton")->click();
    EXPECT_EQ(window.currentPage(), 3);
    window.button("FirstButton")->click();
    window.button("NextButton")->click();
    EXPECT_EQ(window.currentPage(), 1);
    EXPECT_EQ(window.findChild<QLabel*>("PageNumberPanel")->text(),
              QString::fromUtf8("Stránka: 2"));
    EXPECT_EQ(window.findChild<QLabel*>("PageCountPanel")->text(), QString::fromUtf8("Počet: 5"));
}

TEST_F(Preview, CtrlPageDownOnOnePageStaysOnPageOne) {
    makePages(1);
    PreviewWindow window(output_, "Sestava");
    key(window, Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(window.currentPage(), 0);
    key(window, Qt::Key_PageDown);
    EXPECT_EQ(window.currentPage(), 0);
}

TEST_F(Preview, EveryButtonCarriesItsHint) {
    makePages(1);
    PreviewWindow window(output_, "Sestava");
    const std::vector<std::pair<const char*, const char*>> hints{
        {"CloseButton", "Ukončení"},      {"EditButton", "Oprava předlohy"},
        {"PrintButton", "Tisk sestavy"},  {"PdfButton", "Uložit jako PDF"},
        {"FirstButton", "První stránka"}, {"PriorButton", "Předchozí stránka"},
        {"NextButton", "Další stránka"},  {"LastButton", "Poslední stránka"}};
    for (const auto& [name, hint] : hints) {
        QToolButton* button = window.button(name);
        ASSERT_NE(button, nullptr) << name;
        EXPECT_EQ(button->toolTip(), QString::fromUtf8(hint)) << name;
    }
    for (int percent : kPreviewZoomPercents) {
        QToolButton* zoom = window.button(QStringLiteral("Zoom%1").arg(percent));
        ASSERT_NE(zoom, nullptr) << percent;
        EXPECT_EQ(zoom->text(), QString::number(percent));
        EXPECT_EQ(zoom->toolTip(), QString::fromUtf8("Zobrazení v měřítku [%]"));
    }
}

TEST_F(Preview, PageSelectionJumpsWithinTheOutputAndEscClosesItFirst) {
    makePages(10);
    PreviewWindow window(output_, "Sestava");
    window.show();
    window.jumpTo("7");
    EXPECT_EQ(window.currentPage(), 6);
    window.jumpTo("0");
    EXPECT_EQ(window.currentPage(), 0);
    window.jumpTo("500");
    EXPECT_EQ(window.currentPage(), 9);
    window.jumpTo("abc");
    EXPECT_EQ(window.currentPage(), 9);

    QLabel* panel = window.findChild<QLabel*>("PageNumberPanel");
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), panel->mapToGlobal(QPointF(2, 2)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(panel, &press);
    ASSERT_TRUE(window.pageSelectionOpen());
    auto* edit = window.findChild<QLineEdit*>("PageNumberEdit");
    EXPECT_EQ(edit->text(), "10");
    edit->setText("3");
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(edit, &enter);
    EXPECT_EQ(window.currentPage(), 2);
    EXPECT_FALSE(window.pageSelectionOpen());

    window.openPageSelection();
    key(window, Qt::Key_Escape);
    EXPECT_FALSE(window.pageSelectionOpen());
    EXPECT_TRUE(window.isVisible());
    key(window, Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(Preview, ZoomSizesThePaperAtTheScreensResolution) {
    makePages(1);
    PreviewWindow window(output_, "Sestava");
    PreviewPage* page = window.page();
    const double dpiX = page->logicalDpiX(), dpiY = page->logicalDpiY();
    EXPECT_EQ(window.zoomPercent(), 100);
    EXPECT_EQ(page->size(), QSize(qRound(826 * dpiX / 100), qRound(1169 * dpiY / 100)));
    for (int percent : kPreviewZoomPercents) {
        window.button(QStringLiteral("Zoom%1").arg(percent))->click();
        const double zoom = percent / 100.0;
        EXPECT_DOUBLE_EQ(page->zoom(), zoom);
        EXPECT_EQ(page->size(),
                  QSize(qRound(826 * zoom * dpiX / 100), qRound(1169 * zoom * dpiY / 100)));
    }
    window.setZoomPercent(77); // not a zoom button: nothing changes
    EXPECT_EQ(window.zoomPercent(), 300);

    paperSettings().orientation = 1; // landscape turns the sheet
    window.setZoomPercent(100);
    EXPECT_EQ(page->size(), QSize(qRound(1169 * dpiX / 100), qRound(826 * dpiY / 100)));
    const QRectF area = page->printableArea();
    EXPECT_NEAR(area.left(), 50 * dpiX / 100, 1e-9);
    EXPECT_NEAR(area.width(), (1169 - 100) * dpiX / 100, 1e-9);
}

TEST_F(Preview, OnlyThePageShownIsDrawnSoLongRunsOpenAtOnce) {
    // Counted rather than timed: a clock failed this on a loaded machine with the sanitizers.
    makePages(2000);
    PreviewWindow window(output_, "Sestava");
    window.show();
    QApplication::processEvents();
    window.page()->repaint();
    EXPECT_GE(window.page()->pagesDrawn(), 1);
    EXPECT_LE(window.page()->pagesDrawn(), 3);
}

TEST_F(Preview, PrintingTheCurrentPagePrintsExactlyThePageShown) {
    makePages(6);
    output_.copies = 2;
    PreviewWindow window(output_, "Sestava");
    window.showPage(3);
    PrintDialogTyp seen;
    window.executePrintDialog = [&](PrintDialogTyp& options) {
        seen = options;
        options.currentPageOnly = true;
        options.printerIndex = 0;
        return PrintDialogResult::Print;
    };
    window.print();
    ASSERT_EQ(jobs_.size(), 1u);
    EXPECT_EQ(jobs_[0].first, 4);
    EXPECT_EQ(jobs_[0].last, 4);
    EXPECT_EQ(jobs_[0].copies, 2);
    EXPECT_EQ(jobs_[0].title, czech("Tisková sestava"));
    EXPECT_EQ(printerSettings().name, "laser");
    // The dialog was prefilled from the output and the current printer (the default one).
    EXPECT_EQ(seen.firstPage, 1);
    EXPECT_EQ(seen.lastPage, 6);
    EXPECT_EQ(seen.copies, 2);
    EXPECT_EQ(seen.printerIndex, 1);
    // The preview keeps all its pages and its range.
    EXPECT_EQ(output_.pageCount(), 6);
    EXPECT_EQ(output_.lastPage, TSestVystup::kLastPageDefault);

    window.executePrintDialog = [](PrintDialogTyp& options) {
        options.firstPage = 2;
        options.lastPage = 5;
        options.copies = 1;
        return PrintDialogResult::Print;
    };
    window.print();
    ASSERT_EQ(jobs_.size(), 2u);
    EXPECT_EQ(jobs_[1].first, 2);
    EXPECT_EQ(jobs_[1].last, 5);

    window.executePrintDialog = [](PrintDialogTyp&) { return PrintDialogResult::Cancelled; };
    window.print();
    EXPECT_EQ(jobs_.size(), 2u);
    EXPECT_EQ(window.editResult(), 0);
}

TEST_F(Preview, EditRequestClosesTheWindowWithResultOne) {
    makePages(2);
    PreviewWindow window(output_, "Sestava");
    window.show();
    window.button("EditButton")->click();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.editResult(), 1);

    PreviewWindow fromDialog(output_, "Sestava");
    fromDialog.executePrintDialog = [](PrintDialogTyp&) { return PrintDialogResult::EditTemplate; };
    fromDialog.print();
    EXPECT_EQ(fromDialog.editResult(), 1);
    EXPECT_TRUE(jobs_.empty());
}

TEST_F(Preview, WithoutAPrinterPrintingSaysSoAndPrintsNothing) {
    makePages(2);
    printerSettings().present = false;
    QList<PrinterEntry> none;
    setInstalledPrintersForTesting(&none);
    PreviewWindow window(output_, "Sestava");
    // The dialog is offered with the PDF file as the destination; a user who turns it down
    // for a printer that is not there is told so.
    bool offeredPdf = false;
    window.executePrintDialog = [&](PrintDialogTyp& options) {
        offeredPdf = options.printToFile;
        options.printToFile = false;
        return PrintDialogResult::Print;
    };
    window.print();
    EXPECT_TRUE(offeredPdf);
    EXPECT_TRUE(jobs_.empty());
    EXPECT_NE(log_.str().find("Není vybrána žádná předvolená tiskárna."), std::string::npos);

    TSestava report;
    TSestVystup output;
    EXPECT_EQ(printReport(report, output), kSestNoPrinter);
}

TEST_F(Preview, ReportOperationsRunThenPrintOrSkipThePreviewHeadless) {
    TSestava report;
    report.popis = czech("Měsíční přehled");
    report.setPredloha({"I,1,4,0,0", "I,2,0,826,1169,50,50,70,70,1,0,0", "I,3,3,1,20,0",
                        "K,1,0,0,0,100,20,Arial CE,10,0,0,0,0,238,\"Konec\",0"});
    TSestVystup output;
    // The template is already in memory: nothing to load.
    report.onNactiPredlohu = [](TSestava&) { return true; };
    auto table = data::MemoryDataSet::fromCsvText("N\n1\n2\n");
    table->open();
    data::DataSource source(table.get());
    DataSetRecords records(&source);
    report.setDataSource(&records);
    EXPECT_EQ(printReport(report, output), kSestOk);
    ASSERT_EQ(jobs_.size(), 1u);
    EXPECT_EQ(jobs_[0].title, report.popis);
    EXPECT_EQ(jobs_[0].first, 1);
    EXPECT_EQ(jobs_[0].last, 1);

    bool edit = true;
    EXPECT_EQ(previewReport(report, output, {}, &edit), kSestOk);
    EXPECT_FALSE(edit);
    EXPECT_EQ(output.pageCount(), 1); // laid out, but nobody to show it to
    EXPECT_EQ(jobs_.size(), 1u);
}

// A desktop that answers dialogs by their defaults: windows are shown, nothing waits for a user.
class UnattendedDesktop : public HeadlessUi {
public:
    using HeadlessUi::HeadlessUi;
    bool headless() const override { return false; }
};

// A printer that looks for the status window while it has the job.
class WatchingPrinter : public ReportPrinter {
public:
    explicit WatchingPrinter(std::vector<QString>& seen) : seen_(seen) {}
    int print(TSestVystup&, const std::string&) override {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == "PrintStatus" && w->isVisible())
                if (auto* text = w->findChild<QLabel*>("PrintStatusText"))
                    seen_.push_back(text->text());
        return kSestOk;
    }
    void writePdf(TSestVystup&, const std::string&, const std::string&) override {}

private:
    std::vector<QString>& seen_;
};

TEST_F(Preview, SendingTheJobShowsItsStatusOnTheDesktopOnly) {
    makePages(3);
    std::vector<QString> seen;
    setReportPrinter(std::make_unique<WatchingPrinter>(seen));
    const auto print = [&] {
        return printFromPreview(output_, nullptr,
                                [](PrintDialogTyp&) { return PrintDialogResult::Print; });
    };
    // Headless: nobody to tell.
    EXPECT_EQ(print(), PrintDialogResult::Print);
    EXPECT_TRUE(seen.empty());

    auto headless = setUi(std::make_unique<UnattendedDesktop>(&log_));
    EXPECT_EQ(print(), PrintDialogResult::Print);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], QString::fromUtf8("Odesílám data do tiskárny ..."));
    // Gone once the job is handed over.
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "PrintStatus") {
            EXPECT_FALSE(w->isVisible());
        }
    setUi(std::move(headless));
}

class PrintDialog : public Preview {};

TEST_F(PrintDialog, PrinterComboShowsTypeAndPlaceOfTheChosenPrinter) {
    PrintDialogTyp options;
    SestPrintDlg dialog(options, nullptr);
    ASSERT_EQ(dialog.printers()->count(), 3);        // the two printers and the PDF file
    EXPECT_EQ(dialog.printers()->currentIndex(), 1); // the default printer
    EXPECT_EQ(dialog.printerType()->text(), "Local Raw Printer");
    EXPECT_EQ(dialog.printerLocation()->text(), "Sklad");
    dialog.printers()->setCurrentIndex(0);
    EXPECT_EQ(dialog.printerType()->text(), "HP LaserJet");
    EXPECT_EQ(dialog.printerLocation()->text(), QString::fromUtf8("Kancelář"));
}

TEST_F(PrintDialog, WithoutPrintersThePdfFileIsChosenAndPrintsToAFile) {
    QList<PrinterEntry> none;
    setInstalledPrintersForTesting(&none);
    PrintDialogTyp options;
    SestPrintDlg dialog(options, nullptr);
    ASSERT_EQ(dialog.printers()->count(), 1);
    EXPECT_EQ(dialog.printers()->currentText(), QString::fromUtf8("PDF soubor"));
    EXPECT_TRUE(dialog.findChild<QPushButton*>("PrintButton")->isEnabled());
    EXPECT_FALSE(dialog.findChild<QPushButton*>("PropertiesButton")->isEnabled());
    dialog.store(options);
    EXPECT_TRUE(options.printToFile);
    EXPECT_EQ(options.printerIndex, -1);

    // Nothing selected, nothing to print on.
    dialog.printers()->setCurrentIndex(-1);
    EXPECT_FALSE(dialog.findChild<QPushButton*>("PrintButton")->isEnabled());
}

TEST_F(PrintDialog, ThePdfFileLeavesTheFileChoiceOfPrintersAsTheUserSetIt) {
    PrintDialogTyp options;
    SestPrintDlg dialog(options, nullptr);
    auto* toFile = dialog.findChild<QCheckBox*>("PrintToFile");
    EXPECT_FALSE(toFile->isChecked());
    dialog.printers()->setCurrentIndex(2);
    EXPECT_TRUE(toFile->isChecked());
    EXPECT_FALSE(toFile->isEnabled());
    dialog.printers()->setCurrentIndex(0);
    EXPECT_FALSE(toFile->isChecked());
    EXPECT_TRUE(toFile->isEnabled());
    dialog.store(options);
    EXPECT_FALSE(options.printToFile);
    EXPECT_EQ(options.printerIndex, 0);
}

TEST_F(PrintDialog, ChosenValuesComeBackOnlyWithAnAnswer) {
    PrintDialogTyp options;
    options.firstPage = 2;
    options.lastPage = 8;
    options.copies = 3;
    SestPrintDlg dialog(options, nullptr);
    auto* currentPage = dialog.findChild<QCheckBox*>("CurrentPageOnly");
    auto* from = dialog.findChild<QSpinBox*>("FromPage");
    EXPECT_EQ(from->value(), 2);
    EXPECT_EQ(dialog.findChild<QSpinBox*>("ToPage")->value(), 8);
    EXPECT_EQ(dialog.findChild<QSpinBox*>("Copies")->value(), 3);
    currentPage->setChecked(true);
    EXPECT_FALSE(from->isEnabled()); // the current page leaves no range to choose
    dialog.findChild<QCheckBox*>("OneRecordOnly")->setChecked(true);
    dialog.findChild<QCheckBox*>("PrintToFile")->setChecked(true);
    dialog.printers()->setCurrentIndex(0);
    dialog.press(PrintDialogResult::Preview);
    EXPECT_EQ(dialog.answer(), PrintDialogResult::Preview);
    dialog.store(options);
    EXPECT_TRUE(options.currentPageOnly);
    EXPECT_TRUE(options.oneRecordOnly);
    EXPECT_TRUE(options.printToFile);
    EXPECT_EQ(options.printerIndex, 0);
    EXPECT_EQ(options.copies, 3);
}

TEST_F(PrintDialog, HiddenGroupsGiveTheirRoomBack) {
    PrintDialogTyp all;
    SestPrintDlg full(all, nullptr);
    PrintDialogTyp some;
    some.setShown(PrintDialogPart::Template, false);
    some.setShown(PrintDialogPart::Printer, false);
    SestPrintDlg small(some, nullptr);
    EXPECT_TRUE(small.printerGroup()->isHidden());
    EXPECT_TRUE(small.templateGroup()->isHidden());
    EXPECT_FALSE(small.rangeGroup()->isHidden());
    EXPECT_EQ(small.rangeGroup()->y(), 8); // stacked from the top
    EXPECT_EQ(full.height() - small.height(),
              full.printerGroup()->height() + full.templateGroup()->height() + 16);
}

TEST(TemplateList, DescriptionsOfTheFolderTemplatesAndTheReportsOwnSelected) {
    const fs::path dir =
        fs::temp_directory_path() / ("vorlan-templates-" + std::to_string(getpid()));
    fs::create_directories(dir);
    TSestava report;
    report.popis = czech("Přehled faktur");
    report.updatePredloha();
    {
        std::ofstream out(dir / "FAKTURY.PTS", std::ios::binary);
        for (const std::string& line : report.templateLines())
            out << line << "\r\n";
        std::ofstream damaged(dir / "ZLOMENA.pts", std::ios::binary);
        damaged << "\x01\x02 not a template\n";
        std::ofstream other(dir / "readme.txt");
        other << "x";
    }
    ComboBoxPredloha combo;
    combo.programDir = dir.string();
    report.setReportName("zlomena");
    combo.report = &report;
    combo.fill();
    ASSERT_EQ(combo.count(), 2);
    EXPECT_EQ(combo.itemText(0), QString::fromUtf8("Přehled faktur"));
    EXPECT_EQ(combo.itemText(1), "ZLOMENA.pts"); // listed without a description
    EXPECT_EQ(combo.selectedFileName(), "ZLOMENA.pts");

    combo.setReportMask("*.txt");
    EXPECT_EQ(combo.reportMask(), "*.pts");
    combo.setReportDir("C:\\SESTAVY");
    EXPECT_EQ(combo.reportDir(), "C:\\SESTAVY\\");

    combo.onNactiSeznam = [](ComboBoxPredloha& list) { list.addTemplate("Vlastni", "A.PTS"); };
    combo.fill();
    ASSERT_EQ(combo.count(), 1);
    EXPECT_EQ(combo.selectedFileName(), "A.PTS");
    fs::remove_all(dir);
}

} // namespace
} // namespace vorlan::qt
