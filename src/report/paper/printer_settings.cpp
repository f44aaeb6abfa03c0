#include "report/paper/printer_settings.h"

#include <cmath>

namespace vorlan::report {

namespace {

std::function<void(PrinterSettings&)>& pendingDetector() {
    static std::function<void(PrinterSettings&)> detect;
    return detect;
}

} // namespace

PrinterSettings& printerSettings() {
    static PrinterSettings settings;
    if (std::function<void(PrinterSettings&)>& pending = pendingDetector()) {
        // Taken out first: the detector may ask for the settings itself.
        const std::function<void(PrinterSettings&)> detect = std::move(pending);
        pending = nullptr;
        detect(settings);
    }
    return settings;
}

void setPrinterDetector(std::function<void(PrinterSettings&)> detect) {
    pendingDetector() = std::move(detect);
}

LayoutRect printableRect(const PaperSettings& paper) {
    return {paper.leftMargin, paper.topMargin, printableWidth(paper), printableHeight(paper)};
}

DeviceRect printerTargetRect(const PaperSettings& paper, const PrinterSettings& printer) {
    const double dx = printer.dotsPerHundredthX();
    const double dy = printer.dotsPerHundredthY();
    const auto round = [](double v) { return static_cast<int>(std::lround(v)); };
    return {round((paper.leftMargin + printer.correctionX) * dx) - printer.offsetX,
            round((paper.topMargin + printer.correctionY) * dy) - printer.offsetY,
            round(printableWidth(paper) * dx), round(printableHeight(paper) * dy)};
}

} // namespace vorlan::report
