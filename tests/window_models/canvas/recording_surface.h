#pragma once
// A picture surface that writes down what it is asked to draw, one line of text per call, so
// tests can check which drawing reached the picture with which pen, brush and geometry.

#include "window_models/canvas/canvas_rules.h"
#include "window_models/canvas/picture_surface.h"

#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace vorlan::test_support {

class RecordingSurface : public windows::PictureSurface {
public:
    std::vector<std::string> calls;
    windows::CanvasSize current;
    // Files that load and save fail for.
    bool failFiles = false;
    std::filesystem::path lastFile;
    bool clipboardHasBitmap_ = false;
    // The printer of startPrint; no job when unset.
    std::optional<windows::PrinterMetrics> printer;
    std::vector<windows::CanvasRect> printed;
    int finishedJobs = 0;

    windows::CanvasSize size() const override { return current; }
    void reset(windows::CanvasSize size) override {
        current = size.width > 0 && size.height > 0 ? size : windows::CanvasSize{};
        record() << "reset " << size.width << "x" << size.height;
    }
    void line(const windows::CanvasPen& pen, windows::CanvasPoint from,
              windows::CanvasPoint to) override {
        record() << "line " << point(from) << "-" << point(to) << pen_(pen);
    }
    void rectangle(const windows::CanvasPen& pen, const windows::CanvasBrush& brush,
                   windows::CanvasRect r) override {
        record() << "rectangle " << rect(r) << pen_(pen) << brush_(brush);
    }
    void ellipse(const windows::CanvasPen& pen, const windows::CanvasBrush& brush,
                 windows::CanvasRect r) override {
        record() << "ellipse " << rect(r) << pen_(pen) << brush_(brush);
    }
    void roundRect(const windows::CanvasPen& pen, const windows::CanvasBrush&,
                   windows::CanvasRect r, windows::CanvasSize corner) override {
        record() << "roundRect " << rect(r) << " corner " << corner.width << "," << corner.height
                 << pen_(pen);
    }
    void arc(const windows::CanvasPen&, windows::CanvasRect r, windows::CanvasPoint start,
             windows::CanvasPoint end) override {
        record() << "arc " << rect(r) << " " << point(start) << " " << point(end);
    }
    void pie(const windows::CanvasPen&, const windows::CanvasBrush&, windows::CanvasRect r,
             windows::CanvasPoint start, windows::CanvasPoint end) override {
        record() << "pie " << rect(r) << " " << point(start) << " " << point(end);
    }
    void polygon(const windows::CanvasPen&, const windows::CanvasBrush&,
                 std::span<const windows::CanvasPoint> points) override {
        std::string text = "polygon";
        for (const auto& p : points)
            text += " " + point(p);
        record() << text;
    }
    void text(const windows::CanvasFont& font, const windows::CanvasBrush&, windows::CanvasPoint at,
              const std::string& text) override {
        record() << "text " << point(at) << " " << text << " " << font.size << "pt";
    }
    windows::CanvasSize textExtent(const windows::CanvasFont& font,
                                   const std::string& text) const override {
        // Every character as wide as the font is large, a line twice that.
        return {static_cast<int>(text.size()) * font.size, 2 * font.size};
    }
    void copyRect(windows::CanvasRect source, windows::CanvasRect target,
                  const windows::CanvasBrush* mergeBrush) override {
        std::ostringstream text;
        text << "copy " << rect(source) << " to " << rect(target);
        if (mergeBrush) text << " merge " << std::hex << mergeBrush->color;
        record() << text.str();
    }
    void copyToClipboard() const override {}
    bool clipboardHasBitmap() const override { return clipboardHasBitmap_; }
    bool pasteFromClipboard(windows::CanvasRect target) override {
        if (!clipboardHasBitmap_) return false;
        record() << "paste " << rect(target);
        return true;
    }
    void load(const std::filesystem::path& file) override {
        lastFile = file;
        if (failFiles) throw std::runtime_error("cannot read");
        current = {64, 32};
        record() << "load";
    }
    void save(const std::filesystem::path& file) const override {
        const_cast<RecordingSurface*>(this)->lastFile = file;
        if (failFiles) throw std::runtime_error("cannot write");
    }
    std::unique_ptr<windows::PicturePrintJob> startPrint(const std::string&) override {
        if (!printer) return nullptr;
        return std::make_unique<Job>(*this);
    }

    std::string last() const { return calls.empty() ? std::string() : calls.back(); }

private:
    struct Job : windows::PicturePrintJob {
        explicit Job(RecordingSurface& owner) : owner_(owner) {}
        int pageWidth() const override { return owner_.printer->pageWidth; }
        int pageHeight() const override { return owner_.printer->pageHeight; }
        int dotsPerInchX() const override { return owner_.printer->dotsPerInchX; }
        int dotsPerInchY() const override { return owner_.printer->dotsPerInchY; }
        void drawPicture(const windows::CanvasRect& target) override {
            owner_.printed.push_back(target);
        }
        void finish() override { ++owner_.finishedJobs; }
        RecordingSurface& owner_;
    };

    struct Line {
        explicit Line(std::vector<std::string>& calls) : calls_(calls) {}
        ~Line() { calls_.push_back(out_.str()); }
        template <typename T> Line& operator<<(const T& value) {
            out_ << value;
            return *this;
        }
        std::vector<std::string>& calls_;
        std::ostringstream out_;
    };

    Line record() const { return Line(const_cast<RecordingSurface*>(this)->calls); }
    static std::string point(windows::CanvasPoint p) {
        return std::to_string(p.x) + "," + std::to_string(p.y);
    }
    static std::string rect(windows::CanvasRect r) {
        return point({r.left, r.top}) + "-" + point({r.right, r.bottom});
    }
    static std::string pen_(const windows::CanvasPen& pen) {
        return " w" + std::to_string(pen.width) +
               (pen.mode == windows::PenMode::NotXor ? " notxor" : "");
    }
    static std::string brush_(const windows::CanvasBrush& brush) {
        return " brush" + std::to_string(static_cast<int>(brush.style));
    }
};

} // namespace vorlan::test_support
