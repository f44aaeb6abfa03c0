// Application and Screen as programs use them.
#include "desktop_fixture.h"

#include "core/headless_ui.h"
#include "ui/qt/forms/control.h"
#include "ui/qt/forms/font_object.h"
#include "ui/qt/forms/form.h"
#include "ui/qt/forms/standard_controls.h"
#include "ui/qt/forms/string_list.h"

#include <QApplication>
#include <QCursor>

#include <sstream>

using namespace vorlan;
using namespace vorlan::stdlib::testing;
using script::Value;

namespace {

class DesktopObjects : public ::testing::Test {
protected:
    void SetUp() override {
        desktopRegistry();
        app = object("Application");
        screen = object("Screen");
        ASSERT_NE(app, nullptr);
        ASSERT_NE(screen, nullptr);
        auto headless = std::make_unique<HeadlessUi>(&log);
        headless->setAnswer([this](const MessageBoxRequest& r) {
            boxes.push_back(r);
            return MessageResult::No;
        });
        previous = setUi(std::move(headless));
    }
    void TearDown() override { setUi(std::move(previous)); }

    script::ObjectRef app;
    script::ObjectRef screen;
    std::ostringstream log;
    std::vector<MessageBoxRequest> boxes;
    std::unique_ptr<UiServices> previous;
};

} // namespace

TEST_F(DesktopObjects, ScreenCursorIsShownOverEveryWindowUntilTheDefaultComesBack) {
    EXPECT_GT(call(*screen, "Width").toInt(), 0);
    EXPECT_GT(call(*screen, "Height").toInt(), 0);
    EXPECT_GT(call(*call(*screen, "Fonts").toObject(), "Count").toInt(), 0);
    put(*screen, "Cursor", global("crHourGlass"));
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    put(*screen, "Cursor", Value("crHandPoint")); // as a stored name
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::PointingHandCursor);
    EXPECT_EQ(call(*screen, "Cursor").toInt(), -21);
    put(*screen, "Cursor", global("crDefault"));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    put(*screen, "Cursor", global("crDefault"));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(tryCall(*screen, "Cursor", {Value("crRuka")}, script::InvokePut).status,
              script::DispStatus::Exception);
}

TEST_F(DesktopObjects, FormsAProgramMakesAreCountedUntilFreed) {
    const int before = call(*screen, "FormCount").toInt();
    script::ObjectRef form = call(*object("TForm"), "Create").toObject();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(call(*screen, "FormCount").toInt(), before + 1);
    EXPECT_EQ(call(*screen, "Forms", {Value(before)}).toObject(), form);
    EXPECT_EQ(tryCall(*screen, "Forms", {Value(before + 1)}).status, script::DispStatus::Exception);

    // Application owns what is created with it as the owner, until the end of the process.
    script::ObjectRef owned = call(*object("TForm"), "Create", {Value(app)}).toObject();
    ASSERT_NE(owned, nullptr);
    EXPECT_EQ(call(*owned, "Owner").toObject(), app);
    EXPECT_EQ(call(*screen, "FormCount").toInt(), before + 2);
    call(*form, "Free");
    EXPECT_EQ(call(*screen, "FormCount").toInt(), before + 1);
    stdlib::releaseDesktopObjects();
    EXPECT_EQ(call(*screen, "FormCount").toInt(), before);
    EXPECT_EQ(call(*app, "ComponentCount").toInt(), 0);
}

TEST_F(DesktopObjects, MessageBoxTakesTheButtonsIconAndDefaultFromItsFlags) {
    const int flags = global("MB_YESNOCANCEL").toInt() | global("MB_ICONQUESTION").toInt() |
                      global("MB_DEFBUTTON2").toInt();
    EXPECT_EQ(call(*app, "MessageBox", {Value(czech("Uložit?")), Value(""), Value(flags)}).toInt(),
              global("IDNO").toInt());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].buttons, unsigned{ButtonYes | ButtonNo | ButtonCancel});
    EXPECT_EQ(boxes[0].defaultButton, unsigned{ButtonNo});
    EXPECT_EQ(boxes[0].icon, MessageIcon::Question);
    EXPECT_EQ(boxes[0].caption, call(*app, "Title").toString());

    call(*app, "MessageBox", {Value("x"), Value("Pozor"), Value(0x7F)}); // a type that is none
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].buttons, unsigned{ButtonOk});
    EXPECT_EQ(boxes[1].caption, "Pozor");
}

TEST_F(DesktopObjects, ApplicationBasics) {
    EXPECT_EQ(call(*app, "Title").toString(), applicationTitle());
    put(*app, "Title", Value("Faktury"));
    EXPECT_EQ(call(*app, "Title").toString(), "Faktury");
    EXPECT_EQ(applicationTitle(), "VORLAN"); // the runtime's own messages keep theirs
    EXPECT_FALSE(call(*app, "ExeName").toString().empty());
    EXPECT_EQ(call(*app, "Handle").toInt(), 0);
    call(*app, "ProcessMessages");
    EXPECT_FALSE(call(*app, "Terminated").toBool());
    put(*app, "HintColor", global("clYellow"));
    EXPECT_EQ(call(*app, "HintColor").toInt(), 0x00FFFF);
    // Without a running program Terminate has nothing to end but says so.
    call(*app, "Terminate");
    EXPECT_TRUE(call(*app, "Terminated").toBool());
    EXPECT_EQ(call(*app, "MainForm").toObject(), nullptr);
}
