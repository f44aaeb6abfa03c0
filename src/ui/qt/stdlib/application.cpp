#include "ui/qt/stdlib/application.h"

#include "core/cp1250.h"
#include "core/path_mapper.h"
#include "core/ui_services.h"
#include "script/comp_wrapper.h"
#include "script/dispatch.h"
#include "script/raised_exception.h"
#include "script/run_cycle.h"
#include "script/scripter.h"
#include "stdlib/exceptions.h"
#include "ui/qt/forms/control.h"
#include "ui/qt/forms/font_object.h"
#include "ui/qt/forms/form.h"
#include "ui/qt/forms/form_values.h"
#include "ui/qt/forms/standard_controls.h"
#include "ui/qt/forms/string_list.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/stdlib/colors.h"
#include "ui/qt/stdlib/form_tracker.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCursor>
#include <QFontDatabase>
#include <QScreen>
#include <QTimer>
#include <QToolTip>

#include <array>
#include <filesystem>

namespace vorlan::stdlib {

namespace fs = std::filesystem;

namespace {

constexpr IntConstant kCursors[] = {
    {"crDefault", 0},     {"crNone", -1},     {"crArrow", -2},      {"crCross", -3},
    {"crIBeam", -4},      {"crSizeNESW", -6}, {"crSizeNS", -7},     {"crSizeNWSE", -8},
    {"crSizeWE", -9},     {"crUpArrow", -10}, {"crHourGlass", -11}, {"crDrag", -12},
    {"crNoDrop", -13},    {"crHSplit", -14},  {"crVSplit", -15},    {"crMultiDrag", -16},
    {"crSQLWait", -17},   {"crNo", -18},      {"crAppStart", -19},  {"crHelp", -20},
    {"crHandPoint", -21}, {"crSizeAll", -22}, {"crSize", -22},
};

// The buttons of each MB_ type in the order the default-button flags count them.
const std::array<std::vector<MessageButton>, 6> kMessageBoxButtons{{
    {ButtonOk},
    {ButtonOk, ButtonCancel},
    {ButtonAbort, ButtonRetry, ButtonIgnore},
    {ButtonYes, ButtonNo, ButtonCancel},
    {ButtonYes, ButtonNo},
    {ButtonRetry, ButtonCancel},
}};

MessageIcon messageIcon(std::int32_t flags) {
    switch (flags & kMbIconMask) {
    case 0x10:
        return MessageIcon::Error;
    case 0x20:
        return MessageIcon::Question;
    case 0x30:
        return MessageIcon::Warning;
    case 0x40:
        return MessageIcon::Information;
    default:
        return MessageIcon::None;
    }
}

const QScreen* primaryScreen() {
    return QGuiApplication::primaryScreen();
}

script::Value wrapped(forms::Form* form) {
    return script::Value(script::wrapObject(form));
}

const void* runOf(forms::Form* form) {
    return form ? dynamic_cast<script::Scripter*>(form->eventSink()) : nullptr;
}

} // namespace

std::span<const IntConstant> cursorConstants() {
    return kCursors;
}

// ---- Application

ApplicationObject::ApplicationObject() : script::Component("TApplication", "Application") {
    setEventSink(this);
}

ApplicationObject::~ApplicationObject() {
    setEventSink(nullptr);
}

script::Value ApplicationObject::callHandler(const std::string& procedureName,
                                             std::span<script::Value> args) {
    forms::Form* form = mainProgramForm();
    script::EventSink* program = form ? form->eventSink() : nullptr;
    return program ? program->callHandler(procedureName, args) : script::Value();
}

void ApplicationObject::releaseOwnedComponents() {
    while (!components().empty()) {
        std::unique_ptr<script::Component> last = release(components().back().get());
        last.reset();
    }
}

std::string ApplicationObject::title() const {
    return titleSet_ ? title_ : applicationTitle();
}

std::string ApplicationObject::exeName() const {
    std::string file = script::runningProgramFile();
    if (file.empty())
        return pathMapper().toProgram(
            fs::path(QCoreApplication::applicationFilePath().toStdString()));
    std::error_code ec;
    const fs::path host = pathMapper().toHostOrEmpty(file);
    if (host.empty()) return file;
    return pathMapper().toProgram(fs::absolute(host, ec));
}

void ApplicationObject::setOnException(std::string name) {
    onException_ = std::move(name);
    if (onException_.empty())
        script::setUnhandledErrorHook(nullptr);
    else
        script::setUnhandledErrorHook(
            [](script::Scripter& failed, const script::ExceptionInfo& error) {
                return application().callOnException(failed, error);
            });
}

bool ApplicationObject::callOnException(script::Scripter& failed,
                                        const script::ExceptionInfo& error) {
    if (onException_.empty()) return false;
    // The class a native routine raised, when the error is its exception.
    const script::RaisedException& raised = script::raisedException();
    const std::string className = raised.message == error.description && !raised.className.empty()
                                      ? raised.className
                                      : "Exception";
    ExceptionObject* e = makeException(className, error.description);
    std::array<script::Value, 2> args{script::Value(script::wrapObject(this)),
                                      script::Value(script::wrapObject(e))};
    failed.callHandler(onException_, args);
    script::Value ignored;
    script::ExceptionInfo freeError;
    (void)script::invokeByName(*args[1].asObject(), "Free", script::InvokeMethod, {}, ignored,
                               freeError);
    return true;
}

void ApplicationObject::setOnIdle(std::string name) {
    onIdle_ = std::move(name);
    if (idleConnected_ || onIdle_.empty()) return;
    if (auto* dispatcher = QAbstractEventDispatcher::instance()) {
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock,
                         [] { application().callOnIdle(); });
        idleConnected_ = true;
    }
}

void ApplicationObject::callOnIdle() {
    if (onIdle_.empty() || inIdle_ || !mainProgramForm()) return;
    inIdle_ = true;
    std::array<script::Value, 2> args{script::Value(script::wrapObject(this)), script::Value(true)};
    callHandler(onIdle_, args);
    inIdle_ = false;
    // Done = False: the program wants to be called again without waiting for an event.
    if (!args[1].toBool()) QTimer::singleShot(0, [] {});
}

void ApplicationObject::processMessages() {
    ui().processPendingEvents();
}

void ApplicationObject::terminate() {
    terminated_ = true;
    forms::Form* form = mainProgramForm();
    terminatedRun_ = runOf(form);
    if (auto* scripter = dynamic_cast<script::Scripter*>(form ? form->eventSink() : nullptr))
        scripter->finish();
}

bool ApplicationObject::terminated() const {
    if (!terminated_) return false;
    // Another program running since then has not been terminated.
    const void* running = runOf(mainProgramForm());
    return !running || running == terminatedRun_;
}

std::int32_t ApplicationObject::messageBox(const std::string& text, const std::string& caption,
                                           std::int32_t flags) {
    const auto type = static_cast<std::size_t>(flags & kMbTypeMask);
    const std::vector<MessageButton>& buttons =
        kMessageBoxButtons[type < kMessageBoxButtons.size() ? type : 0];
    MessageBoxRequest request;
    request.caption = caption.empty() ? title() : caption;
    request.text = text;
    request.icon = messageIcon(flags);
    request.buttons = 0;
    for (MessageButton b : buttons)
        request.buttons |= b;
    const auto second = static_cast<std::size_t>((flags & kMbDefaultMask) >> 8);
    request.defaultButton = buttons[second < buttons.size() ? second : 0];
    return static_cast<std::int32_t>(ui().messageBox(request));
}

script::Value ApplicationObject::mainForm() const {
    forms::Form* form = mainProgramForm();
    if (!form) {
        const auto all = programForms();
        form = all.empty() ? nullptr : all.front();
    }
    return wrapped(form);
}

namespace {

constexpr const char* kHandlerEvents[] = {"OnActivate", "OnDeactivate", "OnHint", "OnMinimize",
                                          "OnRestore"};

} // namespace

std::string& ApplicationObject::handler(const char* event) {
    std::size_t i = 0;
    while (i + 1 < std::size(kHandlerEvents) && !equalsNoCase(kHandlerEvents[i], event))
        ++i;
    if (i < 2) watchActivation();
    return handlers_[i];
}

void ApplicationObject::fireHandler(const char* event) {
    const std::string& name = handler(event);
    if (name.empty() || !mainProgramForm()) return;
    std::array<script::Value, 1> args{script::Value(script::wrapObject(this))};
    callHandler(name, args);
}

void ApplicationObject::watchActivation() {
    if (activationWatched_ || !qApp) return;
    activationWatched_ = true;
    QObject::connect(qApp, &QGuiApplication::applicationStateChanged, qApp,
                     [](Qt::ApplicationState state) {
                         application().fireHandler(state == Qt::ApplicationActive ? "OnActivate"
                                                                                  : "OnDeactivate");
                     });
}

void ApplicationObject::setHint(std::string hint) {
    const bool changed = hint != hint_;
    hint_ = std::move(hint);
    if (changed) fireHandler("OnHint");
}

void ApplicationObject::minimize() {
    for (forms::Form* form : programForms())
        if (QWidget* w = form->widget(); w && w->isVisible()) w->showMinimized();
    fireHandler("OnMinimize");
}

void ApplicationObject::restore() {
    for (forms::Form* form : programForms())
        if (QWidget* w = form->widget(); w && w->isMinimized()) w->showNormal();
    fireHandler("OnRestore");
}

void ApplicationObject::bringToFront() {
    forms::Form* form = mainProgramForm();
    if (QWidget* w = form ? form->widget() : nullptr) {
        w->raise();
        w->activateWindow();
    }
}

void ApplicationObject::showException(const script::Value& exception) {
    std::string text;
    if (exception.isObject() && exception.asObject()) {
        script::Value message;
        script::ExceptionInfo error;
        if (script::invokeByName(*exception.asObject(), "Message", script::InvokeGet, {}, message,
                                 error) == script::DispStatus::Ok)
            text = message.toString();
    } else {
        text = exception.toString();
    }
    messageBox(text, title(), 0x10);
}

bool ApplicationObject::active() const {
    return QApplication::activeWindow() != nullptr;
}

void ApplicationObject::setHintColor(const script::Value& color) {
    hintColor_ = colorOfValue(color);
    QPalette palette = QToolTip::palette();
    palette.setColor(QPalette::ToolTipBase, qtColorOf(hintColor_));
    QToolTip::setPalette(palette);
}

// ---- Screen

script::Value ScreenObject::activeControl() const {
    forms::Control* control = forms::Control::owning(QApplication::focusWidget());
    return script::Value(script::wrapObject(control));
}

std::string& ScreenObject::handler(bool formChange) {
    watchFocus();
    return formChange ? onFormChange_ : onControlChange_;
}

void ScreenObject::watchFocus() {
    if (focusWatched_ || !qApp) return;
    focusWatched_ = true;
    QObject::connect(qApp, &QApplication::focusChanged, qApp, [this](QWidget* old, QWidget* now) {
        const auto fire = [this](const std::string& name) {
            if (name.empty() || !mainProgramForm()) return;
            std::array<script::Value, 1> args{script::Value(script::wrapObject(this))};
            application().callHandler(name, args);
        };
        if (forms::Control::owning(old) != forms::Control::owning(now)) fire(onControlChange_);
        if ((old ? old->window() : nullptr) != (now ? now->window() : nullptr)) fire(onFormChange_);
    });
}

ScreenObject::ScreenObject()
    : script::NativeObject("TScreen"),
      fonts_(std::make_unique<forms::StringList>(forms::StringList::Access{
          [] {
              std::vector<std::string> names;
              for (const QString& family : QFontDatabase::families())
                  names.push_back(qt::toEngine(family));
              return names;
          },
          [](const std::vector<std::string>&) {
              throw script::ScriptException(czech("Seznam písem nelze měnit"));
          }})) {}

ScreenObject::~ScreenObject() = default;

std::int32_t ScreenObject::width() const {
    const QScreen* s = primaryScreen();
    return s ? s->geometry().width() : 0;
}

std::int32_t ScreenObject::height() const {
    const QScreen* s = primaryScreen();
    return s ? s->geometry().height() : 0;
}

std::int32_t ScreenObject::workAreaWidth() const {
    const QScreen* s = primaryScreen();
    return s ? s->availableGeometry().width() : 0;
}

std::int32_t ScreenObject::workAreaHeight() const {
    const QScreen* s = primaryScreen();
    return s ? s->availableGeometry().height() : 0;
}

std::int32_t ScreenObject::pixelsPerInch() const {
    const QScreen* s = primaryScreen();
    return s ? static_cast<std::int32_t>(s->logicalDotsPerInch() + 0.5) : 96;
}

void ScreenObject::setCursor(const script::Value& cursor) {
    std::int32_t value = 0;
    if (cursor.isString()) {
        bool found = false;
        for (const IntConstant& c : kCursors)
            if (equalsNoCase(c.name, cursor.asString())) {
                value = c.value;
                found = true;
            }
        if (!found) throw script::ScriptException(czech("Neznámý kurzor: ") + cursor.asString());
    } else {
        value = cursor.toInt();
    }
    cursor_ = value;
    if (value == 0) {
        if (overridden_) QApplication::restoreOverrideCursor();
        overridden_ = false;
    } else if (overridden_) {
        QApplication::changeOverrideCursor(QCursor(forms::cursorShapeOf(value)));
    } else {
        QApplication::setOverrideCursor(QCursor(forms::cursorShapeOf(value)));
        overridden_ = true;
    }
}

std::int32_t ScreenObject::formCount() const {
    return static_cast<std::int32_t>(programForms().size());
}

script::Value ScreenObject::form(std::int32_t index) const {
    const auto all = programForms();
    if (index < 0 || static_cast<std::size_t>(index) >= all.size())
        throw script::ScriptException(czech("Index seznamu je mimo rozsah (") +
                                      std::to_string(index) + ")");
    return wrapped(all[static_cast<std::size_t>(index)]);
}

script::Value ScreenObject::activeForm() const {
    return wrapped(activeProgramForm());
}

ApplicationObject& application() {
    static ApplicationObject object;
    return object;
}

ScreenObject& screen() {
    static ScreenObject object;
    return object;
}

} // namespace vorlan::stdlib
