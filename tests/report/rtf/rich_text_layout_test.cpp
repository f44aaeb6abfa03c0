#include "report/rtf/rich_text_layout.h"

#include "report/rtf/rtf_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vorlan::report {
namespace {

// Every character is half as wide as the font is high; a line is 1.25 heights, the ascent one.
class GridPainter : public Painter {
public:
    struct Text {
        double x, y;
        std::string text;
        PaintFont font;
    };
    std::vector<Text> texts;
    DeviceRect clip;

    void setPen(const PaintPen&) override {}
    void setBrush(const PaintBrush&) override {}
    void setFont(const PaintFont& f) override { font_ = f; }
    double textWidth(std::string_view text, double) override {
        return static_cast<double>(text.size()) * font_.pixelHeight / 2;
    }
    double lineHeight() override { return font_.pixelHeight * 1.25; }
    double ascent() override { return font_.pixelHeight; }
    void drawText(double x, double y, std::string_view text, double) override {
        texts.push_back({x, y, std::string(text), font_});
    }
    void drawLine(int, int, int, int) override {}
    void drawRectangle(const DeviceRect&) override {}
    void drawRoundRectangle(const DeviceRect&, int, int) override {}
    void drawEllipse(const DeviceRect&) override {}
    std::optional<PictureSize> pictureSize(std::string_view) override { return std::nullopt; }
    void drawPicture(std::string_view, const DeviceRect&) override {}
    void setClip(const DeviceRect& r) override { clip = r; }
    void clearClip() override {}

private:
    PaintFont font_;
};

// At this scale a point is one device unit: a 10-point font is 10 units high, 5 wide.
constexpr double kScale = 0.72;

PaintFont baseFont() {
    PaintFont f;
    f.name = "Arial CE";
    f.pixelHeight = 10;
    return f;
}

std::vector<GridPainter::Text> draw(std::string_view rtf, DeviceRect rect, int first = 0,
                                    int count = -1) {
    GridPainter painter;
    drawRichText(painter, rect, rtf, baseFont(), kScale, first, count);
    return painter.texts;
}

TEST(RichTextLayout, WrapsAtBlanksAndSharesTheBaselineAcrossSizes) {
    const auto texts = draw(R"({\rtf1\fs20 aaa bbb {\b\fs40 CC} dd\par})", {100, 200, 50, 100});
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[0].text, "aaa");
    EXPECT_DOUBLE_EQ(texts[0].x, 100);
    EXPECT_DOUBLE_EQ(texts[0].y, 200);
    EXPECT_EQ(texts[1].text, "bbb");
    EXPECT_DOUBLE_EQ(texts[1].x, 120);
    // " CC" does not fit after 35 units: the blank disappears at the wrap point.
    EXPECT_EQ(texts[2].text, "CC");
    EXPECT_DOUBLE_EQ(texts[2].x, 100);
    EXPECT_DOUBLE_EQ(texts[2].y, 212.5);
    EXPECT_EQ(texts[2].font.style, kFontBold);
    EXPECT_DOUBLE_EQ(texts[2].font.pixelHeight, 20);
    // The small text after the big one sits on the same baseline.
    EXPECT_EQ(texts[3].text, "dd");
    EXPECT_DOUBLE_EQ(texts[3].x, 125);
    EXPECT_DOUBLE_EQ(texts[3].y, 212.5 + 20 - 10);
}

TEST(RichTextLayout, AlignmentAndJustification) {
    // Width 50: "ab cd ef" is 40 units, "gh" goes to the next line.
    const std::string body = R"( ab cd ef gh ij klmnopq\par})";
    auto texts = draw(R"({\rtf1\fs20\qr)" + body, {0, 0, 50, 100});
    ASSERT_GE(texts.size(), 3u);
    EXPECT_DOUBLE_EQ(texts[0].x, 10); // right aligned: 10 units free
    texts = draw(R"({\rtf1\fs20\qc)" + body, {0, 0, 50, 100});
    EXPECT_DOUBLE_EQ(texts[0].x, 5);
    texts = draw(R"({\rtf1\fs20\qj)" + body, {0, 0, 50, 100});
    // Justified: the two gaps of the first line share the 10 free units.
    ASSERT_EQ(texts.size(), 6u);
    EXPECT_DOUBLE_EQ(texts[0].x, 0);
    EXPECT_DOUBLE_EQ(texts[1].x, 20);
    EXPECT_DOUBLE_EQ(texts[2].x, 40);
    EXPECT_EQ(texts[3].text, "gh");
    EXPECT_DOUBLE_EQ(texts[4].x, 40); // "gh ij" is 25 wide: its one gap takes 25 more
    // The paragraph's last line stays ragged.
    EXPECT_EQ(texts[5].text, "klmnopq");
    EXPECT_DOUBLE_EQ(texts[5].x, 0);
}

TEST(RichTextLayout, IndentsTabsAndOverlongWords) {
    // \li720 is half an inch (36 units at this scale), \fi-360 pulls the first line back 18.
    auto texts = draw(R"({\rtf1\fs20\li720\fi-360 aaaa bbbb cccc\par})", {0, 0, 70, 100});
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_DOUBLE_EQ(texts[0].x, 18);
    EXPECT_DOUBLE_EQ(texts[2].x, 36); // the second line starts at the left indent
    EXPECT_EQ(texts[2].text, "cccc");

    // Tab stops every half inch (36 units).
    texts = draw(R"({\rtf1\fs20 a\tab b\tab\tab c\par})", {0, 0, 200, 100});
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_DOUBLE_EQ(texts[1].x, 36);
    EXPECT_DOUBLE_EQ(texts[2].x, 108);

    // A word wider than the line is broken between characters.
    texts = draw(R"({\rtf1\fs20 abcdefghij\par})", {0, 0, 22, 100});
    std::vector<std::string> lines;
    for (const auto& t : texts)
        lines.push_back(t.text);
    EXPECT_EQ(lines, (std::vector<std::string>{"abcd", "efgh", "ij"}));
}

TEST(RichTextLayout, LineRangesHeightsAndEmptyParagraphs) {
    const std::string rtf = R"({\rtf1\fs20 one\par\fs40\par\fs20 three\par four\par})";
    GridPainter measurer;
    const auto layout = layoutRichText(measurer, readRtf(rtf).document, 100, baseFont(), kScale);
    ASSERT_EQ(layout.lines.size(), 4u);
    EXPECT_DOUBLE_EQ(layout.lines[1].height, 25); // the empty paragraph's mark is 20 points
    EXPECT_DOUBLE_EQ(layout.height(), 12.5 + 25 + 12.5 + 12.5);
    EXPECT_DOUBLE_EQ(layout.height(2, 5), 25);

    // A memo continued on the next page draws from its first remaining line.
    auto texts = draw(rtf, {0, 0, 100, 100}, 2, 1);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "three");
    EXPECT_DOUBLE_EQ(texts[0].y, 0);
    // Lines that would start below the rectangle are not drawn.
    texts = draw(rtf, {0, 0, 100, 40});
    ASSERT_EQ(texts.size(), 2u);
}

TEST(RichTextLayout, RunFontsOverTheElementFont) {
    PaintFont base = baseFont();
    base.style = kFontStrikeOut | kFontBold;
    base.colour = 0x123456;
    // Text that was not RTF keeps the element's font as it is.
    EXPECT_EQ(richTextFont(RtfCharFormat{}, base, kScale), base);
    RtfCharFormat format;
    format.fontName = "Courier";
    format.halfPoints = 24;
    format.italic = true;
    format.colour = 0xFF;
    const PaintFont f = richTextFont(format, base, kScale);
    EXPECT_EQ(f.name, "Courier");
    EXPECT_DOUBLE_EQ(f.pixelHeight, 12);
    EXPECT_EQ(f.style, kFontStrikeOut | kFontItalic); // the RTF says it is not bold
    EXPECT_EQ(f.colour, 0xFFu);
}

} // namespace
} // namespace vorlan::report
