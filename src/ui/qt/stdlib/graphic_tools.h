#pragma once
// The pen, brush and font of a canvas as scripts set them. Enumerations read back as the
// constants scripts compare them with: pen and brush styles as their names (psDash, bsClear, as
// stored forms keep them), the pen mode and the font style as numbers. Each setter takes the
// name or the number; a font style also takes a set as text ("[fsBold]") or as an array.

#include "script/native_object.h"
#include "script/value.h"

#include <QBrush>
#include <QFont>
#include <QPainter>
#include <QPen>

#include <cstdint>
#include <functional>
#include <string>

namespace vorlan::stdlib {

enum PenModeValue : int {
    kPmBlack,
    kPmWhite,
    kPmNop,
    kPmNot,
    kPmCopy,
    kPmNotCopy,
    kPmMergePenNot,
    kPmMaskPenNot,
    kPmMergeNotPen,
    kPmMaskNotPen,
    kPmMerge,
    kPmNotMerge,
    kPmMask,
    kPmNotMask,
    kPmXor,
    kPmNotXor,
};

class PenTool : public script::NativeObject {
public:
    PenTool() : script::NativeObject("TCanvasPen") {}

    std::int32_t color() const { return color_; }
    void setColor(const script::Value& color);
    int width() const { return width_; }
    void setWidth(int width);
    std::string style() const;
    int styleIndex() const { return style_; }
    void setStyle(const script::Value& style);
    int mode() const { return mode_; }
    void setMode(const script::Value& mode);
    // Assign: another pen of a canvas or any object with Color, Width and Style.
    void assign(const script::Value& source);

    // The pen as Qt draws it: thin lines without their last point, dashes only on thin pens.
    QPen qtPen() const;
    // Sets the painter's composition for the pen mode (raster devices only).
    void applyMode(QPainter& painter) const;

private:
    std::int32_t color_ = 0;
    int width_ = 1;
    int style_ = 0;
    int mode_ = kPmCopy;
};

class BrushTool : public script::NativeObject {
public:
    BrushTool() : script::NativeObject("TCanvasBrush") {}

    std::int32_t color() const { return color_; }
    void setColor(const script::Value& color);
    std::string style() const;
    bool clear() const { return style_ == 1; }
    void setStyle(const script::Value& style);
    void assign(const script::Value& source);

    QBrush qtBrush() const;

private:
    std::int32_t color_ = 0xFFFFFF;
    int style_ = 0;
};

class FontTool : public script::NativeObject {
public:
    // `dpi` tells the resolution of the device the font draws on (Height is in its pixels).
    explicit FontTool(std::function<int()> dpi)
        : script::NativeObject("TCanvasFont"), dpi_(std::move(dpi)) {}

    const std::string& name() const { return name_; }
    void setName(std::string name) { name_ = std::move(name); }
    int size() const { return size_; }
    void setSize(int size);
    int height() const;
    void setHeight(int height);
    std::int32_t style() const { return style_; }
    void setStyle(const script::Value& style);
    std::int32_t color() const { return color_; }
    void setColor(const script::Value& color);
    int pixelsPerInch() const { return dpi_(); }
    // Assign: another canvas font or a control's Font (Name, Size, Style, Color).
    void assign(const script::Value& source);

    // The font at the device's resolution.
    QFont qtFont() const;

private:
    std::function<int()> dpi_;
    std::string name_ = "MS Sans Serif";
    int size_ = 8;
    std::int32_t style_ = 0;
    std::int32_t color_ = static_cast<std::int32_t>(0x80000008u); // clWindowText
};

// A set of font styles as a bit mask: a number, a stored set "[fsBold,fsItalic]", or an array
// of style numbers (empty elements, such as the one a Pascal literal ends with, are skipped).
std::int32_t fontStyleMask(const script::Value& value);

} // namespace vorlan::stdlib
