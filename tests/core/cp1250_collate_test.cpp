#include "core/cp1250.h"
#include "core/cp1250_collate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

using namespace vorlan;

namespace {

std::vector<std::string> sortedCzech(std::vector<std::string> words, bool caseSensitive) {
    std::vector<std::string> cp;
    for (const auto& w : words)
        cp.push_back(czech(w));
    std::sort(cp.begin(), cp.end(), [&](const std::string& a, const std::string& b) {
        return compareCollated(a, b, caseSensitive) < 0;
    });
    std::vector<std::string> out;
    for (const auto& w : cp)
        out.push_back(cp1250ToUtf8(w));
    return out;
}

} // namespace

TEST(Collation, CzechAlphabetWithChAndTheCaronLetters) {
    const std::vector<std::string> expected = {"cena",  "čaj",   "čas",   "ďábel", "dům",  "hrad",
                                               "hřích", "chata", "ihned", "řeka",  "sova", "šest",
                                               "tma",   "ťuk",   "zima",  "žába"};
    std::vector<std::string> shuffled = expected;
    std::mt19937 rng(7);
    std::shuffle(shuffled.begin(), shuffled.end(), rng);
    EXPECT_EQ(sortedCzech(shuffled, false), expected);
}

TEST(Collation, AccentsAndCaseOnlyBreakTies) {
    // Acute and ring differ from the base letter only when the rest is equal.
    EXPECT_LT(ansiCompareText(czech("a"), czech("á")), 0);
    EXPECT_LT(ansiCompareText(czech("á"), czech("b")), 0);
    EXPECT_LT(ansiCompareText(czech("kůra"), czech("kura2")), 0);
    EXPECT_LT(ansiCompareText(czech("láska"), czech("lasky")), 0);
    // Without case, capitals are the same letters; with case the small letter comes first, but
    // only after everything else.
    EXPECT_EQ(ansiCompareText(czech("ŽLUŤOUČKÝ"), czech("žluťoučký")), 0);
    EXPECT_LT(ansiCompareStr("a", "A"), 0);
    EXPECT_LT(ansiCompareStr("A", "b"), 0);
    EXPECT_LT(ansiCompareStr("Ab", "ac"), 0);
    EXPECT_EQ(sortedCzech({"Chata", "CHATA", "chata", "cHata"}, true),
              (std::vector<std::string>{"chata", "cHata", "Chata", "CHATA"}));
}

TEST(Collation, SymbolsDigitsLettersAndTheIgnoredHyphen) {
    EXPECT_EQ(sortedCzech({"b", "10", "!x", " a", "9", "a"}, false),
              (std::vector<std::string>{" a", "!x", "10", "9", "a", "b"}));
    // A hyphen counts only between texts that are otherwise equal.
    EXPECT_EQ(sortedCzech({"coop", "co-op", "cop", "coo"}, false),
              (std::vector<std::string>{"coo", "co-op", "coop", "cop"}));
    EXPECT_LT(ansiCompareText("", "a"), 0);
    EXPECT_EQ(ansiCompareText("", ""), 0);
}

TEST(Collation, KeysOrderAsTheComparisonAndEqualityIsExact) {
    std::mt19937 rng(11);
    const std::string alphabet = czech("aAáÁcCčČhHiIsSšŠ -'1zZžŽ");
    std::vector<std::string> texts;
    for (int i = 0; i < 400; ++i) {
        std::string t;
        const int n = static_cast<int>(rng() % 5);
        for (int k = 0; k < n; ++k)
            t += alphabet[rng() % alphabet.size()];
        texts.push_back(t);
    }
    for (bool cs : {false, true})
        for (std::size_t i = 0; i + 1 < texts.size(); ++i) {
            const std::string& a = texts[i];
            const std::string& b = texts[i + 1];
            const int byKeys = collationKey(a, cs).compare(collationKey(b, cs));
            const int c = compareCollated(a, b, cs);
            EXPECT_EQ(c, byKeys < 0 ? -1 : byKeys > 0 ? 1 : 0) << a << " / " << b;
            EXPECT_EQ(c == 0, cs ? a == b : equalsNoCase(a, b)) << a << " / " << b;
            EXPECT_EQ(compareCollated(b, a, cs), -c);
        }
}
