#include "window_models/canvas/canvas.h"

#include "core/cp1250.h"
#include "core/path_mapper.h"
#include "core/ui_services.h"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace vorlan::windows {

namespace {

// The picture area of the window at its first size, for drawings made before it exists.
constexpr CanvasSize kDefaultImageArea{315, 225};

} // namespace

Canvas::Canvas(PictureSurface& surface) : surface_(surface) {}

std::string Canvas::caption() {
    return czech("Výstup - grafika");
}

void Canvas::show() {
    visible_ = true;
    if (view_) view_->showCanvas();
}

void Canvas::hide() {
    visible_ = false;
    if (view_) view_->hideCanvas();
}

bool Canvas::visible() const {
    return view_ ? view_->canvasVisible() : visible_;
}

void Canvas::setGeometry(int left, int top, int width, int height) {
    geometry_ = {left, top, width, height};
    if (view_) view_->setCanvasGeometry(left, top, width, height);
}

void Canvas::refresh() {
    if (view_) view_->repaintCanvas();
}

void Canvas::init(int width, int height) {
    surface_.reset({std::max(width, 0), std::max(height, 0)});
    changed();
}

void Canvas::clear() {
    surface_.reset(surface_.size());
    changed();
}

void Canvas::setPenStyle(int number) {
    if (const auto style = penStyleOf(number)) pen_.style = *style;
}

void Canvas::setBrushStyle(int number) {
    if (const auto style = brushStyleOf(number)) brush_.style = *style;
}

void Canvas::setFontStyles(int number) {
    if (const auto styles = fontStylesOf(number)) font_.styles = *styles;
}

void Canvas::ensureBitmap() {
    const CanvasSize size = surface_.size();
    if (size.width > 0 && size.height > 0) return;
    CanvasSize area = view_ ? view_->imageAreaSize() : kDefaultImageArea;
    if (area.width <= 0 || area.height <= 0) area = kDefaultImageArea;
    surface_.reset(area);
}

void Canvas::changed() {
    if (view_) view_->pictureChanged();
}

void Canvas::moveTo(CanvasPoint to) {
    penPosition_ = to;
}

void Canvas::lineTo(CanvasPoint to) {
    ensureBitmap();
    surface_.line(pen_, penPosition_, to);
    penPosition_ = to;
    changed();
}

void Canvas::line(CanvasPoint from, CanvasPoint to) {
    moveTo(from);
    lineTo(to);
}

void Canvas::point(CanvasPoint at, int size) {
    CanvasPen dot = pen_;
    dot.width = size;
    ensureBitmap();
    surface_.line(dot, at, at);
    penPosition_ = at;
    changed();
}

void Canvas::rectangle(CanvasRect r) {
    ensureBitmap();
    surface_.rectangle(pen_, brush_, r);
    changed();
}

void Canvas::ellipse(CanvasRect r) {
    ensureBitmap();
    surface_.ellipse(pen_, brush_, r);
    changed();
}

void Canvas::roundRect(CanvasRect r, CanvasSize corner) {
    ensureBitmap();
    surface_.roundRect(pen_, brush_, r, corner);
    changed();
}

void Canvas::arc(CanvasRect r, CanvasPoint start, CanvasPoint end) {
    ensureBitmap();
    surface_.arc(pen_, r, start, end);
    changed();
}

void Canvas::pie(CanvasRect r, CanvasPoint start, CanvasPoint end) {
    ensureBitmap();
    surface_.pie(pen_, brush_, r, start, end);
    changed();
}

void Canvas::triangle(CanvasPoint a, CanvasPoint b, CanvasPoint c) {
    ensureBitmap();
    const std::array<CanvasPoint, 3> points{a, b, c};
    surface_.polygon(pen_, brush_, points);
    changed();
}

void Canvas::textOut(CanvasPoint at, const std::string& text) {
    ensureBitmap();
    surface_.text(font_, brush_, at, text);
    // The pen waits after the text, so the next piece of text can follow on.
    penPosition_ = {at.x + surface_.textExtent(font_, text).width, at.y};
    changed();
}

int Canvas::textWidth(const std::string& text) const {
    return surface_.textExtent(font_, text).width;
}

int Canvas::textHeight(const std::string& text) const {
    return surface_.textExtent(font_, text).height;
}

void Canvas::move(CanvasRect source, CanvasRect target) {
    ensureBitmap();
    // The merge copy is for this one copy; later copies are plain again.
    surface_.copyRect(source, target, &brush_);
    changed();
}

void Canvas::toClipboard() {
    surface_.copyToClipboard();
}

void Canvas::fromClipboard(CanvasRect target) {
    // Without a bitmap to paste the picture is not touched at all, not even created.
    if (!surface_.clipboardHasBitmap()) return;
    ensureBitmap();
    if (surface_.pasteFromClipboard(target)) changed();
}

void Canvas::reportFileError(const std::string& text, const std::string& name) {
    MessageBoxRequest request;
    request.caption = applicationTitle();
    request.text = text + name;
    request.icon = MessageIcon::Error;
    request.buttons = ButtonOk;
    ui().messageBox(request);
}

bool Canvas::load(const std::string& name) {
    const std::string file = pictureFileName(name);
    try {
        surface_.load(pathMapper().toHost(file));
    } catch (...) {
        reportFileError(czech("Nelze načíst obrázek ze souboru "), file);
        return false;
    }
    changed();
    return true;
}

bool Canvas::save(const std::string& name) {
    const std::string file = pictureFileName(name);
    try {
        surface_.save(pathMapper().toHost(file));
    } catch (...) {
        reportFileError(czech("Nelze uložit obrázek do souboru "), file);
        return false;
    }
    return true;
}

bool Canvas::loadChosen(const std::string& name) {
    try {
        surface_.load(pathMapper().toHost(name));
    } catch (...) {
        reportFileError(czech("nelze načíst obrázek ze souboru "), name);
        return false;
    }
    changed();
    return true;
}

void Canvas::saveChosen(const std::string& name) {
    try {
        surface_.save(pathMapper().toHost(name));
    } catch (...) {
        // Passed on, but with a text the user can act on.
        throw std::runtime_error(czech("Nelze uložit obrázek do souboru ") + name);
    }
}

void Canvas::print(int x1, int y1, int x2, int y2) {
    const CanvasSize picture = surface_.size();
    if (picture.width <= 0 || picture.height <= 0) return;
    auto job = surface_.startPrint(caption());
    if (!job) return;
    const PrinterMetrics printer{job->pageWidth(), job->pageHeight(), job->dotsPerInchX(),
                                 job->dotsPerInchY()};
    if (const auto target = printRectangle(x1, y1, x2, y2, picture, printer))
        job->drawPicture(*target);
    job->finish();
}

void Canvas::drawShape(CanvasPoint from, CanvasPoint to, PenMode mode) {
    pen_.mode = mode;
    const CanvasRect r{from.x, from.y, to.x, to.y};
    switch (tool_) {
    case DrawingTool::Line:
        surface_.line(pen_, from, to);
        penPosition_ = to;
        break;
    case DrawingTool::Rectangle:
        surface_.rectangle(pen_, brush_, r);
        break;
    case DrawingTool::Ellipse:
        surface_.ellipse(pen_, brush_, r);
        break;
    case DrawingTool::RoundRect:
        surface_.roundRect(pen_, brush_, r, dragCorner(from, to));
        break;
    }
}

void Canvas::mouseDown(CanvasPoint at) {
    ensureBitmap();
    dragging_ = true;
    penPosition_ = at;
    dragStart_ = dragEnd_ = at;
    bandShown_ = false;
}

void Canvas::mouseMove(CanvasPoint at) {
    if (!dragging_) return;
    if (bandShown_) drawShape(dragStart_, dragEnd_, PenMode::NotXor);
    dragEnd_ = at;
    bandShown_ = true;
    drawShape(dragStart_, dragEnd_, PenMode::NotXor);
    changed();
}

void Canvas::mouseUp(CanvasPoint at) {
    if (dragging_) {
        // Take the band away first: where the button comes up off the band's end, or the pen
        // leaves gaps, it would otherwise stay on the picture.
        if (bandShown_) drawShape(dragStart_, dragEnd_, PenMode::NotXor);
        drawShape(dragStart_, at, PenMode::Copy);
        changed();
    }
    dragging_ = false;
    bandShown_ = false;
}

} // namespace vorlan::windows
