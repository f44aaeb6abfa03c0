#pragma once
// Menus of a form: the main menu (a menu bar above the client area), popup menus shown over the
// controls that name them, and the menu items inside both.

#include "script/component.h"
#include "ui/qt/forms/form_class.h"
#include "ui/qt/forms/property_table.h"

#include <QMenuBar>
#include <QPointer>

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

class QAction;
class QMenu;

namespace vorlan::forms {

class MenuItem;

// A form's main menu: a menu bar above the client area once the form is read.
class MainMenu : public script::Component {
public:
    MainMenu();
    ~MainMenu() override;
    QMenuBar* bar() const { return bar_.data(); }
    // The item whose items are the bar's (Items).
    MenuItem& items() { return *items_; }
    // The top items of another form's main menu join this bar after its own, until Unmerge.
    void merge(MainMenu& other);
    void unmerge(MainMenu& other);

private:
    QPointer<QMenuBar> bar_;
    std::unique_ptr<MenuItem> items_;
    std::vector<QAction*> merged_;
};

// A menu shown where the user asks for it: over a control whose PopupMenu names it, or by
// its Popup(X, Y) method. Its items are the menu items stored inside it.
class PopupMenu : public script::Component {
public:
    PopupMenu();
    ~PopupMenu() override;
    QMenu* menu() const { return menu_.get(); }
    MenuItem& items() { return *items_; }
    // Fires OnPopup, then shows the menu at the screen position; returns at once.
    void popup(const QPoint& globalPos);
    // The control whose right click showed the menu last (PopupComponent).
    script::Value popupComponent;

private:
    std::unique_ptr<QMenu> menu_;
    std::unique_ptr<MenuItem> items_;
};

// One command of a menu; the items stored inside it make its submenu.
class MenuItem : public script::Component {
public:
    MenuItem();
    // The item that stands for a menu's own list (a menu's Items): its items are `list`'s.
    MenuItem(QWidget* list, script::Component& menu);
    ~MenuItem() override;
    // Caption (- is a separator), Enabled, Visible, Checked, ShortCut, RadioItem, GroupIndex,
    // Default, Hint; Break, HelpContext and ImageIndex kept as given.
    static const PropertyTable& propertyTable();
    bool getPublished(std::string_view name, script::Value& out) const override;
    bool setPublished(std::string_view name, const script::Value& value) override;
    QAction* action() const { return action_.get(); }
    QMenu* submenu();
    void click();

    // The items inside this one, in the order the menu shows them.
    std::vector<MenuItem*> items() const;
    MenuItem* item(std::int32_t index) const;
    std::int32_t indexOf(const MenuItem* item) const;
    // Puts `item` in at `index` (at the end when it is past the end); it leaves the menu it was
    // in.
    void insert(std::int32_t index, MenuItem& item);
    // Takes the item out without freeing it.
    void remove(MenuItem& item);
    // Frees every item inside.
    void clear();
    // The item this one is in (a menu's list for a top item); null when in none.
    MenuItem* parentItem() const;
    std::int32_t menuIndex() const;
    void setMenuIndex(std::int32_t index);
    // The item of an action of a menu; null for actions no item made.
    static MenuItem* ofAction(const QAction* action);

private:
    // Where the items inside are: the submenu, or the menu's own list.
    QWidget* list() const;
    void setChecked(bool on);

    std::unique_ptr<QMenu> submenu_;
    std::unique_ptr<QAction> action_;
    QPointer<QWidget> ownList_; // a menu's list: the bar or the popup menu
    script::Component* menu_ = nullptr;
    std::string caption_;
    std::int32_t shortCut_ = 0;
    std::int32_t groupIndex_ = 0;
    bool radioItem_ = false;
    bool default_ = false;
};

// TMenu, TMainMenu, TPopupMenu, TMenuItem.
std::span<const FormClass> menuClasses();

} // namespace vorlan::forms
