#include "app/vorlan/headless_windows.h"

namespace vorlan::app {

LazyConsoleView::LazyConsoleView(windows::Console& console, std::function<WindowMaker&()> maker)
    : console_(console), maker_(std::move(maker)) {
    console_.attachView(this);
}

LazyConsoleView::~LazyConsoleView() {
    if (console_.view() == this) console_.attachView(nullptr);
}

windows::ConsoleView& LazyConsoleView::window() const {
    // The window attaches itself to the console in its constructor and gets the text so far.
    if (!window_) window_ = maker_().consoleWindow(console_);
    return *window_;
}

void LazyConsoleView::showConsole() {
    window().showConsole();
}

void LazyConsoleView::hideConsole() {
    // A window never made was never shown: there is nothing to hide.
    if (window_) window_->hideConsole();
}

bool LazyConsoleView::consoleVisible() const {
    return window_ && window_->consoleVisible();
}

void LazyConsoleView::setConsoleGeometry(int left, int top, int width, int height) {
    window().setConsoleGeometry(left, top, width, height);
}

std::string LazyConsoleView::consoleFontName() const {
    return window().consoleFontName();
}

int LazyConsoleView::consoleFontSize() const {
    return window().consoleFontSize();
}

LazyCanvasView::LazyCanvasView(windows::Canvas& canvas, std::function<WindowMaker&()> maker)
    : canvas_(canvas), maker_(std::move(maker)) {
    canvas_.attachView(this);
}

LazyCanvasView::~LazyCanvasView() {
    if (canvas_.view() == this) canvas_.attachView(nullptr);
}

windows::CanvasView& LazyCanvasView::window() const {
    // The window attaches itself to the canvas in its constructor.
    if (!window_) window_ = maker_().canvasWindow(canvas_);
    return *window_;
}

void LazyCanvasView::showCanvas() {
    window().showCanvas();
}

void LazyCanvasView::hideCanvas() {
    if (window_) window_->hideCanvas();
}

bool LazyCanvasView::canvasVisible() const {
    return window_ && window_->canvasVisible();
}

void LazyCanvasView::setCanvasGeometry(int left, int top, int width, int height) {
    window().setCanvasGeometry(left, top, width, height);
}

windows::CanvasSize LazyCanvasView::imageAreaSize() const {
    return window().imageAreaSize();
}

LazyDbfView::LazyDbfView(windows::DbfWorkAreas& areas, std::function<WindowMaker&()> maker)
    : areas_(areas), maker_(std::move(maker)) {
    areas_.setView(this);
}

LazyDbfView::~LazyDbfView() {
    // A window made later took the areas over and lets them go itself.
    if (!window_) areas_.setView(nullptr);
}

windows::DbfAreaView& LazyDbfView::window() {
    // The window makes itself the areas' view in its constructor.
    if (!window_) window_ = maker_().dbfWindow(areas_);
    return *window_;
}

void LazyDbfView::showWindow() {
    window().showWindow();
}

void LazyDbfView::hideWindow() {
    if (window_) window_->hideWindow();
}

void LazyDbfView::placeWindow(int left, int top, int width, int height) {
    window().placeWindow(left, top, width, height);
}

} // namespace vorlan::app
