#include "report/paper/printer_settings.h"

#include <cmath>

namespace vorlan::report {

PrinterSettings& printerSettings() {
    static PrinterSettings settings;
    return settings;
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
