#include "ui/qt/forms/menus.h"

#include "core/cp1250.h"
#include "script/dispatch.h"
#include "script/object_store.h"
#include "ui/qt/forms/control.h"
#include "ui/qt/forms/key_codes.h"
#include "ui/qt/qt_text.h"

#include <QAction>
#include <QMenu>

#include <algorithm>

namespace vorlan::forms {

using script::Value;

namespace {

// The property of an action that names the item it belongs to.
constexpr const char* kItemOfAction = "vorlanMenuItem";

const FormClass kMenusClasses[] = {
    {"TMenu", "TComponent"},
    {"TMainMenu", "TMenu", create<MainMenu>},
    {"TPopupMenu", "TMenu", create<PopupMenu>, {}, false, "OnPopup"},
    {"TMenuItem", "TComponent", create<MenuItem>, {}, false, "OnClick"},
};

} // namespace

std::span<const FormClass> menuClasses() {
    return kMenusClasses;
}

// ---- MainMenu

MainMenu::MainMenu()
    : script::Component("TMainMenu"), bar_(new QMenuBar),
      items_(std::make_unique<MenuItem>(bar_.data(), *this)) {}

MainMenu::~MainMenu() {
    items_.reset();
    disposeWidget(bar_.data());
}

void MainMenu::merge(MainMenu& other) {
    if (&other == this || !bar_ || !other.bar_) return;
    for (QAction* action : other.bar_->actions())
        if (std::find(merged_.begin(), merged_.end(), action) == merged_.end()) {
            bar_->addAction(action);
            merged_.push_back(action);
        }
}

void MainMenu::unmerge(MainMenu& other) {
    if (!bar_ || !other.bar_) return;
    for (QAction* action : other.bar_->actions()) {
        const auto it = std::find(merged_.begin(), merged_.end(), action);
        if (it == merged_.end()) continue;
        bar_->removeAction(action);
        merged_.erase(it);
    }
}

// ---- PopupMenu

PopupMenu::PopupMenu()
    : script::Component("TPopupMenu"), menu_(std::make_unique<QMenu>()),
      items_(std::make_unique<MenuItem>(menu_.get(), *this)) {}

PopupMenu::~PopupMenu() {
    items_.reset();
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
    action_->setProperty(kItemOfAction, QVariant::fromValue(static_cast<void*>(this)));
    QObject::connect(action_.get(), &QAction::triggered, action_.get(), [this] {
        SignalHandlerScope scope;
        fireNotify("OnClick");
    });
}

MenuItem::MenuItem(QWidget* list, script::Component& menu) : MenuItem() {
    ownList_ = list;
    menu_ = &menu;
}

MenuItem::~MenuItem() {
    // The submenu goes with its action.
    action_->setMenu(static_cast<QMenu*>(nullptr));
}

const PropertyTable& MenuItem::propertyTable() {
    static const auto table = PropertyTable::of<MenuItem>(
        nullptr,
        {
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
             &MenuItem::setChecked},
            {"ShortCut", &MenuItem::shortCut_,
             [](MenuItem& m, std::int32_t v) {
                 m.shortCut_ = v;
                 m.action_->setShortcut(keySequenceOf(v));
             }},
            // Checking a radio item unchecks the others of its group in its menu.
            {"RadioItem", &MenuItem::radioItem_,
             [](MenuItem& m, bool v) {
                 m.radioItem_ = v;
                 if (v && m.action_->isChecked()) m.setChecked(true);
             }},
            {"GroupIndex", &MenuItem::groupIndex_, &MenuItem::groupIndex_},
            {"Default", &MenuItem::default_,
             [](MenuItem& m, bool v) {
                 m.default_ = v;
                 QFont font = m.action_->font();
                 font.setBold(v);
                 m.action_->setFont(font);
             }},
            {"Hint", [](const MenuItem& m) { return qt::toEngine(m.action_->statusTip()); },
             [](MenuItem& m, const std::string& v) {
                 m.action_->setStatusTip(qt::fromEngine(v));
                 m.action_->setToolTip(qt::fromEngine(v));
             }},
        });
    return table;
}

bool MenuItem::getPublished(std::string_view name, Value& out) const {
    if (propertyTable().get(*this, name, out) || script::Component::getPublished(name, out))
        return true;
    // Break (menus are one column here), HelpContext and ImageIndex: what a new item has.
    for (const auto& [kept, initial] :
         {std::pair{"Break", Value("mbNone")}, std::pair{"HelpContext", Value(0)},
          std::pair{"ImageIndex", Value(-1)}})
        if (equalsNoCase(name, kept)) {
            out = initial;
            return true;
        }
    return false;
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

void MenuItem::setChecked(bool on) {
    action_->setCheckable(true);
    action_->setChecked(on);
    if (!on || !radioItem_) return;
    if (MenuItem* parent = parentItem())
        for (MenuItem* sibling : parent->items())
            if (sibling != this && sibling->radioItem_ && sibling->groupIndex_ == groupIndex_)
                sibling->action_->setChecked(false);
}

MenuItem* MenuItem::ofAction(const QAction* action) {
    return action ? static_cast<MenuItem*>(action->property(kItemOfAction).value<void*>())
                  : nullptr;
}

QWidget* MenuItem::list() const {
    if (ownList_) return ownList_.data();
    return submenu_.get();
}

std::vector<MenuItem*> MenuItem::items() const {
    std::vector<MenuItem*> out;
    if (QWidget* w = list())
        for (QAction* action : w->actions())
            if (MenuItem* item = ofAction(action)) out.push_back(item);
    return out;
}

MenuItem* MenuItem::item(std::int32_t index) const {
    const std::vector<MenuItem*> all = items();
    if (index < 0 || static_cast<std::size_t>(index) >= all.size())
        throw script::ScriptException(czech("Index položky nabídky je mimo rozsah (") +
                                      std::to_string(index) + ")");
    return all[static_cast<std::size_t>(index)];
}

std::int32_t MenuItem::indexOf(const MenuItem* item) const {
    const std::vector<MenuItem*> all = items();
    const auto it = std::find(all.begin(), all.end(), item);
    return it == all.end() ? -1 : static_cast<std::int32_t>(it - all.begin());
}

void MenuItem::insert(std::int32_t index, MenuItem& item) {
    if (&item == this || item.ownList_) return;
    if (MenuItem* before = item.parentItem()) before->remove(item);
    QWidget* into = ownList_ ? ownList_.data() : submenu();
    const std::vector<MenuItem*> all = items();
    QAction* next = index >= 0 && static_cast<std::size_t>(index) < all.size()
                        ? all[static_cast<std::size_t>(index)]->action()
                        : nullptr;
    into->insertAction(next, item.action());
    item.setParent(ownList_ ? menu_ : this);
}

void MenuItem::remove(MenuItem& item) {
    if (QWidget* w = list()) w->removeAction(item.action());
    if (item.parent() == this || (ownList_ && item.parent() == menu_)) item.setParent(nullptr);
}

void MenuItem::clear() {
    for (MenuItem* item : items()) {
        remove(*item);
        script::freeScriptObject(item);
    }
}

MenuItem* MenuItem::parentItem() const {
    script::Component* p = parent();
    if (auto* item = dynamic_cast<MenuItem*>(p)) return item;
    if (auto* bar = dynamic_cast<MainMenu*>(p)) return &bar->items();
    if (auto* popup = dynamic_cast<PopupMenu*>(p)) return &popup->items();
    return nullptr;
}

std::int32_t MenuItem::menuIndex() const {
    const MenuItem* parent = parentItem();
    return parent ? parent->indexOf(this) : -1;
}

void MenuItem::setMenuIndex(std::int32_t index) {
    if (MenuItem* parent = parentItem()) {
        if (QWidget* w = parent->list()) w->removeAction(action_.get());
        parent->insert(index, *this);
    }
}

} // namespace vorlan::forms
