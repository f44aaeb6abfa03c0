// Calls of registered routines and methods from a module: they read their arguments where the
// module keeps them, so what a call may change, what it must leave alone, conversions, errors,
// parameters left out and one call site meeting several objects all have to come out as if the
// arguments had been copied in and (for `var` ones) back out.
#include "pascal_fixture.h"

#include "script/bind.h"
#include "script/component.h"
#include "script/registry.h"

#include <memory>
#include <string>

using namespace vorlan;
using namespace vorlan::testing;
using namespace vorlan::script;

namespace {

struct Tally : Component {
    Tally() : Component("TTestTally") {}
    std::int32_t total = 0;
};

Value& kept() {
    static Value value;
    return value;
}

class RegisteredCall : public PascalTest {
protected:
    void SetUp() override {
        PascalTest::SetUp();
        static const bool done = [] {
            Binder b(registry());
            b.bind("TestBump", "procedure(var N: Integer)", [](std::int32_t& n) { ++n; });
            b.bind("TestAppend", "procedure(var S: string; const Tail: string)",
                   [](std::string& s, std::string_view tail) { s += tail; });
            // Changes its own copy of the text: the caller's variable must not see it.
            b.bind("TestShout", "function(S: string): string", [](std::string s) {
                s += '!';
                return s;
            });
            b.bind("TestTwice", "procedure(var A, B: Integer)",
                   [](std::int32_t& x, std::int32_t& y) {
                       x += 1;
                       y *= 10;
                   });
            b.bind("TestKeepAndGrow", "function(const Seen: string; var S: string): string",
                   [](std::string_view seen, std::string& s) {
                       s += "++";
                       return std::string(seen);
                   });
            b.bind("TestByte", "function(B: Byte): Integer", [](std::int32_t v) { return v; });
            b.bind("TestAnswer", "function(var N: Integer): Integer", [](std::int32_t& n) {
                n = 7;
                return 100;
            });
            b.bind("TestFailAfter", "procedure(var S: string)", [](std::string& s) {
                s += "-half";
                throw ScriptException("broke");
            });
            b.bind("TestRound",
                   "function(X: Double; Digits: Integer = 2; Tail: string = 'x'): string",
                   [](double x, std::int32_t digits, std::string_view tail) {
                       return std::to_string(static_cast<long long>(x)) + "/" +
                              std::to_string(digits) + "/" + std::string(tail);
                   });
            // Keeps what it is given, as a routine that stores its argument would.
            b.bind("TestKeep", "procedure(V: Variant)", [](const Value& v) { kept() = v; });
            b.bind("TestKept", "function: Variant", [] { return kept(); });
            ClassBinder<Tally> tally(registry(), "TTestTally", "TComponent",
                                     [](Component*) { return std::make_unique<Tally>(); });
            tally.bind("Add", "procedure(N: Integer)",
                       [](Tally& t, std::int32_t n) { t.total += n; });
            tally.bind("Total", "function: Integer", [](Tally& t) { return t.total; });
            return true;
        }();
        (void)done;
    }
};

TEST_F(RegisteredCall, VarArgumentsChangeInPlaceAndByValueOnesStayUnchanged) {
    EXPECT_EQ(runText({"var n: Integer; s, t: string;", "begin",
                       "  n := 1; TestBump(n); TestBump(n); TestOut(n);",
                       "  s := 'ab'; TestAppend(s, 'cd'); TestAppend(s, s); TestOut(s);",
                       "  t := 'quiet'; TestOut(TestShout(t)); TestOut(t);",
                       // The result goes to the variable after the var parameter came back.
                       "  n := TestAnswer(n); TestOut(n);",
                       // Conversions to the declared types, by value and in place.
                       "  TestOut(TestByte(300)); TestOut(TestByte('12'));",
                       "  s := ''; s := 5; TestAppend(s, 'x'); TestOut(s);", "end."}),
              "3 abcdabcd quiet! quiet 100 44 12 5x");
    EXPECT_TRUE(errors.empty());
}

TEST_F(RegisteredCall, OneVariableGivenTwiceActsAsSeparateCopies) {
    // The leftmost argument wins, and a by-value argument does not see the change made through
    // a `var` one, as with copied arguments.
    EXPECT_EQ(
        runText({"var a: Integer; s: string;", "begin", "  a := 4; TestTwice(a, a); TestOut(a);",
                 "  s := 'x'; TestOut(TestKeepAndGrow(s, s));", "end."}),
        "5 x");
    EXPECT_TRUE(errors.empty());
}

TEST_F(RegisteredCall, AFailedCallKeepsWhatItDidAndRaisesAScriptException) {
    EXPECT_EQ(
        runText({"var s: string;", "begin", "  s := 'start';",
                 "  try TestFailAfter(s) except TestOut('caught') end;", "  TestOut(s);", "end."}),
        "caught start-half");
    EXPECT_TRUE(errors.empty());
    run({"var s: string;", "begin s := ''; TestFailAfter(s); TestOut('not reached') end."});
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].description, "broke");
}

TEST_F(RegisteredCall, ACallSiteRunAgainBehavesAsOnItsFirstRun) {
    // From its second run on, a call goes straight to the routine's entry: `var` arguments,
    // dropped and kept results, a failure on a later run and the error it reports.
    EXPECT_EQ(runText({"var i, n: Integer; s, t, r: string; v: Variant;", "begin",
                       "  n := 0; s := ''; t := 'a';", "  for i := 1 to 3 do", "  begin",
                       "    TestBump(n); TestAppend(s, t); r := TestShout(t); TestShout(r);",
                       "    try TestFailAfter(t) except r := r + '?' end;", "  end;",
                       "  TestOut(n); TestOut(s); TestOut(r); TestOut(t);", "end."}),
              "3 aa-halfa-half-half a-half-half!? a-half-half-half");
    EXPECT_TRUE(errors.empty());
    output().clear();
    run({"var i: Integer; v: Variant;", "begin", "  for i := 1 to 2 do", "  begin",
         "    if i = 1 then v := 5 else v := 'no number';", "    TestOut(TestByte(v))", "  end",
         "end."});
    EXPECT_EQ(joined(output()), "5");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].line, 6);
}

TEST_F(RegisteredCall, ParametersWithDefaultsMayBeLeftOut) {
    EXPECT_EQ(runText({"begin", "  TestOut(TestRound(3.7));", "  TestOut(TestRound(3.7, 5));",
                       "  TestOut(TestRound(3, 1, 'y'));", "end."}),
              "3/2/x 3/5/x 3/1/y");
    EXPECT_TRUE(errors.empty());
    run({"begin TestRound(1, 2, 'a', 4) end."});
    EXPECT_EQ(errors.size(), 1u);
}

TEST_F(RegisteredCall, OneCallSiteMeetsSeveralObjectsAndAFreedOne) {
    EXPECT_EQ(runText({"var a, b, c: TTestTally; i: Integer;", "begin",
                       "  a := TTestTally.Create(nil); b := TTestTally.Create(nil);",
                       "  for i := 1 to 5 do begin", "    if i mod 2 = 1 then c := a else c := b;",
                       "    c.Add(i);", "  end;", "  TestOut(a.Total); TestOut(b.Total);",
                       "  a.Free; b.Free;", "end."}),
              "9 6");
    EXPECT_TRUE(errors.empty());
    run({"var a, c: TTestTally; i: Integer;", "begin", "  a := TTestTally.Create(nil); c := a;",
         "  for i := 1 to 2 do begin c.Add(i); if i = 1 then a.Free end;", "end."});
    EXPECT_EQ(errors.size(), 1u);
}

TEST_F(RegisteredCall, AnArrayBuiltInALoopIsNewWhereAnEarlierOneIsKept) {
    // The array of each pass is built in the same slot; one that a routine kept must stay as
    // it was when the next pass builds its own.
    EXPECT_EQ(runText({"var first, last: Variant; i: Integer;", "begin",
                       "  for i := 1 to 3 do begin", "    TestKeep([i, 'x']);",
                       "    if i = 1 then first := TestKept;", "  end;", "  last := TestKept;",
                       "  TestOut(first[0]); TestOut(last[0]); TestOut(last[1]);", "end."}),
              "1 3 x");
    EXPECT_TRUE(errors.empty());
    kept() = Value();
}

TEST_F(RegisteredCall, ResultsDroppedAtOnceLeaveTheObjectChainsIntact) {
    // Calls whose results are dropped at once, between calls whose results carry a chain on.
    EXPECT_EQ(runText({"var a: TTestTally; n: Integer;", "begin", "  a := TTestTally.Create(nil);",
                       "  a.Add(2); TestShout('dropped'); a.Add(3);",
                       "  n := a.Total + TestByte(4); TestOut(n);", "  TestOut(a.Total); a.Free;",
                       "end."}),
              "9 5");
    EXPECT_TRUE(errors.empty());
}

} // namespace

TEST(Signature, DefaultValuesTrailByValueParameters) {
    const Signature s = Signature::parse("function(A: Integer; B: Real = 1.5; C: string = 'it''s'; "
                                         "D: Boolean = True; E: Integer = -3): Integer");
    EXPECT_EQ(s.required, 1u);
    ASSERT_EQ(s.params.size(), 5u);
    EXPECT_FALSE(s.params[0].defaultValue);
    EXPECT_DOUBLE_EQ(s.params[1].defaultValue->asDouble(), 1.5);
    EXPECT_EQ(s.params[2].defaultValue->asString(), "it's");
    EXPECT_TRUE(s.params[3].defaultValue->asBool());
    EXPECT_EQ(s.params[4].defaultValue->asInt(), -3);
    // A default of another type takes the declared type.
    EXPECT_TRUE(Signature::parse("procedure(S: string = 5)").params[0].defaultValue->isString());
    EXPECT_THROW(Signature::parse("procedure(var N: Integer = 1)"), std::invalid_argument);
    EXPECT_THROW(Signature::parse("procedure(A: Integer = 1; B: Integer)"), std::invalid_argument);
    EXPECT_THROW(Signature::parse("procedure(A, B: Integer = 1)"), std::invalid_argument);
    EXPECT_THROW(Signature::parse("procedure(A: Integer = )"), std::invalid_argument);
    EXPECT_THROW(Signature::parse("procedure(A: string = 'open)"), std::invalid_argument);
}
