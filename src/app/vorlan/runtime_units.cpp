#include "app/vorlan/runtime_units.h"

#include "core/cp1250.h"
#include "data/script/data_table_registration.h"
#include "library/library.h"
#include "script/basic/basic_runner.h"
#include "script/builtins.h"
#include "script/js/js_runner.h"
#include "script/pascal/pascal_runner.h"
#include "script/registry.h"
#include "script/scripter.h"
#include "stdlib/stdlib.h"
#include "window_models/canvas/canvas_procs.h"
#include "window_models/console/console_procs.h"
#include "window_models/dbf/dbf_procs.h"

#include <algorithm>
#include <iterator>

namespace vorlan::app {

namespace {

// The names the desktop's units add, upper case and sorted: globals as they are, members of
// classes that exist without the desktop as "CLASS.MEMBER", and "CLASS()" for such a class
// whose instances the desktop makes. Written by the test that checks them
// (DesktopNames, VORLAN_WRITE_DESKTOP_NAMES=1).
constexpr std::string_view kDesktopNames[] = {
#include "app/vorlan/desktop_names.inc"
};

bool listed(std::string_view key) {
    const auto less = [](std::string_view a, std::string_view b) {
        return compareNoCase(a, b) < 0;
    };
    return std::binary_search(std::begin(kDesktopNames), std::end(kDesktopNames), key, less);
}

} // namespace

void registerRuntimeUnits(script::Registry& registry, const RuntimeUnits& units,
                          const DesktopUnits* desktop) {
    script::registerEngineBuiltins(registry);
    if (desktop) desktop->formClasses(registry);
    script::registerScriptRunners(registry);
    script::pascal::registerPascalRunner(registry);
    script::js::registerJavaScriptRunner(registry);
    script::basic::registerVbScriptRunner(registry);
    library::registerLibrary(registry);
    data::registerDataTable(registry);
    stdlib::registerStandardLibrary(registry);
    if (desktop) desktop->desktopUnits(registry);
    windows::registerConsole(registry, units.console);
    if (units.afterStandardUnits) units.afterStandardUnits();
    windows::registerDbfFunctions(registry, units.dbfAreas);
    if (desktop) desktop->tableReports(registry);
    windows::registerCanvas(registry, units.canvas);
}

void registerDesktopUnitsLate(script::Registry& registry, const DesktopUnits& desktop) {
    desktop.formClasses(registry);
    desktop.desktopUnits(registry);
    desktop.tableReports(registry);
    // The table class descends from the form classes' TTable when they are there.
    data::placeDataTableUnderFormTable(registry);
}

bool isDesktopName(std::string_view name) {
    return name.find('.') == std::string_view::npos && listed(name);
}

bool isDesktopMember(const script::Registry& registry, std::string_view className,
                     std::string_view member) {
    for (const script::ClassInfo* cls = registry.findClass(className); cls; cls = cls->parent) {
        std::string key = cls->name;
        key += member.empty() ? "()" : ".";
        key += member;
        if (listed(key)) return true;
    }
    return false;
}

} // namespace vorlan::app
