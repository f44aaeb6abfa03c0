// Program forms: a stored form becomes real widgets, widget events call the script, and the
// script side changes the widgets.

#include "forms_fixture.h"
#include "script/line_runner.h"

#include "core/cp1250.h"
#include "script/comp_wrapper.h"
#include "script/form_loader.h"
#include "script/scripter.h"
#include "script/stream/text_form.h"
#include "ui/qt/forms/form.h"
#include "ui/qt/forms/timer.h"

#include <QCheckBox>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace vorlan;
using namespace vorlan::forms;
using namespace vorlan::forms::testing;
using script::Component;
using script::Value;

namespace {

const char* const kForm = R"(object Form1: TForm1
  Left = 120
  Top = 80
  Caption = 'Hlavní okno'
  ClientHeight = 240
  ClientWidth = 320
  OnCreate = FormCreate
  OnShow = FormShow
  OnActivate = FormActivate
  OnClose = FormClose
  object Button1: TButton
    Left = 10
    Top = 20
    Width = 75
    Height = 25
    Caption = '&OK'
    OnClick = Button1Click
  end
  object Panel1: TPanel
    Left = 100
    Top = 10
    Width = 200
    Height = 100
    Caption = 'Panel'
    object Label1: TLabel
      Left = 4
      Top = 6
      Width = 60
      Height = 13
      AutoSize = False
      Caption = '&Jméno'
      Font.Height = -16
      Font.Style = [fsBold]
    end
  end
  object Edit1: TEdit
    Left = 10
    Top = 60
    Width = 80
    Height = 21
    Text = 'abc'
    MaxLength = 5
    OnChange = Edit1Change
    OnKeyPress = Edit1KeyPress
  end
  object ListBox1: TListBox
    Left = 10
    Top = 120
    Width = 80
    Height = 60
    Items.Strings = (
      'jedna'
      'dvě')
    OnClick = ListBox1Click
  end
  object Memo1: TMemo
    Left = 100
    Top = 120
    Width = 100
    Height = 60
    Lines.Strings = (
      'první'
      'druhý')
  end
  object CheckBox1: TCheckBox
    Left = 10
    Top = 190
    Width = 90
    Height = 17
    Caption = 'Zapnuto'
    Checked = True
    OnClick = CheckBox1Click
  end
  object Gauge1: TFancyGauge
    Left = 210
    Top = 120
    Width = 100
    Height = 100
    object Button2: TButton
      Left = 5
      Top = 5
      Width = 50
      Height = 20
    end
  end
  object Table1: TSomeTable
    Left = 8
    Top = 8
  end
  object Timer1: TTimer
    Interval = 50
    OnTimer = Timer1Timer
  end
end
)";

class FormsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureRegistered();
        ::testing::internal::CaptureStderr();
        form = script::instantiateComponents(stream::componentFromText(kForm), script::registry(),
                                             true);
        warnings = ::testing::internal::GetCapturedStderr();
        form->setEventSink(&sink);
    }

    template <class W> W* widgetOf(std::string_view name) {
        auto* control = dynamic_cast<Control*>(form->findComponent(name));
        return control ? qobject_cast<W*>(control->widget()) : nullptr;
    }
    Value wrapped(Component* c) { return Value(script::wrapObject(c)); }
    Value get(const Value& object, std::string_view name) {
        Value result;
        script::ExceptionInfo error;
        EXPECT_EQ(script::invokeByName(*object.asObject(), name,
                                       script::InvokeGet | script::InvokeMethod, {}, result, error),
                  script::DispStatus::Ok)
            << name << ": " << error.description;
        return result;
    }
    void put(const Value& object, std::string_view name, Value value) {
        Value result;
        script::ExceptionInfo error;
        std::vector<Value> args{std::move(value)};
        EXPECT_EQ(
            script::invokeByName(*object.asObject(), name, script::InvokePut, args, result, error),
            script::DispStatus::Ok)
            << name << ": " << error.description;
    }
    Value call(const Value& object, std::string_view name, std::vector<Value> args = {}) {
        Value result;
        script::ExceptionInfo error;
        EXPECT_EQ(script::invokeByName(*object.asObject(), name, script::InvokeMethod, args, result,
                                       error),
                  script::DispStatus::Ok)
            << name << ": " << error.description;
        return result;
    }

    RecordingSink sink;
    std::unique_ptr<Component> form;
    std::string warnings;
};

} // namespace

TEST_F(FormsTest, StoredFormBecomesWidgetsWithItsGeometryAndTexts) {
    auto* root = dynamic_cast<Form*>(form.get());
    ASSERT_NE(root, nullptr);
    QWidget* window = root->widget();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Hlavní okno"));
    EXPECT_EQ(window->size(), QSize(320, 240));
    EXPECT_EQ(window->pos(), QPoint(120, 80));

    auto* button = widgetOf<QPushButton>("Button1");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), QStringLiteral("&OK"));
    EXPECT_EQ(button->geometry(), QRect(10, 20, 75, 25));
    EXPECT_EQ(button->parentWidget(), root->clientArea());

    // A control sits in the control it was stored in, at coordinates relative to it.
    auto* label = widgetOf<QLabel>("Label1");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->parentWidget(), widgetOf<QLabel>("Panel1"));
    EXPECT_EQ(label->geometry(), QRect(4, 6, 60, 13));
    EXPECT_EQ(label->text(), QStringLiteral("Jméno"));
    EXPECT_EQ(label->font().pixelSize(), 16);
    EXPECT_TRUE(label->font().bold());

    auto* edit = widgetOf<QLineEdit>("Edit1");
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text(), QStringLiteral("abc"));
    EXPECT_EQ(edit->maxLength(), 5);
    auto* list = widgetOf<QListWidget>("ListBox1");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(1)->text(), QStringLiteral("dvě"));
    auto* memo = widgetOf<QPlainTextEdit>("Memo1");
    ASSERT_NE(memo, nullptr);
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("první\ndruhý"));
    auto* check = widgetOf<QCheckBox>("CheckBox1");
    ASSERT_NE(check, nullptr);
    EXPECT_TRUE(check->isChecked());
}

TEST_F(FormsTest, UnknownVisualClassIsAnEmptyPanelThatStillHoldsItsControls) {
    Component* gauge = form->findComponent("Gauge1");
    ASSERT_NE(gauge, nullptr);
    EXPECT_EQ(dynamic_cast<Control*>(gauge), nullptr);
    EXPECT_NE(warnings.find("TFancyGauge Gauge1"), std::string::npos) << warnings;
    // Its stored properties are kept for scripts.
    Value width;
    ASSERT_TRUE(gauge->getPublished("Width", width));
    EXPECT_EQ(width.toInt(), 100);

    auto* frame =
        dynamic_cast<Form*>(form.get())->widget()->findChild<QFrame*>(QStringLiteral("Gauge1"));
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->geometry(), QRect(210, 120, 100, 100));
    auto* inner = widgetOf<QPushButton>("Button2");
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->parentWidget(), frame);

    // A component without a size on the form is not visual: no panel, no warning.
    EXPECT_EQ(warnings.find("Table1"), std::string::npos);
}

TEST_F(FormsTest, WidgetEventsCallTheNamedHandlersWithTheSender) {
    auto* button = widgetOf<QPushButton>("Button1");
    ASSERT_NE(button, nullptr);
    button->click();
    ASSERT_EQ(sink.names(), std::vector<std::string>{"Button1Click"});
    ASSERT_EQ(sink.calls[0].args.size(), 1u);
    EXPECT_EQ(script::nativeObjectOf(sink.calls[0].args[0]), form->findComponent("Button1"));

    sink.calls.clear();
    widgetOf<QCheckBox>("CheckBox1")->click();
    auto* list = widgetOf<QListWidget>("ListBox1");
    list->setCurrentRow(1);
    EXPECT_EQ(sink.names(), (std::vector<std::string>{"CheckBox1Click", "ListBox1Click"}));

    // OnKeyPress may change the key or swallow it (#0); OnChange follows the text.
    sink.calls.clear();
    sink.answers["Edit1KeyPress"] = [](std::span<Value> args) {
        const std::string key = args[1].toString();
        args[1] = Value(key == "x" ? std::string(1, '\0') : upperCase(key));
    };
    auto* edit = widgetOf<QLineEdit>("Edit1");
    edit->clear();
    sink.calls.clear();
    QTest::keyClicks(edit, "axb");
    EXPECT_EQ(edit->text(), QStringLiteral("AB"));
    EXPECT_EQ(sink.names(),
              (std::vector<std::string>{"Edit1KeyPress", "Edit1Change", "Edit1KeyPress",
                                        "Edit1KeyPress", "Edit1Change"}));
}

TEST_F(FormsTest, ScriptSideChangesTheWidgets) {
    const Value self = wrapped(form.get());
    const Value button = get(self, "Button1");
    put(button, "Caption", Value(czech("Uložit")));
    put(button, "Left", Value(std::int32_t{33}));
    put(button, "Enabled", Value(false));
    auto* qbutton = widgetOf<QPushButton>("Button1");
    EXPECT_EQ(qbutton->text(), QStringLiteral("Uložit"));
    EXPECT_EQ(qbutton->geometry().left(), 33);
    EXPECT_FALSE(qbutton->isEnabled());
    EXPECT_EQ(get(button, "Caption").toString(), czech("Uložit"));
    put(button, "Visible", Value(false));
    EXPECT_FALSE(get(button, "Visible").toBool());
    EXPECT_TRUE(qbutton->isHidden());

    // A label that sizes itself to its text gets the room a longer caption needs.
    auto* label2 = dynamic_cast<Control*>(form->findComponent("Label1"));
    label2->setPublished("AutoSize", Value(true));
    put(get(self, "Label1"), "Caption", Value(czech("Velmi dlouhý popisek, který se nevejde")));
    auto* qlabel = widgetOf<QLabel>("Label1");
    EXPECT_GE(qlabel->width(), qlabel->sizeHint().width());
    EXPECT_GT(qlabel->width(), 60);

    const Value edit = get(self, "Edit1");
    put(edit, "Text", Value("xyz"));
    EXPECT_EQ(widgetOf<QLineEdit>("Edit1")->text(), QStringLiteral("xyz"));
    call(edit, "Clear");
    EXPECT_EQ(get(edit, "Text").toString(), "");

    // Items and Lines are string lists; their methods change the widget.
    const Value items = get(get(self, "ListBox1"), "Items");
    EXPECT_EQ(call(items, "Add", {Value(czech("tři"))}).toInt(), 2);
    EXPECT_EQ(get(items, "Count").toInt(), 3);
    EXPECT_EQ(widgetOf<QListWidget>("ListBox1")->item(2)->text(), QStringLiteral("tři"));
    put(get(self, "ListBox1"), "ItemIndex", Value(std::int32_t{1}));
    EXPECT_EQ(widgetOf<QListWidget>("ListBox1")->currentRow(), 1);
    EXPECT_EQ(call(items, "IndexOf", {Value("JEDNA")}).toInt(), 0);
    call(get(self, "ListBox1"), "Clear");
    EXPECT_EQ(widgetOf<QListWidget>("ListBox1")->count(), 0);

    const Value lines = get(get(self, "Memo1"), "Lines");
    call(lines, "Add", {Value(czech("třetí"))});
    EXPECT_EQ(widgetOf<QPlainTextEdit>("Memo1")->toPlainText(),
              QStringLiteral("první\ndruhý\ntřetí"));
    EXPECT_EQ(get(get(self, "Memo1"), "Text").toString(), czech("první\r\ndruhý\r\ntřetí"));

    const Value font = get(get(self, "Label1"), "Font");
    put(font, "Size", Value(std::int32_t{12}));
    EXPECT_EQ(widgetOf<QLabel>("Label1")->font().pixelSize(), 16);
    EXPECT_EQ(get(font, "Size").toInt(), 12);

    // An edit's text changes whoever changes it; a list's selection set by the script is no
    // user's click.
    EXPECT_EQ(sink.names(), (std::vector<std::string>{"Edit1Change", "Edit1Change"}));
}

TEST_F(FormsTest, TimerTicksIntoItsHandler) {
    auto* timer = dynamic_cast<Timer*>(form->findComponent("Timer1"));
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->running());
    QTest::qWait(120);
    ASSERT_FALSE(sink.calls.empty());
    EXPECT_EQ(sink.calls[0].procedure, "Timer1Timer");
    timer->setPublished("Enabled", Value(false));
    EXPECT_FALSE(timer->running());
}

TEST_F(FormsTest, ControlsMadeByScriptsJoinTheirParent) {
    const Value self = wrapped(form.get());
    Value buttonClass;
    script::ExceptionInfo error;
    auto scope = script::registry().globalScope();
    ASSERT_EQ(script::invokeByName(*scope, "TButton", script::InvokeGet, {}, buttonClass, error),
              script::DispStatus::Ok);
    const Value made = call(buttonClass, "Create", {self});
    put(made, "Parent", get(self, "Panel1"));
    put(made, "Caption", Value(czech("Nové")));
    auto* control = script::nativeAs<Control>(made);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->owner(), form.get());
    EXPECT_EQ(control->widget()->parentWidget(), widgetOf<QLabel>("Panel1"));
    // Made without a form's geometry, it has the size such a button has.
    EXPECT_EQ(control->widget()->size(), QSize(75, 25));
}

// The module form of a running program: the order of its events and the end of the run.
TEST(ModuleForm, EventOrderAndClosingEndsTheRun) {
    ensureRegistered();
    vorlan::testing::registerLineRunner();
    vorlan::testing::lineRunnerLog().clear();
    installFormHooks();
    UiScope screen(screenUi());

    auto form =
        script::instantiateComponents(stream::componentFromText(kForm), script::registry(), true);
    script::Scripter scripter;
    scripter.language = "LineScript";
    scripter.script = {
        "echo body", "proc main",      "echo main",  "end", "proc FormCreate",   "echo create",
        "end",       "proc FormShow",  "echo show",  "end", "proc FormActivate", "echo activate",
        "end",       "proc FormClose", "echo close", "end"};
    scripter.setModule(form.get());
    scripter.run();
    ASSERT_TRUE(script::Scripter::showForm);
    script::Scripter::showForm(*form);
    EXPECT_EQ(vorlan::testing::lineRunnerLog(),
              (std::vector<std::string>{"body", "main", "create", "show", "activate"}));
    auto* root = dynamic_cast<Form*>(form.get());
    EXPECT_TRUE(root->widget()->isVisible());
    EXPECT_TRUE(script::scripterIsLive(&scripter));

    // Closing the window by its frame goes through OnClose and ends the program's run.
    root->widget()->close();
    EXPECT_EQ(vorlan::testing::lineRunnerLog().back(), "close");
    EXPECT_FALSE(root->widget()->isVisible());
    EXPECT_FALSE(script::scripterIsLive(&scripter));

    // The size scripts give a shown form is its frame's, as they read it back.
    root->showControl();
    root->setPublished("Width", Value(std::int32_t{500}));
    QApplication::processEvents();
    Value width;
    root->getPublished("Width", width);
    EXPECT_EQ(width.toInt(), 500);
    EXPECT_LE(root->widget()->width(), 500);
}

TEST(ModuleForm, CloseActionNoneKeepsTheFormOpen) {
    ensureRegistered();
    UiScope screen(screenUi());
    auto form =
        script::instantiateComponents(stream::componentFromText(kForm), script::registry(), true);
    RecordingSink sink;
    sink.answers["FormClose"] = [](std::span<Value> args) { args[1] = Value(std::int32_t{0}); };
    form->setEventSink(&sink);
    auto* root = dynamic_cast<Form*>(form.get());
    root->showControl();
    EXPECT_FALSE(root->close());
    EXPECT_TRUE(root->widget()->isVisible());
    sink.answers.clear();
    EXPECT_TRUE(root->close());
    EXPECT_FALSE(root->widget()->isVisible());
}

// Without a screen the form is shown on the offscreen platform, so the program's OnShow and
// OnActivate run as on the desktop; a form its OnShow closes never appears.
TEST(ModuleForm, HeadlessFormIsShownUnlessItsOnShowClosesIt) {
    ensureRegistered();
    installFormHooks();
    std::ostringstream log;
    UiScope headless(std::make_unique<HeadlessUi>(&log));
    auto form =
        script::instantiateComponents(stream::componentFromText(kForm), script::registry(), true);
    auto* root = dynamic_cast<Form*>(form.get());
    RecordingSink sink;
    form->setEventSink(&sink);
    script::Scripter::showForm(*form);
    EXPECT_EQ(sink.names(), (std::vector<std::string>{"FormCreate", "FormShow", "FormActivate"}));
    EXPECT_TRUE(root->widget()->isVisible());
    EXPECT_TRUE(root->close());
    EXPECT_FALSE(root->widget()->isVisible());

    sink.calls.clear();
    sink.answers["FormShow"] = [root](std::span<Value>) { root->close(); };
    root->showControl();
    EXPECT_EQ(sink.names(), (std::vector<std::string>{"FormShow", "FormClose"}));
    EXPECT_FALSE(root->widget()->isVisible());
    // Shown again later, it appears as usual.
    sink.answers.clear();
    sink.calls.clear();
    root->showControl();
    EXPECT_EQ(sink.names(), (std::vector<std::string>{"FormShow", "FormActivate"}));
    EXPECT_TRUE(root->widget()->isVisible());
}

// A module form answers ClassName with the class its form file declares, while its members are
// those of the registered form class it descends from.
TEST(ModuleForm, ClassNameIsTheDeclaredClass) {
    ensureRegistered();
    auto form =
        script::instantiateComponents(stream::componentFromText(kForm), script::registry(), true);
    EXPECT_EQ(form->className(), "TForm1");
    EXPECT_TRUE(form->isForm());
    EXPECT_NE(dynamic_cast<Form*>(form.get()), nullptr);
    EXPECT_TRUE(script::registry().findMember("TForm1", "Close").method);
    // Only the module's root is renamed: its controls keep their registered classes.
    EXPECT_EQ(form->findComponent("Button1")->className(), "TButton");
}

TEST(EnterControls, EnterMovesOnLikeTabButNotInAMemo) {
    ensureRegistered();
    UiScope screen(screenUi());
    auto form = script::instantiateComponents(stream::componentFromText(R"(object Form2: TForm2
  ClientHeight = 100
  ClientWidth = 200
  object Edit1: TEditEnter
    Left = 8
    Top = 8
    Width = 80
    Height = 21
  end
  object Memo1: TMemo
    Left = 8
    Top = 32
    Width = 80
    Height = 40
  end
  object Edit2: TEditEnter
    Left = 100
    Top = 8
    Width = 80
    Height = 21
  end
end
)"),
                                              script::registry(), true);
    auto* root = dynamic_cast<Form*>(form.get());
    root->showControl();
    QApplication::setActiveWindow(root->widget());
    auto widget = [&](const char* name) {
        return dynamic_cast<Control*>(form->findComponent(name))->widget();
    };
    widget("Edit1")->setFocus();
    ASSERT_TRUE(widget("Edit1")->hasFocus());
    QTest::keyClick(widget("Edit1"), Qt::Key_Return);
    EXPECT_TRUE(widget("Memo1")->hasFocus());
    QTest::keyClick(widget("Memo1"), Qt::Key_Return);
    EXPECT_TRUE(widget("Memo1")->hasFocus());
    EXPECT_EQ(qobject_cast<QPlainTextEdit*>(widget("Memo1"))->toPlainText(), QStringLiteral("\n"));
    widget("Edit2")->setFocus();
    QTest::keyClick(widget("Edit2"), Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_TRUE(widget("Memo1")->hasFocus());
}

TEST_F(FormsTest, EventsCanBeBoundByTheScript) {
    const Value timer = get(wrapped(form.get()), "Timer1");
    EXPECT_EQ(get(timer, "OnTimer").toString(), "Timer1Timer");
    const Value button = get(wrapped(form.get()), "Button1");
    put(button, "OnClick", Value("Other"));
    widgetOf<QPushButton>("Button1")->click();
    EXPECT_EQ(sink.names(), std::vector<std::string>{"Other"});
}

TEST(ModalForm, ButtonHandlerCanTakeTheModalResultBack) {
    ensureRegistered();
    UiScope screen(screenUi());
    auto form = script::instantiateComponents(stream::componentFromText(R"(object Dialog1: TDialog1
  ClientHeight = 60
  ClientWidth = 120
  object OkButton: TButton
    Left = 8
    Top = 8
    Width = 75
    Height = 25
    Caption = 'OK'
    ModalResult = 1
    OnClick = OkButtonClick
  end
end
)"),
                                              script::registry(), true);
    auto* root = dynamic_cast<Form*>(form.get());
    RecordingSink sink;
    int clicks = 0;
    // The first click finds the input wanting and keeps the dialog open.
    sink.answers["OkButtonClick"] = [&](std::span<Value>) {
        if (++clicks == 1) root->setPublished("ModalResult", Value(std::int32_t{0}));
    };
    form->setEventSink(&sink);
    bool openAfterFirst = false;
    whenModal([&](QWidget*) {
        auto* ok = qobject_cast<QPushButton*>(
            dynamic_cast<Control*>(form->findComponent("OkButton"))->widget());
        ok->click();
        QTest::qWait(20);
        openAfterFirst = root->widget()->isVisible();
        ok->click();
    });
    EXPECT_EQ(root->showModal(), 1);
    EXPECT_TRUE(openAfterFirst);
    EXPECT_EQ(clicks, 2);
    EXPECT_FALSE(root->widget()->isVisible());
}

TEST(ModalForm, EscPressesTheEnabledCancelButtonAndACloseButtonClosesTheForm) {
    ensureRegistered();
    UiScope screen(screenUi());
    auto form = script::instantiateComponents(stream::componentFromText(R"(object Dialog7: TDialog7
  ClientHeight = 60
  ClientWidth = 240
  object Off: TButton
    Left = 8
    Top = 8
    Cancel = True
    Enabled = False
    ModalResult = 7
  end
  object Back: TButton
    Left = 88
    Top = 8
    Cancel = True
    ModalResult = 2
  end
  object Done: TBitBtn
    Left = 168
    Top = 8
    Kind = bkClose
  end
end
)"),
                                              script::registry(), true);
    auto* root = dynamic_cast<Form*>(form.get());
    // A disabled cancel button is passed over.
    whenModal([](QWidget* window) { QTest::keyClick(window, Qt::Key_Escape); });
    EXPECT_EQ(root->showModal(), 2);
    EXPECT_FALSE(root->widget()->isVisible());

    root->showControl();
    ASSERT_TRUE(root->widget()->isVisible());
    qobject_cast<QPushButton*>(dynamic_cast<Control*>(form->findComponent("Done"))->widget())
        ->click();
    EXPECT_FALSE(root->widget()->isVisible());
}

TEST(EnterControls, FocusFollowsTabOrderAndStartsAtActiveControl) {
    ensureRegistered();
    UiScope screen(screenUi());
    auto form = script::instantiateComponents(stream::componentFromText(R"(object Form3: TForm3
  ActiveControl = Edit3
  ClientHeight = 100
  ClientWidth = 300
  object Edit1: TEditEnter
    Left = 8
    Top = 8
    Width = 80
    Height = 21
    TabOrder = 2
  end
  object Edit2: TEditEnter
    Left = 100
    Top = 8
    Width = 80
    Height = 21
    TabOrder = 0
  end
  object Edit3: TEditEnter
    Left = 200
    Top = 8
    Width = 80
    Height = 21
    TabOrder = 1
  end
end
)"),
                                              script::registry(), true);
    auto* root = dynamic_cast<Form*>(form.get());
    root->showControl();
    QApplication::setActiveWindow(root->widget());
    auto widget = [&](const char* name) {
        return dynamic_cast<Control*>(form->findComponent(name))->widget();
    };
    EXPECT_TRUE(widget("Edit3")->hasFocus());
    QTest::keyClick(widget("Edit3"), Qt::Key_Return);
    EXPECT_TRUE(widget("Edit1")->hasFocus());
    widget("Edit2")->setFocus();
    QTest::keyClick(widget("Edit2"), Qt::Key_Return);
    EXPECT_TRUE(widget("Edit3")->hasFocus());
}

TEST_F(FormsTest, KeyPreviewLetsTheFormSeeKeysFirst) {
    form->setPublished("KeyPreview", Value(true));
    form->bindEvent("OnKeyPress", "FormKeyPress");
    sink.answers["FormKeyPress"] = [](std::span<Value> args) {
        if (args[1].toString() == "q") args[1] = Value(std::string(1, '\0'));
    };
    auto* edit = widgetOf<QLineEdit>("Edit1");
    edit->clear();
    sink.calls.clear();
    QTest::keyClicks(edit, "qa");
    EXPECT_EQ(edit->text(), QStringLiteral("a"));
    EXPECT_EQ(sink.names(), (std::vector<std::string>{"FormKeyPress", "FormKeyPress",
                                                      "Edit1KeyPress", "Edit1Change"}));
}

TEST(RadioGroup, ItemsBecomeRadioButtonsAndItemIndexIsTheCheckedOne) {
    ensureRegistered();
    auto form = script::instantiateComponents(stream::componentFromText(R"(object Form4: TForm4
  object Choice: TRadioGroup
    Left = 8
    Top = 8
    Width = 120
    Height = 100
    Caption = 'Volba'
    ItemIndex = 1
    Items.Strings = (
      'A'
      'B'
      'C')
    OnClick = ChoiceClick
  end
end
)"),
                                              script::registry(), true);
    RecordingSink sink;
    form->setEventSink(&sink);
    auto* choice = dynamic_cast<Control*>(form->findComponent("Choice"));
    const auto radios = choice->widget()->findChildren<QRadioButton*>();
    ASSERT_EQ(radios.size(), 3);
    EXPECT_TRUE(radios[1]->isChecked());
    choice->setPublished("ItemIndex", Value(std::int32_t{2}));
    EXPECT_TRUE(radios[2]->isChecked());
    EXPECT_TRUE(sink.calls.empty());
    radios[0]->click();
    Value index;
    choice->getPublished("ItemIndex", index);
    EXPECT_EQ(index.toInt(), 0);
    EXPECT_EQ(sink.names(), std::vector<std::string>{"ChoiceClick"});
    choice->setPublished("ItemIndex", Value(std::int32_t{-1}));
    EXPECT_FALSE(radios[0]->isChecked());
}

TEST_F(FormsTest, KeyDownGetsKeyCodesAndShiftAndMaySwallowTheKey) {
    auto* edit = widgetOf<QLineEdit>("Edit1");
    form->findComponent("Edit1")->bindEvent("OnKeyDown", "Edit1KeyDown");
    sink.answers["Edit1KeyDown"] = [](std::span<Value> args) {
        if (args[1].toInt() == 'B') args[1] = Value(std::int32_t{0});
    };
    edit->clear();
    sink.calls.clear();
    QTest::keyClick(edit, Qt::Key_F2, Qt::ShiftModifier | Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_B);
    QTest::keyClick(edit, Qt::Key_C);
    EXPECT_EQ(edit->text(), QStringLiteral("c"));
    // Shift and Ctrl are keys of their own before F2 comes.
    std::vector<std::int32_t> codes;
    for (const auto& c : sink.calls)
        if (c.procedure == "Edit1KeyDown") codes.push_back(c.args[1].toInt());
    EXPECT_EQ(codes, (std::vector<std::int32_t>{16, 17, 113, 'B', 'C'}));
    ASSERT_EQ(sink.calls[2].args.size(), 3u);
    EXPECT_EQ(sink.calls[2].args[2].toInt(), 1 | 4);
    EXPECT_EQ(sink.names().back(), "Edit1Change");
}

TEST(Align, AlignedControlsFollowTheirParentsSize) {
    ensureRegistered();
    UiScope screen(screenUi());
    auto form = script::instantiateComponents(stream::componentFromText(R"(object Form5: TForm5
  ClientHeight = 200
  ClientWidth = 300
  object Buttons: TPanel
    Left = 0
    Top = 160
    Width = 300
    Height = 40
    Align = alBottom
    BevelOuter = bvNone
    object Close: TButton
      Left = 220
      Top = 8
      Width = 75
      Height = 25
      Align = alRight
    end
  end
  object Side: TListBox
    Left = 0
    Top = 0
    Width = 80
    Height = 160
    Align = alLeft
  end
  object Text: TMemo
    Left = 80
    Top = 0
    Width = 220
    Height = 160
    Align = alClient
  end
end
)"),
                                              script::registry(), true);
    auto* root = dynamic_cast<Form*>(form.get());
    auto widget = [&](const char* name) {
        return dynamic_cast<Control*>(form->findComponent(name))->widget();
    };
    RecordingSink sink;
    form->setEventSink(&sink);
    form->bindEvent("OnResize", "FormResize");
    root->showControl();
    sink.calls.clear();
    root->widget()->resize(400, 300);
    QApplication::processEvents();
    EXPECT_EQ(sink.names(), std::vector<std::string>{"FormResize"});
    EXPECT_EQ(widget("Buttons")->geometry(), QRect(0, 260, 400, 40));
    EXPECT_EQ(widget("Side")->geometry(), QRect(0, 0, 80, 260));
    EXPECT_EQ(widget("Text")->geometry(), QRect(80, 0, 320, 260));
    // Inside the panel too; the size scripts read is the aligned one.
    EXPECT_EQ(widget("Close")->geometry(), QRect(325, 0, 75, 40));
    Value width;
    form->findComponent("Text")->getPublished("Width", width);
    EXPECT_EQ(width.toInt(), 320);
    // A control that stops being aligned keeps where it is.
    form->findComponent("Side")->setPublished("Align", Value("alNone"));
    root->widget()->resize(500, 300);
    QApplication::processEvents();
    EXPECT_EQ(widget("Side")->geometry(), QRect(0, 0, 80, 260));
    EXPECT_EQ(widget("Text")->geometry(), QRect(0, 0, 500, 260));
}

TEST(ModalForm, EnterPressesTheDefaultOrTheFocusedButtonOnly) {
    ensureRegistered();
    UiScope screen(screenUi());
    auto form = script::instantiateComponents(stream::componentFromText(R"(object Dialog2: TDialog2
  ClientHeight = 80
  ClientWidth = 200
  object Edit1: TEdit
    Left = 8
    Top = 8
    Width = 100
    Height = 21
  end
  object DeleteButton: TButton
    Left = 8
    Top = 40
    Width = 75
    Height = 25
    ModalResult = 3
  end
  object SaveButton: TButton
    Left = 100
    Top = 40
    Width = 75
    Height = 25
    ModalResult = 1
  end
end
)"),
                                              script::registry(), true);
    auto* root = dynamic_cast<Form*>(form.get());
    auto widget = [&](const char* name) {
        return dynamic_cast<Control*>(form->findComponent(name))->widget();
    };
    // Without a Default button, Enter in the edit presses nothing; the focused button it presses.
    bool openAfterEnter = false;
    whenModal([&](QWidget*) {
        QTest::keyClick(widget("Edit1"), Qt::Key_Return);
        QTest::qWait(20);
        openAfterEnter = root->widget()->isVisible();
        QTest::keyClick(widget("SaveButton"), Qt::Key_Return);
    });
    EXPECT_EQ(root->showModal(), 1);
    EXPECT_TRUE(openAfterEnter);
    // With one, Enter in the edit presses it.
    form->findComponent("DeleteButton")->setPublished("Default", Value(true));
    whenModal([&](QWidget*) { QTest::keyClick(widget("Edit1"), Qt::Key_Return); });
    EXPECT_EQ(root->showModal(), 3);
}

TEST(ModalForm, WithoutAScreenShowModalAnswersTheDefaultButton) {
    ensureRegistered();
    std::ostringstream log;
    UiScope headless(std::make_unique<HeadlessUi>(&log));
    auto form = script::instantiateComponents(stream::componentFromText(R"(object Dialog3: TDialog3
  Caption = 'Volba'
  object Yes: TButton
    ModalResult = 6
  end
  object No: TButton
    ModalResult = 7
  end
end
)"),
                                              script::registry(), true);
    auto* root = dynamic_cast<Form*>(form.get());
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(root->showModal(), 2);
    form->findComponent("No")->setPublished("Default", Value(true));
    EXPECT_EQ(root->showModal(), 7);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(said, "[form] Volba: 2\n[form] Volba: 7\n");
    EXPECT_FALSE(root->widget()->isVisible());
}

TEST(Menus, MainMenuIsAMenuBarAboveTheClientArea) {
    ensureRegistered();
    auto form = script::instantiateComponents(stream::componentFromText(R"(object Form6: TForm6
  ClientHeight = 120
  ClientWidth = 240
  object Button1: TButton
    Left = 0
    Top = 0
  end
  object MainMenu1: TMainMenu
    Left = 8
    Top = 8
    object File1: TMenuItem
      Caption = '&Soubor'
      object Open1: TMenuItem
        Caption = '&Otevřít'
        ShortCut = 16463
        OnClick = Open1Click
      end
      object N1: TMenuItem
        Caption = '-'
      end
      object Exit1: TMenuItem
        Caption = '&Konec'
        Enabled = False
      end
    end
  end
end
)"),
                                              script::registry(), true);
    RecordingSink sink;
    form->setEventSink(&sink);
    auto* root = dynamic_cast<Form*>(form.get());
    auto* bar = root->widget()->findChild<QMenuBar*>();
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->actions().size(), 1);
    EXPECT_EQ(bar->actions()[0]->text(), QStringLiteral("&Soubor"));
    QMenu* file = bar->actions()[0]->menu();
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(file->actions().size(), 3);
    EXPECT_EQ(file->actions()[0]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
    EXPECT_TRUE(file->actions()[1]->isSeparator());
    EXPECT_FALSE(file->actions()[2]->isEnabled());

    // The controls keep their coordinates below the bar, and the client keeps its size.
    const int barHeight = bar->sizeHint().height();
    EXPECT_GT(barHeight, 0);
    EXPECT_EQ(root->clientArea()->geometry(), QRect(0, barHeight, 240, 120));
    EXPECT_EQ(root->widget()->height(), 120 + barHeight);
    auto* button = dynamic_cast<Control*>(form->findComponent("Button1"))->widget();
    EXPECT_EQ(button->mapTo(root->widget(), QPoint(0, 0)), QPoint(0, barHeight));

    file->actions()[0]->trigger();
    const Value open = Value(script::wrapObject(form->findComponent("Open1")));
    Value result;
    script::ExceptionInfo error;
    ASSERT_EQ(
        script::invokeByName(*open.asObject(), "Click", script::InvokeMethod, {}, result, error),
        script::DispStatus::Ok);
    EXPECT_EQ(sink.names(), (std::vector<std::string>{"Open1Click", "Open1Click"}));
}

TEST_F(FormsTest, DoubleClickInAListAndRefusedCloseQuery) {
    // Lists take the mouse in their viewport; the double click still reaches the list's handler.
    form->findComponent("ListBox1")->bindEvent("OnDblClick", "ListBox1DblClick");
    auto* list = widgetOf<QListWidget>("ListBox1");
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                       list->visualItemRect(list->item(0)).center());
    const auto names = sink.names();
    EXPECT_NE(std::find(names.begin(), names.end(), "ListBox1DblClick"), names.end());

    form->bindEvent("OnCloseQuery", "FormCloseQuery");
    sink.answers["FormCloseQuery"] = [](std::span<Value> args) { args[1] = Value(false); };
    sink.calls.clear();
    EXPECT_FALSE(dynamic_cast<Form*>(form.get())->close());
    // Refused before OnClose is asked.
    EXPECT_EQ(sink.names(), std::vector<std::string>{"FormCloseQuery"});
}

TEST(ModalForm, CloseActionFreeFreesTheFormAfterTheEvent) {
    ensureRegistered();
    std::ostringstream log;
    UiScope headless(std::make_unique<HeadlessUi>(&log));
    auto owner = std::make_unique<Component>("TComponent", "Owner");
    auto* child = owner->adopt(script::instantiateComponents(
        stream::componentFromText("object Form7: TForm7\n  OnClose = Form7Close\nend\n"),
        script::registry(), true));
    RecordingSink sink;
    sink.answers["Form7Close"] = [](std::span<Value> args) { args[1] = Value(kCloseFree); };
    owner->setEventSink(&sink);
    const auto alive = child->aliveToken();
    EXPECT_TRUE(dynamic_cast<Form*>(child)->close());
    EXPECT_FALSE(alive.expired());
    QTest::qWait(20);
    EXPECT_TRUE(alive.expired());
    EXPECT_TRUE(owner->components().empty());
}
