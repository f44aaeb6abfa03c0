#include "ui/qt/stdlib/qt_stdlib.h"

#include "script/registry.h"
#include "ui/qt/stdlib/application.h"
#include "ui/qt/stdlib/form_tracker.h"
#include "ui/qt/stdlib/printer.h"
#include "ui/qt/stdlib/units.h"

namespace vorlan::stdlib {

void registerDesktopUnits(script::Registry& registry) {
    // Registering the form classes again puts their plain factories back.
    trackProgramForms(registry);
    if (registry.findClass("TApplication")) return;
    // One call per unit, in the order the units depend on each other.
    registerGraphicsUnit(registry);
    registerControlsUnit(registry);
    registerFormsUnit(registry);
    registerPrintersUnit(registry);
    registerClipbrdUnit(registry);
    registerShellApiUnit(registry);
    registerGridsUnit(registry);
}

void releaseDesktopObjects() {
    printer().finishOpenJob();
    application().releaseOwnedComponents();
}

} // namespace vorlan::stdlib
