#include "script/comp_wrapper.h"

#include "core/cp1250.h"
#include "script/component.h"
#include "script/live_lock.h"
#include "script/registry.h"

#include <mutex>
#include <optional>
#include <unordered_map>

namespace vorlan::script {

std::shared_mutex& liveLock() {
    static std::shared_mutex lock;
    return lock;
}

namespace {

std::unordered_map<const NativeObject*, std::weak_ptr<CompWrapper>>& wrappers() {
    static std::unordered_map<const NativeObject*, std::weak_ptr<CompWrapper>> map;
    return map;
}

// Index arguments given to a member that takes none (`Grid.Columns[0]`) belong to the default
// property of the object the member answers (`Grid.Columns.Items[0]`). A put passes the index,
// then the new value. Nothing when `value` is no object with a default property: the call then
// goes on as it would without the fallback.
std::optional<DispStatus> throughDefaultProperty(Registry& registry, const Value& value,
                                                 unsigned flags, std::span<Value> args,
                                                 Value& result, ExceptionInfo& error) {
    NativeObject* native = nativeObjectOf(value);
    const ClassInfo* cls = native ? registry.findClass(native->className()) : nullptr;
    while (cls && !cls->defaultProperty)
        cls = cls->parent;
    if (!cls) return std::nullopt;
    const PropertyInfo& property = *cls->defaultProperty;
    if (flags & InvokePut) {
        if (!property.write) return DispStatus::MemberNotFound;
        return registry.setProperty(property, native, args.first(args.size() - 1), args.back(),
                                    error);
    }
    if (!property.read) return DispStatus::MemberNotFound;
    return registry.getProperty(property, native, args, result, error);
}

// Whether a call gives index arguments: a get any, a put more than the new value.
bool hasIndex(unsigned flags, std::span<const Value> args) {
    return args.size() > ((flags & InvokePut) ? 1u : 0u);
}

} // namespace

CompWrapper::CompWrapper(Registry& registry, NativeObject* object)
    : registry_(registry), object_(object), alive_(object->aliveToken()) {}

CompWrapper::~CompWrapper() {
    std::unique_lock lock(liveLock());
    auto it = wrappers().find(object_);
    if (it != wrappers().end() && it->second.expired()) wrappers().erase(it);
}

NativeObject* CompWrapper::object() const {
    return alive_.expired() ? nullptr : object_;
}

std::string CompWrapper::dispatchClassName() const {
    NativeObject* o = object();
    return o ? o->className() : "Nothing";
}

DispId CompWrapper::idOfName(std::string_view name) {
    NativeObject* o = object();
    if (!o) return kUnknownDispId;
    const MemberRef member = registry_.findMember(o->className(), name);
    if (member.method || member.property) return registry_.memberId(member);
    auto* component = dynamic_cast<Component*>(o);
    if (!component || !(component->findComponent(name) || component->hasPublished(name)))
        return kUnknownDispId;
    for (std::size_t i = 0; i < partNames_.size(); ++i)
        if (equalsNoCase(partNames_[i], name)) return kPartIdBase + static_cast<DispId>(i);
    partNames_.emplace_back(name);
    return kPartIdBase + static_cast<DispId>(partNames_.size() - 1);
}

DispStatus CompWrapper::invoke(DispId id, unsigned flags, std::span<Value> args, Value& result,
                               ExceptionInfo& error) {
    result = Value();
    NativeObject* o = object();
    if (!o) {
        error.description = czech("Objekt už byl uvolněn");
        return DispStatus::Exception;
    }
    if (id >= 0 && id < kPartIdBase) {
        const MemberRef member = registry_.memberById(id);
        if (member.method) {
            if (flags & InvokePut) return DispStatus::MemberNotFound;
            return registry_.call(*member.method, o, args, result, error);
        }
        if (member.property) {
            const PropertyInfo& property = *member.property;
            if (property.indexCount == 0 && property.read && hasIndex(flags, args)) {
                Value value;
                const DispStatus status = registry_.getProperty(property, o, {}, value, error);
                if (status != DispStatus::Ok) return status;
                if (auto done =
                        throughDefaultProperty(registry_, value, flags, args, result, error))
                    return *done;
                if (!(flags & InvokePut)) {
                    result = std::move(value); // the index is ignored, as it always was
                    return DispStatus::Ok;
                }
            }
            if (flags & InvokePut) {
                if (args.empty()) return DispStatus::BadParamCount;
                if (!member.property->write) return DispStatus::MemberNotFound;
                return registry_.setProperty(*member.property, o, args.first(args.size() - 1),
                                             args.back(), error);
            }
            if (!member.property->read) return DispStatus::MemberNotFound;
            return registry_.getProperty(*member.property, o, args, result, error);
        }
        return DispStatus::UnknownName;
    }
    const auto part = static_cast<std::size_t>(id - kPartIdBase);
    if (id < kPartIdBase || part >= partNames_.size()) return DispStatus::UnknownName;
    auto* component = dynamic_cast<Component*>(o);
    if (!component) return DispStatus::UnknownName;
    const std::string& name = partNames_[part];
    if (Component* child = component->findComponent(name)) {
        const Value value(wrapObject(registry_, child));
        if (hasIndex(flags, args))
            if (auto done = throughDefaultProperty(registry_, value, flags, args, result, error))
                return *done;
        if (flags & InvokePut) return DispStatus::MemberNotFound;
        result = value;
        return DispStatus::Ok;
    }
    try {
        // Published properties take no index.
        if (Value value; hasIndex(flags, args) && component->getPublished(name, value)) {
            if (auto done = throughDefaultProperty(registry_, value, flags, args, result, error))
                return *done;
            if (!(flags & InvokePut)) {
                result = std::move(value);
                return DispStatus::Ok;
            }
        }
        if (flags & InvokePut) {
            if (args.empty()) return DispStatus::BadParamCount;
            return component->setPublished(name, args.back()) ? DispStatus::Ok
                                                              : DispStatus::MemberNotFound;
        }
        return component->getPublished(name, result) ? DispStatus::Ok : DispStatus::MemberNotFound;
    } catch (const std::exception& e) {
        error.description = e.what();
        return DispStatus::Exception;
    }
}

ObjectRef wrapObject(Registry& registry, NativeObject* object) {
    if (!object) return nullptr;
    {
        std::shared_lock lock(liveLock());
        auto it = wrappers().find(object);
        if (it != wrappers().end())
            if (auto existing = it->second.lock()) return existing;
    }
    auto wrapper = std::make_shared<CompWrapper>(registry, object);
    std::unique_lock lock(liveLock());
    auto& slot = wrappers()[object];
    if (auto existing = slot.lock()) return existing;
    slot = wrapper;
    return wrapper;
}

namespace {

class OwningWrapper : public CompWrapper {
public:
    OwningWrapper(Registry& registry, std::unique_ptr<NativeObject> object)
        : CompWrapper(registry, object.get()), owned_(std::move(object)) {}

private:
    std::unique_ptr<NativeObject> owned_;
};

} // namespace

ObjectRef wrapOwnedObject(Registry& registry, std::unique_ptr<NativeObject> object) {
    if (!object) return nullptr;
    NativeObject* raw = object.get();
    auto wrapper = std::make_shared<OwningWrapper>(registry, std::move(object));
    std::unique_lock lock(liveLock());
    wrappers()[raw] = wrapper;
    return wrapper;
}

ObjectRef wrapObject(NativeObject* object) {
    return wrapObject(registry(), object);
}

NativeObject* nativeObjectOf(const Value& value) {
    if (!value.isObject()) return nullptr;
    auto* wrapper = dynamic_cast<CompWrapper*>(value.asObject().get());
    return wrapper ? wrapper->object() : nullptr;
}

void forgetWrapper(NativeObject* object) {
    std::unique_lock lock(liveLock());
    wrappers().erase(object);
}

} // namespace vorlan::script
