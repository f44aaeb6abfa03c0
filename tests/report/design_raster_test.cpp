#include "report/design/raster.h"

#include <gtest/gtest.h>

namespace vorlan::report {
namespace {

TEST(DesignRaster, CharacterRasterReadsBackFromTheTemplateAsSet) {
    for (std::int32_t spacing = 0; spacing <= 2; ++spacing)
        for (std::int32_t pitch = 0; pitch <= 2; ++pitch) {
            TSestavaTyp report;
            setCharacterRaster(report, spacing, pitch);
            TSestavaTyp reread;
            reread.setPredloha(report.templateLines());
            EXPECT_EQ(reread.charMode, 1);
            EXPECT_EQ(reread.lineSpacing, spacing);
            EXPECT_EQ(reread.pitch, pitch);
            EXPECT_FLOAT_EQ(reread.cellWidth, report.cellWidth);
            EXPECT_FLOAT_EQ(reread.cellHeight, report.cellHeight);
            EXPECT_EQ(reread.rasterX, report.rasterX);
            EXPECT_EQ(reread.rasterY, report.rasterY);
        }
    TSestavaTyp report;
    setCharacterRaster(report, 2, 1);
    EXPECT_FLOAT_EQ(report.cellWidth, 8.3333f);
    EXPECT_FLOAT_EQ(report.cellHeight, 33.3333f);
    EXPECT_EQ(report.rasterX, 8);
    EXPECT_EQ(report.rasterY, 33);
}

TEST(DesignRaster, ChoicesOutsideTheListsAndEmptyRastersTakeTheDefaults) {
    TSestavaTyp report;
    setCharacterRaster(report, 7, -1);
    EXPECT_EQ(report.lineSpacing, 0);
    EXPECT_EQ(report.pitch, 1);
    EXPECT_EQ(report.rasterY, 16);
    setGraphicRaster(report, 0, -3);
    EXPECT_EQ(report.charMode, 0);
    EXPECT_EQ(report.rasterX, 8);
    EXPECT_EQ(report.rasterY, 8);
    EXPECT_EQ(report.cellWidth, 0.0f);
    EXPECT_EQ(report.cellHeight, 0.0f);
    setGraphicRaster(report, 5, 12);
    TSestavaTyp reread;
    reread.setPredloha(report.templateLines());
    EXPECT_EQ(reread.rasterX, 5);
    EXPECT_EQ(reread.rasterY, 12);
}

} // namespace
} // namespace vorlan::report
