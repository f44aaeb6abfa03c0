#include "app/vorlan/member_check.h"

#include "core/cp1250.h"
#include "script/comp_wrapper.h"
#include "script/component.h"
#include "script/registry.h"

namespace vorlan::app {

namespace {

// Members every object answers whatever its class.
bool universalMember(std::string_view member) {
    for (const char* name : {"Free", "ClassName", "Create", "Destroy"})
        if (equalsNoCase(name, member)) return true;
    return false;
}

// The value of a registered variable or constant (Application, Screen).
const script::Value* registeredValue(std::string_view name) {
    script::Registry& reg = script::registry();
    if (const script::VarInfo* var = reg.findVar(name)) return var->address;
    return reg.findConst(name);
}

} // namespace

MemberJudge::MemberJudge() = default;
MemberJudge::~MemberJudge() = default;

MemberVerdict MemberJudge::judge(const MemberUse& use, script::Component* form) {
    if (use.path.empty() || universalMember(use.member)) return {};
    if (use.ownerIsClass)
        return use.path.size() == 1 ? ofClass(use.path[0], use.member) : MemberVerdict{};
    script::Registry& reg = script::registry();
    const std::string& root = use.path[0];
    script::NativeObject* object = nullptr;
    if (form && equalsNoCase(form->name(), root))
        object = form;
    else if (form && form->findComponent(root))
        object = form->findComponent(root);
    else if (const script::Value* value = registeredValue(root)) {
        if (!value->isObject()) return {};
        if (script::NativeObject* native = script::nativeObjectOf(*value)) {
            object = native;
        } else {
            const script::ObjectRef dispatch = value->toObject();
            if (!dispatch || use.path.size() != 1) return {};
            return {true, dispatch->idOfName(use.member) != script::kUnknownDispId,
                    dispatch->dispatchClassName()};
        }
    } else if (reg.findClass(root)) {
        return use.path.size() == 1 ? ofClassReference(root, use.member) : MemberVerdict{};
    }
    if (!object) return {};
    for (std::size_t i = 1; i < use.path.size(); ++i) {
        auto* component = dynamic_cast<script::Component*>(object);
        object = component ? component->findComponent(use.path[i]) : nullptr;
        if (!object) return {};
    }
    return ofObject(*object, use.member);
}

MemberVerdict MemberJudge::ofObject(script::NativeObject& object, const std::string& member) {
    const script::ObjectRef wrapper = script::wrapObject(&object);
    return {true, wrapper && wrapper->idOfName(member) != script::kUnknownDispId,
            object.className()};
}

MemberVerdict MemberJudge::ofClass(const std::string& className, const std::string& member) {
    script::Registry& reg = script::registry();
    script::ClassInfo* info = reg.findClass(className);
    if (!info) return {};
    const script::MemberRef found = reg.findMember(className, member);
    if (found.method || found.property) return {true, true, info->name};
    if (!info->factory) {
        // Components answer their published properties too, which only an object can tell.
        if (reg.isClassOrDescendant(className, "TComponent")) return {};
        return {true, false, info->name};
    }
    const std::string key = upperCase(className);
    auto it = probes_.find(key);
    if (it == probes_.end()) {
        std::unique_ptr<script::NativeObject> probe;
        try {
            probe = info->factory(nullptr);
        } catch (const std::exception&) {
        }
        it = probes_.emplace(key, std::move(probe)).first;
    }
    if (!it->second) return {};
    MemberVerdict verdict = ofObject(*it->second, member);
    verdict.className = info->name;
    return verdict;
}

// A registered class used by name: its constructor, its name and its class-level methods.
MemberVerdict MemberJudge::ofClassReference(const std::string& className,
                                            const std::string& member) {
    script::Registry& reg = script::registry();
    const script::MemberRef found = reg.findMember(className, member);
    const bool exists = (found.method && found.method->classLevel) ||
                        equalsNoCase(member, "Create") || equalsNoCase(member, "ClassName");
    return {true, exists, reg.findClass(className)->name};
}

} // namespace vorlan::app
