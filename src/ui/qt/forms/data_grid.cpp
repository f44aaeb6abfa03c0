#include "ui/qt/forms/data_grid.h"

#include "core/cp1250.h"
#include "core/field_name.h"
#include "script/comp_wrapper.h"
#include "ui/qt/forms/dialogs.h"
#include "ui/qt/forms/field_text.h"
#include "ui/qt/forms/form_values.h"
#include "ui/qt/qt_text.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QTableWidget>
#include <QToolButton>

#include <algorithm>

namespace vorlan::forms {

using script::Value;

namespace {

Qt::Alignment qtAlignment(const std::string& name) {
    return textAlignmentOf(Value(name)) | Qt::AlignVCenter;
}

// Wide enough for the field's display width or its label, whichever is wider.
int widthForField(const data::Field& f, const QTableWidget& table) {
    const int charWidth = std::max(table.fontMetrics().averageCharWidth(), 1);
    return std::clamp(
        std::max(f.displayWidth(), static_cast<int>(f.displayLabel().size())) * charWidth + 8, 24,
        400);
}

Qt::Alignment qtAlignment(data::FieldAlignment a) {
    switch (a) {
    case data::FieldAlignment::Right:
        return Qt::AlignRight | Qt::AlignVCenter;
    case data::FieldAlignment::Center:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

} // namespace

// ---- DataSetControl

class DataSetControl::Link : public data::DataLink {
public:
    explicit Link(DataSetControl& control) : control_(control) {}
    void activeChanged(bool) override { control_.dataChanged(); }
    void dataSetChanged() override { control_.dataChanged(); }
    void recordChanged(const data::Field*) override { control_.recordChanged(); }
    void stateChanged(data::DataSetState) override { control_.recordChanged(); }

private:
    DataSetControl& control_;
};

DataSetControl::DataSetControl(std::string cls, QWidget* widget)
    : Control(std::move(cls), widget), link_(std::make_unique<Link>(*this)) {}

DataSetControl::~DataSetControl() = default;

data::DataSource* DataSetControl::source() const {
    return link_->dataSource();
}

data::DataSet* DataSetControl::dataSet() const {
    data::DataSource* s = source();
    return s ? s->dataSet() : nullptr;
}

void DataSetControl::bind(data::DataSource* source) {
    if (source)
        source->addLink(link_.get());
    else if (data::DataSource* old = link_->dataSource())
        old->removeLink(link_.get());
    dataChanged();
}

void DataSetControl::resolve() {
    if (auto* provider = dataSourceProviderOf(sourceRef_, *this))
        provider->dataSource()->addLink(link_.get());
    else if (data::DataSource* old = link_->dataSource())
        old->removeLink(link_.get());
    dataChanged();
}

void DataSetControl::loaded() {
    resolve();
}

const PropertyTable& DataSetControl::propertyTable() {
    static const auto table = PropertyTable::of<DataSetControl>(
        &Control::propertyTable(), {
                                       {"DataSource",
                                        [](const DataSetControl& c) {
                                            return c.sourceRef_.isEmpty() ? Value::null()
                                                                          : c.sourceRef_;
                                        },
                                        [](DataSetControl& c, const Value& v) {
                                            c.sourceRef_ = v;
                                            c.resolve();
                                        }},
                                   });
    return table;
}

// ---- DataGrid

DataGrid::DataGrid(std::string cls)
    : DataSetControl(std::move(cls), new QTableWidget),
      columns_(
          std::make_unique<GridColumns>([this](ColumnChange change) { columnsChanged(change); })) {
    QTableWidget* t = table();
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    t->verticalHeader()->setDefaultSectionSize(20);
    t->verticalHeader()->setFixedWidth(12);
    watch(t->viewport());
    QObject::connect(t, &QTableWidget::currentCellChanged, t,
                     [this](int row, int, int previousRow, int) {
                         if (quiet() || row == previousRow || row < 0) return;
                         runUserStep([this, row] { userMoved(row); });
                     });
    QObject::connect(t, &QTableWidget::cellChanged, t, [this](int row, int column) {
        if (quiet()) return;
        runUserStep([this, row, column] { userEdited(row, column); });
    });
}

DataGrid::~DataGrid() = default;

QTableWidget* DataGrid::table() const {
    return static_cast<QTableWidget*>(widget());
}

int DataGrid::rowCount() const {
    return table() ? table()->rowCount() : 0;
}

std::string DataGrid::cellText(int column, int row) const {
    const QTableWidgetItem* item = table() ? table()->item(row, column) : nullptr;
    return item ? qt::toEngine(item->text()) : std::string();
}

void DataGrid::dataChanged() {
    if (reading_ || !table()) return;
    data::DataSet* set = dataSet();
    if (!set || !set->active()) {
        Quiet q(*this);
        table()->clear();
        table()->setRowCount(0);
        table()->setColumnCount(0);
        columnFields_.clear();
        bookmarks_.clear();
        built_ = false;
        return;
    }
    // Walking the records posts a pending edit, so a data set being edited keeps its rows and
    // only the current one is shown again.
    if (set->state() == data::DataSetState::Browse &&
        (!built_ || set->recordCount() != bookmarks_.size()))
        rebuild();
    showCurrent();
}

void DataGrid::recordChanged() {
    if (reading_) return;
    // A new layout asked for while a record was edited is made once the data set browses again.
    if (built_)
        showCurrent();
    else
        dataChanged();
}

void DataGrid::layOutColumns(const data::DataSet& set) {
    QTableWidget* t = table();
    columnFields_.clear();
    if (columns_->empty()) {
        for (int f = 0; f < set.fieldCount(); ++f)
            columnFields_.push_back(f);
    } else {
        for (int c = 0; c < columns_->count(); ++c) {
            GridColumn& column = columns_->at(c);
            int found = -1;
            for (int f = 0; f < set.fieldCount() && found < 0; ++f)
                if (sameFieldName(set.field(f)->name(), column.fieldName())) found = f;
            columnFields_.push_back(found);
            const data::Field* field = found >= 0 ? set.field(found) : nullptr;
            column.setDefaults(field ? field->displayLabel() : column.fieldName(),
                               field ? widthForField(*field, *t) : 64);
        }
    }
    t->setColumnCount(static_cast<int>(columnFields_.size()));
}

data::Field* DataGrid::fieldOfColumn(int column) const {
    data::DataSet* set = dataSet();
    if (!set || column < 0 || column >= static_cast<int>(columnFields_.size())) return nullptr;
    const int f = columnFields_[static_cast<std::size_t>(column)];
    return f >= 0 && f < set->fieldCount() ? set->field(f) : nullptr;
}

void DataGrid::applyColumnLook() {
    QTableWidget* t = table();
    if (!t || static_cast<int>(columnFields_.size()) != t->columnCount()) return;
    Quiet q(*this);
    // While a record is edited the layout waits; until then the listed columns may not match.
    const bool listed = !columns_->empty() && columns_->count() == t->columnCount();
    for (int c = 0; c < t->columnCount(); ++c) {
        const data::Field* field = fieldOfColumn(c);
        const GridColumn* column = listed ? &columns_->at(c) : nullptr;
        QString heading = column  ? qt::fromEngine(column->caption())
                          : field ? qt::fromEngine(field->displayLabel())
                                  : QString();
        auto* header = new QTableWidgetItem(heading);
        if (column && !column->titleAlignment().empty())
            header->setTextAlignment(qtAlignment(column->titleAlignment()));
        t->setHorizontalHeaderItem(c, header);
        if (column && column->storedWidth() >= 0)
            t->setColumnWidth(c, column->storedWidth());
        else if (field)
            t->setColumnWidth(c, widthForField(*field, *t));
        t->setColumnHidden(c, column && !column->visible());
        const Qt::Alignment alignment = column && !column->alignment().empty()
                                            ? qtAlignment(column->alignment())
                                        : field ? qtAlignment(field->alignment())
                                                : qtAlignment(data::FieldAlignment::Left);
        for (int r = 0; r < t->rowCount(); ++r)
            if (QTableWidgetItem* item = t->item(r, c)) item->setTextAlignment(alignment);
    }
}

void DataGrid::columnsChanged(ColumnChange change) {
    if (reading_ || !table()) return;
    if (change == ColumnChange::Layout) {
        built_ = false;
        dataChanged();
    } else {
        applyColumnLook();
    }
}

void DataGrid::rebuild() {
    data::DataSet* set = dataSet();
    QTableWidget* t = table();
    Quiet q(*this);
    reading_ = true;
    t->clear();
    layOutColumns(*set);
    const int columnCount = t->columnCount();
    bookmarks_.clear();
    std::vector<std::vector<std::string>> rows;
    forEachRecord(*set, [&] {
        bookmarks_.push_back(set->bookmark());
        std::vector<std::string> texts;
        for (int c = 0; c < columnCount; ++c) {
            const data::Field* f = fieldOfColumn(c);
            texts.push_back(f ? shownFieldText(*f) : std::string());
        }
        rows.push_back(std::move(texts));
    });
    t->setRowCount(static_cast<int>(rows.size()));
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            auto* item = new QTableWidgetItem(qt::fromEngine(rows[r][c]));
            if (!fieldOfColumn(static_cast<int>(c)))
                item->setFlags(item->flags() & ~Qt::ItemIsEditable);
            t->setItem(static_cast<int>(r), static_cast<int>(c), item);
        }
    applyColumnLook();
    reading_ = false;
    built_ = true;
}

void DataGrid::fillRow(int row) {
    QTableWidget* t = table();
    bool added = false;
    for (int c = 0; c < t->columnCount(); ++c) {
        const data::Field* field = fieldOfColumn(c);
        QTableWidgetItem* item = t->item(row, c);
        if (!item) {
            item = new QTableWidgetItem;
            t->setItem(row, c, item);
            added = true;
        }
        item->setText(field ? qt::fromEngine(shownFieldText(*field)) : QString());
        const bool editable = field && editing_ && !readOnly_;
        item->setFlags(editable ? item->flags() | Qt::ItemIsEditable
                                : item->flags() & ~Qt::ItemIsEditable);
    }
    // A new row (a record being inserted) takes its columns' alignment.
    if (added) applyColumnLook();
}

void DataGrid::showCurrent() {
    data::DataSet* set = dataSet();
    QTableWidget* t = table();
    if (!set || !set->active() || !t) return;
    Quiet q(*this);
    const bool inserting = set->state() == data::DataSetState::Insert;
    // A record being inserted has a row of its own at the end until it is posted.
    const int rows = static_cast<int>(bookmarks_.size()) + (inserting ? 1 : 0);
    if (t->rowCount() != rows) t->setRowCount(rows);
    if (set->isEmpty() && !inserting) return;
    int row = rows - 1;
    if (!inserting) {
        const auto it = std::find(bookmarks_.begin(), bookmarks_.end(), set->bookmark());
        if (it == bookmarks_.end()) return;
        row = static_cast<int>(it - bookmarks_.begin());
    }
    fillRow(row);
    const int column = std::max(t->currentColumn(), 0);
    if (t->currentRow() != row) t->setCurrentCell(row, column);
}

void DataGrid::userMoved(int row) {
    data::DataSet* set = dataSet();
    if (!set || !set->active() || row >= static_cast<int>(bookmarks_.size())) return;
    if (set->state() != data::DataSetState::Insert && set->bookmark() == bookmarks_[row]) return;
    set->gotoBookmark(bookmarks_[static_cast<std::size_t>(row)]);
    fire("OnCellClick");
}

void DataGrid::userEdited(int row, int column) {
    data::DataSet* set = dataSet();
    data::Field* f = fieldOfColumn(column);
    if (!set || !set->active() || readOnly_ || !f) return;
    const std::string text = cellText(column, row);
    if (set->state() == data::DataSetState::Browse) set->edit();
    f->setValue(fieldValueOfText(*f, text));
}

const PropertyTable& DataGrid::propertyTable() {
    static const auto table = PropertyTable::of<DataGrid>(
        &DataSetControl::propertyTable(),
        {
            {"ReadOnly", &DataGrid::readOnly_, &DataGrid::setReadOnly},
            {"Columns", [](const DataGrid& g) { return g.columns_.get(); },
             [](DataGrid& g, const Value& v) { g.columns_->readStored(v); }},
            {"SelectedIndex", [](const DataGrid& g) { return g.table()->currentColumn(); }},
            {"Options", nullptr, &DataGrid::setOptions},
        });
    return table;
}

bool DataGrid::setPublished(std::string_view name, const Value& value) {
    // What the columns do not keep is not kept elsewhere either.
    if (name.size() > 8 && equalsNoCase(name.substr(0, 8), "Columns[")) {
        columns_->setStored(name.substr(7), value);
        return true;
    }
    return DataSetControl::setPublished(name, value);
}

void DataGrid::setReadOnly(bool readOnly) {
    readOnly_ = readOnly;
    table()->setEditTriggers(readOnly_ ? QAbstractItemView::NoEditTriggers
                                       : QAbstractItemView::DoubleClicked |
                                             QAbstractItemView::EditKeyPressed |
                                             QAbstractItemView::AnyKeyPressed);
}

void DataGrid::setOptions(const Value& value) {
    const std::string options = value.toString();
    editing_ = options.find("dgEditing") != std::string::npos || !value.isString();
    table()->verticalHeader()->setVisible(options.find("dgIndicator") != std::string::npos);
    table()->horizontalHeader()->setVisible(options.find("dgTitles") != std::string::npos);
    if (options.find("dgRowSelect") != std::string::npos)
        table()->setSelectionBehavior(QAbstractItemView::SelectRows);
}

// ---- DataNavigator

namespace {

constexpr const char* kButtonNames[kNavigatorButtons] = {"nbFirst",  "nbPrior",  "nbNext", "nbLast",
                                                         "nbInsert", "nbDelete", "nbEdit", "nbPost",
                                                         "nbCancel", "nbRefresh"};
constexpr const char* kGlyphs[kNavigatorButtons] = {"|\u25C0", "\u25C0", "\u25B6", "\u25B6|",
                                                    "+",       "\u2212", "\u25B2", "\u2713",
                                                    "\u2715",  "\u21BB"};
constexpr const char* kHints[kNavigatorButtons] = {
    "První záznam",  "Předchozí záznam", "Další záznam", "Poslední záznam", "Vložit záznam",
    "Smazat záznam", "Opravit záznam",   "Uložit změny", "Zrušit změny",    "Obnovit data"};

} // namespace

DataNavigator::DataNavigator(std::string cls) : DataSetControl(std::move(cls), new QWidget) {
    auto* layout = new QHBoxLayout(widget());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int i = 0; i < kNavigatorButtons; ++i) {
        auto* b = new QToolButton(widget());
        b->setText(QString::fromUtf8(kGlyphs[i]));
        b->setToolTip(QString::fromUtf8(kHints[i]));
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        b->setFocusPolicy(Qt::NoFocus);
        layout->addWidget(b);
        buttons_[static_cast<std::size_t>(i)] = b;
        QObject::connect(b, &QToolButton::clicked, b, [this, i](bool) {
            runUserStep([this, i] { press(static_cast<NavigatorButton>(i)); });
        });
    }
    dataChanged();
}

DataNavigator::~DataNavigator() = default;

QToolButton* DataNavigator::button(NavigatorButton b) const {
    return buttons_[static_cast<std::size_t>(b)];
}

void DataNavigator::press(NavigatorButton b) {
    data::DataSet* set = dataSet();
    const auto alive = aliveToken();
    if (set && set->active()) {
        switch (b) {
        case NavigatorButton::First:
            set->first();
            break;
        case NavigatorButton::Prior:
            set->prior();
            break;
        case NavigatorButton::Next:
            set->next();
            break;
        case NavigatorButton::Last:
            set->last();
            break;
        case NavigatorButton::Insert:
            set->append();
            break;
        case NavigatorButton::Delete: {
            if (set->isEmpty()) break;
            if (confirmDelete_) {
                const auto dialog =
                    describeMessageDialog(czech("Smazat záznam?"), DialogType::Confirmation,
                                          bit(DialogButton::Ok) | bit(DialogButton::Cancel));
                if (messageDlgPos(dialog) != kResultOk) return;
                if (alive.expired()) return;
            }
            set->deleteRecord();
            break;
        }
        case NavigatorButton::Edit:
            set->edit();
            break;
        case NavigatorButton::Post:
            set->post();
            break;
        case NavigatorButton::Cancel:
            set->cancel();
            break;
        case NavigatorButton::Refresh:
            set->resync();
            break;
        }
    }
    if (alive.expired()) return;
    Value args[2] = {Value(script::wrapObject(this)), Value(static_cast<std::int32_t>(b))};
    fireEvent("OnClick", args);
}

void DataNavigator::dataChanged() {
    data::DataSet* set = dataSet();
    const bool active = set && set->active();
    const bool browsing = active && set->state() == data::DataSetState::Browse;
    const bool editing = active && !browsing;
    const bool empty = !active || set->isEmpty();
    const bool atStart = empty || set->bof();
    const bool atEnd = empty || set->eof();
    const bool enabled[kNavigatorButtons] = {browsing && !atStart,
                                             browsing && !atStart,
                                             browsing && !atEnd,
                                             browsing && !atEnd,
                                             browsing,
                                             browsing && !empty,
                                             browsing && !empty,
                                             editing,
                                             editing,
                                             browsing};
    for (int i = 0; i < kNavigatorButtons; ++i)
        if (QToolButton* b = buttons_[static_cast<std::size_t>(i)]) b->setEnabled(enabled[i]);
}

const PropertyTable& DataNavigator::propertyTable() {
    static const auto table = PropertyTable::of<DataNavigator>(
        &DataSetControl::propertyTable(),
        {
            {"ConfirmDelete", &DataNavigator::confirmDelete_, &DataNavigator::confirmDelete_},
            {"VisibleButtons",
             [](const DataNavigator& n) {
                 return n.visibleButtons_.empty()
                            ? std::string("[nbFirst,nbPrior,nbNext,nbLast,nbInsert,nbDelete,"
                                          "nbEdit,nbPost,nbCancel,nbRefresh]")
                            : n.visibleButtons_;
             },
             &DataNavigator::setVisibleButtons},
        });
    return table;
}

void DataNavigator::setVisibleButtons(const Value& buttons) {
    visibleButtons_ = buttons.toString();
    const auto shown = setNames(buttons, kButtonNames);
    for (int i = 0; i < kNavigatorButtons; ++i)
        buttons_[static_cast<std::size_t>(i)]->setVisible(hasName(shown, kButtonNames[i]));
}

std::span<const char* const> navigatorButtonNames() {
    return kButtonNames;
}

// ---- the class table

namespace {

const FormClass kDataGridClasses[] = {
    {"TCustomDBGrid", "TCustomGrid"},
    {"TDBGrid", "TCustomDBGrid", create<DataGrid>, {320, 120}, false, "OnCellClick"},
    {"TDataGrid", "TDBGrid", create<DataGrid>, {320, 120}},
    {"TDBNavigator", "TWinControl", create<DataNavigator>, {240, 25}, false, "OnClick"},
    {"TDataNavigator", "TDBNavigator", create<DataNavigator>, {240, 25}},
    {"TCollection", "TPersistent"},
    {"TDBGridColumns", "TCollection"},
    {"TCollectionItem", "TPersistent"},
    {"TColumn", "TCollectionItem"},
    {"TColumnTitle", "TPersistent"},
};

} // namespace

std::span<const FormClass> dataGridClasses() {
    return kDataGridClasses;
}

} // namespace vorlan::forms
