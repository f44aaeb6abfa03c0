// Colours, bitmaps and drawing on their canvas, checked pixel by pixel as text maps
// ('.' white, '#' black, 'r' red, 'y' yellow, '?' anything else).
#include "../pixel_map.h"
#include "desktop_fixture.h"

#include "script/bind.h"
#include "script/component.h"
#include "ui/qt/forms/form_catalog.h"
#include "ui/qt/forms/paint_box.h"
#include "ui/qt/stdlib/bitmap.h"
#include "ui/qt/stdlib/colors.h"

#include <QApplication>
#include <QPalette>

using namespace vorlan;
using namespace vorlan::stdlib;
using namespace vorlan::stdlib::testing;
using script::Value;

namespace {

using vorlan::testing::pixelMap;
using vorlan::testing::rows;

class BitmapCanvas : public ::testing::Test {
protected:
    void SetUp() override {
        desktopRegistry();
        bitmap = newBitmap(8, 6);
        canvas = call(*bitmap, "Canvas").toObject();
        ASSERT_NE(canvas, nullptr);
    }
    void TearDown() override {
        for (const auto& b : made)
            call(*b, "Free");
    }
    script::ObjectRef newBitmap(int width, int height) {
        script::ObjectRef b = call(*object("TBitmap"), "Create").toObject();
        put(*b, "Width", Value(width));
        put(*b, "Height", Value(height));
        made.push_back(b);
        return b;
    }
    static const QImage& imageOf(const script::ObjectRef& b) {
        return script::nativeAs<Bitmap>(Value(b))->image();
    }
    std::string map() const { return pixelMap(imageOf(bitmap)); }
    script::ObjectRef tool(const char* name) { return call(*canvas, name).toObject(); }

    script::ObjectRef bitmap;
    script::ObjectRef canvas;
    std::vector<script::ObjectRef> made;
};

} // namespace

TEST(Colors, NamesNumbersAndSystemColours) {
    desktopRegistry();
    EXPECT_EQ(colorToString(0x0000FF), "clRed");
    EXPECT_EQ(colorToString(0x123456), "$00123456");
    EXPECT_EQ(colorToString(static_cast<std::int32_t>(0x8000000F)), "clBtnFace");
    EXPECT_EQ(stringToColor("CLRED"), 0xFF);
    EXPECT_EQ(stringToColor("$FF00"), 0xFF00);
    EXPECT_EQ(stringToColor("-1"), -1);
    EXPECT_EQ(stringToColor("$8000000F"), static_cast<std::int32_t>(0x8000000F));
    for (const char* bad : {"", "clRudy", "12z", "$", "99999999999"})
        EXPECT_THROW(stringToColor(bad), script::ScriptException) << bad;

    // System colours are the palette's; the others keep their value.
    const QColor face = QApplication::palette().color(QPalette::Active, QPalette::Button);
    EXPECT_EQ(global("ColorToRGB", {global("clBtnFace")}).toInt(),
              face.red() | face.green() << 8 | face.blue() << 16);
    EXPECT_EQ(global("ColorToRGB", {Value("clWindowText")}).toInt(),
              colorToRgb(static_cast<std::int32_t>(0x80000008)));
    EXPECT_EQ(global("ColorToRGB", {global("clNavy")}).toInt(), 0x800000);
    EXPECT_EQ(global("RGB", {Value(1), Value(2), Value(3)}).toInt(), 0x030201);
    EXPECT_EQ(global("ColorToString", {global("clAqua")}).toString(), "clAqua");
    EXPECT_EQ(global("StringToColor", {Value("clInfoBk")}).toInt(),
              static_cast<std::int32_t>(0x80000018));
}

TEST(Colors, EveryDesktopBindingAgreesWithItsDeclarationAndNoConstantIsDefinedTwice) {
    desktopRegistry();
    EXPECT_TRUE(script::bindingMismatches().empty())
        << (script::bindingMismatches().empty() ? "" : script::bindingMismatches().front());
    // The form layer's colours and styles keep their meaning.
    EXPECT_EQ(global("clRed").toInt(), 0xFF);
    EXPECT_EQ(global("fsItalic").toInt(), 1);
    EXPECT_EQ(global("psDash").toString(), "psDash");
    EXPECT_EQ(global("bsDiagCross").toString(), "bsDiagCross");
    EXPECT_EQ(global("crHourGlass").toInt(), -11);
    EXPECT_EQ(global("alClient").toInt(), 5);
}

TEST_F(BitmapCanvas, RectangleLineAndFillFollowTheExclusiveEdges) {
    put(*tool("Brush"), "Color", global("clYellow"));
    call(*canvas, "Rectangle", {Value(1), Value(1), Value(6), Value(5)});
    call(*canvas, "MoveTo", {Value(0), Value(5)});
    call(*canvas, "LineTo", {Value(4), Value(5)});
    put(*tool("Brush"), "Color", global("clRed"));
    call(*canvas, "FillRect", {global("Rect", {Value(6), Value(0), Value(8), Value(2)})});
    EXPECT_EQ(map(), rows({"......rr", //
                           ".#####rr", //
                           ".#yyy#..", //
                           ".#yyy#..", //
                           ".#####..", //
                           "####...."}));
    const Value pos = call(*canvas, "PenPos");
    EXPECT_EQ(pos.asArray()->items()[0].toInt(), 4);
}

TEST_F(BitmapCanvas, ShapesWithoutAPenAreOnePixelSmallerAndClearBrushesLeaveTheInside) {
    put(*tool("Pen"), "Style", global("psClear"));
    put(*tool("Brush"), "Color", global("clRed"));
    call(*canvas, "Rectangle", {global("Rect", {Value(0), Value(0), Value(4), Value(3)})});
    put(*tool("Pen"), "Style", Value(0)); // psSolid by its number
    put(*tool("Brush"), "Style", global("bsClear"));
    call(*canvas, "Rectangle", {Value(4), Value(2), Value(8), Value(6)});
    EXPECT_EQ(map(), rows({"rrr.....", //
                           "rrr.....", //
                           "....####", //
                           "....#..#", //
                           "....#..#", //
                           "....####"}));
    EXPECT_EQ(call(*tool("Pen"), "Style").toString(), "psSolid");
    EXPECT_EQ(tryCall(*tool("Pen"), "Style", {Value("psWavy")}, script::InvokePut).status,
              script::DispStatus::Exception);
}

TEST_F(BitmapCanvas, PixelsDrawAndStretchDraw) {
    put(*canvas, "Pixels", global("clRed"), {Value(0), Value(0)});
    put(*canvas, "Pixels", Value("clBlack"), {Value(7), Value(5)});
    EXPECT_EQ(call(*canvas, "Pixels", {Value(0), Value(0)}).toInt(), 0xFF);
    EXPECT_EQ(call(*canvas, "Pixels", {Value(8), Value(0)}).toInt(), -1);

    script::ObjectRef stamp = newBitmap(2, 2);
    script::ObjectRef stampCanvas = call(*stamp, "Canvas").toObject();
    put(*call(*stampCanvas, "Brush").toObject(), "Color", global("clYellow"));
    call(*stampCanvas, "FillRect", {global("Rect", {Value(0), Value(0), Value(2), Value(2)})});
    call(*canvas, "Draw", {Value(2), Value(1), Value(stamp)});
    call(*canvas, "StretchDraw",
         {global("Rect", {Value(4), Value(2), Value(8), Value(4)}), Value(stamp)});
    EXPECT_EQ(map(), rows({"r.......", //
                           "..yy....", //
                           "..yyyyyy", //
                           "....yyyy", //
                           "........", //
                           ".......#"}));
    EXPECT_EQ(tryCall(*canvas, "Draw", {Value(0), Value(0), Value(3)}).status,
              script::DispStatus::Exception);
}

TEST_F(BitmapCanvas, ATransparentBitmapLeavesItsBackgroundColourOut) {
    put(*tool("Brush"), "Color", global("clRed"));
    call(*canvas, "FillRect", {global("Rect", {Value(0), Value(0), Value(8), Value(6)})});
    script::ObjectRef sprite = newBitmap(3, 1);
    put(*call(*sprite, "Canvas").toObject(), "Pixels", Value(0), {Value(1), Value(0)});
    put(*sprite, "Transparent", Value(true));
    EXPECT_EQ(call(*sprite, "TransparentColor").toInt(), 0xFFFFFF);
    call(*canvas, "Draw", {Value(0), Value(0), Value(sprite)});
    EXPECT_EQ(map().substr(0, 9), "r#rrrrrr\n");
}

TEST_F(BitmapCanvas, TextMovesThePenAndPaintsItsBackgroundUnlessTheBrushIsClear) {
    script::ObjectRef wide = newBitmap(200, 40);
    script::ObjectRef c = call(*wide, "Canvas").toObject();
    const Value text(czech("Kreslení"));
    const int width = call(*c, "TextWidth", {text}).toInt();
    const int height = call(*c, "TextHeight", {text}).toInt();
    EXPECT_GT(width, 20);
    EXPECT_GT(height, 5);
    put(*call(*c, "Brush").toObject(), "Color", global("clYellow"));
    call(*c, "TextOut", {Value(10), Value(5), text});
    EXPECT_EQ(call(*c, "PenPos").asArray()->items()[0].toInt(), 10 + width);
    const QImage& image = imageOf(wide);
    EXPECT_EQ(image.pixel(10, 5) & 0xFFFFFF, 0xFFFF00u);
    int ink = 0;
    for (int y = 5; y < 5 + height; ++y)
        for (int x = 10; x < 10 + width; ++x)
            ink += (image.pixel(x, y) & 0xFFFFFF) != 0xFFFF00;
    EXPECT_GT(ink, 20);
    EXPECT_EQ(image.pixel(9, 5) & 0xFFFFFF, 0xFFFFFFu);

    // Bigger and bold text is wider.
    script::ObjectRef font = call(*c, "Font").toObject();
    EXPECT_EQ(call(*font, "Height").toInt(), -11);
    put(*font, "Height", Value(-16));
    EXPECT_EQ(call(*font, "Size").toInt(), 12);
    put(*font, "Style", Value("[fsBold,fsUnderline]"));
    EXPECT_EQ(call(*font, "Style").toInt(), 5);
    EXPECT_GT(call(*c, "TextWidth", {text}).toInt(), width);
}

TEST_F(BitmapCanvas, GrowingKeepsTheDrawingAndFilesRoundTripAsBitmaps) {
    put(*canvas, "Pixels", global("clRed"), {Value(7), Value(5)});
    put(*bitmap, "Width", Value(10));
    EXPECT_EQ(call(*canvas, "Pixels", {Value(7), Value(5)}).toInt(), 0xFF);
    EXPECT_EQ(call(*canvas, "Pixels", {Value(9), Value(5)}).toInt(), 0xFFFFFF);

    const auto folder = scratch("bitmap");
    const std::string file = (folder / "obraz.png").string();
    call(*bitmap, "SaveToFile", {Value(file)});
    std::ifstream in(file, std::ios::binary);
    char magic[2] = {};
    in.read(magic, 2);
    EXPECT_EQ(std::string(magic, 2), "BM"); // whatever the name says

    script::ObjectRef copy = newBitmap(0, 0);
    EXPECT_TRUE(call(*copy, "Empty").toBool());
    call(*copy, "LoadFromFile", {Value(file)});
    EXPECT_EQ(call(*copy, "Width").toInt(), 10);
    EXPECT_EQ(call(*call(*copy, "Canvas").toObject(), "Pixels", {Value(7), Value(5)}).toInt(),
              0xFF);
    const CallResult missing =
        tryCall(*copy, "LoadFromFile", {Value((folder / "chybi.bmp").string())});
    EXPECT_EQ(missing.status, script::DispStatus::Exception);
    EXPECT_NE(missing.error.find("Nelze načíst obrázek"), std::string::npos);
    EXPECT_EQ(call(*copy, "Width").toInt(), 10); // unchanged
    EXPECT_EQ(tryCall(*copy, "SetSize", {Value(1 << 16), Value(1 << 16)}).status,
              script::DispStatus::Exception);
    call(*copy, "Assign", {Value::null()});
    EXPECT_TRUE(call(*copy, "Empty").toBool());
    std::filesystem::remove_all(folder);
}

TEST_F(BitmapCanvas, ArcPieAndChordRunCounterClockwiseBetweenTheirRays) {
    // On a circle of radius 10 around (10, 10): from the ray to the right (3 o'clock) to the ray
    // upwards, the upper right quarter.
    const std::vector<Value> quarter{Value(0),  Value(0),  Value(21), Value(21),
                                     Value(21), Value(10), Value(10), Value(0)};
    auto at = [&](const script::ObjectRef& b, int x, int y) {
        return imageOf(b).pixel(x, y) & 0xFFFFFF;
    };
    auto drawn = [&](const char* shape) {
        script::ObjectRef b = newBitmap(21, 21);
        script::ObjectRef c = call(*b, "Canvas").toObject();
        put(*call(*c, "Brush").toObject(), "Color", global("clRed"));
        std::vector<Value> args = quarter;
        call(*c, shape, args);
        return b;
    };
    const script::ObjectRef pie = drawn("Pie");
    EXPECT_EQ(at(pie, 15, 5), 0xFF0000u);  // inside the quarter
    EXPECT_EQ(at(pie, 5, 15), 0xFFFFFFu);  // the opposite quarter
    EXPECT_EQ(at(pie, 5, 5), 0xFFFFFFu);   // the quarter counter-clockwise after it
    EXPECT_EQ(at(pie, 15, 15), 0xFFFFFFu); // and the one before it
    const script::ObjectRef chord = drawn("Chord");
    EXPECT_EQ(at(chord, 17, 4), 0xFF0000u); // beyond the chord
    EXPECT_EQ(at(chord, 13, 8), 0xFFFFFFu); // on the centre's side of it
    const script::ObjectRef arc = drawn("Arc");
    // An arc is the line alone: its top end at (10, 0), nothing filled, nothing below it.
    EXPECT_EQ(at(arc, 10, 0), 0u);
    EXPECT_EQ(at(arc, 15, 5), 0xFFFFFFu);
    for (int y = 12; y < 21; ++y)
        for (int x = 0; x < 21; ++x)
            ASSERT_EQ(at(arc, x, y), 0xFFFFFFu) << x << "," << y;
    // The same ray twice: the whole ellipse.
    script::ObjectRef whole = newBitmap(21, 21);
    script::ObjectRef c = call(*whole, "Canvas").toObject();
    put(*call(*c, "Brush").toObject(), "Color", global("clRed"));
    std::vector<Value> args{Value(0),  Value(0),  Value(21), Value(21),
                            Value(21), Value(10), Value(21), Value(10)};
    call(*c, "Pie", args);
    EXPECT_EQ(at(whole, 5, 15), 0xFF0000u);
    EXPECT_EQ(at(whole, 15, 5), 0xFF0000u);
}

// A paint box is cleared to its colour and handed to OnPaint each time it is painted; what the
// handler draws on its Canvas is what shows. A program may draw on it without a paint too.
TEST(PaintBox, ShowsWhatOnPaintDrawsOnItsCanvas) {
    desktopRegistry();
    std::unique_ptr<script::Component> made = forms::makeControl("TPaintBox");
    auto* box = dynamic_cast<forms::PaintBox*>(made.get());
    ASSERT_NE(box, nullptr);
    box->setPublished("Width", Value(20));
    box->setPublished("Height", Value(10));
    box->setPublished("Color", Value(0xFFFFFF));
    const script::ObjectRef canvas = call(*script::wrapObject(box), "Canvas").toObject();
    ASSERT_NE(canvas, nullptr);

    struct Painter : script::EventSink {
        script::ObjectRef canvas;
        int calls = 0;
        Value callHandler(const std::string& procedure, std::span<Value>) override {
            EXPECT_EQ(procedure, "BoxPaint");
            ++calls;
            put(*call(*canvas, "Brush").toObject(), "Color", Value(0x0000FF));
            call(*canvas, "FillRect", {global("Rect", {Value(0), Value(0), Value(5), Value(5)})});
            return {};
        }
    } painter;
    painter.canvas = canvas;
    box->setEventSink(&painter);
    box->setPublished("OnPaint", Value("BoxPaint"));

    const QImage shown = box->widget()->grab().toImage();
    EXPECT_GE(painter.calls, 1);
    ASSERT_EQ(shown.size(), QSize(20, 10));
    EXPECT_EQ(shown.pixelColor(2, 2), QColor(Qt::red));
    EXPECT_EQ(shown.pixelColor(12, 5), QColor(Qt::white));

    // Drawn outside a paint: it lasts until the next one clears the box.
    call(*canvas, "FillRect", {global("Rect", {Value(10), Value(0), Value(20), Value(10)})});
    EXPECT_EQ(box->surface().pixelColor(12, 5), QColor(Qt::red));
    EXPECT_EQ(call(*canvas, "Pixels", {Value(12), Value(5)}).toInt(), 0x0000FF);
    box->setEventSink(nullptr);
}
