#pragma once
// The routines of a compiled module as the system calls them by name: the scripter, the events
// of the module form and other modules.
//
// Every dialect's module keeps to the same lifetime. The runner makes its module dispatch once,
// with itself, and hands out that one object while the module is open (null before a module
// exists and once it is closed). Closing the module, or the runner going, cuts the dispatch off:
// whoever still holds it gets the error moduleClosed() gives instead of reaching an engine that
// is gone. A call in progress keeps its engine alive until it returns.

#include "script/dispatch.h"
#include "script/registry.h"

#include <concepts>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vorlan::script {

// What a call to a closed module answers.
DispStatus moduleClosed(ExceptionInfo& error);

// An engine whose global routines can be found by name and called.
template <class E>
concept ModuleEngine = requires(E& engine, std::string_view name, const std::string& exact,
                                std::span<Value> args) {
    // The exact name to call `name` by; empty when the module has no such routine.
    { engine.findFunction(name) } -> std::convertible_to<std::string>;
    { engine.callFunction(exact, args) } -> std::same_as<Value>;
};

// The module dispatch of a dialect whose runner shares its engine out. (Checked where it is
// made, so that a runner's header can name it before the engine's class is complete.)
template <class Engine> class ModuleDispatch : public Dispatch {
public:
    explicit ModuleDispatch(std::string className) : className_(std::move(className)) {
        static_assert(ModuleEngine<Engine>);
    }

    // Serves the routines of `engine` from now on; names resolved before are forgotten.
    void attach(std::weak_ptr<Engine> engine) {
        engine_ = std::move(engine);
        names_.clear();
        ids_.clear();
    }
    void close() { attach({}); }

    DispId idOfName(std::string_view name) override {
        if (auto it = ids_.find(name); it != ids_.end()) return it->second;
        auto engine = engine_.lock();
        if (!engine) return kUnknownDispId;
        std::string exact = engine->findFunction(name);
        if (exact.empty()) return kUnknownDispId;
        names_.push_back(std::move(exact));
        const auto id = static_cast<DispId>(names_.size() - 1);
        ids_.emplace(std::string(name), id);
        return id;
    }

    DispStatus invoke(DispId id, unsigned, std::span<Value> args, Value& result,
                      ExceptionInfo& error) override {
        result = Value();
        auto engine = engine_.lock();
        if (!engine) return moduleClosed(error);
        if (id < 0 || static_cast<std::size_t>(id) >= names_.size()) return DispStatus::UnknownName;
        // A copy: the call may close the module, which forgets the names.
        const std::string name = names_[static_cast<std::size_t>(id)];
        result = engine->callFunction(name, args);
        return DispStatus::Ok;
    }

    std::string dispatchClassName() const override { return className_; }

private:
    std::string className_;
    std::weak_ptr<Engine> engine_;
    std::vector<std::string> names_; // as the script spells them
    std::map<std::string, DispId, NoCaseLess> ids_;
};

} // namespace vorlan::script
