#pragma once
// The drawing state that metafile records change, and the drawing they ask for, shared by the
// players of both metafile kinds: the object table, pens, brushes and fonts, saved states, text
// colour and alignment, the current position and the mapping of logical units onto the target
// rectangle. Without a painter the canvas draws nothing and only notes the first window set and
// the extent of what would have been drawn, so one reading pass finds a picture's frame and
// every damaged record before anything reaches the painter.

#include "report/paint/painter.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace vorlan::report {

struct LogicalPoint {
    int x = 0;
    int y = 0;
};

// Left, top, right and bottom in logical units, in any order.
struct LogicalRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

struct LogicalPen {
    std::int32_t style = kPenSolid;
    int width = 0; // logical; 0 is one device unit
    std::uint32_t colour = 0;
};

struct LogicalFont {
    int height = 0; // below zero: the character height; above: the cell; 0: the default
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    int charset = 1;
    std::string face; // Windows-1250
};

// What an object-table slot holds; objects a picture does not draw with are Unused.
struct UnusedObject {};
using MetaObject = std::variant<UnusedObject, LogicalPen, PaintBrush, LogicalFont>;

// Text alignment flags of the records.
enum MetaTextAlign : int {
    kTextAlignUpdateCp = 1,
    kTextAlignRight = 2,
    kTextAlignCenter = 6,
    kTextAlignHorizontal = 6,
    kTextAlignBottom = 8,
    kTextAlignBaseline = 24,
    kTextAlignVertical = 24,
};

class MetaCanvas {
public:
    // `frame`: the logical (or, with a viewport, reference-device) rectangle that fills `target`.
    MetaCanvas(Painter* painter, const DeviceRect& target, const DeviceRect& frame);

    // The window follows the frame (the older kind: setting the window reframes the picture),
    // or window and viewport map logical units onto a fixed frame (the enhanced kind; the
    // extents count only in the scaling map modes).
    void setWindowIsFrame(bool on);
    void setScalingMapMode(bool on) { state_.scaling = on; }
    void setWindowOrg(int x, int y);
    void setWindowExt(int width, int height);
    void setViewportOrg(int x, int y);
    void setViewportExt(int width, int height);

    // The object table: a new object takes the lowest free slot (or the one named).
    void reserveSlots(std::size_t count);
    void addObject(MetaObject object);
    void putObject(std::size_t index, MetaObject object);
    void selectObject(std::size_t index);
    void deleteObject(std::size_t index);
    void selectPen(const LogicalPen& pen);
    void selectBrush(const PaintBrush& brush);
    void selectFont(const LogicalFont& font);

    void saveState();
    // Below zero: that many states back; above: the n-th saved state; others are ignored.
    void restoreState(int which);
    void setTextColour(std::uint32_t colour) { state_.textColour = colour & 0xFFFFFF; }
    void setTextAlign(int align) { state_.textAlign = align; }

    LogicalPoint position() const { return {state_.x, state_.y}; }
    void moveTo(int x, int y);
    void lineTo(int x, int y);
    void rectangle(const LogicalRect& rect);
    void ellipse(const LogicalRect& rect);
    void roundRectangle(const LogicalRect& rect, int cornerWidth, int cornerHeight);
    void polyline(const std::vector<LogicalPoint>& points);
    void polygon(const std::vector<LogicalPoint>& points);
    void polyPolygon(const std::vector<std::vector<LogicalPoint>>& polygons);
    // Windows-1250 text at a logical point, placed by the alignment.
    void text(int x, int y, std::string_view text);
    // A packed device-independent bitmap (header, colours, pixels) stretched over `dest`.
    void bitmap(std::string_view dib, const LogicalRect& dest);

    // What a reading pass found.
    std::optional<DeviceRect> firstWindow() const { return firstWindow_; }
    std::optional<DeviceRect> extent() const;

private:
    struct State {
        LogicalPen pen;
        PaintBrush brush;
        LogicalFont font;
        std::uint32_t textColour = 0;
        int textAlign = 0;
        bool scaling = false;
        int windowX = 0, windowY = 0, windowWidth = 1, windowHeight = 1;
        int viewportX = 0, viewportY = 0, viewportWidth = 1, viewportHeight = 1;
        int x = 0, y = 0;
    };

    double scaleX() const;
    double scaleY() const;
    DevicePoint map(int x, int y);
    DeviceRect mapRect(const LogicalRect& rect);
    std::vector<DevicePoint> mapAll(const std::vector<LogicalPoint>& points);
    void applyPen();
    void applyBrush();
    void applyFont();
    void noteWindow();

    Painter* painter_;
    DeviceRect target_;
    DeviceRect frame_;
    bool windowIsFrame_ = true;
    bool windowExtSet_ = false;
    State state_;
    std::vector<State> saved_;
    std::vector<std::optional<MetaObject>> objects_;
    std::optional<DeviceRect> firstWindow_;
    bool anyPoint_ = false;
    int minX_ = 0, minY_ = 0, maxX_ = 0, maxY_ = 0;
};

} // namespace vorlan::report
