#include "app/vorlan/late_desktop.h"

#include "app/vorlan/runtime_units.h"
#include "core/cp1250.h"
#include "script/registry.h"

#include <iostream>

namespace vorlan::app {

LateDesktop::LateDesktop(int& argc, char** argv, std::function<FrontEnd&()> load)
    : argc_(argc), argv_(argv), load_(std::move(load)) {}

FrontEnd& LateDesktop::frontEnd() {
    if (!frontEnd_) {
        FrontEnd& loaded = load_();
        loaded.startHeadless(argc_, argv_);
        frontEnd_ = &loaded;
        // The front end's windows and printing reach for its own services.
        startingUi_ = setUi(loaded.ui({}));
    }
    return *frontEnd_;
}

bool LateDesktop::registerWhenTheirs(script::Registry& registry, std::string_view className,
                                     std::string_view name) {
    if (unitsRegistered_) return false;
    const bool theirs =
        className.empty() ? isDesktopName(name) : isDesktopMember(registry, className, name);
    if (!theirs) return false;
    unitsRegistered_ = true;
    registerDesktopUnitsLate(registry, frontEnd().units());
    return true;
}

// ---- dialogs and print jobs

namespace {

class DiscardedTextPrint : public TextPrintJob {
public:
    void writeLine(const std::string&) override {}
    void finish() override {}
};

} // namespace

LateUi::LateUi(std::ostream* log) : log_(log ? log : &std::cerr), answerer_(log_) {}

UiServices* LateUi::front() {
    UiServices& current = ui();
    return &current == this ? nullptr : &current;
}

MessageResult LateUi::messageBox(const MessageBoxRequest& request) {
    return answerer_.messageBox(request);
}

std::optional<std::string> LateUi::inputBox(const std::string& caption, const std::string& prompt,
                                            const std::string& defaultText) {
    return answerer_.inputBox(caption, prompt, defaultText);
}

std::optional<std::string> LateUi::openFileDialog(const FileDialogRequest& request) {
    return answerer_.openFileDialog(request);
}

std::optional<std::string> LateUi::saveFileDialog(const FileDialogRequest& request) {
    return answerer_.saveFileDialog(request);
}

std::unique_ptr<TextPrintJob> LateUi::startTextPrint(const std::string& title,
                                                     const std::string& fontName, int pointSize) {
    if (UiServices* other = front()) return other->startTextPrint(title, fontName, pointSize);
    // Without --print-to a headless run has nowhere to print: the job is dropped, and said so.
    *log_ << "[print] " << cp1250ToUtf8(title) << ": zahozeno (chybí --print-to)" << std::endl;
    return std::make_unique<DiscardedTextPrint>();
}

bool LateUi::waitAndProcessEvent() {
    UiServices* other = front();
    return other && other->waitAndProcessEvent();
}

void LateUi::processPendingEvents() {
    if (UiServices* other = front()) other->processPendingEvents();
}

void LateUi::noteUnshownDialog(const std::string& kind, const std::string& title) {
    answerer_.noteUnshownDialog(kind, title);
}

// ---- fonts and printing

int LateTextMeasure::textWidth(std::string_view text, std::string_view fontName,
                               int pixelSize) const {
    if (!real_) real_ = desktop_.frontEnd().textMeasure();
    return real_->textWidth(text, fontName, pixelSize);
}

report::ReportPrinter& LateReportPrinter::real() {
    if (!real_) real_ = desktop_.frontEnd().reportPrinter();
    return *real_;
}

int LateReportPrinter::print(report::TSestVystup& output, const std::string& title) {
    return real().print(output, title);
}

void LateReportPrinter::writePdf(report::TSestVystup& output, const std::string& hostPath,
                                 const std::string& title) {
    real().writePdf(output, hostPath, title);
}

// ---- the canvas's picture

windows::CanvasSize LatePicture::size() const {
    return desktop_.started() ? real().size() : windows::CanvasSize{};
}

void LatePicture::reset(windows::CanvasSize size) {
    real().reset(size);
}

void LatePicture::line(const windows::CanvasPen& pen, windows::CanvasPoint from,
                       windows::CanvasPoint to) {
    real().line(pen, from, to);
}

void LatePicture::rectangle(const windows::CanvasPen& pen, const windows::CanvasBrush& brush,
                            windows::CanvasRect r) {
    real().rectangle(pen, brush, r);
}

void LatePicture::ellipse(const windows::CanvasPen& pen, const windows::CanvasBrush& brush,
                          windows::CanvasRect r) {
    real().ellipse(pen, brush, r);
}

void LatePicture::roundRect(const windows::CanvasPen& pen, const windows::CanvasBrush& brush,
                            windows::CanvasRect r, windows::CanvasSize corner) {
    real().roundRect(pen, brush, r, corner);
}

void LatePicture::arc(const windows::CanvasPen& pen, windows::CanvasRect r,
                      windows::CanvasPoint start, windows::CanvasPoint end) {
    real().arc(pen, r, start, end);
}

void LatePicture::pie(const windows::CanvasPen& pen, const windows::CanvasBrush& brush,
                      windows::CanvasRect r, windows::CanvasPoint start, windows::CanvasPoint end) {
    real().pie(pen, brush, r, start, end);
}

void LatePicture::polygon(const windows::CanvasPen& pen, const windows::CanvasBrush& brush,
                          std::span<const windows::CanvasPoint> points) {
    real().polygon(pen, brush, points);
}

void LatePicture::text(const windows::CanvasFont& font, const windows::CanvasBrush& brush,
                       windows::CanvasPoint at, const std::string& text) {
    real().text(font, brush, at, text);
}

windows::CanvasSize LatePicture::textExtent(const windows::CanvasFont& font,
                                            const std::string& text) const {
    return real().textExtent(font, text);
}

void LatePicture::copyRect(windows::CanvasRect source, windows::CanvasRect target,
                           const windows::CanvasBrush* mergeBrush) {
    real().copyRect(source, target, mergeBrush);
}

void LatePicture::copyToClipboard() const {
    real().copyToClipboard();
}

bool LatePicture::clipboardHasBitmap() const {
    return real().clipboardHasBitmap();
}

bool LatePicture::pasteFromClipboard(windows::CanvasRect target) {
    return real().pasteFromClipboard(target);
}

void LatePicture::load(const std::filesystem::path& file) {
    real().load(file);
}

void LatePicture::save(const std::filesystem::path& file) const {
    real().save(file);
}

std::unique_ptr<windows::PicturePrintJob> LatePicture::startPrint(const std::string& title) {
    return real().startPrint(title);
}

} // namespace vorlan::app
