#include "windows/canvas/canvas_procs.h"

#include "script/registry.h"
#include "windows/canvas/canvas.h"

namespace vorlan::windows {

using script::NativeObject;
using script::Value;

namespace {

using Args = std::span<Value>;

int arg(Args args, std::size_t i) {
    return args[i].toInt();
}

CanvasPoint pointAt(Args args, std::size_t i) {
    return {arg(args, i), arg(args, i + 1)};
}

CanvasRect rectAt(Args args, std::size_t i) {
    return {arg(args, i), arg(args, i + 1), arg(args, i + 2), arg(args, i + 3)};
}

constexpr const char* kFourPoints = "procedure(X1, Y1, X2, Y2, X3, Y3, X4, Y4: Integer)";
constexpr const char* kTwoPoints = "procedure(X1, Y1, X2, Y2: Integer)";

} // namespace

void registerCanvas(script::Registry& registry, Canvas& canvas) {
    if (registry.findProc("ImageArc")) return;
    Canvas* c = &canvas;
    // A plain procedure of the canvas.
    auto proc = [&registry](const char* name, const char* declaration, auto body) {
        registry.registerProc(name, declaration,
                              [body](NativeObject*, Args args, Value&) { body(args); });
    };
    // A function whose result is an integer.
    auto intFunction = [&registry](const char* name, const char* declaration, auto body) {
        registry.registerProc(name, declaration, [body](NativeObject*, Args args, Value& result) {
            result = Value(static_cast<std::int32_t>(body(args)));
        });
    };

    proc("ImageArc", kFourPoints,
         [c](Args a) { c->arc(rectAt(a, 0), pointAt(a, 4), pointAt(a, 6)); });
    proc("ImageEllipse", kTwoPoints, [c](Args a) { c->ellipse(rectAt(a, 0)); });
    // An empty picture, or any trouble asking, is 0.
    intFunction("ImageGetMaxX", "function: Integer", [c](Args) {
        try {
            return c->pictureSize().width;
        } catch (...) {
            return 0;
        }
    });
    intFunction("ImageGetMaxY", "function: Integer", [c](Args) {
        try {
            return c->pictureSize().height;
        } catch (...) {
            return 0;
        }
    });
    proc("ImageBrushColor", "procedure(Color: Integer)",
         [c](Args a) { c->brush().color = arg(a, 0); });
    proc("ImageBrushStyle", "procedure(Style: Integer)",
         [c](Args a) { c->setBrushStyle(arg(a, 0)); });
    proc("ImageClear", "procedure", [c](Args) { c->clear(); });
    proc("ImageFontColor", "procedure(Color: Integer)",
         [c](Args a) { c->font().color = arg(a, 0); });
    proc("ImageFontName", "procedure(Name: String)",
         [c](Args a) { c->font().name = a[0].toString(); });
    proc("ImageFontSize", "procedure(Size: Integer)", [c](Args a) { c->font().size = arg(a, 0); });
    proc("ImageFontStyle", "procedure(Style: Integer)",
         [c](Args a) { c->setFontStyles(arg(a, 0)); });
    proc("ImageFromClip", kTwoPoints, [c](Args a) { c->fromClipboard(rectAt(a, 0)); });
    proc("ImageInit", "procedure(Width, Height: Integer)",
         [c](Args a) { c->init(arg(a, 0), arg(a, 1)); });
    proc("ImageLoad", "procedure(FileName: String)", [c](Args a) { c->load(a[0].toString()); });
    proc("ImageMove", kFourPoints, [c](Args a) { c->move(rectAt(a, 0), rectAt(a, 4)); });
    proc("ImagePenColor", "procedure(Color: Integer)", [c](Args a) { c->pen().color = arg(a, 0); });
    proc("ImagePenWidth", "procedure(Width: Integer)", [c](Args a) { c->pen().width = arg(a, 0); });
    proc("ImagePenStyle", "procedure(Style: Integer)", [c](Args a) { c->setPenStyle(arg(a, 0)); });
    proc("ImagePrint", kTwoPoints,
         [c](Args a) { c->print(arg(a, 0), arg(a, 1), arg(a, 2), arg(a, 3)); });
    proc("ImageRefresh", "procedure", [c](Args) { c->refresh(); });
    proc("ImageSave", "procedure(FileName: String)", [c](Args a) { c->save(a[0].toString()); });
    proc("ImageToClip", "procedure", [c](Args) { c->toClipboard(); });
    proc("ImageLine", kTwoPoints, [c](Args a) { c->line(pointAt(a, 0), pointAt(a, 2)); });
    proc("ImageLineTo", "procedure(X, Y: Integer)", [c](Args a) { c->lineTo(pointAt(a, 0)); });
    proc("ImageMoveTo", "procedure(X, Y: Integer)", [c](Args a) { c->moveTo(pointAt(a, 0)); });
    proc("ImagePie", kFourPoints,
         [c](Args a) { c->pie(rectAt(a, 0), pointAt(a, 4), pointAt(a, 6)); });
    proc("ImagePoint", "procedure(X, Y, Size: Integer)",
         [c](Args a) { c->point(pointAt(a, 0), arg(a, 2)); });
    proc("ImageRectangle", kTwoPoints, [c](Args a) { c->rectangle(rectAt(a, 0)); });
    proc("ImageRoundRect", "procedure(X1, Y1, X2, Y2, X3, Y3: Integer)", [c](Args a) {
        c->roundRect(rectAt(a, 0), {arg(a, 4), arg(a, 5)});
    });
    intFunction("ImageTextHeight", "function(Text: String): Integer",
                [c](Args a) { return c->textHeight(a[0].toString()); });
    intFunction("ImageTextWidth", "function(Text: String): Integer",
                [c](Args a) { return c->textWidth(a[0].toString()); });
    proc("ImageTextOut", "procedure(X, Y: Integer; Text: String)",
         [c](Args a) { c->textOut(pointAt(a, 0), a[2].toString()); });
    proc("ImageTriangle", "procedure(X1, Y1, X2, Y2, X3, Y3: Integer)",
         [c](Args a) { c->triangle(pointAt(a, 0), pointAt(a, 2), pointAt(a, 4)); });
    proc("ImageHide", "procedure", [c](Args) { c->hide(); });
    proc("ImageShow", "procedure", [c](Args) { c->show(); });
    proc("ImageForm", "procedure(Left, Top, Width, Height: Integer)",
         [c](Args a) { c->setGeometry(arg(a, 0), arg(a, 1), arg(a, 2), arg(a, 3)); });
}

} // namespace vorlan::windows
