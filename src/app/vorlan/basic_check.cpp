#include "app/vorlan/basic_check.h"

#include "core/cp1250.h"
#include "script/basic/basic_ast.h"
#include "script/basic/basic_interp.h"
#include "script/registry.h"

#include <map>
#include <optional>

namespace vorlan::app {

namespace {

using namespace script::basic;

struct Owner {
    std::vector<std::string> path;
    bool isClass = false;
};

class BasicScan {
public:
    BasicScan(const Module& module, const std::function<bool(std::string_view)>& outside)
        : module_(module), outside_(outside) {}

    BasicModuleNames run() {
        for (const auto& p : module_.procedures)
            procedures_.insert(upperCase(p->name));
        for (const auto& c : module_.classes)
            classes_.insert(upperCase(c->name));
        // The module's variables first, then each routine's own: a routine assigning to a module
        // variable writes that one.
        collect(module_.body, nullptr);
        for (const auto& p : module_.procedures)
            collect(p->body, p.get());
        for (const auto& c : module_.classes)
            for (const auto& m : c->methods)
                collect(m->body, m.get());

        for (const auto& s : module_.body)
            statement(*s, nullptr);
        for (const auto& p : module_.procedures)
            for (const auto& s : p->body)
                statement(*s, p.get());
        for (const auto& c : module_.classes)
            for (const auto& m : c->methods)
                for (const auto& s : m->body)
                    statement(*s, m.get());
        out_.declared = procedures_;
        out_.declared.insert(globals_.begin(), globals_.end());
        return std::move(out_);
    }

private:
    // ---- what the module declares or assigns

    std::set<std::string>& scopeOf(const Procedure* proc) {
        return proc ? locals_[proc] : globals_;
    }

    void declareName(const std::string& name, const Procedure* proc) {
        const std::string key = upperCase(name);
        if (proc && globals_.count(key)) return;
        scopeOf(proc).insert(key);
    }

    void collect(const Block& block, const Procedure* proc) {
        if (proc && !locals_.count(proc)) {
            auto& locals = locals_[proc];
            for (const auto& l : proc->locals)
                locals.insert(upperCase(l));
            if (proc->ownerClass >= 0) {
                const ClassDef& c = *module_.classes[static_cast<std::size_t>(proc->ownerClass)];
                for (const auto& f : c.fields)
                    locals.insert(upperCase(f.name));
                for (const auto& m : c.methods)
                    locals.insert(upperCase(m->name));
            }
        }
        for (const auto& s : block) {
            for (const auto& d : s->dims)
                declareName(d.name, proc);
            if ((s->kind == StmtKind::Assign || s->kind == StmtKind::Set ||
                 s->kind == StmtKind::For || s->kind == StmtKind::ForEach) &&
                s->target && s->target->kind == ExprKind::Name)
                declareName(s->target->name, proc);
            if (s->kind == StmtKind::Set && s->target && s->target->kind == ExprKind::Name)
                inferClass(*s, proc);
            collect(s->body, proc);
            collect(s->elseBody, proc);
            for (const auto& branch : s->elseIfs)
                collect(branch.second, proc);
            for (const auto& clause : s->cases)
                collect(clause.body, proc);
        }
    }

    std::string variableKey(const std::string& name, const Procedure* proc) {
        const std::string key = upperCase(name);
        if (proc && locals_[proc].count(key))
            return std::to_string(reinterpret_cast<std::uintptr_t>(proc)) + "|" + key;
        return "|" + key;
    }

    // `Set v = TClass.Create(...)` gives v that class, as long as every Set of v agrees.
    void inferClass(const Stmt& s, const Procedure* proc) {
        const std::string key = variableKey(s.target->name, proc);
        std::string cls;
        const Expr& e = *s.expr;
        if (e.kind == ExprKind::Nothing) return;
        if (e.kind == ExprKind::Member && equalsNoCase(e.name, "Create") && e.left &&
            e.left->kind == ExprKind::Name && !isDeclared(e.left->name, proc))
            if (const auto* info = script::registry().findClass(e.left->name)) cls = info->name;
        auto [it, fresh] = classOf_.emplace(key, cls);
        if (!fresh && !equalsNoCase(it->second, cls)) it->second.clear();
    }

    bool isDeclared(const std::string& name, const Procedure* proc) {
        const std::string key = upperCase(name);
        return (proc && locals_[proc].count(key)) || globals_.count(key) ||
               procedures_.count(key) || equalsNoCase(name, "Err");
    }

    bool isDialectName(const std::string& name) {
        static const char* const textRunners[] = {"Eval", "Execute", "ExecuteGlobal", "GetRef"};
        for (const char* n : textRunners)
            if (equalsNoCase(n, name)) return true;
        return findBuiltin(name) >= 0 || findBuiltinConst(name) != nullptr;
    }

    // ---- uses

    void statement(const Stmt& s, const Procedure* proc) {
        switch (s.kind) {
        case StmtKind::Assign:
        case StmtKind::Set:
        case StmtKind::For:
        case StmtKind::ForEach:
            if (s.target) {
                if (s.target->kind == ExprKind::Name)
                    arguments(*s.target, proc);
                else
                    expression(*s.target, proc, false);
            }
            break;
        case StmtKind::Call:
            if (s.target) expression(*s.target, proc, true);
            break;
        default:
            break;
        }
        for (const auto& d : s.dims)
            for (const auto& b : d.bounds)
                if (b) expression(*b, proc, false);
        for (const Expr* e : {s.expr.get(), s.limit.get(), s.step.get()})
            if (e) expression(*e, proc, false);
        if (s.kind == StmtKind::With)
            withs_.push_back(s.expr ? owner(*s.expr, proc) : std::nullopt);
        for (const auto& b : s.body)
            statement(*b, proc);
        if (s.kind == StmtKind::With) withs_.pop_back();
        for (const auto& [cond, body] : s.elseIfs) {
            expression(*cond, proc, false);
            for (const auto& b : body)
                statement(*b, proc);
        }
        for (const auto& b : s.elseBody)
            statement(*b, proc);
        for (const auto& clause : s.cases) {
            for (const auto& item : clause.items)
                for (const Expr* e : {item.low.get(), item.high.get()})
                    if (e) expression(*e, proc, false);
            for (const auto& b : clause.body)
                statement(*b, proc);
        }
    }

    void arguments(const Expr& e, const Procedure* proc) {
        for (const auto& a : e.args)
            if (a) expression(*a, proc, false);
    }

    void expression(const Expr& e, const Procedure* proc, bool called) {
        switch (e.kind) {
        case ExprKind::Name: {
            if (!isDeclared(e.name, proc) && !isDialectName(e.name) && !outside_(e.name)) {
                const NameAt at{e.name, e.line + 1, e.column + 1};
                if (called || e.hasParens || !e.args.empty() || module_.optionExplicit)
                    out_.missing.push_back(at);
                else
                    out_.unchecked.push_back(at);
            }
            break;
        }
        case ExprKind::Member:
            if (e.left) {
                if (auto o = owner(*e.left, proc))
                    // The node stands at the dot; the finding points at the name after it.
                    out_.members.push_back({o->path, o->isClass, e.name, e.line + 1, e.column + 2});
                expression(*e.left, proc, false);
            }
            break;
        case ExprKind::New:
            if (!classes_.count(upperCase(e.name)))
                out_.missing.push_back({e.name, e.line + 1, e.column + 1});
            break;
        default:
            if (e.left) expression(*e.left, proc, false);
            if (e.right) expression(*e.right, proc, false);
            break;
        }
        arguments(e, proc);
    }

    // What a member is named on, when the check can tell.
    std::optional<Owner> owner(const Expr& e, const Procedure* proc) {
        switch (e.kind) {
        case ExprKind::Name:
            if (!e.args.empty() || e.hasParens) return std::nullopt;
            if (isDeclared(e.name, proc)) {
                auto it = classOf_.find(variableKey(e.name, proc));
                if (it == classOf_.end() || it->second.empty()) return std::nullopt;
                return Owner{{it->second}, true};
            }
            return Owner{{e.name}, false};
        case ExprKind::Member: {
            if (!e.left || !e.args.empty() || e.hasParens) return std::nullopt;
            auto base = owner(*e.left, proc);
            if (!base || base->isClass) return std::nullopt;
            base->path.push_back(e.name);
            return base;
        }
        case ExprKind::WithObject:
            return withs_.empty() ? std::nullopt : withs_.back();
        default:
            return std::nullopt;
        }
    }

    const Module& module_;
    const std::function<bool(std::string_view)>& outside_;
    std::set<std::string> procedures_, classes_, globals_;
    std::map<const Procedure*, std::set<std::string>> locals_;
    std::map<std::string, std::string> classOf_;
    std::vector<std::optional<Owner>> withs_;
    BasicModuleNames out_;
};

} // namespace

BasicModuleNames scanBasicModule(const Module& module,
                                 const std::function<bool(std::string_view)>& outside) {
    return BasicScan(module, outside).run();
}

} // namespace vorlan::app
