#include "script/stream/stream_object.h"

#include "core/cp1250.h"

namespace vorlan::stream {

const StreamValue* StreamObject::property(std::string_view propertyName) const {
    for (const auto& p : properties)
        if (equalsNoCase(p.name, propertyName)) return &p.value;
    return nullptr;
}

} // namespace vorlan::stream
