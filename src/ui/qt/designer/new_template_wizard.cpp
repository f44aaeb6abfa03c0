#include "ui/qt/designer/new_template_wizard.h"

#include "core/cp1250.h"
#include "report/output/output_model.h"
#include "report/run/report_run.h"
#include "ui/qt/designer/designer_dialogs.h"
#include "ui/qt/designer/dialog_support.h"
#include "ui/qt/qt_text.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace vorlan::qt {

namespace {

constexpr int kFieldRole = Qt::UserRole;

QListWidget* fieldList(QWidget* parent, const char* name) {
    auto* list = new QListWidget(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setDragDropMode(QAbstractItemView::DragDrop);
    list->setDefaultDropAction(Qt::MoveAction);
    list->setMinimumWidth(180);
    return list;
}

QPushButton* button(QWidget* parent, const QString& text, const char* name) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace

std::vector<report::WizardField> wizardFieldsOf(report::TSestavaTyp& report) {
    std::vector<report::WizardField> fields;
    report::RecordSource* records = report::recordsOf(report);
    for (int i = 0; i < report.fieldCount(); ++i) {
        report::WizardField f;
        f.index = i;
        if (records) {
            f.name = records->fieldName(i);
            f.label = records->fieldDisplayLabel(i);
            f.displayWidth = records->fieldDisplayWidth(i);
            f.alignment = records->fieldAlignment(i);
        }
        if (f.name.empty()) f.name = "#" + std::to_string(i + 1);
        fields.push_back(f);
    }
    return fields;
}

NewTemplateWizard::NewTemplateWizard(report::TSestavaTyp& report,
                                     const report::DesignerSettings& settings, QWidget* parent)
    : QDialog(parent), report_(report), settings_(settings), fields_(wizardFieldsOf(report)) {
    setObjectName(QStringLiteral("NewTemplateWizard"));
    setWindowTitle(cz("Návrh nové předlohy"));
    auto* layout = new QVBoxLayout(this);

    auto* lists = new QGridLayout;
    available_ = fieldList(this, "AvailableFields");
    chosen_ = fieldList(this, "ChosenFields");
    auto* availableLabel = new QLabel(cz("&Dostupné položky:"), this);
    availableLabel->setBuddy(available_);
    auto* chosenLabel = new QLabel(cz("&Vybrané položky:"), this);
    chosenLabel->setBuddy(chosen_);
    lists->addWidget(availableLabel, 0, 0);
    lists->addWidget(chosenLabel, 0, 2);
    lists->addWidget(available_, 1, 0);
    lists->addWidget(chosen_, 1, 2);
    auto* moves = new QVBoxLayout;
    moves->addStretch(1);
    auto* one = button(this, QStringLiteral(">"), "ChooseOne");
    auto* all = button(this, QStringLiteral(">>"), "ChooseAll");
    auto* back = button(this, QStringLiteral("<"), "ReturnOne");
    auto* allBack = button(this, QStringLiteral("<<"), "ReturnAll");
    for (QPushButton* b : {one, all, back, allBack})
        moves->addWidget(b);
    moves->addStretch(1);
    lists->addLayout(moves, 1, 1);
    layout->addLayout(lists, 1);

    auto* settingsRow = new QHBoxLayout;
    auto* styleGroup = new QGroupBox(cz("Styl"), this);
    auto* styleLayout = new QVBoxLayout(styleGroup);
    columns_ = new QRadioButton(cz("&Sloupce"), styleGroup);
    columns_->setObjectName(QStringLiteral("ColumnStyle"));
    columns_->setChecked(true);
    rows_ = new QRadioButton(cz("Řá&dky"), styleGroup);
    rows_->setObjectName(QStringLiteral("RowStyle"));
    styleLayout->addWidget(columns_);
    styleLayout->addWidget(rows_);
    settingsRow->addWidget(styleGroup);
    auto* optionGroup = new QGroupBox(cz("Volby"), this);
    auto* optionLayout = new QVBoxLayout(optionGroup);
    titles_ = new QCheckBox(cz("&Popisy položek"), optionGroup);
    titles_->setObjectName(QStringLiteral("FieldTitles"));
    titles_->setChecked(true);
    byName_ = new QCheckBox(cz("Pol. podle &názvu"), optionGroup);
    byName_->setObjectName(QStringLiteral("FieldsByName"));
    byName_->setChecked(settings.fieldsByName);
    titlesAsText_ = new QCheckBox(cz("Popisy &textem"), optionGroup);
    titlesAsText_->setObjectName(QStringLiteral("TitlesAsText"));
    for (QCheckBox* box : {titles_, byName_, titlesAsText_})
        optionLayout->addWidget(box);
    connect(titles_, &QCheckBox::toggled, titlesAsText_, &QWidget::setEnabled);
    settingsRow->addWidget(optionGroup);
    layout->addLayout(settingsRow);

    auto* buttons = new QHBoxLayout;
    auto* manual = button(this, cz("&Ručně"), "ManualButton");
    auto* paper = button(this, cz("&Formát papíru"), "PaperButton");
    auto* design = button(this, cz("&Navrhnout"), "GenerateButton");
    design->setDefault(true);
    auto* cancel = button(this, cz("Storno"), "CancelButton");
    buttons->addWidget(manual);
    buttons->addWidget(paper);
    buttons->addStretch(1);
    buttons->addWidget(design);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    for (const report::WizardField& f : fields_) {
        auto* item = new QListWidgetItem(fromEngine(f.name), available_);
        item->setData(kFieldRole, f.index);
    }
    connect(one, &QPushButton::clicked, this, &NewTemplateWizard::chooseSelected);
    connect(all, &QPushButton::clicked, this, &NewTemplateWizard::chooseAll);
    connect(back, &QPushButton::clicked, this, &NewTemplateWizard::returnSelected);
    connect(allBack, &QPushButton::clicked, this, &NewTemplateWizard::returnAll);
    connect(available_, &QListWidget::itemDoubleClicked, this, &NewTemplateWizard::chooseSelected);
    connect(chosen_, &QListWidget::itemDoubleClicked, this, &NewTemplateWizard::returnSelected);
    connect(manual, &QPushButton::clicked, this, &NewTemplateWizard::designManually);
    connect(paper, &QPushButton::clicked, this, &NewTemplateWizard::choosePaper);
    connect(design, &QPushButton::clicked, this, &NewTemplateWizard::generate);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void NewTemplateWizard::move(QListWidget* from, QListWidget* to, bool all) {
    std::vector<int> picked;
    for (int row = 0; row < from->count(); ++row)
        if (all || from->item(row)->isSelected()) picked.push_back(row);
    if (picked.empty() && from->currentRow() >= 0) picked.push_back(from->currentRow());
    // Taken from the end so the rows stay valid, then put in again in their order.
    std::vector<QListWidgetItem*> items;
    for (auto it = picked.rbegin(); it != picked.rend(); ++it)
        items.push_back(from->takeItem(*it));
    std::reverse(items.begin(), items.end());
    for (QListWidgetItem* item : items) {
        item->setSelected(false);
        if (to != available_) {
            to->addItem(item);
            continue;
        }
        // Back to its place in the table's order.
        const int index = item->data(kFieldRole).toInt();
        int at = 0;
        while (at < to->count() && to->item(at)->data(kFieldRole).toInt() < index)
            ++at;
        to->insertItem(at, item);
    }
}

void NewTemplateWizard::chooseSelected() {
    move(available_, chosen_, false);
}
void NewTemplateWizard::chooseAll() {
    move(available_, chosen_, true);
}
void NewTemplateWizard::returnSelected() {
    move(chosen_, available_, false);
}
void NewTemplateWizard::returnAll() {
    move(chosen_, available_, true);
}

std::vector<report::WizardField> NewTemplateWizard::chosenFields() const {
    std::vector<report::WizardField> out;
    for (int row = 0; row < chosen_->count(); ++row) {
        const int index = chosen_->item(row)->data(kFieldRole).toInt();
        if (index >= 0 && index < static_cast<int>(fields_.size()))
            out.push_back(fields_[static_cast<std::size_t>(index)]);
    }
    return out;
}

report::WizardStyle NewTemplateWizard::style() const {
    return rows_->isChecked() ? report::WizardStyle::Rows : report::WizardStyle::Columns;
}

report::WizardOptions NewTemplateWizard::options() const {
    report::WizardOptions o;
    o.fieldTitles = titles_->isChecked();
    o.fieldsByName = byName_->isChecked();
    o.titlesAsText = titlesAsText_->isChecked();
    return o;
}

void NewTemplateWizard::designManually() {
    report_.clearDefinition();
    accept();
}

void NewTemplateWizard::choosePaper() {
    runReportSettingsDialog(this, report_, ReportSettingsPage::Paper);
}

void NewTemplateWizard::generate() {
    const std::vector<report::WizardField> fields = chosenFields();
    if (fields.empty()) {
        tellError(czech("Nebyly vybrány žádné položky. Návrh nemůže být proveden!"));
        return;
    }
    report::generateTemplate(report_, fields, style(), options(),
                             report::printableWidth(report::paperSettings()), settings_);
    accept();
}

bool runNewTemplateWizard(QWidget* parent, report::TSestavaTyp& report,
                          const report::DesignerSettings& settings) {
    NewTemplateWizard wizard(report, settings, parent);
    return wizard.exec() == QDialog::Accepted;
}

} // namespace vorlan::qt
