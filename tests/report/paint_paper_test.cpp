// Paper formats in the settings file, the printable area on the printer, the print range.

#include "core/cp1250.h"
#include "report/paint/report_printer.h"
#include "report/paper/paper_formats.h"
#include "report/paper/printer_settings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace vorlan::report {
namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class TempFolder {
public:
    TempFolder() {
        path_ = fs::temp_directory_path() /
                ("vorlan-paper-" + std::to_string(::getpid()) + "-" + std::to_string(counter()++));
        fs::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }

private:
    static int& counter() {
        static int n = 0;
        return n;
    }
    fs::path path_;
};

TEST(PaperFormats, SeventeenBuiltInFormatsComeFirst) {
    const TListFormatu list;
    ASSERT_EQ(list.count(), 17);
    EXPECT_EQ(list.item(0), (TFormatPapiru{czech("Skládaný (8.5 x 12\")"), 850, 1200}));
    EXPECT_EQ(list.item(7), (TFormatPapiru{"A4 (210 x 297 mm)", 826, 1169}));
    EXPECT_EQ(list.item(16), (TFormatPapiru{czech("Obálka otoč.(162 x 228 mm)"), 637, 896}));
    EXPECT_EQ(list.indexOfSize(1169, 826), 7); // either orientation
    EXPECT_EQ(list.userCount(), 0);
}

TEST(PaperFormats, FormatTextsSplitAtTheLastTwoCommas) {
    EXPECT_EQ(parsePaperFormat("Labels, big,400,300"), (TFormatPapiru{"Labels, big", 400, 300}));
    EXPECT_EQ(parsePaperFormat(" X ,  10 , 20 "), (TFormatPapiru{" X ", 10, 20}));
    EXPECT_FALSE(parsePaperFormat("no sizes"));
    EXPECT_FALSE(parsePaperFormat("A,10"));
    EXPECT_FALSE(parsePaperFormat("A,ten,20"));
    EXPECT_FALSE(parsePaperFormat("A,10,20x"));
    EXPECT_FALSE(parsePaperFormat("A,10,99999999999"));
}

TEST(PaperFormats, UserFormatsRoundTripThroughTheSettingsFile) {
    TempFolder folder;
    const fs::path file = folder.path() / "SESTDLL.INI";
    // The designer's own settings share the file and must survive.
    {
        std::ofstream out(file, std::ios::binary);
        out << "[Navrhar]\r\nMrizka=5\r\n\r\n[FormatyPapiru]\r\nPocetFormatu=3\r\n"
               "Format1=Old one,1,2\r\nFormat2=Old two,3,4\r\nFormat3=Old three,5,6\r\n";
    }
    TListFormatu list;
    list.loadUser(file);
    ASSERT_EQ(list.userCount(), 3);
    EXPECT_EQ(list.item(18), (TFormatPapiru{"Old two", 3, 4}));

    list.clearUser();
    list.addUser({czech("Štítky 70 x 36"), 276, 142});
    list.addUser({std::string(60, 'x'), 100, 200}); // names are cut to 48 characters
    list.saveUser(file);

    EXPECT_EQ(readFile(file), "[Navrhar]\r\nMrizka=5\r\n\r\n[FormatyPapiru]\r\nPocetFormatu=2\r\n" +
                                  czech("Format1=Štítky 70 x 36,276,142\r\n") +
                                  "Format2=" + std::string(48, 'x') + ",100,200\r\n");
    TListFormatu again;
    again.loadUser(file);
    ASSERT_EQ(again.count(), 19);
    EXPECT_EQ(again.item(17), list.item(17));
    EXPECT_EQ(again.item(18), list.item(18));
}

TEST(PaperFormats, DamagedEntriesAreSkippedAndAMissingFileIsEmpty) {
    TListFormatu list;
    list.readUser(IniFile::fromText("[formatypapiru]\nPOCETFORMATU=4\nformat1=Good,1,2\n"
                                    "Format2=broken\nFormat4=Last,7,8\n"));
    ASSERT_EQ(list.userCount(), 2);
    EXPECT_EQ(list.item(18).name, "Last");

    list.readUser(IniFile::fromText("[FormatyPapiru]\nPocetFormatu=2147483647\n"));
    EXPECT_EQ(list.userCount(), 0);

    TempFolder folder;
    list.loadUser(folder.path() / "missing.ini");
    EXPECT_EQ(list.count(), 17);
    EXPECT_FALSE(list.removeUser(3)); // built-in formats stay
}

TEST(PaperFormats, SettingsFileLivesInTheUsersConfigurationFolder) {
    TempFolder folder;
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = old ? old : "";
    setenv("XDG_CONFIG_HOME", folder.path().c_str(), 1);
    EXPECT_EQ(reportSettingsFile(), folder.path() / "vorlan" / "SESTDLL.INI");
    // A file copied from elsewhere with another letter case is found.
    fs::create_directories(folder.path() / "vorlan");
    std::ofstream(folder.path() / "vorlan" / "sestdll.ini") << "\n";
    EXPECT_EQ(reportSettingsFile(), folder.path() / "vorlan" / "sestdll.ini");
    if (old)
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

TEST(IniFileText, NewSectionsAndKeysKeepTheFilesLineEnds) {
    IniFile ini = IniFile::fromText("; comment\n[A]\nx = 1\n");
    EXPECT_EQ(ini.value("a", "X"), "1");
    EXPECT_EQ(ini.intValue("A", "x", 0), 1);
    EXPECT_EQ(ini.intValue("A", "missing", 7), 7);
    ini.setValue("A", "y", "2");
    ini.setValue("B", "z", "3");
    ini.setValue("a", "X", "4");
    EXPECT_EQ(ini.text(), "; comment\n[A]\nX=4\ny=2\n\n[B]\nz=3\n");
}

TEST(IniFileText, StrayCarriageReturnsBeforeTheLineEndAreNotPartOfTheValue) {
    // Written by hand or copied between systems: "\r\r\n" and a mix of line ends.
    const IniFile ini = IniFile::fromText("[FormatyPapiru]\nPocetFormatu=1\r\r\nFormat1=A,1,2\r\n");
    EXPECT_EQ(ini.intValue("FormatyPapiru", "PocetFormatu", 0), 1);
    TListFormatu list;
    list.readUser(ini);
    EXPECT_EQ(list.userCount(), 1);
    // Saving and reading again gives the same file.
    EXPECT_EQ(IniFile::fromText(ini.text()).text(), ini.text());
}

TEST(PrinterPlacement, PrintableAreaLandsByMarginsResolutionAndOffset) {
    PaperSettings paper;     // A4, margins 50/50/70/70
    PrinterSettings printer; // the virtual printer: 100 dpi, offset 50
    EXPECT_EQ(printerTargetRect(paper, printer), (DeviceRect{0, 20, 726, 1029}));

    printer.dpiX = 600;
    printer.dpiY = 300;
    printer.offsetX = 100;
    printer.offsetY = 60;
    printer.correctionX = 10;
    printer.correctionY = -10;
    EXPECT_EQ(printerTargetRect(paper, printer), (DeviceRect{260, 120, 4356, 3087}));

    paper.orientation = 1; // landscape swaps the sheet, not the margins
    EXPECT_EQ(printableRect(paper), (LayoutRect{50, 70, 1069, 686}));
}

TEST(PrinterPlacement, PrintRangeIsCutToThePagesThere) {
    TSestVystup output;
    for (int i = 0; i < 3; ++i)
        output.addPage();
    output.firstPage = 2;
    output.lastPage = 9999;
    auto range = printRangeOf(output);
    EXPECT_EQ(range.first, 2);
    EXPECT_EQ(range.last, 3);
    EXPECT_EQ(range.count(), 2);

    output.firstPage = -5;
    EXPECT_EQ(printRangeOf(output).first, 1);
    output.copies = 0;
    EXPECT_TRUE(printRangeOf(output).empty());
    output.copies = 1;
    output.firstPage = 4;
    EXPECT_TRUE(printRangeOf(output).empty());

    // Without a front end there is no printer.
    EXPECT_EQ(reportPrinter().print(output, "job"), kSestNoPrinter);
}

} // namespace
TEST(PrinterDetection, WaitsForTheFirstUseAndRunsOnce) {
    const PrinterSettings saved = printerSettings();
    int runs = 0;
    setPrinterDetector([&runs](PrinterSettings& s) {
        ++runs;
        s.name = "found";
        EXPECT_EQ(printerSettings().name, "found"); // asking again inside does not recurse
    });
    EXPECT_EQ(runs, 0);
    EXPECT_EQ(printerSettings().name, "found");
    printerSettings().name = "chosen";
    EXPECT_EQ(printerSettings().name, "chosen");
    EXPECT_EQ(runs, 1);
    printerSettings() = saved;
}

} // namespace vorlan::report
