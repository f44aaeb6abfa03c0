// Activations of Basic procedures and the interpreter's quick paths: every call has its own
// slots (arrays included) however deep the recursion, a ByRef argument lends the caller's
// variable for one call only, locals shadow module variables, the integer routines a node keeps
// give way when its operands change type, and errors stay with the activation that handles them.
#include "basic_script_fixture.h"

using namespace vorlan;
using namespace vorlan::script;
using namespace vorlan::script::testing;

namespace {

class BasicActivationTest : public BasicScriptTest {
protected:
    void SetUp() override {
        static const bool done = [] {
            registerRuntime("ActOut");
            return true;
        }();
        (void)done;
        BasicScriptTest::SetUp();
    }
};

TEST_F(BasicActivationTest, QuickIntegerPathsFollowTheValuesNotTheFirstTypesSeen) {
    // The same nodes first see integers, then doubles, numeric text and an overflowing integer.
    EXPECT_EQ(run({"Function Scale(x)", "  Scale = x * 2 + 1", "End Function", "Function Size(x)",
                   "  If x < 10 Then Size = \"s\" Else Size = \"b\"", "End Function",
                   "ActOut Scale(3) & \" \" & Scale(2.5) & \" \" & Scale(\"4\")",
                   "ActOut Scale(2147483647) & \" \" & TypeName(Scale(2147483647))",
                   "ActOut Size(3) & Size(12) & Size(9.5) & Size(10.5) & Size(-2147483648)",
                   "Dim v, k, s : v = 5", "For k = 1 To 4", "  s = s & (v + k) & \",\"",
                   "  If k = 2 Then v = 0.5", "  If k = 3 Then v = \"10\"", "Next", "ActOut s",
                   "Dim big : big = 2147483647", "ActOut (big + 1 > big) & \" \" & (big - -1)"}),
              (Lines{"7 6 9", "4294967295 Double", "sbsbs", "6,7,3.5,14,", "True 2147483648"}));
    EXPECT_TRUE(errors.empty());
}

TEST_F(BasicActivationTest, AByRefArgumentLendsTheVariableForOneCallOnly) {
    // A slot that pointed at the caller's variable in one call is the callee's own in the next
    // call at the same depth.
    EXPECT_EQ(run({"Sub Bump(x)",
                   "  x = x + 1",
                   "End Sub",
                   "Sub Outer(a)",
                   "  Bump a",
                   "  Bump 100",
                   "  ActOut a",
                   "End Sub",
                   "Function Fresh(y)",
                   "  Fresh = TypeName(y) & y",
                   "  y = \"changed\"",
                   "End Function",
                   "Dim v : v = 10",
                   "Bump v",
                   "Bump 5",
                   "Bump (v)",
                   "ActOut v",
                   "Outer v",
                   "ActOut v",
                   "ActOut Fresh(v)",
                   "ActOut v",
                   "ActOut Fresh(7)",
                   "ActOut v"}),
              (Lines{"11", "12", "12", "Integer12", "changed", "Integer7", "changed"}));
    EXPECT_TRUE(errors.empty());
}

TEST_F(BasicActivationTest, LocalsAndParametersShadowModuleVariables) {
    EXPECT_EQ(run({"Dim total, n", "total = 100 : n = 7", "Function Sum(n)", "  Dim total, i",
                   "  total = 0", "  For i = 1 To n : total = total + i : Next", "  Sum = total",
                   "End Function", "Function Depth(n)", "  Dim total : total = n",
                   "  If n > 0 Then Depth = Depth(n - 1) + total Else Depth = total",
                   "End Function", "Sub Touch()", "  total = total + n", "End Sub",
                   "ActOut Sum(4) & \" \" & total & \" \" & n", "ActOut Depth(3) & \" \" & total",
                   "Touch", "ActOut total"}),
              (Lines{"10 100 7", "6 100", "107"}));
    EXPECT_TRUE(errors.empty());
}

TEST_F(BasicActivationTest, ArraysAndReDimBelongToTheirActivation) {
    EXPECT_EQ(run({"Function Build(n)", "  Dim a(), i", "  ReDim a(n)",
                   "  For i = 0 To n : a(i) = n * 10 + i : Next",
                   "  If n > 0 Then Build = Build(n - 1) & \"|\"", "  ReDim Preserve a(n + 1)",
                   "  Build = Build & UBound(a) & \":\" & a(0) & \":\" & a(n)", "End Function",
                   "ActOut Build(3)", "ActOut Build(0)"}),
              (Lines{"1:0:0|2:10:11|3:20:22|4:30:33", "1:0:0"}));
    EXPECT_TRUE(errors.empty());
}

TEST_F(BasicActivationTest, RecursionStopsAtItsLimitAndTheFramesStayUsable) {
    EXPECT_EQ(run({"Function Dive(n)", "  Dim mine : mine = n",
                   "  If n = 0 Then Dive = 0 Else Dive = Dive(n - 1) + 1",
                   "  If mine <> n Then Dive = -1", "End Function", "On Error Resume Next",
                   "ActOut Dive(199) & \" \" & Err.Number", "x = Dive(200)", "ActOut Err.Number",
                   "Err.Clear", "ActOut Dive(12)"}),
              (Lines{"199 0", "28", "12"}));
}

TEST_F(BasicActivationTest, ErrorsStayWithTheActivationThatHandlesThem) {
    // Each level resumes its own error; the level that fails does not disturb the others. An
    // error in a one-statement branch is reported at that statement's line, and the run goes on
    // after the If.
    EXPECT_EQ(
        run({"Function Careful(n)", "  On Error Resume Next", "  Dim r", "  r = 10 \\ (n - 2)",
             "  If Err.Number <> 0 Then r = \"e\" & Err.Number", "  Err.Clear",
             "  If n > 0 Then Careful = Careful(n - 1) & \",\" & r Else Careful = r",
             "End Function", "Sub Fails(n)", "  If n > 0 Then", "    x = n / 0", "  End If",
             "  ActOut \"after\"", "End Sub", "ActOut Careful(3)", "Fails 1"}),
        (Lines{"-5,-10,e11,10", "after"}));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("@11"), std::string::npos) << errors[0];
}

TEST_F(BasicActivationTest, FieldsTakeTheQuickPathsInsideTheirMethods) {
    EXPECT_EQ(run({"Class Counter", "  Public n", "  Sub Add(k)", "    n = n + k",
                   "    If n > 10 Then n = n - 10", "  End Sub", "End Class", "Set c = New Counter",
                   "c.n = 0", "For i = 1 To 5 : c.Add i : Next", "ActOut c.n", "c.n = 2.5",
                   "c.Add 1", "ActOut c.n"}),
              (Lines{"5", "3.5"}));
    EXPECT_TRUE(errors.empty());
}

TEST_F(BasicActivationTest, TextsGrowInPlaceLikeAnyOtherConcatenation) {
    // Appending to a text variable changes it where it is; everything else the general way,
    // including a piece whose evaluation changes the variable first.
    EXPECT_EQ(run({"Dim s, n, z, t, u : n = 5 : z = Null : t = 12", "s = s & \"a\"",
                   "s = s & n : s = s & 1.5 : s = s & z : s = s & True", "s = s & s", "ActOut s",
                   "t = t & \"x\" : z = z & \"n\"", "ActOut t & \" \" & z",
                   "Function Change() : u = \"changed\" : Change = \"+\" : End Function",
                   "u = \"old\" : u = u & Change()", "ActOut u"}),
              (Lines{"a51.5Truea51.5True", "12x n", "old+"}));
    EXPECT_TRUE(errors.empty());
}

} // namespace
