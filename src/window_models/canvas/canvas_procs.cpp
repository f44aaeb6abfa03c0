#include "window_models/canvas/canvas_procs.h"

#include "script/bind.h"
#include "window_models/canvas/canvas.h"

namespace vorlan::windows {

namespace {

constexpr const char* kFourPoints = "procedure(X1, Y1, X2, Y2, X3, Y3, X4, Y4: Integer)";
constexpr const char* kTwoPoints = "procedure(X1, Y1, X2, Y2: Integer)";

} // namespace

void registerCanvas(script::Registry& registry, Canvas& canvas) {
    if (registry.findProc("ImageArc")) return;
    Canvas* c = &canvas;
    script::Binder b(registry);
    b.bind("ImageArc", kFourPoints,
           [c](int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
               c->arc({x1, y1, x2, y2}, {x3, y3}, {x4, y4});
           });
    b.bind("ImageEllipse", kTwoPoints, [c](int x1, int y1, int x2, int y2) {
        c->ellipse({x1, y1, x2, y2});
    });
    // An empty picture, or any trouble asking, is 0.
    b.bind("ImageGetMaxX", "function: Integer", [c] {
        try {
            return c->pictureSize().width;
        } catch (...) {
            return 0;
        }
    });
    b.bind("ImageGetMaxY", "function: Integer", [c] {
        try {
            return c->pictureSize().height;
        } catch (...) {
            return 0;
        }
    });
    b.bind("ImageBrushColor", "procedure(Color: Integer)",
           [c](int color) { c->brush().color = color; });
    b.bind("ImageBrushStyle", "procedure(Style: Integer)",
           [c](int style) { c->setBrushStyle(style); });
    b.bind("ImageClear", "procedure", [c] { c->clear(); });
    b.bind("ImageFontColor", "procedure(Color: Integer)",
           [c](int color) { c->font().color = color; });
    b.bind("ImageFontName", "procedure(Name: String)",
           [c](std::string name) { c->font().name = std::move(name); });
    b.bind("ImageFontSize", "procedure(Size: Integer)", [c](int size) { c->font().size = size; });
    b.bind("ImageFontStyle", "procedure(Style: Integer)",
           [c](int style) { c->setFontStyles(style); });
    b.bind("ImageFromClip", kTwoPoints, [c](int x1, int y1, int x2, int y2) {
        c->fromClipboard({x1, y1, x2, y2});
    });
    b.bind("ImageInit", "procedure(Width, Height: Integer)",
           [c](int width, int height) { c->init(width, height); });
    b.bind("ImageLoad", "procedure(FileName: String)",
           [c](const std::string& name) { c->load(name); });
    b.bind("ImageMove", kFourPoints,
           [c](int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
               c->move({x1, y1, x2, y2}, {x3, y3, x4, y4});
           });
    b.bind("ImagePenColor", "procedure(Color: Integer)",
           [c](int color) { c->pen().color = color; });
    b.bind("ImagePenWidth", "procedure(Width: Integer)",
           [c](int width) { c->pen().width = width; });
    b.bind("ImagePenStyle", "procedure(Style: Integer)", [c](int style) { c->setPenStyle(style); });
    b.bind("ImagePrint", kTwoPoints,
           [c](int x1, int y1, int x2, int y2) { c->print(x1, y1, x2, y2); });
    b.bind("ImageRefresh", "procedure", [c] { c->refresh(); });
    b.bind("ImageSave", "procedure(FileName: String)",
           [c](const std::string& name) { c->save(name); });
    b.bind("ImageToClip", "procedure", [c] { c->toClipboard(); });
    b.bind("ImageLine", kTwoPoints, [c](int x1, int y1, int x2, int y2) {
        c->line({x1, y1}, {x2, y2});
    });
    b.bind("ImageLineTo", "procedure(X, Y: Integer)", [c](int x, int y) { c->lineTo({x, y}); });
    b.bind("ImageMoveTo", "procedure(X, Y: Integer)", [c](int x, int y) { c->moveTo({x, y}); });
    b.bind("ImagePie", kFourPoints,
           [c](int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
               c->pie({x1, y1, x2, y2}, {x3, y3}, {x4, y4});
           });
    b.bind("ImagePoint", "procedure(X, Y, Size: Integer)", [c](int x, int y, int size) {
        c->point({x, y}, size);
    });
    b.bind("ImageRectangle", kTwoPoints, [c](int x1, int y1, int x2, int y2) {
        c->rectangle({x1, y1, x2, y2});
    });
    b.bind("ImageRoundRect", "procedure(X1, Y1, X2, Y2, X3, Y3: Integer)",
           [c](int x1, int y1, int x2, int y2, int width, int height) {
               c->roundRect({x1, y1, x2, y2}, {width, height});
           });
    b.bind("ImageTextHeight", "function(Text: String): Integer",
           [c](const std::string& text) { return c->textHeight(text); });
    b.bind("ImageTextWidth", "function(Text: String): Integer",
           [c](const std::string& text) { return c->textWidth(text); });
    b.bind("ImageTextOut", "procedure(X, Y: Integer; Text: String)",
           [c](int x, int y, const std::string& text) {
               c->textOut({x, y}, text);
           });
    b.bind("ImageTriangle", "procedure(X1, Y1, X2, Y2, X3, Y3: Integer)",
           [c](int x1, int y1, int x2, int y2, int x3, int y3) {
               c->triangle({x1, y1}, {x2, y2}, {x3, y3});
           });
    b.bind("ImageHide", "procedure", [c] { c->hide(); });
    b.bind("ImageShow", "procedure", [c] { c->show(); });
    b.bind("ImageForm", "procedure(Left, Top, Width, Height: Integer)",
           [c](int left, int top, int width, int height) {
               c->setGeometry(left, top, width, height);
           });
}

} // namespace vorlan::windows
