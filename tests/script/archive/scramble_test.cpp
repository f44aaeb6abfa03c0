#include "script/archive/program_archive.h"

#include <gtest/gtest.h>

namespace vorlan::archive {
namespace {

TEST(Scramble, KnownVectors) {
    // Worked through by hand: K=0x1E7C, 'A'^0x1E=0x5F; K=(0x1E7C+0x5F)*0x2D99=0xEFE3;
    // 'B'^0xEF=0xAD.
    EXPECT_EQ(scrambleText("AB", 0x1E7C), "\x5F\xAD");
    EXPECT_EQ(unscrambleText("\x5F\xAD", 0x1E7C), "AB");
    EXPECT_EQ(unscrambleText("\x5F\x97\x01\xF0", kVersionKey), "2.04");
    // The key advances with the scrambled byte, so the same plain byte scrambles differently.
    // K=0: 'A' stays 0x41; K=0x41*0x2D99=0x93D9; 'A'^0x93=0xD2.
    EXPECT_EQ(scrambleText("AA", 0x0000), "\x41\xD2");
}

TEST(Scramble, RoundTripsEveryByteAndKey) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    all.pop_back(); // 255 bytes: the longest text that is transformed entirely
    for (std::uint32_t key : {0x0000u, 0x5CE1u, 0x6D2Bu, 0x1E7Cu, 0xFFFFu}) {
        const std::string scrambled = scrambleText(all, static_cast<std::uint16_t>(key));
        EXPECT_NE(scrambled, all);
        EXPECT_EQ(unscrambleText(scrambled, static_cast<std::uint16_t>(key)), all);
    }
    EXPECT_EQ(scrambleText("", 0x1234), "");
}

TEST(Scramble, OnlyLengthModulo256BytesAreTransformed) {
    const std::string text(300, 'x');
    const std::string scrambled = scrambleText(text, 0x5CE1);
    // 300 mod 256 = 44: the rest stays plain in both directions.
    EXPECT_NE(scrambled.substr(0, 44), text.substr(0, 44));
    EXPECT_EQ(scrambled.substr(44), text.substr(44));
    EXPECT_EQ(unscrambleText(scrambled, 0x5CE1), text);
    EXPECT_EQ(unscrambleText(text, 0x5CE1).substr(44), text.substr(44));
    // Exactly 256 bytes are copied unchanged.
    EXPECT_EQ(unscrambleText(std::string(256, 'q'), 0x1E7C), std::string(256, 'q'));
}

TEST(FileExtension, OnlyTheLastComponentsExtensionIsReplaced) {
    EXPECT_EQ(changeFileExt("C:\\PROG\\MAIN.EXE", ".VRL"), "C:\\PROG\\MAIN.VRL");
    EXPECT_EQ(changeFileExt("prog", ".VRL"), "prog.VRL");
    EXPECT_EQ(changeFileExt("a.b.c", ".VRL"), "a.b.VRL");
    EXPECT_EQ(changeFileExt("C:\\DIR.X\\PROG", ".VRL"), "C:\\DIR.X\\PROG.VRL");
    EXPECT_EQ(changeFileExt("A:.X", ".VRL"), "A:.VRL");
}

TEST(DirectoryItem, RightAlignsTheNumbersInEightCharacters) {
    EXPECT_EQ(directoryItem({"MAIN.ZLM", 600, 1500, 2100}), "MAIN.ZLM*     600    1500    2100");
    EXPECT_EQ(directoryItem({"X", 0, 0, 12345678}), "X*       0       012345678");
    // Wider numbers widen their field rather than being cut.
    EXPECT_EQ(directoryItem({"X", 123456789, -1, 0}), "X*123456789      -1       0");
}

} // namespace
} // namespace vorlan::archive
