#pragma once
// How wide a text is on screen in a given font: what word-wrapping editors need to know where a
// line ends. The front end installs a measure that asks the real font; until it does (and in
// headless runs and tests) every character counts as half the font's pixel size, which is what
// an average character of the classic screen fonts takes.

#include <memory>
#include <string_view>

namespace vorlan {

class TextMeasure {
public:
    virtual ~TextMeasure() = default;
    // Width in pixels of `text` (Windows-1250) in the font `fontName` of `pixelSize` pixels.
    virtual int textWidth(std::string_view text, std::string_view fontName,
                          int pixelSize) const = 0;
};

// Every character the same width: (pixelSize + 1) / 2 pixels, at least one.
class FixedWidthMeasure : public TextMeasure {
public:
    int textWidth(std::string_view text, std::string_view fontName, int pixelSize) const override;
    static int charWidth(int pixelSize);
};

// The process-wide measure (the fixed-width one until another is installed).
const TextMeasure& textMeasure();
// Installs `measure`; null goes back to the fixed-width default.
void setTextMeasure(std::unique_ptr<TextMeasure> measure);

} // namespace vorlan
