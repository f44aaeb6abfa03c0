#include "ui/qt/canvas/image_picture.h"

#include "core/cp1250.h"
#include "core/ui_services.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/qt_ui.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QImageReader>
#include <QMimeData>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace vorlan::qt {

using windows::BrushStyle;
using windows::CanvasBrush;
using windows::CanvasFont;
using windows::CanvasPen;
using windows::CanvasPoint;
using windows::CanvasRect;
using windows::CanvasSize;
using windows::PenMode;
using windows::PenStyle;

QColor qtColorOf(std::int32_t color) {
    const windows::Rgb rgb = windows::rgbOfColor(color);
    return QColor(rgb.red, rgb.green, rgb.blue);
}

QPen qtPenOf(const CanvasPen& pen) {
    if (pen.style == PenStyle::Clear) return QPen(Qt::NoPen);
    const int width = std::max(pen.width, 1);
    QPen out(qtColorOf(pen.color), width);
    if (width == 1) {
        // A thin line leaves out its last pixel, so joined lines meet without a double pixel
        // (which the not-xor rubber band would wipe out again).
        out.setCapStyle(Qt::FlatCap);
        out.setJoinStyle(Qt::MiterJoin);
        switch (pen.style) {
        case PenStyle::Dash:
            out.setDashPattern({18, 6});
            break;
        case PenStyle::Dot:
            out.setDashPattern({3, 3});
            break;
        case PenStyle::DashDot:
            out.setDashPattern({9, 6, 3, 6});
            break;
        case PenStyle::DashDotDot:
            out.setDashPattern({9, 3, 3, 3, 3, 3});
            break;
        default:
            break;
        }
    } else {
        // Wide pens are solid whatever their style, with round ends and joins.
        out.setCapStyle(Qt::RoundCap);
        out.setJoinStyle(Qt::RoundJoin);
    }
    return out;
}

QBrush qtBrushOf(const CanvasBrush& brush) {
    const QColor color = qtColorOf(brush.color);
    switch (brush.style) {
    case BrushStyle::Solid:
        return QBrush(color, Qt::SolidPattern);
    case BrushStyle::Clear:
        return QBrush(Qt::NoBrush);
    case BrushStyle::Horizontal:
        return QBrush(color, Qt::HorPattern);
    case BrushStyle::Vertical:
        return QBrush(color, Qt::VerPattern);
    case BrushStyle::FDiagonal:
        return QBrush(color, Qt::FDiagPattern);
    case BrushStyle::BDiagonal:
        return QBrush(color, Qt::BDiagPattern);
    case BrushStyle::Cross:
        return QBrush(color, Qt::CrossPattern);
    case BrushStyle::DiagCross:
        return QBrush(color, Qt::DiagCrossPattern);
    }
    return QBrush(color);
}

QFont qtFontOf(const CanvasFont& font) {
    QFont out = font.name.empty() ? QApplication::font() : QFont(fromEngine(font.name));
    out.setPointSize(std::max(font.size, 1));
    out.setBold(font.styles & windows::FontBold);
    out.setItalic(font.styles & windows::FontItalic);
    out.setUnderline(font.styles & windows::FontUnderline);
    out.setStrikeOut(font.styles & windows::FontStrikeOut);
    return out;
}

namespace {

// A painter on the picture set up for one drawing with `pen`.
class Painting {
public:
    Painting(QImage& image, const CanvasPen& pen) : painter_(&image) {
        painter_.setRenderHint(QPainter::Antialiasing, false);
        painter_.setPen(qtPenOf(pen));
        if (pen.mode == PenMode::NotXor)
            painter_.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    }
    QPainter* operator->() { return &painter_; }

private:
    QPainter painter_;
};

struct Normal {
    int left, top, width, height;
};

Normal normal(const CanvasRect& r) {
    const int left = std::min(r.left, r.right), top = std::min(r.top, r.bottom);
    return {left, top, std::abs(r.width()), std::abs(r.height())};
}

// The outline of a shape covering the pixels left .. right - 1: Qt's aliased outline covers
// one pixel more than the rectangle it is given.
QRectF outlineOf(const Normal& n) {
    return QRectF(n.left, n.top, n.width - 1, n.height - 1);
}

bool empty(const Normal& n) {
    return n.width == 0 || n.height == 0;
}

// The angle (degrees, counter-clockwise from 3 o'clock, on the ellipse's own parameter) where
// the ray from the centre of `box` through `p` crosses the ellipse.
qreal crossingAngle(const QRectF& box, CanvasPoint p) {
    const QPointF centre = box.center();
    const qreal rx = std::max(box.width() / 2, 0.5), ry = std::max(box.height() / 2, 0.5);
    const qreal t = std::atan2(-(p.y - centre.y()) / ry, (p.x - centre.x()) / rx);
    return t * 180 / std::numbers::pi;
}

std::pair<int, int> arcAngles(const QRectF& box, CanvasPoint start, CanvasPoint end) {
    const qreal from = crossingAngle(box, start);
    qreal span = crossingAngle(box, end) - from;
    // Counter-clockwise all the way round when both rays coincide.
    if (span <= 0) span += 360;
    return {static_cast<int>(std::lround(from * 16)), static_cast<int>(std::lround(span * 16))};
}

QByteArray formatOfFile(const std::filesystem::path& file) {
    const std::string extension = lowerCase(file.extension().string());
    if (extension == ".png") return "PNG";
    if (extension == ".jpg" || extension == ".jpeg") return "JPG";
    return "BMP";
}

const QImage& measuringImage() {
    // Text is measured at the picture's resolution even before there is a picture.
    static const QImage image(1, 1, QImage::Format_RGB32);
    return image;
}

class ImagePrintJob : public windows::PicturePrintJob {
public:
    ImagePrintJob(std::unique_ptr<QPagedPaintDevice> device, const QImage& image)
        : device_(std::move(device)), image_(image) {
        if (!painter_.begin(device_.get()))
            throw std::runtime_error(czech("Tiskovou úlohu nelze zahájit"));
    }
    ~ImagePrintJob() override {
        if (painter_.isActive()) painter_.end();
    }
    int pageWidth() const override { return device_->width(); }
    int pageHeight() const override { return device_->height(); }
    int dotsPerInchX() const override { return device_->logicalDpiX(); }
    int dotsPerInchY() const override { return device_->logicalDpiY(); }
    void drawPicture(const CanvasRect& target) override {
        const Normal n = normal(target);
        painter_.drawImage(QRect(n.left, n.top, n.width, n.height), image_);
    }
    void finish() override {
        if (painter_.isActive() && !painter_.end())
            throw std::runtime_error(czech("Tisk se nepodařil"));
    }

private:
    std::unique_ptr<QPagedPaintDevice> device_;
    QImage image_;
    QPainter painter_;
};

} // namespace

CanvasSize ImagePicture::size() const {
    return {image_.width(), image_.height()};
}

void ImagePicture::reset(CanvasSize size) {
    if (size.width <= 0 || size.height <= 0) {
        image_ = QImage();
        return;
    }
    // Refused before asking for the memory: 256 Mi pixels (1 GiB) is far beyond any screen.
    constexpr std::int64_t kMaxPixels = std::int64_t{1} << 28;
    const bool tooLarge = std::int64_t{size.width} * size.height > kMaxPixels;
    QImage image;
    if (!tooLarge) image = QImage(size.width, size.height, QImage::Format_RGB32);
    if (image.isNull()) throw std::runtime_error(czech("Na obrázek této velikosti není paměť"));
    image.fill(Qt::white);
    image_ = std::move(image);
}

void ImagePicture::line(const CanvasPen& pen, CanvasPoint from, CanvasPoint to) {
    if (image_.isNull() || pen.style == PenStyle::Clear) return;
    Painting p(image_, pen);
    if (from == to) {
        // A line of no length is a round dot as wide as the pen, centred on the point.
        const int width = std::max(pen.width, 1);
        const double radius = width / 2.0;
        const int reach = width / 2;
        p->setPen(Qt::NoPen);
        for (int dy = -reach; dy <= reach; ++dy)
            for (int dx = -reach; dx <= reach; ++dx)
                if (dx * dx + dy * dy <= radius * radius)
                    p->fillRect(from.x + dx, from.y + dy, 1, 1, qtColorOf(pen.color));
        return;
    }
    p->drawLine(from.x, from.y, to.x, to.y);
}

void ImagePicture::rectangle(const CanvasPen& pen, const CanvasBrush& brush, CanvasRect r) {
    const Normal n = normal(r);
    if (image_.isNull() || empty(n)) return;
    Painting p(image_, pen);
    p->setBrush(qtBrushOf(brush));
    p->drawRect(outlineOf(n));
}

void ImagePicture::ellipse(const CanvasPen& pen, const CanvasBrush& brush, CanvasRect r) {
    const Normal n = normal(r);
    if (image_.isNull() || empty(n)) return;
    Painting p(image_, pen);
    p->setBrush(qtBrushOf(brush));
    p->drawEllipse(outlineOf(n));
}

void ImagePicture::roundRect(const CanvasPen& pen, const CanvasBrush& brush, CanvasRect r,
                             CanvasSize corner) {
    const Normal n = normal(r);
    if (image_.isNull() || empty(n)) return;
    Painting p(image_, pen);
    p->setBrush(qtBrushOf(brush));
    // The corner is given as the size of the ellipse that rounds it, in either direction.
    p->drawRoundedRect(outlineOf(n), std::abs(corner.width) / 2.0, std::abs(corner.height) / 2.0);
}

void ImagePicture::arc(const CanvasPen& pen, CanvasRect r, CanvasPoint start, CanvasPoint end) {
    const Normal n = normal(r);
    if (image_.isNull() || empty(n)) return;
    Painting p(image_, pen);
    const QRectF box = outlineOf(n);
    const auto [from, span] = arcAngles(box, start, end);
    p->drawArc(box, from, span);
}

void ImagePicture::pie(const CanvasPen& pen, const CanvasBrush& brush, CanvasRect r,
                       CanvasPoint start, CanvasPoint end) {
    const Normal n = normal(r);
    if (image_.isNull() || empty(n)) return;
    Painting p(image_, pen);
    p->setBrush(qtBrushOf(brush));
    const QRectF box = outlineOf(n);
    const auto [from, span] = arcAngles(box, start, end);
    p->drawPie(box, from, span);
}

void ImagePicture::polygon(const CanvasPen& pen, const CanvasBrush& brush,
                           std::span<const CanvasPoint> points) {
    if (image_.isNull() || points.empty()) return;
    Painting p(image_, pen);
    p->setBrush(qtBrushOf(brush));
    QPolygon polygon;
    for (const auto& point : points)
        polygon << QPoint(point.x, point.y);
    p->drawPolygon(polygon);
}

void ImagePicture::text(const CanvasFont& font, const CanvasBrush& brush, CanvasPoint at,
                        const std::string& text) {
    if (image_.isNull() || text.empty()) return;
    QPainter p(&image_);
    p.setFont(qtFontOf(font));
    const QFontMetrics metrics = p.fontMetrics();
    const QString shown = displayLine(text);
    if (brush.style != BrushStyle::Clear)
        p.fillRect(QRect(at.x, at.y, metrics.horizontalAdvance(shown), metrics.height()),
                   qtColorOf(brush.color));
    p.setPen(qtColorOf(font.color));
    p.drawText(QPoint(at.x, at.y + metrics.ascent()), shown);
}

CanvasSize ImagePicture::textExtent(const CanvasFont& font, const std::string& text) const {
    const QFontMetrics metrics(qtFontOf(font), &measuringImage());
    return {metrics.horizontalAdvance(displayLine(text)), metrics.height()};
}

void ImagePicture::copyRect(CanvasRect source, CanvasRect target, const CanvasBrush* mergeBrush) {
    const Normal from = normal(source), to = normal(target);
    if (image_.isNull() || empty(from) || empty(to)) return;
    QImage piece = image_.copy(from.left, from.top, from.width, from.height);
    // Extents of opposite sign mirror the copy.
    const bool flipX = (source.width() < 0) != (target.width() < 0);
    const bool flipY = (source.height() < 0) != (target.height() < 0);
    if (flipX || flipY) piece = piece.mirrored(flipX, flipY);
    if (piece.size() != QSize(to.width, to.height))
        piece = piece.scaled(to.width, to.height, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    piece = piece.convertToFormat(QImage::Format_RGB32);
    if (mergeBrush) {
        const QRgb mask = qtColorOf(mergeBrush->color).rgb() | 0xFF000000u;
        for (int y = 0; y < piece.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(piece.scanLine(y));
            for (int x = 0; x < piece.width(); ++x)
                row[x] &= mask;
        }
    }
    QPainter p(&image_);
    p.drawImage(to.left, to.top, piece);
}

void ImagePicture::copyToClipboard() const {
    if (image_.isNull()) return;
    QApplication::clipboard()->setImage(image_);
}

bool ImagePicture::clipboardHasBitmap() const {
    return QApplication::clipboard()->mimeData() &&
           QApplication::clipboard()->mimeData()->hasImage();
}

bool ImagePicture::pasteFromClipboard(CanvasRect target) {
    const QImage clip = QApplication::clipboard()->image();
    if (clip.isNull()) return false;
    if (image_.isNull()) return true;
    const int width = std::min(target.width(), clip.width());
    const int height = std::min(target.height(), clip.height());
    if (width <= 0 || height <= 0) return true;
    QPainter p(&image_);
    p.drawImage(QPoint(target.left, target.top), clip, QRect(0, 0, width, height));
    return true;
}

void ImagePicture::load(const std::filesystem::path& file) {
    QImageReader reader(fromHost(file.string()));
    const QByteArray suffix = QByteArray::fromStdString(lowerCase(file.extension().string()));
    if (suffix.size() > 1 && QImageReader::supportedImageFormats().contains(suffix.mid(1)))
        reader.setFormat(suffix.mid(1));
    QImage loaded = reader.read();
    if (loaded.isNull()) throw std::runtime_error(toEngine(reader.errorString()));
    // Whatever the file held, the picture is a bitmap programs can draw on.
    image_ = loaded.convertToFormat(QImage::Format_RGB32);
}

void ImagePicture::save(const std::filesystem::path& file) const {
    if (image_.isNull()) throw std::runtime_error(czech("obrázek je prázdný"));
    if (!image_.save(fromHost(file.string()), formatOfFile(file).constData()))
        throw std::runtime_error(czech("obrázek se nepodařilo zapsat"));
}

std::unique_ptr<windows::PicturePrintJob> ImagePicture::startPrint(const std::string& title) {
    auto* qtUi = dynamic_cast<QtUi*>(&ui());
    if (!qtUi) throw std::runtime_error(czech("Není k dispozici žádná tiskárna"));
    auto device = qtUi->startPrintDevice(title);
    if (!device) return nullptr;
    return std::make_unique<ImagePrintJob>(std::move(device), image_);
}

} // namespace vorlan::qt
