#pragma once
// The calendar every layer counts days with: the proleptic Gregorian calendar as whole day
// numbers. Script dates count days since 30 December 1899, DBF dates are julian day numbers;
// both are this count shifted by a constant, so a date means the same day everywhere.

#include <cstdint>

namespace vorlan {

struct YearMonthDay {
    int year = 1970, month = 1, day = 1;
};

constexpr bool isLeapYear(std::int64_t year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

// 28..31, or 0 for a month outside 1..12.
constexpr int daysInMonth(std::int64_t year, int month) {
    constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

// True for a real day of a year 1..9999, the years dates are written with.
constexpr bool isValidDate(std::int64_t year, int month, int day) {
    return year >= 1 && year <= 9999 && day >= 1 && day <= daysInMonth(year, month);
}

// Days since 1 January 1970. Months outside 1..12 and days outside the month carry into the
// neighbouring months and years (month 13 of 2020 is January 2021, day 0 the month's eve), so
// callers can add months or days before converting.
std::int64_t daysFromCivil(std::int64_t year, std::int64_t month, std::int64_t day);
YearMonthDay civilFromDays(std::int64_t days);

// Day 0 of script dates (30 December 1899) and julian day 0, counted from 1 January 1970.
constexpr std::int64_t kDateTimeZero = -25569;
constexpr std::int64_t kJulianDayZero = -2440588;

// Days since 30 December 1899 (the whole part of a script date) and back.
inline std::int64_t serialFromCivil(std::int64_t year, std::int64_t month, std::int64_t day) {
    return daysFromCivil(year, month, day) - kDateTimeZero;
}
inline YearMonthDay civilFromSerial(std::int64_t serial) {
    return civilFromDays(serial + kDateTimeZero);
}

// Julian day numbers and back.
inline std::int64_t julianFromCivil(std::int64_t year, std::int64_t month, std::int64_t day) {
    return daysFromCivil(year, month, day) - kJulianDayZero;
}
inline YearMonthDay civilFromJulian(std::int64_t julianDay) {
    return civilFromDays(julianDay + kJulianDayZero);
}

} // namespace vorlan
