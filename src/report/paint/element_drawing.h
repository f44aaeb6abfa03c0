#pragma once
// How one output element is drawn at a scale: text elements with their font, alignment and
// frame; lines, rectangles, rounded rectangles and ellipses with their pen and fill; pictures
// stretched, proportional or at their own size. Positions are hundredths of an inch; the scale
// turns them into device units (6.0 gives 600 units per inch).

#include "report/output/output_model.h"
#include "report/paint/painter.h"

#include <functional>
#include <string_view>

namespace vorlan::report {

// Scales a position or size and rounds it to whole device units.
int scaled(double value, double scale);
DeviceRect scaledRect(int left, int top, int width, int height, double scale);

// The font of a text element at a scale: points become device units.
PaintFont scaledFont(const ReportFont& font, double scale);

// The pen of lines, shapes and frames at a scale.
PaintPen elementPen(const TPrvekSestavy& element, double scale);

// Draws rich text (a memo flagged as RTF) into a rectangle. Installed by whoever reads RTF;
// until then the element's plain text is drawn.
using RichTextDrawer = std::function<void(Painter&, const DeviceRect&, std::string_view rtf,
                                          double scale, int firstLine, int lineCount)>;
void setRichTextDrawer(RichTextDrawer drawer);

void drawElement(Painter& painter, const TVystPrvek& element, double scale);

// The rectangle a picture of `size` pixels takes in `target` by the element's line flags:
// proportional fits it keeping the aspect ratio, stretched fills it, otherwise the picture keeps
// its own size at one pixel per hundredth of an inch (clipped to the element).
DeviceRect pictureRect(const DeviceRect& target, PictureSize size, std::int32_t lineFlags,
                       double scale);

} // namespace vorlan::report
