#include "report/paint/element_drawing.h"

#include "report/paint/metafile.h"
#include "report/paint/text_layout.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <unordered_set>

namespace vorlan::report {

namespace {

RichTextDrawer& richTextDrawer() {
    static RichTextDrawer drawer;
    return drawer;
}

// The rectangle inset so that a pen of width w stays inside the element.
DeviceRect insetForPen(const DeviceRect& rect, int w) {
    const int before = w / 2;
    const int after = (w + 1) / 2;
    return {rect.left + before, rect.top + before, std::max(0, rect.width - before - after),
            std::max(0, rect.height - before - after)};
}

void drawLineFlags(Painter& painter, const DeviceRect& r, std::int32_t flags, bool withShapes) {
    const int l = r.left, t = r.top, rt = r.right(), b = r.bottom();
    if (flags & kLineLeft) painter.drawLine(l, b, l, t);
    if (flags & kLineTop) painter.drawLine(l, t, rt, t);
    if (flags & kLineRight) painter.drawLine(rt, t, rt, b);
    if (flags & kLineBottom) painter.drawLine(rt, b, l, b);
    if (!withShapes) return;
    if (flags & kLineDiagonalUp) painter.drawLine(l, b, rt, t);
    if (flags & kLineDiagonalDown) painter.drawLine(l, t, rt, b);
    if (flags & kLineEllipse) painter.drawEllipse(r);
}

TextBlockStyle textStyle(const TPrvekSestavy& element, double scale) {
    TextBlockStyle style;
    style.alignment = element.alignment;
    style.wordWrap = (element.textFlags & kTextWordWrap) != 0;
    style.justify = (element.textFlags & kTextJustify) != 0;
    style.spacing = element.charSpacing > 0 ? element.charSpacing * scale : 0;
    return style;
}

// A memo the run has already broken into lines: its share of them, one below the other.
void drawMemoLines(Painter& painter, const TVystPrvek& placed, const DeviceRect& rect,
                   const TextBlockStyle& style, double scale) {
    const auto& lines = placed.lines;
    const int total = static_cast<int>(lines.size());
    const int first = std::clamp(placed.firstLine, 0, total);
    const int last = std::clamp(first + std::max(0, placed.lineCount), first, total);
    const double step = placed.lineHeight > 0 ? placed.lineHeight * scale : painter.lineHeight();
    painter.setClip(rect);
    for (int i = first; i < last; ++i) {
        const std::string& line = lines[static_cast<std::size_t>(i)];
        // The last line of the memo stays ragged when justified.
        const bool fill = style.justify && i + 1 < total;
        drawTextLine(painter, rect, rect.top + (i - first) * step, line, style, fill);
    }
    painter.clearClip();
}

void drawTextElement(Painter& painter, const TVystPrvek& placed, const DeviceRect& rect,
                     double scale) {
    const TPrvekSestavy& element = *placed.source();
    painter.setFont(scaledFont(element.font, scale));
    const TextBlockStyle style = textStyle(element, scale);
    if (!placed.rtf.empty() && richTextDrawer()) {
        const int count = placed.lines.empty() ? -1 : placed.lineCount;
        richTextDrawer()(painter, rect, placed.rtf, scale, placed.firstLine, count);
    } else if (!placed.lines.empty()) {
        drawMemoLines(painter, placed, rect, style, scale);
    } else if (!placed.text().empty()) {
        drawTextBlock(painter, rect, placed.text(), style);
    }
    if (element.lineFlags & (kLineLeft | kLineTop | kLineRight | kLineBottom)) {
        const PaintPen pen = elementPen(element, scale);
        painter.setPen(pen);
        drawLineFlags(painter, insetForPen(rect, pen.width), element.lineFlags, false);
    }
}

void drawPictureElement(Painter& painter, const TVystPrvek& placed, const DeviceRect& rect,
                        double scale) {
    if (placed.picture.empty()) return;
    const std::string_view data = *placed.picture.bytes;
    if (isMetafile(data)) {
        // A damaged metafile leaves the element empty; the user learns why once per picture.
        try {
            const PictureSize size = metafileSize(data);
            painter.setClip(rect);
            drawMetafile(painter, data, pictureRect(rect, size, placed.source()->lineFlags, scale));
            painter.clearClip();
        } catch (const MetafileError& e) {
            painter.clearClip();
            static std::unordered_set<std::size_t> told;
            if (told.size() < 1000 && told.insert(std::hash<std::string_view>{}(data)).second)
                warnAboutPicture(e.what());
        }
        return;
    }
    const auto size = painter.pictureSize(data);
    if (!size || size->width <= 0 || size->height <= 0) return;
    painter.setClip(rect);
    painter.drawPicture(data, pictureRect(rect, *size, placed.source()->lineFlags, scale));
    painter.clearClip();
}

} // namespace

int scaled(double value, double scale) {
    return static_cast<int>(std::lround(value * scale));
}

DeviceRect scaledRect(int left, int top, int width, int height, double scale) {
    return {scaled(left, scale), scaled(top, scale), scaled(width, scale), scaled(height, scale)};
}

PaintFont scaledFont(const ReportFont& font, double scale) {
    PaintFont out;
    out.name = font.name;
    // A point is 1/72 inch, a layout unit 1/100 inch.
    out.pixelHeight = std::max(1.0, font.size * 100.0 / 72.0 * scale);
    out.style = font.style;
    out.colour = font.colour;
    out.charset = font.charset;
    return out;
}

// A width of n hundredths becomes (n - 1) scaled plus one device unit, so a width of 1 stays a
// hairline at every scale. Wider lines are always solid.
PaintPen elementPen(const TPrvekSestavy& element, double scale) {
    const int lineWidth = std::max(1, element.lineWidth);
    PaintPen pen;
    pen.colour = element.lineColour;
    pen.width = scaled(lineWidth - 1, scale) + 1;
    pen.style = lineWidth > 1 ? kPenSolid : element.lineStyle;
    return pen;
}

void setRichTextDrawer(RichTextDrawer drawer) {
    richTextDrawer() = std::move(drawer);
}

DeviceRect pictureRect(const DeviceRect& target, PictureSize size, std::int32_t lineFlags,
                       double scale) {
    if (size.width <= 0 || size.height <= 0) return {target.left, target.top, 0, 0};
    if (lineFlags & kLineDiagonalDown) {
        const double fx = static_cast<double>(target.width) / size.width;
        const double fy = static_cast<double>(target.height) / size.height;
        const double f = std::min(fx, fy);
        return {target.left, target.top, static_cast<int>(std::lround(size.width * f)),
                static_cast<int>(std::lround(size.height * f))};
    }
    if (lineFlags & kLineDiagonalUp) return target;
    return {target.left, target.top, scaled(size.width, scale), scaled(size.height, scale)};
}

void drawElement(Painter& painter, const TVystPrvek& placed, double scale) {
    const TPrvekSestavy* source = placed.source();
    if (!source) return;
    const DeviceRect rect = scaledRect(placed.left, placed.top, placed.width, placed.height, scale);

    if (isTextKind(source->kind)) {
        // A field holding a picture (graphic or binary memo) draws the picture instead.
        if (!placed.picture.empty())
            drawPictureElement(painter, placed, rect, scale);
        else
            drawTextElement(painter, placed, rect, scale);
        return;
    }
    switch (source->kind) {
    case kKindLine: {
        const PaintPen pen = elementPen(*source, scale);
        painter.setPen(pen);
        painter.setBrush({source->fillColour, kBrushClear});
        drawLineFlags(painter, insetForPen(rect, pen.width), source->lineFlags, true);
        break;
    }
    case kKindRectangle:
    case kKindRoundRectangle:
    case kKindEllipse: {
        const PaintPen pen = elementPen(*source, scale);
        painter.setPen(pen);
        painter.setBrush({source->fillColour, source->fillStyle});
        const DeviceRect inner = insetForPen(rect, pen.width);
        if (source->kind == kKindRectangle) {
            painter.drawRectangle(inner);
        } else if (source->kind == kKindEllipse) {
            painter.drawEllipse(inner);
        } else {
            // The corners are a quarter of the shorter side round.
            const int corner = std::min(inner.width, inner.height) / 4;
            painter.drawRoundRectangle(inner, corner, corner);
        }
        break;
    }
    case kKindPicture:
        drawPictureElement(painter, placed, rect, scale);
        break;
    default:
        break; // a detail report's place and unknown kinds draw nothing
    }
}

} // namespace vorlan::report
