#include "data/script/memo_lines.h"

#include <gtest/gtest.h>

using namespace vorlan;
using namespace vorlan::data;

namespace {

// Ten pixels per character, so a 100-pixel area holds exactly ten.
class TenPixels : public TextMeasure {
public:
    int textWidth(std::string_view text, std::string_view, int) const override {
        return static_cast<int>(text.size()) * 10;
    }
};

MemoEditorView tenColumns() {
    MemoEditorView view;
    view.textWidth = 100;
    return view;
}

std::vector<std::string> lines(std::string_view text) {
    return editorLines(text, tenColumns(), TenPixels());
}

using Lines = std::vector<std::string>;

} // namespace

TEST(MemoLines, LineBreaksOfEveryKindEndLines) {
    EXPECT_EQ(lines("one\r\ntwo\nthree\rfour"), (Lines{"one", "two", "three", "four"}));
    EXPECT_EQ(lines("a\r\n\r\nb"), (Lines{"a", "", "b"}));
    // A break at the very end opens no further line; an empty memo has no lines at all.
    EXPECT_EQ(lines("a\r\nb\r\n"), (Lines{"a", "b"}));
    EXPECT_TRUE(lines("").empty());
}

TEST(MemoLines, LongLinesWrapAfterTheLastBlankThatFits) {
    EXPECT_EQ(lines("0123456789"), (Lines{"0123456789"}));
    EXPECT_EQ(lines("abc def ghi jkl"), (Lines{"abc def ", "ghi jkl"}));
    // Blanks at the edge stay on the line they end.
    EXPECT_EQ(lines("abcdefghij   klm"), (Lines{"abcdefghij   ", "klm"}));
    // A word wider than the area is cut where the area ends.
    EXPECT_EQ(lines("abcdefghijklmnopqrstuvwxy"), (Lines{"abcdefghij", "klmnopqrst", "uvwxy"}));
    EXPECT_EQ(lines("ab abcdefghijklm"), (Lines{"ab ", "abcdefghij", "klm"}));
}

TEST(MemoLines, AnAreaNarrowerThanOneCharacterStillMakesProgress) {
    MemoEditorView view;
    view.textWidth = 3;
    EXPECT_EQ(editorLines("abc", view, TenPixels()), (Lines{"a", "b", "c"}));
}

TEST(MemoLines, TheDefaultMeasureGivesTheDesignedWindowItsWidth) {
    // 242 pixels of 7-pixel characters: 34 to a line.
    const std::string text(40, 'x');
    const auto wrapped = editorLines(text, MemoEditorView{}, FixedWidthMeasure());
    ASSERT_EQ(wrapped.size(), 2u);
    EXPECT_EQ(wrapped[0].size(), 34u);
}

TEST(MemoLines, WithoutLineFeedsKeepsCarriageReturns) {
    EXPECT_EQ(withoutLineFeeds("one\r\ntwo\nthree"), "one\rtwothree");
}
