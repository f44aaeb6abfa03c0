#pragma once
// The small pictures on the canvas window's buttons.

#include "window_models/canvas/canvas_types.h"

#include <QIcon>

namespace vorlan::qt::canvas_glyphs {

QIcon newPicture();
QIcon openPicture();
QIcon savePicture();
QIcon printPicture();
QIcon font();
QIcon tool(windows::DrawingTool tool);
QIcon brushBar();
QIcon penBar();
QIcon brushStyle(windows::BrushStyle style);
QIcon penStyle(windows::PenStyle style);
QIcon colorSwatch(std::int32_t color);

} // namespace vorlan::qt::canvas_glyphs
