#pragma once
// Text widths for laying reports out, from the fonts the pages are drawn with: memo texts then
// wrap where the drawn text really ends.

#include "report/run/text_layout.h"

#include <QFontMetricsF>

#include <memory>
#include <optional>

namespace vorlan::qt {

class QtTextMeasurer : public report::TextMeasurer {
public:
    std::int32_t textWidth(std::string_view text, const report::ReportFont& font) const override;
    std::int32_t lineHeight(const report::ReportFont& font) const override;

private:
    const QFontMetricsF& metrics(const report::ReportFont& font) const;
    mutable std::optional<report::ReportFont> font_;
    mutable std::optional<QFontMetricsF> metrics_;
};

} // namespace vorlan::qt
