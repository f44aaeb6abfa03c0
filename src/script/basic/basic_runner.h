#pragma once
// TVbScriptRunner: runs Basic-dialect modules (.PMB) on the dialect's own interpreter.
//
// The whole module text is parsed once; its top-level statements run as the module's main body
// and its Subs and Functions are what the system calls by name. Registered procedures,
// variables, constants and classes and the named objects the scripter adds are reachable from
// the script; the members of a named object added as global are reachable without qualification.

#include "script/module_dispatch.h"
#include "script/script_runner.h"

#include <cstdint>
#include <memory>

namespace vorlan::script {
class Registry;
}

namespace vorlan::script::basic {

class Interpreter;

class VbScriptRunner : public ScriptRunner {
public:
    explicit VbScriptRunner(Scripter& scripter);
    ~VbScriptRunner() override;

    ObjectRef moduleDispatch() override;
    void closeModule() override;
    Value callByName(std::string_view name, std::span<Value> args) override;
    bool compileModule(const std::vector<std::string>& script) override;
    void runMainBody() override;
    void addNamedObject(const std::string& name, ObjectRef object, bool global) override;
    std::vector<RoutineInfo> listRoutines() override;

    // Every runner made afterwards stops a call after this many statements (0: no limit), as if
    // the user had cancelled it. For fuzzing and tests.
    static void setStatementBudget(std::uint64_t statements);

private:
    std::shared_ptr<Interpreter> interp_; // null until compiled and once closed
    std::shared_ptr<ModuleDispatch<Interpreter>> module_;
    bool closed_ = false;
};

// TVbScriptEncodeRunner: the same dialect from an encoded module (.VBE); the text is decoded
// before it is parsed, and a damaged encoding fails the load like a syntax error.
class VbScriptEncodeRunner : public VbScriptRunner {
public:
    using VbScriptRunner::VbScriptRunner;
    bool compileModule(const std::vector<std::string>& script) override;
};

// Registers TVbScriptRunner ("pmb", "VBScript") and TVbScriptEncodeRunner ("vbe",
// "VBScriptEncode") over the placeholders of the engine builtins.
void registerVbScriptRunner(Registry& registry);

} // namespace vorlan::script::basic
