// PRINTERS: the Printer object.
#include "core/cp1250.h"
#include "script/bind.h"
#include "ui/qt/forms/control.h"
#include "ui/qt/forms/font_object.h"
#include "ui/qt/forms/form.h"
#include "ui/qt/forms/standard_controls.h"
#include "ui/qt/forms/string_list.h"
#include "ui/qt/stdlib/application.h"
#include "ui/qt/stdlib/constant_table.h"
#include "ui/qt/stdlib/printer.h"
#include "ui/qt/stdlib/units.h"

namespace vorlan::stdlib {

namespace {

using script::ClassBinder;
using P = PrinterObject;

// TPrinterOrientation, by name as the Orientation property answers.
constexpr const char* kPrintersNames[] = {"poPortrait", "poLandscape"};

} // namespace

void registerPrintersUnit(script::Registry& reg) {
    ClassBinder<P> printerClass(reg, "TPrinter", "TObject");
    printerClass.property("Printers", "TStrings", [](P& p) { return &p.printers(); });
    printerClass.property("PrinterIndex", "Integer", &P::printerIndex, &P::setPrinterIndex);
    printerClass.property("Title", "string", &P::title, &P::setTitle);
    printerClass.property("Orientation", "Variant", &P::orientation, &P::setOrientation);
    printerClass.property("Copies", "Integer", &P::copies, &P::setCopies);
    printerClass.property("PageWidth", "Integer", &P::pageWidth);
    printerClass.property("PageHeight", "Integer", &P::pageHeight);
    printerClass.property("PageNumber", "Integer", &P::pageNumber);
    printerClass.property("Printing", "Boolean", &P::printing);
    printerClass.property("Aborted", "Boolean", &P::aborted);
    printerClass.property("Canvas", "TCanvas", [](P& p) { return &p.canvas(); });
    printerClass.property("Handle", "Integer", [](P&) { return 0; });
    printerClass.bind("BeginDoc", "procedure", &P::beginDoc);
    printerClass.bind("EndDoc", "procedure", &P::endDoc);
    printerClass.bind("NewPage", "procedure", &P::newPage);
    printerClass.bind("Abort", "procedure", &P::abort);
    // The fonts a printer draws are the desktop's.
    printerClass.property("Fonts", "TStrings", [](P&) { return &screen().fonts(); });
    // The printer by name; the driver, port and device mode of the platform's API stand for
    // nothing here (empty, 0).
    printerClass.bind(
        "GetPrinter", "procedure(var ADevice, ADriver, APort: string; var ADeviceMode: Integer)",
        [](P& p, std::string& device, std::string& driver, std::string& port, std::int32_t& mode) {
            const std::vector<std::string> names = p.printerNames();
            const std::int32_t at = p.printerIndex();
            device = at >= 0 && static_cast<std::size_t>(at) < names.size()
                         ? names[static_cast<std::size_t>(at)]
                         : std::string();
            driver.clear();
            port.clear();
            mode = 0;
        });
    printerClass.bind(
        "SetPrinter", "procedure(ADevice, ADriver, APort: string; ADeviceMode: Integer)",
        [](P& p, const std::string& device, const std::string&, const std::string&, std::int32_t) {
            const std::vector<std::string> names = p.printerNames();
            for (std::size_t i = 0; i < names.size(); ++i)
                if (equalsNoCase(names[i], device))
                    return p.setPrinterIndex(static_cast<std::int32_t>(i));
            throw script::ScriptException(czech("Tiskárna ") + device + czech(" není k dispozici"));
        });

    registerNameConstants(reg, kPrintersNames);
    reg.registerConst("Printer", script::Value(script::wrapObject(reg, &printer())));
}

} // namespace vorlan::stdlib
