#pragma once
// Windows metafiles (.WMF) and enhanced metafiles (.EMF) as report pictures: the picture's own
// size and its records played onto a painter, stretched into a rectangle. The common records
// are drawn: pens, brushes and fonts with the object table, lines, polylines, polygons (and the
// enhanced kind's curves), rectangles, rounded rectangles, ellipses, text, stretched
// device-independent bitmaps, and the window (and viewport) mapping with saved and restored
// states. Others are passed over.

#include "report/paint/emf_records.h"
#include "report/paint/painter.h"
#include "report/paint/wmf_records.h"

#include <functional>
#include <string>
#include <string_view>

namespace vorlan::report {

// True when the data begin like a metafile; the painter's own image readers do not get them.
bool isMetafile(std::string_view data);

// The picture's size in pixels at 96 per inch (placeable files and enhanced ones with a frame),
// or its logical extent. Throws MetafileError.
PictureSize metafileSize(std::string_view data);

// Draws the picture stretched into `target`. The whole file is read before anything is drawn,
// so a damaged one throws MetafileError and leaves the painter untouched.
void drawMetafile(Painter& painter, std::string_view data, const DeviceRect& target);

// Where a damaged picture is reported (Windows-1250 text); standard error by default.
void setPictureWarningSink(std::function<void(const std::string&)> sink);
void warnAboutPicture(const std::string& text);

} // namespace vorlan::report
