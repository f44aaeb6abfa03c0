// Report pages drawn with Qt: pixels of a page drawn into an image, PDF files and their pages,
// the front end's report printer, text measurement from real fonts.

#include "core/ui_services.h"
#include "report/metafile_builder.h"
#include "report/paint/metafile.h"
#include "report/paint/page_drawing.h"
#include "report/paint/report_printer.h"
#include "ui/qt/qt_ui.h"
#include "ui/qt/report/qt_report_painter.h"
#include "ui/qt/report/qt_text_measurer.h"
#include "ui/qt/report/report_printing.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace vorlan::qt {
namespace {

namespace fs = std::filesystem;
using namespace report;

constexpr std::uint32_t kRed = 0x0000FF; // $BBGGRR
constexpr std::uint32_t kBlue = 0xFF0000;
constexpr std::uint32_t kGreen = 0x00FF00;

std::string pngOf(QColor colour, int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

bool isDark(QRgb pixel) {
    return qGray(pixel) < 128;
}

// Dark pixels inside [x0, x1) x [y0, y1).
int darkPixels(const QImage& image, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (isDark(image.pixel(x, y))) ++n;
    return n;
}

class PageImage : public ::testing::Test {
protected:
    TPrvekSestavy& element(std::int32_t kind) {
        auto& e = section_.addElement(&report_);
        e.kind = kind;
        return e;
    }
    TVystPrvek& place(const TPrvekSestavy& source, int left, int top, int width, int height) {
        return output_.addElement(&source, left, top, width, height);
    }
    // Draws page 1 at one pixel per hundredth of an inch.
    QImage draw() {
        QImage image(700, 300, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        QtReportPainter reportPainter(painter);
        drawPage(reportPainter, output_, 0, 1.0);
        return image;
    }

    TSestavaTyp report_;
    TOddilSestavy section_{kSectionBody};
    TSestVystup output_;
};

TEST_F(PageImage, ShapesAndLinesLandWhereTheElementsAre) {
    auto& rectangle = element(kKindRectangle);
    rectangle.fillColour = kRed;
    place(rectangle, 10, 10, 50, 30);
    auto& line = element(kKindLine);
    line.lineColour = kBlue;
    line.lineWidth = 3;
    line.lineFlags = kLineTop | kLineDiagonalDown;
    place(line, 100, 10, 80, 40);
    auto& ellipse = element(kKindEllipse);
    ellipse.fillColour = kGreen;
    place(ellipse, 200, 10, 60, 60);
    const QImage image = draw();

    EXPECT_EQ(image.pixelColor(35, 25), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(10, 25), QColor(Qt::black)); // the outline
    EXPECT_EQ(image.pixelColor(61, 25), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(140, 11), QColor(Qt::blue)); // top edge, 3 wide, inside
    EXPECT_EQ(image.pixelColor(140, 30), QColor(Qt::blue)); // the diagonal's middle
    EXPECT_EQ(image.pixelColor(140, 45), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(230, 40), QColor(Qt::green));
    EXPECT_EQ(image.pixelColor(202, 12), QColor(Qt::white)); // outside the ellipse
}

TEST_F(PageImage, TextIsAlignedAndClippedToItsElement) {
    auto& left = element(kKindText);
    left.font.size = 20;
    place(left, 10, 100, 300, 40).setText("IIII");
    auto& right = element(kKindText);
    right.font.size = 20;
    right.alignment = kAlignRight;
    place(right, 10, 150, 300, 40).setText("IIII");
    auto& clipped = element(kKindText);
    clipped.font.size = 30;
    place(clipped, 400, 100, 60, 30).setText("WWWWWWWWWW");
    const QImage image = draw();

    EXPECT_GT(darkPixels(image, 10, 100, 110, 140), 20);
    EXPECT_EQ(darkPixels(image, 210, 100, 310, 140), 0);
    EXPECT_EQ(darkPixels(image, 10, 150, 210, 190), 0);
    EXPECT_GT(darkPixels(image, 210, 150, 310, 190), 20);
    EXPECT_GT(darkPixels(image, 400, 100, 460, 130), 50);
    EXPECT_EQ(darkPixels(image, 460, 90, 700, 140), 0);
    EXPECT_EQ(darkPixels(image, 400, 130, 460, 160), 0);
}

TEST_F(PageImage, PicturesAreStretchedOrKeepTheirProportions) {
    auto& stretched = element(kKindPicture);
    stretched.lineFlags = kLineDiagonalUp;
    place(stretched, 400, 10, 100, 50).picture.bytes =
        std::make_shared<const std::string>(pngOf(Qt::blue, 2, 2));
    auto& proportional = element(kKindPicture);
    proportional.lineFlags = kLineDiagonalDown;
    place(proportional, 520, 10, 100, 50).picture.bytes =
        std::make_shared<const std::string>(pngOf(Qt::blue, 2, 2));
    auto& damaged = element(kKindPicture);
    damaged.lineFlags = kLineDiagonalUp;
    place(damaged, 400, 200, 100, 50).picture.bytes =
        std::make_shared<const std::string>("not a picture");
    const QImage image = draw();

    EXPECT_EQ(image.pixelColor(405, 15), QColor(Qt::blue));
    EXPECT_EQ(image.pixelColor(495, 55), QColor(Qt::blue));
    EXPECT_EQ(image.pixelColor(545, 35), QColor(Qt::blue));
    EXPECT_EQ(image.pixelColor(595, 35), QColor(Qt::white)); // a 50 x 50 square, at the left
    EXPECT_EQ(darkPixels(image, 400, 200, 500, 250), 0);
}

TEST_F(PageImage, MetafilePicturesFillTheirShapesAndShowTheirBitmaps) {
    // A red triangle over the upper left half, no outline.
    test::WmfBuilder triangle(0, 0, 100, 100, 1440);
    triangle.record(kWmfCreateBrushIndirect, {0, 0x00FF, 0, 0})
        .record(kWmfCreatePenIndirect, {5, 0, 0, 0, 0})
        .record(kWmfSelectObject, {0})
        .record(kWmfSelectObject, {1})
        .record(kWmfPolygon, {3, 0, 0, 100, 0, 0, 100});
    auto& drawing = element(kKindPicture);
    drawing.lineFlags = kLineDiagonalUp;
    place(drawing, 10, 10, 100, 100).picture.bytes =
        std::make_shared<const std::string>(triangle.bytes());
    // One blue pixel stretched over the whole picture.
    std::string dib;
    for (int v : {40, 0, 1, 0, 1, 0, 1, 24, 0, 0, 4, 0})
        test::WmfBuilder::put16(dib, v);
    dib += std::string(16, '\0') + std::string("\xFF\0\0\0", 4);
    test::WmfBuilder bitmap(0, 0, 100, 100, 1440);
    bitmap.record(kWmfStretchDib, {0x0020, 0x00CC, 0, 1, 1, 0, 0, 100, 100, 0, 0}, dib);
    auto& photo = element(kKindPicture);
    photo.lineFlags = kLineDiagonalUp;
    place(photo, 200, 10, 100, 100).picture.bytes =
        std::make_shared<const std::string>(bitmap.bytes());
    // A green frame: a square with a square hole, as one poly-polygon.
    test::WmfBuilder frame(0, 0, 100, 100, 1440);
    frame.record(kWmfCreateBrushIndirect, {0, 0xFF00, 0, 0})
        .record(kWmfCreatePenIndirect, {5, 0, 0, 0, 0})
        .record(kWmfSelectObject, {0})
        .record(kWmfSelectObject, {1})
        .record(kWmfPolyPolygon,
                {2, 4, 4, 0, 0, 100, 0, 100, 100, 0, 100, 25, 25, 75, 25, 75, 75, 25, 75});
    auto& framed = element(kKindPicture);
    framed.lineFlags = kLineDiagonalUp;
    place(framed, 400, 10, 100, 100).picture.bytes =
        std::make_shared<const std::string>(frame.bytes());
    const QImage image = draw();

    EXPECT_EQ(image.pixelColor(20, 20), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(100, 100), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(410, 60), QColor(Qt::green));
    EXPECT_EQ(image.pixelColor(450, 60), QColor(Qt::white)); // the hole
    EXPECT_EQ(image.pixelColor(250, 60), QColor(Qt::blue));
    EXPECT_EQ(image.pixelColor(310, 60), QColor(Qt::white));
}

class TempFolder {
public:
    TempFolder()
        : path_(fs::temp_directory_path() / ("vorlan-report-" + std::to_string(::getpid()))) {
        fs::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

int pdfPages(const fs::path& file) {
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page[^s]"));
    const QString text = QString::fromLatin1(readFile(file));
    return static_cast<int>(text.count(page));
}

class PdfOutput : public PageImage {
protected:
    void SetUp() override { paperSettings() = PaperSettings{}; }
    void TearDown() override { paperSettings() = PaperSettings{}; }
    void pages(int count) {
        auto& text = element(kKindText);
        for (int i = 0; i < count; ++i) {
            output_.addPage();
            place(text, 0, 0, 200, 20).setText("Page " + std::to_string(i + 1));
        }
    }
    TempFolder folder_;
};

TEST_F(PdfOutput, ThePrintRangeBecomesThePagesOfTheFile) {
    pages(3);
    output_.setPrintRange(2, 9999, 1);
    const fs::path file = folder_.path() / "range.pdf";
    EXPECT_EQ(writeReportPdf(output_, file, "Range"), 2);
    EXPECT_EQ(pdfPages(file), 2);
}

TEST_F(PdfOutput, TheSheetIsThePaperAsOriented) {
    pages(1);
    paperSettings().orientation = 1;
    const fs::path file = folder_.path() / "landscape.pdf";
    writeReportPdf(output_, file, "Landscape");
    // A4 across: 11.69 x 8.26 inches, in whole points.
    EXPECT_NE(readFile(file).find("/MediaBox [0 0 842.000000 595.000000]"), std::string::npos);
    EXPECT_THROW(writeReportPdf(output_, folder_.path() / "no" / "such" / "x.pdf", "x"),
                 std::runtime_error);
}

TEST_F(PdfOutput, FrontEndPrinterSendsJobsWherePrintToSays) {
    pages(3);
    auto previous = setUi(std::make_unique<QtUi>(true, folder_.path() / "jobs", &std::cerr));
    QtReportPrinter printer;
    output_.setPrintRange(1, 2, 1);
    EXPECT_EQ(printer.print(output_, "Job"), kSestOk);
    EXPECT_EQ(pdfPages(folder_.path() / "jobs" / "print-001.pdf"), 2);

    output_.copies = 0; // nothing to print, no job
    EXPECT_EQ(printer.print(output_, "Job"), kSestOk);
    EXPECT_FALSE(fs::exists(folder_.path() / "jobs" / "print-002.pdf"));

    output_.copies = 1;
    output_.cancelled = true;
    EXPECT_EQ(printer.print(output_, "Job"), kSestCancelled);
    setUi(std::move(previous));
}

TEST(QtTextMeasure, WidthsFollowTheFont) {
    QtTextMeasurer measurer;
    ReportFont font;
    const int narrow = measurer.textWidth("iiii", font);
    const int wide = measurer.textWidth("WWWW", font);
    EXPECT_GT(narrow, 0);
    EXPECT_GT(wide, narrow * 2);
    font.size = 20;
    EXPECT_GE(measurer.textWidth("WWWW", font), wide * 2 - 2);
    // A 10-point line is a little over 10/72 inch high.
    font.size = 10;
    EXPECT_GE(measurer.lineHeight(font), 13);
    EXPECT_LE(measurer.lineHeight(font), 20);
}

} // namespace
} // namespace vorlan::qt
