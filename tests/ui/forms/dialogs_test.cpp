// The message dialogs as scripts call them: through the registry, with a screen and without.

#include "forms_fixture.h"

#include "core/cp1250.h"
#include "script/comp_wrapper.h"
#include "script/object_store.h"
#include "script/open_array.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace vorlan;
using namespace vorlan::forms;
using namespace vorlan::forms::testing;
using script::Value;
using script::VarArray;

namespace {

// Calls a global procedure the way a runner does.
Value callGlobal(std::string_view name, std::vector<Value>& args) {
    auto scope = script::registry().globalScope();
    Value result;
    script::ExceptionInfo error;
    EXPECT_EQ(script::invokeByName(*scope, name, script::InvokeMethod, args, result, error),
              script::DispStatus::Ok)
        << name << ": " << error.description;
    return result;
}

class HeadlessDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        ensureRegistered();
        auto headless = std::make_unique<HeadlessUi>(&log);
        headless->setAnswer([this](const MessageBoxRequest& r) {
            asked.push_back(r);
            return defaultAnswer(r);
        });
        scope = std::make_unique<UiScope>(std::move(headless));
        script::setProgramLanguage("ZLM");
    }
    void TearDown() override {
        scope.reset();
        script::setProgramLanguage("");
    }
    std::ostringstream log;
    std::vector<MessageBoxRequest> asked;
    std::unique_ptr<UiScope> scope;
};

} // namespace

TEST_F(HeadlessDialogs, MessageDlgAnswersTheDefaultButtonAndLogs) {
    // MessageDlg('Smazat?', mtConfirmation, [mbYes, mbNo], 0) from a Pascal program: the array
    // carries one element more than written.
    std::vector<Value> args{Value(czech("Smazat záznam?")), Value(std::int32_t{3}),
                            numbers({0, 1, 3}), Value(std::int32_t{0})};
    EXPECT_EQ(callGlobal("MessageDlg", args).toInt(), 6);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].caption, "Dotaz");
    EXPECT_EQ(asked[0].buttons, static_cast<unsigned>(ButtonYes | ButtonNo));
    EXPECT_EQ(asked[0].icon, MessageIcon::Question);
    EXPECT_EQ(log.str(), "[message] Dotaz: Smazat záznam?\n");

    // The same array from another dialect is read whole: Cancel is there and OK is not.
    script::setProgramLanguage("PMB");
    args = {Value("x"), Value(std::int32_t{0}), numbers({0, 1, 3}), Value(std::int32_t{0})};
    EXPECT_EQ(callGlobal("MessageDlg", args).toInt(), 6);
    EXPECT_EQ(asked.back().buttons, static_cast<unsigned>(ButtonYes | ButtonNo | ButtonCancel));

    // Only Abort: no default button, so the answer is the only button there is.
    args = {Value("x"),
            Value(std::int32_t{1}),
            numbers({4}),
            Value(std::int32_t{0}),
            Value(std::int32_t{10}),
            Value(std::int32_t{20})};
    EXPECT_EQ(callGlobal("MessageDlgPos", args).toInt(), 3);
    EXPECT_EQ(asked.back().caption, "Chyba");
}

TEST_F(HeadlessDialogs, InputsKeepTheirTextAndShowMessageUsesTheApplicationTitle) {
    std::vector<Value> args{Value(czech("Zadání")), Value(czech("Jméno:")), Value(czech("Novák"))};
    EXPECT_EQ(callGlobal("InputBox", args).toString(), czech("Novák"));
    args = {Value(czech("Zadání")), Value(czech("Jméno:")), Value(czech("Dvořák"))};
    EXPECT_TRUE(callGlobal("InputQuery", args).toBool());
    EXPECT_EQ(args[2].toString(), czech("Dvořák"));

    auto params = VarArray::create(0, 1);
    params->items()[0] = Value(std::int32_t{3});
    args = {Value("Hotovo: %d"), Value(params)};
    callGlobal("ShowMessageFmt", args);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].caption, applicationTitle());
    EXPECT_EQ(asked[0].text, "Hotovo: 3");
    EXPECT_EQ(asked[0].buttons, static_cast<unsigned>(ButtonOk));
}

TEST_F(HeadlessDialogs, CreateMessageDialogGivesTheFormWithNamedButtons) {
    // [mbOK, 8, 9] plus the element a Pascal literal adds: the to-all buttons do not appear.
    std::vector<Value> args{Value("Pozor"), Value(std::int32_t{0}), numbers({2, 8, 9, 0})};
    const Value made = callGlobal("CreateMessageDialog", args);
    auto* form = script::nativeAs<Form>(made);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->className(), "TMessageForm");
    EXPECT_EQ(form->widget()->windowTitle(), QStringLiteral("Varování"));
    ASSERT_NE(form->findComponent("OK"), nullptr);
    EXPECT_EQ(form->findComponent("NoToAll"), nullptr);
    EXPECT_EQ(form->findComponent("YesToAll"), nullptr);
    EXPECT_EQ(form->findComponent("Yes"), nullptr);
    auto* message =
        qobject_cast<QLabel*>(dynamic_cast<Control*>(form->findComponent("Message"))->widget());
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(message->text(), QStringLiteral("Pozor"));
    EXPECT_NE(form->findComponent("Image"), nullptr);
    // Shown without a screen, it answers like MessageDlg.
    EXPECT_EQ(form->showModal(), 1);
    EXPECT_TRUE(script::freeScriptObject(form));
}

// With a screen, the keys of a real dialog.
class ScreenDialogs : public ::testing::Test {
protected:
    void SetUp() override { ensureRegistered(); }
    UiScope screen{screenUi()};
};

TEST_F(ScreenDialogs, EscPressesTheCancelButtonAndEnterTheDefault) {
    const auto yesNo = describeMessageDialog("?", DialogType::Confirmation,
                                             bit(DialogButton::Yes) | bit(DialogButton::No));
    whenModal([](QWidget* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
    EXPECT_EQ(messageDlgPos(yesNo), 7);
    whenModal([](QWidget* dialog) { QTest::keyClick(dialog, Qt::Key_Return); });
    EXPECT_EQ(messageDlgPos(yesNo), 6);
}

TEST_F(ScreenDialogs, WithoutCancelButtonEscDoesNothing) {
    const auto abortOnly = describeMessageDialog("!", DialogType::Error, bit(DialogButton::Abort));
    bool stillOpen = false;
    QPoint placed;
    whenModal([&](QWidget* dialog) {
        placed = dialog->pos();
        QTest::keyClick(dialog, Qt::Key_Escape);
        stillOpen = dialog->isVisible();
        if (auto* abort = dialog->findChild<QPushButton*>()) abort->click();
    });
    EXPECT_EQ(messageDlgPos(abortOnly, 30, 40), 3);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(placed, QPoint(30, 40));
}

TEST_F(ScreenDialogs, CancelledInputBoxReturnsItsDefault) {
    std::vector<Value> args{Value(czech("Zadání")), Value(czech("Jméno:")), Value(czech("Novák"))};
    whenModal([](QWidget* dialog) {
        if (auto* edit = dialog->findChild<QLineEdit*>()) edit->setText(QStringLiteral("Jiný"));
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    EXPECT_EQ(callGlobal("InputBox", args).toString(), czech("Novák"));

    args = {Value(czech("Zadání")), Value(czech("Jméno:")), Value(czech("Novák"))};
    whenModal([](QWidget* dialog) {
        if (auto* edit = dialog->findChild<QLineEdit*>()) edit->setText(QStringLiteral("Jiný"));
        QTest::keyClick(dialog, Qt::Key_Return);
    });
    EXPECT_TRUE(callGlobal("InputQuery", args).toBool());
    EXPECT_EQ(args[2].toString(), czech("Jiný"));
}
