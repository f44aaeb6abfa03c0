#include "script/basic/basic_runner.h"

#include "core/cp1250.h"
#include "script/basic/basic_interp.h"
#include "script/basic/basic_parser.h"
#include "script/encoded/script_decoder.h"
#include "script/registry.h"

namespace vorlan::script::basic {

namespace {

std::uint64_t& budgetSetting() {
    static std::uint64_t budget = 0;
    return budget;
}

} // namespace

void VbScriptRunner::setStatementBudget(std::uint64_t statements) {
    budgetSetting() = statements;
}

VbScriptRunner::VbScriptRunner(Scripter& scripter)
    : ScriptRunner(scripter),
      module_(std::make_shared<ModuleDispatch<Interpreter>>("VBScriptModule")) {}

VbScriptRunner::~VbScriptRunner() = default;

ObjectRef VbScriptRunner::moduleDispatch() {
    return interp_ ? module_ : nullptr;
}

void VbScriptRunner::closeModule() {
    module_->close();
    interp_.reset();
    closed_ = true;
}

Value VbScriptRunner::callByName(std::string_view name, std::span<Value> args) {
    if (!interp_) return {};
    auto keep = interp_; // a call may close the module
    keep->runMain();     // when the scripter calls before it ran the main body
    return keep->call(name, args);
}

bool VbScriptRunner::compileModule(const std::vector<std::string>& script) {
    if (closed_) return false;
    std::string text;
    for (std::size_t i = 0; i < script.size(); ++i) {
        if (i) text += '\n';
        text += script[i];
    }
    std::unique_ptr<Module> module;
    try {
        module = parseModule(text);
    } catch (const SyntaxError& e) {
        reportError(e.line, e.column, ExceptionInfo{czech("Chyba překladu VBScriptu"), e.what()});
        return false;
    }
    interp_ = std::make_shared<Interpreter>(std::move(module), [this](const BasicError& e) {
        ExceptionInfo info{e.source.empty() ? czech("Chyba VBScriptu za běhu") : e.source,
                           e.description};
        return reportError(e.line, e.column, info);
    });
    interp_->setStatementBudget(budgetSetting());
    module_->attach(interp_);
    for (const auto& named : namedObjects())
        interp_->addNamedObject(named.name, named.object, named.global);
    return true;
}

bool VbScriptEncodeRunner::compileModule(const std::vector<std::string>& script) {
    std::vector<std::string> decoded;
    try {
        decoded = encoded::decodeModuleLines(script);
    } catch (const encoded::DecodeError& e) {
        reportError(0, 0, ExceptionInfo{czech("Chyba překladu VBScriptu"), e.what()});
        return false;
    }
    return VbScriptRunner::compileModule(decoded);
}

void VbScriptRunner::runMainBody() {
    if (auto keep = interp_) keep->runMain();
}

void VbScriptRunner::addNamedObject(const std::string& name, ObjectRef object, bool global) {
    ScriptRunner::addNamedObject(name, object, global);
    if (interp_) interp_->addNamedObject(name, std::move(object), global);
}

std::vector<RoutineInfo> VbScriptRunner::listRoutines() {
    return interp_ ? interp_->routines() : std::vector<RoutineInfo>{};
}

void registerVbScriptRunner(Registry& registry) {
    registry.registerScriptRunner("TVbScriptRunner", "pmb", "VBScript",
                                  [](Scripter& scripter) -> std::unique_ptr<ScriptRunner> {
                                      return std::make_unique<VbScriptRunner>(scripter);
                                  });
    registry.registerScriptRunner("TVbScriptEncodeRunner", "vbe", "VBScriptEncode",
                                  [](Scripter& scripter) -> std::unique_ptr<ScriptRunner> {
                                      return std::make_unique<VbScriptEncodeRunner>(scripter);
                                  });
}

} // namespace vorlan::script::basic
