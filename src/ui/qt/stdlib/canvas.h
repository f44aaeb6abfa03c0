#pragma once
// TCanvas: drawing with a pen, a brush and a font on a bitmap or a printer page, with the edge
// rules the programs were written for: the right and bottom edges of a rectangle are exclusive,
// a thin line leaves out its last point, and a shape drawn without a pen is one pixel smaller.

#include "script/native_object.h"
#include "script/value.h"
#include "ui/qt/stdlib/graphic_tools.h"
#include "window_models/canvas/canvas_types.h"

#include <QImage>
#include <QPainter>

#include <memory>
#include <string>
#include <vector>

namespace vorlan::stdlib {

// What a canvas draws on.
class CanvasTarget {
public:
    virtual ~CanvasTarget() = default;
    // A painter for one drawing operation; null while there is nothing to draw on (a printer
    // outside a print job). Each begin is followed by one end.
    virtual QPainter* beginPaint() = 0;
    virtual void endPaint() = 0;
    // The device's resolution (fonts are sized in points on it).
    virtual int dpi() const = 0;
    // The pixels when the target is a bitmap; null otherwise.
    virtual QImage* pixels() { return nullptr; }
};

class CanvasObject : public script::NativeObject {
public:
    explicit CanvasObject(CanvasTarget& target);
    ~CanvasObject() override;

    PenTool& pen() { return *pen_; }
    BrushTool& brush() { return *brush_; }
    FontTool& font() { return *font_; }
    CanvasTarget& target() { return target_; }
    // CopyMode: how CopyRect and Draw combine; kept as given (pictures are copied).
    script::Value copyMode{"cmSrcCopy"};

    void moveTo(int x, int y);
    void lineTo(int x, int y);
    windows::CanvasPoint penPos() const { return penPos_; }
    void rectangle(windows::CanvasRect r);
    void ellipse(windows::CanvasRect r);
    void roundRect(windows::CanvasRect r, int cornerWidth, int cornerHeight);
    // Arc, Pie and Chord: the part of the ellipse in `r` from the ray through `start` to the
    // ray through `end`, counter-clockwise; the same ray twice means the whole ellipse.
    enum class ArcShape { Arc, Pie, Chord };
    void arc(ArcShape shape, windows::CanvasRect r, windows::CanvasPoint start,
             windows::CanvasPoint end);
    void polygon(const std::vector<windows::CanvasPoint>& points);
    void polyline(const std::vector<windows::CanvasPoint>& points);
    // The rectangle filled with the brush, no outline.
    void fillRect(windows::CanvasRect r);
    // A one-pixel frame in the brush's colour.
    void frameRect(windows::CanvasRect r);
    // Text with its top-left corner at (x, y) on the brush's background (unless the brush is
    // clear); the pen position moves to the end of the text.
    void textOut(int x, int y, const std::string& text);
    // Text cut to the rectangle, whose background the brush fills first.
    void textRect(windows::CanvasRect r, int x, int y, const std::string& text);
    int textWidth(const std::string& text) const;
    int textHeight(const std::string& text) const;
    // A picture at its own size, or stretched into a rectangle.
    void draw(int x, int y, const QImage& image);
    void stretchDraw(windows::CanvasRect r, const QImage& image);
    // Copies part of another canvas's bitmap, stretched into `destination`.
    void copyRect(windows::CanvasRect destination, CanvasObject& source, windows::CanvasRect from);
    // -1 outside the bitmap and on devices without readable pixels.
    std::int32_t pixel(int x, int y);
    void setPixel(int x, int y, std::int32_t color);

private:
    class Painting;
    CanvasTarget& target_;
    std::unique_ptr<PenTool> pen_;
    std::unique_ptr<BrushTool> brush_;
    std::unique_ptr<FontTool> font_;
    windows::CanvasPoint penPos_;
};

} // namespace vorlan::stdlib
