#pragma once
// Program forms on Qt: each standard control class scripts know becomes a component with a real
// widget. Published properties read and write the widget; widget signals fire the events the
// form names (OnClick -> Button1Click) through the component tree's event sink.
//
// Coordinates are those of the stored form: a child's Left and Top are relative to the control
// it sits in. The form's Left, Top, Width and Height are its window's frame.

#include "script/component.h"

#include <QKeySequence>
#include <QMenuBar>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <string>

class QAction;
class QKeyEvent;
class QMenu;
class QTimer;

namespace vorlan::forms {

class Control;

// Held while a handler runs because a widget signalled: controls freed meanwhile hand their
// widget to the event loop instead of deleting it under its own signal.
struct SignalHandlerScope {
    SignalHandlerScope();
    ~SignalHandlerScope();
    SignalHandlerScope(const SignalHandlerScope&) = delete;
    SignalHandlerScope& operator=(const SignalHandlerScope&) = delete;
};

// Strings of a control as scripts see them (TStrings: Items, Lines). The owner supplies how the
// widget's list is read and changed.
class StringList : public script::NativeObject {
public:
    struct Access {
        std::function<std::vector<std::string>()> read;
        std::function<void(const std::vector<std::string>&)> write;
    };
    explicit StringList(Access access)
        : script::NativeObject("TStrings"), access_(std::move(access)) {}

    std::vector<std::string> lines() const { return access_.read(); }
    void setLines(const std::vector<std::string>& lines) { access_.write(lines); }
    int add(const std::string& line);
    void insert(int index, const std::string& line);
    void remove(int index);
    void set(int index, const std::string& line);
    std::string at(int index) const;
    int indexOf(std::string_view line) const;
    int count() const { return static_cast<int>(lines().size()); }
    // Lines joined with CR LF after each, as the Text property shows them.
    std::string text() const;
    void setText(std::string_view text);

private:
    void checkIndex(int index, int count) const;
    Access access_;
};

// The Font of a control.
class FontObject : public script::NativeObject {
public:
    explicit FontObject(Control& control) : script::NativeObject("TFont"), control_(control) {}
    bool get(std::string_view name, script::Value& out) const;
    bool set(std::string_view name, const script::Value& value);

private:
    Control& control_;
};

// Where a control keeps itself in its parent when the parent changes size.
enum class Align { None, Top, Bottom, Left, Right, Client };
Align alignOf(const script::Value& value);

class Control : public script::Component {
public:
    Control(std::string className, QWidget* widget);
    ~Control() override;

    // Null once the widget is gone.
    QWidget* widget() const { return widget_.data(); }
    // Where controls that sit in this one are placed.
    virtual QWidget* clientArea() const { return widget(); }
    // Puts the widget into the client area of the control it sits in (a page control takes
    // its sheets as pages instead).
    virtual void attachTo(QWidget* area);
    // Stops the widget's events from reaching the component (before it goes away).
    void detachEvents();

    bool getPublished(std::string_view name, script::Value& out) const override;
    bool setPublished(std::string_view name, const script::Value& value) override;

    virtual void showControl();
    virtual void hideControl();
    void setFocus();
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

    // Handles a widget event on the control's behalf; true swallows it.
    virtual bool handleWidgetEvent(QObject* watched, QEvent* event);

protected:
    // Each class answers its own properties first; false hands the name to the common ones.
    virtual bool getOwn(std::string_view, script::Value&) const { return false; }
    virtual bool setOwn(std::string_view, const script::Value&) { return false; }
    // The properties every control has.
    bool getCommon(std::string_view name, script::Value& out) const;
    bool setCommon(std::string_view name, const script::Value& value);
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
    void keepWidget(QWidget* w) { widget_ = w; }
    // The Enter key moves on as Tab does.
    bool enterAsTab_ = false;

private:
    // The right mouse button (or the menu key) shows the control's PopupMenu.
    bool showPopupMenu(const QPoint& globalPos);
    script::Value popupMenu_;
    friend class FontObject;
    // OnKeyDown/OnKeyUp, the form's first with KeyPreview; false when a handler swallowed it.
    bool passKey(const char* event, const QKeyEvent& key);
    QPointer<QWidget> widget_;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    bool visible_ = true;
    Align align_ = Align::None;
    script::Value color_;
    std::unique_ptr<FontObject> font_;
    std::string fontName_;
    int fontPixels_ = 0; // Font.Height: negative for the character height in pixels
    std::string fontStyle_ = "[]";
    script::Value fontColor_;
    int quiet_ = 0;
    bool inKeyPress_ = false;
};

class Form;

// What OnClose's Action asks for.
constexpr std::int32_t kCloseNone = 0;
constexpr std::int32_t kCloseHide = 1;
constexpr std::int32_t kCloseFree = 2;

// The one form class: program forms, message dialogs and input boxes.
class Form : public Control {
public:
    explicit Form(std::string className = "TForm");
    ~Form() override;

    void loaded() override;
    // Places every control in its parent's client area; an unknown visual class gets an empty
    // panel so that what sits in it still shows. Done once the whole tree has been read.
    void attachAll();

    void showControl() override;
    void hideControl() override;
    int showModal();
    // Asks OnCloseQuery, fires OnClose and hides the window unless the handlers said no. True
    // when the form closed. The program's module form ends the run when it closes.
    bool close();
    // Frees the form once the current event is over (Release, and the caFree close action).
    void releaseLater();
    int modalResult() const { return modalResult_; }
    void setModalResult(int result);
    bool modal() const { return modal_; }
    bool closing() const { return closing_; }
    bool keyPreview() const { return keyPreview_; }
    QWidget* clientArea() const override { return client_.data(); }
    // The window's menu bar (the first main menu of the form); the client area moves below it.
    void setMenuBar(QMenuBar* bar);
    // Lays out the aligned controls inside `container` (this form or one of its controls).
    void realign(const script::Component* container);
    // Chains the focus through the controls by their TabOrder.
    void orderTabs();
    // OnCreate, once.
    void fireCreate();
    // For message dialogs: what the form answers when nobody can click (headless runs).
    std::function<int()> unattendedAnswer;

    bool handleWidgetEvent(QObject* watched, QEvent* event) override;
    // The Esc and Enter keys of the window.
    bool pressCancelButton();

protected:
    bool getOwn(std::string_view name, script::Value& out) const override;
    bool setOwn(std::string_view name, const script::Value& value) override;

private:
    void placeWindow();
    void checkModalResult();
    // Left and Top place the window's frame; a stored client size wins over Width and Height.
    void applyGeometry() override;
    void focusActiveControl();
    int menuHeight() const;
    void layoutClient();
    void endRun();

    int modalResult_ = 0;
    bool modal_ = false;
    bool created_ = false;
    bool active_ = false;
    bool closing_ = false;
    unsigned closes_ = 0; // how often the form has closed
    int clientWidth_ = -1, clientHeight_ = -1;
    std::string position_;
    std::string borderStyle_ = "bsSizeable";
    bool keyPreview_ = false;
    std::string activeControl_;
    QPointer<QWidget> client_;
    QPointer<QMenuBar> menuBar_;
    std::map<const script::Component*, QPointer<QWidget>> placeholders_;
};

// A form's main menu: a menu bar above the client area once the form is read.
class MainMenu : public script::Component {
public:
    MainMenu();
    ~MainMenu() override;
    QMenuBar* bar() const { return bar_.data(); }

private:
    QPointer<QMenuBar> bar_;
};

// A menu shown where the user asks for it: over a control whose PopupMenu names it, or by
// its Popup(X, Y) method. Its items are the menu items stored inside it.
class PopupMenu : public script::Component {
public:
    PopupMenu();
    ~PopupMenu() override;
    QMenu* menu() const { return menu_.get(); }
    // Fires OnPopup, then shows the menu at the screen position; returns at once.
    void popup(const QPoint& globalPos);

private:
    std::unique_ptr<QMenu> menu_;
};

// One command of a menu; the items stored inside it make its submenu.
class MenuItem : public script::Component {
public:
    MenuItem();
    ~MenuItem() override;
    bool getPublished(std::string_view name, script::Value& out) const override;
    bool setPublished(std::string_view name, const script::Value& value) override;
    QAction* action() const { return action_.get(); }
    QMenu* submenu();
    void click();

private:
    std::unique_ptr<QMenu> submenu_;
    std::unique_ptr<QAction> action_;
    std::string caption_;
    std::int32_t shortCut_ = 0;
};

// A menu shortcut as forms store it: the key code with Shift $2000, Ctrl $4000, Alt $8000.
QKeySequence keySequenceOf(std::int32_t shortCut);

// A timer: not a control, it has no widget of its own.
class Timer : public script::Component {
public:
    Timer();
    ~Timer() override;
    bool getPublished(std::string_view name, script::Value& out) const override;
    bool setPublished(std::string_view name, const script::Value& value) override;
    void loaded() override;
    bool running() const;

private:
    void update();
    void holdHeadlessRun(bool hold);
    std::unique_ptr<QTimer> timer_;
    bool holding_ = false;
    bool enabled_ = true;
    int interval_ = 1000;
    bool loaded_ = false;
};

// Makes the control of a registered class name; null for a name this layer has no widget for.
std::unique_ptr<script::Component> makeControl(std::string_view className);

// Gives a new control the size it has on a form before its stream sets one.
std::unique_ptr<Control> withDefaultSize(std::unique_ptr<Control> control, QSize size);

// The factories of the other control families (grids, pictures, pages, data-aware controls,
// file dialogs); each answers null for a class that is not its own.
std::unique_ptr<script::Component> makeGridOrPictureControl(const std::string& className);
std::unique_ptr<script::Component> makeContainerControl(const std::string& className);
std::unique_ptr<script::Component> makeDataControl(const std::string& className);
std::unique_ptr<script::Component> makeFileDialog(const std::string& className);

// The key code (VK_...) scripts see for a key, 0 for keys without one; the shift state as the
// set [ssShift, ssAlt, ssCtrl] held in bits 0 to 2.
std::int32_t virtualKeyOf(const QKeyEvent& key);
std::int32_t shiftStateOf(Qt::KeyboardModifiers modifiers);

// A colour of a form (clRed, $00FF00, a system colour) as an RGB value; false for clDefault
// and names it does not know.
bool colorOf(const script::Value& value, unsigned& rgb);

} // namespace vorlan::forms
