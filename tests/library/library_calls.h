#pragma once
// Calls into a registry filled by registerLibrary the way a script's call reaches it: the name
// resolved through the global scope, then invoked with argument values.

#include "library/library.h"
#include "script/registry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vorlan::library::testing {

using script::DispStatus;
using script::Value;

class LibraryCalls {
public:
    LibraryCalls() { registerLibrary(registry_); }
    script::Registry& registry() { return registry_; }

    // Expects success; `args` receive what `var` parameters hand back.
    Value call(std::string_view name, std::vector<Value>& args) {
        Value result;
        script::ExceptionInfo error;
        EXPECT_EQ(invoke(name, args, result, error), DispStatus::Ok)
            << name << ": " << error.description;
        return result;
    }
    Value call(std::string_view name, std::vector<Value>&& args = {}) { return call(name, args); }

    // Expects a run-time error and gives its text.
    std::string error(std::string_view name, std::vector<Value> args = {}) {
        Value result;
        script::ExceptionInfo error;
        EXPECT_EQ(invoke(name, args, result, error), DispStatus::Exception)
            << name << " did not fail";
        EXPECT_FALSE(error.description.empty());
        return error.description;
    }

    double number(std::string_view name, std::vector<Value> args = {}) {
        return call(name, args).toDouble();
    }
    std::int32_t integer(std::string_view name, std::vector<Value> args = {}) {
        return call(name, args).toInt();
    }
    std::string text(std::string_view name, std::vector<Value> args = {}) {
        return call(name, args).toString();
    }
    bool boolean(std::string_view name, std::vector<Value> args = {}) {
        return call(name, args).toBool();
    }

private:
    DispStatus invoke(std::string_view name, std::vector<Value>& args, Value& result,
                      script::ExceptionInfo& error) {
        script::ObjectRef scope = registry_.globalScope();
        const script::DispId id = scope->idOfName(name);
        if (id == script::kUnknownDispId) return DispStatus::UnknownName;
        return scope->invoke(id, script::InvokeMethod | script::InvokeGet, args, result, error);
    }

    script::Registry registry_;
};

} // namespace vorlan::library::testing
