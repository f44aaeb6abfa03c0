#include "core/cp1250.h"
#include "core/headless_ui.h"
#include "script/basic/basic_runner.h"
#include "script/builtins.h"
#include "script/comp_wrapper.h"
#include "script/component.h"
#include "script/registry.h"
#include "script/scripter.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace vorlan;
using namespace vorlan::script;

namespace {

using Lines = std::vector<std::string>;

Lines& output() {
    static Lines lines;
    return lines;
}

Value counter;

class Thing : public Component {
public:
    Thing() : Component("TVbThing") {}
    std::string caption;
    std::vector<Value> items;
};

Thing* thingOf(NativeObject* self) {
    return dynamic_cast<Thing*>(self);
}

void registerTestNames() {
    static bool done = false;
    if (done) return;
    done = true;
    Registry& reg = registry();
    if (!reg.findClass("TComponent")) {
        registerEngineBuiltins(reg);
        registerScriptRunners(reg);
    }
    basic::registerVbScriptRunner(reg);
    reg.registerProc(
        "Out", "procedure(Text: Variant)",
        [](NativeObject*, std::span<Value> a, Value&) { output().push_back(a[0].toString()); });
    reg.registerProc("NativeAdd", "function(A, B: Integer): Integer",
                     [](NativeObject*, std::span<Value> a, Value& r) {
                         r = Value(a[0].asInt() + a[1].asInt());
                     });
    reg.registerProc("NativeFail", "procedure", [](NativeObject*, std::span<Value>, Value&) {
        throw ScriptException("Native boom");
    });
    reg.registerProc(
        "NativeTwice", "procedure(var X: Integer)",
        [](NativeObject*, std::span<Value> a, Value&) { a[0] = Value(a[0].asInt() * 2); });
    reg.registerVar("NativeCounter", &counter, DeclaredType::Integer);
    reg.registerConst("NativeLimit", Value(3));
    reg.registerClass("TVbThing", "TComponent",
                      [](Component*) { return std::make_unique<Thing>(); });
    reg.registerProperty(
        "TVbThing", "Caption",
        [](NativeObject* self, std::span<const Value>) { return Value(thingOf(self)->caption); },
        [](NativeObject* self, std::span<const Value>, const Value& v) {
            thingOf(self)->caption = v.toString();
        },
        DeclaredType::String);
    reg.registerProperty(
        "TVbThing", "Items",
        [](NativeObject* self, std::span<const Value> i) {
            if (i.size() != 1) throw ScriptException("Items needs an index");
            return thingOf(self)->items.at(static_cast<std::size_t>(i[0].toInt()));
        },
        [](NativeObject* self, std::span<const Value> i, const Value& v) {
            if (i.size() != 1) throw ScriptException("Items needs an index");
            thingOf(self)->items.at(static_cast<std::size_t>(i[0].toInt())) = v;
        },
        DeclaredType::Variant, true);
    reg.registerProperty(
        "TVbThing", "Count",
        [](NativeObject* self, std::span<const Value>) {
            return Value(static_cast<std::int32_t>(thingOf(self)->items.size()));
        },
        nullptr, DeclaredType::Integer);
    reg.registerMethod("TVbThing", "Add", "function(Item: Variant): Integer",
                       [](NativeObject* self, std::span<Value> a, Value& r) {
                           thingOf(self)->items.push_back(a[0]);
                           r = Value(static_cast<std::int32_t>(thingOf(self)->items.size() - 1));
                       });
}

struct Reported {
    std::string source;
    std::string description;
    int line = 0;
    int position = 0;
};

class BasicRunnerTest : public ::testing::Test {
protected:
    void SetUp() override {
        registerTestNames();
        output().clear();
        counter = Value(0);
    }
    std::unique_ptr<Scripter> scripter(Lines lines) {
        auto s = std::make_unique<Scripter>();
        s->language = "VBScript";
        s->script = std::move(lines);
        s->onError = [this](Scripter&, const ExceptionInfo& info, int position, int line,
                            bool& go) {
            errors.push_back({info.source, info.description, line, position});
            go = resume;
        };
        return s;
    }
    Lines run(Lines lines) {
        auto s = scripter(std::move(lines));
        s->run();
        return output();
    }
    // Runs each expression through Out and answers what it printed.
    Lines values(const Lines& expressions) {
        Lines lines;
        for (const auto& e : expressions)
            lines.push_back("Out " + e);
        return run(lines);
    }

    std::vector<Reported> errors;
    bool resume = true;
};

// ---- the module and calls by name

TEST_F(BasicRunnerTest, RunsTheMainBodyThenMainAndCallsProceduresByName) {
    auto s =
        scripter({"Out \"body\"", "Sub Main", "  Out \"main\"", "End Sub", "Function Add(a, b)",
                  "  Add = a + b", "End Function", "Sub Nothing1() : End Sub"});
    s->run();
    EXPECT_EQ(output(), (Lines{"body", "main"}));
    Value args[] = {Value(2), Value(3)};
    EXPECT_TRUE(s->callByName("ADD", args).identical(Value(5)));
    EXPECT_TRUE(s->callByName("Nothing1").isEmpty());
    EXPECT_TRUE(s->callByName("Undefined").isEmpty());
    ASSERT_EQ(s->runner()->listRoutines().size(), 3u);
    EXPECT_TRUE(s->runner()->listRoutines()[1].hasResult);
    EXPECT_TRUE(errors.empty());
}

TEST_F(BasicRunnerTest, AnEmptyModuleIsReady) {
    auto s = scripter({});
    EXPECT_TRUE(s->callByName("Main").isEmpty());
    EXPECT_NE(s->runner(), nullptr);
    EXPECT_TRUE(errors.empty());
}

TEST_F(BasicRunnerTest, ByRefIsTheDefaultAndByValCopies) {
    EXPECT_EQ(run({"Sub Bump(x, ByVal y)", "  x = x + 1 : y = y + 1", "End Sub", "Dim a, b",
                   "a = 1 : b = 1", "Bump a, b", "Call Bump(a, b)", "Bump (a), b", "Bump (a)",
                   "Out a & \",\" & b"}),
              (Lines{"3,1"}));
}

TEST_F(BasicRunnerTest, FunctionsRecurseAndExitEarly) {
    EXPECT_EQ(run({"Function Fact(n)", "  If n <= 1 Then Fact = 1 : Exit Function",
                   "  Fact = n * Fact(n - 1)", "End Function", "Sub Early", "  Out \"a\"",
                   "  Exit Sub", "  Out \"b\"", "End Sub", "Out Fact(10)", "Early"}),
              (Lines{"3628800", "a"}));
}

// ---- lexical details and syntax errors

TEST_F(BasicRunnerTest, LexicalForms) {
    EXPECT_EQ(run({"REM a comment", "dim X ' trailing comment", "x = 1 + _", "    2",
                   "OUT x : out \"say \"\"hi\"\"\"", "Out &HFF + &H10", "Out &HFFFF",
                   "Out Year(#12/31/1999#) & \"-\" & Month(#2001-02-03#)"}),
              (Lines{"3", "say \"hi\"", "271", "-1", "1999-2"}));
}

TEST_F(BasicRunnerTest, SyntaxErrorsAreReportedWithLineAndColumnAndTheLoadFails) {
    auto s = scripter({"Dim a", "", "a = \"open", "Sub Main : Out 1 : End Sub"});
    s->run();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].source, vorlan::czech("Chyba překladu VBScriptu"));
    EXPECT_EQ(errors[0].line, 3); // the handler sees them counted from 1
    EXPECT_EQ(errors[0].position, 5);
    EXPECT_EQ(s->runner(), nullptr);
    EXPECT_TRUE(output().empty());

    for (const Lines& bad :
         {Lines{"If x Then", "Out 1"}, Lines{"For i = 1 To 2", "Loop"}, Lines{"x = (1 + 2"},
          Lines{"Sub A", "Sub B", "End Sub", "End Sub"}, Lines{"Exit Sub"}, Lines{"x = 1 +"},
          Lines{"Do", "Loop While 1 Until 2"}, Lines{"x = 5a"}}) {
        errors.clear();
        run(bad);
        EXPECT_EQ(errors.size(), 1u) << bad[0];
    }
}

// ---- control flow

TEST_F(BasicRunnerTest, IfFormsAndSelectCase) {
    EXPECT_EQ(run({"Sub T(v)", "  If v = 1 Then", "    Out \"one\"", "  ElseIf v = 2 Then",
                   "    Out \"two\"", "  Else", "    Out \"many\"", "  End If",
                   "  If v > 2 Then Out \"big\" Else Out \"small\"", "  Select Case v",
                   "    Case 1, 2: Out \"c12\"", "    Case 3 To 4", "      Out \"c34\"",
                   "    Case Is >= 10: Out \"c10\"", "    Case Else: Out \"else\"", "  End Select",
                   "End Sub", "T 1 : T 2 : T 3 : T 12 : T 7",
                   "If Null Then Out \"no\" Else Out \"null is false\""}),
              (Lines{"one", "small", "c12", "two", "small", "c12", "many", "big", "c34", "many",
                     "big", "c10", "many", "big", "else", "null is false"}));
}

TEST_F(BasicRunnerTest, Loops) {
    EXPECT_EQ(
        run({"Dim i, s", "For i = 1 To 10 Step 3 : s = s & i : Next", "Out s & \" \" & i",
             "s = \"\" : For i = 3 To 1 Step -1 : s = s & i : Next i", "Out s",
             "i = 0 : Do While i < 3 : i = i + 1 : Loop : Out i",
             "Do : i = i - 1 : Loop Until i <= 0 : Out i",
             "Do Until i = 5 : i = i + 1 : If i = 2 Then Exit Do", "Loop : Out i",
             "While i < 4 : i = i + 1 : Wend : Out i", "For i = 1 To 100 : If i = 7 Then Exit For",
             "Next : Out i", "Do : i = i + 1 : Loop While i < 10 : Out i",
             "For i = 5 To 1 : Out \"never\" : Next",
             "For Each x In Array(\"a\", \"b\") : Out x : Next"}),
        (Lines{"14710 13", "321", "3", "0", "2", "4", "7", "10", "a", "b"}));
}

// ---- operators

TEST_F(BasicRunnerTest, OperatorPrecedenceAndResults) {
    EXPECT_EQ(values({"-2 ^ 2",
                      "2 ^ -1",
                      "2 + 3 * 4",
                      "7 \\ 2 * 3",
                      "10 Mod 4 + 1",
                      "1 + 2 & 3 + 4",
                      "1 + 2 = 3",
                      "Not 1 = 2",
                      "True And False Or True",
                      "True Xor True",
                      "False Eqv False",
                      "True Imp False",
                      "5 And 3",
                      "Not 0",
                      "\"a\" < \"b\"",
                      "3 <> 3",
                      "\"1\" + 2",
                      "\"a\" + \"b\"",
                      "IsNull(Null + 1)",
                      "IsNull(Null & Null)",
                      "7 / 2",
                      "2 ^ 10"}),
              (Lines{"-4",   "0.5",   "14",   "1",     "3",   "37",  "True", "True",
                     "True", "False", "True", "False", "1",   "-1",  "True", "False",
                     "3",    "ab",    "True", "True",  "3.5", "1024"}));
}

TEST_F(BasicRunnerTest, NothingEmptyAndObjectIdentity) {
    EXPECT_EQ(
        run({"Dim o, p", "Set o = Nothing", "Out o Is Nothing", "Out IsEmpty(p)", "Out IsObject(o)",
             "Out TypeName(o)", "Out TypeName(p) & TypeName(Null) & TypeName(1) & TypeName(70000)",
             "Out TypeName(1.5) & TypeName(\"s\") & TypeName(True) & TypeName(Array())"}),
        (Lines{"True", "True", "True", "Nothing", "EmptyNullIntegerLong",
               "DoubleStringBooleanVariant()"}));
}

// ---- variables and arrays

TEST_F(BasicRunnerTest, ArraysReDimPreserveAndConst) {
    EXPECT_EQ(run({"Const Limit = 3, Name = \"x\"", "Dim a(2), m(1, 2)",
                   "a(0) = \"p\" : a(2) = Limit", "m(1, 2) = 12 : Out m(1, 2) & UBound(m, 2)",
                   "ReDim Preserve a(4)", "Out a(0) & a(2) & UBound(a)", "ReDim a(1)",
                   "Out IsEmpty(a(0)) & UBound(a)", "Dim b : b = a : b(0) = 1 : Out IsEmpty(a(0))",
                   "Dim d() : ReDim d(0) : d(0) = Name : Out d(0)", "Out LBound(a)"}),
              (Lines{"122", "p34", "True1", "True", "x", "0"}));
}

TEST_F(BasicRunnerTest, OptionExplicitRejectsUndeclaredNames) {
    EXPECT_EQ(run({"Option Explicit", "Dim a", "a = 1", "b = 2", "Out a"}), (Lines{"1"}));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].line, 4);
    EXPECT_NE(errors[0].description.find("'b'"), std::string::npos);
}

TEST_F(BasicRunnerTest, ImplicitVariablesAreLocalToTheirProcedure) {
    EXPECT_EQ(run({"Dim g : g = 1", "Sub S", "  t = 5 : g = g + 1", "End Sub", "S", "S",
                   "Out g & \"/\" & t"}),
              (Lines{"3/"}));
}

// ---- classes

TEST_F(BasicRunnerTest, ClassesWithFieldsMethodsPropertiesAndMe) {
    EXPECT_EQ(run({"Class Account",
                   "  Private balance",
                   "  Public Owner, History(1)",
                   "  Private Sub Class_Initialize",
                   "    balance = 10",
                   "  End Sub",
                   "  Public Sub Deposit(amount)",
                   "    balance = balance + amount",
                   "    History(0) = amount",
                   "  End Sub",
                   "  Public Property Get Balance2",
                   "    Balance2 = balance",
                   "  End Property",
                   "  Public Property Let Limit(v)",
                   "    If v < 0 Then Exit Property",
                   "    balance = v",
                   "  End Property",
                   "  Function Twin",
                   "    Set Twin = Me",
                   "  End Function",
                   "  Function Total(extra) : Total = Balance2 + extra : End Function",
                   "End Class",
                   "Dim a, b",
                   "Set a = New Account",
                   "a.Deposit 5",
                   "a.Owner = \"Eva\"",
                   "Out a.Balance2 & a.Owner & a.History(0)",
                   "a.Limit = -1 : Out a.Balance2",
                   "a.Limit = 3",
                   "Out a.Total(1)",
                   "Out a.Twin Is a",
                   "Out TypeName(a)",
                   "Set b = New Account",
                   "Out b.Balance2",
                   "a.Missing",
                   "x = New Unknown",
                   "Set b.Owner = a : Set a.Owner = b"}), // a cycle the module breaks
              (Lines{"15Eva5", "15", "4", "True", "Account", "10"}));
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_NE(errors[0].description.find("Missing"), std::string::npos);

    errors.clear();
    for (const Lines& bad : {Lines{"Class A", "Sub S"}, Lines{"Class A", "x = 1", "End Class"},
                             Lines{"Class A : End Class", "Class a : End Class"}}) {
        errors.clear();
        run(bad);
        EXPECT_EQ(errors.size(), 1u) << bad[0];
    }
}

TEST_F(BasicRunnerTest, ClassMethodsResizeTheirFieldsAndSizeFieldsWhereNewRuns) {
    EXPECT_EQ(
        run({"Const Size = 2", "Class Stack", "  Private items(), fixed(Size)",
             "  Sub Class_Initialize : ReDim items(-1) : End Sub",
             "  Sub Push(v) : ReDim Preserve items(UBound(items) + 1) : items(UBound(items)) = v : "
             "End Sub",
             "  Property Get Count : Count = UBound(items) + 1 : End Property",
             "  Property Get Room : Room = UBound(fixed) : End Property", "End Class",
             "Sub Build(size) : Set s = New Stack : s.Push size : Out s.Count & s.Room : End Sub",
             "Set t = New Stack : t.Push 1 : t.Push 2 : Out t.Count & t.Room", "Build 7"}),
        (Lines{"22", "12"}));
    EXPECT_TRUE(errors.empty());
}

TEST_F(BasicRunnerTest, ClassTerminateRunsAfterTheStatementThatReleasedTheObject) {
    EXPECT_EQ(run({"Class T", "  Public id",
                   "  Sub Class_Terminate : Out \"bye \" & id & TypeName(Me) : End Sub",
                   "End Class", "Set x = New T : x.id = 1 : Set x = Nothing : Out \"after\"",
                   "Sub Scope : Set y = New T : y.id = 2 : End Sub", "Scope : Out \"end\"",
                   "Set z = New T : z.id = 3"}),
              (Lines{"bye 1T", "after", "bye 2T", "end"})); // z lives until the module closes
    EXPECT_TRUE(errors.empty());
}

TEST_F(BasicRunnerTest, CodeGivenAsText) {
    EXPECT_EQ(run({"x = 2", "Out Eval(\"x * 3 + 1\")", "Execute \"y = x + 1 : Out y\"",
                   "Sub S : Dim x : x = 10 : Execute \"Out x\" : ExecuteGlobal \"Out x : g = 5\" : "
                   "End Sub",
                   "S", "Out g", "Out Eval(\"1 +\")", "Execute \"Sub Q : End Sub\""}),
              (Lines{"7", "3", "10", "2", "5"}));
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_NE(errors[0].description.find(vorlan::czech("Chyba syntaxe")), std::string::npos);
}

// ---- errors at run time

TEST_F(BasicRunnerTest, OkContinuesWithTheNextStatementAndCancelStops) {
    EXPECT_EQ(run({"Out 1", "Out 1 / 0", "Out 2", "Sub Main", "  x = Undefined1(1)", "  Out 3",
                   "End Sub"}),
              (Lines{"1", "2", "3"}));
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0].source, vorlan::czech("Chyba VBScriptu za běhu"));
    EXPECT_EQ(errors[0].description, vorlan::czech("Dělení nulou"));
    EXPECT_EQ(errors[0].line, 2);
    EXPECT_EQ(errors[1].line, 5);

    errors.clear();
    output().clear();
    resume = false;
    auto s = scripter(
        {"Out 1", "Out CInt(\"x\")", "Out 2", "Function F : F = 1 : Out 9 / 0 : End Function"});
    s->run();
    EXPECT_EQ(output(), (Lines{"1"}));
    EXPECT_TRUE(s->callByName("F").isEmpty()); // the cancelled call answers nothing
    EXPECT_EQ(errors.size(), 2u);
}

TEST_F(BasicRunnerTest, OnErrorResumeNextAndTheErrObject) {
    EXPECT_EQ(run({"On Error Resume Next", "x = 1 / 0", "Out Err.Number & \" \" & Err.Description",
                   "Err.Clear", "Out Err.Number", "Err.Raise 1000, \"Mine\", \"Custom\"",
                   "Out Err.Number & Err.Source & Err.Description", "Sub Inner", "  Out \"in\"",
                   "  y = CLng(\"bad\")", "  Out \"not reached\"", "End Sub", "Inner",
                   "Out Err.Number", "If Err Then Out \"err is its number\"", "On Error GoTo 0",
                   "Out Err.Number", "Err.Raise 5"}),
              (Lines{vorlan::czech("11 Dělení nulou"), "0", "1000MineCustom", "in", "13",
                     "err is its number", "0"}));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].description, vorlan::czech("Neplatné volání procedury nebo argument"));
}

TEST_F(BasicRunnerTest, ErrorsTravelUpToTheNearestResumingCaller) {
    EXPECT_EQ(
        run({"Sub Inner : Out \"a\" : x = 1 / 0 : Out \"b\" : End Sub",
             "Sub Outer : On Error Resume Next : Inner : Out \"after \" & Err.Number : End Sub",
             "Outer", "Sub Quiet : On Error Resume Next : x = 1 / 0 : End Sub",
             "Quiet : y = 1 / 0 : Out \"next\""}),
        (Lines{"a", "after 11", "next"}));
    ASSERT_EQ(errors.size(), 1u); // resuming is local to the procedure that asked for it
    EXPECT_EQ(errors[0].line, 5);
}

TEST_F(BasicRunnerTest, CancelInAProcedureStopsTheWholeRun) {
    resume = false;
    EXPECT_EQ(run({"Sub S : Out 1 : Out 1 / 0 : Out \"x\" : End Sub", "S", "Out \"after\""}),
              (Lines{"1"}));
    EXPECT_EQ(errors.size(), 1u);
}

TEST_F(BasicRunnerTest, RaisedErrorsCarryTheirSource) {
    run({"Err.Raise vbObjectError + 1, \"Ledger\", \"Balance does not match\""});
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].source, "Ledger");
    EXPECT_EQ(errors[0].description, "Balance does not match");
}

TEST_F(BasicRunnerTest, CallsFromOutsideWriteByRefArgumentsBack) {
    auto s = scripter({"Sub Twice(v) : v = v * 2 : End Sub",
                       "Function Second(ByVal a, b) : a = 0 : Second = b : End Function",
                       "Function Missing(a, b) : Missing = IsEmpty(b) : End Function"});
    Value one[] = {Value(4)};
    s->callByName("Twice", one);
    EXPECT_TRUE(one[0].identical(Value(8)));
    Value two[] = {Value(1), Value("b")};
    EXPECT_TRUE(s->callByName("Second", two).identical(Value("b")));
    EXPECT_TRUE(two[0].identical(Value(1))); // ByVal leaves the caller's value alone
    Value partial[] = {Value(1)};
    EXPECT_TRUE(s->callByName("Missing", partial).identical(Value(true)));
    EXPECT_TRUE(errors.empty());
    Value tooMany[] = {Value(1), Value(2), Value(3)};
    EXPECT_TRUE(s->callByName("Second", tooMany).isEmpty());
    EXPECT_EQ(errors.size(), 1u);

    s->runner()->closeModule();
    EXPECT_EQ(s->runner()->moduleDispatch(), nullptr);
    EXPECT_TRUE(s->callByName("Second", two).isEmpty());
}

TEST_F(BasicRunnerTest, LoopDetails) {
    EXPECT_EQ(run({"n = 0 : For x = 0 To 1 Step 0.25 : n = n + 1 : Next : Out n & \" \" & x",
                   "lim = 3 : For i = 1 To lim : lim = 10 : Next : Out i", "For i = 1 To 3",
                   "  Do : Exit Do : Loop", "  Do", "    If i = 2 Then Exit For", "    Exit Do",
                   "  Loop", "Next", "Out i", "For i = 1 To 5 Step 2 : i = i + 1 : Next : Out i",
                   "Select Case \"pear\" : Case \"apple\" : Out 1 : Case Is > \"b\" : Out 2 : "
                   "Case \"pear\" : Out 3 : End Select"}),
              (Lines{"5 1.25", "4", "2", "7", "2"}));
}

TEST_F(BasicRunnerTest, ArraysAreValuesUnlessPassedByReference) {
    EXPECT_EQ(
        run({"Sub M(ByVal a) : a(0) = 9 : End Sub", "Sub R(a) : a(0) = 8 : End Sub",
             "Function Make() : Make = Array(1, 2) : End Function", "x = Make() : M x : Out x(0)",
             "R x : Out x(0)", "y = x : y(1) = 5 : Out x(1) & y(1)", "Out Make()(1)",
             "Dim g(1, 1) : g(1, 0) = 3 : z = g : Out z(1, 0)", "Out x(2)"}),
        (Lines{"1", "8", "25", "2", "3"}));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].description, vorlan::czech("Index je mimo rozsah"));
}

TEST_F(BasicRunnerTest, NumbersAndText) {
    EXPECT_EQ(
        values({"2147483647 + 1", "TypeName(2147483647 + 1)", "\"a\" = \"A\"", "Null & \"x\"",
                "UCase(\"\xE8"
                "a\") = \"\xC8"
                "A\"",
                "LCase(\"\xC8\") = \"\xE8\"", "-7 \\ 2", "5 Mod -3", "CInt(\"  12 \")", "1 / 4"}),
        (Lines{"2147483648", "Double", "False", "x", "True", "True", "-3", "2", "12", "0.25"}));
}

TEST_F(BasicRunnerTest, OptionExplicitCoversProceduresToo) {
    EXPECT_EQ(run({"Option Explicit", "Sub S", "  Dim ok : ok = 1", "  oops = 2", "  Out ok",
                   "End Sub", "S"}),
              (Lines{"1"}));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].description.find("oops"), std::string::npos);
}

TEST_F(BasicRunnerTest, ScriptObjectsReachableFromOutside) {
    auto s = scripter(
        {"Class Box", "  Public Content",
         "  Property Set Inner(o) : Set Content = o : End Property",
         "  Function Fail : Fail = 1 / 0 : End Function", "End Class",
         "Function Make : Set Make = New Box : Make.Content = 7 : End Function",
         "Function Nest : Set b = New Box : Set b.Inner = Make() : Set Nest = b : End Function",
         "Out Nest().Content.Content", "Out TypeName(Make())"});
    s->run();
    EXPECT_EQ(output(), (Lines{"7", "Box"}));
    const Value box = s->callByName("Make");
    ASSERT_TRUE(box.isObject());
    ObjectRef object = box.asObject();
    Value result;
    ExceptionInfo error;
    const DispId content = object->idOfName("CONTENT");
    ASSERT_NE(content, kUnknownDispId);
    EXPECT_EQ(object->invoke(content, InvokeGet, {}, result, error), DispStatus::Ok);
    EXPECT_TRUE(result.identical(Value(7)));
    // A failing method reports through the handler; OK goes on, Cancel fails the call.
    const DispId fail = object->idOfName("Fail");
    EXPECT_EQ(object->invoke(fail, InvokeMethod, {}, result, error), DispStatus::Ok);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].description, vorlan::czech("Dělení nulou"));
    resume = false;
    EXPECT_EQ(object->invoke(fail, InvokeMethod, {}, result, error), DispStatus::Exception);
    EXPECT_EQ(errors.size(), 2u);
    EXPECT_EQ(object->idOfName("Nope"), kUnknownDispId);
}

TEST_F(BasicRunnerTest, DeepRecursionFailsCleanly) {
    EXPECT_EQ(run({"Function R(n) : R = R(n + 1) : End Function", "On Error Resume Next",
                   "x = R(1)", "Out Err.Number"}),
              (Lines{"28"}));
    auto s = scripter({"Do : Loop"});
    basic::VbScriptRunner::setStatementBudget(10000);
    s->run(); // stops instead of hanging
    basic::VbScriptRunner::setStatementBudget(0);
}

TEST_F(BasicRunnerTest, WrongArgumentCountsFail) {
    run({"Sub S(a) : End Sub", "Function F(a) : F = a : End Function", "S 1, 2", "Out Len()",
         "Out Len(\"ab\")", "Out F()", "S"});
    EXPECT_EQ(output(), (Lines{"2"}));
    EXPECT_EQ(errors.size(), 4u);
}

// ---- built-ins

TEST_F(BasicRunnerTest, StringFunctions) {
    EXPECT_EQ(
        values({"Len(\"abc\")",
                "Left(\"abc\", 2) & Right(\"abc\", 2) & Mid(\"abcdef\", 2, 3) & Mid(\"abc\", 2)",
                "InStr(\"abcabc\", \"c\") & InStr(4, \"abcabc\", \"c\") & InStr(\"abc\", \"x\")",
                "InStr(1, \"ABC\", \"b\", vbTextCompare) & InStrRev(\"abcabc\", \"b\")",
                "Replace(\"aXbXc\", \"x\", \"-\", 1, -1, 1) & Replace(\"aaa\", \"a\", \"b\", 1, 2)",
                "Join(Split(\"a,b,,c\", \",\"), \"|\") & UBound(Split(\"\", \",\"))",
                "UCase(\"ab\") & LCase(\"CD\") & \"[\" & Trim(\"  x  \") & LTrim(\" y\") & "
                "RTrim(\"z \") & \"]\"",
                "Space(2) & String(3, \"*\") & String(2, 65)",
                "StrComp(\"a\", \"B\") & StrComp(\"a\", \"A\", 1)",
                "Asc(\"A\") & Chr(66) & Hex(255) & StrReverse(\"abc\")"}),
        (Lines{"3", "abbcbcdbc", "360", "25", "a-b-cbba", "a|b||c-1", "ABcd[xyz]", "  ***AA", "10",
               "65BFFcba"}));
}

TEST_F(BasicRunnerTest, ConversionsAndMathematics) {
    EXPECT_EQ(
        values({"CInt(2.5) & CInt(3.5) & CLng(\"12\")", "CDbl(\"1.5\") + 1", "CBool(2) & CBool(0)",
                "CStr(12) & IsNumeric(\"1.5\") & IsNumeric(\"x\") & IsArray(Array(1))",
                "Int(-1.5) & Fix(-1.5) & Abs(-3) & Sgn(-2) & Sgn(0)",
                "Round(2.5) & Round(3.5) & Round(-2.5) & Round(0.125, 2)", "Sqr(16)",
                "VarType(\"s\")", "Day(DateSerial(2024, 2, 30))"}),
        (Lines{"2412", "2.5", "TrueFalse", "12TrueFalseTrue", "-2-13-10", "24-20.12", "4", "8",
               "1"}));
    run({"Out CInt(40000)", "Out Sqr(-1)"});
    EXPECT_EQ(errors.size(), 2u);
}

TEST_F(BasicRunnerTest, DatesAndRandomNumbers) {
    EXPECT_EQ(
        values({"Year(DateAdd(\"m\", 1, #1/31/2024#)) & Month(DateAdd(\"m\", 1, #1/31/2024#)) & "
                "Day(DateAdd(\"m\", 1, #1/31/2024#))",
                "DateDiff(\"d\", #12/30/2023#, #1/2/2024#) & DateDiff(\"yyyy\", #12/31/2023#, "
                "#1/1/2024#)",
                "Weekday(#1/7/2024#) & MonthName(2, True) & WeekdayName(2)",
                "Hour(TimeSerial(13, 5, 0)) & Minute(#1/1/2024 13:05#)",
                "Join(Filter(Array(\"ab\", \"cd\", \"AB\"), \"a\", True, vbTextCompare), \",\")"}),
        (Lines{"2024229", "31", "1FebMonday", "135", "ab,AB"}));
    output().clear();
    run({"Randomize 7 : a = Rnd : b = Rnd : Randomize 7",
         "Out (a = Rnd) & (b = Rnd) & (a <> b) & (a >= 0 And a < 1)"});
    EXPECT_EQ(output(), (Lines{"TrueTrueTrueTrue"}));
}

TEST_F(BasicRunnerTest, ModuleDeclarationsExistBeforeTheyRunAndEraseClears) {
    EXPECT_EQ(run({"Sub Show : Out IsEmpty(total) & TypeName(total) : total = 2 : End Sub", "Show",
                   "Dim total : Out total",
                   "Dim e(1) : e(0) = 1 : Erase e : Out IsEmpty(e(0)) & UBound(e)"}),
              (Lines{"TrueEmpty", "2", "True1"}));
}

TEST_F(BasicRunnerTest, MessageBoxesGoThroughTheUserInterface) {
    std::ostringstream log;
    auto headless = std::make_unique<HeadlessUi>(&log);
    std::vector<MessageBoxRequest> asked;
    headless->setAnswer([&asked](const MessageBoxRequest& r) {
        asked.push_back(r);
        return MessageResult::No;
    });
    auto previous = setUi(std::move(headless));
    run({"Out MsgBox(\"Save?\", vbYesNo + vbQuestion + vbDefaultButton2, \"Ledger\") = vbNo",
         "Out InputBox(\"Name\", , \"Eva\")"});
    setUi(std::move(previous));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, "Save?");
    EXPECT_EQ(asked[0].caption, "Ledger");
    EXPECT_EQ(asked[0].buttons, ButtonYes | ButtonNo);
    EXPECT_EQ(asked[0].icon, MessageIcon::Question);
    EXPECT_EQ(asked[0].defaultButton, ButtonNo);
    EXPECT_EQ(output(), (Lines{"True", "Eva"})); // the headless input box takes the default
}

// ---- the system's names and objects

TEST_F(BasicRunnerTest, RegisteredProceduresVariablesAndConstants) {
    EXPECT_EQ(run({"Out NativeAdd(2, 3)", "NativeCounter = NativeLimit + 1", "Out NativeCounter",
                   "Dim v : v = 4 : NativeTwice v : Out v", "NativeFail", "Out \"after\""}),
              (Lines{"5", "4", "8", "after"}));
    EXPECT_EQ(counter.toInt(), 4);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].description, "Native boom");

    output().clear();
    errors.clear();
    run({"For NativeCounter = 1 To 3 : Out NativeCounter : Next", "NativeLimit = 4"});
    EXPECT_EQ(output(), (Lines{"1", "2", "3"}));
    EXPECT_EQ(errors.size(), 1u); // constants cannot change
}

class BasicObjectTest : public BasicRunnerTest {
protected:
    void SetUp() override {
        BasicRunnerTest::SetUp();
        form = std::make_unique<Component>("TForm", "Form1");
        form->setPublished("Caption", Value("Start"));
        auto button = std::make_unique<Thing>();
        button->setName("Button1");
        button->caption = "OK";
        button->items = {Value("a"), Value("b")};
        form->adopt(std::move(button));
    }
    Thing& button() { return *static_cast<Thing*>(form->findComponent("Button1")); }
    std::unique_ptr<Component> form;
};

TEST_F(BasicObjectTest, MembersDefaultPropertyAndGlobalNamedObjects) {
    auto s = scripter(
        {"Out Caption", "Caption = \"Changed\"", "Out Form1.Caption", "Dim b", "Set b = Button1",
         "b.Caption = \"Go\"", "Out b.Caption & b.Add(\"c\") & b(2) & b.Items(0)",
         "b(0) = \"z\" : Out b(0)", "Out b Is Form1.Button1", "b.Nonsense = 1", "Out TypeName(b)"});
    s->setModule(form.get());
    s->run();
    EXPECT_EQ(output(), (Lines{"Start", "Changed", "Go2ca", "z", "True", "TVbThing"}));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].description.find("Nonsense"), std::string::npos);
    Value caption;
    form->getPublished("Caption", caption);
    EXPECT_EQ(caption.toString(), "Changed");
}

TEST_F(BasicObjectTest, WithBlocksAndDefaultValuesOfObjects) {
    auto s = scripter({"With Button1", "  .Caption = \"In\" : .Add \"q\"",
                       "  Out .Caption & .Items(2)", "  With Form1 : Out .Caption : End With",
                       "  Out .Count2", "End With", "If Button1(0) = \"a\" Then Out \"default\"",
                       "Button1(1) = \"y\"", "Out Button1(1)",
                       "For Each it In Button1 : s = s & it : Next : Out s", "With 5 : End With"});
    s->setModule(form.get());
    s->run();
    EXPECT_EQ(output(), (Lines{"Inq", "Start", "default", "y", "ayq"}));
    ASSERT_EQ(errors.size(), 2u); // .Count2 is unknown, With needs an object
    EXPECT_EQ(button().caption, "In");
}

TEST_F(BasicRunnerTest, RunnerIsRegisteredForItsExtensionAndLanguage) {
    const RunnerClassInfo* info = registry().runnerForExtension("PMB");
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->className, "TVbScriptRunner");
    EXPECT_EQ(registry().runnerForLanguage("vbscript"), info);
}

} // namespace
