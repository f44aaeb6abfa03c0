#include "script/basic/basic_interp.h"

#include "script/basic/basic_frame.h"
#include "script/basic/basic_library.h"
#include "script/comp_wrapper.h"

#include <algorithm>
#include <climits>

namespace vorlan::script::basic {

namespace {

constexpr std::size_t kMaxDepth = 200;

} // namespace

template <class Run>
[[gnu::always_inline]] inline Interpreter::Flow Interpreter::guarded(Stmt& s, Run&& run) {
    // Between statements: objects released since run their Class_Terminate, the budget counts.
    if (attention_) [[unlikely]] {
        if (!pendingTerminates_.empty()) runTerminates();
        tick();
    }
    try {
        return run();
    } catch (BasicError& e) {
        handleError(e, s);
    } catch (const ValueError& ve) {
        try {
            fromValueError(ve);
        } catch (BasicError& e) {
            handleError(e, s);
        }
    }
    return Flow::Normal;
}

[[gnu::always_inline]] inline Interpreter::Flow Interpreter::branch(const Block& block) {
    // The usual branch is one statement, often an assignment: run it without the loop around it.
    if (block.size() != 1) return execBlock(block);
    Stmt& only = *block.front();
    if (only.kind == StmtKind::Assign)
        return guarded(only, [&] {
            execAssign(only);
            return Flow::Normal;
        });
    return step(only);
}

inline bool Interpreter::truth(Expr& e) {
    if (bool b = false; integerComparison(e, b)) return b;
    return truthOf(e);
}

[[gnu::always_inline]] inline Interpreter::Flow Interpreter::exec(Stmt& s) {
    // The statements of loops and small functions stay here; the rest have their own routines,
    // so that this one stays small for the hot ones.
    switch (s.kind) {
    case StmtKind::Assign:
        execAssign(s);
        return Flow::Normal;
    case StmtKind::If: {
        if (truth(*s.expr)) return branch(s.body);
        for (auto& [cond, body] : s.elseIfs)
            if (truth(*cond)) return branch(body);
        return branch(s.elseBody);
    }
    case StmtKind::Do:
        return execDo(s);
    case StmtKind::For:
        return execFor(s);
    case StmtKind::Call:
        (void)eval(*s.target);
        return Flow::Normal;
    case StmtKind::Exit:
        switch (s.exitKind) {
        case ExitKind::Do:
            return Flow::ExitDo;
        case ExitKind::For:
            return Flow::ExitFor;
        default:
            return Flow::ExitProc;
        }
    default:
        return execOther(s);
    }
}

Interpreter::Flow Interpreter::step(Stmt& s) {
    return guarded(s, [&] { return exec(s); });
}

Interpreter::Flow Interpreter::execBlock(const Block& block) {
    for (const auto& s : block)
        if (const Flow f = step(*s); f != Flow::Normal) return f;
    return Flow::Normal;
}

Value Interpreter::scalar(const Value& v) {
    if (!v.isObject()) return v;
    if (!v.asObject()) raise(91);
    if (v.asObject() == err_) return Value(err_->number);
    return invokeDefault(v, {}, nullptr);
}

bool Interpreter::truthOf(Expr& e) {
    if (const Value* p = plainValue(e); p && p->isBoolean()) return p->asBool();
    Value v = eval(e);
    if (v.isBoolean()) return v.asBool();
    if (v.isObject()) v = scalar(v);
    if (v.isNull()) return false;
    if (v.isArray()) raise(13);
    return v.toBool();
}

void Interpreter::execAssign(Stmt& s) {
    Expr& e = *s.expr;
    if (std::int32_t i = 0; integerValue(e, i)) {
        if (Value* target = const_cast<Value*>(plainValue(*s.target)))
            target->setInt(i);
        else
            assign(*s.target, Value(i), false);
        return;
    }
    if (e.op == Op::Concat && e.kind == ExprKind::Binary) [[unlikely]]
        if (appendInPlace(s)) return;
    // Not integer arithmetic, as just seen: a binary operation goes straight to the general one.
    Scratch v([&] { return e.kind == ExprKind::Binary ? binaryNotInteger(e) : eval(e); });
    // The target is looked up after the value is known: evaluating it may have run anything.
    if (Value* target = const_cast<Value*>(plainValue(*s.target)))
        target->assignFrom(std::move(v.value()));
    else
        assign(*s.target, std::move(v.value()), false);
}

[[gnu::noinline]] bool Interpreter::appendInPlace(Stmt& s) {
    // `s = s & x`, the way scripts build texts: the text grows where it is instead of being
    // copied for every piece. Only when x is a literal or a variable, whose reading has no
    // effect, and the variable holds text already; anything else goes the general way.
    Expr& e = *s.expr;
    Value* target = const_cast<Value*>(plainValue(*s.target));
    if (!target || !target->isString() || plainValue(*e.left) != target) return false;
    const Value* piece = plainValue(*e.right);
    if (!piece) return false;
    std::string& text = target->asString();
    if (piece->isString()) {
        if (text.size() + piece->asString().size() > kMaxStringLength) raise(7);
        text += piece->asString();
    } else if (piece->isNull()) {
        return true; // text & Null is the text
    } else if (piece->isObject() || piece->isArray()) {
        return false;
    } else {
        const std::string more = piece->toString();
        if (text.size() + more.size() > kMaxStringLength) raise(7);
        text += more;
    }
    charge(text.size());
    return true;
}

Interpreter::Flow Interpreter::execDo(Stmt& s) {
    for (;;) {
        tick();
        if (s.expr && !s.testAtEnd && truth(*s.expr) == s.until) break;
        const Flow f = branch(s.body);
        if (f == Flow::ExitDo) break;
        if (f != Flow::Normal) return f;
        if (s.expr && s.testAtEnd && truth(*s.expr) == s.until) break;
    }
    return Flow::Normal;
}

Interpreter::Flow Interpreter::execFor(Stmt& s) {
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
        const Flow f = branch(s.body);
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

Interpreter::Flow Interpreter::execOther(Stmt& s) {
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
    case StmtKind::Set: {
        Value v = eval(*s.expr);
        if (!v.isObject()) raise(424);
        assign(*s.target, std::move(v), true);
        return Flow::Normal;
    }
    case StmtKind::Select:
        return execSelect(s);
    case StmtKind::ForEach:
        return execForEach(s);
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
        (top_ ? top_->resumeNext : topResumeNext_) = true;
        err_->clear();
        return Flow::Normal;
    case StmtKind::OnErrorGoto0:
        (top_ ? top_->resumeNext : topResumeNext_) = false;
        err_->clear();
        return Flow::Normal;
    default:
        return Flow::Normal;
    }
}

Interpreter::Flow Interpreter::execSelect(Stmt& s) {
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

Interpreter::Flow Interpreter::execForEach(Stmt& s) {
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

Value* Interpreter::declare(const std::string& name) {
    // Procedure-level declarations were collected by the parser; the module's appear here.
    if (!top_ && globalIndex_.find(name) == globalIndex_.end()) {
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
    if (redim && top_) {
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

void Interpreter::assign(Expr& target, Value value, bool isSet) {
    (void)isSet;
    if (target.kind == ExprKind::Member) {
        const Value base = eval(*target.left);
        // A property of the native object this assignment reached last time.
        if (base.isObject() && target.argsInPlace > 0 && remembered(target, base.asObject())) {
            writeInPlace(target, static_cast<CompWrapper&>(*base.asObject()), value);
            return;
        }
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
        rememberPut(target, base.asObject(), args.size());
        return;
    }
    if (target.kind != ExprKind::Name) raise(501);
    resolve(target, true);
    if (!target.hasParens &&
        (target.nameKind == NameKind::Local || target.nameKind == NameKind::Global ||
         target.nameKind == NameKind::Field)) {
        variable(target, true)->assignFrom(std::move(value));
        return;
    }
    switch (target.nameKind) {
    case NameKind::Member: {
        ScriptObject* self = top_ ? top_->self : nullptr;
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

void Interpreter::growFrame(Frame& frame, std::size_t count) {
    // Every slot lives in the frame unless a ByRef argument redirects it for one call.
    frame.own.resize(count);
    frame.at.resize(count);
    for (std::size_t i = 0; i < count; ++i)
        frame.at[i] = &frame.own[i];
    frame.room = count;
}

void Interpreter::bindOutside(Frame& frame, const Procedure& p, std::span<Value> outside) {
    // Arguments from the system: ByRef ones are the caller's values themselves.
    const std::size_t base = p.isFunction ? 1 : 0;
    for (std::size_t i = 0; i < outside.size(); ++i) {
        if (p.params[i].byVal)
            frame.own[base + i] = outside[i];
        else
            frame.at[base + i] = &outside[i];
    }
}

Value Interpreter::callProcedure(const ProcInfo& info, const std::vector<ExprPtr>* argExprs,
                                 std::span<Value> outside, ScriptObject* self) {
    const Procedure& p = *info.proc;
    const std::size_t params = info.params;
    if (argExprs ? argExprs->size() != params : outside.size() > params) [[unlikely]]
        raise(450, errorText(450) + ": '" + p.name + "'");
    if (framesInUse_ >= kMaxFrames || depth_ >= kMaxDepth) [[unlikely]]
        raise(28);
    checkStack();
    if (framePool_.size() <= framesInUse_) [[unlikely]]
        framePool_.push_back(std::make_unique<Frame>());
    Frame& frame = *framePool_[framesInUse_];
    const std::size_t count = info.slotCount;
    if (frame.room < count) [[unlikely]]
        growFrame(frame, count);
    Value* const own = frame.own.data();
    Value** const at = frame.at.data();
    frame.info = &info;
    frame.self = self;
    frame.count = count;
    frame.resumeNext = false;
    // The frame is handed back with its values released, however the call ends; the values of
    // ByRef parameters belong to the caller and stay.
    struct Release {
        Interpreter& in;
        Frame& f;
        [[gnu::always_inline]] ~Release() {
            Value* const values = f.own.data();
            Value** const at = f.at.data();
            for (std::size_t i = 0; i < f.count; ++i) {
                clearSlot(values[i]);
                at[i] = values + i;
            }
            if (!f.extra.empty()) [[unlikely]]
                f.extra.clear();
            f.count = 0;
            --in.framesInUse_;
        }
    };
    ++framesInUse_;
    Release release{*this, frame};
    const Param* const param = p.params.data();
    const std::size_t base = p.isFunction ? 1 : 0;
    if (argExprs) {
        // The arguments are evaluated in the caller's frame, which is still the running one.
        const ExprPtr* const args = argExprs->data();
        for (std::size_t i = 0; i < params; ++i) {
            Expr& a = *args[i];
            Value& slot = own[base + i];
            if (!param[i].byVal && isVariableExpr(a)) {
                // Passed by reference: the callee works on the caller's variable itself.
                if (Value* ref = variable(a, !module_->optionExplicit)) {
                    at[base + i] = ref;
                    continue;
                }
            }
            if (std::int32_t n = 0; integerValue(a, n))
                slot.setInt(n);
            else
                slot.assignFrom(eval(a));
        }
    } else {
        bindOutside(frame, p, outside);
    }
    frame.caller = top_;
    top_ = &frame;
    ++depth_;
    struct Pop {
        Interpreter& in;
        [[gnu::always_inline]] ~Pop() {
            in.top_ = in.top_->caller;
            --in.depth_;
        }
    } pop{*this};
    branch(p.body);
    if (!p.isFunction) return {};
    Value& result = own[0];
    if (result.isInteger()) return Value(result.asInt()); // left behind: clearing it is cheap
    return std::move(result);
}

} // namespace vorlan::script::basic
