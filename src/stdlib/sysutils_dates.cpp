#include "stdlib/sysutils_dates.h"

#include "core/civil_date.h"
#include "core/cp1250.h"
#include "stdlib/exceptions.h"
#include "stdlib/format_settings.h"

#include <chrono>
#include <cmath>
#include <ctime>

namespace vorlan::stdlib {

namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;

CivilDate civilFromDays(std::int64_t serial) {
    const YearMonthDay c = civilFromSerial(serial);
    return {c.year, c.month, c.day};
}

// The date part counts whole days toward zero; the time of day is the fraction's size (a
// negative TDateTime still has its time after midnight).
std::int64_t datePart(DateTime value) {
    return static_cast<std::int64_t>(std::trunc(value.days));
}

std::int64_t timeMilliseconds(DateTime value) {
    const double fraction = std::fabs(value.days - std::trunc(value.days));
    std::int64_t ms = std::llround(fraction * kMsPerDay);
    return ms >= kMsPerDay ? kMsPerDay - 1 : ms;
}

bool validSerial(double days) {
    return std::isfinite(days) && days > -693594.0 && days < 2958466.0;
}

} // namespace

bool tryEncodeDate(std::int32_t year, std::int32_t month, std::int32_t day, DateTime& out) {
    if (!isValidDate(year, month, day)) return false;
    out = DateTime{static_cast<double>(serialFromCivil(year, month, day))};
    return true;
}

bool tryEncodeTime(std::int32_t hour, std::int32_t minute, std::int32_t second,
                   std::int32_t millisecond, DateTime& out) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
        millisecond < 0 || millisecond > 999)
        return false;
    const std::int64_t ms =
        ((static_cast<std::int64_t>(hour) * 60 + minute) * 60 + second) * 1000 + millisecond;
    out = DateTime{static_cast<double>(ms) / kMsPerDay};
    return true;
}

DateTime encodeDate(std::int32_t year, std::int32_t month, std::int32_t day) {
    DateTime d;
    if (!tryEncodeDate(year, month, day, d))
        raiseConvertError(czech("Neplatné údaje pro sestavení data"));
    return d;
}

DateTime encodeTime(std::int32_t hour, std::int32_t minute, std::int32_t second,
                    std::int32_t millisecond) {
    DateTime t;
    if (!tryEncodeTime(hour, minute, second, millisecond, t))
        raiseConvertError(czech("Neplatné údaje pro sestavení času"));
    return t;
}

CivilDate decodeDate(DateTime value) {
    if (!validSerial(value.days)) return CivilDate{0, 0, 0};
    return civilFromDays(datePart(value));
}

ClockTime decodeTime(DateTime value) {
    if (!std::isfinite(value.days)) return {};
    std::int64_t ms = timeMilliseconds(value);
    ClockTime t;
    t.millisecond = static_cast<std::int32_t>(ms % 1000);
    ms /= 1000;
    t.second = static_cast<std::int32_t>(ms % 60);
    ms /= 60;
    t.minute = static_cast<std::int32_t>(ms % 60);
    t.hour = static_cast<std::int32_t>(ms / 60);
    return t;
}

std::int32_t dayOfWeek(DateTime value) {
    // Day 0 (30 December 1899) was a Saturday.
    const std::int64_t d = datePart(value);
    return static_cast<std::int32_t>(((d % 7) + 7 + 6) % 7) + 1;
}

DateTime incMonth(DateTime value, std::int32_t months) {
    CivilDate c = decodeDate(value);
    if (c.year == 0) return value;
    std::int64_t month = static_cast<std::int64_t>(c.year) * 12 + (c.month - 1) + months;
    const auto year = static_cast<std::int32_t>(month / 12);
    const auto m = static_cast<std::int32_t>(month % 12 + 1);
    DateTime d;
    if (!tryEncodeDate(year, m, std::min(c.day, daysInMonth(year, m)), d))
        raiseConvertError(czech("Neplatné údaje pro sestavení data"));
    const double time = std::fabs(value.days - std::trunc(value.days));
    return DateTime{d.days >= 0 ? d.days + time : d.days - time};
}

DateTime now() {
    const auto nowPoint = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(nowPoint);
    std::tm local{};
    localtime_r(&seconds, &local);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(nowPoint.time_since_epoch()).count() %
        1000;
    const double day =
        static_cast<double>(serialFromCivil(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday));
    const double time =
        static_cast<double>(((local.tm_hour * 60 + local.tm_min) * 60 + local.tm_sec) * 1000 + ms) /
        kMsPerDay;
    return DateTime{day + time};
}

DateTime today() {
    return DateTime{std::floor(now().days)};
}

DateTime timeOfDay() {
    const DateTime n = now();
    return DateTime{n.days - std::floor(n.days)};
}

// ---- formatting

namespace {

std::string twoDigits(std::int32_t n) {
    std::string s = std::to_string(n);
    return s.size() < 2 ? "0" + s : s;
}

std::size_t countOf(std::string_view p, std::size_t i, char upper) {
    std::size_t n = 0;
    while (i + n < p.size() && (p[i + n] == upper || p[i + n] == upper + ('a' - 'A')))
        ++n;
    return n;
}

bool startsNoCase(std::string_view p, std::size_t i, std::string_view word) {
    return p.size() - i >= word.size() && equalsNoCase(p.substr(i, word.size()), word);
}

// Whether an hour at `i` is shown on the 12-hour clock: an am/pm marker follows before the
// next hour.
bool twelveHourClock(std::string_view p, std::size_t i) {
    for (; i < p.size(); ++i) {
        const char c = p[i];
        if (c == '\'' || c == '"') {
            const std::size_t close = p.find(c, i + 1);
            if (close == std::string_view::npos) return false;
            i = close;
        } else if (c == 'h' || c == 'H') {
            return false;
        } else if (startsNoCase(p, i, "am/pm") || startsNoCase(p, i, "a/p") ||
                   startsNoCase(p, i, "ampm")) {
            return true;
        }
    }
    return false;
}

class DateFormatter {
public:
    explicit DateFormatter(DateTime value)
        : value_(value), date_(decodeDate(value)), time_(decodeTime(value)) {}

    void append(std::string_view p, int level) {
        // Nested formats (c, ddddd, t ...) may not nest endlessly through a spoiled setting.
        if (level > 2) return;
        char lastLetter = 0;
        for (std::size_t i = 0; i < p.size();) {
            const char c = p[i];
            char token = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
            if (token >= 'A' && token <= 'Z') {
                if (token == 'M' && lastLetter == 'H') token = 'N';
                lastLetter = token;
            }
            switch (token) {
            case 'Y': {
                const std::size_t n = countOf(p, i, 'Y');
                out_ += n <= 2 ? twoDigits(date_.year % 100) : std::to_string(date_.year);
                i += n;
                break;
            }
            case 'M': {
                const std::size_t n = countOf(p, i, 'M');
                if (n == 1)
                    out_ += std::to_string(date_.month);
                else if (n == 2)
                    out_ += twoDigits(date_.month);
                else if (n == 3)
                    out_ += shortMonthName(date_.month);
                else
                    out_ += longMonthName(date_.month);
                i += n;
                break;
            }
            case 'D': {
                const std::size_t n = countOf(p, i, 'D');
                const std::int32_t weekday = dayOfWeek(value_);
                switch (std::min<std::size_t>(n, 6)) {
                case 1:
                    out_ += std::to_string(date_.day);
                    break;
                case 2:
                    out_ += twoDigits(date_.day);
                    break;
                case 3:
                    out_ += shortDayName(weekday);
                    break;
                case 4:
                    out_ += longDayName(weekday);
                    break;
                case 5:
                    append(shortDateFormat(), level + 1);
                    break;
                default:
                    append(longDateFormat(), level + 1);
                    break;
                }
                i += n;
                break;
            }
            case 'H': {
                const std::size_t n = countOf(p, i, 'H');
                std::int32_t hour = time_.hour;
                if (twelveHourClock(p, i + n)) {
                    hour %= 12;
                    if (hour == 0) hour = 12;
                }
                out_ += n == 1 ? std::to_string(hour) : twoDigits(hour);
                i += std::min<std::size_t>(n, 2);
                break;
            }
            case 'N': {
                const std::size_t n = countOf(p, i, c == 'm' || c == 'M' ? 'M' : 'N');
                out_ += n == 1 ? std::to_string(time_.minute) : twoDigits(time_.minute);
                i += std::min<std::size_t>(n, 2);
                break;
            }
            case 'S': {
                const std::size_t n = countOf(p, i, 'S');
                out_ += n == 1 ? std::to_string(time_.second) : twoDigits(time_.second);
                i += std::min<std::size_t>(n, 2);
                break;
            }
            case 'Z': {
                const std::size_t n = countOf(p, i, 'Z');
                std::string ms = std::to_string(time_.millisecond);
                if (n >= 3) ms.insert(0, 3 - ms.size(), '0');
                out_ += ms;
                i += std::min<std::size_t>(n, 3);
                break;
            }
            case 'T': {
                const std::size_t n = countOf(p, i, 'T');
                append(n == 1 ? shortTimeFormat() : longTimeFormat(), level + 1);
                i += std::min<std::size_t>(n, 2);
                break;
            }
            case 'C': {
                append(shortDateFormat(), level + 1);
                if (timeMilliseconds(value_) != 0) {
                    out_ += ' ';
                    append(longTimeFormat(), level + 1);
                }
                ++i;
                break;
            }
            case 'A': {
                const bool pm = time_.hour >= 12;
                if (startsNoCase(p, i, "ampm")) {
                    out_ += pm ? timePMString() : timeAMString();
                    i += 4;
                } else if (startsNoCase(p, i, "am/pm")) {
                    // In the letter case the pattern uses.
                    const std::string_view word = pm ? p.substr(i + 3, 2) : p.substr(i, 2);
                    out_ += word;
                    i += 5;
                } else if (startsNoCase(p, i, "a/p")) {
                    out_ += pm ? p[i + 2] : p[i];
                    i += 3;
                } else {
                    out_ += c;
                    ++i;
                }
                break;
            }
            case '/':
                out_ += dateSeparator();
                ++i;
                break;
            case ':':
                out_ += timeSeparator();
                ++i;
                break;
            case '\'':
            case '"': {
                const std::size_t close = p.find(c, i + 1);
                const std::size_t end = close == std::string_view::npos ? p.size() : close;
                out_ += p.substr(i + 1, end - i - 1);
                i = end + 1;
                break;
            }
            default:
                out_ += c;
                ++i;
                break;
            }
        }
    }

    std::string take() { return std::move(out_); }

private:
    DateTime value_;
    CivilDate date_;
    ClockTime time_;
    std::string out_;
};

} // namespace

std::string formatDateTime(std::string_view pattern, DateTime value) {
    DateFormatter f(value);
    f.append(pattern.empty() ? std::string_view("c") : pattern, 0);
    return f.take();
}

std::string dateToStr(DateTime value) {
    return formatDateTime("ddddd", value);
}

std::string timeToStr(DateTime value) {
    return formatDateTime("tt", value);
}

std::string dateTimeToStr(DateTime value) {
    return formatDateTime("c", value);
}

// ---- parsing

namespace {

class Scanner {
public:
    explicit Scanner(std::string_view text) : text_(text) {}

    void blanks() {
        while (pos_ < text_.size() && text_[pos_] == ' ')
            ++pos_;
    }
    bool number(std::int32_t& out, int& digits) {
        blanks();
        digits = 0;
        std::int64_t n = 0;
        while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') {
            n = n * 10 + (text_[pos_] - '0');
            if (n > 99999) return false;
            ++pos_;
            ++digits;
        }
        out = static_cast<std::int32_t>(n);
        return digits > 0;
    }
    bool character(char c) {
        blanks();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    bool word(std::string_view w) {
        blanks();
        if (!w.empty() && text_.size() - pos_ >= w.size() &&
            equalsNoCase(text_.substr(pos_, w.size()), w)) {
            pos_ += w.size();
            return true;
        }
        return false;
    }
    bool atEnd() {
        blanks();
        return pos_ >= text_.size();
    }
    std::size_t position() const { return pos_; }
    void setPosition(std::size_t p) { pos_ = p; }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

// The order of day, month and year as the short date format writes them.
enum class DateOrder { DMY, MDY, YMD };

DateOrder dateOrder() {
    for (char c : shortDateFormat()) {
        switch (c | 0x20) {
        case 'd':
            return DateOrder::DMY;
        case 'm':
            return DateOrder::MDY;
        case 'y':
            return DateOrder::YMD;
        default:
            break;
        }
    }
    return DateOrder::DMY;
}

bool scanDate(Scanner& s, DateTime& out) {
    std::int32_t n1 = 0, n2 = 0, n3 = 0;
    int l1 = 0, l2 = 0, l3 = 0;
    const char separator = dateSeparator();
    if (!s.number(n1, l1) || !s.character(separator) || !s.number(n2, l2)) return false;
    const CivilDate current = decodeDate(today());
    std::int32_t year = current.year, month = 0, day = 0;
    int yearDigits = 4;
    const DateOrder order = dateOrder();
    // "5.3." (a Czech way of writing a day of this year) has its separator but no year.
    const bool third = s.character(separator) && !s.atEnd();
    if (third) {
        if (!s.number(n3, l3)) return false;
        switch (order) {
        case DateOrder::DMY:
            day = n1, month = n2, year = n3, yearDigits = l3;
            break;
        case DateOrder::MDY:
            month = n1, day = n2, year = n3, yearDigits = l3;
            break;
        case DateOrder::YMD:
            year = n1, month = n2, day = n3, yearDigits = l1;
            break;
        }
        // A year in two digits lies within the century window around the current year.
        if (yearDigits <= 2) {
            const std::int32_t window = twoDigitYearCenturyWindow();
            const std::int32_t base = current.year - window;
            year += base / 100 * 100;
            if (window > 0 && year < base) year += 100;
        }
    } else if (order == DateOrder::DMY) {
        day = n1, month = n2;
    } else {
        month = n1, day = n2;
    }
    return tryEncodeDate(year, month, day, out);
}

bool scanTime(Scanner& s, DateTime& out) {
    std::int32_t hour = 0, minute = 0, second = 0, ms = 0;
    int digits = 0;
    const std::size_t start = s.position();
    // A leading am/pm marker is allowed as well as a trailing one.
    int half = 0; // 0 none, 1 am, 2 pm
    const auto scanHalf = [&] {
        if (s.word(timeAMString()) || s.word("AM") || s.word("A")) return 1;
        if (s.word(timePMString()) || s.word("PM") || s.word("P")) return 2;
        return 0;
    };
    half = scanHalf();
    if (!s.number(hour, digits)) {
        s.setPosition(start);
        return false;
    }
    if (s.character(timeSeparator())) {
        if (!s.number(minute, digits)) return false;
        if (s.character(timeSeparator())) {
            if (!s.number(second, digits)) return false;
            if (s.character(decimalSeparator()) && !s.number(ms, digits)) return false;
        }
    }
    if (half == 0) half = scanHalf();
    if (half != 0) {
        if (hour < 1 || hour > 12) return false;
        if (hour == 12) hour = 0;
        if (half == 2) hour += 12;
    }
    return tryEncodeTime(hour, minute, second, ms, out);
}

} // namespace

bool tryStrToDate(std::string_view text, DateTime& out) {
    Scanner s(text);
    DateTime d;
    if (!scanDate(s, d) || !s.atEnd()) return false;
    out = d;
    return true;
}

bool tryStrToTime(std::string_view text, DateTime& out) {
    Scanner s(text);
    DateTime t;
    if (!scanTime(s, t) || !s.atEnd()) return false;
    out = t;
    return true;
}

bool tryStrToDateTime(std::string_view text, DateTime& out) {
    Scanner s(text);
    DateTime d, t;
    if (scanDate(s, d)) {
        if (s.atEnd()) {
            out = d;
            return true;
        }
        if (!scanTime(s, t) || !s.atEnd()) return false;
        out = DateTime{d.days >= 0 ? d.days + t.days : d.days - t.days};
        return true;
    }
    s.setPosition(0);
    if (!scanTime(s, t) || !s.atEnd()) return false;
    out = t;
    return true;
}

DateTime strToDate(std::string_view text) {
    DateTime d;
    if (!tryStrToDate(text, d))
        raiseConvertError(quotedForMessage(text) + czech(" není platné datum"));
    return d;
}

DateTime strToTime(std::string_view text) {
    DateTime t;
    if (!tryStrToTime(text, t))
        raiseConvertError(quotedForMessage(text) + czech(" není platný čas"));
    return t;
}

DateTime strToDateTime(std::string_view text) {
    DateTime d;
    if (!tryStrToDateTime(text, d))
        raiseConvertError(quotedForMessage(text) + czech(" není platné datum a čas"));
    return d;
}

} // namespace vorlan::stdlib
