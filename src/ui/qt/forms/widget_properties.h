#pragma once
// The published properties many classes of controls share, answered by what their widget is: a
// frame, an alignment, a case or length limit on a line edit, scroll bars and tab keys of a text
// area, the selection mode and columns of a list, the tabs' side ... A class with a table of its
// own answers first; these come after every control's own properties. Properties nothing on
// Linux draws (HotTrack, IntegralHeight, a button's glyph margin ...) are kept as given, so a
// program reads back what it set and a new control answers the documented default.

#include "ui/qt/forms/property_table.h"

namespace vorlan::forms {

class Control;

const PropertyTable& sharedWidgetProperties();

// A property kept as given, `initial` until set.
PropertyTable::Property<Control> keptProperty(const char* name, script::Value initial);

} // namespace vorlan::forms
