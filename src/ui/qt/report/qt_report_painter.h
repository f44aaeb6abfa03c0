#pragma once
// Report pages drawn with a QPainter: on a printer, a PDF writer, the preview or an image.

#include "report/paint/painter.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

#include <optional>
#include <string>

namespace vorlan::qt {

// The Qt font of a report font name ("Arial CE" is the Central European "Arial"), sized in
// device pixels with the style bits of the report.
QFont reportFont(const report::PaintFont& font);
// A report colour ($BBGGRR).
QColor reportColour(std::uint32_t colour);

class QtReportPainter : public report::Painter {
public:
    // Draws with `painter`, which must stay active while this object is used.
    explicit QtReportPainter(QPainter& painter);

    void setPen(const report::PaintPen& pen) override;
    void setBrush(const report::PaintBrush& brush) override;
    void setFont(const report::PaintFont& font) override;

    double textWidth(std::string_view text, double spacing) override;
    double lineHeight() override;
    double ascent() override;
    void drawText(double x, double y, std::string_view text, double spacing) override;

    void drawLine(int x1, int y1, int x2, int y2) override;
    void drawRectangle(const report::DeviceRect& rect) override;
    void drawRoundRectangle(const report::DeviceRect& rect, int cornerWidth,
                            int cornerHeight) override;
    void drawEllipse(const report::DeviceRect& rect) override;
    void drawPolyline(const std::vector<report::DevicePoint>& points) override;
    void drawPolygon(const std::vector<report::DevicePoint>& points) override;
    void drawPolyPolygon(const std::vector<std::vector<report::DevicePoint>>& polygons) override;

    std::optional<report::PictureSize> pictureSize(std::string_view data) override;
    void drawPicture(std::string_view data, const report::DeviceRect& target) override;

    void setClip(const report::DeviceRect& rect) override;
    void clearClip() override;

private:
    // The current font with `spacing` added after every character.
    const QFont& spacedFont(double spacing);
    const QImage* picture(std::string_view data);

    QPainter& painter_;
    report::PaintFont fontSpec_;
    QFont font_;
    std::optional<QFontMetricsF> metrics_;
    QFont spaced_;
    double spacedBy_ = 0;
    // The last picture read: the same picture usually stands on every page.
    std::string pictureData_;
    QImage image_;
};

} // namespace vorlan::qt
