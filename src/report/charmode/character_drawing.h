#pragma once
// A character page drawn with a painter, as a text-only printer would print it: every layer in
// a monospaced font at its pitch (bold for the bold layers), its characters exactly one column
// apart, and the layers of a row over each other. Used where a character-mode run is shown or
// printed on a graphic device.

#include "report/charmode/character_page.h"
#include "report/paint/painter.h"

#include <string>

namespace vorlan::report {

// `scale`: device units per hundredth of an inch.
void drawCharacterPage(Painter& painter, const TZnakovePole& page, double scale,
                       const std::string& fontName = "Courier New");

} // namespace vorlan::report
