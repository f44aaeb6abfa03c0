// The canvas as scripts drive it, through its registered procedures, with the pixels replaced by
// a recorder.
#include "core/cp1250.h"
#include "script/registry.h"
#include "window_models/canvas/canvas.h"
#include "window_models/canvas/canvas_procs.h"
#include "window_models/canvas/recording_surface.h"
#include "window_models/recording_ui.h"

#include <gtest/gtest.h>

using namespace vorlan;
using script::Value;
using windows::Canvas;
using Calls = std::vector<std::string>;

namespace {

class CanvasProcs : public ::testing::Test {
protected:
    void SetUp() override { windows::registerCanvas(registry, canvas); }

    Value call(std::string_view name, std::vector<Value> args = {}) {
        const script::MethodInfo* proc = registry.findProc(name);
        EXPECT_NE(proc, nullptr) << name;
        Value result;
        if (!proc) return result;
        script::ExceptionInfo error;
        EXPECT_EQ(registry.call(*proc, nullptr, args, result, error), script::DispStatus::Ok)
            << name;
        return result;
    }

    script::Registry registry;
    test_support::RecordingSurface surface;
    Canvas canvas{surface};
};

} // namespace

TEST_F(CanvasProcs, AllThirtySixNamesAreRegisteredOnce) {
    for (const char* name :
         {"ImageArc",        "ImageEllipse",  "ImageGetMaxX",   "ImageGetMaxY",   "ImageBrushColor",
          "ImageBrushStyle", "ImageClear",    "ImageFontColor", "ImageFontName",  "ImageFontSize",
          "ImageFontStyle",  "ImageFromClip", "ImageInit",      "ImageLoad",      "ImageMove",
          "ImagePenColor",   "ImagePenWidth", "ImagePenStyle",  "ImagePrint",     "ImageRefresh",
          "ImageSave",       "ImageToClip",   "ImageLine",      "ImageLineTo",    "ImageMoveTo",
          "ImagePie",        "ImagePoint",    "ImageRectangle", "ImageRoundRect", "ImageTextHeight",
          "ImageTextWidth",  "ImageTextOut",  "ImageTriangle",  "ImageHide",      "ImageShow",
          "ImageForm"})
        EXPECT_NE(registry.findProc(name), nullptr) << name;
    // A second registration keeps the first canvas.
    test_support::RecordingSurface other;
    Canvas second(other);
    windows::registerCanvas(registry, second);
    call("ImageInit", {Value(5), Value(6)});
    EXPECT_EQ(surface.current, (windows::CanvasSize{5, 6}));
    EXPECT_TRUE(other.calls.empty());
}

TEST_F(CanvasProcs, PictureSizeIsZeroUntilTheFirstDrawingGivesItABitmap) {
    EXPECT_EQ(call("ImageGetMaxX").toInt(), 0);
    // Nothing to paste is no drawing either.
    call("ImageFromClip", {Value(0), Value(0), Value(5), Value(5)});
    EXPECT_EQ(call("ImageGetMaxX").toInt(), 0);
    EXPECT_EQ(call("ImageGetMaxY").toInt(), 0);
    // Setting the pen is not drawing.
    call("ImagePenColor", {Value(0xFF)});
    EXPECT_EQ(call("ImageGetMaxX").toInt(), 0);
    call("ImageLine", {Value(0), Value(0), Value(5), Value(5)});
    EXPECT_EQ(surface.calls.front(), "reset 315x225");
    EXPECT_EQ(call("ImageGetMaxX").toInt(), 315);

    call("ImageInit", {Value(640), Value(480)});
    EXPECT_EQ(call("ImageGetMaxX").toInt(), 640);
    EXPECT_EQ(call("ImageGetMaxY").toInt(), 480);
    call("ImageClear");
    EXPECT_EQ(surface.last(), "reset 640x480");
    // A negative size leaves no picture rather than a failure.
    call("ImageInit", {Value(-3), Value(10)});
    EXPECT_EQ(call("ImageGetMaxX").toInt(), 0);
}

TEST_F(CanvasProcs, LinesFollowThePenPosition) {
    call("ImageInit", {Value(50), Value(50)});
    call("ImageMoveTo", {Value(3), Value(4)});
    call("ImageLineTo", {Value(10), Value(4)});
    call("ImageLineTo", {Value(10), Value(20)});
    call("ImageLine", {Value(1), Value(1), Value(2), Value(2)});
    call("ImageLineTo", {Value(7), Value(7)});
    EXPECT_EQ(surface.calls, (Calls{"reset 50x50", "line 3,4-10,4 w1", "line 10,4-10,20 w1",
                                    "line 1,1-2,2 w1", "line 2,2-7,7 w1"}));
}

TEST_F(CanvasProcs, PointDrawsWithItsOwnSizeAndLeavesThePenWidthAlone) {
    call("ImageInit", {Value(20), Value(20)});
    call("ImagePenWidth", {Value(2)});
    call("ImagePoint", {Value(10), Value(10), Value(5)});
    EXPECT_EQ(surface.last(), "line 10,10-10,10 w5");
    EXPECT_EQ(canvas.pen().width, 2);
    EXPECT_EQ(canvas.penPosition(), (windows::CanvasPoint{10, 10}));
    call("ImageLineTo", {Value(12), Value(10)});
    EXPECT_EQ(surface.last(), "line 10,10-12,10 w2");
}

TEST_F(CanvasProcs, ShapesTakeTheirArgumentsInOrder) {
    call("ImageInit", {Value(100), Value(100)});
    call("ImageRectangle", {Value(1), Value(2), Value(30), Value(40)});
    EXPECT_EQ(surface.last(), "rectangle 1,2-30,40 w1 brush0");
    call("ImageEllipse", {Value(5), Value(6), Value(7), Value(8)});
    EXPECT_EQ(surface.last(), "ellipse 5,6-7,8 w1 brush0");
    call("ImageRoundRect", {Value(1), Value(2), Value(3), Value(4), Value(5), Value(6)});
    EXPECT_EQ(surface.last(), "roundRect 1,2-3,4 corner 5,6 w1");
    call("ImageArc",
         {Value(0), Value(0), Value(20), Value(20), Value(20), Value(10), Value(10), Value(0)});
    EXPECT_EQ(surface.last(), "arc 0,0-20,20 20,10 10,0");
    call("ImagePie",
         {Value(1), Value(1), Value(9), Value(9), Value(2), Value(3), Value(4), Value(5)});
    EXPECT_EQ(surface.last(), "pie 1,1-9,9 2,3 4,5");
    call("ImageTriangle", {Value(1), Value(2), Value(3), Value(4), Value(5), Value(6)});
    EXPECT_EQ(surface.last(), "polygon 1,2 3,4 5,6");
    call("ImageFromClip", {Value(1), Value(2), Value(3), Value(4)});
    EXPECT_EQ(surface.last(), "polygon 1,2 3,4 5,6") << "nothing drawn without a bitmap to paste";
    surface.clipboardHasBitmap_ = true;
    call("ImageFromClip", {Value(1), Value(2), Value(3), Value(4)});
    EXPECT_EQ(surface.last(), "paste 1,2-3,4");
}

TEST_F(CanvasProcs, StyleNumbersOutOfRangeChangeNothing) {
    call("ImageBrushStyle", {Value(6)});
    call("ImageBrushStyle", {Value(8)});
    EXPECT_EQ(canvas.brush().style, windows::BrushStyle::Cross);
    call("ImagePenStyle", {Value(5)});
    call("ImagePenStyle", {Value(-1)});
    EXPECT_EQ(canvas.pen().style, windows::PenStyle::Clear);
    call("ImageFontStyle", {Value(3)});
    call("ImageFontStyle", {Value(16)});
    EXPECT_EQ(canvas.font().styles, windows::FontBold | windows::FontItalic);
    call("ImageFontStyle", {Value(0)});
    EXPECT_EQ(canvas.font().styles, 0);
}

TEST_F(CanvasProcs, FontSettingsMeasureAndPlaceText) {
    call("ImageFontName", {Value(czech("Písmo"))});
    call("ImageFontSize", {Value(3)});
    call("ImageFontColor", {Value(0xFF)});
    EXPECT_EQ(canvas.font().name, czech("Písmo"));
    EXPECT_EQ(canvas.font().color, 0xFF);
    EXPECT_EQ(call("ImageTextWidth", {Value("abcd")}).toInt(), 12);
    EXPECT_EQ(call("ImageTextHeight", {Value("abcd")}).toInt(), 6);
    call("ImageTextOut", {Value(5), Value(7), Value("ab")});
    EXPECT_EQ(surface.last(), "text 5,7 ab 3pt");
    // The pen waits behind the text.
    EXPECT_EQ(canvas.penPosition(), (windows::CanvasPoint{11, 7}));
}

TEST_F(CanvasProcs, MoveMergesWithTheBrushColour) {
    call("ImageInit", {Value(20), Value(20)});
    call("ImageBrushColor", {Value(0x00FFFF)});
    call("ImageMove",
         {Value(0), Value(0), Value(4), Value(4), Value(10), Value(10), Value(18), Value(18)});
    EXPECT_EQ(surface.last(), "copy 0,0-4,4 to 10,10-18,18 merge ffff");
}

TEST_F(CanvasProcs, LoadAndSaveUseTheUpperCaseNameAndReportFailures) {
    test_support::RecordingUiScope recording;
    call("ImageLoad", {Value("pic")});
    EXPECT_EQ(surface.lastFile.filename(), "PIC.BMP");
    EXPECT_EQ(call("ImageGetMaxX").toInt(), 64);
    call("ImageSave", {Value("kresba.png")});
    EXPECT_EQ(surface.lastFile.filename(), "KRESBA.PNG");
    EXPECT_TRUE(recording->messages.empty());

    surface.failFiles = true;
    call("ImageLoad", {Value("a.bmp.txt")});
    call("ImageSave", {Value("out")});
    ASSERT_EQ(recording->messages.size(), 2u);
    EXPECT_EQ(recording->messages[0].text, czech("Nelze načíst obrázek ze souboru A.BMP.TXT"));
    EXPECT_EQ(recording->messages[1].text, czech("Nelze uložit obrázek do souboru OUT.BMP"));
    // The picture stays as it was.
    EXPECT_EQ(call("ImageGetMaxX").toInt(), 64);
}

TEST_F(CanvasProcs, ChosenFilesKeepTheirNamesAndTheirOwnMessages) {
    test_support::RecordingUiScope recording;
    surface.failFiles = true;
    EXPECT_FALSE(canvas.loadChosen("obr.gif"));
    ASSERT_EQ(recording->messages.size(), 1u);
    EXPECT_EQ(recording->messages[0].text, czech("nelze načíst obrázek ze souboru obr.gif"));
    EXPECT_THROW(canvas.saveChosen("x.bmp"), std::runtime_error);
    EXPECT_EQ(surface.lastFile.filename(), "x.bmp");
}

TEST_F(CanvasProcs, PrintTakesTheAutomaticRectangleWhenTheCornersAddUpToZero) {
    call("ImageInit", {Value(200), Value(100)});
    surface.printer = windows::PrinterMetrics{2400, 3300, 300, 300};
    call("ImagePrint", {Value(100), Value(0), Value(-100), Value(0)});
    call("ImagePrint", {Value(10), Value(20), Value(30), Value(40)});
    ASSERT_EQ(surface.printed.size(), 2u);
    EXPECT_EQ(surface.printed[0], (windows::CanvasRect{300, 300, 2100, 300 + 900}));
    EXPECT_EQ(surface.printed[1], (windows::CanvasRect{10, 20, 30, 40}));
    EXPECT_EQ(surface.finishedJobs, 2);
    // An empty picture prints nothing.
    call("ImageInit", {Value(0), Value(0)});
    call("ImagePrint", {Value(0), Value(0), Value(0), Value(0)});
    EXPECT_EQ(surface.finishedJobs, 2);
}

TEST(CanvasMouse, RubberBandIsDrawnTwiceInNotXorAndTheShapeOnceInCopy) {
    test_support::RecordingSurface surface;
    Canvas canvas(surface);
    canvas.init(40, 40);
    surface.calls.clear();
    canvas.setDrawingTool(windows::DrawingTool::Rectangle);
    canvas.mouseDown({5, 5});
    canvas.mouseMove({10, 12});
    canvas.mouseMove({20, 22});
    canvas.mouseUp({21, 22});
    EXPECT_EQ(surface.calls, (Calls{
                                 "rectangle 5,5-10,12 w1 notxor brush0",
                                 "rectangle 5,5-10,12 w1 notxor brush0",
                                 "rectangle 5,5-20,22 w1 notxor brush0",
                                 "rectangle 5,5-20,22 w1 notxor brush0",
                                 "rectangle 5,5-21,22 w1 brush0",
                             }));
    EXPECT_FALSE(canvas.dragging());
    EXPECT_EQ(canvas.pen().mode, windows::PenMode::Copy);

    // Moving without a button down draws nothing; a click without a move draws the point shape.
    surface.calls.clear();
    canvas.mouseMove({3, 3});
    canvas.mouseUp({3, 3});
    EXPECT_TRUE(surface.calls.empty());
    canvas.setDrawingTool(windows::DrawingTool::Line);
    canvas.mouseDown({7, 7});
    canvas.mouseUp({7, 7});
    EXPECT_EQ(surface.calls, (Calls{"line 7,7-7,7 w1"}));
}

TEST(CanvasMouse, RoundRectangleDraggedBackwardsHasNegativeCorners) {
    test_support::RecordingSurface surface;
    Canvas canvas(surface);
    canvas.init(40, 40);
    canvas.setDrawingTool(windows::DrawingTool::RoundRect);
    canvas.mouseDown({30, 30});
    canvas.mouseUp({21, 10});
    EXPECT_EQ(surface.last(), "roundRect 30,30-21,10 corner 4,10 w1");
    canvas.mouseDown({1, 1});
    canvas.mouseUp({10, 20});
    EXPECT_EQ(surface.last(), "roundRect 1,1-10,20 corner -4,-9 w1");
}
