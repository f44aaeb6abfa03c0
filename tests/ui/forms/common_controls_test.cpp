// The common controls read from a stored form: bars, trees, lists, tabs, notebooks, the rich
// edit, the date picker and the splitter, the events their widgets fire, and the classes that
// have no window here (media players, OLE containers) as empty panels.

#include "forms_fixture.h"

#include "core/cp1250.h"
#include "script/comp_wrapper.h"
#include "script/form_loader.h"
#include "script/stream/text_form.h"
#include "ui/qt/forms/bar_controls.h"
#include "ui/qt/forms/form.h"
#include "ui/qt/forms/list_controls.h"
#include "ui/qt/forms/range_controls.h"
#include "ui/qt/forms/rich_edit.h"
#include "ui/qt/forms/tab_controls.h"
#include "ui/qt/forms/tree_controls.h"

#include <QDateTimeEdit>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QSlider>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace vorlan;
using namespace vorlan::forms;
using namespace vorlan::forms::testing;
using script::Value;

namespace {

const char* const kCommonForm = R"(object Form1: TForm1
  ClientHeight = 400
  ClientWidth = 600
  object Tree: TPanel
    Left = 0
    Top = 0
    Width = 120
    Height = 381
    Align = alLeft
  end
  object Splitter1: TSplitter
    Left = 120
    Top = 0
    Width = 3
    Height = 381
  end
  object Progress: TProgressBar
    Left = 130
    Top = 8
    Width = 150
    Height = 16
    Min = 0
    Max = 50
    Position = 20
    Step = 5
  end
  object Track: TTrackBar
    Left = 130
    Top = 30
    Max = 20
    Position = 4
    Frequency = 5
    OnChange = TrackChange
  end
  object Edit1: TEdit
    Left = 300
    Top = 8
    Text = '0'
  end
  object Spin: TUpDown
    Left = 421
    Top = 8
    Associate = Edit1
    Min = 1
    Max = 3
    Position = 2
    OnClick = SpinClick
    OnChanging = SpinChanging
  end
  object Checks: TCheckListBox
    Left = 130
    Top = 80
    Items.Strings = (
      'Jablka'
      'Hrušky'
      'Švestky')
    OnClickCheck = ChecksClickCheck
  end
  object Tabs: TTabControl
    Left = 260
    Top = 80
    Width = 200
    Height = 100
    Tabs.Strings = (
      'Leden'
      'Únor')
    TabIndex = 1
    OnChange = TabsChange
    OnChanging = TabsChanging
    object InTab: TLabel
      Caption = 'uvnitř'
    end
  end
  object Book: TNotebook
    Left = 130
    Top = 190
    PageIndex = 1
    object TPage
      Caption = 'Úvod'
    end
    object TPage
      Caption = 'Podrobnosti'
      object OnSecond: TButton
        Caption = 'Dál'
      end
    end
  end
  object Tabbed: TTabbedNotebook
    Left = 290
    Top = 190
    Width = 200
    Height = 120
    object TTabPage
      Caption = 'Adresa'
    end
    object TTabPage
      Caption = 'Kontakt'
    end
  end
  object Outline1: TOutline
    Left = 500
    Top = 8
    Lines.Strings = (
      'Čechy'
      #9'Praha'
      #9'Plzeň'
      'Morava'
      #9'Brno')
    OnClick = Outline1Click
  end
  object Header: THeaderControl
    Left = 130
    Top = 320
    Width = 300
    Sections = <
      item
        Text = 'Jméno'
        Width = 120
      end
      item
        Text = 'Město'
        Width = 80
      end>
  end
  object Status: TStatusBar
    Panels = <
      item
        Text = 'Připraveno'
        Width = 100
      end
      item
        Text = 'Řádek 1'
        Width = 50
      end>
  end
  object View: TListView
    Left = 440
    Top = 320
    ViewStyle = vsReport
    OnChange = ViewChange
    Columns = <
      item
        Caption = 'Název'
        Width = 90
      end
      item
        Caption = 'Cena'
        Width = 50
      end>
  end
  object Picker: TDateTimePicker
    Left = 130
    Top = 350
    Date = 36892.000000000000000000
    OnChange = PickerChange
  end
  object Player: TMediaPlayer
    Left = 300
    Top = 350
    Width = 253
    Height = 30
  end
  object Ole: TOleContainer
    Left = 500
    Top = 200
    Width = 90
    Height = 60
  end
end
)";

class CommonControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureRegistered();
        form = script::instantiateComponents(stream::componentFromText(kCommonForm),
                                             script::registry(), true);
        form->setEventSink(&sink);
    }
    template <class C> C* control(const char* name) {
        return dynamic_cast<C*>(form->findComponent(name));
    }
    template <class W> W* widget(const char* name) {
        auto* c = dynamic_cast<Control*>(form->findComponent(name));
        return c ? qobject_cast<W*>(c->widget()) : nullptr;
    }
    Value get(const char* name, const char* property) {
        Value v;
        form->findComponent(name)->getPublished(property, v);
        return v;
    }
    RecordingSink sink;
    std::unique_ptr<script::Component> form;
};

} // namespace

TEST_F(CommonControlsTest, RangeControlsKeepTheirPositionInsideTheRange) {
    auto* progress = control<ProgressBar>("Progress");
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(widget<QProgressBar>("Progress")->maximum(), 50);
    EXPECT_EQ(progress->position(), 20);
    progress->stepIt();
    EXPECT_EQ(progress->position(), 25);
    progress->stepBy(100);
    EXPECT_EQ(progress->position(), 50) << "never past Max";
    progress->setPublished("Max", Value(30));
    EXPECT_EQ(progress->position(), 30) << "a smaller Max pulls the position in";

    auto* slider = widget<QSlider>("Track");
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->value(), 4);
    EXPECT_EQ(slider->tickInterval(), 5);
    sink.calls.clear();
    slider->setValue(7); // as the user's drag does
    ASSERT_EQ(sink.names(), std::vector<std::string>{"TrackChange"});
    EXPECT_EQ(get("Track", "Position").toInt(), 7);
}

TEST_F(CommonControlsTest, UpDownStepsWithinItsRangeAndAsksFirst) {
    auto* spin = control<UpDown>("Spin");
    ASSERT_NE(spin, nullptr);
    // The stored position shows in the associated edit once the edit is named.
    EXPECT_EQ(widget<QLineEdit>("Edit1")->text(), QStringLiteral("2"));
    bool allow = true;
    sink.answers["SpinChanging"] = [&](std::span<Value> args) { args[1] = Value(allow); };
    widget<QWidget>("Spin")->findChild<QToolButton*>(QStringLiteral("up"))->click();
    EXPECT_EQ(spin->position(), 3);
    EXPECT_EQ(widget<QLineEdit>("Edit1")->text(), QStringLiteral("3"));
    ASSERT_EQ(sink.names(), (std::vector<std::string>{"SpinChanging", "SpinClick"}));
    EXPECT_EQ(sink.calls.back().args.at(1).toInt(), 0) << "btNext";
    spin->click(true);
    EXPECT_EQ(spin->position(), 3) << "Max holds without Wrap";
    spin->setPublished("Wrap", Value(true));
    spin->click(true);
    EXPECT_EQ(spin->position(), 1) << "with Wrap it starts again at Min";
    allow = false;
    sink.calls.clear();
    spin->click(false);
    EXPECT_EQ(spin->position(), 1);
    EXPECT_EQ(sink.names(), std::vector<std::string>{"SpinChanging"}) << "refused: no OnClick";
}

TEST_F(CommonControlsTest, CheckListBoxChecksItemsAndTellsOnlyTheUsersClicks) {
    auto* checks = control<CheckListBox>("Checks");
    ASSERT_NE(checks, nullptr);
    auto* list = widget<QListWidget>("Checks");
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(1)->text(), QStringLiteral("Hrušky"));
    EXPECT_TRUE(list->item(0)->flags() & Qt::ItemIsUserCheckable);
    sink.calls.clear();
    checks->setChecked(2, true);
    checks->setState(0, Value("cbGrayed"));
    EXPECT_TRUE(sink.calls.empty()) << "the program's changes are not clicks";
    EXPECT_TRUE(checks->checked(2));
    EXPECT_EQ(checks->state(0), "cbGrayed");
    EXPECT_EQ(checks->state(1), "cbUnchecked");
    list->item(1)->setCheckState(Qt::Checked); // the user's click
    EXPECT_EQ(sink.names(), std::vector<std::string>{"ChecksClickCheck"});
    // Check marks stay with the items that keep their place.
    checks->items().add(czech("Třešně"));
    EXPECT_TRUE(checks->checked(1));
    EXPECT_TRUE(checks->checked(2));
    EXPECT_FALSE(checks->checked(3));
    EXPECT_THROW(checks->checked(4), script::ScriptException);
}

TEST_F(CommonControlsTest, TabControlAsksBeforeItChangesTabs) {
    auto* tabs = control<TabControl>("Tabs");
    ASSERT_NE(tabs, nullptr);
    auto* bar = tabs->widget()->findChild<QTabBar*>();
    ASSERT_EQ(bar->count(), 2);
    EXPECT_EQ(bar->tabText(1), QStringLiteral("Únor"));
    EXPECT_EQ(tabs->tabIndex(), 1);
    // Its controls sit in the area under the tabs.
    EXPECT_EQ(control<Control>("InTab")->widget()->parentWidget(), tabs->clientArea());

    sink.answers["TabsChanging"] = [](std::span<Value> args) { args[1] = Value(false); };
    bar->setCurrentIndex(0);
    EXPECT_EQ(tabs->tabIndex(), 1) << "OnChanging kept the tab";
    EXPECT_EQ(sink.names(), std::vector<std::string>{"TabsChanging"});
    sink.answers.clear();
    sink.calls.clear();
    bar->setCurrentIndex(0);
    EXPECT_EQ(sink.names(), (std::vector<std::string>{"TabsChanging", "TabsChange"}));
    tabs->tabs().add(czech("Březen"));
    EXPECT_EQ(bar->count(), 3);
    EXPECT_EQ(tabs->tabIndex(), 0);
}

TEST_F(CommonControlsTest, NotebooksShowTheirStoredPagesAndPagesMakesAndDropsThem) {
    auto* book = control<Notebook>("Book");
    ASSERT_NE(book, nullptr);
    auto* stack = widget<QStackedWidget>("Book");
    ASSERT_NE(stack, nullptr);
    ASSERT_EQ(book->pageCount(), 2);
    EXPECT_EQ(book->pageIndex(), 1);
    EXPECT_EQ(get("Book", "ActivePage").toString(), "Podrobnosti");
    auto* button = control<Control>("OnSecond");
    EXPECT_EQ(button->widget()->parentWidget(), stack->currentWidget());
    book->setPublished("ActivePage", Value(czech("Úvod")));
    EXPECT_EQ(book->pageIndex(), 0);

    auto* tabbed = widget<QTabWidget>("Tabbed");
    ASSERT_NE(tabbed, nullptr);
    ASSERT_EQ(tabbed->count(), 2);
    EXPECT_EQ(tabbed->tabText(1), QStringLiteral("Kontakt"));
    auto* notebook = control<Notebook>("Tabbed");
    notebook->pages().setLines({czech("Firma"), "Kontakt", czech("Poznámky")});
    ASSERT_EQ(tabbed->count(), 3);
    EXPECT_EQ(tabbed->tabText(0), QStringLiteral("Firma"));
    EXPECT_EQ(tabbed->tabText(2), QStringLiteral("Poznámky"));
    notebook->pages().remove(2);
    EXPECT_EQ(tabbed->count(), 2);
    EXPECT_EQ(notebook->pages().count(), 2);
}

TEST_F(CommonControlsTest, OutlineLevelsComeFromLeadingTabs) {
    auto* outline = control<Outline>("Outline1");
    ASSERT_NE(outline, nullptr);
    auto* tree = widget<QTreeWidget>("Outline1");
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), QStringLiteral("Čechy"));
    ASSERT_EQ(tree->topLevelItem(0)->childCount(), 2);
    EXPECT_EQ(tree->topLevelItem(0)->child(1)->text(0), QStringLiteral("Plzeň"));
    EXPECT_EQ(outline->itemCount(), 5);
    EXPECT_EQ(outline->itemLevel(5), 2);
    EXPECT_EQ(outline->itemText(5), "Brno");
    EXPECT_EQ(outline->selectedItem(), 0);
    outline->setSelectedItem(4);
    EXPECT_EQ(tree->currentItem(), tree->topLevelItem(1));
    // A line that skips a level goes under the deepest item there is.
    outline->lines().setLines({"A", "\t\t\tB"});
    EXPECT_EQ(tree->topLevelItem(0)->child(0)->text(0), QStringLiteral("B"));
    EXPECT_THROW(outline->itemText(3), script::ScriptException);
}

TEST_F(CommonControlsTest, BarsShowTheirStoredPanelsAndSections) {
    auto* status = control<StatusBar>("Status");
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->align(), Align::Bottom);
    EXPECT_EQ(status->shownTexts(),
              (std::vector<std::string>{czech("Připraveno"), czech("Řádek 1")}));
    status->panels().at(1).setText(czech("Řádek 2"));
    EXPECT_EQ(status->shownTexts().at(1), czech("Řádek 2"));
    status->setPublished("SimpleText", Value(czech("Ukládám…")));
    status->setPublished("SimplePanel", Value(true));
    EXPECT_EQ(status->shownTexts(), std::vector<std::string>{czech("Ukládám…")});
    EXPECT_THROW(status->panels().at(2), script::ScriptException);

    auto* header = widget<QHeaderView>("Header");
    ASSERT_NE(header, nullptr);
    ASSERT_EQ(header->count(), 2);
    EXPECT_EQ(header->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Město"));
    EXPECT_EQ(header->sectionSize(0), 120);
    // The user's drag of a section's edge is its new Width.
    header->resizeSection(1, 95);
    EXPECT_EQ(control<HeaderControl>("Header")->sections().at(1).width(), 95);
}

TEST_F(CommonControlsTest, ListViewShowsColumnsAndItemsWithSubItems) {
    auto* view = control<ListView>("View");
    ASSERT_NE(view, nullptr);
    QTreeWidget* tree = view->tree();
    EXPECT_FALSE(tree->isHeaderHidden());
    ASSERT_EQ(tree->columnCount(), 2);
    EXPECT_EQ(tree->headerItem()->text(0), QStringLiteral("Název"));
    EXPECT_EQ(tree->columnWidth(0), 90);

    ListItem* first = view->items().add();
    first->setCaption(czech("Káva"));
    first->subItems().add("89,50");
    ListItem* second = view->items().add();
    second->setCaption(czech("Čaj"));
    EXPECT_EQ(tree->topLevelItem(0)->text(1), QStringLiteral("89,50"));
    EXPECT_EQ(view->items().count(), 2);
    EXPECT_EQ(second->index(), 1);

    sink.calls.clear();
    tree->setCurrentItem(tree->topLevelItem(1));
    ASSERT_EQ(sink.names(), std::vector<std::string>{"ViewChange"});
    EXPECT_EQ(script::nativeObjectOf(sink.calls[0].args.at(1)), second);
    EXPECT_EQ(sink.calls[0].args.at(2).toInt(), 2) << "ctState";
    EXPECT_EQ(view->selected(), second);
    view->items().remove(0);
    EXPECT_EQ(second->index(), 0);
    // Other styles show a plain list.
    view->setPublished("ViewStyle", Value("vsList"));
    EXPECT_TRUE(tree->isHeaderHidden());
}

TEST_F(CommonControlsTest, DatePickerShowsCzechDatesAndKeepsTheTimeApart) {
    auto* picker = control<DateTimePicker>("Picker");
    ASSERT_NE(picker, nullptr);
    auto* edit = widget<QDateTimeEdit>("Picker");
    EXPECT_EQ(edit->date(), QDate(2001, 1, 1));
    EXPECT_EQ(edit->text(), QStringLiteral("1.1.2001"));
    picker->setPublished("Time", Value(0.75));
    EXPECT_DOUBLE_EQ(get("Picker", "Date").toDouble(), 36892.0) << "the time leaves the date";
    EXPECT_DOUBLE_EQ(get("Picker", "DateTime").toDouble(), 36892.75);
    picker->setPublished("Kind", Value("dtkTime"));
    EXPECT_EQ(edit->text(), QStringLiteral("18:00:00"));
    sink.calls.clear();
    picker->setPublished("Date", Value("nesmysl"));
    EXPECT_DOUBLE_EQ(picker->dateTime(), 36892.75) << "a text that is no date changes nothing";
    EXPECT_TRUE(sink.calls.empty());
    edit->setDate(QDate(2001, 1, 2)); // the user's pick
    EXPECT_EQ(sink.names(), std::vector<std::string>{"PickerChange"});
}

TEST_F(CommonControlsTest, SplitterResizesTheControlBeforeIt) {
    auto* splitter = control<Splitter>("Splitter1");
    ASSERT_NE(splitter, nullptr);
    auto* panel = control<Control>("Tree");
    EXPECT_EQ(splitter->neighbour(), panel);
    splitter->drag(30);
    EXPECT_EQ(panel->storedWidth(), 150);
    EXPECT_EQ(splitter->storedLeft(), 150) << "the layout moved the splitter along";
    splitter->drag(-500);
    EXPECT_EQ(panel->storedWidth(), 30) << "MinSize holds";
}

TEST_F(CommonControlsTest, MediaPlayersAreInertPanelsAndOleContainersEmptyFrames) {
    auto* window = dynamic_cast<Form*>(form.get());
    ASSERT_NE(window, nullptr);
    auto* frame = window->widget()->findChild<QFrame*>(QStringLiteral("Ole"));
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->frameShape(), QFrame::Box);
    EXPECT_EQ(dynamic_cast<Control*>(form->findComponent("Ole")), nullptr);

    // A player is a control a program can command; nothing plays, but its calls do not fail.
    auto* player = dynamic_cast<Control*>(form->findComponent("Player"));
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(player->widget()->geometry(), QRect(300, 350, 253, 30));
    const script::ObjectRef wrapper = script::wrapObject(player);
    for (const char* command : {"Open", "Play", "Stop", "Close"})
        EXPECT_NE(wrapper->idOfName(command), script::kUnknownDispId) << command;
}

TEST(RichEdit, ReadsAndWritesRtfAndPlainText) {
    ensureRegistered();
    auto made = makeControl("TRichEdit");
    auto* rich = dynamic_cast<RichEdit*>(made.get());
    ASSERT_NE(rich, nullptr);
    const auto dir = std::filesystem::temp_directory_path() / "vorlan_rich_edit";
    std::filesystem::create_directories(dir);
    {
        std::ofstream out(dir / "dopis.rtf", std::ios::binary);
        out << R"({\rtf1\ansi\ansicpg1250{\fonttbl{\f0 Arial;}}\pard Dobr\'fd {\b den}\par\pard\qc Konec\par})";
    }
    rich->loadFromFile((dir / "dopis.rtf").string());
    auto* edit = qobject_cast<QTextEdit*>(rich->widget());
    EXPECT_EQ(edit->toPlainText().left(13), QStringLiteral("Dobrý den\nKon"));
    QTextCursor cursor(edit->document());
    cursor.setPosition(7);
    EXPECT_EQ(cursor.charFormat().fontWeight(), QFont::Bold);
    EXPECT_EQ(rich->lines().get(0), czech("Dobrý den"));

    // Saved RTF reads back with its formatting; PlainText saves the lines alone.
    rich->saveToFile((dir / "kopie.rtf").string());
    rich->setPlainText("");
    rich->loadFromFile((dir / "kopie.rtf").string());
    EXPECT_EQ(rich->lines().get(0), czech("Dobrý den"));
    cursor = QTextCursor(edit->document());
    cursor.setPosition(7);
    EXPECT_EQ(cursor.charFormat().fontWeight(), QFont::Bold);
    rich->setPublished("PlainText", Value(true));
    rich->saveToFile((dir / "prosty.txt").string());
    std::ifstream in(dir / "prosty.txt", std::ios::binary);
    const std::string saved((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(saved.substr(0, 11), czech("Dobrý den\r\n"));

    // The selection as scripts see it.
    rich->setPublished("SelStart", Value(6));
    rich->setPublished("SelLength", Value(3));
    Value sel;
    rich->getPublished("SelText", sel);
    EXPECT_EQ(sel.toString(), "den");
    rich->setPublished("SelText", Value(czech("večer")));
    EXPECT_EQ(rich->lines().get(0), czech("Dobrý večer"));
    EXPECT_THROW(rich->loadFromFile((dir / "chybi.rtf").string()), std::exception);
}

TEST(TreeView, NodesGoWithTheirRowsAndStayInTheirTree) {
    ensureRegistered();
    auto madeA = makeControl("TTreeView");
    auto madeB = makeControl("TTreeView");
    auto* a = dynamic_cast<TreeView*>(madeA.get());
    auto* b = dynamic_cast<TreeView*>(madeB.get());
    ASSERT_NE(a, nullptr);
    TreeNode* root = a->items().add(nullptr, czech("Účty"));
    TreeNode* child = a->items().addChild(root, "311");
    a->items().addChildFirst(root, "211");
    a->items().insert(root, czech("Pokladna"));
    // Items[I] counts every node, a parent before its children.
    ASSERT_EQ(a->items().count(), 4);
    EXPECT_EQ(a->items().item(0)->text(), czech("Pokladna"));
    EXPECT_EQ(a->items().item(2)->text(), "211");
    EXPECT_EQ(child->index(), 1);
    EXPECT_EQ(child->absoluteIndex(), 3);
    EXPECT_EQ(child->parentNode(), root);
    EXPECT_THROW(root->child(2), script::ScriptException);

    // A node of another tree is refused rather than tying the trees together.
    EXPECT_THROW(b->items().addChild(root, "x"), script::ScriptException);
    EXPECT_EQ(b->items().count(), 0);

    // A script that kept a node whose row has gone holds a dead object, not a dangling one.
    const Value kept(script::wrapObject(child));
    root->remove();
    EXPECT_EQ(a->items().count(), 1);
    EXPECT_EQ(script::nativeObjectOf(kept), nullptr);
    a->items().clear();
    EXPECT_EQ(a->items().firstNode(), nullptr);
    EXPECT_EQ(a->selected(), nullptr);

    // Nodes go with the widget too, when it goes first.
    const Value orphan(script::wrapObject(a->items().add(nullptr, "x")));
    delete a->widget();
    EXPECT_EQ(script::nativeObjectOf(orphan), nullptr);
    EXPECT_EQ(a->items().count(), 0);
    EXPECT_EQ(a->items().add(nullptr, "y"), nullptr);
}
