#include "core/cp1250.h"
#include "library_calls.h"
#include "needs_tool.h"

#include "library/math_strings.h"

#include <clocale>
#include <cmath>
#include <limits>
#include <set>

using namespace vorlan::library::testing;

namespace {

constexpr std::int32_t kMaxInt = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMinInt = std::numeric_limits<std::int32_t>::min();

class MathStrings : public ::testing::Test {
protected:
    bool fails(std::string_view name, std::vector<Value> args, std::string_view text) {
        return lib.error(name, std::move(args)).find(text) != std::string::npos;
    }
    LibraryCalls lib;
};

} // namespace

TEST_F(MathStrings, GuardsAnswerZeroInsteadOfFailing) {
    EXPECT_EQ(lib.number("ArcSin", {Value(1.0)}), 0);
    EXPECT_EQ(lib.number("ArcSin", {Value(-1)}), 0);
    EXPECT_NEAR(lib.number("ArcSin", {Value(0.5)}), 0.5235987756, 1e-9);
    EXPECT_EQ(lib.number("Ln", {Value(0)}), 0);
    EXPECT_EQ(lib.number("Ln", {Value(-3)}), 0);
    EXPECT_EQ(lib.number("CoTan", {Value(0)}), 0);
    EXPECT_NEAR(lib.number("CoTan", {Value(M_PI / 4)}), 1, 1e-12);
    EXPECT_EQ(lib.number("Tan", {Value(0)}), 0);
    EXPECT_EQ(lib.number("Max", {Value(2), Value(3.5)}), 3.5);
    EXPECT_EQ(lib.number("Min", {Value(2), Value(3.5)}), 2);
}

TEST_F(MathStrings, FloatingPointFailuresStopTheScript) {
    EXPECT_TRUE(fails("Sqrt", {Value(-1)}, vorlan::czech("Neplatná operace s reálným číslem")));
    EXPECT_TRUE(fails("Exp", {Value(1000)}, vorlan::czech("Přetečení")));
    EXPECT_TRUE(fails("Sqr", {Value(1e200)}, vorlan::czech("Přetečení")));
    EXPECT_TRUE(
        fails("Cos", {Value(std::numeric_limits<double>::infinity())}, vorlan::czech("Neplatná")));
    EXPECT_TRUE(fails("Round", {Value(3e9)}, vorlan::czech("Neplatná operace s reálným číslem")));
    EXPECT_TRUE(fails("Round", {Value(-2147483649.0)}, vorlan::czech("rozsah typu Integer")));
    EXPECT_TRUE(fails("Trunc", {Value(-3e9)}, vorlan::czech("rozsah typu Integer")));
    EXPECT_TRUE(fails("RealRound", {Value(1e9), Value(2)}, vorlan::czech("rozsah typu Integer")));
    EXPECT_TRUE(fails("RealRound", {Value(1.0), Value(40)},
                      vorlan::czech("Neplatná"))); // the 32-bit power of ten is 0
    // The 6-byte real holds no more than about 1.7E38; below 2.9E-39 it silently becomes 0.
    EXPECT_TRUE(fails("Str", {Value(1e39)}, vorlan::czech("Přetečení")));
    EXPECT_TRUE(fails("Val", {Value("1e39")}, vorlan::czech("Přetečení")));
    EXPECT_TRUE(fails("StrToReal", {Value("2,5e400")}, vorlan::czech("Přetečení")));
    EXPECT_EQ(lib.number("Val", {Value("1e-50")}), 0);
    EXPECT_EQ(lib.number("Val", {Value("1e-400")}), 0);
}

TEST_F(MathStrings, RoundingGoesHalfToEven) {
    EXPECT_EQ(lib.integer("Round", {Value(2.5)}), 2);
    EXPECT_EQ(lib.integer("Round", {Value(3.5)}), 4);
    EXPECT_EQ(lib.integer("Round", {Value(-2.5)}), -2);
    EXPECT_EQ(lib.integer("Round", {Value(2147483647.4)}), kMaxInt);
    EXPECT_EQ(lib.integer("Trunc", {Value(-2.7)}), -2);
    EXPECT_DOUBLE_EQ(lib.number("RealRound", {Value(2.71828), Value(3)}), 2.718);
    EXPECT_DOUBLE_EQ(lib.number("RealRound", {Value(0.125), Value(2)}), 0.12);
    EXPECT_DOUBLE_EQ(lib.number("RealRound", {Value(0.375), Value(2)}), 0.38);
    EXPECT_DOUBLE_EQ(lib.number("RealRound", {Value(1234.5), Value(-1)}),
                     1234); // whole numbers, not tens
}

TEST_F(MathStrings, CountersWrapAtThe32BitLimitsAndWriteBack) {
    std::vector<Value> args{Value(kMaxInt)};
    EXPECT_EQ(lib.call("Inc", args).toInt(), kMinInt);
    EXPECT_TRUE(args[0].identical(Value(kMinInt)));
    EXPECT_EQ(lib.call("Dec", args).toInt(), kMaxInt);
    EXPECT_TRUE(args[0].identical(Value(kMaxInt)));
    args = {Value(kMaxInt - 1), Value(5)};
    EXPECT_EQ(lib.call("IncVar", args).toInt(), kMinInt + 3);
    EXPECT_TRUE(args[0].identical(Value(kMinInt + 3)));
    args = {Value(kMinInt), Value(1)};
    EXPECT_EQ(lib.call("DecVar", args).toInt(), kMaxInt);
}

TEST_F(MathStrings, RandomStaysInRangeAndRestartsFromItsSeed) {
    EXPECT_EQ(lib.integer("Random", {Value(0)}), 0);
    vorlan::library::resetRandom();
    std::vector<std::int32_t> first;
    for (int i = 0; i < 200; ++i) {
        first.push_back(lib.integer("Random", {Value(10)}));
        ASSERT_TRUE(first.back() >= 0 && first.back() < 10) << first.back();
    }
    EXPECT_EQ(std::set<std::int32_t>(first.begin(), first.end()).size(), 10u);
    vorlan::library::resetRandom();
    for (std::int32_t expected : first)
        EXPECT_EQ(lib.integer("Random", {Value(10)}), expected);
}

TEST_F(MathStrings, StringEditsKeepPositionsAndArguments) {
    std::vector<Value> args{Value("abcdef"), Value(2), Value(3)};
    EXPECT_EQ(lib.call("Delete", args).toString(), "aef");
    EXPECT_EQ(args[0].toString(), "abcdef");
    EXPECT_EQ(lib.text("Delete", {Value("abcdef"), Value(6), Value(kMaxInt)}), "abcde");
    for (auto [index, count] : {std::pair{0, 2}, {7, 1}, {2, 0}, {2, -1}})
        EXPECT_EQ(lib.text("Delete", {Value("abcdef"), Value(index), Value(count)}), "abcdef")
            << index << count;

    args = {Value("XY"), Value("abc"), Value(2)};
    EXPECT_EQ(lib.call("Insert", args).toString(), "aXYbc");
    EXPECT_EQ(args[1].toString(), "aXYbc"); // the caller's s changes, sub does not
    EXPECT_EQ(args[0].toString(), "XY");
    EXPECT_EQ(lib.text("Insert", {Value("-"), Value("abc"), Value(kMinInt)}), "-abc");
    EXPECT_EQ(lib.text("Insert", {Value("-"), Value("abc"), Value(kMaxInt)}), "abc-");

    args = {Value("ab"), Value(5)};
    EXPECT_EQ(lib.call("SetLength", args).toString(), "ab   ");
    EXPECT_EQ(args[0].toString(), "ab   ");
    args = {Value("abc"), Value(-4)};
    EXPECT_EQ(lib.call("SetLength", args).toString(), "");
    EXPECT_EQ(args[0].toString(), "");
}

TEST_F(MathStrings, CharactersLengthsAndPositions) {
    EXPECT_EQ(lib.text("chr", {Value(0x141)}), "A"); // a Byte keeps its low 8 bits
    EXPECT_EQ(lib.integer("Ord", {Value("\xE8x")}), 0xE8);
    EXPECT_EQ(lib.integer("Ord", {Value("")}), 0);
    EXPECT_EQ(lib.integer("Length", {Value(std::string(300, 'q'))}), 300);
    EXPECT_EQ(lib.integer("Pos", {Value("cd"), Value("abcdcd")}), 3);
    EXPECT_EQ(lib.integer("Pos", {Value(""), Value("abc")}), 0);
    EXPECT_EQ(lib.integer("Pos", {Value("abcd"), Value("abc")}), 0);
    EXPECT_EQ(lib.integer("Pos", {Value(std::string("\0b", 2)), Value(std::string("a\0b", 3))}), 2);
    EXPECT_EQ(lib.text("Replicate", {Value("0123456789"), Value(102)}).size(), 1020u);
    EXPECT_EQ(lib.text("Replicate", {Value("0123456789"), Value(103)}), "");
    EXPECT_EQ(lib.text("Replicate", {Value("ab"), Value(-2)}), "");
    EXPECT_EQ(lib.text("Replicate", {Value("abcd"), Value(1073741825)}),
              ""); // the product must not wrap
    EXPECT_EQ(lib.text("Space", {Value(255)}), std::string(255, ' '));
    EXPECT_EQ(lib.text("Space", {Value(256)}), "");
    EXPECT_EQ(lib.text("Space", {Value(0)}), "");
}

TEST_F(MathStrings, NumberTextsPassThroughTheSixByteReal) {
    const std::pair<double, const char*> str[] = {
        {0.1, "0.1"},
        {100, "100"},
        {2.5, "2.5"},
        {-0.25, "-0.25"},
        {0, "0"},
        {1.0 / 3, "0.3333333333"},
        {1e-12, "0"},
        // About twelve digits survive the 6-byte real; ten decimals then show what it holds.
        {123456789012.345, "123456789012.375"},
        {98765.4321, "98765.4321000576"},
        // Beyond the 18 digits the formatting carries come zeros.
        {1e30, "999999999999534742000000000000"}};
    for (const auto& [x, text] : str)
        EXPECT_EQ(lib.text("Str", {Value(x)}), text) << x;

    const std::pair<const char*, double> val[] = {
        {"12.5kg", 12.5}, {"1,5", 1},  {"abc", 0}, {"", 0},   {"-3e2x", -300}, {"+7", 7},
        {"  42", 42},     {".5", 0.5}, {"5.", 5},  {"1e", 1}, {"2E+3", 2000},  {"-", 0}};
    for (const auto& [text, x] : val)
        EXPECT_EQ(lib.number("Val", {Value(text)}), x) << text;
    EXPECT_EQ(lib.number("Val", {Value("0.1")}), vorlan::script::passThroughReal48(0.1));
    EXPECT_NE(lib.number("Val", {Value("0.1")}), 0.1);

    EXPECT_EQ(lib.number("StrToReal", {Value("3,75")}), 3.75);
    EXPECT_EQ(lib.number("StrToReal", {Value("1,2,3")}), vorlan::script::passThroughReal48(1.2));
    EXPECT_EQ(lib.number("StrToReal", {Value("-0,5 Kc")}), -0.5);
    EXPECT_EQ(lib.number("StrToReal", {Value("Kc")}), 0);

    EXPECT_EQ(lib.text("RealToStr", {Value(3.14159), Value(8), Value(2)}), "    3.14");
    EXPECT_EQ(lib.text("RealToStr", {Value(1234.5), Value(2), Value(3)}), "1234.500");
    EXPECT_EQ(lib.text("RealToStr", {Value(2.5), Value(0), Value(0)}), "2");
    EXPECT_EQ(lib.text("RealToStr", {Value(0.125), Value(0), Value(2)}), "0.12");
    EXPECT_EQ(lib.text("RealToStr", {Value(-0.001), Value(6), Value(2)}), "  0.00");
    EXPECT_EQ(lib.text("RealToStr", {Value(5), Value(0), Value(-3)}), "5");
    EXPECT_EQ(lib.text("RealToStr", {Value(1), Value(100000000), Value(0)}).size(), 255u);
}

TEST(NumberText, DecimalPointIgnoresTheHostLocale) {
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    const char* found = nullptr;
    for (const char* name : {"cs_CZ.UTF-8", "cs_CZ.utf8", "de_DE.UTF-8", "de_DE.utf8"})
        if ((found = std::setlocale(LC_NUMERIC, name))) break;
    if (!found) VORLAN_SKIP_WITHOUT("no locale with a decimal comma is installed");
    const std::string text = vorlan::library::fixedText(2.5, 0, 2);
    const std::string real = vorlan::library::realText(0.25);
    const double value = vorlan::library::leadingNumber("1.5");
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(text, "2.50");
    EXPECT_EQ(real, "0.25");
    EXPECT_EQ(value, 1.5);
}
