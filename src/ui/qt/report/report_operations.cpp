#include "ui/qt/report/report_operations.h"

#include "core/cp1250.h"
#include "core/ui_services.h"
#include "report/charmode/command_runner.h"
#include "report/charmode/print_queues.h"
#include "report/model.h"
#include "report/paint/report_printer.h"
#include "report/paper/printer_settings.h"
#include "report/run/report_run.h"
#include "ui/qt/dialog_folder.h"
#include "ui/qt/report/preview_window.h"
#include "ui/qt/report/print_dialog.h"
#include "ui/qt/report/print_status.h"
#include "ui/qt/report/printer_combo.h"
#include "ui/qt/report/qt_text_measurer.h"

#include <QApplication>
#include <QFileDialog>

#include <algorithm>

namespace vorlan::qt {

namespace {

std::string noPrinterText() {
    return czech("Není vybrána žádná předvolená tiskárna.");
}

// The output's print range and copies, put back when printing from the preview is over: the
// preview keeps all its pages whatever range one job printed.
class RangeKeeper {
public:
    explicit RangeKeeper(report::TSestVystup& output)
        : output_(output), first_(output.firstPage), last_(output.lastPage),
          copies_(output.copies) {}
    ~RangeKeeper() {
        output_.firstPage = first_;
        output_.lastPage = last_;
        output_.copies = copies_;
    }
    RangeKeeper(const RangeKeeper&) = delete;
    RangeKeeper& operator=(const RangeKeeper&) = delete;

private:
    report::TSestVystup& output_;
    std::int32_t first_, last_, copies_;
};

int indexOfPrinter(const QList<PrinterEntry>& printers, const std::string& name) {
    for (int i = 0; i < printers.size(); ++i)
        if (name.empty() ? printers[i].isDefault
                         : utf8ToCp1250(printers[i].name.toStdString()) == name)
            return i;
    return -1;
}

void tellFailure(int code) {
    if (code == report::kSestNoPrinter)
        showReportMessage(noPrinterText());
    else if (code == report::kSestNotPossible)
        showReportMessage(czech("Tiskárna tiskovou úlohu nepřijala, nic nebylo vytištěno."));
}

} // namespace

void showReportMessage(const std::string& text) {
    MessageBoxRequest request;
    request.caption = applicationTitle();
    request.text = text;
    request.icon = MessageIcon::Error;
    ui().messageBox(request);
}

PrintDialogResult
printFromPreview(report::TSestVystup& output, QWidget* parent,
                 const std::function<PrintDialogResult(PrintDialogTyp&)>& execute) {
    const QList<PrinterEntry> printers = installedPrinters();
    const bool noPrinter = !report::printerSettings().present && printers.isEmpty();
    PrintDialogTyp options;
    // Without a printer a PDF file is the destination there is.
    options.printToFile = noPrinter;
    options.printerIndex = indexOfPrinter(printers, report::printerSettings().name);
    options.firstPage = output.firstPage;
    options.lastPage = std::min(output.lastPage, output.pageCount());
    options.copies = output.copies;
    options.setShown(PrintDialogPart::Template, false);
    options.setShown(PrintDialogPart::OneRecordOnly, false);
    const PrintDialogResult answer =
        execute ? execute(options) : executePrintDialog(options, nullptr, parent);
    if (answer != PrintDialogResult::Print) return answer;
    if (noPrinter && !options.printToFile) {
        showReportMessage(noPrinterText());
        return PrintDialogResult::Cancelled;
    }

    if (options.printerIndex >= 0 && options.printerIndex < printers.size())
        report::printerSettings().name =
            utf8ToCp1250(printers[options.printerIndex].name.toStdString());
    RangeKeeper keep(output);
    if (options.currentPageOnly) {
        options.firstPage = output.currentPageIndex + 1;
        options.lastPage = options.firstPage;
    }
    output.firstPage = options.firstPage;
    output.lastPage = options.lastPage;
    output.copies = options.copies;
    const std::string jobTitle = czech("Tisková sestava");
    if (options.printToFile) {
        const QString file = QFileDialog::getSaveFileName(
            parent, QString::fromUtf8("Tisknout do souboru"), defaultDialogFolder(),
            QString::fromUtf8("Dokument PDF (*.pdf)"));
        if (file.isEmpty()) return PrintDialogResult::Cancelled;
        try {
            report::reportPrinter().writePdf(output, file.toStdString(), jobTitle);
        } catch (const std::exception&) {
            showReportMessage(czech("Soubor se nepodařilo zapsat."));
        }
        return answer;
    }
    int printed = report::kSestOk;
    {
        PrintStatus status;
        printed = report::reportPrinter().print(output, jobTitle);
    }
    tellFailure(printed);
    return answer;
}

int previewReport(report::TSestava& report, report::TSestVystup& output,
                  const PreviewPlacement& placement, bool* editRequested, bool loadTemplate) {
    if (editRequested) *editRequested = false;
    QtTextMeasurer measurer;
    report::RunOptions options;
    options.measurer = &measurer;
    const int result = report::runReport(report, output, options, loadTemplate);
    if (result != report::kSestOk || ui().headless()) return result;
    PreviewWindow window(output, report.popis);
    window.setZoomPercent(placement.zoomPercent);
    if (!placement.rect.isEmpty()) window.setGeometry(placement.rect);
    if (placement.maximized) window.setWindowState(Qt::WindowMaximized);
    window.exec();
    if (editRequested) *editRequested = window.editResult() == 1;
    return result;
}

namespace {

// On the desktop a missing printer need not end the job: the pages can go to a PDF file.
bool userWantsPdfInstead() {
    if (ui().headless()) return false;
    MessageBoxRequest request;
    request.caption = applicationTitle();
    request.text = noPrinterText() + czech("\n\nUložit sestavu do souboru PDF?");
    request.icon = MessageIcon::Question;
    request.buttons = ButtonYes | ButtonNo;
    request.defaultButton = ButtonYes;
    return ui().messageBox(request) == MessageResult::Yes;
}

int printToPdfFile(report::TSestava& report, report::TSestVystup& output, bool loadTemplate) {
    QtTextMeasurer measurer;
    report::RunOptions options;
    options.measurer = &measurer;
    const int result = report::runReport(report, output, options, loadTemplate);
    if (result != report::kSestOk) return result;
    const QString file = QFileDialog::getSaveFileName(
        QApplication::activeWindow(), QString::fromUtf8("Uložit sestavu jako PDF"),
        defaultDialogFolder(), QString::fromUtf8("Dokument PDF (*.pdf)"));
    if (file.isEmpty()) return report::kSestNoPrinter;
    QString target = file;
    if (!target.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        target += QStringLiteral(".pdf");
    try {
        report::reportPrinter().writePdf(output, target.toStdString(), report.popis);
    } catch (const std::exception&) {
        showReportMessage(czech("Soubor PDF se nepodařilo zapsat."));
        return report::kSestNotPossible;
    }
    return report::kSestOk;
}

} // namespace

int printReport(report::TSestava& report, report::TSestVystup& output, bool loadTemplate) {
    if (!report::printerSettings().present) {
        if (userWantsPdfInstead()) return printToPdfFile(report, output, loadTemplate);
        if (ui().headless()) showReportMessage(noPrinterText());
        return report::kSestNoPrinter;
    }
    QtTextMeasurer measurer;
    report::RunOptions options;
    options.measurer = &measurer;
    // A text-only queue gets the character page, so the layout keeps to its raster.
    if (!ui().headless()) {
        report::ProcessCommandRunner runner;
        report::PrintQueues queues(runner);
        options.characterMode = queues.isTextOnly(report::printerSettings().name);
    }
    const int result = report::runReport(report, output, options, loadTemplate);
    if (result != report::kSestOk) return result;
    int printed = report::kSestOk;
    {
        PrintStatus status;
        printed = report::reportPrinter().print(output, report.popis);
    }
    tellFailure(printed);
    return printed;
}

int printOrPreview(report::TSestava& report, report::TSestVystup& output, bool preview,
                   bool loadTemplate) {
    // Headless, previewReport still runs the report (so failures are told) but shows nothing and
    // prints nothing: on the desktop, too, pages reach paper from a preview only when a person
    // asks for it.
    if (preview) return previewReport(report, output, {}, nullptr, loadTemplate);
    return printReport(report, output, loadTemplate);
}

} // namespace vorlan::qt
