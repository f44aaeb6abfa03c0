#include "ui/qt/designer/report_settings_dialog.h"

#include "core/path_mapper.h"
#include "report/design/raster.h"
#include "ui/qt/designer/dialog_support.h"
#include "ui/qt/designer/groups_page.h"
#include "ui/qt/designer/paper_page.h"
#include "ui/qt/qt_text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <filesystem>
#include <limits>

namespace vorlan::qt {

namespace {

constexpr int kMaxDescription = 64;

// The template's file as the page shows it. A name under an alias is shown with the alias:
// resolving the alias may have to tell the user it cannot be used, which is not this page's
// business.
// The template as the user knows it: under its alias, or as a file of this system (the program's
// Windows form only where no folder of this system holds it).
QString shownFileName(report::TSestavaTyp& report) {
    if (auto* main = dynamic_cast<report::TSestava*>(&report))
        if (!main->reportAlias().empty())
            return fromEngine(main->reportAlias() + ": " + main->reportName());
    const std::filesystem::path host = pathMapper().toHostOrEmpty(report.templateFileName());
    return host.empty() ? fromEngine(report.templateFileName()) : fromHost(host.string());
}

} // namespace

ReportSettingsDialog::ReportSettingsDialog(report::TSestavaTyp& report,
                                           ReportSettingsPage startPage, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("ReportSettingsDialog"));
    setWindowTitle(cz("Nastavení oddílů a skupin"));
    auto* layout = new QVBoxLayout(this);
    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("Pages"));
    layout->addWidget(pages_);
    pages_->addTab(makeReportPage(report), cz("Sestava"));
    paper_ = new PaperPage(report, pages_);
    pages_->addTab(paper_, cz("Papír"));
    pages_->addTab(makeRasterPage(report), cz("Rastr"));
    pages_->addTab(makeSectionsPage(report), cz("Oddíly"));
    groups_ = new GroupsPage(report, reportFieldNames(report), pages_);
    pages_->addTab(groups_, cz("Skupiny"));
    pages_->setCurrentIndex(static_cast<int>(startPage));
    addOkCancel(this, layout);
}

QWidget* ReportSettingsDialog::makeReportPage(report::TSestavaTyp& report) {
    auto* page = new QWidget(pages_);
    auto* form = new QFormLayout(page);
    auto* file = new QLabel(shownFileName(report), page);
    file->setObjectName(QStringLiteral("FileName"));
    form->addRow(cz("Soubor:"), file);
    description_ = new QLineEdit(fromEngine(report.popis), page);
    description_->setObjectName(QStringLiteral("Description"));
    description_->setMaxLength(kMaxDescription);
    form->addRow(cz("Popis:"), description_);
    copies_ = numberBox(page, "Copies", 1, 65535, report.printCopies);
    form->addRow(cz("Počet tištěných kopií:"), copies_);
    auto* range = new QHBoxLayout;
    startPage_ = numberBox(page, "StartPage", 1, 65535, report.startPage);
    endPage_ = numberBox(page, "EndPage", 1, 65535, report.endPage);
    range->addWidget(startPage_);
    range->addWidget(new QLabel(cz("až"), page));
    range->addWidget(endPage_);
    range->addStretch(1);
    form->addRow(cz("Tištěné stránky:"), range);
    maxRecords_ =
        numberBox(page, "MaxRecords", 0, std::numeric_limits<int>::max(), report.maxRecords);
    form->addRow(cz("Maximální počet záznamů:"), maxRecords_);
    return page;
}

QWidget* ReportSettingsDialog::makeRasterPage(const report::TSestavaTyp& report) {
    auto* page = new QWidget(pages_);
    auto* layout = new QVBoxLayout(page);
    graphicRaster_ = new QRadioButton(cz("&Grafický rastr"), page);
    graphicRaster_->setObjectName(QStringLiteral("GraphicRaster"));
    layout->addWidget(graphicRaster_);
    auto* graphic = new QGroupBox(page);
    auto* graphicForm = new QFormLayout(graphic);
    rasterX_ = numberBox(graphic, "RasterX", 1, 1000, report.rasterX);
    rasterY_ = numberBox(graphic, "RasterY", 1, 1000, report.rasterY);
    graphicForm->addRow(cz("Vodorovně:"), rasterX_);
    graphicForm->addRow(cz("Svisle:"), rasterY_);
    layout->addWidget(graphic);
    characterRaster_ = new QRadioButton(cz("&Znakový rastr"), page);
    characterRaster_->setObjectName(QStringLiteral("CharacterRaster"));
    layout->addWidget(characterRaster_);
    auto* character = new QGroupBox(page);
    auto* characterForm = new QFormLayout(character);
    lineSpacing_ = new QComboBox(character);
    lineSpacing_->setObjectName(QStringLiteral("LineSpacing"));
    lineSpacing_->addItems({cz("6 řádků/palec"), cz("4 řádky/palec"), cz("3 řádky/palec")});
    lineSpacing_->setCurrentIndex(
        report.lineSpacing >= 0 && report.lineSpacing <= 2 ? report.lineSpacing : 0);
    pitch_ = new QComboBox(character);
    pitch_->setObjectName(QStringLiteral("Pitch"));
    pitch_->addItems({cz("10 znaků/palec"), cz("12 znaků/palec"), cz("17 znaků/palec")});
    pitch_->setCurrentIndex(report.pitch >= 0 && report.pitch <= 2 ? report.pitch : 1);
    characterForm->addRow(cz("Řádkování:"), lineSpacing_);
    characterForm->addRow(cz("Rozteč znaků:"), pitch_);
    layout->addWidget(character);
    layout->addStretch(1);
    connect(graphicRaster_, &QRadioButton::toggled, graphic, &QWidget::setEnabled);
    connect(characterRaster_, &QRadioButton::toggled, character, &QWidget::setEnabled);
    (report.charMode == 1 ? characterRaster_ : graphicRaster_)->setChecked(true);
    graphic->setEnabled(report.charMode != 1);
    character->setEnabled(report.charMode == 1);
    return page;
}

QWidget* ReportSettingsDialog::makeSectionsPage(const report::TSestavaTyp& report) {
    auto* page = new QWidget(pages_);
    auto* layout = new QVBoxLayout(page);
    auto* sections = new QGroupBox(cz("Oddíly"), page);
    auto* grid = new QGridLayout(sections);
    grid->addWidget(new QLabel(cz("Tisknout"), sections), 0, 0);
    grid->addWidget(new QLabel(cz("Výška"), sections), 0, 1);
    for (std::int32_t i = 0; i < 5; ++i) {
        const report::TOddilSestavy* s = report.section(i);
        const std::string index = std::to_string(i);
        auto* visible = new QCheckBox(fromEngine(report::sectionName(i)), sections);
        visible->setObjectName(QStringLiteral("SectionVisible") + QString::number(i));
        visible->setChecked(s && s->visible);
        // A detail report has no page head or foot of its own.
        const bool pageBand = i == report::kSectionHead || i == report::kSectionFoot;
        visible->setEnabled(!(pageBand && report.isDetail()));
        const std::string heightName = "SectionHeight" + index;
        auto* height =
            numberBox(sections, heightName.c_str(), 0, kMaxSectionHeight, s ? s->height : 0);
        grid->addWidget(visible, i + 1, 0);
        height->setEnabled(visible->isEnabled());
        grid->addWidget(height, i + 1, 1);
        visible_[static_cast<std::size_t>(i)] = visible;
        height_[static_cast<std::size_t>(i)] = height;
    }
    layout->addWidget(sections);
    auto* breaks = new QGroupBox(cz("Stránkování"), page);
    auto* breakLayout = new QVBoxLayout(breaks);
    newBodyOnNewPage_ =
        flag(breaks, "Nové tělo na novou stránku", "NewBodyOnNewPage", report.newBodyOnNewPage);
    pageBreakAfterStart_ = flag(breaks, "Odstránkovat po začátku sestavy", "PageBreakAfterStart",
                                report.pageBreakAfterStart);
    pageBreakBeforeEnd_ = flag(breaks, "Odstránkovat před koncem sestavy", "PageBreakBeforeEnd",
                               report.pageBreakBeforeEnd);
    noHeadOnFirstPage_ = flag(breaks, "Na první stránce netisknout hlavu", "NoHeadOnFirstPage",
                              report.noHeadOnFirstPage);
    for (QCheckBox* box :
         {newBodyOnNewPage_, pageBreakAfterStart_, pageBreakBeforeEnd_, noHeadOnFirstPage_})
        breakLayout->addWidget(box);
    layout->addWidget(breaks);
    layout->addStretch(1);
    // The label size on the paper page is the body's height.
    connect(height_[report::kSectionBody], &QSpinBox::valueChanged, this,
            [this](int height) { paper_->setBodyHeight(height); });
    return page;
}

void ReportSettingsDialog::apply(report::TSestavaTyp& report) const {
    report.popis = toEngine(description_->text());
    report.printCopies = static_cast<std::uint16_t>(copies_->value());
    report.startPage = static_cast<std::uint16_t>(startPage_->value());
    report.endPage = static_cast<std::uint16_t>(endPage_->value());
    report.maxRecords = maxRecords_->value();
    paper_->apply(report);
    if (characterRaster_->isChecked())
        report::setCharacterRaster(report, lineSpacing_->currentIndex(), pitch_->currentIndex());
    else
        report::setGraphicRaster(report, rasterX_->value(), rasterY_->value());
    for (std::int32_t i = 0; i < 5; ++i)
        if (report::TOddilSestavy* s = report.section(i)) {
            s->visible = visible_[static_cast<std::size_t>(i)]->isChecked();
            s->height = height_[static_cast<std::size_t>(i)]->value();
        }
    report.newBodyOnNewPage = newBodyOnNewPage_->isChecked();
    report.pageBreakAfterStart = pageBreakAfterStart_->isChecked();
    report.pageBreakBeforeEnd = pageBreakBeforeEnd_->isChecked();
    report.noHeadOnFirstPage = noHeadOnFirstPage_->isChecked();
    groups_->apply(report);
}

bool runReportSettingsDialog(QWidget* parent, report::TSestavaTyp& report,
                             ReportSettingsPage startPage) {
    ReportSettingsDialog dialog(report, startPage, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    dialog.apply(report);
    return true;
}

} // namespace vorlan::qt
