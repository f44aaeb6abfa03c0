#include "script/basic/basic_interp.h"

#include "core/cp1250.h"
#include "script/basic/basic_library.h"
#include "script/basic/basic_objects.h"
#include "script/basic/basic_parser.h"
#include "script/comp_wrapper.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace vorlan::script::basic {

namespace {

constexpr std::size_t kMaxDepth = 200;

[[noreturn]] void fromValueError(const ValueError& e) {
    const std::string what = e.what();
    if (what.find("zero") != std::string::npos) raise(11);
    if (what.find("verflow") != std::string::npos) raise(6);
    raise(13, "Type mismatch: " + what);
}

Value nothing() {
    return Value(ObjectRef());
}

// An assignment that keeps numbers and Booleans off the variant's general machinery.
inline void store(Value& to, Value&& from) {
    if (from.isInteger())
        to.setInt(from.asInt());
    else if (from.isBoolean())
        to.setBool(from.asBool());
    else if (from.isDouble())
        to.setDouble(from.asDouble());
    else
        to = std::move(from);
}

// Where element `index` of a one-dimensional array is, without building an index list.
std::size_t oneDimensionOffset(const VarArray& a, const Value& index) {
    const std::int32_t i = index.toInt();
    const VarArray::Bound& b = a.bound(0);
    if (i < b.low || i > b.high) raise(9);
    return static_cast<std::size_t>(static_cast<std::int64_t>(i) - b.low);
}

bool isVariableExpr(const Expr& e) {
    return e.kind == ExprKind::Name && !e.hasParens;
}

// A number and a text that is not a number compare without a type mismatch: the number is the
// smaller. Everything else follows the variant rules.
Value scriptCompare(CompareOp op, const Value& a, const Value& b) {
    const auto textOnly = [](const Value& v) {
        double ignored = 0;
        return v.isString() && !parseNumber(v.asString(), ignored);
    };
    const bool aNumber = a.isNumeric() || a.type() == ValueType::Boolean;
    const bool bNumber = b.isNumeric() || b.type() == ValueType::Boolean;
    if (!(aNumber && textOnly(b)) && !(bNumber && textOnly(a))) return compare(op, a, b);
    const int order = aNumber ? -1 : 1;
    switch (op) {
    case CompareOp::Equal:
        return Value(false);
    case CompareOp::NotEqual:
        return Value(true);
    case CompareOp::Less:
    case CompareOp::LessEqual:
        return Value(order < 0);
    default:
        return Value(order > 0);
    }
}

} // namespace

// One activation of a procedure. Frames are pooled by call depth and keep their storage between
// calls, so a call allocates nothing once the pool has warmed up.
struct Interpreter::Frame {
    const ProcInfo* info = nullptr;
    ScriptObject* self = nullptr;
    // The first `count` slots: the procedure's own values, or for a ByRef parameter the caller's
    // variable in `refs`. `own` never changes size while the frame is active, since callees hold
    // pointers into it; names the procedure learns while it runs live in `extra`.
    std::vector<Value> own;
    std::vector<Value*> refs;
    std::deque<Value> extra;
    std::size_t count = 0;
    bool resumeNext = false;

    Value* slot(std::size_t i) {
        if (i < count) return refs[i] ? refs[i] : &own[i];
        while (extra.size() <= i - count)
            extra.emplace_back();
        return &extra[i - count];
    }
};

Interpreter::Interpreter(std::unique_ptr<Module> module, ErrorSink sink)
    : module_(std::move(module)), sink_(std::move(sink)), globalScope_(registry().globalScope()),
      err_(std::make_shared<ErrObject>()) {
    for (auto& p : module_->procedures) {
        ProcInfo info;
        info.proc = p.get();
        for (std::size_t i = 0; i < p->locals.size(); ++i)
            info.slots.emplace(p->locals[i], static_cast<int>(i));
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
            for (std::size_t i = 0; i < m->locals.size(); ++i)
                info.slots.emplace(m->locals[i], static_cast<int>(i));
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
        raise(1002, std::string("Syntax error: ") + error.what());
    }
    return eval(*e);
}

void Interpreter::executeText(const std::string& text, bool global) {
    checkStack();
    std::unique_ptr<Module> m;
    try {
        m = parseModule(text);
    } catch (const SyntaxError& error) {
        raise(1002, std::string("Syntax error: ") + error.what());
    }
    if (!m->procedures.empty() || !m->classes.empty() || m->optionExplicit)
        raise(1002, "Syntax error: only statements can run from text");
    std::vector<Frame*> callers;
    if (global) callers.swap(frames_); // ExecuteGlobal runs at module level
    struct Restore {
        std::vector<Frame*>& frames;
        std::vector<Frame*>& saved;
        bool active;
        ~Restore() {
            if (active) frames.swap(saved);
        }
    } restore{frames_, callers, global};
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

void Interpreter::tick() {
    if (budget_ && ++steps_ > budget_) throw Abort{};
}

void Interpreter::charge(std::size_t units) {
    // Large strings and arrays cost statements too, so that a budget also bounds the memory
    // and time a runaway script takes.
    if (budget_ && (steps_ += units / 1024) > budget_) throw Abort{};
}

bool Interpreter::callerResumes() const {
    if (frames_.empty()) return false;
    for (std::size_t i = 0; i + 1 < frames_.size(); ++i)
        if (frames_[i]->resumeNext) return true;
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
    if (frames_.empty()) steps_ = 0; // a new call from outside, not one nested in a native call
    try {
        if (frames_.empty()) stackBase_ = static_cast<const char*>(__builtin_frame_address(0));
        Value result = callProcedure(procs_[static_cast<std::size_t>(it->second)], nullptr, args);
        if (frames_.empty()) runTerminates();
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
    const bool resume = frames_.empty() ? topResumeNext_ : frames_.back()->resumeNext;
    if (resume) {
        err_->set(e);
        return Flow::Normal;
    }
    if (callerResumes()) throw e;
    if (!sink_(e)) throw Abort{};
    return Flow::Normal;
}

void Interpreter::checkStack() {
    // Deeply nested blocks in deep recursion: stop well before the thread's stack ends.
    constexpr std::ptrdiff_t kStackLimit = 2 << 20;
    const auto* here = static_cast<const char*>(__builtin_frame_address(0));
    if (stackBase_ && std::abs(stackBase_ - here) > kStackLimit) raise(28);
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
}

Interpreter::Flow Interpreter::execBlock(const Block& block) {
    for (const auto& s : block) {
        if (!pendingTerminates_.empty()) runTerminates();
        tick();
        try {
            const Flow f = exec(*s);
            if (f != Flow::Normal) return f;
        } catch (BasicError& e) {
            handleError(e, *s);
        } catch (const ValueError& ve) {
            try {
                fromValueError(ve);
            } catch (BasicError& e) {
                handleError(e, *s);
            }
        }
    }
    return Flow::Normal;
}

Value Interpreter::scalar(const Value& v) {
    if (!v.isObject()) return v;
    if (!v.asObject()) raise(91);
    if (v.asObject() == err_) return Value(err_->number);
    return invokeDefault(v, {}, nullptr);
}

bool Interpreter::truth(Expr& e) {
    if (bool b = false; integerComparison(e, b)) return b;
    if (const Value* p = inPlace(e); p && p->isBoolean()) return p->asBool();
    Value v = eval(e);
    if (v.isBoolean()) return v.asBool();
    if (v.isObject()) v = scalar(v);
    if (v.isNull()) return false;
    if (v.isArray()) raise(13);
    return v.toBool();
}

Interpreter::Flow Interpreter::exec(Stmt& s) {
    switch (s.kind) {
    case StmtKind::Nop:
        return Flow::Normal;
    case StmtKind::Dim:
        for (const auto& item : s.dims)
            dim(item, false, false);
        return Flow::Normal;
    case StmtKind::ReDim:
        for (const auto& item : s.dims)
            dim(item, true, s.preserve);
        return Flow::Normal;
    case StmtKind::Const:
        for (const auto& item : s.dims) {
            Value v = eval(*item.bounds[0]);
            Value* slot = declare(item.name);
            if (!slot) raise(501);
            *slot = std::move(v);
        }
        return Flow::Normal;
    case StmtKind::Assign:
        if (std::int32_t i = 0; integerValue(*s.expr, i)) {
            if (Value* target = const_cast<Value*>(plainValue(*s.target)))
                target->setInt(i);
            else
                assign(*s.target, Value(i), false);
            return Flow::Normal;
        }
        if (s.expr->kind == ExprKind::Binary) {
            // Not integer arithmetic, as just seen: straight to the general operation.
            assign(*s.target, binaryNotInteger(*s.expr), false);
            return Flow::Normal;
        }
        [[fallthrough]];
    case StmtKind::Set: {
        Value v = eval(*s.expr);
        if (s.kind == StmtKind::Set && !v.isObject()) raise(424);
        assign(*s.target, std::move(v), s.kind == StmtKind::Set);
        return Flow::Normal;
    }
    case StmtKind::Call:
        (void)eval(*s.target);
        return Flow::Normal;
    case StmtKind::If: {
        if (truth(*s.expr)) return execBlock(s.body);
        for (auto& [cond, body] : s.elseIfs)
            if (truth(*cond)) return execBlock(body);
        return execBlock(s.elseBody);
    }
    case StmtKind::Select: {
        const Value subject = scalar(eval(*s.expr));
        for (auto& clause : s.cases) {
            bool match = clause.items.empty();
            for (auto& item : clause.items) {
                if (match) break;
                const Value low = eval(*item.low);
                if (item.high) {
                    const Value high = eval(*item.high);
                    const Value a = scriptCompare(CompareOp::GreaterEqual, subject, low);
                    const Value b = scriptCompare(CompareOp::LessEqual, subject, high);
                    match = a.isBoolean() && b.isBoolean() && a.asBool() && b.asBool();
                } else {
                    static const CompareOp ops[] = {CompareOp::Equal,     CompareOp::NotEqual,
                                                    CompareOp::Less,      CompareOp::Greater,
                                                    CompareOp::LessEqual, CompareOp::GreaterEqual};
                    const auto k = static_cast<int>(item.isOp) - static_cast<int>(Op::Equal);
                    const Value r = scriptCompare(ops[k >= 0 && k < 6 ? k : 0], subject, low);
                    match = r.isBoolean() && r.asBool();
                }
            }
            if (match) return execBlock(clause.body);
        }
        return Flow::Normal;
    }
    case StmtKind::For: {
        Value start = eval(*s.expr);
        const Value limit = eval(*s.limit);
        const Value step = s.step ? eval(*s.step) : Value(1);
        if (!step.isNumeric() && !step.isBoolean() && !step.isString()) raise(13);
        if (!limit.isNumeric() && !limit.isString() && !limit.isEmpty()) raise(13);
        const bool down = step.toDouble() < 0;
        assign(*s.target, std::move(start), false);
        for (;;) {
            tick();
            // The counter may be a registered variable rather than one of the script's own.
            Value* v = variable(*s.target, true);
            if (v && v->isInteger() && limit.isInteger()) {
                const std::int32_t c = v->asInt(), l = limit.asInt();
                if (down ? c < l : c > l) break;
            } else {
                const Value counter = v ? *v : eval(*s.target);
                const int c = compareValues(counter, limit);
                if (down ? c < 0 : c > 0) break;
            }
            const Flow f = execBlock(s.body);
            if (f == Flow::ExitFor) break;
            if (f != Flow::Normal) return f;
            v = variable(*s.target, true);
            if (v && v->isInteger() && step.isInteger()) {
                const std::int64_t next = std::int64_t{v->asInt()} + step.asInt();
                if (next >= INT32_MIN && next <= INT32_MAX)
                    v->setInt(static_cast<std::int32_t>(next));
                else
                    *v = Value(static_cast<double>(next));
            } else if (v)
                *v = binaryOp(BinaryOp::Add, *v, step);
            else
                assign(*s.target, binaryOp(BinaryOp::Add, eval(*s.target), step), false);
        }
        return Flow::Normal;
    }
    case StmtKind::ForEach: {
        const Value group = eval(*s.expr);
        std::vector<Value> items;
        if (group.isArray()) {
            items = group.asArray()->items();
        } else if (group.isObject() && group.asObject()) {
            // The dialect's own collections list themselves; the system's lists give Count
            // items through the default property.
            Dispatch& list = *group.asObject();
            if (const auto* own = dynamic_cast<const Enumerable*>(&list)) {
                items = own->enumerate();
            } else {
                const DispId count = list.idOfName("Count");
                if (count == kUnknownDispId) raise(451);
                const std::int32_t n = invokeHost(list, count, InvokeGet, {}, "Count").toInt();
                for (std::int32_t i = 0; i < n; ++i) {
                    Value index[] = {Value(i)};
                    items.push_back(invokeDefault(group, index, nullptr));
                }
            }
        } else {
            raise(451);
        }
        for (const Value& item : items) {
            tick();
            assign(*s.target, item, false);
            const Flow f = execBlock(s.body);
            if (f == Flow::ExitFor) break;
            if (f != Flow::Normal) return f;
        }
        return Flow::Normal;
    }
    case StmtKind::Do: {
        for (;;) {
            tick();
            if (s.expr && !s.testAtEnd && truth(*s.expr) == s.until) break;
            const Flow f = execBlock(s.body);
            if (f == Flow::ExitDo) break;
            if (f != Flow::Normal) return f;
            if (s.expr && s.testAtEnd && truth(*s.expr) == s.until) break;
        }
        return Flow::Normal;
    }
    case StmtKind::Exit:
        switch (s.exitKind) {
        case ExitKind::Do:
            return Flow::ExitDo;
        case ExitKind::For:
            return Flow::ExitFor;
        default:
            return Flow::ExitProc;
        }
    case StmtKind::Erase:
        for (const auto& item : s.dims) {
            Value* slot = declare(item.name);
            if (!slot || !slot->isArray()) raise(13);
            for (Value& v : slot->mutableArray().items())
                v = Value();
        }
        return Flow::Normal;
    case StmtKind::With: {
        Value object = eval(*s.expr);
        if (!object.isObject()) raise(424);
        withObjects_.push_back(std::move(object));
        struct Pop {
            std::vector<Value>& objects;
            ~Pop() { objects.pop_back(); }
        } pop{withObjects_};
        return execBlock(s.body);
    }
    case StmtKind::OnErrorResume:
        (frames_.empty() ? topResumeNext_ : frames_.back()->resumeNext) = true;
        err_->clear();
        return Flow::Normal;
    case StmtKind::OnErrorGoto0:
        (frames_.empty() ? topResumeNext_ : frames_.back()->resumeNext) = false;
        err_->clear();
        return Flow::Normal;
    }
    return Flow::Normal;
}

Value* Interpreter::declare(const std::string& name) {
    // Procedure-level declarations were collected by the parser; the module's appear here.
    if (frames_.empty() && globalIndex_.find(name) == globalIndex_.end()) {
        globalIndex_.emplace(name, static_cast<int>(globals_.size()));
        globals_.emplace_back();
    }
    Expr target;
    target.kind = ExprKind::Name;
    target.name = name;
    return variable(target, true);
}

void Interpreter::dim(const DimItem& item, bool redim, bool preserve) {
    Value* slot = nullptr;
    if (redim && !frames_.empty()) {
        // ReDim in a procedure resizes what the name already means (a field, a module array)
        // and declares a local only when it means nothing yet.
        Expr target;
        target.kind = ExprKind::Name;
        target.name = item.name;
        slot = variable(target, true);
    } else {
        slot = declare(item.name);
    }
    if (!slot) raise(13);
    if (!item.isArray) return; // a declared variable keeps what it holds: declarations are not run

    if (item.bounds.empty()) {
        *slot = Value(std::make_shared<VarArray>(std::vector<VarArray::Bound>{}));
        return;
    }
    std::vector<VarArray::Bound> bounds;
    std::size_t total = 1;
    for (const auto& b : item.bounds) {
        const std::int32_t high = eval(*b).toInt();
        if (high < -1) raise(9);
        bounds.push_back({0, high});
        total *= static_cast<std::size_t>(high) + 1;
        if (total > kMaxElements) raise(7);
    }
    charge(total * 16);
    if (redim && preserve && slot->isArray() && slot->asArray()->dimensions() == bounds.size() &&
        bounds.size() >= 1) {
        const VarArray& old = *slot->asArray();
        for (std::size_t d = 0; d + 1 < bounds.size(); ++d)
            if (old.bound(d).high != bounds[d].high) raise(9);
        slot->mutableArray().redimPreserve(bounds.back().high);
        return;
    }
    *slot = Value(std::make_shared<VarArray>(std::move(bounds)));
}

// ---- names

void Interpreter::resolve(Expr& e, bool forWrite) {
    if (e.nameKind != NameKind::Unresolved) return;
    Frame* frame = frames_.empty() ? nullptr : frames_.back();
    if (frame) {
        auto it = frame->info->slots.find(e.name);
        if (it != frame->info->slots.end()) {
            // Inside a function its own name is the result, except when it is called again.
            if (it->second == 0 && frame->info->proc->isFunction && e.hasParens) {
                e.nameKind = NameKind::Procedure;
                e.slot = procIndex_.at(frame->info->proc->name);
                return;
            }
            e.nameKind = NameKind::Local;
            e.slot = it->second;
            return;
        }
        if (frame->self) {
            const ClassRuntime& rt = classes_[static_cast<std::size_t>(frame->self->classIndex())];
            if (auto m = rt.memberIndex.find(e.name); m != rt.memberIndex.end()) {
                const ClassMember& member = rt.members[static_cast<std::size_t>(m->second)];
                e.nameKind = member.field >= 0 ? NameKind::Field : NameKind::Member;
                e.slot = member.field >= 0 ? member.field : m->second;
                return;
            }
        }
    }
    if (auto it = globalIndex_.find(e.name); it != globalIndex_.end()) {
        e.nameKind = NameKind::Global;
        e.slot = it->second;
        return;
    }
    if (auto it = procIndex_.find(e.name); it != procIndex_.end()) {
        e.nameKind = NameKind::Procedure;
        e.slot = it->second;
        return;
    }
    if (!forWrite) {
        // Code given as text needs the interpreter itself.
        static const char* const textRunners[] = {"Eval", "Execute", "ExecuteGlobal", "GetRef"};
        for (int i = 0; i < 4; ++i)
            if (equalsNoCase(e.name, textRunners[i])) {
                e.nameKind = NameKind::Builtin;
                e.slot = -1 - i;
                return;
            }
        if (const int b = findBuiltin(e.name); b >= 0) {
            e.nameKind = NameKind::Builtin;
            e.slot = b;
            return;
        }
        if (const Value* c = findBuiltinConst(e.name)) {
            e.nameKind = NameKind::Global;
            e.slot = static_cast<int>(globals_.size());
            globalIndex_.emplace(e.name, e.slot);
            globals_.push_back(*c);
            return;
        }
    }
    for (const ObjectRef& host : globalHosts_) {
        const DispId id = host->idOfName(e.name);
        if (id != kUnknownDispId) {
            e.nameKind = NameKind::Outside;
            e.cachedHost = host.get();
            e.cachedId = id;
            return;
        }
    }
    if (globalScope_) {
        const DispId id = globalScope_->idOfName(e.name);
        if (id != kUnknownDispId) {
            e.nameKind = NameKind::Outside;
            e.cachedHost = globalScope_.get();
            e.cachedId = id;
            return;
        }
    }
    if (module_->optionExplicit || e.hasParens) {
        if (e.hasParens) raise(35, errorText(35) + ": '" + e.name + "'");
        raise(500, errorText(500) + ": '" + e.name + "'");
    }
    // An undeclared name becomes a variable of the procedure, or of the module at the top.
    if (frame) {
        auto& info = const_cast<ProcInfo&>(*frame->info);
        e.slot = static_cast<int>(info.slots.size());
        info.slots.emplace(e.name, e.slot);
        e.nameKind = NameKind::Local;
    } else {
        e.slot = static_cast<int>(globals_.size());
        globalIndex_.emplace(e.name, e.slot);
        globals_.emplace_back();
        e.nameKind = NameKind::Global;
    }
}

Value* Interpreter::variable(Expr& e, bool create) {
    if (e.kind != ExprKind::Name) return nullptr;
    if (create)
        resolve(e, true);
    else if (e.nameKind == NameKind::Unresolved) {
        try {
            resolve(e, false);
        } catch (const BasicError&) {
            return nullptr;
        }
    }
    if (e.nameKind == NameKind::Global) return &globals_[static_cast<std::size_t>(e.slot)];
    if (e.nameKind == NameKind::Field) {
        ScriptObject* self = frames_.empty() ? nullptr : frames_.back()->self;
        if (!self) raise(424);
        return &self->fields[static_cast<std::size_t>(e.slot)];
    }
    if (e.nameKind == NameKind::Local) {
        if (frames_.empty()) raise(424);
        return frames_.back()->slot(static_cast<std::size_t>(e.slot));
    }
    return nullptr;
}

void Interpreter::evalArgs(Expr& e, CallArgs& args) {
    for (auto& a : e.args) {
        Value v = eval(*a);
        args.push_back(std::move(v), isVariableExpr(*a) ? variable(*a, false) : nullptr);
    }
}

void Interpreter::writeBack(CallArgs& args) {
    const std::size_t n = args.size();
    for (std::size_t i = 0; i < n; ++i)
        if (Value* ref = args.ref(i); ref && !ref->identical(args[i])) *ref = args[i];
}

Value Interpreter::invokeHost(Dispatch& host, DispId id, unsigned flags, std::span<Value> args,
                              const std::string& name) {
    // Arguments after a form's control name index the control's default property: List1(0).
    const bool putting = flags & InvokePut;
    if (args.size() > (putting ? 1u : 0u) && id >= kPartIdBase &&
        dynamic_cast<CompWrapper*>(&host)) {
        const Value part = invokeHost(host, id, InvokeGet, {}, name);
        if (part.isObject() && part.asObject()) {
            if (!putting) return invokeDefault(part, args, nullptr);
            const Value value = args.back();
            return invokeDefault(part, args.first(args.size() - 1), &value);
        }
    }
    if (auto* own = dynamic_cast<OwnObject*>(&host)) return own->callFromScript(id, flags, args);
    Value result;
    ExceptionInfo error;
    DispStatus status = DispStatus::Ok;
    try {
        status = host.invoke(id, flags, args, result, error);
    } catch (const BasicError&) {
        throw;
    } catch (const std::exception& ex) {
        status = DispStatus::Exception;
        error.description = ex.what();
    }
    if (status == DispStatus::Ok) return result;
    BasicError e;
    if (status == DispStatus::Exception) {
        e.number = 440;
        e.description = error.description;
        e.source = error.source;
    } else {
        e.number = status == DispStatus::BadParamCount    ? 450
                   : status == DispStatus::TypeMismatch   ? 13
                   : status == DispStatus::MemberNotFound ? 438
                                                          : 5;
        e.description = dispatchStatusMessage(status, name);
    }
    throw e;
}

Value Interpreter::invokeMember(Dispatch& host, Expr& e, unsigned flags, std::span<Value> args) {
    if (e.cachedHost != &host) {
        e.cachedId = host.idOfName(e.name);
        e.cachedHost = &host;
    }
    if (e.cachedId == kUnknownDispId) {
        e.cachedHost = nullptr;
        raise(438, errorText(438) + ": '" + e.name + "'");
    }
    return invokeHost(host, e.cachedId, flags, args, e.name);
}

Value Interpreter::invokeDefault(const Value& object, std::span<Value> args, const Value* put) {
    NativeObject* native = nativeObjectOf(object);
    if (!native && object.isObject() && object.asObject()) {
        // The dialect's own objects (a dictionary, a procedure reference) name their default
        // member by the empty name.
        Dispatch& own = *object.asObject();
        const DispId id = own.idOfName("");
        if (id == kUnknownDispId) raise(438);
        if (!put) return invokeHost(own, id, InvokeMethod | InvokeGet, args, "");
        std::vector<Value> all(args.begin(), args.end());
        all.push_back(*put);
        return invokeHost(own, id, InvokePut, all, "");
    }
    const ClassInfo* cls = native ? registry().findClass(native->className()) : nullptr;
    while (cls && !cls->defaultProperty)
        cls = cls->parent;
    if (!cls) raise(438);
    Value result;
    ExceptionInfo error;
    DispStatus status =
        put ? registry().setProperty(*cls->defaultProperty, native, args, *put, error)
            : registry().getProperty(*cls->defaultProperty, native, args, result, error);
    if (status != DispStatus::Ok)
        raise(status == DispStatus::Exception ? 440 : 5,
              status == DispStatus::Exception ? error.description : dispatchStatusMessage(status));
    return result;
}

Value& Interpreter::elementOf(Value& array, std::span<Value> idx) {
    VarArray& a = array.mutableArray();
    if (idx.size() != a.dimensions()) raise(9);
    if (idx.size() == 1) return a.items()[oneDimensionOffset(a, idx[0])];
    std::vector<std::int32_t> at;
    for (const Value& v : idx)
        at.push_back(v.toInt());
    try {
        return a.at(at);
    } catch (const ValueError&) {
        raise(9);
    } catch (const std::out_of_range&) {
        raise(9);
    }
}

Value Interpreter::indexArray(const Value& array, std::span<Value> idx) {
    const VarArray& a = *array.asArray();
    if (idx.size() != a.dimensions()) raise(9);
    if (idx.size() == 1) return a.items()[oneDimensionOffset(a, idx[0])];
    std::vector<std::int32_t> at;
    for (const Value& v : idx)
        at.push_back(v.toInt());
    try {
        return a.at(at);
    } catch (const ValueError&) {
        raise(9);
    } catch (const std::out_of_range&) {
        raise(9);
    }
}

// ---- evaluation

Value Interpreter::eval(Expr& e) {
    switch (e.kind) {
    case ExprKind::Literal:
        return e.value;
    case ExprKind::Nothing:
        return nothing();
    case ExprKind::Me: {
        ScriptObject* self = frames_.empty() ? nullptr : frames_.back()->self;
        if (!self) raise(424);
        return Value(ObjectRef(self->shared_from_this()));
    }
    case ExprKind::New:
        return newObject(e);
    case ExprKind::WithObject:
        if (withObjects_.empty()) raise(424);
        return withObjects_.back();
    case ExprKind::Name:
        return evalName(e);
    case ExprKind::Member:
        return evalMember(e);
    case ExprKind::Unary: {
        Value v = eval(*e.left);
        if (e.op == Op::Paren) return v;
        v = scalar(v);
        if (v.isArray()) raise(13);
        if (e.op == Op::Not) return logicalNot(v);
        if (e.op == Op::Negate) return negate(v);
        return v;
    }
    case ExprKind::Binary:
        return binary(e);
    }
    return {};
}

const Value* Interpreter::inPlace(Expr& e) {
    if (e.kind == ExprKind::Literal) return &e.value;
    if (!isVariableExpr(e)) return nullptr;
    if (e.nameKind != NameKind::Local && e.nameKind != NameKind::Global &&
        e.nameKind != NameKind::Field)
        return nullptr;
    return variable(e, false);
}

[[gnu::always_inline]] inline const Value* Interpreter::plainValue(const Expr& e) {
    // Only names already resolved to a variable: reading them has no effect but the read.
    if (e.kind == ExprKind::Literal) return &e.value;
    if (e.kind != ExprKind::Name || e.hasParens) return nullptr;
    switch (e.nameKind) {
    case NameKind::Local:
        return frames_.empty() ? nullptr : frames_.back()->slot(static_cast<std::size_t>(e.slot));
    case NameKind::Global:
        return &globals_[static_cast<std::size_t>(e.slot)];
    case NameKind::Field: {
        ScriptObject* self = frames_.empty() ? nullptr : frames_.back()->self;
        return self ? &self->fields[static_cast<std::size_t>(e.slot)] : nullptr;
    }
    default:
        return nullptr;
    }
}

bool Interpreter::integerValue(const Expr& e, std::int32_t& out) {
    // Integer arithmetic over literals and variables, computed without building values. Anything
    // else (another type, overflow, division by zero, a call) answers false before it has had any
    // effect, and the expression is evaluated the general way.
    if (e.kind == ExprKind::Binary) {
        std::int32_t x = 0, y = 0;
        switch (e.op) {
        case Op::Add:
        case Op::Subtract:
        case Op::Multiply:
        case Op::IntDivide:
        case Op::Modulo:
            break;
        default:
            return false;
        }
        if (!integerLeaf(*e.left, x) || !integerLeaf(*e.right, y)) return false;
        std::int64_t r = 0;
        switch (e.op) {
        case Op::Add:
            r = std::int64_t{x} + y;
            break;
        case Op::Subtract:
            r = std::int64_t{x} - y;
            break;
        case Op::Multiply:
            r = std::int64_t{x} * y;
            break;
        case Op::IntDivide:
            if (y == 0) return false;
            r = std::int64_t{x} / y;
            break;
        default:
            if (y == 0) return false;
            r = std::int64_t{x} % y;
            break;
        }
        if (r < INT32_MIN || r > INT32_MAX) return false;
        out = static_cast<std::int32_t>(r);
        return true;
    }
    const Value* v = plainValue(e);
    if (!v || !v->isInteger()) return false;
    out = v->asInt();
    return true;
}

[[gnu::always_inline]] inline bool Interpreter::integerLeaf(const Expr& e, std::int32_t& out) {
    if (e.kind == ExprKind::Binary) return integerValue(e, out);
    const Value* v = plainValue(e);
    if (!v || !v->isInteger()) return false;
    out = v->asInt();
    return true;
}

bool Interpreter::integerComparison(const Expr& e, bool& out) {
    if (e.kind != ExprKind::Binary || e.op < Op::Equal || e.op > Op::GreaterEqual) return false;
    std::int32_t x = 0, y = 0;
    if (!integerLeaf(*e.left, x) || !integerLeaf(*e.right, y)) return false;
    switch (e.op) {
    case Op::Equal:
        out = x == y;
        break;
    case Op::NotEqual:
        out = x != y;
        break;
    case Op::Less:
        out = x < y;
        break;
    case Op::Greater:
        out = x > y;
        break;
    case Op::LessEqual:
        out = x <= y;
        break;
    default:
        out = x >= y;
        break;
    }
    return true;
}

Value Interpreter::binary(Expr& e) {
    if (std::int32_t i = 0; integerValue(e, i)) return Value(i);
    return binaryNotInteger(e);
}

Value Interpreter::binaryNotInteger(Expr& e) {
    if (bool b = false; integerComparison(e, b)) return Value(b);
    // Operands that are literals or plain variables are read where they are instead of copied.
    // The left one only when the right one is such too: evaluating anything else could change it.
    const Value* pb = inPlace(*e.right);
    const Value* pa = pb ? inPlace(*e.left) : nullptr;
    // Evaluated operands are built in place, not assigned over an empty value.
    Value leftCopy = pa ? Value() : eval(*e.left);
    if (!pa) pa = &leftCopy;
    Value rightCopy = pb ? Value() : eval(*e.right);
    if (!pb) pb = &rightCopy;
    if (pa->isInteger() && pb->isInteger()) {
        // The common case of loops and counters, without the variant machinery.
        const std::int64_t x = pa->asInt(), y = pb->asInt();
        switch (e.op) {
        case Op::Add:
            return Value::fromInt64(x + y);
        case Op::Subtract:
            return Value::fromInt64(x - y);
        case Op::Multiply:
            return Value::fromInt64(x * y);
        case Op::IntDivide:
            if (y != 0) return Value::fromInt64(x / y);
            break;
        case Op::Modulo:
            if (y != 0) return Value::fromInt64(x % y);
            break;
        case Op::Equal:
            return Value(x == y);
        case Op::NotEqual:
            return Value(x != y);
        case Op::Less:
            return Value(x < y);
        case Op::Greater:
            return Value(x > y);
        case Op::LessEqual:
            return Value(x <= y);
        case Op::GreaterEqual:
            return Value(x >= y);
        default:
            break;
        }
    }
    auto arithmeticOperand = [](const Value& v) {
        if (v.isObject() || v.isArray()) raise(13);
    };
    switch (e.op) {
    case Op::Is: {
        if (!pa->isObject() || !pb->isObject()) raise(424);
        return Value(pa->asObject() == pb->asObject());
    }
    default:
        break;
    }
    // Objects stand for their default value; only they change, so plain values are not copied.
    if (pa->isObject()) {
        leftCopy = scalar(*pa);
        pa = &leftCopy;
    }
    if (pb->isObject()) {
        rightCopy = scalar(*pb);
        pb = &rightCopy;
    }
    const Value& a = *pa;
    const Value& b = *pb;
    arithmeticOperand(a);
    arithmeticOperand(b);
    switch (e.op) {
    case Op::Equal:
    case Op::NotEqual:
    case Op::Less:
    case Op::Greater:
    case Op::LessEqual:
    case Op::GreaterEqual: {
        static const CompareOp ops[] = {CompareOp::Equal,     CompareOp::NotEqual,
                                        CompareOp::Less,      CompareOp::Greater,
                                        CompareOp::LessEqual, CompareOp::GreaterEqual};
        return scriptCompare(ops[static_cast<int>(e.op) - static_cast<int>(Op::Equal)], a, b);
    }
    default:
        break;
    }
    switch (e.op) {
    case Op::Power: {
        if (a.isNull() || b.isNull()) return Value::null();
        const double r = std::pow(a.toDouble(), b.toDouble());
        if (std::isnan(r) && !std::isnan(a.toDouble())) raise(5);
        if (std::isinf(r)) raise(6);
        return Value(r);
    }
    case Op::Multiply:
        return binaryOp(BinaryOp::Multiply, a, b);
    case Op::Divide:
        return binaryOp(BinaryOp::Divide, a, b);
    case Op::IntDivide:
        return binaryOp(BinaryOp::IntDivide, a, b);
    case Op::Modulo:
        return binaryOp(BinaryOp::Modulo, a, b);
    case Op::Add:
        return binaryOp(BinaryOp::Add, a, b);
    case Op::Subtract:
        return binaryOp(BinaryOp::Subtract, a, b);
    case Op::Concat: {
        if (a.isNull() && b.isNull()) return Value::null();
        std::string l = a.isNull() ? std::string() : a.toString();
        const std::string r = b.isNull() ? std::string() : b.toString();
        if (l.size() + r.size() > kMaxStringLength) raise(7);
        l += r;
        charge(l.size());
        return Value(std::move(l));
    }
    case Op::And:
        return binaryOp(BinaryOp::And, a, b);
    case Op::Or:
        return binaryOp(BinaryOp::Or, a, b);
    case Op::Xor:
        return binaryOp(BinaryOp::Xor, a, b);
    case Op::Eqv:
        return logicalNot(binaryOp(BinaryOp::Xor, a, b));
    case Op::Imp:
        return binaryOp(BinaryOp::Or, logicalNot(a), b);
    default:
        return {};
    }
}

Value Interpreter::evalName(Expr& e) {
    resolve(e, false);
    switch (e.nameKind) {
    case NameKind::Member: {
        ScriptObject* self = frames_.empty() ? nullptr : frames_.back()->self;
        if (!self) raise(424);
        auto keep = self->shared_from_this();
        CallArgs args;
        evalArgs(e, args);
        Value r = invokeObject(*self, e.slot, InvokeMethod | InvokeGet, args);
        writeBack(args);
        return r;
    }
    case NameKind::Local:
    case NameKind::Field:
    case NameKind::Global: {
        const Value& v = *variable(e, false);
        if (!e.hasParens) return v;
        CallArgs args;
        evalArgs(e, args);
        if (v.isArray()) return indexArray(v, args);
        if (v.isObject()) {
            const Value object = v;
            if (args.empty() && !dynamic_cast<ProcRef*>(object.asObject().get())) return object;
            Value r = invokeDefault(object, args, nullptr);
            writeBack(args); // a procedure reached through GetRef hands ByRef values back
            return r;
        }
        if (args.empty()) return v;
        raise(13, errorText(13) + ": '" + e.name + "'");
    }
    case NameKind::Procedure:
        return callProcedure(procs_[static_cast<std::size_t>(e.slot)], &e.args, {});
    case NameKind::Builtin: {
        CallArgs args;
        for (auto& a : e.args)
            args.push_back(eval(*a));
        if (e.slot < 0) {
            if (args.size() != 1) raise(450, errorText(450) + ": '" + e.name + "'");
            const std::string text = args[0].isNull() ? std::string() : args[0].toString();
            if (e.slot == -1) return evalText(text);
            if (e.slot == -4) return procedureReference(text);
            executeText(text, e.slot == -3);
            return {};
        }
        Value r = callBuiltin(e.slot, args);
        if (r.isString())
            charge(r.asString().size());
        else if (r.isArray())
            charge(r.asArray()->size() * 16);
        return r;
    }
    case NameKind::Outside: {
        CallArgs args;
        evalArgs(e, args);
        Value r = invokeHost(*e.cachedHost, e.cachedId, InvokeMethod | InvokeGet, args, e.name);
        writeBack(args);
        return r;
    }
    case NameKind::Unresolved:
        break;
    }
    return {};
}

Value Interpreter::evalMember(Expr& e) {
    const Value base = eval(*e.left);
    CallArgs args;
    evalArgs(e, args);
    if (e.name.empty()) { // a(1)(2): index or call the result
        if (base.isArray()) return indexArray(base, args);
        if (base.isObject() && base.asObject()) return invokeDefault(base, args, nullptr);
        raise(13);
    }
    if (!base.isObject()) raise(424, errorText(424) + ": '" + e.left->name + "'");
    if (!base.asObject()) raise(91);
    Value r = invokeMember(*base.asObject(), e, InvokeMethod | InvokeGet, args);
    writeBack(args);
    return r;
}

void Interpreter::assign(Expr& target, Value value, bool isSet) {
    (void)isSet;
    if (target.kind == ExprKind::Member) {
        const Value base = eval(*target.left);
        CallArgs args;
        evalArgs(target, args);
        if (target.name.empty()) {
            if (!base.isObject() || !base.asObject()) raise(424);
            invokeDefault(base, args, &value);
            return;
        }
        if (!base.isObject()) raise(424);
        if (!base.asObject()) raise(91);
        args.push_back(std::move(value));
        invokeMember(*base.asObject(), target, InvokePut, args);
        return;
    }
    if (target.kind != ExprKind::Name) raise(501);
    resolve(target, true);
    if (!target.hasParens &&
        (target.nameKind == NameKind::Local || target.nameKind == NameKind::Global ||
         target.nameKind == NameKind::Field)) {
        store(*variable(target, true), std::move(value));
        return;
    }
    switch (target.nameKind) {
    case NameKind::Member: {
        ScriptObject* self = frames_.empty() ? nullptr : frames_.back()->self;
        if (!self) raise(424);
        auto keep = self->shared_from_this();
        CallArgs args;
        evalArgs(target, args);
        args.push_back(std::move(value));
        invokeObject(*self, target.slot, InvokePut, args);
        return;
    }
    case NameKind::Local:
    case NameKind::Field:
    case NameKind::Global: {
        CallArgs args;
        evalArgs(target, args);
        Value* slot = variable(target, true);
        if (!target.hasParens) {
            *slot = std::move(value);
            return;
        }
        if (slot->isArray()) {
            elementOf(*slot, args) = std::move(value);
            return;
        }
        if (slot->isObject() && slot->asObject()) {
            const Value object = *slot;
            invokeDefault(object, args, &value);
            return;
        }
        raise(13);
    }
    case NameKind::Outside: {
        CallArgs args;
        evalArgs(target, args);
        args.push_back(std::move(value));
        invokeHost(*target.cachedHost, target.cachedId, InvokePut, args, target.name);
        return;
    }
    default:
        raise(501);
    }
}

Value Interpreter::callProcedure(const ProcInfo& info, const std::vector<ExprPtr>* argExprs,
                                 std::span<Value> outside, ScriptObject* self) {
    const Procedure& p = *info.proc;
    const bool fromScript = argExprs != nullptr;
    if ((fromScript ? argExprs->size() : outside.size()) > p.params.size() ||
        (fromScript && argExprs->size() != p.params.size()))
        raise(450, errorText(450) + ": '" + p.name + "'");
    if (frames_.size() >= kMaxDepth || framesInUse_ >= kMaxFrames) raise(28);
    checkStack();
    if (framePool_.size() <= framesInUse_) framePool_.push_back(std::make_unique<Frame>());
    Frame& frame = *framePool_[framesInUse_];
    const std::size_t count = std::max(info.slots.size(), p.locals.size());
    if (frame.own.size() < count) {
        frame.own.resize(count);
        frame.refs.resize(count);
    }
    std::fill_n(frame.refs.begin(), count, nullptr);
    frame.info = &info;
    frame.self = self;
    frame.count = count;
    frame.resumeNext = false;
    // The frame is handed back with its values released, however the call ends; the values of
    // ByRef parameters belong to the caller and stay.
    struct Release {
        Interpreter& in;
        Frame& f;
        ~Release() {
            for (std::size_t i = 0; i < f.count; ++i)
                if (!f.own[i].isEmpty()) f.own[i] = Value();
            if (!f.extra.empty()) f.extra.clear();
            f.count = 0;
            --in.framesInUse_;
        }
    };
    ++framesInUse_;
    Release release{*this, frame};
    const std::size_t base = p.isFunction ? 1 : 0;
    for (std::size_t i = 0; i < p.params.size(); ++i) {
        const std::size_t at = base + i;
        if (fromScript) {
            Expr& a = *(*argExprs)[i];
            if (!p.params[i].byVal && isVariableExpr(a)) {
                // Passed by reference: the callee works on the caller's variable itself.
                if (Value* ref = variable(a, !module_->optionExplicit)) {
                    frame.refs[at] = ref;
                    continue;
                }
            }
            store(frame.own[at], eval(a));
        } else if (i < outside.size()) {
            if (p.params[i].byVal)
                frame.own[at] = outside[i];
            else
                frame.refs[at] = &outside[i];
        }
    }
    frames_.push_back(&frame);
    struct Pop {
        std::vector<Frame*>& frames;
        ~Pop() { frames.pop_back(); }
    } pop{frames_};
    execBlock(p.body);
    return p.isFunction ? std::move(frame.own[0]) : Value();
}

} // namespace vorlan::script::basic
