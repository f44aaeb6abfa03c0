// Windows font names on this machine: the substitute families, a fixed pitch for the fixed
// fonts whatever is installed, and, where the metric-compatible families are installed, widths
// equal to the Windows fonts' own advance widths so texts sized for them fit their boxes.

#include "core/cp1250.h"
#include "needs_tool.h"
#include "report/model.h"
#include "ui/qt/report/qt_text_measurer.h"
#include "ui/qt/windows_fonts.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>

#include <gtest/gtest.h>

#include <map>

namespace vorlan::qt {
namespace {

// Advance widths in thousandths of an em of the sans-serif face whose metrics the Windows
// sans-serif font shares (the published core-font metrics).
const std::map<char32_t, int> kSansWidths{
    {U'T', 611}, {U'i', 222}, {U's', 500}, {U'k', 500}, {U'o', 556}, {U'v', 500}, {U'á', 556},
    {U' ', 278}, {U'e', 556}, {U't', 278}, {U'a', 556}, {U'n', 556}, {U'r', 333}, {U'y', 500},
    {U'u', 556}, {U'h', 556}, {U'l', 222}, {U'c', 500}, {U'ř', 333}, {U'm', 833}};

double sansWidth(const std::u32string& text) {
    double sum = 0;
    for (char32_t c : text)
        sum += kSansWidths.at(c);
    return sum / 1000.0;
}

const std::u32string kSentence = U"Tisková sestava tiskne ceny v korunách";

TEST(WindowsFonts, NamesMapToMetricCompatibleFamiliesAndCeNamesToTheSame) {
    EXPECT_EQ(windowsFontFamilies("Arial").first(), "Liberation Sans");
    EXPECT_EQ(windowsFontFamilies("Arial CE"), windowsFontFamilies("Arial"));
    EXPECT_EQ(windowsFontFamilies("times new roman ce").first(), "Liberation Serif");
    EXPECT_EQ(windowsFontFamilies("Courier New CE").first(), "Liberation Mono");
    EXPECT_EQ(windowsFontFamilies("MS Sans Serif").first(), "Liberation Sans");
    EXPECT_EQ(windowsFontFamilies("Tahoma").first(), "Liberation Sans");
    EXPECT_EQ(windowsFontFamilies("Courier New").last(), "Courier New");
    EXPECT_EQ(windowsFontFamilies("Wingdings"), QStringList{"Wingdings"});
}

TEST(WindowsFonts, FixedFontsStayFixedPitchOnEveryMachine) {
    for (const char* name : {"Courier New", "Courier New CE", "Courier", "Fixedsys"}) {
        const QFontInfo info(windowsFont(name));
        EXPECT_TRUE(info.fixedPitch()) << name << " became " << info.family().toStdString();
    }
}

TEST(WindowsFonts, SubstitutesHaveTheWindowsAdvanceWidths) {
    if (!QFontDatabase::hasFamily("Liberation Sans") ||
        !QFontDatabase::hasFamily("Liberation Mono"))
        VORLAN_SKIP_WITHOUT("the Liberation fonts are not installed");
    const QString sentence = QString::fromUcs4(kSentence.data(), kSentence.size());
    QFont sans = windowsFont("Arial CE");
    sans.setKerning(false);
    sans.setPixelSize(1000);
    const double expected = sansWidth(kSentence) * 1000;
    EXPECT_NEAR(QFontMetricsF(sans).horizontalAdvance(sentence), expected, expected * 0.01);

    QFont mono = windowsFont("Courier New");
    mono.setPixelSize(1000);
    const double monoExpected = 600.0 * sentence.size();
    EXPECT_NEAR(QFontMetricsF(mono).horizontalAdvance(sentence), monoExpected, monoExpected * 0.01);
}

TEST(WindowsFonts, ReportTextsMeasureAsInTheWindowsFont) {
    if (!QFontDatabase::hasFamily("Liberation Sans"))
        VORLAN_SKIP_WITHOUT("the Liberation fonts are not installed");
    // 10 points are 10/72 inch an em; widths are in hundredths of an inch and round up.
    report::ReportFont font;
    font.name = "Arial CE";
    font.size = 10;
    QtTextMeasurer measurer;
    const std::string text = czech("Tisková sestava tiskne ceny v korunách");
    const double expected = sansWidth(kSentence) * 10.0 / 72.0 * 100.0;
    EXPECT_NEAR(measurer.textWidth(text, font), expected, 1.0 + expected * 0.01);
}

} // namespace
} // namespace vorlan::qt
