// Word wrap, RTF plain text and the formats of report variables.
#include "report/run/text_layout.h"

#include <gtest/gtest.h>

using namespace vorlan::report;
using Lines = std::vector<std::string>;

namespace {

TEST(TextLayout, WrapsAtBlanksAndCutsWordsThatNeverFit) {
    const FixedWidthMeasurer m;
    ReportFont font; // 10 points: 7 per character
    EXPECT_EQ(FixedWidthMeasurer::charWidth(font), 7);
    EXPECT_EQ(m.lineHeight(font), 17);
    // 70 wide: ten characters a line.
    EXPECT_EQ(layoutLines("one two three four", 70, font, true, m),
              (Lines{"one two", "three four"}));
    EXPECT_EQ(layoutLines("abcdefghijklmnop", 70, font, true, m), (Lines{"abcdefghij", "klmnop"}));
    EXPECT_EQ(layoutLines("a\r\n\r\nb\nc\r", 70, font, true, m), (Lines{"a", "", "b", "c"}));
    // Without word wrap only line breaks end lines.
    EXPECT_EQ(layoutLines("one two three four\nx", 70, font, false, m),
              (Lines{"one two three four", "x"}));
    EXPECT_EQ(layoutLines("", 70, font, true, m), Lines{""});
    // No width at all still ends.
    EXPECT_EQ(layoutLines("abc", 0, font, true, m), (Lines{"a", "b", "c"}));
}

TEST(TextLayout, PlainTextOfRtf) {
    EXPECT_EQ(plainTextOfRtf("not rtf {x}"), "not rtf {x}");
    EXPECT_EQ(plainTextOfRtf("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red0;}"
                             "\\f0 P\\'f8\\'edli\\'9a\\par {\\b tu\\}n\\'e9}\\tab x\\par}"),
              "P\xF8\xEDli\x9A\r\ntu}n\xE9\tx");
    EXPECT_EQ(plainTextOfRtf("{\\rtf1{\\*\\generator w;}a\\line b}"), "a\r\nb");
    // Cut short in an escape: no reading past the end.
    EXPECT_EQ(plainTextOfRtf("{\\rtf1 a\\'f"), "a");
}

TEST(TextLayout, VariableFormats) {
    EXPECT_EQ(formatWithInteger("Strana %d", 3), "Strana 3");
    EXPECT_EQ(formatWithInteger("%3d|%-3d|%03d", 7), "  7|%-3d|%03d");
    EXPECT_EQ(formatWithInteger("%03d%%", 7), "007%");
    EXPECT_EQ(formatWithInteger("bez", 7), "bez");
    EXPECT_EQ(formatWithInteger("%s stran", 12), "12 stran");
    EXPECT_EQ(formatWithInteger("%x %", 1), "%x %");

    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 2;
    t.tm_mday = 5;
    t.tm_hour = 9;
    t.tm_min = 4;
    t.tm_sec = 3;
    EXPECT_EQ(formatDateTime(kShortDateFormat, t), "5.3.2026");
    EXPECT_EQ(formatDateTime(kShortTimeFormat, t), "9:04:03");
    EXPECT_EQ(formatDateTime("dd.mm.yy 'v' hh:nn", t), "05.03.26 v 09:04");
    EXPECT_EQ(formatDateTime("\"unclosed", t), "unclosed");
}

} // namespace
