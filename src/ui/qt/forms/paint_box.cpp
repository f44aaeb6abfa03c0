#include "ui/qt/forms/paint_box.h"

#include "ui/qt/forms/form_values.h"

#include <QEvent>
#include <QPainter>
#include <QWidget>

#include <algorithm>

namespace vorlan::forms {

using script::Value;

namespace {

SurfaceCanvasFactory& surfaceCanvasFactory() {
    static SurfaceCanvasFactory factory = nullptr;
    return factory;
}

// Pictures larger than this are not made: a script's Width of 100000 must not take gigabytes.
constexpr int kMaxSide = 8192;

const FormClass kPaintBoxClasses[] = {
    {"TPaintBox", "TGraphicControl", create<PaintBox>, {105, 105}, false, "OnClick OnPaint"},
};

} // namespace

void setSurfaceCanvasFactory(SurfaceCanvasFactory factory) {
    surfaceCanvasFactory() = factory;
}

PaintBox::PaintBox(std::string cls) : Control(std::move(cls), new QWidget) {}

PaintBox::~PaintBox() = default;

const PropertyTable& PaintBox::propertyTable() {
    static const auto table = PropertyTable::of<PaintBox>(
        &Control::propertyTable(), {
                                       {"Canvas",
                                        [](const PaintBox& b) {
                                            auto& box = const_cast<PaintBox&>(b);
                                            script::NativeObject* canvas = box.canvas();
                                            return canvas ? Value(script::wrapObject(canvas))
                                                          : Value::null();
                                        }},
                                   });
    return table;
}

script::NativeObject* PaintBox::canvas() {
    fitSurface();
    if (!canvas_ && surfaceCanvasFactory()) canvas_ = surfaceCanvasFactory()(surface_);
    return canvas_.get();
}

void PaintBox::fitSurface() {
    const int width = std::clamp(storedWidth(), 1, kMaxSide);
    const int height = std::clamp(storedHeight(), 1, kMaxSide);
    if (surface_.width() == width && surface_.height() == height) return;
    QImage grown(width, height, QImage::Format_RGB32);
    Value color;
    getPublished("Color", color);
    grown.fill(qtColorOf(color, QColor(0xF0, 0xF0, 0xF0)));
    if (!surface_.isNull()) {
        QPainter copy(&grown);
        copy.drawImage(0, 0, surface_);
    }
    // The canvas keeps a reference to the picture: it is replaced in place.
    surface_.swap(grown);
}

void PaintBox::paint() {
    fitSurface();
    Value color;
    getPublished("Color", color);
    surface_.fill(qtColorOf(color, QColor(0xF0, 0xF0, 0xF0)));
    fireNotify("OnPaint");
}

bool PaintBox::handleWidgetEvent(QObject* watched, QEvent* event) {
    if (watched == widget()) {
        if (event->type() == QEvent::Paint) {
            paint();
            if (QWidget* w = widget()) {
                QPainter painter(w);
                painter.drawImage(0, 0, surface_);
            }
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease) fireNotify("OnClick");
    }
    return Control::handleWidgetEvent(watched, event);
}

std::span<const FormClass> paintBoxClasses() {
    return kPaintBoxClasses;
}

} // namespace vorlan::forms
