#include "ui/qt/qt_text.h"

#include "core/cp1250.h"

namespace vorlan::qt {

QString fromEngine(std::string_view text) {
    const std::u16string wide = cp1250ToUtf16(text);
    return QString::fromUtf16(wide.data(), static_cast<qsizetype>(wide.size()));
}

std::string toEngine(const QString& text) {
    const auto* data = reinterpret_cast<const char16_t*>(text.utf16());
    return utf16ToCp1250(std::u16string_view(data, static_cast<std::size_t>(text.size())));
}

QString displayLine(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x20 || c == '\t') shown += c;
    return fromEngine(shown);
}

QString fromHost(const std::string& path) {
    return QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size()));
}

} // namespace vorlan::qt
