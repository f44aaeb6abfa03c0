// Windows metafiles in report pictures: the frame mapped onto the target, the object table,
// text placement, bitmaps handed to the painter, and damaged files that draw nothing.

#include "core/cp1250.h"
#include "report/metafile_builder.h"
#include "report/paint/element_drawing.h"
#include "report/paint/metafile.h"
#include "report/paint_recording_painter.h"

#include <gtest/gtest.h>

namespace vorlan::report {
namespace {

using test::Call;
using test::EmfBuilder;
using test::WmfBuilder;

std::string padded(std::string_view text) {
    std::string s(text);
    if (s.size() % 2) s.push_back('\0');
    return s;
}

// Frame 1000 x 500 at 1000 units per inch into {10, 20, 200, 100}: a fifth in both directions.
class Metafile : public ::testing::Test {
protected:
    WmfBuilder placeable{0, 0, 1000, 500, 1000};
    const DeviceRect target{10, 20, 200, 100};
    test::RecordingPainter painter;
};

TEST_F(Metafile, ShapesAreMappedFromTheFrameOntoTheTarget) {
    placeable.record(kWmfRectangle, {200, 300, 100, 100})
        .record(kWmfEllipse, {500, 1000, 0, 0})
        .record(kWmfRoundRect, {50, 100, 200, 300, 100, 100})
        .record(kWmfMoveTo, {0, 0})
        .record(kWmfLineTo, {500, 1000})
        .record(kWmfLineTo, {500, 0})
        .record(kWmfPolyline, {3, 0, 0, 500, 0, 500, 250})
        .record(kWmfPolygon, {3, 0, 0, 500, 0, 500, 250})
        .record(kWmfPolyPolygon, {2, 3, 2, 0, 0, 10, 0, 10, 10, 100, 100, 200, 200});
    const std::string data = placeable.bytes();
    ASSERT_TRUE(isMetafile(data));
    EXPECT_EQ(metafileSize(data).width, 96);
    EXPECT_EQ(metafileSize(data).height, 48);
    drawMetafile(painter, data, target);

    ASSERT_EQ(painter.only("rect").size(), 1u);
    const Call rect = painter.only("rect")[0];
    EXPECT_EQ((DeviceRect{rect.a, rect.b, rect.c, rect.d}), (DeviceRect{30, 40, 40, 20}));
    const Call ellipse = painter.only("ellipse")[0];
    EXPECT_EQ((DeviceRect{ellipse.a, ellipse.b, ellipse.c, ellipse.d}), target);
    EXPECT_EQ(painter.only("round").size(), 1u);
    // Lines continue from the current position.
    const auto lines = painter.only("line");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ((std::vector<int>{lines[0].a, lines[0].b, lines[0].c, lines[0].d}),
              (std::vector<int>{10, 20, 210, 120}));
    EXPECT_EQ((std::vector<int>{lines[1].a, lines[1].b, lines[1].c, lines[1].d}),
              (std::vector<int>{210, 120, 10, 120}));
    const std::vector<DevicePoint> expected{{10, 20}, {110, 20}, {110, 70}};
    EXPECT_EQ(painter.only("polyline").at(0).points, expected);
    ASSERT_EQ(painter.only("polygon").size(), 1u);
    EXPECT_EQ(painter.only("polygon")[0].points, expected);
    // The two shapes of the poly-polygon are filled together.
    const auto group = painter.only("polypolygon");
    ASSERT_EQ(group.size(), 2u);
    EXPECT_EQ(group[0].a, 2);
    EXPECT_EQ(group[0].points.size(), 3u);
    EXPECT_EQ(group[1].points, (std::vector<DevicePoint>{{30, 40}, {50, 60}}));
}

TEST_F(Metafile, ObjectsTakeTheLowestFreeSlotAndSelectionSetsPenBrushAndFont) {
    const std::string face = std::string("Arial CE") + std::string(24, '\0');
    const std::string fontFlags{'\1', '\0', '\0', static_cast<char>(238), '\0', '\0', '\0', '\0'};
    placeable
        .record(kWmfCreatePenIndirect, {1, 50, 0, 0x00FF, 0}) // slot 0: red dashes
        .record(kWmfCreateBrushIndirect, {2, 0xFF00, 0, 4})   // slot 1: green cross
        .record(kWmfSelectObject, {0})
        .record(kWmfLineTo, {0, 100})
        .record(kWmfDeleteObject, {0})
        .record(kWmfCreateFontIndirect, {-100, 0, 0, 0, 700}, fontFlags + face) // slot 0
        .record(kWmfCreatePenIndirect, {5, 0, 0, 0, 0})                         // slot 2
        .record(kWmfSelectObject, {0})
        .record(kWmfSelectObject, {1})
        .record(kWmfSelectObject, {2})
        .record(kWmfSelectObject, {7}) // empty slot: nothing changes
        .record(kWmfSetTextColor, {0x3412, 0x56})
        .record(kWmfTextOut, {5}, padded("Ahoj!") + std::string("\x64\0\xC8\0", 4))
        .record(kWmfRectangle, {200, 300, 100, 100});
    drawMetafile(painter, placeable.bytes(), target);

    const Call line = painter.only("line").at(0);
    EXPECT_EQ(line.pen.colour, 0x0000FFu);
    EXPECT_EQ(line.pen.style, kPenDash);
    EXPECT_EQ(line.pen.width, 10);
    const Call text = painter.only("text").at(0);
    EXPECT_EQ(text.text, "Ahoj!");
    EXPECT_EQ(text.x, 50);
    EXPECT_EQ(text.y, 40);
    EXPECT_EQ(text.font.name, "Arial CE");
    EXPECT_DOUBLE_EQ(text.font.pixelHeight, 20);
    EXPECT_EQ(text.font.style, 3); // bold and italic
    EXPECT_EQ(text.font.charset, 238);
    EXPECT_EQ(text.font.colour, 0x563412u);
    const Call rect = painter.only("rect").at(0);
    EXPECT_EQ(rect.pen.style, kPenClear);
    EXPECT_EQ(rect.brush.style, kBrushCross);
    EXPECT_EQ(rect.brush.colour, 0x00FF00u);
}

TEST_F(Metafile, TextAlignmentMovesTheBoxAndExtendedTextSkipsItsRectangle) {
    placeable
        .record(kWmfSetTextAlign, {6 | 24}) // centred on the baseline
        .record(kWmfTextOut, {4}, std::string("abcd") + std::string("\xFA\0\xF4\x01", 4))
        .record(kWmfSetTextAlign, {2 | 8}) // right, bottom
        .record(kWmfExtTextOut, {500, 1000, 3, 4, 0, 0, 10, 10}, padded("xyz"));
    drawMetafile(painter, placeable.bytes(), target);
    const auto texts = painter.only("text");
    ASSERT_EQ(texts.size(), 2u);
    // At (110, 70): four units wide, ascent 8.
    EXPECT_EQ(texts[0].text, "abcd");
    EXPECT_DOUBLE_EQ(texts[0].x, 108);
    EXPECT_DOUBLE_EQ(texts[0].y, 62);
    // At (210, 120): three units wide, line height 10.
    EXPECT_EQ(texts[1].text, "xyz");
    EXPECT_DOUBLE_EQ(texts[1].x, 207);
    EXPECT_DOUBLE_EQ(texts[1].y, 110);
}

TEST_F(Metafile, WindowRecordsFrameAPlainFileAndSavedStatesComeBack) {
    WmfBuilder plain(0, 0, 0, 0, 0);
    plain.record(kWmfSetWindowOrg, {-100, -100})
        .record(kWmfSetWindowExt, {200, 200})
        .record(kWmfSaveDc, {})
        .record(kWmfCreatePenIndirect, {0, 10, 0, 0, 0})
        .record(kWmfSelectObject, {0})
        .record(kWmfRectangle, {0, 0, -100, -100})
        .record(kWmfRestoreDc, {-1})
        .record(kWmfRestoreDc, {-1}) // nothing left to restore: ignored
        .record(kWmfRectangle, {100, 100, -100, -100});
    const std::string data = plain.bytes();
    EXPECT_EQ(metafileSize(data).width, 200);
    drawMetafile(painter, data, {0, 0, 400, 400});
    const auto rects = painter.only("rect");
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_EQ(rects[0].pen.width, 20);
    EXPECT_EQ((DeviceRect{rects[0].a, rects[0].b, rects[0].c, rects[0].d}),
              (DeviceRect{0, 0, 200, 200}));
    EXPECT_EQ(rects[1].pen.width, 1);
    EXPECT_EQ((DeviceRect{rects[1].a, rects[1].b, rects[1].c, rects[1].d}),
              (DeviceRect{0, 0, 400, 400}));

    // Without a window the drawing's own extent is the picture.
    WmfBuilder bare(0, 0, 0, 0, 0);
    bare.record(kWmfPolyline, {2, 10, 20, 50, 100});
    EXPECT_EQ(metafileSize(bare.bytes()).width, 40);
    EXPECT_EQ(metafileSize(bare.bytes()).height, 80);
}

TEST_F(Metafile, StretchedBitmapsReachThePainterAsBitmapFiles) {
    std::string dib;
    for (int v : {40, 0, 2, 0, 1, 0})
        WmfBuilder::put16(dib, v);
    for (int v : {1, 24, 0, 0, 8, 0})
        WmfBuilder::put16(dib, v);
    dib += std::string(16, '\0');
    dib += std::string("\xFF\0\0\0\xFF\0\0\0", 8);
    placeable.record(kWmfStretchDib, {0x0020, 0x00CC, 0, 1, 2, 0, 0, 250, 500, 0, 0}, dib);
    // Palette-index colours cannot be drawn without their palette: passed over.
    placeable.record(kWmfStretchDib, {0x0020, 0x00CC, 1, 1, 2, 0, 0, 250, 500, 0, 0}, dib);
    drawMetafile(painter, placeable.bytes(), target);
    const auto pictures = painter.only("picture");
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ((DeviceRect{pictures[0].a, pictures[0].b, pictures[0].c, pictures[0].d}),
              (DeviceRect{10, 20, 100, 50}));
    const std::string& file = pictures[0].text;
    ASSERT_EQ(file.size(), 14 + dib.size());
    EXPECT_EQ(file.substr(0, 2), "BM");
    EXPECT_EQ(static_cast<unsigned char>(file[10]), 54); // pixels right after the header
    EXPECT_EQ(file.substr(14), dib);
}

TEST_F(Metafile, DamagedFilesThrowBeforeAnythingIsDrawn) {
    const auto fails = [&](const std::string& data) {
        test::RecordingPainter fresh;
        bool threw = false;
        try {
            drawMetafile(fresh, data, target);
        } catch (const MetafileError& e) {
            threw = std::string(e.what()).starts_with("Metasoubor nelze p");
        }
        return threw && fresh.calls.empty();
    };
    WmfBuilder good = placeable;
    good.record(kWmfRectangle, {200, 300, 100, 100}).record(kWmfPolygon, {2, 0, 0, 5, 5});
    const std::string whole = good.bytes();
    EXPECT_NO_THROW(drawMetafile(painter, whole, target));
    // Cut inside the last record, and inside the header.
    EXPECT_TRUE(fails(whole.substr(0, whole.size() - 9)));
    EXPECT_TRUE(fails(whole.substr(0, 30)));
    // A polygon promising more points than its record holds, after a good rectangle.
    WmfBuilder lying = placeable;
    lying.record(kWmfRectangle, {200, 300, 100, 100}).record(kWmfPolygon, {100, 0, 0, 5, 5});
    EXPECT_TRUE(fails(lying.bytes()));
    // A record of length zero would never end the walk.
    WmfBuilder zero = placeable;
    zero.raw(std::string(6, '\0').replace(4, 2, "\x1B\x04", 2));
    EXPECT_TRUE(fails(zero.bytes()));
    // A placeable header whose checksum does not match, or whose frame is empty.
    std::string wrongSum = whole;
    wrongSum[20] = static_cast<char>(wrongSum[20] ^ 1);
    EXPECT_TRUE(fails(wrongSum));
    EXPECT_TRUE(fails(WmfBuilder(0, 0, 0, 500, 1000).bytes()));
    // Nothing drawn and no window: no extent at all.
    EXPECT_THROW(metafileSize(WmfBuilder(0, 0, 0, 0, 0).bytes()), MetafileError);
    EXPECT_FALSE(isMetafile("GIF89a"));
}

// Enhanced files: a frame of 2540 x 1270 hundredths of a millimetre is 96 x 48 pixels of the
// reference device, drawn into {0, 0, 192, 96}: twice the size.
class EnhancedMetafile : public ::testing::Test {
protected:
    EmfBuilder emf{{0, 0, 95, 47}, {0, 0, 2540, 1270}};
    const DeviceRect target{0, 0, 192, 96};
    test::RecordingPainter painter;
};

TEST_F(EnhancedMetafile, ShapesCurvesObjectsAndUnicodeTextAreDrawn) {
    std::string face = EmfBuilder::utf16(u"Arial");
    face.resize(64, '\0');
    emf.record(kEmfCreatePen, {1, 1, 2, 0, 0x0000FF})
        .record(kEmfSelectObject, {1})
        .record(kEmfSelectObject, {static_cast<int>(0x80000005u)}) // the hollow stock brush
        .record(kEmfRectangle, {10, 10, 50, 30})
        .record(kEmfPolyline16, {0, 0, 0, 0, 2}, std::string("\x01\0\x02\0\x03\0\x04\0", 8))
        .record(kEmfPolyBezier16, {0, 0, 0, 0, 4},
                std::string("\0\0\0\0\x0A\0\0\0\x0A\0\x0A\0\x14\0\x0A\0", 16))
        // Height, width, escapement, orientation, weight, then italic, underline, strike-out and
        // character set in one word, the four precision bytes in another, then the face.
        .record(kEmfExtCreateFontIndirectW,
                {2, -10, 0, 0, 0, 700, static_cast<int>(0xEE000000u), 0}, face)
        .record(kEmfSelectObject, {2})
        .record(kEmfSetTextColor, {0x123456})
        // Bounds, mode, scales, then the text: reference, count, offset, options, rectangle.
        .record(kEmfExtTextOutW, {0, 0, 0, 0, 1, 0, 0, 10, 20, 9, 76, 0, 0, 0, 0, 0, 0},
                EmfBuilder::utf16(u"Žluťoučký"));
    const std::string data = emf.bytes();
    ASSERT_TRUE(isMetafile(data));
    EXPECT_EQ(metafileSize(data).width, 96);
    EXPECT_EQ(metafileSize(data).height, 48);
    drawMetafile(painter, data, target);

    const Call rect = painter.only("rect").at(0);
    EXPECT_EQ((DeviceRect{rect.a, rect.b, rect.c, rect.d}), (DeviceRect{20, 20, 80, 40}));
    EXPECT_EQ(rect.pen.style, kPenDash);
    EXPECT_EQ(rect.pen.width, 4);
    EXPECT_EQ(rect.pen.colour, 0x0000FFu);
    EXPECT_EQ(rect.brush.style, kBrushClear);
    const auto lines = painter.only("polyline");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].points, (std::vector<DevicePoint>{{2, 4}, {6, 8}}));
    // One curve in sixteen segments, from its start to its end point.
    ASSERT_EQ(lines[1].points.size(), 17u);
    EXPECT_EQ(lines[1].points.front(), (DevicePoint{0, 0}));
    EXPECT_EQ(lines[1].points.back(), (DevicePoint{40, 20}));
    const Call text = painter.only("text").at(0);
    EXPECT_EQ(text.text, czech("Žluťoučký"));
    EXPECT_DOUBLE_EQ(text.x, 20);
    EXPECT_DOUBLE_EQ(text.y, 40);
    EXPECT_EQ(text.font.name, "Arial");
    EXPECT_DOUBLE_EQ(text.font.pixelHeight, 20);
    EXPECT_EQ(text.font.style, 1);
    EXPECT_EQ(text.font.charset, 238);
    EXPECT_EQ(text.font.colour, 0x123456u);
}

TEST_F(EnhancedMetafile, WindowAndViewportScaleOnlyInTheScalingModes) {
    emf.record(kEmfSetWindowExtEx, {1000, 1000})
        .record(kEmfSetViewportExtEx, {96, 48})
        .record(kEmfSetWindowOrgEx, {-500, 0})
        .record(kEmfRectangle, {-500, 0, 500, 1000}) // text mode: extents do not count
        .record(kEmfSetMapMode, {8})
        .record(kEmfRectangle, {-500, 0, 500, 1000})
        .record(kEmfSaveDc, {})
        .record(kEmfSetMapMode, {1})
        .record(kEmfRestoreDc, {-1})
        .record(kEmfEllipse, {-500, 0, 0, 500});
    drawMetafile(painter, emf.bytes(), target);
    const auto rects = painter.only("rect");
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_EQ((DeviceRect{rects[0].a, rects[0].b, rects[0].c, rects[0].d}),
              (DeviceRect{0, 0, 2000, 2000}));
    EXPECT_EQ((DeviceRect{rects[1].a, rects[1].b, rects[1].c, rects[1].d}), target);
    const Call ellipse = painter.only("ellipse").at(0);
    EXPECT_EQ((DeviceRect{ellipse.a, ellipse.b, ellipse.c, ellipse.d}), (DeviceRect{0, 0, 96, 48}));
}

TEST_F(EnhancedMetafile, BitmapsReachThePainterAndDamagedFilesDrawNothing) {
    std::string bmi;
    for (int v : {40, 2, 1})
        WmfBuilder::put32(bmi, static_cast<std::uint32_t>(v));
    WmfBuilder::put16(bmi, 1);
    WmfBuilder::put16(bmi, 24);
    bmi += std::string(24, '\0');
    const std::string bits("\xFF\0\0\0\xFF\0\0\0", 8);
    // Header fields up to the destination size, then the bitmap header at 80, the pixels at 120.
    emf.record(kEmfStretchDiBits,
               {0, 0, 0, 0, 10, 5, 0, 0, 2, 1, 80, 40, 120, 8, 0, 0x00CC0020, 20, 10}, bmi + bits);
    drawMetafile(painter, emf.bytes(), target);
    const Call picture = painter.only("picture").at(0);
    EXPECT_EQ((DeviceRect{picture.a, picture.b, picture.c, picture.d}),
              (DeviceRect{20, 10, 40, 20}));
    EXPECT_EQ(picture.text.substr(0, 2), "BM");
    EXPECT_EQ(picture.text.substr(14), bmi + bits);

    const auto fails = [&](const std::string& data) {
        test::RecordingPainter fresh;
        try {
            drawMetafile(fresh, data, target);
        } catch (const MetafileError&) {
            return fresh.calls.empty();
        }
        return false;
    };
    // A polygon promising more points than its record holds, after a good rectangle.
    EmfBuilder lying = emf;
    lying.record(kEmfRectangle, {0, 0, 5, 5}).record(kEmfPolygon16, {0, 0, 0, 0, 1000}, "ab");
    EXPECT_TRUE(fails(lying.bytes()));
    // Text whose string lies outside its record.
    EmfBuilder outside = emf;
    outside.record(kEmfExtTextOutA, {0, 0, 0, 0, 1, 0, 0, 0, 0, 4, 5000, 0, 0, 0, 0, 0, 0});
    EXPECT_TRUE(fails(outside.bytes()));
    // A record whose length is not whole 32-bit words, and a file cut inside a record.
    EmfBuilder odd = emf;
    odd.raw(std::string("\x2B\0\0\0\x0A\0\0\0\0\0", 10));
    EXPECT_TRUE(fails(odd.bytes()));
    const std::string whole = emf.bytes();
    EXPECT_TRUE(fails(whole.substr(0, whole.size() - 30)));
    // No frame and no bounds: nothing to size the picture by.
    EXPECT_THROW(metafileSize(EmfBuilder({0, 0, -1, -1}, {0, 0, 0, 0}).bytes()), MetafileError);
}

TEST_F(Metafile, PictureElementDrawsTheMetafileOrStaysEmptyWithOneWarning) {
    TSestavaTyp report;
    TOddilSestavy section{kSectionBody};
    auto& element = section.addElement(&report);
    element.kind = kKindPicture;
    element.lineFlags = kLineDiagonalUp; // stretched over the element
    TVystPrvek out(&element, 10, 20, 100, 50);
    placeable.record(kWmfRectangle, {500, 1000, 0, 0});
    out.picture.bytes = std::make_shared<const std::string>(placeable.bytes());
    drawElement(painter, out, 1.0);
    const Call rect = painter.only("rect").at(0);
    EXPECT_EQ((DeviceRect{rect.a, rect.b, rect.c, rect.d}), (DeviceRect{10, 20, 100, 50}));
    EXPECT_EQ(painter.only("clip").size(), 1u);

    std::vector<std::string> warnings;
    setPictureWarningSink([&](const std::string& text) { warnings.push_back(text); });
    std::string damaged = placeable.bytes();
    damaged.resize(damaged.size() - 4);
    out.picture.bytes = std::make_shared<const std::string>(damaged);
    test::RecordingPainter again;
    drawElement(again, out, 1.0);
    drawElement(again, out, 1.0); // the preview draws a page many times; one warning is enough
    setPictureWarningSink(nullptr);
    EXPECT_TRUE(again.only("rect").empty());
    EXPECT_TRUE(again.only("picture").empty());
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("Metasoubor"), std::string::npos);
}

} // namespace
} // namespace vorlan::report
