// CONTROLS: where controls are and what they hold, dragging, and the cursors, alignments, mouse
// buttons, shift states and key codes.
#include "script/bind.h"
#include "script/comp_wrapper.h"
#include "ui/qt/forms/control.h"
#include "ui/qt/forms/drag_and_drop.h"
#include "ui/qt/stdlib/application.h"
#include "ui/qt/stdlib/constant_table.h"
#include "ui/qt/stdlib/geometry.h"
#include "ui/qt/stdlib/units.h"

#include <QListWidget>
#include <QTabBar>
#include <QWidget>

namespace vorlan::stdlib {

namespace {

using forms::Control;
using script::ClassBinder;
using script::Value;

bool contains(const Control& outer, const script::Component* inner) {
    for (; inner; inner = inner->parent())
        if (inner->parent() == &outer) return true;
    return false;
}

// The control after (or before) `current` in the tab order among those inside `outer`; the
// first (or last) when `current` is nil.
Control* nextControl(Control& outer, Control* current, bool forward, bool tabStopsOnly) {
    QWidget* area = outer.widget();
    if (!area) return nullptr;
    QWidget* start = current && current->widget() ? current->widget() : area;
    QWidget* w = start;
    // The focus chain is a ring through every widget of the window.
    for (int guard = 0; guard < 10000; ++guard) {
        w = forward ? w->nextInFocusChain() : w->previousInFocusChain();
        if (!w || w == start) return nullptr;
        if (!area->isAncestorOf(w)) continue;
        Control* c = Control::owning(w);
        if (!c || c == current || c->widget() != w || !contains(outer, c)) continue;
        if (!w->isEnabled() || !w->isVisibleTo(area)) continue;
        if (tabStopsOnly ? !(w->focusPolicy() & Qt::TabFocus) : w->focusPolicy() == Qt::NoFocus)
            continue;
        return c;
    }
    return nullptr;
}

void registerControlMembers(script::Registry& reg) {
    ClassBinder<Control> control(reg, "TControl");
    control.bind("SetBounds", "procedure(ALeft, ATop, AWidth, AHeight: Integer)",
                 [](Control& c, std::int32_t l, std::int32_t t, std::int32_t w, std::int32_t h) {
                     c.place(l, t, w, h);
                 });
    control.property(
        "BoundsRect", "Variant",
        [](Control& c) {
            return rectValue(c.storedLeft(), c.storedTop(), c.storedLeft() + c.storedWidth(),
                             c.storedTop() + c.storedHeight());
        },
        [](Control& c, const Value& v) {
            const windows::CanvasRect r = rectOf(v);
            c.place(r.left, r.top, r.right - r.left, r.bottom - r.top);
        });
    control.bind("ClientToScreen", "function(Point: Variant): Variant",
                 [](Control& c, const Value& v) {
                     const windows::CanvasPoint p = pointOf(v);
                     const QPoint at =
                         c.widget() ? c.widget()->mapToGlobal(QPoint(p.x, p.y)) : QPoint(p.x, p.y);
                     return pointValue(at.x(), at.y());
                 });
    control.bind("ScreenToClient", "function(Point: Variant): Variant",
                 [](Control& c, const Value& v) {
                     const windows::CanvasPoint p = pointOf(v);
                     const QPoint at = c.widget() ? c.widget()->mapFromGlobal(QPoint(p.x, p.y))
                                                  : QPoint(p.x, p.y);
                     return pointValue(at.x(), at.y());
                 });
    control.bind("BeginDrag", "procedure(Immediate: Boolean; Threshold: Integer = -1)",
                 [](Control& c, bool immediate, std::int32_t threshold) {
                     forms::drag::begin(c, immediate, threshold);
                 });
    control.bind("EndDrag", "procedure(Drop: Boolean)",
                 [](Control&, bool drop) { forms::drag::end(drop); });
    control.bind("Dragging", "function: Boolean",
                 [](Control& c) { return forms::drag::dragging(c); });

    // Where the items of a list box are, and which are selected.
    ClassBinder<Control> list(reg, "TCustomListBox");
    list.bind("ItemAtPos", "function(Pos: Variant; Existing: Boolean): Integer",
              [](Control& c, const Value& v, bool existing) -> std::int32_t {
                  auto* view = qobject_cast<QListWidget*>(c.widget());
                  if (!view) return -1;
                  const windows::CanvasPoint p = pointOf(v);
                  const QPoint at = view->viewport()->mapFrom(view, QPoint(p.x, p.y));
                  if (QListWidgetItem* item = view->itemAt(at)) return view->row(item);
                  return existing ? -1 : view->count();
              });
    list.bind("ItemRect", "function(Index: Integer): Variant", [](Control& c, std::int32_t i) {
        auto* view = qobject_cast<QListWidget*>(c.widget());
        QListWidgetItem* item = view ? view->item(i) : nullptr;
        if (!item) return rectValue(0, 0, 0, 0);
        const QRect r = view->visualItemRect(item).translated(view->viewport()->pos());
        return rectValue(r.left(), r.top(), r.right() + 1, r.bottom() + 1);
    });
    list.property(
        "Selected", "Boolean",
        [](Control& c, std::int32_t i) {
            auto* view = qobject_cast<QListWidget*>(c.widget());
            QListWidgetItem* item = view ? view->item(i) : nullptr;
            return item && item->isSelected();
        },
        [](Control& c, std::int32_t i, bool on) {
            auto* view = qobject_cast<QListWidget*>(c.widget());
            if (QListWidgetItem* item = view ? view->item(i) : nullptr) item->setSelected(on);
        });

    // The tabs of a tab set: how many, which is under a point, where one is, the next one.
    const auto barOf = [](Control& c) -> QTabBar* {
        if (auto* bar = qobject_cast<QTabBar*>(c.widget())) return bar;
        return c.widget() ? c.widget()->findChild<QTabBar*>() : nullptr;
    };
    ClassBinder<Control> tabSet(reg, "TTabSet");
    tabSet.property("VisibleTabs", "Integer", [barOf](Control& c) {
        QTabBar* bar = barOf(c);
        return bar ? bar->count() : 0;
    });
    tabSet.bind(
        "ItemAtPos", "function(Pos: Variant): Integer", [barOf](Control& c, const Value& v) {
            QTabBar* bar = barOf(c);
            const windows::CanvasPoint p = pointOf(v);
            return bar ? bar->tabAt(bar->mapFromGlobal(c.widget()->mapToGlobal(QPoint(p.x, p.y))))
                       : -1;
        });
    tabSet.bind("ItemRect", "function(Item: Integer): Variant",
                [barOf](Control& c, std::int32_t i) {
                    QTabBar* bar = barOf(c);
                    if (!bar || i < 0 || i >= bar->count()) return rectValue(0, 0, 0, 0);
                    const QRect r = bar->tabRect(i).translated(
                        c.widget()->mapFromGlobal(bar->mapToGlobal(QPoint(0, 0))));
                    return rectValue(r.left(), r.top(), r.right() + 1, r.bottom() + 1);
                });
    tabSet.bind("SelectNext", "procedure(Direction: Boolean)", [barOf](Control& c, bool forward) {
        QTabBar* bar = barOf(c);
        if (!bar || bar->count() == 0) return;
        bar->setCurrentIndex((bar->currentIndex() + (forward ? 1 : bar->count() - 1)) %
                             bar->count());
    });

    ClassBinder<Control> windowed(reg, "TWinControl");
    windowed.property("Showing", "Boolean",
                      [](Control& c) { return c.widget() && c.widget()->isVisible(); });
    windowed.bind(
        "ContainsControl", "function(Control: TControl): Boolean", [](Control& c, const Value& v) {
            return contains(c, dynamic_cast<script::Component*>(script::nativeObjectOf(v)));
        });
    windowed.bind("FindNextControl",
                  "function(CurControl: TWinControl; GoForward, CheckTabStop, CheckParent: "
                  "Boolean): TWinControl",
                  [](Control& c, const Value& current, bool forward, bool tabStops, bool) {
                      return nextControl(c, script::nativeAs<Control>(current), forward, tabStops);
                  });
    windowed.bind("SelectNext",
                  "procedure(CurControl: TWinControl; GoForward, CheckTabStop: Boolean)",
                  [](Control& c, const Value& current, bool forward, bool tabStops) {
                      if (Control* next =
                              nextControl(c, script::nativeAs<Control>(current), forward, tabStops))
                          next->setFocus();
                  });
}

constexpr IntConstant kControlsConstants[] = {
    // TDragState, the State of OnDragOver.
    {"dsDragEnter", 0},
    {"dsDragLeave", 1},
    {"dsDragMove", 2},
    // Align, as controls answer it.
    {"alNone", 0},
    {"alTop", 1},
    {"alBottom", 2},
    {"alLeft", 3},
    {"alRight", 4},
    {"alClient", 5},
    // TMouseButton.
    {"mbLeft", 0},
    {"mbRight", 1},
    {"mbMiddle", 2},
    // TShiftState elements (bit numbers, as in the Shift argument of key and mouse events).
    {"ssShift", 0},
    {"ssAlt", 1},
    {"ssCtrl", 2},
    {"ssLeft", 3},
    {"ssRight", 4},
    {"ssMiddle", 5},
    {"ssDouble", 6},
    // Key codes.
    {"VK_LBUTTON", 1},
    {"VK_RBUTTON", 2},
    {"VK_CANCEL", 3},
    {"VK_MBUTTON", 4},
    {"VK_BACK", 8},
    {"VK_TAB", 9},
    {"VK_CLEAR", 12},
    {"VK_RETURN", 13},
    {"VK_SHIFT", 16},
    {"VK_CONTROL", 17},
    {"VK_MENU", 18},
    {"VK_PAUSE", 19},
    {"VK_CAPITAL", 20},
    {"VK_ESCAPE", 27},
    {"VK_SPACE", 32},
    {"VK_PRIOR", 33},
    {"VK_NEXT", 34},
    {"VK_END", 35},
    {"VK_HOME", 36},
    {"VK_LEFT", 37},
    {"VK_UP", 38},
    {"VK_RIGHT", 39},
    {"VK_DOWN", 40},
    {"VK_SELECT", 41},
    {"VK_PRINT", 42},
    {"VK_EXECUTE", 43},
    {"VK_SNAPSHOT", 44},
    {"VK_INSERT", 45},
    {"VK_DELETE", 46},
    {"VK_HELP", 47},
    {"VK_LWIN", 91},
    {"VK_RWIN", 92},
    {"VK_APPS", 93},
    {"VK_NUMPAD0", 96},
    {"VK_NUMPAD1", 97},
    {"VK_NUMPAD2", 98},
    {"VK_NUMPAD3", 99},
    {"VK_NUMPAD4", 100},
    {"VK_NUMPAD5", 101},
    {"VK_NUMPAD6", 102},
    {"VK_NUMPAD7", 103},
    {"VK_NUMPAD8", 104},
    {"VK_NUMPAD9", 105},
    {"VK_MULTIPLY", 106},
    {"VK_ADD", 107},
    {"VK_SEPARATOR", 108},
    {"VK_SUBTRACT", 109},
    {"VK_DECIMAL", 110},
    {"VK_DIVIDE", 111},
    {"VK_F1", 112},
    {"VK_F2", 113},
    {"VK_F3", 114},
    {"VK_F4", 115},
    {"VK_F5", 116},
    {"VK_F6", 117},
    {"VK_F7", 118},
    {"VK_F8", 119},
    {"VK_F9", 120},
    {"VK_F10", 121},
    {"VK_F11", 122},
    {"VK_F12", 123},
    {"VK_F13", 124},
    {"VK_F14", 125},
    {"VK_F15", 126},
    {"VK_F16", 127},
    {"VK_F17", 128},
    {"VK_F18", 129},
    {"VK_F19", 130},
    {"VK_F20", 131},
    {"VK_F21", 132},
    {"VK_F22", 133},
    {"VK_F23", 134},
    {"VK_F24", 135},
    {"VK_NUMLOCK", 144},
    {"VK_SCROLL", 145},
};

// Stored forms keep these as identifiers, and the form layer reads them by name.
constexpr const char* kControlsNames[] = {
    "taLeftJustify", "taRightJustify", "taCenter",    "bvNone", "bvLowered",    "bvRaised",
    "bvSpace",       "dmManual",       "dmAutomatic", "tlTop",  "tlCenter",     "tlBottom",
    "ecNormal",      "ecUpperCase",    "ecLowerCase", "ssNone", "ssHorizontal", "ssVertical",
    "ssBoth",        "tpTop",          "tpBottom",    "tpLeft", "tpRight",
};

} // namespace

void registerControlsUnit(script::Registry& reg) {
    registerControlMembers(reg);
    registerIntConstants(reg, cursorConstants());
    registerIntConstants(reg, kControlsConstants);
    registerNameConstants(reg, kControlsNames);
}

} // namespace vorlan::stdlib
