#pragma once
// The one graphics canvas of the runtime: its picture, the pen, brush and font that persist
// between script calls, the pen position, mouse drawing with a rubber band, loading, saving,
// the clipboard and printing. The pixels live behind PictureSurface; the window is a view.

#include "window_models/canvas/canvas_rules.h"
#include "window_models/canvas/canvas_types.h"
#include "window_models/canvas/picture_surface.h"

#include <string>

namespace vorlan::windows {

// What the canvas asks of its window.
class CanvasView {
public:
    virtual ~CanvasView() = default;
    virtual void showCanvas() = 0;
    virtual void hideCanvas() = 0;
    virtual bool canvasVisible() const = 0;
    virtual void setCanvasGeometry(int left, int top, int width, int height) = 0;
    // The picture changed: show it when the window next paints.
    virtual void pictureChanged() = 0;
    // Paint the whole window now.
    virtual void repaintCanvas() = 0;
    // The size of the picture area: the size a first drawing gives an empty picture.
    virtual CanvasSize imageAreaSize() const = 0;
};

struct CanvasGeometry {
    int left = 337;
    int top = 127;
    int width = 323;
    int height = 277;
};

class Canvas {
public:
    explicit Canvas(PictureSurface& surface);
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    // Window caption and print job title (Windows-1250).
    static std::string caption();

    PictureSurface& surface() { return surface_; }
    void attachView(CanvasView* view) { view_ = view; }
    CanvasView* view() const { return view_; }

    // Window.
    void show();
    void hide();
    bool visible() const;
    void setGeometry(int left, int top, int width, int height);
    const CanvasGeometry& geometry() const { return geometry_; }
    void refresh();

    // Picture.
    CanvasSize pictureSize() const { return surface_.size(); }
    void init(int width, int height);
    void clear();

    // Drawing state.
    CanvasPen& pen() { return pen_; }
    CanvasBrush& brush() { return brush_; }
    CanvasFont& font() { return font_; }
    const CanvasPen& pen() const { return pen_; }
    const CanvasBrush& brush() const { return brush_; }
    const CanvasFont& font() const { return font_; }
    CanvasPoint penPosition() const { return penPosition_; }
    // Style numbers of scripts; numbers out of range are ignored.
    void setPenStyle(int number);
    void setBrushStyle(int number);
    void setFontStyles(int number);

    // Drawing. The first drawing on an empty picture gives it a white bitmap of the picture
    // area's size.
    void moveTo(CanvasPoint to);
    void lineTo(CanvasPoint to);
    void line(CanvasPoint from, CanvasPoint to);
    void point(CanvasPoint at, int size);
    void rectangle(CanvasRect r);
    void ellipse(CanvasRect r);
    void roundRect(CanvasRect r, CanvasSize corner);
    void arc(CanvasRect r, CanvasPoint start, CanvasPoint end);
    void pie(CanvasRect r, CanvasPoint start, CanvasPoint end);
    void triangle(CanvasPoint a, CanvasPoint b, CanvasPoint c);
    void textOut(CanvasPoint at, const std::string& text);
    int textWidth(const std::string& text) const;
    int textHeight(const std::string& text) const;
    // Copy within the picture ANDed with the brush colour (the merge copy).
    void move(CanvasRect source, CanvasRect target);

    // Clipboard.
    void toClipboard();
    void fromClipboard(CanvasRect target);

    // Files by the names scripts use (see pictureFileName). Failures show a message naming the
    // file and give false; the picture stays as it was.
    bool load(const std::string& name);
    bool save(const std::string& name);
    // Files chosen in the window's dialogs: the name is used as given. Loading reports failure
    // with the window's own message; saving lets the failure through to the caller.
    bool loadChosen(const std::string& name);
    void saveChosen(const std::string& name);

    // Prints the picture on the current printer without asking (see printRectangle).
    void print(int x1, int y1, int x2, int y2);

    // Mouse drawing with the current tool: the rubber band is drawn twice in not-xor mode so
    // the picture shows through, and the finished shape once in copy mode.
    void setDrawingTool(DrawingTool tool) { tool_ = tool; }
    DrawingTool drawingTool() const { return tool_; }
    void mouseDown(CanvasPoint at);
    void mouseMove(CanvasPoint at);
    void mouseUp(CanvasPoint at);
    bool dragging() const { return dragging_; }

private:
    void ensureBitmap();
    void changed();
    void drawShape(CanvasPoint from, CanvasPoint to, PenMode mode);
    void reportFileError(const std::string& text, const std::string& name);

    PictureSurface& surface_;
    CanvasView* view_ = nullptr;
    bool visible_ = false;
    CanvasGeometry geometry_;
    CanvasPen pen_;
    CanvasBrush brush_;
    CanvasFont font_;
    CanvasPoint penPosition_;
    DrawingTool tool_ = DrawingTool::Line;
    bool dragging_ = false;
    CanvasPoint dragStart_;
    CanvasPoint dragEnd_;
    bool bandShown_ = false;
};

} // namespace vorlan::windows
