#pragma once
// The permanent output windows of a headless run. Nobody sees them there, and making them
// costs more than most batch programs: the text and graphics windows are made only when the
// program first asks something that only the window knows (its visibility, its placement, the
// size of its picture, its font) and the database window when the program shows or places it. Until
// then the models keep the text, the picture and the state, and a window made late takes them over
// as if it had been there from the start.

#include "window_models/canvas/canvas.h"
#include "window_models/console/console.h"
#include "window_models/dbf/work_areas.h"

#include <functional>
#include <memory>
#include <string>

namespace vorlan::app {

// Makes the real windows over the models (the front end).
class WindowMaker {
public:
    virtual ~WindowMaker() = default;
    // Each window attaches itself to its model and takes over what the model holds.
    virtual std::unique_ptr<windows::ConsoleView> consoleWindow(windows::Console& console) = 0;
    // Placed as the settings store them, not shown.
    virtual std::unique_ptr<windows::CanvasView> canvasWindow(windows::Canvas& canvas) = 0;
    virtual std::unique_ptr<windows::DbfAreaView> dbfWindow(windows::DbfWorkAreas& areas) = 0;
};

class LazyConsoleView : public windows::ConsoleView {
public:
    LazyConsoleView(windows::Console& console, std::function<WindowMaker&()> maker);
    ~LazyConsoleView() override;
    LazyConsoleView(const LazyConsoleView&) = delete;
    LazyConsoleView& operator=(const LazyConsoleView&) = delete;

    bool windowMade() const { return window_ != nullptr; }

    // The model holds the text; a window made later reads all of it when it attaches.
    void textAppended(std::int32_t, std::string_view) override {}
    void lineAdded() override {}
    void cleared() override {}

    void showConsole() override;
    void hideConsole() override;
    bool consoleVisible() const override;
    void setConsoleGeometry(int left, int top, int width, int height) override;
    std::string consoleFontName() const override;
    int consoleFontSize() const override;

private:
    windows::ConsoleView& window() const;

    windows::Console& console_;
    std::function<WindowMaker&()> maker_;
    mutable std::unique_ptr<windows::ConsoleView> window_;
};

class LazyCanvasView : public windows::CanvasView {
public:
    LazyCanvasView(windows::Canvas& canvas, std::function<WindowMaker&()> maker);
    ~LazyCanvasView() override;
    LazyCanvasView(const LazyCanvasView&) = delete;
    LazyCanvasView& operator=(const LazyCanvasView&) = delete;

    bool windowMade() const { return window_ != nullptr; }

    void showCanvas() override;
    void hideCanvas() override;
    bool canvasVisible() const override;
    void setCanvasGeometry(int left, int top, int width, int height) override;
    // A window that does not exist shows nothing: a window made later paints the picture.
    void pictureChanged() override {}
    void repaintCanvas() override {}
    windows::CanvasSize imageAreaSize() const override;

private:
    windows::CanvasView& window() const;

    windows::Canvas& canvas_;
    std::function<WindowMaker&()> maker_;
    mutable std::unique_ptr<windows::CanvasView> window_;
};

// The database window reads the work areas' whole state when it is made (selected area, open
// table, orders, filter), so the notes about changes before then are not needed.
class LazyDbfView : public windows::DbfAreaView {
public:
    LazyDbfView(windows::DbfWorkAreas& areas, std::function<WindowMaker&()> maker);
    ~LazyDbfView() override;
    LazyDbfView(const LazyDbfView&) = delete;
    LazyDbfView& operator=(const LazyDbfView&) = delete;

    bool windowMade() const { return window_ != nullptr; }

    void showWindow() override;
    void hideWindow() override;
    void placeWindow(int left, int top, int width, int height) override;

private:
    windows::DbfAreaView& window();

    windows::DbfWorkAreas& areas_;
    std::function<WindowMaker&()> maker_;
    std::unique_ptr<windows::DbfAreaView> window_;
};

} // namespace vorlan::app
