#include "core/civil_date.h"

namespace vorlan {

namespace {

// Division and remainder rounding toward negative infinity, so that dates before the epochs
// fall on the right day.
std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

constexpr std::int64_t kDaysPer400Years = 146097;
// Days from 1 March of year 0 to 1 January 1970.
constexpr std::int64_t kMarch0To1970 = 719468;

} // namespace

// The years are counted from 1 March, so that the leap day ends a year and every month's start
// follows from its index by one formula; the 400-year cycle repeats exactly.
std::int64_t daysFromCivil(std::int64_t year, std::int64_t month, std::int64_t day) {
    year += floorDiv(month - 1, 12);
    month -= floorDiv(month - 1, 12) * 12;
    if (month <= 2) --year;
    const std::int64_t era = floorDiv(year, 400);
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * kDaysPer400Years + dayOfEra - kMarch0To1970;
}

YearMonthDay civilFromDays(std::int64_t days) {
    const std::int64_t z = days + kMarch0To1970;
    const std::int64_t era = floorDiv(z, kDaysPer400Years);
    const std::int64_t dayOfEra = z - era * kDaysPer400Years;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
    const auto day = static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
    const auto month =
        static_cast<int>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
    return {static_cast<int>(yearOfEra + era * 400 + (month <= 2)), month, day};
}

} // namespace vorlan
