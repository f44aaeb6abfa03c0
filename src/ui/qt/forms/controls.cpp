#include "ui/qt/forms/controls.h"

#include "core/cp1250.h"
#include "core/text_lines.h"
#include "core/ui_services.h"
#include "script/comp_wrapper.h"
#include "script/object_store.h"
#include "script/scripter.h"
#include "ui/qt/forms/dialog_model.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/qt_ui.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialog>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <iostream>
#include <limits>

namespace vorlan::forms {

using script::Value;

namespace {

// Handlers that are running because a widget signalled: a widget must not be deleted under
// its own signal, so controls freed meanwhile hand their widget to the event loop instead.
int signalDepth = 0;

struct SignalScope {
    SignalScope() { ++signalDepth; }
    ~SignalScope() { --signalDepth; }
};

bool is(std::string_view a, std::string_view b) {
    return equalsNoCase(a, b);
}

// "&Soubor" as a label shows it: the accelerator mark is left out, "&&" is one "&".
QString withoutMnemonic(const std::string& caption) {
    std::string shown;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&') {
            if (i + 1 < caption.size() && caption[i + 1] == '&') {
                shown += '&';
                ++i;
            }
            continue;
        }
        shown += caption[i];
    }
    return qt::fromEngine(shown);
}

std::vector<std::string> linesOfValue(const Value& value) {
    std::vector<std::string> lines;
    if (value.isArray()) {
        for (const Value& v : value.asArray()->items())
            lines.push_back(v.toString());
        return lines;
    }
    return splitLines(value.toString());
}

// A Pascal set as stored ("[fsBold,fsItalic]") or as a script's bit mask, as its names.
std::vector<std::string> setNames(const Value& value, const std::vector<std::string>& names) {
    std::vector<std::string> out;
    if (value.isString()) {
        std::string item;
        for (char c : value.asString()) {
            if (c == '[' || c == ']' || c == ' ') continue;
            if (c == ',') {
                if (!item.empty()) out.push_back(item);
                item.clear();
            } else {
                item += c;
            }
        }
        if (!item.empty()) out.push_back(item);
        return out;
    }
    const auto mask = static_cast<std::uint32_t>(value.toInt());
    for (std::size_t i = 0; i < names.size(); ++i)
        if (mask & (1u << i)) out.push_back(names[i]);
    return out;
}

bool hasName(const std::vector<std::string>& names, std::string_view name) {
    return std::any_of(names.begin(), names.end(),
                       [&](const std::string& n) { return is(n, name); });
}

const std::vector<std::string> kFontStyles{"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};

struct NamedColor {
    const char* name;
    unsigned rgb;
};
// Colours as forms store them: $00BBGGRR.
constexpr NamedColor kColors[] = {
    {"clBlack", 0x000000},         {"clMaroon", 0x000080},  {"clGreen", 0x008000},
    {"clOlive", 0x008080},         {"clNavy", 0x800000},    {"clPurple", 0x800080},
    {"clTeal", 0x808000},          {"clGray", 0x808080},    {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF},           {"clLime", 0x00FF00},    {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},          {"clFuchsia", 0xFF00FF}, {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF},         {"clBtnFace", 0xC0C0C0}, {"clWindow", 0xFFFFFF},
    {"clWindowText", 0x000000},    {"clBtnText", 0x000000}, {"clHighlight", 0x800000},
    {"clHighlightText", 0xFFFFFF}, {"clInfoBk", 0xE1FFFF},  {"clGrayText", 0x808080},
};

QColor qtColor(unsigned bgr) {
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

// A system colour is the platform's own: the widget keeps its palette for it.
bool isSystemColor(const Value& value) {
    if (value.isString()) {
        static const char* const system[] = {"clBtnFace", "clWindow", "clWindowText", "clBtnText"};
        return std::any_of(std::begin(system), std::end(system),
                           [&](const char* n) { return is(value.asString(), n); });
    }
    return value.isInteger() && value.asInt() < 0;
}

std::int32_t alignmentOf(const Value& v) {
    const std::string a = v.isString() ? v.asString() : std::to_string(v.toInt());
    if (is(a, "taRightJustify") || a == "1") return Qt::AlignRight;
    if (is(a, "taCenter") || a == "2") return Qt::AlignHCenter;
    return Qt::AlignLeft;
}

class EventBridge : public QObject {
public:
    EventBridge(Control& control, QObject* parent) : QObject(parent), control_(control) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        SignalScope scope;
        return control_.handleWidgetEvent(watched, event);
    }

private:
    Control& control_;
};

// Calls a control's handler from a widget signal.
template <class F> auto guarded(F f) {
    return [f](auto&&... args) {
        SignalScope scope;
        f(std::forward<decltype(args)>(args)...);
    };
}

} // namespace

SignalHandlerScope::SignalHandlerScope() {
    ++signalDepth;
}

SignalHandlerScope::~SignalHandlerScope() {
    --signalDepth;
}

bool colorOf(const Value& value, unsigned& rgb) {
    if (value.isString()) {
        for (const auto& c : kColors)
            if (is(value.asString(), c.name)) {
                rgb = c.rgb;
                return true;
            }
        return false;
    }
    if (!value.isNumeric()) return false;
    const std::int32_t n = value.toInt();
    if (n < 0) return false;
    rgb = static_cast<unsigned>(n) & 0xFFFFFF;
    return true;
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
        if (is(text, names[i])) return static_cast<Align>(i);
    return Align::None;
}

std::int32_t virtualKeyOf(const QKeyEvent& key) {
    const int k = key.key();
    if ((k >= Qt::Key_A && k <= Qt::Key_Z) || (k >= Qt::Key_0 && k <= Qt::Key_9)) return k;
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24) return 112 + (k - Qt::Key_F1);
    switch (k) {
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Shift:
        return 16;
    case Qt::Key_Control:
        return 17;
    case Qt::Key_Alt:
        return 18;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Space:
        return 32;
    case Qt::Key_PageUp:
        return 33;
    case Qt::Key_PageDown:
        return 34;
    case Qt::Key_End:
        return 35;
    case Qt::Key_Home:
        return 36;
    case Qt::Key_Left:
        return 37;
    case Qt::Key_Up:
        return 38;
    case Qt::Key_Right:
        return 39;
    case Qt::Key_Down:
        return 40;
    case Qt::Key_Insert:
        return 45;
    case Qt::Key_Delete:
        return 46;
    default:
        return 0;
    }
}

std::int32_t shiftStateOf(Qt::KeyboardModifiers modifiers) {
    std::int32_t state = 0;
    if (modifiers & Qt::ShiftModifier) state |= 1;
    if (modifiers & Qt::AltModifier) state |= 2;
    if (modifiers & Qt::ControlModifier) state |= 4;
    return state;
}

// ---- StringList

void StringList::checkIndex(int index, int count) const {
    if (index < 0 || index >= count)
        throw script::ScriptException("List index out of bounds (" + std::to_string(index) + ")");
}

int StringList::add(const std::string& line) {
    auto all = lines();
    all.push_back(line);
    setLines(all);
    return static_cast<int>(all.size()) - 1;
}

void StringList::insert(int index, const std::string& line) {
    auto all = lines();
    checkIndex(index, static_cast<int>(all.size()) + 1);
    all.insert(all.begin() + index, line);
    setLines(all);
}

void StringList::remove(int index) {
    auto all = lines();
    checkIndex(index, static_cast<int>(all.size()));
    all.erase(all.begin() + index);
    setLines(all);
}

void StringList::set(int index, const std::string& line) {
    auto all = lines();
    checkIndex(index, static_cast<int>(all.size()));
    all[static_cast<std::size_t>(index)] = line;
    setLines(all);
}

std::string StringList::at(int index) const {
    const auto all = lines();
    checkIndex(index, static_cast<int>(all.size()));
    return all[static_cast<std::size_t>(index)];
}

int StringList::indexOf(std::string_view line) const {
    const auto all = lines();
    for (std::size_t i = 0; i < all.size(); ++i)
        if (equalsNoCase(all[i], line)) return static_cast<int>(i);
    return -1;
}

std::string StringList::text() const {
    std::string out;
    for (const auto& line : lines())
        out += line + "\r\n";
    return out;
}

void StringList::setText(std::string_view text) {
    setLines(linesOfValue(Value(text)));
}

// ---- FontObject

bool FontObject::get(std::string_view name, Value& out) const {
    const Control& c = control_;
    if (is(name, "Name"))
        out = Value(c.fontName_);
    else if (is(name, "Height"))
        out = Value(c.fontPixels_);
    else if (is(name, "Size"))
        out = Value(static_cast<std::int32_t>(c.fontPixels_ < 0 ? (-c.fontPixels_ * 72 + 48) / 96
                                                                : c.fontPixels_ * 72 / 96));
    else if (is(name, "Style"))
        out = Value(c.fontStyle_);
    else if (is(name, "Color"))
        out = c.fontColor_.isEmpty() ? Value("clWindowText") : c.fontColor_;
    else
        return false;
    return true;
}

bool FontObject::set(std::string_view name, const Value& value) {
    Control& c = control_;
    if (is(name, "Name"))
        c.fontName_ = value.toString();
    else if (is(name, "Height"))
        c.fontPixels_ = value.toInt();
    else if (is(name, "Size"))
        c.fontPixels_ = -((value.toInt() * 96 + 36) / 72);
    else if (is(name, "Style")) {
        std::string text = "[";
        for (const auto& s : setNames(value, kFontStyles))
            text += (text.size() > 1 ? "," : "") + s;
        c.fontStyle_ = text + "]";
    } else if (is(name, "Color"))
        c.fontColor_ = value;
    else
        return false;
    c.applyFont();
    return true;
}

// ---- Control

Control::Control(std::string className, QWidget* widget)
    : script::Component(std::move(className)), widget_(widget),
      font_(std::make_unique<FontObject>(*this)) {
    if (widget) {
        auto* bridge = new EventBridge(*this, widget);
        bridge->setObjectName(QStringLiteral("vorlanEventBridge"));
        widget->installEventFilter(bridge);
        width_ = widget->width();
        height_ = widget->height();
    }
}

Control::~Control() {
    detachEvents();
    QWidget* w = widget_.data();
    if (!w) return;
    w->hide();
    if (signalDepth > 0) {
        w->setParent(nullptr);
        w->deleteLater();
    } else {
        delete w;
    }
}

void Control::detachEvents() {
    // Nothing the widget does from here on reaches the component.
    if (QWidget* w = widget_.data())
        for (QObject* bridge : w->findChildren<QObject*>(QStringLiteral("vorlanEventBridge"),
                                                         Qt::FindDirectChildrenOnly))
            delete bridge;
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
    if (!fontName_.empty()) font.setFamily(qt::fromEngine(fontName_));
    if (fontPixels_ < 0)
        font.setPixelSize(-fontPixels_);
    else if (fontPixels_ > 0)
        font.setPixelSize(std::max(1, fontPixels_ * 4 / 5));
    const auto styles = setNames(Value(fontStyle_), kFontStyles);
    font.setBold(hasName(styles, "fsBold"));
    font.setItalic(hasName(styles, "fsItalic"));
    font.setUnderline(hasName(styles, "fsUnderline"));
    font.setStrikeOut(hasName(styles, "fsStrikeOut"));
    w->setFont(font);
    unsigned rgb = 0;
    if (!fontColor_.isEmpty() && !isSystemColor(fontColor_) && colorOf(fontColor_, rgb)) {
        QPalette palette = w->palette();
        for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            palette.setColor(role, qtColor(rgb));
        w->setPalette(palette);
    }
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

bool Control::getPublished(std::string_view name, Value& out) const {
    return getOwn(name, out) || getCommon(name, out);
}

bool Control::getCommon(std::string_view name, Value& out) const {
    const QWidget* w = widget();
    if (is(name, "Left"))
        out = Value(left_);
    else if (is(name, "Top"))
        out = Value(top_);
    else if (is(name, "Width"))
        out = Value(width_);
    else if (is(name, "Height"))
        out = Value(height_);
    else if (is(name, "Visible"))
        out = Value(visible_);
    else if (is(name, "Align"))
        out = Value(static_cast<std::int32_t>(align_));
    else if (is(name, "Enabled"))
        out = Value(w ? w->isEnabled() : true);
    else if (is(name, "Hint"))
        out = Value(w ? qt::toEngine(w->toolTip()) : std::string());
    else if (is(name, "Color"))
        out = color_.isEmpty() ? Value("clBtnFace") : color_;
    else if (is(name, "Font"))
        out = Value(script::wrapObject(font_.get()));
    else if (is(name, "Parent"))
        out = Value(script::wrapObject(parent()));
    else if (is(name, "PopupMenu"))
        out = popupMenu_.isEmpty() ? Value::null() : popupMenu_;
    else if (name.size() > 5 && is(name.substr(0, 5), "Font."))
        return font_->get(name.substr(5), out);
    else
        return script::Component::getPublished(name, out); // events read as their handler's name
    return true;
}

bool Control::setPublished(std::string_view name, const Value& value) {
    return setOwn(name, value) || setCommon(name, value);
}

bool Control::setCommon(std::string_view name, const Value& value) {
    QWidget* w = widget();
    if (is(name, "Left"))
        left_ = value.toInt(), applyGeometry();
    else if (is(name, "Top"))
        top_ = value.toInt(), applyGeometry();
    else if (is(name, "Width"))
        width_ = value.toInt(), applyGeometry();
    else if (is(name, "Height"))
        height_ = value.toInt(), applyGeometry();
    else if (is(name, "Visible"))
        value.toBool() ? showControl() : hideControl();
    else if (is(name, "Align")) {
        align_ = alignOf(value);
        if (auto* form = dynamic_cast<Form*>(root()); form && form != this)
            form->realign(parent() ? parent() : form);
    } else if (is(name, "Enabled")) {
        if (w) w->setEnabled(value.toBool());
    } else if (is(name, "Hint")) {
        if (w) w->setToolTip(qt::fromEngine(value.toString()));
    } else if (is(name, "Color")) {
        color_ = value;
        unsigned rgb = 0;
        if (w && !isSystemColor(value) && colorOf(value, rgb)) {
            QPalette palette = w->palette();
            palette.setColor(QPalette::Window, qtColor(rgb));
            palette.setColor(QPalette::Base, qtColor(rgb));
            palette.setColor(QPalette::Button, qtColor(rgb));
            w->setPalette(palette);
            w->setAutoFillBackground(true);
        }
    } else if (is(name, "Parent")) {
        auto* parentComponent = dynamic_cast<script::Component*>(script::nativeObjectOf(value));
        setParent(parentComponent);
        if (auto* parentControl = dynamic_cast<Control*>(parentComponent))
            attachTo(parentControl->clientArea());
        else if (w)
            w->setParent(nullptr);
    } else if (is(name, "PopupMenu")) {
        // Kept as given (a stored name or the menu object) and looked up when it is needed:
        // a stored form names menus that are read after the control.
        popupMenu_ = value;
    } else if (name.size() > 5 && is(name.substr(0, 5), "Font.")) {
        return font_->set(name.substr(5), value);
    } else {
        return script::Component::setPublished(name, value); // binds events named by procedure
    }
    return true;
}

bool Control::showPopupMenu(const QPoint& globalPos) {
    if (popupMenu_.isEmpty() || popupMenu_.isNull()) return false;
    PopupMenu* menu = nullptr;
    if (popupMenu_.isObject())
        menu = dynamic_cast<PopupMenu*>(script::nativeObjectOf(popupMenu_));
    else if (script::Component* top = root())
        menu = dynamic_cast<PopupMenu*>(top->findComponent(popupMenu_.toString()));
    if (!menu) return false;
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
        auto* form = dynamic_cast<Form*>(root());
        if (form && form != this && form->keyPreview()) now = form->pressKey(now);
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
        if (watched == widget())
            if (auto* form = dynamic_cast<Form*>(root())) form->realign(this);
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
    auto* form = dynamic_cast<Form*>(root());
    if (form && form != this && form->keyPreview()) code = form->keyCode(event, code, shift);
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

// ---- the standard controls

namespace {

class Label : public Control {
public:
    explicit Label(std::string cls) : Control(std::move(cls), new QLabel) {
        label()->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }

protected:
    QLabel* label() const { return static_cast<QLabel*>(widget()); }
    bool getOwn(std::string_view name, Value& out) const override {
        if (is(name, "Caption"))
            out = Value(caption_);
        else if (is(name, "ShowAccelChar"))
            out = Value(accelChar_);
        else if (is(name, "AutoSize"))
            out = Value(autoSize_);
        else
            return false;
        return true;
    }
    bool setOwn(std::string_view name, const Value& value) override {
        if (!label()) return false;
        if (is(name, "Caption")) {
            caption_ = value.toString();
            showCaption();
        } else if (is(name, "AutoSize")) {
            autoSize_ = value.toBool();
            applyGeometry();
        } else if (is(name, "ShowAccelChar")) {
            accelChar_ = value.toBool();
            showCaption();
        } else if (is(name, "Alignment")) {
            label()->setAlignment(Qt::Alignment(alignmentOf(value)) | Qt::AlignTop);
        } else if (is(name, "WordWrap")) {
            label()->setWordWrap(value.toBool());
        } else {
            return false;
        }
        return true;
    }
    bool handleWidgetEvent(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease) fireNotify("OnClick");
        return Control::handleWidgetEvent(watched, event);
    }

    void applyGeometry() override {
        Control::applyGeometry();
        QLabel* l = label();
        if (!l || !autoSize_ || l->wordWrap()) return;
        // The stored size was measured with other fonts: a text that needs more room gets it.
        const QSize hint = l->sizeHint();
        if (hint.width() > l->width() || hint.height() > l->height())
            l->resize(std::max(l->width(), hint.width()), std::max(l->height(), hint.height()));
    }
    void applyFont() override {
        Control::applyFont();
        applyGeometry();
    }

private:
    void showCaption() {
        label()->setText(accelChar_ ? withoutMnemonic(caption_) : qt::fromEngine(caption_));
        applyGeometry();
    }
    std::string caption_;
    bool accelChar_ = true;
    bool autoSize_ = true;
};

class Panel : public Control {
public:
    explicit Panel(std::string cls) : Control(std::move(cls), new QLabel) {
        auto* frame = static_cast<QLabel*>(widget());
        frame->setAlignment(Qt::AlignCenter);
        frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
    }

protected:
    bool getOwn(std::string_view name, Value& out) const override {
        if (!is(name, "Caption")) return false;
        out = Value(caption_);
        return true;
    }
    bool setOwn(std::string_view name, const Value& value) override {
        auto* frame = static_cast<QLabel*>(widget());
        if (!frame) return false;
        if (is(name, "Caption")) {
            caption_ = value.toString();
            frame->setText(withoutMnemonic(caption_));
        } else if (is(name, "BevelOuter")) {
            const std::string b = value.toString();
            frame->setFrameStyle(is(b, "bvNone")      ? QFrame::NoFrame
                                 : is(b, "bvLowered") ? (QFrame::Panel | QFrame::Sunken)
                                                      : (QFrame::Panel | QFrame::Raised));
        } else if (is(name, "Alignment")) {
            frame->setAlignment(Qt::Alignment(alignmentOf(value)) | Qt::AlignVCenter);
        } else {
            return false;
        }
        return true;
    }
    bool handleWidgetEvent(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease) fireNotify("OnClick");
        return Control::handleWidgetEvent(watched, event);
    }

private:
    std::string caption_;
};

class GroupBox : public Control {
public:
    explicit GroupBox(std::string cls) : Control(std::move(cls), new QGroupBox) {}

protected:
    bool getOwn(std::string_view name, Value& out) const override {
        if (!is(name, "Caption")) return false;
        out = Value(caption_);
        return true;
    }
    bool setOwn(std::string_view name, const Value& value) override {
        if (!is(name, "Caption") || !widget()) return false;
        caption_ = value.toString();
        static_cast<QGroupBox*>(widget())->setTitle(qt::fromEngine(caption_));
        return true;
    }

private:
    std::string caption_;
};

// Radio buttons made from Items, one checked at a time (ItemIndex).
class RadioGroup : public Control {
public:
    explicit RadioGroup(std::string cls)
        : Control(std::move(cls), new QGroupBox), group_(new QButtonGroup(widget())),
          items_(std::make_unique<StringList>(
              StringList::Access{[this] { return names_; },
                                 [this](const std::vector<std::string>& lines) {
                                     names_ = lines;
                                     rebuild();
                                 }})) {
        new QVBoxLayout(widget());
        QObject::connect(group_, &QButtonGroup::idClicked, widget(),
                         guarded([this](int) { fire("OnClick"); }));
    }

protected:
    QGroupBox* box() const { return static_cast<QGroupBox*>(widget()); }
    bool getOwn(std::string_view name, Value& out) const override {
        if (is(name, "Caption"))
            out = Value(caption_);
        else if (is(name, "Items"))
            out = Value(script::wrapObject(items_.get()));
        else if (is(name, "ItemIndex"))
            out = Value(static_cast<std::int32_t>(group_->checkedId()));
        else
            return false;
        return true;
    }
    bool setOwn(std::string_view name, const Value& value) override {
        if (!box()) return false;
        if (is(name, "Caption")) {
            caption_ = value.toString();
            box()->setTitle(qt::fromEngine(caption_));
        } else if (is(name, "Items.Strings") || is(name, "Items")) {
            items_->setLines(linesOfValue(value));
        } else if (is(name, "ItemIndex")) {
            index_ = value.toInt();
            check();
        } else {
            return false;
        }
        return true;
    }

private:
    void rebuild() {
        for (QAbstractButton* b : group_->buttons()) {
            group_->removeButton(b);
            delete b;
        }
        for (std::size_t i = 0; i < names_.size(); ++i) {
            auto* radio = new QRadioButton(qt::fromEngine(names_[i]), box());
            group_->addButton(radio, static_cast<int>(i));
            box()->layout()->addWidget(radio);
        }
        check();
    }
    void check() {
        if (QAbstractButton* b = group_->button(index_)) {
            b->setChecked(true);
            return;
        }
        // No item checked: the group lets go of its exclusive hold for a moment.
        if (QAbstractButton* checked = group_->checkedButton()) {
            group_->setExclusive(false);
            checked->setChecked(false);
            group_->setExclusive(true);
        }
    }

    QButtonGroup* group_;
    std::vector<std::string> names_;
    int index_ = -1;
    std::string caption_;
    std::unique_ptr<StringList> items_;
};

class Button : public Control {
public:
    explicit Button(std::string cls) : Control(std::move(cls), new QPushButton) {
        // Enter in an edit presses the Default button only, never just the first button.
        button()->setAutoDefault(false);
        QObject::connect(button(), &QPushButton::clicked, button(),
                         guarded([this](bool) { click(); }));
    }
    bool handleWidgetEvent(QObject* watched, QEvent* event) override {
        // Enter presses the button that has the focus.
        if (event->type() == QEvent::KeyPress && watched == widget()) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if ((key == Qt::Key_Return || key == Qt::Key_Enter) && button()->isEnabled()) {
                button()->click();
                return true;
            }
        }
        return Control::handleWidgetEvent(watched, event);
    }
    void click() {
        // The form learns the modal result first, as its modal loop ends after the handler.
        const auto alive = aliveToken();
        auto* form = dynamic_cast<Form*>(root());
        if (form && modalResult_ != 0) form->setModalResult(modalResult_);
        fireNotify("OnClick");
        if (form && closes_ && !alive.expired()) form->close();
    }
    bool isCancel() const { return cancel_; }
    int modalResult() const { return modalResult_; }
    bool isDefault() const { return button() && button()->isDefault(); }

protected:
    QPushButton* button() const { return static_cast<QPushButton*>(widget()); }
    bool getOwn(std::string_view name, Value& out) const override {
        if (is(name, "Caption"))
            out = Value(caption_);
        else if (is(name, "ModalResult"))
            out = Value(modalResult_);
        else if (is(name, "Cancel"))
            out = Value(cancel_);
        else if (is(name, "Default"))
            out = Value(isDefault());
        else
            return false;
        return true;
    }
    bool setOwn(std::string_view name, const Value& value) override {
        if (!button()) return false;
        if (is(name, "Caption")) {
            caption_ = value.toString();
            button()->setText(qt::fromEngine(caption_));
        } else if (is(name, "ModalResult")) {
            modalResult_ = value.isString() ? modalResultOf(value.asString()) : value.toInt();
        } else if (is(name, "Cancel")) {
            cancel_ = value.toBool();
        } else if (is(name, "Default")) {
            button()->setDefault(value.toBool());
        } else if (is(name, "Kind")) {
            applyKind(value.toString());
        } else {
            return false;
        }
        return true;
    }

private:
    static int modalResultOf(const std::string& name) {
        static const char* const names[] = {"mrNone",  "mrOk",      "mrCancel",  "mrAbort",
                                            "mrRetry", "mrIgnore",  "mrYes",     "mrNo",
                                            "mrAll",   "mrNoToAll", "mrYesToAll"};
        for (int i = 0; i < 11; ++i)
            if (is(name, names[i])) return i;
        return 0;
    }
    // A bitmap button's kind brings its caption, result and key, unless the form stores others
    // after it.
    void applyKind(const std::string& kind) {
        struct KindInfo {
            const char* name;
            const char* caption;
            int result;
            bool isDefault, isCancel;
        };
        static constexpr KindInfo kinds[] = {
            {"bkOK", "OK", 1, true, false},           {"bkCancel", "Cancel", 2, false, true},
            {"bkYes", "&Yes", 6, true, false},        {"bkNo", "&No", 7, false, true},
            {"bkAbort", "Abort", 3, false, true},     {"bkRetry", "&Retry", 4, false, false},
            {"bkIgnore", "&Ignore", 5, false, false}, {"bkAll", "&All", 8, false, false},
            {"bkClose", "&Close", 0, false, false},
        };
        for (const auto& k : kinds)
            if (is(kind, k.name)) {
                if (caption_.empty()) setOwn("Caption", Value(k.caption));
                modalResult_ = k.result;
                cancel_ = k.isCancel;
                button()->setDefault(k.isDefault);
                closes_ = is(kind, "bkClose");
            }
    }

    std::string caption_;
    int modalResult_ = 0;
    bool cancel_ = false;
    bool closes_ = false;
};

class CheckBox : public Control {
public:
    CheckBox(std::string cls, bool radio)
        : Control(std::move(cls), radio ? static_cast<QWidget*>(new QRadioButton) : new QCheckBox),
          radio_(radio) {
        QObject::connect(box(), &QAbstractButton::toggled, box(), guarded([this](bool checked) {
                             if (!radio_ || checked) fireNotify("OnClick");
                         }));
    }

protected:
    QAbstractButton* box() const { return static_cast<QAbstractButton*>(widget()); }
    bool getOwn(std::string_view name, Value& out) const override {
        if (is(name, "Caption"))
            out = Value(caption_);
        else if (is(name, "Checked"))
            out = Value(box() && box()->isChecked());
        else if (is(name, "State") && !radio_)
            out = Value(box() && box()->isChecked() ? "cbChecked" : "cbUnchecked");
        else
            return false;
        return true;
    }
    bool setOwn(std::string_view name, const Value& value) override {
        if (!box()) return false;
        if (is(name, "Caption")) {
            caption_ = value.toString();
            box()->setText(qt::fromEngine(caption_));
        } else if (is(name, "Checked")) {
            box()->setChecked(value.toBool());
        } else if (is(name, "State") && !radio_) {
            box()->setChecked(is(value.toString(), "cbChecked") ||
                              (value.isInteger() && value.asInt() == 1));
        } else {
            return false;
        }
        return true;
    }

private:
    bool radio_;
    std::string caption_;
};

class Edit : public Control {
public:
    explicit Edit(std::string cls, bool enterAsTab) : Control(std::move(cls), new QLineEdit) {
        enterAsTab_ = enterAsTab;
        edit()->setMaxLength(32767);
        QObject::connect(edit(), &QLineEdit::textChanged, edit(),
                         guarded([this](const QString&) { fire("OnChange"); }));
    }

protected:
    QLineEdit* edit() const { return static_cast<QLineEdit*>(widget()); }
    bool getOwn(std::string_view name, Value& out) const override {
        if (!edit()) return false;
        if (is(name, "Text"))
            out = Value(qt::toEngine(edit()->text()));
        else if (is(name, "MaxLength"))
            out = Value(maxLength_);
        else if (is(name, "ReadOnly"))
            out = Value(edit()->isReadOnly());
        else if (is(name, "PasswordChar"))
            out = Value(passwordChar_);
        else if (is(name, "SelStart"))
            out = Value(static_cast<std::int32_t>(edit()->cursorPosition()));
        else
            return false;
        return true;
    }
    bool setOwn(std::string_view name, const Value& value) override {
        if (!edit()) return false;
        if (is(name, "Text")) {
            edit()->setText(qt::fromEngine(value.toString()));
        } else if (is(name, "MaxLength")) {
            maxLength_ = value.toInt();
            edit()->setMaxLength(maxLength_ > 0 ? maxLength_ : 32767);
        } else if (is(name, "ReadOnly")) {
            edit()->setReadOnly(value.toBool());
        } else if (is(name, "PasswordChar")) {
            passwordChar_ = value.toString();
            const bool hidden = !passwordChar_.empty() && passwordChar_ != std::string(1, '\0') &&
                                passwordChar_ != "#0";
            edit()->setEchoMode(hidden ? QLineEdit::Password : QLineEdit::Normal);
        } else if (is(name, "SelStart")) {
            edit()->setCursorPosition(value.toInt());
        } else {
            return false;
        }
        return true;
    }

private:
    std::int32_t maxLength_ = 0;
    std::string passwordChar_;
};

class Memo : public Control {
public:
    explicit Memo(std::string cls)
        : Control(std::move(cls), new QPlainTextEdit),
          lines_(std::make_unique<StringList>(
              StringList::Access{[this] { return linesOfValue(Value(text())); },
                                 [this](const std::vector<std::string>& lines) {
                                     std::string all;
                                     for (std::size_t i = 0; i < lines.size(); ++i)
                                         all += (i ? "\n" : "") + lines[i];
                                     setText(all);
                                 }})) {
        // The mouse goes to the scroll area's viewport.
        watch(memo()->viewport());
        QObject::connect(memo(), &QPlainTextEdit::textChanged, memo(),
                         guarded([this] { fire("OnChange"); }));
    }

protected:
    QPlainTextEdit* memo() const { return static_cast<QPlainTextEdit*>(widget()); }
    std::string text() const {
        return memo() ? qt::toEngine(memo()->toPlainText()) : std::string();
    }
    void setText(const std::string& text) {
        if (memo()) memo()->setPlainText(qt::fromEngine(text));
    }
    bool getOwn(std::string_view name, Value& out) const override {
        if (is(name, "Lines"))
            out = Value(script::wrapObject(lines_.get()));
        else if (is(name, "Text")) {
            // Lines end with CR LF in the text scripts see.
            std::string t;
            for (char c : text())
                t += c == '\n' ? std::string("\r\n") : std::string(1, c);
            out = Value(t);
        } else if (is(name, "ReadOnly"))
            out = Value(memo() && memo()->isReadOnly());
        else if (is(name, "MaxLength"))
            out = Value(maxLength_);
        else if (is(name, "WordWrap"))
            out = Value(memo() && memo()->lineWrapMode() != QPlainTextEdit::NoWrap);
        else
            return false;
        return true;
    }
    bool setOwn(std::string_view name, const Value& value) override {
        if (!memo()) return false;
        if (is(name, "Lines.Strings") || is(name, "Lines"))
            lines_->setLines(linesOfValue(value));
        else if (is(name, "Text"))
            lines_->setText(value.toString());
        else if (is(name, "ReadOnly"))
            memo()->setReadOnly(value.toBool());
        else if (is(name, "MaxLength"))
            maxLength_ = value.toInt();
        else if (is(name, "WordWrap"))
            memo()->setLineWrapMode(value.toBool() ? QPlainTextEdit::WidgetWidth
                                                   : QPlainTextEdit::NoWrap);
        else
            return false;
        return true;
    }

private:
    std::int32_t maxLength_ = 0;
    std::unique_ptr<StringList> lines_;
};

class ListBox : public Control {
public:
    explicit ListBox(std::string cls, bool enterAsTab)
        : Control(std::move(cls), new QListWidget),
          items_(std::make_unique<StringList>(
              StringList::Access{[this] {
                                     std::vector<std::string> out;
                                     for (int i = 0; list() && i < list()->count(); ++i)
                                         out.push_back(qt::toEngine(list()->item(i)->text()));
                                     return out;
                                 },
                                 [this](const std::vector<std::string>& lines) {
                                     if (!list()) return;
                                     Quiet q(*this);
                                     const int index = list()->currentRow();
                                     list()->clear();
                                     for (const auto& l : lines)
                                         list()->addItem(qt::fromEngine(l));
                                     if (sorted_) list()->sortItems();
                                     list()->setCurrentRow(index < list()->count() ? index : -1);
                                 }})) {
        enterAsTab_ = enterAsTab;
        watch(list()->viewport());
        QObject::connect(list(), &QListWidget::currentRowChanged, list(),
                         guarded([this](int) { fire("OnClick"); }));
    }

protected:
    QListWidget* list() const { return static_cast<QListWidget*>(widget()); }
    bool getOwn(std::string_view name, Value& out) const override {
        if (is(name, "Items"))
            out = Value(script::wrapObject(items_.get()));
        else if (is(name, "ItemIndex"))
            out = Value(static_cast<std::int32_t>(list() ? list()->currentRow() : -1));
        else if (is(name, "Sorted"))
            out = Value(sorted_);
        else
            return false;
        return true;
    }
    bool setOwn(std::string_view name, const Value& value) override {
        if (!list()) return false;
        if (is(name, "Items.Strings") || is(name, "Items"))
            items_->setLines(linesOfValue(value));
        else if (is(name, "ItemIndex")) {
            Quiet q(*this);
            const int i = value.toInt();
            list()->setCurrentRow(i >= 0 && i < list()->count() ? i : -1);
        } else if (is(name, "Sorted")) {
            sorted_ = value.toBool();
            if (sorted_) list()->sortItems();
        } else
            return false;
        return true;
    }

private:
    bool sorted_ = false;
    std::unique_ptr<StringList> items_;
};

class ComboBox : public Control {
public:
    explicit ComboBox(std::string cls, bool enterAsTab)
        : Control(std::move(cls), new QComboBox),
          items_(std::make_unique<StringList>(StringList::Access{
              [this] {
                  std::vector<std::string> out;
                  for (int i = 0; combo() && i < combo()->count(); ++i)
                      out.push_back(qt::toEngine(combo()->itemText(i)));
                  return out;
              },
              [this](const std::vector<std::string>& lines) {
                  if (!combo()) return;
                  Quiet q(*this);
                  const QString text = combo()->currentText();
                  const int index = combo()->currentIndex();
                  combo()->clear();
                  for (const auto& l : lines)
                      combo()->addItem(qt::fromEngine(l));
                  if (sorted_) combo()->model()->sort(0);
                  combo()->setCurrentIndex(index < combo()->count() ? index : -1);
                  if (combo()->isEditable()) combo()->setEditText(text);
              }})) {
        enterAsTab_ = enterAsTab;
        combo()->setEditable(true);
        combo()->setInsertPolicy(QComboBox::NoInsert);
        watch(combo()->lineEdit());
        QObject::connect(combo(), &QComboBox::activated, combo(), guarded([this](int) {
                             fire("OnClick");
                             fire("OnChange");
                         }));
        connectEditor();
    }

protected:
    QComboBox* combo() const { return static_cast<QComboBox*>(widget()); }
    void connectEditor() {
        if (QLineEdit* editor = combo()->lineEdit())
            QObject::connect(editor, &QLineEdit::textEdited, combo(),
                             guarded([this](const QString&) { fire("OnChange"); }));
    }
    bool getOwn(std::string_view name, Value& out) const override {
        if (!combo()) return false;
        if (is(name, "Items"))
            out = Value(script::wrapObject(items_.get()));
        else if (is(name, "ItemIndex"))
            out = Value(static_cast<std::int32_t>(combo()->currentIndex()));
        else if (is(name, "Text"))
            out = Value(qt::toEngine(combo()->currentText()));
        else if (is(name, "Sorted"))
            out = Value(sorted_);
        else if (is(name, "Style"))
            out = Value(style_);
        else
            return false;
        return true;
    }
    bool setOwn(std::string_view name, const Value& value) override {
        if (!combo()) return false;
        Quiet q(*this);
        if (is(name, "Items.Strings") || is(name, "Items"))
            items_->setLines(linesOfValue(value));
        else if (is(name, "ItemIndex")) {
            const int i = value.toInt();
            combo()->setCurrentIndex(i >= 0 && i < combo()->count() ? i : -1);
        } else if (is(name, "Text")) {
            const QString text = qt::fromEngine(value.toString());
            if (combo()->isEditable())
                combo()->setEditText(text);
            else
                combo()->setCurrentIndex(combo()->findText(text));
        } else if (is(name, "Sorted")) {
            sorted_ = value.toBool();
            if (sorted_) combo()->model()->sort(0);
        } else if (is(name, "Style")) {
            style_ = value.toString();
            const bool editable = !is(style_, "csDropDownList") && !is(style_, "csOwnerDrawFixed");
            combo()->setEditable(editable);
            if (editable) {
                watch(combo()->lineEdit());
                connectEditor();
            }
        } else
            return false;
        return true;
    }

private:
    bool sorted_ = false;
    std::string style_ = "csDropDown";
    std::unique_ptr<StringList> items_;
};

// The window of a form.
class FormWindow : public QDialog {
public:
    explicit FormWindow(Form& form) : form_(form) {}
    void forget() { alive_ = false; }

protected:
    void closeEvent(QCloseEvent* event) override {
        if (!alive_ || form_.closing()) return QDialog::closeEvent(event);
        if (!form_.close()) event->ignore();
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (alive_ && event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
            form_.pressCancelButton();
            return;
        }
        QDialog::keyPressEvent(event);
    }
    // Esc without a cancel button does nothing; closing goes through the form.
    void reject() override {
        if (alive_) form_.close();
    }

private:
    Form& form_;
    bool alive_ = true;
};

} // namespace

// ---- Form

Form::Form(std::string className) : Control(std::move(className), new FormWindow(*this)) {
    QWidget* w = widget();
    client_ = new QWidget(w);
    client_->setObjectName(QStringLiteral("client"));
    w->setAttribute(Qt::WA_DeleteOnClose, false);
    w->setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    w->setWindowFlag(Qt::WindowMinMaxButtonsHint, true);
}

Form::~Form() {
    if (auto* window = static_cast<FormWindow*>(widget())) window->forget();
    // Focus moving between dying controls must not call the script.
    detachEvents();
    for (const auto& c : components())
        if (auto* control = dynamic_cast<Control*>(c.get())) control->detachEvents();
    // The controls go before the window, so none of them watches a widget that is gone.
    while (!components().empty()) {
        std::unique_ptr<script::Component> last = release(components().back().get());
        last.reset();
    }
}

void Form::loaded() {
    attachAll();
    orderTabs();
}

void Form::orderTabs() {
    // The focus goes round the controls as their TabOrder says, container by container.
    std::map<const script::Component*, std::vector<Control*>> inside;
    for (const auto& c : components())
        if (auto* control = dynamic_cast<Control*>(c.get()))
            inside[control->parent() ? control->parent() : this].push_back(control);
    const auto tabOrder = [](const Control* c) {
        Value order;
        try {
            if (c->getPublished("TabOrder", order) && order.isNumeric()) return order.toInt();
        } catch (const script::ValueError&) {
        }
        return std::numeric_limits<std::int32_t>::max();
    };
    std::vector<QWidget*> chain;
    std::function<void(const script::Component*)> visit = [&](const script::Component* container) {
        auto it = inside.find(container);
        if (it == inside.end()) return;
        std::vector<Control*> children = it->second;
        std::stable_sort(children.begin(), children.end(), [&](const Control* a, const Control* b) {
            return tabOrder(a) < tabOrder(b);
        });
        for (Control* child : children) {
            if (QWidget* w = child->widget(); w && (w->focusPolicy() & Qt::TabFocus))
                chain.push_back(w);
            visit(child);
        }
    };
    visit(this);
    for (std::size_t i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
}

void Form::realign(const script::Component* container) {
    QWidget* area = nullptr;
    if (container == this)
        area = clientArea();
    else if (auto* c = dynamic_cast<const Control*>(container))
        area = c->clientArea();
    if (!area) return;
    QRect r = area->contentsRect();
    for (Align pass : {Align::Top, Align::Bottom, Align::Left, Align::Right, Align::Client})
        for (const auto& owned : components()) {
            auto* c = dynamic_cast<Control*>(owned.get());
            if (!c || c->align() != pass || !c->visibleFlag()) continue;
            if ((c->parent() ? c->parent() : this) != container) continue;
            const int w = c->storedWidth(), h = c->storedHeight();
            switch (pass) {
            case Align::Top:
                c->place(r.left(), r.top(), r.width(), h);
                r.setTop(r.top() + h);
                break;
            case Align::Bottom:
                c->place(r.left(), r.bottom() + 1 - h, r.width(), h);
                r.setBottom(r.bottom() - h);
                break;
            case Align::Left:
                c->place(r.left(), r.top(), w, r.height());
                r.setLeft(r.left() + w);
                break;
            case Align::Right:
                c->place(r.right() + 1 - w, r.top(), w, r.height());
                r.setRight(r.right() - w);
                break;
            case Align::Client:
                c->place(r.left(), r.top(), std::max(r.width(), 0), std::max(r.height(), 0));
                break;
            case Align::None:
                break;
            }
        }
}

void Form::focusActiveControl() {
    if (activeControl_.empty()) return;
    if (auto* control = dynamic_cast<Control*>(findComponent(activeControl_))) control->setFocus();
}

void Form::attachAll() {
    QWidget* client = clientArea();
    for (const auto& owned : components()) {
        script::Component* c = owned.get();
        QWidget* area = client;
        if (script::Component* p = c->parent(); p && p != this) {
            if (auto* pc = dynamic_cast<Control*>(p))
                area = pc->clientArea();
            else if (auto it = placeholders_.find(p); it != placeholders_.end() && it->second)
                area = it->second;
        }
        if (auto* control = dynamic_cast<Control*>(c)) {
            control->attachTo(area);
            continue;
        }
        if (auto* menu = dynamic_cast<MainMenu*>(c)) {
            setMenuBar(menu->bar());
            continue;
        }
        if (dynamic_cast<PopupMenu*>(c)) continue;
        if (auto* item = dynamic_cast<MenuItem*>(c)) {
            if (auto* parentItem = dynamic_cast<MenuItem*>(c->parent()))
                parentItem->submenu()->addAction(item->action());
            else if (auto* menu = dynamic_cast<MainMenu*>(c->parent()); menu && menu->bar())
                menu->bar()->addAction(item->action());
            else if (auto* popup = dynamic_cast<PopupMenu*>(c->parent()))
                popup->menu()->addAction(item->action());
            continue;
        }
        // Only what has a size on the form is visual; timers and tables keep just a position.
        if (placeholders_.count(c) || !c->hasPublished("Width") || !c->hasPublished("Height"))
            continue;
        std::cerr << "[form] " << c->className() << " " << c->name()
                  << ": this class has no window here; shown as an empty panel" << std::endl;
        auto* frame = new QFrame(area);
        frame->setFrameStyle(QFrame::Box | QFrame::Plain);
        Value left, top, width, height;
        c->getPublished("Left", left);
        c->getPublished("Top", top);
        c->getPublished("Width", width);
        c->getPublished("Height", height);
        try {
            frame->setGeometry(left.toInt(), top.toInt(), width.toInt(), height.toInt());
        } catch (const script::ValueError&) {
        }
        frame->setObjectName(qt::fromEngine(c->name()));
        frame->show();
        placeholders_[c] = frame;
    }
    // The bar's height is known only now that its items are in.
    if (menuBar_) applyGeometry();
}

bool Form::getOwn(std::string_view name, Value& out) const {
    const QWidget* w = widget();
    if (is(name, "Caption"))
        out = Value(w ? qt::toEngine(w->windowTitle()) : std::string());
    else if (is(name, "ModalResult"))
        out = Value(modalResult_);
    else if (is(name, "Left"))
        out = Value(static_cast<std::int32_t>(w ? w->x() : 0));
    else if (is(name, "Top"))
        out = Value(static_cast<std::int32_t>(w ? w->y() : 0));
    else if (is(name, "Width"))
        out = Value(static_cast<std::int32_t>(w ? w->frameGeometry().width() : 0));
    else if (is(name, "Height"))
        out = Value(static_cast<std::int32_t>(w ? w->frameGeometry().height() : 0));
    else if (is(name, "ClientWidth"))
        out = Value(static_cast<std::int32_t>(client_ ? client_->width() : 0));
    else if (is(name, "ClientHeight"))
        out = Value(static_cast<std::int32_t>(client_ ? client_->height() : 0));
    else if (is(name, "Position"))
        out = Value(position_.empty() ? std::string("poDesigned") : position_);
    else if (is(name, "BorderStyle"))
        out = Value(borderStyle_);
    else if (is(name, "KeyPreview"))
        out = Value(keyPreview_);
    else if (is(name, "Active"))
        out = Value(active_);
    else if (is(name, "ActiveControl")) {
        script::Component* focused = nullptr;
        for (const auto& c : components())
            if (auto* control = dynamic_cast<Control*>(c.get());
                control && control->widget() && control->widget()->hasFocus())
                focused = control;
        if (!focused) focused = findComponent(activeControl_);
        out = focused ? Value(script::wrapObject(focused)) : Value::null();
    } else if (is(name, "Visible"))
        out = Value(w && w->isVisible());
    else
        return false;
    return true;
}

bool Form::setOwn(std::string_view name, const Value& value) {
    QWidget* w = widget();
    if (!w) return false;
    if (is(name, "Caption"))
        w->setWindowTitle(qt::fromEngine(value.toString()));
    else if (is(name, "ModalResult"))
        setModalResult(value.toInt());
    else if (is(name, "Width") || is(name, "Height")) {
        // The frame's size given after a client size replaces it.
        (is(name, "Width") ? clientWidth_ : clientHeight_) = -1;
        return false;
    } else if (is(name, "ClientWidth")) {
        clientWidth_ = value.toInt();
        applyGeometry();
    } else if (is(name, "ClientHeight")) {
        clientHeight_ = value.toInt();
        applyGeometry();
    } else if (is(name, "Position"))
        position_ = value.toString();
    else if (is(name, "BorderStyle"))
        borderStyle_ = value.toString();
    else if (is(name, "KeyPreview"))
        keyPreview_ = value.toBool();
    else if (is(name, "ActiveControl")) {
        auto* component = dynamic_cast<script::Component*>(script::nativeObjectOf(value));
        activeControl_ = component          ? component->name()
                         : value.isString() ? value.asString()
                                            : std::string();
        if (w->isVisible()) focusActiveControl();
    } else if (is(name, "Visible"))
        value.toBool() ? showControl() : hideControl();
    else
        return false;
    return true;
}

void Form::applyGeometry() {
    QWidget* w = widget();
    if (!w) return;
    // The stored client size is what the controls were laid out in; Width and Height measure
    // the frame, as far as the window system has told what the frame takes.
    const QSize frame = w->frameGeometry().size() - w->geometry().size();
    w->resize(std::max(clientWidth_ >= 0 ? clientWidth_ : storedWidth() - frame.width(), 0),
              std::max(clientHeight_ >= 0 ? clientHeight_ + menuHeight()
                                          : storedHeight() - frame.height(),
                       0));
    w->move(storedLeft(), storedTop());
    layoutClient();
}

int Form::menuHeight() const {
    return menuBar_ ? menuBar_->sizeHint().height() : 0;
}

void Form::layoutClient() {
    QWidget* w = widget();
    if (!w || !client_) return;
    // The menu bar sits above the client area; the controls' coordinates start below it.
    const int bar = menuHeight();
    if (menuBar_) menuBar_->setGeometry(0, 0, w->width(), bar);
    client_->setGeometry(0, bar, w->width(), std::max(w->height() - bar, 0));
}

void Form::setMenuBar(QMenuBar* bar) {
    if (menuBar_ || !bar || !widget()) return;
    menuBar_ = bar;
    bar->setParent(widget());
    bar->show();
    applyGeometry();
}

void Form::placeWindow() {
    QWidget* w = widget();
    if (!w) return;
    if (is(borderStyle_, "bsDialog") || is(borderStyle_, "bsSingle")) w->setFixedSize(w->size());
    const bool centred = is(position_, "poScreenCenter") || is(position_, "poDesktopCenter") ||
                         is(position_, "poMainFormCenter") || is(position_, "poOwnerFormCenter");
    if (centred)
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            w->move(area.center() - QPoint(w->width() / 2, w->height() / 2));
        }
}

void Form::fireCreate() {
    if (created_) return;
    created_ = true;
    fireNotify("OnCreate");
}

void Form::showControl() {
    QWidget* w = widget();
    if (!w) return;
    // Headless runs show forms too, on the offscreen platform: programs that do their work in
    // OnShow and OnActivate behave as on the desktop.
    if (w->isVisible()) {
        w->raise();
        w->activateWindow();
        return;
    }
    const auto alive = aliveToken();
    const unsigned closesBefore = closes_;
    fireNotify("OnShow");
    // A form its own OnShow closed does not appear.
    if (alive.expired() || closes_ != closesBefore) return;
    placeWindow();
    focusActiveControl();
    w->show();
    active_ = true;
    fireNotify("OnActivate");
}

void Form::hideControl() {
    if (QWidget* w = widget()) w->hide();
    active_ = false;
}

int Form::showModal() {
    QWidget* w = widget();
    if (!w || modal_) return kResultCancel;
    modalResult_ = 0;
    if (ui().headless()) {
        // Nobody can answer: the default button does, and the run's log says so.
        if (unattendedAnswer) return modalResult_ = unattendedAnswer();
        int answer = kResultCancel;
        for (const auto& c : components())
            if (auto* b = dynamic_cast<const Button*>(c.get());
                b && b->isDefault() && b->modalResult() != 0)
                answer = b->modalResult();
        std::cerr << "[form] " << w->windowTitle().toStdString() << ": " << answer << std::endl;
        return modalResult_ = answer;
    }
    auto* window = static_cast<FormWindow*>(w);
    const auto alive = aliveToken();
    modal_ = true;
    fireNotify("OnShow");
    if (alive.expired()) return kResultCancel;
    placeWindow();
    focusActiveControl();
    window->setWindowModality(Qt::ApplicationModal);
    active_ = true;
    QTimer::singleShot(0, window, [this, alive] {
        if (!alive.expired()) fireNotify("OnActivate");
    });
    window->exec();
    if (alive.expired()) return kResultCancel;
    modal_ = false;
    active_ = false;
    return modalResult_;
}

void Form::setModalResult(int result) {
    modalResult_ = result;
    // The modal loop looks at the result once the running handler is done, so a handler (the
    // OK button's own OnClick) can still take it back.
    if (modal_ && result != 0)
        QTimer::singleShot(0, widget(), [this, alive = aliveToken()] {
            if (!alive.expired()) checkModalResult();
        });
}

void Form::checkModalResult() {
    if (!modal_ || modalResult_ == 0 || closing_) return;
    if (!close()) modalResult_ = 0;
}

bool Form::close() {
    if (closing_) return false;
    struct Guard {
        bool& flag;
        ~Guard() { flag = false; }
    } guard{closing_};
    closing_ = true;
    const auto alive = aliveToken();
    if (handlerOf("OnCloseQuery")) {
        Value args[2] = {Value(script::wrapObject(this)), Value(true)};
        fireEvent("OnCloseQuery", args);
        if (alive.expired()) return false;
        bool canClose = true;
        try {
            canClose = args[1].toBool();
        } catch (const script::ValueError&) {
        }
        if (!canClose) return false;
    }
    // caHide unless the handler says otherwise; caNone keeps the form open.
    Value args[2] = {Value(script::wrapObject(this)), Value(kCloseHide)};
    fireEvent("OnClose", args);
    if (alive.expired()) return false;
    std::int32_t action = kCloseHide;
    try {
        action = args[1].toInt();
    } catch (const script::ValueError&) {
    }
    if (action == kCloseNone) return false;
    ++closes_;
    if (modal_) {
        if (modalResult_ == 0) modalResult_ = kResultCancel;
        static_cast<QDialog*>(widget())->done(modalResult_);
    } else {
        hideControl();
    }
    endRun();
    if (action == kCloseFree) releaseLater();
    return true;
}

void Form::releaseLater() {
    // Freed once the event that closed it is over (a modal caller still reads its result);
    // the program's own form belongs to its scripter.
    if (auto* scripter = dynamic_cast<script::Scripter*>(eventSink());
        scripter && scripter->module() == this)
        return;
    QTimer::singleShot(0, QCoreApplication::instance(), [this, alive = aliveToken()] {
        if (alive.expired()) return;
        if (script::Component* holder = owner())
            holder->release(this).reset();
        else
            script::freeScriptObject(this);
    });
}

void Form::endRun() {
    // The program's own form has closed: the run is over.
    if (auto* scripter = dynamic_cast<script::Scripter*>(eventSink());
        scripter && scripter->module() == this)
        scripter->finish();
}

bool Form::pressCancelButton() {
    for (const auto& c : components())
        if (auto* b = dynamic_cast<Button*>(c.get());
            b && b->isCancel() && b->widget() && b->widget()->isEnabled()) {
            static_cast<QPushButton*>(b->widget())->click();
            return true;
        }
    return false;
}

bool Form::handleWidgetEvent(QObject* watched, QEvent* event) {
    if (watched == widget()) {
        switch (event->type()) {
        case QEvent::Resize:
            layoutClient();
            realign(this);
            if (widget()->isVisible()) fireNotify("OnResize");
            return false;
        case QEvent::WindowActivate:
            if (!active_) {
                active_ = true;
                fireNotify("OnActivate");
            }
            break;
        case QEvent::WindowDeactivate:
            active_ = false;
            fireNotify("OnDeactivate");
            break;
        case QEvent::MouseButtonRelease:
            fireNotify("OnClick");
            break;
        default:
            break;
        }
    }
    return Control::handleWidgetEvent(watched, event);
}

// ---- Timer

Timer::Timer() : script::Component("TTimer"), timer_(std::make_unique<QTimer>()) {
    QObject::connect(timer_.get(), &QTimer::timeout, timer_.get(), [this] {
        SignalScope scope;
        fireNotify("OnTimer");
    });
}

Timer::~Timer() {
    holdHeadlessRun(false);
}

void Timer::holdHeadlessRun(bool hold) {
    // A headless run lasts while a timer can still call the program.
    if (hold == holding_) return;
    holding_ = hold;
    qt::headlessEventSources() += hold ? 1 : -1;
}

bool Timer::getPublished(std::string_view name, Value& out) const {
    if (is(name, "Enabled"))
        out = Value(enabled_);
    else if (is(name, "Interval"))
        out = Value(interval_);
    else
        return script::Component::getPublished(name, out);
    return true;
}

bool Timer::setPublished(std::string_view name, const Value& value) {
    if (is(name, "Enabled"))
        enabled_ = value.toBool();
    else if (is(name, "Interval"))
        interval_ = value.toInt();
    else {
        // Binding OnTimer goes through the base; whether the timer runs may change either way.
        const bool known = script::Component::setPublished(name, value);
        update();
        return known;
    }
    update();
    return true;
}

void Timer::loaded() {
    loaded_ = true;
    update();
}

bool Timer::running() const {
    return timer_->isActive();
}

void Timer::update() {
    // A timer ticks only when it has somewhere to go.
    const bool run =
        enabled_ && interval_ > 0 && handlerOf("OnTimer") && (loaded_ || owner() || eventSink());
    holdHeadlessRun(run);
    if (!run) {
        timer_->stop();
        return;
    }
    timer_->start(interval_);
}

// ---- menus

MainMenu::MainMenu() : script::Component("TMainMenu"), bar_(new QMenuBar) {}

MainMenu::~MainMenu() {
    if (QMenuBar* bar = bar_.data()) {
        bar->hide();
        if (signalDepth > 0) {
            bar->setParent(nullptr);
            bar->deleteLater();
        } else {
            delete bar;
        }
    }
}

PopupMenu::PopupMenu() : script::Component("TPopupMenu"), menu_(std::make_unique<QMenu>()) {}

PopupMenu::~PopupMenu() {
    // The items' actions go with their own components.
    menu_->clear();
}

void PopupMenu::popup(const QPoint& globalPos) {
    const auto alive = aliveToken();
    fireNotify("OnPopup");
    if (!alive.expired()) menu_->popup(globalPos);
}

MenuItem::MenuItem() : script::Component("TMenuItem"), action_(std::make_unique<QAction>()) {
    QObject::connect(action_.get(), &QAction::triggered, action_.get(), [this] {
        SignalScope scope;
        fireNotify("OnClick");
    });
}

MenuItem::~MenuItem() {
    // The submenu goes with its action.
    action_->setMenu(static_cast<QMenu*>(nullptr));
}

QMenu* MenuItem::submenu() {
    if (!submenu_) {
        submenu_ = std::make_unique<QMenu>();
        action_->setMenu(submenu_.get());
    }
    return submenu_.get();
}

bool MenuItem::getPublished(std::string_view name, Value& out) const {
    if (is(name, "Caption"))
        out = Value(caption_);
    else if (is(name, "Enabled"))
        out = Value(action_->isEnabled());
    else if (is(name, "Visible"))
        out = Value(action_->isVisible());
    else if (is(name, "Checked"))
        out = Value(action_->isChecked());
    else if (is(name, "ShortCut"))
        out = Value(shortCut_);
    else
        return script::Component::getPublished(name, out);
    return true;
}

bool MenuItem::setPublished(std::string_view name, const Value& value) {
    if (is(name, "Caption")) {
        caption_ = value.toString();
        action_->setSeparator(caption_ == "-");
        action_->setText(qt::fromEngine(caption_));
    } else if (is(name, "Enabled"))
        action_->setEnabled(value.toBool());
    else if (is(name, "Visible"))
        action_->setVisible(value.toBool());
    else if (is(name, "Checked")) {
        action_->setCheckable(true);
        action_->setChecked(value.toBool());
    } else if (is(name, "ShortCut")) {
        shortCut_ = value.toInt();
        action_->setShortcut(keySequenceOf(shortCut_));
    } else
        return script::Component::setPublished(name, value);
    return true;
}

void MenuItem::click() {
    action_->trigger();
}

QKeySequence keySequenceOf(std::int32_t shortCut) {
    const int code = shortCut & 0xFF;
    int key = 0;
    if ((code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9'))
        key = code;
    else if (code >= 112 && code <= 135)
        key = Qt::Key_F1 + (code - 112);
    else {
        static const std::pair<int, int> keys[] = {
            {8, Qt::Key_Backspace}, {9, Qt::Key_Tab},     {13, Qt::Key_Return},
            {27, Qt::Key_Escape},   {32, Qt::Key_Space},  {33, Qt::Key_PageUp},
            {34, Qt::Key_PageDown}, {35, Qt::Key_End},    {36, Qt::Key_Home},
            {37, Qt::Key_Left},     {38, Qt::Key_Up},     {39, Qt::Key_Right},
            {40, Qt::Key_Down},     {45, Qt::Key_Insert}, {46, Qt::Key_Delete},
        };
        for (const auto& [vk, qtKey] : keys)
            if (vk == code) key = qtKey;
    }
    if (key == 0) return {};
    int modifiers = 0;
    if (shortCut & 0x2000) modifiers |= Qt::SHIFT;
    if (shortCut & 0x4000) modifiers |= Qt::CTRL;
    if (shortCut & 0x8000) modifiers |= Qt::ALT;
    return QKeySequence(key | modifiers);
}

// ---- factory

namespace {

std::unique_ptr<Control> makeWidgetControl(const std::string& cls) {
    auto any = [&](std::initializer_list<const char*> names) {
        return std::any_of(names.begin(), names.end(), [&](const char* n) { return is(cls, n); });
    };
    if (any({"TLabel", "TStaticText"})) return std::make_unique<Label>(cls);
    if (any({"TButton", "TBitBtn", "TSpeedButton"})) return std::make_unique<Button>(cls);
    if (any({"TEdit", "TMaskEdit"})) return std::make_unique<Edit>(cls, false);
    if (any({"TEditEnter", "TMaskEditEnter"})) return std::make_unique<Edit>(cls, true);
    if (is(cls, "TMemo")) return std::make_unique<Memo>(cls);
    if (any({"TCheckBox", "TCheckBoxEnter"})) return std::make_unique<CheckBox>(cls, false);
    if (any({"TRadioButton", "TRadioButtonEnter"})) return std::make_unique<CheckBox>(cls, true);
    if (any({"TPanel", "TBevel"})) return std::make_unique<Panel>(cls);
    if (is(cls, "TGroupBox")) return std::make_unique<GroupBox>(cls);
    if (is(cls, "TRadioGroup")) return std::make_unique<RadioGroup>(cls);
    if (any({"TListBox", "TListBoxEnter"}))
        return std::make_unique<ListBox>(cls, is(cls, "TListBoxEnter"));
    if (any({"TComboBox", "TComboBoxEnter"}))
        return std::make_unique<ComboBox>(cls, is(cls, "TComboBoxEnter"));
    return nullptr;
}

// The size a control has until the form or the script gives it one.
QSize defaultSize(const std::string& cls) {
    static const std::pair<const char*, QSize> sizes[] = {
        {"TLabel", {65, 13}},          {"TStaticText", {65, 17}},
        {"TButton", {75, 25}},         {"TBitBtn", {75, 25}},
        {"TSpeedButton", {23, 22}},    {"TEdit", {121, 21}},
        {"TMaskEdit", {121, 21}},      {"TEditEnter", {121, 21}},
        {"TMaskEditEnter", {121, 21}}, {"TMemo", {185, 89}},
        {"TCheckBox", {97, 17}},       {"TCheckBoxEnter", {97, 17}},
        {"TRadioButton", {113, 17}},   {"TRadioButtonEnter", {113, 17}},
        {"TPanel", {185, 41}},         {"TBevel", {50, 50}},
        {"TGroupBox", {185, 105}},     {"TRadioGroup", {185, 105}},
        {"TListBox", {121, 97}},       {"TListBoxEnter", {121, 97}},
        {"TComboBox", {145, 21}},      {"TComboBoxEnter", {145, 21}},
    };
    for (const auto& [name, size] : sizes)
        if (is(cls, name)) return size;
    return {100, 25};
}

} // namespace

std::unique_ptr<Control> withDefaultSize(std::unique_ptr<Control> control, QSize size) {
    control->setPublished("Width", Value(size.width()));
    control->setPublished("Height", Value(size.height()));
    return control;
}

std::unique_ptr<script::Component> makeControl(std::string_view className) {
    const std::string cls(className);
    if (is(cls, "TForm") || is(cls, "TMessageForm")) return std::make_unique<Form>(cls);
    if (is(cls, "TTimer")) return std::make_unique<Timer>();
    if (is(cls, "TMainMenu")) return std::make_unique<MainMenu>();
    if (is(cls, "TMenuItem")) return std::make_unique<MenuItem>();
    if (is(cls, "TPopupMenu")) return std::make_unique<PopupMenu>();
    for (auto* factory :
         {&makeGridOrPictureControl, &makeContainerControl, &makeDataControl, &makeFileDialog})
        if (auto made = factory(cls)) return made;
    std::unique_ptr<Control> control = makeWidgetControl(cls);
    if (!control) return nullptr;
    return withDefaultSize(std::move(control), defaultSize(cls));
}

} // namespace vorlan::forms
