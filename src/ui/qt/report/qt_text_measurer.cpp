#include "ui/qt/report/qt_text_measurer.h"

#include "core/cp1250.h"
#include "report/paint/element_drawing.h"
#include "report/paint/page_drawing.h"
#include "ui/qt/report/qt_report_painter.h"

#include <cmath>

namespace vorlan::qt {

// Measured at the page-drawing scale, where the pages are drawn, and brought back to
// hundredths of an inch; widths round up so that a measured line never overflows its box.
const QFontMetricsF& QtTextMeasurer::metrics(const report::ReportFont& font) const {
    if (!font_ || !(*font_ == font)) {
        font_ = font;
        metrics_.emplace(reportFont(report::scaledFont(font, report::kPageDrawingScale)));
    }
    return *metrics_;
}

std::int32_t QtTextMeasurer::textWidth(std::string_view text,
                                       const report::ReportFont& font) const {
    const double width =
        metrics(font).horizontalAdvance(QString::fromStdString(cp1250ToUtf8(text)));
    return static_cast<std::int32_t>(std::ceil(width / report::kPageDrawingScale));
}

std::int32_t QtTextMeasurer::lineHeight(const report::ReportFont& font) const {
    return static_cast<std::int32_t>(
        std::lround(metrics(font).height() / report::kPageDrawingScale));
}

} // namespace vorlan::qt
