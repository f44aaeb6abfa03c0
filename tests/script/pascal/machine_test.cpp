// The machine on programs written word by word: the operations whose effect no compiled
// program shows plainly, failed calls and the answers to the error box.
#include "script/pascal/bin_prog.h"

#include "core/cp1250.h"
#include "script/pascal/compiler.h"

#include <gtest/gtest.h>

using namespace vorlan;
using namespace vorlan::script;
using namespace vorlan::script::pascal;

namespace {

// A scope with two names: Ok (answers 7) and Fail (a type mismatch).
class TestScope : public Dispatch {
public:
    DispId idOfName(std::string_view name) override {
        if (name == "Ok") return 0;
        if (name == "Fail") return 1;
        return kUnknownDispId;
    }
    DispStatus invoke(DispId id, unsigned, std::span<Value> args, Value& result,
                      ExceptionInfo&) override {
        ++calls;
        lastArgs.assign(args.begin(), args.end());
        if (id == 1) return DispStatus::TypeMismatch;
        result = Value(7);
        return DispStatus::Ok;
    }
    int calls = 0;
    std::vector<Value> lastArgs;
};

class TestHost : public MachineHost {
public:
    Dispatch& scope() override { return scopeObject; }
    bool runError(int line, int column, const ExceptionInfo& info) override {
        reports.push_back(cp1250ToUtf8(info.description) + "@" + std::to_string(line) + ":" +
                          std::to_string(column));
        return answer;
    }
    TestScope scopeObject;
    std::vector<std::string> reports;
    bool answer = true;
};

struct Program {
    BinProg prog;
    TestHost host;
    explicit Program(std::vector<Instruction> code, std::vector<Value> constants = {},
                     std::vector<int> labels = {}) {
        prog.code = std::move(code);
        prog.constants = std::move(constants);
        prog.labels = std::move(labels);
        prog.load({});
    }
    void run() { prog.runMain(host); }
};

Instruction op(int code, int a = 0, int b = 0, int line = 0) {
    return {a, b, code, line, 0};
}

TEST(Machine, ReturnWithEmptyStackEndsWithoutError) {
    Program p({op(OpLoadConst, 1, 0), op(OpReturn), op(OpLoadConst, 1, 1), op(OpEndProgram)},
              {Value(1), Value(2)});
    p.run();
    EXPECT_EQ(p.prog.slot(1).asInt(), 1);
    EXPECT_TRUE(p.host.reports.empty());
}

TEST(Machine, UnknownOperationIsARunError) {
    for (int code : {21, 22, 24, 25, 27, 28, 31, 47, 69}) {
        Program p({op(code, 0, 0, 3), op(OpEndProgram)});
        p.run();
        ASSERT_EQ(p.host.reports.size(), 1u) << code;
        EXPECT_EQ(p.host.reports[0], "Chybný operační kód@3:0");
    }
}

TEST(Machine, ArraysCharactersAndObjectComparison) {
    Program p({op(OpNewArray, 1, 2), op(OpLoadConst, 2, 0), op(OpSetElement, 2, 2),
               op(0, 1), // element 2 := "abc"
               op(OpLoadConst, 3, 1), op(OpLoadConst, 4, 0), op(OpCharAt, 3, 4), // "abc"[1]
               op(OpLoadConst, 5, 2), op(OpLoadConst, 6, 3), op(OpEqual, 5, 6),  // nil = 0
               op(OpLoadConst, 7, 2), op(OpLoadConst, 8, 1), op(OpEqual, 7, 8),  // nil = 1
               op(OpEndProgram)},
              {Value("abc"), Value(1), Value(ObjectRef()), Value(0)});
    p.run();
    ASSERT_TRUE(p.prog.slot(1).isArray());
    const VarArray& a = *p.prog.slot(1).asArray();
    EXPECT_EQ(a.size(), 3u);
    EXPECT_EQ(a.bound(0).low, 0);
    EXPECT_EQ(a.bound(0).high, 2);
    EXPECT_EQ(a.items()[2].asString(), "abc");
    EXPECT_EQ(p.prog.slot(3).asString(), "a");
    EXPECT_TRUE(p.prog.slot(5).asBool());
    EXPECT_FALSE(p.prog.slot(7).asBool());
}

TEST(Machine, ConditionsTestTheNegatedValue) {
    // Op 20 jumps when `not value` is true: Boolean False, empty, and integers other than -1.
    auto jumps = [](Value v) {
        Program p({op(OpJumpIfFalse, 1, 0), op(OpLoadConst, 2, 0), op(OpEndProgram)}, {Value(1)},
                  {2});
        p.prog.slot(1) = std::move(v);
        p.run();
        return p.prog.slot(2).isEmpty();
    };
    EXPECT_TRUE(jumps(Value(false)));
    EXPECT_FALSE(jumps(Value(true)));
    EXPECT_TRUE(jumps(Value()));
    EXPECT_TRUE(jumps(Value(1)));
    EXPECT_FALSE(jumps(Value(-1)));
}

TEST(Machine, CallOperandsSpanWordsAndLandInTheScope) {
    // Ok(s1, s2, s3, s4): the name and four arguments take two operand words.
    Program p(
        {op(OpCallName, 4, 9), {0, 1, 2, 0, 0}, {3, 4, 0, 0, 0}, op(OpPopObject), op(OpEndProgram)},
        {Value("Ok")});
    for (int i = 1; i <= 4; ++i)
        p.prog.slot(i) = Value(i * 10);
    p.run();
    ASSERT_EQ(p.host.scopeObject.lastArgs.size(), 4u);
    EXPECT_EQ(p.host.scopeObject.lastArgs[3].asInt(), 40);
    EXPECT_EQ(p.prog.slot(9).asInt(), 7);
}

TEST(Machine, FailedCallAnswerOkResumesAndCancelEnds) {
    // Label 1 jumps over the handler push straight into the "protected" call: no handler is
    // active, so the failure goes to the error box.
    const std::vector<Instruction> code = {
        op(OpJump, 1),         op(OpJump, 1),           // 0 (instead of the push), 1
        op(OpPopHandler),      op(OpCallName, 0, 5, 7), // 2 (protected), 3 (jumped to)
        {0, 0, 0, 0, 0},       op(OpPopObject),         // 4, 5
        op(OpLoadConst, 6, 1), op(OpEndProgram)};
    Program ok(code, {Value("Fail"), Value(1)}, {7, 3});
    ok.run();
    ASSERT_EQ(ok.host.reports.size(), 1u);
    EXPECT_EQ(ok.host.reports[0], "Nesouhlasný typ parametrů@7:0");
    EXPECT_EQ(ok.prog.slot(6).asInt(), 1);
    EXPECT_FALSE(ok.prog.stopped());

    Program cancel(code, {Value("Fail"), Value(1)}, {7, 3});
    cancel.host.answer = false;
    cancel.run();
    EXPECT_EQ(cancel.host.reports.size(), 1u);
    EXPECT_TRUE(cancel.prog.slot(6).isEmpty());
    EXPECT_TRUE(cancel.prog.stopped());
}

TEST(Machine, UnknownNameUsesTheRunnersOwnCode) {
    Program p({op(OpCallName, 0, 1, 2), {0, 0, 0, 0, 0}, op(OpPopObject), op(OpEndProgram)},
              {Value("Nobody")});
    p.run();
    ASSERT_EQ(p.host.reports.size(), 1u);
    EXPECT_EQ(p.host.reports[0], "Neznámý identifikátor: <Nobody>@2:0");
}

TEST(Machine, ReraiseWithoutHandlerReportsTheCurrentMessage) {
    Program p({op(OpPushHandler, 0), op(OpLoadConst, 1, 0), op(OpRaise, 1),
               op(OpEndProgram), // handler at 4
               op(OpRaise, -1), op(OpEndProgram)},
              {Value("first")}, {4});
    p.run();
    ASSERT_EQ(p.host.reports.size(), 1u);
    EXPECT_EQ(p.host.reports[0], "first@0:0");
    EXPECT_EQ(p.prog.exceptionMessage(), "first");
}

TEST(Machine, CallByLabelAndReturn) {
    Program p({op(OpCallLabel, 0), op(OpIncrement, 1), op(OpEndProgram), op(OpLoadConst, 1, 0),
               op(OpReturn)},
              {Value(41)}, {3});
    p.run();
    EXPECT_EQ(p.prog.slot(1).asInt(), 42);
    EXPECT_EQ(p.prog.returnDepth(), 0u);
}

TEST(Machine, StepBudgetEndsAnEndlessLoop) {
    Program p({op(OpIncrement, 1), op(OpJump, 0)}, {}, {0});
    p.prog.slot(1) = Value(0);
    p.prog.setStepBudget(1000);
    p.run();
    EXPECT_TRUE(p.prog.budgetExhausted());
    EXPECT_EQ(p.prog.slot(1).asInt(), 1000);
    EXPECT_TRUE(p.host.reports.empty());
}

TEST(Machine, ArithmeticKeepsVariantRules) {
    // Overflow widens to a double; string plus string concatenates; Boolean logic on Booleans.
    PascalCompiler compiler;
    auto prog =
        compiler.compile({"var a, b, c, d, e: Variant;",
                          "begin a := 2147483647; a := a + 1; b := 'x' + 'y'; c := True xor False;",
                          "d := 7 mod -2; e := -7 div 2 end."});
    TestHost host;
    prog->runMain(host);
    EXPECT_TRUE(prog->slot(0).isDouble());
    EXPECT_DOUBLE_EQ(prog->slot(0).asDouble(), 2147483648.0);
    EXPECT_EQ(prog->slot(1).asString(), "xy");
    EXPECT_TRUE(prog->slot(2).asBool());
    EXPECT_EQ(prog->slot(3).asInt(), 1);
    EXPECT_EQ(prog->slot(4).asInt(), -3);
}

} // namespace
