// Forms and dialogs as Pascal-dialect programs use them.

#include "forms_fixture.h"
#include "script/pascal/pascal_fixture.h"

#include "core/cp1250.h"
#include "data/memory_data_set.h"
#include "library/math_strings.h"
#include "script/form_loader.h"
#include "script/open_array.h"
#include "script/stream/text_form.h"
#include "ui/qt/forms/bar_controls.h"
#include "ui/qt/forms/container_controls.h"
#include "ui/qt/forms/data_grid.h"
#include "ui/qt/forms/grid_controls.h"
#include "ui/qt/forms/list_controls.h"
#include "ui/qt/forms/menus.h"
#include "ui/qt/forms/picture_controls.h"
#include "ui/qt/forms/timer.h"
#include "window_models/recording_ui.h"

#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTreeWidget>

#include <fstream>
#include <sstream>

using namespace vorlan;
using namespace vorlan::forms;
using script::Value;

namespace {

class PascalForms : public vorlan::testing::PascalTest {
protected:
    void SetUp() override {
        PascalTest::SetUp();
        forms::testing::ensureRegistered();
        // As the runtime starts: nobody has named the dialect.
        script::setProgramLanguage("");
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

TEST_F(PascalForms, ProgramsReachGridCellsPicturesShapesAndPages) {
    auto form = script::instantiateComponents(stream::componentFromText(R"(object Form1: TForm1
  ClientHeight = 200
  ClientWidth = 300
  object Grid1: TStringGrid
    ColCount = 3
    RowCount = 3
  end
  object Shape1: TShape
  end
  object Image1: TImage
  end
  object Pages: TPageControl
    object Sheet1: TTabSheet
      Caption = 'A'
    end
    object Sheet2: TTabSheet
      Caption = 'B'
    end
  end
end
)"),
                                              script::registry(), true);
    auto s = scripter(
        {"begin", "  Grid1.Cells[1, 2] := 'x';", "  Grid1.Cells[2, 0] := Grid1.Cells[1, 2] + 'y';",
         "  Grid1.ColWidths[0] := 30;", "  TestOut(Grid1.Cells[2, 0]);",
         "  Shape1.Brush.Color := clBlue;", "  Shape1.Shape := stCircle;",
         "  TestOut(Pages.PageCount);", "  Pages.ActivePage := Sheet2;",
         "  TestOut(Pages.Pages[1].Caption);", "  TestOut(Image1.Picture.Width);", "end."});
    s->setModule(form.get());
    s->run();
    expectNoErrors();
    const auto& outputs = output();
    ASSERT_EQ(outputs.size(), 4u);
    EXPECT_EQ(outputs[0], "xy");
    EXPECT_EQ(outputs[1], "2");
    EXPECT_EQ(outputs[2], "B");
    EXPECT_EQ(outputs[3], "0");
    auto* shape = dynamic_cast<forms::Shape*>(form->findComponent("Shape1"));
    EXPECT_EQ(shape->brush().color(), QColor(Qt::blue));
    EXPECT_EQ(shape->shape(), "stCircle");
    EXPECT_EQ(dynamic_cast<forms::PageControl*>(form->findComponent("Pages"))->activePage(),
              form->findComponent("Sheet2"));
    s.reset();
}

TEST_F(PascalForms, ProgramsWritePropertiesThatCannotBeRead) {
    auto form = script::instantiateComponents(stream::componentFromText(R"(object Form1: TForm1
  ClientHeight = 100
  ClientWidth = 200
  object Grid1: TStringGrid
    ColCount = 2
    RowCount = 2
  end
end
)"),
                                              script::registry(), true);
    auto s = scripter({"var L: Variant;", "begin", "  L := TLabel.Create(Form1);",
                       "  L.Parent := Form1;", "  L.Alignment := taRightJustify;",
                       "  Grid1.Options := 'goEditing,goRowSelect';", "  TestOut('ok');",
                       "  TestOut(Grid1.Options);", "end."});
    s->setModule(form.get());
    s->run();
    // The writes land; reading such a property back is the script's error, not a crash.
    const auto& outputs = output();
    ASSERT_GE(outputs.size(), 1u);
    EXPECT_EQ(outputs[0], "ok");
    ASSERT_EQ(errors.size(), 1u);
    auto* grid = dynamic_cast<QTableWidget*>(
        dynamic_cast<forms::Control*>(form->findComponent("Grid1"))->widget());
    EXPECT_EQ(grid->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_NE(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
    QLabel* label = nullptr;
    for (const auto& c : form->components())
        if (auto* control = dynamic_cast<forms::Control*>(c.get()))
            if (auto* l = qobject_cast<QLabel*>(control->widget())) label = l;
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(label->alignment() & Qt::AlignRight);
    s.reset();
}

TEST_F(PascalForms, BundledExampleFillsItsListAndGridOnAClick) {
    auto& reg = script::registry();
    if (!reg.findProc("Str")) library::registerMathStrings(reg);
    // The console and the canvas belong to other windows: here they only need to exist.
    const std::pair<const char*, const char*> elsewhere[] = {
        {"Writeln", "procedure(S: Variant)"},
        {"ImageInit", "procedure(Width, Height: Integer)"},
        {"ImageClear", "procedure"},
        {"ImagePenColor", "procedure(Color: Integer)"},
        {"ImageEllipse", "procedure(X1, Y1, X2, Y2: Integer)"},
        {"ImageTextOut", "procedure(X, Y: Integer; Text: String)"},
        {"ImageShow", "procedure"}};
    for (const auto& [name, declaration] : elsewhere)
        if (!reg.findProc(name))
            reg.registerProc(name, declaration,
                             [](script::NativeObject*, std::span<Value>, Value&) {});
    auto readFile = [](const char* name) {
        std::ifstream in(std::string(VORLAN_EXAMPLES_DIR) + "/forms/" + name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    auto form = script::instantiateComponents(stream::componentFromText(readFile("FORMDEMO.zfm")),
                                              reg, true);
    std::vector<std::string> lines;
    std::istringstream source(utf8ToCp1250(readFile("FORMDEMO.ZLM")));
    for (std::string line; std::getline(source, line);)
        lines.push_back(line);
    auto s = scripter(lines);
    s->setModule(form.get());
    s->run();
    expectNoErrors();
    auto* root = dynamic_cast<Form*>(form.get());
    root->fireCreate();
    auto control = [&](const char* name) {
        return dynamic_cast<Control*>(form->findComponent(name));
    };
    auto* grid = dynamic_cast<StringGrid*>(control("StringGrid1"));
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->cell(1, 0), czech("Město"));

    control("Edit1")->setPublished("Text", Value("Eva"));
    control("Edit2")->setPublished("Text", Value("Brno"));
    qobject_cast<QPushButton*>(control("Button1")->widget())->click();
    control("Edit1")->setPublished("Text", Value("Jan"));
    qobject_cast<QPushButton*>(control("Button1")->widget())->click();
    expectNoErrors();
    EXPECT_EQ(qobject_cast<QLabel*>(control("Label1")->widget())->text(),
              QStringLiteral("Počet kliknutí: 2"));
    EXPECT_EQ(qobject_cast<QListWidget*>(control("ListBox1")->widget())->count(), 2);
    EXPECT_EQ(grid->row(1), (std::vector<std::string>{"Eva", "Brno", "3"}));
    EXPECT_EQ(grid->row(2), (std::vector<std::string>{"Jan", "", "3"}));

    // The list's popup menu removes the chosen item.
    qobject_cast<QListWidget*>(control("ListBox1")->widget())->setCurrentRow(0);
    dynamic_cast<MenuItem*>(form->findComponent("RemoveItem"))->click();
    expectNoErrors();
    auto* list = qobject_cast<QListWidget*>(control("ListBox1")->widget());
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("Jan"));

    // The lamp's timer starts on its button and stops itself after a few blinks.
    qobject_cast<QPushButton*>(control("BlinkButton")->widget())->click();
    auto* timer = dynamic_cast<Timer*>(form->findComponent("Timer1"));
    EXPECT_TRUE(timer->running());
    timer->setPublished("Enabled", Value(false));
    s.reset();
}

TEST_F(PascalForms, ProgramsFillGridLinesAndArrangeDataGridColumns) {
    data::MemoryDataSet people;
    people.setFields(
        {{"NAME", data::FieldType::String, 20}, {"CITY", data::FieldType::String, 20}});
    people.addRow({Value("Novak"), Value("Brno")});
    people.open();
    auto form = script::instantiateComponents(stream::componentFromText(R"(object Form1: TForm1
  object Grid1: TStringGrid
    ColCount = 3
    RowCount = 3
  end
  object Source: TDataSource
  end
  object DBGrid1: TDBGrid
    DataSource = Source
    Columns = <
      item
        FieldName = 'CITY'
        Title.Caption = 'Mesto'
      end
      item
        FieldName = 'NAME'
      end>
  end
end
)"),
                                              script::registry(), true);
    dynamic_cast<data::DataSourceProvider*>(form->findComponent("Source"))
        ->dataSource()
        ->setDataSet(&people);
    auto s = scripter(
        {"var C: Variant;", "begin", "  Grid1.Rows[1].CommaText := 'a,\"b c\",d';",
         "  TestOut(Grid1.Cells[1, 1]);", "  Grid1.Cols[0].Text := 'x' + #13#10 + 'y';",
         "  TestOut(Grid1.Rows[1].Strings[0] + Grid1.Rows[1].Strings[2]);",
         "  TestOut(Grid1.Cols[2].Add('z'));", "  TestOut(Grid1.Rows[0].CommaText);",
         "  Grid1.Rows[1].Clear;", "  TestOut(Grid1.Rows[1].Count);",
         "  TestOut(DBGrid1.Columns.Count);",
         "  TestOut(DBGrid1.Columns.Items[0].Title.Caption + '/' + "
         "DBGrid1.Columns.Items[1].FieldName);",
         "  DBGrid1.Columns.Items[1].Title.Caption := 'Jmeno';",
         "  DBGrid1.Columns.Items[1].Width := 90;", "  DBGrid1.Columns.Items[0].Visible := False;",
         "  TestOut(DBGrid1.Columns.Items[1].Width);",
         // An object variable indexed directly reads its default property.
         "  C := DBGrid1.Columns;", "  TestOut(C[1].FieldName);", "end."});
    s->setModule(form.get());
    s->run();
    expectNoErrors();
    EXPECT_EQ(output(), (std::vector<std::string>{"b c", "yd", "0", "x,,z", "3", "2", "Mesto/NAME",
                                                  "90", "NAME"}));
    auto* grid = dynamic_cast<StringGrid*>(form->findComponent("Grid1"));
    EXPECT_EQ(grid->row(1), (std::vector<std::string>{"", "", ""}));
    auto* dbGrid = dynamic_cast<DataGrid*>(form->findComponent("DBGrid1"));
    auto* table = qobject_cast<QTableWidget*>(dbGrid->widget());
    ASSERT_EQ(table->columnCount(), 2);
    EXPECT_EQ(dbGrid->cellText(0, 0), "Brno");
    EXPECT_EQ(table->horizontalHeaderItem(1)->text(), QStringLiteral("Jmeno"));
    EXPECT_EQ(table->columnWidth(1), 90);
    EXPECT_TRUE(table->isColumnHidden(0));
    s.reset();
}

TEST_F(PascalForms, ProgramsBuildTreesListsPagesAndBars) {
    auto form = script::instantiateComponents(stream::componentFromText(R"(object Form1: TForm1
  ClientHeight = 300
  ClientWidth = 400
  object Tree1: TTreeView
    OnChange = Tree1Change
  end
  object View1: TListView
    ViewStyle = vsReport
    Columns = <
      item
        Caption = 'Zboží'
      end>
  end
  object Progress1: TProgressBar
  end
  object Status1: TStatusBar
    Panels = <
      item
        Width = 80
      end>
  end
  object Checks1: TCheckListBox
    Items.Strings = (
      'jedna'
      'dvě')
  end
  object Book1: TNotebook
    object TPage
      Caption = 'První'
    end
  end
end
)"),
                                              script::registry(), true);
    auto s = scripter(
        {"type TForm1 = class(TForm)",
         "    procedure Tree1Change(Sender: TObject; Node: TTreeNode);",
         "  end;",
         "procedure TForm1.Tree1Change(Sender: TObject; Node: TTreeNode);",
         "begin",
         czech("  TestOut('vybráno ' + Node.Text);"),
         "end;",
         "var N, C, I: Variant;",
         "begin",
         czech("  N := Tree1.Items.Add(nil, 'Čechy');"),
         "  C := Tree1.Items.AddChild(N, 'Praha');",
         "  Tree1.Items.AddChildFirst(N, 'Beroun');",
         "  Tree1.Items.Add(N, 'Morava');",
         "  Tree1.FullExpand;",
         "  TestOut(Tree1.Items.Count);",
         "  TestOut(Tree1.Items.Item[1].Text + '/' + N.Item[1].Text);",
         "  TestOut(N.Count);",
         "  TestOut(C.Level);",
         "  Tree1.Selected := C;",
         "  TestOut(Tree1.Selected.Parent.Text);",
         "  I := View1.Items.Add;",
         czech("  I.Caption := 'Káva';"),
         "  I.SubItems.Add('89,50');",
         "  View1.Columns.Add.Caption := 'Cena';",
         "  TestOut(View1.Items.Item[0].SubItems[0] + ' ' + View1.Columns[1].Caption);",
         "  Progress1.Max := 10;",
         "  Progress1.Step := 3;",
         "  Progress1.StepIt;",
         "  Progress1.StepBy(2);",
         "  TestOut(Progress1.Position);",
         czech("  Status1.Panels[0].Text := 'Uloženo';"),
         "  TestOut(Status1.Panels.Count);",
         "  Checks1.Checked[1] := True;",
         "  if Checks1.Checked[1] and (Checks1.State[0] = cbUnchecked) then TestOut('ok');",
         czech("  Book1.Pages.Add('Druhá');"),
         "  Book1.PageIndex := 1;",
         "  TestOut(Book1.ActivePage);",
         "end."});
    s->setModule(form.get());
    s->run();
    expectNoErrors();
    EXPECT_EQ(output(), (std::vector<std::string>{"4", "Beroun/Praha", "2", "1",
                                                  czech("vybráno Praha"), czech("Čechy"),
                                                  "89,50 Cena", "5", "1", "ok", czech("Druhá")}));
    auto* status = dynamic_cast<StatusBar*>(form->findComponent("Status1"));
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->shownTexts(), std::vector<std::string>{czech("Uloženo")});
    auto* view = dynamic_cast<ListView*>(form->findComponent("View1"));
    EXPECT_EQ(view->tree()->headerItem()->text(1), QStringLiteral("Cena"));
    EXPECT_EQ(view->tree()->topLevelItem(0)->text(0), QStringLiteral("Káva"));
    s.reset();
}

TEST_F(PascalForms, LinesAndItemsOfControlsAreFullStringLists) {
    auto form = script::instantiateComponents(stream::componentFromText(R"(object Form1: TForm1
  object Memo1: TMemo
  end
  object ListBox1: TListBox
  end
  object ComboBox1: TComboBox
  end
end
)"),
                                              script::registry(), true);
    auto s =
        scripter({"var L: TStringList;",
                  "begin",
                  czech("  Memo1.Lines.Values['Jméno'] := 'Eva';"),
                  czech("  Memo1.Lines.Values['Město'] := 'Brno';"),
                  czech("  Memo1.Lines.Values['Město'] := 'Zlín';"),
                  czech("  TestOut(Memo1.Lines.Values['Město'] + ' ' + Memo1.Lines.Names[0]);"),
                  "  L := TStringList.Create;",
                  "  L.CommaText := 'a,\"b c\",d';",
                  "  ListBox1.Items.Assign(L);",
                  "  TestOut(ListBox1.Items.Count);",
                  "  TestOut(ListBox1.Items.CommaText);",
                  "  ComboBox1.Items.CommaText := 'zeli,Ananas,cibule';",
                  "  ComboBox1.Items.Sort;",
                  "  TestOut(ComboBox1.Items.Text);",
                  "  Memo1.Lines.BeginUpdate;",
                  "  Memo1.Lines.Insert(0, 'prvni');",
                  "  Memo1.Lines.Delete(1);",
                  "  Memo1.Lines.EndUpdate;",
                  "  L.Assign(Memo1.Lines);",
                  "  TestOut(L.Count);",
                  czech("  TestOut(L.IndexOfName('MĚSTO'));"),
                  "  ListBox1.Items.Delete(5);",
                  "end."});
    s->setModule(form.get());
    resume = true;
    s->run();
    ASSERT_EQ(errors.size(), 1u) << "deleting past the end is the list's error";
    EXPECT_NE(errors[0].description.find("(5)"), std::string::npos) << errors[0].description;
    EXPECT_EQ(output(), (std::vector<std::string>{czech("Zlín Jméno"), "3", "a,\"b c\",d",
                                                  "Ananas\r\ncibule\r\nzeli\r\n", "2", "1"}));
    auto* memo = dynamic_cast<Control*>(form->findComponent("Memo1"));
    EXPECT_EQ(qobject_cast<QPlainTextEdit*>(memo->widget())->toPlainText(),
              QStringLiteral("prvni\nMěsto=Zlín"));
    auto* list = qobject_cast<QListWidget*>(
        dynamic_cast<Control*>(form->findComponent("ListBox1"))->widget());
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(1)->text(), QStringLiteral("b c"));
    s.reset();
}

TEST_F(PascalForms, ProgramsMakeCommonControlsAtRunTime) {
    auto form = script::instantiateComponents(stream::componentFromText(R"(object Form1: TForm1
  ClientHeight = 200
  ClientWidth = 300
end
)"),
                                              script::registry(), true);
    auto s = scripter({"type TForm1 = class(TForm)",
                       "    procedure Moved(Sender: TObject);",
                       "  end;",
                       "procedure TForm1.Moved(Sender: TObject);",
                       "begin",
                       "  TestOut('posun ' + Sender.Name);",
                       "end;",
                       "var T, P, B: Variant;",
                       "begin",
                       "  T := TTrackBar.Create(Form1);",
                       "  T.Name := 'Track';",
                       "  T.Parent := Form1;",
                       "  T.OnChange := 'Moved';",
                       "  T.Position := 3;",
                       "  P := TProgressBar.Create(Form1);",
                       "  P.Parent := Form1;",
                       "  P.Position := 150;",
                       "  TestOut(P.Position);",
                       "  B := TStatusBar.Create(Form1);",
                       "  B.Parent := Form1;",
                       czech("  B.SimpleText := 'Hotovo';"),
                       "  TestOut(B.Align);",
                       "end."});
    s->setModule(form.get());
    s->run();
    expectNoErrors();
    // A new bar keeps to its range and a new status bar sits at the bottom (alBottom = 2).
    EXPECT_EQ(output(), (std::vector<std::string>{"posun Track", "100", "2"}));
    s.reset();
}

TEST_F(PascalForms, ProgramsWalkTheControlsOfFormsAndPanels) {
    auto form = script::instantiateComponents(stream::componentFromText(R"(object Form1: TForm1
  ClientHeight = 200
  ClientWidth = 300
  object Panel1: TPanel
    Left = 0
    Top = 0
    Width = 300
    Height = 100
    object Edit1: TEdit
      Left = 8
      Top = 8
      Width = 100
      Height = 21
    end
    object Edit2: TEdit
      Left = 8
      Top = 40
      Width = 100
      Height = 21
    end
  end
  object Button1: TButton
    Left = 8
    Top = 120
    Width = 75
    Height = 25
  end
end
)"),
                                              script::registry(), true);
    auto s = scripter({"type TForm1 = class(TForm)",
                       "    Panel1: TPanel;",
                       "    Button1: TButton;",
                       "  end;",
                       "var B: Variant; i: Integer;",
                       "begin",
                       "  TestOut(ControlCount);",
                       "  TestOut(Panel1.ControlCount);",
                       "  B := TButton.Create(Form1);",
                       "  B.Name := 'Dalsi';",
                       "  B.Parent := Panel1;",
                       "  for i := 0 to Panel1.ControlCount - 1 do",
                       "    TestOut(Panel1.Controls[i].Name);",
                       "  TestOut(Controls[1].Name);",
                       "  TestOut(Button1.ControlCount);",
                       "  try",
                       "    TestOut(Panel1.Controls[3].Name);",
                       "  except",
                       "    TestOut('mimo');",
                       "  end;",
                       "end."});
    s->setModule(form.get());
    s->run();
    expectNoErrors();
    EXPECT_EQ(output(), (std::vector<std::string>{"2", "2", "Edit1", "Edit2", "Dalsi", "Button1",
                                                  "0", "mimo"}));
    s.reset();
}

TEST_F(PascalForms, PictureDialogsAskForAFileAsTheFileDialogsDo) {
    auto recording = std::make_unique<test_support::RecordingUi>();
    test_support::RecordingUi& asked = *recording;
    asked.fileAnswer = "C:\\OBR\\KVET";
    auto previous = setUi(std::move(recording));
    run({"var D: Variant;", "begin", "  D := TSavePictureDialog.Create(nil);",
         "  D.DefaultExt := 'bmp';", "  D.Title := 'Ulozit obrazek';", "  TestOut(D.Execute);",
         "  TestOut(D.FileName);", "  D := TOpenPictureDialog.Create(nil);",
         "  D.Filter := 'Obrazky|*.bmp';", "  TestOut(D.Execute);", "end."});
    expectNoErrors();
    EXPECT_EQ(output(), (std::vector<std::string>{"True", "C:\\OBR\\KVET.bmp", "True"}));
    ASSERT_EQ(asked.fileDialogs.size(), 2u);
    EXPECT_EQ(asked.fileDialogs[0].title, "Ulozit obrazek");
    EXPECT_EQ(asked.fileDialogs[1].filter, "Obrazky|*.bmp");
    setUi(std::move(previous));
}
