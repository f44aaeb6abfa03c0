#pragma once
// The arithmetic and naming rules of the canvas operations, kept apart so they can be checked
// without pixels.

#include "window_models/canvas/canvas_types.h"

#include <optional>
#include <string>
#include <string_view>

namespace vorlan::windows {

// A style number of a script; nothing for numbers outside the list, which leave the style alone.
std::optional<PenStyle> penStyleOf(int number);
std::optional<BrushStyle> brushStyleOf(int number);
// Font style bits 0..15; nothing otherwise.
std::optional<int> fontStylesOf(int number);

// The file a picture name of a script stands for (Windows-1250, program path): upper case, and
// ".BMP" appended unless the name contains ".BMP" or already ends in a picture extension the
// canvas writes (".PNG", ".JPG", ".JPEG").
std::string pictureFileName(std::string_view name);

struct PrinterMetrics {
    int pageWidth = 0; // printable area, printer pixels
    int pageHeight = 0;
    int dotsPerInchX = 0;
    int dotsPerInchY = 0;
};

// Where ImagePrint puts the picture. When the four numbers add up to 0 the rectangle is chosen:
// one inch from the left, top and right edges, as tall as the picture's aspect ratio asks, and
// shrunk (keeping the ratio) where that would run past a one-inch bottom margin. Otherwise the
// numbers are the rectangle. Nothing for an empty picture, which prints nothing.
std::optional<CanvasRect> printRectangle(int x1, int y1, int x2, int y2, CanvasSize picture,
                                         const PrinterMetrics& printer);

// The corner ellipse of a rounded rectangle dragged with the mouse from `from` to `to`: half the
// drag, truncated towards zero (negative when dragged up or to the left).
CanvasSize dragCorner(CanvasPoint from, CanvasPoint to);

} // namespace vorlan::windows
