#include "script/object_store.h"

#include "script/component.h"

#include <algorithm>
#include <vector>

namespace vorlan::script {

namespace {
std::vector<std::unique_ptr<NativeObject>>& unowned() {
    static std::vector<std::unique_ptr<NativeObject>> list;
    return list;
}
} // namespace

NativeObject* keepUnownedObject(std::unique_ptr<NativeObject> object) {
    unowned().push_back(std::move(object));
    return unowned().back().get();
}

bool freeScriptObject(NativeObject* object) {
    if (!object) return true;
    if (auto* component = dynamic_cast<Component*>(object); component && component->owner()) {
        // Destroyed when the released pointer goes out of scope.
        return component->owner()->release(component) != nullptr;
    }
    auto& list = unowned();
    auto it =
        std::find_if(list.begin(), list.end(), [&](const auto& o) { return o.get() == object; });
    if (it == list.end()) return false;
    std::unique_ptr<NativeObject> doomed = std::move(*it);
    list.erase(it);
    return true;
}

void freeAllUnownedObjects() {
    auto& list = unowned();
    while (!list.empty()) {
        std::unique_ptr<NativeObject> doomed = std::move(list.back());
        list.pop_back();
    }
}

} // namespace vorlan::script
