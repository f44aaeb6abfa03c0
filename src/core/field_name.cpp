#include "core/field_name.h"

#include "core/cp1250.h"

namespace vorlan {

namespace {

std::string_view withoutPadding(std::string_view name) {
    while (!name.empty() && (name.back() == ' ' || name.back() == '\0'))
        name.remove_suffix(1);
    return name;
}

} // namespace

bool sameFieldName(std::string_view a, std::string_view b) {
    return equalsNoCase(withoutPadding(a), withoutPadding(b));
}

} // namespace vorlan
