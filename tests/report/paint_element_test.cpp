// How output elements and pages turn into drawing calls at the page-drawing scale.

#include "report/paint/element_drawing.h"
#include "report/paint/page_drawing.h"
#include "report/paint_recording_painter.h"

#include <gtest/gtest.h>

namespace vorlan::report {
namespace {

constexpr double kScale = 6.0;

class ElementDrawing : public ::testing::Test {
protected:
    TPrvekSestavy& element(std::int32_t kind) {
        auto& e = section_.addElement(&report_);
        e.kind = kind;
        return e;
    }
    TVystPrvek placed(const TPrvekSestavy& source, int left = 10, int top = 20, int width = 100,
                      int height = 50) {
        return TVystPrvek(&source, left, top, width, height);
    }

    TSestavaTyp report_;
    TOddilSestavy section_{kSectionBody};
    test::RecordingPainter painter_;
};

TEST_F(ElementDrawing, LineFlagsDrawInOrderInsideTheElement) {
    auto& line = element(kKindLine);
    line.lineWidth = 3;
    line.lineStyle = kPenDot; // wide lines are always solid
    line.lineColour = 0x0000FF;
    line.lineFlags = 0x7F;
    drawElement(painter_, placed(line), kScale);

    // 60,120 600x300 on the device; a pen of 13 units insets by 6 and 7.
    const int l = 66, t = 126, r = 653, b = 413;
    const auto lines = painter_.only("line");
    ASSERT_EQ(lines.size(), 6u);
    const int expected[6][4] = {{l, b, l, t}, {l, t, r, t}, {r, t, r, b},
                                {r, b, l, b}, {l, b, r, t}, {l, t, r, b}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(lines[i].a, expected[i][0]) << i;
        EXPECT_EQ(lines[i].b, expected[i][1]) << i;
        EXPECT_EQ(lines[i].c, expected[i][2]) << i;
        EXPECT_EQ(lines[i].d, expected[i][3]) << i;
    }
    EXPECT_EQ(lines[0].pen, (PaintPen{0x0000FF, 13, kPenSolid}));
    const auto ellipse = painter_.only("ellipse");
    ASSERT_EQ(ellipse.size(), 1u);
    EXPECT_EQ(ellipse[0].c, r - l);
    EXPECT_EQ(ellipse[0].brush.style, kBrushClear);
}

TEST_F(ElementDrawing, HairlinesKeepTheirStyleAtEveryScale) {
    auto& line = element(kKindLine);
    line.lineStyle = kPenDash;
    line.lineFlags = kLineTop;
    drawElement(painter_, placed(line), kScale);
    const auto lines = painter_.only("line");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].pen, (PaintPen{0, 1, kPenDash}));
    EXPECT_EQ(lines[0].b, 120); // no inset at the top for a pen of one unit
    EXPECT_EQ(lines[0].c, 659); // and one at the right
}

TEST_F(ElementDrawing, ShapesFillTheInsetRectangleWithTheirBrush) {
    for (const auto kind : {kKindRectangle, kKindRoundRectangle, kKindEllipse}) {
        auto& shape = element(kind);
        shape.fillColour = 0x00FF00;
        shape.fillStyle = kBrushCross;
        shape.lineWidth = 2;
        drawElement(painter_, placed(shape), kScale);
    }
    ASSERT_EQ(painter_.calls.size(), 3u);
    EXPECT_EQ(painter_.calls[0].what, "rect");
    EXPECT_EQ(painter_.calls[1].what, "round");
    EXPECT_EQ(painter_.calls[2].what, "ellipse");
    for (const auto& call : painter_.calls) {
        EXPECT_EQ(call.brush, (PaintBrush{0x00FF00, kBrushCross}));
        EXPECT_EQ(call.pen.width, 7);
        EXPECT_EQ(call.a, 63);
        EXPECT_EQ(call.c, 593);
    }
}

TEST_F(ElementDrawing, TextTakesTheScaledFontThenTheFrame) {
    auto& text = element(kKindText);
    text.font.size = 12;
    text.font.style = kFontBold;
    text.lineFlags = kLineLeft | kLineBottom;
    text.lineColour = 0xFF0000;
    auto out = placed(text);
    out.setText("AB");
    drawElement(painter_, out, kScale);

    const auto texts = painter_.only("text");
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "AB");
    EXPECT_DOUBLE_EQ(texts[0].x, 60);
    EXPECT_DOUBLE_EQ(texts[0].font.pixelHeight, 100); // 12 pt at 600 units per inch
    EXPECT_EQ(texts[0].font.style, kFontBold);
    const auto frame = painter_.only("line");
    ASSERT_EQ(frame.size(), 2u);
    EXPECT_EQ(frame[0].pen.colour, 0xFF0000u);
    // The frame comes after the text, so the text cannot cover it.
    EXPECT_EQ(painter_.calls.back().what, "line");
}

TEST_F(ElementDrawing, ContinuedMemoDrawsItsShareOfTheLines) {
    auto& memo = element(kKindField);
    auto out = placed(memo);
    out.lines = {"l0", "l1", "l2", "l3", "l4"};
    out.lineHeight = 20;
    out.firstLine = 2;
    out.lineCount = 2;
    drawElement(painter_, out, kScale);
    const auto texts = painter_.only("text");
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].text, "l2");
    EXPECT_DOUBLE_EQ(texts[0].y, 120);
    EXPECT_EQ(texts[1].text, "l3");
    EXPECT_DOUBLE_EQ(texts[1].y, 240);

    // A line count beyond the memo's end is cut to what exists.
    painter_.calls.clear();
    out.firstLine = 4;
    out.lineCount = 10;
    drawElement(painter_, out, kScale);
    EXPECT_EQ(painter_.only("text").size(), 1u);
}

TEST_F(ElementDrawing, RichTextGoesToTheInstalledReader) {
    auto& memo = element(kKindField);
    memo.textFlags = kTextRtf;
    auto out = placed(memo);
    out.setText("plain");
    out.rtf = "{\\rtf1 x}";
    std::string seen;
    setRichTextDrawer([&](Painter&, const DeviceRect&, std::string_view rtf, double, int, int) {
        seen = std::string(rtf);
    });
    drawElement(painter_, out, kScale);
    setRichTextDrawer(nullptr);
    EXPECT_EQ(seen, "{\\rtf1 x}");
    EXPECT_TRUE(painter_.only("text").empty());

    // Without a reader the plain text is drawn.
    drawElement(painter_, out, kScale);
    EXPECT_EQ(painter_.only("text").size(), 1u);
}

TEST_F(ElementDrawing, PicturesAreStretchedFittedOrKeptAtTheirSize) {
    const DeviceRect target{60, 120, 600, 600};
    const PictureSize size{40, 20};
    EXPECT_EQ(pictureRect(target, size, kLineDiagonalUp, kScale), target);
    EXPECT_EQ(pictureRect(target, size, kLineDiagonalDown, kScale),
              (DeviceRect{60, 120, 600, 300}));
    EXPECT_EQ(pictureRect(target, size, kLineDiagonalUp | kLineDiagonalDown, kScale),
              (DeviceRect{60, 120, 600, 300}));
    EXPECT_EQ(pictureRect(target, size, 0, kScale), (DeviceRect{60, 120, 240, 120}));

    auto& picture = element(kKindPicture);
    picture.lineFlags = kLineDiagonalUp;
    auto out = placed(picture);
    drawElement(painter_, out, kScale); // no picture: nothing
    EXPECT_TRUE(painter_.calls.empty());
    out.picture.bytes = std::make_shared<const std::string>("bad");
    drawElement(painter_, out, kScale); // unreadable: nothing
    EXPECT_TRUE(painter_.only("picture").empty());

    // A graphic field shows its picture in place of text.
    auto& field = element(kKindField);
    auto fieldOut = placed(field);
    fieldOut.setText("ignored");
    fieldOut.picture.bytes = std::make_shared<const std::string>("PNG");
    drawElement(painter_, fieldOut, kScale);
    EXPECT_EQ(painter_.only("picture").size(), 1u);
    EXPECT_TRUE(painter_.only("text").empty());
}

TEST_F(ElementDrawing, PagesDrawTheirElementsUntilCancelled) {
    auto& text = element(kKindText);
    TSestVystup output;
    output.addPage();
    output.addElement(&text, 0, 0, 10, 10).setText("a");
    output.addElement(&text, 0, 10, 10, 10).setText("b");
    output.addPage();
    EXPECT_EQ(drawPage(painter_, output, 0, kScale), 2);
    EXPECT_EQ(drawPage(painter_, output, 1, kScale), 0);
    EXPECT_EQ(drawPage(painter_, output, 2, kScale), 0);
    EXPECT_EQ(drawPage(painter_, output, -1, kScale), 0);
    output.cancelled = true;
    EXPECT_EQ(drawPage(painter_, output, 0, kScale), 0);
}

} // namespace
} // namespace vorlan::report
