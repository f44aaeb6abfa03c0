#include "dbf/xbase_text.h"

#include "core/civil_date.h"
#include "dbf/settings.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace vorlan::dbf {

Settings& settings() {
    static Settings s;
    return s;
}

std::int32_t julianFromYmd(int year, int month, int day) {
    return static_cast<std::int32_t>(julianFromCivil(year, month, day));
}

void ymdFromJulian(std::int32_t jd, int& year, int& month, int& day) {
    const YearMonthDay c = civilFromJulian(jd);
    year = c.year, month = c.month, day = c.day;
}

bool validYmd(int year, int month, int day) {
    return isValidDate(year, month, day);
}

std::string dateToDtos(std::int32_t jd) {
    if (jd <= 0) return std::string(8, ' ');
    int y = 0, m = 0, d = 0;
    ymdFromJulian(jd, y, m, d);
    if (y < 0 || y > 9999) return std::string(8, ' ');
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", y, m, d);
    return buf;
}

std::int32_t dateFromDtos(std::string_view text) {
    if (text.size() < 8) return 0;
    int parts[3] = {0, 0, 0};
    const int widths[3] = {4, 2, 2};
    std::size_t pos = 0;
    for (int p = 0; p < 3; ++p) {
        for (int i = 0; i < widths[p]; ++i, ++pos) {
            const char c = text[pos];
            if (c < '0' || c > '9') return 0;
            parts[p] = parts[p] * 10 + (c - '0');
        }
    }
    if (!validYmd(parts[0], parts[1], parts[2])) return 0;
    return julianFromYmd(parts[0], parts[1], parts[2]);
}

namespace {

// Part order (0 year, 1 month, 2 day) and separator of the current format.
void formatLayout(int order[3], char& sep) {
    switch (settings().dateFormat) {
    case DateFormat::American:
        order[0] = 1, order[1] = 2, order[2] = 0, sep = '/';
        break;
    case DateFormat::Ansi:
        order[0] = 0, order[1] = 1, order[2] = 2, sep = '.';
        break;
    case DateFormat::British:
    case DateFormat::French:
        order[0] = 2, order[1] = 1, order[2] = 0, sep = '/';
        break;
    case DateFormat::German:
        order[0] = 2, order[1] = 1, order[2] = 0, sep = '.';
        break;
    case DateFormat::Italian:
    case DateFormat::Spanish:
        order[0] = 2, order[1] = 1, order[2] = 0, sep = '-';
        break;
    }
}

} // namespace

std::string emptyDateText() {
    int order[3];
    char sep = '/';
    formatLayout(order, sep);
    std::string out;
    for (int i = 0; i < 3; ++i) {
        if (i) out += sep;
        out += std::string(order[i] == 0 && settings().century ? 4 : 2, ' ');
    }
    return out;
}

std::string dateToText(std::int32_t jd) {
    if (jd <= 0) return emptyDateText();
    int y = 0, m = 0, d = 0;
    ymdFromJulian(jd, y, m, d);
    int order[3];
    char sep = '/';
    formatLayout(order, sep);
    std::string out;
    char buf[32];
    for (int i = 0; i < 3; ++i) {
        if (i) out += sep;
        if (order[i] == 0) {
            if (settings().century)
                std::snprintf(buf, sizeof buf, "%04d", y % 10000);
            else
                std::snprintf(buf, sizeof buf, "%02d", y % 100);
        } else {
            std::snprintf(buf, sizeof buf, "%02d", order[i] == 1 ? m : d);
        }
        out += buf;
    }
    return out;
}

std::int32_t dateFromText(std::string_view text) {
    text = trimLeft(trimRight(text));
    int order[3];
    char sep = '/';
    formatLayout(order, sep);
    int values[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    int part = 0;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            if (part > 2 || digits[part] >= 4) return 0;
            values[part] = values[part] * 10 + (c - '0');
            ++digits[part];
        } else if (part > 2) {
            return 0;
        } else if (c == ' ' && digits[part] == 0) {
            continue;
        } else {
            // Any non-digit separates parts, so "1.2.2024" and "01/02/2024" both read.
            if (digits[part] == 0 || part == 2) return 0;
            ++part;
        }
    }
    if (part != 2 || digits[2] == 0) return 0;
    int y = 0, m = 0, d = 0;
    for (int i = 0; i < 3; ++i) {
        if (order[i] == 0) {
            y = values[i];
            if (digits[i] <= 2) {
                // Two-digit years fall into the hundred years that start at the epoch.
                const int epoch = settings().epoch;
                y += epoch / 100 * 100;
                if (y < epoch) y += 100;
            }
        } else if (order[i] == 1) {
            m = values[i];
        } else {
            d = values[i];
        }
    }
    if (!validYmd(y, m, d)) return 0;
    return julianFromYmd(y, m, d);
}

std::int32_t today() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return julianFromYmd(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
}

std::string formatNumber(double value, int width, int decimals) {
    if (width <= 0) return {};
    if (decimals < 0) decimals = 0;
    if (decimals > 15) decimals = 15;
    if (!std::isfinite(value)) return std::string(static_cast<std::size_t>(width), '*');
    const double scale = std::pow(10.0, decimals);
    double scaled = std::fabs(value) * scale;
    // Half away from zero, with a nudge for values like 1.005 that binary cannot hold exactly.
    scaled = std::floor(scaled + 0.5 + scaled * 1e-15);
    double rounded = scaled / scale;
    if (value < 0 && scaled != 0) rounded = -rounded;
    char buf[400];
    const int n = std::snprintf(buf, sizeof buf, "%*.*f", width, decimals, rounded);
    if (n < 0 || n > width) return std::string(static_cast<std::size_t>(width), '*');
    return std::string(buf, static_cast<std::size_t>(n));
}

double parseNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool neg = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        neg = text[i] == '-';
        ++i;
        while (i < text.size() && text[i] == ' ')
            ++i;
    }
    // Up to 18 digits are gathered exactly; one division by a power of ten then rounds once.
    std::uint64_t mantissa = 0;
    int digits = 0, decimals = 0;
    bool point = false;
    std::string slow;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            if (digits < 18) {
                mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
                if (point) ++decimals;
            }
            slow += c;
            ++digits;
        } else if ((c == '.' || c == ',') && !point) {
            slow += '.';
            point = true;
        } else {
            break;
        }
    }
    if (digits == 0) return 0.0;
    double v;
    if (digits <= 18 && decimals <= 22) {
        static const double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
        v = static_cast<double>(mantissa) / kPow10[decimals];
    } else {
        v = std::strtod(slow.c_str(), nullptr);
    }
    return neg ? -v : v;
}

std::string_view trimRight(std::string_view text) {
    std::size_t n = text.size();
    while (n > 0 && (text[n - 1] == ' ' || text[n - 1] == '\0'))
        --n;
    return text.substr(0, n);
}

std::string_view trimLeft(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    return text.substr(i);
}

} // namespace vorlan::dbf
