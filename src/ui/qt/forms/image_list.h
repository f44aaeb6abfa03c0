#pragma once
// TImageList: pictures of one size kept in order, for a program to draw on canvases
// (ImageList.Draw) and take out again (GetBitmap). A picture wider than the list's Width that is
// a whole number of widths is cut into that many pictures, as image strips are stored. The
// controls here draw no pictures from a list: Images and ImageIndex of buttons, tabs and items
// are kept as given.

#include "script/component.h"
#include "ui/qt/forms/form_class.h"
#include "ui/qt/forms/property_table.h"

#include <QImage>

#include <cstdint>
#include <span>
#include <vector>

namespace vorlan::forms {

class ImageList : public script::Component {
public:
    ImageList();
    // Width, Height, Count; AllocBy, BkColor, BlendColor, DrawingStyle, ImageType, Masked and
    // ShareImages kept as given.
    static const PropertyTable& propertyTable();
    bool getPublished(std::string_view name, script::Value& out) const override;
    bool setPublished(std::string_view name, const script::Value& value) override;

    int width() const { return width_; }
    int height() const { return height_; }
    // A new size empties the list, as it does on the platform.
    void setSize(int width, int height);
    std::int32_t count() const { return static_cast<std::int32_t>(images_.size()); }
    // The index of the (first) picture added.
    std::int32_t add(const QImage& image);
    // The pixels of `transparent` (a QColor's RGB) become see-through.
    std::int32_t addMasked(const QImage& image, QRgb transparent);
    void replace(std::int32_t index, const QImage& image);
    void remove(std::int32_t index);
    void clear();
    // Raises the list index error outside the list.
    const QImage& image(std::int32_t index) const;

private:
    QImage fitted(const QImage& image) const;
    void changed();
    std::vector<QImage> images_;
    int width_ = 16;
    int height_ = 16;
};

// TImageList, for the catalog.
std::span<const FormClass> imageListClasses();

} // namespace vorlan::forms
