#include "ui/qt/dbf/dbf_window.h"

#include "core/cp1250.h"
#include "core/field_name.h"
#include "core/path_mapper.h"
#include "core/ui_services.h"
#include "data/data_set.h"
#include "data/row_view.h"
#include "data/script/file_names.h"
#include "ui/qt/dbf/dbf_grid_model.h"
#include "ui/qt/dbf/table_dialogs.h"
#include "ui/qt/dbf/table_reports.h"
#include "ui/qt/memo/memo_editor.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/settings_store.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <filesystem>
#include <optional>

namespace vorlan::qt {

namespace {

constexpr int kToolbarLow = 32;
constexpr int kToolbarHigh = 62;
const char* const kNoIndex = "<bez indexu>";

std::string tablePath(const data::TableDataSet& set) {
    std::string path = set.databaseName();
    if (!path.empty() && path.back() != '\\' && path.back() != '/') path += '\\';
    return path + set.tableName();
}

// The table's file as the user knows it on this system, not in the program's Windows form.
QString shownTablePath(const data::TableDataSet& set) {
    const std::string program = tablePath(set);
    const std::filesystem::path host = pathMapper().toHostOrEmpty(program);
    return host.empty() ? fromEngine(program) : fromHost(host.string());
}

} // namespace

// Follows one area's data source: the status line and the grid's current row.
class DbfWindow::StatusLink : public data::DataLink {
public:
    StatusLink(DbfWindow& window, int area) : window_(window), area_(area) {}
    void activeChanged(bool) override { changed(); }
    void dataSetChanged() override { changed(); }
    void recordChanged(const data::Field*) override { changed(); }

private:
    void changed() {
        if (window_.isVisible() && window_.areas_.selected() == area_) window_.updateStatus();
    }
    DbfWindow& window_;
    int area_;
};

DbfWindow::DbfWindow(windows::DbfWorkAreas& areas, QWidget* parent)
    : QWidget(parent, Qt::Window), areas_(areas) {
    setObjectName(QStringLiteral("DbfForm"));
    build();
    // Nobody watches a headless run: long engine work goes on without repainting anything.
    if (!ui().headless()) {
        previousProgress_ =
            tables::setProgressListener([this](int percent) { engineProgress(percent); });
        listening_ = true;
    }
    for (int n = 1; n <= windows::DbfWorkAreas::kAreas; ++n) {
        links_[static_cast<std::size_t>(n - 1)] = std::make_unique<StatusLink>(*this, n);
        areas_.table(n).dataSource()->addLink(links_[static_cast<std::size_t>(n - 1)].get());
    }
    // A window made after the program changed the switch shows it as it is.
    popupDelete_->setChecked(areas_.showDeleted());
    areas_.setView(this);
    areaSelected(areas_.selected());
}

DbfWindow::~DbfWindow() {
    areas_.setView(nullptr);
    if (listening_) tables::setProgressListener(std::move(previousProgress_));
    for (int n = 1; n <= windows::DbfWorkAreas::kAreas; ++n)
        areas_.table(n).dataSource()->removeLink(links_[static_cast<std::size_t>(n - 1)].get());
}

void DbfWindow::build() {
    setWindowTitle(cz("Databáze"));
    resize(560, 340);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    toolbar_ = new QWidget(this);
    toolbar_->setObjectName(QStringLiteral("Toolbar"));
    toolbar_->setFixedHeight(kToolbarLow);
    auto makeButton = [this](const char* name, const QString& text, const QString& hint, int x) {
        auto* b = new QToolButton(toolbar_);
        b->setObjectName(QString::fromLatin1(name));
        b->setText(text);
        b->setToolTip(hint);
        b->setGeometry(x, 3, 26, 26);
        return b;
    };
    loadButton_ = makeButton("LoadButton", QStringLiteral("..."), cz("Otevřít\ndatabázi"), 4);
    printButton_ = makeButton("PrintButton", QStringLiteral("P"), cz("Tisk sestavy"), 32);
    printButton_->hide();
    auto* group = new QButtonGroup(this);
    group->setExclusive(true);
    for (int n = 1; n <= 3; ++n) {
        QToolButton* b =
            makeButton(("SpeedButton" + std::to_string(n)).c_str(), QStringLiteral("S%1").arg(n),
                       cz("Přepne na datovou oblast <%1>").arg(n), 32 + (n - 1) * 28);
        b->setCheckable(true);
        b->setStyleSheet(QStringLiteral("color: blue"));
        group->addButton(b, n);
        areaButtons_[static_cast<std::size_t>(n - 1)] = b;
        connect(b, &QToolButton::clicked, this, [this, n] { selectAreaClicked(n); });
    }
    areaButtons_[0]->setChecked(true);
    closeButton_ = makeButton("SpeedButton4", QStringLiteral("X"), cz("Uzavře databázi"), 118);
    deleteButton_ =
        makeButton("DeleteButton", QStringLiteral("D"), cz("Zrušit/obnovit záznam"), 146);
    deleteButton_->hide();
    indexBox_ = new QComboBox(toolbar_);
    indexBox_->setObjectName(QStringLiteral("IndexBox"));
    indexBox_->setToolTip(cz("Výběr indexu pro třídění dat"));
    indexBox_->setGeometry(176, 4, 260, 24);
    indexBox_->addItem(cz(kNoIndex));
    indexBox_->setEnabled(false);
    auto* filterLabel = new QLabel(cz("Filtr:"), toolbar_);
    filterLabel->setObjectName(QStringLiteral("Label1"));
    filterLabel->setGeometry(6, 36, 36, 22);
    filter_ = new QLineEdit(toolbar_);
    filter_->setObjectName(QStringLiteral("Filtr"));
    filter_->setReadOnly(true);
    filter_->setGeometry(44, 34, 480, 24);
    filter_->installEventFilter(this);
    layout->addWidget(toolbar_);

    auto* browsPanel = new QWidget(this);
    browsPanel->setObjectName(QStringLiteral("BrowsPanel"));
    auto* panelLayout = new QVBoxLayout(browsPanel);
    panelLayout->setContentsMargins(0, 0, 3, 3);
    panelCaption_ = new QLabel(browsPanel);
    panelCaption_->setAlignment(Qt::AlignCenter);
    panelLayout->addWidget(panelCaption_);
    grid_ = new QTableView(browsPanel);
    grid_->setObjectName(QStringLiteral("Brows"));
    model_ = new DbfGridModel(grid_);
    grid_->setModel(model_);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->verticalHeader()->setDefaultSectionSize(20);
    grid_->setContextMenuPolicy(Qt::CustomContextMenu);
    grid_->installEventFilter(this);
    grid_->hide();
    panelLayout->addWidget(grid_);
    connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { gridMoved(current.row()); });
    layout->addWidget(browsPanel, 1);

    recordPanel_ = new QWidget(this);
    recordPanel_->setObjectName(QStringLiteral("RecordPanel"));
    auto* recordLayout = new QHBoxLayout(recordPanel_);
    recordLayout->setContentsMargins(4, 2, 4, 2);
    recordLayout->addWidget(new QLabel(cz("Záznam:"), recordPanel_));
    status_ = new QLabel(QStringLiteral("0/0"), recordPanel_);
    status_->setObjectName(QStringLiteral("LabelR"));
    recordLayout->addWidget(status_, 1);
    auto* navigator = new QWidget(recordPanel_);
    navigator->setObjectName(QStringLiteral("DBNavigator"));
    auto* navLayout = new QHBoxLayout(navigator);
    navLayout->setContentsMargins(0, 0, 0, 0);
    navLayout->setSpacing(1);
    const std::pair<const char*, std::function<void(data::TDbfAccess&)>> moves[] = {
        {"|<", [](data::TDbfAccess& a) { a.goTop(); }},
        {"<", [](data::TDbfAccess& a) { a.skip(-1); }},
        {">", [](data::TDbfAccess& a) { a.skip(1); }},
        {">|", [](data::TDbfAccess& a) { a.goBottom(); }},
    };
    for (const auto& [text, move] : moves) {
        auto* b = new QToolButton(navigator);
        b->setText(QString::fromLatin1(text));
        connect(b, &QToolButton::clicked, this, [this, move = move] {
            if (data::TDataTable* t = areas_.current()) move(t->access());
        });
        navLayout->addWidget(b);
    }
    recordLayout->addWidget(navigator);
    gauge_ = new QProgressBar(recordPanel_);
    gauge_->setObjectName(QStringLiteral("Gauge1"));
    gauge_->setStyleSheet(QStringLiteral("QProgressBar::chunk { background: lime; }"));
    gauge_->hide();
    recordLayout->addWidget(gauge_);
    recordPanel_->hide();
    layout->addWidget(recordPanel_);

    menu_ = new QMenu(this);
    menu_->setObjectName(QStringLiteral("BrowsMenu"));
    auto item = [this](const char* name, const char* text, bool enabled) {
        QAction* a = menu_->addAction(cz(text));
        a->setObjectName(QString::fromLatin1(name));
        a->setEnabled(enabled);
        return a;
    };
    popupEdit_ = item("PopUpEdit", "Možnost editace záznamů", false);
    popupEdit_->setCheckable(true);
    popupDelete_ = item("PopupDelete", "Zobrazovat zrušené záznamy", true);
    popupDelete_->setCheckable(true);
    popupDelete_->setChecked(true);
    menu_->addSeparator();
    popupFilter_ = item("PopUpFiltr", "Nastavit &filtr dle podmínky", false);
    popupSeek_ = item("PopUpSeek", "&Hledat záznam dle klíče", false);
    popupIndexAdd_ = item("PopupIndexAdd", "Přidat nový index", false);
    menu_->addSeparator();
    popupCreate_ = item("PopUpCreate", "Vytvořit novou databázi", true);
    popupModiStru_ = item("PopupModiStru", "Změna struktury databáze", false);
    connect(grid_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { menu_->popup(grid_->viewport()->mapToGlobal(at)); });
    // Without a table the grid is hidden: the panel offers the menu (a new table) instead.
    browsPanel->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(browsPanel, &QWidget::customContextMenuRequested, this,
            [this, browsPanel](const QPoint& at) { menu_->popup(browsPanel->mapToGlobal(at)); });
    connect(popupEdit_, &QAction::toggled, this, [this](bool on) { editToggled(on); });
    connect(popupDelete_, &QAction::triggered, this,
            [this](bool shown) { areas_.setShowDeleted(shown); });
    connect(popupFilter_, &QAction::triggered, this, [this] { filterClicked(); });
    connect(popupSeek_, &QAction::triggered, this, [this] { seekClicked(); });
    connect(popupIndexAdd_, &QAction::triggered, this, [this] { addIndexClicked(); });
    connect(popupCreate_, &QAction::triggered, this, [this] { createClicked(); });
    connect(popupModiStru_, &QAction::triggered, this, [this] { changeStructureClicked(); });
    connect(deleteButton_, &QToolButton::clicked, this, [this] { deleteClicked(); });

    connect(loadButton_, &QToolButton::clicked, this, [this] { openClicked(); });
    connect(printButton_, &QToolButton::clicked, this, [this] { reportClicked(); });
    connect(closeButton_, &QToolButton::clicked, this, [this] { closeClicked(); });
    connect(indexBox_, QOverload<int>::of(&QComboBox::activated), this,
            [this](int i) { indexChosen(i); });
}

void applyShowDeletedSetting(windows::DbfWorkAreas& areas, const SettingsStore& settings) {
    areas.env().setDeleted(
        settings.formSwitch(QStringLiteral("DbfForm"), QStringLiteral("Deleted"), false));
}

void DbfWindow::applySettings(const SettingsStore& settings, bool mayShow) {
    applyShowDeletedSetting(areas_, settings);
    popupDelete_->setChecked(areas_.showDeleted());
    applyPlacement(settings, mayShow);
}

void DbfWindow::applyPlacement(const SettingsStore& settings, bool mayShow) {
    const QString name = QStringLiteral("DbfForm");
    settings.restorePlacement(*this, name);
    if (mayShow && settings.formSwitch(name, QStringLiteral("Visible"), false)) show();
}

bool DbfWindow::browse(const std::string& file) {
    areas_.select(1);
    if (areas_.useReadOnly(file)) return true;
    ui().messageBox(
        {applicationTitle(), czech("Chyba otevření databáze ") + file, MessageIcon::Error});
    return false;
}

// ---- selecting, opening, closing

void DbfWindow::selectAreaClicked(int area) {
    areas_.select(area);
}

void DbfWindow::areaSelected(int area) {
    areaButtons_[static_cast<std::size_t>(area - 1)]->setChecked(true);
    popupEdit_->setChecked(false);
    data::TDataTable& t = areas_.table(area);
    model_->setTable(areas_.isOpen(area) ? &t : nullptr);
    reloadGrid();
    updateCaption();
    panelCaption_->setText(cz("V datové oblasti <%1> není načtena žádná databáze !").arg(area));
    const bool open = areas_.isOpen(area) && t.active();
    toolbar_->setFixedHeight(open && !t.access().dbFilter().empty() ? kToolbarHigh : kToolbarLow);
    popupSeek_->setEnabled(open && t.access().indexOrd() > 0);
    filter_->setText(fromEngine(areas_.filter(area)));
    if (open) {
        fillIndexBox(area);
        setupOn();
    } else {
        setupOff();
    }
}

void DbfWindow::reportClicked() {
    clearReportDetail();
    const int n = areas_.selected();
    data::TDataTable* table = areas_.current();
    if (!table) return;
    const std::optional<std::string> name =
        ui().inputBox(czech("Tisk sestavy"), czech("Zadejte jméno sestavy:"), areas_.reportName(n));
    if (!name) return;
    areas_.setReportName(n, *name);
    designTableReport(*name, table->dataSource(), this);
}

void DbfWindow::openClicked() {
    FileDialogRequest request;
    request.title = czech("Otevřít databázi ...");
    request.filter = czech("Databáze (*.DBF)|*.DBF|Všechny soubory (*.*)|*.*");
    const auto name = ui().openFileDialog(request);
    if (!name) return;
    if (!areas_.use(*name))
        ui().messageBox(
            {applicationTitle(), czech("Chyba otevření databáze ") + *name, MessageIcon::Error});
    else if (data::TDataTable* t = areas_.current())
        t->access().goTop();
}

void DbfWindow::closeClicked() {
    if (data::TDataTable* t = areas_.current()) {
        t->access().query({});
        t->setFilter({});
    }
    areas_.use({});
    toolbar_->setFixedHeight(kToolbarLow);
    filter_->clear();
}

void DbfWindow::areaOpened(int area) {
    if (area != areas_.selected()) return;
    data::TDataTable& t = areas_.table(area);
    model_->setTable(&t);
    reloadGrid();
    grid_->show();
    updateCaption();
    popupEdit_->setChecked(false);
    popupSeek_->setEnabled(false);
    deleteButton_->hide();
    lastKey_.clear();
    indexBox_->setEnabled(true);
    setupOn();
    fillIndexBox(area);
    updateStatus();
}

void DbfWindow::areaClosed(int area) {
    if (area != areas_.selected()) return;
    model_->setTable(nullptr);
    deleteButton_->hide();
    updateCaption();
    setupOff();
}

void DbfWindow::updateCaption() {
    data::TDataTable* t = areas_.current();
    setWindowTitle(t ? cz("Databáze ") + shownTablePath(t->table()) : cz("Databáze"));
}

void DbfWindow::setupOn() {
    recordPanel_->show();
    grid_->show();
    panelCaption_->hide();
    printButton_->setEnabled(true);
    indexBox_->setEnabled(true);
    popupEdit_->setEnabled(true);
    popupFilter_->setEnabled(true);
    popupIndexAdd_->setEnabled(true);
    popupModiStru_->setEnabled(true);
    popupCreate_->setEnabled(false);
}

void DbfWindow::setupOff() {
    filling_ = true;
    indexBox_->clear();
    indexBox_->addItem(cz(kNoIndex));
    filling_ = false;
    indexBox_->setEnabled(false);
    grid_->hide();
    panelCaption_->show();
    printButton_->setEnabled(false);
    for (QAction* a : {popupEdit_, popupFilter_, popupSeek_, popupIndexAdd_, popupModiStru_})
        a->setEnabled(false);
    popupCreate_->setEnabled(true);
    recordPanel_->hide();
}

// ---- orders and filters

void DbfWindow::fillIndexBox(int area) {
    data::TDataTable& t = areas_.table(area);
    filling_ = true;
    indexBox_->clear();
    indexBox_->addItem(cz(kNoIndex));
    if (t.active()) {
        data::TDbfAccess& a = t.access();
        const int current = a.indexOrd();
        for (int i = 1;; ++i) {
            const std::string tag = a.tagName(i);
            if (tag.empty()) break;
            indexBox_->addItem(fromEngine(tag + " : " + a.indexKey(i)));
        }
        indexBox_->setCurrentIndex(current < indexBox_->count() ? current : 0);
    }
    filling_ = false;
}

void DbfWindow::indexChosen(int item) {
    if (filling_) return;
    data::TDataTable* t = areas_.current();
    if (!t) return;
    popupSeek_->setEnabled(false);
    t->access().setOrder(item);
    t->table().resync();
    popupSeek_->setEnabled(item > 0);
    reloadGrid();
    updateStatus();
    grid_->setFocus();
}

void DbfWindow::ordersChanged(int area) {
    if (area != areas_.selected()) return;
    fillIndexBox(area);
    if (data::TDataTable* t = areas_.current()) popupSeek_->setEnabled(t->access().indexOrd() > 0);
    reloadGrid();
    updateStatus();
}

void DbfWindow::filterShown(int area, bool shown) {
    if (area != areas_.selected()) return;
    toolbar_->setFixedHeight(shown ? kToolbarHigh : kToolbarLow);
    if (shown) filter_->setText(fromEngine(areas_.filter(area)));
    reloadGrid();
    updateStatus();
}

void DbfWindow::engineProgress(int percent) {
    if (percent < 0) {
        gauge_->hide();
        return;
    }
    gauge_->setValue(percent);
    gauge_->show();
    // The work blocks the event loop; the percentage changes at most a hundred times.
    if (isVisible()) QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void DbfWindow::busy(bool on, const std::string& text) {
    if (on) {
        grid_->hide();
        panelCaption_->setText(fromEngine(text));
        panelCaption_->show();
    } else if (areas_.current()) {
        panelCaption_->hide();
        grid_->show();
    }
}

void DbfWindow::showDeletedChanged(bool show) {
    popupDelete_->setChecked(show);
    reloadGrid();
    updateStatus();
}

// ---- status line and grid

// The record's number and the table's count; while not every record is shown (a filter, hidden
// deleted records, an index with a condition) the record's place among the rows shown and their
// number, with the record's number after them. A table standing past its
// last record (a failed search) says so instead of showing a number after the count.
QString DbfWindow::statusText() {
    data::TDbfAccess& a = areas_.current()->access();
    const std::uint32_t recno = a.recNo();
    const std::uint32_t total = a.recCount();
    const bool filtered = !a.dbFilter().empty() || !areas_.showDeleted() ||
                          (a.indexOrd() > 0 && !a.indexCondition(0).empty());
    const int shown = !filtered    ? static_cast<int>(total)
                      : gridStale_ ? static_cast<int>(a.count())
                                   : model_->rowCount();
    const bool atEnd = recno == 0 || recno > total || a.eof();
    if (shown == 0) return QStringLiteral("0/0");
    if (atEnd) return cz("konec/%1").arg(shown);
    if (!filtered) return QStringLiteral("%1/%2").arg(recno).arg(total);
    const int row = model_->rowOfRecord(recno);
    const QString place = row < 0 ? QStringLiteral("-") : QString::number(row + 1);
    return cz("%1/%2 (záznam %3)").arg(place).arg(shown).arg(recno);
}

void DbfWindow::updateStatus() {
    data::TDataTable* t = areas_.current();
    if (!t) return;
    data::TDbfAccess& a = t->access();
    const std::uint32_t recno = a.recNo();
    QString text = statusText();
    if (a.evalLogical("DELETED()")) text += QStringLiteral(" [Deleted]");
    if (a.locked(recno)) text += QStringLiteral(" [Locked]");
    status_->setText(text);
    const int row = model_->rowOfRecord(recno);
    if (row >= 0 && grid_->currentIndex().row() != row) {
        filling_ = true;
        grid_->setCurrentIndex(model_->index(row, std::max(0, grid_->currentIndex().column())));
        filling_ = false;
    }
}

void DbfWindow::gridMoved(int row) {
    if (filling_) return;
    data::TDataTable* t = areas_.current();
    const std::uint32_t recno = model_->recordOfRow(row);
    if (t && recno != 0 && recno != t->access().recNo()) t->access().go(recno);
}

void DbfWindow::refresh() {
    model_->reload();
    gridStale_ = false;
    updateStatus();
}

void DbfWindow::reloadGrid() {
    if (!isVisible()) {
        gridStale_ = true;
        return;
    }
    model_->reload();
    gridStale_ = false;
    fitColumns();
}

void DbfWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (gridStale_) {
        model_->reload();
        fitColumns();
    }
    gridStale_ = false;
    updateStatus();
}

void DbfWindow::fitColumns() {
    QString layout;
    for (const GridColumn& f : model_->fields())
        layout += fromEngine(f.name) + QChar::fromLatin1(f.type) + QString::number(f.width) + u' ';
    if (layout == fittedLayout_) return;
    fittedLayout_ = layout;
    const QFontMetrics metrics = grid_->fontMetrics();
    const int digit = metrics.horizontalAdvance(QLatin1Char('0'));
    const int letter = metrics.horizontalAdvance(QLatin1Char('W'));
    int column = 0;
    for (const GridColumn& f : model_->fields()) {
        int chars = f.width;
        if (f.type == 'D') chars = 10;
        if (f.type == 'M' || f.type == 'G' || f.type == 'P') chars = 6;
        // Capital letters are wider than digits; a short text field gets room for them.
        const int perChar = f.type == 'C' && f.width <= 4 ? letter : digit;
        const int cells = std::min(chars, 40) * perChar + 12;
        const int title = metrics.horizontalAdvance(fromEngine(f.name)) + 16;
        grid_->horizontalHeader()->resizeSection(column++, std::max(cells, title));
    }
}

void DbfWindow::enterPressed() {
    data::TDataTable* t = areas_.current();
    if (!t) return;
    const int column = grid_->currentIndex().column();
    if (column < 0 || column >= t->access().fieldCount()) return;
    std::string field = t->access().fieldName(column + 1).substr(0, 20);
    if (t->access().fieldType(field) != "M") return;
    const std::string caption = tablePath(t->table()) + " -> " + field;
    if (memoViewer_)
        memoViewer_(*t, field, caption);
    else
        showMemo(*t, field, caption);
}

namespace {

// Reads the memo of the current record through the row view. The memo window shows whatever
// its field gives, and a field that cannot be read gives an empty text; a damaged memo must be
// told instead.
void checkMemoReadable(data::TDataTable& table, const std::string& field) {
    const data::TableDataSet& ds = table.table();
    const data::RowView rows(ds);
    const auto fields = rows.fields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (sameFieldName(fields[i].name, field)) {
            rows.memo(ds.recNo(), static_cast<int>(i));
            return;
        }
    }
}

} // namespace

void DbfWindow::showMemo(data::TDataTable& table, const std::string& field,
                         const std::string& caption) {
    memo::MemoEditor editor;
    try {
        checkMemoReadable(table, field);
        editor.setReadOnly(!editing_);
        editor.setCaption(caption);
        editor.bind(table.dataSource(), field);
        editor.edit();
    } catch (const std::exception&) {
        ui().messageBox({applicationTitle(),
                         czech("Memopoložku delší než 64 Kb\n\rnelze zobrazit, ani editovat !"),
                         MessageIcon::Error});
    }
    editor.bind(nullptr, {});
}

// ---- the table tool

void DbfWindow::tell(const std::string& text, bool error) {
    ui().messageBox(
        {applicationTitle(), text, error ? MessageIcon::Error : MessageIcon::Information});
}

void DbfWindow::editToggled(bool on) {
    if (on == editing_) return;
    if (on) {
        // A table browsed read-only is opened for writing first.
        if (const std::string fault = areas_.makeWritable(); !fault.empty()) {
            tell(fault, true);
            popupEdit_->setChecked(false);
            return;
        }
    }
    editing_ = on;
    if (on) {
        model_->setEditable(true, [this](std::uint32_t recno, int column, const QString& text) {
            const std::string fault = areas_.writeCell(recno, column, toEngine(text));
            if (!fault.empty()) {
                tell(fault, true);
                return false;
            }
            // The record may have moved in the order or left the filter: rows are read again
            // once the edit is over.
            QTimer::singleShot(0, this, [this] {
                reloadGrid();
                updateStatus();
            });
            return true;
        });
    } else {
        model_->setEditable(false);
    }
    grid_->setEditTriggers(on ? QAbstractItemView::DoubleClicked |
                                    QAbstractItemView::EditKeyPressed |
                                    QAbstractItemView::AnyKeyPressed
                              : QAbstractItemView::NoEditTriggers);
    deleteButton_->setVisible(on && areas_.current());
    if (areas_.current()) updateStatus();
}

void DbfWindow::deleteClicked() {
    if (!areas_.current()) return;
    if (const std::string fault = areas_.toggleDeleted(); !fault.empty()) tell(fault, true);
    reloadGrid();
    updateStatus();
}

void DbfWindow::filterClicked() {
    if (!areas_.current()) return;
    LinesDialog dialog(
        cz("Filtr dle podmínky"),
        cz("Zobrazí jen záznamy, pro které podmínka platí. Podmínka je logický výraz nad "
           "položkami tabulky, například CENA > 100 .AND. MESTO = \"Brno\". Prázdná "
           "podmínka filtr zruší."),
        {{cz("Podmínka:"), areas_.filter(areas_.selected()), QStringLiteral("Podminka")}},
        [this](const std::vector<std::string>& values) {
            return values[0].empty() ? std::string() : areas_.filterFault(values[0]);
        },
        this);
    if (dialog.exec() != QDialog::Accepted) return;
    areas_.setFilter(dialog.values()[0]);
    grid_->setFocus();
}

void DbfWindow::seekClicked() {
    data::TDataTable* t = areas_.current();
    if (!t || t->access().indexOrd() <= 0) return;
    data::TDbfAccess& a = t->access();
    LinesDialog dialog(
        cz("Hledat záznam dle klíče"),
        cz("Index %1, klíčový výraz %2")
            .arg(fromEngine(a.tagName(a.indexOrd())), fromEngine(a.indexKey(0))),
        {{cz("Hledaný klíč:"), lastKey_, QStringLiteral("Klic")}},
        [this](const std::vector<std::string>& values) { return areas_.seekKey(values[0]); }, this);
    if (dialog.exec() != QDialog::Accepted) return;
    lastKey_ = dialog.values()[0];
    updateStatus();
    grid_->setFocus();
}

void DbfWindow::addIndexClicked() {
    if (!areas_.current()) return;
    LinesDialog dialog(
        cz("Přidat nový index"),
        cz("Index se uloží do indexového souboru tabulky (.CDX) a stane se řídicím. Klíč je "
           "výraz nad položkami, například UPPER(NAZEV) nebo DTOS(DATUM) + CISLO; podmínka FOR "
           "omezí index na záznamy, pro které platí."),
        {{cz("Jméno indexu:"), {}, QStringLiteral("Jmeno")},
         {cz("Klíčový výraz:"), {}, QStringLiteral("Klic")},
         {cz("Podmínka FOR:"), {}, QStringLiteral("Podminka")}},
        [this](const std::vector<std::string>& values) {
            return areas_.addIndex(values[0], values[1], values[2]);
        },
        this);
    if (dialog.exec() != QDialog::Accepted) return;
    // The new order is looked at from its start.
    if (data::TDataTable* t = areas_.current()) t->access().goTop();
    grid_->setFocus();
}

namespace {

std::vector<tables::FieldSpec> specsOf(const std::vector<data::StructureField>& fields) {
    std::vector<tables::FieldSpec> specs;
    for (const data::StructureField& f : fields)
        specs.push_back(f.spec);
    return specs;
}

} // namespace

void DbfWindow::createClicked() {
    FileDialogRequest request;
    request.title = czech("Vytvořit novou databázi");
    request.filter = czech("Databáze (*.DBF)|*.DBF|Všechny soubory (*.*)|*.*");
    const std::optional<std::string> chosen = ui().saveFileDialog(request);
    if (!chosen || chosen->empty()) return;
    const std::string file = data::completeFileName(*chosen, ".DBF");
    const std::filesystem::path host = data::hostFileName(file);
    if (!host.empty() && tables::tableExists(host)) {
        tell(czech("Tabulka ") + file + czech(" už existuje; zvolte jiné jméno."), true);
        return;
    }
    StructureDialog dialog(
        cz("Nová databáze %1").arg(host.empty() ? fromEngine(file) : fromHost(host.string())), {},
        [this, file](const std::vector<data::StructureField>& fields) {
            return areas_.createTable(file, specsOf(fields));
        },
        this);
    if (dialog.exec() == QDialog::Accepted) grid_->setFocus();
}

void DbfWindow::changeStructureClicked() {
    data::TDataTable* t = areas_.current();
    if (!t) return;
    data::StructureChange change;
    StructureDialog dialog(
        cz("Změna struktury databáze %1").arg(shownTablePath(t->table())),
        areas_.currentStructure(),
        [this, &change](const std::vector<data::StructureField>& fields) {
            return areas_.changeStructure(fields, &change);
        },
        this);
    if (dialog.exec() != QDialog::Accepted) return;
    std::string text = czech("Struktura databáze je změněna, záznamů zkopírováno: ") +
                       std::to_string(change.records) + czech(".\nPůvodní tabulka zůstala jako ") +
                       utf8ToCp1250(change.backup.filename().string()) + ".";
    if (change.valuesLost > 0)
        text += czech("\nHodnot, které se do nových položek nevešly a zůstaly prázdné: ") +
                std::to_string(change.valuesLost) + ".";
    if (!change.droppedTags.empty()) {
        text += czech("\nIndexy, jejichž klíč nové položky nedovolují, byly vynechány:");
        for (const std::string& tag : change.droppedTags)
            text += " " + tag;
        text += ".";
    }
    tell(text, false);
}

// ---- the window itself

void DbfWindow::showWindow() {
    show();
    raise();
}

void DbfWindow::hideWindow() {
    hide();
}

void DbfWindow::placeWindow(int left, int top, int width, int height) {
    move(left, top);
    resize(width, height);
}

bool DbfWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (watched == grid_ && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
        enterPressed();
        return true;
    }
    if (watched == filter_ && key->matches(QKeySequence::Copy)) {
        QApplication::clipboard()->setText(filter_->text());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace vorlan::qt
