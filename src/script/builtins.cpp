#include "script/builtins.h"

#include "core/cp1250.h"
#include "script/bind.h"
#include "script/component.h"
#include "script/object_store.h"
#include "script/registry.h"
#include "script/run_cycle.h"
#include "script/script_runner.h"

namespace vorlan::script {

namespace {

std::unique_ptr<NativeObject> makeComponentOf(const char* className) {
    return std::make_unique<Component>(className);
}

void registerBaseClasses(Registry& reg) {
    reg.registerClass("TObject");
    reg.registerClass("TPersistent", "TObject");
    reg.registerClass("TComponent", "TPersistent",
                      [](Component*) { return makeComponentOf("TComponent"); });
    reg.registerClass("TControl", "TComponent");
    reg.registerClass("TWinControl", "TControl");
    reg.registerClass("TScrollingWinControl", "TWinControl");
    reg.registerClass("TCustomForm", "TScrollingWinControl");
    reg.registerClass("TForm", "TCustomForm", [](Component*) { return makeComponentOf("TForm"); });
    reg.registerClass("TDataModule", "TComponent",
                      [](Component*) { return makeComponentOf("TDataModule"); });

    ClassBinder<NativeObject> object(reg, "TObject");
    object.bind("Free", "procedure", [](NativeObject& self) {
        if (!freeScriptObject(&self))
            throw ScriptException(czech("Objekt ") + self.className() + czech(" nelze uvolnit"));
    });
    object.bind("ClassName", "function: string", &NativeObject::className);

    // Objects registered under a component class that are no components have no owner and
    // no components.
    ClassBinder<Component> component(reg, "TComponent");
    component.property("Owner", "TComponent",
                       [](Component* c) { return c ? c->owner() : nullptr; });
    component.property("ComponentCount", "Integer", [](Component* c) {
        return static_cast<std::int32_t>(c ? c->components().size() : 0);
    });
    component.property("Components", "TComponent", [](Component* c, std::int32_t i) {
        if (!c) throw ScriptException(czech("Components potřebuje jeden index"));
        if (i < 0 || static_cast<std::size_t>(i) >= c->components().size())
            throw ScriptException(czech("Index seznamu je mimo meze (") + std::to_string(i) + ")");
        return c->components()[static_cast<std::size_t>(i)].get();
    });
}

} // namespace

void registerEngineBuiltins(Registry& reg) {
    registerBaseClasses(reg);
    Binder b(reg);
    b.bind("InSet", "function(Value, SetMask: Integer): Boolean",
           [](std::int32_t bit, std::int32_t mask) {
               return bit >= 0 && bit < 32 && ((static_cast<std::uint32_t>(mask) >> bit) & 1u);
           });
    b.bindVariadic("MkSet", "function: Integer",
                   [](NativeObject*, std::span<Value> args, Value& result) {
                       std::uint32_t mask = 0;
                       for (const Value& v : args) {
                           const std::int32_t bit = v.toInt();
                           if (bit >= 0 && bit < 32) mask |= 1u << bit;
                       }
                       result = Value(static_cast<std::int32_t>(mask));
                   });
    b.bind("chr", "function(Code: Byte): string",
           [](std::int32_t code) { return std::string(1, static_cast<char>(code)); });
    b.bind("RunApp", "procedure(Name: string)", &runApp);
}

void registerScriptRunners(Registry& reg) {
    struct Runner {
        const char* className;
        const char* extension;
        const char* description;
    };
    static constexpr Runner runners[] = {
        {"TPascalRunner", "zlm", "ZelmoranScript"},
        {"TVbScriptRunner", "pmb", "VBScript"},
        {"TVbScriptEncodeRunner", "vbe", "VBScriptEncode"},
        {"TJavaScriptRunner", "trx", "JavaScript"},
        {"TJavaScriptEncodeRunner", "jse", "JavaScriptEncode"},
        {"TEnableScriptRunner", "bas", "EnableScript"},
    };
    // The dialects register their engines over these; until then a module in that dialect
    // cannot start.
    for (const auto& r : runners)
        reg.registerScriptRunner(r.className, r.extension, r.description,
                                 [](Scripter&) -> std::unique_ptr<ScriptRunner> {
                                     throw ScriptEngineError("#Scripting engine can't be started");
                                 });
}

} // namespace vorlan::script
