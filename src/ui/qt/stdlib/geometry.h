#pragma once
// TRect and TPoint as scripts pass them: arrays [Left, Top, Right, Bottom] and [X, Y] (what Rect,
// Bounds and Point make), or any object with Left/Top/Right/Bottom or X/Y properties.

#include "script/value.h"
#include "window_models/canvas/canvas_types.h"

#include <vector>

namespace vorlan::stdlib {

script::Value rectValue(int left, int top, int right, int bottom);
script::Value pointValue(int x, int y);

// Throws ScriptException when the value is neither kind of rectangle.
windows::CanvasRect rectOf(const script::Value& value);
windows::CanvasPoint pointOf(const script::Value& value);
// An open array of points; empty elements (the end of a Pascal literal) are skipped.
std::vector<windows::CanvasPoint> pointsOf(const script::Value& value);

} // namespace vorlan::stdlib
