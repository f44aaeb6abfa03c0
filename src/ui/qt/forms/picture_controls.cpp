#include "ui/qt/forms/picture_controls.h"

#include "core/cp1250.h"
#include "core/path_mapper.h"
#include "script/comp_wrapper.h"
#include "ui/qt/forms/form_values.h"
#include "ui/qt/qt_text.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>

#include <cstring>

namespace vorlan::forms {

using script::Value;

namespace {

QString hostName(const std::string& fileName) {
    return QString::fromStdString(pathMapper().toHostOrEmpty(fileName).string());
}

// Draws the shape it is given on each paint.
class ShapeWidget : public QWidget {
public:
    void setShape(Shape* shape) { shape_ = shape; }

protected:
    void paintEvent(QPaintEvent*) override {
        if (!shape_) return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const ShapeTool& pen = shape_->pen();
        const ShapeTool& brush = shape_->brush();
        if (equalsNoCase(pen.style(), "psClear"))
            painter.setPen(Qt::NoPen);
        else {
            QPen p(pen.color(), pen.width());
            if (equalsNoCase(pen.style(), "psDash")) p.setStyle(Qt::DashLine);
            if (equalsNoCase(pen.style(), "psDot")) p.setStyle(Qt::DotLine);
            painter.setPen(p);
        }
        painter.setBrush(equalsNoCase(brush.style(), "bsClear") ? QBrush(Qt::NoBrush)
                                                                : QBrush(brush.color()));
        // The outline stays inside the control, as wide as the pen is.
        const int inset = std::max(pen.width(), 1) / 2;
        QRect r = rect().adjusted(inset, inset, -inset - 1, -inset - 1);
        const std::string& kind = shape_->shape();
        const bool square = equalsNoCase(kind, "stSquare") || equalsNoCase(kind, "stRoundSquare") ||
                            equalsNoCase(kind, "stCircle");
        if (square) {
            const int side = std::min(r.width(), r.height());
            r = QRect(r.left() + (r.width() - side) / 2, r.top() + (r.height() - side) / 2, side,
                      side);
        }
        if (equalsNoCase(kind, "stEllipse") || equalsNoCase(kind, "stCircle"))
            painter.drawEllipse(r);
        else if (equalsNoCase(kind, "stRoundRect") || equalsNoCase(kind, "stRoundSquare")) {
            const int radius = std::min(r.width(), r.height()) / 4;
            painter.drawRoundedRect(r, radius, radius);
        } else
            painter.drawRect(r);
    }

private:
    Shape* shape_ = nullptr;
};

} // namespace

// ---- Picture

void Picture::loadFromFile(const std::string& fileName) {
    QPixmap loaded;
    if (!loaded.load(hostName(fileName)))
        throw script::ScriptException(czech("Nelze načíst obrázek ") + fileName);
    pixmap_ = loaded;
    changed();
}

void Picture::saveToFile(const std::string& fileName) const {
    const QString name = hostName(fileName);
    // The picture keeps the format its name asks for; a name without one gets a bitmap.
    const bool known = name.endsWith(QLatin1String(".png"), Qt::CaseInsensitive) ||
                       name.endsWith(QLatin1String(".jpg"), Qt::CaseInsensitive) ||
                       name.endsWith(QLatin1String(".jpeg"), Qt::CaseInsensitive);
    if (pixmap_.isNull() || !pixmap_.save(name, known ? nullptr : "BMP"))
        throw script::ScriptException(czech("Nelze uložit obrázek ") + fileName);
}

bool Picture::loadFromData(const std::string& bytes) {
    // A stored picture begins with the name of its graphic class ("TBitmap" and the bitmap's
    // length before the file itself); raw picture files load as they are.
    std::string_view data = bytes;
    if (!data.empty() && static_cast<unsigned char>(data[0]) < data.size() && data.size() > 1 &&
        data[1] == 'T') {
        const std::size_t nameLength = static_cast<unsigned char>(data[0]);
        const std::string_view graphicClass = data.substr(1, nameLength);
        data.remove_prefix(1 + nameLength);
        if (equalsNoCase(graphicClass, "TBitmap") && data.size() >= 4) data.remove_prefix(4);
    }
    QPixmap loaded;
    if (!loaded.loadFromData(reinterpret_cast<const uchar*>(data.data()),
                             static_cast<uint>(data.size())))
        return false;
    pixmap_ = loaded;
    changed();
    return true;
}

void Picture::clear() {
    pixmap_ = QPixmap();
    changed();
}

void Picture::setPixmap(const QPixmap& pixmap) {
    pixmap_ = pixmap;
    changed();
}

void Picture::changed() {
    image_.refreshPicture();
}

// ---- Image

Image::Image(std::string cls)
    : Control(std::move(cls), new QLabel), picture_(std::make_unique<Picture>(*this)) {}

Image::~Image() = default;

void Image::refreshPicture() {
    auto* label = static_cast<QLabel*>(widget());
    if (!label) return;
    const QPixmap& pixmap = picture_->pixmap();
    if (autoSize_ && !pixmap.isNull() &&
        (storedWidth() != pixmap.width() || storedHeight() != pixmap.height())) {
        // place() comes back here through applyGeometry with the size already right.
        place(storedLeft(), storedTop(), pixmap.width(), pixmap.height());
        return;
    }
    label->setAlignment(center_ ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignTop);
    if (pixmap.isNull() || !stretch_) {
        label->setPixmap(pixmap);
        return;
    }
    label->setPixmap(pixmap.scaled(label->size(),
                                   proportional_ ? Qt::KeepAspectRatio : Qt::IgnoreAspectRatio,
                                   Qt::SmoothTransformation));
}

void Image::applyGeometry() {
    Control::applyGeometry();
    if (picture_) refreshPicture();
}

const PropertyTable& Image::propertyTable() {
    // Each change shows the picture again.
    const auto flag = [](bool Image::*member) {
        return [member](Image& i, bool v) {
            i.*member = v;
            i.refreshPicture();
        };
    };
    static const auto table = PropertyTable::of<Image>(
        &Control::propertyTable(),
        {
            {"Picture", [](const Image& i) { return i.picture_.get(); }},
            {"Picture.Data", nullptr,
             [](Image& i, const std::string& bytes) {
                 i.picture_->loadFromData(bytes);
                 i.refreshPicture();
             }},
            {"Stretch", &Image::stretch_, flag(&Image::stretch_)},
            {"Center", &Image::center_, flag(&Image::center_)},
            {"Proportional", &Image::proportional_, flag(&Image::proportional_)},
            {"AutoSize", &Image::autoSize_, flag(&Image::autoSize_)},
        });
    return table;
}

bool Image::handleWidgetEvent(QObject* watched, QEvent* event) {
    if (watched == widget() && event->type() == QEvent::MouseButtonRelease) fireNotify("OnClick");
    return Control::handleWidgetEvent(watched, event);
}

// ---- Shape

const PropertyTable& ShapeTool::propertyTable() {
    static const auto table = PropertyTable::of<ShapeTool>(
        nullptr, {
                     {"Color",
                      [](const ShapeTool& t) {
                          const QColor c = t.color_;
                          return t.colorValue_.isEmpty()
                                     ? Value(static_cast<std::int32_t>(c.red() | c.green() << 8 |
                                                                       c.blue() << 16))
                                     : t.colorValue_;
                      },
                      [](ShapeTool& t, const Value& v) {
                          t.colorValue_ = v;
                          t.color_ = qtColorOf(v, t.color_);
                          t.changed();
                      }},
                     {"Style", &ShapeTool::style_,
                      [](ShapeTool& t, const std::string& v) {
                          t.style_ = v;
                          t.changed();
                      }},
                     {"Width", &ShapeTool::width_,
                      [](ShapeTool& t, std::int32_t v) {
                          t.width_ = std::max(v, 0);
                          t.changed();
                      }},
                     // A brush's pattern picture: kept; shapes are filled with the colour.
                     {"Bitmap", &ShapeTool::bitmap_, &ShapeTool::bitmap_},
                 });
    return table;
}

void ShapeTool::changed() {
    if (QWidget* w = owner_.widget()) w->update();
}

Shape::Shape(std::string cls)
    : Control(std::move(cls), new ShapeWidget),
      brush_(std::make_unique<ShapeTool>("TBrush", *this, Qt::white, "bsSolid")),
      pen_(std::make_unique<ShapeTool>("TPen", *this, Qt::black, "psSolid")) {
    static_cast<ShapeWidget*>(widget())->setShape(this);
}

Shape::~Shape() {
    if (auto* w = static_cast<ShapeWidget*>(widget())) w->setShape(nullptr);
}

const PropertyTable& Shape::propertyTable() {
    static const auto table = PropertyTable::of<Shape>(
        &Control::propertyTable(),
        {
            {"Shape", &Shape::shape_,
             [](Shape& s, const std::string& v) {
                 s.shape_ = v;
                 if (QWidget* w = s.widget()) w->update();
             }},
            {"Brush", subObject, [](const Shape& s) { return s.brush_.get(); }},
            {"Pen", subObject, [](const Shape& s) { return s.pen_.get(); }},
        });
    return table;
}

bool Shape::handleWidgetEvent(QObject* watched, QEvent* event) {
    if (watched == widget() && event->type() == QEvent::MouseButtonRelease) fireNotify("OnClick");
    return Control::handleWidgetEvent(watched, event);
}

// ---- the class table

namespace {

const FormClass kPictureControlsClasses[] = {
    {"TImage", "TGraphicControl", create<Image>, {105, 105}, false, "OnClick"},
    {"TShape", "TGraphicControl", create<Shape>, {65, 65}, false, "OnClick"},
    {"TPicture", "TPersistent"},
    {"TBrush", "TPersistent"},
    {"TPen", "TPersistent"},
};

} // namespace

std::span<const FormClass> pictureClasses() {
    return kPictureControlsClasses;
}

} // namespace vorlan::forms
