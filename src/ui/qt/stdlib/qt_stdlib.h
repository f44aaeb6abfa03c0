#pragma once
// The standard units that need the desktop, registered once at start-up after the form classes.

namespace vorlan::script {
class Registry;
}

namespace vorlan::stdlib {

// FORMS, CONTROLS, GRAPHICS, PRINTERS, CLIPBRD and SHELLAPI; a second call changes nothing.
void registerDesktopUnits(script::Registry& registry);

// Frees what the desktop units hold for programs (forms owned by Application, a print job left
// open) while the application object and its windows still exist.
void releaseDesktopObjects();

} // namespace vorlan::stdlib
