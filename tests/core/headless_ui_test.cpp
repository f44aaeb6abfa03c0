#include "core/cp1250.h"
#include "core/headless_ui.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace vorlan;

TEST(HeadlessUi, AnswersTheDefaultButtonAndLogsInUtf8) {
    std::ostringstream log;
    HeadlessUi ui(&log);
    MessageBoxRequest request;
    request.caption = "VORLAN";
    request.text = czech("Pokračovat v programu?");
    request.buttons = ButtonOk | ButtonCancel;
    EXPECT_EQ(ui.messageBox(request), MessageResult::Ok);
    request.defaultButton = ButtonCancel;
    EXPECT_EQ(ui.messageBox(request), MessageResult::Cancel);
    request.buttons = ButtonYes | ButtonNo | ButtonCancel;
    request.defaultButton = 0;
    EXPECT_EQ(ui.messageBox(request), MessageResult::Yes);
    EXPECT_NE(log.str().find("[message] VORLAN: Pokračovat v programu?"), std::string::npos);
    EXPECT_EQ(ui.inputBox("T", "P", "default"), std::optional<std::string>("default"));
    EXPECT_FALSE(ui.saveFileDialog({}).has_value());
    EXPECT_FALSE(ui.waitAndProcessEvent());
}

// A print job is never lost without a word: the log names its title and where it went.
TEST(HeadlessUi, PrintJobsSayWhereTheyWent) {
    std::ostringstream log;
    HeadlessUi ui(&log);
    auto discarded = ui.startTextPrint(czech("Výstup"), "", 0);
    discarded->writeLine("nic");
    discarded->finish();
    EXPECT_EQ(log.str(), "[print] Výstup: zahozeno\n");

    const auto folder = std::filesystem::temp_directory_path() / "vorlan_headless_print";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    ui.setPrintFolder(folder);
    log.str("");
    auto kept = ui.startTextPrint("Tisk", "", 0);
    kept->writeLine(czech("řádek"));
    kept->finish();
    EXPECT_EQ(log.str(), "[print] Tisk: " + (folder / "print1.txt").string() + "\n");
    std::ifstream in(folder / "print1.txt");
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "řádek");
    std::filesystem::remove_all(folder);
}
