#pragma once
// Objects that scripts create without an owner (TDataTable.Create(nil)) live here until the
// script frees them or the runtime ends, so nothing a script makes can leak or dangle.

#include "script/native_object.h"

#include <memory>

namespace vorlan::script {

NativeObject* keepUnownedObject(std::unique_ptr<NativeObject> object);
// Frees an object on a script's request: an owned component through its owner, an unowned
// object from this store. False when neither holds it (it belongs to the system).
bool freeScriptObject(NativeObject* object);
// Frees every unowned object (at the end of a run of the runtime).
void freeAllUnownedObjects();

} // namespace vorlan::script
