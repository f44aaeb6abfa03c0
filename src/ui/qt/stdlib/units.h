#pragma once
// The desktop's standard units, one registration function (and one table file) each.

namespace vorlan::script {
class Registry;
}

namespace vorlan::stdlib {

void registerFormsUnit(script::Registry& registry);    // forms_unit.cpp
void registerControlsUnit(script::Registry& registry); // controls_unit.cpp
void registerGraphicsUnit(script::Registry& registry); // graphics_unit.cpp
void registerPrintersUnit(script::Registry& registry); // printers_unit.cpp
void registerClipbrdUnit(script::Registry& registry);  // clipbrd_unit.cpp
void registerShellApiUnit(script::Registry& registry); // shellapi_unit.cpp
void registerGridsUnit(script::Registry& registry);    // grids_unit.cpp

} // namespace vorlan::stdlib
