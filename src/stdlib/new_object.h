#pragma once
// Objects a class-level constructor makes for a script (TFileStream.Create(Name, Mode)): kept in
// the object store until the script frees them or the run ends, like every object a script
// makes without an owner.

#include "script/object_store.h"

#include <memory>

namespace vorlan::stdlib {

template <class T> T* keepNew(std::unique_ptr<T> object) {
    T* raw = object.get();
    script::keepUnownedObject(std::move(object));
    return raw;
}

} // namespace vorlan::stdlib
