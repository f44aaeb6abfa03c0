#pragma once
// How the output elements of a page land on a character page. A text element goes to the row
// of its top edge and to the column of its left edge in its own pitch (chosen by its font size),
// in the bold or normal layer by its font; a text of several lines (line ends, word wrap, a
// laid-out memo) takes the following rows. Lines, frames, shapes and pictures have no place on
// a character page.

#include "report/charmode/character_page.h"
#include "report/output/output_model.h"

#include <string>
#include <vector>

namespace vorlan::report {

// The lines an element prints in character mode, `columns` wide for word wrap: a laid-out
// memo's own lines, or the element's text (the plain text of its RTF source when it has one)
// broken at line ends and, when the element wraps, at blanks. Tabs become blanks up to the
// next half-inch column stop.
std::vector<std::string> characterLines(const TVystPrvek& element, int columns, int pitch);

// Places one element; elements that print nothing in character mode are skipped.
void placeElement(TZnakovePole& page, const TVystPrvek& element);

} // namespace vorlan::report
