#include "ui/qt/qt_text_measure.h"

#include "ui/qt/qt_text.h"

#include <QFont>

#include <algorithm>
#include <memory>

namespace vorlan::qt {

namespace {

// A program may ask for any number of fonts; the cache must not grow without end.
constexpr std::size_t kMaxCachedFonts = 32;

} // namespace

const QFontMetrics& QtTextMeasure::metricsOf(std::string_view fontName, int pixelSize) const {
    const int size = std::max(1, pixelSize);
    auto key = std::make_pair(std::string(fontName), size);
    if (auto it = metrics_.find(key); it != metrics_.end()) return it->second;
    if (metrics_.size() >= kMaxCachedFonts) metrics_.clear();
    QFont font(fromEngine(fontName));
    font.setPixelSize(size);
    return metrics_.try_emplace(std::move(key), font).first->second;
}

int QtTextMeasure::textWidth(std::string_view text, std::string_view fontName,
                             int pixelSize) const {
    if (text.empty()) return 0;
    return metricsOf(fontName, pixelSize).horizontalAdvance(fromEngine(text));
}

TextMeasureInstallation::TextMeasureInstallation() {
    setTextMeasure(std::make_unique<QtTextMeasure>());
}

TextMeasureInstallation::~TextMeasureInstallation() {
    setTextMeasure(nullptr);
}

} // namespace vorlan::qt
