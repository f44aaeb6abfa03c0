#include "ui/qt/forms/control.h"

#include "core/cp1250.h"
#include "script/comp_wrapper.h"
#include "script/registry.h"
#include "ui/qt/forms/drag_and_drop.h"
#include "ui/qt/forms/form_catalog.h"
#include "ui/qt/forms/form_values.h"
#include "ui/qt/forms/key_codes.h"
#include "ui/qt/forms/menus.h"
#include "ui/qt/forms/widget_properties.h"
#include "ui/qt/qt_text.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>

namespace vorlan::forms {

using script::Value;

namespace {

// Handlers that are running because a widget signalled: a widget must not be deleted under
// its own signal, so controls freed meanwhile hand their widget to the event loop instead.
int signalDepth = 0;

class EventBridge : public QObject {
public:
    EventBridge(Control& control, QObject* parent) : QObject(parent), control_(control) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        SignalHandlerScope scope;
        return drag::filter(control_, watched, event) || control_.handleWidgetEvent(watched, event);
    }

public:
    Control& control() const { return control_; }

private:
    Control& control_;
};

// A combo box's list is about to show: OnDropDown.
class DropDownWatch : public QObject {
public:
    DropDownWatch(Control& control, QObject* parent) : QObject(parent), control_(control) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            SignalHandlerScope scope;
            control_.fireNotify("OnDropDown");
        }
        return false;
    }

private:
    Control& control_;
};

} // namespace

SignalHandlerScope::SignalHandlerScope() {
    ++signalDepth;
}

SignalHandlerScope::~SignalHandlerScope() {
    --signalDepth;
}

void disposeWidget(QWidget* widget) {
    if (!widget) return;
    widget->hide();
    if (signalDepth > 0) {
        widget->setParent(nullptr);
        widget->deleteLater();
    } else {
        delete widget;
    }
}

Align alignOf(const Value& value) {
    static const char* const names[] = {"alNone", "alTop",   "alBottom",
                                        "alLeft", "alRight", "alClient"};
    if (value.isNumeric()) {
        const std::int32_t n = value.toInt();
        return n >= 0 && n <= 5 ? static_cast<Align>(n) : Align::None;
    }
    const std::string text = value.toString();
    for (int i = 0; i < 6; ++i)
        if (equalsNoCase(text, names[i])) return static_cast<Align>(i);
    return Align::None;
}

// ---- Control

namespace {

constexpr const char* kEventsOfEveryControl[] = {
    "OnClick",     "OnDblClick", "OnEnter",     "OnExit",      "OnKeyDown",
    "OnKeyPress",  "OnKeyUp",    "OnMouseDown", "OnMouseMove", "OnMouseUp",
    "OnStartDrag", "OnDragOver", "OnDragDrop",  "OnEndDrag",   "OnResize"};

// The mouse buttons as programs number them (mbLeft, mbRight, mbMiddle).
std::int32_t mouseButtonOf(Qt::MouseButton button) {
    switch (button) {
    case Qt::RightButton:
        return 1;
    case Qt::MiddleButton:
        return 2;
    default:
        return 0;
    }
}

// The shift state of a mouse event: the keys, then the buttons held (ssLeft, ssRight, ssMiddle).
std::int32_t mouseShiftOf(const QMouseEvent& event) {
    std::int32_t state = shiftStateOf(event.modifiers());
    if (event.buttons() & Qt::LeftButton) state |= 1 << 3;
    if (event.buttons() & Qt::RightButton) state |= 1 << 4;
    if (event.buttons() & Qt::MiddleButton) state |= 1 << 5;
    return state;
}

} // namespace

std::span<const char* const> Control::eventsOfEveryControl() {
    return kEventsOfEveryControl;
}

const PropertyTable& Control::propertyTable() {
    static const auto table = PropertyTable::of<Control>(
        &sharedWidgetProperties(),
        {
            {"Left", &Control::left_,
             [](Control& c, std::int32_t v) { c.place(v, c.top_, c.width_, c.height_); }},
            {"Top", &Control::top_,
             [](Control& c, std::int32_t v) { c.place(c.left_, v, c.width_, c.height_); }},
            {"Width", &Control::width_,
             [](Control& c, std::int32_t v) { c.place(c.left_, c.top_, v, c.height_); }},
            {"Height", &Control::height_,
             [](Control& c, std::int32_t v) { c.place(c.left_, c.top_, c.width_, v); }},
            {"Visible", &Control::visible_,
             [](Control& c, bool v) { v ? c.showControl() : c.hideControl(); }},
            {"Align", &Control::align_, &Control::setAlign},
            {"Enabled", [](const Control& c) { return !c.widget() || c.widget()->isEnabled(); },
             [](Control& c, bool v) {
                 if (QWidget* w = c.widget()) w->setEnabled(v);
             }},
            {"Hint",
             [](const Control& c) {
                 return c.widget() ? qt::toEngine(c.widget()->toolTip()) : std::string();
             },
             [](Control& c, const std::string& v) {
                 if (QWidget* w = c.widget()) w->setToolTip(qt::fromEngine(v));
             }},
            {"Color",
             [](const Control& c) { return c.color_.isEmpty() ? Value("clBtnFace") : c.color_; },
             &Control::setColor},
            {"Font", subObject, [](const Control& c) { return c.font_.get(); }},
            {"Parent", [](const Control& c) { return c.parent(); }, &Control::setParentControl},
            // Kept as given (a stored name or the menu object) and looked up when it is needed:
            // a stored form names menus that are read after the control.
            {"PopupMenu",
             [](const Control& c) { return c.popupMenu_.isEmpty() ? Value::null() : c.popupMenu_; },
             &Control::popupMenu_},
            {"Cursor", &Control::cursor_,
             [](Control& c, const Value& v) {
                 // Stored forms name the cursor (crHandPoint), programs give its number.
                 const Value* named = v.isString() ? script::registry().findConst(v.asString())
                                                   : nullptr;
                 c.setCursorShape(named ? named->toInt() : v.toInt());
             }},
            {"TabStop",
             [](const Control& c) {
                 return c.widget() && (c.widget()->focusPolicy() & Qt::TabFocus) != 0;
             },
             &Control::setTabStop},
            // The room inside the frame; setting it sizes the control round it.
            {"ClientWidth",
             [](const Control& c) {
                 return c.widget() ? c.widget()->contentsRect().width() : c.width_;
             },
             [](Control& c, std::int32_t v) {
                 const int frame = c.widget() ? c.width_ - c.widget()->contentsRect().width() : 0;
                 c.place(c.left_, c.top_, v + std::max(frame, 0), c.height_);
             }},
            {"ClientHeight",
             [](const Control& c) {
                 return c.widget() ? c.widget()->contentsRect().height() : c.height_;
             },
             [](Control& c, std::int32_t v) {
                 const int frame =
                     c.widget() ? c.height_ - c.widget()->contentsRect().height() : 0;
                 c.place(c.left_, c.top_, c.width_, v + std::max(frame, 0));
             }},
            // -1 until set: the control keeps its place in the order it was made.
            {"TabOrder", &Control::tabOrder_, &Control::tabOrder_},
            keptProperty("ShowHint", Value(false)),
            keptProperty("ParentShowHint", Value(true)),
            keptProperty("ParentColor", Value(false)),
            keptProperty("ParentFont", Value(true)),
            keptProperty("Ctl3D", Value(true)),
            keptProperty("ParentCtl3D", Value(true)),
            keptProperty("DragCursor", Value("crDrag")),
            keptProperty("DragMode", Value("dmManual")),
            keptProperty("HelpContext", Value(0)),
        });
    return table;
}

Control::Control(std::string className, QWidget* widget)
    : script::Component(className), catalogClass_(std::move(className)), widget_(widget),
      font_(std::make_unique<FontObject>([this] { applyFont(); })) {
    if (widget) {
        auto* bridge = new EventBridge(*this, widget);
        bridge->setObjectName(QStringLiteral("vorlanEventBridge"));
        widget->installEventFilter(bridge);
        if (auto* combo = qobject_cast<QComboBox*>(widget))
            combo->view()->installEventFilter(new DropDownWatch(*this, bridge));
        width_ = widget->width();
        height_ = widget->height();
    }
}

Control::~Control() {
    drag::abandon(*this);
    detachEvents();
    disposeWidget(widget_.data());
}

void Control::detachEvents() {
    // Nothing the widget does from here on reaches the component.
    if (QWidget* w = widget_.data())
        for (QObject* bridge : w->findChildren<QObject*>(QStringLiteral("vorlanEventBridge"),
                                                         Qt::FindDirectChildrenOnly))
            delete bridge;
}

Control* Control::owning(QWidget* w) {
    for (; w; w = w->parentWidget())
        for (QObject* child : w->children())
            if (auto* bridge = dynamic_cast<EventBridge*>(child);
                bridge && bridge->objectName() == QLatin1String("vorlanEventBridge"))
                return &bridge->control();
    return nullptr;
}

void Control::watch(QWidget* w) {
    if (!w || w == widget()) return;
    if (QWidget* own = widget())
        if (auto* bridge = own->findChild<QObject*>(QStringLiteral("vorlanEventBridge"),
                                                    Qt::FindDirectChildrenOnly))
            w->installEventFilter(bridge);
}

void Control::attachTo(QWidget* area) {
    QWidget* w = widget();
    if (!w || !area || w == area) return;
    w->setParent(area);
    applyGeometry();
    w->setVisible(visible_);
}

void Control::place(int left, int top, int width, int height) {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    applyGeometry();
}

void Control::applyGeometry() {
    if (QWidget* w = widget())
        w->setGeometry(left_, top_, std::max(width_, 0), std::max(height_, 0));
}

void Control::applyFont() {
    QWidget* w = widget();
    if (!w) return;
    QFont font = w->font();
    font_->applyTo(font);
    w->setFont(font);
    unsigned rgb = 0;
    if (font_->textColor(rgb)) {
        QPalette palette = w->palette();
        for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            palette.setColor(role, qtColor(rgb));
        w->setPalette(palette);
    }
}

void Control::setAlign(const Value& value) {
    align_ = alignOf(value);
    if (FormHost* form = host(); form && root() != this)
        form->realign(parent() ? parent() : root());
}

bool Control::clicksOnItsOwn() const {
    if (ownClick_ < 0) ownClick_ = classFiresEvent(className(), "OnClick") ? 1 : 0;
    return ownClick_ == 1;
}

void Control::setCursorShape(std::int32_t cursor) {
    cursor_ = cursor;
    if (QWidget* w = widget()) {
        if (cursor == 0)
            w->unsetCursor();
        else
            w->setCursor(QCursor(cursorShapeOf(cursor)));
    }
}

void Control::setTabStop(bool on) {
    QWidget* w = widget();
    if (!w) return;
    if (on && !(w->focusPolicy() & Qt::TabFocus))
        w->setFocusPolicy(Qt::StrongFocus);
    else if (!on)
        w->setFocusPolicy(w->focusPolicy() == Qt::NoFocus ? Qt::NoFocus : Qt::ClickFocus);
}

void Control::passMouse(QObject* watched, const QEvent& event) {
    const char* name = event.type() == QEvent::MouseButtonPress     ? "OnMouseDown"
                       : event.type() == QEvent::MouseButtonRelease ? "OnMouseUp"
                                                                    : "OnMouseMove";
    if (!handlerOf(name)) return;
    const auto& mouse = static_cast<const QMouseEvent&>(event);
    QPoint at = mouse.position().toPoint();
    auto* from = qobject_cast<QWidget*>(watched);
    if (QWidget* own = widget(); from && own && from != own && own->isAncestorOf(from))
        at = from->mapTo(own, at);
    std::vector<Value> args{Value(script::wrapObject(this))};
    if (event.type() != QEvent::MouseMove) args.emplace_back(mouseButtonOf(mouse.button()));
    args.emplace_back(mouseShiftOf(mouse));
    args.emplace_back(at.x());
    args.emplace_back(at.y());
    fireEvent(name, args);
}

void Control::setColor(const Value& value) {
    color_ = value;
    QWidget* w = widget();
    unsigned rgb = 0;
    if (!w || isSystemColor(value) || !colorOf(value, rgb)) return;
    QPalette palette = w->palette();
    palette.setColor(QPalette::Window, qtColor(rgb));
    palette.setColor(QPalette::Base, qtColor(rgb));
    palette.setColor(QPalette::Button, qtColor(rgb));
    w->setPalette(palette);
    w->setAutoFillBackground(true);
}

void Control::setParentControl(const Value& value) {
    auto* parentComponent = dynamic_cast<script::Component*>(script::nativeObjectOf(value));
    setParent(parentComponent);
    if (auto* parentControl = dynamic_cast<Control*>(parentComponent))
        attachTo(parentControl->clientArea());
    else if (QWidget* w = widget())
        w->setParent(nullptr);
}

bool Control::getPublished(std::string_view name, Value& out) const {
    const PropertyTable& table = widget() ? properties() : Control::propertyTable();
    // Events read as their handler's name, anything else stored as it came.
    if (table.get(*this, name, out)) return true;
    if (table.isObjectPath(name)) return false;
    return script::Component::getPublished(name, out) || classKeeps(catalogClass_, name, &out);
}

bool Control::hasPublished(std::string_view name) const {
    // Write-only properties (a grid's Options, a label's Alignment) are there for scripts too.
    const PropertyTable& table = widget() ? properties() : Control::propertyTable();
    return table.lists(name) || script::Component::hasPublished(name) ||
           classKeeps(catalogClass_, name, nullptr);
}

bool Control::setPublished(std::string_view name, const Value& value) {
    const PropertyTable& table = widget() ? properties() : Control::propertyTable();
    // Events named by procedure are bound, anything else is stored as it came.
    if (table.set(*this, name, value)) return true;
    // The mouse is followed without a button held only for a control that asks.
    if (equalsNoCase(name, "OnMouseMove"))
        if (QWidget* w = widget()) w->setMouseTracking(true);
    return !table.isObjectPath(name) && script::Component::setPublished(name, value);
}

std::string Control::pressKey(const std::string& key) {
    if (!handlerOf("OnKeyPress")) return key;
    Value args[2] = {Value(script::wrapObject(this)), Value(key)};
    fireEvent("OnKeyPress", args);
    return args[1].toString();
}

void Control::fire(std::string_view event) {
    if (!quiet()) fireNotify(event);
}

void Control::showControl() {
    visible_ = true;
    if (QWidget* w = widget(); w && w->parentWidget()) w->show();
}

void Control::hideControl() {
    visible_ = false;
    if (QWidget* w = widget()) w->hide();
}

void Control::setFocus() {
    if (QWidget* w = widget()) w->setFocus(Qt::OtherFocusReason);
}

bool Control::canFocus() const {
    const QWidget* w = widget();
    return w && w->isEnabled() && w->focusPolicy() != Qt::NoFocus;
}

bool Control::focused() const {
    const QWidget* w = widget();
    return w && w->hasFocus();
}

void Control::bringToFront() {
    if (QWidget* w = widget()) w->raise();
}

void Control::sendToBack() {
    if (QWidget* w = widget()) w->lower();
}

void Control::repaint() {
    if (QWidget* w = widget()) w->update();
}

bool Control::showPopupMenu(const QPoint& globalPos) {
    if (popupMenu_.isEmpty() || popupMenu_.isNull()) return false;
    PopupMenu* menu = nullptr;
    if (popupMenu_.isObject())
        menu = dynamic_cast<PopupMenu*>(script::nativeObjectOf(popupMenu_));
    else if (script::Component* top = root())
        menu = dynamic_cast<PopupMenu*>(top->findComponent(popupMenu_.toString()));
    if (!menu) return false;
    if (Value automatic; menu->getPublished("AutoPopup", automatic) && !automatic.toBool())
        return false;
    menu->popupComponent = Value(script::wrapObject(this));
    menu->popup(globalPos);
    return true;
}

bool Control::handleWidgetEvent(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::ContextMenu:
        if (showPopupMenu(static_cast<QContextMenuEvent*>(event)->globalPos())) return true;
        break;
    case QEvent::MouseButtonDblClick:
        fireNotify("OnDblClick");
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
        passMouse(watched, *event);
        break;
    case QEvent::MouseButtonRelease: {
        const auto alive = aliveToken();
        passMouse(watched, *event);
        // A click on a control whose widget has no click of its own (an edit, a memo, a
        // grid) is the left button let go over it.
        const auto* mouse = static_cast<const QMouseEvent*>(event);
        auto* from = qobject_cast<QWidget*>(watched);
        if (!alive.expired() && mouse->button() == Qt::LeftButton && from &&
            from->rect().contains(mouse->position().toPoint()) && !clicksOnItsOwn())
            fireNotify("OnClick");
        break;
    }
    case QEvent::FocusIn:
        fireNotify("OnEnter");
        break;
    case QEvent::FocusOut:
        fireNotify("OnExit");
        break;
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (enterAsTab_ && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            if (QWidget* w = widget()) {
                QKeyEvent tab(QEvent::KeyPress,
                              (key->modifiers() & Qt::ShiftModifier) ? Qt::Key_Backtab
                                                                     : Qt::Key_Tab,
                              key->modifiers());
                QCoreApplication::sendEvent(w, &tab);
            }
            return true;
        }
        if (inKeyPress_) break;
        if (!passKey("OnKeyDown", *key)) return true;
        if (key->text().size() != 1) break;
        const std::string typed = qt::toEngine(key->text());
        std::string now = typed;
        const auto alive = aliveToken();
        // With KeyPreview the form sees the key first and may change or swallow it.
        FormHost* form = host();
        if (form && root() != this && form->keyPreview()) now = form->previewKeyPress(now);
        if (alive.expired()) return true;
        if (!now.empty() && now[0] != '\0') now = pressKey(now);
        if (alive.expired()) return true;
        if (now.empty() || now[0] == '\0') return true;
        if (now != typed) {
            // The handler changed the key: the control gets the new one instead.
            inKeyPress_ = true;
            QKeyEvent changed(QEvent::KeyPress, 0, key->modifiers(),
                              qt::fromEngine(now.substr(0, 1)));
            QCoreApplication::sendEvent(watched, &changed);
            inKeyPress_ = false;
            return true;
        }
        break;
    }
    case QEvent::Resize:
        // What is aligned inside follows the new size.
        if (watched == widget()) {
            const auto alive = aliveToken();
            if (FormHost* form = host()) form->realign(this);
            if (!alive.expired() && !isForm()) fireNotify("OnResize");
        }
        break;
    case QEvent::KeyRelease:
        if (!inKeyPress_ && !passKey("OnKeyUp", *static_cast<QKeyEvent*>(event))) return true;
        break;
    default:
        break;
    }
    return false;
}

bool Control::passKey(const char* event, const QKeyEvent& key) {
    std::int32_t code = virtualKeyOf(key);
    if (code == 0) return true;
    const std::int32_t shift = shiftStateOf(key.modifiers());
    const auto alive = aliveToken();
    FormHost* form = host();
    if (form && root() != this && form->keyPreview())
        code = form->previewKeyCode(event, code, shift);
    if (alive.expired()) return false;
    if (code != 0) code = keyCode(event, code, shift);
    return !alive.expired() && code != 0;
}

std::int32_t Control::keyCode(const char* event, std::int32_t code, std::int32_t shift) {
    if (!handlerOf(event)) return code;
    Value args[3] = {Value(script::wrapObject(this)), Value(code), Value(shift)};
    fireEvent(event, args);
    try {
        return args[1].toInt();
    } catch (const script::ValueError&) {
        return code;
    }
}

FormHost* formHostOf(script::Component* component) {
    return dynamic_cast<FormHost*>(component);
}

} // namespace vorlan::forms
