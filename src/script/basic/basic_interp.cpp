#include "script/basic/basic_interp.h"

#include "core/cp1250.h"
#include "script/basic/basic_frame.h"
#include "script/basic/basic_parser.h"

#include <algorithm>
#include <cstdlib>

namespace vorlan::script::basic {

Interpreter::Interpreter(std::unique_ptr<Module> module, ErrorSink sink)
    : module_(std::move(module)), sink_(std::move(sink)), globalScope_(registry().globalScope()),
      err_(std::make_shared<ErrObject>()) {
    for (auto& p : module_->procedures) {
        ProcInfo info;
        info.proc = p.get();
        info.params = p->params.size();
        for (std::size_t i = 0; i < p->locals.size(); ++i)
            info.slots.emplace(p->locals[i], static_cast<int>(i));
        info.slotCount = std::max(info.slots.size(), p->locals.size());
        procIndex_.emplace(p->name, static_cast<int>(procs_.size()));
        procs_.push_back(std::move(info));
    }
    globals_.emplace_back(ObjectRef(err_));
    globalIndex_.emplace("Err", 0);
    // The module's declarations exist before its first statement runs, as procedures may use
    // them first.
    std::function<void(const Block&)> declareIn = [&](const Block& block) {
        for (const auto& st : block) {
            if (st->kind == StmtKind::Dim || st->kind == StmtKind::ReDim ||
                st->kind == StmtKind::Const)
                for (const auto& item : st->dims)
                    if (globalIndex_.emplace(item.name, static_cast<int>(globals_.size())).second)
                        globals_.emplace_back();
            declareIn(st->body);
            declareIn(st->elseBody);
            for (const auto& branch : st->elseIfs)
                declareIn(branch.second);
            for (const auto& clause : st->cases)
                declareIn(clause.body);
        }
    };
    declareIn(module_->body);
    classes_.resize(module_->classes.size());
    for (std::size_t c = 0; c < module_->classes.size(); ++c) {
        ClassRuntime& rt = classes_[c];
        rt.def = module_->classes[c].get();
        auto memberFor = [&rt](const std::string& name) -> ClassMember& {
            auto [it, added] = rt.memberIndex.emplace(name, static_cast<int>(rt.members.size()));
            if (added) rt.members.push_back(ClassMember{name});
            return rt.members[static_cast<std::size_t>(it->second)];
        };
        for (std::size_t f = 0; f < rt.def->fields.size(); ++f)
            memberFor(rt.def->fields[f].name).field = static_cast<int>(f);
        for (auto& m : rt.def->methods) {
            ProcInfo info;
            info.proc = m.get();
            info.params = m->params.size();
            for (std::size_t i = 0; i < m->locals.size(); ++i)
                info.slots.emplace(m->locals[i], static_cast<int>(i));
            info.slotCount = std::max(info.slots.size(), m->locals.size());
            rt.procs.push_back(std::move(info));
            const ProcInfo* pi = &rt.procs.back();
            if (equalsNoCase(m->name, "Class_Initialize")) {
                rt.initialize = pi;
                continue;
            }
            if (equalsNoCase(m->name, "Class_Terminate")) {
                rt.terminate = pi;
                continue;
            }
            ClassMember& member = memberFor(m->name);
            switch (m->kind) {
            case ProcKind::Sub:
            case ProcKind::Function:
                member.method = pi;
                break;
            case ProcKind::PropertyGet:
                member.get = pi;
                break;
            case ProcKind::PropertyLet:
                member.let = pi;
                break;
            case ProcKind::PropertySet:
                member.set = pi;
                break;
            }
        }
    }
}

Value Interpreter::evalText(const std::string& text) {
    checkStack();
    ExprPtr e;
    try {
        e = parseExpression(text);
    } catch (const SyntaxError& error) {
        raise(1002, czech("Chyba syntaxe: ") + error.what());
    }
    return eval(*e);
}

void Interpreter::executeText(const std::string& text, bool global) {
    checkStack();
    std::unique_ptr<Module> m;
    try {
        m = parseModule(text);
    } catch (const SyntaxError& error) {
        raise(1002, czech("Chyba syntaxe: ") + error.what());
    }
    if (!m->procedures.empty() || !m->classes.empty() || m->optionExplicit)
        raise(1002, czech("Chyba syntaxe: z textu lze spustit jen příkazy"));
    const ModuleLevel moduleLevel(*this, global); // ExecuteGlobal runs at module level
    const bool resumed = topResumeNext_;
    const Flow flow = execBlock(m->body);
    if (global) topResumeNext_ = resumed;
    (void)flow; // an Exit inside the text ends only the text
}

Interpreter::~Interpreter() {
    closing_ = true;
    pendingTerminates_.clear();
    std::vector<Value> dropped;
    for (auto& weak : objects_)
        if (auto object = weak.lock())
            for (Value& field : object->fields)
                dropped.push_back(std::move(field)); // released after the loop, not while it runs
}

void Interpreter::addNamedObject(const std::string& name, ObjectRef object, bool global) {
    if (global && object) globalHosts_.push_back(object);
    auto [it, added] = globalIndex_.emplace(name, static_cast<int>(globals_.size()));
    if (added)
        globals_.emplace_back(std::move(object));
    else
        globals_[static_cast<std::size_t>(it->second)] = Value(std::move(object));
}

bool Interpreter::hasProcedure(std::string_view name) const {
    return procIndex_.find(name) != procIndex_.end();
}

std::vector<RoutineInfo> Interpreter::routines() const {
    std::vector<RoutineInfo> out;
    for (const auto& p : procs_)
        out.push_back({p.proc->name, p.proc->isFunction});
    return out;
}

void Interpreter::charge(std::size_t units) {
    // Large strings and arrays cost statements too, so that a budget also bounds the memory
    // and time a runaway script takes.
    if (budget_ && (steps_ += units / 1024) > budget_) throw Abort{};
}

bool Interpreter::callerResumes() const {
    if (!top_) return false;
    for (const Frame* f = top_->caller; f; f = f->caller)
        if (f->resumeNext) return true;
    return topResumeNext_;
}

void Interpreter::runMain() {
    if (mainDone_) return;
    mainDone_ = true;
    steps_ = 0;
    stackBase_ = static_cast<const char*>(__builtin_frame_address(0));
    inMain_ = true;
    try {
        execBlock(module_->body);
        runTerminates();
    } catch (const Abort&) {
    } catch (const BasicError&) {
    }
    inMain_ = false;
    topResumeNext_ = false;
}

Value Interpreter::call(std::string_view name, std::span<Value> args) {
    auto it = procIndex_.find(name);
    if (it == procIndex_.end()) return {};
    if (!top_) steps_ = 0; // a new call from outside, not one nested in a native call
    try {
        if (!top_) stackBase_ = static_cast<const char*>(__builtin_frame_address(0));
        Value result = callProcedure(procs_[static_cast<std::size_t>(it->second)], nullptr, args);
        if (!top_) runTerminates();
        return result;
    } catch (const Abort&) {
    } catch (BasicError& e) {
        // Raised by the call itself (a wrong argument count or too deep): nothing caught it.
        if (e.line < 0)
            e.line = procs_[static_cast<std::size_t>(it->second)].proc->line, e.column = 0;
        sink_(e);
    }
    return {};
}

Interpreter::Flow Interpreter::handleError(BasicError& e, Stmt& s) {
    charge(64 * 1024); // a failing statement is dear: it unwinds and reports
    if (e.line < 0) {
        e.line = s.line;
        e.column = s.column;
    }
    const bool resume = top_ ? top_->resumeNext : topResumeNext_;
    if (resume) {
        err_->set(e);
        return Flow::Normal;
    }
    if (callerResumes()) throw e;
    if (!sink_(e)) throw Abort{};
    return Flow::Normal;
}

Interpreter::ModuleLevel::ModuleLevel(Interpreter& in, bool active) : in_(in), active_(active) {
    if (!active_) return;
    savedTop_ = in_.top_;
    savedDepth_ = in_.depth_;
    in_.top_ = nullptr;
    in_.depth_ = 0;
}

Interpreter::ModuleLevel::~ModuleLevel() {
    if (!active_) return;
    in_.top_ = savedTop_;
    in_.depth_ = savedDepth_;
}

void Interpreter::runTerminates() {
    while (!pendingTerminates_.empty()) {
        std::shared_ptr<ScriptObject> object = std::move(pendingTerminates_.back());
        pendingTerminates_.pop_back();
        const ProcInfo* terminate =
            classes_[static_cast<std::size_t>(object->classIndex())].terminate;
        try {
            callProcedure(*terminate, nullptr, {}, object.get());
        } catch (const BasicError&) {
            // too deep to run it: the object just goes
        }
    }
    attention_ = budget_ != 0;
}

} // namespace vorlan::script::basic
