#pragma once
// TJavaScriptRunner: runs JavaScript-dialect modules (.TRX) on the embedded Duktape engine.
//
// The whole module text is compiled once; its top-level code runs as the module's main body and
// its global functions are what the system calls by name. Registered procedures, variables,
// constants and classes, the named objects the scripter adds (the module form and, through it,
// its controls) and wrapped native objects are reachable from the script; see
// docs/javascript.md for what the bridge supports.

#include "script/module_dispatch.h"
#include "script/script_runner.h"

#include <cstddef>
#include <memory>

namespace vorlan::script {
class Registry;
}

namespace vorlan::script::js {

class JsEngine;

class JavaScriptRunner : public ScriptRunner {
public:
    // Throws ScriptEngineError "#Scripting engine can't be started" when no engine can be made.
    explicit JavaScriptRunner(Scripter& scripter);
    ~JavaScriptRunner() override;

    ObjectRef moduleDispatch() override;
    void closeModule() override;
    Value callByName(std::string_view name, std::span<Value> args) override;
    bool compileModule(const std::vector<std::string>& script) override;
    void runMainBody() override;
    void addNamedObject(const std::string& name, ObjectRef object, bool global) override;
    std::vector<RoutineInfo> listRoutines() override;

    // The heap of every engine made afterwards is limited to this many bytes (0: no limit); an
    // allocation beyond it fails as the script's out-of-memory error. For fuzzing and tests.
    static void setHeapLimit(std::size_t bytes);

private:
    bool compileText(const std::string& text);
    bool report(int line, int position, const ExceptionInfo& info) {
        return reportError(line, position, info);
    }

    std::shared_ptr<JsEngine> engine_; // null once the module is closed
    std::shared_ptr<ModuleDispatch<JsEngine>> module_;
};

// TJavaScriptEncodeRunner: the same dialect from an encoded module (.JSE); the text is decoded
// before it is compiled, and a damaged encoding fails the load like a syntax error.
class JavaScriptEncodeRunner : public JavaScriptRunner {
public:
    using JavaScriptRunner::JavaScriptRunner;
    bool compileModule(const std::vector<std::string>& script) override;
};

// Registers TJavaScriptRunner ("trx", "JavaScript") and TJavaScriptEncodeRunner ("jse",
// "JavaScriptEncode") over the placeholders of the engine builtins.
void registerJavaScriptRunner(Registry& registry);

} // namespace vorlan::script::js
