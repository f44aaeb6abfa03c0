#include "stdlib/stdlib.h"

#include "script/registry.h"

namespace vorlan::stdlib {

void registerStandardLibrary(script::Registry& registry) {
    // One call per unit, in the order the units depend on each other.
    registerSystemUnit(registry);
    registerSysUtilsUnit(registry);
}

} // namespace vorlan::stdlib
