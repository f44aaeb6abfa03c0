#pragma once
// What a report page is drawn on: the printer, a PDF file, the preview, a picture. The report
// layer decides where everything goes (in device units, already scaled); a painter only draws.
// The Qt front end implements it; tests use a recording painter.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorlan::report {

// A rectangle in device units.
struct DeviceRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int right() const { return left + width; }
    int bottom() const { return top + height; }
    bool operator==(const DeviceRect&) const = default;
};

// Pen styles as the templates number them.
enum PenStyle : std::int32_t {
    kPenSolid = 0,
    kPenDash = 1,
    kPenDot = 2,
    kPenDashDot = 3,
    kPenDashDotDot = 4,
    kPenClear = 5,
    kPenInsideFrame = 6, // drawn solid
};

// Fill styles as the templates number them.
enum BrushStyle : std::int32_t {
    kBrushSolid = 0,
    kBrushClear = 1,
    kBrushHorizontal = 2,
    kBrushVertical = 3,
    kBrushForwardDiagonal = 4,
    kBrushBackwardDiagonal = 5,
    kBrushCross = 6,
    kBrushDiagonalCross = 7,
};

struct PaintPen {
    std::uint32_t colour = 0; // $BBGGRR
    int width = 1;            // device units
    std::int32_t style = kPenSolid;
    bool operator==(const PaintPen&) const = default;
};

struct PaintBrush {
    std::uint32_t colour = 0xFFFFFF;
    std::int32_t style = kBrushSolid;
    bool operator==(const PaintBrush&) const = default;
};

struct PaintFont {
    std::string name;         // Windows-1250
    double pixelHeight = 0;   // the em height in device units
    std::int32_t style = 0;   // bold 1, italic 2, underline 4, strike-out 8
    std::uint32_t colour = 0; // $BBGGRR
    std::int32_t charset = 1;
    bool operator==(const PaintFont&) const = default;
};

// A point in device units.
struct DevicePoint {
    int x = 0;
    int y = 0;
    bool operator==(const DevicePoint&) const = default;
};

struct PictureSize {
    int width = 0; // pixels
    int height = 0;
};

class Painter {
public:
    virtual ~Painter() = default;

    virtual void setPen(const PaintPen& pen) = 0;
    virtual void setBrush(const PaintBrush& brush) = 0;
    virtual void setFont(const PaintFont& font) = 0;

    // Text measurement in the current font, device units. `spacing` is added after every
    // character.
    virtual double textWidth(std::string_view text, double spacing = 0) = 0;
    // Distance between two baselines of the current font, and the part above the baseline.
    virtual double lineHeight() = 0;
    virtual double ascent() = 0;

    // One line of Windows-1250 text; (x, y) is the top left of the line box.
    virtual void drawText(double x, double y, std::string_view text, double spacing = 0) = 0;

    virtual void drawLine(int x1, int y1, int x2, int y2) = 0;
    // Outlined with the pen and filled with the brush; the rectangle's right and bottom edges
    // are exclusive, as the shapes of the report elements expect.
    virtual void drawRectangle(const DeviceRect& rect) = 0;
    virtual void drawRoundRectangle(const DeviceRect& rect, int cornerWidth, int cornerHeight) = 0;
    virtual void drawEllipse(const DeviceRect& rect) = 0;
    // Open lines through the points with the pen; a closed shape outlined with the pen and
    // filled with the brush (alternate filling). Painters that cannot fill draw the outline.
    virtual void drawPolyline(const std::vector<DevicePoint>& points) {
        for (std::size_t i = 1; i < points.size(); ++i)
            drawLine(points[i - 1].x, points[i - 1].y, points[i].x, points[i].y);
    }
    virtual void drawPolygon(const std::vector<DevicePoint>& points) {
        drawPolyline(points);
        if (points.size() > 2)
            drawLine(points.back().x, points.back().y, points.front().x, points.front().y);
    }
    // Several closed shapes filled as one, so a shape inside another is a hole.
    virtual void drawPolyPolygon(const std::vector<std::vector<DevicePoint>>& polygons) {
        for (const auto& polygon : polygons)
            drawPolygon(polygon);
    }

    // A picture given by its file contents (any format the painter can read). The size is
    // nothing when the data cannot be read.
    virtual std::optional<PictureSize> pictureSize(std::string_view data) = 0;
    // Stretched into `target`.
    virtual void drawPicture(std::string_view data, const DeviceRect& target) = 0;

    // Drawing outside the clip rectangle is discarded until clearClip().
    virtual void setClip(const DeviceRect& rect) = 0;
    virtual void clearClip() = 0;
};

} // namespace vorlan::report
