#include "script/pascal/pascal_runner.h"

#include "core/cp1250.h"
#include "script/comp_wrapper.h"
#include "script/module_dispatch.h"
#include "script/pascal/compiler.h"
#include "script/pascal/runner_builtins.h"
#include "script/registry.h"
#include "script/scripter.h"

#include <atomic>
#include <map>

namespace vorlan::script::pascal {

namespace {

std::atomic<std::int64_t> defaultStepBudget{-1};

// Whether a call of a member of `target` may write into its arguments.
bool memberWritesArguments(Dispatch& target, DispId id) {
    if (dynamic_cast<CompWrapper*>(&target)) {
        const MemberRef member = registry().memberById(id);
        if (member.method) return writesArguments(member.method->signature);
        return false; // properties and the object's own parts never do
    }
    return true;
}

} // namespace

// ---- the machine's host

class PascalRunner::Host : public MachineHost {
public:
    explicit Host(PascalRunner& runner) : runner_(runner) {}
    Dispatch& scope() override;
    bool runError(int line, int column, const ExceptionInfo& info) override {
        return runner_.reportError(line, column, info);
    }
    bool writesArguments(Dispatch& target, DispId id) override;
    const MethodInfo* registeredRoutine(DispId id) override;

private:
    PascalRunner& runner_;
};

// ---- the scope of op 53: the module's routines, the runner's built-ins, the named objects and
// their members, everything registered globally, and the routines of the used modules.

class PascalRunner::Scope : public Dispatch, public std::enable_shared_from_this<Scope> {
public:
    explicit Scope(PascalRunner& runner) : runner_(&runner) {}
    void detach() { runner_ = nullptr; }

    DispId idOfName(std::string_view name) override {
        if (!runner_) return kUnknownDispId;
        if (auto it = cache_.find(name); it != cache_.end()) return it->second;
        const DispId id = resolve(name);
        if (id != kUnknownDispId) cache_.emplace(std::string(name), id);
        return id;
    }

    DispStatus invoke(DispId id, unsigned flags, std::span<Value> args, Value& result,
                      ExceptionInfo& error) override {
        result = Value();
        if (!runner_ || !runner_->program_) return DispStatus::UnknownName;
        BinProg& program = *runner_->program_;
        const bool put = flags & InvokePut;
        if (id >= 0 && static_cast<std::size_t>(id) < program.routines.size()) {
            if (put) return DispStatus::MemberNotFound;
            // An error inside was reported already; the caller goes on (or stops with the run).
            program.callRoutine(*runner_->host_, static_cast<std::size_t>(id), args, result);
            return DispStatus::Ok;
        }
        const DispId kind = id & ~kIndexMask;
        const auto index = static_cast<std::size_t>(id & kIndexMask);
        switch (kind) {
        case kBuiltin:
            if (put) return DispStatus::MemberNotFound;
            return registry().call(*runnerBuiltins().at(index), nullptr, args, result, error);
        case kNamed:
            if (put) return DispStatus::MemberNotFound;
            if (index >= runner_->namedObjects().size()) return DispStatus::UnknownName;
            result = Value(runner_->namedObjects()[index].object);
            return DispStatus::Ok;
        case kSelfScope:
            if (put) return DispStatus::MemberNotFound;
            result = Value(ObjectRef(shared_from_this()));
            return DispStatus::Ok;
        case kMember: {
            const Member& m = members_.at(index);
            if (m.object >= runner_->namedObjects().size()) return DispStatus::UnknownName;
            const ObjectRef& object = runner_->namedObjects()[m.object].object;
            if (!object) return DispStatus::UnknownName;
            return object->invoke(m.id, flags, args, result, error);
        }
        case kGlobal: {
            const Global& g = globals_.at(index);
            // Registered procedures are called straight; variables, constants and classes go
            // through the registry's global scope.
            if (g.proc && !put) return registry().call(*g.proc, nullptr, args, result, error);
            return g.scope->invoke(g.id, flags, args, result, error);
        }
        case kUnit: {
            const Unit& u = units_.at(index);
            const ObjectRef target = u.target.lock();
            if (!target) return DispStatus::UnknownName;
            return target->invoke(u.id, flags, args, result, error);
        }
        default:
            return DispStatus::UnknownName;
        }
    }

    std::string dispatchClassName() const override { return "Module"; }

    bool writes(DispId id) const {
        if (id >= 0 && runner_ && runner_->program_ &&
            static_cast<std::size_t>(id) < runner_->program_->routines.size())
            return true;
        const DispId kind = id & ~kIndexMask;
        const auto index = static_cast<std::size_t>(id & kIndexMask);
        switch (kind) {
        case kBuiltin:
            return writesArguments(runnerBuiltins().at(index)->signature);
        case kNamed:
        case kSelfScope:
            return false;
        case kMember:
            return members_.at(index).writes;
        case kGlobal:
            return globals_.at(index).writes;
        default:
            return true;
        }
    }

    // The registered routine an identifier stands for (built-ins and global procedures).
    const MethodInfo* registeredRoutine(DispId id) const {
        const DispId kind = id & ~kIndexMask;
        const auto index = static_cast<std::size_t>(id & kIndexMask);
        if (id < 0) return nullptr;
        if (kind == kBuiltin) return runnerBuiltins().at(index);
        if (kind == kGlobal) return globals_.at(index).proc;
        return nullptr;
    }

private:
    static constexpr DispId kIndexMask = (1 << 24) - 1;
    static constexpr DispId kBuiltin = 1 << 24;
    static constexpr DispId kNamed = 2 << 24;
    static constexpr DispId kSelfScope = 3 << 24;
    static constexpr DispId kMember = 4 << 24;
    static constexpr DispId kGlobal = 5 << 24;
    static constexpr DispId kUnit = 6 << 24;

    struct Member {
        std::size_t object;
        DispId id;
        bool writes;
    };
    struct Global {
        DispId id;
        bool writes;
        const MethodInfo* proc; // null for what is not a procedure
        ObjectRef scope;
    };
    struct Unit {
        std::weak_ptr<Dispatch> target;
        DispId id;
    };

    DispId resolve(std::string_view name) {
        if (const int r = runner_->routineIndex(name); r >= 0) return r;
        const auto& builtins = runnerBuiltins();
        for (std::size_t i = 0; i < builtins.size(); ++i)
            if (equalsNoCase(builtins[i]->name, name)) return kBuiltin + static_cast<DispId>(i);
        const auto& named = runner_->namedObjects();
        const bool self = equalsNoCase(name, "self");
        for (std::size_t i = 0; i < named.size(); ++i)
            if ((self && named[i].global) || equalsNoCase(named[i].name, name))
                return kNamed + static_cast<DispId>(i);
        if (name == kScopeObjectName) return kSelfScope;
        for (std::size_t i = 0; i < named.size(); ++i) {
            if (!named[i].global || !named[i].object) continue;
            const DispId id = named[i].object->idOfName(name);
            if (id == kUnknownDispId) continue;
            members_.push_back({i, id, memberWritesArguments(*named[i].object, id)});
            return kMember + static_cast<DispId>(members_.size() - 1);
        }
        if (const DispId id = registry().globalScope()->idOfName(name); id != kUnknownDispId) {
            const MethodInfo* proc = registry().findProc(name);
            globals_.push_back({id, proc ? writesArguments(proc->signature) : false, proc,
                                registry().globalScope()});
            return kGlobal + static_cast<DispId>(globals_.size() - 1);
        }
        for (const auto& unit : runner_->scripter().units()) {
            ScriptRunner* other = unit ? unit->runner() : nullptr;
            const ObjectRef target = other ? other->moduleDispatch() : nullptr;
            if (!target) continue;
            const DispId id = target->idOfName(name);
            if (id == kUnknownDispId) continue;
            units_.push_back({target, id});
            return kUnit + static_cast<DispId>(units_.size() - 1);
        }
        return kUnknownDispId;
    }

    PascalRunner* runner_;
    std::map<std::string, DispId, NoCaseLess> cache_;
    std::vector<Member> members_;
    std::vector<Global> globals_;
    std::vector<Unit> units_;
};

// ---- what other modules and the system see: the routines and the main-level variables

class PascalRunner::Module : public Dispatch {
public:
    explicit Module(PascalRunner& runner) : runner_(&runner) {}
    void detach() { runner_ = nullptr; }

    DispId idOfName(std::string_view name) override {
        if (!runner_ || !runner_->program_) return kUnknownDispId;
        if (const int r = runner_->routineIndex(name); r >= 0) return r;
        const auto& globals = runner_->program_->globals;
        for (std::size_t i = 0; i < globals.size(); ++i)
            if (equalsNoCase(globals[i].name, name)) return kVariable + static_cast<DispId>(i);
        return kUnknownDispId;
    }

    DispStatus invoke(DispId id, unsigned flags, std::span<Value> args, Value& result,
                      ExceptionInfo& error) override {
        result = Value();
        if (!runner_) return moduleClosed(error);
        if (!runner_->program_ || id < 0) return DispStatus::UnknownName;
        BinProg& program = *runner_->program_;
        if (static_cast<std::size_t>(id) < program.routines.size()) {
            if (flags & InvokePut) return DispStatus::MemberNotFound;
            program.callRoutine(*runner_->host_, static_cast<std::size_t>(id), args, result);
            return DispStatus::Ok;
        }
        const auto index = static_cast<std::size_t>(id - kVariable);
        if (id < kVariable || index >= program.globals.size()) return DispStatus::UnknownName;
        Value& slot = program.slot(program.globals[index].slot);
        if (flags & InvokePut) {
            if (args.empty()) return DispStatus::BadParamCount;
            slot = args.back();
        } else {
            result = slot;
        }
        return DispStatus::Ok;
    }

    std::string dispatchClassName() const override { return "Module"; }

private:
    static constexpr DispId kVariable = 1 << 24;
    PascalRunner* runner_;
};

Dispatch& PascalRunner::Host::scope() {
    return *runner_.scope_;
}

const MethodInfo* PascalRunner::Host::registeredRoutine(DispId id) {
    return runner_.scope_->registeredRoutine(id);
}

bool PascalRunner::Host::writesArguments(Dispatch& target, DispId id) {
    if (&target == runner_.scope_.get()) return runner_.scope_->writes(id);
    return memberWritesArguments(target, id);
}

// ---- the compiler's view of outside names

class PascalRunner::Resolver : public RegistryResolver {
public:
    explicit Resolver(PascalRunner& runner) : runner_(runner) {}

    Answer resolve(std::string_view name) override {
        if (const MethodInfo* b = findRunnerBuiltin(name))
            return {b->signature.isFunction ? Kind::Function : Kind::Procedure, {}, {}};
        const auto globals = runner_.globalObjects();
        if (equalsNoCase(name, "self"))
            return globals.empty() ? Answer{} : Answer{Kind::Function, {}, {}};
        for (const auto& named : runner_.namedObjects())
            if (equalsNoCase(named.name, name)) return {Kind::Function, {}, {}};
        for (std::size_t i = 0; i < globals.size(); ++i) {
            const ObjectRef& object = globals[i]->object;
            if (!object) continue;
            const DispId id = object->idOfName(name);
            if (id == kUnknownDispId) continue;
            if (dynamic_cast<CompWrapper*>(object.get())) {
                const MemberRef member = registry().memberById(id);
                if (member.method && !member.method->signature.isFunction)
                    return {Kind::Procedure, {}, {}};
            }
            return {Kind::Member, i == 0 ? std::string("self") : globals[i]->name, {}};
        }
        return RegistryResolver::resolve(name);
    }

private:
    PascalRunner& runner_;
};

// ---- the runner

PascalRunner::PascalRunner(Scripter& scripter)
    : ScriptRunner(scripter), host_(std::make_unique<Host>(*this)),
      resolver_(std::make_unique<Resolver>(*this)), scope_(std::make_shared<Scope>(*this)),
      module_(std::make_shared<Module>(*this)) {}

PascalRunner::~PascalRunner() {
    // Others may still hold the dispatch objects; they must not reach a runner that is gone.
    scope_->detach();
    closeModule();
}

ObjectRef PascalRunner::moduleDispatch() {
    return closed_ ? nullptr : module_;
}

void PascalRunner::closeModule() {
    // Whoever still holds the module dispatch must not reach a module that is closed. The
    // program stays until the runner goes, as a call may still be running in it.
    module_->detach();
    closed_ = true;
}

int PascalRunner::routineIndex(std::string_view name) const {
    if (!program_) return -1;
    const auto& routines = program_->routines;
    for (std::size_t i = 0; i < routines.size(); ++i) {
        if (equalsNoCase(routines[i].name, name)) return static_cast<int>(i);
        for (const auto& alias : routines[i].aliases)
            if (equalsNoCase(alias, name)) return static_cast<int>(i);
    }
    return -1;
}

std::vector<const ScriptRunner::NamedObject*> PascalRunner::globalObjects() const {
    std::vector<const NamedObject*> out;
    for (const auto& n : namedObjects())
        if (n.global) out.push_back(&n);
    return out;
}

Value PascalRunner::callByName(std::string_view name, std::span<Value> args) {
    Value result;
    if (closed_) return result;
    const int index = routineIndex(name);
    if (index < 0) return result;
    program_->callRoutine(*host_, static_cast<std::size_t>(index), args, result);
    return result;
}

bool PascalRunner::compileModule(const std::vector<std::string>& script) {
    program_.reset();
    PascalCompiler compiler(resolver_.get());
    auto program = compiler.compile(script, [this](const CompileErrorInfo& e) {
        // The compilation is abandoned whatever the user answers.
        reportError(e.line, e.column, {czech("Chyba syntaxe"), e.message});
    });
    if (!program) return false;
    program_ = std::move(program);
    if (const std::int64_t budget = defaultStepBudget.load(); budget >= 0)
        program_->setStepBudget(budget);
    return true;
}

void PascalRunner::runMainBody() {
    if (program_) program_->runMain(*host_);
}

std::vector<RoutineInfo> PascalRunner::listRoutines() {
    std::vector<RoutineInfo> out;
    if (!program_) return out;
    for (const Routine& r : program_->routines)
        out.push_back({r.name, r.resultSlot >= 0});
    return out;
}

std::vector<std::string> PascalRunner::usedUnits() {
    return program_ ? program_->usedUnits : std::vector<std::string>{};
}

void PascalRunner::setStepBudget(std::int64_t steps) {
    if (program_) program_->setStepBudget(steps);
}

void PascalRunner::setDefaultStepBudget(std::int64_t steps) {
    defaultStepBudget = steps;
}

void registerPascalRunner(Registry& reg) {
    reg.registerScriptRunner("TPascalRunner", "zlm", "ZelmoranScript",
                             [](Scripter& s) { return std::make_unique<PascalRunner>(s); });
}

} // namespace vorlan::script::pascal
