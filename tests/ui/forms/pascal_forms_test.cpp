// Forms and dialogs as Pascal-dialect programs use them.

#include "forms_fixture.h"
#include "script/pascal/pascal_fixture.h"

#include "core/cp1250.h"
#include "script/form_loader.h"
#include "script/stream/text_form.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

using namespace vorlan;
using namespace vorlan::forms;

namespace {

class PascalForms : public vorlan::testing::PascalTest {
protected:
    void SetUp() override {
        PascalTest::SetUp();
        forms::testing::ensureRegistered();
        // As the runtime starts: nobody has named the dialect.
        setProgramLanguage("");
    }
    void expectNoErrors() {
        EXPECT_TRUE(errors.empty()) << (errors.empty() ? "" : cp1250ToUtf8(errors[0].description));
    }
};

} // namespace

TEST_F(PascalForms, ButtonArrayLiteralKeepsTheButtonsWritten) {
    run({"begin", "  TestOut(MessageDlg('Smazat?', mtConfirmation, [mbYes, mbNo], 0));",
         "  TestOut(MessageDlg('Konec?', mtWarning, [mbOK, mbCancel, mbHelp], 0));", "end."});
    expectNoErrors();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].caption, "Dotaz");
    EXPECT_EQ(boxes[0].buttons, static_cast<unsigned>(ButtonYes | ButtonNo));
    EXPECT_EQ(boxes[0].defaultButton, static_cast<unsigned>(ButtonYes));
    EXPECT_EQ(boxes[1].buttons, static_cast<unsigned>(ButtonOk | ButtonCancel | ButtonHelp));
}

TEST_F(PascalForms, HandlersOfAStoredFormChangeItsWidgets) {
    auto form = script::instantiateComponents(stream::componentFromText(R"(object Form1: TForm1
  Caption = 'Pokus'
  ClientHeight = 100
  ClientWidth = 200
  object Button1: TButton
    Left = 8
    Top = 8
    Width = 75
    Height = 25
    Caption = 'Klik'
    OnClick = Button1Click
  end
  object Label1: TLabel
    Left = 8
    Top = 40
    Width = 100
    Height = 13
  end
  object ListBox1: TListBox
    Left = 100
    Top = 8
    Width = 90
    Height = 80
  end
end
)"),
                                              script::registry(), true);
    auto s =
        scripter({"type TForm1 = class(TForm)", "    Button1: TButton;", "    Label1: TLabel;",
                  "    ListBox1: TListBox;", "    procedure Button1Click(Sender: TObject);",
                  "  end;", "procedure TForm1.Button1Click(Sender: TObject);", "begin",
                  "  Label1.Caption := 'Stisknuto ' + Sender.Name;",
                  czech("  ListBox1.Items.Add('řádek');"), "  Button1.Left := Button1.Left + 10;",
                  "end;", "begin", czech("  Caption := 'Připraveno';"), "end."});
    s->setModule(form.get());
    s->run();
    expectNoErrors();
    auto* root = dynamic_cast<Form*>(form.get());
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->widget()->windowTitle(), QStringLiteral("Připraveno"));

    auto widget = [&](const char* name) {
        return dynamic_cast<Control*>(form->findComponent(name))->widget();
    };
    qobject_cast<QPushButton*>(widget("Button1"))->click();
    expectNoErrors();
    EXPECT_EQ(qobject_cast<QLabel*>(widget("Label1"))->text(), QStringLiteral("Stisknuto Button1"));
    auto* list = qobject_cast<QListWidget*>(widget("ListBox1"));
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("řádek"));
    EXPECT_EQ(widget("Button1")->geometry().left(), 18);
    s.reset();
}
