// Printing a grouped report through the runtime's real print path onto queues of a private
// print scheduler: a queue that takes PDF (the drawn pages arrive as a PDF file) and a raw,
// text-only queue (the character page arrives byte for byte). Skips, saying why, where no
// scheduler can be started.

#include "core/cp1250.h"
#include "core/path_mapper.h"
#include "core/ui_services.h"
#include "data/data_set.h"
#include "data/memory_data_set.h"
#include "needs_tool.h"
#include "report/charmode/character_output.h"
#include "report/charmode/text_only_printer.h"
#include "report/model.h"
#include "report/paper/printer_settings.h"
#include "report/run/record_source.h"
#include "report/run/report_run.h"
#include "ui/qt/qt_ui.h"
#include "ui/qt/report/qt_text_measurer.h"
#include "ui/qt/report/report_operations.h"
#include "ui/qt/report/report_printing.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <unistd.h>

namespace vorlan::qt {
namespace {

namespace fs = std::filesystem;

const fs::path kReports = REPORTS_DIR;
const fs::path kScheduler = SCHEDULER_SCRIPT;

std::string readAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The output of a shell command and its exit status.
std::pair<std::string, int> shell(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return {out, -1};
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe))
        out += buffer;
    const int status = pclose(pipe);
    return {out, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

class SchedulerQueues : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = fs::temp_directory_path() / ("vorlan-cups-" + std::to_string(getpid()));
        const auto [out, status] = shell(kScheduler.string() + " start " + dir_.string());
        if (status != 0) {
            skipReason_ = "no print scheduler could be started here";
            return;
        }
        setenv("CUPS_SERVER", (dir_ / "cups.sock").c_str(), 1);
    }
    static void TearDownTestSuite() {
        shell(kScheduler.string() + " stop " + dir_.string());
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    void SetUp() override {
        if (!skipReason_.empty()) VORLAN_SKIP_WITHOUT(skipReason_);
        previousUi_ = setUi(std::make_unique<QtUi>(false));
        report::setReportPrinter(
            std::make_unique<report::TextOnlyAwarePrinter>(std::make_unique<QtReportPrinter>()));
        savedPrinter_ = report::printerSettings();
        detectPrinter(false);

        std::string csv = readAll(kReports / "SALES.CSV");
        table_ = data::MemoryDataSet::fromCsvText(csv);
        table_->open();
        source_ = std::make_unique<data::DataSource>(table_.get());
        records_ = std::make_unique<report::DataSetRecords>(source_.get());
        report_.programDir = pathMapper().toProgram(kReports);
        report_.setReportName("GROUPED.PTS");
        report_.setDataSource(records_.get());
    }
    void TearDown() override {
        if (!previousUi_) return;
        report::setReportPrinter(nullptr);
        setUi(std::move(previousUi_));
        report::printerSettings() = savedPrinter_;
    }

    // Waits until the queue has no job left and its device file is there.
    static std::string received(const std::string& queue, const std::string& file) {
        const fs::path path = dir_ / "out" / file;
        for (int i = 0; i < 150; ++i) {
            const auto [jobs, status] = shell("lpstat -o " + queue + " 2>/dev/null");
            if (status == 0 && jobs.empty() && fs::exists(path)) return readAll(path);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return {};
    }

    static inline fs::path dir_;
    static inline std::string skipReason_;
    std::unique_ptr<UiServices> previousUi_;
    report::PrinterSettings savedPrinter_;
    std::unique_ptr<data::MemoryDataSet> table_;
    std::unique_ptr<data::DataSource> source_;
    std::unique_ptr<report::DataSetRecords> records_;
    report::TSestava report_;
};

TEST_F(SchedulerQueues, GraphicQueueReceivesTheDrawnPages) {
    ASSERT_TRUE(report::printerSettings().present);
    report::printerSettings().name = "vorlan_pdf";
    report::TSestVystup output;
    ASSERT_EQ(printReport(report_, output), report::kSestOk);
    EXPECT_EQ(output.pageCount(), 2);
    const std::string pdf = received("vorlan_pdf", "pdf.out");
    ASSERT_EQ(pdf.rfind("%PDF", 0), 0u) << "the queue got no PDF";
    const fs::path file = dir_ / "out" / "received.pdf";
    std::ofstream(file, std::ios::binary) << pdf;
    const auto [text, status] = shell("pdftotext -enc UTF-8 " + file.string() + " - 2>/dev/null");
    if (status != 0) VORLAN_SKIP_WITHOUT("pdftotext is missing (poppler-utils)");
    EXPECT_NE(text.find("Přehled prodeje podle oblastí"), std::string::npos) << text;
    EXPECT_NE(text.find("Celkem za všechny oblasti:"), std::string::npos);
}

TEST_F(SchedulerQueues, TextOnlyQueueReceivesTheCharacterPageByteForByte) {
    report::printerSettings().name = "vorlan_raw";
    report::TSestVystup output;
    ASSERT_EQ(printReport(report_, output), report::kSestOk);
    const std::string bytes = received("vorlan_raw", "raw.out");

    // What the character page of the same run is.
    report::TSestVystup expectedRun;
    QtTextMeasurer measurer;
    report::RunOptions options;
    options.measurer = &measurer;
    options.characterMode = true;
    ASSERT_EQ(report::runReport(report_, expectedRun, options), report::kSestOk);
    bool completed = false;
    const std::string expected = report::characterPrintBytes(
        expectedRun, report::orientedPaperHeight(report::paperSettings()),
        report::lineSpacingOf(expectedRun), report::TextPrinterCodes{}, [] {}, completed);
    ASSERT_TRUE(completed);
    EXPECT_EQ(bytes, expected);
    EXPECT_NE(bytes.find(czech("Celkem za oblast:")), std::string::npos);
}

TEST_F(SchedulerQueues, AQueueThatIsGoneGivesAClearFailure) {
    report::printerSettings().name = "vorlan_gone";
    report::TSestVystup output;
    // A missing queue is no text-only queue: the graphic job fails and says so (the message
    // box is closed for the test).
    // The box is looked for until it comes: a single look once fired before a loaded machine
    // had opened it, and the test then waited for a box nobody would close.
    bool told = false;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            told = true;
            box->close();
        }
    });
    closer.start(50);
    EXPECT_EQ(printReport(report_, output), report::kSestNotPossible);
    EXPECT_TRUE(told);
    EXPECT_FALSE(fs::exists(dir_ / "out" / "gone.out"));
}

} // namespace
} // namespace vorlan::qt
