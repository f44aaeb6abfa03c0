#include "report/paint/metafile_canvas.h"
#include "report/paint/metafile_bytes.h"

#include <algorithm>
#include <cmath>

namespace vorlan::report {

namespace {

// Saved states are few in real pictures; a file asking for more does not grow memory.
constexpr std::size_t kMaxSavedStates = 256;
// The object table's index is 16-bit in the older kind; the enhanced kind is held to the same.
constexpr std::size_t kMaxObjects = 0xFFFF;

int clampInt(double v) {
    if (!(v > -1e9)) return -1'000'000'000;
    if (!(v < 1e9)) return 1'000'000'000;
    return static_cast<int>(std::lround(v));
}

} // namespace

MetaCanvas::MetaCanvas(Painter* painter, const DeviceRect& target, const DeviceRect& frame)
    : painter_(painter), target_(target), frame_(frame) {
    state_.windowX = frame.left;
    state_.windowY = frame.top;
    state_.windowWidth = frame.width;
    state_.windowHeight = frame.height;
    applyPen();
    applyBrush();
}

void MetaCanvas::setWindowIsFrame(bool on) {
    windowIsFrame_ = on;
    if (on) return;
    // Logical units are the frame's own until the records say otherwise.
    state_.windowX = state_.windowY = 0;
    state_.windowWidth = state_.windowHeight = 1;
    applyPen();
}

double MetaCanvas::scaleX() const {
    const double toFrame = windowIsFrame_ || !state_.scaling || state_.windowWidth == 0
                               ? 1.0
                               : static_cast<double>(state_.viewportWidth) / state_.windowWidth;
    return frame_.width ? toFrame * target_.width / frame_.width : 0.0;
}

double MetaCanvas::scaleY() const {
    const double toFrame = windowIsFrame_ || !state_.scaling || state_.windowHeight == 0
                               ? 1.0
                               : static_cast<double>(state_.viewportHeight) / state_.windowHeight;
    return frame_.height ? toFrame * target_.height / frame_.height : 0.0;
}

DevicePoint MetaCanvas::map(int x, int y) {
    if (!painter_) {
        if (!anyPoint_) minX_ = maxX_ = x, minY_ = maxY_ = y;
        anyPoint_ = true;
        minX_ = std::min(minX_, x);
        maxX_ = std::max(maxX_, x);
        minY_ = std::min(minY_, y);
        maxY_ = std::max(maxY_, y);
    }
    double fx = x, fy = y;
    if (!windowIsFrame_) {
        const double sx = state_.scaling && state_.windowWidth
                              ? static_cast<double>(state_.viewportWidth) / state_.windowWidth
                              : 1.0;
        const double sy = state_.scaling && state_.windowHeight
                              ? static_cast<double>(state_.viewportHeight) / state_.windowHeight
                              : 1.0;
        fx = (x - static_cast<double>(state_.windowX)) * sx + state_.viewportX;
        fy = (y - static_cast<double>(state_.windowY)) * sy + state_.viewportY;
    }
    const double kx = frame_.width ? static_cast<double>(target_.width) / frame_.width : 0.0;
    const double ky = frame_.height ? static_cast<double>(target_.height) / frame_.height : 0.0;
    return {clampInt(target_.left + (fx - frame_.left) * kx),
            clampInt(target_.top + (fy - frame_.top) * ky)};
}

DeviceRect MetaCanvas::mapRect(const LogicalRect& rect) {
    const DevicePoint a = map(rect.left, rect.top), b = map(rect.right, rect.bottom);
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::abs(b.x - a.x), std::abs(b.y - a.y)};
}

std::vector<DevicePoint> MetaCanvas::mapAll(const std::vector<LogicalPoint>& points) {
    std::vector<DevicePoint> out;
    out.reserve(points.size());
    for (const LogicalPoint& p : points)
        out.push_back(map(p.x, p.y));
    return out;
}

void MetaCanvas::noteWindow() {
    if (windowIsFrame_) {
        frame_ = {state_.windowX, state_.windowY, state_.windowWidth, state_.windowHeight};
        applyPen();
    }
    if (!painter_ && !firstWindow_ && windowExtSet_ && !anyPoint_)
        firstWindow_ =
            DeviceRect{state_.windowX, state_.windowY, state_.windowWidth, state_.windowHeight};
}

void MetaCanvas::setWindowOrg(int x, int y) {
    state_.windowX = x;
    state_.windowY = y;
    noteWindow();
}

void MetaCanvas::setWindowExt(int width, int height) {
    state_.windowWidth = width;
    state_.windowHeight = height;
    windowExtSet_ = true;
    noteWindow();
    applyPen();
}

void MetaCanvas::setViewportOrg(int x, int y) {
    state_.viewportX = x;
    state_.viewportY = y;
}

void MetaCanvas::setViewportExt(int width, int height) {
    state_.viewportWidth = width;
    state_.viewportHeight = height;
    applyPen();
}

void MetaCanvas::applyPen() {
    if (!painter_) return;
    PaintPen pen;
    pen.colour = state_.pen.colour;
    pen.style = state_.pen.style;
    pen.width = std::max(1, clampInt(state_.pen.width * std::abs(scaleX())));
    painter_->setPen(pen);
}

void MetaCanvas::applyBrush() {
    if (painter_) painter_->setBrush(state_.brush);
}

void MetaCanvas::applyFont() {
    if (!painter_) return;
    const LogicalFont& f = state_.font;
    PaintFont font;
    font.name = f.face.empty() ? std::string("Arial") : f.face;
    // A positive height is the cell; the em is about seven eighths of it in common faces.
    const double logical = f.height < 0   ? -static_cast<double>(f.height)
                           : f.height > 0 ? f.height * 0.87
                                          : 12.0;
    font.pixelHeight = std::clamp(logical * std::abs(scaleY()), 1.0, 1e6);
    font.style = (f.weight >= 600 ? 1 : 0) | (f.italic ? 2 : 0) | (f.underline ? 4 : 0) |
                 (f.strikeOut ? 8 : 0);
    font.colour = state_.textColour;
    font.charset = f.charset;
    painter_->setFont(font);
}

void MetaCanvas::reserveSlots(std::size_t count) {
    objects_.resize(std::min(count, kMaxObjects));
}

void MetaCanvas::addObject(MetaObject object) {
    for (auto& slot : objects_)
        if (!slot) {
            slot = std::move(object);
            return;
        }
    // Files that count their objects wrongly still play.
    if (objects_.size() < kMaxObjects) objects_.emplace_back(std::move(object));
}

void MetaCanvas::putObject(std::size_t index, MetaObject object) {
    if (index >= kMaxObjects) return;
    if (index >= objects_.size()) objects_.resize(index + 1);
    objects_[index] = std::move(object);
}

void MetaCanvas::selectObject(std::size_t index) {
    if (index >= objects_.size() || !objects_[index]) return;
    const MetaObject& object = *objects_[index];
    if (const auto* pen = std::get_if<LogicalPen>(&object))
        selectPen(*pen);
    else if (const auto* brush = std::get_if<PaintBrush>(&object))
        selectBrush(*brush);
    else if (const auto* font = std::get_if<LogicalFont>(&object))
        selectFont(*font);
}

void MetaCanvas::deleteObject(std::size_t index) {
    // What is selected stays in use: the state holds copies.
    if (index < objects_.size()) objects_[index].reset();
}

void MetaCanvas::selectPen(const LogicalPen& pen) {
    state_.pen = pen;
    applyPen();
}

void MetaCanvas::selectBrush(const PaintBrush& brush) {
    state_.brush = brush;
    applyBrush();
}

void MetaCanvas::selectFont(const LogicalFont& font) {
    state_.font = font;
}

void MetaCanvas::saveState() {
    if (saved_.size() < kMaxSavedStates) saved_.push_back(state_);
}

void MetaCanvas::restoreState(int which) {
    std::size_t keep;
    if (which < 0) {
        const std::size_t back = static_cast<std::size_t>(-static_cast<long long>(which));
        if (back > saved_.size()) return;
        keep = saved_.size() - back;
    } else {
        if (which == 0 || static_cast<std::size_t>(which) > saved_.size()) return;
        keep = static_cast<std::size_t>(which) - 1;
    }
    state_ = saved_[keep];
    saved_.resize(keep);
    if (windowIsFrame_)
        frame_ = {state_.windowX, state_.windowY, state_.windowWidth, state_.windowHeight};
    applyPen();
    applyBrush();
}

void MetaCanvas::moveTo(int x, int y) {
    state_.x = x;
    state_.y = y;
}

void MetaCanvas::lineTo(int x, int y) {
    const DevicePoint a = map(state_.x, state_.y), b = map(x, y);
    if (painter_) painter_->drawLine(a.x, a.y, b.x, b.y);
    moveTo(x, y);
}

void MetaCanvas::rectangle(const LogicalRect& rect) {
    const DeviceRect r = mapRect(rect);
    if (painter_) painter_->drawRectangle(r);
}

void MetaCanvas::ellipse(const LogicalRect& rect) {
    const DeviceRect r = mapRect(rect);
    if (painter_) painter_->drawEllipse(r);
}

void MetaCanvas::roundRectangle(const LogicalRect& rect, int cornerWidth, int cornerHeight) {
    const DeviceRect r = mapRect(rect);
    const int cw = clampInt(std::abs(cornerWidth * scaleX()));
    const int ch = clampInt(std::abs(cornerHeight * scaleY()));
    if (painter_) painter_->drawRoundRectangle(r, cw, ch);
}

void MetaCanvas::polyline(const std::vector<LogicalPoint>& points) {
    const std::vector<DevicePoint> p = mapAll(points);
    if (painter_) painter_->drawPolyline(p);
}

void MetaCanvas::polygon(const std::vector<LogicalPoint>& points) {
    const std::vector<DevicePoint> p = mapAll(points);
    if (painter_) painter_->drawPolygon(p);
}

void MetaCanvas::polyPolygon(const std::vector<std::vector<LogicalPoint>>& polygons) {
    std::vector<std::vector<DevicePoint>> p;
    p.reserve(polygons.size());
    for (const auto& polygon : polygons)
        p.push_back(mapAll(polygon));
    if (painter_) painter_->drawPolyPolygon(p);
}

void MetaCanvas::text(int x, int y, std::string_view string) {
    // Texts end at their first zero byte, as the system draws them.
    string = string.substr(0, string.find('\0'));
    const int align = state_.textAlign;
    if (align & kTextAlignUpdateCp) x = state_.x, y = state_.y;
    const DevicePoint at = map(x, y);
    if (!painter_ || string.empty()) return;
    applyFont();
    const double width = painter_->textWidth(string);
    double left = at.x;
    if ((align & kTextAlignHorizontal) == kTextAlignCenter)
        left -= width / 2;
    else if ((align & kTextAlignHorizontal) == kTextAlignRight)
        left -= width;
    double top = at.y;
    if ((align & kTextAlignVertical) == kTextAlignBaseline)
        top -= painter_->ascent();
    else if ((align & kTextAlignVertical) == kTextAlignBottom)
        top -= painter_->lineHeight();
    painter_->drawText(left, top, string);
    if (align & kTextAlignUpdateCp) {
        const double sx = scaleX();
        if (sx != 0) state_.x = clampInt(static_cast<double>(x) + width / sx);
    }
}

void MetaCanvas::bitmap(std::string_view dib, const LogicalRect& dest) {
    const DeviceRect target = mapRect(dest);
    if (dib.size() < 12) return;
    const std::uint32_t headerSize = le32(dib, 0);
    std::uint64_t palette = 0;
    if (headerSize == 12) {
        const unsigned bits = static_cast<unsigned char>(dib[10]);
        palette = bits <= 8 ? (3ull << bits) : 0;
    } else if (headerSize >= 40 && dib.size() >= 40) {
        const unsigned bits = static_cast<unsigned char>(dib[14]);
        const std::uint32_t compression = le32(dib, 16);
        const std::uint32_t used = le32(dib, 32);
        palette = 4ull * (used ? used : bits <= 8 ? (1u << bits) : 0);
        if (headerSize == 40 && compression == 3) palette += 12; // the three colour masks
    } else {
        return;
    }
    const std::uint64_t offset = 14ull + headerSize + palette;
    if (offset - 14 > dib.size() || !painter_) return;
    // A bitmap file is the packed bitmap behind a 14-byte file header.
    std::string file = "BM";
    auto put32 = [&](std::uint64_t v) {
        for (int i = 0; i < 4; ++i)
            file.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    put32(14 + dib.size());
    put32(0);
    put32(offset);
    file.append(dib);
    painter_->drawPicture(file, target);
}

std::optional<DeviceRect> MetaCanvas::extent() const {
    if (!anyPoint_) return std::nullopt;
    return DeviceRect{minX_, minY_, clampInt(static_cast<double>(maxX_) - minX_),
                      clampInt(static_cast<double>(maxY_) - minY_)};
}

} // namespace vorlan::report
