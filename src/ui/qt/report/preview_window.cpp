#include "ui/qt/report/preview_window.h"
#include "ui/qt/qt_text.h"

#include "core/cp1250.h"
#include "core/ui_services.h"
#include "report/paint/page_drawing.h"
#include "report/paint/report_printer.h"
#include "ui/qt/dialog_folder.h"
#include "ui/qt/report/qt_report_painter.h"
#include "ui/qt/report/report_operations.h"
#include "ui/qt/report/report_printing.h"

#include <QButtonGroup>
#include <QFileDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <stdexcept>

namespace vorlan::qt {

namespace {} // namespace

PreviewPage::PreviewPage(const report::TSestVystup& output, QWidget* parent)
    : QWidget(parent), output_(output) {
    setObjectName(QStringLiteral("PreviewPage"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    setZoom(1.0);
}

QSize PreviewPage::sheetSize(double zoom) const {
    const report::PaperSettings& paper = report::paperSettings();
    return QSize(qRound(report::orientedPaperWidth(paper) * zoom * logicalDpiX() / 100.0),
                 qRound(report::orientedPaperHeight(paper) * zoom * logicalDpiY() / 100.0));
}

void PreviewPage::setZoom(double zoom) {
    zoom_ = zoom;
    setFixedSize(sheetSize(zoom));
    update();
}

QRectF PreviewPage::printableArea() const {
    const report::PaperSettings& paper = report::paperSettings();
    const double x = zoom_ * logicalDpiX() / 100.0;
    const double y = zoom_ * logicalDpiY() / 100.0;
    const report::LayoutRect r = report::printableRect(paper);
    return QRectF(r.left * x, r.top * y, r.width * x, r.height * y);
}

void PreviewPage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    const report::DeviceRect surface =
        report::pageSurface(report::paperSettings(), report::kPageDrawingScale);
    if (surface.width <= 0 || surface.height <= 0) return;
    const QRectF target = printableArea();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setClipRect(target);
    painter.translate(target.topLeft());
    painter.scale(target.width() / surface.width, target.height() / surface.height);
    QtReportPainter reportPainter(painter);
    report::drawPage(reportPainter, output_, output_.currentPageIndex, report::kPageDrawingScale);
    ++pagesDrawn_;
}

PreviewWindow::PreviewWindow(report::TSestVystup& output, std::string title, QWidget* parent)
    : QDialog(parent), output_(output), title_(std::move(title)) {
    setObjectName(QStringLiteral("TFormSestP"));
    setWindowTitle(cz("Prohlížení sestavy před tiskem"));
    setModal(true);
    output_.currentPageIndex =
        std::clamp(output_.currentPageIndex, 0, std::max(0, output_.pageCount() - 1));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* barFrame = new QFrame(this);
    barFrame->setFrameShape(QFrame::StyledPanel);
    auto* bar = new QHBoxLayout(barFrame);
    bar->setContentsMargins(4, 2, 4, 2);
    bar->setSpacing(2);
    layout->addWidget(barFrame);

    connect(addButton(bar, "CloseButton", cz("Konec"), cz("Ukončení")), &QToolButton::clicked, this,
            &QDialog::reject);
    connect(addButton(bar, "EditButton", cz("Oprava"), cz("Oprava předlohy")),
            &QToolButton::clicked, this, [this] {
                editRequested_ = true;
                accept();
            });
    connect(addButton(bar, "PrintButton", cz("Tisk"), cz("Tisk sestavy")), &QToolButton::clicked,
            this, &PreviewWindow::print);
    connect(addButton(bar, "PdfButton", cz("PDF"), cz("Uložit jako PDF")), &QToolButton::clicked,
            this, &PreviewWindow::saveAsPdf);
    bar->addSpacing(8);
    connect(addButton(bar, "FirstButton", QStringLiteral("|<"), cz("První stránka")),
            &QToolButton::clicked, this, [this] { showPage(0); });
    connect(addButton(bar, "PriorButton", QStringLiteral("<"), cz("Předchozí stránka")),
            &QToolButton::clicked, this, [this] { showPage(currentPage() - 1); });
    connect(addButton(bar, "NextButton", QStringLiteral(">"), cz("Další stránka")),
            &QToolButton::clicked, this, [this] { showPage(currentPage() + 1); });
    connect(addButton(bar, "LastButton", QStringLiteral(">|"), cz("Poslední stránka")),
            &QToolButton::clicked, this, [this] { showPage(pageCount() - 1); });
    bar->addSpacing(8);

    pageNumber_ = new QLabel(barFrame);
    pageNumber_->setObjectName(QStringLiteral("PageNumberPanel"));
    pageNumber_->setFrameShape(QFrame::Panel);
    pageNumber_->setFrameShadow(QFrame::Sunken);
    pageNumber_->setMinimumWidth(90);
    pageNumber_->setToolTip(cz("Výběr stránky"));
    pageNumber_->installEventFilter(this);
    bar->addWidget(pageNumber_);
    pageTotal_ = new QLabel(barFrame);
    pageTotal_->setObjectName(QStringLiteral("PageCountPanel"));
    pageTotal_->setFrameShape(QFrame::Panel);
    pageTotal_->setFrameShadow(QFrame::Sunken);
    pageTotal_->setMinimumWidth(90);
    bar->addWidget(pageTotal_);
    bar->addSpacing(8);

    zoomButtons_ = new QButtonGroup(this);
    zoomButtons_->setExclusive(true);
    for (std::size_t i = 0; i < kPreviewZoomPercents.size(); ++i) {
        const int percent = kPreviewZoomPercents[i];
        QToolButton* zoom =
            addButton(bar, "", QString::number(percent), cz("Zobrazení v měřítku [%]"));
        zoom->setObjectName(QStringLiteral("Zoom%1").arg(percent));
        zoom->setCheckable(true);
        zoomButtons_->addButton(zoom, percent); // the button's tag is its percent
    }
    connect(zoomButtons_, &QButtonGroup::idClicked, this, &PreviewWindow::setZoomPercent);
    bar->addStretch(1);

    scroll_ = new QScrollArea(this);
    scroll_->setObjectName(QStringLiteral("PageScrollBox"));
    scroll_->setFocusPolicy(Qt::NoFocus);
    scroll_->setAlignment(Qt::AlignCenter);
    scroll_->setBackgroundRole(QPalette::Dark);
    page_ = new PreviewPage(output_, scroll_);
    scroll_->setWidget(page_);
    layout->addWidget(scroll_, 1);

    buildPageSelection();
    setZoomPercent(100);
    updatePanels();
    resize(900, 700);
}

QToolButton* PreviewWindow::addButton(QLayout* bar, const char* name, const QString& caption,
                                      const QString& hint) {
    auto* button = new QToolButton(bar->parentWidget());
    button->setObjectName(QString::fromLatin1(name));
    button->setText(caption);
    button->setToolTip(hint);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoRaise(true);
    bar->addWidget(button);
    return button;
}

void PreviewWindow::buildPageSelection() {
    selection_ = new QFrame(this);
    selection_->setObjectName(QStringLiteral("PageSelectionPanel"));
    selection_->setFrameShape(QFrame::Panel);
    selection_->setFrameShadow(QFrame::Raised);
    selection_->setAutoFillBackground(true);
    auto* box = new QVBoxLayout(selection_);
    auto* caption = new QLabel(cz("Výběr stránky"), selection_);
    QFont bold = caption->font();
    bold.setBold(true);
    caption->setFont(bold);
    box->addWidget(caption);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(cz("Stránka číslo:"), selection_));
    selectionEdit_ = new QLineEdit(selection_);
    selectionEdit_->setObjectName(QStringLiteral("PageNumberEdit"));
    selectionEdit_->setValidator(new QIntValidator(-999999, 999999, selectionEdit_));
    selectionEdit_->installEventFilter(this);
    row->addWidget(selectionEdit_);
    box->addLayout(row);
    connect(selectionEdit_, &QLineEdit::returnPressed, this, [this] {
        jumpTo(selectionEdit_->text());
        selection_->hide();
    });
    selection_->adjustSize();
    selection_->hide();
}

int PreviewWindow::currentPage() const {
    return output_.currentPageIndex;
}

void PreviewWindow::showPage(int index) {
    const int clamped = std::clamp(index, 0, std::max(0, pageCount() - 1));
    if (clamped == output_.currentPageIndex) return;
    output_.currentPageIndex = clamped;
    updatePanels();
    page_->update();
}

void PreviewWindow::setZoomPercent(int percent) {
    QAbstractButton* zoom = zoomButtons_->button(percent);
    if (!zoom) return;
    zoom->setChecked(true);
    zoomPercent_ = percent;
    page_->setZoom(percent / 100.0);
}

void PreviewWindow::jumpTo(const QString& typed) {
    bool ok = false;
    const int number = typed.trimmed().toInt(&ok);
    if (!ok) return;
    showPage(number - 1);
}

void PreviewWindow::openPageSelection() {
    selectionEdit_->setText(QString::number(currentPage() + 1));
    selectionEdit_->selectAll();
    const QPoint at = pageNumber_->mapTo(this, QPoint(0, pageNumber_->height() + 2));
    selection_->move(at);
    selection_->show();
    selection_->raise();
    selectionEdit_->setFocus();
}

bool PreviewWindow::pageSelectionOpen() const {
    return selection_->isVisible();
}

void PreviewWindow::updatePanels() {
    pageNumber_->setText(cz("Stránka: %1").arg(pageCount() == 0 ? 0 : currentPage() + 1));
    pageTotal_->setText(cz("Počet: %1").arg(pageCount()));
}

void PreviewWindow::keyPressEvent(QKeyEvent* event) {
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_Escape:
        if (pageSelectionOpen())
            selection_->hide();
        else
            reject();
        return;
    case Qt::Key_PageUp:
        showPage(ctrl ? 0 : currentPage() - 1);
        return;
    case Qt::Key_PageDown:
        showPage(ctrl ? pageCount() - 1 : currentPage() + 1);
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

bool PreviewWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == pageNumber_ && event->type() == QEvent::MouseButtonPress) {
        openPageSelection();
        return true;
    }
    if (watched == selectionEdit_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        selection_->hide();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

QToolButton* PreviewWindow::button(const QString& objectName) const {
    return findChild<QToolButton*>(objectName);
}

void PreviewWindow::print() {
    const PrintDialogResult result = printFromPreview(output_, this, executePrintDialog);
    if (result == PrintDialogResult::EditTemplate) {
        editRequested_ = true;
        accept();
    }
}

void PreviewWindow::saveAsPdf() {
    const QString file = QFileDialog::getSaveFileName(
        this, cz("Uložit jako PDF"), defaultDialogFolder(), cz("Dokument PDF (*.pdf)"));
    if (file.isEmpty()) return;
    QString target = file;
    if (!target.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        target += QStringLiteral(".pdf");
    try {
        writeReportPdf(output_, target.toStdString(), title_);
    } catch (const std::exception&) {
        showReportMessage(czech("Soubor PDF se nepodařilo zapsat."));
    }
}

} // namespace vorlan::qt
