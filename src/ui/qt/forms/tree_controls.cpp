#include "ui/qt/forms/tree_controls.h"
#include "core/cp1250.h"

#include "script/comp_wrapper.h"
#include "script/dispatch.h"
#include "ui/qt/forms/form_values.h"
#include "ui/qt/qt_text.h"

#include <QAbstractItemDelegate>
#include <QHeaderView>
#include <QTreeWidget>

#include <algorithm>

#include <functional>

namespace vorlan::forms {

using script::Value;

namespace {

[[noreturn]] void indexError(int index) {
    throw script::ScriptException(czech("Index seznamu je mimo rozsah (") + std::to_string(index) +
                                  ")");
}

// A node given to a tree must be one of its own: another tree's node would tie the two trees'
// items together.
void checkOwnNode(const TreeView& tree, const TreeNode* node) {
    if (node && &node->tree() != &tree)
        throw script::ScriptException(czech("Uzel patří jinému stromu"));
}

QTreeWidgetItem* newItem(const std::string& text) {
    auto* item = new QTreeWidgetItem;
    item->setText(0, qt::fromEngine(text));
    return item;
}

// Puts a made item under `parent` (the top level when null) at `at` (-1: at the end).
void place(QTreeWidget& tree, QTreeWidgetItem* parent, QTreeWidgetItem* item, int at) {
    if (parent) {
        parent->insertChild(at < 0 ? parent->childCount() : at, item);
    } else {
        tree.insertTopLevelItem(at < 0 ? tree.topLevelItemCount() : at, item);
    }
}

void walk(QTreeWidgetItem* item, const std::function<void(QTreeWidgetItem*)>& visit) {
    visit(item);
    for (int i = 0; i < item->childCount(); ++i)
        walk(item->child(i), visit);
}

} // namespace

// ---- TreeNode

std::string TreeNode::text() const {
    return qt::toEngine(item_->text(0));
}

void TreeNode::setText(const std::string& text) {
    item_->setText(0, qt::fromEngine(text));
}

int TreeNode::count() const {
    return item_->childCount();
}

TreeNode* TreeNode::child(int index) const {
    if (index < 0 || index >= count()) indexError(index);
    return tree_.nodeOf(item_->child(index));
}

TreeNode* TreeNode::parentNode() const {
    return item_->parent() ? tree_.nodeOf(item_->parent()) : nullptr;
}

int TreeNode::level() const {
    int level = 0;
    for (QTreeWidgetItem* p = item_->parent(); p; p = p->parent())
        ++level;
    return level;
}

int TreeNode::index() const {
    if (QTreeWidgetItem* p = item_->parent()) return p->indexOfChild(item_);
    return tree_.tree() ? tree_.tree()->indexOfTopLevelItem(item_) : -1;
}

int TreeNode::absoluteIndex() const {
    const auto all = tree_.allItems();
    for (std::size_t i = 0; i < all.size(); ++i)
        if (all[i] == item_) return static_cast<int>(i);
    return -1;
}

bool TreeNode::expanded() const {
    return item_->isExpanded();
}

void TreeNode::setExpanded(bool expanded) {
    item_->setExpanded(expanded);
}

void TreeNode::expand(bool recurse) {
    if (recurse)
        walk(item_, [](QTreeWidgetItem* i) { i->setExpanded(true); });
    else
        item_->setExpanded(true);
}

void TreeNode::collapse(bool recurse) {
    if (recurse)
        walk(item_, [](QTreeWidgetItem* i) { i->setExpanded(false); });
    else
        item_->setExpanded(false);
}

bool TreeNode::selected() const {
    return tree_.tree() && tree_.tree()->currentItem() == item_;
}

void TreeNode::setSelected(bool selected) {
    if (selected)
        tree_.setSelected(this);
    else if (this->selected())
        tree_.setSelected(nullptr);
}

void TreeNode::remove() {
    tree_.items().remove(this);
}

// ---- TreeNodes

TreeNode* TreeNodes::add(TreeNode* sibling, const std::string& text) {
    checkOwnNode(tree_, sibling);
    QTreeWidget* t = tree_.tree();
    if (!t) return nullptr;
    QTreeWidgetItem* item = newItem(text);
    place(*t, sibling ? sibling->item()->parent() : nullptr, item, -1);
    return tree_.nodeOf(item);
}

TreeNode* TreeNodes::addFirst(TreeNode* sibling, const std::string& text) {
    checkOwnNode(tree_, sibling);
    QTreeWidget* t = tree_.tree();
    if (!t) return nullptr;
    QTreeWidgetItem* item = newItem(text);
    place(*t, sibling ? sibling->item()->parent() : nullptr, item, 0);
    return tree_.nodeOf(item);
}

TreeNode* TreeNodes::addChild(TreeNode* parent, const std::string& text) {
    checkOwnNode(tree_, parent);
    QTreeWidget* t = tree_.tree();
    if (!t) return nullptr;
    QTreeWidgetItem* item = newItem(text);
    place(*t, parent ? parent->item() : nullptr, item, -1);
    return tree_.nodeOf(item);
}

TreeNode* TreeNodes::addChildFirst(TreeNode* parent, const std::string& text) {
    checkOwnNode(tree_, parent);
    QTreeWidget* t = tree_.tree();
    if (!t) return nullptr;
    QTreeWidgetItem* item = newItem(text);
    place(*t, parent ? parent->item() : nullptr, item, 0);
    return tree_.nodeOf(item);
}

TreeNode* TreeNodes::insert(TreeNode* sibling, const std::string& text) {
    checkOwnNode(tree_, sibling);
    if (!sibling) return add(nullptr, text);
    QTreeWidget* t = tree_.tree();
    if (!t) return nullptr;
    QTreeWidgetItem* item = newItem(text);
    place(*t, sibling->item()->parent(), item, sibling->index());
    return tree_.nodeOf(item);
}

int TreeNodes::count() const {
    return static_cast<int>(tree_.allItems().size());
}

TreeNode* TreeNodes::item(int index) const {
    const auto all = tree_.allItems();
    if (index < 0 || index >= static_cast<int>(all.size())) indexError(index);
    return tree_.nodeOf(all[static_cast<std::size_t>(index)]);
}

TreeNode* TreeNodes::firstNode() const {
    QTreeWidget* t = tree_.tree();
    return t && t->topLevelItemCount() > 0 ? tree_.nodeOf(t->topLevelItem(0)) : nullptr;
}

void TreeNodes::clear() {
    QTreeWidget* t = tree_.tree();
    if (!t) return;
    while (t->topLevelItemCount() > 0) {
        QTreeWidgetItem* item = t->topLevelItem(0);
        tree_.forget(item);
        delete item;
    }
}

void TreeNodes::remove(TreeNode* node) {
    checkOwnNode(tree_, node);
    if (!node) return;
    QTreeWidgetItem* item = node->item();
    // `node` goes with its item.
    tree_.forget(item);
    delete item;
}

// ---- TreeView

TreeView::TreeView(std::string cls)
    : Control(std::move(cls), new QTreeWidget), items_(std::make_unique<TreeNodes>(*this)) {
    // Nodes point into the widget's rows: they go when the widget does.
    rowsGone_ = QObject::connect(tree(), &QObject::destroyed, [this] { nodes_.clear(); });
    tree()->setHeaderHidden(true);
    tree()->setColumnCount(1);
    watch(tree()->viewport());
    QObject::connect(tree(), &QTreeWidget::currentItemChanged, tree(),
                     guarded([this](QTreeWidgetItem* now, QTreeWidgetItem*) {
                         if (quiet()) return;
                         Value args[2] = {Value(script::wrapObject(this)),
                                          now ? Value(script::wrapObject(nodeOf(now)))
                                              : Value::null()};
                         fireEvent("OnChange", args);
                     }));
    QObject::connect(tree(), &QTreeWidget::itemClicked, tree(),
                     guarded([this](QTreeWidgetItem*, int) { fire("OnClick"); }));
    QObject::connect(tree(), &QTreeWidget::itemExpanded, tree(),
                     guarded([this](QTreeWidgetItem* item) { fireItem("OnExpanded", item); }));
    QObject::connect(tree(), &QTreeWidget::itemCollapsed, tree(),
                     guarded([this](QTreeWidgetItem* item) { fireItem("OnCollapsed", item); }));
    // OnEdited (Sender, Node, var S) once the user's edit of a caption ends; S may change it.
    QObject::connect(tree()->itemDelegate(), &QAbstractItemDelegate::closeEditor, tree(),
                     guarded([this](QWidget*, QAbstractItemDelegate::EndEditHint) {
                         QTreeWidgetItem* item = tree()->currentItem();
                         if (!item || quiet() || !handlerOf("OnEdited")) return;
                         const auto alive = aliveToken();
                         Value args[3] = {Value(script::wrapObject(this)),
                                          Value(script::wrapObject(nodeOf(item))),
                                          Value(qt::toEngine(item->text(0)))};
                         fireEvent("OnEdited", args);
                         if (!alive.expired() && nodes_.count(item))
                             item->setText(0, qt::fromEngine(args[2].toString()));
                     }));
}

TreeView::~TreeView() {
    // The nodes go before the items they point to.
    QObject::disconnect(rowsGone_);
    nodes_.clear();
}

QTreeWidget* TreeView::tree() const {
    return static_cast<QTreeWidget*>(widget());
}

TreeNode* TreeView::nodeOf(QTreeWidgetItem* item) {
    if (!item) return nullptr;
    auto& node = nodes_[item];
    if (!node) node = std::make_unique<TreeNode>(*this, item);
    return node.get();
}

std::vector<QTreeWidgetItem*> TreeView::allItems() const {
    std::vector<QTreeWidgetItem*> out;
    if (QTreeWidget* t = tree())
        for (int i = 0; i < t->topLevelItemCount(); ++i)
            walk(t->topLevelItem(i), [&](QTreeWidgetItem* item) { out.push_back(item); });
    return out;
}

TreeNode* TreeView::selected() {
    return tree() ? nodeOf(tree()->currentItem()) : nullptr;
}

void TreeView::setSelected(TreeNode* node) {
    if (!tree() || (node && &node->tree() != this)) return;
    // The script's choice fires OnChange as the user's does.
    tree()->setCurrentItem(node ? node->item() : nullptr);
}

void TreeView::fullExpand() {
    for (QTreeWidgetItem* item : allItems())
        item->setExpanded(true);
}

void TreeView::fullCollapse() {
    for (QTreeWidgetItem* item : allItems())
        item->setExpanded(false);
}

void TreeView::forget(QTreeWidgetItem* item) {
    // OnDeletion (Sender, Node) for each node going, while it is still there.
    if (handlerOf("OnDeletion") && !quiet())
        walk(item, [this](QTreeWidgetItem* i) { fireItem("OnDeletion", i); });
    walk(item, [this](QTreeWidgetItem* i) { nodes_.erase(i); });
}

void TreeView::fireItem(const char* event, QTreeWidgetItem* item) {
    if (!item || quiet() || !handlerOf(event)) return;
    Value args[2] = {Value(script::wrapObject(this)), Value(script::wrapObject(nodeOf(item)))};
    fireEvent(event, args);
}

const PropertyTable& TreeView::propertyTable() {
    static const auto table = PropertyTable::of<TreeView>(
        &Control::propertyTable(),
        {
            {"Items", [](const TreeView& t) { return t.items_.get(); }},
            {"Selected",
             [](const TreeView& t) {
                 TreeNode* node = const_cast<TreeView&>(t).selected();
                 return node ? Value(script::wrapObject(node)) : Value::null();
             },
             [](TreeView& t, const Value& v) { t.setSelected(script::nativeAs<TreeNode>(v)); }},
            {"ShowRoot", [](const TreeView& t) { return t.tree()->rootIsDecorated(); },
             [](TreeView& t, bool v) { t.tree()->setRootIsDecorated(v); }},
            {"ReadOnly", nullptr, [](TreeView&, bool) {}},
        });
    return table;
}

// ---- Outline

Outline::Outline(std::string cls)
    : Control(std::move(cls), new QTreeWidget),
      lines_(std::make_unique<StringList>(
          StringList::Access{[this] { return texts_; },
                             [this](const std::vector<std::string>& lines) {
                                 texts_ = lines;
                                 rebuild();
                             }})) {
    tree()->setHeaderHidden(true);
    tree()->setColumnCount(1);
    watch(tree()->viewport());
    QObject::connect(tree(), &QTreeWidget::itemClicked, tree(),
                     guarded([this](QTreeWidgetItem*, int) { fire("OnClick"); }));
    // OnExpand and OnCollapse (Sender, Index) with the item's number.
    for (const bool expanding : {true, false}) {
        const auto opened = [this, expanding](QTreeWidgetItem* item) {
            if (quiet()) return;
            const auto at = std::find(items_.begin(), items_.end(), item);
            if (at == items_.end()) return;
            Value args[2] = {Value(script::wrapObject(this)),
                             Value(static_cast<std::int32_t>(at - items_.begin()) + 1)};
            fireEvent(expanding ? "OnExpand" : "OnCollapse", args);
        };
        if (expanding)
            QObject::connect(tree(), &QTreeWidget::itemExpanded, tree(), guarded(opened));
        else
            QObject::connect(tree(), &QTreeWidget::itemCollapsed, tree(), guarded(opened));
    }
}

Outline::~Outline() = default;

QTreeWidget* Outline::tree() const {
    return static_cast<QTreeWidget*>(widget());
}

int Outline::itemLevel(int index) const {
    if (index < 1 || index > itemCount()) indexError(index);
    const std::string& line = texts_[static_cast<std::size_t>(index - 1)];
    return static_cast<int>(line.find_first_not_of('\t') == std::string::npos
                                ? line.size()
                                : line.find_first_not_of('\t')) +
           1;
}

std::string Outline::itemText(int index) const {
    const int level = itemLevel(index);
    return texts_[static_cast<std::size_t>(index - 1)].substr(static_cast<std::size_t>(level - 1));
}

void Outline::rebuild() {
    QTreeWidget* t = tree();
    if (!t) return;
    Quiet q(*this);
    t->clear();
    items_.clear();
    // The last item of each level so far: a line one tab deeper goes under it. A line that
    // skips levels goes under the deepest item there is.
    std::vector<QTreeWidgetItem*> path;
    for (int i = 1; i <= static_cast<int>(texts_.size()); ++i) {
        const auto depth = static_cast<std::size_t>(itemLevel(i) - 1);
        auto* item = newItem(itemText(i));
        if (path.size() > depth) path.resize(depth);
        if (path.empty())
            t->addTopLevelItem(item);
        else
            path.back()->addChild(item);
        path.push_back(item);
        items_.push_back(item);
    }
}

int Outline::selectedItem() const {
    if (!tree()) return 0;
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i] == tree()->currentItem()) return static_cast<int>(i) + 1;
    return 0;
}

void Outline::setSelectedItem(int index) {
    if (!tree()) return;
    Quiet q(*this);
    tree()->setCurrentItem(
        index >= 1 && index <= itemCount() ? items_[static_cast<std::size_t>(index - 1)] : nullptr);
}

void Outline::fullExpand() {
    for (QTreeWidgetItem* item : items_)
        item->setExpanded(true);
}

void Outline::fullCollapse() {
    for (QTreeWidgetItem* item : items_)
        item->setExpanded(false);
}

const PropertyTable& Outline::propertyTable() {
    const auto setLines = [](Outline& o, const Value& v) { o.lines_->setLines(linesOfValue(v)); };
    static const auto table = PropertyTable::of<Outline>(
        &Control::propertyTable(),
        {
            {"Lines", [](const Outline& o) { return o.lines_.get(); }, setLines},
            {"Lines.Strings", nullptr, setLines},
            {"SelectedItem", &Outline::selectedItem, &Outline::setSelectedItem},
            {"ItemCount", &Outline::itemCount},
        });
    return table;
}

// ---- the class table

namespace {

constexpr QSize kTree{121, 97};

const FormClass kTreeControlsClasses[] = {
    {"TCustomTreeView", "TWinControl"},
    {"TTreeView", "TCustomTreeView", create<TreeView>, kTree, false,
     "OnChange OnClick OnExpanded OnCollapsed OnEdited OnDeletion",
     "AutoExpand=False ChangeDelay=0 RightClickSelect=False RowSelect=False ShowButtons=True "
     "ShowLines=True SortType=stNone ToolTips=True"},
    {"TOutline", "TWinControl", create<Outline>, kTree, false, "OnClick OnExpand OnCollapse",
     "Options=[ooDrawTreeRoot,ooDrawFocusRect] OutlineStyle=osTreePictureText"},
    {"TTreeNodes", "TPersistent"},
    {"TTreeNode", "TPersistent"},
};

} // namespace

std::span<const FormClass> treeControlClasses() {
    return kTreeControlsClasses;
}

} // namespace vorlan::forms
