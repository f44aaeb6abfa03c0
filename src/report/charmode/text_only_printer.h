#pragma once
// A report printer that prints on text-only queues in character mode and hands every other job
// to the graphic printer it wraps. The queue is the selected printer of the shared printer
// settings (empty: the default queue).

#include "report/charmode/character_output.h"
#include "report/charmode/print_queues.h"
#include "report/paint/report_printer.h"

#include <memory>
#include <string>

namespace vorlan::report {

class TextOnlyAwarePrinter : public ReportPrinter {
public:
    // `runner` null: real print commands.
    explicit TextOnlyAwarePrinter(std::unique_ptr<ReportPrinter> graphic,
                                  std::unique_ptr<CommandRunner> runner = nullptr);

    // kSestOk, kSestCancelled, or kSestNotPossible when the queue refused the job (the reason
    // is in lastError()); graphic jobs answer what the graphic printer answers.
    int print(TSestVystup& output, const std::string& title) override;
    void writePdf(TSestVystup& output, const std::string& hostPath,
                  const std::string& title) override;

    const std::string& lastError() const { return lastError_; }

    TextPrinterCodes codes;
    // Keeps the user interface alive between elements; the default processes pending events.
    ProcessEvents processEvents;

private:
    std::unique_ptr<ReportPrinter> graphic_;
    std::unique_ptr<CommandRunner> runner_;
    std::string lastError_;
};

} // namespace vorlan::report
