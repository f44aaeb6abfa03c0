#include "window_models/canvas/canvas_rules.h"

#include "core/cp1250.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace vorlan::windows {

Rgb rgbOfColor(std::int32_t color) {
    const auto value = static_cast<std::uint32_t>(color);
    if (value & 0x80000000u) {
        // The classic desktop scheme, by the index in the low byte.
        struct Entry {
            std::uint32_t index;
            std::uint32_t bgr;
        };
        static constexpr std::array<Entry, 12> scheme{{{1, 0x808000},
                                                       {4, 0xC0C0C0},
                                                       {5, 0xFFFFFF},
                                                       {6, 0x000000},
                                                       {7, 0x000000},
                                                       {8, 0x000000},
                                                       {13, 0x800000},
                                                       {14, 0xFFFFFF},
                                                       {15, 0xC0C0C0},
                                                       {16, 0x808080},
                                                       {17, 0x808080},
                                                       {24, 0xE1FFFF}}};
        const std::uint32_t index = value & 0xFFu;
        std::uint32_t bgr = 0x000000;
        for (const auto& entry : scheme)
            if (entry.index == index) bgr = entry.bgr;
        return {static_cast<std::uint8_t>(bgr), static_cast<std::uint8_t>(bgr >> 8),
                static_cast<std::uint8_t>(bgr >> 16)};
    }
    return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16)};
}

std::optional<PenStyle> penStyleOf(int number) {
    if (number < 0 || number > static_cast<int>(PenStyle::Clear)) return std::nullopt;
    return static_cast<PenStyle>(number);
}

std::optional<BrushStyle> brushStyleOf(int number) {
    if (number < 0 || number > static_cast<int>(BrushStyle::DiagCross)) return std::nullopt;
    return static_cast<BrushStyle>(number);
}

std::optional<int> fontStylesOf(int number) {
    if (number < 0 || number > 15) return std::nullopt;
    return number;
}

namespace {

bool endsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

} // namespace

std::string pictureFileName(std::string_view name) {
    std::string upper = upperCase(name);
    if (upper.find(".BMP") != std::string::npos) return upper;
    // A name that already says PNG or JPEG means that format, not "X.PNG.BMP".
    for (const char* extension : {".PNG", ".JPG", ".JPEG"})
        if (endsWith(upper, extension)) return upper;
    return upper + ".BMP";
}

std::optional<CanvasRect> printRectangle(int x1, int y1, int x2, int y2, CanvasSize picture,
                                         const PrinterMetrics& printer) {
    if (picture.width <= 0 || picture.height <= 0) return std::nullopt;
    // Summed wide: four large coordinates must not wrap round to 0.
    const std::int64_t sum = std::int64_t{x1} + y1 + x2 + y2;
    if (sum != 0) return CanvasRect{x1, y1, x2, y2};

    const int marginX = printer.dotsPerInchX;
    const int marginY = printer.dotsPerInchY;
    CanvasRect r{marginX, marginY, printer.pageWidth - marginX, 0};
    const double ratio = static_cast<double>(picture.height) / picture.width;
    const int width = std::max(r.right - r.left, 0);
    const int available = std::max(printer.pageHeight - 2 * marginY, 0);
    int height = static_cast<int>(width * ratio);
    if (height > available) {
        // Too tall for the page: fit the height and narrow the picture to keep its shape.
        height = available;
        r.right = r.left + static_cast<int>(available / ratio);
    }
    r.bottom = r.top + height;
    return r;
}

CanvasSize dragCorner(CanvasPoint from, CanvasPoint to) {
    // Integer division truncates towards zero, as the corner rule asks.
    return {(from.x - to.x) / 2, (from.y - to.y) / 2};
}

} // namespace vorlan::windows
