// Numbers to text and back, as scripts see them: "." is the decimal point whatever the host's
// locale, and every value passes through the 6-byte real on its way.

#include "library/fp_errors_internal.h"
#include "library/math_strings.h"
#include "script/registry.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace vorlan::library {

double throughReal48(double x, std::string_view function) {
    try {
        return script::passThroughReal48(x);
    } catch (const script::ValueError&) {
        raiseOverflow(function);
    }
}

namespace {

// The widest number the formatting works with carries 18 significant digits; a fixed-point
// text that would show more gets zeros in their place instead of noise from the binary value.
constexpr int kSignificantDigits = 18;
// Limits that keep a careless width or decimal count from asking for gigabytes.
constexpr std::int32_t kMaxWidth = 255;
constexpr std::int32_t kMaxDecimals = 64;

// Digits are produced without the C library's printf, whose decimal point follows the host's
// locale (a comma in Czech settings).
std::string fixedDigits(double magnitude, int decimals) {
    char buf[128];
    const auto sci = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific,
                                   kSignificantDigits - 1);
    const std::string scientific(buf, sci.ptr);
    const std::size_t ePos = scientific.find('e');
    const int exponent = std::atoi(scientific.c_str() + ePos + 1);
    if (magnitude == 0 || exponent + 1 + decimals <= kSignificantDigits) {
        // Every digit shown is significant: the exact value rounded at the last decimal (ties
        // to the even digit, as all rounding of this system does).
        std::string out(static_cast<std::size_t>(exponent > 0 ? exponent : 0) +
                            static_cast<std::size_t>(decimals) + 8,
                        '\0');
        const auto fixed = std::to_chars(out.data(), out.data() + out.size(), magnitude,
                                         std::chars_format::fixed, decimals);
        out.resize(static_cast<std::size_t>(fixed.ptr - out.data()));
        return out;
    }
    std::string digits;
    for (std::size_t i = 0; i < ePos; ++i)
        if (std::isdigit(static_cast<unsigned char>(scientific[i]))) digits += scientific[i];
    std::string out;
    if (exponent >= 0) {
        const auto intDigits = static_cast<std::size_t>(exponent) + 1;
        out = digits.substr(0, std::min(intDigits, digits.size()));
        if (intDigits > digits.size()) out.append(intDigits - digits.size(), '0');
        std::string fraction = intDigits < digits.size() ? digits.substr(intDigits) : std::string();
        fraction.resize(static_cast<std::size_t>(decimals), '0');
        if (decimals > 0) out += '.' + fraction;
    } else {
        std::string fraction(static_cast<std::size_t>(-exponent - 1), '0');
        fraction += digits;
        fraction.resize(static_cast<std::size_t>(decimals), '0');
        out = "0." + fraction;
    }
    return out;
}

} // namespace

std::string fixedText(double x, std::int32_t width, std::int32_t decimals) {
    decimals = std::clamp(decimals, 0, kMaxDecimals);
    width = std::clamp(width, 0, kMaxWidth);
    std::string text;
    if (std::isnan(x)) {
        text = "NAN";
    } else if (std::isinf(x)) {
        text = x > 0 ? "INF" : "-INF";
    } else {
        text = fixedDigits(std::fabs(x), decimals);
        // A value that rounds to nothing carries no sign.
        const bool allZero = text.find_first_not_of("0.") == std::string::npos;
        if (std::signbit(x) && !allZero) text.insert(text.begin(), '-');
    }
    if (text.size() < static_cast<std::size_t>(width))
        text.insert(text.begin(), static_cast<std::size_t>(width) - text.size(), ' ');
    return text;
}

std::string realText(double x) {
    std::string text = fixedText(throughReal48(x, "Str"), 30, 10);
    const std::size_t first = text.find_first_not_of(' ');
    text.erase(0, first == std::string::npos ? text.size() : first);
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    while (text.find('.') != std::string::npos && (text.back() == '0' || text.back() == '.'))
        text.pop_back();
    return text;
}

namespace {

double parseLeading(std::string_view text, std::string_view function) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    const std::size_t start = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    const std::size_t mantissaStart = i;
    auto digitsFrom = [&](std::size_t& p) {
        const std::size_t from = p;
        while (p < text.size() && text[p] >= '0' && text[p] <= '9')
            ++p;
        return p - from;
    };
    std::size_t mantissaDigits = digitsFrom(i);
    // Where the decimal exponent of the leading digit sits, to tell overflow from underflow.
    std::size_t intEnd = i;
    if (i < text.size() && text[i] == '.') {
        ++i;
        mantissaDigits += digitsFrom(i);
    }
    if (mantissaDigits == 0) return 0;
    std::size_t end = i;
    long exponent = 0;
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
        std::size_t p = i + 1;
        bool negative = false;
        if (p < text.size() && (text[p] == '+' || text[p] == '-')) negative = text[p++] == '-';
        const std::size_t expStart = p;
        if (digitsFrom(p) > 0) {
            end = p;
            for (std::size_t k = expStart; k < p && exponent < 100000; ++k)
                exponent = exponent * 10 + (text[k] - '0');
            if (negative) exponent = -exponent;
        }
    }
    // from_chars takes no leading plus sign.
    std::string number(text.substr(mantissaStart, end - mantissaStart));
    const bool negative = text[start] == '-';
    double value = 0;
    const auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    (void)ptr;
    if (ec == std::errc::result_out_of_range) {
        // Find the power of ten of the first non-zero digit: positive means too large.
        long magnitude = 0;
        std::size_t p = mantissaStart;
        while (p < intEnd && text[p] == '0')
            ++p;
        if (p < intEnd) {
            magnitude = static_cast<long>(intEnd - p) - 1;
        } else {
            std::size_t q = intEnd + 1;
            while (q < text.size() && text[q] == '0')
                ++q;
            magnitude = -static_cast<long>(q - intEnd);
        }
        if (magnitude + exponent > 0) raiseOverflow(function);
        value = 0;
    }
    return throughReal48(negative ? -value : value, function);
}

} // namespace

double leadingNumber(std::string_view text) {
    return parseLeading(text, "Val");
}

double leadingNumberWithComma(std::string_view text) {
    std::string copy(text);
    if (const std::size_t comma = copy.find(','); comma != std::string::npos) copy[comma] = '.';
    return parseLeading(copy, "StrToReal");
}

} // namespace vorlan::library
