#include "core/cp1250.h"
#include "report/number_text.h"

#include <gtest/gtest.h>

using namespace vorlan::report;
using vorlan::czech;

namespace {

TEST(ReportNumberText, GeneralTextKeepsFifteenDigitsAndSwitchesToExponent) {
    EXPECT_EQ(generalText(0), "0");
    EXPECT_EQ(generalText(0.1 + 0.2), "0,3");
    EXPECT_EQ(generalText(-2.5), "-2,5");
    EXPECT_EQ(generalText(123456789012345.0), "123456789012345");
    EXPECT_EQ(generalText(1234567890123456.0), "1,23456789012346E15");
    EXPECT_EQ(generalText(1e20), "1E20");
    EXPECT_EQ(generalText(0.0001), "0,0001");
    EXPECT_EQ(generalText(0.00001), "1E-5");
    EXPECT_EQ(generalText(1.5e-7), "1,5E-7");
}

TEST(ReportNumberText, FiveOutputFormats) {
    EXPECT_EQ(floatText(1234.5, FloatFormat::General, 15, 2), "1234,5");
    EXPECT_EQ(floatText(1234.5, FloatFormat::Exponent, 4, 2), "1,235E+03");
    EXPECT_EQ(floatText(0.012, FloatFormat::Exponent, 3, 0), "1,20E-2");
    EXPECT_EQ(floatText(1234.5, FloatFormat::Fixed, 15, 2), "1234,50");
    EXPECT_EQ(floatText(1234567.5, FloatFormat::Number, 15, 2), "1 234 567,50");
    EXPECT_EQ(floatText(1234.5, FloatFormat::Currency, 15, 2), czech("1 234,50 Kč"));
    EXPECT_EQ(floatText(-1234.5, FloatFormat::Currency, 15, 0), czech("-1 235 Kč"));
    EXPECT_EQ(floatText(-0.001, FloatFormat::Fixed, 15, 2), "0,00");
    EXPECT_EQ(floatText(7, FloatFormat::Fixed, 15, 0), "7");
}

TEST(ReportNumberText, PrecisionLimitsTheDigitsShown) {
    // Digits beyond the precision are zeros; more integer digits than the precision fall back
    // to the general form.
    EXPECT_EQ(floatText(123.456, FloatFormat::Fixed, 4, 2), "123,50");
    EXPECT_EQ(floatText(123456, FloatFormat::Fixed, 4, 2), "1,235E5");
    EXPECT_EQ(floatText(0.125, FloatFormat::Fixed, 15, 1), "0,1");
    // Halves round away from zero, as amounts are rounded by hand.
    EXPECT_EQ(floatText(2.5, FloatFormat::Fixed, 15, 0), "3");
    EXPECT_EQ(floatText(0.125, FloatFormat::Fixed, 15, 2), "0,13");
    EXPECT_EQ(floatText(999.5, FloatFormat::Number, 15, 0), "1 000");
    EXPECT_EQ(floatText(0.006, FloatFormat::Fixed, 15, 2), "0,01");
    EXPECT_EQ(floatText(0.004, FloatFormat::Fixed, 15, 2), "0,00");
}

TEST(ReportNumberText, FormatMasks) {
    EXPECT_EQ(formatMask(3.14159, "0.00"), "3,14");
    EXPECT_EQ(formatMask(1234567.891, "#,##0.00"), "1 234 567,89");
    EXPECT_EQ(formatMask(7, "000"), "007");
    EXPECT_EQ(formatMask(2.5, "#.##"), "2,5");
    EXPECT_EQ(formatMask(2, "#.##"), "2");
    EXPECT_EQ(formatMask(0, "#"), "");
    EXPECT_EQ(formatMask(-42, "0"), "-42");
    EXPECT_EQ(formatMask(12345, "0.00E+00"), "1,23E+04");
    EXPECT_EQ(formatMask(0.00012, "0.0E-0"), "1,2E-4");
    EXPECT_EQ(formatMask(-5, "0;(0);'nula'"), "(5)");
    EXPECT_EQ(formatMask(0, "0;(0);'nula'"), "nula");
    EXPECT_EQ(formatMask(12, "'Kus: '0' ks'"), "Kus: 12 ks");
    EXPECT_EQ(formatMask(1.5, ""), "1,5");
}

TEST(ReportNumberText, TextToNumber) {
    EXPECT_EQ(parseNumber(" 12,5 "), 12.5);
    EXPECT_EQ(parseNumber("1.5"), 1.5);
    EXPECT_EQ(parseNumber("-1e3"), -1000);
    EXPECT_EQ(parseNumber("+7"), 7);
    EXPECT_FALSE(parseNumber(""));
    EXPECT_FALSE(parseNumber("abc"));
    EXPECT_FALSE(parseNumber("1 2"));
    EXPECT_FALSE(parseNumber("1e"));
    EXPECT_EQ(textToNumber("x"), 0);
}

} // namespace
