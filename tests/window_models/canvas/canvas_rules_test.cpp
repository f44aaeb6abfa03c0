#include "core/cp1250.h"
#include "window_models/canvas/canvas_rules.h"

#include <gtest/gtest.h>

#include <climits>

using namespace vorlan;
using namespace vorlan::windows;

TEST(PictureFileName, UpperCasesAndAddsBmpUnlessTheNameSaysBmpOrAnotherPictureType) {
    EXPECT_EQ(pictureFileName("pic"), "PIC.BMP");
    EXPECT_EQ(pictureFileName("c:\\data\\graf"), "C:\\DATA\\GRAF.BMP");
    // ".BMP" anywhere is enough, so the text extension stays.
    EXPECT_EQ(pictureFileName("a.bmp.txt"), "A.BMP.TXT");
    EXPECT_EQ(pictureFileName("x.Bmp"), "X.BMP");
    EXPECT_EQ(pictureFileName("graf.png"), "GRAF.PNG");
    EXPECT_EQ(pictureFileName("foto.jpg"), "FOTO.JPG");
    EXPECT_EQ(pictureFileName("foto.jpeg"), "FOTO.JPEG");
    // Only a name that ends in the extension counts; ".png" inside a name does not.
    EXPECT_EQ(pictureFileName("a.png.old"), "A.PNG.OLD.BMP");
    EXPECT_EQ(pictureFileName(czech("křivka")), czech("KŘIVKA.BMP"));
    EXPECT_EQ(pictureFileName(""), ".BMP");
}

TEST(ColorValues, RedIsTheLowByteAndSchemeColoursAreClassic) {
    EXPECT_EQ(rgbOfColor(0x0000FF), (Rgb{255, 0, 0}));
    EXPECT_EQ(rgbOfColor(0x123456), (Rgb{0x56, 0x34, 0x12}));
    // The high byte of an ordinary colour plays no part.
    EXPECT_EQ(rgbOfColor(0x02FF0000), (Rgb{0, 0, 255}));
    EXPECT_EQ(rgbOfColor(static_cast<std::int32_t>(0x8000000F)), (Rgb{192, 192, 192}));
    EXPECT_EQ(rgbOfColor(static_cast<std::int32_t>(0x80000005)), (Rgb{255, 255, 255}));
}

TEST(PrintRectangle, GivenCornersAreUsedAsTheyAre) {
    const PrinterMetrics printer{4800, 6600, 600, 600};
    EXPECT_EQ(printRectangle(10, 20, 300, 400, {100, 50}, printer), (CanvasRect{10, 20, 300, 400}));
}

TEST(PrintRectangle, ASumOfZeroChoosesOneInchMarginsAndKeepsTheShape) {
    const PrinterMetrics printer{4800, 6600, 600, 600};
    const CanvasRect automatic{600, 600, 4200, 600 + 1800};
    EXPECT_EQ(printRectangle(0, 0, 0, 0, {400, 200}, printer), automatic);
    // Only the sum is looked at.
    EXPECT_EQ(printRectangle(100, 0, -100, 0, {400, 200}, printer), automatic);
}

TEST(PrintRectangle, ATallPictureIsShrunkToTheBottomMargin) {
    const PrinterMetrics printer{4800, 6600, 600, 300};
    // 3600 wide would be 36000 high; the page has 6000 between the margins.
    const auto r = printRectangle(0, 0, 0, 0, {100, 1000}, printer);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->top, 300);
    EXPECT_EQ(r->bottom, 6300);
    EXPECT_EQ(r->left, 600);
    EXPECT_EQ(r->right, 600 + 600);
}

TEST(PrintRectangle, NothingForAnEmptyPictureAndNoWrapRoundOfTheSum) {
    const PrinterMetrics printer{4800, 6600, 600, 600};
    EXPECT_FALSE(printRectangle(0, 0, 0, 0, {0, 0}, printer));
    EXPECT_FALSE(printRectangle(0, 0, 0, 0, {100, 0}, printer));
    // These add up to 0 only in 32-bit arithmetic.
    const auto r = printRectangle(INT_MAX, INT_MAX, 2, 0, {10, 10}, printer);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->left, INT_MAX);
}

TEST(DragCorner, HalfTheDragTruncatedTowardsZero) {
    EXPECT_EQ(dragCorner({10, 10}, {1, 4}), (CanvasSize{4, 3}));
    // Dragged up and to the left of the start: negative, rounded towards zero.
    EXPECT_EQ(dragCorner({1, 4}, {10, 10}), (CanvasSize{-4, -3}));
}
