// Each activation of a routine keeps its own parameters, locals and temporaries, however the
// calls nest: through other routines, through exceptions caught half way down, through `var`
// parameters that point into an outer activation, and up to the deepest allowed nesting.
#include "core/cp1250.h"
#include "pascal_fixture.h"
#include "script/pascal/pascal_runner.h"

using namespace vorlan;
using namespace vorlan::testing;
using namespace vorlan::script;

namespace {

class Recursion : public PascalTest {};

pascal::PascalRunner* runnerOf(Scripter& s) {
    return dynamic_cast<pascal::PascalRunner*>(s.runner());
}

TEST_F(Recursion, MutualRecursionKeepsEachActivationsLocals) {
    // Strings and integers of every level must be intact after the deeper levels returned,
    // including the temporaries holding the left operand of `+` across the call.
    EXPECT_EQ(
        runText({"function OddPart(n: Integer): string; forward;",
                 "function EvenPart(n: Integer): string;", "var mark: string; depth: Integer;",
                 "begin mark := 'e'; depth := n;",
                 "  if n = 0 then Result := '.' else Result := mark + OddPart(n - 1);",
                 "  if depth <> n then TestOut('lost depth'); if mark <> 'e' then TestOut('lost');",
                 "end;", "function OddPart(n: Integer): string;", "var mark: string;",
                 "begin mark := 'o'; Result := mark + EvenPart(n - 1) + mark end;",
                 "begin TestOut(EvenPart(6)); TestOut(OddPart(3)); TestOut(EvenPart(6)) end."}),
        "eoeoeo.ooo oeo.oo eoeoeo.ooo");
    EXPECT_TRUE(errors.empty());
}

TEST_F(Recursion, ExceptionRaisedAtDepthUnwindsToTheCatchingActivation) {
    auto s = scripter(
        {"function Dive(n: Integer): Integer;", "var keep: Integer; name: string;",
         "begin keep := n * 10; name := 'd';", "  if n = 0 then raise 'bottom';", "  if n = 3 then",
         "  begin", "    try Result := Dive(n - 1) except Result := -1 end;",
         "    TestOut(keep); TestOut(name + 'x')", "  end", "  else Result := Dive(n - 1) + keep",
         "end;", "procedure main; begin TestOut(Dive(6)) end;", "begin TestOut(Dive(6)) end."});
    s->run(); // the main body, then main
    EXPECT_EQ(joined(output()), "30 dx 149 30 dx 149");
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(runnerOf(*s)->program()->returnDepth(), 0u);
}

TEST_F(Recursion, VarParametersReachTheRightActivation) {
    // The inner call writes into the outer activation's own local through a var parameter,
    // while that activation's slots are kept aside.
    EXPECT_EQ(runText({"var total: Integer; p: string;",
                       "procedure Sum(n: Integer; var acc: Integer; var path: string);",
                       "var local: Integer; mine: string;", "begin local := 0; mine := '';",
                       "  if n > 0 then Sum(n - 1, local, mine);",
                       "  acc := acc + local + n; path := path + mine + 'x' end;",
                       "begin total := 0; p := '>'; Sum(10, total, p); TestOut(total); "
                       "TestOut(p); Sum(2, total, p); TestOut(total); TestOut(p) end."}),
              "55 >xxxxxxxxxxx 58 >xxxxxxxxxxxxxx");
    EXPECT_TRUE(errors.empty());
}

TEST_F(Recursion, ArgumentsComputedFromTheCallersOwnSlotsReachTheNewActivation) {
    // The arguments are the caller's temporaries, locals and parameters, all of them slots of
    // the activation being put aside; strings among them, and parameters passed crosswise.
    EXPECT_EQ(runText({"function Build(n: Integer; s: string): string;", "var mine: string;",
                       "begin mine := s + 'x';", "  if n = 0 then Result := mine",
                       "  else Result := Build(n - 1, mine + '-') + '|' + mine end;",
                       "function Swap(n: Integer; a, b: string): string;",
                       "begin if n = 0 then Result := a + b else Result := Swap(n - 1, b, a) + a "
                       "end;",
                       "function Keep(n: Integer; s: string): string;",
                       "begin if n = 0 then Result := s else Result := Keep(n - 1, s) + s end;",
                       "begin TestOut(Build(2, 'a')); TestOut(Swap(3, 'x', 'y')); "
                       "TestOut(Keep(2, 'k')) end."}),
              "ax-x-x|ax-x|ax yxxyx kkk");
    EXPECT_TRUE(errors.empty());
}

TEST_F(Recursion, DeepestAllowedNestingAndOneMore) {
    resume = true;
    auto s = scripter(
        {"function Down(n: Integer): Integer;", "var here: Integer;", "begin here := n;",
         "  if n > 1 then Result := Down(n - 1) + 1 else "
         "Result := 1;",
         "  if here <> n then TestOut('lost') end;", "procedure Again; begin TestOut(Down(5)) end;",
         "procedure main; begin end;", "begin end."});
    s->run();
    // Calls from outside start at the routine: 1001 activations fill the return stack.
    Value arg(1001);
    EXPECT_EQ(s->callByName("Down", std::span<Value>(&arg, 1)).toInt(), 1001);
    EXPECT_TRUE(errors.empty());
    arg = Value(1002);
    s->callByName("Down", std::span<Value>(&arg, 1));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(cp1250ToUtf8(errors[0].description).find("1001"), std::string::npos);
    EXPECT_EQ(runnerOf(*s)->program()->returnDepth(), 0u);
    // The machine is whole afterwards.
    s->callByName("Again");
    EXPECT_EQ(joined(output()), "5");
}

TEST_F(Recursion, NewActivationsStartFreshWhileGlobalsAreShared) {
    // A recursive activation starts with the routine's initial values (an empty string, 0),
    // not with what the outer activation holds; module variables are one for all activations;
    // a var parameter passed on through every level reaches the outermost variable.
    EXPECT_EQ(
        runText({"var calls: Integer; digits: string;",
                 "function D(k: Integer): string; begin Result := digits[k + 1] end;",
                 "function Walk(n: Integer): string;", "var seen: string; k: Integer;",
                 "begin calls := calls + 1; Result := seen + D(k) + ';';", "  seen := 'x'; k := n;",
                 "  if n > 0 then Result := Result + Walk(n - 1) + seen + D(k) end;",
                 "procedure Add(n: Integer; var total: Integer);",
                 "begin if n > 0 then begin total := total + n; Add(n - 1, total) end end;",
                 "var sum: Integer;",
                 "begin digits := '0123456789'; calls := 0; TestOut(Walk(2)); TestOut(calls); sum "
                 ":= 0; "
                 "Add(10, sum); TestOut(sum) end."}),
        "0;0;0;x1x2 3 55");
    EXPECT_TRUE(errors.empty());
}

TEST_F(Recursion, FinallyPartsAndGotoRunInTheirOwnActivation) {
    // Each level's finally part sees that level's locals, also when a deeper level left by an
    // exception; a goto out of a protected block inside a recursive routine leaves through the
    // finally part of the right level.
    EXPECT_EQ(
        runText(
            {"var log, digits: string;",
             "function D(k: Integer): string; begin Result := digits[k + 1] end;",
             "procedure Level(n: Integer);", "var mine: string;", "begin mine := D(n);",
             "  try if n = 0 then raise 'deep' else Level(n - 1)",
             "  finally log := log + mine end end;", "function Find(n: Integer): Integer;",
             "label done;", "var here: Integer;", "begin here := n; Result := -1;",
             "  try if n = 3 then begin Result := here; goto done end;",
             "    Result := Find(n + 1)", "  finally log := log + '/' + D(here) end;",
             "  done: if here <> n then log := log + '!' end;",
             "begin digits := '0123456789'; log := ''; try Level(3) except log := log + '.' end; "
             "TestOut(log); log := ''; TestOut(Find(0)); TestOut(log) end."}),
        "0123. 3 /3/2/1/0");
    EXPECT_TRUE(errors.empty());
}

TEST_F(Recursion, AResultComputedLastReturnsFromEveryWayIn) {
    // A function whose last statement computes its result returns from there at once; an Exit
    // that jumps to the same return, a division by zero in that last computation (caught a level
    // up) and the nesting limit reached through it all behave as in any other function.
    EXPECT_EQ(runText({"function Sum(n: Integer): Integer;",
                       "begin if n = 0 then begin Result := 0; Exit end;",
                       "  Result := n + Sum(n - 1) end;",
                       "function Part(n: Integer): Integer; begin Result := 100 div n end;",
                       "function Safe(n: Integer): Integer;",
                       "begin try Result := Part(n) except Result := -1 end end;",
                       "begin TestOut(Sum(100)); TestOut(Sum(0)); TestOut(Safe(4));",
                       "TestOut(Safe(0)); TestOut(Sum(999)) end."}),
              "5050 0 25 -1 499500");
    EXPECT_TRUE(errors.empty());
    runText({"function Sum(n: Integer): Integer;", "begin Result := n + Sum(n + 1) end;",
             "begin TestOut(Sum(0)) end."});
    ASSERT_EQ(errors.size(), 1u);
}

TEST_F(Recursion, ArgumentsComputedRightBeforeTheCallReachTheCallee) {
    // `F(n - 1)` computes its argument and makes the call in one step once the call has run
    // once; a double, a sum past the integer range and a text take the long way through the
    // same call, and a call that nests too deep is reported at the call.
    EXPECT_EQ(runText({"function Down(x: Double): Double;",
                       "begin if x < 1 then Result := x else Result := Down(x - 1) end;",
                       "function Up(n: Integer): Integer;",
                       "begin if n > 2147483647.5 then Result := n else Result := Up(n + 1) end;",
                       "function Grow(s: string): string;",
                       "begin if s = 'axxx' then Result := s else Result := Grow(s + 'x') end;",
                       "function Sum(n: Integer): Integer;",
                       "begin if n = 0 then Result := 0 else Result := Sum(n - 1) + n end;",
                       "begin TestOut(Down(3.5)); TestOut(Up(2147483645)); TestOut(Sum(3));",
                       "TestOut(Grow('a')); TestOut(Down(2)); TestOut(Sum(100)) end."}),
              "0.5 2147483648 6 axxx 0 5050");
    EXPECT_TRUE(errors.empty());
    runText({"function Deep(n: Integer): Integer;", "begin", "  Result := Deep(n + 1)", "end;",
             "begin TestOut(Deep(0)) end."});
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].line, 3);
    EXPECT_EQ(errors[0].position, 13);
}

} // namespace
