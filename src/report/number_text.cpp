#include "report/number_text.h"
#include "core/currency_text.h"

#include "core/cp1250.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace vorlan::report {

NumberFormat& numberFormat() {
    static NumberFormat format = [] {
        NumberFormat f;
        f.currency = czech("Kč");
        return f;
    }();
    return format;
}

namespace {

constexpr int kMaxPrecision = 18;
constexpr int kUnlimited = 9999;

// A finite magnitude as significant digits: value = 0.d1d2d3… × 10^exponent. No trailing
// zeros; no digits at all for zero.
struct Decimal {
    std::string digits;
    int exponent = 0;
};

Decimal digitsOfText(std::string_view text) {
    // `text` is what to_chars wrote: digits, optionally a point, optionally "e±NN".
    Decimal d;
    std::size_t ePos = text.find('e');
    std::string_view mantissa = text.substr(0, ePos);
    int exp10 = 0;
    if (ePos != std::string_view::npos)
        exp10 = std::atoi(std::string(text.substr(ePos + 1)).c_str());
    const std::size_t point = mantissa.find('.');
    const int intDigits =
        static_cast<int>(point == std::string_view::npos ? mantissa.size() : point);
    std::string all;
    for (char c : mantissa)
        if (c != '.') all += c;
    int exponent = intDigits + exp10;
    std::size_t lead = 0;
    while (lead < all.size() && all[lead] == '0') {
        ++lead;
        --exponent;
    }
    all.erase(0, lead);
    while (!all.empty() && all.back() == '0')
        all.pop_back();
    d.digits = all;
    d.exponent = all.empty() ? 0 : exponent;
    return d;
}

// Rounded once, half away from zero, to `precision` significant digits and at most `decimals`
// after the point. The rounding works on the 18-digit decimal expansion, so 2.5 shown without
// decimals is 3 and 0.125 with two is 0.13, as amounts are rounded by hand.
Decimal toDecimal(double magnitude, int precision, int decimals) {
    precision = std::clamp(precision, 1, kMaxPrecision);
    if (magnitude == 0) return {};
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific,
                                 kMaxPrecision - 1);
    Decimal d = digitsOfText(std::string_view(buf, static_cast<std::size_t>(r.ptr - buf)));
    long keep = precision;
    if (decimals < kUnlimited)
        keep = std::min<long>(keep, static_cast<long>(d.exponent) + decimals);
    if (keep < 0) return {};
    if (keep >= static_cast<long>(d.digits.size())) return d;
    const bool up = d.digits[static_cast<std::size_t>(keep)] >= '5';
    d.digits.resize(static_cast<std::size_t>(keep));
    if (up) {
        std::size_t i = d.digits.size();
        while (i > 0 && d.digits[i - 1] == '9')
            d.digits[--i] = '0';
        if (i == 0) {
            d.digits.insert(0, "1");
            ++d.exponent;
        } else {
            ++d.digits[i - 1];
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
    if (d.digits.empty()) d.exponent = 0;
    return d;
}

std::string digitAt(const Decimal& d, int i) {
    return (i >= 0 && i < static_cast<int>(d.digits.size()))
               ? std::string(1, d.digits[static_cast<std::size_t>(i)])
               : std::string("0");
}

// Integer part with optional thousands separators, and `decimals` fraction digits.
std::string fixedBody(const Decimal& d, int decimals, bool thousands) {
    const NumberFormat& nf = numberFormat();
    std::string intPart;
    for (int i = 0; i < d.exponent; ++i)
        intPart += digitAt(d, i);
    if (intPart.empty()) intPart = "0";
    if (thousands) {
        std::string grouped;
        const int n = static_cast<int>(intPart.size());
        for (int i = 0; i < n; ++i) {
            if (i > 0 && (n - i) % 3 == 0) grouped += nf.thousandSeparator;
            grouped += intPart[static_cast<std::size_t>(i)];
        }
        intPart = grouped;
    }
    if (decimals <= 0) return intPart;
    std::string out = intPart;
    out += nf.decimalSeparator;
    for (int i = 0; i < decimals; ++i)
        out += digitAt(d, d.exponent + i);
    return out;
}

std::string nonFiniteText(double value) {
    if (std::isnan(value)) return "NAN";
    return value < 0 ? "-INF" : "INF";
}

std::string generalBody(const Decimal& d, int precision, int minExpDigits) {
    const NumberFormat& nf = numberFormat();
    if (d.digits.empty()) return "0";
    if (d.exponent > precision || d.exponent < -3) {
        std::string out(1, d.digits[0]);
        if (d.digits.size() > 1) {
            out += nf.decimalSeparator;
            out += d.digits.substr(1);
        }
        const int e = d.exponent - 1;
        std::string expDigits = std::to_string(std::abs(e));
        while (static_cast<int>(expDigits.size()) < minExpDigits)
            expDigits.insert(0, "0");
        out += 'E';
        if (e < 0) out += '-';
        return out + expDigits;
    }
    if (d.exponent <= 0) {
        std::string out = "0";
        out += nf.decimalSeparator;
        out += std::string(static_cast<std::size_t>(-d.exponent), '0') + d.digits;
        return out;
    }
    std::string out;
    for (int i = 0; i < d.exponent; ++i)
        out += digitAt(d, i);
    if (static_cast<int>(d.digits.size()) > d.exponent) {
        out += nf.decimalSeparator;
        out += d.digits.substr(static_cast<std::size_t>(d.exponent));
    }
    return out;
}

std::string currencyText(const std::string& body, bool negative) {
    const NumberFormat& nf = numberFormat();
    return placeCurrency(body, negative, nf.currency, nf.currencyFormat, nf.negativeCurrencyFormat);
}

} // namespace

std::string generalText(double value) {
    return floatText(value, FloatFormat::General, 15, 0);
}

std::string floatText(double value, FloatFormat format, int precision, int digits) {
    if (!std::isfinite(value)) return nonFiniteText(value);
    precision = std::clamp(precision, 2, kMaxPrecision);
    const bool negative = std::signbit(value) && value != 0;
    const double magnitude = std::fabs(value);
    std::string body;
    bool shownNegative = negative;
    switch (format) {
    case FloatFormat::Exponent: {
        const Decimal d = toDecimal(magnitude, precision, kUnlimited);
        const NumberFormat& nf = numberFormat();
        body = digitAt(d, 0);
        body += nf.decimalSeparator;
        for (int i = 1; i < precision; ++i)
            body += digitAt(d, i);
        const int e = d.digits.empty() ? 0 : d.exponent - 1;
        std::string expDigits = std::to_string(std::abs(e));
        while (static_cast<int>(expDigits.size()) < std::clamp(digits, 0, 4))
            expDigits.insert(0, "0");
        body += 'E';
        body += e < 0 ? '-' : '+';
        body += expDigits;
        break;
    }
    case FloatFormat::Fixed:
    case FloatFormat::Number:
    case FloatFormat::Currency: {
        const int decimals = std::clamp(digits, 0, kMaxPrecision);
        const Decimal d = toDecimal(magnitude, precision, decimals);
        if (d.exponent > precision) {
            body = generalBody(toDecimal(magnitude, precision, kUnlimited), precision, 0);
        } else {
            body = fixedBody(d, decimals, format != FloatFormat::Fixed);
            shownNegative = negative && !d.digits.empty();
            if (format == FloatFormat::Currency) return currencyText(body, shownNegative);
        }
        break;
    }
    case FloatFormat::General:
    default: {
        const Decimal d = toDecimal(magnitude, precision, kUnlimited);
        body = generalBody(d, precision, std::clamp(digits, 0, 4));
        shownNegative = negative && !d.digits.empty();
        break;
    }
    }
    return shownNegative ? "-" + body : body;
}

// ---- format masks ------------------------------------------------------------------------

namespace {

std::vector<std::string> maskSections(std::string_view mask) {
    std::vector<std::string> sections(1);
    char quote = 0;
    for (char c : mask) {
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == ';') {
            sections.emplace_back();
            continue;
        }
        sections.back() += c;
    }
    return sections;
}

struct MaskLayout {
    int intPlaces = 0;  // placeholders before the point
    int intZeros = 0;   // placeholders from the first "0" before the point
    int fracPlaces = 0; // placeholders after the point
    int fracZeros = 0;  // placeholders up to the last "0" after the point
    bool point = false;
    bool thousands = false;
    bool scientific = false;
    bool expPlus = false;
    int expZeros = 0;
    std::size_t expStart = 0, expEnd = 0; // the exponent part of the mask
};

MaskLayout layoutOf(const std::string& mask) {
    MaskLayout m;
    char quote = 0;
    bool firstZeroSeen = false;
    for (std::size_t i = 0; i < mask.size(); ++i) {
        const char c = mask[i];
        if (quote) {
            if (c == quote) quote = 0;
            continue;
        }
        if (c == '"' || c == '\'') {
            quote = c;
        } else if ((c == 'E' || c == 'e') && i + 1 < mask.size() &&
                   (mask[i + 1] == '+' || mask[i + 1] == '-')) {
            m.scientific = true;
            m.expPlus = mask[i + 1] == '+';
            m.expStart = i;
            std::size_t j = i + 2;
            while (j < mask.size() && mask[j] == '0') {
                ++m.expZeros;
                ++j;
            }
            m.expEnd = j;
            break; // the rest is literal
        } else if (c == '.') {
            m.point = true;
        } else if (c == ',') {
            if (!m.point) m.thousands = true;
        } else if (c == '0' || c == '#') {
            if (m.point) {
                ++m.fracPlaces;
                if (c == '0') m.fracZeros = m.fracPlaces;
            } else {
                ++m.intPlaces;
                if (c == '0') firstZeroSeen = true;
                if (firstZeroSeen) ++m.intZeros;
            }
        }
    }
    return m;
}

std::string formatSection(double value, const std::string& mask, bool withSign) {
    const NumberFormat& nf = numberFormat();
    const MaskLayout m = layoutOf(mask);
    if (m.intPlaces == 0 && m.fracPlaces == 0 && !m.scientific) {
        // No placeholders: the mask is printed as it stands (without its quotes).
        std::string out;
        char quote = 0;
        for (char c : mask) {
            if (quote) {
                if (c == quote)
                    quote = 0;
                else
                    out += c;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else {
                out += c;
            }
        }
        return out;
    }
    const double magnitude = std::fabs(value);
    std::string intDigits, fracDigits, expText;
    if (m.scientific) {
        const int intCount = std::max(1, m.intPlaces);
        const Decimal d =
            toDecimal(magnitude, std::clamp(intCount + m.fracPlaces, 1, kMaxPrecision), kUnlimited);
        const int e = d.digits.empty() ? 0 : d.exponent - intCount;
        for (int i = 0; i < intCount; ++i)
            intDigits += digitAt(d, i);
        for (int i = 0; i < m.fracPlaces; ++i)
            fracDigits += digitAt(d, intCount + i);
        std::size_t lead = 0;
        while (lead + 1 < intDigits.size() && intDigits[lead] == '0')
            ++lead;
        intDigits.erase(0, lead);
        std::string ed = std::to_string(std::abs(e));
        while (static_cast<int>(ed.size()) < m.expZeros)
            ed.insert(0, "0");
        expText = mask[m.expStart];
        if (e < 0)
            expText += '-';
        else if (m.expPlus)
            expText += '+';
        expText += ed;
    } else {
        const Decimal d = toDecimal(magnitude, kMaxPrecision, m.fracPlaces);
        for (int i = 0; i < d.exponent; ++i)
            intDigits += digitAt(d, i);
        for (int i = 0; i < m.fracPlaces; ++i)
            fracDigits += digitAt(d, d.exponent + i);
    }
    while (static_cast<int>(intDigits.size()) < m.intZeros)
        intDigits.insert(0, "0");
    while (static_cast<int>(fracDigits.size()) > m.fracZeros && fracDigits.back() == '0')
        fracDigits.pop_back();
    if (m.thousands && intDigits.size() > 3) {
        std::string grouped;
        const int n = static_cast<int>(intDigits.size());
        for (int i = 0; i < n; ++i) {
            if (i > 0 && (n - i) % 3 == 0) grouped += nf.thousandSeparator;
            grouped += intDigits[static_cast<std::size_t>(i)];
        }
        intDigits = grouped;
    }
    const bool allZero =
        std::all_of(intDigits.begin(), intDigits.end(),
                    [](char c) { return c < '1' || c > '9'; }) &&
        std::all_of(fracDigits.begin(), fracDigits.end(), [](char c) { return c == '0'; });

    // Walk the mask: the first integer placeholder takes every surplus digit, the others one
    // digit each from the right; literals stay where they stand.
    std::string out;
    char quote = 0;
    int intSeen = 0, fracSeen = 0;
    bool afterPoint = false;
    std::size_t intUsed = 0;
    const std::size_t end = m.scientific ? m.expStart : mask.size();
    auto emitSign = [&] {
        if (withSign && value < 0 && !allZero) out += '-';
        withSign = false;
    };
    for (std::size_t i = 0; i < end; ++i) {
        const char c = mask[i];
        if (quote) {
            if (c == quote)
                quote = 0;
            else
                out += c;
            continue;
        }
        if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '0' || c == '#') {
            if (!afterPoint) {
                emitSign();
                ++intSeen;
                const std::size_t remainingPlaces = static_cast<std::size_t>(m.intPlaces - intSeen);
                const std::size_t take = intDigits.size() - intUsed > remainingPlaces
                                             ? intDigits.size() - intUsed - remainingPlaces
                                             : 0;
                out += intDigits.substr(intUsed, take);
                intUsed += take;
            } else {
                if (fracSeen < static_cast<int>(fracDigits.size()))
                    out += fracDigits[static_cast<std::size_t>(fracSeen)];
                ++fracSeen;
            }
        } else if (c == '.') {
            if (!afterPoint) {
                emitSign();
                out += intDigits.substr(intUsed);
                intUsed = intDigits.size();
                if (!fracDigits.empty()) out += nf.decimalSeparator;
            }
            afterPoint = true;
        } else if (c == ',') {
            // a thousands marker, not printed itself
        } else {
            out += c;
        }
    }
    if (intUsed < intDigits.size()) out += intDigits.substr(intUsed);
    if (m.scientific) out += expText + mask.substr(m.expEnd);
    return out;
}

} // namespace

std::string formatMask(double value, std::string_view mask) {
    if (!std::isfinite(value)) return nonFiniteText(value);
    if (mask.empty()) return generalText(value);
    const std::vector<std::string> sections = maskSections(mask);
    if (value == 0 && sections.size() >= 3 && !sections[2].empty())
        return formatSection(value, sections[2], false);
    if (value < 0 && sections.size() >= 2 && !sections[1].empty())
        return formatSection(value, sections[1], false);
    return formatSection(value, sections[0], true);
}

std::optional<double> parseNumber(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    std::string plain;
    std::size_t i = 0;
    auto digitsFrom = [&](std::size_t& k) {
        const std::size_t start = k;
        while (k < text.size() && text[k] >= '0' && text[k] <= '9')
            plain += text[k++];
        return k - start;
    };
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') plain += '-';
        ++i;
    }
    std::size_t count = digitsFrom(i);
    if (i < text.size() && (text[i] == '.' || text[i] == numberFormat().decimalSeparator)) {
        plain += '.';
        ++i;
        count += digitsFrom(i);
    }
    if (count == 0) return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        plain += 'e';
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) plain += text[i++];
        if (digitsFrom(i) == 0) return std::nullopt;
    }
    if (i != text.size()) return std::nullopt;
    // from_chars, unlike strtod, does not follow the host's locale.
    double v = 0;
    const auto r = std::from_chars(plain.data(), plain.data() + plain.size(), v);
    if (r.ec != std::errc() || !std::isfinite(v)) return std::nullopt;
    return v;
}

double textToNumber(std::string_view text) {
    return parseNumber(text).value_or(0.0);
}

} // namespace vorlan::report
