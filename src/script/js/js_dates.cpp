#include "script/js/js_dates.h"

#include <cmath>
#include <ctime>

namespace vorlan::script::js {

namespace {

constexpr double kDaysTo1970 = 25569.0;
constexpr double kMsPerDay = 86400000.0;

// Beyond this the script's dates are invalid.
constexpr double kMaxDateMs = 8.64e15;

} // namespace

double localDaysToUtcMs(double days) {
    const double wallMs = (days - kDaysTo1970) * kMsPerDay;
    if (!(std::fabs(wallMs) <= kMaxDateMs)) return NAN;
    const double wallSec = std::floor(wallMs / 1000.0);
    const double rest = wallMs - wallSec * 1000.0;
    const auto t = static_cast<std::time_t>(wallSec);
    std::tm parts{};
    if (!gmtime_r(&t, &parts)) return wallMs;
    parts.tm_isdst = -1;
    const std::time_t utc = std::mktime(&parts);
    if (utc == static_cast<std::time_t>(-1)) return wallMs;
    return static_cast<double>(utc) * 1000.0 + rest;
}

double utcMsToLocalDays(double ms) {
    const double sec = std::floor(ms / 1000.0);
    const double rest = ms - sec * 1000.0;
    const auto t = static_cast<std::time_t>(sec);
    std::tm parts{};
    if (!localtime_r(&t, &parts)) return ms / kMsPerDay + kDaysTo1970;
    const std::time_t wall = timegm(&parts);
    return (static_cast<double>(wall) * 1000.0 + rest) / kMsPerDay + kDaysTo1970;
}

} // namespace vorlan::script::js
