// Calls in the Basic dialect: every activation of a procedure has its own locals however the
// calls nest and end, ByRef arguments reach the right activation, registered routines get and
// hand back their arguments, and integer arithmetic keeps the variant rules at its limits.
#include "basic_script_fixture.h"

using namespace vorlan;
using namespace vorlan::script;
using namespace vorlan::script::testing;

namespace {

class BasicCallsTest : public BasicScriptTest {
protected:
    void SetUp() override {
        static const bool done = [] {
            registerRuntime("CallsOut");
            // Eight arguments, the first and the last handed back.
            registry().registerProc("CallsBump",
                                    "procedure(var A: Integer; B: Integer; C: Integer; D: Integer; "
                                    "E: Integer; F: Integer; G: Integer; var H: Integer)",
                                    [](NativeObject*, std::span<Value> a, Value&) {
                                        std::int32_t sum = a[0].toInt();
                                        for (std::size_t i = 1; i < 7; ++i)
                                            sum += a[i].toInt();
                                        a[0] = Value(sum);
                                        a[7] = Value(-sum);
                                    });
            return true;
        }();
        (void)done;
        BasicScriptTest::SetUp();
    }
};

TEST_F(BasicCallsTest, RecursionKeepsEachActivationsLocalsAndByRefTargets) {
    // Each level passes its own local ByRef to the next one down, which adds to it.
    EXPECT_EQ(run({"Sub Walk(n, acc)", "  Dim mine, label", "  mine = n : label = \"L\" & n",
                   "  If n > 0 Then Walk n - 1, mine", "  acc = acc + mine",
                   "  CallsOut label & \"=\" & mine", "End Sub", "Function Odd(n)",
                   "  Dim tag : tag = \"o\"",
                   "  If n = 0 Then Odd = \".\" Else Odd = tag & Even(n - 1) & tag", "End Function",
                   "Function Even(n)", "  Dim tag : tag = \"e\"",
                   "  If n = 0 Then Even = \".\" Else Even = tag & Odd(n - 1)", "End Function",
                   "Dim total : total = 0", "Walk 3, total", "CallsOut total", "CallsOut Even(5)"}),
              (Lines{"L0=0", "L1=1", "L2=3", "L3=6", "6", "eoeoe.oo"}));
    EXPECT_TRUE(errors.empty());
}

TEST_F(BasicCallsTest, EveryCallStartsWithEmptyLocalsEvenOnesLearnedWhileRunning) {
    // `fresh` is not declared: it becomes a local the first time the innermost call meets it,
    // while the outer activations are already running.
    EXPECT_EQ(run({"Function Count()", "  Dim c", "  CallsOut IsEmpty(c)", "  c = 5", "  Count = c",
                   "End Function", "Sub Learn(n)", "  If n > 0 Then Learn n - 1",
                   "  fresh = fresh & n", "  CallsOut fresh", "End Sub", "CallsOut Count()",
                   "CallsOut Count()", "Learn 2", "Learn 1"}),
              (Lines{"True", "5", "True", "5", "0", "1", "2", "0", "1"}));
    EXPECT_TRUE(errors.empty());
}

TEST_F(BasicCallsTest, AnErrorDeepInRecursionUnwindsToTheResumingCaller) {
    EXPECT_EQ(
        run({"Function Dive(n)", "  Dim keep : keep = n * 10", "  If n = 0 Then x = 1 / 0",
             "  Dive = Dive(n - 1) + keep", "End Function", "Function Sum(n)",
             "  If n = 0 Then Sum = 0 Else Sum = n + Sum(n - 1)", "End Function", "Sub Guard(n)",
             "  On Error Resume Next", "  Dim mine : mine = \"g\" & n", "  Dim r : r = Dive(n)",
             "  CallsOut mine & \" \" & Err.Number & \" \" & IsEmpty(r)", "End Sub", "Guard 3",
             "CallsOut Sum(100)", "Guard 2"}),
        (Lines{"g3 11 True", "5050", "g2 11 True"}));
    EXPECT_TRUE(errors.empty());
}

TEST_F(BasicCallsTest, TooDeepRecursionStopsWithAnErrorAndTheInterpreterGoesOn) {
    EXPECT_EQ(run({"Function Down(n)", "  Down = Down(n + 1)", "End Function", "Function Sum(n)",
                   "  If n = 0 Then Sum = 0 Else Sum = n + Sum(n - 1)", "End Function",
                   "On Error Resume Next", "x = Down(0)", "CallsOut Err.Number", "Err.Clear",
                   "CallsOut Sum(150)"}),
              (Lines{"28", "11325"}));
}

TEST_F(BasicCallsTest, RegisteredRoutinesTakeManyArgumentsAndHandBackVarOnes) {
    EXPECT_EQ(
        run({"Dim x, y : x = 10 : y = 0", "CallsBump x, 1, 2, 3, 4, 5, 6, y",
             "CallsOut x & \",\" & y", "Sub Inner()", "  Dim a, b : a = 1 : b = 1",
             "  CallsBump a, b, b, b, b, b, b, b", "  CallsOut a & \",\" & b", "End Sub", "Inner"}),
        (Lines{"31,-31", "7,-7"}));
    EXPECT_TRUE(errors.empty());
}

TEST_F(BasicCallsTest, IntegerArithmeticKeepsTheVariantRulesAtItsLimits) {
    EXPECT_EQ(
        run({"On Error Resume Next", "Dim i, big : big = 2147483647",
             "CallsOut big + 1 & \" \" & TypeName(big + 1)",
             "CallsOut -big - 2 & \" \" & 65536 * 65536", "CallsOut -7 Mod 3 & \" \" & -7 \\ 2",
             "x = 7 \\ 0 : CallsOut Err.Number : Err.Clear",
             "x = 7 Mod 0 : CallsOut Err.Number : Err.Clear",
             "CallsOut (3 < 4) & (4 <= 3) & (2 = 2.0) & (1 < \"a\") & (\"10\" > 9)",
             "For i = 2147483640 To 2147483647 Step 5 : CallsOut i : Next",
             "CallsOut i & \" \" & TypeName(i)", "For i = 3 To 1 Step -1 : CallsOut i : Next",
             "CallsOut i", "For i = 1 To 2 Step 0.5 : CallsOut i : Next"}),
        (Lines{"2147483648 Double", "-2147483649 4294967296", "-1 -3", "11", "11",
               "TrueFalseTrueTrueTrue", "2147483640", "2147483645", "2147483650 Double", "3", "2",
               "1", "0", "1", "1.5", "2"}));
    EXPECT_TRUE(errors.empty());
}

TEST_F(BasicCallsTest, ArrayElementsByIndexKeepTheirBoundsAndConversions) {
    EXPECT_EQ(
        run({"On Error Resume Next", "Dim a(3), m(1, 2)", "a(3) = \"x\" : a(2) = \"two\"",
             "CallsOut a(3) & a(1.5) & a(\"2\")", "a(4) = 1 : CallsOut Err.Number : Err.Clear",
             "y = a(-1) : CallsOut Err.Number : Err.Clear",
             "y = a(\"q\") : CallsOut Err.Number : Err.Clear",
             "m(1, 2) = 5 : CallsOut m(1, 2) : y = m(1) : CallsOut Err.Number",
             "Dim b : b = a : b(3) = \"y\" : CallsOut a(3) & b(3)"}),
        (Lines{"xtwotwo", "9", "9", "13", "5", "9", "xy"}));
}

} // namespace
