#include "stdlib/sysutils_convert.h"

#include "core/cp1250.h"
#include "stdlib/exceptions.h"
#include "stdlib/float_text.h"
#include "stdlib/format_settings.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace vorlan::stdlib {

using script::Currency;
using script::Value;

namespace {

[[noreturn]] void notInteger(std::string_view text) {
    raiseConvertError(quotedForMessage(text) + czech(" není platné celé číslo"));
}

[[noreturn]] void notFloat(std::string_view text) {
    raiseConvertError(quotedForMessage(text) + czech(" není platné reálné číslo"));
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

Currency currencyOf(double d) {
    return Value(d).toCurrency();
}

double doubleOf(Currency c) {
    return static_cast<double>(c.scaled) / 10000.0;
}

} // namespace

std::string intToStr(const Value& value) {
    if (value.isInteger()) return std::to_string(value.asInt());
    return std::to_string(value.toInt64());
}

std::string intToHex(const Value& value, std::int32_t digits) {
    const std::int64_t n = value.toInt64();
    char buffer[32];
    // An Integer shows its 32 bits; only a number beyond them needs the 64-bit form.
    if (n >= std::numeric_limits<std::int32_t>::min() &&
        n <= std::numeric_limits<std::int32_t>::max())
        std::snprintf(buffer, sizeof buffer, "%X", static_cast<std::uint32_t>(n));
    else
        std::snprintf(buffer, sizeof buffer, "%llX", static_cast<unsigned long long>(n));
    std::string text = buffer;
    digits = std::min(digits, 32);
    if (digits > static_cast<std::int32_t>(text.size()))
        text.insert(0, static_cast<std::size_t>(digits) - text.size(), '0');
    return text;
}

bool parseInteger(std::string_view text, std::int64_t& out) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size()) return false;
    std::uint64_t value = 0;
    constexpr std::uint64_t kLimit = 1ull << 63; // the magnitude of the smallest Int64
    for (; i < text.size(); ++i) {
        const int digit = hexDigit(text[i]);
        if (digit < 0 || digit >= base) return false;
        if (value > (kLimit - static_cast<unsigned>(digit)) / static_cast<unsigned>(base))
            return false;
        value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
    }
    if (!negative && value > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
        return false;
    out = negative ? static_cast<std::int64_t>(0 - value) : static_cast<std::int64_t>(value);
    return true;
}

bool tryStrToInt(std::string_view text, std::int32_t& out) {
    // A failed conversion leaves 0 behind, as Val does.
    out = 0;
    std::int64_t n = 0;
    if (!parseInteger(text, n)) return false;
    // Hexadecimal text may spell a negative Integer by its 32 bits ($FFFFFFFF is -1).
    const bool hex = text.find_first_of("$xX") != std::string_view::npos;
    if (hex && n > std::numeric_limits<std::int32_t>::max() && n <= 0xFFFFFFFFll)
        n = static_cast<std::int32_t>(static_cast<std::uint32_t>(n));
    if (n < std::numeric_limits<std::int32_t>::min() ||
        n > std::numeric_limits<std::int32_t>::max())
        return false;
    out = static_cast<std::int32_t>(n);
    return true;
}

std::int32_t strToInt(std::string_view text) {
    std::int32_t n = 0;
    if (!tryStrToInt(text, n)) notInteger(text);
    return n;
}

std::int64_t strToInt64(std::string_view text) {
    std::int64_t n = 0;
    if (!parseInteger(text, n)) notInteger(text);
    return n;
}

std::int32_t strToIntDef(std::string_view text, std::int32_t fallback) {
    std::int32_t n = 0;
    return tryStrToInt(text, n) ? n : fallback;
}

bool parseFloat(std::string_view text, double& out) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    // Rewritten for strtod in the C locale: "." for the decimal separator.
    const char separator = decimalSeparator();
    std::string c;
    std::size_t i = begin;
    if (i < end && (text[i] == '+' || text[i] == '-')) c += text[i++];
    bool digits = false, point = false;
    for (; i < end; ++i) {
        const char ch = text[i];
        if (ch >= '0' && ch <= '9') {
            c += ch;
            digits = true;
        } else if (ch == separator && !point) {
            c += '.';
            point = true;
        } else {
            break;
        }
    }
    if (!digits) return false;
    if (i < end && (text[i] == 'e' || text[i] == 'E')) {
        c += 'e';
        ++i;
        if (i < end && (text[i] == '+' || text[i] == '-')) c += text[i++];
        bool expDigits = false;
        for (; i < end && text[i] >= '0' && text[i] <= '9'; ++i) {
            c += text[i];
            expDigits = true;
        }
        if (!expDigits) return false;
    }
    if (i != end) return false;
    const double d = std::strtod(c.c_str(), nullptr);
    if (!std::isfinite(d)) return false;
    out = d;
    return true;
}

double strToFloat(std::string_view text) {
    double d = 0;
    if (!parseFloat(text, d)) notFloat(text);
    return d;
}

double strToFloatDef(std::string_view text, double fallback) {
    double d = 0;
    return parseFloat(text, d) ? d : fallback;
}

bool tryStrToFloat(std::string_view text, double& out) {
    return parseFloat(text, out);
}

std::string floatToStrF(double value, std::int32_t format, std::int32_t precision,
                        std::int32_t digits) {
    if (format < 0 || format > 4) format = 0;
    return floatToText(value, static_cast<FloatFormat>(format), precision, digits);
}

std::string currToStr(Currency value) {
    return floatToText(doubleOf(value), FloatFormat::General, 15, 0);
}

std::string currToStrF(Currency value, std::int32_t format, std::int32_t digits) {
    return floatToStrF(doubleOf(value), format, 15, digits);
}

std::string formatCurr(std::string_view pattern, Currency value) {
    return formatFloat(pattern, doubleOf(value));
}

Currency strToCurr(std::string_view text) {
    double d = 0;
    if (!parseFloat(text, d) || std::fabs(d) > 922337203685477.0) notFloat(text);
    return currencyOf(d);
}

Currency strToCurrDef(std::string_view text, Currency fallback) {
    double d = 0;
    if (!parseFloat(text, d) || std::fabs(d) > 922337203685477.0) return fallback;
    return currencyOf(d);
}

std::string boolToStr(bool value, bool useBoolStrs) {
    if (useBoolStrs) return value ? "True" : "False";
    return value ? "-1" : "0";
}

namespace {

bool tryStrToBool(std::string_view text, bool& out) {
    if (equalsNoCase(text, "True")) {
        out = true;
        return true;
    }
    if (equalsNoCase(text, "False")) {
        out = false;
        return true;
    }
    double d = 0;
    if (!parseFloat(text, d)) return false;
    out = d != 0;
    return true;
}

} // namespace

bool strToBool(std::string_view text) {
    bool b = false;
    if (!tryStrToBool(text, b))
        raiseConvertError(quotedForMessage(text) + czech(" není platná logická hodnota"));
    return b;
}

bool strToBoolDef(std::string_view text, bool fallback) {
    bool b = false;
    return tryStrToBool(text, b) ? b : fallback;
}

} // namespace vorlan::stdlib
