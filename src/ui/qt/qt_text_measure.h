#pragma once
// Text widths from the fonts the screen really uses, so that memo lines that scripts count and
// read end where the memo window wraps them.

#include "core/text_measure.h"

#include <QFontMetrics>

#include <map>
#include <string>
#include <string_view>
#include <utility>

namespace vorlan::qt {

class QtTextMeasure : public TextMeasure {
public:
    // Needs the application object. The font is looked up by name (Windows-1250) and set to
    // `pixelSize` pixels (at least one); an unknown name measures in the font that stands in for
    // it on screen.
    int textWidth(std::string_view text, std::string_view fontName, int pixelSize) const override;

private:
    const QFontMetrics& metricsOf(std::string_view fontName, int pixelSize) const;

    // Finding a font costs far more than measuring with it, and word wrapping measures many
    // prefixes of one line in one font.
    mutable std::map<std::pair<std::string, int>, QFontMetrics> metrics_;
};

// Makes QtTextMeasure the process-wide measure while it lives; it must end before the
// application object does, since the measure holds fonts.
class TextMeasureInstallation {
public:
    TextMeasureInstallation();
    ~TextMeasureInstallation();
    TextMeasureInstallation(const TextMeasureInstallation&) = delete;
    TextMeasureInstallation& operator=(const TextMeasureInstallation&) = delete;
};

} // namespace vorlan::qt
