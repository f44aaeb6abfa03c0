// The Printer object: jobs through the front end's print devices, so headless jobs become PDF
// files where --print-to sends them.
#include "desktop_fixture.h"

#include "ui/qt/qt_ui.h"

#include <sstream>

using namespace vorlan;
using namespace vorlan::stdlib::testing;
using script::Value;

namespace {

class PrinterJobs : public ::testing::Test {
protected:
    void SetUp() override {
        desktopRegistry();
        printer = object("Printer");
        ASSERT_NE(printer, nullptr);
        folder = scratch("printer");
    }
    void TearDown() override {
        if (call(*printer, "Printing").toBool()) call(*printer, "Abort");
        put(*printer, "Orientation", global("poPortrait"));
        put(*printer, "Title", Value(""));
        if (previous) setUi(std::move(previous));
        std::filesystem::remove_all(folder);
    }
    void useFrontEnd(bool headless, const std::filesystem::path& printTo) {
        auto front = std::make_unique<qt::QtUi>(headless, printTo, &log);
        auto old = setUi(std::move(front));
        if (!previous) previous = std::move(old);
    }

    script::ObjectRef printer;
    std::filesystem::path folder;
    std::ostringstream log;
    std::unique_ptr<UiServices> previous;
};

} // namespace

TEST_F(PrinterJobs, AJobOfTwoPagesBecomesTheNamedPdf) {
    const auto file = folder / "faktura.pdf";
    useFrontEnd(true, file);
    put(*printer, "Title", Value("Faktura"));
    EXPECT_EQ(call(*printer, "PageNumber").toInt(), 0);
    call(*printer, "BeginDoc");
    EXPECT_TRUE(call(*printer, "Printing").toBool());
    script::ObjectRef canvas = call(*printer, "Canvas").toObject();
    put(*call(*canvas, "Font").toObject(), "Size", Value(12));
    // Fonts are sized in points on the device: 12 points at 600 dots per inch.
    EXPECT_EQ(call(*call(*canvas, "Font").toObject(), "Height").toInt(), -100);
    call(*canvas, "TextOut", {Value(100), Value(100), Value(czech("První strana"))});
    call(*canvas, "Rectangle", {Value(100), Value(300), Value(2000), Value(900)});
    call(*printer, "NewPage");
    EXPECT_EQ(call(*printer, "PageNumber").toInt(), 2);
    call(*canvas, "TextOut", {Value(100), Value(100), Value(czech("Druhá strana"))});
    call(*printer, "EndDoc");
    EXPECT_FALSE(call(*printer, "Printing").toBool());
    EXPECT_EQ(pdfPages(file), 2);
    EXPECT_NE(log.str().find("[print] Faktura: " + file.string()), std::string::npos) << log.str();
}

TEST_F(PrinterJobs, PageSizeFollowsTheOrientationBeforeAndDuringTheJob) {
    useFrontEnd(true, folder);
    const int width = call(*printer, "PageWidth").toInt();
    const int height = call(*printer, "PageHeight").toInt();
    // A4 less 15 mm margins at 600 dots per inch (give or take the rounding to points).
    EXPECT_NEAR(width, 4252, 20);
    EXPECT_NEAR(height, 6307, 20);
    put(*printer, "Orientation", global("poLandscape"));
    EXPECT_EQ(call(*printer, "Orientation").toString(), "poLandscape");
    EXPECT_NEAR(call(*printer, "PageWidth").toInt(), height, 2);
    call(*printer, "BeginDoc");
    EXPECT_NEAR(call(*printer, "PageWidth").toInt(), height, 2);
    EXPECT_NEAR(call(*printer, "PageHeight").toInt(), width, 2);
    // Not while printing.
    EXPECT_EQ(tryCall(*printer, "Orientation", {Value(0)}, script::InvokePut).status,
              script::DispStatus::Exception);
    call(*printer, "EndDoc");
    EXPECT_EQ(pdfPages(folder / "print-001.pdf"), 1);
}

TEST_F(PrinterJobs, EndingWhatWasNotBegunAndBeginningTwiceAreErrors) {
    useFrontEnd(true, folder);
    const CallResult end = tryCall(*printer, "EndDoc");
    EXPECT_EQ(end.status, script::DispStatus::Exception);
    EXPECT_EQ(end.error, "Tisk neprobíhá");
    EXPECT_EQ(tryCall(*printer, "NewPage").status, script::DispStatus::Exception);
    call(*printer, "BeginDoc");
    EXPECT_EQ(tryCall(*printer, "BeginDoc").status, script::DispStatus::Exception);
    call(*printer, "Abort");
    EXPECT_TRUE(call(*printer, "Aborted").toBool());
    EXPECT_FALSE(call(*printer, "Printing").toBool());
}

TEST_F(PrinterJobs, HeadlessWithoutADestinationTheJobIsLoggedAndDrawnNowhere) {
    useFrontEnd(true, {});
    call(*printer, "BeginDoc");
    script::ObjectRef canvas = call(*printer, "Canvas").toObject();
    call(*canvas, "TextOut", {Value(10), Value(10), Value("nic")});
    EXPECT_GT(call(*canvas, "TextWidth", {Value("nic")}).toInt(), 0);
    call(*printer, "NewPage");
    call(*printer, "EndDoc");
    EXPECT_NE(log.str().find("zahozeno"), std::string::npos) << log.str();
}

TEST_F(PrinterJobs, PrinterListAndIndex) {
    useFrontEnd(true, folder);
    script::ObjectRef list = call(*printer, "Printers").toObject();
    const int count = call(*list, "Count").toInt();
    ASSERT_GT(count, 0); // at least the PDF printer of a run that prints to files
    EXPECT_GE(call(*printer, "PrinterIndex").toInt(), 0);
    put(*printer, "PrinterIndex", Value(count - 1));
    EXPECT_EQ(call(*printer, "PrinterIndex").toInt(), count - 1);
    EXPECT_EQ(tryCall(*printer, "PrinterIndex", {Value(count)}, script::InvokePut).status,
              script::DispStatus::Exception);
    EXPECT_EQ(tryCall(*list, "Add", {Value("x")}).status, script::DispStatus::Exception);
    put(*printer, "PrinterIndex", Value(-1));
}
