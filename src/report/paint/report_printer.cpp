#include "report/paint/report_printer.h"
#include "core/cp1250.h"

#include <algorithm>
#include <stdexcept>

namespace vorlan::report {

namespace {

class NoPrinter : public ReportPrinter {
public:
    int print(TSestVystup&, const std::string&) override { return kSestNoPrinter; }
    void writePdf(TSestVystup&, const std::string&, const std::string&) override {
        throw std::runtime_error(czech("výstup do PDF potřebuje grafické rozhraní"));
    }
};

std::unique_ptr<ReportPrinter>& installed() {
    static std::unique_ptr<ReportPrinter> printer = std::make_unique<NoPrinter>();
    return printer;
}

} // namespace

PrintRange printRangeOf(const TSestVystup& output) {
    if (output.copies <= 0) return {1, 0};
    return {std::max(1, output.firstPage), std::min(output.lastPage, output.pageCount())};
}

ReportPrinter& reportPrinter() {
    return *installed();
}

std::unique_ptr<ReportPrinter> setReportPrinter(std::unique_ptr<ReportPrinter> printer) {
    auto previous = std::move(installed());
    installed() = printer ? std::move(printer) : std::make_unique<NoPrinter>();
    return previous;
}

} // namespace vorlan::report
