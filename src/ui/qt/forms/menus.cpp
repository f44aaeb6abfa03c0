#include "ui/qt/forms/menus.h"

#include "ui/qt/forms/control.h"
#include "ui/qt/forms/key_codes.h"
#include "ui/qt/qt_text.h"

#include <QAction>
#include <QMenu>

namespace vorlan::forms {

using script::Value;

namespace {

const FormClass kClasses[] = {
    {"TMenu", "TComponent"},
    {"TMainMenu", "TMenu", create<MainMenu>},
    {"TPopupMenu", "TMenu", create<PopupMenu>, {}, false, "OnPopup"},
    {"TMenuItem", "TComponent", create<MenuItem>, {}, false, "OnClick"},
};

} // namespace

std::span<const FormClass> menuClasses() {
    return kClasses;
}

// ---- MainMenu

MainMenu::MainMenu() : script::Component("TMainMenu"), bar_(new QMenuBar) {}

MainMenu::~MainMenu() {
    disposeWidget(bar_.data());
}

// ---- PopupMenu

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

// ---- MenuItem

MenuItem::MenuItem() : script::Component("TMenuItem"), action_(std::make_unique<QAction>()) {
    QObject::connect(action_.get(), &QAction::triggered, action_.get(), [this] {
        SignalHandlerScope scope;
        fireNotify("OnClick");
    });
}

MenuItem::~MenuItem() {
    // The submenu goes with its action.
    action_->setMenu(static_cast<QMenu*>(nullptr));
}

const PropertyTable& MenuItem::propertyTable() {
    static const auto table = PropertyTable::of<MenuItem>(
        nullptr, {
                     {"Caption", &MenuItem::caption_,
                      [](MenuItem& m, const std::string& v) {
                          m.caption_ = v;
                          m.action_->setSeparator(v == "-");
                          m.action_->setText(qt::fromEngine(v));
                      }},
                     {"Enabled", [](const MenuItem& m) { return m.action_->isEnabled(); },
                      [](MenuItem& m, bool v) { m.action_->setEnabled(v); }},
                     {"Visible", [](const MenuItem& m) { return m.action_->isVisible(); },
                      [](MenuItem& m, bool v) { m.action_->setVisible(v); }},
                     {"Checked", [](const MenuItem& m) { return m.action_->isChecked(); },
                      [](MenuItem& m, bool v) {
                          m.action_->setCheckable(true);
                          m.action_->setChecked(v);
                      }},
                     {"ShortCut", &MenuItem::shortCut_,
                      [](MenuItem& m, std::int32_t v) {
                          m.shortCut_ = v;
                          m.action_->setShortcut(keySequenceOf(v));
                      }},
                 });
    return table;
}

bool MenuItem::getPublished(std::string_view name, Value& out) const {
    return propertyTable().get(*this, name, out) || script::Component::getPublished(name, out);
}

bool MenuItem::setPublished(std::string_view name, const Value& value) {
    return propertyTable().set(*this, name, value) || script::Component::setPublished(name, value);
}

QMenu* MenuItem::submenu() {
    if (!submenu_) {
        submenu_ = std::make_unique<QMenu>();
        action_->setMenu(submenu_.get());
    }
    return submenu_.get();
}

void MenuItem::click() {
    action_->trigger();
}

} // namespace vorlan::forms
