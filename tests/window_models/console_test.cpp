#include "core/cp1250.h"
#include "core/path_mapper.h"
#include "script/registry.h"
#include "window_models/console/console.h"
#include "window_models/console/console_procs.h"
#include "window_models/recording_ui.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

using namespace vorlan;
using script::Value;
using windows::Console;
using Lines = std::vector<std::string>;
namespace fs = std::filesystem;

namespace {

class ConsoleProcs : public ::testing::Test {
protected:
    void SetUp() override { windows::registerConsole(registry, console); }

    script::DispStatus call(std::string_view name, std::vector<Value> args = {}) {
        const script::MethodInfo* proc = registry.findProc(name);
        EXPECT_NE(proc, nullptr) << name;
        if (!proc) return script::DispStatus::UnknownName;
        Value result;
        script::ExceptionInfo error;
        return registry.call(*proc, nullptr, args, result, error);
    }

    script::Registry registry;
    Console console;
};

fs::path scratchFolder() {
    const fs::path folder =
        fs::temp_directory_path() / ("vorlan_console_" + std::to_string(::getpid()));
    fs::create_directories(folder);
    return folder;
}

std::string fileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

} // namespace

TEST_F(ConsoleProcs, WriteShowsBooleansInEnglishAndNullAsNothing) {
    EXPECT_EQ(call("Write", {Value(true)}), script::DispStatus::Ok);
    call("Write", {Value(false)});
    call("Write", {Value::null()});
    call("Write", {Value(42)});
    call("Writeln", {Value(czech(" žluťoučký"))});
    call("writeln", {Value("")});
    EXPECT_EQ(console.model().lines(), (Lines{"TrueFalse42" + czech(" žluťoučký"), "", ""}));
}

TEST_F(ConsoleProcs, RegistersOnceAndDrivesTheWindowState) {
    Console other;
    windows::registerConsole(registry, other); // ignored: the first console keeps the names
    call("Write", {Value("x")});
    EXPECT_EQ(console.model().lines(), Lines{"x"});
    EXPECT_EQ(other.model().lines(), Lines{""});

    call("ConsoleClear");
    EXPECT_EQ(console.model().lines(), Lines{""});
    EXPECT_EQ(console.model().currentLine(), 0);

    EXPECT_FALSE(console.visible());
    call("ConsoleShow");
    EXPECT_TRUE(console.visible());
    call("ConsoleHide");
    EXPECT_FALSE(console.visible());

    call("ConsoleForm", {Value(0), Value(0), Value("200"), Value(100.4)});
    EXPECT_EQ(console.geometry().left, 0);
    EXPECT_EQ(console.geometry().width, 200);
    EXPECT_EQ(console.geometry().height, 100);
}

TEST_F(ConsoleProcs, SaveToAMissingFolderReportsAndTheScriptGoesOn) {
    test_support::RecordingUiScope recording;
    call("Writeln", {Value("kept")});
    const std::string name = (scratchFolder() / "no" / "such" / "folder" / "OUT.TXT").string();
    EXPECT_EQ(call("ConsoleSave", {Value(name)}), script::DispStatus::Ok);

    ASSERT_EQ(recording->messages.size(), 1u);
    const auto& message = recording->messages[0];
    EXPECT_EQ(message.caption, applicationTitle());
    EXPECT_EQ(message.text, czech("Nelze uložit textový výstup do souboru ") + name);
    EXPECT_EQ(message.icon, MessageIcon::Error);
    EXPECT_EQ(message.buttons, unsigned{ButtonOk});
    EXPECT_EQ(console.model().lines(), (Lines{"kept", ""}));
    EXPECT_EQ(console.model().currentLine(), 1);
    EXPECT_FALSE(fs::exists(name));
}

TEST_F(ConsoleProcs, SaveWritesWindows1250LinesWithCrLfThroughTheDriveMapping) {
    test_support::RecordingUiScope recording;
    const fs::path folder = scratchFolder();
    pathMapper().setDriveRoot('Q', folder);
    call("Writeln", {Value(czech("Příliš žluťoučký kůň"))});
    call("Write", {Value(czech("úpěl ďábelské ódy"))});
    call("ConsoleSave", {Value("q:\\vystup.txt")});
    EXPECT_TRUE(recording->messages.empty());
    EXPECT_EQ(fileBytes(folder / "vystup.txt"),
              czech("Příliš žluťoučký kůň\r\núpěl ďábelské ódy\r\n"));

    // An existing file is replaced, not appended to; an empty console gives an empty file.
    call("ConsoleClear");
    call("ConsoleSave", {Value("Q:\\VYSTUP.TXT")});
    EXPECT_EQ(fileBytes(folder / "vystup.txt"), "");
    pathMapper().setDriveRoot('Q', {});
    fs::remove_all(folder);
}

TEST_F(ConsoleProcs, PrintUsesTheRuntimePrintFont) {
    test_support::RecordingUiScope recording;
    call("Writeln", {Value("first")});
    call("Write", {Value("second")});
    call("ConsolePrint");
    console.printFontName = "Courier New";
    console.printFontSize = 11;
    call("ConsolePrint");
    ASSERT_EQ(recording->prints.size(), 2u);
    EXPECT_EQ(recording->prints[0].fontName, "");
    EXPECT_EQ(recording->prints[0].pointSize, 0);
    EXPECT_EQ(recording->prints[0].lines, (Lines{"first", "second"}));
    EXPECT_TRUE(recording->prints[0].finished);
    EXPECT_EQ(recording->prints[1].fontName, "Courier New");
    EXPECT_EQ(recording->prints[1].pointSize, 11);
    EXPECT_EQ(recording->prints[1].title, Console::caption());
}

TEST(ConsoleEcho, CompletedLinesGoOutAtOnceAndTheRestAtTheEnd) {
    std::ostringstream out;
    Console console;
    console.setEcho(&out);
    console.write(czech("řádek"));
    EXPECT_EQ(out.str(), "");
    console.write("\rdva\r");
    EXPECT_EQ(out.str(), "řádek\ndva\n");
    console.writeln("tri");
    console.write("ctyri");
    // Clearing does not take back what the user saw.
    console.clear();
    EXPECT_EQ(out.str(), "řádek\ndva\ntri\nctyri\n");
    console.write("pet");
    console.finishEcho();
    console.write("sest\r");
    EXPECT_EQ(out.str(), "řádek\ndva\ntri\nctyri\npet\n");
}

TEST(ConsoleEcho, ACarriageReturnAndLineFeedEndOneLine) {
    std::ostringstream out;
    Console console;
    console.setEcho(&out);
    // A memo written with Writeln: CR LF between its lines, nothing lost after a break.
    console.writeln("prvni\r\ndruhy\r\n" + std::string(400, 'x'));
    // A line feed of the program's own, not after a break, is the program's text.
    console.writeln("\nvlastni");
    console.finishEcho();
    EXPECT_EQ(out.str(), "prvni\ndruhy\n" + std::string(400, 'x') + "\n\nvlastni\n");
    // The console's lines keep the line feed, as the window shows them.
    EXPECT_EQ(console.model().lines()[1], "\ndruhy");
}
