#pragma once
// A field's value as data-aware controls show it to the user.

#include "data/data_set.h"

#include <string>

namespace vorlan::forms {

// The field's display text with numbers written as the format settings say (the decimal
// separator, a comma on Czech systems); other types as the field shows them. Controls read the
// text back in either form.
std::string shownFieldText(const data::Field& field);

// A number text of the engine ("-1234.50") with the decimal separator of the format settings.
std::string withDecimalSeparator(std::string number);

} // namespace vorlan::forms
