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

class QAction;
class QMenu;

namespace vorlan::forms {

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
    // Caption (- is a separator), Enabled, Visible, Checked, ShortCut.
    static const PropertyTable& propertyTable();
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

// TMenu, TMainMenu, TPopupMenu, TMenuItem.
std::span<const FormClass> menuClasses();

} // namespace vorlan::forms
