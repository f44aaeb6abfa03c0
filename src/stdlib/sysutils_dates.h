#pragma once
// Dates and times of the standard library: a TDateTime counts days since 30 December 1899, its
// fraction being the time of day. Texts follow the format settings (ShortDateFormat, month and
// day names, separators); bad dates and texts raise EConvertError with the library's messages.

#include "script/value.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vorlan::stdlib {

using script::DateTime;

struct CivilDate {
    std::int32_t year = 1899, month = 12, day = 30;
};
struct ClockTime {
    std::int32_t hour = 0, minute = 0, second = 0, millisecond = 0;
};

bool tryEncodeDate(std::int32_t year, std::int32_t month, std::int32_t day, DateTime& out);
bool tryEncodeTime(std::int32_t hour, std::int32_t minute, std::int32_t second,
                   std::int32_t millisecond, DateTime& out);
DateTime encodeDate(std::int32_t year, std::int32_t month, std::int32_t day);
DateTime encodeTime(std::int32_t hour, std::int32_t minute, std::int32_t second,
                    std::int32_t millisecond);
CivilDate decodeDate(DateTime value);
ClockTime decodeTime(DateTime value);
// 1 Sunday .. 7 Saturday.
std::int32_t dayOfWeek(DateTime value);
// The same day so many months later (or earlier); the month's last day where it is shorter.
DateTime incMonth(DateTime value, std::int32_t months);

DateTime now();
DateTime today();
DateTime timeOfDay();

std::string formatDateTime(std::string_view pattern, DateTime value);
std::string dateToStr(DateTime value);
std::string timeToStr(DateTime value);
std::string dateTimeToStr(DateTime value);

bool tryStrToDate(std::string_view text, DateTime& out);
bool tryStrToTime(std::string_view text, DateTime& out);
bool tryStrToDateTime(std::string_view text, DateTime& out);
DateTime strToDate(std::string_view text);
DateTime strToTime(std::string_view text);
DateTime strToDateTime(std::string_view text);

} // namespace vorlan::stdlib
