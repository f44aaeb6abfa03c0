// Every compile message with the line and column of the token it names; the handler path and
// the exception path.
#include "pascal_fixture.h"

#include "core/cp1250.h"
#include "script/pascal/compiler.h"

using namespace vorlan;
using namespace vorlan::testing;
using namespace vorlan::script;

namespace {

struct Case {
    std::vector<std::string> source;
    const char* message; // UTF-8
    int line;            // from 1
    int column;          // from 1
};

class CompileErrors : public PascalTest, public ::testing::WithParamInterface<Case> {};

TEST_P(CompileErrors, ReportTheMessageAtTheToken) {
    const Case& c = GetParam();
    resume = true; // the compilation is abandoned whatever the answer
    auto s = scripter(c.source);
    s->run();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(cp1250ToUtf8(errors[0].description), c.message);
    EXPECT_EQ(errors[0].line, c.line);
    EXPECT_EQ(errors[0].position, c.column);
    EXPECT_EQ(cp1250ToUtf8(errors[0].source), "Chyba syntaxe");
    EXPECT_EQ(s->runner(), nullptr);
    EXPECT_TRUE(s->errorFlag());
    EXPECT_TRUE(output().empty());
}

const Case kCases[] = {
    {{"var a, b: Integer;", "begin a := 1 b := 2 end."}, "Očekávám oddělovač", 2, 14},
    {{"program ;"}, "Očekávám jméno programu", 1, 9},
    {{"var a: Integer;", "begin a := ; end."}, "Očekávám identifikáror", 2, 12},
    {{"uses ;"}, "Očekávám jméno zdroje", 1, 6},
    {{"begin for 1 := 1 to 2 do end."}, "Očekávám jméno proměnné", 1, 11},
    {{"begin goto ; end."}, "Očekávám jméno návěští", 1, 12},
    {{"var a: Integer;"}, "Očekávám \"begin\"", 1, 16},
    {{"begin", "  TestOut(1);"}, "Očekávám \"End\"", 2, 14},
    {{"begin if 1 = 1 TestOut(1) end."}, "Očekávám \"Then\"", 1, 16},
    {{"begin while False TestOut(1) end."}, "Očekávám \"Do\"", 1, 19},
    {{"begin repeat TestOut(1); end."}, "Očekávám \"Until\"", 1, 26},
    {{"begin try TestOut(1) end end."}, "Očekávám \"Except\"", 1, 22},
    {{"begin try TestOut(1) except on E: ENothing do TestOut(2) end end."},
     "Neznámý identifikátor: <ENothing>",
     1,
     35},
    {{"begin try TestOut(1) except on E: Exception TestOut(2) end end."}, "Očekávám \"Do\"", 1, 45},
    {{"begin Writeln(1:2:3:4) end."}, "Očekávám znak \")\", nalezl jsem ale \":\"", 1, 20},
    {{"begin try TestOut(1) except TestOut(2)"}, "Očekávám \"End\"", 1, 39},
    {{"var a: Integer;", "begin a := (1 + 2; end."},
     "Očekávám znak \")\", nalezl jsem ale \";\"",
     2,
     18},
    {{"begin TestOut(1 2) end."}, "Očekávám znak \",\" nebo \")\"", 1, 17},
    {{"procedure P; begin end;", "begin TestOut(P) end."}, "Neplatné použití procedury", 2, 15},
    {{"begin TestOut(#999) end."}, "Chyba deklarace řetězce", 1, 15},
    {{"begin TestOut($) end."}, "Chyba deklarace hexadecimální konstanty", 1, 15},
    {{"begin goto nowhere end."}, "Návěští <nowhere> není definováno", 1, 12},
    {{"label L;", "begin goto L end."}, "Návěští <L> není definováno", 2, 12},
    {{"label L, l;", "begin end."}, "Návěští <l> je již definováno", 1, 10},
    {{"label L;", "begin L: TestOut(1); L: TestOut(2) end."},
     "Návěští <L> je již definováno",
     2,
     22},
    {{"procedure P(a); begin end;", "begin end."}, "Chyba v deklaraci parametru metody", 1, 14},
    {{"procedure TNone.Run; begin end;", "begin end."}, "Chyba deklarace metody", 1, 17},
    {{"type TFoo = class(TComponent)", "  procedure ; end;", "begin end."},
     "Chyba deklarace metody",
     2,
     13},
    {{"type TFoo = class(TComponent)", "  property Size: Integer;", "end;", "begin end."},
     "Vlastnost není implementována",
     2,
     25},
    {{"var a: Integer;", "const X = a;", "begin end."}, "Chyba deklarace <X>", 2, 12},
    {{"type TNumber = Integer;", "begin end."}, "Povolena pouze deklarace třídy", 1, 16},
    {{"var a, A: Integer;", "begin end."}, "Proměnná <A> je již definována", 1, 8},
    {{"begin x := 1 end."}, "Proměnná <x> nebyla definována", 1, 7},
    {{"x := 1;"}, "Chyba v deklaraci bloku", 1, 1},
    {{"begin", "  break", "end."}, "#Break outside of loop", 2, 3},
    {{"begin", "  continue", "end."}, "#Continue outside of loop", 2, 3},
    {{"begin TestOut(zzz) end."}, "Neznámý identifikátor: <zzz>", 1, 15},
    {{"var a: TNoSuchType;", "begin end."}, "Zadán neznámý typ", 1, 8},
    {{"begin Zork(1) end."}, "Procedura <Zork> nebyla nalezena", 1, 7},
    {{"function F: Integer; begin end;", "begin end."},
     "Proměnná Result není použita v <F>",
     1,
     28},
    {{"procedure P(a: Integer); begin end;", "begin P(1, 2) end."}, "Chybný počet parametrů", 2, 7},
    {{"begin {$IFDEF A}{$IFDEF A}{$IFDEF A}{$IFDEF A}{$IFDEF A}{$IFDEF A}{$IFDEF A}{$IFDEF A}",
      "{$IFDEF A}{$IFDEF A}{$IFDEF A}{$IFDEF A}{$IFDEF A}{$IFDEF A}{$IFDEF A}{$IFDEF A}",
      "{$IFDEF A}{$IFDEF A}{$IFDEF A}{$IFDEF A}{$IFDEF A}{$IFDEF A}{$IFDEF A}{$IFDEF A}",
      "{$IFDEF A}{$IFDEF A}{$IFDEF A}{$IFDEF A}{$IFDEF A}{$IFDEF A}{$IFDEF A}{$IFDEF A}",
      "{$IFDEF A} end."},
     "Příliš mnoho vnořených podmíněných direktiv (nejvýše 32)",
     5,
     1},
    {{"begin end"}, "Očekávám znak \".\", nalezl jsem ale \"\"", 1, 10},
    {{"procedure P; forward;", "begin end."}, "Chyba deklarace <P>", 1, 11},
    {{"var a: Integer;", "begin a := 1 + ; end."}, "Očekávám identifikáror", 2, 16},
};

INSTANTIATE_TEST_SUITE_P(Messages, CompileErrors, ::testing::ValuesIn(kCases));

class CompilerLimits : public PascalTest {};

TEST_F(CompilerLimits, MoreVariablesThanSlotsIsACompileError) {
    std::string decl = "var v0";
    for (int i = 1; i < 2100; ++i)
        decl += ", v" + std::to_string(i);
    resume = true;
    auto s = scripter({decl + ": Integer;", "begin end."});
    s->run();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(cp1250ToUtf8(errors[0].description),
              "Modul potřebuje více než 2049 proměnných a mezivýsledků");
}

TEST_F(CompilerLimits, VariablesUpToTheBankCompileAndRun) {
    // 2040 variables leave room for the temporaries only when literals give up their own slots.
    std::string decl = "var v0";
    for (int i = 1; i < 2040; ++i)
        decl += ", v" + std::to_string(i);
    std::vector<std::string> lines{decl + ": Integer;", "begin"};
    for (int i = 0; i < 60; ++i)
        lines.push_back("  v" + std::to_string(i) + " := v0 + " + std::to_string(i * 7) + ";");
    lines.push_back("  TestOut(v59 + 1000) end.");
    EXPECT_EQ(runText(lines), "1413");
    EXPECT_TRUE(errors.empty());
}

TEST_F(CompilerLimits, MoreLabelsThanTheTableIsACompileError) {
    std::string decl = "label L0";
    for (int i = 1; i < 70000; ++i)
        decl += ", L" + std::to_string(i);
    resume = true;
    auto s = scripter({decl + ";", "begin end."});
    s->run();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(cp1250ToUtf8(errors[0].description), "Modul potřebuje příliš mnoho návěští");
}

TEST_F(CompilerLimits, MoreConstantsThanTheTableIsACompileError) {
    std::vector<std::string> lines{"var s: string;", "begin"};
    for (int i = 0; i < 66000; ++i)
        lines.push_back("s := 'c" + std::to_string(i) + "';");
    lines.push_back("end.");
    resume = true;
    auto s = scripter(lines);
    s->run();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(cp1250ToUtf8(errors[0].description), "Modul potřebuje příliš mnoho konstant");
}

TEST(CompilerWithoutHandler, ThrowsWithTheSyntaxErrorText) {
    pascal::PascalCompiler compiler;
    try {
        compiler.compile({"begin", "  if 1 TestOut(1)"});
        FAIL() << "no error";
    } catch (const pascal::CompileError& e) {
        EXPECT_EQ(cp1250ToUtf8(e.what()),
                  "Chyba syntaxe na řádku: 2 , ve sloupci: 8\r\nOčekávám \"Then\"");
        EXPECT_EQ(e.line(), 1);
        EXPECT_EQ(e.column(), 7);
    }
}

} // namespace
