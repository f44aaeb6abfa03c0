#include "ui/qt/forms/common_control_methods.h"

#include "script/bind.h"
#include "script/registry.h"
#include "ui/qt/forms/bar_controls.h"
#include "ui/qt/forms/list_controls.h"
#include "ui/qt/forms/range_controls.h"
#include "ui/qt/forms/rich_edit.h"
#include "ui/qt/forms/sections.h"
#include "ui/qt/forms/tree_controls.h"

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
    }
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

    ClassBinder<TreeView> tree(reg, "TTreeView");
    tree.bind("FullExpand", "procedure", &TreeView::fullExpand);
    tree.bind("FullCollapse", "procedure", &TreeView::fullCollapse);

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
