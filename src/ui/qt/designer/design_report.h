#pragma once
// The report's Edit operation: the template read from its file, then the designer on it.

namespace vorlan::report {
class TSestava;
class TSestVystup;
} // namespace vorlan::report

class QWidget;

namespace vorlan::qt {

// Opens the designer on `report` as it is (its template already read), with the designer's
// settings from the report settings file. 0 when the user saved the template, 3 otherwise; in
// headless mode there is nobody to edit and the answer is 3.
int designReport(report::TSestava& report, QWidget* parent = nullptr);

// The report's Preview operation, and the designer when the user asks for it from the preview
// ("Oprava předlohy"). Answers the run's result (0, 3, 6); after editing, the designer's.
// `loadTemplate` false: the caller has read the template (and attached its detail reports).
int previewReportAndEdit(report::TSestava& report, report::TSestVystup& output,
                         bool loadTemplate = true);

// What the table's Report and DbfReport do with a report whose template they have read: on the
// desktop a preview, from which the user may go on to edit the template; otherwise (printing, or
// a headless preview) printOrPreview.
int previewOrPrint(report::TSestava& report, report::TSestVystup& output, bool preview);

// Reads the template from its file and designs it. A template that cannot be read (or is
// missing, unless `createMissing` and the user agrees) has been reported by the loader: no
// designer, 6.
int editReport(report::TSestava& report, bool createMissing = false, QWidget* parent = nullptr);

} // namespace vorlan::qt
