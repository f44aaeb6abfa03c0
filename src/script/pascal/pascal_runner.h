#pragma once
// TPascalRunner: the runner of Pascal-dialect modules. It compiles the module's source into a
// TBinProg, runs the main program, and offers the module's routines by name to the scripter,
// to the module form's events and to other modules.

#include "script/pascal/bin_prog.h"
#include "script/script_runner.h"

#include <cstdint>
#include <memory>

namespace vorlan::script {
class Registry;
}

namespace vorlan::script::pascal {

class PascalRunner : public ScriptRunner {
public:
    explicit PascalRunner(Scripter& scripter);
    ~PascalRunner() override;

    ObjectRef moduleDispatch() override;
    void closeModule() override;
    std::string selfName() const override { return "self"; }
    Value callByName(std::string_view name, std::span<Value> args) override;
    bool compileModule(const std::vector<std::string>& script) override;
    void runMainBody() override;
    std::vector<RoutineInfo> listRoutines() override;
    std::vector<std::string> usedUnits() override;

    // The compiled program (null before a successful compilation).
    BinProg* program() const { return program_.get(); }
    // Limits every later run (see BinProg::setStepBudget).
    void setStepBudget(std::int64_t steps);
    // A limit given to every runner when it compiles; negative for none. For tests and fuzzing.
    static void setDefaultStepBudget(std::int64_t steps);

    class Scope;
    class Module;

private:
    class Host;
    class Resolver;
    friend class Scope;
    friend class Module;
    friend class Host;
    friend class Resolver;

    // The index of a routine by name or alias, or -1.
    int routineIndex(std::string_view name) const;
    // The global named objects in order; the first is `self`.
    std::vector<const NamedObject*> globalObjects() const;

    std::unique_ptr<BinProg> program_;
    std::unique_ptr<Host> host_;
    std::unique_ptr<Resolver> resolver_;
    std::shared_ptr<Scope> scope_;
    std::shared_ptr<Module> module_;
    bool closed_ = false;
};

// Registers TPascalRunner ("zlm", "ZelmoranScript") over the placeholder of the engine's runner
// list; call after registerScriptRunners.
void registerPascalRunner(Registry& registry);

} // namespace vorlan::script::pascal
