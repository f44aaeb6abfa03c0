#pragma once
// The standard units that scripts call (SYSTEM, SYSUTILS, CLASSES, MATH ...), registered once at
// start-up for all three dialects.

namespace vorlan::script {
class Registry;
}

namespace vorlan::stdlib {

void registerStandardLibrary(script::Registry& registry);

} // namespace vorlan::stdlib
