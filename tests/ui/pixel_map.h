#pragma once
// Pictures compared as text maps, one character a pixel: '.' white, '#' black, 'r' red,
// 'y' yellow, '?' anything else.
#include <QImage>

#include <initializer_list>
#include <string>

namespace vorlan::testing {

inline std::string pixelMap(const QImage& image) {
    std::string out;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y) & 0xFFFFFF;
            out += p == 0xFFFFFF   ? '.'
                   : p == 0        ? '#'
                   : p == 0xFF0000 ? 'r'
                   : p == 0xFFFF00 ? 'y'
                                   : '?';
        }
        out += '\n';
    }
    return out;
}

// The expected map, a string per row.
inline std::string rows(std::initializer_list<const char*> lines) {
    std::string out;
    for (const char* line : lines)
        out += std::string(line) + '\n';
    return out;
}

} // namespace vorlan::testing
