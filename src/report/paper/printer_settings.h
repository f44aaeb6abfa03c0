#pragma once
// The printer side of the paper settings shared by every report: whether a printer exists, its
// resolution, offset and page, and where a page's printable area lands on it. Without a printer
// the layout still works on a virtual printer of 100 dots per inch whose printing starts 50
// dots from the sheet's edges.
//
// The paper itself (size, orientation, margins) is `paperSettings()`; its oriented and
// printable sizes come with the output model.

#include "report/model.h"
#include "report/output/output_model.h"
#include "report/paint/painter.h"

#include <functional>
#include <string>

namespace vorlan::report {

struct PrinterSettings {
    bool present = false;
    std::string name; // the selected printer, empty for the default one
    // Dots per inch.
    int dpiX = 100;
    int dpiY = 100;
    // Where the printable part of the sheet starts, and its size, in dots.
    int offsetX = 50;
    int offsetY = 50;
    int pageWidth = 0; // 0: the paper's size
    int pageHeight = 0;
    float scaleX = 1.0f;
    float scaleY = 1.0f;
    // Shifts of the printed area on the sheet, hundredths of an inch (to mend a printer that
    // does not place the page where it says).
    int correctionX = 0;
    int correctionY = 0;
    int copies = 1;

    // Back to the virtual printer.
    void setVirtual() { *this = PrinterSettings(); }
    double dotsPerHundredthX() const { return dpiX * 0.01; }
    double dotsPerHundredthY() const { return dpiY * 0.01; }
};

// The settings of the printer reports go to. A detector set with setPrinterDetector() fills
// them in the first time they are asked for.
PrinterSettings& printerSettings();
// Finding the system's printer is left until a program first needs it (printing, the print
// dialog): asking the print system at start-up would slow down every program that never
// prints. The detector runs once.
void setPrinterDetector(std::function<void(PrinterSettings&)> detect);

struct LayoutRect {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const LayoutRect&) const = default;
};
// The printable area on the sheet: placed by the left and top margins.
LayoutRect printableRect(const PaperSettings& paper);

// Where the printable area lands on the printer's page, in printer dots measured from where the
// printer starts printing.
DeviceRect printerTargetRect(const PaperSettings& paper, const PrinterSettings& printer);

} // namespace vorlan::report
