#pragma once
// Trees: TTreeView, whose nodes scripts build and walk (Items.Add, AddChild, Item[I], Selected
// ...), and TOutline, whose items come from its Lines, a leading tab per level.

#include "ui/qt/forms/control.h"
#include "ui/qt/forms/form_class.h"
#include "ui/qt/forms/string_list.h"

#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <vector>

class QTreeWidget;
class QTreeWidgetItem;

namespace vorlan::forms {

class TreeView;

// One node of a tree view (TTreeNode). It lives as long as its item in the tree; a script that
// kept a node the tree has dropped gets an error, not a crash.
class TreeNode : public script::NativeObject {
public:
    TreeNode(TreeView& tree, QTreeWidgetItem* item)
        : NativeObject("TTreeNode"), tree_(tree), item_(item) {}
    QTreeWidgetItem* item() const { return item_; }
    TreeView& tree() const { return tree_; }

    std::string text() const;
    void setText(const std::string& text);
    int count() const;
    // The index-th child; raises the list index error outside.
    TreeNode* child(int index) const;
    TreeNode* parentNode() const;
    int level() const;
    // Among its siblings.
    int index() const;
    // Among all nodes, in the order Items[I] counts them.
    int absoluteIndex() const;
    bool expanded() const;
    void setExpanded(bool expanded);
    void expand(bool recurse);
    void collapse(bool recurse);
    bool selected() const;
    void setSelected(bool selected);
    // Frees the node and its children.
    void remove();

    // What a program keeps with the node (Data, an object or any value), and what it sets that
    // nothing draws here: the cut mark and the image numbers.
    script::Value data;
    bool cut = false;
    std::int32_t imageIndex = -1;
    std::int32_t selectedIndex = -1;
    std::int32_t overlayIndex = -1;
    std::int32_t stateIndex = -1;

private:
    TreeView& tree_;
    QTreeWidgetItem* item_;
};

// Items of a tree view (TTreeNodes).
class TreeNodes : public script::NativeObject {
public:
    explicit TreeNodes(TreeView& tree) : NativeObject("TTreeNodes"), tree_(tree) {}
    TreeView& tree() const { return tree_; }
    // As the last sibling of `sibling` (top level when null).
    TreeNode* add(TreeNode* sibling, const std::string& text);
    TreeNode* addFirst(TreeNode* sibling, const std::string& text);
    // As the last (first) child of `parent` (top level when null).
    TreeNode* addChild(TreeNode* parent, const std::string& text);
    TreeNode* addChildFirst(TreeNode* parent, const std::string& text);
    // Before `sibling`.
    TreeNode* insert(TreeNode* sibling, const std::string& text);
    // Every node counts, at any depth.
    int count() const;
    TreeNode* item(int index) const;
    TreeNode* firstNode() const;
    void clear();
    void remove(TreeNode* node);

private:
    TreeView& tree_;
};

class TreeView : public Control {
public:
    explicit TreeView(std::string cls);
    ~TreeView() override;
    // Items, Selected, ShowLines, ShowRoot, ReadOnly.
    static const PropertyTable& propertyTable();
    const PropertyTable& properties() const override { return propertyTable(); }
    QTreeWidget* tree() const;
    TreeNodes& items() { return *items_; }
    // The node of an item, made on first use.
    TreeNode* nodeOf(QTreeWidgetItem* item);
    // Every item in tree order (a parent before its children).
    std::vector<QTreeWidgetItem*> allItems() const;
    TreeNode* selected();
    void setSelected(TreeNode* node);
    void fullExpand();
    void fullCollapse();
    // Forgets the nodes of an item and its children before the item goes (OnDeletion).
    void forget(QTreeWidgetItem* item);
    // Fires `event` (Sender, Node) for the item's node.
    void fireItem(const char* event, QTreeWidgetItem* item);

private:
    std::unique_ptr<TreeNodes> items_;
    std::map<QTreeWidgetItem*, std::unique_ptr<TreeNode>> nodes_;
    QMetaObject::Connection rowsGone_;
};

// Lines with leading tabs as a tree; items count from 1 (SelectedItem 0: none).
class Outline : public Control {
public:
    explicit Outline(std::string cls);
    ~Outline() override;
    // Lines, SelectedItem, ItemCount.
    static const PropertyTable& propertyTable();
    const PropertyTable& properties() const override { return propertyTable(); }
    StringList& lines() { return *lines_; }
    int itemCount() const { return static_cast<int>(texts_.size()); }
    int selectedItem() const;
    void setSelectedItem(int index);
    // The text of item `index` (from 1) without its tabs, and its level (from 1).
    std::string itemText(int index) const;
    int itemLevel(int index) const;
    void fullExpand();
    void fullCollapse();

private:
    QTreeWidget* tree() const;
    void rebuild();
    std::vector<std::string> texts_;
    std::vector<QTreeWidgetItem*> items_;
    std::unique_ptr<StringList> lines_;
};

// TTreeView, TOutline and the parts of a tree view.
std::span<const FormClass> treeControlClasses();

} // namespace vorlan::forms
