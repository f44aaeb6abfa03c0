#pragma once
// TPaintBox: a place on the form that the program paints itself. Each time the window system
// asks for the control to be drawn, the box is cleared to its colour and OnPaint draws on its
// Canvas; what was drawn then shows. A program may draw on the Canvas at any time (without a
// screen too): the drawing lasts until the box is painted again.

#include "ui/qt/forms/control.h"
#include "ui/qt/forms/form_class.h"

#include <QImage>

#include <memory>
#include <span>

namespace vorlan::forms {

// The canvas of a paint box draws on its picture; the graphics unit, registered after the
// forms, makes it (a TCanvas). Until then a paint box has no Canvas.
using SurfaceCanvasFactory = std::unique_ptr<script::NativeObject> (*)(QImage& surface);
void setSurfaceCanvasFactory(SurfaceCanvasFactory factory);

class PaintBox : public Control {
public:
    explicit PaintBox(std::string cls);
    ~PaintBox() override;
    // Canvas (read only).
    static const PropertyTable& propertyTable();
    const PropertyTable& properties() const override { return propertyTable(); }

    // The picture the canvas draws on, the size of the control.
    const QImage& surface() const { return surface_; }
    // Clears the picture to the box's colour and lets OnPaint draw.
    void paint();

protected:
    bool handleWidgetEvent(QObject* watched, QEvent* event) override;

private:
    script::NativeObject* canvas();
    // The picture at the control's size; what was drawn stays where it still fits.
    void fitSurface();

    QImage surface_;
    std::unique_ptr<script::NativeObject> canvas_;
};

std::span<const FormClass> paintBoxClasses();

} // namespace vorlan::forms
