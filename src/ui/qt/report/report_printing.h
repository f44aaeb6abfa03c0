#pragma once
// Output pages on paper and in PDF files. Each page is drawn at the page-drawing scale and
// stretched onto the device's page where the printable area lies, so a page looks the same on
// every printer and in every file.

#include "report/output/output_model.h"
#include "report/paint/report_printer.h"
#include "report/paper/printer_settings.h"

#include <QPagedPaintDevice>
#include <QPainter>

#include <filesystem>
#include <functional>
#include <string>

namespace vorlan::qt {

// Gives the device the report's paper (as oriented) without margins, so that its coordinates
// start at the sheet's corner.
void applyPaper(QPagedPaintDevice& device, const report::PaperSettings& paper);

// Where the printable area lies on a device set up by applyPaper, in device units.
QRectF printableTarget(const QPagedPaintDevice& device, const report::PaperSettings& paper,
                       const report::PrinterSettings& printer);

// Draws pages [range.first, range.last] (from 1) of `output` on the active `painter` of
// `device`, a new device page before each but the first; `betweenPages` runs after each page.
// Stops when the output's cancel flag is set. Answers the number of pages drawn.
int paintPages(QPainter& painter, QPagedPaintDevice& device, const report::TSestVystup& output,
               report::PrintRange range, const report::PaperSettings& paper,
               const report::PrinterSettings& printer,
               const std::function<void()>& betweenPages = {});

// Writes the output's print range into a PDF file. Throws std::runtime_error when the file
// cannot be written. Answers the number of pages written.
int writeReportPdf(const report::TSestVystup& output, const std::filesystem::path& file,
                   const std::string& title);

// Reads whether a printer is installed and what it offers into the shared printer settings;
// without one the virtual printer stays. When print jobs go to PDF files (`pdfDestination`) a
// printer is there even on a machine without one.
void detectPrinter(bool pdfDestination);

// The printer of the Qt front end: the default printer, or PDF files where `--print-to` sends
// print jobs, through the front end's print devices.
class QtReportPrinter : public report::ReportPrinter {
public:
    int print(report::TSestVystup& output, const std::string& title) override;
    void writePdf(report::TSestVystup& output, const std::string& hostPath,
                  const std::string& title) override;
};

} // namespace vorlan::qt
