// The module dispatch of every dialect keeps to one lifetime: one object while the module is
// open, cut off once it closes, and a module closed from inside one of its own calls finishes
// that call.
#include "core/cp1250.h"
#include "script/basic/basic_runner.h"
#include "script/builtins.h"
#include "script/js/js_runner.h"
#include "script/pascal/pascal_runner.h"
#include "script/registry.h"
#include "script/scripter.h"

#include <gtest/gtest.h>

using namespace vorlan;
using namespace vorlan::script;

namespace {

Scripter* current = nullptr;

struct Dialect {
    const char* language;
    std::vector<std::string> script;
};

const Dialect kDialects[] = {
    {"VBScript",
     {"Function Twice(x) : Twice = x * 2 : End Function",
      "Function CloseAndTwice(x) : CloseModuleNow : CloseAndTwice = x * 2 : End Function"}},
    {"JavaScript",
     {"function Twice(x) { return x * 2; }",
      "function CloseAndTwice(x) { CloseModuleNow(); return x * 2; }"}},
    {"ZelmoranScript",
     {"function Twice(x: Integer): Integer; begin Result := x * 2 end;",
      "function CloseAndTwice(x: Integer): Integer; begin CloseModuleNow; Result := x * 2 end;",
      "begin end."}},
};

void PrintTo(const Dialect& dialect, std::ostream* out) {
    *out << dialect.language;
}

class ModuleLifetime : public ::testing::TestWithParam<Dialect> {
protected:
    static void SetUpTestSuite() {
        Registry& reg = registry();
        if (!reg.findClass("TComponent")) {
            registerEngineBuiltins(reg);
            registerScriptRunners(reg);
        }
        basic::registerVbScriptRunner(reg);
        js::registerJavaScriptRunner(reg);
        pascal::registerPascalRunner(reg);
        reg.registerProc("CloseModuleNow", "procedure",
                         [](NativeObject*, std::span<Value>, Value&) {
                             if (current && current->runner()) current->runner()->closeModule();
                         });
    }
    void SetUp() override {
        scripter.language = GetParam().language;
        scripter.script = GetParam().script;
        scripter.onError = [this](Scripter&, const ExceptionInfo& info, int, int, bool& go) {
            errors.push_back(info.description);
            go = false;
        };
        current = &scripter;
        scripter.callByName({}); // loads the module
        ASSERT_NE(scripter.runner(), nullptr);
    }
    void TearDown() override { current = nullptr; }

    Scripter scripter;
    std::vector<std::string> errors;
};

TEST_P(ModuleLifetime, OneDispatchWhileOpenAndNoneOnceClosed) {
    ScriptRunner& runner = *scripter.runner();
    const ObjectRef module = runner.moduleDispatch();
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(runner.moduleDispatch(), module);

    const DispId id = module->idOfName("twice");
    ASSERT_NE(id, kUnknownDispId);
    Value args[] = {Value(21)};
    Value result;
    ExceptionInfo error;
    EXPECT_EQ(module->invoke(id, InvokeMethod, args, result, error), DispStatus::Ok);
    EXPECT_EQ(result.toInt(), 42);

    runner.closeModule();
    EXPECT_EQ(runner.moduleDispatch(), nullptr);
    EXPECT_TRUE(scripter.callByName("Twice", args).isEmpty());
    // Whoever kept the dispatch hears that the module is gone rather than reaching it.
    EXPECT_EQ(module->invoke(id, InvokeMethod, args, result, error), DispStatus::Exception);
    EXPECT_EQ(error.description, czech("Modul už byl zavřen"));
    EXPECT_EQ(module->idOfName("Twice"), kUnknownDispId);
    EXPECT_TRUE(errors.empty()) << errors.front();
}

TEST_P(ModuleLifetime, AModuleClosedByItsOwnCallFinishesThatCall) {
    const ObjectRef module = scripter.runner()->moduleDispatch();
    ASSERT_NE(module, nullptr);
    const DispId id = module->idOfName("CloseAndTwice");
    ASSERT_NE(id, kUnknownDispId);
    Value args[] = {Value(4)};
    Value result;
    ExceptionInfo error;
    EXPECT_EQ(module->invoke(id, InvokeMethod, args, result, error), DispStatus::Ok);
    EXPECT_EQ(result.toInt(), 8);
    EXPECT_EQ(scripter.runner()->moduleDispatch(), nullptr);
    EXPECT_TRUE(errors.empty()) << errors.front();
}

INSTANTIATE_TEST_SUITE_P(Dialects, ModuleLifetime, ::testing::ValuesIn(kDialects),
                         [](const auto& test) { return std::string(test.param.language); });

} // namespace
