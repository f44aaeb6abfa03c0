#include "ui/qt/stdlib/graphic_tools.h"

#include "core/cp1250.h"
#include "script/comp_wrapper.h"
#include "script/dispatch.h"
#include "ui/qt/canvas/image_picture.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/stdlib/colors.h"
#include "window_models/canvas/canvas_types.h"

#include <QApplication>

#include <algorithm>
#include <array>
#include <cmath>

namespace vorlan::stdlib {

using script::Value;

namespace {

constexpr std::array<const char*, 7> kPenStyles{
    "psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear", "psInsideFrame"};
constexpr std::array<const char*, 8> kBrushStyles{"bsSolid",    "bsClear",     "bsHorizontal",
                                                  "bsVertical", "bsFDiagonal", "bsBDiagonal",
                                                  "bsCross",    "bsDiagCross"};
constexpr std::array<const char*, 16> kPenModes{
    "pmBlack",       "pmWhite",      "pmNop",         "pmNot",        "pmCopy",  "pmNotCopy",
    "pmMergePenNot", "pmMaskPenNot", "pmMergeNotPen", "pmMaskNotPen", "pmMerge", "pmNotMerge",
    "pmMask",        "pmNotMask",    "pmXor",         "pmNotXor"};
constexpr std::array<const char*, 4> kFontStyles{"fsBold", "fsItalic", "fsUnderline",
                                                 "fsStrikeOut"};

// The ordinal of an enumeration value given by name or by number.
template <std::size_t N>
int ordinalOf(const Value& value, const std::array<const char*, N>& names) {
    if (value.isString()) {
        for (std::size_t i = 0; i < N; ++i)
            if (equalsNoCase(names[i], value.asString())) return static_cast<int>(i);
        throw script::ScriptException(czech("Neplatná hodnota vlastnosti: ") + value.asString());
    }
    const std::int32_t n = value.toInt();
    if (n < 0 || static_cast<std::size_t>(n) >= N)
        throw script::ScriptException(czech("Neplatná hodnota vlastnosti: ") + std::to_string(n));
    return n;
}

// Reads a property of any script object; false when it has none.
bool readMember(const Value& object, std::string_view name, Value& out) {
    const script::ObjectRef target = object.toObject();
    if (!target) return false;
    script::ExceptionInfo error;
    return script::invokeByName(*target, name, script::InvokeGet, {}, out, error) ==
           script::DispStatus::Ok;
}

int mulDiv(int number, int numerator, int denominator) {
    return static_cast<int>(
        std::lround(static_cast<double>(number) * numerator / std::max(denominator, 1)));
}

} // namespace

// ---- pen

void PenTool::setColor(const Value& color) {
    color_ = colorOfValue(color);
}

void PenTool::setWidth(int width) {
    width_ = std::max(width, 0);
}

std::string PenTool::style() const {
    return kPenStyles[static_cast<std::size_t>(style_)];
}

void PenTool::setStyle(const Value& style) {
    style_ = ordinalOf(style, kPenStyles);
}

void PenTool::setMode(const Value& mode) {
    mode_ = ordinalOf(mode, kPenModes);
}

void PenTool::assign(const Value& source) {
    if (auto* pen = script::nativeAs<PenTool>(source)) {
        color_ = pen->color_;
        width_ = pen->width_;
        style_ = pen->style_;
        mode_ = pen->mode_;
        return;
    }
    Value v;
    if (readMember(source, "Color", v)) setColor(v);
    if (readMember(source, "Width", v)) setWidth(v.toInt());
    if (readMember(source, "Style", v)) setStyle(v);
}

QPen PenTool::qtPen() const {
    windows::CanvasPen pen;
    pen.color = colorToRgb(color_) & 0xFFFFFF;
    pen.width = width_;
    // An inside-frame pen draws as a solid one.
    pen.style = style_ == 6 ? windows::PenStyle::Solid : static_cast<windows::PenStyle>(style_);
    return qt::qtPenOf(pen);
}

void PenTool::applyMode(QPainter& painter) const {
    static constexpr std::array<QPainter::CompositionMode, 16> modes{
        QPainter::RasterOp_ClearDestination,       QPainter::RasterOp_SetDestination,
        QPainter::CompositionMode_Destination,     QPainter::RasterOp_NotDestination,
        QPainter::CompositionMode_SourceOver,      QPainter::RasterOp_NotSource,
        QPainter::RasterOp_SourceOrNotDestination, QPainter::RasterOp_SourceAndNotDestination,
        QPainter::RasterOp_NotSourceOrDestination, QPainter::RasterOp_NotSourceAndDestination,
        QPainter::RasterOp_SourceOrDestination,    QPainter::RasterOp_NotSourceAndNotDestination,
        QPainter::RasterOp_SourceAndDestination,   QPainter::RasterOp_NotSourceOrNotDestination,
        QPainter::RasterOp_SourceXorDestination,   QPainter::RasterOp_NotSourceXorDestination,
    };
    painter.setCompositionMode(modes[static_cast<std::size_t>(mode_)]);
}

// ---- brush

void BrushTool::setColor(const Value& color) {
    color_ = colorOfValue(color);
}

std::string BrushTool::style() const {
    return kBrushStyles[static_cast<std::size_t>(style_)];
}

void BrushTool::setStyle(const Value& style) {
    style_ = ordinalOf(style, kBrushStyles);
}

void BrushTool::assign(const Value& source) {
    if (auto* brush = script::nativeAs<BrushTool>(source)) {
        color_ = brush->color_;
        style_ = brush->style_;
        return;
    }
    Value v;
    if (readMember(source, "Color", v)) setColor(v);
    if (readMember(source, "Style", v)) setStyle(v);
}

QBrush BrushTool::qtBrush() const {
    windows::CanvasBrush brush;
    brush.color = colorToRgb(color_) & 0xFFFFFF;
    brush.style = static_cast<windows::BrushStyle>(style_);
    return qt::qtBrushOf(brush);
}

// ---- font

std::int32_t fontStyleMask(const Value& value) {
    std::int32_t mask = 0;
    auto addName = [&](std::string_view name) {
        for (std::size_t i = 0; i < kFontStyles.size(); ++i)
            if (equalsNoCase(kFontStyles[i], name)) mask |= 1 << i;
    };
    if (value.isArray()) {
        for (const Value& item : value.asArray()->items()) {
            if (item.isEmpty() || item.isNull()) continue;
            if (item.isString()) {
                addName(item.asString());
            } else {
                const std::int32_t bit = item.toInt();
                if (bit >= 0 && bit < 4) mask |= 1 << bit;
            }
        }
        return mask;
    }
    if (value.isString()) {
        std::string name;
        for (char c : value.asString() + ",") {
            if (c == '[' || c == ']' || c == ' ') continue;
            if (c == ',') {
                addName(name);
                name.clear();
            } else {
                name += c;
            }
        }
        return mask;
    }
    return value.toInt() & 0xF;
}

void FontTool::setSize(int size) {
    size_ = std::max(size, 1);
}

int FontTool::height() const {
    return -mulDiv(size_, dpi_(), 72);
}

void FontTool::setHeight(int height) {
    // A negative height is the character's, a positive one the whole cell's (about a fifth more).
    const int character = height < 0 ? -height : height * 4 / 5;
    size_ = std::max(1, mulDiv(character, 72, dpi_()));
}

void FontTool::setStyle(const Value& style) {
    style_ = fontStyleMask(style);
}

void FontTool::setColor(const Value& color) {
    color_ = colorOfValue(color);
}

void FontTool::assign(const Value& source) {
    if (auto* font = script::nativeAs<FontTool>(source)) {
        name_ = font->name_;
        size_ = font->size_;
        style_ = font->style_;
        color_ = font->color_;
        return;
    }
    Value v;
    if (readMember(source, "Name", v) && !v.toString().empty()) name_ = v.toString();
    if (readMember(source, "Size", v) && v.toInt() > 0) setSize(v.toInt());
    if (readMember(source, "Style", v)) setStyle(v);
    if (readMember(source, "Color", v)) setColor(v);
}

QFont FontTool::qtFont() const {
    QFont font = QApplication::font();
    if (!name_.empty()) font.setFamily(qt::fromEngine(name_));
    font.setPixelSize(std::max(1, -height()));
    font.setBold(style_ & 1);
    font.setItalic(style_ & 2);
    font.setUnderline(style_ & 4);
    font.setStrikeOut(style_ & 8);
    return font;
}

} // namespace vorlan::stdlib
