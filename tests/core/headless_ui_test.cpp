#include "core/cp1250.h"
#include "core/headless_ui.h"

#include <gtest/gtest.h>

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
