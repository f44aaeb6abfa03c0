#include "report/charmode/character_drawing.h"
#include "report/charmode/character_page.h"
#include "report/model.h"

#include <gtest/gtest.h>

namespace vorlan::report {
namespace {

TEST(CharacterPage, RowsFollowThePaperHeightAndLineSpacing) {
    EXPECT_EQ(TZnakovePole(1169, 0).rowCount(), 70); // A4 at 6 lines per inch
    EXPECT_EQ(TZnakovePole(1169, 1).rowCount(), 46);
    EXPECT_EQ(TZnakovePole(1169, 2).rowCount(), 35);
    EXPECT_EQ(TZnakovePole(826, 7).rowCount(), 49); // an unknown spacing counts as 6 per inch
    EXPECT_EQ(TZnakovePole(-100, 0).rowCount(), 0);
    EXPECT_EQ(TZnakovePole(INT32_MAX, 0).rowCount(), TZnakovePole::kMaxRows);
}

TEST(CharacterPage, PitchOfFontSizes) {
    EXPECT_EQ(pitchOfFontSize(8), kPitch17);
    EXPECT_EQ(pitchOfFontSize(9), kPitch12);
    EXPECT_EQ(pitchOfFontSize(10), kPitch12);
    EXPECT_EQ(pitchOfFontSize(11), kPitch10);
    EXPECT_EQ(pitchOfFontSize(12), kPitch10);
    EXPECT_EQ(layerOf(kPitch10, false), 0);
    EXPECT_EQ(layerOf(kPitch12, true), 9);
    EXPECT_EQ(layerOf(kPitch17, false), 16);
}

TEST(CharacterPage, TextIsPaddedAndWrittenOverWhatStoodThere) {
    TZnakovyRadek row;
    row.put(0, 3, "abcdef");
    EXPECT_EQ(row.layer(0), "   abcdef");
    row.put(0, 5, "XY");
    EXPECT_EQ(row.layer(0), "   abXYef");
    row.put(0, 8, "1234");
    EXPECT_EQ(row.layer(0), "   abXYe1234");
    // Left of the first column is cut off; far right is limited.
    row.put(1, -2, "abc");
    EXPECT_EQ(row.layer(1), "c");
    row.put(2, TZnakovyRadek::kMaxColumns - 1, "xyz");
    EXPECT_EQ(row.layer(2).size(), static_cast<std::size_t>(TZnakovyRadek::kMaxColumns));
    row.put(3, INT32_MAX, "x");
    row.put(24, 0, "x");
    EXPECT_TRUE(row.layer(3).empty());
    row.clear();
    EXPECT_TRUE(row.empty());
}

TEST(CharacterPage, FileTextKeepsLayersOfARowApartAndWritesEveryRow) {
    TZnakovePole page(50, 0); // three rows
    page.put(0, 0, "Nadpis", kPitch10, true);
    page.put(0, 12, "vpravo", kPitch12, false);
    page.put(2, 2, "konec", kPitch10, false);
    page.put(3, 0, "mimo", kPitch10, false);
    std::string text;
    page.appendText(text);
    EXPECT_EQ(text, "Nadpis\r            vpravo\r\n\n  konec\r\n");
    page.clear();
    text.clear();
    page.appendText(text);
    EXPECT_EQ(text, "\n\n\n");
}

// Records what is drawn; a character is half as wide as the font is high.
class RecordingPainter : public Painter {
public:
    struct Text {
        double x, y, spacing;
        std::string text;
        PaintFont font;
    };
    std::vector<Text> texts;
    void setPen(const PaintPen&) override {}
    void setBrush(const PaintBrush&) override {}
    void setFont(const PaintFont& f) override { font_ = f; }
    double textWidth(std::string_view t, double) override {
        return static_cast<double>(t.size()) * font_.pixelHeight / 2;
    }
    double lineHeight() override { return font_.pixelHeight; }
    double ascent() override { return font_.pixelHeight; }
    void drawText(double x, double y, std::string_view t, double spacing) override {
        texts.push_back({x, y, spacing, std::string(t), font_});
    }
    void drawLine(int, int, int, int) override {}
    void drawRectangle(const DeviceRect&) override {}
    void drawRoundRectangle(const DeviceRect&, int, int) override {}
    void drawEllipse(const DeviceRect&) override {}
    std::optional<PictureSize> pictureSize(std::string_view) override { return std::nullopt; }
    void drawPicture(std::string_view, const DeviceRect&) override {}
    void setClip(const DeviceRect&) override {}
    void clearClip() override {}

private:
    PaintFont font_;
};

TEST(CharacterPage, DrawnLayersKeepTheirPitchAndOverprint) {
    TZnakovePole page(50, 0);
    page.put(2, 0, "tucne", kPitch10, true);
    page.put(2, 0, "drobne", kPitch17, false);
    RecordingPainter painter;
    drawCharacterPage(painter, page, 6.0);
    ASSERT_EQ(painter.texts.size(), 2u);
    const auto& bold = painter.texts[0];
    EXPECT_EQ(bold.text, "tucne");
    EXPECT_DOUBLE_EQ(bold.y, 200); // row 2 at 6 lines per inch and 600 units per inch
    EXPECT_EQ(bold.font.style, kFontBold);
    // One character plus its spacing is exactly one column (60 units at 10 per inch).
    EXPECT_DOUBLE_EQ(bold.font.pixelHeight / 2 + bold.spacing, 60);
    const auto& small = painter.texts[1];
    EXPECT_DOUBLE_EQ(small.y, 200);
    EXPECT_DOUBLE_EQ(small.font.pixelHeight / 2 + small.spacing, 600.0 / 17);
    EXPECT_EQ(small.font.style, 0);
}

} // namespace
} // namespace vorlan::report
