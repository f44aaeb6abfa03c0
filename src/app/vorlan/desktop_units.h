#pragma once
// The desktop's units as the front end registers them.

#include "app/vorlan/runtime_units.h"

namespace vorlan::app {

DesktopUnits desktopUnits();

} // namespace vorlan::app
