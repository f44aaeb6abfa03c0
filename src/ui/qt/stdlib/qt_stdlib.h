#pragma once
// The standard units that need the desktop, registered once at start-up after the form classes.

namespace vorlan::script {
class Registry;
}

namespace vorlan::stdlib {

void registerDesktopUnits(script::Registry& registry);

} // namespace vorlan::stdlib
