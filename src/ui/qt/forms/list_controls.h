#pragma once
// Lists beyond the list box: TCheckListBox (a check box per item) and TListView (items with
// sub-items under captioned columns in the report style, a plain list in the others).

#include "ui/qt/forms/control.h"
#include "ui/qt/forms/form_class.h"
#include "ui/qt/forms/sections.h"
#include "ui/qt/forms/string_list.h"

#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

class QListWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace vorlan::forms {

class CheckListBox : public Control {
public:
    explicit CheckListBox(std::string cls);
    ~CheckListBox() override;
    // Items, ItemIndex.
    static const PropertyTable& propertyTable();
    const PropertyTable& properties() const override { return propertyTable(); }
    StringList& items() { return *items_; }
    // Checked[I] and State[I] (cbUnchecked, cbChecked, cbGrayed; 0, 1, 2 are read too); the
    // list index error outside the list.
    bool checked(int index) const;
    void setChecked(int index, bool checked);
    std::string state(int index) const;
    void setState(int index, const script::Value& state);

private:
    QListWidget* list() const;
    void checkIndex(int index) const;
    std::unique_ptr<StringList> items_;
};

class ListView;

// One item of a list view (TListItem): its caption and the texts of the further columns.
class ListItem : public script::NativeObject {
public:
    ListItem(ListView& view, QTreeWidgetItem* item);
    ~ListItem() override;
    QTreeWidgetItem* item() const { return item_; }
    std::string caption() const;
    void setCaption(const std::string& caption);
    StringList& subItems() { return *subItems_; }
    int index() const;
    bool selected() const;
    void setSelected(bool selected);
    void remove();
    ListView& view() const { return view_; }

    // What a program keeps with the item, and what nothing draws here.
    script::Value data;
    bool cut = false;
    bool dropTarget = false;
    std::int32_t imageIndex = -1;
    std::int32_t stateIndex = -1;

private:
    ListView& view_;
    QTreeWidgetItem* item_;
    std::vector<std::string> subTexts_;
    std::unique_ptr<StringList> subItems_;
};

// Items of a list view (TListItems).
class ListItems : public script::NativeObject {
public:
    explicit ListItems(ListView& view) : NativeObject("TListItems"), view_(view) {}
    ListView& view() const { return view_; }
    ListItem* add();
    ListItem* insert(int index);
    int count() const;
    ListItem* item(int index) const;
    void remove(int index);
    void clear();

private:
    ListView& view_;
};

class ListView : public Control {
public:
    explicit ListView(std::string cls);
    ~ListView() override;
    // Columns, Items, ViewStyle, Selected, ItemIndex, RowSelect, ReadOnly, ShowColumnHeaders.
    static const PropertyTable& propertyTable();
    const PropertyTable& properties() const override { return propertyTable(); }
    bool setPublished(std::string_view name, const script::Value& value) override;
    QTreeWidget* tree() const;
    SectionList& columns() { return *columns_; }
    ListItems& items() { return *items_; }
    ListItem* itemOf(QTreeWidgetItem* item);
    // Drops an item's object before the item goes (OnDeletion).
    void forget(QTreeWidgetItem* item);
    // Fires `event` (Sender, Item) for the item's object.
    void fireItem(const char* event, QTreeWidgetItem* item);
    ListItem* selected();
    void setSelected(ListItem* item);
    int itemIndex() const;
    void setItemIndex(int index);

private:
    void showColumns();
    void setViewStyle(const std::string& style);
    std::unique_ptr<SectionList> columns_;
    std::unique_ptr<ListItems> items_;
    std::map<QTreeWidgetItem*, std::unique_ptr<ListItem>> itemObjects_;
    std::string viewStyle_ = "vsIcon";
    QMetaObject::Connection rowsGone_;
};

// TCheckListBox, TListView and the parts of a list view.
std::span<const FormClass> listControlClasses();

} // namespace vorlan::forms
