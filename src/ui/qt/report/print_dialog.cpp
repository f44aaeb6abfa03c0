#include "ui/qt/report/print_dialog.h"
#include "ui/qt/qt_text.h"

#include "core/cp1250.h"
#include "report/model.h"
#include "ui/qt/report/printer_combo.h"
#include "ui/qt/report/template_combo.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace vorlan::qt {

namespace {

// Space under the last group.
constexpr int kBottomMargin = 6;

QSpinBox* pageBox(QWidget* parent, const char* name, int value) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(1, 9999);
    box->setValue(std::clamp(value, 1, 9999));
    return box;
}

} // namespace

SestPrintDlg::SestPrintDlg(const PrintDialogTyp& options, report::TSestava* report, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("TSestPrintDlg"));
    setWindowTitle(cz("Tisk sestavy"));

    printerGroup_ = new QGroupBox(cz("Tiskárna"), this);
    auto* printerForm = new QFormLayout(printerGroup_);
    printers_ = new ComboBoxPrinter(printerGroup_);
    if (options.printerIndex >= 0 && options.printerIndex < printers_->count())
        printers_->setCurrentIndex(options.printerIndex);
    if (options.printToFile) printers_->setCurrentIndex(printers_->count() - 1);
    printerForm->addRow(cz("Ná&zev:"), printers_);
    type_ = new QLabel(printerGroup_);
    type_->setObjectName(QStringLiteral("PrinterType"));
    printerForm->addRow(cz("Typ:"), type_);
    location_ = new QLabel(printerGroup_);
    location_->setObjectName(QStringLiteral("PrinterLocation"));
    printerForm->addRow(cz("Kde:"), location_);
    auto* printerRow = new QHBoxLayout;
    properties_ = new QPushButton(cz("&Vlastnosti..."), printerGroup_);
    properties_->setObjectName(QStringLiteral("PropertiesButton"));
    toFile_ = new QCheckBox(cz("Tisknout do &souboru"), printerGroup_);
    toFile_->setObjectName(QStringLiteral("PrintToFile"));
    toFile_->setChecked(options.printToFile);
    toFile_->setVisible(options.shows(PrintDialogPart::PrintToFile));
    printerRow->addWidget(toFile_);
    printerRow->addStretch(1);
    printerRow->addWidget(properties_);
    printerForm->addRow(printerRow);
    connect(printers_, &QComboBox::currentIndexChanged, this, &SestPrintDlg::printerChanged);
    connect(properties_, &QPushButton::clicked, this, &SestPrintDlg::showProperties);

    rangeGroup_ = new QGroupBox(cz("Rozsah stránek:"), this);
    auto* rangeForm = new QFormLayout(rangeGroup_);
    from_ = pageBox(rangeGroup_, "FromPage", options.firstPage);
    to_ = pageBox(rangeGroup_, "ToPage", options.lastPage);
    copies_ = pageBox(rangeGroup_, "Copies", options.copies);
    rangeForm->addRow(cz("&Od stránky:"), from_);
    rangeForm->addRow(cz("&Do stránky:"), to_);
    rangeForm->addRow(cz("&Počet kopií:"), copies_);
    currentPage_ = new QCheckBox(cz("Tisknout &aktuální stránku"), rangeGroup_);
    currentPage_->setObjectName(QStringLiteral("CurrentPageOnly"));
    currentPage_->setVisible(options.shows(PrintDialogPart::CurrentPageOnly));
    oneRecord_ = new QCheckBox(cz("Tisknout pouze &jeden záznam"), rangeGroup_);
    oneRecord_->setObjectName(QStringLiteral("OneRecordOnly"));
    oneRecord_->setChecked(options.oneRecordOnly);
    oneRecord_->setVisible(options.shows(PrintDialogPart::OneRecordOnly));
    rangeForm->addRow(currentPage_);
    rangeForm->addRow(oneRecord_);
    // Printing the current page leaves no range to choose.
    connect(currentPage_, &QCheckBox::toggled, this, [this](bool on) {
        from_->setEnabled(!on);
        to_->setEnabled(!on);
    });
    currentPage_->setChecked(options.currentPageOnly);

    templateGroup_ = new QGroupBox(cz("Tiskový formulář:"), this);
    auto* templateForm = new QFormLayout(templateGroup_);
    templates_ = new ComboBoxPredloha(templateGroup_);
    templates_->report = report;
    if (report) templates_->programDir = report->programDir;
    templates_->setReportDir(options.templateDir);
    templates_->reportDirIgnore = options.templateDir.empty();
    templates_->setReportMask(options.templateMask);
    templates_->fill();
    if (!options.templateName.empty()) templates_->selectFileName(options.templateName);
    auto* templateRow = new QHBoxLayout;
    templateRow->addWidget(templates_, 1);
    edit_ = new QPushButton(cz("&Upravit..."), templateGroup_);
    edit_->setObjectName(QStringLiteral("EditButton"));
    templateRow->addWidget(edit_);
    auto* templateLabel = new QLabel(cz("Náz&ev:"), templateGroup_);
    templateLabel->setBuddy(templates_);
    templateForm->addRow(templateLabel, templateRow);
    setDefault_ = new QCheckBox(cz("Nastavit jako výchozí &formulář"), templateGroup_);
    setDefault_->setObjectName(QStringLiteral("SetAsDefault"));
    setDefault_->setChecked(options.setAsDefault);
    setDefault_->setVisible(options.shows(PrintDialogPart::SetAsDefault));
    templateForm->addRow(setDefault_);
    connect(edit_, &QPushButton::clicked, this, [this] { press(PrintDialogResult::EditTemplate); });

    buttons_ = new QWidget(this);
    auto* buttonRow = new QHBoxLayout(buttons_);
    buttonRow->setContentsMargins(0, 0, 0, 0);
    buttonRow->addStretch(1);
    auto* print = new QPushButton(cz("&Tisk"), buttons_);
    print_ = print;
    print->setObjectName(QStringLiteral("PrintButton"));
    print->setDefault(true);
    auto* preview = new QPushButton(cz("&Náhled"), buttons_);
    preview->setObjectName(QStringLiteral("PreviewButton"));
    auto* cancel = new QPushButton(cz("Storno"), buttons_);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    buttonRow->addWidget(print);
    buttonRow->addWidget(preview);
    buttonRow->addWidget(cancel);
    connect(print, &QPushButton::clicked, this, [this] { press(PrintDialogResult::Print); });
    connect(preview, &QPushButton::clicked, this, [this] { press(PrintDialogResult::Preview); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    printerGroup_->setVisible(options.shows(PrintDialogPart::Printer));
    rangeGroup_->setVisible(options.shows(PrintDialogPart::PageRange));
    templateGroup_->setVisible(options.shows(PrintDialogPart::Template));
    printerChanged();
    layOutGroups();
}

void SestPrintDlg::layOutGroups() {
    // Shown groups are stacked from the top; the dialog is as high as they are.
    const int margin = 8;
    const int width = 420;
    int y = margin;
    for (QGroupBox* group : {printerGroup_, rangeGroup_, templateGroup_}) {
        if (group->isHidden()) continue;
        const int height = group->sizeHint().height();
        group->setGeometry(margin, y, width, height);
        y += height + margin;
    }
    const int buttonsHeight = buttons_->sizeHint().height();
    buttons_->setGeometry(margin, y, width, buttonsHeight);
    y += buttonsHeight + kBottomMargin;
    setFixedSize(width + 2 * margin, y);
}

void SestPrintDlg::printerChanged() {
    const PrinterEntry* printer = printers_->selectedPrinter();
    type_->setText(printer ? printer->type : QString());
    location_->setText(printer ? printer->location : QString());
    const bool pdf = printer && printer->pdf;
    properties_->setEnabled(printer && !pdf);
    // The PDF destination is a file by nature; for printers the choice is the user's.
    if (pdf) {
        fileChosen_ = toFile_->isChecked();
        toFile_->setChecked(true);
    } else if (!toFile_->isEnabled()) {
        toFile_->setChecked(fileChosen_);
    }
    toFile_->setEnabled(!pdf);
    print_->setEnabled(printer != nullptr);
}

void SestPrintDlg::showProperties() {
    const PrinterEntry* printer = printers_->selectedPrinter();
    if (!printer) return;
    QPrinter device;
    device.setPrinterName(printer->name);
    QPageSetupDialog properties(&device, this);
    properties.exec();
}

void SestPrintDlg::press(PrintDialogResult result) {
    answer_ = result;
    if (result == PrintDialogResult::Cancelled)
        reject();
    else
        accept();
}

void SestPrintDlg::store(PrintDialogTyp& options) const {
    const PrinterEntry* printer = printers_->selectedPrinter();
    options.printerIndex = printer && !printer->pdf ? printers_->currentIndex() : -1;
    options.firstPage = from_->value();
    options.lastPage = to_->value();
    options.copies = copies_->value();
    options.printToFile = toFile_->isChecked();
    options.currentPageOnly = currentPage_->isChecked();
    options.oneRecordOnly = oneRecord_->isChecked();
    options.setAsDefault = setDefault_->isChecked();
    const std::string chosen = templates_->selectedFileName();
    if (!chosen.empty()) options.templateName = chosen;
}

PrintDialogResult executePrintDialog(PrintDialogTyp& options, report::TSestava* report,
                                     QWidget* parent) {
    SestPrintDlg dialog(options, report, parent);
    if (dialog.exec() != QDialog::Accepted) return PrintDialogResult::Cancelled;
    dialog.store(options);
    return dialog.answer();
}

} // namespace vorlan::qt
