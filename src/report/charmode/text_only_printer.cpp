#include "report/charmode/text_only_printer.h"
#include "core/cp1250.h"

#include "core/ui_services.h"
#include "report/paper/printer_settings.h"

#include <stdexcept>

namespace vorlan::report {

TextOnlyAwarePrinter::TextOnlyAwarePrinter(std::unique_ptr<ReportPrinter> graphic,
                                           std::unique_ptr<CommandRunner> runner)
    : processEvents([] { ui().processPendingEvents(); }), graphic_(std::move(graphic)),
      runner_(runner ? std::move(runner) : std::make_unique<ProcessCommandRunner>()) {}

int TextOnlyAwarePrinter::print(TSestVystup& output, const std::string& title) {
    lastError_.clear();
    PrintQueues queues(*runner_);
    const std::string queue = printerSettings().name;
    if (!queues.isTextOnly(queue))
        return graphic_ ? graphic_->print(output, title) : kSestNoPrinter;
    if (printRangeOf(output).empty()) return kSestOk;

    bool completed = false;
    const std::string bytes =
        characterPrintBytes(output, orientedPaperHeight(paperSettings()), lineSpacingOf(output),
                            codes, processEvents, completed);
    // A cancelled job is never handed to the queue: nothing of it gets printed.
    if (!completed) return kSestCancelled;
    try {
        queues.printRaw(queue, bytes, title, output.copies);
    } catch (const std::runtime_error& e) {
        lastError_ = e.what();
        return kSestNotPossible;
    }
    return kSestOk;
}

void TextOnlyAwarePrinter::writePdf(TSestVystup& output, const std::string& hostPath,
                                    const std::string& title) {
    if (!graphic_) throw std::runtime_error(czech("výstup do PDF potřebuje grafické rozhraní"));
    graphic_->writePdf(output, hostPath, title);
}

} // namespace vorlan::report
