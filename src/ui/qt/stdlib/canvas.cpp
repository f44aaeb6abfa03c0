#include "ui/qt/stdlib/canvas.h"

#include "ui/qt/qt_text.h"
#include "ui/qt/stdlib/colors.h"

#include <QFontMetrics>
#include <QPolygon>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace vorlan::stdlib {

using windows::CanvasPoint;
using windows::CanvasRect;

namespace {

struct Normal {
    int left, top, width, height;
};

Normal normal(const CanvasRect& r) {
    return {std::min(r.left, r.right), std::min(r.top, r.bottom), std::abs(r.width()),
            std::abs(r.height())};
}

bool empty(const Normal& n) {
    return n.width == 0 || n.height == 0;
}

QRect area(const Normal& n) {
    return QRect(n.left, n.top, n.width, n.height);
}

// The outline of a shape covering the pixels left .. right - 1: Qt's aliased outline covers
// one pixel more than the rectangle it is given (and a fill without a pen one pixel less).
QRectF outlineOf(const Normal& n) {
    return QRectF(n.left, n.top, n.width - 1, n.height - 1);
}

QPolygon polygonOf(const std::vector<CanvasPoint>& points) {
    QPolygon polygon;
    for (const CanvasPoint& p : points)
        polygon << QPoint(p.x, p.y);
    return polygon;
}

const QImage& measuringImage() {
    static const QImage image(1, 1, QImage::Format_RGB32);
    return image;
}

} // namespace

// One drawing operation: the target's painter with the canvas's pen (and pen mode on bitmaps)
// for the length of the operation, its state restored afterwards.
class CanvasObject::Painting {
public:
    Painting(CanvasObject& canvas, bool shape) : target_(canvas.target_) {
        painter_ = target_.beginPaint();
        if (!painter_) return;
        painter_->save();
        painter_->setRenderHint(QPainter::Antialiasing, false);
        painter_->setPen(canvas.pen_->qtPen());
        painter_->setBrush(canvas.brush_->qtBrush());
        // Raster operations exist on bitmaps only; printers always copy.
        if (shape && target_.pixels()) canvas.pen_->applyMode(*painter_);
    }
    ~Painting() {
        if (painter_) painter_->restore();
        target_.endPaint();
    }
    Painting(const Painting&) = delete;
    Painting& operator=(const Painting&) = delete;

    explicit operator bool() const { return painter_ != nullptr; }
    QPainter* operator->() const { return painter_; }
    QPainter& operator*() const { return *painter_; }

private:
    CanvasTarget& target_;
    QPainter* painter_ = nullptr;
};

CanvasObject::CanvasObject(CanvasTarget& target)
    : script::NativeObject("TCanvas"), target_(target), pen_(std::make_unique<PenTool>()),
      brush_(std::make_unique<BrushTool>()),
      font_(std::make_unique<FontTool>([&target] { return target.dpi(); })) {}

CanvasObject::~CanvasObject() = default;

void CanvasObject::moveTo(int x, int y) {
    penPos_ = {x, y};
}

void CanvasObject::lineTo(int x, int y) {
    const CanvasPoint from = penPos_;
    penPos_ = {x, y};
    if (from == penPos_) return;
    Painting p(*this, true);
    if (p) p->drawLine(from.x, from.y, x, y);
}

void CanvasObject::rectangle(CanvasRect r) {
    const Normal n = normal(r);
    if (empty(n)) return;
    Painting p(*this, true);
    if (p) p->drawRect(outlineOf(n));
}

void CanvasObject::ellipse(CanvasRect r) {
    const Normal n = normal(r);
    if (empty(n)) return;
    Painting p(*this, true);
    if (p) p->drawEllipse(outlineOf(n));
}

void CanvasObject::roundRect(CanvasRect r, int cornerWidth, int cornerHeight) {
    const Normal n = normal(r);
    if (empty(n)) return;
    Painting p(*this, true);
    // The corner is the size of the ellipse that rounds it.
    if (p)
        p->drawRoundedRect(outlineOf(n), std::abs(cornerWidth) / 2.0, std::abs(cornerHeight) / 2.0);
}

namespace {

// The angle in degrees Qt takes for the point of the ellipse on the ray from its centre through
// `p`: Qt measures angles on the circle the ellipse is stretched from, with y up.
double ellipseAngle(const QRectF& box, CanvasPoint p) {
    const double dx = (p.x - box.center().x()) / std::max(box.width() / 2, 0.5);
    const double dy = (p.y - box.center().y()) / std::max(box.height() / 2, 0.5);
    if (dx == 0 && dy == 0) return 0;
    return std::atan2(-dy, dx) * 180.0 / 3.14159265358979323846;
}

} // namespace

void CanvasObject::arc(ArcShape shape, CanvasRect r, CanvasPoint start, CanvasPoint end) {
    const Normal n = normal(r);
    if (empty(n)) return;
    const QRectF box = outlineOf(n);
    const double from = ellipseAngle(box, start);
    double span = ellipseAngle(box, end) - from;
    while (span <= 0)
        span += 360;
    const int a = static_cast<int>(std::lround(from * 16));
    const int alen = static_cast<int>(std::lround(span * 16));
    Painting p(*this, shape != ArcShape::Arc);
    if (!p) return;
    switch (shape) {
    case ArcShape::Arc:
        p->drawArc(box, a, alen);
        break;
    case ArcShape::Pie:
        p->drawPie(box, a, alen);
        break;
    case ArcShape::Chord:
        p->drawChord(box, a, alen);
        break;
    }
}

void CanvasObject::polygon(const std::vector<CanvasPoint>& points) {
    if (points.size() < 2) return;
    Painting p(*this, true);
    if (p) p->drawPolygon(polygonOf(points));
}

void CanvasObject::polyline(const std::vector<CanvasPoint>& points) {
    if (points.size() < 2) return;
    Painting p(*this, true);
    if (p) p->drawPolyline(polygonOf(points));
    penPos_ = points.back();
}

void CanvasObject::fillRect(CanvasRect r) {
    const Normal n = normal(r);
    if (empty(n) || brush_->clear()) return;
    Painting p(*this, false);
    if (p) p->fillRect(area(n), brush_->qtBrush());
}

void CanvasObject::frameRect(CanvasRect r) {
    const Normal n = normal(r);
    if (empty(n) || brush_->clear()) return;
    Painting p(*this, false);
    if (!p) return;
    const QColor color = qtColorOf(brush_->color());
    p->fillRect(n.left, n.top, n.width, 1, color);
    p->fillRect(n.left, n.top + n.height - 1, n.width, 1, color);
    p->fillRect(n.left, n.top, 1, n.height, color);
    p->fillRect(n.left + n.width - 1, n.top, 1, n.height, color);
}

void CanvasObject::textOut(int x, int y, const std::string& text) {
    int width = 0;
    {
        Painting p(*this, false);
        if (p) {
            p->setFont(font_->qtFont());
            const QFontMetrics metrics = p->fontMetrics();
            const QString shown = qt::displayLine(text);
            width = metrics.horizontalAdvance(shown);
            if (!brush_->clear())
                p->fillRect(QRect(x, y, width, metrics.height()), qtColorOf(brush_->color()));
            p->setPen(qtColorOf(font_->color()));
            p->drawText(QPoint(x, y + metrics.ascent()), shown);
        }
    }
    penPos_ = {x + (width ? width : textWidth(text)), y};
}

void CanvasObject::textRect(CanvasRect r, int x, int y, const std::string& text) {
    const Normal n = normal(r);
    Painting p(*this, false);
    if (!p || empty(n)) return;
    p->setClipRect(area(n));
    if (!brush_->clear()) p->fillRect(area(n), qtColorOf(brush_->color()));
    p->setFont(font_->qtFont());
    p->setPen(qtColorOf(font_->color()));
    p->drawText(QPoint(x, y + p->fontMetrics().ascent()), qt::displayLine(text));
}

int CanvasObject::textWidth(const std::string& text) const {
    return QFontMetrics(font_->qtFont(), &measuringImage())
        .horizontalAdvance(qt::displayLine(text));
}

int CanvasObject::textHeight(const std::string&) const {
    return QFontMetrics(font_->qtFont(), &measuringImage()).height();
}

void CanvasObject::draw(int x, int y, const QImage& image) {
    if (image.isNull()) return;
    Painting p(*this, false);
    if (p) p->drawImage(QPoint(x, y), image);
}

void CanvasObject::stretchDraw(CanvasRect r, const QImage& image) {
    const Normal n = normal(r);
    if (image.isNull() || empty(n)) return;
    Painting p(*this, false);
    if (p) p->drawImage(area(n), image);
}

void CanvasObject::copyRect(CanvasRect destination, CanvasObject& source, CanvasRect from) {
    const QImage* pixels = source.target_.pixels();
    const Normal to = normal(destination), part = normal(from);
    if (!pixels || pixels->isNull() || empty(to) || empty(part)) return;
    // A copy first: source and destination may be the same bitmap.
    const QImage piece = pixels->copy(area(part));
    Painting p(*this, false);
    if (p) p->drawImage(area(to), piece);
}

std::int32_t CanvasObject::pixel(int x, int y) {
    const QImage* pixels = target_.pixels();
    if (!pixels || !pixels->valid(x, y)) return -1;
    const QRgb rgb = pixels->pixel(x, y);
    return qRed(rgb) | qGreen(rgb) << 8 | qBlue(rgb) << 16;
}

void CanvasObject::setPixel(int x, int y, std::int32_t color) {
    QImage* pixels = target_.pixels();
    if (pixels && pixels->valid(x, y)) pixels->setPixelColor(x, y, qtColorOf(color));
}

} // namespace vorlan::stdlib
