#include "ui/qt/forms/form.h"

#include "core/cp1250.h"
#include "core/ui_services.h"
#include "script/comp_wrapper.h"
#include "script/object_store.h"
#include "script/scripter.h"
#include "ui/qt/forms/dialog_model.h"
#include "ui/qt/forms/menus.h"
#include "ui/qt/qt_text.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QFrame>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <iostream>
#include <limits>

namespace vorlan::forms {

using script::Value;

namespace {

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

const FormClass kFormClasses[] = {
    {"TForm",
     "TCustomForm",
     create<Form>,
     {},
     false,
     "OnActivate OnClick OnClose OnCloseQuery OnCreate OnDeactivate OnHide OnResize OnShow",
     "BorderIcons=[biSystemMenu,biMinimize,biMaximize] PixelsPerInch=96 "
     "PrintScale=poProportional Scaled=True WindowMenu="},
    {"TMessageForm", "TForm", create<Form>},
};

} // namespace

const PropertyTable& Form::propertyTable() {
    // The frame's size given after a client size replaces it; Control places the window.
    const auto frameSize = [](int& clientSize) {
        clientSize = -1;
        return false;
    };
    static const auto table = PropertyTable::of<Form>(
        &Control::propertyTable(),
        {
            {"Caption", [](const Form& f) { return qt::toEngine(f.widget()->windowTitle()); },
             [](Form& f, const std::string& v) { f.widget()->setWindowTitle(qt::fromEngine(v)); }},
            {"ModalResult", &Form::modalResult_, &Form::setModalResult},
            {"Left", [](const Form& f) { return f.widget()->x(); }},
            {"Top", [](const Form& f) { return f.widget()->y(); }},
            {"Width", [](const Form& f) { return f.widget()->frameGeometry().width(); },
             [=](Form& f, const Value&) { return frameSize(f.clientWidth_); }},
            {"Height", [](const Form& f) { return f.widget()->frameGeometry().height(); },
             [=](Form& f, const Value&) { return frameSize(f.clientHeight_); }},
            {"ClientWidth", [](const Form& f) { return f.client_ ? f.client_->width() : 0; },
             [](Form& f, std::int32_t v) {
                 f.clientWidth_ = v;
                 f.applyGeometry();
             }},
            {"ClientHeight", [](const Form& f) { return f.client_ ? f.client_->height() : 0; },
             [](Form& f, std::int32_t v) {
                 f.clientHeight_ = v;
                 f.applyGeometry();
             }},
            {"Position",
             [](const Form& f) {
                 return f.position_.empty() ? std::string("poDesigned") : f.position_;
             },
             &Form::position_},
            {"BorderStyle", &Form::borderStyle_, &Form::borderStyle_},
            {"KeyPreview", &Form::keyPreview_, &Form::keyPreview_},
            {"Active", &Form::active_},
            {"ActiveControl", &Form::activeControl, &Form::setActiveControl},
            {"Visible", [](const Form& f) { return f.widget()->isVisible(); }},
            {"WindowState",
             [](const Form& f) {
                 const QWidget* w = f.widget();
                 if (w && w->isVisible())
                     return std::string(w->isMinimized()   ? "wsMinimized"
                                        : w->isMaximized() ? "wsMaximized"
                                                           : "wsNormal");
                 return f.windowState_;
             },
             &Form::setWindowState},
            {"FormStyle", &Form::formStyle_, &Form::setFormStyle},
            {"Menu", &Form::mainMenu, &Form::setMainMenu},
        });
    return table;
}

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
            if (c->getPublished("TabOrder", order) && order.isNumeric() && order.toInt() >= 0)
                return order.toInt();
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
                  << ": tato třída tu nemá okno, zobrazí se jako prázdný panel" << std::endl;
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

Value Form::activeControl() const {
    script::Component* focused = nullptr;
    for (const auto& c : components())
        if (auto* control = dynamic_cast<Control*>(c.get());
            control && control->widget() && control->widget()->hasFocus())
            focused = control;
    if (!focused) focused = findComponent(activeControl_);
    return focused ? Value(script::wrapObject(focused)) : Value::null();
}

void Form::setActiveControl(const Value& value) {
    auto* component = dynamic_cast<script::Component*>(script::nativeObjectOf(value));
    activeControl_ = component          ? component->name()
                     : value.isString() ? value.asString()
                                        : std::string();
    if (widget()->isVisible()) focusActiveControl();
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
    if (equalsNoCase(borderStyle_, "bsDialog") || equalsNoCase(borderStyle_, "bsSingle"))
        w->setFixedSize(w->size());
    const bool centred =
        equalsNoCase(position_, "poScreenCenter") || equalsNoCase(position_, "poDesktopCenter") ||
        equalsNoCase(position_, "poMainFormCenter") || equalsNoCase(position_, "poOwnerFormCenter");
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
    showInState();
    active_ = true;
    fireNotify("OnActivate");
}

void Form::showInState() {
    QWidget* w = widget();
    if (!w) return;
    if (windowState_ == "wsMaximized")
        w->showMaximized();
    else if (windowState_ == "wsMinimized")
        w->showMinimized();
    else
        w->show();
}

void Form::setWindowState(const std::string& state) {
    windowState_ = equalsNoCase(state, "wsMaximized")   ? "wsMaximized"
                   : equalsNoCase(state, "wsMinimized") ? "wsMinimized"
                                                        : "wsNormal";
    if (QWidget* w = widget(); w && w->isVisible()) {
        if (windowState_ == "wsNormal") w->showNormal();
        showInState();
    }
}

void Form::setFormStyle(const std::string& style) {
    formStyle_ = style;
    // A window that stays above the others; MDI forms are ordinary windows here.
    if (QWidget* w = widget()) {
        const bool visible = w->isVisible();
        w->setWindowFlag(Qt::WindowStaysOnTopHint, equalsNoCase(style, "fsStayOnTop"));
        if (visible) w->show();
    }
}

Value Form::mainMenu() const {
    for (const auto& c : components())
        if (auto* menu = dynamic_cast<MainMenu*>(c.get());
            menu && menuBar_ && menu->bar() == menuBar_)
            return Value(script::wrapObject(menu));
    return Value(script::ObjectRef());
}

void Form::setMainMenu(const Value& value) {
    auto* menu = dynamic_cast<MainMenu*>(script::nativeObjectOf(value));
    QMenuBar* bar = menu ? menu->bar() : nullptr;
    if (bar == menuBar_) return;
    // The bar shown before goes back to its menu, which still owns it.
    if (QMenuBar* old = menuBar_) {
        old->hide();
        old->setParent(nullptr);
        menuBar_ = nullptr;
    }
    if (bar)
        setMenuBar(bar);
    else
        applyGeometry();
}

void Form::hideControl() {
    QWidget* w = widget();
    const bool wasShown = w && w->isVisible();
    if (w) w->hide();
    active_ = false;
    if (wasShown) fireNotify("OnHide");
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
            if (auto* control = dynamic_cast<const Control*>(c.get()))
                if (const int result = control->unattendedResult(); result != 0) answer = result;
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
        if (auto* control = dynamic_cast<Control*>(c.get()); control && control->pressIfCancel())
            return true;
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

std::span<const FormClass> formClasses() {
    return kFormClasses;
}

} // namespace vorlan::forms
