#include "core/cp1250.h"

#include <gtest/gtest.h>

using namespace vorlan;

TEST(Cp1250, CzechSentenceRoundTripsThroughUtf8) {
    const std::string utf8 = "Příliš žluťoučký kůň úpěl ďábelské ódy. ŠČŘŽÝÁÍÉ €";
    const std::string bytes = utf8ToCp1250(utf8);
    EXPECT_EQ(bytes.size(), 50u);                              // one byte a character
    EXPECT_EQ(static_cast<unsigned char>(bytes[1]), 0xF8);     // ř
    EXPECT_EQ(static_cast<unsigned char>(bytes.back()), 0x80); // €
    EXPECT_EQ(cp1250ToUtf8(bytes), utf8);
}

TEST(Cp1250, EveryByteSurvivesTheRoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    const std::string utf8 = cp1250ToUtf8(all);
    EXPECT_TRUE(isValidUtf8(utf8));
    std::string back;
    ASSERT_TRUE(tryUtf8ToCp1250(utf8, back));
    EXPECT_EQ(back, all);
    EXPECT_EQ(utf16ToCp1250(cp1250ToUtf16(all)), all);
}

TEST(Cp1250, UnmappableAndInvalidInput) {
    std::string out;
    EXPECT_FALSE(tryUtf8ToCp1250("日本", out));
    EXPECT_EQ(utf8ToCp1250("a日b"), "a?b");
    // Bytes that are not UTF-8 are taken as Windows-1250 already.
    EXPECT_EQ(utf8ToCp1250("\xe8\x61"), "\xe8\x61");
    EXPECT_FALSE(isValidUtf8("\xc3"));
    EXPECT_FALSE(isValidUtf8("\xed\xa0\x80")); // a surrogate
    EXPECT_FALSE(isValidUtf8("\xc0\xaf"));     // overlong
}

TEST(Cp1250, LetterCaseKnowsCzech) {
    EXPECT_EQ(upperCase(czech("žluťoučký kůň")), czech("ŽLUŤOUČKÝ KŮŇ"));
    EXPECT_EQ(lowerCase(czech("ŘÍZEK")), czech("řízek"));
    EXPECT_TRUE(equalsNoCase(czech("Čáp"), czech("ČÁP")));
    EXPECT_LT(compareNoCase("abc", "ABD"), 0);
    EXPECT_GT(compareNoCase("abcd", "ABC"), 0);
}

TEST(Cp1250, Utf16SurrogatesAndUtf8) {
    const std::u16string wide = u"a\U0001F600b";
    EXPECT_EQ(utf16ToUtf8(wide), "a\xF0\x9F\x98\x80"
                                 "b");
    EXPECT_EQ(utf8ToUtf16("a\xF0\x9F\x98\x80"
                          "b"),
              wide);
    EXPECT_EQ(utf16ToUtf8(u"\xD800x"), "\xEF\xBF\xBDx"); // a lone surrogate is replaced
}
