#include "app/vorlan/desktop_units.h"

#include "ui/qt/dbf/dbf_report.h"
#include "ui/qt/dbf/table_reports.h"
#include "ui/qt/forms/dialogs.h"
#include "ui/qt/forms/form_classes.h"
#include "ui/qt/stdlib/qt_stdlib.h"
#include "window_models/dbf/dbf_procs.h"

namespace vorlan::app {

DesktopUnits desktopUnits() {
    DesktopUnits units;
    units.formClasses = [](script::Registry& registry) {
        forms::registerFormClasses(registry);
        forms::registerDialogs(registry);
        forms::installFormHooks();
    };
    units.desktopUnits = [](script::Registry& registry) { stdlib::registerDesktopUnits(registry); };
    units.tableReports = [](script::Registry& registry) {
        windows::setDbfReportRunner(qt::runDbfReport);
        qt::registerTableReports(registry);
    };
    return units;
}

} // namespace vorlan::app
