#pragma once
// The report's Print and Preview operations on the desktop: run the report, then show its pages
// in the preview or print them on the chosen printer (drawn pages on graphic queues, the
// character page on text-only ones). In headless mode the preview is not shown and print jobs go
// where every headless job goes.

#include "report/output/output_model.h"
#include "ui/qt/report/print_dialog_options.h"

#include <QRect>

#include <functional>
#include <string>

class QWidget;

namespace vorlan::report {
class TSestava;
}

namespace vorlan::qt {

// Tells the user something about printing (Windows-1250), with the program's caption.
void showReportMessage(const std::string& text);

// Prints pages of `output` from the preview: the print dialog prefilled with the output's
// range and copies (no dialog and a message when no printer is installed), then the job on the
// chosen printer, limited to the page shown when the user asked for that. The output's own
// range is left as it was. `execute` replaces the dialog (tests); empty: the real one.
PrintDialogResult
printFromPreview(report::TSestVystup& output, QWidget* parent,
                 const std::function<PrintDialogResult(PrintDialogTyp&)>& execute);

// Where and how the preview window opens.
struct PreviewPlacement {
    QRect rect;            // used when not empty
    bool maximized = true; // the window state
    int zoomPercent = 100; // the zoom button pressed at the start
};

// Runs the report and shows the preview modally. Answers the run's result (0, 3 cancelled, 6);
// `editRequested` tells whether the user asked to edit the template. `loadTemplate` false: the
// caller has loaded it already (and attached detail reports to what it read).
int previewReport(report::TSestava& report, report::TSestVystup& output,
                  const PreviewPlacement& placement = {}, bool* editRequested = nullptr,
                  bool loadTemplate = true);

// Runs the report and prints its range on the selected printer as the job `Popis`, with
// "Odesílám data do tiskárny ..." shown while the pages go out. Answers 0, 2 when no printer is
// installed, 3 cancelled, 6 when the run or the job failed.
int printReport(report::TSestava& report, report::TSestVystup& output, bool loadTemplate = true);

// What the table's Report and the Dbf functions' DbfReport do with a prepared report: the
// preview when asked for, else the print job. A headless preview runs the report and shows and
// prints nothing, as a desktop preview prints only when the user asks for it.
int printOrPreview(report::TSestava& report, report::TSestVystup& output, bool preview,
                   bool loadTemplate = true);

} // namespace vorlan::qt
