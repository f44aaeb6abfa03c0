#include "script/value.h"

#include "core/civil_date.h"
#include "core/cp1250.h"
#include "script/dispatch.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vorlan::script {

namespace {

constexpr double kCurrencyScale = 10000.0;

[[noreturn]] void conversionError(ValueType from, const char* to) {
    throw ValueError(czech("Neplatný převod typu varianty (") + typeName(from) + " na " + to + ")");
}

std::string trimmed(std::string_view text) {
    std::size_t b = 0, e = text.size();
    while (b < e && (text[b] == ' ' || text[b] == '\t'))
        ++b;
    while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t'))
        --e;
    return std::string(text.substr(b, e - b));
}

// Round half to even, the rule of the platform's variant to integer conversion.
double roundHalfEven(double d) {
    const double r = std::nearbyint(d); // the default rounding mode is to nearest, ties to even
    return r;
}

bool isIntegral(const Value& v) {
    return v.type() == ValueType::Integer || v.type() == ValueType::Boolean;
}

} // namespace

const char* typeName(ValueType type) {
    switch (type) {
    case ValueType::Empty:
        return "Empty";
    case ValueType::Null:
        return "Null";
    case ValueType::Integer:
        return "Integer";
    case ValueType::Double:
        return "Double";
    case ValueType::Currency:
        return "Currency";
    case ValueType::Date:
        return "Date";
    case ValueType::String:
        return "String";
    case ValueType::Boolean:
        return "Boolean";
    case ValueType::Object:
        return "Object";
    case ValueType::Array:
        return "Array";
    }
    return "Unknown";
}

// A value that owns nothing needs no destruction before it is replaced (its storage is simply
// reused): the interpreters' temporaries change between numbers and Booleans all the time.
void Value::replaceWith(std::int32_t i) {
    if (ownsStorage())
        v_.emplace<std::int32_t>(i);
    else
        std::construct_at(&v_, std::in_place_type<std::int32_t>, i);
}
void Value::replaceWith(double d) {
    if (ownsStorage())
        v_.emplace<double>(d);
    else
        std::construct_at(&v_, std::in_place_type<double>, d);
}
void Value::replaceWith(bool b) {
    if (ownsStorage())
        v_.emplace<bool>(b);
    else
        std::construct_at(&v_, std::in_place_type<bool>, b);
}

Value Value::fromInt64(std::int64_t i) {
    if (i >= INT32_MIN && i <= INT32_MAX) return Value(static_cast<std::int32_t>(i));
    return Value(static_cast<double>(i));
}

bool Value::isNumeric() const {
    const auto t = type();
    return t == ValueType::Integer || t == ValueType::Double || t == ValueType::Currency ||
           t == ValueType::Date;
}

VarArray& Value::mutableArray() {
    auto& ref = std::get<std::shared_ptr<VarArray>>(v_);
    if (ref.use_count() > 1) ref = std::make_shared<VarArray>(*ref);
    return *ref;
}

double Value::toDouble() const {
    switch (type()) {
    case ValueType::Empty:
        return 0;
    case ValueType::Integer:
        return asInt();
    case ValueType::Double:
        return asDouble();
    case ValueType::Currency:
        return static_cast<double>(asCurrency().scaled) / kCurrencyScale;
    case ValueType::Date:
        return asDate().days;
    case ValueType::Boolean:
        return asBool() ? -1 : 0;
    case ValueType::String: {
        double d = 0;
        if (!parseNumber(asString(), d)) conversionError(type(), "Double");
        return d;
    }
    default:
        conversionError(type(), "Double");
    }
}

std::int64_t Value::toInt64() const {
    switch (type()) {
    case ValueType::Empty:
        return 0;
    case ValueType::Integer:
        return asInt();
    case ValueType::Boolean:
        return asBool() ? -1 : 0;
    case ValueType::Currency:
        return static_cast<std::int64_t>(
            roundHalfEven(static_cast<double>(asCurrency().scaled) / kCurrencyScale));
    default: {
        const double d = roundHalfEven(toDouble());
        if (!(d >= -9.2233720368547758e18 && d < 9.2233720368547758e18))
            throw ValueError(czech("Přetečení celého čísla při převodu varianty"));
        return static_cast<std::int64_t>(d);
    }
    }
}

std::int32_t Value::toInt() const {
    if (type() == ValueType::Integer) return asInt();
    const std::int64_t i = toInt64();
    if (i < INT32_MIN || i > INT32_MAX)
        throw ValueError(czech("Přetečení celého čísla při převodu varianty"));
    return static_cast<std::int32_t>(i);
}

bool Value::toBool() const {
    switch (type()) {
    case ValueType::Empty:
        return false;
    case ValueType::Boolean:
        return asBool();
    case ValueType::Integer:
        return asInt() != 0;
    case ValueType::String: {
        const std::string t = trimmed(asString());
        if (t.size() == 4 && (t[0] == 'T' || t[0] == 't') && (t[1] | 0x20) == 'r' &&
            (t[2] | 0x20) == 'u' && (t[3] | 0x20) == 'e')
            return true;
        if (t.size() == 5 && (t[0] | 0x20) == 'f' && (t[1] | 0x20) == 'a' && (t[2] | 0x20) == 'l' &&
            (t[3] | 0x20) == 's' && (t[4] | 0x20) == 'e')
            return false;
        double d = 0;
        if (!parseNumber(t, d)) conversionError(type(), "Boolean");
        return d != 0;
    }
    case ValueType::Null:
    case ValueType::Object:
    case ValueType::Array:
        conversionError(type(), "Boolean");
    default:
        return toDouble() != 0;
    }
}

Currency Value::toCurrency() const {
    if (type() == ValueType::Currency) return asCurrency();
    if (type() == ValueType::Integer) return Currency{static_cast<std::int64_t>(asInt()) * 10000};
    const double d = std::nearbyint(toDouble() * kCurrencyScale);
    if (!(std::fabs(d) < 9.2e18)) throw ValueError(czech("Přetečení měny při převodu varianty"));
    return Currency{static_cast<std::int64_t>(d)};
}

DateTime Value::toDate() const {
    if (type() == ValueType::Date) return asDate();
    if (type() == ValueType::String) conversionError(type(), "Date");
    return DateTime{toDouble()};
}

std::string Value::toString() const {
    switch (type()) {
    case ValueType::Empty:
    case ValueType::Null:
        return {};
    case ValueType::Integer:
        return std::to_string(asInt());
    case ValueType::Double:
        return formatDouble(asDouble());
    case ValueType::Currency:
        return formatCurrency(asCurrency());
    case ValueType::Date:
        return formatDate(asDate());
    case ValueType::String:
        return asString();
    case ValueType::Boolean:
        return asBool() ? "True" : "False";
    case ValueType::Object:
    case ValueType::Array:
        conversionError(type(), "String");
    }
    return {};
}

ObjectRef Value::toObject() const {
    switch (type()) {
    case ValueType::Object:
        return asObject();
    case ValueType::Empty:
    case ValueType::Null:
        return nullptr;
    case ValueType::Integer:
        if (asInt() == 0) return nullptr;
        [[fallthrough]];
    default:
        conversionError(type(), "Object");
    }
}

bool Value::identical(const Value& other) const {
    return v_ == other.v_;
}

// ---- arrays

VarArray::VarArray(std::vector<Bound> bounds) : bounds_(std::move(bounds)) {
    std::size_t total = bounds_.empty() ? 0 : 1;
    for (const auto& b : bounds_) {
        if (b.high < b.low - 1) throw ValueError(czech("Chybné meze pole"));
        total *= static_cast<std::size_t>(b.count());
        if (total > (1u << 26)) throw ValueError(czech("Pole je příliš velké"));
    }
    items_.resize(total);
}

std::shared_ptr<VarArray> VarArray::create(std::int32_t low, std::int32_t high) {
    return std::make_shared<VarArray>(std::vector<Bound>{{low, high}});
}

std::size_t VarArray::offsetOf(const std::vector<std::int32_t>& indexes) const {
    if (indexes.size() != bounds_.size()) throw ValueError(czech("Chybný počet indexů pole"));
    std::size_t offset = 0, stride = 1;
    for (std::size_t d = 0; d < bounds_.size(); ++d) {
        const auto& b = bounds_[d];
        if (indexes[d] < b.low || indexes[d] > b.high)
            throw ValueError(czech("Index pole je mimo meze"));
        offset += static_cast<std::size_t>(indexes[d] - b.low) * stride;
        stride *= static_cast<std::size_t>(b.count());
    }
    return offset;
}

Value& VarArray::at(const std::vector<std::int32_t>& indexes) {
    return items_[offsetOf(indexes)];
}
const Value& VarArray::at(const std::vector<std::int32_t>& indexes) const {
    return items_[offsetOf(indexes)];
}

void VarArray::redimPreserve(std::int32_t newHigh) {
    if (bounds_.empty()) throw ValueError(czech("Pole nemá žádný rozměr"));
    Bound& last = bounds_.back();
    if (newHigh < last.low - 1) throw ValueError(czech("Chybné meze pole"));
    std::size_t inner = 1;
    for (std::size_t d = 0; d + 1 < bounds_.size(); ++d)
        inner *= static_cast<std::size_t>(bounds_[d].count());
    last.high = newHigh;
    items_.resize(inner * static_cast<std::size_t>(last.count()));
}

// ---- text

std::string formatDouble(double d) {
    if (std::isnan(d)) return "NAN";
    if (std::isinf(d)) return d > 0 ? "INF" : "-INF";
    if (d == 0) return "0";
    // to_chars ignores the host locale: scripts always see "." whatever LC_NUMERIC says.
    char buf[64];
    const auto written = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::scientific, 14);
    std::string s(buf, written.ptr); // 15 significant digits: d.dddddddddddddde+XX
    const std::size_t ePos = s.find('e');
    int exponent = std::atoi(s.c_str() + ePos + 1);
    std::string mantissa = s.substr(0, ePos);
    const bool negative = mantissa[0] == '-';
    if (negative) mantissa.erase(0, 1);
    std::string digits;
    for (char c : mantissa)
        if (c != '.') digits += c;
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    std::string out = negative ? "-" : "";
    if (exponent < -5 || exponent >= 15) {
        out += digits[0];
        if (digits.size() > 1) {
            out += '.';
            out.append(digits, 1);
        }
        out += 'E';
        out.append(std::to_string(exponent));
    } else if (exponent < 0) {
        out.append("0.");
        out.append(static_cast<std::size_t>(-exponent - 1), '0');
        out.append(digits);
    } else {
        const auto intDigits = static_cast<std::size_t>(exponent + 1);
        if (digits.size() <= intDigits) {
            out.append(digits);
            out.append(intDigits - digits.size(), '0');
        } else {
            out.append(digits, 0, intDigits);
            out += '.';
            out.append(digits, intDigits);
        }
    }
    return out;
}

std::string formatCurrency(Currency c) {
    const bool negative = c.scaled < 0;
    const std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(c.scaled) : static_cast<std::uint64_t>(c.scaled);
    std::string out;
    if (negative) out.push_back('-');
    out.append(std::to_string(magnitude / 10000));
    const std::uint64_t frac = magnitude % 10000;
    if (frac) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "%04u", static_cast<unsigned>(frac));
        std::string digits(buf);
        while (digits.back() == '0')
            digits.pop_back();
        out.push_back('.');
        out.append(digits);
    }
    return out;
}

std::string formatDate(DateTime dt) {
    // Day 0 is 30 December 1899; the fraction's sign follows the day for negative dates.
    const double whole = std::trunc(dt.days);
    double fraction = std::fabs(dt.days - whole);
    const YearMonthDay c = civilFromSerial(static_cast<std::int64_t>(whole));
    char buf[64];
    std::string out;
    if (whole != 0 || fraction == 0) {
        std::snprintf(buf, sizeof buf, "%d.%d.%04d", c.day, c.month, c.year);
        out = buf;
    }
    auto secs = static_cast<long>(std::llround(fraction * 86400.0));
    if (secs >= 86400) secs = 86399;
    if (secs > 0) {
        std::snprintf(buf, sizeof buf, "%ld:%02ld:%02ld", secs / 3600, (secs / 60) % 60, secs % 60);
        if (!out.empty()) out += ' ';
        out += buf;
    }
    return out;
}

bool parseNumber(std::string_view text, double& out) {
    const std::string t = trimmed(text);
    if (t.empty()) return false;
    const char* begin = t.c_str();
    const char* p = begin;
    if (*p == '+' || *p == '-') ++p;
    if (*p == '$' || ((*p == '&') && (p[1] == 'H' || p[1] == 'h'))) {
        // Hexadecimal: $FF or &HFF
        const char* digits = *p == '$' ? p + 1 : p + 2;
        if (!*digits) return false;
        std::uint64_t v = 0;
        for (const char* q = digits; *q; ++q) {
            const char c = *q;
            int n = (c >= '0' && c <= '9')   ? c - '0'
                    : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                    : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                             : -1;
            if (n < 0 || v > (UINT64_MAX >> 4)) return false;
            v = v * 16 + static_cast<unsigned>(n);
        }
        out = static_cast<double>(v);
        if (*begin == '-') out = -out;
        return true;
    }
    if (!((*p >= '0' && *p <= '9') || *p == '.')) return false;
    // from_chars, unlike strtod, ignores the host locale and knows no hexadecimal floats.
    const char* last = begin + t.size();
    double d = 0;
    const auto [ptr, ec] = std::from_chars(p, last, d);
    if (ec == std::errc::invalid_argument || ptr != last) return false;
    if (ec == std::errc::result_out_of_range) d = std::strtod(p, nullptr); // inf or a denormal
    out = *begin == '-' ? -d : d;
    return true;
}

// ---- arithmetic

namespace {

// The numeric kind an operation works in.
enum class NumKind { Int, Currency, Double, Date };

NumKind numericKindOf(const Value& v) {
    switch (v.type()) {
    case ValueType::Empty:
    case ValueType::Integer:
    case ValueType::Boolean:
        return NumKind::Int;
    case ValueType::Currency:
        return NumKind::Currency;
    case ValueType::Date:
        return NumKind::Date;
    case ValueType::String: {
        double d = 0;
        if (!parseNumber(v.asString(), d)) conversionError(ValueType::String, "Double");
        return (d == std::trunc(d) && std::fabs(d) < 2147483648.0 &&
                v.asString().find_first_of(".eE") == std::string::npos)
                   ? NumKind::Int
                   : NumKind::Double;
    }
    default:
        return NumKind::Double;
    }
}

NumKind wider(NumKind a, NumKind b) {
    return static_cast<int>(a) > static_cast<int>(b) ? a : b;
}

Value arithmetic(BinaryOp op, const Value& a, const Value& b) {
    const NumKind kind = wider(numericKindOf(a), numericKindOf(b));
    if (op == BinaryOp::Divide) {
        const double y = b.toDouble();
        if (y == 0) throw ValueError(czech("Dělení nulou"));
        return Value(a.toDouble() / y);
    }
    if (op == BinaryOp::Power) return Value(std::pow(a.toDouble(), b.toDouble()));
    if (op == BinaryOp::IntDivide || op == BinaryOp::Modulo) {
        const std::int64_t x = a.toInt64(), y = b.toInt64();
        if (y == 0) throw ValueError(czech("Dělení nulou"));
        if (x == INT64_MIN && y == -1)
            return op == BinaryOp::Modulo ? Value(0) : Value(-static_cast<double>(x));
        return Value::fromInt64(op == BinaryOp::IntDivide ? x / y : x % y);
    }
    if (kind == NumKind::Int) {
        const std::int64_t x = a.toInt64(), y = b.toInt64();
        std::int64_t r = 0;
        switch (op) {
        case BinaryOp::Add:
            r = x + y;
            break;
        case BinaryOp::Subtract:
            r = x - y;
            break;
        case BinaryOp::Multiply:
            r = x * y;
            break; // both fit 32 bits, so no 64-bit overflow
        default:
            break;
        }
        return Value::fromInt64(r);
    }
    if (kind == NumKind::Currency) {
        const double x = a.toDouble(), y = b.toDouble();
        double r = op == BinaryOp::Add ? x + y : op == BinaryOp::Subtract ? x - y : x * y;
        return Value(r).toCurrency();
    }
    const double x = a.toDouble(), y = b.toDouble();
    const double r = op == BinaryOp::Add ? x + y : op == BinaryOp::Subtract ? x - y : x * y;
    if (kind == NumKind::Date && (op == BinaryOp::Add || op == BinaryOp::Subtract)) {
        // date - date is a number of days; date +/- number stays a date
        if (a.type() == ValueType::Date && b.type() == ValueType::Date && op == BinaryOp::Subtract)
            return Value(r);
        return Value(DateTime{r});
    }
    return Value(r);
}

Value logical(BinaryOp op, const Value& a, const Value& b) {
    if (a.type() == ValueType::Boolean && b.type() == ValueType::Boolean) {
        const bool x = a.asBool(), y = b.asBool();
        switch (op) {
        case BinaryOp::And:
            return Value(x && y);
        case BinaryOp::Or:
            return Value(x || y);
        default:
            return Value(x != y);
        }
    }
    const std::int64_t x = a.toInt64(), y = b.toInt64();
    switch (op) {
    case BinaryOp::And:
        return Value::fromInt64(x & y);
    case BinaryOp::Or:
        return Value::fromInt64(x | y);
    default:
        return Value::fromInt64(x ^ y);
    }
}

} // namespace

Value binaryOp(BinaryOp op, const Value& a, const Value& b) {
    if (op == BinaryOp::Concat) {
        if (a.isNull() && b.isNull()) return Value::null();
        return Value(a.toString() + b.toString());
    }
    if (a.isNull() || b.isNull()) return Value::null();
    // The fast path: both plain integers.
    if (a.isInteger() && b.isInteger()) {
        const std::int64_t x = a.asInt(), y = b.asInt();
        switch (op) {
        case BinaryOp::Add:
            return Value::fromInt64(x + y);
        case BinaryOp::Subtract:
            return Value::fromInt64(x - y);
        case BinaryOp::Multiply:
            return Value::fromInt64(x * y);
        case BinaryOp::And:
            return Value(static_cast<std::int32_t>(x & y));
        case BinaryOp::Or:
            return Value(static_cast<std::int32_t>(x | y));
        case BinaryOp::Xor:
            return Value(static_cast<std::int32_t>(x ^ y));
        default:
            break;
        }
    }
    switch (op) {
    case BinaryOp::Add:
        if (a.isString() && b.isString()) return Value(a.asString() + b.asString());
        if ((a.isString() && b.isEmpty()) || (a.isEmpty() && b.isString()))
            return Value(a.toString() + b.toString());
        return arithmetic(op, a, b);
    case BinaryOp::Subtract:
    case BinaryOp::Multiply:
    case BinaryOp::Divide:
    case BinaryOp::IntDivide:
    case BinaryOp::Modulo:
    case BinaryOp::Power:
        return arithmetic(op, a, b);
    case BinaryOp::And:
    case BinaryOp::Or:
    case BinaryOp::Xor:
        return logical(op, a, b);
    case BinaryOp::ShiftLeft:
    case BinaryOp::ShiftRight: {
        const auto x = static_cast<std::uint32_t>(a.toInt());
        const int n = b.toInt() & 31;
        return Value(static_cast<std::int32_t>(op == BinaryOp::ShiftLeft ? x << n : x >> n));
    }
    case BinaryOp::Concat:
        break;
    }
    return {};
}

Value negate(const Value& a) {
    switch (a.type()) {
    case ValueType::Null:
        return a;
    case ValueType::Empty:
        return Value(0);
    case ValueType::Integer:
        return Value::fromInt64(-static_cast<std::int64_t>(a.asInt()));
    case ValueType::Currency:
        return Value(Currency{-a.asCurrency().scaled});
    case ValueType::Date:
        return Value(DateTime{-a.asDate().days});
    case ValueType::Boolean:
        return Value(a.asBool() ? 1 : 0);
    default: {
        if (a.isString() && numericKindOf(a) == NumKind::Int) return Value::fromInt64(-a.toInt64());
        return Value(-a.toDouble());
    }
    }
}

Value logicalNot(const Value& a) {
    if (a.isNull()) return a;
    if (a.isBoolean()) return Value(!a.asBool());
    return Value::fromInt64(~a.toInt64());
}

int compareValues(const Value& a, const Value& b) {
    auto sign = [](auto x, auto y) { return x < y ? -1 : (y < x ? 1 : 0); };
    if (a.isString() && b.isString()) {
        const int c = a.asString().compare(b.asString());
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    if ((a.isString() && b.isEmpty()) || (a.isEmpty() && b.isString()))
        return sign(a.toString(), b.toString());
    if (a.isObject() || b.isObject() || a.isArray() || b.isArray()) {
        // Objects compare by identity; an empty reference equals nothing but empty and 0.
        const ObjectRef x = a.toObject(), y = b.toObject();
        if (x == y) return 0;
        return x.get() < y.get() ? -1 : 1;
    }
    if (isIntegral(a) && isIntegral(b)) return sign(a.toInt64(), b.toInt64());
    if (a.isEmpty() && b.isEmpty()) return 0;
    if (a.isBoolean() && b.isBoolean()) return sign(a.asBool() ? 1 : 0, b.asBool() ? 1 : 0);
    return sign(a.toDouble(), b.toDouble());
}

Value compare(CompareOp op, const Value& a, const Value& b) {
    if (a.isNull() || b.isNull()) return Value::null();
    int c = 0;
    if (a.isInteger() && b.isInteger()) {
        c = a.asInt() < b.asInt() ? -1 : (a.asInt() > b.asInt() ? 1 : 0);
    } else if ((a.isObject() || b.isObject()) && op != CompareOp::Equal &&
               op != CompareOp::NotEqual) {
        throw ValueError(
            czech("Neplatná operace s variantou (objekty lze porovnat jen na rovnost)"));
    } else {
        c = compareValues(a, b);
    }
    switch (op) {
    case CompareOp::Equal:
        return Value(c == 0);
    case CompareOp::NotEqual:
        return Value(c != 0);
    case CompareOp::Less:
        return Value(c < 0);
    case CompareOp::LessEqual:
        return Value(c <= 0);
    case CompareOp::Greater:
        return Value(c > 0);
    case CompareOp::GreaterEqual:
        return Value(c >= 0);
    }
    return {};
}

} // namespace vorlan::script
