// The runner as the system uses it: calls into the module by name, the module form and its
// components, class references, failed calls, exceptions across routine calls, used modules.
#include "pascal_fixture.h"

#include "core/cp1250.h"
#include "script/comp_wrapper.h"
#include "script/component.h"
#include "script/pascal/pascal_runner.h"
#include "script/registry.h"

#include <filesystem>
#include <fstream>

using namespace vorlan;
using namespace vorlan::testing;
using namespace vorlan::script;

namespace {

class Runner : public PascalTest {
protected:
    static void SetUpTestSuite() {
        registry().registerProc("Boom", "procedure(Why: string)",
                                [](NativeObject*, std::span<Value> a, Value&) {
                                    throw ScriptException(a[0].asString(), "Boomer");
                                });
        registry().registerProc("AddTo", "procedure(var Total: Integer; Amount: Integer)",
                                [](NativeObject*, std::span<Value> a, Value&) {
                                    a[0] = Value(a[0].asInt() + a[1].asInt());
                                });
        static Value counter(0);
        registry().registerVar("GlobalCounter", &counter, DeclaredType::Integer);
        registry().registerConst("TheAnswer", Value(42));
    }
    pascal::PascalRunner* runnerOf(Scripter& s) {
        return dynamic_cast<pascal::PascalRunner*>(s.runner());
    }
};

TEST_F(Runner, SystemCallsRoutinesByNameWithVarWriteBackAndResult) {
    auto s = scripter(
        {"var calls: Integer;",
         "function Mul(a, b: Integer): Integer; begin calls := calls + 1; Result := a * b end;",
         "procedure Fill(var text: string; n: Integer); begin text := Copy('xxxxxx', 1, n); n := 0 "
         "end;",
         "function CallCount: Integer; begin Result := calls end;", "begin calls := 100 end."});
    Value args[2] = {Value(6), Value(7)};
    EXPECT_EQ(s->callByName("mul", args).toInt(), 42);
    Value fill[2] = {Value("old"), Value(3)};
    EXPECT_TRUE(s->callByName("Fill", fill).isEmpty());
    EXPECT_EQ(fill[0].asString(), "xxx");
    EXPECT_EQ(fill[1].asInt(), 3); // by value: the caller's argument stays
    EXPECT_EQ(s->callByName("CallCount").toInt(), 101);
    EXPECT_TRUE(s->callByName("NoSuchRoutine").isEmpty());
    EXPECT_TRUE(errors.empty());

    auto* runner = runnerOf(*s);
    ASSERT_NE(runner, nullptr);
    EXPECT_EQ(runner->selfName(), "self");
    const auto routines = runner->listRoutines();
    ASSERT_EQ(routines.size(), 3u);
    EXPECT_EQ(routines[0].name, "Mul");
    EXPECT_TRUE(routines[0].hasResult);
    EXPECT_FALSE(routines[1].hasResult);
    // Other modules see the routines and the main-level variables.
    ObjectRef module = runner->moduleDispatch();
    Value result;
    ExceptionInfo error;
    EXPECT_EQ(invokeByName(*module, "CALLS", InvokeGet, {}, result, error), DispStatus::Ok);
    EXPECT_EQ(result.toInt(), 101);
    Value put[1] = {Value(5)};
    EXPECT_EQ(invokeByName(*module, "calls", InvokePut, put, result, error), DispStatus::Ok);
    EXPECT_EQ(s->callByName("CallCount").toInt(), 5);
}

TEST_F(Runner, MainRunsAfterTheMainBodyAndUsesListsAreCollected) {
    auto s = scripter({"program Demo;", "uses First, Second;", "uses first, Third;",
                       "procedure main; begin TestOut('main') end;", "begin TestOut('body') end."});
    s->onGetUnitFileName = [](const std::string&) { return std::string("/nonexistent/unit.zlm"); };
    s->run();
    EXPECT_EQ(output(), (std::vector<std::string>{"body", "main"}));
    EXPECT_EQ(runnerOf(*s)->usedUnits(), (std::vector<std::string>{"First", "Second", "Third"}));
}

TEST_F(Runner, ModuleFormComponentsResolveWithoutQualification) {
    auto form = std::make_unique<Component>("TForm1", "Form1");
    form->setPublished("Tag", Value(1));
    auto* button = form->adopt(std::make_unique<Component>("TButton", "Button1"));
    button->setPublished("Caption", Value("old"));
    button->bindEvent("OnClick", "Button1Click");
    auto s =
        scripter({"type TForm1 = class(TForm)", "    Button1: TButton;",
                  "    procedure Button1Click(Sender: TObject);", "  private",
                  "    FCount: Integer;", "    property Count: Integer read FCount write FCount;",
                  "  end;", "procedure TForm1.Button1Click(Sender: TObject);",
                  "begin TestOut('clicked ' + Sender.Name); Tag := Tag + 1 end;", "begin",
                  "  Button1.Caption := 'new'; TestOut(Button1.Caption);",
                  "  TestOut(self.Name); TestOut(Form1.Button1.Name); TestOut(Tag);",
                  "  Tag := 10; self.Tag := self.Tag + 1;", "end."});
    s->setModule(form.get());
    s->run();
    EXPECT_TRUE(errors.empty()) << (errors.empty() ? "" : cp1250ToUtf8(errors[0].description));
    EXPECT_EQ(joined(output()), "new Form1 Button1 1");
    Value tag;
    ASSERT_TRUE(form->getPublished("Tag", tag));
    EXPECT_EQ(tag.toInt(), 11);
    button->fireNotify("OnClick");
    EXPECT_EQ(output().back(), "clicked Button1");
    form->getPublished("Tag", tag);
    EXPECT_EQ(tag.toInt(), 12);
    Value viaAlias = s->callByName("TForm1.Button1Click");
    EXPECT_TRUE(viaAlias.isEmpty());
    s.reset();
}

TEST_F(Runner, ClassReferencesCreateObjects) {
    EXPECT_EQ(runText({"var c, d: TComponent;", "begin",
                       "  c := TComponent.Create(nil); TestOut(c.ClassName); TestOut(c = nil); "
                       "TestOut(c <> nil);",
                       "  d := TComponent.Create(c); d.Name := 'Child'; TestOut(c.ComponentCount);",
                       "  TestOut(c.Components[0].Name); TestOut(TComponent(d).Owner = c);",
                       "  c.Free;", "end."}),
              "TComponent False True 1 Child True");
    EXPECT_TRUE(errors.empty());
}

TEST_F(Runner, RegisteredVariablesConstantsAndVarParameters) {
    EXPECT_EQ(
        runText(
            {"var t: Integer;", "const Answer = TheAnswer + 1;", "begin",
             "  GlobalCounter := 5; GlobalCounter := GlobalCounter * 2; TestOut(GlobalCounter);",
             "  TestOut(Answer); t := 1; AddTo(t, 41); TestOut(t);",
             "  TestOut(InSet(3, MkSet(1, 3, 5))); TestOut(chr(65));", "end."}),
        "10 43 42 True A");
}

TEST_F(Runner, FailedCallWithoutHandlerAsksAndOkResumes) {
    resume = true;
    EXPECT_EQ(runText({"begin", "  TestOut(1);", "  Boom('bad');", "  TestOut(2);", "  AddTo(1);",
                       "  TestOut(3)", "end."}),
              "1 2 3");
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0].source, "Boomer");
    EXPECT_EQ(errors[0].description, "bad");
    EXPECT_EQ(errors[0].line, 3);
    EXPECT_EQ(errors[0].position, 3);
    EXPECT_EQ(cp1250ToUtf8(errors[1].description), "Chybný počet parametrů");
    EXPECT_EQ(errors[1].line, 5);
}

TEST_F(Runner, FailedCallCancelEndsTheRun) {
    resume = false;
    auto s =
        scripter({"procedure main; begin TestOut(1); Boom('stop'); TestOut(2) end;", "begin end."});
    s->run();
    EXPECT_EQ(joined(output()), "1");
    EXPECT_EQ(errors.size(), 1u);
    // A later call runs again.
    s->callByName("main");
    EXPECT_EQ(joined(output()), "1 1");
}

TEST_F(Runner, FailedCallsUnderAHandlerAreCaught) {
    auto form = std::make_unique<Component>("TForm", "Form1");
    auto s = scripter({"begin", "  try Boom('inside') except TestOut('caught boom') end;",
                       "  try self.NoSuchMember := 1 except TestOut('caught member') end;",
                       "  try AddTo(1, 2, 3) except TestOut('caught count') end;", "end."});
    s->setModule(form.get());
    s->run();
    EXPECT_EQ(joined(output()), "caught boom caught member caught count");
    EXPECT_TRUE(errors.empty());
}

TEST_F(Runner, UnknownMembersAndRunTimeNamesReportTheirMessages) {
    auto form = std::make_unique<Component>("TForm", "Form1");
    resume = true;
    auto s = scripter({"uses Nothing;",
                       "procedure main; begin TestOut(self.Missing); Zork(1); TestOut('end') end;",
                       "begin end."});
    s->onGetUnitFileName = [](const std::string&) { return std::string("/nonexistent/unit.zlm"); };
    s->setModule(form.get());
    s->run();
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(cp1250ToUtf8(errors[0].description), "Neznámý identifikátor:");
    EXPECT_EQ(cp1250ToUtf8(errors[1].description), "Neznámý identifikátor: <Zork>");
    EXPECT_EQ(errors[1].line, 2);
    EXPECT_EQ(output().back(), "end");
}

TEST_F(Runner, ExceptionsUnwindRoutineCallsAndRecursion) {
    auto s = scripter({"function Dive(n: Integer): Integer;",
                       "begin if n = 0 then raise 'bottom'; Result := Dive(n - 1) + 1 end;",
                       "function Fact(n: Integer): Integer;",
                       "begin if n <= 1 then Result := 1 else Result := n * Fact(n - 1) end;",
                       "procedure Leaky; begin try exit except TestOut('stale handler') end end;",
                       "procedure Catcher; begin try Dive(3) except TestOut('caught in routine') "
                       "end; TestOut(Fact(5)) end;",
                       "begin", "  try Dive(20) except TestOut('caught') end;",
                       "  TestOut(Fact(6)); Catcher; Leaky;", "  raise 'after leaky';",
                       "  TestOut('not reached')", "end."});
    resume = true;
    s->run();
    EXPECT_EQ(joined(output()), "caught 720 caught in routine 120");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].description, "after leaky");
    EXPECT_EQ(errors[0].line, 10);
    EXPECT_EQ(runnerOf(*s)->program()->returnDepth(), 0u);
}

TEST_F(Runner, ReturnStackOverflowEndsTheRunWithAnError) {
    resume = true;
    auto s = scripter({"var n: Integer;", "procedure Deep; begin n := n + 1; Deep end;",
                       "begin Deep; TestOut('after') end."});
    s->run();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(cp1250ToUtf8(errors[0].description).find("1001"), std::string::npos);
    EXPECT_EQ(runnerOf(*s)->program()->returnDepth(), 0u);
    Value n;
    ExceptionInfo e;
    invokeByName(*runnerOf(*s)->moduleDispatch(), "n", InvokeGet, {}, n, e);
    EXPECT_EQ(n.toInt(), 1001);
    // A try does not catch it: the run ends.
    errors.clear();
    auto t = scripter(
        {"procedure Deep; begin Deep end;", "begin try Deep except TestOut('caught') end end."});
    t->run();
    EXPECT_EQ(errors.size(), 1u);
    EXPECT_TRUE(output().empty());
}

TEST_F(Runner, RunErrorsInsideExpressionsReportTheirPosition) {
    resume = true;
    EXPECT_EQ(runText({"var a, b: Integer;", "begin", "  b := 0;", "  a := 10 div b;",
                       "  TestOut('next')", "end."}),
              "");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].line, 4);
    EXPECT_EQ(errors[0].description, vorlan::czech("Dělení nulou"));
}

TEST_F(Runner, StepBudgetStopsEndlessLoops) {
    pascal::PascalRunner::setDefaultStepBudget(10000);
    auto s = scripter({"begin while True do ; end."});
    s->run();
    pascal::PascalRunner::setDefaultStepBudget(-1);
    EXPECT_TRUE(runnerOf(*s)->program()->budgetExhausted());
    EXPECT_TRUE(errors.empty());
}

TEST_F(Runner, UsedModulesAreCalledByName) {
    const auto dir = std::filesystem::temp_directory_path() / "vorlan_pascal_units";
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "HELPER.ZLM")
        << "unit Helper;\ninterface\nfunction Twice(x: Integer): Integer;\n"
           "implementation\nvar Kept: Integer;\n"
           "function Twice(x: Integer): Integer; begin Result := 2 * x end;\n"
           "initialization Kept := 42;\nend.\n";
    auto s = scripter(
        {"uses Helper;",
         "procedure main; begin TestOut(Twice(21)); TestOut(Kept); Kept := 1; TestOut(Kept) end;",
         "begin end."});
    s->onGetUnitFileName = [&](const std::string& unit) {
        return (dir / (upperCase(unit) + ".ZLM")).string();
    };
    s->run();
    std::filesystem::remove_all(dir);
    EXPECT_TRUE(errors.empty()) << (errors.empty() ? "" : cp1250ToUtf8(errors[0].description));
    EXPECT_EQ(joined(output()), "42 42 1");
}

TEST_F(Runner, ReentrantCallFromAnEventDuringARun) {
    // A registered routine that calls back into the module while the module is running.
    static Scripter* current = nullptr;
    registry().registerProc("CallBack", "function(N: Integer): Integer",
                            [](NativeObject*, std::span<Value> a, Value& r) {
                                Value arg[1] = {a[0]};
                                r = current->callByName("Inner", arg);
                            });
    auto s = scripter({"function Inner(n: Integer): Integer; begin if n > 0 then Result := "
                       "CallBack(n - 1) + n else Result := 0 end;",
                       "begin TestOut(CallBack(4)) end."});
    current = s.get();
    s->run();
    EXPECT_EQ(joined(output()), "10");
    EXPECT_TRUE(errors.empty());
}

} // namespace
