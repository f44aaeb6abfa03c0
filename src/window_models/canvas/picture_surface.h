#pragma once
// The pixels of the canvas picture and what can be done to them. The canvas keeps the drawing
// state and the rules of the script operations; the window toolkit does the rasterising behind
// this interface (and tests substitute a recorder).

#include "window_models/canvas/canvas_types.h"

#include <filesystem>
#include <memory>
#include <span>
#include <string>

namespace vorlan::windows {

// One print job of the picture. The metrics are those of the printable area in printer pixels.
class PicturePrintJob {
public:
    virtual ~PicturePrintJob() = default;
    virtual int pageWidth() const = 0;
    virtual int pageHeight() const = 0;
    virtual int dotsPerInchX() const = 0;
    virtual int dotsPerInchY() const = 0;
    // Draws the picture stretched into `target` (printer pixels).
    virtual void drawPicture(const CanvasRect& target) = 0;
    // Ends the job; throws std::runtime_error when the device fails.
    virtual void finish() = 0;
};

// Rectangles follow the drawing rules the programs were written for: the right and
// bottom edges are exclusive, and a line leaves out its last point.
class PictureSurface {
public:
    virtual ~PictureSurface() = default;

    // 0 × 0 while there is no bitmap.
    virtual CanvasSize size() const = 0;
    // A new white bitmap; a size of 0 in either direction leaves no bitmap.
    virtual void reset(CanvasSize size) = 0;

    virtual void line(const CanvasPen& pen, CanvasPoint from, CanvasPoint to) = 0;
    virtual void rectangle(const CanvasPen& pen, const CanvasBrush& brush, CanvasRect r) = 0;
    virtual void ellipse(const CanvasPen& pen, const CanvasBrush& brush, CanvasRect r) = 0;
    virtual void roundRect(const CanvasPen& pen, const CanvasBrush& brush, CanvasRect r,
                           CanvasSize corner) = 0;
    // Counter-clockwise from the ray through `start` to the ray through `end`.
    virtual void arc(const CanvasPen& pen, CanvasRect r, CanvasPoint start, CanvasPoint end) = 0;
    virtual void pie(const CanvasPen& pen, const CanvasBrush& brush, CanvasRect r,
                     CanvasPoint start, CanvasPoint end) = 0;
    virtual void polygon(const CanvasPen& pen, const CanvasBrush& brush,
                         std::span<const CanvasPoint> points) = 0;
    // Text (Windows-1250) with its top-left corner at `at`; the background is painted with the
    // brush unless the brush is clear.
    virtual void text(const CanvasFont& font, const CanvasBrush& brush, CanvasPoint at,
                      const std::string& text) = 0;
    virtual CanvasSize textExtent(const CanvasFont& font, const std::string& text) const = 0;

    // Copies `source` of the picture onto `target`, stretched (mirrored when one of the two has
    // negative extent). With `mergeBrush` each copied pixel is ANDed with the brush colour.
    virtual void copyRect(CanvasRect source, CanvasRect target, const CanvasBrush* mergeBrush) = 0;

    virtual void copyToClipboard() const = 0;
    virtual bool clipboardHasBitmap() const = 0;
    // Draws the clipboard's bitmap cut to `target`'s size at its top-left corner; false (and
    // nothing drawn) when the clipboard holds no bitmap.
    virtual bool pasteFromClipboard(CanvasRect target) = 0;

    // Replace the picture from a file, or write it; the format follows the file's extension
    // (BMP when it is not one the toolkit knows). Both throw std::runtime_error on failure and
    // leave the picture as it was.
    virtual void load(const std::filesystem::path& file) = 0;
    virtual void save(const std::filesystem::path& file) const = 0;

    // Null when the job is discarded (headless runs without a print destination). Throws
    // std::runtime_error when there is no printer.
    virtual std::unique_ptr<PicturePrintJob> startPrint(const std::string& title) = 0;
};

} // namespace vorlan::windows
