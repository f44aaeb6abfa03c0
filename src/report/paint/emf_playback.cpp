#include "report/paint/metafile_playback.h"

#include "core/cp1250.h"

#include <algorithm>

namespace vorlan::report {

namespace {

constexpr std::uint32_t kStockObject = 0x80000000;
constexpr int kMapIsotropic = 7;
constexpr int kMapAnisotropic = 8;
// Line segments a cubic curve is drawn with.
constexpr int kCurveSteps = 16;

LogicalRect rectAt(const EmfRecord& r, std::size_t at) {
    return {r.int32At(at), r.int32At(at + 4), r.int32At(at + 8), r.int32At(at + 12)};
}

// `count` points from byte `at` on, 32-bit or 16-bit coordinates.
std::vector<LogicalPoint> pointsAt(const EmfRecord& r, std::size_t at, std::uint64_t count,
                                   bool small) {
    const std::size_t size = small ? 4 : 8;
    // The record's own length bounds the count; checked before anything is reserved.
    if (count > r.bytes.size() / size) throwShortRecord();
    r.bytesAt(at, static_cast<std::size_t>(count) * size);
    std::vector<LogicalPoint> out;
    out.reserve(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t p = at + i * size;
        out.push_back(small ? LogicalPoint{r.int16At(p), r.int16At(p + 2)}
                            : LogicalPoint{r.int32At(p), r.int32At(p + 4)});
    }
    return out;
}

// Logical units from any sum a damaged file can make, kept far from overflow.
int toDeviceInt(double v) {
    return static_cast<int>(std::clamp(v, -2e9, 2e9));
}

// Cubic curves through their control points, as line segments: a start point, then three
// points per curve.
std::vector<LogicalPoint> flattened(const std::vector<LogicalPoint>& p) {
    if (p.size() < 4) return p;
    std::vector<LogicalPoint> out{p.front()};
    for (std::size_t i = 0; i + 3 < p.size(); i += 3)
        for (int step = 1; step <= kCurveSteps; ++step) {
            const double t = static_cast<double>(step) / kCurveSteps, u = 1 - t;
            const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
            out.push_back(
                {toDeviceInt(a * p[i].x + b * p[i + 1].x + c * p[i + 2].x + d * p[i + 3].x),
                 toDeviceInt(a * p[i].y + b * p[i + 1].y + c * p[i + 2].y + d * p[i + 3].y)});
        }
    return out;
}

std::string utf16ToCp1250(std::string_view bytes) {
    std::string utf8;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const unsigned c = static_cast<unsigned char>(bytes[i]) |
                           static_cast<unsigned>(static_cast<unsigned char>(bytes[i + 1])) << 8;
        if (c == 0) break;
        if (c < 0x80) {
            utf8.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            utf8.push_back(static_cast<char>(0xC0 | c >> 6));
            utf8.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c >= 0xD800 && c < 0xE000) {
            utf8.push_back('?'); // outside Windows-1250 anyway
        } else {
            utf8.push_back(static_cast<char>(0xE0 | c >> 12));
            utf8.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            utf8.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return utf8ToCp1250(utf8);
}

PaintBrush brushOf(std::uint32_t style, std::uint32_t colour, std::uint32_t hatch) {
    PaintBrush b;
    b.colour = colour & 0xFFFFFF;
    if (style == 1)
        b.style = kBrushClear;
    else if (style == 2 && hatch <= 5)
        b.style = kBrushHorizontal + static_cast<std::int32_t>(hatch);
    else
        b.style = kBrushSolid;
    return b;
}

LogicalPen penOf(std::uint32_t style, std::int32_t width, std::uint32_t colour) {
    LogicalPen p;
    p.style = static_cast<std::int32_t>(style & 0x0F);
    if (p.style > kPenInsideFrame) p.style = kPenSolid;
    p.width = width;
    p.colour = colour & 0xFFFFFF;
    return p;
}

void selectStock(MetaCanvas& canvas, std::uint32_t which) {
    static const std::uint32_t greys[] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0x000000};
    if (which <= 4)
        canvas.selectBrush({greys[which], kBrushSolid});
    else if (which == 5)
        canvas.selectBrush({0xFFFFFF, kBrushClear});
    else if (which == 6 || which == 7)
        canvas.selectPen({kPenSolid, 0, which == 6 ? 0xFFFFFFu : 0u});
    else if (which == 8)
        canvas.selectPen({kPenClear, 0, 0});
    else if (which >= 10 && which <= 17 && which != 15)
        canvas.selectFont({});
}

LogicalFont fontOf(const EmfRecord& r) {
    LogicalFont f;
    f.height = r.int32At(12);
    f.weight = r.int32At(28);
    const std::string_view flags = r.bytesAt(32, 4);
    f.italic = flags[0] != 0;
    f.underline = flags[1] != 0;
    f.strikeOut = flags[2] != 0;
    f.charset = static_cast<unsigned char>(flags[3]);
    f.face = utf16ToCp1250(r.bytesAt(40, 64));
    return f;
}

void polyPoly(const EmfRecord& r, MetaCanvas& canvas, bool small, bool closed) {
    const std::uint32_t polys = r.uint32At(24);
    const std::uint64_t total = r.uint32At(28);
    if (polys > r.bytes.size() / 4) throwShortRecord();
    r.bytesAt(32, static_cast<std::size_t>(polys) * 4);
    const std::vector<LogicalPoint> all = pointsAt(r, 32 + std::size_t{polys} * 4, total, small);
    std::size_t next = 0;
    std::vector<std::vector<LogicalPoint>> shapes;
    for (std::uint32_t i = 0; i < polys; ++i) {
        const std::uint32_t count = r.uint32At(32 + std::size_t{i} * 4);
        if (count > all.size() - next) throwShortRecord(); // more than the record has
        shapes.emplace_back(all.begin() + static_cast<std::ptrdiff_t>(next),
                            all.begin() + static_cast<std::ptrdiff_t>(next + count));
        next += count;
        if (!closed) canvas.polyline(shapes.back());
    }
    if (closed) canvas.polyPolygon(shapes);
}

void text(const EmfRecord& r, MetaCanvas& canvas, bool wide) {
    const int x = r.int32At(36), y = r.int32At(40);
    const std::uint32_t chars = r.uint32At(44);
    const std::uint32_t offset = r.uint32At(48);
    if (chars > r.bytes.size()) throwShortRecord();
    const std::string_view string = r.bytesAt(offset, std::size_t{chars} * (wide ? 2 : 1));
    canvas.text(x, y, wide ? utf16ToCp1250(string) : std::string(string));
}

void stretchDib(const EmfRecord& r, MetaCanvas& canvas) {
    const int x = r.int32At(24), y = r.int32At(28);
    const std::uint32_t offBmi = r.uint32At(48), sizeBmi = r.uint32At(52);
    const std::uint32_t offBits = r.uint32At(56), sizeBits = r.uint32At(60);
    const std::uint32_t usage = r.uint32At(64);
    const int width = r.int32At(72), height = r.int32At(76);
    const std::string_view header = r.bytesAt(offBmi, sizeBmi);
    const std::string_view bits = r.bytesAt(offBits, sizeBits);
    // Colours given as palette indexes need the palette the picture was made with.
    if (usage != 0 || header.empty()) return;
    std::string dib(header);
    dib.append(bits);
    canvas.bitmap(dib, {x, y, toDeviceInt(static_cast<double>(x) + width),
                        toDeviceInt(static_cast<double>(y) + height)});
}

void play(const EmfRecord& r, MetaCanvas& canvas) {
    switch (r.type) {
    case kEmfPolygon:
    case kEmfPolygon16:
        canvas.polygon(pointsAt(r, 28, r.uint32At(24), r.type == kEmfPolygon16));
        break;
    case kEmfPolyline:
    case kEmfPolyline16:
        canvas.polyline(pointsAt(r, 28, r.uint32At(24), r.type == kEmfPolyline16));
        break;
    case kEmfPolyBezier:
    case kEmfPolyBezier16:
        canvas.polyline(flattened(pointsAt(r, 28, r.uint32At(24), r.type == kEmfPolyBezier16)));
        break;
    case kEmfPolyLineTo:
    case kEmfPolyLineTo16:
    case kEmfPolyBezierTo:
    case kEmfPolyBezierTo16: {
        const bool small = r.type == kEmfPolyLineTo16 || r.type == kEmfPolyBezierTo16;
        std::vector<LogicalPoint> p{canvas.position()};
        for (const LogicalPoint& q : pointsAt(r, 28, r.uint32At(24), small))
            p.push_back(q);
        if (r.type == kEmfPolyBezierTo || r.type == kEmfPolyBezierTo16) p = flattened(p);
        canvas.polyline(p);
        canvas.moveTo(p.back().x, p.back().y);
        break;
    }
    case kEmfPolyPolyline:
    case kEmfPolyPolyline16:
        polyPoly(r, canvas, r.type == kEmfPolyPolyline16, false);
        break;
    case kEmfPolyPolygon:
    case kEmfPolyPolygon16:
        polyPoly(r, canvas, r.type == kEmfPolyPolygon16, true);
        break;
    case kEmfSetWindowExtEx:
        canvas.setWindowExt(r.int32At(8), r.int32At(12));
        break;
    case kEmfSetWindowOrgEx:
        canvas.setWindowOrg(r.int32At(8), r.int32At(12));
        break;
    case kEmfSetViewportExtEx:
        canvas.setViewportExt(r.int32At(8), r.int32At(12));
        break;
    case kEmfSetViewportOrgEx:
        canvas.setViewportOrg(r.int32At(8), r.int32At(12));
        break;
    case kEmfSetMapMode: {
        const int mode = r.int32At(8);
        // The fixed metric modes are drawn like the text mode.
        canvas.setScalingMapMode(mode == kMapIsotropic || mode == kMapAnisotropic);
        break;
    }
    case kEmfSetTextAlign:
        canvas.setTextAlign(r.int32At(8));
        break;
    case kEmfSetTextColor:
        canvas.setTextColour(r.uint32At(8));
        break;
    case kEmfMoveToEx:
        canvas.moveTo(r.int32At(8), r.int32At(12));
        break;
    case kEmfLineTo:
        canvas.lineTo(r.int32At(8), r.int32At(12));
        break;
    case kEmfSaveDc:
        canvas.saveState();
        break;
    case kEmfRestoreDc:
        canvas.restoreState(r.int32At(8));
        break;
    case kEmfSelectObject: {
        const std::uint32_t index = r.uint32At(8);
        if (index & kStockObject)
            selectStock(canvas, index & ~kStockObject);
        else
            canvas.selectObject(index);
        break;
    }
    case kEmfDeleteObject:
        canvas.deleteObject(r.uint32At(8));
        break;
    case kEmfCreatePen:
        canvas.putObject(r.uint32At(8), penOf(r.uint32At(12), r.int32At(16), r.uint32At(24)));
        break;
    case kEmfExtCreatePen: {
        LogicalPen p = penOf(r.uint32At(28), r.int32At(32), r.uint32At(40));
        if (r.uint32At(36) == 1) p.style = kPenClear; // a hollow brush draws nothing
        canvas.putObject(r.uint32At(8), p);
        break;
    }
    case kEmfCreateBrushIndirect:
        canvas.putObject(r.uint32At(8), brushOf(r.uint32At(12), r.uint32At(16), r.uint32At(20)));
        break;
    case kEmfExtCreateFontIndirectW:
        canvas.putObject(r.uint32At(8), fontOf(r));
        break;
    case kEmfEllipse:
        canvas.ellipse(rectAt(r, 8));
        break;
    case kEmfRectangle:
        canvas.rectangle(rectAt(r, 8));
        break;
    case kEmfRoundRect:
        canvas.roundRectangle(rectAt(r, 8), r.int32At(24), r.int32At(28));
        break;
    case kEmfExtTextOutA:
    case kEmfExtTextOutW:
        text(r, canvas, r.type == kEmfExtTextOutW);
        break;
    case kEmfStretchDiBits:
        stretchDib(r, canvas);
        break;
    default:
        break;
    }
}

} // namespace

void playEmf(const EmfFile& file, MetaCanvas& canvas) {
    canvas.setWindowIsFrame(false);
    canvas.reserveSlots(file.handles);
    for (const EmfRecord& r : file.records)
        play(r, canvas);
}

} // namespace vorlan::report
