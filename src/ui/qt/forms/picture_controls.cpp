#include "ui/qt/forms/picture_controls.h"

#include "core/cp1250.h"
#include "core/path_mapper.h"
#include "script/comp_wrapper.h"
#include "ui/qt/qt_text.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>

#include <cstring>

namespace vorlan::forms {

using script::Value;

namespace {

bool is(std::string_view a, std::string_view b) {
    return equalsNoCase(a, b);
}

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
        if (is(pen.style(), "psClear"))
            painter.setPen(Qt::NoPen);
        else {
            QPen p(pen.color(), pen.width());
            if (is(pen.style(), "psDash")) p.setStyle(Qt::DashLine);
            if (is(pen.style(), "psDot")) p.setStyle(Qt::DotLine);
            painter.setPen(p);
        }
        painter.setBrush(is(brush.style(), "bsClear") ? QBrush(Qt::NoBrush)
                                                      : QBrush(brush.color()));
        // The outline stays inside the control, as wide as the pen is.
        const int inset = std::max(pen.width(), 1) / 2;
        QRect r = rect().adjusted(inset, inset, -inset - 1, -inset - 1);
        const std::string& kind = shape_->shape();
        const bool square =
            is(kind, "stSquare") || is(kind, "stRoundSquare") || is(kind, "stCircle");
        if (square) {
            const int side = std::min(r.width(), r.height());
            r = QRect(r.left() + (r.width() - side) / 2, r.top() + (r.height() - side) / 2, side,
                      side);
        }
        if (is(kind, "stEllipse") || is(kind, "stCircle"))
            painter.drawEllipse(r);
        else if (is(kind, "stRoundRect") || is(kind, "stRoundSquare")) {
            const int radius = std::min(r.width(), r.height()) / 4;
            painter.drawRoundedRect(r, radius, radius);
        } else
            painter.drawRect(r);
    }

private:
    Shape* shape_ = nullptr;
};

} // namespace

QColor qtColorOf(const Value& value, QColor fallback) {
    unsigned bgr = 0;
    if (!colorOf(value, bgr)) return fallback;
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

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
        if (is(graphicClass, "TBitmap") && data.size() >= 4) data.remove_prefix(4);
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

bool Image::getOwn(std::string_view name, Value& out) const {
    if (is(name, "Picture"))
        out = Value(script::wrapObject(picture_.get()));
    else if (is(name, "Stretch"))
        out = Value(stretch_);
    else if (is(name, "Center"))
        out = Value(center_);
    else if (is(name, "Proportional"))
        out = Value(proportional_);
    else if (is(name, "AutoSize"))
        out = Value(autoSize_);
    else
        return false;
    return true;
}

bool Image::setOwn(std::string_view name, const Value& value) {
    if (is(name, "Picture.Data"))
        picture_->loadFromData(value.toString());
    else if (is(name, "Stretch"))
        stretch_ = value.toBool();
    else if (is(name, "Center"))
        center_ = value.toBool();
    else if (is(name, "Proportional"))
        proportional_ = value.toBool();
    else if (is(name, "AutoSize"))
        autoSize_ = value.toBool();
    else
        return false;
    refreshPicture();
    return true;
}

bool Image::handleWidgetEvent(QObject* watched, QEvent* event) {
    if (watched == widget() && event->type() == QEvent::MouseButtonRelease) fireNotify("OnClick");
    return Control::handleWidgetEvent(watched, event);
}

// ---- Shape

bool ShapeTool::get(std::string_view name, Value& out) const {
    if (is(name, "Color"))
        out = colorValue_.isEmpty() ? Value(static_cast<std::int32_t>(
                                          color_.red() | color_.green() << 8 | color_.blue() << 16))
                                    : colorValue_;
    else if (is(name, "Style"))
        out = Value(style_);
    else if (is(name, "Width"))
        out = Value(width_);
    else
        return false;
    return true;
}

bool ShapeTool::set(std::string_view name, const Value& value) {
    if (is(name, "Color")) {
        colorValue_ = value;
        color_ = qtColorOf(value, color_);
    } else if (is(name, "Style"))
        style_ = value.toString();
    else if (is(name, "Width"))
        width_ = std::max(value.toInt(), 0);
    else
        return false;
    if (QWidget* w = owner_.widget()) w->update();
    return true;
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

bool Shape::getOwn(std::string_view name, Value& out) const {
    if (is(name, "Shape"))
        out = Value(shape_);
    else if (is(name, "Brush"))
        out = Value(script::wrapObject(brush_.get()));
    else if (is(name, "Pen"))
        out = Value(script::wrapObject(pen_.get()));
    else if (name.size() > 6 && is(name.substr(0, 6), "Brush."))
        return brush_->get(name.substr(6), out);
    else if (name.size() > 4 && is(name.substr(0, 4), "Pen."))
        return pen_->get(name.substr(4), out);
    else
        return false;
    return true;
}

bool Shape::setOwn(std::string_view name, const Value& value) {
    if (is(name, "Shape")) {
        shape_ = value.toString();
        if (QWidget* w = widget()) w->update();
        return true;
    }
    if (name.size() > 6 && is(name.substr(0, 6), "Brush."))
        return brush_->set(name.substr(6), value);
    if (name.size() > 4 && is(name.substr(0, 4), "Pen.")) return pen_->set(name.substr(4), value);
    return false;
}

bool Shape::handleWidgetEvent(QObject* watched, QEvent* event) {
    if (watched == widget() && event->type() == QEvent::MouseButtonRelease) fireNotify("OnClick");
    return Control::handleWidgetEvent(watched, event);
}

} // namespace vorlan::forms
