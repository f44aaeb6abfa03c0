#pragma once
// Drawing a whole output page: every element at one scale, in the order the run placed them.

#include "report/output/output_model.h"
#include "report/paint/painter.h"

namespace vorlan::report {

// The scale of the printer's page drawing: 600 device units per inch.
inline constexpr double kPageDrawingScale = 6.0;

// Draws page `index` (from 0) of `output`; a page that does not exist draws nothing. Stops early
// when the output's cancel flag is set. Returns the number of elements drawn.
int drawPage(Painter& painter, const TSestVystup& output, int index, double scale);

// The size of a page drawing at a scale: the printable area of the paper.
DeviceRect pageSurface(const PaperSettings& paper, double scale);

} // namespace vorlan::report
