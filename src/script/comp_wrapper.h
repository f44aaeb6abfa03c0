#pragma once
// TCompWrapper: a native object as a dispatch interface. A name resolves first among the
// members registered for the object's class and its ancestors, then among the object's own
// parts: a component it owns by that name (a form's controls), then a published property.
// Index arguments given to a member that takes none go to the default property of the object
// the member answers: `Grid.Columns[0]` is `Grid.Columns.Items[0]`.
// Each object gets at most one wrapper; calls on a wrapper whose object is gone fail cleanly.

#include "script/dispatch.h"
#include "script/native_object.h"

#include <memory>
#include <string>
#include <vector>

namespace vorlan::script {

class Registry;

class CompWrapper : public Dispatch {
public:
    CompWrapper(Registry& registry, NativeObject* object);
    ~CompWrapper() override;

    DispId idOfName(std::string_view name) override;
    DispStatus invoke(DispId id, unsigned flags, std::span<Value> args, Value& result,
                      ExceptionInfo& error) override;
    std::string dispatchClassName() const override;

    // Null once the object has been freed.
    NativeObject* object() const;

private:
    Registry& registry_;
    NativeObject* object_;
    std::weak_ptr<void> alive_;
    // Names of the object's own parts resolved so far; their ids index this list.
    std::vector<std::string> partNames_;
};

// The one wrapper of an object (made on first use); null for a null object.
ObjectRef wrapObject(NativeObject* object);
ObjectRef wrapObject(Registry& registry, NativeObject* object);
// A new wrapper that owns its object: the object lives as long as some value refers to the
// wrapper, the way automation objects (Scripting.Dictionary) live while variables hold them.
ObjectRef wrapOwnedObject(Registry& registry, std::unique_ptr<NativeObject> object);
// The native object behind a value, or null (not an object, freed, or not a wrapper).
NativeObject* nativeObjectOf(const Value& value);
template <class T> T* nativeAs(const Value& value) {
    return dynamic_cast<T*>(nativeObjectOf(value));
}

// Forgets the wrapper of an object that is being destroyed.
void forgetWrapper(NativeObject* object);

// Member identifiers: registered members below kPartIdBase, an object's parts above it.
constexpr DispId kPartIdBase = 0x40000000;

} // namespace vorlan::script
