#pragma once
// Lays rich text out in an element's rectangle and draws it through a painter: word wrap at
// blanks (a word wider than the line is broken between characters), tab stops every half inch,
// paragraph indents, left, right, centred and justified paragraphs, and runs of different fonts
// on one line sharing a baseline.
//
// Device units throughout; `scale` is the number of device units per hundredth of an inch (the
// scale of the page drawing), used for font sizes, indents and tab stops.

#include "report/model.h"
#include "report/paint/painter.h"
#include "report/rtf/rtf_document.h"

#include <string>
#include <string_view>
#include <vector>

namespace vorlan::report {

struct RichTextPiece {
    std::string text;
    PaintFont font;
    double x = 0; // from the start of the line's text, before alignment
    double width = 0;
    double ascent = 0;
    bool blank = false; // blanks between words: a justified line widens them
};

struct RichTextLine {
    std::vector<RichTextPiece> pieces;
    double indent = 0;    // from the rectangle's left edge
    double available = 0; // the width the line may fill
    double width = 0;     // the text's width, trailing blanks left out
    double height = 0;
    double ascent = 0;
    RtfAlignment alignment = RtfAlignment::Left;
    bool paragraphEnd = true; // a justified paragraph leaves its last line ragged
    // Pieces before this index stand before the line's last tab and keep their place.
    std::size_t justifyFrom = 0;
};

struct RichTextLayout {
    std::vector<RichTextLine> lines;
    // The height of lines [first, first + count); a negative count means to the end.
    double height(int first = 0, int count = -1) const;
};

// The font of a run: what the run states over the element's font `base`. A run without any
// format of its own (text that was not RTF) is drawn in the element's font as it is.
PaintFont richTextFont(const RtfCharFormat& format, const PaintFont& base, double scale);

// Measures with `measurer` (its font is changed).
RichTextLayout layoutRichText(Painter& measurer, const RtfDocument& document, double width,
                              const PaintFont& base, double scale);

// Draws lines [firstLine, firstLine + lineCount) top aligned in `rect`, clipped to it.
void drawRichText(Painter& painter, const DeviceRect& rect, const RichTextLayout& layout,
                  int firstLine = 0, int lineCount = -1);

// Reads `rtf`, lays it out to the rectangle's width and draws it.
void drawRichText(Painter& painter, const DeviceRect& rect, std::string_view rtf,
                  const PaintFont& base, double scale, int firstLine = 0, int lineCount = -1);

// Makes the page drawing draw elements flagged as RTF with this layout. The drawer is not
// handed the element's font, so text without a font or size of its own is drawn in `base`
// at the page's scale.
void installRichTextDrawer(const ReportFont& base = ReportFont{});

} // namespace vorlan::report
