// Dates and times: the calendar, the texts of the Czech defaults and of changed settings, and the
// errors of bad dates.
#include "stdlib_calls.h"

#include "core/civil_date.h"
#include "core/cp1250.h"
#include "stdlib/format_settings.h"
#include "stdlib/sysutils_dates.h"

using namespace vorlan;
using namespace vorlan::stdlib;
using namespace vorlan::stdlib::testing;

namespace {

using DatesTest = StdlibTest;

DateTime at(int y, int m, int d, int h = 0, int n = 0, int s = 0, int ms = 0) {
    return DateTime{encodeDate(y, m, d).days + encodeTime(h, n, s, ms).days};
}

} // namespace

TEST_F(DatesTest, CalendarArithmetic) {
    EXPECT_EQ(encodeDate(1899, 12, 30).days, 0);
    EXPECT_EQ(encodeDate(2024, 3, 5).days, 45356);
    EXPECT_EQ(encodeDate(1800, 1, 1).days, -36522);
    const CivilDate c = decodeDate(DateTime{-36522.75});
    EXPECT_EQ(c.year * 10000 + c.month * 100 + c.day, 18000101);
    EXPECT_EQ(decodeTime(DateTime{-36522.75}).hour, 18); // the time of a negative date counts up
    EXPECT_EQ(dayOfWeek(encodeDate(2024, 3, 5)), 3);     // a Tuesday; Sunday is 1
    EXPECT_TRUE(isLeapYear(2000));
    EXPECT_FALSE(isLeapYear(1900));
    EXPECT_EQ(incMonth(encodeDate(2024, 1, 31), 1).days, encodeDate(2024, 2, 29).days);
    EXPECT_EQ(incMonth(encodeDate(2024, 3, 15), -15).days, encodeDate(2022, 12, 15).days);
    EXPECT_EQ(call("IncMonth", {Value(encodeDate(2023, 12, 31))}).toDate().days,
              encodeDate(2024, 1, 31).days);
    const ClockTime t = decodeTime(encodeTime(23, 59, 59, 999));
    EXPECT_EQ(t.hour * 10000000 + t.minute * 100000 + t.second * 1000 + t.millisecond, 235959999);

    std::vector<Value> args{Value(at(2024, 3, 5, 14, 30)), i32(0), i32(0), i32(0)};
    call("DecodeDate", args);
    EXPECT_EQ(args[1].toInt() * 10000 + args[2].toInt() * 100 + args[3].toInt(), 20240305);
    EXPECT_EQ(failure("EncodeDate", {i32(2023), i32(2), i32(29)}),
              vorlan::czech("EConvertError: Neplatné údaje pro sestavení data"));
    EXPECT_EQ(failure("EncodeTime", {i32(24), i32(0), i32(0), i32(0)}),
              vorlan::czech("EConvertError: Neplatné údaje pro sestavení času"));
}

TEST_F(DatesTest, TextsOfTheCzechDefaults) {
    const DateTime d = at(2024, 3, 5, 14, 7, 9, 45);
    EXPECT_EQ(dateToStr(d), "5.3.2024");
    EXPECT_EQ(timeToStr(d), "14:07:09");
    EXPECT_EQ(dateTimeToStr(d), "5.3.2024 14:07:09");
    EXPECT_EQ(dateTimeToStr(encodeDate(2024, 3, 5)), "5.3.2024"); // midnight: no time
    EXPECT_EQ(cp1250ToUtf8(formatDateTime("dddd d. mmmm yyyy", d)), "úterý 5. březen 2024");
    EXPECT_EQ(cp1250ToUtf8(formatDateTime("ddd dd.mm.yy mmm", d)), "út 05.03.24 bře");
    EXPECT_EQ(cp1250ToUtf8(formatDateTime("dddddd", d)), "5. březen 2024");
    EXPECT_EQ(formatDateTime("hh:nn:ss.zzz", d), "14:07:09.045");
    EXPECT_EQ(formatDateTime("h:mm", d), "14:07"); // m after h is the minute
    EXPECT_EQ(formatDateTime("h:mm am/pm", d), "2:07 pm");
    EXPECT_EQ(formatDateTime("hh AM/PM ampm", d), "02 PM odp.");
    EXPECT_EQ(formatDateTime("yyyy/mm/dd 'at' t", d), "2024.03.05 at 14:07");
    EXPECT_EQ(formatDateTime("\"d\"d", d), "d5");
}

TEST_F(DatesTest, ChangedSettingsChangeTheTexts) {
    formatSettings().shortDateFormat = Value("MM/dd/yyyy");
    formatSettings().dateSeparator = Value("-");
    formatSettings().longMonthNames = array({Value("Jan"), Value("Feb"), Value("Mar")}); // short
    const DateTime d = at(2024, 3, 5);
    EXPECT_EQ(dateToStr(d), "03-05-2024");
    EXPECT_EQ(formatDateTime("mmmm", d), "Mar");
    EXPECT_EQ(cp1250ToUtf8(formatDateTime("mmmm", at(2024, 4, 1))), "duben"); // missing: default
    EXPECT_EQ(strToDate("12-24-2023").days, encodeDate(2023, 12, 24).days);
}

TEST_F(DatesTest, ReadingDatesAndTimes) {
    EXPECT_EQ(strToDate("5.3.2024").days, encodeDate(2024, 3, 5).days);
    EXPECT_EQ(strToDate(" 5 . 3 . 2024 ").days, encodeDate(2024, 3, 5).days);
    const std::int32_t year = decodeDate(today()).year;
    EXPECT_EQ(strToDate("5.3.").days, encodeDate(year, 3, 5).days);
    EXPECT_EQ(strToDate("5.3").days, encodeDate(year, 3, 5).days);
    // Two-digit years lie within fifty years of this one.
    const std::int32_t near = (year + 10) % 100, far = (year + 60) % 100;
    EXPECT_EQ(decodeDate(strToDate("1.1." + std::to_string(near))).year, year + 10);
    EXPECT_EQ(decodeDate(strToDate("1.1." + std::to_string(far))).year, year + 60 - 100);
    EXPECT_EQ(strToTime("14:30").days, encodeTime(14, 30, 0, 0).days);
    EXPECT_EQ(strToTime("2:30:15 odp.").days, encodeTime(14, 30, 15, 0).days);
    EXPECT_EQ(strToTime("12 AM").days, 0);
    EXPECT_EQ(strToDateTime("5.3.2024 14:30").days, at(2024, 3, 5, 14, 30).days);
    EXPECT_EQ(failure("StrToDate", {Value("32.1.2000")}),
              vorlan::czech("EConvertError: '32.1.2000' není platné datum"));
    EXPECT_EQ(failure("StrToDate", {Value("")}),
              vorlan::czech("EConvertError: '' není platné datum"));
    EXPECT_EQ(failure("StrToTime", {Value("25:00")}),
              vorlan::czech("EConvertError: '25:00' není platný čas"));
    EXPECT_EQ(failure("StrToDateTime", {Value("5.3.2024 x")}),
              vorlan::czech("EConvertError: '5.3.2024 x' není platné datum a čas"));
    EXPECT_EQ(call("StrToDateDef", {Value("nic"), Value(DateTime{7})}).toDate().days, 7);
    std::vector<Value> args{Value("29.2.2023"), Value(DateTime{1})};
    EXPECT_FALSE(call("TryStrToDate", args).toBool());
}

TEST_F(DatesTest, NowIsTodayPlusTheTime) {
    const double n = call("Now").toDate().days;
    const double d = call("Date").toDate().days;
    EXPECT_GE(n, d);
    EXPECT_LT(n - d, 1.0);
    EXPECT_GT(d, encodeDate(2020, 1, 1).days);
    EXPECT_LT(call("Time").toDate().days, 1.0);
}
