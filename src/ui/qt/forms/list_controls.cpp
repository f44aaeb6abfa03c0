#include "ui/qt/forms/list_controls.h"

#include "core/cp1250.h"
#include "script/comp_wrapper.h"
#include "script/dispatch.h"
#include "ui/qt/forms/form_values.h"
#include "ui/qt/qt_text.h"

#include <QAbstractItemDelegate>
#include <QHeaderView>
#include <QListWidget>
#include <QTreeWidget>

#include <algorithm>

namespace vorlan::forms {

using script::Value;

namespace {

[[noreturn]] void indexError(int index) {
    throw script::ScriptException(czech("Index seznamu je mimo rozsah (") + std::to_string(index) +
                                  ")");
}

constexpr const char* kStateNames[] = {"cbUnchecked", "cbChecked", "cbGrayed"};

Qt::CheckState checkStateOf(const Value& state) {
    int n = 0;
    if (state.isNumeric()) {
        n = state.toInt();
    } else {
        const std::string name = state.toString();
        for (int i = 0; i < 3; ++i)
            if (equalsNoCase(name, kStateNames[i])) n = i;
    }
    return n == 1 ? Qt::Checked : n == 2 ? Qt::PartiallyChecked : Qt::Unchecked;
}

} // namespace

// ---- CheckListBox

CheckListBox::CheckListBox(std::string cls)
    : Control(std::move(cls), new QListWidget),
      items_(std::make_unique<StringList>(StringList::Access{
          [this] {
              std::vector<std::string> out;
              for (int i = 0; list() && i < list()->count(); ++i)
                  out.push_back(qt::toEngine(list()->item(i)->text()));
              return out;
          },
          [this](const std::vector<std::string>& lines) {
              QListWidget* l = list();
              if (!l) return;
              Quiet q(*this);
              // Items that stay where they were keep their check marks.
              std::vector<Qt::CheckState> states;
              for (int i = 0; i < l->count(); ++i)
                  states.push_back(l->item(i)->checkState());
              const int index = l->currentRow();
              l->clear();
              for (std::size_t i = 0; i < lines.size(); ++i) {
                  auto* item = new QListWidgetItem(qt::fromEngine(lines[i]), l);
                  item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
                  item->setCheckState(i < states.size() ? states[i] : Qt::Unchecked);
              }
              l->setCurrentRow(index < l->count() ? index : -1);
          }})) {
    watch(list()->viewport());
    QObject::connect(list(), &QListWidget::currentRowChanged, list(),
                     guarded([this](int) { fire("OnClick"); }));
    QObject::connect(list(), &QListWidget::itemChanged, list(),
                     guarded([this](QListWidgetItem*) { fire("OnClickCheck"); }));
}

CheckListBox::~CheckListBox() = default;

QListWidget* CheckListBox::list() const {
    return static_cast<QListWidget*>(widget());
}

void CheckListBox::checkIndex(int index) const {
    if (!list() || index < 0 || index >= list()->count()) indexError(index);
}

bool CheckListBox::checked(int index) const {
    checkIndex(index);
    return list()->item(index)->checkState() == Qt::Checked;
}

void CheckListBox::setChecked(int index, bool checked) {
    setState(index, Value(checked ? 1 : 0));
}

std::string CheckListBox::state(int index) const {
    checkIndex(index);
    switch (list()->item(index)->checkState()) {
    case Qt::Checked:
        return kStateNames[1];
    case Qt::PartiallyChecked:
        return kStateNames[2];
    default:
        return kStateNames[0];
    }
}

void CheckListBox::setState(int index, const Value& state) {
    checkIndex(index);
    // The program's own changes are not the user's clicks.
    Quiet q(*this);
    list()->item(index)->setCheckState(checkStateOf(state));
}

const PropertyTable& CheckListBox::propertyTable() {
    const auto setItems = [](CheckListBox& b, const Value& v) {
        b.items_->setLines(linesOfValue(v));
    };
    static const auto table = PropertyTable::of<CheckListBox>(
        &Control::propertyTable(),
        {
            {"Items", [](const CheckListBox& b) { return b.items_.get(); }, setItems},
            {"Items.Strings", nullptr, setItems},
            {"ItemIndex", [](const CheckListBox& b) { return b.list()->currentRow(); },
             [](CheckListBox& b, std::int32_t i) {
                 Quiet q(b);
                 b.list()->setCurrentRow(i >= 0 && i < b.list()->count() ? i : -1);
             }},
        });
    return table;
}

// ---- ListItem

ListItem::ListItem(ListView& view, QTreeWidgetItem* item)
    : NativeObject("TListItem"), view_(view), item_(item),
      subItems_(std::make_unique<StringList>(StringList::Access{
          [this] { return subTexts_; },
          [this](const std::vector<std::string>& texts) {
              // Columns beyond the new texts are emptied.
              const auto shown = std::max(subTexts_.size(), texts.size());
              subTexts_ = texts;
              for (std::size_t c = 0; c < shown; ++c)
                  item_->setText(static_cast<int>(c) + 1,
                                 c < texts.size() ? qt::fromEngine(texts[c]) : QString());
          }})) {}

ListItem::~ListItem() = default;

std::string ListItem::caption() const {
    return qt::toEngine(item_->text(0));
}

void ListItem::setCaption(const std::string& caption) {
    item_->setText(0, qt::fromEngine(caption));
}

int ListItem::index() const {
    return view_.tree() ? view_.tree()->indexOfTopLevelItem(item_) : -1;
}

bool ListItem::selected() const {
    return item_->isSelected();
}

void ListItem::setSelected(bool selected) {
    if (selected)
        view_.setSelected(this);
    else
        item_->setSelected(false);
}

void ListItem::remove() {
    view_.items().remove(index());
}

// ---- ListItems

ListItem* ListItems::add() {
    return insert(count());
}

ListItem* ListItems::insert(int index) {
    QTreeWidget* t = view_.tree();
    if (!t) return nullptr;
    if (index < 0 || index > count()) indexError(index);
    auto* item = new QTreeWidgetItem;
    t->insertTopLevelItem(index, item);
    const auto alive = view_.aliveToken();
    view_.fireItem("OnInsert", item);
    return alive.expired() ? nullptr : view_.itemOf(item);
}

int ListItems::count() const {
    return view_.tree() ? view_.tree()->topLevelItemCount() : 0;
}

ListItem* ListItems::item(int index) const {
    if (index < 0 || index >= count()) indexError(index);
    return view_.itemOf(view_.tree()->topLevelItem(index));
}

void ListItems::remove(int index) {
    if (index < 0 || index >= count()) indexError(index);
    QTreeWidgetItem* item = view_.tree()->topLevelItem(index);
    view_.forget(item);
    delete item;
}

void ListItems::clear() {
    while (count() > 0)
        remove(count() - 1);
}

// ---- ListView

void ListView::forget(QTreeWidgetItem* item) {
    fireItem("OnDeletion", item);
    itemObjects_.erase(item);
}

void ListView::fireItem(const char* event, QTreeWidgetItem* item) {
    if (!item || quiet() || !handlerOf(event)) return;
    Value args[2] = {Value(script::wrapObject(this)), Value(script::wrapObject(itemOf(item)))};
    fireEvent(event, args);
}

ListView::ListView(std::string cls)
    : Control(std::move(cls), new QTreeWidget),
      columns_(
          std::make_unique<SectionList>("TListColumns", "TListColumn", [this] { showColumns(); })),
      items_(std::make_unique<ListItems>(*this)) {
    // Items point into the widget's rows: they go when the widget does.
    rowsGone_ = QObject::connect(tree(), &QObject::destroyed, [this] { itemObjects_.clear(); });
    tree()->setRootIsDecorated(false);
    tree()->setUniformRowHeights(true);
    watch(tree()->viewport());
    setViewStyle(viewStyle_);
    // OnColumnClick (Sender, Column) for a click on a column's heading.
    QObject::connect(tree()->header(), &QHeaderView::sectionClicked, tree(),
                     guarded([this](int index) {
                         if (quiet() || !handlerOf("OnColumnClick") || index >= columns_->count())
                             return;
                         Value args[2] = {Value(script::wrapObject(this)),
                                          Value(script::wrapObject(&columns_->at(index)))};
                         fireEvent("OnColumnClick", args);
                     }));
    // OnEdited (Sender, Item, var S) once the user's edit of a caption ends.
    QObject::connect(tree()->itemDelegate(), &QAbstractItemDelegate::closeEditor, tree(),
                     guarded([this](QWidget*, QAbstractItemDelegate::EndEditHint) {
                         QTreeWidgetItem* item = tree()->currentItem();
                         if (!item || quiet() || !handlerOf("OnEdited")) return;
                         const auto alive = aliveToken();
                         Value args[3] = {Value(script::wrapObject(this)),
                                          Value(script::wrapObject(itemOf(item))),
                                          Value(qt::toEngine(item->text(0)))};
                         fireEvent("OnEdited", args);
                         if (!alive.expired() && itemObjects_.count(item))
                             item->setText(0, qt::fromEngine(args[2].toString()));
                     }));
    QObject::connect(tree(), &QTreeWidget::currentItemChanged, tree(),
                     guarded([this](QTreeWidgetItem* now, QTreeWidgetItem*) {
                         if (quiet() || !now) return;
                         // (Sender, Item, Change): ctState, the selection moved.
                         Value args[3] = {Value(script::wrapObject(this)),
                                          Value(script::wrapObject(itemOf(now))), Value(2)};
                         fireEvent("OnChange", args);
                     }));
    QObject::connect(tree(), &QTreeWidget::itemClicked, tree(),
                     guarded([this](QTreeWidgetItem*, int) { fire("OnClick"); }));
}

ListView::~ListView() {
    QObject::disconnect(rowsGone_);
    itemObjects_.clear();
}

QTreeWidget* ListView::tree() const {
    return static_cast<QTreeWidget*>(widget());
}

ListItem* ListView::itemOf(QTreeWidgetItem* item) {
    if (!item) return nullptr;
    auto& object = itemObjects_[item];
    if (!object) object = std::make_unique<ListItem>(*this, item);
    return object.get();
}

ListItem* ListView::selected() {
    return tree() ? itemOf(tree()->currentItem()) : nullptr;
}

void ListView::setSelected(ListItem* item) {
    // Another list view's item selects nothing here.
    if (!tree() || (item && item->item()->treeWidget() != tree())) return;
    tree()->setCurrentItem(item ? item->item() : nullptr);
}

int ListView::itemIndex() const {
    return tree() && tree()->currentItem() ? tree()->indexOfTopLevelItem(tree()->currentItem())
                                           : -1;
}

void ListView::setItemIndex(int index) {
    if (!tree()) return;
    tree()->setCurrentItem(
        index >= 0 && index < tree()->topLevelItemCount() ? tree()->topLevelItem(index) : nullptr);
}

void ListView::showColumns() {
    QTreeWidget* t = tree();
    if (!t) return;
    const bool report = equalsNoCase(viewStyle_, "vsReport");
    const int n = report ? std::max(columns_->count(), 1) : 1;
    t->setColumnCount(n);
    QStringList labels;
    for (int i = 0; i < columns_->count() && i < n; ++i)
        labels << qt::fromEngine(columns_->at(i).text());
    t->setHeaderLabels(labels);
    for (int i = 0; i < columns_->count() && i < n; ++i)
        t->setColumnWidth(i, columns_->at(i).width());
    t->setHeaderHidden(!report);
}

void ListView::setViewStyle(const std::string& style) {
    viewStyle_ = style;
    showColumns();
}

bool ListView::setPublished(std::string_view name, const Value& value) {
    if (name.size() > 8 && equalsNoCase(name.substr(0, 8), "Columns["))
        return columns_->setStored(name.substr(7), value);
    return Control::setPublished(name, value);
}

const PropertyTable& ListView::propertyTable() {
    static const auto table = PropertyTable::of<ListView>(
        &Control::propertyTable(),
        {
            {"Columns", [](const ListView& l) { return l.columns_.get(); },
             [](ListView& l, const Value& v) { l.columns_->readStored(v); }},
            {"Items", [](const ListView& l) { return l.items_.get(); }},
            {"ViewStyle", &ListView::viewStyle_, &ListView::setViewStyle},
            {"Selected",
             [](const ListView& l) {
                 ListItem* item = const_cast<ListView&>(l).selected();
                 return item ? Value(script::wrapObject(item)) : Value::null();
             },
             [](ListView& l, const Value& v) { l.setSelected(script::nativeAs<ListItem>(v)); }},
            {"ItemIndex", &ListView::itemIndex, &ListView::setItemIndex},
            {"RowSelect", nullptr, [](ListView&, bool) {}},
            {"ReadOnly", nullptr, [](ListView&, bool) {}},
        });
    return table;
}

// ---- the class table

namespace {

const FormClass kListControlsClasses[] = {
    {"TCheckListBox",
     "TCustomListBox",
     create<CheckListBox>,
     {121, 97},
     false,
     "OnClick OnClickCheck"},
    {"TCustomListView", "TWinControl"},
    {"TListView",
     "TCustomListView",
     create<ListView>,
     {250, 150},
     false,
     "OnChange OnClick OnColumnClick OnInsert OnDeletion OnEdited",
     "AllocBy=0 Checkboxes=False ColumnClick=True GridLines=False ShowColumnHeaders=True "
     "SortType=stNone"},
    {"TListItems", "TPersistent"},
    {"TListItem", "TPersistent"},
    {"TListColumns", "TPersistent"},
    {"TListColumn", "TPersistent"},
};

} // namespace

std::span<const FormClass> listControlClasses() {
    return kListControlsClasses;
}

} // namespace vorlan::forms
