#include "script/pascal/compiler.h"

#include "script/pascal/compilation.h"
#include "script/pascal/messages.h"
#include "script/registry.h"

namespace vorlan::script::pascal {

CompileError::CompileError(std::string message, int line, int column)
    : std::runtime_error(msg::syntaxError(line + 1, column + 1, message)),
      message_(std::move(message)), line_(line), column_(column) {}

// ---- names from the registry

namespace {
UnknownNameObserver* installedObserver = nullptr;
} // namespace

void setUnknownNameObserver(UnknownNameObserver* observer) {
    installedObserver = observer;
}

UnknownNameObserver* unknownNameObserver() {
    return installedObserver;
}

NameResolver::Answer RegistryResolver::resolve(std::string_view name) {
    Registry& reg = registry();
    // The order of the registry's global scope: procedures, variables, constants, classes.
    if (const MethodInfo* m = reg.findProc(name))
        return {m->signature.isFunction ? Kind::Function : Kind::Procedure, {}, {}};
    if (reg.findVar(name)) return {Kind::Variable, std::string(kScopeObjectName), {}};
    if (const Value* c = reg.findConst(name)) {
        // Objects and arrays cannot sit in the constants table: they are fetched when needed.
        if (c->isObject() || c->isArray()) return {Kind::Function, {}, {}};
        return {Kind::Constant, {}, *c};
    }
    if (reg.findClass(name)) return {Kind::Class, {}, {}};
    return {};
}

bool RegistryResolver::isClass(std::string_view name) {
    return registry().findClass(name) != nullptr;
}

bool RegistryResolver::isComponentClass(std::string_view name) {
    return registry().isClassOrDescendant(name, "TComponent");
}

PascalCompiler::PascalCompiler(NameResolver* resolver) : resolver_(resolver) {
    if (!resolver_) {
        ownResolver_ = std::make_unique<RegistryResolver>();
        resolver_ = ownResolver_.get();
    }
}

PascalCompiler::~PascalCompiler() = default;

std::unique_ptr<BinProg> PascalCompiler::compile(const std::vector<std::string>& lines,
                                                 const ErrorHandler& onError) {
    detail::Failure failure;
    try {
        bool constantSlots = true;
        for (;;) {
            detail::Compilation c(*resolver_, lines, constantSlots);
            try {
                return c.run();
            } catch (const detail::Failure& f) {
                // Slots given to literals are a speed-up only: a module that needs them for its
                // variables is compiled again without.
                if (f.message == msg::tooManySlots() && constantSlots && c.usedConstantSlots()) {
                    constantSlots = false;
                    continue;
                }
                throw;
            }
        }
    } catch (const detail::Failure& f) {
        failure = f;
    }
    if (onError) {
        onError({failure.message, failure.line, failure.column});
        return nullptr;
    }
    throw CompileError(failure.message, failure.line, failure.column);
}

} // namespace vorlan::script::pascal
