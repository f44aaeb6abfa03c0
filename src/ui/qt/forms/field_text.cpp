#include "ui/qt/forms/field_text.h"

#include "stdlib/format_settings.h"

namespace vorlan::forms {

std::string withDecimalSeparator(std::string number) {
    if (const auto dot = number.find('.'); dot != std::string::npos)
        number[dot] = stdlib::decimalSeparator();
    return number;
}

std::string shownFieldText(const data::Field& field) {
    const std::string text = field.displayText();
    if (field.type() == data::FieldType::Float || field.type() == data::FieldType::Integer)
        return withDecimalSeparator(text);
    return text;
}

} // namespace vorlan::forms
