#pragma once
// How the engine hands finished output pages to the printer or to a PDF file without knowing
// the graphics toolkit: the front end installs its printer; without one, printing reports that
// no printer is there.

#include "report/output/output_model.h"

#include <memory>
#include <string>

namespace vorlan::report {

// The pages to print, from 1. Empty (first > last) when there is nothing to print: no pages,
// a range beyond the end, or no copies.
struct PrintRange {
    int first = 1;
    int last = 0;
    bool empty() const { return first > last; }
    int count() const { return empty() ? 0 : last - first + 1; }
};
PrintRange printRangeOf(const TSestVystup& output);

class ReportPrinter {
public:
    virtual ~ReportPrinter() = default;
    // Prints the output's print range as one job named `title` (Windows-1250). Answers kSestOk,
    // kSestNoPrinter or kSestCancelled (the cancel flag was set while printing).
    virtual int print(TSestVystup& output, const std::string& title) = 0;
    // Writes the print range into a PDF file (host path). Throws std::runtime_error when the
    // file cannot be written.
    virtual void writePdf(TSestVystup& output, const std::string& hostPath,
                          const std::string& title) = 0;
};

ReportPrinter& reportPrinter();
// Installs `printer` and returns the previous one; null puts back the printer-less default.
std::unique_ptr<ReportPrinter> setReportPrinter(std::unique_ptr<ReportPrinter> printer);

} // namespace vorlan::report
