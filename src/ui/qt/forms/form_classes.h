#pragma once
// Registration of the program form classes: the standard controls scripts and stored forms
// name, their methods, the string lists and fonts they hand out, and the constants that go with
// them (modal results, close actions, font styles, colours).

namespace vorlan::script {
class Registry;
}

namespace vorlan::forms {

// Needs the engine's base classes (registerEngineBuiltins) first. Classes already registered
// by the engine get factories that make real windows; a second call changes nothing.
void registerFormClasses(script::Registry& registry);

// Shows a program's module form for the run cycle: OnCreate once, then (with a screen) OnShow,
// the window and OnActivate. Without a screen the form exists but is not shown.
void installFormHooks();

} // namespace vorlan::forms
