#include "core/text_measure.h"

#include <algorithm>

namespace vorlan {

namespace {

std::unique_ptr<TextMeasure>& installed() {
    static std::unique_ptr<TextMeasure> measure;
    return measure;
}

} // namespace

int FixedWidthMeasure::charWidth(int pixelSize) {
    return std::max(1, (pixelSize + 1) / 2);
}

int FixedWidthMeasure::textWidth(std::string_view text, std::string_view, int pixelSize) const {
    return static_cast<int>(text.size()) * charWidth(pixelSize);
}

const TextMeasure& textMeasure() {
    static const FixedWidthMeasure fallback;
    const auto& measure = installed();
    if (measure) return *measure;
    return fallback;
}

void setTextMeasure(std::unique_ptr<TextMeasure> measure) {
    installed() = std::move(measure);
}

} // namespace vorlan
