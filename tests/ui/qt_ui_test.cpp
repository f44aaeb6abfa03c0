#include "core/cp1250.h"
#include "ui/qt/about_box.h"
#include "ui/qt/app_exception.h"
#include "ui/qt/qt_ui.h"
#include "window_models/recording_ui.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>

using namespace vorlan;
namespace fs = std::filesystem;

namespace {

fs::path scratch(const std::string& name) {
    const fs::path folder =
        fs::temp_directory_path() / ("vorlan_qtui_" + std::to_string(::getpid()) + "_" + name);
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

int pdfPages(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    static const std::regex page("/Type\\s*/Page[^s]");
    return int(std::distance(std::sregex_iterator(bytes.begin(), bytes.end(), page),
                             std::sregex_iterator()));
}

void printLines(UiServices& ui, int count) {
    auto job = ui.startTextPrint("Tisk", "", 0);
    for (int i = 0; i < count; ++i)
        job->writeLine("radek " + std::to_string(i));
    job->finish();
}

} // namespace

TEST(QtUiHeadless, AnswersDialogsByDefaultAndLogsThemLikeTheHeadlessAnswerer) {
    std::ostringstream log;
    qt::QtUi ui(true, {}, &log);
    MessageBoxRequest request;
    request.caption = "VORLAN";
    request.text = czech("Uložit změny?");
    request.buttons = ButtonYes | ButtonNo | ButtonCancel;
    request.defaultButton = ButtonNo;
    EXPECT_EQ(ui.messageBox(request), MessageResult::No);
    EXPECT_EQ(ui.inputBox("Zadej", "Jméno", "Karel"), std::optional<std::string>("Karel"));
    EXPECT_FALSE(ui.openFileDialog({}).has_value());
    EXPECT_TRUE(ui.headless());
    EXPECT_EQ(log.str().substr(0, log.str().find('\n') + 1), "[message] VORLAN: Uložit změny?\n");
}

TEST(QtUiHeadless, PrintJobsBecomeNumberedPdfFilesOrAreDiscarded) {
    const fs::path folder = scratch("print");
    std::ostringstream log;
    {
        qt::QtUi ui(true, folder / "jobs", &log);
        printLines(ui, 200);
        printLines(ui, 1);
    }
    EXPECT_GT(pdfPages(folder / "jobs" / "print-001.pdf"), 1);
    EXPECT_EQ(pdfPages(folder / "jobs" / "print-002.pdf"), 1);
    EXPECT_NE(log.str().find("[print] Tisk: " + (folder / "jobs" / "print-002.pdf").string()),
              std::string::npos);

    {
        qt::QtUi ui(true, folder / "report.PDF", &log);
        printLines(ui, 3);
        printLines(ui, 3);
    }
    EXPECT_EQ(pdfPages(folder / "report.PDF"), 1);
    EXPECT_EQ(pdfPages(folder / "report-002.PDF"), 1);

    log.str("");
    {
        qt::QtUi ui(true, {}, &log);
        printLines(ui, 3);
    }
    EXPECT_EQ(log.str(), "[print] Tisk: zahozeno (chybí --print-to)\n");
    fs::remove_all(folder);
}

TEST(QtUiHeadless, WaitingReportsWhetherAnythingHappened) {
    std::ostringstream log;
    qt::QtUi ui(true, {}, &log);
    for (int i = 0; i < 100 && ui.waitAndProcessEvent(); ++i) {
    }
    EXPECT_FALSE(ui.waitAndProcessEvent());
    QObject target;
    QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
    EXPECT_TRUE(ui.waitAndProcessEvent());
    EXPECT_FALSE(ui.waitAndProcessEvent());
}

TEST(FileFilters, BecomeQtNameFiltersMatchingEitherCase) {
    EXPECT_EQ(
        qt::nameFiltersOf(czech("Komilované programy (*.VRL)|*.VRL|Všechny soubory (*.*)|*.*")),
        (QStringList{QStringLiteral("Komilované programy (*.VRL *.vrl)"),
                     QStringLiteral("Všechny soubory (*)")}));
    EXPECT_EQ(qt::nameFiltersOf("Pictures|*.BMP;*.Jpg"),
              QStringList{QStringLiteral("Pictures (*.BMP *.bmp *.Jpg *.JPG *.jpg)")});
    EXPECT_TRUE(qt::nameFiltersOf("").isEmpty());
}

TEST(AppException, IgnoresAccessViolationsAndShowsEverythingElse) {
    test_support::RecordingUiScope recording;
    const int before = qt::shownAppExceptions();
    EXPECT_FALSE(qt::appException("Access violation at address 00000000"));
    EXPECT_TRUE(qt::appException("Access violatio"));
    EXPECT_TRUE(qt::appException(czech("Nelze spustit")));
    EXPECT_TRUE(qt::appException(std::string("Soubor nenalezen: žába"))); // UTF-8 from the host
    ASSERT_EQ(recording->messages.size(), 3u);
    EXPECT_EQ(recording->messages[1].caption, applicationTitle());
    EXPECT_EQ(recording->messages[1].icon, MessageIcon::Error);
    EXPECT_EQ(recording->messages[1].buttons, unsigned{ButtonOk});
    EXPECT_EQ(recording->messages[2].text, czech("Soubor nenalezen: žába"));
    EXPECT_EQ(qt::shownAppExceptions(), before + 3);

    qt::guarded([] { throw std::runtime_error("boom"); });
    EXPECT_EQ(recording->messages.back().text, "boom");
}

TEST(AboutBox, NamesTheProductAndItsVersion) {
    qt::AboutBox box;
    EXPECT_EQ(box.windowTitle(), QStringLiteral("Informace o programu"));
    EXPECT_EQ(box.findChild<QLabel*>("ProductName")->text(),
              QStringLiteral("FENWAR VORLAN (RunTime)"));
    EXPECT_EQ(box.findChild<QLabel*>("Version")->text(),
              QStringLiteral("Verze 2.04 - 31/12/2000 (X)"));
}
