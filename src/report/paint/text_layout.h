#pragma once
// Lines of a text element: where a text breaks (line ends, word wrap) and how each line is
// placed (left, right, centre, justified, character spacing). Used for drawing and for
// measuring how tall a growing memo becomes.

#include "report/paint/painter.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vorlan::report {

struct TextLine {
    std::string text;
    // The last line of a paragraph (before a line end or at the end of the text): a justified
    // text leaves it ragged.
    bool paragraphEnd = true;
};

using MeasureText = std::function<double(std::string_view)>;

// Breaks `text` at CR LF, LF or CR; with `wordWrap` also at blanks so that every line fits in
// `width` (a word wider than the box is broken between characters). Blanks at a wrap point
// disappear.
std::vector<TextLine> breakLines(std::string_view text, double width, bool wordWrap,
                                 const MeasureText& measure);

struct TextBlockStyle {
    std::uint8_t alignment = 0; // 0 left, 1 right, 2 centre
    bool wordWrap = false;
    bool justify = false;
    double spacing = 0; // device units after every character
};

// Draws one line at height `y` of `rect` by the alignment; `fill` spreads its words over the
// whole width (a justified line that does not end its paragraph).
void drawTextLine(Painter& painter, const DeviceRect& rect, double y, std::string_view line,
                  const TextBlockStyle& style, bool fill);

// Draws the lines [firstLine, firstLine + lineCount) of `text` in `rect`, top aligned and
// clipped to it, in the painter's current font. A negative `lineCount` draws them all.
void drawTextBlock(Painter& painter, const DeviceRect& rect, std::string_view text,
                   const TextBlockStyle& style, int firstLine = 0, int lineCount = -1);

} // namespace vorlan::report
