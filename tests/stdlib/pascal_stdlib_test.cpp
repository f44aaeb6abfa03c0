// The standard units from Pascal-dialect programs: uses clauses, exceptions raised and handled,
// the handled exception's message, and format settings assigned by the program.
#include "stdlib_calls.h"

#include "core/cp1250.h"
#include "script/open_array.h"
#include "script/pascal/pascal_fixture.h"
#include "stdlib/format_settings.h"

using namespace vorlan;
using namespace vorlan::stdlib;

namespace {

class PascalStdlib : public vorlan::testing::PascalTest {
protected:
    void SetUp() override {
        stdlib::testing::registerUnitsOnce();
        PascalTest::SetUp();
        resetFormatSettings();
        script::setProgramLanguage("ZLM");
    }
    void TearDown() override {
        script::setProgramLanguage("");
        resetFormatSettings();
        PascalTest::TearDown();
    }
    std::string errorText() const {
        return errors.empty() ? std::string() : cp1250ToUtf8(errors[0].description);
    }
};

} // namespace

TEST_F(PascalStdlib, StandardUnitsInUsesLoadNoModule) {
    EXPECT_EQ(runText({"program P;", "uses SysUtils, Classes, Forms;", "begin",
                       "  TestOut(Format('%d-%s', [7, 'x']));", "  TestOut(IntToStr(12) + '!');",
                       "end."}),
              "7-x 12!");
    EXPECT_TRUE(errors.empty()) << errorText();
}

TEST_F(PascalStdlib, HandlersReadTheMessageAndClassOfTheException) {
    EXPECT_EQ(runText({"var n: Integer; E: Variant;",
                       "begin",
                       "  try",
                       "    n := StrToInt('12x');",
                       "    TestOut('not here');",
                       "  except",
                       "    TestOut(ExceptionClassName + ': ' + ExceptionMessage);",
                       "  end;",
                       "  try",
                       "    raise Exception.Create('Chyba ' + IntToStr(3));",
                       "  except",
                       "    TestOut(ExceptionClassName + ': ' + ExceptionMessage);",
                       "  end;",
                       "  try",
                       "    raise EConvertError.CreateFmt('%d ks', [5]);",
                       "  except",
                       "    TestOut(ExceptionClassName + ': ' + ExceptionMessage);",
                       "  end;",
                       "  E := Exception.Create('a');",
                       "  E.Message := E.Message + 'b';",
                       "  try",
                       "    raise E;",
                       "  except",
                       "    TestOut(ExceptionMessage);",
                       "  end;",
                       "  try",
                       "    raise 'plain text';",
                       "  except",
                       "    TestOut(ExceptionClassName + ': ' + ExceptionMessage);",
                       "  end;",
                       "end."}),
              vorlan::czech("EConvertError: '12x' není platné celé číslo "
                            "Exception: Chyba 3 EConvertError: 5 ks ab Exception: plain text"));
    EXPECT_TRUE(errors.empty()) << errorText();
}

TEST_F(PascalStdlib, ARaiseInsideAHandlerGoesToTheOuterOne) {
    EXPECT_EQ(runText({"begin", "  try", "    try", "      StrToFloat('x');", "    except",
                       "      TestOut('inner');", "      raise;", "    end;", "  except",
                       "    TestOut(ExceptionClassName);", "  end;", "end."}),
              "inner EConvertError");
    EXPECT_TRUE(errors.empty()) << errorText();
}

TEST_F(PascalStdlib, AnUncaughtExceptionStopsWithItsMessageAndPlace) {
    run({"begin", "  TestOut('before');", "  StrToDate('31.2.2024');", "  TestOut('after');",
         "end."});
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errorText(), "'31.2.2024' není platné datum");
    EXPECT_EQ(errors[0].line, 3);
    EXPECT_EQ(vorlan::testing::joined(output()), "before");
    errors.clear();
    run({"begin", czech("  raise EInOutError.Create('Disk je plný');"), "end."});
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errorText(), "Disk je plný");
}

TEST_F(PascalStdlib, ProgramsAssignTheFormatSettings) {
    EXPECT_EQ(runText({"begin", "  TestOut(FloatToStr(1.5));", "  DecimalSeparator := '.';",
                       "  ThousandSeparator := ',';", "  TestOut(FloatToStr(1.5));",
                       "  TestOut(Format('%.1n', [1234.5]));", "  ShortDateFormat := 'yyyy/mm/dd';",
                       "  DateSeparator := '-';", "  TestOut(DateToStr(EncodeDate(2024, 3, 5)));",
                       "  TestOut(LongMonthNames[3]);", "  TestOut(ShortDayNames[1]);", "end."}),
              czech("1,5 1.5 1,234.5 2024-03-05 březen ne"));
    EXPECT_TRUE(errors.empty()) << errorText();
}

TEST_F(PascalStdlib, VarParametersAndOptionalOnes) {
    EXPECT_EQ(runText({"var y, m, d: Integer; n: Integer; ok: Boolean;", "begin",
                       "  DecodeDate(EncodeDate(2024, 3, 5), y, m, d);",
                       "  TestOut(IntToStr(d) + '.' + IntToStr(m) + '.' + IntToStr(y));",
                       "  ok := TryStrToInt('77', n);", "  TestOut(n);",
                       "  TestOut(DateToStr(IncMonth(EncodeDate(2024, 1, 31))));",
                       "  TestOut(BoolToStr(ok, True));",
                       "  TestOut(StringReplace('a-b-c', '-', '+', [rfReplaceAll]));",
                       "  TestOut(StringReplace('a-b-c', '-', '+', []));",
                       "  TestOut(Trunc(Now - Date) + Trunc(Time));", "end."}),
              "5.3.2024 77 29.2.2024 True a+b+c a+b-c 0");
    EXPECT_TRUE(errors.empty()) << errorText();
}
