#include "script/js/js_runner.h"

#include "core/cp1250.h"
#include "script/encoded/script_decoder.h"
#include "script/js/js_engine.h"
#include "script/registry.h"

namespace vorlan::script::js {

namespace {

std::size_t& heapLimitSetting() {
    static std::size_t limit = 0;
    return limit;
}

} // namespace

void JavaScriptRunner::setHeapLimit(std::size_t bytes) {
    heapLimitSetting() = bytes;
}

JavaScriptRunner::JavaScriptRunner(Scripter& scripter) : ScriptRunner(scripter) {
    engine_ = std::make_shared<JsEngine>(
        [this](int line, int position, const ExceptionInfo& info) {
            return report(line, position, info);
        },
        heapLimitSetting());
    module_ = std::make_shared<ModuleDispatch<JsEngine>>("JavaScriptModule");
    module_->attach(engine_);
}

JavaScriptRunner::~JavaScriptRunner() = default;

ObjectRef JavaScriptRunner::moduleDispatch() {
    return engine_ ? module_ : nullptr;
}

void JavaScriptRunner::closeModule() {
    module_->close();
    engine_.reset();
}

Value JavaScriptRunner::callByName(std::string_view name, std::span<Value> args) {
    if (!engine_ || engine_->stopped()) return {};
    engine_->runMain(); // when the scripter calls before it ran the main body
    return ScriptRunner::callByName(name, args);
}

bool JavaScriptRunner::compileModule(const std::vector<std::string>& script) {
    std::string text;
    for (std::size_t i = 0; i < script.size(); ++i) {
        if (i) text += '\n';
        text += script[i];
    }
    return compileText(text);
}

bool JavaScriptRunner::compileText(const std::string& text) {
    if (!engine_ || !engine_->usable()) return false;
    // An empty module is not compiled, yet the module counts as ready.
    if (text.empty()) return true;
    return engine_->compile(text);
}

bool JavaScriptEncodeRunner::compileModule(const std::vector<std::string>& script) {
    std::vector<std::string> decoded;
    try {
        decoded = encoded::decodeModuleLines(script);
    } catch (const encoded::DecodeError& e) {
        reportError(0, 0, ExceptionInfo{czech("Chyba překladu JavaScriptu"), e.what()});
        return false;
    }
    return JavaScriptRunner::compileModule(decoded);
}

void JavaScriptRunner::runMainBody() {
    if (engine_) engine_->runMain();
}

void JavaScriptRunner::addNamedObject(const std::string& name, ObjectRef object, bool global) {
    ScriptRunner::addNamedObject(name, object, global);
    if (engine_) engine_->addNamedObject(name, object, global);
}

std::vector<RoutineInfo> JavaScriptRunner::listRoutines() {
    std::vector<RoutineInfo> out;
    if (!engine_) return out;
    for (std::string& name : engine_->scriptFunctions())
        out.push_back({std::move(name), false});
    return out;
}

void registerJavaScriptRunner(Registry& registry) {
    registry.registerScriptRunner("TJavaScriptRunner", "trx", "JavaScript",
                                  [](Scripter& scripter) -> std::unique_ptr<ScriptRunner> {
                                      return std::make_unique<JavaScriptRunner>(scripter);
                                  });
    registry.registerScriptRunner("TJavaScriptEncodeRunner", "jse", "JavaScriptEncode",
                                  [](Scripter& scripter) -> std::unique_ptr<ScriptRunner> {
                                      return std::make_unique<JavaScriptEncodeRunner>(scripter);
                                  });
}

} // namespace vorlan::script::js
