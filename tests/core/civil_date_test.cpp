#include "core/civil_date.h"

#include <gtest/gtest.h>

#include <chrono>

namespace vorlan {
namespace {

// Walking day by day from julian day 0 (24 November 4714 BC, proleptic Gregorian) to the end
// of year 9999 must meet every date exactly once, in both directions of the conversion.
TEST(CivilDate, EveryDayFromJulianZeroToYear9999RoundTrips) {
    YearMonthDay walk{-4713, 11, 24};
    const std::int64_t last = julianFromCivil(9999, 12, 31);
    for (std::int64_t jd = 0; jd <= last; ++jd) {
        const YearMonthDay c = civilFromJulian(jd);
        ASSERT_EQ(c.year, walk.year) << jd;
        ASSERT_EQ(c.month, walk.month) << jd;
        ASSERT_EQ(c.day, walk.day) << jd;
        ASSERT_EQ(julianFromCivil(c.year, c.month, c.day), jd);
        if (++walk.day > daysInMonth(walk.year, walk.month)) {
            walk.day = 1;
            if (++walk.month > 12) walk.month = 1, ++walk.year;
        }
    }
}

TEST(CivilDate, AgreesWithTheStandardLibraryCalendar) {
    using namespace std::chrono;
    for (std::int64_t d = -1'000'000; d <= 3'000'000; d += 7919) {
        const year_month_day ymd{sys_days{days{d}}};
        const YearMonthDay c = civilFromDays(d);
        ASSERT_EQ(c.year, int(ymd.year())) << d;
        ASSERT_EQ(c.month, static_cast<int>(unsigned(ymd.month()))) << d;
        ASSERT_EQ(c.day, static_cast<int>(unsigned(ymd.day()))) << d;
    }
}

TEST(CivilDate, EpochsOfScriptAndTableDates) {
    EXPECT_EQ(serialFromCivil(1899, 12, 30), 0);
    EXPECT_EQ(serialFromCivil(1970, 1, 1), 25569);
    EXPECT_EQ(serialFromCivil(1, 1, 1), -693593);
    EXPECT_EQ(julianFromCivil(2000, 1, 1), 2451545);
    const YearMonthDay c = civilFromSerial(-1);
    EXPECT_EQ(c.year, 1899);
    EXPECT_EQ(c.month, 12);
    EXPECT_EQ(c.day, 29);
}

TEST(CivilDate, MonthsAndDaysOutsideTheirRangeCarry) {
    EXPECT_EQ(daysFromCivil(2020, 13, 1), daysFromCivil(2021, 1, 1));
    EXPECT_EQ(daysFromCivil(2020, 0, 1), daysFromCivil(2019, 12, 1));
    EXPECT_EQ(daysFromCivil(2020, -23, 15), daysFromCivil(2018, 1, 15));
    EXPECT_EQ(daysFromCivil(2021, 3, 0), daysFromCivil(2021, 2, 28));
    EXPECT_EQ(daysFromCivil(2020, 2, 30), daysFromCivil(2020, 3, 1));
}

TEST(CivilDate, LeapYearsAndMonthLengths) {
    EXPECT_EQ(daysInMonth(2000, 2), 29);
    EXPECT_EQ(daysInMonth(1900, 2), 28);
    EXPECT_EQ(daysInMonth(2024, 2), 29);
    EXPECT_EQ(daysInMonth(2023, 2), 28);
    EXPECT_EQ(daysInMonth(2023, 13), 0);
    EXPECT_TRUE(isValidDate(9999, 12, 31));
    EXPECT_FALSE(isValidDate(0, 12, 31));
    EXPECT_FALSE(isValidDate(2023, 2, 29));
}

} // namespace
} // namespace vorlan
