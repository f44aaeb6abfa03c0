#include "stdlib/sysutils_format.h"
#include "core/cp1250.h"

#include "script/open_array.h"
#include "stdlib/exceptions.h"
#include "stdlib/float_text.h"
#include "stdlib/format_settings.h"

#include <algorithm>
#include <array>
#include <charconv>
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

// Appends `sign`, `zeros` zeros and `text`, padded with spaces to `width` on the left (or on
// the right for `left`): the pieces go straight into the result, without a text of their own.
void appendPadded(std::string& out, std::string_view text, int width, bool left,
                  std::string_view sign = {}, std::size_t zeros = 0) {
    const std::size_t length = sign.size() + zeros + text.size();
    const std::size_t pad =
        width > 0 && static_cast<std::size_t>(width) > length ? width - length : 0;
    // Most directives have neither padding nor sign nor zeros: only the text is appended then.
    if (pad != 0 && !left) out.append(pad, ' ');
    if (!sign.empty()) out.append(sign);
    if (zeros != 0) out.append(zeros, '0');
    out.append(text);
    if (pad != 0 && left) out.append(pad, ' ');
}

// The hexadecimal digits of a number (a negative 32-bit one as its two's complement), in
// upper case, into `buffer`.
std::string_view hexDigits(std::int64_t n, std::array<char, 24>& buffer) {
    const auto end = n >= INT32_MIN && n <= INT32_MAX
                         ? std::to_chars(buffer.data(), buffer.data() + buffer.size(),
                                         static_cast<std::uint32_t>(n), 16)
                               .ptr
                         : std::to_chars(buffer.data(), buffer.data() + buffer.size(),
                                         static_cast<std::uint64_t>(n), 16)
                               .ptr;
    for (char* c = buffer.data(); c != end; ++c)
        if (*c >= 'a') *c = static_cast<char>(*c - 'a' + 'A');
    return {buffer.data(), static_cast<std::size_t>(end - buffer.data())};
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
    // A short result stays in the text's own buffer; a longer one reserves room once.
    if (pattern.size() > out.capacity()) out.reserve(pattern.size() + 16);
    std::size_t next = 0;
    DirectiveReader reader(pattern, args, next);
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        // The text up to the next directive, at once.
        const std::size_t directive = pattern.find('%', i);
        if (directive != i) {
            out.append(pattern.substr(i, directive - i));
            if (directive == std::string_view::npos) break;
            i = directive;
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
        switch (type) {
        case 'd':
        case 'u':
        case 'x': {
            std::int64_t n = 0;
            if (!integerOf(arg, n)) invalidFormat(pattern);
            std::array<char, 24> buffer;
            std::string_view digits;
            bool negative = false;
            if (type == 'x') {
                digits = hexDigits(n, buffer);
            } else {
                char* end = nullptr;
                if (type == 'u' && n < 0 && n >= INT32_MIN) {
                    end = std::to_chars(buffer.data(), buffer.data() + buffer.size(),
                                        static_cast<std::uint32_t>(n))
                              .ptr;
                } else {
                    end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), n).ptr;
                    negative = n < 0;
                }
                digits =
                    std::string_view(buffer.data(), static_cast<std::size_t>(end - buffer.data()));
                if (negative) digits.remove_prefix(1); // the sign goes before the zeros
            }
            const std::size_t zeros = precision > static_cast<int>(digits.size())
                                          ? static_cast<std::size_t>(precision) - digits.size()
                                          : 0;
            appendPadded(out, digits, width, left, negative ? "-" : "", zeros);
            break;
        }
        case 'e':
        case 'f':
        case 'g':
        case 'n':
        case 'm': {
            double d = 0;
            if (!numberOf(arg, d)) invalidFormat(pattern);
            std::string text;
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
            appendPadded(out, text, width, left);
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
            appendPadded(out, buffer, width, left);
            break;
        }
        default: { // 's'
            if (arg.isObject() || arg.isArray()) invalidFormat(pattern);
            // A text is read where it lies; anything else is converted once.
            std::string converted;
            std::string_view text;
            if (arg.isString()) {
                text = arg.asString();
            } else {
                converted = arg.toString();
                text = converted;
            }
            if (precision >= 0 && static_cast<int>(text.size()) > precision)
                text = text.substr(0, static_cast<std::size_t>(precision));
            appendPadded(out, text, width, left);
            break;
        }
        }
    }
    return out;
}

} // namespace vorlan::stdlib
