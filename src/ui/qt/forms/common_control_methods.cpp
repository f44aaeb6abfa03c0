#include "ui/qt/forms/common_control_methods.h"

#include "script/bind.h"
#include "script/comp_wrapper.h"
#include "script/registry.h"
#include "ui/qt/forms/bar_controls.h"
#include "ui/qt/forms/list_controls.h"
#include "ui/qt/forms/range_controls.h"
#include "ui/qt/forms/rich_edit.h"
#include "ui/qt/forms/sections.h"
#include "ui/qt/forms/tree_controls.h"
#include "ui/qt/qt_text.h"

#include <QTreeWidget>

#include <algorithm>
#include <string_view>
#include <tuple>
#include <vector>

namespace vorlan::forms {

using script::ClassBinder;
using script::Value;

namespace {

void bindRanges(script::Registry& reg) {
    ClassBinder<ProgressBar> bar(reg, "TProgressBar");
    bar.bind("StepIt", "procedure", &ProgressBar::stepIt);
    bar.bind("StepBy", "procedure(Delta: Integer)", &ProgressBar::stepBy);
}

void bindSections(script::Registry& reg) {
    for (const auto& [list, item] : {std::pair{"TStatusPanels", "TStatusPanel"},
                                     {"THeaderSections", "THeaderSection"},
                                     {"TListColumns", "TListColumn"}}) {
        ClassBinder<SectionList> l(reg, list);
        l.bind("Add", std::string("function: ") + item, [](SectionList& s) { return &s.add(); });
        l.bind("Clear", "procedure", &SectionList::clear);
        l.bind("Delete", "procedure(Index: Integer)", &SectionList::remove);
        l.property("Count", "Integer", &SectionList::count);
        l.defaultProperty("Items", item, [](SectionList& s, std::int32_t i) { return &s.at(i); });
        ClassBinder<Section> s(reg, item);
        s.property("Text", "string", &Section::text, &Section::setText);
        s.property("Caption", "string", &Section::text, &Section::setText);
        s.property("Width", "Integer", &Section::width, &Section::setWidth);
        s.property("Alignment", "string", &Section::alignment, &Section::setAlignment);
        s.property("Index", "Integer", &Section::index);
        l.bind("Insert", std::string("function(Index: Integer): ") + item,
               [](SectionList& parts, std::int32_t i) { return &parts.insert(i); });
        // Each change shows at once; grouping changes needs nothing.
        l.bind({"BeginUpdate", "EndUpdate"}, "procedure", [](SectionList&) {});
    }
    ClassBinder<Section> header(reg, "THeaderSection");
    header.property("Left", "Integer", &Section::left);
    header.property("Right", "Integer", [](Section& s) { return s.left() + s.width(); });
    // What nothing draws here, kept as given with the value a new item has.
    static constexpr std::tuple<const char*, const char*, std::int32_t> kept[] = {
        {"TStatusPanel", "Bevel", -1},     {"THeaderSection", "AllowClick", 1},
        {"THeaderSection", "AutoSize", 0}, {"THeaderSection", "MaxWidth", 10000},
        {"THeaderSection", "MinWidth", 0}, {"THeaderSection", "ImageIndex", -1},
        {"TListColumn", "AutoSize", 0},    {"TListColumn", "MaxWidth", 0},
        {"TListColumn", "MinWidth", 0},    {"TListColumn", "ImageIndex", -1},
    };
    for (const auto& entry : kept) {
        const char* name = std::get<1>(entry);
        const std::string_view which = name;
        const std::int32_t initial = std::get<2>(entry);
        // Bevel is a name (pbLowered); the switches are Booleans; the rest numbers.
        const Value start = which == "Bevel"                               ? Value("pbLowered")
                            : which == "AllowClick" || which == "AutoSize" ? Value(initial != 0)
                                                                           : Value(initial);
        ClassBinder<Section>(reg, std::get<0>(entry))
            .property(
                name, "Variant", [name, start](Section& s) { return s.kept(name, start); },
                [name](Section& s, const Value& v) { s.keep(name, v); });
    }
}

// An outline's items are its lines, a leading tab per level below the first; items count from
// 1 in line order, and an item's children are the deeper lines right after it.
int lineLevel(const std::string& line) {
    return static_cast<int>(line.find_first_not_of('\t') == std::string::npos
                                ? line.size()
                                : line.find_first_not_of('\t'));
}

// Where the lines of the item at `at` (from 0) and its children end.
std::size_t subtreeEnd(const std::vector<std::string>& lines, std::size_t at) {
    const int level = lineLevel(lines[at]);
    std::size_t end = at + 1;
    while (end < lines.size() && lineLevel(lines[end]) > level)
        ++end;
    return end;
}

enum class OutlinePlace { Sibling, Child, Before };

// Puts `text` in as a new item next to, under or before item `index` (0: a last top item); the
// new item's number.
std::int32_t addOutlineItem(Outline& o, std::int32_t index, const std::string& text,
                            OutlinePlace place) {
    std::vector<std::string> lines = o.lines().lines();
    const bool valid = index >= 1 && index <= static_cast<std::int32_t>(lines.size());
    std::size_t at = lines.size();
    int level = 0;
    if (valid) {
        const auto item = static_cast<std::size_t>(index - 1);
        level = lineLevel(lines[item]);
        if (place == OutlinePlace::Before) {
            at = item;
        } else if (place == OutlinePlace::Child) {
            at = subtreeEnd(lines, item);
            ++level;
        } else {
            // After the last item under the same parent.
            std::size_t parent = item;
            while (parent > 0 && lineLevel(lines[parent]) >= level)
                --parent;
            at = level == 0 || lineLevel(lines[parent]) >= level ? lines.size()
                                                                 : subtreeEnd(lines, parent);
        }
    }
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at),
                 std::string(static_cast<std::size_t>(level), '\t') + text);
    o.lines().setLines(lines);
    return static_cast<std::int32_t>(at) + 1;
}

void bindOutlineEditing(script::Registry& reg) {
    ClassBinder<Outline> outline(reg, "TOutline");
    for (const auto& way :
         {std::pair{"Add", OutlinePlace::Sibling}, std::pair{"AddChild", OutlinePlace::Child},
          std::pair{"Insert", OutlinePlace::Before}})
        outline.bind(way.first, "function(Index: Integer; Text: string): Integer",
                     [place = way.second](Outline& o, std::int32_t index, const std::string& text) {
                         return addOutlineItem(o, index, text, place);
                     });
    // Outline items keep no data here: the object given is not kept.
    for (const auto& way : {std::pair{"AddObject", OutlinePlace::Sibling},
                            std::pair{"AddChildObject", OutlinePlace::Child}})
        outline.bind(
            way.first, "function(Index: Integer; Text: string; Data: Variant): Integer",
            [place = way.second](Outline& o, std::int32_t index, const std::string& text,
                                 const Value&) { return addOutlineItem(o, index, text, place); });
    outline.bind("Delete", "procedure(Index: Integer)", [](Outline& o, std::int32_t index) {
        std::vector<std::string> lines = o.lines().lines();
        if (index < 1 || index > static_cast<std::int32_t>(lines.size())) return;
        const auto at = static_cast<std::size_t>(index - 1);
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at),
                    lines.begin() + static_cast<std::ptrdiff_t>(subtreeEnd(lines, at)));
        o.lines().setLines(lines);
    });
    outline.bind("Clear", "procedure", [](Outline& o) { o.lines().setLines({}); });
    // The number of the first item with the text; 0 when none has it.
    outline.bind("GetTextItem", "function(Value: string): Integer",
                 [](Outline& o, const std::string& text) -> std::int32_t {
                     for (int i = 1; i <= o.itemCount(); ++i)
                         if (o.itemText(i) == text) return i;
                     return 0;
                 });
    outline.bind("LoadFromFile", "procedure(FileName: string)",
                 [](Outline& o, std::string_view name) { o.lines().loadFromFile(name); });
    outline.bind("SaveToFile", "procedure(FileName: string)",
                 [](Outline& o, std::string_view name) { o.lines().saveToFile(name); });
    outline.bind("BeginUpdate", "procedure", [](Outline& o) {
        if (QWidget* w = o.widget()) w->setUpdatesEnabled(false);
    });
    outline.bind("EndUpdate", "procedure", [](Outline& o) {
        if (QWidget* w = o.widget()) w->setUpdatesEnabled(true);
    });
}

void bindTrees(script::Registry& reg) {
    ClassBinder<TreeNodes> nodes(reg, "TTreeNodes");
    nodes.bind("Add", "function(Sibling: TTreeNode; S: string): TTreeNode", &TreeNodes::add);
    nodes.bind("AddFirst", "function(Sibling: TTreeNode; S: string): TTreeNode",
               &TreeNodes::addFirst);
    nodes.bind("AddChild", "function(Parent: TTreeNode; S: string): TTreeNode",
               &TreeNodes::addChild);
    nodes.bind("AddChildFirst", "function(Parent: TTreeNode; S: string): TTreeNode",
               &TreeNodes::addChildFirst);
    nodes.bind("Insert", "function(Sibling: TTreeNode; S: string): TTreeNode", &TreeNodes::insert);
    nodes.bind("Delete", "procedure(Node: TTreeNode)", &TreeNodes::remove);
    nodes.bind("Clear", "procedure", &TreeNodes::clear);
    nodes.bind("GetFirstNode", "function: TTreeNode", &TreeNodes::firstNode);
    nodes.property("Count", "Integer", &TreeNodes::count);
    nodes.defaultProperty("Item", "TTreeNode", &TreeNodes::item);

    ClassBinder<TreeNode> node(reg, "TTreeNode");
    node.property("Text", "string", &TreeNode::text, &TreeNode::setText);
    node.property("Count", "Integer", &TreeNode::count);
    node.defaultProperty("Item", "TTreeNode", &TreeNode::child);
    node.property("Parent", "TTreeNode", &TreeNode::parentNode);
    node.property("Level", "Integer", &TreeNode::level);
    node.property("Index", "Integer", &TreeNode::index);
    node.property("AbsoluteIndex", "Integer", &TreeNode::absoluteIndex);
    node.property("HasChildren", "Boolean", [](TreeNode& n) { return n.count() > 0; });
    node.property("Expanded", "Boolean", &TreeNode::expanded, &TreeNode::setExpanded);
    node.property("Selected", "Boolean", &TreeNode::selected, &TreeNode::setSelected);
    node.bind("Expand", "procedure(Recurse: Boolean)", &TreeNode::expand);
    node.bind("Collapse", "procedure(Recurse: Boolean)", &TreeNode::collapse);
    node.bind("Delete", "procedure", &TreeNode::remove);
    node.bind("GetFirstChild", "function: TTreeNode",
              [](TreeNode& n) { return n.count() > 0 ? n.child(0) : nullptr; });

    // Walking the tree from a node: siblings, children, tree order and what is shown.
    const auto sibling = [](TreeNode& n, int step) -> TreeNode* {
        QTreeWidgetItem* item = n.item();
        QTreeWidget* t = n.tree().tree();
        if (!t) return nullptr;
        QTreeWidgetItem* parent = item->parent();
        const int i = (parent ? parent->indexOfChild(item) : t->indexOfTopLevelItem(item)) + step;
        QTreeWidgetItem* next = parent ? parent->child(i) : t->topLevelItem(i);
        return next ? n.tree().nodeOf(next) : nullptr;
    };
    const auto inOrder = [](TreeNode& n, int step) -> TreeNode* {
        const std::vector<QTreeWidgetItem*> all = n.tree().allItems();
        const auto it = std::find(all.begin(), all.end(), n.item());
        if (it == all.end()) return nullptr;
        const auto at = (it - all.begin()) + step;
        return at >= 0 && at < static_cast<std::ptrdiff_t>(all.size())
                   ? n.tree().nodeOf(all[static_cast<std::size_t>(at)])
                   : nullptr;
    };
    const auto shown = [](TreeNode& n, bool below) -> TreeNode* {
        QTreeWidget* t = n.tree().tree();
        QTreeWidgetItem* next = !t      ? nullptr
                                : below ? t->itemBelow(n.item())
                                        : t->itemAbove(n.item());
        return next ? n.tree().nodeOf(next) : nullptr;
    };
    node.bind("GetNextSibling", "function: TTreeNode",
              [sibling](TreeNode& n) { return sibling(n, 1); });
    node.bind("GetPrevSibling", "function: TTreeNode",
              [sibling](TreeNode& n) { return sibling(n, -1); });
    node.bind("GetNext", "function: TTreeNode", [inOrder](TreeNode& n) { return inOrder(n, 1); });
    node.bind("GetPrev", "function: TTreeNode", [inOrder](TreeNode& n) { return inOrder(n, -1); });
    node.bind("GetNextVisible", "function: TTreeNode",
              [shown](TreeNode& n) { return shown(n, true); });
    node.bind("GetPrevVisible", "function: TTreeNode",
              [shown](TreeNode& n) { return shown(n, false); });
    node.bind("GetNextChild", "function(Value: TTreeNode): TTreeNode",
              [sibling](TreeNode&, const Value& v) {
                  TreeNode* child = script::nativeAs<TreeNode>(v);
                  return child ? sibling(*child, 1) : nullptr;
              });
    node.bind("GetPrevChild", "function(Value: TTreeNode): TTreeNode",
              [sibling](TreeNode&, const Value& v) {
                  TreeNode* child = script::nativeAs<TreeNode>(v);
                  return child ? sibling(*child, -1) : nullptr;
              });
    node.bind("GetLastChild", "function: TTreeNode",
              [](TreeNode& n) { return n.count() > 0 ? n.child(n.count() - 1) : nullptr; });
    node.bind("HasAsParent", "function(Value: TTreeNode): Boolean",
              [](TreeNode& n, const Value& v) {
                  TreeNode* parent = script::nativeAs<TreeNode>(v);
                  for (QTreeWidgetItem* up = n.item()->parent(); parent && up; up = up->parent())
                      if (up == parent->item()) return true;
                  return false;
              });
    node.bind("IndexOf", "function(Value: TTreeNode): Integer", [](TreeNode& n, const Value& v) {
        TreeNode* child = script::nativeAs<TreeNode>(v);
        return child ? n.item()->indexOfChild(child->item()) : -1;
    });
    node.property("IsVisible", "Boolean", [](TreeNode& n) {
        for (QTreeWidgetItem* up = n.item()->parent(); up; up = up->parent())
            if (!up->isExpanded()) return false;
        return !n.item()->isHidden();
    });
    node.bind("MakeVisible", "procedure", [](TreeNode& n) {
        for (QTreeWidgetItem* up = n.item()->parent(); up; up = up->parent())
            up->setExpanded(true);
        if (QTreeWidget* t = n.tree().tree()) t->scrollToItem(n.item());
    });
    node.property(
        "Focused", "Boolean",
        [](TreeNode& n) { return n.tree().tree() && n.tree().tree()->currentItem() == n.item(); },
        [](TreeNode& n, bool on) {
            if (on && n.tree().tree()) n.tree().tree()->setCurrentItem(n.item());
        });
    node.bind("AlphaSort", "procedure",
              [](TreeNode& n) { n.item()->sortChildren(0, Qt::AscendingOrder); });
    node.bind("DeleteChildren", "procedure", [](TreeNode& n) {
        while (n.count() > 0)
            n.child(n.count() - 1)->remove();
    });
    // Moves the node (with its children) next to or under `Destination`.
    node.bind(
        "MoveTo", "procedure(Destination: TTreeNode; Mode: Integer)",
        [](TreeNode& n, const Value& destination, std::int32_t mode) {
            QTreeWidget* t = n.tree().tree();
            TreeNode* to = script::nativeAs<TreeNode>(destination);
            if (!t || to == &n) return;
            for (QTreeWidgetItem* up = to ? to->item() : nullptr; up; up = up->parent())
                if (up == n.item()) return; // not into itself
            QTreeWidgetItem* item = n.item();
            const bool wasCurrent = t->currentItem() == item;
            if (QTreeWidgetItem* parent = item->parent())
                parent->removeChild(item);
            else
                (void)t->takeTopLevelItem(t->indexOfTopLevelItem(item));
            const bool asChild = mode == 2 || mode == 3;
            QTreeWidgetItem* parent = !to ? nullptr : asChild ? to->item() : to->item()->parent();
            int at = -1;
            if (mode == 1 || mode == 3) at = 0;
            if (mode == 4 && to)
                at = parent ? parent->indexOfChild(to->item()) : t->indexOfTopLevelItem(to->item());
            const int size = parent ? parent->childCount() : t->topLevelItemCount();
            if (at < 0 || at > size) at = size;
            if (parent)
                parent->insertChild(at, item);
            else
                t->insertTopLevelItem(at, item);
            if (wasCurrent) t->setCurrentItem(item);
        });
    node.property("Owner", "TTreeNodes", [](TreeNode& n) { return &n.tree().items(); });
    node.property("TreeView", "TTreeView", [](TreeNode& n) { return &n.tree(); });
    node.property("Deleting", "Boolean", [](TreeNode&) { return false; });
    node.property(
        "Data", "Variant", [](TreeNode& n) { return n.data; },
        [](TreeNode& n, const Value& v) { n.data = v; });
    node.property(
        "Cut", "Boolean", [](TreeNode& n) { return n.cut; },
        [](TreeNode& n, bool v) { n.cut = v; });
    for (const auto& number : {std::pair{"ImageIndex", &TreeNode::imageIndex},
                               std::pair{"SelectedIndex", &TreeNode::selectedIndex},
                               std::pair{"OverlayIndex", &TreeNode::overlayIndex},
                               std::pair{"StateIndex", &TreeNode::stateIndex}})
        node.property(
            number.first, "Integer", [field = number.second](TreeNode& n) { return n.*field; },
            [field = number.second](TreeNode& n, std::int32_t v) { n.*field = v; });

    // The Object variants of Add keep the value as the new node's Data.
    using AddNode = TreeNode* (TreeNodes::*)(TreeNode*, const std::string&);
    for (const auto& variant :
         {std::pair{"AddObject", AddNode{&TreeNodes::add}},
          std::pair{"AddObjectFirst", AddNode{&TreeNodes::addFirst}},
          std::pair{"AddChildObject", AddNode{&TreeNodes::addChild}},
          std::pair{"AddChildObjectFirst", AddNode{&TreeNodes::addChildFirst}},
          std::pair{"InsertObject", AddNode{&TreeNodes::insert}}})
        nodes.bind(variant.first, "function(Node: TTreeNode; S: string; Ptr: Variant): TTreeNode",
                   [add = variant.second](TreeNodes& all, const Value& at, const std::string& text,
                                          const Value& data) {
                       TreeNode* made = (all.*add)(script::nativeAs<TreeNode>(at), text);
                       if (made) made->data = data;
                       return made;
                   });
    nodes.property("Owner", "TTreeView", [](TreeNodes& all) { return &all.tree(); });
    // Changes inside BeginUpdate ... EndUpdate are drawn once at the end.
    nodes.bind("BeginUpdate", "procedure", [](TreeNodes& all) {
        if (QTreeWidget* t = all.tree().tree()) t->setUpdatesEnabled(false);
    });
    nodes.bind("EndUpdate", "procedure", [](TreeNodes& all) {
        if (QTreeWidget* t = all.tree().tree()) t->setUpdatesEnabled(true);
    });

    ClassBinder<TreeView> tree(reg, "TTreeView");
    tree.bind("AlphaSort", "procedure", [](TreeView& v) {
        if (QTreeWidget* t = v.tree()) t->sortItems(0, Qt::AscendingOrder);
    });
    tree.bind("GetNodeAt", "function(X, Y: Integer): TTreeNode",
              [](TreeView& v, std::int32_t x, std::int32_t y) -> TreeNode* {
                  QTreeWidget* t = v.tree();
                  if (!t) return nullptr;
                  QTreeWidgetItem* item = t->itemAt(t->viewport()->mapFrom(t, QPoint(x, y)));
                  return item ? v.nodeOf(item) : nullptr;
              });
    tree.property(
        "TopItem", "TTreeNode",
        [](TreeView& v) -> TreeNode* {
            QTreeWidget* t = v.tree();
            QTreeWidgetItem* item = t ? t->itemAt(2, 2) : nullptr;
            return item ? v.nodeOf(item) : nullptr;
        },
        [](TreeView& v, const Value& target) {
            if (TreeNode* n = script::nativeAs<TreeNode>(target); n && v.tree())
                v.tree()->scrollToItem(n->item(), QAbstractItemView::PositionAtTop);
        });
    tree.bind("FullExpand", "procedure", &TreeView::fullExpand);
    tree.bind("FullCollapse", "procedure", &TreeView::fullCollapse);

    bindOutlineEditing(reg);
    ClassBinder<Outline> outline(reg, "TOutline");
    outline.bind("FullExpand", "procedure", &Outline::fullExpand);
    outline.bind("FullCollapse", "procedure", &Outline::fullCollapse);
    outline.property("ItemText", "string", &Outline::itemText);
    outline.property("ItemLevel", "Integer", &Outline::itemLevel);
}

void bindLists(script::Registry& reg) {
    ClassBinder<CheckListBox> checks(reg, "TCheckListBox");
    checks.property("Checked", "Boolean", &CheckListBox::checked, &CheckListBox::setChecked);
    checks.property("State", "Variant", &CheckListBox::state, &CheckListBox::setState);

    ClassBinder<ListItems> items(reg, "TListItems");
    items.bind("Add", "function: TListItem", &ListItems::add);
    items.bind("Insert", "function(Index: Integer): TListItem", &ListItems::insert);
    items.bind("Delete", "procedure(Index: Integer)", &ListItems::remove);
    items.bind("Clear", "procedure", &ListItems::clear);
    items.property("Count", "Integer", &ListItems::count);
    items.defaultProperty("Item", "TListItem", &ListItems::item);

    ClassBinder<ListItem> item(reg, "TListItem");
    item.property("Caption", "string", &ListItem::caption, &ListItem::setCaption);
    item.property("SubItems", "TStrings", [](ListItem& i) { return &i.subItems(); });
    item.property("Index", "Integer", &ListItem::index);
    item.property("Selected", "Boolean", &ListItem::selected, &ListItem::setSelected);
    item.bind("Delete", "procedure", &ListItem::remove);
    // A check box before the caption once a program checks or unchecks the item.
    item.property(
        "Checked", "Boolean", [](ListItem& i) { return i.item()->checkState(0) == Qt::Checked; },
        [](ListItem& i, bool on) { i.item()->setCheckState(0, on ? Qt::Checked : Qt::Unchecked); });
    item.property(
        "Focused", "Boolean",
        [](ListItem& i) { return i.view().tree() && i.view().tree()->currentItem() == i.item(); },
        [](ListItem& i, bool on) {
            if (on && i.view().tree()) i.view().tree()->setCurrentItem(i.item());
        });
    item.property("Left", "Integer", [](ListItem& i) {
        QTreeWidget* t = i.view().tree();
        return t ? t->visualItemRect(i.item()).left() : 0;
    });
    item.property("Top", "Integer", [](ListItem& i) {
        QTreeWidget* t = i.view().tree();
        return t ? t->visualItemRect(i.item()).top() : 0;
    });
    item.bind("MakeVisible", "procedure(PartialOK: Boolean)", [](ListItem& i, bool) {
        if (QTreeWidget* t = i.view().tree()) t->scrollToItem(i.item());
    });
    // The caption becomes editable where the item is shown.
    item.bind("EditCaption", "function: Boolean", [](ListItem& i) {
        QTreeWidget* t = i.view().tree();
        if (!t) return false;
        i.item()->setFlags(i.item()->flags() | Qt::ItemIsEditable);
        t->editItem(i.item(), 0);
        return true;
    });
    item.property("Owner", "TListItems", [](ListItem& i) { return &i.view().items(); });
    item.property("Deleting", "Boolean", [](ListItem&) { return false; });
    item.property(
        "Data", "Variant", [](ListItem& i) { return i.data; },
        [](ListItem& i, const Value& v) { i.data = v; });
    item.property(
        "Cut", "Boolean", [](ListItem& i) { return i.cut; },
        [](ListItem& i, bool v) { i.cut = v; });
    item.property(
        "DropTarget", "Boolean", [](ListItem& i) { return i.dropTarget; },
        [](ListItem& i, bool v) { i.dropTarget = v; });
    item.property(
        "ImageIndex", "Integer", [](ListItem& i) { return i.imageIndex; },
        [](ListItem& i, std::int32_t v) { i.imageIndex = v; });
    item.property(
        "StateIndex", "Integer", [](ListItem& i) { return i.stateIndex; },
        [](ListItem& i, std::int32_t v) { i.stateIndex = v; });

    items.property("Owner", "TListView", [](ListItems& all) { return &all.view(); });
    items.bind("IndexOf", "function(Value: TListItem): Integer",
               [](ListItems&, const Value& v) -> std::int32_t {
                   ListItem* i = script::nativeAs<ListItem>(v);
                   return i ? i->index() : -1;
               });
    items.bind("BeginUpdate", "procedure", [](ListItems& all) {
        if (QTreeWidget* t = all.view().tree()) t->setUpdatesEnabled(false);
    });
    items.bind("EndUpdate", "procedure", [](ListItems& all) {
        if (QTreeWidget* t = all.view().tree()) t->setUpdatesEnabled(true);
    });

    ClassBinder<ListView> view(reg, "TListView");
    view.bind("AlphaSort", "function: Boolean", [](ListView& v) {
        if (QTreeWidget* t = v.tree()) t->sortItems(0, Qt::AscendingOrder);
        return true;
    });
    view.bind("GetItemAt", "function(X, Y: Integer): TListItem",
              [](ListView& v, std::int32_t x, std::int32_t y) -> ListItem* {
                  QTreeWidget* t = v.tree();
                  QTreeWidgetItem* hit =
                      t ? t->itemAt(t->viewport()->mapFrom(t, QPoint(x, y))) : nullptr;
                  return hit ? v.itemOf(hit) : nullptr;
              });
    view.property(
        "ItemFocused", "TListItem",
        [](ListView& v) -> ListItem* {
            QTreeWidget* t = v.tree();
            return t && t->currentItem() ? v.itemOf(t->currentItem()) : nullptr;
        },
        [](ListView& v, const Value& target) {
            if (ListItem* i = script::nativeAs<ListItem>(target); i && v.tree())
                v.tree()->setCurrentItem(i->item());
        });
    view.property("TopItem", "TListItem", [](ListView& v) -> ListItem* {
        QTreeWidget* t = v.tree();
        QTreeWidgetItem* top = t ? t->itemAt(2, 2) : nullptr;
        return top ? v.itemOf(top) : nullptr;
    });
    // The first item from StartIndex (after it unless Inclusive) whose caption is Value, or
    // begins with it when Partial; round to the start again with Wrap.
    view.bind("FindCaption",
              "function(StartIndex: Integer; Value: string; Partial, Inclusive, Wrap: Boolean): "
              "TListItem",
              [](ListView& v, std::int32_t start, const std::string& text, bool partial,
                 bool inclusive, bool wrap) -> ListItem* {
                  QTreeWidget* t = v.tree();
                  if (!t) return nullptr;
                  const int n = t->topLevelItemCount();
                  const QString wanted = qt::fromEngine(text);
                  for (int k = 0; k < n; ++k) {
                      int i = start + k + (inclusive ? 0 : 1);
                      if (i >= n) {
                          if (!wrap) return nullptr;
                          i %= n;
                      }
                      if (i < 0) continue;
                      const QString caption = t->topLevelItem(i)->text(0);
                      if (partial ? caption.startsWith(wanted, Qt::CaseInsensitive)
                                  : caption.compare(wanted, Qt::CaseInsensitive) == 0)
                          return v.itemOf(t->topLevelItem(i));
                  }
                  return nullptr;
              });
}

void bindRichEdit(script::Registry& reg) {
    ClassBinder<RichEditLines> lines(reg, "TRichEditStrings");
    lines.bind("LoadFromFile", "procedure(FileName: string)",
               [](RichEditLines& l, std::string_view name) { l.edit().loadFromFile(name); });
    lines.bind("SaveToFile", "procedure(FileName: string)",
               [](RichEditLines& l, std::string_view name) { l.edit().saveToFile(name); });
}

void bindConstants(script::Registry& reg) {
    // Enumerations read by name where forms store them.
    static constexpr const char* const enums[] = {
        "cbUnchecked", "cbChecked",    "cbGrayed",   "vsIcon",       "vsSmallIcon",
        "vsList",      "vsReport",     "dtkDate",    "dtkTime",      "pbHorizontal",
        "pbVertical",  "trHorizontal", "trVertical", "udHorizontal", "udVertical"};
    for (const char* name : enums)
        reg.registerConst(name, Value(name));
    // The arrow an up-down's OnClick names, and what a list view's OnChange says changed.
    // Where TTreeNode.MoveTo puts a node.
    static constexpr const char* moves[] = {"naAdd", "naAddFirst", "naAddChild", "naAddChildFirst",
                                            "naInsert"};
    for (std::size_t i = 0; i < std::size(moves); ++i)
        reg.registerConst(moves[i], Value(static_cast<std::int32_t>(i)));
    reg.registerConst("btNext", Value(0));
    reg.registerConst("btPrev", Value(1));
    reg.registerConst("ctText", Value(0));
    reg.registerConst("ctImage", Value(1));
    reg.registerConst("ctState", Value(2));
}

} // namespace

void registerCommonControlMethods(script::Registry& reg) {
    bindRanges(reg);
    bindSections(reg);
    bindTrees(reg);
    bindLists(reg);
    bindRichEdit(reg);
    bindConstants(reg);
}

} // namespace vorlan::forms
