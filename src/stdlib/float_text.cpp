#include "stdlib/float_text.h"
#include "core/currency_text.h"

#include "stdlib/format_settings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace vorlan::stdlib {

namespace {

constexpr int kMaxPrecision = 18;
// A double carries 15 reliable decimal digits; the ones after them are noise of the binary form,
// so rounding looks at these 15 unless a larger precision is asked for: 2.675 rounds to 2.68 as
// a reader of the number expects.
constexpr int kSourceDigits = 15;

// Rounds a digit string up by one unit in its last place; true when it overflowed ("99" -> "100"
// is returned as "1" with the caller raising the exponent).
bool incrementDigits(std::string& digits) {
    for (std::size_t i = digits.size(); i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return false;
        }
        digits[i] = '0';
    }
    digits = "1";
    return true;
}

void stripTrailingZeros(std::string& digits) {
    while (!digits.empty() && digits.back() == '0')
        digits.pop_back();
}

std::string exponentText(int exponent, int minDigits, bool plusSign) {
    std::string out = "E";
    if (exponent < 0)
        out += '-';
    else if (plusSign)
        out += '+';
    std::string digits = std::to_string(std::abs(exponent));
    if (static_cast<int>(digits.size()) < minDigits)
        digits.insert(0, static_cast<std::size_t>(minDigits) - digits.size(), '0');
    return out + digits;
}

// Integer digits with a thousands separator every three digits from the right.
std::string groupThousands(const std::string& digits, char separator) {
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += separator;
        out += digits[i];
    }
    return out;
}

// The digits of a decimal form before and after the decimal point, the latter padded with zeros
// to `decimals` places.
void splitDigits(const DecimalDigits& d, int decimals, std::string& integer,
                 std::string& fraction) {
    integer.clear();
    fraction.clear();
    const int n = static_cast<int>(d.digits.size());
    if (d.exponent > 0) {
        for (int i = 0; i < d.exponent; ++i)
            integer += i < n ? d.digits[static_cast<std::size_t>(i)] : '0';
    }
    if (integer.empty()) integer = "0";
    for (int i = 0; i < decimals; ++i) {
        const int at = d.exponent + i;
        fraction += at >= 0 && at < n ? d.digits[static_cast<std::size_t>(at)] : '0';
    }
}

std::string fixedText(const DecimalDigits& d, int decimals, const Separators& s, bool grouped) {
    std::string integer, fraction;
    splitDigits(d, decimals, integer, fraction);
    std::string out = grouped ? groupThousands(integer, s.thousand) : integer;
    if (decimals > 0) out += s.decimal + fraction;
    return out;
}

std::string exponentForm(const DecimalDigits& d, int precision, int expDigits, char decimal,
                         bool plusSign, bool padDigits) {
    std::string mantissa = d.digits.empty() ? std::string("0") : d.digits;
    if (padDigits && static_cast<int>(mantissa.size()) < precision)
        mantissa.append(static_cast<std::size_t>(precision) - mantissa.size(), '0');
    std::string out(1, mantissa[0]);
    if (mantissa.size() > 1) out += decimal + mantissa.substr(1);
    const int exponent = d.digits.empty() ? 0 : d.exponent - 1;
    return out + exponentText(exponent, expDigits, plusSign);
}

std::string generalText(const DecimalDigits& d, int precision, int expDigits, char decimal) {
    if (d.digits.empty()) return "0";
    if (d.exponent > precision || d.exponent < -4)
        return exponentForm(d, precision, expDigits, decimal, false, false);
    std::string integer, fraction;
    const int decimals = std::max(0, static_cast<int>(d.digits.size()) - d.exponent);
    splitDigits(d, decimals, integer, fraction);
    return decimals > 0 ? integer + decimal + fraction : integer;
}

std::string currencyText(const std::string& amount, bool negative) {
    return placeCurrency(amount, negative, currencyString(), currencyFormat(), negCurrFormat());
}

} // namespace

DecimalDigits decimalDigits(double value, int precision, int decimals) {
    DecimalDigits d;
    if (std::isnan(value) || std::isinf(value)) {
        d.special = true;
        d.negative = std::isinf(value) && value < 0;
        d.digits = std::isnan(value) ? "NAN" : (value < 0 ? "-INF" : "INF");
        return d;
    }
    precision = std::clamp(precision, 1, kMaxPrecision);
    d.negative = std::signbit(value);
    if (value == 0) {
        d.negative = false;
        return d;
    }
    const int source = std::max(kSourceDigits, std::min(precision, 17));
    char buffer[64];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                       std::chars_format::scientific, source - 1);
    const std::string_view text(buffer, static_cast<std::size_t>(written.ptr - buffer));
    const std::size_t e = text.find('e');
    std::string digits;
    for (char c : text.substr(0, e))
        if (c != '.') digits += c;
    int exponent = std::atoi(std::string(text.substr(e + 1)).c_str()) + 1;
    int keep = std::min(precision, decimals >= 9999 ? precision : exponent + decimals);
    if (keep < 0) {
        d.negative = false;
        return d;
    }
    if (keep < static_cast<int>(digits.size())) {
        const bool up = digits[static_cast<std::size_t>(keep)] >= '5';
        digits.resize(static_cast<std::size_t>(keep));
        if (up && incrementDigits(digits)) ++exponent;
    }
    stripTrailingZeros(digits);
    if (digits.empty()) {
        d.negative = false;
        exponent = 0;
    }
    d.digits = std::move(digits);
    d.exponent = exponent;
    return d;
}

std::string floatToText(double value, FloatFormat format, int precision, int digits,
                        const Separators& s) {
    precision = std::clamp(precision, 1, kMaxPrecision);
    digits = std::clamp(digits, 0, kMaxPrecision);
    DecimalDigits d;
    switch (format) {
    case FloatFormat::Exponent:
        d = decimalDigits(value, precision);
        break;
    case FloatFormat::Fixed:
    case FloatFormat::Number:
    case FloatFormat::Currency:
        d = decimalDigits(value, precision, digits);
        // More integer digits than the precision holds: the general form says it honestly.
        if (d.exponent > precision && !d.special) {
            d = decimalDigits(value, precision);
            format = FloatFormat::General;
            digits = 0;
        }
        break;
    case FloatFormat::General:
        d = decimalDigits(value, precision);
        break;
    }
    if (d.special) return d.digits;
    std::string body;
    switch (format) {
    case FloatFormat::General:
        body = generalText(d, precision, std::min(digits, 4), s.decimal);
        break;
    case FloatFormat::Exponent:
        body = exponentForm(d, precision, std::min(digits, 4), s.decimal, true, true);
        break;
    case FloatFormat::Fixed:
        body = fixedText(d, digits, s, false);
        break;
    case FloatFormat::Number:
        body = fixedText(d, digits, s, true);
        break;
    case FloatFormat::Currency:
        return currencyText(fixedText(d, digits, s, true), d.negative);
    }
    return d.negative ? "-" + body : body;
}

std::string floatToText(double value, FloatFormat format, int precision, int digits) {
    return floatToText(value, format, precision, digits,
                       Separators{decimalSeparator(), thousandSeparator()});
}

std::string floatToStr(double value) {
    return floatToText(value, FloatFormat::General, 15, 0);
}

// ---- FormatFloat

namespace {

// One section of a FormatFloat pattern, read once.
struct Section {
    std::string_view text;
    int integerPlaces = 0;    // digit placeholders before the decimal point
    int requiredDecimals = 0; // '0' after the point
    int decimals = 0;         // '0' and '#' after the point
    bool thousands = false;
    bool scientific = false;
    bool hasDigits = false;
};

bool isExponentAt(std::string_view t, std::size_t i) {
    return (t[i] == 'E' || t[i] == 'e') && i + 1 < t.size() && (t[i + 1] == '+' || t[i + 1] == '-');
}

Section readSection(std::string_view text) {
    Section s;
    s.text = text;
    bool afterPoint = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"' || c == '\'') {
            const std::size_t close = text.find(c, i + 1);
            i = close == std::string_view::npos ? text.size() : close;
        } else if (c == '0' || c == '#') {
            s.hasDigits = true;
            if (afterPoint) {
                ++s.decimals;
                if (c == '0') s.requiredDecimals = s.decimals;
            } else {
                ++s.integerPlaces;
            }
        } else if (c == '.') {
            afterPoint = true;
        } else if (c == ',') {
            if (!afterPoint) s.thousands = true;
        } else if (isExponentAt(text, i)) {
            s.scientific = true;
            break; // the exponent's own zeros are no digit places
        }
    }
    return s;
}

std::vector<std::string_view> splitSections(std::string_view pattern) {
    std::vector<std::string_view> sections;
    std::size_t start = 0;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '"' || c == '\'') {
            const std::size_t close = pattern.find(c, i + 1);
            i = close == std::string_view::npos ? pattern.size() - 1 : close;
        } else if (c == ';') {
            sections.push_back(pattern.substr(start, i - start));
            start = i + 1;
        }
    }
    sections.push_back(pattern.substr(start));
    return sections;
}

// The digits a section shows: the integer part (empty for a number below one) and the decimals.
// In scientific form the integer places always take digits and the exponent moves the point.
void sectionDigits(const Section& s, const DecimalDigits& d, std::string& integer,
                   std::string& fraction, int& exponent) {
    exponent = 0;
    if (s.scientific) {
        const auto places = static_cast<std::size_t>(std::max(1, s.integerPlaces));
        std::string all = d.digits;
        all.resize(std::max(all.size(), places + static_cast<std::size_t>(s.decimals)), '0');
        integer = all.substr(0, places);
        fraction = all.substr(places, static_cast<std::size_t>(s.decimals));
        if (!d.digits.empty()) exponent = d.exponent - static_cast<int>(places);
    } else {
        splitDigits(d, s.decimals, integer, fraction);
        if (integer == "0") integer.clear();
    }
    while (static_cast<int>(fraction.size()) > s.requiredDecimals && fraction.back() == '0')
        fraction.pop_back();
}

// Writes a section's text with the digits of `d` in place of its placeholders. Integer
// placeholders are filled from the right: the k-th one (from the left) stands for the digit of
// power integerPlaces - 1 - k, and digits beyond the placeholders go out with the first one.
std::string renderSection(const Section& s, const DecimalDigits& d, const Separators& sep) {
    std::string integer, fraction;
    int exponent = 0;
    sectionDigits(s, d, integer, fraction, exponent);
    const int intDigits = static_cast<int>(integer.size());
    std::string out;
    const auto emitDigit = [&](int power, char placeholder) {
        if (power < intDigits)
            out += integer[static_cast<std::size_t>(intDigits - 1 - power)];
        else if (placeholder == '0')
            out += '0';
        else
            return;
        if (s.thousands && power > 0 && power % 3 == 0) out += sep.thousand;
    };
    int place = 0;
    int decimalIndex = 0;
    bool afterPoint = false;
    for (std::size_t i = 0; i < s.text.size(); ++i) {
        const char c = s.text[i];
        if (c == '"' || c == '\'') {
            const std::size_t close = s.text.find(c, i + 1);
            const std::size_t end = close == std::string_view::npos ? s.text.size() : close;
            out += s.text.substr(i + 1, end - i - 1);
            i = end;
        } else if ((c == '0' || c == '#') && !afterPoint) {
            const int power = s.integerPlaces - 1 - place;
            if (place == 0)
                for (int p = intDigits - 1; p > power; --p)
                    emitDigit(p, '0');
            emitDigit(power, c);
            ++place;
        } else if (c == '0' || c == '#') {
            if (decimalIndex < static_cast<int>(fraction.size()))
                out += fraction[static_cast<std::size_t>(decimalIndex)];
            ++decimalIndex;
        } else if (c == '.') {
            if (!afterPoint && !fraction.empty()) out += sep.decimal;
            afterPoint = true;
        } else if (c == ',') {
            // The thousands separators come with the digits.
        } else if (isExponentAt(s.text, i)) {
            std::size_t j = i + 2;
            while (j < s.text.size() && s.text[j] == '0')
                ++j;
            const std::string e =
                exponentText(exponent, static_cast<int>(j - i - 2), s.text[i + 1] == '+');
            out += c;
            out += e.substr(1);
            i = j - 1;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

std::string formatFloat(std::string_view pattern, double value) {
    if (std::isnan(value) || std::isinf(value) || pattern.empty()) return floatToStr(value);
    const Separators sep{decimalSeparator(), thousandSeparator()};
    const std::vector<std::string_view> texts = splitSections(pattern);
    Section section = readSection(texts[0]);
    bool useMinus = true;
    if (value < 0 && texts.size() > 1 && !texts[1].empty()) {
        section = readSection(texts[1]);
        useMinus = false;
    }
    const auto digitsFor = [&](const Section& s) {
        if (s.scientific)
            return decimalDigits(
                value, std::clamp(std::max(1, s.integerPlaces) + s.decimals, 1, kMaxPrecision));
        return decimalDigits(value, kMaxPrecision, s.decimals);
    };
    DecimalDigits d = digitsFor(section);
    if (d.digits.empty() && texts.size() > 2 && !texts[2].empty()) {
        section = readSection(texts[2]);
        d = digitsFor(section);
    }
    if (!section.hasDigits) return renderSection(section, d, sep);
    std::string body = renderSection(section, d, sep);
    return useMinus && d.negative ? "-" + body : body;
}

} // namespace vorlan::stdlib
