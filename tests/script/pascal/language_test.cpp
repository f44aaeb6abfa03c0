// Programs compiled and run through a scripter: every statement form, the operators and their
// precedence, routines with var parameters and recursion.
#include "pascal_fixture.h"

using namespace vorlan;
using namespace vorlan::testing;
using Lines = std::vector<std::string>;

namespace {

class Language : public PascalTest {};

TEST_F(Language, AssignmentsAndArithmetic) {
    EXPECT_EQ(
        runText({"var a, b: Integer; r: Real; s: string;", "begin", "  a := 7; b := 2;",
                 "  TestOut(a + b); TestOut(a - b); TestOut(a * b); TestOut(a div b); TestOut(a "
                 "mod b);",
                 "  TestOut(a / b); TestOut(-a mod b); TestOut(a shl 2); TestOut(a shr 1);",
                 "  TestOut(a and 3); TestOut(a or 8); TestOut(a xor 5); TestOut(not 0);",
                 "  r := 1.5; TestOut(r * 2); s := 'ab'; s := s + 'c'; TestOut(s);",
                 "  TestOut($FF); TestOut($FFFFFFFF); TestOut(1E3); TestOut(2.5E-1);", "end."}),
        "9 5 14 3 1 3.5 -1 28 3 3 15 2 -1 3 abc 255 -1 1000 0.25");
    EXPECT_TRUE(errors.empty());
}

TEST_F(Language, PrecedenceLevels) {
    EXPECT_EQ(runText({"begin", "  TestOut(2 + 3 * 4); TestOut((2 + 3) * 4); TestOut(-2 * 3 + 1);",
                       "  TestOut(10 - 4 - 3); TestOut(24 div 4 div 2); TestOut(1 + 2 = 3);",
                       "  TestOut(not True or True); TestOut(not (True or True));",
                       "  TestOut(2 * 3 mod 4); TestOut(1 or 2 and 3); TestOut(3 < 4 * 1);",
                       "  TestOut(True and False or True); TestOut(5 - -2);", "end."}),
              "14 20 -5 3 3 True True False 2 3 True True 7");
}

TEST_F(Language, RelationalOperatorsIncludingSpacedPairs) {
    EXPECT_EQ(
        runText({"var a: Integer;", "begin a := 3;",
                 "  TestOut(a = 3); TestOut(a <> 3); TestOut(a < 4); TestOut(a > 4);",
                 "  TestOut(a <= 3); TestOut(a >= 4); TestOut(a < > 3); TestOut(a > {x} = 3);",
                 "  TestOut('abc' < 'abd'); TestOut('b' > 'abc');", "end."}),
        "True False True False True False False True True True");
}

TEST_F(Language, IfWhileRepeatFor) {
    EXPECT_EQ(
        runText({"var i, n, s: Integer;", "begin",
                 "  if 1 > 2 then TestOut('no') else TestOut('else');",
                 "  if 2 > 1 then TestOut('then');", "  if False then TestOut('x');",
                 "  i := 0; while i < 3 do i := i + 1; TestOut(i);",
                 "  i := 10; repeat i := i - 3 until i < 0; TestOut(i);",
                 "  s := 0; for i := 1 to 5 do s := s + i; TestOut(s);",
                 "  s := 0; for i := 5 downto 1 do s := s * 10 + i; TestOut(s);",
                 "  s := 0; for i := 5 to 1 do s := s + 1; TestOut(s);",
                 "  n := 3; s := 0; for i := 1 to n do begin n := 10; s := s + 1 end; TestOut(s);",
                 "end."}),
        "else then 3 -2 15 54321 0 3");
}

TEST_F(Language, BreakContinueAndNestedLoops) {
    EXPECT_EQ(
        runText(
            {"var i, j, s: Integer;", "begin s := 0;", "  for i := 1 to 10 do begin",
             "    if i mod 2 = 0 then continue;", "    if i > 7 then break;",
             "    for j := 1 to 3 do begin if j = 2 then break; s := s + 100 end;",
             "    s := s + i", "  end;", "  TestOut(s);",
             "  i := 0; repeat i := i + 1; if i < 5 then continue; break; until False; TestOut(i);",
             "  i := 0; while True do begin i := i + 1; if i = 4 then break end; TestOut(i);",
             "end."}),
        "416 5 4");
}

TEST_F(Language, GotoAndLabels) {
    EXPECT_EQ(runText({"label again, done, 10;", "var i: Integer;", "begin i := 0;",
                       "  again: i := i + 1;", "  if i < 3 then goto again;", "  goto done;",
                       "  TestOut('skipped');", "  done: TestOut(i);",
                       "  goto 10; TestOut('skipped too'); 10: ;", "end."}),
              "3");
}

TEST_F(Language, ExceptionsRaiseAndReraise) {
    EXPECT_EQ(
        runText({"var i: Integer;", "begin",
                 "  try TestOut('a'); raise 'boom'; TestOut('b') except TestOut('handled') end;",
                 "  try i := 1 div 0 except TestOut('div') end;", "  try",
                 "    try raise 'inner' except TestOut('first'); raise end",
                 "  except TestOut('second') end;",
                 "  try TestOut('no error') except TestOut('never') end;", "end."}),
        "a handled div first second no error");
    EXPECT_TRUE(errors.empty());
}

TEST_F(Language, JumpsOutOfProtectedBlocksDropTheirHandlers) {
    resume = true;
    EXPECT_EQ(
        runText({"label Done;", "var i: Integer;", "begin",
                 "  for i := 1 to 3 do try if i = 2 then break except TestOut('stale 1') end;",
                 "  i := 0;",
                 "  repeat i := i + 1; try if i < 3 then continue except TestOut('stale 2') end "
                 "until i >= 3;",
                 "  try try goto Done except TestOut('stale 3') end except TestOut('stale 4') end;",
                 "  Done: raise 'unhandled';", "end."}),
        "");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].description, "unhandled");
}

TEST_F(Language, JumpsOutOfFinallyAndExceptParts) {
    // Exit from a finally part drops the exception on its way; Exit from an except part and
    // goto out of a protected part with a finally leave nothing behind for later handlers.
    EXPECT_EQ(runText({"label Done;",
                       "var i: Integer;",
                       "function Swallow: Integer;",
                       "begin",
                       "  Result := 1;",
                       "  try raise 'lost'; finally Result := 2; Exit; end;",
                       "  Result := 3;",
                       "end;",
                       "procedure Handled;",
                       "begin",
                       "  try raise 'x'; except TestOut('h'); Exit; end;",
                       "  TestOut('never');",
                       "end;",
                       "begin",
                       "  TestOut(Swallow);",
                       "  for i := 1 to 3 do",
                       "    try",
                       "      try if i = 2 then raise 'b'; finally TestOut(i); end;",
                       "    except TestOut('e'); Break; end;",
                       "  try goto Done; finally TestOut('g'); end;",
                       "  TestOut('skipped');",
                       "Done:",
                       "  Handled;",
                       "  try raise 'after'; except TestOut('ok'); end;",
                       "  try try raise 'deep'; finally TestOut('f'); end; except on E: Exception "
                       "do TestOut('c'); end;",
                       "end."}),
              "2 1 2 e g h ok f c");
    EXPECT_TRUE(errors.empty());
}

TEST_F(Language, JumpIntoAProtectedBlockRunsWithoutItsHandler) {
    resume = true;
    EXPECT_EQ(runText({"label Inside;", "begin", "  goto Inside;", "  try",
                       "    TestOut('skipped');", "    Inside: TestOut(1, 2);",
                       "    TestOut('after')", "  except TestOut('handler') end;", "end."}),
              "after");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].line, 6);
}

TEST_F(Language, NestingLimitIsACompileErrorNotACrash) {
    resume = true;
    std::string deep = "TestOut(" + std::string(500, '(') + "1" + std::string(500, ')') + ")";
    auto s = scripter({"begin " + deep + " end."});
    s->run();
    ASSERT_EQ(errors.size(), 1u);
    std::string chain = "1";
    for (int i = 0; i < 3000; ++i)
        chain += " + i";
    errors.clear();
    auto t = scripter({"var i: Integer;", "begin i := " + chain + " end."});
    t->run();
    ASSERT_EQ(errors.size(), 1u);
    std::string longSum = "0";
    for (int i = 0; i < 300; ++i)
        longSum += " + i";
    EXPECT_EQ(runText({"var i: Integer;", "begin i := 2; TestOut(" + longSum + ") end."}), "600");
}

TEST_F(Language, LoopConditionsOnOtherKindsOfValues) {
    // Conditions on integers run in one step; others, overflow and division by zero go the
    // long way with the same results.
    EXPECT_EQ(
        runText({"var i, n: Integer; d: Double; s: string; v: Variant;", "begin",
                 "  d := 0.5; n := 0; while d < 3 do begin d := d + 1; n := n + 1 end; TestOut(n);",
                 "  s := 'a'; while s < 'aaaa' do s := s + 'a'; TestOut(s);",
                 "  i := 2147483647; if i + 1 > i then TestOut('wider'); if i * 2 = 4294967294 "
                 "then TestOut('double');",
                 "  i := 7; if i mod 2 = 1 then TestOut('odd'); if i - 7 <> 0 then TestOut('no');",
                 "  v := 3; n := 0; repeat v := v - 1; n := n + 1 until v = 0; TestOut(n);",
                 "  i := 0; try if 5 mod i = 0 then TestOut('x') except TestOut('div') end;",
                 "  v := 'x'; try if v < 1 then TestOut('y') except TestOut('mismatch') end;",
                 "  i := 5; if -1 div i = 0 then TestOut('zero');", "end."}),
        "3 aaaa wider double odd 3 div mismatch zero");
}

TEST_F(Language, ExitEndsMainAndRoutine) {
    EXPECT_EQ(runText({"procedure P; begin TestOut('p1'); exit; TestOut('p2') end;",
                       "begin P; TestOut('m'); exit; TestOut('never') end."}),
              "p1 m");
}

TEST_F(Language, StringsCharactersAndLiterals) {
    EXPECT_EQ(
        runText(
            {"var s: string; c: string;", "begin",
             "  s := 'it''s'; TestOut(s); TestOut(#65 + 'B' + #$43);",
             "  TestOut('a'#66'c'); s := 'abc'; c := s[1]; TestOut(c + s[3]); TestOut(s[9] = '');",
             "  TestOut(1.5); TestOut(Copy('xyz', 2, 5)) ", "end."}),
        "it's ABC aBc ac True 1.5 yz");
}

TEST_F(Language, RoutinesResultsAndVarParameters) {
    EXPECT_EQ(
        runText(
            {"var g: Integer;", "function Add(a, b: Integer): Integer; begin Result := a + b end;",
             "function Twice(x: Integer): Integer; begin Twice := x * 2 end;",
             "procedure Swap(var a, b: Integer); var t: Integer; begin t := a; a := b; b := t end;",
             "procedure Bump(var x: Integer; by: Integer); begin x := x + by; by := 0 end;",
             "var x, y: Integer;", "begin", "  TestOut(Add(2, 3)); TestOut(Twice(Add(1, 1)));",
             "  x := 1; y := 2; Swap(x, y); TestOut(x); TestOut(y);",
             "  g := 5; y := 3; Bump(g, y); TestOut(g); TestOut(y);",
             "  x := 1; x := Add(x, x) + Add(x, 10); TestOut(x);", "end."}),
        "5 4 2 1 8 3 13");
}

TEST_F(Language, RecursionComputesCorrectly) {
    EXPECT_EQ(runText({"function Fact(n: Integer): Integer;",
                       "begin if n <= 1 then Result := 1 else Result := n * Fact(n - 1) end;",
                       "function Fib(n: Integer): Integer;",
                       "begin if n < 2 then Fib := n else Fib := Fib(n - 1) + Fib(n - 2) end;",
                       "function Depth(n: Integer): Integer; var local: Integer;",
                       "begin local := n; if n > 0 then Depth(n - 1); Result := local end;",
                       "begin TestOut(Fact(10)); TestOut(Fib(20)); TestOut(Depth(50)) end."}),
              "3628800 6765 50");
}

TEST_F(Language, MutualRecursionThroughForward) {
    EXPECT_EQ(runText({"function IsOdd(n: Integer): Boolean; forward;",
                       "function IsEven(n: Integer): Boolean;",
                       "begin if n = 0 then Result := True else Result := IsOdd(n - 1) end;",
                       "function IsOdd(n: Integer): Boolean;",
                       "begin if n = 0 then Result := False else Result := IsEven(n - 1) end;",
                       "begin TestOut(IsEven(10)); TestOut(IsOdd(7)); TestOut(IsEven(7)) end."}),
              "True True False");
}

TEST_F(Language, LocalsKeepTheirValuesBetweenCalls) {
    EXPECT_EQ(runText({"procedure Count; var n: Integer; begin n := n + 1; TestOut(n) end;",
                       "begin Count; Count; Count end."}),
              "1 2 3");
}

TEST_F(Language, ConstantsAndTypedConstants) {
    EXPECT_EQ(runText({"const Base = 10; Name = 'x' + 'y'; Big = Base * Base + 1; Neg = -Base;",
                       "  Counter: Integer = 5;",
                       "begin Counter := Counter + Base; TestOut(Big); TestOut(Name); "
                       "TestOut(Counter); TestOut(Neg) end."}),
              "101 xy 15 -10");
}

TEST_F(Language, NilAndArrayLiterals) {
    EXPECT_EQ(
        runText(
            {"var o: TObject; a: Variant;", "begin",
             "  TestOut(o = nil); TestOut(o = 0); TestOut(o <> nil); o := nil; TestOut(o = nil);",
             "  a := [1, 'two', 3.5];",
             "  TestOut(ArrayDimCount(a)); TestOut(Array1Low(a)); TestOut(Array1High(a));",
             "  TestOut(a[1]); TestOut(Array1Get(a, 2)); TestOut(Array1High([]));", "end."}),
        "True True False True 1 0 3 two 3.5 0");
}

TEST_F(Language, ConditionalCompilation) {
    EXPECT_EQ(runText({"begin", "{$IFDEF WIN32} TestOut('win'); {$ELSE} TestOut('other'); {$ENDIF}",
                       "{$IFNDEF WIN32} TestOut('not'); {$ENDIF}",
                       "{$IFDEF NOTHING} TestOut('x'); {$ELSE} TestOut('else'); {$ENDIF}",
                       "{$DEFINE MINE} {$IFDEF mine} TestOut('mine'); {$ENDIF}",
                       "{$IFOPT R+} TestOut('opt'); {$ENDIF}",
                       "{$IFDEF NOTHING} {$IFDEF WIN32} TestOut('deep'); {$ELSE} TestOut('deep "
                       "else'); {$ENDIF} {$ENDIF}",
                       "{$I something.inc} {$R *.RES}", "end."}),
              "win else mine");
}

} // namespace
