#include "script/open_array.h"

#include "core/cp1250.h"

#include <string>

namespace vorlan::script {

namespace {

enum class Dialect : std::uint8_t { Unknown, Pascal, Other };

Dialect& dialectSlot() {
    static Dialect dialect = Dialect::Unknown;
    return dialect;
}

} // namespace

void setProgramLanguage(std::string_view extension) {
    if (extension.empty())
        dialectSlot() = Dialect::Unknown;
    else
        dialectSlot() = equalsNoCase(extension, "ZLM") ? Dialect::Pascal : Dialect::Other;
}

void setProgramLanguageOfModule(std::string_view moduleFileName) {
    const std::size_t dot = moduleFileName.rfind('.');
    setProgramLanguage(dot == std::string_view::npos ? std::string_view()
                                                     : moduleFileName.substr(dot + 1, 3));
}

bool programIsPascal() {
    return dialectSlot() == Dialect::Pascal;
}

bool programLanguageKnown() {
    return dialectSlot() != Dialect::Unknown;
}

OpenArray::OpenArray(const Value& argument) {
    if (!argument.isArray()) {
        if (!argument.isEmpty()) items_ = std::span<const Value>(&argument, 1);
        return;
    }
    const auto& items = argument.asArray()->items();
    std::size_t count = items.size();
    if (count > 0) {
        switch (dialectSlot()) {
        case Dialect::Pascal:
            --count;
            break;
        case Dialect::Unknown:
            if (items.back().isEmpty()) --count;
            break;
        case Dialect::Other:
            break;
        }
    }
    items_ = std::span<const Value>(items.data(), count);
}

std::uint32_t setMask(const Value& argument) {
    if (argument.isEmpty() || argument.isNull()) return 0;
    if (!argument.isArray()) {
        try {
            return static_cast<std::uint32_t>(argument.toInt());
        } catch (const ValueError&) {
            return 0;
        }
    }
    std::uint32_t mask = 0;
    for (const Value& item : OpenArray(argument)) {
        if (item.isEmpty() || item.isNull()) continue;
        try {
            const std::int32_t ordinal = item.toInt();
            if (ordinal >= 0 && ordinal < 32) mask |= 1u << ordinal;
        } catch (const ValueError&) {
            // Something that is no ordinal adds nothing.
        }
    }
    return mask;
}

} // namespace vorlan::script
