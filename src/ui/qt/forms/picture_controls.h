#pragma once
// Controls that show pictures and figures: TImage with its Picture, TShape with its Brush and
// Pen. A picture file goes through the path mapper; BMP, PNG and JPEG files load.

#include "ui/qt/forms/control.h"
#include "ui/qt/forms/form_class.h"

#include <QColor>
#include <QPixmap>

#include <span>

namespace vorlan::forms {

class Image;

// The Picture of an image: LoadFromFile, SaveToFile, Width, Height.
class Picture : public script::NativeObject {
public:
    explicit Picture(Image& image) : script::NativeObject("TPicture"), image_(image) {}
    // Throws ScriptException with "Nelze načíst obrázek <name>" when the file cannot be read.
    void loadFromFile(const std::string& fileName);
    void saveToFile(const std::string& fileName) const;
    // Raw picture bytes (a stored Picture.Data, a graphic field); false when they are no picture.
    bool loadFromData(const std::string& bytes);
    void clear();
    void setPixmap(const QPixmap& pixmap);
    const QPixmap& pixmap() const { return pixmap_; }
    int width() const { return pixmap_.width(); }
    int height() const { return pixmap_.height(); }

private:
    void changed();
    Image& image_;
    QPixmap pixmap_;
};

class Image : public Control {
public:
    explicit Image(std::string cls);
    ~Image() override;
    // Picture, Stretch, Center, Proportional, AutoSize; a stored Picture.Data.
    static const PropertyTable& propertyTable();
    const PropertyTable& properties() const override { return propertyTable(); }
    Picture& picture() { return *picture_; }
    // Shows the picture again (after it changed or the control was resized).
    void refreshPicture();

protected:
    bool handleWidgetEvent(QObject* watched, QEvent* event) override;
    void applyGeometry() override;

private:
    std::unique_ptr<Picture> picture_;
    bool stretch_ = false;
    bool center_ = false;
    bool proportional_ = false;
    bool autoSize_ = false;
};

// The Brush or the Pen of a shape: Color, Style and (for a pen) Width.
class ShapeTool : public script::NativeObject {
public:
    ShapeTool(std::string className, Control& owner, QColor color, std::string style)
        : script::NativeObject(std::move(className)), owner_(owner), color_(color),
          style_(std::move(style)) {}
    // Color, Style, Width.
    static const PropertyTable& propertyTable();
    QColor color() const { return color_; }
    const std::string& style() const { return style_; }
    int width() const { return width_; }

private:
    void changed();
    Control& owner_;
    QColor color_;
    script::Value colorValue_;
    std::string style_;
    int width_ = 1;
    script::Value bitmap_{script::ObjectRef()};
};

class Shape : public Control {
public:
    explicit Shape(std::string cls);
    ~Shape() override;
    // Shape (stRectangle ... stCircle), Brush and Pen (Brush.Color ... as stored forms give them).
    static const PropertyTable& propertyTable();
    const PropertyTable& properties() const override { return propertyTable(); }
    ShapeTool& brush() { return *brush_; }
    ShapeTool& pen() { return *pen_; }
    const std::string& shape() const { return shape_; }

protected:
    bool handleWidgetEvent(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<ShapeTool> brush_;
    std::unique_ptr<ShapeTool> pen_;
    std::string shape_ = "stRectangle";
};

// TImage, TShape and their parts (TPicture, TBrush, TPen).
std::span<const FormClass> pictureClasses();

} // namespace vorlan::forms
