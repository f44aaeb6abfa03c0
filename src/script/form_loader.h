#pragma once
// Turns a component stream's tree into live components: registered classes through their
// factories, anything else as a plain component that keeps its properties. Event properties
// (names beginning with "On" whose value is an identifier) are bound to the script procedure
// they name.

#include "script/component.h"
#include "script/stream/stream_object.h"

#include <memory>

namespace vorlan::script {

class Registry;

// `moduleRoot`: the root of a module form, whose own class (TForm1) the registry does not know;
// it becomes a descendant of TForm (or of TDataModule for data modules).
std::unique_ptr<Component> instantiateComponents(const stream::StreamObject& tree,
                                                 Registry& registry, bool moduleRoot = false);

// A stored property value as a script value: numbers, strings (wide ones in Windows-1250),
// Booleans, identifiers as their text, sets as "[a,b]", lists as arrays, nil as null.
Value valueOfStreamValue(const stream::StreamValue& value);

} // namespace vorlan::script
