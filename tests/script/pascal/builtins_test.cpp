// The runner's own built-ins: the standard routines of the language and the variant-array
// family, with their guards.
#include "pascal_fixture.h"

#include "core/cp1250.h"
#include "core/path_mapper.h"
#include "script/registry.h"

#include <filesystem>

using namespace vorlan;
using namespace vorlan::testing;
using namespace vorlan::script;

namespace {

class Builtins : public PascalTest {};

TEST_F(Builtins, StringAndNumberRoutines) {
    EXPECT_EQ(
        runText(
            {"var s: string;", "begin",
             "  TestOut(Copy('abcdef', 2, 3)); TestOut(Copy('abc', 0, 2)); TestOut(Copy('abc', 3, "
             "9));",
             "  TestOut(Copy('abc', 4, 1) = ''); TestOut(Copy('abc', 2, -1) = '');",
             "  TestOut(Pos('cd', 'abcdcd')); TestOut(Pos('', 'abc')); TestOut(Pos('x', 'abc'));",
             "  s := 'ab'; SetLength(s, 4); TestOut(s + '|'); SetLength(s, 1); TestOut(s); "
             "SetLength(s, -3); TestOut(s = '');",
             "  TestOut(Round(2.5)); TestOut(Round(3.5)); TestOut(Round(-2.5)); "
             "TestOut(Trunc(-2.7));",
             "  TestOut(Int(-2.7)); TestOut(Frac(2.25)); TestOut(Cos(0)); TestOut(Sin(0)); "
             "TestOut(Exp(0));",
             "end."}),
        "bcd ab c True True 3 0 0 ab  | a True 2 4 -2 -2 -2 0.25 1 0 1");
}

TEST_F(Builtins, FloatingPointFailuresAreRunErrors) {
    resume = true;
    EXPECT_EQ(runText({"begin TestOut(Exp(1000)); TestOut(Round(1e12)); TestOut(Trunc(-1e12));",
                       "  try Round(3e9) except TestOut('caught') end end."}),
              "caught");
    ASSERT_EQ(errors.size(), 3u);
    EXPECT_EQ(errors[0].description, vorlan::czech("Přetečení reálného čísla"));
    EXPECT_EQ(errors[1].description, vorlan::czech("Neplatná operace s reálným číslem"));
}

TEST_F(Builtins, OneDimensionalArrays) {
    EXPECT_EQ(
        runText(
            {"var a, b: Variant;", "begin",
             "  a := Array1Create(1, 3); TestOut(ArrayDimCount(a)); TestOut(Array1Low(a)); "
             "TestOut(Array1High(a));",
             "  Array1Set(a, 2, 'two'); b := Array1Set(a, 3, 33);",
             "  TestOut(Array1Get(a, 2)); TestOut(Array1Get(a, 3)); TestOut(Array1Get(b, 3));",
             "  TestOut(Array1Get(a, 9)); TestOut(Array1Get(5, 1)); TestOut(a[2]);",
             "  b := Array1Set(a, 9, 'x'); TestOut(Array1High(b));",
             "  TestOut(Array1Create(5, 1)); TestOut(ArrayDimCount(7)); TestOut(Array1Low('x'));",
             "end."}),
        "1 1 3 two 33 33 0 0 two 3 0 0 0");
}

TEST_F(Builtins, TwoDimensionalArrays) {
    EXPECT_EQ(
        runText({"var a, b, c: Variant;", "begin",
                 "  a := Array2Create(0, 2, 1, 4); TestOut(ArrayDimCount(a));",
                 "  TestOut(Array2Low(a, 1)); TestOut(Array2High(a, 1)); TestOut(Array2Low(a, 2)); "
                 "TestOut(Array2High(a, 2));",
                 "  TestOut(Array2High(a, 3));",
                 "  b := Array2Set(a, 1, 4, 'x'); TestOut(Array2Get(b, 1, 4));",
                 "  TestOut(Array2Get(a, 1, 4)); TestOut(Array2Get(b, 7, 7));",
                 "  c := Array2Set(Array1Create(0, 1), 0, 0, 1); TestOut(ArrayDimCount(c));",
                 "  c := Array1Set(a, 1, 1); TestOut(ArrayDimCount(c)); TestOut(ArrayDimCount(a));",
                 "  c := Array2Set(a, 9, 9, 1); TestOut(ArrayDimCount(c));", "end."}),
        "2 0 2 1 4 0 x  0 0 0 2 2");
}

TEST_F(Builtins, MemoryBlocks) {
    resume = true;
    EXPECT_EQ(
        runText(
            {"var p, q: Pointer;", "begin",
             "  GetMem(p, 16); TestOut(p <> nil); FillChar(p, 16, 65); FillChar(p + 8, 8, 0);",
             "  ReallocMem(p, 32); FillChar(p, 32, 1); q := p; FreeMem(p);",
             "  New(q); TestOut(q = nil); GetMem(q, 0); TestOut(q = nil); Release(q); Dispose(q);",
             "  GetMem(p, 4); FillChar(p, 5, 0);", "end."}),
        "True True True");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].description, "Access violation");
}

TEST_F(Builtins, Directories) {
    const auto base = std::filesystem::temp_directory_path() / "vorlan_pascal_dirs";
    std::filesystem::remove_all(base);
    std::filesystem::create_directories(base);
    const auto previous = std::filesystem::current_path();
    const std::string where = base.string();
    resume = true;
    const std::string out = runText(
        {"var d: string;", "begin",
         "  ChDir('" + where + "'); MkDir('made'); ChDir('made'); GetDir(0, d); TestOut(d);",
         "  ChDir('..'); RmDir('made'); RmDir('made');", "end."});
    std::filesystem::current_path(previous);
    EXPECT_EQ(out, pathMapper().toProgram(base / "made"));
    EXPECT_FALSE(std::filesystem::exists(base / "made"));
    ASSERT_EQ(errors.size(), 1u); // the second RmDir
    EXPECT_EQ(errors[0].line, 4);
    std::filesystem::remove_all(base);
}

TEST_F(Builtins, RunnerRoutinesComeBeforeGlobalOnes) {
    registry().registerProc("Frac", "function(X: Extended): Extended",
                            [](NativeObject*, std::span<Value>, Value& r) { r = Value(-99.0); });
    EXPECT_EQ(runText({"begin TestOut(Frac(1.5)) end."}), "0.5");
}

} // namespace
