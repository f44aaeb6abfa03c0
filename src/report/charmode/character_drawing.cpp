#include "report/charmode/character_drawing.h"

#include "report/model.h"

#include <algorithm>

namespace vorlan::report {

void drawCharacterPage(Painter& painter, const TZnakovePole& page, double scale,
                       const std::string& fontName) {
    const double rowHeight = 100.0 / page.linesPerInch() * scale;
    for (int r = 0; r < page.rowCount(); ++r) {
        const TZnakovyRadek& row = page.row(r);
        for (int l = 0; l < TZnakovyRadek::kLayers; ++l) {
            const std::string& text = row.layer(l);
            if (text.empty()) continue;
            const double column = 100.0 / charactersPerInch(l / 8) * scale;
            PaintFont font;
            font.name = fontName;
            // A monospaced character is about 0.6 of its height wide; the row bounds it too.
            font.pixelHeight = std::max(1.0, std::min(rowHeight * 0.9, column / 0.6));
            font.style = (l & 1) ? kFontBold : 0;
            painter.setFont(font);
            // Whatever the font's own width, every character takes one column.
            const double spacing = column - painter.textWidth("M");
            painter.drawText(0, r * rowHeight, text, spacing);
        }
    }
}

} // namespace vorlan::report
