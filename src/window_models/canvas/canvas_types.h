#pragma once
// The drawing state of the graphics canvas as scripts set it: pen, brush and font, and the
// geometry the drawing operations take. Plain values, no window toolkit.

#include <cstdint>
#include <string>

namespace vorlan::windows {

struct CanvasPoint {
    int x = 0;
    int y = 0;
    bool operator==(const CanvasPoint&) const = default;
};

// Corners as scripts give them: (left, top) and (right, bottom), right and bottom exclusive,
// either pair may be the larger one.
struct CanvasRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const CanvasRect&) const = default;
};

struct CanvasSize {
    int width = 0;
    int height = 0;
    bool operator==(const CanvasSize&) const = default;
};

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    bool operator==(const Rgb&) const = default;
};

// A colour value of the scripts: $00BBGGRR, red in the low byte. Values with the high bit set
// name colours of the desktop scheme (button face, window text ...); they become the classic
// scheme's colours so pictures look the same on every desktop.
Rgb rgbOfColor(std::int32_t color);

// Numbered as scripts number them.
enum class PenStyle { Solid, Dash, Dot, DashDot, DashDotDot, Clear };
enum class BrushStyle {
    Solid,
    Clear,
    Horizontal,
    Vertical,
    FDiagonal,
    BDiagonal,
    Cross,
    DiagCross
};
// How the pen combines with the picture: plain copy, or the inverted exclusive or that mouse
// drawing uses for its rubber band (drawing the same shape twice restores the picture).
enum class PenMode { Copy, NotXor };

struct CanvasPen {
    std::int32_t color = 0x000000;
    int width = 1;
    PenStyle style = PenStyle::Solid;
    PenMode mode = PenMode::Copy;
};

struct CanvasBrush {
    std::int32_t color = 0xFFFFFF;
    BrushStyle style = BrushStyle::Solid;
};

// Font style bits as scripts combine them.
enum FontStyleBit : int { FontBold = 1, FontItalic = 2, FontUnderline = 4, FontStrikeOut = 8 };

struct CanvasFont {
    // Windows-1250; empty means the desktop's ordinary proportional font.
    std::string name;
    int size = 8; // points
    int styles = 0;
    std::int32_t color = 0x000000;
};

// The shape the mouse draws, in the order of the tool buttons.
enum class DrawingTool { Line, Rectangle, Ellipse, RoundRect };

} // namespace vorlan::windows
