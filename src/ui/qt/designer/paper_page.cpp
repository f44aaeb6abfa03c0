#include "ui/qt/designer/paper_page.h"

#include "core/cp1250.h"
#include "core/ui_services.h"
#include "report/output/output_model.h"
#include "report/paper/paper_formats.h"
#include "ui/qt/designer/dialog_support.h"
#include "ui/qt/qt_text.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <stdexcept>

namespace vorlan::qt {

namespace {

constexpr int kMaxSize = 100000;

// Keeps the user formats in the settings file; a failure is told, the list stays changed.
void saveFormats() {
    try {
        report::paperFormats().saveUser(report::reportSettingsFile());
    } catch (const std::runtime_error&) {
        tellError(czech("Uživatelské formáty papíru se nepodařilo uložit."));
    }
}

} // namespace

PaperDrawing::PaperDrawing(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("PaperDrawing"));
    setMinimumSize(120, 140);
}

void PaperDrawing::setPaper(const report::PaperSettings& paper) {
    paper_ = paper;
    update();
}

void PaperDrawing::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int sheetWidth = std::max(1, report::orientedPaperWidth(paper_));
    const int sheetHeight = std::max(1, report::orientedPaperHeight(paper_));
    const double scale = std::min((width() - 8) / static_cast<double>(sheetWidth),
                                  (height() - 8) / static_cast<double>(sheetHeight));
    const QRectF sheet((width() - sheetWidth * scale) / 2, (height() - sheetHeight * scale) / 2,
                       sheetWidth * scale, sheetHeight * scale);
    painter.fillRect(sheet.translated(3, 3), palette().shadow());
    painter.fillRect(sheet, Qt::white);
    painter.setPen(Qt::black);
    painter.drawRect(sheet);
    const QRectF printable(
        sheet.left() + paper_.leftMargin * scale, sheet.top() + paper_.topMargin * scale,
        report::printableWidth(paper_) * scale, report::printableHeight(paper_) * scale);
    painter.setPen(QPen(Qt::blue, 1, Qt::DashLine));
    painter.drawRect(printable);
}

PaperPage::PaperPage(const report::TSestavaTyp& report, QWidget* parent) : QWidget(parent) {
    const report::PaperSettings& paper = report::paperSettings();
    auto* layout = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    layout->addLayout(left, 1);

    auto* formatGroup = new QGroupBox(cz("Formát papíru"), this);
    auto* formatLayout = new QVBoxLayout(formatGroup);
    formats_ = new QListWidget(formatGroup);
    formats_->setObjectName(QStringLiteral("PaperFormats"));
    formatLayout->addWidget(formats_);
    auto* formatButtons = new QHBoxLayout;
    auto* show = new QPushButton(cz("&Ukaž"), formatGroup);
    show->setObjectName(QStringLiteral("ShowFormat"));
    auto* add = new QPushButton(cz("Při&dej"), formatGroup);
    add->setObjectName(QStringLiteral("AddFormat"));
    delete_ = new QPushButton(cz("&Vynech"), formatGroup);
    delete_->setObjectName(QStringLiteral("DeleteFormat"));
    for (QPushButton* b : {show, add, delete_})
        formatButtons->addWidget(b);
    formatLayout->addLayout(formatButtons);
    auto* sizeForm = new QFormLayout;
    width_ = numberBox(formatGroup, "PaperWidth", 1, kMaxSize, paper.width);
    height_ = numberBox(formatGroup, "PaperHeight", 1, kMaxSize, paper.height);
    sizeForm->addRow(cz("Šířka:"), width_);
    sizeForm->addRow(cz("Výška:"), height_);
    formatLayout->addLayout(sizeForm);
    left->addWidget(formatGroup);

    auto* orientation = new QGroupBox(cz("Orientace"), this);
    auto* orientationRow = new QHBoxLayout(orientation);
    portrait_ = new QRadioButton(cz("na &výšku"), orientation);
    portrait_->setObjectName(QStringLiteral("Portrait"));
    landscape_ = new QRadioButton(cz("na &šířku"), orientation);
    landscape_->setObjectName(QStringLiteral("Landscape"));
    (paper.orientation == 1 ? landscape_ : portrait_)->setChecked(true);
    orientationRow->addWidget(portrait_);
    orientationRow->addWidget(landscape_);
    left->addWidget(orientation);

    auto* right = new QVBoxLayout;
    layout->addLayout(right, 1);
    auto* margins = new QGroupBox(cz("Okraje"), this);
    auto* marginGrid = new QGridLayout(margins);
    left_ = numberBox(margins, "LeftMargin", 0, kMaxSize, paper.leftMargin);
    right_ = numberBox(margins, "RightMargin", 0, kMaxSize, paper.rightMargin);
    top_ = numberBox(margins, "TopMargin", 0, kMaxSize, paper.topMargin);
    bottom_ = numberBox(margins, "BottomMargin", 0, kMaxSize, paper.bottomMargin);
    marginGrid->addWidget(new QLabel(cz("Levý:"), margins), 0, 0);
    marginGrid->addWidget(left_, 0, 1);
    marginGrid->addWidget(new QLabel(cz("Pravý:"), margins), 0, 2);
    marginGrid->addWidget(right_, 0, 3);
    marginGrid->addWidget(new QLabel(cz("Horní:"), margins), 1, 0);
    marginGrid->addWidget(top_, 1, 1);
    marginGrid->addWidget(new QLabel(cz("Dolní:"), margins), 1, 2);
    marginGrid->addWidget(bottom_, 1, 3);
    right->addWidget(margins);

    auto* labels = new QGroupBox(cz("Štítky"), this);
    auto* labelForm = new QFormLayout(labels);
    columns_ = numberBox(labels, "Columns", 1, 99, report.columns);
    gap_ = numberBox(labels, "ColumnGap", 0, kMaxSize, report.columnGap);
    labelSize_ = new QLabel(labels);
    labelSize_->setObjectName(QStringLiteral("LabelSize"));
    labelForm->addRow(cz("Počet sloupců tisku:"), columns_);
    labelForm->addRow(cz("Mezera mezi sloupci:"), gap_);
    labelForm->addRow(cz("Rozměr štítku:"), labelSize_);
    right->addWidget(labels);
    drawing_ = new PaperDrawing(this);
    right->addWidget(drawing_, 1);

    // A detail report prints on its master's paper: only its label columns are its own.
    for (QWidget* part : {static_cast<QWidget*>(formatGroup), static_cast<QWidget*>(orientation),
                          static_cast<QWidget*>(margins)})
        part->setEnabled(!report.isDetail());
    if (const report::TOddilSestavy* body = report.section(report::kSectionBody))
        bodyHeight_ = body->height;
    fillFormats();
    connect(show, &QPushButton::clicked, this, &PaperPage::showSelected);
    connect(formats_, &QListWidget::itemDoubleClicked, this, &PaperPage::showSelected);
    connect(add, &QPushButton::clicked, this, &PaperPage::addFormat);
    connect(delete_, &QPushButton::clicked, this, &PaperPage::deleteSelected);
    connect(formats_, &QListWidget::currentRowChanged, this, [this](int row) {
        delete_->setEnabled(row >= 0 && !report::paperFormats().isBuiltIn(row));
    });
    for (QSpinBox* box : {width_, height_, left_, right_, top_, bottom_, columns_, gap_})
        connect(box, &QSpinBox::valueChanged, this, &PaperPage::paperChanged);
    connect(portrait_, &QRadioButton::toggled, this, &PaperPage::paperChanged);
    paperChanged();
}

void PaperPage::fillFormats() {
    const report::TListFormatu& list = report::paperFormats();
    formats_->clear();
    for (int i = 0; i < list.count(); ++i) {
        const report::TFormatPapiru& f = list.item(i);
        formats_->addItem(fromEngine(f.name));
    }
    formats_->setCurrentRow(list.indexOfSize(width_->value(), height_->value()));
    delete_->setEnabled(formats_->currentRow() >= 0 && !list.isBuiltIn(formats_->currentRow()));
}

report::PaperSettings PaperPage::paper() const {
    report::PaperSettings paper;
    paper.orientation = landscape_->isChecked() ? 1 : 0;
    paper.width = width_->value();
    paper.height = height_->value();
    paper.leftMargin = left_->value();
    paper.rightMargin = right_->value();
    paper.topMargin = top_->value();
    paper.bottomMargin = bottom_->value();
    return paper;
}

void PaperPage::apply(report::TSestavaTyp& report) const {
    if (!report.isDetail()) report::paperSettings() = paper();
    report.columns = columns_->value();
    report.columnGap = gap_->value();
    // The fixed sections carry the report's label layout, as reading a template gives them.
    for (std::int32_t i = 0; i < 5; ++i)
        if (report::TOddilSestavy* s = report.section(i)) {
            s->columns = report.columns;
            s->columnGap = report.columnGap;
        }
}

void PaperPage::setBodyHeight(int height) {
    bodyHeight_ = height;
    paperChanged();
}

void PaperPage::paperChanged() {
    const report::PaperSettings p = paper();
    const int columns = std::max(1, columns_->value());
    const int labelWidth = (report::printableWidth(p) + gap_->value()) / columns - gap_->value();
    // A label is as high as the body; a body without a height yet (a new, empty template) would
    // read as a label of no height at all.
    labelSize_->setText(
        QString::number(labelWidth) + QStringLiteral(" x ") +
        (bodyHeight_ > 0 ? QString::number(bodyHeight_) : cz("? (tělo sestavy zatím nemá výšku)")));
    drawing_->setPaper(p);
}

void PaperPage::showSelected() {
    const int row = formats_->currentRow();
    if (row < 0 || row >= report::paperFormats().count()) return;
    const report::TFormatPapiru& f = report::paperFormats().item(row);
    width_->setValue(f.width);
    height_->setValue(f.height);
}

void PaperPage::addFormat() {
    const auto name =
        ui().inputBox(czech("Uživatelský formát papíru"), czech("Název formátu:"), std::string());
    if (!name || name->empty()) return;
    report::paperFormats().addUser({*name, width_->value(), height_->value()});
    saveFormats();
    fillFormats();
    formats_->setCurrentRow(report::paperFormats().count() - 1);
}

void PaperPage::deleteSelected() {
    const int row = formats_->currentRow();
    if (row < 0 || report::paperFormats().isBuiltIn(row)) return;
    if (!askYesNo(czech("Zrušit vybraný uživatelský formát?"))) return;
    report::paperFormats().removeUser(row);
    saveFormats();
    fillFormats();
}

} // namespace vorlan::qt
