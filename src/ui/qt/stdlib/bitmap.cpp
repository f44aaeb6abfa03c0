#include "ui/qt/stdlib/bitmap.h"

#include "core/cp1250.h"
#include "core/path_mapper.h"
#include "script/comp_wrapper.h"
#include "script/dispatch.h"
#include "ui/qt/forms/picture_controls.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/stdlib/clipboard.h"
#include "ui/qt/stdlib/colors.h"

#include <QApplication>
#include <QClipboard>

#include <QImageReader>

#include <cstdint>

namespace vorlan::stdlib {

namespace {

// 256 Mi pixels (1 GiB) is far beyond any picture a program draws.
constexpr std::int64_t kMaxPixels = std::int64_t{1} << 28;
// Bitmaps are drawn at the screen's 96 dots per inch: 3780 dots per metre.
constexpr int kDotsPerMeter = 3780;

QString hostName(const std::string& fileName) {
    return qt::fromHost(pathMapper().toHostOrEmpty(fileName).string());
}

QImage bitmapImage(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        throw script::ScriptException(czech("Na obrázek této velikosti není paměť"));
    image.setDotsPerMeterX(kDotsPerMeter);
    image.setDotsPerMeterY(kDotsPerMeter);
    image.fill(Qt::white);
    return image;
}

} // namespace

Bitmap::Bitmap()
    : script::NativeObject("TBitmap"),
      canvas_(std::make_unique<CanvasObject>(static_cast<CanvasTarget&>(*this))) {}

Bitmap::~Bitmap() = default;

void Bitmap::resize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (std::int64_t{width} * height > kMaxPixels)
        throw script::ScriptException(czech("Na obrázek této velikosti není paměť"));
    width_ = width;
    height_ = height;
    if (width == 0 || height == 0) {
        image_ = QImage();
        return;
    }
    if (image_.size() == QSize(width, height)) return;
    QImage grown = bitmapImage(width, height);
    if (!image_.isNull()) {
        QPainter p(&grown);
        p.drawImage(0, 0, image_);
    }
    image_ = std::move(grown);
}

void Bitmap::setImage(const QImage& image) {
    if (image.isNull()) {
        image_ = QImage();
        width_ = height_ = 0;
        return;
    }
    image_ = image.convertToFormat(QImage::Format_RGB32);
    image_.setDotsPerMeterX(kDotsPerMeter);
    image_.setDotsPerMeterY(kDotsPerMeter);
    width_ = image_.width();
    height_ = image_.height();
}

void Bitmap::loadFromFile(const std::string& fileName) {
    QImageReader reader(hostName(fileName));
    reader.setDecideFormatFromContent(true);
    const QImage loaded = reader.read();
    if (loaded.isNull()) throw script::ScriptException(czech("Nelze načíst obrázek ") + fileName);
    setImage(loaded);
}

void Bitmap::saveToFile(const std::string& fileName) const {
    if (image_.isNull() || !image_.save(hostName(fileName), "BMP"))
        throw script::ScriptException(czech("Nelze uložit obrázek ") + fileName);
}

void Bitmap::assign(const script::Value& source) {
    if (source.toObject() == nullptr) {
        setImage(QImage());
        return;
    }
    if (script::nativeAs<ClipboardObject>(source)) {
        const QImage picture = QApplication::clipboard()->image();
        if (picture.isNull()) throw script::ScriptException(czech("Schránka neobsahuje obrázek"));
        setImage(picture);
        return;
    }
    setImage(imageOfGraphic(source));
}

std::int32_t Bitmap::transparentColor() const {
    if (transparentColor_ != -1 || image_.isNull()) return transparentColor_;
    const QRgb rgb = image_.pixel(0, image_.height() - 1);
    return qRed(rgb) | qGreen(rgb) << 8 | qBlue(rgb) << 16;
}

QImage Bitmap::drawingImage() const {
    if (!transparent_ || image_.isNull()) return image_;
    QImage out = image_.convertToFormat(QImage::Format_ARGB32);
    const QRgb clear = qtColorOf(transparentColor()).rgb() & 0xFFFFFF;
    for (int y = 0; y < out.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if ((row[x] & 0xFFFFFF) == clear) row[x] = 0;
    }
    return out;
}

QPainter* Bitmap::beginPaint() {
    if (image_.isNull()) return nullptr;
    painter_ = std::make_unique<QPainter>(&image_);
    return painter_.get();
}

void Bitmap::endPaint() {
    painter_.reset();
}

QImage imageOfGraphic(const script::Value& graphic) {
    script::NativeObject* object = script::nativeObjectOf(graphic);
    if (auto* bitmap = dynamic_cast<Bitmap*>(object)) return bitmap->drawingImage();
    if (auto* picture = dynamic_cast<forms::Picture*>(object)) return picture->pixmap().toImage();
    if (auto* image = dynamic_cast<forms::Image*>(object))
        return image->picture().pixmap().toImage();
    throw script::ScriptException(czech("Očekává se obrázek (TBitmap nebo TPicture)"));
}

} // namespace vorlan::stdlib
