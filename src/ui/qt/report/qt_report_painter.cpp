#include "ui/qt/report/qt_report_painter.h"

#include "core/cp1250.h"
#include "report/model.h"
#include "ui/qt/windows_fonts.h"

#include <QByteArray>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>

namespace vorlan::qt {

namespace {

QString textOf(std::string_view text) {
    return QString::fromStdString(cp1250ToUtf8(text));
}

Qt::PenStyle penStyle(std::int32_t style) {
    switch (style) {
    case report::kPenDash:
        return Qt::DashLine;
    case report::kPenDot:
        return Qt::DotLine;
    case report::kPenDashDot:
        return Qt::DashDotLine;
    case report::kPenDashDotDot:
        return Qt::DashDotDotLine;
    case report::kPenClear:
        return Qt::NoPen;
    default:
        return Qt::SolidLine;
    }
}

Qt::BrushStyle brushStyle(std::int32_t style) {
    switch (style) {
    case report::kBrushClear:
        return Qt::NoBrush;
    case report::kBrushHorizontal:
        return Qt::HorPattern;
    case report::kBrushVertical:
        return Qt::VerPattern;
    case report::kBrushForwardDiagonal:
        return Qt::FDiagPattern;
    case report::kBrushBackwardDiagonal:
        return Qt::BDiagPattern;
    case report::kBrushCross:
        return Qt::CrossPattern;
    case report::kBrushDiagonalCross:
        return Qt::DiagCrossPattern;
    default:
        return Qt::SolidPattern;
    }
}

QRectF rectOf(const report::DeviceRect& rect) {
    return QRectF(rect.left, rect.top, rect.width, rect.height);
}

QPolygonF polygonOf(const std::vector<report::DevicePoint>& points) {
    QPolygonF polygon;
    polygon.reserve(static_cast<qsizetype>(points.size()));
    for (const report::DevicePoint& p : points)
        polygon.append(QPointF(p.x, p.y));
    return polygon;
}

} // namespace

QColor reportColour(std::uint32_t colour) {
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

QFont reportFont(const report::PaintFont& spec) {
    // Templates name Windows fonts; texts were sized to fit their boxes in those fonts, drawn
    // without kerning, so widths are the sums of the characters' advances.
    QFont font = windowsFont(textOf(spec.name));
    font.setKerning(false);
    font.setPixelSize(std::max(1, qRound(spec.pixelHeight)));
    font.setBold(spec.style & report::kFontBold);
    font.setItalic(spec.style & report::kFontItalic);
    font.setUnderline(spec.style & report::kFontUnderline);
    font.setStrikeOut(spec.style & report::kFontStrikeOut);
    return font;
}

QtReportPainter::QtReportPainter(QPainter& painter) : painter_(painter) {
    setFont(report::PaintFont{"Arial", 10, 0, 0, 1});
}

void QtReportPainter::setPen(const report::PaintPen& pen) {
    QPen qpen(reportColour(pen.colour));
    qpen.setWidth(std::max(1, pen.width));
    qpen.setStyle(penStyle(pen.style));
    // Square ends close the corners of frames drawn edge by edge.
    qpen.setCapStyle(Qt::SquareCap);
    qpen.setJoinStyle(Qt::MiterJoin);
    painter_.setPen(qpen);
}

void QtReportPainter::setBrush(const report::PaintBrush& brush) {
    painter_.setBrush(QBrush(reportColour(brush.colour), brushStyle(brush.style)));
}

void QtReportPainter::setFont(const report::PaintFont& font) {
    if (metrics_ && font == fontSpec_) return;
    fontSpec_ = font;
    font_ = reportFont(font);
    metrics_.emplace(font_, painter_.device());
    spacedBy_ = 0;
    spaced_ = font_;
}

const QFont& QtReportPainter::spacedFont(double spacing) {
    if (spacing <= 0) return font_;
    if (spacing != spacedBy_) {
        spaced_ = font_;
        spaced_.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
        spacedBy_ = spacing;
    }
    return spaced_;
}

double QtReportPainter::textWidth(std::string_view text, double spacing) {
    if (spacing <= 0) return metrics_->horizontalAdvance(textOf(text));
    return QFontMetricsF(spacedFont(spacing), painter_.device()).horizontalAdvance(textOf(text));
}

double QtReportPainter::lineHeight() {
    return metrics_->height();
}

double QtReportPainter::ascent() {
    return metrics_->ascent();
}

void QtReportPainter::drawText(double x, double y, std::string_view text, double spacing) {
    if (text.empty()) return;
    painter_.setFont(spacedFont(spacing));
    painter_.setPen(reportColour(fontSpec_.colour));
    painter_.drawText(QPointF(x, y + metrics_->ascent()), textOf(text));
}

void QtReportPainter::drawLine(int x1, int y1, int x2, int y2) {
    painter_.drawLine(QPointF(x1, y1), QPointF(x2, y2));
}

void QtReportPainter::drawRectangle(const report::DeviceRect& rect) {
    painter_.drawRect(rectOf(rect));
}

void QtReportPainter::drawRoundRectangle(const report::DeviceRect& rect, int cornerWidth,
                                         int cornerHeight) {
    painter_.drawRoundedRect(rectOf(rect), cornerWidth / 2.0, cornerHeight / 2.0);
}

void QtReportPainter::drawEllipse(const report::DeviceRect& rect) {
    painter_.drawEllipse(rectOf(rect));
}

void QtReportPainter::drawPolyline(const std::vector<report::DevicePoint>& points) {
    painter_.drawPolyline(polygonOf(points));
}

void QtReportPainter::drawPolygon(const std::vector<report::DevicePoint>& points) {
    painter_.drawPolygon(polygonOf(points), Qt::OddEvenFill);
}

void QtReportPainter::drawPolyPolygon(
    const std::vector<std::vector<report::DevicePoint>>& polygons) {
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    for (const auto& polygon : polygons) {
        path.addPolygon(polygonOf(polygon));
        path.closeSubpath();
    }
    painter_.drawPath(path);
}

const QImage* QtReportPainter::picture(std::string_view data) {
    if (data != pictureData_) {
        pictureData_ = std::string(data);
        image_ = QImage::fromData(QByteArray::fromRawData(
            pictureData_.data(), static_cast<qsizetype>(pictureData_.size())));
    }
    return image_.isNull() ? nullptr : &image_;
}

std::optional<report::PictureSize> QtReportPainter::pictureSize(std::string_view data) {
    const QImage* image = picture(data);
    if (!image) return std::nullopt;
    return report::PictureSize{image->width(), image->height()};
}

void QtReportPainter::drawPicture(std::string_view data, const report::DeviceRect& target) {
    if (const QImage* image = picture(data)) painter_.drawImage(rectOf(target), *image);
}

void QtReportPainter::setClip(const report::DeviceRect& rect) {
    painter_.setClipRect(rectOf(rect));
}

void QtReportPainter::clearClip() {
    painter_.setClipping(false);
}

} // namespace vorlan::qt
