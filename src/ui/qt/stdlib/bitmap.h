#pragma once
// TBitmap: a picture in memory with a canvas to draw on. A new bitmap is empty (0 × 0); growing
// it keeps what was drawn and paints the new part white. Files go through the path mapper;
// LoadFromFile reads what Qt can read (BMP, PNG, JPEG ...), SaveToFile always writes a BMP.

#include "script/native_object.h"
#include "script/value.h"
#include "ui/qt/stdlib/canvas.h"

#include <QImage>
#include <QPainter>

#include <memory>
#include <string>

namespace vorlan::stdlib {

class Bitmap : public script::NativeObject, private CanvasTarget {
public:
    Bitmap();
    ~Bitmap() override;

    int width() const { return width_; }
    int height() const { return height_; }
    void setWidth(int width) { resize(width, height_); }
    void setHeight(int height) { resize(width_, height); }
    // Throws ScriptException when the size needs more memory than a picture may take.
    void resize(int width, int height);
    bool empty() const { return image_.isNull(); }

    void loadFromFile(const std::string& fileName);
    void saveToFile(const std::string& fileName) const;
    // Another bitmap, a TPicture, an image control or the Clipboard's picture; nil empties the
    // bitmap.
    void assign(const script::Value& source);

    CanvasObject& canvas() { return *canvas_; }
    const QImage& image() const { return image_; }
    void setImage(const QImage& image);

    bool transparent() const { return transparent_; }
    void setTransparent(bool on) { transparent_ = on; }
    // The colour drawn as see-through when Transparent is set; by default the colour of the
    // bottom-left pixel.
    std::int32_t transparentColor() const;
    void setTransparentColor(std::int32_t color) { transparentColor_ = color; }
    // Whether a program named the see-through colour (TransparentMode tmFixed).
    bool fixedTransparentColor() const { return transparentColor_ != -1; }
    bool monochrome() const { return monochrome_; }
    void setMonochrome(bool on) { monochrome_ = on; }

    // Modified: set by a program to note a change of its own; kept as given.
    bool modified = false;

    // The picture as Draw puts it on another canvas (see-through parts cleared).
    QImage drawingImage() const;

private:
    QPainter* beginPaint() override;
    void endPaint() override;
    int dpi() const override { return 96; }
    QImage* pixels() override { return image_.isNull() ? nullptr : &image_; }

    QImage image_;
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<CanvasObject> canvas_;
    int width_ = 0;
    int height_ = 0;
    bool transparent_ = false;
    std::int32_t transparentColor_ = -1; // -1: the bottom-left pixel's
    bool monochrome_ = false;
};

// The picture of a graphic a script hands over: a TBitmap, a picture of an image control
// (TPicture) or an image control itself. Throws ScriptException for anything else.
QImage imageOfGraphic(const script::Value& graphic);

} // namespace vorlan::stdlib
