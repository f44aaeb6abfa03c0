#include "ui/qt/forms/image_list.h"

#include "core/cp1250.h"
#include "script/dispatch.h"
#include "ui/qt/forms/form_catalog.h"

#include <QPainter>

namespace vorlan::forms {

using script::Value;

namespace {

const FormClass kImageListClasses[] = {
    {"TImageList",
     "TComponent",
     create<ImageList>,
     {},
     false,
     "OnChange",
     "AllocBy=4 BkColor=clNone BlendColor=clNone DrawingStyle=dsNormal ImageType=itImage "
     "Masked=True ShareImages=False"},
};

} // namespace

std::span<const FormClass> imageListClasses() {
    return kImageListClasses;
}

ImageList::ImageList() : script::Component("TImageList") {}

const PropertyTable& ImageList::propertyTable() {
    static const auto table = PropertyTable::of<ImageList>(
        nullptr, {
                     {"Width", &ImageList::width_,
                      [](ImageList& l, std::int32_t v) { l.setSize(v, l.height_); }},
                     {"Height", &ImageList::height_,
                      [](ImageList& l, std::int32_t v) { l.setSize(l.width_, v); }},
                     {"Count", &ImageList::count},
                 });
    return table;
}

bool ImageList::getPublished(std::string_view name, Value& out) const {
    return propertyTable().get(*this, name, out) || script::Component::getPublished(name, out) ||
           classKeeps(className(), name, &out);
}

bool ImageList::setPublished(std::string_view name, const Value& value) {
    return propertyTable().set(*this, name, value) || script::Component::setPublished(name, value);
}

void ImageList::setSize(int width, int height) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (width == width_ && height == height_) return;
    width_ = width;
    height_ = height;
    if (!images_.empty()) {
        images_.clear();
        changed();
    }
}

QImage ImageList::fitted(const QImage& image) const {
    if (image.width() == width_ && image.height() == height_)
        return image.convertToFormat(QImage::Format_ARGB32);
    // A picture of another size is drawn into the list's size from the top left.
    QImage out(width_, height_, QImage::Format_ARGB32);
    out.fill(Qt::transparent);
    QPainter painter(&out);
    painter.drawImage(0, 0, image);
    return out;
}

std::int32_t ImageList::add(const QImage& image) {
    const std::int32_t first = count();
    const int pieces =
        image.width() > width_ && image.width() % width_ == 0 ? image.width() / width_ : 1;
    for (int i = 0; i < pieces; ++i)
        images_.push_back(
            fitted(pieces == 1 ? image : image.copy(i * width_, 0, width_, image.height())));
    changed();
    return first;
}

std::int32_t ImageList::addMasked(const QImage& image, QRgb transparent) {
    QImage masked = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < masked.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(masked.scanLine(y));
        for (int x = 0; x < masked.width(); ++x)
            if ((line[x] & 0xFFFFFF) == (transparent & 0xFFFFFF)) line[x] = 0;
    }
    return add(masked);
}

void ImageList::replace(std::int32_t index, const QImage& image) {
    this->image(index);
    images_[static_cast<std::size_t>(index)] = fitted(image);
    changed();
}

void ImageList::remove(std::int32_t index) {
    image(index);
    images_.erase(images_.begin() + index);
    changed();
}

void ImageList::clear() {
    if (images_.empty()) return;
    images_.clear();
    changed();
}

const QImage& ImageList::image(std::int32_t index) const {
    if (index < 0 || index >= count())
        throw script::ScriptException(czech("Index obrázku je mimo rozsah (") +
                                      std::to_string(index) + ")");
    return images_[static_cast<std::size_t>(index)];
}

void ImageList::changed() {
    fireNotify("OnChange");
}

} // namespace vorlan::forms
