#include "stdlib/stdlib.h"

#include "script/registry.h"
#include "stdlib/units.h"

namespace vorlan::stdlib {

void registerStandardLibrary(script::Registry& registry) {
    // One call per unit, in the order the units depend on each other.
    registerSystemUnit(registry);
    registerSysUtilsUnit(registry);
    registerClassesUnit(registry);
    registerMathUnit(registry);
    registerRegistryUnit(registry);
    registerComObjUnit(registry);
}

} // namespace vorlan::stdlib
