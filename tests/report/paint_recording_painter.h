#pragma once
// A painter that writes down what it is asked to draw, with text one unit wide per character.

#include "report/paint/painter.h"

#include <string>
#include <vector>

namespace vorlan::report::test {

struct Call {
    // "text", "line", "rect", "round", "ellipse", "polyline", "polygon", "polypolygon",
    // "picture", "clip", "noclip"
    std::string what;
    double x = 0, y = 0;
    int a = 0, b = 0, c = 0, d = 0;
    std::string text; // the text, or the picture's data
    std::vector<DevicePoint> points;
    PaintPen pen;
    PaintBrush brush;
    PaintFont font;
};

class RecordingPainter : public Painter {
public:
    std::vector<Call> calls;
    PaintPen pen;
    PaintBrush brush;
    PaintFont font;
    double charWidth = 1;
    double height = 10;
    PictureSize picture{40, 20};

    std::vector<Call> only(const std::string& what) const {
        std::vector<Call> out;
        for (const auto& call : calls)
            if (call.what == what) out.push_back(call);
        return out;
    }

    void setPen(const PaintPen& p) override { pen = p; }
    void setBrush(const PaintBrush& b) override { brush = b; }
    void setFont(const PaintFont& f) override { font = f; }
    double textWidth(std::string_view text, double spacing) override {
        return static_cast<double>(text.size()) * (charWidth + spacing);
    }
    double lineHeight() override { return height; }
    double ascent() override { return height * 0.8; }
    void drawText(double x, double y, std::string_view text, double) override {
        record("text", 0, 0, 0, 0).x = x;
        calls.back().y = y;
        calls.back().text = std::string(text);
    }
    void drawLine(int x1, int y1, int x2, int y2) override { record("line", x1, y1, x2, y2); }
    void drawRectangle(const DeviceRect& r) override { recordRect("rect", r); }
    void drawRoundRectangle(const DeviceRect& r, int, int) override { recordRect("round", r); }
    void drawEllipse(const DeviceRect& r) override { recordRect("ellipse", r); }
    std::optional<PictureSize> pictureSize(std::string_view data) override {
        if (data == "bad") return std::nullopt;
        return picture;
    }
    void drawPolyline(const std::vector<DevicePoint>& p) override {
        record("polyline", 0, 0, 0, 0).points = p;
    }
    void drawPolygon(const std::vector<DevicePoint>& p) override {
        record("polygon", 0, 0, 0, 0).points = p;
    }
    // Each shape of a filled group is recorded as "polypolygon" with its group's size in `a`.
    void drawPolyPolygon(const std::vector<std::vector<DevicePoint>>& shapes) override {
        for (const auto& shape : shapes)
            record("polypolygon", static_cast<int>(shapes.size()), 0, 0, 0).points = shape;
    }
    void drawPicture(std::string_view data, const DeviceRect& r) override {
        recordRect("picture", r);
        calls.back().text = std::string(data);
    }
    void setClip(const DeviceRect& r) override { recordRect("clip", r); }
    void clearClip() override { record("noclip", 0, 0, 0, 0); }

private:
    Call& record(const char* what, int a, int b, int c, int d) {
        Call call;
        call.what = what;
        call.a = a, call.b = b, call.c = c, call.d = d;
        call.pen = pen, call.brush = brush, call.font = font;
        calls.push_back(call);
        return calls.back();
    }
    void recordRect(const char* what, const DeviceRect& r) {
        record(what, r.left, r.top, r.width, r.height);
    }
};

} // namespace vorlan::report::test
