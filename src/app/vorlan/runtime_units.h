#pragma once
// Everything scripts may call, registered in one order in every run. The units that need the
// desktop (form classes and dialogs, Application and the graphics classes, the table class's
// reports) come from the front end: a desktop run registers them in their place among the
// others, a headless run only when a program first uses one of their names.

#include <functional>
#include <string_view>

namespace vorlan::script {
class Registry;
}
namespace vorlan::windows {
class Canvas;
class Console;
class DbfWorkAreas;
} // namespace vorlan::windows

namespace vorlan::app {

struct DesktopUnits {
    // Form classes, the standard dialogs and the hooks that show forms.
    std::function<void(script::Registry&)> formClasses;
    // Application, Screen, the graphics classes, Printer, Clipboard.
    std::function<void(script::Registry&)> desktopUnits;
    // The table class's Report members and the runner of DbfReport.
    std::function<void(script::Registry&)> tableReports;
};

struct RuntimeUnits {
    windows::Console& console;
    windows::DbfWorkAreas& dbfAreas;
    windows::Canvas& canvas;
    // Runs once the standard units are there and before the database window's functions: the
    // settings file's [Locale] changes what the standard units set up.
    std::function<void()> afterStandardUnits;
};

// Registers every unit; the desktop's in their place when `desktop` is given, otherwise none of
// them (registerDesktopUnitsLate adds them).
void registerRuntimeUnits(script::Registry& registry, const RuntimeUnits& units,
                          const DesktopUnits* desktop);

// Adds the desktop's units to a registry that has the others: the same names, members and class
// ancestry as registering them in their place.
void registerDesktopUnitsLate(script::Registry& registry, const DesktopUnits& desktop);

// Whether the desktop's units register this global name, or this member of a class that exists
// without them (`className` is the class asked for; its ancestors count too), or (`member`
// empty) the way to make instances of such a class.
bool isDesktopName(std::string_view name);
bool isDesktopMember(const script::Registry& registry, std::string_view className,
                     std::string_view member);

} // namespace vorlan::app
