// Line breaking and placing of text lines, with one unit per character.

#include "report/paint/text_layout.h"
#include "report/paint_recording_painter.h"

#include <gtest/gtest.h>

namespace vorlan::report {
namespace {

double oneEach(std::string_view text) {
    return static_cast<double>(text.size());
}

std::vector<std::string> texts(const std::vector<TextLine>& lines) {
    std::vector<std::string> out;
    for (const auto& line : lines)
        out.push_back(line.text);
    return out;
}

TEST(TextLayout, LineEndsOfEveryKindBreakWithoutWordWrap) {
    const auto lines = breakLines("one\r\ntwo\nthree\rfour\r\n", 3, false, oneEach);
    EXPECT_EQ(texts(lines), (std::vector<std::string>{"one", "two", "three", "four"}));
    EXPECT_EQ(texts(breakLines("a\n\nb", 10, false, oneEach)),
              (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(texts(breakLines("", 10, true, oneEach)), (std::vector<std::string>{""}));
}

TEST(TextLayout, WordWrapFillsLinesAndMarksParagraphEnds) {
    const auto lines = breakLines("aaa bb cc dddd\nee", 6, true, oneEach);
    ASSERT_EQ(texts(lines), (std::vector<std::string>{"aaa bb", "cc", "dddd", "ee"}));
    EXPECT_FALSE(lines[0].paragraphEnd);
    EXPECT_FALSE(lines[1].paragraphEnd);
    EXPECT_TRUE(lines[2].paragraphEnd);
    EXPECT_TRUE(lines[3].paragraphEnd);
}

TEST(TextLayout, WordWiderThanTheBoxBreaksBetweenCharacters) {
    EXPECT_EQ(texts(breakLines("abcdefgh ij", 3, true, oneEach)),
              (std::vector<std::string>{"abc", "def", "gh", "ij"}));
    // A box narrower than one character still makes progress.
    EXPECT_EQ(texts(breakLines("xyz", 0, true, oneEach)),
              (std::vector<std::string>{"x", "y", "z"}));
}

TEST(TextLayout, AlignmentAndJustificationPlaceTheLines) {
    test::RecordingPainter painter;
    const DeviceRect box{100, 50, 10, 100};
    TextBlockStyle style;
    style.alignment = 1; // right
    drawTextBlock(painter, box, "abcd", style);
    auto text = painter.only("text");
    ASSERT_EQ(text.size(), 1u);
    EXPECT_DOUBLE_EQ(text[0].x, 106);
    EXPECT_DOUBLE_EQ(text[0].y, 50);

    painter.calls.clear();
    style.alignment = 2; // centre
    drawTextBlock(painter, box, "abcd", style);
    EXPECT_DOUBLE_EQ(painter.only("text")[0].x, 103);

    // Justified: the words of a wrapped line spread to both edges, the paragraph's last line
    // stays at the left.
    painter.calls.clear();
    style.alignment = 0;
    style.wordWrap = true;
    style.justify = true;
    drawTextBlock(painter, box, "aa bb cc dd eeee", style);
    text = painter.only("text");
    ASSERT_EQ(text.size(), 4u);
    EXPECT_EQ(text[0].text, "aa");
    EXPECT_DOUBLE_EQ(text[0].x, 100);
    EXPECT_DOUBLE_EQ(text[2].x, 108); // "cc" ends at the right edge
    EXPECT_EQ(text[3].text, "dd eeee");
    EXPECT_DOUBLE_EQ(text[3].x, 100);
    EXPECT_DOUBLE_EQ(text[3].y, 60);
}

TEST(TextLayout, OnlyTheRequestedLinesAreDrawnAndClipped) {
    test::RecordingPainter painter;
    TextBlockStyle style;
    drawTextBlock(painter, {0, 0, 10, 25}, "1\n2\n3\n4\n5\n6", style, 1, 4);
    const auto text = painter.only("text");
    // Lines 2 to 4 start inside the box (the last one clipped); line 5 would start below it.
    ASSERT_EQ(text.size(), 3u);
    EXPECT_EQ(text[0].text, "2");
    EXPECT_DOUBLE_EQ(text[0].y, 0);
    EXPECT_EQ(text[2].text, "4");
    EXPECT_EQ(painter.calls.front().what, "clip");
    EXPECT_EQ(painter.calls.back().what, "noclip");
}

} // namespace
} // namespace vorlan::report
