// Canvas operations on real pixels: small pictures compared exactly, drawn as text maps
// ('.' white, '#' black, 'r' red, 'y' yellow, '?' anything else).
#include "../pixel_map.h"
#include "core/cp1250.h"
#include "core/path_mapper.h"
#include "ui/qt/canvas/image_picture.h"
#include "ui/qt/qt_ui.h"
#include "window_models/canvas/canvas.h"
#include "window_models/recording_ui.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

using namespace vorlan;
using windows::Canvas;
using windows::CanvasPoint;
using windows::CanvasRect;
namespace fs = std::filesystem;

namespace {

constexpr std::int32_t kRed = 0x0000FF;
constexpr std::int32_t kYellow = 0x00FFFF;

using vorlan::testing::pixelMap;
using vorlan::testing::rows;

class CanvasPixels : public ::testing::Test {
protected:
    std::string map() const { return pixelMap(picture.image()); }
    int inkCount(const QRect& area) const {
        int count = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if ((picture.image().pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) ++count;
        return count;
    }

    qt::ImagePicture picture;
    Canvas canvas{picture};
};

fs::path scratchFolder(const std::string& name) {
    const fs::path folder =
        fs::temp_directory_path() / ("vorlan_canvas_" + name + "_" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

} // namespace

TEST_F(CanvasPixels, RectangleCoversLeftToRightMinusOneWithPenOutlineAndBrushFill) {
    canvas.init(8, 6);
    canvas.brush().color = kRed;
    canvas.rectangle({1, 1, 6, 5});
    EXPECT_EQ(map(),
              rows({"........", ".#####..", ".#rrr#..", ".#rrr#..", ".#####..", "........"}));
    // Corners given the other way round draw the same rectangle.
    canvas.init(8, 6);
    canvas.brush().color = kRed;
    canvas.rectangle({6, 5, 1, 1});
    EXPECT_EQ(map(),
              rows({"........", ".#####..", ".#rrr#..", ".#rrr#..", ".#####..", "........"}));
}

TEST_F(CanvasPixels, ClearBrushAndClearPenLeaveThePictureShowingThrough) {
    canvas.init(6, 5);
    canvas.brush().color = kRed;
    canvas.rectangle({0, 0, 6, 5});
    canvas.setBrushStyle(1);
    canvas.pen().color = kYellow;
    canvas.rectangle({1, 1, 5, 4});
    EXPECT_EQ(map(), rows({"######", "#yyyy#", "#yrry#", "#yyyy#", "######"}));
    canvas.setPenStyle(5);
    canvas.setBrushStyle(0);
    canvas.brush().color = 0xFFFFFF;
    canvas.rectangle({0, 0, 6, 5});
    EXPECT_EQ(inkCount(QRect(1, 1, 4, 3)), 0) << map();
}

TEST_F(CanvasPixels, LinesLeaveOutTheirLastPointSoJoinedLinesMeetOnce) {
    canvas.init(6, 4);
    canvas.moveTo({0, 1});
    canvas.lineTo({4, 1});
    canvas.lineTo({4, 3});
    // The corner pixel belongs to the second line, the end of the second is left out.
    EXPECT_EQ(map(), rows({"......", "#####.", "....#.", "......"}));
    // Drawn in not-xor, a polyline drawn twice is gone again: no pixel is hit twice per pass.
    canvas.init(6, 4);
    canvas.pen().mode = windows::PenMode::NotXor;
    for (int pass = 0; pass < 2; ++pass) {
        canvas.moveTo({0, 1});
        canvas.lineTo({4, 1});
        canvas.lineTo({4, 3});
    }
    EXPECT_EQ(inkCount(QRect(0, 0, 6, 4)), 0) << map();
}

TEST_F(CanvasPixels, PointIsADotOfTheGivenSize) {
    canvas.init(9, 9);
    canvas.pen().color = kRed;
    canvas.point({1, 1}, 1);
    canvas.point({5, 5}, 3);
    canvas.point({4, 1}, 5);
    EXPECT_EQ(map(), rows({"..rrrrr..", ".rrrrrr..", "..rrrrr..", "...rrr...", "....rrr..",
                           "....rrr..", "....rrr..", ".........", "........."}));
    EXPECT_EQ(canvas.pen().width, 1);
}

TEST_F(CanvasPixels, EllipseTouchesEveryEdgeOfItsRectangleAndStaysInside) {
    canvas.init(20, 14);
    canvas.brush().color = kRed;
    canvas.ellipse({2, 3, 17, 12});
    EXPECT_GT(inkCount(QRect(2, 3, 1, 9)), 0);   // left column
    EXPECT_GT(inkCount(QRect(16, 3, 1, 9)), 0);  // right column (17 excluded)
    EXPECT_GT(inkCount(QRect(2, 3, 15, 1)), 0);  // top row
    EXPECT_GT(inkCount(QRect(2, 11, 15, 1)), 0); // bottom row (12 excluded)
    const int all = inkCount(QRect(0, 0, 20, 14));
    EXPECT_EQ(all, inkCount(QRect(2, 3, 15, 9))) << map();
    EXPECT_EQ(picture.image().pixel(9, 7) & 0xFFFFFF, 0xFF0000u) << "filled with the brush";
    // The corners of the bounding rectangle are outside the ellipse.
    EXPECT_EQ(inkCount(QRect(2, 3, 1, 1)), 0);
}

TEST_F(CanvasPixels, ArcRunsCounterClockwiseFromTheFirstRayToTheSecond) {
    canvas.init(21, 21);
    // From 3 o'clock to 12 o'clock: the upper right quarter only.
    canvas.arc({0, 0, 21, 21}, {20, 10}, {10, 0});
    EXPECT_GT(inkCount(QRect(11, 0, 10, 10)), 3) << map();
    EXPECT_EQ(inkCount(QRect(0, 0, 9, 21)), 0) << map();
    EXPECT_EQ(inkCount(QRect(0, 12, 21, 9)), 0) << map();
    // Swapped rays: the other three quarters.
    canvas.init(21, 21);
    canvas.arc({0, 0, 21, 21}, {10, 0}, {20, 10});
    EXPECT_EQ(inkCount(QRect(12, 0, 9, 8)), 0) << map();
    EXPECT_GT(inkCount(QRect(0, 12, 21, 9)), 3) << map();
}

TEST_F(CanvasPixels, PieAndTriangleAreFilledWithTheBrush) {
    canvas.init(21, 21);
    canvas.brush().color = kRed;
    canvas.pie({0, 0, 21, 21}, {20, 10}, {10, 0});
    EXPECT_EQ(picture.image().pixel(14, 6) & 0xFFFFFF, 0xFF0000u) << map();
    EXPECT_EQ(picture.image().pixel(6, 14) & 0xFFFFFF, 0xFFFFFFu) << map();

    canvas.init(12, 12);
    canvas.brush().color = kYellow;
    canvas.triangle({1, 10}, {10, 10}, {1, 1});
    EXPECT_EQ(picture.image().pixel(3, 8) & 0xFFFFFF, 0xFFFF00u) << map();
    EXPECT_EQ(picture.image().pixel(9, 2) & 0xFFFFFF, 0xFFFFFFu) << map();
    EXPECT_EQ(picture.image().pixel(1, 10) & 0xFFFFFF, 0u) << "outlined with the pen";
}

TEST_F(CanvasPixels, MoveStretchesAndMergesWithTheBrushColour) {
    canvas.init(8, 4);
    canvas.point({0, 0}, 1);
    canvas.pen().color = kRed;
    canvas.point({1, 1}, 1);
    // White brush: a plain copy, doubled in size.
    canvas.move({0, 0, 2, 2}, {2, 0, 6, 4});
    EXPECT_EQ(map(), rows({"#.##....", ".r##....", "....rr..", "....rr.."}));
    // Yellow brush: white becomes yellow, red (no green in it) becomes black.
    canvas.brush().color = kYellow;
    canvas.move({0, 0, 2, 2}, {6, 0, 8, 2});
    EXPECT_EQ(map(), rows({"#.##..#y", ".r##..yr", "....rr..", "....rr.."}));
    // Opposite extents mirror.
    canvas.brush().color = 0xFFFFFF;
    canvas.pen().color = 0;
    canvas.init(4, 1);
    canvas.point({0, 0}, 1);
    canvas.move({0, 0, 2, 1}, {4, 0, 2, 1});
    EXPECT_EQ(map(), rows({"#..#"}));
}

TEST_F(CanvasPixels, TextIsMeasuredWithTheFontAndBackedWithTheBrush) {
    canvas.init(200, 60);
    const int small = canvas.textWidth("Kreslení");
    canvas.font().size = 20;
    EXPECT_GT(canvas.textWidth("Kreslení"), small);
    EXPECT_GT(canvas.textHeight("x"), 20);
    EXPECT_EQ(canvas.textWidth(""), 0);

    canvas.brush().color = kYellow;
    canvas.textOut({2, 2}, "Ab");
    EXPECT_EQ(picture.image().pixel(2, 2) & 0xFFFFFF, 0xFFFF00u) << "background from the brush";
    const QRect box(2, 2, canvas.textWidth("Ab"), canvas.textHeight("Ab"));
    EXPECT_GT(inkCount(box), 0);
    EXPECT_EQ(inkCount(QRect(0, 0, 200, 60)), inkCount(box));

    canvas.init(200, 60);
    canvas.setBrushStyle(1);
    canvas.textOut({2, 2}, "Ab");
    EXPECT_EQ(picture.image().pixel(2, 2) & 0xFFFFFF, 0xFFFFFFu) << "no background when clear";
}

TEST_F(CanvasPixels, ClipboardRoundTripIsCutToTheTargetRectangle) {
    canvas.init(4, 4);
    canvas.brush().color = kRed;
    canvas.rectangle({0, 0, 4, 4});
    canvas.toClipboard();
    canvas.init(6, 6);
    canvas.fromClipboard({1, 1, 3, 4});
    EXPECT_EQ(map(), rows({"......", ".##...", ".#r...", ".#r...", "......", "......"}));
    QApplication::clipboard()->clear();
    canvas.fromClipboard({0, 0, 6, 6});
    EXPECT_EQ(picture.image().pixel(0, 0) & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(CanvasPixels, SavedFilesLoadBackWithTheirPixels) {
    test_support::RecordingUiScope recording;
    const fs::path folder = scratchFolder("files");
    const std::string base = utf8ToCp1250(folder.string()) + "/";
    canvas.init(5, 3);
    canvas.brush().color = kRed;
    canvas.rectangle({0, 0, 5, 3});
    const std::string drawn = map();

    EXPECT_TRUE(canvas.save(base + "kresba"));
    EXPECT_TRUE(fs::exists(folder / "KRESBA.BMP"));
    {
        std::ifstream in(folder / "KRESBA.BMP", std::ios::binary);
        char magic[2] = {};
        in.read(magic, 2);
        EXPECT_EQ(std::string(magic, 2), "BM");
    }
    EXPECT_TRUE(canvas.save(base + "kresba.png"));
    {
        std::ifstream in(folder / "KRESBA.PNG", std::ios::binary);
        char magic[4] = {};
        in.read(magic, 4);
        EXPECT_EQ(std::string(magic + 1, 3), "PNG");
    }

    canvas.init(1, 1);
    EXPECT_TRUE(canvas.load(base + "kresba"));
    EXPECT_EQ(map(), drawn);
    canvas.init(1, 1);
    EXPECT_TRUE(canvas.load(base + "KRESBA.png"));
    EXPECT_EQ(map(), drawn);
    // A loaded picture can be drawn on.
    canvas.point({0, 0}, 1);
    EXPECT_EQ(picture.image().pixel(0, 0) & 0xFFFFFF, 0u);

    // ".BMP" inside the name: the name is used as it is, and the failure names it.
    EXPECT_FALSE(canvas.load(base + "a.bmp.txt"));
    ASSERT_EQ(recording->messages.size(), 1u);
    EXPECT_EQ(recording->messages[0].text,
              czech("Nelze načíst obrázek ze souboru ") + upperCase(base) + "A.BMP.TXT");
    EXPECT_EQ(canvas.pictureSize().width, 5) << "the picture stays";
    fs::copy_file(folder / "KRESBA.BMP", folder / "A.BMP.TXT");
    EXPECT_TRUE(canvas.load(base + "a.bmp.txt")) << "a bitmap read despite the extension";

    // An empty picture has nothing to save: said so, not passed over in silence.
    canvas.init(0, 0);
    EXPECT_FALSE(canvas.save(base + "prazdny"));
    EXPECT_FALSE(fs::exists(folder / "PRAZDNY.BMP"));
    fs::remove_all(folder);
}

TEST_F(CanvasPixels, APictureTooLargeForMemoryFailsAndKeepsTheOldOne) {
    canvas.init(3, 2);
    EXPECT_THROW(canvas.init(1 << 20, 1 << 20), std::runtime_error);
    EXPECT_EQ(canvas.pictureSize(), (windows::CanvasSize{3, 2}));
}

TEST_F(CanvasPixels, PrintWritesAPdfPageWhenPrintingGoesToAFile) {
    const fs::path folder = scratchFolder("print");
    auto previous = setUi(std::make_unique<qt::QtUi>(true, folder / "obraz.pdf", &std::cerr));
    canvas.init(40, 30);
    canvas.ellipse({0, 0, 40, 30});
    canvas.print(0, 0, 0, 0);
    setUi(std::move(previous));
    ASSERT_TRUE(fs::exists(folder / "obraz.pdf"));
    EXPECT_GT(fs::file_size(folder / "obraz.pdf"), 200u);
    fs::remove_all(folder);
}
