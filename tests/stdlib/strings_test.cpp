// The string routines: Czech letters in Windows-1250 for the Ansi ones, the plain ones on a..z
// only, StringReplace's flags as a set from each dialect, line breaks and wrapping.
#include "stdlib_calls.h"

#include "core/cp1250.h"
#include "script/open_array.h"
#include "stdlib/sysutils_strings.h"

#include <algorithm>

using namespace vorlan;
using namespace vorlan::stdlib;
using namespace vorlan::stdlib::testing;

namespace {

using StringsTest = StdlibTest;

Value cz(const char* utf8) {
    return Value(czech(utf8));
}

} // namespace

TEST_F(StringsTest, LetterCaseOfCzechTextAndOfPlainText) {
    EXPECT_EQ(text("AnsiUpperCase", {cz("Příliš žluťoučký kůň úpěl ďábelské ódy")}),
              czech("PŘÍLIŠ ŽLUŤOUČKÝ KŮŇ ÚPĚL ĎÁBELSKÉ ÓDY"));
    EXPECT_EQ(text("AnsiLowerCase", {cz("ŠČŘŽÝÁÍÉĚŮÚŤĎŇÓ")}), czech("ščřžýáíéěůúťďňó"));
    // The plain forms leave the accented letters alone.
    EXPECT_EQ(text("UpperCase", {cz("čaj")}), czech("čAJ"));
    EXPECT_EQ(text("LowerCase", {cz("ČAJ")}), czech("Čaj"));
    EXPECT_EQ(text("UpCase", {Value("q")}), "Q");
}

TEST_F(StringsTest, CzechOrderAndComparisons) {
    std::vector<std::string> words;
    for (const char* w : {"chata", "Hrad", "cibule", "čaj", "Zebra", "žába", "šiška", "sova",
                          "řeka", "ruka", "Ábel", "auto", "10", "2"})
        words.push_back(czech(w));
    std::sort(words.begin(), words.end(),
              [](const std::string& a, const std::string& b) { return ansiCompareText(a, b) < 0; });
    std::string joined;
    for (const auto& w : words)
        joined += (joined.empty() ? "" : " ") + cp1250ToUtf8(w);
    EXPECT_EQ(joined, "10 2 Ábel auto cibule čaj Hrad chata ruka řeka sova šiška Zebra žába");
    EXPECT_EQ(call("AnsiCompareText", {cz("ŽÁBA"), cz("žába")}).toInt(), 0);
    EXPECT_EQ(call("AnsiCompareStr", {cz("žába"), cz("Žába")}).toInt(), -1); // lower case first
    EXPECT_TRUE(call("AnsiSameText", {cz("Čaj"), cz("ČAJ")}).toBool());
    EXPECT_FALSE(call("SameText", {cz("Čaj"), cz("čaj")}).toBool()); // Č is no a..z letter
    EXPECT_TRUE(call("SameText", {Value("Abc"), Value("aBC")}).toBool());
    EXPECT_EQ(call("CompareStr", {Value("abc"), Value("abd")}).toInt(), -1);
    EXPECT_EQ(call("CompareStr", {Value("abc"), Value("ab")}).toInt(), 1);
    EXPECT_EQ(call("CompareText", {Value("b"), Value("A")}).toInt(), 1);
}

TEST_F(StringsTest, StringReplaceFlagsFromEveryDialect) {
    const Value s = cz("Řeka řeka ŘEKA");
    const auto replace = [&](Value flags) {
        return cp1250ToUtf8(text("StringReplace", {s, cz("řeka"), Value("x"), flags}));
    };
    script::setProgramLanguage("ZLM");
    EXPECT_EQ(replace(pascalArray({})), "Řeka x ŘEKA");
    EXPECT_EQ(replace(pascalArray({Value(kReplaceAll), Value(kIgnoreCase)})), "x x x");
    EXPECT_EQ(replace(pascalArray({Value(kIgnoreCase)})), "x řeka ŘEKA");
    script::setProgramLanguage("TRX");
    EXPECT_EQ(replace(array({Value(kIgnoreCase)})), "x řeka ŘEKA");
    // A set as a bit mask (MkSet(rfReplaceAll, rfIgnoreCase)).
    EXPECT_EQ(replace(Value(std::int32_t{3})), "x x x");
    EXPECT_EQ(stringReplace("aaa", "", "b", Value()), "aaa");
    EXPECT_EQ(stringReplace("aaa", "aa", "a", Value(std::int32_t{1})), "aa");
}

TEST_F(StringsTest, TrimmingQuotingAndSearching) {
    EXPECT_EQ(text("Trim", {Value("\t a b \r\n")}), "a b");
    EXPECT_EQ(text("TrimLeft", {Value("  x ")}), "x ");
    EXPECT_EQ(text("TrimRight", {Value(" x  ")}), " x");
    EXPECT_EQ(text("QuotedStr", {Value("it's")}), "'it''s'");
    EXPECT_EQ(text("AnsiDequotedStr", {Value("'it''s' x"), Value("'")}), "it's");
    EXPECT_EQ(text("AnsiDequotedStr", {Value("'open"), Value("'")}), "'open");
    EXPECT_EQ(call("LastDelimiter", {Value("\\."), Value("c:\\dir\\file.txt")}).toInt(), 12);
    EXPECT_TRUE(call("IsDelimiter", {Value("\\"), Value("c:\\x"), Value(3)}).toBool());
    EXPECT_FALSE(call("IsDelimiter", {Value("\\"), Value("c:\\x"), Value(9)}).toBool());
    EXPECT_EQ(call("AnsiPos", {cz("ř"), cz("hořký")}).toInt(), 3);
    EXPECT_EQ(text("StringOfChar", {Value("*"), Value(3)}), "***");
    EXPECT_EQ(text("StringOfChar", {Value("*"), Value(-3)}), "");
    EXPECT_EQ(text("Copy", {Value("abcdef"), Value(0), Value(3)}), "abc");
    EXPECT_EQ(text("Concat", {Value("a"), Value(1), Value("b")}), "a1b");
}

TEST_F(StringsTest, LineBreaksAndWrapping) {
    EXPECT_EQ(adjustLineBreaks("a\nb\rc\n\rd\r\ne\r\rf"), "a\r\nb\r\nc\r\nd\r\ne\r\n\r\nf");
    // Each line ends at the last break character before the column limit, which it keeps.
    EXPECT_EQ(wrapText("The quick brown fox jumps over  the lazy dog", "|", " -", 10),
              "The quick |brown fox |jumps |over  the |lazy dog");
    EXPECT_EQ(wrapText("well-known words", "|", " -", 8), "well-|known |words");
    // A break text that starts with a break character still lets that character break.
    EXPECT_EQ(wrapText("aa bb cc", " /", " ", 4), "aa  /bb  /cc");
    EXPECT_EQ(wrapText("aaa bbb 'ccc ddd eee' fff", "|", " ", 8), "aaa bbb |'ccc ddd eee' |fff");
    EXPECT_EQ(wrapText("one two\r\nthree four five", "\r\n", " ", 9),
              "one two\r\nthree \r\nfour five");
    EXPECT_EQ(text("WrapText", {Value("aaaa bbbb"), Value(5)}), "aaaa \r\nbbbb");
}
