#pragma once
// Registration of each standard unit this library implements; registerStandardLibrary calls
// them in order. Each lives in its own <unit>_unit.cpp as a table of one-line bindings.

namespace vorlan::script {
class Registry;
}

namespace vorlan::stdlib {

void registerClassesUnit(script::Registry& registry);  // CLASSES
void registerMathUnit(script::Registry& registry);     // MATH
void registerRegistryUnit(script::Registry& registry); // REGISTRY
void registerComObjUnit(script::Registry& registry);   // COMOBJ

} // namespace vorlan::stdlib
