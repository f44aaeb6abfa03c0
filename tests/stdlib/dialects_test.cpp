// The standard units as programs reach them: a Pascal, a Basic and a JavaScript module each run
// through a scripter, with the library registered as at start-up.
#include "core/cp1250.h"
#include "core/headless_ui.h"
#include "scratch_folder.h"
#include "script/basic/basic_runner.h"
#include "script/bind.h"
#include "script/builtins.h"
#include "script/js/js_runner.h"
#include "script/pascal/pascal_runner.h"
#include "script/registry.h"
#include "script/scripter.h"
#include "stdlib/stdlib.h"
#include "stdlib_calls.h"

#include <gtest/gtest.h>

using namespace vorlan;
using namespace vorlan::script;

namespace {

std::vector<std::string>& printed() {
    static std::vector<std::string> lines;
    return lines;
}

void registerOnce() {
    static const bool done = [] {
        // The units once for the whole test program: registering them again would replace
        // the variables that programs compiled by other tests still refer to.
        stdlib::testing::registerUnitsOnce();
        script::Registry& reg = registry();
        registerScriptRunners(reg);
        pascal::registerPascalRunner(reg);
        js::registerJavaScriptRunner(reg);
        basic::registerVbScriptRunner(reg);
        reg.registerProc("TestOut", "procedure(V: Variant)",
                         [](NativeObject*, std::span<Value> args, Value&) {
                             printed().push_back(args[0].toString());
                         });
        return true;
    }();
    (void)done;
}

class Dialects : public stdlib_test::ScratchFolder {
protected:
    void SetUp() override {
        ScratchFolder::SetUp();
        registerOnce();
        printed().clear();
        previousUi_ = setUi(std::make_unique<HeadlessUi>(&uiLog_));
    }
    void TearDown() override {
        setUi(std::move(previousUi_));
        ScratchFolder::TearDown();
    }

    // Runs the module; the printed lines joined with blanks, then the errors after " | ".
    std::string run(const char* language, std::vector<std::string> lines) {
        Scripter s;
        s.language = language;
        for (std::string& line : lines)
            s.script.push_back(czech(line));
        std::string errors;
        s.onError = [&](Scripter&, const ExceptionInfo& info, int, int line, bool& resume) {
            errors += " | " + std::to_string(line) + ": " + cp1250ToUtf8(info.description);
            resume = false;
        };
        s.run();
        std::string out;
        for (const auto& p : printed())
            out += (out.empty() ? "" : " ") + cp1250ToUtf8(p);
        printed().clear();
        return out + errors;
    }

private:
    std::unique_ptr<UiServices> previousUi_;
    std::ostringstream uiLog_;
};

} // namespace

TEST_F(Dialects, EveryBindingAgreesWithItsDeclaration) {
    EXPECT_TRUE(bindingMismatches().empty()) << bindingMismatches().front();
}

TEST_F(Dialects, PascalStringListsListsAndStreams) {
    EXPECT_EQ(run("ZelmoranScript",
                  {"var L, M: TStringList; T: TList; S: TMemoryStream; i: Integer;", "begin",
                   "  L := TStringList.Create;",
                   "  L.Add('hruška'); L.Add('chleba'); L.Add('cibule'); L.Add('Čaj');",
                   "  L.Sort; TestOut(L.CommaText); TestOut(L[1]); TestOut(L.Strings[2]);",
                   "  L.Values['klic'] := 'hodnota'; TestOut(L.Values['KLIC']);",
                   "  TestOut(L.IndexOfName('klic')); TestOut(L.Names[4]);",
                   "  if L.Find('chleba', i) then TestOut(i);",
                   "  L.Sorted := True; L.Duplicates := dupIgnore; L.Add('CIBULE'); "
                   "TestOut(L.Count);",
                   "  M := TStringList.Create; M.Assign(L); TestOut(M.Count); M.Free;",
                   "  L.SaveToFile('T:\\SEZNAM.TXT'); L.Clear; L.LoadFromFile('T:\\seznam.txt');",
                   "  TestOut(L.Count);", "  try L.Strings[99] := 'x' except TestOut('chyba') end;",
                   "  T := TList.Create; T.Add(5); T.Add('x'); T.Add(nil); T.Pack; "
                   "TestOut(T.Count); TestOut(T[1]);",
                   "  S := TMemoryStream.Create; S.WriteString('abc'); S.Position := 1;",
                   "  TestOut(S.ReadString(5)); TestOut(S.Size); S.Free; T.Free; L.Free;", "end."}),
              "cibule,Čaj,hruška,chleba Čaj hruška hodnota 4 klic 3 5 5 5 chyba 2 x bc 3");
}

TEST_F(Dialects, PascalMathRegistryAndAutomation) {
    EXPECT_EQ(
        run("ZelmoranScript",
            {"var R: TRegistry; D, F: Variant;", "begin",
             "  TestOut(Mean([1, 2, 3, 6])); TestOut(MaxValue([4, 9, 2])); TestOut(Sum([1.5, 2]));",
             "  TestOut(Power(2, 8)); TestOut(Floor(-1.5)); TestOut(RoundTo(1234.5678, -2));",
             "  TestOut(SimpleRoundTo(2.345)); TestOut(EnsureRange(15, 0, 10));",
             "  R := TRegistry.Create; R.RootKey := HKEY_CURRENT_USER;",
             "  if R.OpenKey('Software\\Test', True) then R.WriteInteger('N', 42);",
             "  R.CloseKey; R.OpenKey('\\Software\\Test', False); TestOut(R.ReadInteger('N'));",
             "  TestOut(R.KeyExists('\\Software')); R.Free;",
             "  D := CreateOleObject('Scripting.Dictionary'); D.Add('a', 1); D.Item['b'] := 2;",
             "  TestOut(D.Count); TestOut(D.Item['b']); TestOut(D.Exists('c'));",
             "  F := CreateOleObject('Scripting.FileSystemObject');",
             "  TestOut(F.GetBaseName('C:\\DATA\\FIRMA.DBF'));",
             "  try CreateOleObject('Excel.Application') except TestOut('neni') end;",
             "  CreateOleObject('Word.Application');", "end."}),
        "3 9 3.5 256 -2 1234.57 2.35 10 42 True 2 2 False FIRMA neni | 15: Objekt "
        "<Word.Application> není v tomto systému k dispozici");
}

TEST_F(Dialects, ErrorsOfListsStreamsMathAndAutomationAreExceptionClasses) {
    // Each unit's errors are classes derived from Exception: a handler names them through
    // ExceptionClassName, and a program may raise them itself.
    const char* handler = " except TestOut(ExceptionClassName) end;";
    EXPECT_EQ(
        run("ZelmoranScript",
            {"var L: TStringList; T: TList; R: TRegistry;", "begin",
             "  L := TStringList.Create; T := TList.Create;",
             std::string("  try L.Delete(3)") + handler, std::string("  try T.Delete(0)") + handler,
             "  L.Sorted := True; L.Duplicates := dupError; L.Add('a');",
             std::string("  try L.Add('A')") + handler,
             std::string("  try L.Insert(0, 'b')") + handler,
             std::string("  try L.LoadFromFile('T:\\NENI\\NIC.TXT')") + handler,
             std::string("  try MinValue([])") + handler, std::string("  try Log10(0)") + handler,
             std::string("  try Power(-8, 0.5)") + handler, "  R := TRegistry.Create;",
             std::string("  try R.WriteString('X', 'y')") + handler,
             std::string("  try CreateOleObject('Excel.Application')") + handler,
             "  try raise EStringListError.Create('vlastni') except",
             "    TestOut(ExceptionClassName + ': ' + ExceptionMessage) end;",
             "  R.Free; T.Free; L.Free;", "end."}),
        "EStringListError EListError EStringListError EStringListError EFOpenError "
        "EInvalidArgument EZeroDivide EInvalidOp ERegistryException EOleSysError "
        "EStringListError: vlastni");
}

TEST_F(Dialects, BasicReachesTheListsAndTheAutomationObjects) {
    EXPECT_EQ(
        run("VBScript", {"Dim L, D, F, T", "Set L = TStringList.Create", "L.Add \"b\": L.Add \"a\"",
                         "L.Sort", "TestOut L.CommaText & \" \" & L(0)",
                         "Set D = CreateObject(\"Scripting.Dictionary\")", "D(\"x\") = 1",
                         "TestOut D.Count", "Set F = CreateObject(\"Scripting.FileSystemObject\")",
                         "Set T = F.CreateTextFile(\"T:\\OUT.TXT\")", "T.WriteLine \"radek\"",
                         "T.Close", "Set T = F.OpenTextFile(\"T:\\OUT.TXT\")", "TestOut T.ReadLine",
                         "TestOut F.FileExists(\"t:\\out.txt\")", "L.Free",
                         "Set X = CreateObject(\"Nic.Neni\")"}),
        "a,b a 1 radek True | 17: Objekt <Nic.Neni> není v tomto systému k dispozici");
}

TEST_F(Dialects, JavaScriptReachesTheListsAndTheAutomationObjects) {
    EXPECT_EQ(
        run("JavaScript", {"var l = TStringList.Create(null);", "l.Add('b'); l.Add('a'); l.Sort();",
                           "TestOut(l.CommaText + ' ' + l(0) + ' ' + l.Count);",
                           "var d = new ActiveXObject('Scripting.Dictionary');", "d.Add('k', 5);",
                           "TestOut(d.Item('k') + d.Count);",
                           "var fso = new ActiveXObject('Scripting.FileSystemObject');",
                           "TestOut(fso.BuildPath('C:\\\\A', 'b.txt'));", "l.Free();",
                           "try { new ActiveXObject('Excel.Application'); } catch (e) { "
                           "TestOut(e.message); }"}),
        "a,b a 2 6 C:\\A\\b.txt Objekt <Excel.Application> není v tomto systému k "
        "dispozici");
}

// Basic and JavaScript reach registered routines and methods through their direct entries: a
// left-out parameter takes its default, a ByRef/var argument comes back, a wrong count and a
// failing routine are script errors, and a method of a freed object fails cleanly.
TEST_F(Dialects, BasicAndJavaScriptCallRegisteredRoutinesDirectly) {
    EXPECT_EQ(
        run("VBScript", {"Dim n, ok, L", "TestOut BoolToStr(True) & \"/\" & BoolToStr(True, True)",
                         "ok = TryStrToInt(\"42\", n)", "TestOut ok & \" \" & n",
                         "Set L = TStringList.Create", "L.Add \"a\": L.Add \"b\"",
                         "TestOut L.Count", "L.Free", "TestOut BoolToStr(True, True, 3)"}),
        "-1/True True 42 2 | 9: Chybný počet parametrů");
    EXPECT_EQ(run("JavaScript", {"TestOut(BoolToStr(false) + '/' + BoolToStr(false, true));",
                                 "var l = TStringList.Create(null); l.Add('x'); l.Add('y');",
                                 "TestOut(l.Count); l.Free();",
                                 "try { l.Add('z'); } catch (e) { TestOut('freed'); }",
                                 "TestOut(BoolToStr(true, true, 3));"}),
              "0/False 2 freed | 5: Chybný počet parametrů");
}

// A call site called again and again keeps the meaning of its first call: an argument read from a
// variable shows the value it had when its turn came, arguments of changing kinds are converted
// each time, a ByRef argument still comes back, a member reaches whatever object the site meets
// (native or the script's own, of one class or another), and a freed object fails as before.
TEST_F(Dialects, RepeatedCallsKeepTheirMeaningInBasic) {
    EXPECT_EQ(
        run("VBScript",
            {"Dim x, i, r, v, n, ok, o, A, B, L",
             "Function Change()",
             "  x = \"zzz\": Change = \"abc\"",
             "End Function",
             "Class Bag",
             "  Public Count",
             "  Sub Add(v)",
             "    Count = Count + 10",
             "  End Sub",
             "End Class",
             "For i = 1 To 3: x = \"b\": r = r & Pos(x, Change()) & Pos(x, x & \"c\"): Next",
             "TestOut r: r = \"\"",
             "For Each v In Array(\"abc\", 12345, True, 2.5, \"\"): r = r & Length(v): Next",
             "TestOut r: r = \"\"",
             "For i = 1 To 3: ok = TryStrToInt(CStr(i * 7), n): r = r & n: Next",
             "TestOut r",
             "Set A = TStringList.Create: Set B = New Bag: Set L = TStringList.Create",
             "For i = 1 To 6",
             "  Set o = A: If i Mod 3 = 2 Then Set o = L",
             "  If i Mod 3 = 0 Then Set o = B",
             "  o.Add i: n = o.Count",
             "Next",
             "TestOut A.Count & \" \" & B.Count & \" \" & L.Count & \" \" & L(1)",
             "On Error Resume Next",
             "For i = 1 To 3",
             "  If i = 3 Then A.Free",
             "  A.Add \"x\": n = A.Count",
             "  If Err.Number <> 0 Then TestOut Err.Number & \" \" & Err.Description: Err.Clear",
             "Next"}),
        "212121 35430 71421 2 20 2 5 440 Objekt už byl uvolněn");
}

// The same for JavaScript, whose native functions find their binding by a number they carry: the
// methods of two objects of one class stay apart, a freed object fails, texts with and without
// Czech letters cross both ways, and objects past the numbers there are still work.
TEST_F(Dialects, RepeatedCallsKeepTheirMeaningInJavaScript) {
    EXPECT_EQ(run("JavaScript",
                  {"var r = '', a = TStringList.Create(null), b = TStringList.Create(null);",
                   "var kinds = ['abc', 12345, true, 2.5, '', 'žluťoučký'];",
                   "for (var i = 0; i < kinds.length; i++) r += Length(kinds[i]);",
                   "TestOut(r); TestOut(UpperCase('čaj') + UpperCase('tea'));",
                   "for (var i = 0; i < 3; i++) { a.Add('x' + i); b.Add('y'); b.Add('ž'); }",
                   "TestOut(a.Count + ' ' + b.Count + ' ' + a.Strings(2) + b.Strings(1));",
                   "b.Values['k'] = 'v1';",
                   "TestOut(b.Values['k'] + b.Values['K'] + b.Strings[0] + b.Strings[6]);",
                   "a.Free();", "try { a.Add('q'); } catch (e) { TestOut('freed'); }", "var n = 0;",
                   "for (var i = 0; i < 33000; i++) {",
                   "  var l = TStringList.Create(null); l.Add('a'); n += l.Count; l.Free();", "}",
                   "TestOut(n);"}),
              "354309 čAJTEA 3 6 x2ž v1v1yk=v1 freed 33000");
}

// A property site read or written again and again keeps its meaning too: it reaches whichever
// list it meets, the index variable may take the result, a name holding the separator is no
// line's name, values of other kinds are converted, open arrays built in a loop stay apart when
// a routine keeps them, and a freed list fails as before.
TEST_F(Dialects, RepeatedPropertyAccessKeepsItsMeaning) {
    EXPECT_EQ(
        run("ZelmoranScript",
            {"var A, B, L: TStringList; T: TList; i: Integer; s, r: string;",
             "begin",
             "  A := TStringList.Create; B := TStringList.Create;",
             "  A.Add('k=1'); A.Add('x=y=z'); B.Add('K=2');",
             "  for i := 1 to 4 do begin",
             "    if i mod 2 = 1 then L := A else L := B;",
             "    r := r + L.Values['k'] + '/'",
             "  end;",
             "  TestOut(r); s := 'k'; s := A.Values[s]; TestOut(s);",
             "  TestOut('[' + A.Values['x=y'] + A.Values['x'] + ']');",
             "  for i := 1 to 3 do A.Values['n' + IntToStr(i)] := IntToStr(i * 10);",
             "  for i := 1 to 2 do A.Strings[i - 1] := 'k=' + IntToStr(i);",
             "  TestOut(A.CommaText); r := '';",
             "  for i := 1 to 3 do begin A.Sorted := i = 2; r := r + BoolToStr(A.Sorted) end;",
             "  TestOut(r); T := TList.Create; r := '';",
             "  for i := 1 to 3 do T.Add([i, 'x']);",
             "  for i := 0 to 2 do r := r + Format('%d%s', T[i]) + Format('%d', [i]);",
             "  TestOut(r); B.Free;",
             "  for i := 1 to 2 do try TestOut(B.Values['K']) except TestOut('uvolněn') end;",
             "end."}),
        "1/2/1/2/ 1 [y=z] k=1,k=2,n1=10,n2=20,n3=30 0-10 1x02x13x2 uvolněn uvolněn");
    EXPECT_EQ(
        run("VBScript",
            {"Dim A, B, L, i, r, s", "Set A = TStringList.Create: Set B = TStringList.Create",
             "A.Add \"k=1\": A.Add \"x=y=z\": B.Add \"K=2\"", "For i = 1 To 4",
             "  If i Mod 2 = 1 Then Set L = A Else Set L = B", "  r = r & L.Values(\"k\") & \"/\"",
             "Next", "TestOut r: s = \"k\": s = A.Values(s): TestOut s",
             "TestOut \"[\" & A.Values(\"x=y\") & A.Values(\"x\") & \"]\"",
             "For i = 1 To 3: A.Values(\"n\" & i) = i * 10: Next",
             "For i = 1 To 2: r = r & A.Strings(i - 1) & A(CStr(i)): Next",
             "TestOut A.CommaText & \" \" & r", "On Error Resume Next", "For i = 1 To 2",
             "  If i = 2 Then B.Free", "  s = B.Values(\"K\")",
             "  If Err.Number = 0 Then TestOut s",
             "  If Err.Number <> 0 Then TestOut Err.Number & \" \" & Err.Description", "Next"}),
        "1/2/1/2/ 1 [y=z] k=1,x=y=z,n1=10,n2=20,n3=30 1/2/1/2/k=1x=y=zx=y=zn1=10 2 440 "
        "Objekt už byl uvolněn");
}

// Basic's Array() in a loop takes its last array again only when nobody holds it: arrays kept
// in variables stay apart, a changed one is the program's own copy, and an array holding an
// object is not kept, so the object goes as soon as the program lets it go.
TEST_F(Dialects, BasicArraysMadeInALoopStayApart) {
    EXPECT_EQ(run("VBScript",
                  {"Class Bag", "  Sub Class_Terminate : TestOut \"pryč\" : End Sub", "End Class",
                   "Dim a, b, c, i, r, o",
                   "For i = 1 To 3: r = r & Format(\"%d%s\", Array(i, \"x\")): Next",
                   "a = Array(1, 2): b = Array(3, 4): a(0) = 9: c = Array(5, 6)",
                   "TestOut r & \" \" & a(0) & a(1) & b(0) & c(0)",
                   "Set o = New Bag: i = UBound(Array(o, 1)): Set o = Nothing: TestOut \"dál\""}),
              "1x2x3x 9235 pryč dál");
}
