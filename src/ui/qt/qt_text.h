#pragma once
// Engine text is Windows-1250 bytes; widgets want QString. The conversion happens here only.

#include <QString>

#include <string>
#include <string_view>

namespace vorlan::qt {

QString fromEngine(std::string_view text);
std::string toEngine(const QString& text);

// A UTF-8 literal of the source (a caption, a message) as a QString.
inline QString cz(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// A line as it may be drawn: control characters other than the tab are left out, so a line
// feed kept inside a line's text cannot start a new line on screen or paper.
QString displayLine(std::string_view text);

// Host file name (UTF-8 on Linux) to and from QString.
QString fromHost(const std::string& path);

} // namespace vorlan::qt
