#pragma once
// Program forms on Qt: each standard control class scripts know becomes a component with a real
// widget. Published properties read and write the widget through the property table of the
// control's class (and its ancestors'); widget signals fire the events the form names
// (OnClick -> Button1Click) through the component tree's event sink.
//
// Coordinates are those of the stored form: a child's Left and Top are relative to the control
// it sits in. The form's Left, Top, Width and Height are its window's frame.

#include "script/component.h"
#include "ui/qt/forms/font_object.h"
#include "ui/qt/forms/form_host.h"
#include "ui/qt/forms/property_table.h"

#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <utility>

class QKeyEvent;

namespace vorlan::forms {

// Held while a handler runs because a widget signalled: controls freed meanwhile hand their
// widget to the event loop instead of deleting it under its own signal.
struct SignalHandlerScope {
    SignalHandlerScope();
    ~SignalHandlerScope();
    SignalHandlerScope(const SignalHandlerScope&) = delete;
    SignalHandlerScope& operator=(const SignalHandlerScope&) = delete;
};

// A slot for a widget signal that calls a control's handler.
template <class F> auto guarded(F f) {
    return [f](auto&&... args) {
        SignalHandlerScope scope;
        f(std::forward<decltype(args)>(args)...);
    };
}

// Hides and deletes a widget a component owned; inside a signal handler the event loop deletes
// it once the signal is over.
void disposeWidget(QWidget* widget);

// Where a control keeps itself in its parent when the parent changes size.
enum class Align { None, Top, Bottom, Left, Right, Client };
Align alignOf(const script::Value& value);

class Control : public script::Component {
public:
    Control(std::string className, QWidget* widget);
    ~Control() override;

    // The properties every control has: Left, Top, Width, Height, Visible, Align, Enabled,
    // Hint, ShowHint, Color, Font, Parent, PopupMenu, Cursor, TabStop, TabOrder; and those kept
    // as given because nothing on Linux answers them (Ctl3D, ParentColor, DragMode ...).
    static const PropertyTable& propertyTable();
    // The events every control fires: the keys, the focus, the mouse, the click and the double
    // click, dragging (drag_and_drop.h) and a change of size.
    static std::span<const char* const> eventsOfEveryControl();
    // The table of the control's own class; each class answers its own.
    virtual const PropertyTable& properties() const { return propertyTable(); }

    // The control whose widget is `w` or holds it; null when it belongs to no control.
    static Control* owning(QWidget* w);

    // Null once the widget is gone.
    QWidget* widget() const { return widget_.data(); }
    // Where controls that sit in this one are placed.
    virtual QWidget* clientArea() const { return widget(); }
    // Puts the widget into the client area of the control it sits in (a page control takes
    // its sheets as pages instead).
    virtual void attachTo(QWidget* area);
    // Stops the widget's events from reaching the component (before it goes away).
    void detachEvents();

    // The class's table, then its ancestors', then the property bag. Once the widget is gone
    // only the properties every control has are left.
    bool hasPublished(std::string_view name) const override;
    bool getPublished(std::string_view name, script::Value& out) const override;
    bool setPublished(std::string_view name, const script::Value& value) override;

    virtual void showControl();
    virtual void hideControl();
    void setFocus();
    bool canFocus() const;
    bool focused() const;
    void bringToFront();
    void sendToBack();
    void repaint();
    bool visibleFlag() const { return visible_; }
    Align align() const { return align_; }
    int storedLeft() const { return left_; }
    int storedTop() const { return top_; }
    int storedWidth() const { return width_; }
    int storedHeight() const { return height_; }
    // Moves and sizes the control (its Left, Top, Width and Height).
    void place(int left, int top, int width, int height);

    // Fires OnKeyPress with `key` as its var argument; the key the handler leaves.
    std::string pressKey(const std::string& key);
    // Fires OnKeyDown or OnKeyUp with (Sender, var Key, Shift); the key code the handler leaves.
    std::int32_t keyCode(const char* event, std::int32_t code, std::int32_t shift);

    // Enter moves the focus on as Tab does (Shift+Enter back).
    void setEnterAsTab(bool on) { enterAsTab_ = on; }
    bool enterAsTab() const { return enterAsTab_; }

    // Handles a widget event on the control's behalf; true swallows it.
    virtual bool handleWidgetEvent(QObject* watched, QEvent* event);

    // What the control answers for its form when nobody can click (a default button's modal
    // result); 0 for none.
    virtual int unattendedResult() const { return 0; }
    // Esc presses the form's cancel button: true when this control is one and was pressed.
    virtual bool pressIfCancel() { return false; }

protected:
    // The form the control sits on (the form itself for a form); null before it sits on one.
    FormHost* host() { return formHostOf(root()); }
    // The widget whose keys, focus and mouse are watched (a compound widget's inner one).
    void watch(QWidget* w);
    virtual void applyGeometry();
    virtual void applyFont();
    // Fires unless the widget is being changed from the script side without an event.
    void fire(std::string_view event);
    bool quiet() const { return quiet_ > 0; }
    struct Quiet {
        explicit Quiet(Control& c) : c_(c) { ++c_.quiet_; }
        ~Quiet() { --c_.quiet_; }
        Control& c_;
    };

private:
    void setAlign(const script::Value& value);
    void setColor(const script::Value& value);
    void setParentControl(const script::Value& value);
    // The right mouse button (or the menu key) shows the control's PopupMenu.
    bool showPopupMenu(const QPoint& globalPos);
    // OnKeyDown/OnKeyUp, the form's first with KeyPreview; false when a handler swallowed it.
    bool passKey(const char* event, const QKeyEvent& key);
    // OnMouseDown, OnMouseUp and OnMouseMove with the point in the control's own coordinates.
    void passMouse(QObject* watched, const QEvent& event);
    void setCursorShape(std::int32_t cursor);
    // Whether the class fires OnClick itself (a button, a list); the others click on the mouse.
    bool clicksOnItsOwn() const;
    void setTabStop(bool on);

    // The class the control was made as (a form's declared class may rename it later).
    std::string catalogClass_;
    QPointer<QWidget> widget_;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    bool visible_ = true;
    Align align_ = Align::None;
    script::Value color_;
    script::Value popupMenu_;
    std::int32_t cursor_ = 0;
    std::int32_t tabOrder_ = -1;
    mutable std::int8_t ownClick_ = -1; // not known yet
    std::unique_ptr<FontObject> font_;
    int quiet_ = 0;
    bool inKeyPress_ = false;
    bool enterAsTab_ = false;
};

} // namespace vorlan::forms
