#pragma once
// The script members of the common controls (progress and track bars, trees, list views,
// status bars, rich edits ...) and of the parts they hand out (tree nodes, list items, panels),
// with the constants that go with them.

namespace vorlan::script {
class Registry;
}

namespace vorlan::forms {

// Called by registerFormClasses once the classes are registered.
void registerCommonControlMethods(script::Registry& registry);

} // namespace vorlan::forms
