#pragma once
// Calls into the process-wide registry filled with the engine's built-ins, the built-in library
// and the standard units, the way a script's call reaches a routine: by name through the global
// scope. The format settings start from their defaults in every test.

#include "script/registry.h"
#include "script/value.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace vorlan::stdlib::testing {

using script::Value;

// Registers everything once for the test program.
void registerUnitsOnce();

class StdlibTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Expects success; `args` receive what `var` parameters hand back.
    Value call(std::string_view name, std::vector<Value>& args);
    Value call(std::string_view name, std::vector<Value>&& args = {}) { return call(name, args); }
    std::string text(std::string_view name, std::vector<Value> args = {}) {
        return call(name, args).toString();
    }
    // Expects the call to fail and gives "<exception class>: <message>".
    std::string failure(std::string_view name, std::vector<Value> args = {});
    // A Pascal open-array literal: the elements and the one the compiler adds.
    static Value pascalArray(std::vector<Value> items);
    static Value array(std::vector<Value> items);
};

// An Integer argument (a bare literal would be taken for another type).
inline script::Value i32(std::int32_t n) {
    return script::Value(n);
}

} // namespace vorlan::stdlib::testing
