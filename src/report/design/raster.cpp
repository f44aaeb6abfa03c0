#include "report/design/raster.h"

namespace vorlan::report {

namespace {

constexpr float kCellWidths[] = {10.0f, 8.3333f, 6.0f};
constexpr float kCellHeights[] = {16.6667f, 25.0f, 33.3333f};

std::int32_t choice(std::int32_t value, std::int32_t fallback) {
    return value >= 0 && value <= 2 ? value : fallback;
}

} // namespace

float characterCellWidth(std::int32_t pitch) {
    return kCellWidths[choice(pitch, 1)];
}

float characterCellHeight(std::int32_t lineSpacing) {
    return kCellHeights[choice(lineSpacing, 0)];
}

void setGraphicRaster(TSestavaTyp& report, std::int32_t rasterX, std::int32_t rasterY) {
    report.charMode = 0;
    report.rasterX = rasterX > 0 ? rasterX : 8;
    report.rasterY = rasterY > 0 ? rasterY : 8;
    report.cellWidth = report.cellHeight = 0;
}

void setCharacterRaster(TSestavaTyp& report, std::int32_t lineSpacing, std::int32_t pitch) {
    report.charMode = 1;
    report.lineSpacing = choice(lineSpacing, 0);
    report.pitch = choice(pitch, 1);
    report.cellWidth = characterCellWidth(report.pitch);
    report.cellHeight = characterCellHeight(report.lineSpacing);
    report.rasterX = static_cast<std::int32_t>(report.cellWidth);
    report.rasterY = static_cast<std::int32_t>(report.cellHeight);
}

} // namespace vorlan::report
