#include "script/form_loader.h"

#include "core/cp1250.h"
#include "script/registry.h"
#include "script/registry_miss.h"

#include <iostream>

namespace vorlan::script {

namespace {

bool isEventProperty(const stream::StreamProperty& p) {
    return p.value.kind == stream::ValueKind::Ident && isEventPropertyName(p.name);
}

std::unique_ptr<Component> makeComponent(const std::string& className, Registry& registry) {
    if (registry.findClass(className)) missedFactory(registry, className);
    for (ClassInfo* cls = registry.findClass(className); cls; cls = cls->parent) {
        if (!cls->factory) continue;
        std::unique_ptr<NativeObject> made = cls->factory(nullptr);
        if (auto* component = dynamic_cast<Component*>(made.get())) {
            made.release();
            return std::unique_ptr<Component>(component);
        }
        break;
    }
    return std::make_unique<Component>(className);
}

void applyProperties(Component& component, const stream::StreamObject& object) {
    for (const auto& p : object.properties) {
        if (isEventProperty(p)) {
            component.bindEvent(p.name, p.value.text);
            continue;
        }
        component.setPublished(p.name, valueOfStreamValue(p.value));
        // The items' values alone lose their names; they follow as "Columns[0].FieldName" ...
        // so a component that keeps a collection can read each item by property name.
        if (p.value.kind == stream::ValueKind::Collection)
            for (std::size_t i = 0; i < p.value.items.size(); ++i)
                for (const auto& q : p.value.items[i].properties)
                    component.setPublished(p.name + "[" + std::to_string(i) + "]." + q.name,
                                           valueOfStreamValue(q.value));
    }
}

void instantiateChildren(Component& root, Component& parent, const stream::StreamObject& object,
                         Registry& registry, int depth) {
    for (const auto& childObject : object.children) {
        std::unique_ptr<Component> child = makeComponent(childObject.className, registry);
        child->setName(childObject.name);
        applyProperties(*child, childObject);
        child->setParent(&parent);
        Component* adopted = root.adopt(std::move(child));
        if (depth < 200) instantiateChildren(root, *adopted, childObject, registry, depth + 1);
    }
}

void notifyLoaded(Component& root) {
    for (const auto& c : root.components())
        c->loaded();
    root.loaded();
}

} // namespace

Value valueOfStreamValue(const stream::StreamValue& v) {
    using stream::ValueKind;
    switch (v.kind) {
    case ValueKind::Null:
    case ValueKind::Nil:
        return Value::null();
    case ValueKind::Int8:
    case ValueKind::Int16:
    case ValueKind::Int32:
        return Value(v.integer);
    case ValueKind::Extended:
        return Value(static_cast<double>(v.extended));
    case ValueKind::String:
    case ValueKind::LString:
    case ValueKind::Ident:
    case ValueKind::Binary:
        return Value(v.text);
    case ValueKind::WString:
        return Value(utf16ToCp1250(v.wide));
    case ValueKind::False:
        return Value(false);
    case ValueKind::True:
        return Value(true);
    case ValueKind::Set: {
        std::string text = "[";
        for (std::size_t i = 0; i < v.set.size(); ++i)
            text += (i ? "," : "") + v.set[i];
        return Value(text + "]");
    }
    case ValueKind::List: {
        auto array = VarArray::create(0, static_cast<std::int32_t>(v.list.size()) - 1);
        for (std::size_t i = 0; i < v.list.size(); ++i)
            array->items()[i] = valueOfStreamValue(v.list[i]);
        return Value(array);
    }
    case ValueKind::Collection: {
        // Each item becomes an array of its property values, in stored order.
        auto array = VarArray::create(0, static_cast<std::int32_t>(v.items.size()) - 1);
        for (std::size_t i = 0; i < v.items.size(); ++i) {
            const auto& props = v.items[i].properties;
            auto item = VarArray::create(0, static_cast<std::int32_t>(props.size()) - 1);
            for (std::size_t j = 0; j < props.size(); ++j)
                item->items()[j] = valueOfStreamValue(props[j].value);
            array->items()[i] = Value(item);
        }
        return Value(array);
    }
    }
    return {};
}

std::unique_ptr<Component> instantiateComponents(const stream::StreamObject& tree,
                                                 Registry& registry, bool moduleRoot) {
    if (moduleRoot && !registry.findClass(tree.className)) {
        const bool dataModule =
            tree.className.rfind("TDataModule", 0) == 0 || tree.className.rfind("TDM", 0) == 0;
        const char* base = dataModule ? "TDataModule" : "TForm";
        if (registry.findClass(base)) registry.registerClass(tree.className, base);
    }
    std::unique_ptr<Component> root = makeComponent(tree.className, registry);
    if (moduleRoot && registry.isClassOrDescendant(tree.className, root->className()))
        root->setDeclaredClass(tree.className);
    root->setName(tree.name);
    applyProperties(*root, tree);
    instantiateChildren(*root, *root, tree, registry, 0);
    notifyLoaded(*root);
    return root;
}

} // namespace vorlan::script
