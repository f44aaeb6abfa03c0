// The rules of the message dialogs, without windows.

#include "forms_fixture.h"

#include "core/cp1250.h"
#include "core/headless_ui.h"
#include "script/open_array.h"
#include "ui/qt/forms/dialog_model.h"

#include <gtest/gtest.h>

using namespace vorlan;
using namespace vorlan::forms;
using forms::testing::numbers;
using script::Value;
using script::VarArray;

namespace {

ButtonSet set(std::initializer_list<DialogButton> list) {
    ButtonSet s = 0;
    for (DialogButton b : list)
        s |= bit(b);
    return s;
}

} // namespace

TEST(DialogModel, DefaultAndCancelButtonsFollowTheirOrderOfPreference) {
    const auto yesNo = describeMessageDialog("?", DialogType::Confirmation,
                                             set({DialogButton::Yes, DialogButton::No}));
    EXPECT_EQ(yesNo.defaultButton, DialogButton::Yes);
    EXPECT_EQ(yesNo.cancelButton, DialogButton::No);

    const auto all = describeMessageDialog(
        "?", DialogType::Confirmation,
        set({DialogButton::Yes, DialogButton::No, DialogButton::Ok, DialogButton::Cancel}));
    EXPECT_EQ(all.defaultButton, DialogButton::Ok);
    EXPECT_EQ(all.cancelButton, DialogButton::Cancel);

    // Retry is wanted as default and OK as cancel; neither is there, so neither key has a button.
    const auto abortOnly =
        describeMessageDialog("!", DialogType::Error, set({DialogButton::Abort}));
    EXPECT_FALSE(abortOnly.defaultButton);
    EXPECT_FALSE(abortOnly.cancelButton);

    const auto retry = describeMessageDialog("!", DialogType::Error,
                                             set({DialogButton::Retry, DialogButton::Ignore}));
    EXPECT_EQ(retry.defaultButton, DialogButton::Retry);
    EXPECT_FALSE(retry.cancelButton);

    const auto okOnly =
        describeMessageDialog("i", DialogType::Information, set({DialogButton::Ok}));
    EXPECT_EQ(okOnly.defaultButton, DialogButton::Ok);
    EXPECT_EQ(okOnly.cancelButton, DialogButton::Ok);
}

TEST(DialogModel, ButtonsStandInTableOrderAndTheCustomTypeCarriesTheApplicationTitle) {
    const auto dialog =
        describeMessageDialog("?", DialogType::Warning,
                              set({DialogButton::Help, DialogButton::Cancel, DialogButton::Yes}));
    ASSERT_EQ(dialog.buttons, (std::vector<DialogButton>{DialogButton::Yes, DialogButton::Cancel,
                                                         DialogButton::Help}));
    EXPECT_EQ(dialog.title, czech("Varování"));
    setApplicationTitle("Moje aplikace");
    EXPECT_EQ(dialogTitle(DialogType::Custom), "Moje aplikace");
    setApplicationTitle("VORLAN");
    // An unknown type number is taken as the custom type.
    EXPECT_EQ(dialogTypeOf(17), DialogType::Custom);
}

TEST(DialogModel, ButtonArraysFromScripts) {
    // [mbYes, mbNo] from a Pascal program arrives with one element more; it is not read.
    script::setProgramLanguage("ZLM");
    EXPECT_EQ(buttonsOfScript(numbers({0, 1, 3})), set({DialogButton::Yes, DialogButton::No}));
    EXPECT_EQ(buttonsOfScript(numbers({})), 0u);
    // Other dialects pass exactly what was written.
    script::setProgramLanguage("PMB");
    EXPECT_EQ(buttonsOfScript(numbers({0, 1, 3})),
              set({DialogButton::Yes, DialogButton::No, DialogButton::Cancel}));
    // The to-all buttons and unknown numbers add nothing; Help (10) does.
    EXPECT_EQ(buttonsOfScript(numbers({8, 9, 11, -1, 10, 2})),
              set({DialogButton::Help, DialogButton::Ok}));
    // A set as a bit mask (MkSet(mbOK, mbCancel)).
    EXPECT_EQ(buttonsOfScript(Value(std::int32_t{(1 << 2) | (1 << 3) | (1 << 8)})),
              set({DialogButton::Ok, DialogButton::Cancel}));
    EXPECT_EQ(buttonsOfScript(Value()), 0u);
    EXPECT_EQ(buttonsOfScript(Value("OK")), 0u);
    script::setProgramLanguage("");
}

TEST(DialogModel, UnattendedAnswerIsTheDefaultElseTheFirstButton) {
    EXPECT_EQ(unattendedResult(describeMessageDialog("", DialogType::Custom,
                                                     set({DialogButton::Yes, DialogButton::No}))),
              6);
    EXPECT_EQ(unattendedResult(describeMessageDialog(
                  "", DialogType::Custom, set({DialogButton::Abort, DialogButton::Ignore}))),
              3);
    EXPECT_EQ(unattendedResult(describeMessageDialog("", DialogType::Custom, 0)), 0);

    const auto request = messageBoxRequest(describeMessageDialog(
        "Text", DialogType::Warning, set({DialogButton::Ok, DialogButton::Cancel})));
    EXPECT_EQ(request.caption, czech("Varování"));
    EXPECT_EQ(request.buttons, static_cast<unsigned>(ButtonOk | ButtonCancel));
    EXPECT_EQ(request.defaultButton, static_cast<unsigned>(ButtonOk));
    EXPECT_EQ(defaultAnswer(request), MessageResult::Ok);
}

TEST(DialogModel, FormatMessage) {
    auto args = VarArray::create(0, 2);
    args->items()[0] = Value("Jan");
    args->items()[1] = Value(std::int32_t{42});
    args->items()[2] = Value(2.5);
    EXPECT_EQ(formatMessage("%s má %d let, %.1f%%", Value(args)), "Jan má 42 let, 2.5%");
    EXPECT_EQ(formatMessage("%5s|%-4d|", Value(args)), "  Jan|42  |");
    // More directives than arguments: the rest stay as written.
    EXPECT_EQ(formatMessage("%s %s %s %s", Value(args)), "Jan 42 2.5 %s");
    EXPECT_EQ(formatMessage("%x", Value(std::int32_t{255})), "FF");
}
