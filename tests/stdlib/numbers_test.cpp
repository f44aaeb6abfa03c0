// Numbers as text and back: the conversions, FloatToStrF's formats, FormatFloat's patterns and
// Format's directives, with the Czech defaults and with settings a program changed.
#include "stdlib_calls.h"

#include "core/cp1250.h"
#include "script/open_array.h"
#include "stdlib/float_text.h"
#include "stdlib/format_settings.h"

#include <limits>

using namespace vorlan;
using namespace vorlan::stdlib;
using namespace vorlan::stdlib::testing;

namespace {

using NumbersTest = StdlibTest;

} // namespace

TEST_F(NumbersTest, IntegerTextBothWaysAndTheErrorsOfBadText) {
    EXPECT_EQ(text("IntToStr", {i32(-42)}), "-42");
    EXPECT_EQ(text("IntToStr", {Value(3e10)}), "30000000000"); // the Int64 overload
    EXPECT_EQ(text("IntToHex", {i32(255), i32(4)}), "00FF");
    EXPECT_EQ(text("IntToHex", {i32(-1), i32(2)}), "FFFFFFFF");
    EXPECT_EQ(call("StrToInt", {Value(" -12")}).toInt(), -12);
    EXPECT_EQ(call("StrToInt", {Value("$1F")}).toInt(), 31);
    EXPECT_EQ(call("StrToInt", {Value("$FFFFFFFF")}).toInt(), -1);
    EXPECT_EQ(failure("StrToInt", {Value("12 ")}),
              vorlan::czech("EConvertError: '12 ' není platné celé číslo"));
    EXPECT_EQ(failure("StrToInt", {Value("2147483648")}),
              vorlan::czech("EConvertError: '2147483648' není platné celé číslo"));
    EXPECT_EQ(failure("StrToInt", {Value("")}),
              vorlan::czech("EConvertError: '' není platné celé číslo"));
    EXPECT_EQ(call("StrToIntDef", {Value("x1"), i32(7)}).toInt(), 7);
    std::vector<Value> args{Value("123"), i32(0)};
    EXPECT_TRUE(call("TryStrToInt", args).toBool());
    EXPECT_EQ(args[1].toInt(), 123);
    args = {Value("12a"), i32(5)};
    EXPECT_FALSE(call("TryStrToInt", args).toBool());
    EXPECT_EQ(args[1].toInt(), 0); // a failed conversion leaves 0, as Val does
}

TEST_F(NumbersTest, FloatTextFollowsTheDecimalSeparator) {
    EXPECT_EQ(call("StrToFloat", {Value(" 1,5E3 ")}).toDouble(), 1500.0);
    EXPECT_EQ(failure("StrToFloat", {Value("1.5")}),
              vorlan::czech("EConvertError: '1.5' není platné reálné číslo"));
    EXPECT_EQ(call("StrToFloatDef", {Value("abc"), Value(2.5)}).toDouble(), 2.5);
    formatSettings().decimalSeparator = Value(".");
    EXPECT_EQ(call("StrToFloat", {Value("-0.25")}).toDouble(), -0.25);
    EXPECT_EQ(text("FloatToStr", {Value(1.5)}), "1.5");
    formatSettings().decimalSeparator = Value(""); // spoiled: the default comma again
    EXPECT_EQ(text("FloatToStr", {Value(1.5)}), "1,5");
}

TEST_F(NumbersTest, FloatFormats) {
    EXPECT_EQ(floatToStr(1.0 / 3), "0,333333333333333");
    EXPECT_EQ(floatToStr(0.00001), "0,00001");
    EXPECT_EQ(floatToStr(0.000001), "1E-6");
    EXPECT_EQ(floatToStr(1e15), "1E15");
    EXPECT_EQ(floatToStr(1e14), "100000000000000");
    EXPECT_EQ(floatToStr(-1.5e-7), "-1,5E-7");
    EXPECT_EQ(floatToStr(0.1 + 0.2), "0,3");
    EXPECT_EQ(floatToText(12345.678, FloatFormat::General, 4, 0), "1,235E4");
    EXPECT_EQ(floatToText(1234.5, FloatFormat::Exponent, 4, 0), "1,235E+3");
    EXPECT_EQ(floatToText(-0.00012345, FloatFormat::Exponent, 3, 4), "-1,23E-0004");
    EXPECT_EQ(floatToText(0, FloatFormat::Exponent, 3, 2), "0,00E+00");
    // Halves round away from zero, on the number as a reader sees it.
    EXPECT_EQ(floatToText(2.5, FloatFormat::Fixed, 15, 0), "3");
    EXPECT_EQ(floatToText(-2.5, FloatFormat::Fixed, 15, 0), "-3");
    EXPECT_EQ(floatToText(2.675, FloatFormat::Fixed, 15, 2), "2,68");
    EXPECT_EQ(floatToText(-0.004, FloatFormat::Fixed, 15, 2), "0,00");
    EXPECT_EQ(floatToText(999.95, FloatFormat::Number, 15, 1), "1 000,0");
    EXPECT_EQ(floatToText(1234567.891, FloatFormat::Number, 15, 0), "1 234 568");
    EXPECT_EQ(floatToText(-1234.5, FloatFormat::Currency, 15, 2), czech("-1 234,50 Kč"));
    EXPECT_EQ(floatToText(1234.5, FloatFormat::Currency, 15, 0), czech("1 235 Kč"));
    EXPECT_EQ(floatToStr(std::numeric_limits<double>::infinity()), "INF");
    // More integer digits than the precision: the general form.
    EXPECT_EQ(floatToText(123456.789, FloatFormat::Fixed, 4, 2), "1,235E5");
    EXPECT_EQ(text("CurrToStr", {Value(script::Currency{125000})}), "12,5");
    EXPECT_EQ(text("FloatToStrF", {Value(1234.5), i32(3), i32(15), i32(2)}), "1 234,50");
}

TEST_F(NumbersTest, FormatFloatPatterns) {
    EXPECT_EQ(formatFloat("#,##0.00", 1234567.891), "1 234 567,89");
    EXPECT_EQ(formatFloat("0.##", 1), "1");
    EXPECT_EQ(formatFloat("0.00", 1), "1,00");
    EXPECT_EQ(formatFloat("000", 5), "005");
    EXPECT_EQ(formatFloat("#", 0), "");
    EXPECT_EQ(formatFloat("#.##", 0.5), ",5");
    EXPECT_EQ(formatFloat("0,000", 12), "0 012");
    EXPECT_EQ(formatFloat("# ### ##0", 1234567), "1 234 567");
    EXPECT_EQ(formatFloat("0.00E+00", 1234.5), "1,23E+03");
    EXPECT_EQ(formatFloat("#.###E-0", 1234), "1,234E3");
    EXPECT_EQ(formatFloat("#.###E-0", 0.5), "5E-1");
    EXPECT_EQ(formatFloat("0.0e-0", 0.0125), "1,3e-2");
    EXPECT_EQ(formatFloat("#,##0.00;(#,##0.00);nula", -1234.5), "(1 234,50)");
    EXPECT_EQ(formatFloat("#,##0.00;(#,##0.00);nula", 0), "nula");
    EXPECT_EQ(formatFloat("#,##0.00;;nula", -2), "-2,00");
    EXPECT_EQ(formatFloat(czech("\"Kč \"0.00"), 3.14159), czech("Kč 3,14"));
    EXPECT_EQ(formatFloat("'x'0' y'", 7), "x7 y");
    EXPECT_EQ(formatFloat("", 2.5), "2,5");
    EXPECT_EQ(formatFloat("00.0", -0.04), "00,0"); // rounds to zero: no minus
    EXPECT_EQ(text("FormatCurr", {Value("0.00"), Value(script::Currency{12345})}), "1,23");
}

TEST_F(NumbersTest, FormatDirectives) {
    const auto fmt = [&](const char* pattern, std::vector<Value> args) {
        return text("Format", {Value(pattern), array(std::move(args))});
    };
    EXPECT_EQ(fmt("%8.2f|%-6d|%s|%x|%n",
                  {Value(3.14159), i32(42), Value("ab"), i32(255), Value(1234567.891)}),
              "    3,14|42    |ab|FF|1 234 567,89");
    EXPECT_EQ(fmt("%.3d|%5.1s|%*d|%1:s", {i32(7), Value("xyz"), i32(4), i32(9)}),
              "007|    x|   9|xyz");
    EXPECT_EQ(fmt("%e|%.3e|%g|%g", {Value(1.0), Value(2.5), Value(1e20), Value(0.1)}),
              "1,00000000000000E+000|2,50E+000|1E20|0,1");
    EXPECT_EQ(fmt("%m|%.0m|%u|%p", {Value(1234.5), Value(2.0), i32(-1), i32(255)}),
              czech("1 234,50 Kč|2 Kč|4294967295|000000FF"));
    EXPECT_EQ(fmt("%d%%|%-4s|", {i32(5), Value("a")}), "5%|a   |");
    // The sign goes before the zeros of a precision, the padding around both; numbers beyond
    // 32 bits keep their digits and their sign.
    EXPECT_EQ(fmt("%6.3d|%-6.3d|%x|%x|%d|%u",
                  {i32(-7), i32(-7), i32(-1), Value(5e9), Value(5e9), Value(-5e9)}),
              "  -007|-007  |FFFFFFFF|12A05F200|5000000000|-5000000000");
    EXPECT_EQ(fmt("a%sb%sc", {Value("1"), Value("2")}) + fmt("plain", {}), "a1b2cplain");
    // A whole number held as a double is still an integer for %d; an integer for %f a number.
    EXPECT_EQ(fmt("%d %.1f", {Value(3.0), i32(2)}), "3 2,0");
    // A single value for the array, as a Basic program may pass it.
    EXPECT_EQ(text("Format", {Value("<%s>"), Value("x")}), "<x>");
}

TEST_F(NumbersTest, FormatErrorsNameTheFormat) {
    const auto fails = [&](const char* pattern, std::vector<Value> args) {
        return failure("Format", {Value(pattern), array(std::move(args))});
    };
    EXPECT_EQ(fails("%d %d", {i32(1)}),
              vorlan::czech("EConvertError: Chybí argument pro formát '%d %d'"));
    EXPECT_EQ(fails("%d", {Value("x")}),
              vorlan::czech("EConvertError: Formát '%d' je chybný nebo neodpovídá argumentu"));
    EXPECT_EQ(fails("%d", {Value(1.5)}),
              vorlan::czech("EConvertError: Formát '%d' je chybný nebo neodpovídá argumentu"));
    EXPECT_EQ(fails("%q", {i32(1)}),
              vorlan::czech("EConvertError: Formát '%q' je chybný nebo neodpovídá argumentu"));
    EXPECT_EQ(fails("100%", {}),
              vorlan::czech("EConvertError: Formát '100%' je chybný nebo neodpovídá argumentu"));
    EXPECT_EQ(fails("%f", {Value("1,5")}),
              vorlan::czech("EConvertError: Formát '%f' je chybný nebo neodpovídá argumentu"));
    // Long formats are named by their first 31 characters.
    EXPECT_EQ(fails("abcdefghijklmnopqrstuvwxyz0123456789 %d", {}),
              vorlan::czech(
                  "EConvertError: Chybí argument pro formát 'abcdefghijklmnopqrstuvwxyz01234'"));
}

TEST_F(NumbersTest, OpenArraysOfPascalLeaveOutTheElementTheCompilerAdds) {
    script::setProgramLanguage("ZLM");
    // [1, 2] arrives as three elements: a third %d has no argument.
    EXPECT_EQ(text("Format", {Value("%d-%d"), pascalArray({i32(1), i32(2)})}), "1-2");
    EXPECT_EQ(failure("Format", {Value("%d-%d-%d"), pascalArray({i32(1), i32(2)})}),
              vorlan::czech("EConvertError: Chybí argument pro formát '%d-%d-%d'"));
    // A Basic array passes every element, an empty last one included.
    script::setProgramLanguage("PMB");
    EXPECT_EQ(text("Format", {Value("%d-%s-%d"), array({i32(1), Value(), i32(3)})}), "1--3");
}

TEST_F(NumbersTest, CurrencyAndBooleanText) {
    EXPECT_EQ(call("StrToCurr", {Value("12,34")}).toCurrency().scaled, 123400);
    EXPECT_EQ(failure("StrToCurr", {Value("12.34")}),
              vorlan::czech("EConvertError: '12.34' není platné reálné číslo"));
    EXPECT_EQ(text("CurrToStrF", {Value(script::Currency{-15000}), i32(4), i32(2)}),
              czech("-1,50 Kč"));
    EXPECT_EQ(text("BoolToStr", {Value(true)}), "-1");
    EXPECT_EQ(text("BoolToStr", {Value(false), Value(true)}), "False");
    EXPECT_TRUE(call("StrToBool", {Value("true")}).toBool());
    EXPECT_FALSE(call("StrToBool", {Value("0")}).toBool());
    EXPECT_EQ(failure("StrToBool", {Value("ano")}),
              vorlan::czech("EConvertError: 'ano' není platná logická hodnota"));
}

TEST_F(NumbersTest, CurrencyFormsOfTheSettings) {
    formatSettings().currencyString = Value("$");
    formatSettings().currencyFormat = Value(0);
    formatSettings().negCurrFormat = Value(0);
    EXPECT_EQ(floatToText(-5, FloatFormat::Currency, 15, 2), "($5,00)");
    EXPECT_EQ(floatToText(5, FloatFormat::Currency, 15, 2), "$5,00");
    formatSettings().negCurrFormat = Value(99); // out of range: the default form
    EXPECT_EQ(floatToText(-5, FloatFormat::Currency, 15, 2), "-5,00 $");
}
