#include "data/script/data_field.h"

#include "core/cp1250.h"
#include "data/data_set.h"
#include "data/script/data_table.h"
#include "script/dispatch.h"

#include <cmath>
#include <limits>

namespace vorlan::data {

using script::Value;

FieldObject::FieldObject(TDataTable& table, std::string name)
    : script::NativeObject("TField"), table_(table), name_(std::move(name)) {}

Field& FieldObject::field() const {
    if (!table_.active())
        throw script::ScriptException(czech("Pole ") + name_ + czech(": tabulka není otevřená"));
    Field* f = table_.table().findField(name_);
    if (!f) throw script::ScriptException(czech("Pole '") + name_ + czech("' nenalezeno"));
    return *f;
}

Value FieldObject::value() const {
    return field().value();
}

void FieldObject::setValue(const Value& value) {
    field(); // a closed table or a field gone fails with the field's name
    if (readOnly)
        throw script::ScriptException(czech("Pole ") + name_ + czech(" je jen pro čtení"));
    table_.writeFieldValue(name_, value);
}

std::string FieldObject::asString() const {
    return field().asString();
}

double FieldObject::asFloat() const {
    return field().asFloat();
}

std::int32_t FieldObject::asInteger() const {
    // Halves go to the even neighbour, as Round does.
    const double v = std::nearbyint(field().asFloat());
    if (!(v >= std::numeric_limits<std::int32_t>::min() &&
          v <= std::numeric_limits<std::int32_t>::max()))
        throw script::ScriptException(czech("Hodnota pole ") + name_ +
                                      czech(" není platné celé číslo"));
    return static_cast<std::int32_t>(v);
}

bool FieldObject::asBoolean() const {
    return field().asBoolean();
}

std::string FieldObject::displayText() const {
    return field().displayText();
}

bool FieldObject::isNull() const {
    return field().isNull();
}

std::int32_t FieldObject::size() const {
    return field().size();
}

std::int32_t FieldObject::index() const {
    if (!table_.active()) return -1;
    const auto& t = table_.table();
    for (int i = 0; i < t.fieldCount(); ++i)
        if (equalsNoCase(t.field(i)->name(), name_)) return i;
    return -1;
}

std::string FieldObject::alignment() const {
    const FieldType type = field().type();
    return type == FieldType::Integer || type == FieldType::Float ? "taRightJustify"
                                                                  : "taLeftJustify";
}

std::string FieldObject::dataType() const {
    switch (field().type()) {
    case FieldType::String:
        return "ftString";
    case FieldType::Integer:
        return "ftInteger";
    case FieldType::Float:
        return "ftFloat";
    case FieldType::Boolean:
        return "ftBoolean";
    case FieldType::Date:
        return "ftDate";
    case FieldType::Memo:
        return "ftMemo";
    case FieldType::Graphic:
        return "ftGraphic";
    case FieldType::Blob:
        return "ftBlob";
    case FieldType::Unknown:
        break;
    }
    return "ftUnknown";
}

} // namespace vorlan::data
