#pragma once
// A headless run without the desktop until it needs it. The run starts on the engine alone; the
// first time the program asks for something only the front end has (a name of the desktop's
// units, a printed report, a text's width in a real font, a picture, a window) the front end is
// loaded and started offscreen, and from then on serves as in a run that had it from the start.

#include "app/vorlan/front_end.h"
#include "core/headless_ui.h"
#include "core/text_measure.h"
#include "report/paint/report_printer.h"
#include "window_models/canvas/picture_surface.h"

#include <functional>
#include <memory>

namespace vorlan::script {
class Registry;
}

namespace vorlan::app {

class LateDesktop {
public:
    // `load` gives the front end (loadFrontEnd); tests give their own.
    LateDesktop(int& argc, char** argv, std::function<FrontEnd&()> load);
    LateDesktop(const LateDesktop&) = delete;
    LateDesktop& operator=(const LateDesktop&) = delete;

    // Loaded and started at the first call.
    FrontEnd& frontEnd();
    bool started() const { return frontEnd_ != nullptr; }

    // Answers a lookup that found nothing: registers the desktop's units when the name is
    // theirs (true), once.
    bool registerWhenTheirs(script::Registry& registry, std::string_view className,
                            std::string_view name);
    bool unitsRegistered() const { return unitsRegistered_; }

private:
    int& argc_;
    char** argv_;
    std::function<FrontEnd&()> load_;
    FrontEnd* frontEnd_ = nullptr;
    bool unitsRegistered_ = false;
    // The services the run started with, kept while the front end's serve in their place:
    // something may still hold them.
    std::unique_ptr<UiServices> startingUi_;
};

// The dialogs of a headless run answer themselves; print jobs and events go to the front end's
// services once it has started, which then take this one's place (before that no event can
// arrive, and a print job without --print-to is discarded as the front end would discard it).
class LateUi : public UiServices {
public:
    explicit LateUi(std::ostream* log = nullptr);

    MessageResult messageBox(const MessageBoxRequest& request) override;
    std::optional<std::string> inputBox(const std::string& caption, const std::string& prompt,
                                        const std::string& defaultText) override;
    std::optional<std::string> openFileDialog(const FileDialogRequest& request) override;
    std::optional<std::string> saveFileDialog(const FileDialogRequest& request) override;
    std::unique_ptr<TextPrintJob>
    startTextPrint(const std::string& title, const std::string& fontName, int pointSize) override;
    bool waitAndProcessEvent() override;
    void processPendingEvents() override;
    bool headless() const override { return true; }
    void noteUnshownDialog(const std::string& kind, const std::string& title) override;

private:
    // The front end's services once they have taken this one's place.
    UiServices* front();

    std::ostream* log_;
    HeadlessUi answerer_;
};

// Widths in the real fonts, asked of the front end at the first text measured.
class LateTextMeasure : public TextMeasure {
public:
    explicit LateTextMeasure(LateDesktop& desktop) : desktop_(desktop) {}
    int textWidth(std::string_view text, std::string_view fontName, int pixelSize) const override;

private:
    LateDesktop& desktop_;
    mutable std::unique_ptr<TextMeasure> real_;
};

class LateReportPrinter : public report::ReportPrinter {
public:
    explicit LateReportPrinter(LateDesktop& desktop) : desktop_(desktop) {}
    int print(report::TSestVystup& output, const std::string& title) override;
    void writePdf(report::TSestVystup& output, const std::string& hostPath,
                  const std::string& title) override;

private:
    report::ReportPrinter& real();

    LateDesktop& desktop_;
    std::unique_ptr<report::ReportPrinter> real_;
};

// The canvas's picture: no bitmap until the program draws (the front end's picture then).
class LatePicture : public windows::PictureSurface {
public:
    explicit LatePicture(LateDesktop& desktop) : desktop_(desktop) {}

    windows::CanvasSize size() const override;
    void reset(windows::CanvasSize size) override;
    void line(const windows::CanvasPen& pen, windows::CanvasPoint from,
              windows::CanvasPoint to) override;
    void rectangle(const windows::CanvasPen& pen, const windows::CanvasBrush& brush,
                   windows::CanvasRect r) override;
    void ellipse(const windows::CanvasPen& pen, const windows::CanvasBrush& brush,
                 windows::CanvasRect r) override;
    void roundRect(const windows::CanvasPen& pen, const windows::CanvasBrush& brush,
                   windows::CanvasRect r, windows::CanvasSize corner) override;
    void arc(const windows::CanvasPen& pen, windows::CanvasRect r, windows::CanvasPoint start,
             windows::CanvasPoint end) override;
    void pie(const windows::CanvasPen& pen, const windows::CanvasBrush& brush,
             windows::CanvasRect r, windows::CanvasPoint start, windows::CanvasPoint end) override;
    void polygon(const windows::CanvasPen& pen, const windows::CanvasBrush& brush,
                 std::span<const windows::CanvasPoint> points) override;
    void text(const windows::CanvasFont& font, const windows::CanvasBrush& brush,
              windows::CanvasPoint at, const std::string& text) override;
    windows::CanvasSize textExtent(const windows::CanvasFont& font,
                                   const std::string& text) const override;
    void copyRect(windows::CanvasRect source, windows::CanvasRect target,
                  const windows::CanvasBrush* mergeBrush) override;
    void copyToClipboard() const override;
    bool clipboardHasBitmap() const override;
    bool pasteFromClipboard(windows::CanvasRect target) override;
    void load(const std::filesystem::path& file) override;
    void save(const std::filesystem::path& file) const override;
    std::unique_ptr<windows::PicturePrintJob> startPrint(const std::string& title) override;

private:
    windows::PictureSurface& real() const { return desktop_.frontEnd().picture(); }

    LateDesktop& desktop_;
};

} // namespace vorlan::app
