#include "ui/qt/report/report_printing.h"
#include "ui/qt/qt_text.h"

#include "core/cp1250.h"
#include "core/ui_services.h"
#include "report/paint/page_drawing.h"
#include "ui/qt/qt_ui.h"
#include "ui/qt/report/qt_report_painter.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>

#include <stdexcept>

namespace vorlan::qt {

namespace {

// PDF pages are drawn at the page-drawing resolution itself: no stretching at all.
constexpr int kPdfResolution = 600;

// The printer as the device presents it after applyPaper: the page starts at the sheet's
// corner, so there is no offset to take off; the user's corrections still apply.
report::PrinterSettings deviceSettings(const QPagedPaintDevice& device,
                                       const report::PrinterSettings& printer) {
    report::PrinterSettings settings = printer;
    settings.dpiX = device.logicalDpiX();
    settings.dpiY = device.logicalDpiY();
    settings.offsetX = 0;
    settings.offsetY = 0;
    return settings;
}

} // namespace

void applyPaper(QPagedPaintDevice& device, const report::PaperSettings& paper) {
    const QSizeF inches(report::orientedPaperWidth(paper) / 100.0,
                        report::orientedPaperHeight(paper) / 100.0);
    const QPageSize size(inches, QPageSize::Inch, QString(), QPageSize::ExactMatch);
    device.setPageLayout(QPageLayout(size, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
}

QRectF printableTarget(const QPagedPaintDevice& device, const report::PaperSettings& paper,
                       const report::PrinterSettings& printer) {
    const report::DeviceRect r = report::printerTargetRect(paper, deviceSettings(device, printer));
    return QRectF(r.left, r.top, r.width, r.height);
}

int paintPages(QPainter& painter, QPagedPaintDevice& device, const report::TSestVystup& output,
               report::PrintRange range, const report::PaperSettings& paper,
               const report::PrinterSettings& printer, const std::function<void()>& betweenPages) {
    const QRectF target = printableTarget(device, paper, printer);
    const report::DeviceRect surface = report::pageSurface(paper, report::kPageDrawingScale);
    if (surface.width <= 0 || surface.height <= 0) return 0;
    QtReportPainter reportPainter(painter);
    int drawn = 0;
    for (int page = range.first; page <= range.last && !output.cancelled; ++page) {
        if (drawn > 0 && !device.newPage()) throw std::runtime_error("nelze začít novou stránku");
        painter.save();
        painter.translate(target.topLeft());
        painter.scale(target.width() / surface.width, target.height() / surface.height);
        report::drawPage(reportPainter, output, page - 1, report::kPageDrawingScale);
        painter.restore();
        ++drawn;
        if (betweenPages) betweenPages();
    }
    return drawn;
}

int writeReportPdf(const report::TSestVystup& output, const std::filesystem::path& file,
                   const std::string& title) {
    const report::PrintRange range = report::printRangeOf(output);
    QPdfWriter writer(QString::fromStdString(file.string()));
    writer.setResolution(kPdfResolution);
    writer.setTitle(fromEngine(title));
    writer.setCreator(QStringLiteral("VORLAN"));
    applyPaper(writer, report::paperSettings());
    QPainter painter;
    if (!painter.begin(&writer)) throw std::runtime_error("nelze zapsat " + file.string());
    // An empty range still gives a valid file: one blank page.
    const int pages = range.empty()
                          ? 0
                          : paintPages(painter, writer, output, range, report::paperSettings(),
                                       report::printerSettings());
    if (!painter.end()) throw std::runtime_error("nelze zapsat " + file.string());
    return pages;
}

void detectPrinter(bool pdfDestination) {
    report::PrinterSettings& settings = report::printerSettings();
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    if (printer.isNull() && QPrinterInfo::availablePrinters().isEmpty()) {
        const report::PrinterSettings previous = settings;
        settings.setVirtual();
        settings.correctionX = previous.correctionX;
        settings.correctionY = previous.correctionY;
        settings.present = pdfDestination;
        return;
    }
    settings.present = true;
    settings.name = utf8ToCp1250(printer.printerName().toStdString());
}

int QtReportPrinter::print(report::TSestVystup& output, const std::string& title) {
    auto* front = dynamic_cast<QtUi*>(&ui());
    if (!front) return report::kSestNoPrinter;
    const report::PrintRange range = report::printRangeOf(output);
    if (range.empty()) return report::kSestOk;
    std::unique_ptr<QPagedPaintDevice> device;
    try {
        device = front->startPrintDevice(title);
    } catch (const std::runtime_error&) {
        return report::kSestNoPrinter;
    }
    if (!device) return report::kSestOk; // a headless run without --print-to discards the job
    auto* printer = dynamic_cast<QPrinter*>(device.get());
    if (printer) {
        // The report's own printer when one was chosen, the default printer otherwise.
        const std::string& chosen = report::printerSettings().name;
        if (!chosen.empty()) {
            // A queue removed since it was chosen must not send the job to another printer.
            if (QPrinterInfo::printerInfo(fromEngine(chosen)).isNull())
                return report::kSestNotPossible;
            printer->setPrinterName(fromEngine(chosen));
        }
        printer->setFullPage(true);
        printer->setCopyCount(output.copies); // the driver makes the copies
    } else if (auto* pdf = dynamic_cast<QPdfWriter*>(device.get())) {
        pdf->setResolution(kPdfResolution);
    }
    applyPaper(*device, report::paperSettings());
    QPainter painter;
    if (!painter.begin(device.get())) return report::kSestNotPossible;
    output.drawing = true;
    paintPages(painter, *device, output, range, report::paperSettings(), report::printerSettings(),
               [] { ui().processPendingEvents(); });
    output.drawing = false;
    if (output.cancelled) {
        if (printer) printer->abort();
        painter.end();
        return report::kSestCancelled;
    }
    painter.end();
    return report::kSestOk;
}

void QtReportPrinter::writePdf(report::TSestVystup& output, const std::string& hostPath,
                               const std::string& title) {
    writeReportPdf(output, hostPath, title);
}

} // namespace vorlan::qt
