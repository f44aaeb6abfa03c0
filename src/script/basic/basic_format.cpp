// FormatNumber, FormatCurrency, FormatPercent and FormatDateTime.
#include "core/civil_date.h"
#include "core/cp1250.h"
#include "script/basic/basic_interp.h"
#include "script/basic/basic_library.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace vorlan::script::basic {

namespace {

using Args = std::span<Value>;

// The tri-state arguments: -2 (vbUseDefault) takes the default, 0 is false, anything else true.
bool triState(Args a, std::size_t at, bool fallback) {
    if (a.size() <= at || a[at].isEmpty()) return fallback;
    const std::int32_t v = a[at].toInt();
    return v == -2 ? fallback : v != 0;
}

double numberArg(const Value& v) {
    if (v.isNull()) raise(94, czech("Neplatné použití hodnoty Null"));
    if (v.isObject() || v.isArray()) raise(13);
    if (v.isString()) {
        double d = 0;
        if (!parseNumber(v.asString(), d)) raise(13);
        return d;
    }
    return v.toDouble();
}

// Digits of |x| rounded half away from zero to `places` decimals, as "123456" and "78".
void roundedDigits(double x, int places, std::string& whole, std::string& fraction) {
    const double scale = std::pow(10.0, places);
    const double scaled = std::fabs(x) * scale;
    if (places <= 15 && scaled < 9.0e15) {
        // Integer arithmetic rounds ties away from zero (printf would round 2.5 to even); the
        // few units of the last place forgive the binary form of decimals such as 2.675.
        const auto n = static_cast<long long>(std::floor(scaled * (1 + 1e-15) + 0.5));
        const auto unit = static_cast<long long>(scale);
        whole = std::to_string(n / unit);
        fraction.clear();
        if (places > 0) {
            fraction = std::to_string(n % unit);
            fraction.insert(0, static_cast<std::size_t>(places) - fraction.size(), '0');
        }
        return;
    }
    // Beyond what a 64-bit integer holds; to_chars, unlike printf, ignores the host locale.
    std::string all(static_cast<std::size_t>(places) + 400, '\0');
    const auto r = std::to_chars(all.data(), all.data() + all.size(), std::fabs(x),
                                 std::chars_format::fixed, places);
    all.resize(r.ec == std::errc() ? static_cast<std::size_t>(r.ptr - all.data()) : 0);
    const auto dot = all.find('.');
    whole = all.substr(0, dot);
    fraction = dot == std::string::npos ? std::string() : all.substr(dot + 1);
}

std::string grouped(const std::string& digits) {
    std::string out;
    const std::size_t n = digits.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

// The common body: number text with the options of arguments 2 to 5, `suffix` after the digits.
Value formatted(Args a, double x, const std::string& suffix) {
    std::int32_t places = 2;
    if (a.size() > 1 && !a[1].isEmpty() && a[1].toInt() != -1) places = a[1].toInt();
    if (places < 0 || places > 255) raise(5);
    const bool leadingZero = triState(a, 2, true);
    const bool parens = triState(a, 3, false);
    const bool group = triState(a, 4, true);
    std::string whole, fraction;
    roundedDigits(x, places, whole, fraction);
    const bool zero = whole.find_first_not_of('0') == std::string::npos &&
                      fraction.find_first_not_of('0') == std::string::npos;
    std::string text;
    if (whole != "0" || leadingZero) text = group ? grouped(whole) : whole;
    if (!fraction.empty()) text += "." + fraction;
    text += suffix;
    if (x < 0 && !zero) text = parens ? "(" + text + ")" : "-" + text;
    if (text.size() > kMaxStringLength) raise(7);
    return Value(text);
}

const char* const kMonths[] = {"ledna",    "února", "března", "dubna", "května",    "června",
                               "července", "srpna", "září",   "října", "listopadu", "prosince"};

} // namespace

Value formatNumber(Args a) {
    if (a[0].isNull()) return a[0];
    return formatted(a, numberArg(a[0]), "");
}

Value formatCurrency(Args a) {
    if (a[0].isNull()) return a[0];
    return formatted(a, numberArg(a[0]), " " + czech("Kč"));
}

Value formatPercent(Args a) {
    if (a[0].isNull()) return a[0];
    return formatted(a, numberArg(a[0]) * 100.0, "%");
}

Value formatDateTime(Args a) {
    if (a[0].isNull()) return a[0];
    if (a[0].isObject() || a[0].isArray()) raise(13);
    const std::int32_t named = a.size() > 1 && !a[1].isEmpty() ? a[1].toInt() : 0;
    if (named < 0 || named > 4) raise(5);
    const DateTime when = toDateValue(a[0]);
    const double days = when.days;
    if (!(days >= -657434.0 && days < 2958466.0)) raise(5);
    const auto [y, m, d] = civilFromSerial(static_cast<std::int64_t>(std::floor(days)));
    auto secs = static_cast<long>(std::llround(std::fabs(days - std::trunc(days)) * 86400.0));
    if (secs >= 86400) secs = 86399;
    char buf[96];
    switch (named) {
    case 1: // long date: 6. prosince 2026
        std::snprintf(buf, sizeof buf, "%d. %s %d", d, kMonths[m - 1], y);
        return Value(czech(buf));
    case 2: // short date
        std::snprintf(buf, sizeof buf, "%d.%d.%04d", d, m, y);
        return Value(std::string(buf));
    case 3: // long time
        std::snprintf(buf, sizeof buf, "%ld:%02ld:%02ld", secs / 3600, secs / 60 % 60, secs % 60);
        return Value(std::string(buf));
    case 4: // short time, 24 hours
        std::snprintf(buf, sizeof buf, "%02ld:%02ld", secs / 3600, secs / 60 % 60);
        return Value(std::string(buf));
    default:
        return Value(formatDate(when));
    }
}

} // namespace vorlan::script::basic
