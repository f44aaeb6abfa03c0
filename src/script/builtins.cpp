#include "script/builtins.h"

#include "script/comp_wrapper.h"
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

    reg.registerMethod(
        "TObject", "Free", "procedure", [](NativeObject* self, std::span<Value>, Value&) {
            if (!freeScriptObject(self))
                throw ScriptException("Object " + self->className() + " cannot be freed");
        });
    reg.registerMethod("TObject", "ClassName", "function: string",
                       [](NativeObject* self, std::span<Value>, Value& result) {
                           result = Value(self->className());
                       });
    reg.registerProperty(
        "TComponent", "Owner",
        [](NativeObject* self, std::span<const Value>) {
            auto* c = dynamic_cast<Component*>(self);
            return Value(wrapObject(c ? c->owner() : nullptr));
        },
        nullptr, DeclaredType::Object);
    reg.registerProperty(
        "TComponent", "ComponentCount",
        [](NativeObject* self, std::span<const Value>) {
            auto* c = dynamic_cast<Component*>(self);
            return Value(static_cast<std::int32_t>(c ? c->components().size() : 0));
        },
        nullptr, DeclaredType::Integer);
    reg.registerProperty(
        "TComponent", "Components",
        [](NativeObject* self, std::span<const Value> index) {
            auto* c = dynamic_cast<Component*>(self);
            if (!c || index.size() != 1) throw ScriptException("Components needs one index");
            const std::int32_t i = index[0].toInt();
            if (i < 0 || static_cast<std::size_t>(i) >= c->components().size())
                throw ScriptException("List index out of bounds (" + std::to_string(i) + ")");
            return Value(wrapObject(c->components()[static_cast<std::size_t>(i)].get()));
        },
        nullptr, DeclaredType::Object);

    reg.registerEvent("TNotifyEvent", "procedure(Sender: TObject)");
}

} // namespace

void registerEngineBuiltins(Registry& reg) {
    registerBaseClasses(reg);
    reg.registerProc("InSet", "function(Value, SetMask: Integer): Boolean",
                     [](NativeObject*, std::span<Value> args, Value& result) {
                         const std::int32_t bit = args[0].asInt();
                         result =
                             Value(bit >= 0 && bit < 32 &&
                                   ((static_cast<std::uint32_t>(args[1].asInt()) >> bit) & 1u));
                     });
    reg.registerProc({}, "MkSet", kKindVariadic, "function: Integer",
                     [](NativeObject*, std::span<Value> args, Value& result) {
                         std::uint32_t mask = 0;
                         for (const Value& v : args) {
                             const std::int32_t bit = v.toInt();
                             if (bit >= 0 && bit < 32) mask |= 1u << bit;
                         }
                         result = Value(static_cast<std::int32_t>(mask));
                     });
    reg.registerProc("chr", "function(Code: Byte): string",
                     [](NativeObject*, std::span<Value> args, Value& result) {
                         result = Value(std::string(1, static_cast<char>(args[0].asInt())));
                     });
    reg.registerProc(
        "RunApp", "procedure(Name: string)",
        [](NativeObject*, std::span<Value> args, Value&) { runApp(args[0].asString()); });
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
