#pragma once
// Runs Basic-dialect scripts through a Scripter and collects what they print through a registered
// output procedure, with every error reported and the run going on.
#include "script/basic/basic_runner.h"
#include "script/builtins.h"
#include "script/registry.h"
#include "script/scripter.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace vorlan::script::testing {

using Lines = std::vector<std::string>;

class BasicScriptTest : public ::testing::Test {
protected:
    static Lines& printed() {
        static Lines lines;
        return lines;
    }
    // Registers the engine and the Basic runner (once per process) and `out` as the procedure
    // whose argument becomes a printed line.
    static void registerRuntime(const char* out) {
        Registry& reg = registry();
        if (!reg.findClass("TComponent")) {
            registerEngineBuiltins(reg);
            registerScriptRunners(reg);
        }
        basic::registerVbScriptRunner(reg);
        reg.registerProc(out, "procedure(Text: Variant)",
                         [](NativeObject*, std::span<Value> a, Value&) {
                             printed().push_back(a[0].isNull() ? "Null" : a[0].toString());
                         });
    }
    void SetUp() override { printed().clear(); }

    std::unique_ptr<Scripter> scripter(Lines lines) {
        auto s = std::make_unique<Scripter>();
        s->language = "VBScript";
        s->script = std::move(lines);
        s->onError = [this](Scripter&, const ExceptionInfo& info, int, int line, bool& go) {
            errors.push_back(info.description + " @" + std::to_string(line));
            go = true;
        };
        return s;
    }
    Lines run(Lines lines) {
        scripter(std::move(lines))->run();
        return printed();
    }
    Lines errors;
};

} // namespace vorlan::script::testing
