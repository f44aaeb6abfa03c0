#pragma once
// The canvas picture as a Qt image: 32-bit RGB pixels drawn with QPainter, aliased, with the
// edge rules the programs were written for (exclusive right and bottom edges, a line without its
// last point, pen styles only on thin pens) so pictures come out as programs expect them.

#include "window_models/canvas/picture_surface.h"

#include <QBrush>
#include <QFont>
#include <QImage>
#include <QPen>

namespace vorlan::qt {

QColor qtColorOf(std::int32_t color);
QPen qtPenOf(const windows::CanvasPen& pen);
QBrush qtBrushOf(const windows::CanvasBrush& brush);
QFont qtFontOf(const windows::CanvasFont& font);

class ImagePicture : public windows::PictureSurface {
public:
    const QImage& image() const { return image_; }

    windows::CanvasSize size() const override;
    void reset(windows::CanvasSize size) override;
    void line(const windows::CanvasPen& pen, windows::CanvasPoint from,
              windows::CanvasPoint to) override;
    void rectangle(const windows::CanvasPen& pen, const windows::CanvasBrush& brush,
                   windows::CanvasRect r) override;
    void ellipse(const windows::CanvasPen& pen, const windows::CanvasBrush& brush,
                 windows::CanvasRect r) override;
    void roundRect(const windows::CanvasPen& pen, const windows::CanvasBrush& brush,
                   windows::CanvasRect r, windows::CanvasSize corner) override;
    void arc(const windows::CanvasPen& pen, windows::CanvasRect r, windows::CanvasPoint start,
             windows::CanvasPoint end) override;
    void pie(const windows::CanvasPen& pen, const windows::CanvasBrush& brush,
             windows::CanvasRect r, windows::CanvasPoint start, windows::CanvasPoint end) override;
    void polygon(const windows::CanvasPen& pen, const windows::CanvasBrush& brush,
                 std::span<const windows::CanvasPoint> points) override;
    void text(const windows::CanvasFont& font, const windows::CanvasBrush& brush,
              windows::CanvasPoint at, const std::string& text) override;
    windows::CanvasSize textExtent(const windows::CanvasFont& font,
                                   const std::string& text) const override;
    void copyRect(windows::CanvasRect source, windows::CanvasRect target,
                  const windows::CanvasBrush* mergeBrush) override;
    void copyToClipboard() const override;
    bool clipboardHasBitmap() const override;
    bool pasteFromClipboard(windows::CanvasRect target) override;
    void load(const std::filesystem::path& file) override;
    void save(const std::filesystem::path& file) const override;
    std::unique_ptr<windows::PicturePrintJob> startPrint(const std::string& title) override;

private:
    QImage image_;
};

} // namespace vorlan::qt
