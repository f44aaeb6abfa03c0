#pragma once
// The raster a report is laid out on: the graphic raster (any step in hundredths of an inch) or
// the character raster of a text printer, whose cells follow from the line spacing and pitch.

#include "report/model.h"

namespace vorlan::report {

// Cell width for a pitch choice (0: 10 characters per inch, 1: 12, 2: 17) and cell height for
// a line spacing choice (0: 6 lines per inch, 1: 4, 2: 3), hundredths of an inch; choices
// outside the lists count as the defaults (12 characters, 6 lines).
float characterCellWidth(std::int32_t pitch);
float characterCellHeight(std::int32_t lineSpacing);

// A graphic raster of `rasterX` × `rasterY` (values below 1 become 8).
void setGraphicRaster(TSestavaTyp& report, std::int32_t rasterX, std::int32_t rasterY);
// A character raster: the cells from the choices, the raster their whole parts.
void setCharacterRaster(TSestavaTyp& report, std::int32_t lineSpacing, std::int32_t pitch);

} // namespace vorlan::report
