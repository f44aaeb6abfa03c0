#include "ui/qt/stdlib/qt_stdlib.h"

#include "script/registry.h"

namespace vorlan::stdlib {

void registerDesktopUnits(script::Registry& registry) {
    // One call per unit, in the order the units depend on each other.
    (void)registry;
}

} // namespace vorlan::stdlib
