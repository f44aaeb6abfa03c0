#include "script/basic/basic_interp.h"

#include "core/cp1250.h"
#include "script/basic/basic_frame.h"

#include <algorithm>

namespace vorlan::script::basic {

void Interpreter::resolve(Expr& e, bool forWrite) {
    if (e.nameKind != NameKind::Unresolved) return;
    lookUp(e, forWrite);
    if (e.nameKind == NameKind::Global) e.global = &globals_[static_cast<std::size_t>(e.slot)];
    if (e.hasParens) return;
    switch (e.nameKind) {
    case NameKind::Local:
        e.leaf = Leaf::Local;
        break;
    case NameKind::Global:
        e.leaf = Leaf::Global;
        e.fixed = e.global;
        break;
    case NameKind::Field:
        e.leaf = Leaf::Field;
        break;
    default:
        break;
    }
}

void Interpreter::lookUp(Expr& e, bool forWrite) {
    Frame* frame = top_;
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
            const MethodInfo* proc = registry().findProc(e.name);
            if (proc && proc->direct && !proc->signature.variadic) e.direct = proc;
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
        info.slotCount = std::max(info.slotCount, info.slots.size());
        e.nameKind = NameKind::Local;
    } else {
        e.slot = static_cast<int>(globals_.size());
        globalIndex_.emplace(e.name, e.slot);
        globals_.emplace_back();
        e.nameKind = NameKind::Global;
    }
}

Value* Interpreter::variableOf(Expr& e, bool create) {
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
    if (e.nameKind == NameKind::Global) return e.global;
    if (e.nameKind == NameKind::Field) {
        ScriptObject* self = top_ ? top_->self : nullptr;
        if (!self) raise(424);
        return &self->fields[static_cast<std::size_t>(e.slot)];
    }
    if (e.nameKind == NameKind::Local) {
        if (!top_) raise(424);
        return top_->slot(static_cast<std::size_t>(e.slot));
    }
    return nullptr;
}

void Interpreter::evalArgs(Expr& e, CallArgs& args) {
    for (auto& a : e.args) {
        args.emplace([&] { return eval(*a); }, nullptr);
        // The variable is found after the value: evaluating it is what resolves the name.
        if (isVariableExpr(*a)) args.setRef(args.size() - 1, variable(*a, false));
    }
}

void Interpreter::writeBack(CallArgs& args) {
    const std::size_t n = args.size();
    for (std::size_t i = 0; i < n; ++i)
        if (Value* ref = args.ref(i); ref && !ref->identical(args[i])) *ref = args[i];
}

} // namespace vorlan::script::basic
