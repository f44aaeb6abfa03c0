#include "stdlib/sysutils_format.h"
#include "core/cp1250.h"

#include "script/open_array.h"
#include "stdlib/exceptions.h"
#include "stdlib/float_text.h"
#include "stdlib/format_settings.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace vorlan::stdlib {

using script::Value;
using script::ValueType;

namespace {

// The messages name the format, cut as the platform cuts it.
std::string formatNamed(std::string_view pattern) {
    return std::string(pattern.substr(0, 31));
}

[[noreturn]] void invalidFormat(std::string_view pattern) {
    raiseConvertError(czech("Formát '") + formatNamed(pattern) +
                      czech("' je chybný nebo neodpovídá argumentu"));
}

[[noreturn]] void missingArgument(std::string_view pattern) {
    raiseConvertError(czech("Chybí argument pro formát '") + formatNamed(pattern) + "'");
}

// An argument as a whole number: integers, and numbers without a fraction (a script's variables
// hold whatever arithmetic gave them).
bool integerOf(const Value& v, std::int64_t& out) {
    switch (v.type()) {
    case ValueType::Integer:
        out = v.asInt();
        return true;
    case ValueType::Boolean:
        out = v.asBool() ? -1 : 0;
        return true;
    case ValueType::Double: {
        const double d = v.asDouble();
        if (!std::isfinite(d) || d != std::trunc(d) || std::fabs(d) > 9.2e18) return false;
        out = static_cast<std::int64_t>(d);
        return true;
    }
    case ValueType::Currency:
        if (v.asCurrency().scaled % 10000 != 0) return false;
        out = v.asCurrency().scaled / 10000;
        return true;
    default:
        return false;
    }
}

bool numberOf(const Value& v, double& out) {
    switch (v.type()) {
    case ValueType::Integer:
    case ValueType::Double:
    case ValueType::Currency:
    case ValueType::Date:
        out = v.toDouble();
        return true;
    default:
        return false;
    }
}

std::string padded(std::string text, int width, bool left) {
    if (width > 0 && static_cast<int>(text.size()) < width) {
        const std::size_t pad = static_cast<std::size_t>(width) - text.size();
        if (left)
            text.append(pad, ' ');
        else
            text.insert(0, pad, ' ');
    }
    return text;
}

std::string hexText(std::int64_t n) {
    char buffer[32];
    if (n >= INT32_MIN && n <= INT32_MAX)
        std::snprintf(buffer, sizeof buffer, "%X", static_cast<std::uint32_t>(n));
    else
        std::snprintf(buffer, sizeof buffer, "%llX", static_cast<unsigned long long>(n));
    return buffer;
}

// Reads "*" or a number at `i`; -1 when there is neither.
class DirectiveReader {
public:
    DirectiveReader(std::string_view pattern, const script::OpenArray& args, std::size_t& next)
        : pattern_(pattern), args_(args), next_(next) {}

    int number(std::size_t& i) {
        if (i < pattern_.size() && pattern_[i] == '*') {
            ++i;
            std::int64_t n = 0;
            if (next_ >= args_.size()) missingArgument(pattern_);
            if (!integerOf(args_[next_++], n)) invalidFormat(pattern_);
            return static_cast<int>(std::clamp<std::int64_t>(n, -1, 100000));
        }
        if (i >= pattern_.size() || pattern_[i] < '0' || pattern_[i] > '9') return -1;
        int n = 0;
        while (i < pattern_.size() && pattern_[i] >= '0' && pattern_[i] <= '9') {
            n = std::min(n * 10 + (pattern_[i] - '0'), 100000);
            ++i;
        }
        return n;
    }

private:
    std::string_view pattern_;
    const script::OpenArray& args_;
    std::size_t& next_;
};

} // namespace

std::string formatText(std::string_view pattern, const Value& arguments) {
    const script::OpenArray args(arguments);
    std::string out;
    out.reserve(pattern.size() + 16);
    std::size_t next = 0;
    DirectiveReader reader(pattern, args, next);
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c != '%') {
            out += c;
            continue;
        }
        ++i;
        if (i >= pattern.size()) invalidFormat(pattern);
        if (pattern[i] == '%') {
            out += '%';
            continue;
        }
        // [index:]
        int number = reader.number(i);
        if (i < pattern.size() && pattern[i] == ':') {
            if (number < 0) number = 0;
            next = static_cast<std::size_t>(number);
            ++i;
            number = -1;
        }
        bool left = false;
        if (number < 0 && i < pattern.size() && pattern[i] == '-') {
            left = true;
            ++i;
        }
        const int width = number >= 0 ? number : reader.number(i);
        int precision = -1;
        if (i < pattern.size() && pattern[i] == '.') {
            ++i;
            precision = reader.number(i);
            if (precision < 0) precision = 0;
        }
        if (i >= pattern.size()) invalidFormat(pattern);
        const char type = static_cast<char>(pattern[i] | 0x20);
        if (std::string_view("duxefgnmps").find(type) == std::string_view::npos)
            invalidFormat(pattern);
        if (next >= args.size()) missingArgument(pattern);
        const Value& arg = args[next++];
        std::string text;
        switch (type) {
        case 'd':
        case 'u':
        case 'x': {
            std::int64_t n = 0;
            if (!integerOf(arg, n)) invalidFormat(pattern);
            bool negative = false;
            if (type == 'x') {
                text = hexText(n);
            } else if (type == 'u' && n < 0 && n >= INT32_MIN) {
                text = std::to_string(static_cast<std::uint32_t>(n));
            } else {
                negative = n < 0;
                text = negative ? std::to_string(n).substr(1) : std::to_string(n);
            }
            if (precision > static_cast<int>(text.size()))
                text.insert(0, static_cast<std::size_t>(precision) - text.size(), '0');
            if (negative) text.insert(0, 1, '-');
            break;
        }
        case 'e':
        case 'f':
        case 'g':
        case 'n':
        case 'm': {
            double d = 0;
            if (!numberOf(arg, d)) invalidFormat(pattern);
            switch (type) {
            case 'e':
                text = floatToText(d, FloatFormat::Exponent, precision < 0 ? 15 : precision, 3);
                break;
            case 'g':
                text = floatToText(d, FloatFormat::General, precision < 0 ? 15 : precision, 0);
                break;
            case 'f':
                text = floatToText(d, FloatFormat::Fixed, 15, precision < 0 ? 2 : precision);
                break;
            case 'n':
                text = floatToText(d, FloatFormat::Number, 15, precision < 0 ? 2 : precision);
                break;
            default:
                text = floatToText(d, FloatFormat::Currency, 15,
                                   precision < 0 ? currencyDecimals() : precision);
                break;
            }
            break;
        }
        case 'p': {
            std::int64_t n = 0;
            if (arg.isObject() && !arg.asObject())
                n = 0;
            else if (!integerOf(arg, n))
                invalidFormat(pattern);
            char buffer[16];
            std::snprintf(buffer, sizeof buffer, "%08X", static_cast<std::uint32_t>(n));
            text = buffer;
            break;
        }
        default: { // 's'
            if (arg.isObject() || arg.isArray()) invalidFormat(pattern);
            text = arg.isString() ? arg.asString() : arg.toString();
            if (precision >= 0 && static_cast<int>(text.size()) > precision)
                text.resize(static_cast<std::size_t>(precision));
            break;
        }
        }
        out += padded(std::move(text), width, left);
    }
    return out;
}

} // namespace vorlan::stdlib
