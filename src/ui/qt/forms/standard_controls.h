#pragma once
// The standard controls: labels, buttons, check boxes and radio buttons, edits, memos, panels,
// group boxes, radio groups, list and combo boxes. Their classes and default sizes are in
// standardControlClasses().

#include "ui/qt/forms/control.h"
#include "ui/qt/forms/form_class.h"

#include <span>

namespace vorlan::forms {

// TLabel, TButton, TEdit, TCheckBox ... with their ancestors, TStrings and TFont.
std::span<const FormClass> standardControlClasses();

} // namespace vorlan::forms
