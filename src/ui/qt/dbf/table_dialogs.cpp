#include "ui/qt/dbf/table_dialogs.h"

#include "ui/qt/qt_text.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace vorlan::qt {

namespace {

// Word-wrapped texts get a width to wrap at, and a dialog given here grows to show their lines
// whole.
constexpr int kTextWidth = 460;

QLabel* makeFaultLabel(QWidget* parent) {
    auto* fault = new QLabel(parent);
    fault->setObjectName(QStringLiteral("Chyba"));
    fault->setWordWrap(true);
    fault->setMinimumWidth(kTextWidth);
    fault->setStyleSheet(QStringLiteral("color: #b00000"));
    fault->hide();
    return fault;
}

QDialogButtonBox* makeButtons(QDialog* dialog) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(cz("Zrušit"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

void showFault(QDialog* dialog, QLabel* label, const std::string& fault) {
    label->setText(fromEngine(fault));
    label->setVisible(!fault.empty());
    if (dialog) dialog->adjustSize();
}

// The types a user picks from, with the widths the fixed ones always have.
struct TypeChoice {
    char letter;
    const char* text;
    int fixedWidth; // 0: the user's width
};
constexpr TypeChoice kTypes[] = {
    {'C', "C – znaky", 0},   {'N', "N – číslo", 0},       {'F', "F – číslo (F)", 0},
    {'L', "L – ano/ne", 1},  {'D', "D – datum", 8},       {'M', "M – memo", 10},
    {'G', "G – obecná", 10}, {'I', "I – celé číslo", 4},  {'B', "B – dvojitá přesnost", 8},
    {'Y', "Y – měna", 8},    {'T', "T – datum a čas", 8},
};

const TypeChoice* choiceOf(char letter) {
    for (const TypeChoice& c : kTypes)
        if (c.letter == letter) return &c;
    return nullptr;
}

enum Column { NameColumn, TypeColumn, WidthColumn, DecimalsColumn };
constexpr int kSourceRole = Qt::UserRole + 1;

} // namespace

// ---- lines

LinesDialog::LinesDialog(const QString& title, const QString& intro,
                         const std::vector<LineSpec>& lines, LinesCheck check, QWidget* parent)
    : QDialog(parent), check_(std::move(check)) {
    setObjectName(QStringLiteral("TableToolDialog"));
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    if (!intro.isEmpty()) {
        auto* text = new QLabel(intro, this);
        text->setWordWrap(true);
        text->setMinimumWidth(kTextWidth);
        layout->addWidget(text);
    }
    auto* form = new QFormLayout;
    for (const LineSpec& spec : lines) {
        auto* edit = new QLineEdit(fromEngine(spec.value), this);
        edit->setObjectName(spec.objectName);
        edit->setMinimumWidth(360);
        form->addRow(spec.label, edit);
        lines_.push_back(edit);
    }
    layout->addLayout(form);
    fault_ = makeFaultLabel(this);
    layout->addWidget(fault_);
    layout->addWidget(makeButtons(this));
    layout->setSizeConstraint(QLayout::SetMinimumSize);
}

std::vector<std::string> LinesDialog::values() const {
    std::vector<std::string> out;
    for (const QLineEdit* line : lines_)
        out.push_back(toEngine(line->text().trimmed()));
    return out;
}

void LinesDialog::accept() {
    const std::string fault = check_ ? check_(values()) : std::string();
    showFault(this, fault_, fault);
    if (fault.empty()) QDialog::accept();
}

// ---- the field list

StructureDialog::StructureDialog(const QString& title,
                                 const std::vector<data::StructureField>& fields, FieldsCheck check,
                                 QWidget* parent)
    : QDialog(parent), check_(std::move(check)) {
    setObjectName(QStringLiteral("StructureDialog"));
    setWindowTitle(title);
    resize(560, 420);
    auto* layout = new QVBoxLayout(this);
    table_ = new QTableWidget(0, 4, this);
    table_->setObjectName(QStringLiteral("Polozky"));
    table_->setHorizontalHeaderLabels({cz("Jméno"), cz("Typ"), cz("Šířka"), cz("Desetinná místa")});
    table_->horizontalHeader()->setSectionResizeMode(NameColumn, QHeaderView::Stretch);
    table_->setColumnWidth(TypeColumn, 170);
    table_->verticalHeader()->setDefaultSectionSize(24);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    layout->addWidget(table_, 1);

    auto* rowButtons = new QHBoxLayout;
    const std::pair<const char*, std::function<void()>> actions[] = {
        {"Přidat položku", [this] { addRow(); }},
        {"Odebrat", [this] { removeRow(); }},
        {"Nahoru", [this] { moveRow(-1); }},
        {"Dolů", [this] { moveRow(1); }},
    };
    for (const auto& [text, action] : actions) {
        auto* b = new QPushButton(cz(text), this);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, action);
        rowButtons->addWidget(b);
    }
    rowButtons->addStretch(1);
    layout->addLayout(rowButtons);
    fault_ = makeFaultLabel(this);
    layout->addWidget(fault_);
    layout->addWidget(makeButtons(this));
    setFields(fields);
}

void StructureDialog::setFields(const std::vector<data::StructureField>& fields) {
    table_->setRowCount(0);
    for (const data::StructureField& f : fields)
        insertRow(table_->rowCount(), f);
    if (fields.empty()) addRow();
}

void StructureDialog::insertRow(int row, const data::StructureField& field) {
    table_->insertRow(row);
    auto* name = new QTableWidgetItem(fromEngine(field.spec.name));
    name->setData(kSourceRole, fromEngine(field.source));
    table_->setItem(row, NameColumn, name);
    auto* type = new QComboBox(table_);
    for (const TypeChoice& c : kTypes)
        type->addItem(cz(c.text), QChar::fromLatin1(c.letter));
    const char letter = field.spec.type;
    int at = type->findData(QChar::fromLatin1(letter));
    if (at < 0) {
        type->addItem(QString(QChar::fromLatin1(letter)), QChar::fromLatin1(letter));
        at = type->count() - 1;
    }
    type->setCurrentIndex(at);
    table_->setCellWidget(row, TypeColumn, type);
    table_->setItem(row, WidthColumn, new QTableWidgetItem(QString::number(field.spec.width)));
    table_->setItem(row, DecimalsColumn,
                    new QTableWidgetItem(QString::number(field.spec.decimals)));
    connect(type, &QComboBox::currentIndexChanged, this, [this, type] {
        for (int r = 0; r < table_->rowCount(); ++r)
            if (table_->cellWidget(r, TypeColumn) == type) typeChosen(r);
    });
    typeChosen(row);
}

// A type of fixed width shows that width and no decimals, neither to be edited.
void StructureDialog::typeChosen(int row) {
    auto* type = qobject_cast<QComboBox*>(table_->cellWidget(row, TypeColumn));
    if (!type) return;
    const char letter = type->currentData().toChar().toLatin1();
    const TypeChoice* choice = choiceOf(letter);
    const bool fixed = choice && choice->fixedWidth > 0;
    const bool numeric = letter == 'N' || letter == 'F';
    QTableWidgetItem* width = table_->item(row, WidthColumn);
    QTableWidgetItem* decimals = table_->item(row, DecimalsColumn);
    if (!width || !decimals) return;
    if (fixed) width->setText(QString::number(choice->fixedWidth));
    if (!numeric && letter != 'B') decimals->setText(QStringLiteral("0"));
    const Qt::ItemFlags editable = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
    const Qt::ItemFlags shown = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    width->setFlags(fixed ? shown : editable);
    decimals->setFlags(numeric ? editable : shown);
}

void StructureDialog::addRow() {
    const int row = table_->currentRow() < 0 ? table_->rowCount() : table_->currentRow() + 1;
    insertRow(row, {{"", 'C', 10, 0}, ""});
    table_->setCurrentCell(row, NameColumn);
    if (isVisible()) table_->editItem(table_->item(row, NameColumn));
}

void StructureDialog::removeRow() {
    const int row = table_->currentRow();
    if (row >= 0) table_->removeRow(row);
}

void StructureDialog::moveRow(int by) {
    const int row = table_->currentRow();
    const int to = row + by;
    if (row < 0 || to < 0 || to >= table_->rowCount()) return;
    std::vector<data::StructureField> all = fields();
    std::swap(all[static_cast<std::size_t>(row)], all[static_cast<std::size_t>(to)]);
    setFields(all);
    table_->setCurrentCell(to, NameColumn);
}

std::vector<data::StructureField> StructureDialog::fields() const {
    std::vector<data::StructureField> out;
    for (int row = 0; row < table_->rowCount(); ++row) {
        data::StructureField f;
        if (const QTableWidgetItem* name = table_->item(row, NameColumn)) {
            f.spec.name = toEngine(name->text().trimmed().toUpper());
            f.source = toEngine(name->data(kSourceRole).toString());
        }
        if (auto* type = qobject_cast<QComboBox*>(table_->cellWidget(row, TypeColumn)))
            f.spec.type = type->currentData().toChar().toLatin1();
        if (const QTableWidgetItem* width = table_->item(row, WidthColumn))
            f.spec.width = width->text().trimmed().toInt();
        if (const QTableWidgetItem* decimals = table_->item(row, DecimalsColumn))
            f.spec.decimals = decimals->text().trimmed().toInt();
        out.push_back(std::move(f));
    }
    return out;
}

void StructureDialog::accept() {
    const std::string fault = check_ ? check_(fields()) : std::string();
    showFault(nullptr, fault_, fault);
    if (fault.empty()) QDialog::accept();
}

} // namespace vorlan::qt
