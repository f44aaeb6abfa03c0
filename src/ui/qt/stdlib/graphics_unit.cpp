// GRAPHICS: colours, TBitmap, TCanvas with its pen, brush and font, and rectangles and points.
#include "script/bind.h"
#include "ui/qt/forms/image_list.h"
#include "ui/qt/forms/paint_box.h"
#include "ui/qt/forms/picture_controls.h"
#include "ui/qt/stdlib/bitmap.h"
#include "ui/qt/stdlib/canvas.h"
#include "ui/qt/stdlib/colors.h"
#include "ui/qt/stdlib/constant_table.h"
#include "ui/qt/stdlib/geometry.h"
#include "ui/qt/stdlib/graphic_tools.h"
#include "ui/qt/stdlib/units.h"

#include "core/cp1250.h"
#include "script/comp_wrapper.h"
#include "script/dispatch.h"

#include <QBuffer>
#include <QPixmap>

#include <vector>

namespace vorlan::stdlib {

namespace {

using script::Binder;
using script::ClassBinder;
using script::Value;

constexpr IntConstant kGraphicsConstants[] = {
    // TFontStyle elements.
    {"fsBold", 0},
    {"fsItalic", 1},
    {"fsUnderline", 2},
    {"fsStrikeOut", 3},
    // TFillStyle of FloodFill.
    {"fsSurface", 0},
    {"fsBorder", 1},
    // TPenMode.
    {"pmBlack", kPmBlack},
    {"pmWhite", kPmWhite},
    {"pmNop", kPmNop},
    {"pmNot", kPmNot},
    {"pmCopy", kPmCopy},
    {"pmNotCopy", kPmNotCopy},
    {"pmMergePenNot", kPmMergePenNot},
    {"pmMaskPenNot", kPmMaskPenNot},
    {"pmMergeNotPen", kPmMergeNotPen},
    {"pmMaskNotPen", kPmMaskNotPen},
    {"pmMerge", kPmMerge},
    {"pmNotMerge", kPmNotMerge},
    {"pmMask", kPmMask},
    {"pmNotMask", kPmNotMask},
    {"pmXor", kPmXor},
    {"pmNotXor", kPmNotXor},
};

// Pen and brush styles, by name as stored forms keep them.
constexpr const char* kGraphicsNames[] = {
    "psSolid",    "psDash",        "psDot",       "psDashDot", "psDashDotDot",
    "psClear",    "psInsideFrame", "bsSolid",     "bsClear",   "bsHorizontal",
    "bsVertical", "bsFDiagonal",   "bsBDiagonal", "bsCross",   "bsDiagCross",
};

std::int32_t byte(std::int32_t color, int shift) {
    return (color >> shift) & 0xFF;
}

// Rectangle(X1, Y1, X2, Y2) or Rectangle(Rect).
windows::CanvasRect shapeArea(std::span<Value> args) {
    if (args.size() == 1) return rectOf(args[0]);
    if (args.size() != 4)
        throw script::ScriptException(czech("Očekávají se čtyři souřadnice nebo obdélník"));
    return {args[0].toInt(), args[1].toInt(), args[2].toInt(), args[3].toInt()};
}

void registerRoutines(script::Registry& reg) {
    Binder global(reg);
    global.bind("ColorToRGB", "function(Color: Variant): Integer",
                [](const Value& color) { return colorToRgb(colorOfValue(color)); });
    global.bind("ColorToString", "function(Color: Integer): string", &colorToString);
    global.bind("StringToColor", "function(S: string): Integer", &stringToColor);
    // Routines other units may have given already.
    auto bindOnce = [&](const char* name, const char* declaration, auto f) {
        if (!reg.findProc(name)) global.bind(name, declaration, f);
    };
    bindOnce("RGB", "function(R, G, B: Integer): Integer",
             [](int r, int g, int b) { return (r & 0xFF) | (g & 0xFF) << 8 | (b & 0xFF) << 16; });
    bindOnce("GetRValue", "function(Color: Integer): Integer",
             [](std::int32_t c) { return byte(c, 0); });
    bindOnce("GetGValue", "function(Color: Integer): Integer",
             [](std::int32_t c) { return byte(c, 8); });
    bindOnce("GetBValue", "function(Color: Integer): Integer",
             [](std::int32_t c) { return byte(c, 16); });
    bindOnce("Rect", "function(ALeft, ATop, ARight, ABottom: Integer): Variant", &rectValue);
    bindOnce("Bounds", "function(ALeft, ATop, AWidth, AHeight: Integer): Variant",
             [](int left, int top, int width, int height) {
                 return rectValue(left, top, left + width, top + height);
             });
    bindOnce("Point", "function(AX, AY: Integer): Variant", &pointValue);
}

void registerTools(script::Registry& reg) {
    ClassBinder<PenTool> pen(reg, "TCanvasPen", "TPen");
    pen.property("Color", "Variant", &PenTool::color, &PenTool::setColor);
    pen.property("Width", "Integer", &PenTool::width, &PenTool::setWidth);
    pen.property("Style", "Variant", &PenTool::style, &PenTool::setStyle);
    pen.property("Mode", "Variant", &PenTool::mode, &PenTool::setMode);
    pen.bind("Assign", "procedure(Source: Variant)", &PenTool::assign);

    ClassBinder<BrushTool> brush(reg, "TCanvasBrush", "TBrush");
    brush.property("Color", "Variant", &BrushTool::color, &BrushTool::setColor);
    brush.property("Style", "Variant", &BrushTool::style, &BrushTool::setStyle);
    brush.bind("Assign", "procedure(Source: Variant)", &BrushTool::assign);

    ClassBinder<FontTool> font(reg, "TCanvasFont", "TFont");
    font.property("Name", "string", &FontTool::name, &FontTool::setName);
    font.property("Size", "Integer", &FontTool::size, &FontTool::setSize);
    font.property("Height", "Integer", &FontTool::height, &FontTool::setHeight);
    font.property("Style", "Variant", &FontTool::style, &FontTool::setStyle);
    font.property("Color", "Variant", &FontTool::color, &FontTool::setColor);
    font.property("PixelsPerInch", "Integer", &FontTool::pixelsPerInch);
    font.bind("Assign", "procedure(Source: Variant)", &FontTool::assign);
}

void registerCanvas(script::Registry& reg) {
    using C = CanvasObject;
    ClassBinder<C> canvas(reg, "TCanvas", "TPersistent");
    canvas.property(
        "Pen", "TPen", [](C& c) { return &c.pen(); },
        [](C& c, const Value& v) { c.pen().assign(v); });
    canvas.property(
        "Brush", "TBrush", [](C& c) { return &c.brush(); },
        [](C& c, const Value& v) { c.brush().assign(v); });
    canvas.property(
        "Font", "TFont", [](C& c) { return &c.font(); },
        [](C& c, const Value& v) { c.font().assign(v); });
    canvas.property(
        "PenPos", "Variant", [](C& c) { return pointValue(c.penPos().x, c.penPos().y); },
        [](C& c, const Value& v) {
            const windows::CanvasPoint p = pointOf(v);
            c.moveTo(p.x, p.y);
        });
    canvas.property("Pixels", "Variant", &C::pixel, [](C& c, int x, int y, const Value& color) {
        c.setPixel(x, y, colorOfValue(color));
    });
    canvas.property("Handle", "Integer", [](C&) { return 0; });
    canvas.bind("MoveTo", "procedure(X, Y: Integer)", &C::moveTo);
    canvas.bind("LineTo", "procedure(X, Y: Integer)", &C::lineTo);
    canvas.bindVariadic("Rectangle", "procedure",
                        [](C& c, std::span<Value> a, Value&) { c.rectangle(shapeArea(a)); });
    canvas.bindVariadic("Ellipse", "procedure",
                        [](C& c, std::span<Value> a, Value&) { c.ellipse(shapeArea(a)); });
    canvas.bind("RoundRect", "procedure(X1, Y1, X2, Y2, X3, Y3: Integer)",
                [](C& c, int x1, int y1, int x2, int y2, int x3, int y3) {
                    c.roundRect({x1, y1, x2, y2}, x3, y3);
                });
    for (const auto& [name, shape] :
         {std::pair{"Arc", C::ArcShape::Arc}, std::pair{"Pie", C::ArcShape::Pie},
          std::pair{"Chord", C::ArcShape::Chord}})
        canvas.bind(name, "procedure(X1, Y1, X2, Y2, X3, Y3, X4, Y4: Integer)",
                    [shape](C& c, int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
                        c.arc(shape, {x1, y1, x2, y2}, {x3, y3}, {x4, y4});
                    });
    canvas.bind("Polygon", "procedure(Points: Variant)",
                [](C& c, const Value& points) { c.polygon(pointsOf(points)); });
    canvas.bind("Polyline", "procedure(Points: Variant)",
                [](C& c, const Value& points) { c.polyline(pointsOf(points)); });
    canvas.bind("FillRect", "procedure(R: Variant)",
                [](C& c, const Value& r) { c.fillRect(rectOf(r)); });
    canvas.bind("FrameRect", "procedure(R: Variant)",
                [](C& c, const Value& r) { c.frameRect(rectOf(r)); });
    canvas.bind("TextOut", "procedure(X, Y: Integer; Text: string)", &C::textOut);
    canvas.bind("TextRect", "procedure(R: Variant; X, Y: Integer; Text: string)",
                [](C& c, const Value& r, int x, int y, const std::string& text) {
                    c.textRect(rectOf(r), x, y, text);
                });
    canvas.bind("TextWidth", "function(Text: string): Integer", &C::textWidth);
    canvas.bind("TextHeight", "function(Text: string): Integer", &C::textHeight);
    canvas.bind(
        "Draw", "procedure(X, Y: Integer; Graphic: TGraphic)",
        [](C& c, int x, int y, const Value& graphic) { c.draw(x, y, imageOfGraphic(graphic)); });
    canvas.bind("StretchDraw", "procedure(R: Variant; Graphic: TGraphic)",
                [](C& c, const Value& r, const Value& graphic) {
                    c.stretchDraw(rectOf(r), imageOfGraphic(graphic));
                });
    canvas.bind("CopyRect", "procedure(Dest: Variant; Canvas: TCanvas; Source: Variant)",
                [](C& c, const Value& dest, C* source, const Value& from) {
                    if (!source)
                        throw script::ScriptException(czech("Očekává se plátno (TCanvas)"));
                    c.copyRect(rectOf(dest), *source, rectOf(from));
                });
    canvas.bind("Refresh", "procedure", [](C&) {});
}

void registerBitmap(script::Registry& reg) {
    ClassBinder<script::NativeObject> graphic(reg, "TGraphic", "TPersistent");
    ClassBinder<Bitmap> bitmap(reg, "TBitmap", "TGraphic",
                               [](script::Component*) -> std::unique_ptr<script::NativeObject> {
                                   return std::make_unique<Bitmap>();
                               });
    bitmap.property("Width", "Integer", &Bitmap::width, &Bitmap::setWidth);
    bitmap.property("Height", "Integer", &Bitmap::height, &Bitmap::setHeight);
    bitmap.property("Empty", "Boolean", &Bitmap::empty);
    bitmap.property("Canvas", "TCanvas", [](Bitmap& b) { return &b.canvas(); });
    bitmap.property("Transparent", "Boolean", &Bitmap::transparent, &Bitmap::setTransparent);
    bitmap.property(
        "TransparentColor", "Variant", &Bitmap::transparentColor,
        [](Bitmap& b, const Value& color) { b.setTransparentColor(colorOfValue(color)); });
    bitmap.property("Monochrome", "Boolean", &Bitmap::monochrome, &Bitmap::setMonochrome);
    bitmap.bind("SetSize", "procedure(AWidth, AHeight: Integer)", &Bitmap::resize);
    bitmap.bind("LoadFromFile", "procedure(FileName: string)", &Bitmap::loadFromFile);
    bitmap.bind("SaveToFile", "procedure(FileName: string)", &Bitmap::saveToFile);
    bitmap.bind("Assign", "procedure(Source: Variant)", &Bitmap::assign);
}

// A canvas over a picture someone else keeps (a paint box's).
class SurfaceCanvas : private CanvasTarget, public CanvasObject {
public:
    explicit SurfaceCanvas(QImage& surface)
        : CanvasObject(static_cast<CanvasTarget&>(*this)), surface_(surface) {}

private:
    QPainter* beginPaint() override {
        if (surface_.isNull()) return nullptr;
        painter_ = std::make_unique<QPainter>(&surface_);
        return painter_.get();
    }
    void endPaint() override { painter_.reset(); }
    int dpi() const override { return 96; }
    QImage* pixels() override { return surface_.isNull() ? nullptr : &surface_; }

    QImage& surface_;
    std::unique_ptr<QPainter> painter_;
};

std::unique_ptr<script::NativeObject> makeSurfaceCanvas(QImage& surface) {
    return std::make_unique<SurfaceCanvas>(surface);
}

} // namespace

namespace {

// Assign of a font, pen or brush from another of its kind: the properties one by one, so a
// form's font and a canvas's take each other's values.
void copyProperties(script::NativeObject& target, const Value& source,
                    std::initializer_list<const char*> names) {
    const script::ObjectRef to = script::wrapObject(&target);
    if (!to || !source.isObject() || !source.asObject()) return;
    for (const char* name : names) {
        Value v, ignored;
        script::ExceptionInfo error;
        if (script::invokeByName(*source.asObject(), name, script::InvokeGet, {}, v, error) !=
            script::DispStatus::Ok)
            continue;
        (void)script::invokeByName(*to, name, script::InvokePut, std::span<Value>(&v, 1), ignored,
                                   error);
    }
}

// The colour of the pixel as programs number colours ($00BBGGRR).
std::int32_t colorAt(const QImage& image, int x, int y) {
    const QRgb p = image.pixel(x, y);
    return qRed(p) | qGreen(p) << 8 | qBlue(p) << 16;
}

// Fills from (x, y) every pixel reached through pixels of `surface` colour (fsSurface), or
// through pixels that are not `border` colour (fsBorder), with the brush's colour.
void floodFill(QImage& image, int x, int y, std::int32_t color, bool surface, QRgb fill) {
    if (!image.rect().contains(x, y)) return;
    const auto inside = [&](int px, int py) {
        if (image.pixel(px, py) == fill) return false;
        return surface ? colorAt(image, px, py) == color : colorAt(image, px, py) != color;
    };
    if (!inside(x, y)) return;
    std::vector<QPoint> pending{QPoint(x, y)};
    while (!pending.empty()) {
        const QPoint p = pending.back();
        pending.pop_back();
        if (!image.rect().contains(p) || !inside(p.x(), p.y())) continue;
        image.setPixel(p, fill);
        pending.insert(pending.end(), {QPoint(p.x() + 1, p.y()), QPoint(p.x() - 1, p.y()),
                                       QPoint(p.x(), p.y() + 1), QPoint(p.x(), p.y() - 1)});
    }
}

void registerGraphicsExtras(script::Registry& reg) {
    ClassBinder<script::NativeObject>(reg, "TFont")
        .bind(
            "Assign", "procedure(Source: Variant)",
            [](script::NativeObject& f, const Value& source) {
                copyProperties(f, source, {"Name", "Height", "Style", "Color", "Charset", "Pitch"});
            });
    ClassBinder<script::NativeObject>(reg, "TPen")
        .bind("Assign", "procedure(Source: Variant)",
              [](script::NativeObject& p, const Value& source) {
                  copyProperties(p, source, {"Color", "Style", "Width", "Mode"});
              });
    ClassBinder<script::NativeObject>(reg, "TBrush")
        .bind("Assign", "procedure(Source: Variant)",
              [](script::NativeObject& b, const Value& source) {
                  copyProperties(b, source, {"Color", "Style", "Bitmap"});
              });

    using C = CanvasObject;
    ClassBinder<C> canvas(reg, "TCanvas");
    canvas.property(
        "CopyMode", "Variant", [](C& c) { return c.copyMode; },
        [](C& c, const Value& v) { c.copyMode = v; });
    // All of a bitmap's canvas is drawn on; other canvases answer an empty rectangle.
    canvas.property("ClipRect", "Variant", [](C& c) {
        const QImage* image = c.target().pixels();
        return image ? rectValue(0, 0, image->width(), image->height()) : rectValue(0, 0, 0, 0);
    });
    // A dotted frame drawn so that drawing it again takes it away.
    canvas.bind("DrawFocusRect", "procedure(Rect: Variant)", [](C& c, const Value& r) {
        QImage* image = c.target().pixels();
        if (!image) return;
        const windows::CanvasRect box = rectOf(r);
        for (int x = box.left; x < box.right; ++x)
            for (int y : {box.top, box.bottom - 1})
                if ((x + y) % 2 == 0 && image->rect().contains(x, y))
                    image->setPixel(x, y, image->pixel(x, y) ^ 0x00FFFFFF);
        for (int y = box.top + 1; y < box.bottom - 1; ++y)
            for (int x : {box.left, box.right - 1})
                if ((x + y) % 2 == 0 && image->rect().contains(x, y))
                    image->setPixel(x, y, image->pixel(x, y) ^ 0x00FFFFFF);
    });
    canvas.bind("FloodFill", "procedure(X, Y: Integer; Color: Variant; FillStyle: Variant)",
                [](C& c, std::int32_t x, std::int32_t y, const Value& color, const Value& style) {
                    QImage* image = c.target().pixels();
                    if (!image) return;
                    // fsSurface = 0, fsBorder = 1.
                    const bool surface = style.isNumeric()
                                             ? style.toInt() == 0
                                             : equalsNoCase(style.toString(), "fsSurface");
                    floodFill(*image, x, y, colorOfValue(color), surface,
                              c.brush().qtBrush().color().rgb());
                });

    // A picture takes another's (a bitmap, a picture, an image control); nil empties it.
    ClassBinder<forms::Picture>(reg, "TPicture")
        .bind("Assign", "procedure(Source: Variant)", [](forms::Picture& p, const Value& source) {
            if (source.isNull() || source.isEmpty() || (source.isObject() && !source.asObject()))
                p.clear();
            else
                p.setPixmap(QPixmap::fromImage(imageOfGraphic(source)));
        });

    ClassBinder<Bitmap> bitmap(reg, "TBitmap");
    bitmap.property(
        "Modified", "Boolean", [](Bitmap& b) { return b.modified; },
        [](Bitmap& b, bool v) { b.modified = v; });
    // tmAuto: the bottom-left pixel's colour is see-through; tmFixed: TransparentColor's.
    bitmap.property(
        "TransparentMode", "string",
        [](Bitmap& b) { return std::string(b.fixedTransparentColor() ? "tmFixed" : "tmAuto"); },
        [](Bitmap& b, const std::string& mode) {
            if (equalsNoCase(mode, "tmAuto")) b.setTransparentColor(-1);
        });
    // The picture becomes its mask: white where it has the colour, black elsewhere.
    bitmap.bind("Mask", "procedure(TransparentColor: Variant)", [](Bitmap& b, const Value& v) {
        if (b.empty()) return;
        const std::int32_t color = colorOfValue(v);
        QImage mask = b.image().convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < mask.height(); ++y)
            for (int x = 0; x < mask.width(); ++x)
                mask.setPixel(x, y, colorAt(mask, x, y) == color ? 0xFFFFFFFF : 0xFF000000);
        b.setImage(mask);
    });
    // Streams take and give the picture as a BMP file's bytes.
    bitmap.bind("SaveToStream", "procedure(Stream: TStream)", [](Bitmap& b, const Value& stream) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        b.image().save(&buffer, "BMP");
        Value data(std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()))), out;
        script::ExceptionInfo error;
        if (!stream.isObject() || !stream.asObject() ||
            script::invokeByName(*stream.asObject(), "WriteString", script::InvokeMethod,
                                 std::span<Value>(&data, 1), out, error) != script::DispStatus::Ok)
            throw script::ScriptException(czech("Obrázek nelze zapsat do proudu"));
    });
    bitmap.bind("LoadFromStream", "procedure(Stream: TStream)", [](Bitmap& b, const Value& stream) {
        Value size, position, data;
        script::ExceptionInfo error;
        const script::ObjectRef s = stream.isObject() ? stream.asObject() : nullptr;
        if (!s ||
            script::invokeByName(*s, "Size", script::InvokeGet, {}, size, error) !=
                script::DispStatus::Ok ||
            script::invokeByName(*s, "Position", script::InvokeGet, {}, position, error) !=
                script::DispStatus::Ok)
            throw script::ScriptException(czech("Obrázek nelze přečíst z proudu"));
        Value count(static_cast<std::int32_t>(size.toInt() - position.toInt()));
        if (script::invokeByName(*s, "ReadString", script::InvokeMethod,
                                 std::span<Value>(&count, 1), data,
                                 error) != script::DispStatus::Ok)
            throw script::ScriptException(czech("Obrázek nelze přečíst z proudu"));
        const std::string bytes = data.toString();
        QImage image;
        if (!image.loadFromData(reinterpret_cast<const uchar*>(bytes.data()),
                                static_cast<int>(bytes.size())))
            throw script::ScriptException(czech("V proudu není obrázek"));
        b.setImage(image);
    });
}

// The pictures of an image list go to and come from bitmaps and canvases.
void registerImageList(script::Registry& reg) {
    using forms::ImageList;
    ClassBinder<ImageList> list(reg, "TImageList");
    list.property("Count", "Integer", &ImageList::count);
    list.bind("Add", "function(Image, Mask: Variant): Integer",
              [](ImageList& l, const Value& image, const Value&) {
                  return l.add(imageOfGraphic(image));
              });
    list.bind("AddMasked", "function(Image: Variant; MaskColor: Variant): Integer",
              [](ImageList& l, const Value& image, const Value& color) {
                  return l.addMasked(imageOfGraphic(image), qtColorOf(colorOfValue(color)).rgb());
              });
    list.bind("Replace", "procedure(Index: Integer; Image, Mask: Variant)",
              [](ImageList& l, std::int32_t i, const Value& image, const Value&) {
                  l.replace(i, imageOfGraphic(image));
              });
    list.bind("Delete", "procedure(Index: Integer)", &ImageList::remove);
    list.bind("Clear", "procedure", &ImageList::clear);
    // Enabled False draws the picture in greys, as a disabled command shows it.
    list.bind("Draw", "procedure(Canvas: TCanvas; X, Y, Index: Integer; Enabled: Boolean = True)",
              [](ImageList& l, const Value& target, std::int32_t x, std::int32_t y,
                 std::int32_t index, bool enabled) {
                  auto* canvas = script::nativeAs<CanvasObject>(target);
                  if (!canvas) throw script::ScriptException(czech("Očekává se plátno (TCanvas)"));
                  QImage picture = l.image(index);
                  if (!enabled)
                      for (int row = 0; row < picture.height(); ++row) {
                          auto* line = reinterpret_cast<QRgb*>(picture.scanLine(row));
                          for (int col = 0; col < picture.width(); ++col) {
                              const int grey = qGray(line[col]);
                              line[col] = qRgba(grey, grey, grey, qAlpha(line[col]));
                          }
                      }
                  canvas->draw(x, y, picture);
              });
    list.bind("GetBitmap", "procedure(Index: Integer; Image: TBitmap)",
              [](ImageList& l, std::int32_t index, const Value& target) {
                  auto* bitmap = script::nativeAs<Bitmap>(target);
                  if (!bitmap) throw script::ScriptException(czech("Očekává se bitmapa (TBitmap)"));
                  bitmap->setImage(l.image(index));
              });
}

} // namespace

void registerGraphicsUnit(script::Registry& reg) {
    forms::setSurfaceCanvasFactory(&makeSurfaceCanvas);
    registerRoutines(reg);
    registerTools(reg);
    registerCanvas(reg);
    registerBitmap(reg);
    registerImageList(reg);
    registerGraphicsExtras(reg);
    registerIntConstants(reg, colorNames());
    registerIntConstants(reg, kGraphicsConstants);
    registerNameConstants(reg, kGraphicsNames);
}

} // namespace vorlan::stdlib
