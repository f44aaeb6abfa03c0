// Dragging one control onto another with the mouse, and the properties controls share by the
// kind of their widget.

#include "forms_fixture.h"

#include "script/comp_wrapper.h"
#include "ui/qt/forms/control.h"
#include "ui/qt/forms/drag_and_drop.h"
#include "ui/qt/forms/form_catalog.h"
#include "ui/qt/forms/menus.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTableWidget>

#include <gtest/gtest.h>

using namespace vorlan;
using namespace vorlan::forms;
using namespace vorlan::forms::testing;
using script::Value;

namespace {

void mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButtons held) {
    QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)),
                  type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// A window with a list to drag from and an edit to drop on, side by side.
struct DragScene {
    QWidget window;
    RecordingSink sink;
    std::unique_ptr<script::Component> list = makeControl("TListBox");
    std::unique_ptr<script::Component> edit = makeControl("TEdit");

    DragScene() {
        ensureRegistered();
        window.resize(400, 200);
        widgetOf(*list)->setParent(&window);
        widgetOf(*list)->setGeometry(10, 10, 120, 100);
        widgetOf(*edit)->setParent(&window);
        widgetOf(*edit)->setGeometry(200, 10, 120, 24);
        for (script::Component* c : {list.get(), edit.get()})
            c->setEventSink(&sink);
        list->setPublished("DragMode", Value("dmAutomatic"));
        list->setPublished("OnStartDrag", Value("Start"));
        list->setPublished("OnEndDrag", Value("End"));
        list->setPublished("OnClick", Value("Click"));
        edit->setPublished("OnDragOver", Value("Over"));
        edit->setPublished("OnDragDrop", Value("Drop"));
        window.show();
    }
    static QWidget* widgetOf(script::Component& c) { return dynamic_cast<Control&>(c).widget(); }
    // Where the mouse goes down: the list's viewport gets its events.
    QWidget* viewport() const {
        return static_cast<QAbstractItemView*>(widgetOf(*list))->viewport();
    }
    // The middle of the edit, in the viewport's coordinates.
    QPoint overEdit() const {
        QWidget* target = widgetOf(*edit);
        return viewport()->mapFromGlobal(target->mapToGlobal(target->rect().center()));
    }
    void pressAndMove(QPoint to) {
        mouse(viewport(), QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton);
        mouse(viewport(), QEvent::MouseMove, to, Qt::LeftButton);
    }
};

TEST(DragAndDrop, AListDraggedOntoAnEditThatTakesItIsDroppedThere) {
    DragScene scene;
    scene.pressAndMove(scene.overEdit());
    EXPECT_TRUE(drag::dragging(dynamic_cast<Control&>(*scene.list)));
    mouse(scene.viewport(), QEvent::MouseButtonRelease, scene.overEdit(), Qt::NoButton);
    ASSERT_EQ(scene.sink.names(), (std::vector<std::string>{"Start", "Over", "Drop", "End"}));
    const auto& over = scene.sink.calls[1].args;
    ASSERT_EQ(over.size(), 6u);
    EXPECT_EQ(script::nativeObjectOf(over[0]), scene.edit.get());
    EXPECT_EQ(script::nativeObjectOf(over[1]), scene.list.get()) << "the source";
    EXPECT_EQ(over[4].toInt(), 0) << "dsDragEnter";
    const auto& drop = scene.sink.calls[2].args;
    EXPECT_EQ(drop[2].toInt(), QRect(0, 0, 120, 24).center().x())
        << "in the edit's own coordinates";
    const auto& end = scene.sink.calls[3].args;
    EXPECT_EQ(script::nativeObjectOf(end[1]), scene.edit.get()) << "the target";
    EXPECT_FALSE(drag::dragging(dynamic_cast<Control&>(*scene.list)));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(DragAndDrop, ARefusedDropOrEscEndsWithoutATargetAndAClickStaysAClick) {
    DragScene scene;
    scene.sink.answers["Over"] = [](std::span<Value> args) { args[5] = Value(false); };
    scene.pressAndMove(scene.overEdit());
    mouse(scene.viewport(), QEvent::MouseButtonRelease, scene.overEdit(), Qt::NoButton);
    ASSERT_EQ(scene.sink.names(), (std::vector<std::string>{"Start", "Over", "End"}));
    EXPECT_TRUE(scene.sink.calls[2].args[1].isNull() ||
                !script::nativeObjectOf(scene.sink.calls[2].args[1]));

    scene.sink.calls.clear();
    scene.sink.answers.clear();
    scene.pressAndMove(QPoint(60, 60)); // still over the list, which takes no drops
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(scene.viewport(), &esc);
    EXPECT_EQ(scene.sink.names(), (std::vector<std::string>{"Start", "End"}));
    mouse(scene.viewport(), QEvent::MouseButtonRelease, QPoint(60, 60), Qt::NoButton);
    EXPECT_EQ(scene.sink.names().size(), 2u) << "the drag is over";

    // Let go where it went down: no drag at all.
    scene.sink.calls.clear();
    mouse(scene.viewport(), QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton);
    mouse(scene.viewport(), QEvent::MouseMove, QPoint(6, 5), Qt::LeftButton);
    mouse(scene.viewport(), QEvent::MouseButtonRelease, QPoint(6, 5), Qt::NoButton);
    for (const std::string& name : scene.sink.names())
        EXPECT_NE(name, "Start");
}

TEST(SharedProperties, ActOnTheWidgetAndReadBackWhatWasSet) {
    ensureRegistered();
    auto edit = makeControl("TEdit");
    auto line = static_cast<QLineEdit*>(dynamic_cast<Control&>(*edit).widget());
    Value v;
    ASSERT_TRUE(edit->getPublished("BorderStyle", v));
    EXPECT_EQ(v.toString(), "bsSingle");
    edit->setPublished("BorderStyle", Value("bsNone"));
    EXPECT_FALSE(line->hasFrame());
    edit->setPublished("Text", Value("abc"));
    edit->setPublished("CharCase", Value("ecUpperCase"));
    EXPECT_EQ(line->text(), "ABC");
    QString typed = "xy";
    int at = 0;
    ASSERT_NE(line->validator(), nullptr);
    line->validator()->validate(typed, at);
    EXPECT_EQ(typed, "XY") << "what the user types is upper case too";
    edit->setPublished("CharCase", Value("ecNormal"));
    EXPECT_EQ(line->validator(), nullptr);

    auto memo = makeControl("TMemo");
    auto* text = static_cast<QPlainTextEdit*>(dynamic_cast<Control&>(*memo).widget());
    memo->setPublished("ScrollBars", Value("ssVertical"));
    EXPECT_EQ(text->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(text->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    memo->setPublished("Alignment", Value("taCenter"));
    EXPECT_EQ(text->document()->defaultTextOption().alignment(), Qt::AlignHCenter);
    memo->setPublished("WantTabs", Value(false));
    EXPECT_TRUE(text->tabChangesFocus());

    auto list = makeControl("TListBox");
    auto* view = static_cast<QListWidget*>(dynamic_cast<Control&>(*list).widget());
    list->setPublished("MultiSelect", Value(true));
    EXPECT_EQ(view->selectionMode(), QAbstractItemView::ExtendedSelection);
    list->setPublished("ExtendedSelect", Value(false));
    EXPECT_EQ(view->selectionMode(), QAbstractItemView::MultiSelection);
    list->getPublished("IntegralHeight", v);
    EXPECT_FALSE(v.toBool()) << "kept, with the documented default";
    list->setPublished("IntegralHeight", Value(true));
    list->getPublished("IntegralHeight", v);
    EXPECT_TRUE(v.toBool());

    auto label = makeControl("TLabel");
    auto* shown = static_cast<QLabel*>(dynamic_cast<Control&>(*label).widget());
    label->setPublished("Layout", Value("tlBottom"));
    EXPECT_TRUE(shown->alignment() & Qt::AlignBottom);
    label->setPublished("FocusControl", Value(script::wrapObject(edit.get())));
    EXPECT_EQ(shown->buddy(), line);
}

TEST(Menus, ItemsAreAddedMovedAndCheckedInGroups) {
    ensureRegistered();
    MainMenu menu;
    MenuItem file, open, save, list, grid;
    menu.items().insert(-1, file);
    file.insert(-1, save);
    file.insert(0, open);
    EXPECT_EQ(menu.bar()->actions().size(), 1);
    EXPECT_EQ(file.items(), (std::vector<MenuItem*>{&open, &save}));
    EXPECT_EQ(save.parentItem(), &file);
    EXPECT_EQ(file.parentItem(), &menu.items());
    save.setMenuIndex(0);
    EXPECT_EQ(file.indexOf(&save), 0);
    file.remove(open);
    EXPECT_EQ(open.parentItem(), nullptr);
    EXPECT_EQ(file.items().size(), 1u);

    for (MenuItem* radio : {&list, &grid}) {
        file.insert(-1, *radio);
        radio->setPublished("RadioItem", Value(true));
        radio->setPublished("GroupIndex", Value(2));
    }
    list.setPublished("Checked", Value(true));
    grid.setPublished("Checked", Value(true));
    Value v;
    list.getPublished("Checked", v);
    EXPECT_FALSE(v.toBool()) << "one radio item of a group is checked";
    grid.getPublished("Checked", v);
    EXPECT_TRUE(v.toBool());
    grid.getPublished("Break", v);
    EXPECT_EQ(v.toString(), "mbNone");
}

TEST(ControlEvents, ACombosListDroppingDownAndACellRefusedByOnSelectCell) {
    ensureRegistered();
    RecordingSink sink;
    auto combo = makeControl("TComboBox");
    combo->setEventSink(&sink);
    combo->setPublished("OnDropDown", Value("DropDown"));
    auto* box = static_cast<QComboBox*>(dynamic_cast<Control&>(*combo).widget());
    box->addItems({"a", "b"});
    box->show();
    box->showPopup();
    box->hidePopup();
    EXPECT_EQ(sink.names(), std::vector<std::string>{"DropDown"});

    sink.calls.clear();
    auto grid = makeControl("TStringGrid");
    grid->setEventSink(&sink);
    grid->setPublished("OnSelectCell", Value("Select"));
    auto* table = static_cast<QTableWidget*>(dynamic_cast<Control&>(*grid).widget());
    table->setCurrentCell(1, 1);
    // The handler refuses column 3: the cell chosen before stays current.
    sink.answers["Select"] = [](std::span<Value> args) { args[3] = Value(args[1].toInt() != 3); };
    table->setCurrentCell(2, 3);
    EXPECT_EQ(table->currentColumn(), 1);
    table->setCurrentCell(2, 2);
    EXPECT_EQ(table->currentColumn(), 2);
    ASSERT_EQ(sink.calls.size(), 3u);
    EXPECT_EQ(sink.calls[1].args[1].toInt(), 3) << "ACol";
    EXPECT_EQ(sink.calls[1].args[2].toInt(), 2) << "ARow";
}

} // namespace
