#include "report/paint/metafile_playback.h"

#include <algorithm>

namespace vorlan::report {

namespace {

// Extended text options that put a rectangle before the string.
constexpr int kTextOpaque = 0x0002;
constexpr int kTextClipped = 0x0004;

// `count` points of 16-bit x and y from parameter `first` on.
std::vector<LogicalPoint> points(const WmfRecord& r, std::size_t first, std::size_t count) {
    // The record's own length bounds the count; checked before anything is reserved.
    if (count > 0) r.int16(first + 2 * count - 1);
    std::vector<LogicalPoint> out;
    out.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        out.push_back({r.int16(first + 2 * i), r.int16(first + 2 * i + 1)});
    return out;
}

// Rectangles come bottom, right, top, left from parameter `first` on.
LogicalRect rectangle(const WmfRecord& r, std::size_t first) {
    return {r.int16(first + 3), r.int16(first + 2), r.int16(first + 1), r.int16(first)};
}

LogicalPen pen(const WmfRecord& r) {
    LogicalPen p;
    p.style = r.uint16(0) & 0x0F;
    if (p.style > kPenInsideFrame) p.style = kPenSolid;
    p.width = r.int16(1);
    p.colour = r.uint32At(6) & 0xFFFFFF;
    return p;
}

PaintBrush brush(const WmfRecord& r) {
    PaintBrush b;
    const int style = r.uint16(0);
    b.colour = r.uint32At(2) & 0xFFFFFF;
    const int hatch = r.uint16(3);
    if (style == 1)
        b.style = kBrushClear;
    else if (style == 2 && hatch <= 5)
        b.style = kBrushHorizontal + hatch;
    else
        b.style = kBrushSolid;
    return b;
}

LogicalFont font(const WmfRecord& r) {
    LogicalFont f;
    f.height = r.int16(0);
    f.weight = r.int16(4);
    const std::string_view flags = r.bytesAt(10, 8);
    f.italic = flags[0] != 0;
    f.underline = flags[1] != 0;
    f.strikeOut = flags[2] != 0;
    f.charset = static_cast<unsigned char>(flags[3]);
    const std::string_view face = r.params.substr(std::min<std::size_t>(18, r.params.size()));
    f.face = std::string(face.substr(0, std::min<std::size_t>(32, face.find('\0'))));
    return f;
}

void play(const WmfRecord& r, MetaCanvas& canvas) {
    switch (r.function) {
    case kWmfSaveDc:
        canvas.saveState();
        break;
    case kWmfRestoreDc:
        canvas.restoreState(r.int16(0));
        break;
    case kWmfSetWindowOrg:
        canvas.setWindowOrg(r.int16(1), r.int16(0));
        break;
    case kWmfSetWindowExt:
        canvas.setWindowExt(r.int16(1), r.int16(0));
        break;
    case kWmfSetTextColor:
        canvas.setTextColour(r.uint32At(0));
        break;
    case kWmfSetTextAlign:
        canvas.setTextAlign(r.uint16(0));
        break;
    case kWmfMoveTo:
        canvas.moveTo(r.int16(1), r.int16(0));
        break;
    case kWmfLineTo:
        canvas.lineTo(r.int16(1), r.int16(0));
        break;
    case kWmfRectangle:
        canvas.rectangle(rectangle(r, 0));
        break;
    case kWmfEllipse:
        canvas.ellipse(rectangle(r, 0));
        break;
    case kWmfRoundRect:
        canvas.roundRectangle(rectangle(r, 2), r.int16(1), r.int16(0));
        break;
    case kWmfPolyline:
        canvas.polyline(points(r, 1, r.uint16(0)));
        break;
    case kWmfPolygon:
        canvas.polygon(points(r, 1, r.uint16(0)));
        break;
    case kWmfPolyPolygon: {
        const std::size_t polygons = r.uint16(0);
        if (polygons > 0) r.int16(polygons); // the counts are all there
        std::size_t next = 1 + polygons;
        std::vector<std::vector<LogicalPoint>> shapes;
        for (std::size_t i = 0; i < polygons; ++i) {
            const std::size_t count = r.uint16(1 + i);
            shapes.push_back(points(r, next, count));
            next += 2 * count;
        }
        canvas.polyPolygon(shapes);
        break;
    }
    case kWmfTextOut: {
        const std::size_t length = r.uint16(0);
        const std::string_view string = r.bytesAt(2, length);
        const std::size_t after = 1 + (length + 1) / 2;
        canvas.text(r.int16(after + 1), r.int16(after), string);
        break;
    }
    case kWmfExtTextOut: {
        const std::size_t length = r.uint16(2);
        const int options = r.uint16(3);
        const std::size_t at = (options & (kTextOpaque | kTextClipped)) ? 16 : 8;
        canvas.text(r.int16(1), r.int16(0), r.bytesAt(at, length));
        break;
    }
    case kWmfCreatePenIndirect:
        canvas.addObject(pen(r));
        break;
    case kWmfCreateBrushIndirect:
        canvas.addObject(brush(r));
        break;
    case kWmfCreateFontIndirect:
        canvas.addObject(font(r));
        break;
    case kWmfCreatePalette:
    case kWmfCreatePatternBrush:
    case kWmfDibCreatePatternBrush:
    case kWmfCreateRegion:
        canvas.addObject(UnusedObject{});
        break;
    case kWmfSelectObject:
        canvas.selectObject(r.uint16(0));
        break;
    case kWmfDeleteObject:
        canvas.deleteObject(r.uint16(0));
        break;
    case kWmfStretchDib: {
        const int x = r.int16(10), y = r.int16(9);
        const LogicalRect dest{x, y, x + r.int16(8), y + r.int16(7)};
        const std::string_view dib =
            r.bytesAt(22, r.params.size() - std::min<std::size_t>(22, r.params.size()));
        // Colours given as palette indexes need the palette the picture was made with.
        if (r.uint16(2) == 0) canvas.bitmap(dib, dest);
        break;
    }
    case kWmfDibStretchBlt: {
        // Without a bitmap the record only paints a pattern, which a picture does not need.
        if (r.params.size() <= 22) break;
        const int x = r.int16(9), y = r.int16(8);
        canvas.bitmap(r.bytesAt(20, r.params.size() - 20), {x, y, x + r.int16(7), y + r.int16(6)});
        break;
    }
    default:
        break;
    }
}

} // namespace

void playWmf(const WmfFile& file, MetaCanvas& canvas) {
    canvas.setWindowIsFrame(true);
    canvas.reserveSlots(file.objectCount);
    for (const WmfRecord& r : file.records)
        play(r, canvas);
}

} // namespace vorlan::report
