// The built-in functions and constants of the Basic dialect.
#include "core/civil_date.h"
#include "core/cp1250.h"
#include "core/ui_services.h"
#include "script/basic/basic_interp.h"
#include "script/basic/basic_library.h"
#include "script/basic/basic_parser.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>

namespace vorlan::script::basic {

namespace {

using Args = std::span<Value>;

std::string str(const Value& v) {
    if (v.isObject() || v.isArray()) raise(13);
    return v.toString();
}
std::int32_t num(const Value& v) {
    if (v.isNull()) raise(94, czech("Neplatné použití hodnoty Null"));
    return v.toInt();
}
void checkLength(std::int64_t n) {
    if (n < 0) raise(5);
    if (static_cast<std::uint64_t>(n) > kMaxStringLength) raise(7);
}
bool textCompare(Args a, std::size_t at) {
    return a.size() > at && num(a[at]) == 1;
}

// 1-based position of `needle` in `hay` from `start` (1-based), 0 when absent.
std::int32_t find(const std::string& hay, const std::string& needle, std::int32_t start,
                  bool noCase) {
    if (start < 1) raise(5);
    if (static_cast<std::size_t>(start) > hay.size() + 1) return 0;
    const std::string h = noCase ? upperCase(hay) : hay;
    const std::string n = noCase ? upperCase(needle) : needle;
    const auto p = h.find(n, static_cast<std::size_t>(start - 1));
    return p == std::string::npos ? 0 : static_cast<std::int32_t>(p + 1);
}

Value arrayOf(std::vector<Value> items) {
    auto a = VarArray::create(0, static_cast<std::int32_t>(items.size()) - 1);
    a->items() = std::move(items);
    return Value(a);
}

const VarArray& arrayArg(const Value& v) {
    if (!v.isArray()) raise(13);
    return *v.asArray();
}

// Year, month, day of a date serial.
void civil(double days, int& y, int& m, int& d) {
    const YearMonthDay c = civilFromSerial(static_cast<std::int64_t>(std::floor(days)));
    y = c.year, m = c.month, d = c.day;
}

double nowSerial() {
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    const auto days =
        static_cast<double>(serialFromCivil(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday));
    return days + (local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec) / 86400.0;
}

DateTime toDate(const Value& v) {
    return toDateValue(v);
}

double dateArg(const Value& v) {
    if (v.isNull()) raise(94, czech("Neplatné použití hodnoty Null"));
    const double days = toDate(v).days;
    // Years 100 to 9999.
    if (!(days >= -657434.0 && days < 2958466.0)) raise(5);
    return days;
}

Value roundValue(Args a) {
    if (a[0].isNull()) return Value::null();
    const double x = a[0].toDouble();
    const std::int32_t places = a.size() > 1 ? num(a[1]) : 0;
    if (places < 0 || places > 15) raise(5);
    const double scale = std::pow(10.0, places);
    const double r = std::nearbyint(x * scale) / scale; // ties go to the even neighbour
    if (places == 0 && a[0].isInteger()) return a[0];
    if (places == 0 && std::fabs(r) < 2147483647.0) return Value(static_cast<std::int32_t>(r));
    return Value(r);
}

Value typeNameOf(const Value& v) {
    switch (v.type()) {
    case ValueType::Empty:
        return Value("Empty");
    case ValueType::Null:
        return Value("Null");
    case ValueType::Integer:
        return Value(v.asInt() >= -32768 && v.asInt() <= 32767 ? "Integer" : "Long");
    case ValueType::Double:
        return Value("Double");
    case ValueType::Currency:
        return Value("Currency");
    case ValueType::Date:
        return Value("Date");
    case ValueType::String:
        return Value("String");
    case ValueType::Boolean:
        return Value("Boolean");
    case ValueType::Object:
        return Value(v.asObject() ? v.asObject()->dispatchClassName() : "Nothing");
    case ValueType::Array:
        return Value("Variant()");
    }
    return Value("Unknown");
}

Value varTypeOf(const Value& v) {
    static const std::int32_t codes[] = {0, 1, 2, 5, 6, 7, 8, 11, 9, 8204};
    std::int32_t code = codes[static_cast<int>(v.type())];
    if (v.isInteger() && (v.asInt() < -32768 || v.asInt() > 32767)) code = 3;
    return Value(code);
}

Value trimmed(const Value& v, bool left, bool right) {
    if (v.isNull()) return v;
    std::string s = str(v);
    std::size_t b = 0, e = s.size();
    if (left)
        while (b < e && s[b] == ' ')
            ++b;
    if (right)
        while (e > b && s[e - 1] == ' ')
            --e;
    return Value(s.substr(b, e - b));
}

Value mid(Args a) {
    if (a[0].isNull()) return a[0];
    const std::string s = str(a[0]);
    const std::int32_t start = num(a[1]);
    if (start < 1) raise(5);
    std::int64_t len = a.size() > 2 ? num(a[2]) : static_cast<std::int64_t>(s.size());
    if (len < 0) raise(5);
    if (static_cast<std::size_t>(start) > s.size()) return Value("");
    return Value(s.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(len)));
}

Value replace(Args a) {
    if (a[0].isNull()) return a[0];
    const std::string s = str(a[0]), what = str(a[1]), with = str(a[2]);
    const std::int32_t start = a.size() > 3 ? num(a[3]) : 1;
    std::int32_t count = a.size() > 4 ? num(a[4]) : -1;
    const bool noCase = textCompare(a, 5);
    if (start < 1 || count < -1) raise(5);
    if (static_cast<std::size_t>(start) > s.size()) return Value("");
    std::string src = s.substr(static_cast<std::size_t>(start - 1));
    if (what.empty() || count == 0) return Value(src);
    const std::string hay = noCase ? upperCase(src) : src;
    const std::string needle = noCase ? upperCase(what) : what;
    std::string out;
    std::size_t pos = 0;
    while (count != 0) {
        const std::size_t hit = hay.find(needle, pos);
        if (hit == std::string::npos) break;
        out.append(src, pos, hit - pos);
        out += with;
        if (out.size() > kMaxStringLength) raise(7);
        pos = hit + needle.size();
        if (count > 0) --count;
    }
    out.append(src, pos, std::string::npos);
    return Value(std::move(out));
}

Value split(Args a) {
    const std::string s = a[0].isNull() ? std::string() : str(a[0]);
    const std::string sep = a.size() > 1 ? str(a[1]) : std::string(" ");
    std::int32_t limit = a.size() > 2 ? num(a[2]) : -1;
    // With vbTextCompare the separator is found in either case; the parts keep theirs.
    const bool noCase = textCompare(a, 3);
    const std::string hay = noCase ? upperCase(s) : s;
    const std::string needle = noCase ? upperCase(sep) : sep;
    std::vector<Value> parts;
    if (s.empty()) return arrayOf({});
    if (sep.empty()) return arrayOf({Value(s)});
    std::size_t pos = 0;
    for (;;) {
        if (limit > 0 && static_cast<std::int32_t>(parts.size()) == limit - 1) break;
        const std::size_t hit = hay.find(needle, pos);
        if (hit == std::string::npos) break;
        parts.emplace_back(s.substr(pos, hit - pos));
        if (parts.size() > (1u << 22)) raise(7);
        pos = hit + sep.size();
    }
    parts.emplace_back(s.substr(pos));
    return arrayOf(std::move(parts));
}

Value join(Args a) {
    const VarArray& arr = arrayArg(a[0]);
    if (arr.dimensions() > 1) raise(5);
    const std::string sep = a.size() > 1 ? str(a[1]) : std::string(" ");
    std::string out;
    for (std::size_t i = 0; i < arr.items().size(); ++i) {
        if (i) out += sep;
        out += str(arr.items()[i]);
        if (out.size() > kMaxStringLength) raise(7);
    }
    return Value(std::move(out));
}

Value bound(Args a, bool upper) {
    const VarArray& arr = arrayArg(a[0]);
    const std::int32_t dim = a.size() > 1 ? num(a[1]) : 1;
    if (dim < 1 || static_cast<std::size_t>(dim) > arr.dimensions()) raise(9);
    const auto& b = arr.bound(static_cast<std::size_t>(dim - 1));
    return Value(upper ? b.high : b.low);
}

Value convertInt(const Value& v, std::int64_t low, std::int64_t high) {
    if (v.isNull()) raise(94, czech("Neplatné použití hodnoty Null"));
    if (v.isObject() || v.isArray()) raise(13);
    const double d = v.toDouble();
    if (std::isnan(d) || d < static_cast<double>(low) - 0.5 || d >= static_cast<double>(high) + 0.5)
        raise(6);
    return Value(static_cast<std::int32_t>(std::nearbyint(d)));
}

bool looksNumeric(const Value& v) {
    if (v.isNumeric() || v.isBoolean()) return true;
    if (!v.isString()) return v.isEmpty();
    std::string s = v.asString();
    const auto b = s.find_first_not_of(' ');
    if (b == std::string::npos) return false;
    s = s.substr(b, s.find_last_not_of(' ') - b + 1);
    double d = 0;
    return parseNumber(s, d);
}

Value floorOrTrunc(const Value& v, bool floor) {
    if (v.isNull() || v.isInteger()) return v;
    if (v.isEmpty()) return Value(0);
    const double d = v.toDouble();
    const double r = floor ? std::floor(d) : std::trunc(d);
    if (std::fabs(r) < 2147483647.0) return v.isString() ? Value(r) : Value(r);
    return Value(r);
}

Value strComp(Args a) {
    if (a[0].isNull() || a[1].isNull()) return Value::null();
    const std::string x = str(a[0]), y = str(a[1]);
    const int c = textCompare(a, 2) ? compareNoCase(x, y) : x.compare(y);
    return Value(c < 0 ? -1 : c > 0 ? 1 : 0);
}

// `Array(...)` in a loop (`Format(p, Array(i, t))`) makes a short-lived array each time: the
// last one made of plain values is kept, and taken again once nothing else holds it. One holding
// an object or an array is not kept, so that no object lives longer than the program's own
// references to it. A kept array is shared with the program's value until then, which copies it
// on its first change, as any shared array.
Value makeArray(Args a) {
    thread_local std::shared_ptr<VarArray> spare;
    const auto high = static_cast<std::int32_t>(a.size()) - 1;
    std::shared_ptr<VarArray> array;
    if (spare && spare.use_count() == 1 && spare->dimensions() == 1 && spare->bound(0).low == 0 &&
        spare->bound(0).high == high)
        array = std::move(spare);
    else
        array = VarArray::create(0, high);
    std::move(a.begin(), a.end(), array->items().begin());
    const bool plain = std::none_of(array->items().begin(), array->items().end(),
                                    [](const Value& v) { return v.isObject() || v.isArray(); });
    spare = plain ? array : nullptr;
    return Value(std::move(array));
}

Value msgBox(Args a) {
    MessageBoxRequest request;
    request.text = str(a[0]);
    const std::int32_t style = a.size() > 1 && !a[1].isEmpty() ? num(a[1]) : 0;
    request.caption = a.size() > 2 && !a[2].isEmpty() ? str(a[2]) : applicationTitle();
    static const unsigned buttonSets[] = {ButtonOk,
                                          ButtonOk | ButtonCancel,
                                          ButtonAbort | ButtonRetry | ButtonIgnore,
                                          ButtonYes | ButtonNo | ButtonCancel,
                                          ButtonYes | ButtonNo,
                                          ButtonRetry | ButtonCancel};
    const int set = style & 7;
    if (set > 5) raise(5);
    request.buttons = buttonSets[set];
    switch (style & 0x70) {
    case 16:
        request.icon = MessageIcon::Error;
        break;
    case 32:
        request.icon = MessageIcon::Question;
        break;
    case 48:
        request.icon = MessageIcon::Warning;
        break;
    case 64:
        request.icon = MessageIcon::Information;
        break;
    default:
        break;
    }
    const auto order = buttonsInOrder(request.buttons);
    const std::size_t defaultIndex = static_cast<std::size_t>((style >> 8) & 3);
    if (defaultIndex < order.size()) request.defaultButton = order[defaultIndex];
    return Value(static_cast<std::int32_t>(ui().messageBox(request)));
}

Value inputBox(Args a) {
    const std::string caption = a.size() > 1 && !a[1].isEmpty() ? str(a[1]) : applicationTitle();
    const std::string initial = a.size() > 2 ? str(a[2]) : std::string();
    const auto answer = ui().inputBox(caption, str(a[0]), initial);
    return Value(answer ? *answer : std::string());
}

// The script's random sequence: a linear congruential generator that Randomize reseeds.
std::uint32_t& randomState() {
    static std::uint32_t state = 0x50000;
    return state;
}

double nextRandom() {
    std::uint32_t& st = randomState();
    st = (st * 0x43FD43FDu + 0xC39EC3u) & 0xFFFFFFu;
    return static_cast<double>(st) / 16777216.0;
}

Value dateAdd(Args a) {
    const std::string unit = lowerCase(str(a[0]));
    const double n = a[1].toDouble();
    if (std::fabs(n) > 4e6) raise(5);
    const double date = dateArg(a[2]);
    double r = date;
    const double whole = std::trunc(n);
    if (unit == "yyyy" || unit == "q" || unit == "m") {
        const int months = static_cast<int>(whole) * (unit == "yyyy" ? 12 : unit == "q" ? 3 : 1);
        int y, m, d;
        civil(date, y, m, d);
        const long total = static_cast<long>(y) * 12 + (m - 1) + months;
        const int ny = static_cast<int>(total / 12), nm = static_cast<int>(total % 12 + 1);
        if (ny < 100 || ny > 9999) raise(5);
        r = static_cast<double>(serialFromCivil(ny, nm, std::min(d, daysInMonth(ny, nm)))) +
            (date - std::floor(date));
    } else if (unit == "d" || unit == "y" || unit == "w") {
        r = date + whole;
    } else if (unit == "ww") {
        r = date + whole * 7;
    } else if (unit == "h") {
        r = date + whole / 24;
    } else if (unit == "n") {
        r = date + whole / 1440;
    } else if (unit == "s") {
        r = date + whole / 86400;
    } else {
        raise(5);
    }
    return Value(DateTime{r});
}

Value dateDiff(Args a) {
    const std::string unit = lowerCase(str(a[0]));
    const double d1 = dateArg(a[1]), d2 = dateArg(a[2]);
    auto seconds = [](double d) { return std::llround(d * 86400.0); };
    if (unit == "yyyy" || unit == "q" || unit == "m") {
        int y1, m1, dd1, y2, m2, dd2;
        civil(d1, y1, m1, dd1);
        civil(d2, y2, m2, dd2);
        if (unit == "yyyy") return Value(y2 - y1);
        if (unit == "q") return Value((y2 * 4 + (m2 - 1) / 3) - (y1 * 4 + (m1 - 1) / 3));
        return Value((y2 * 12 + m2) - (y1 * 12 + m1));
    }
    if (unit == "d" || unit == "y")
        return Value(static_cast<std::int32_t>(std::floor(d2) - std::floor(d1)));
    if (unit == "w" || unit == "ww")
        return Value(static_cast<std::int32_t>((std::floor(d2) - std::floor(d1)) / 7));
    if (unit == "h")
        return Value(static_cast<std::int32_t>(seconds(d2) / 3600 - seconds(d1) / 3600));
    if (unit == "n") return Value(static_cast<std::int32_t>(seconds(d2) / 60 - seconds(d1) / 60));
    if (unit == "s") return Value::fromInt64(seconds(d2) - seconds(d1));
    raise(5);
}

Value filter(Args a) {
    const VarArray& arr = arrayArg(a[0]);
    const std::string match = str(a[1]);
    const bool include = a.size() < 3 || a[2].toBool();
    const bool noCase = textCompare(a, 3);
    std::vector<Value> out;
    for (const Value& v : arr.items()) {
        const bool hit = find(str(v), match, 1, noCase) > 0;
        if (hit == include) out.push_back(v);
    }
    return arrayOf(std::move(out));
}

struct Builtin {
    const char* name;
    std::uint8_t minArgs;
    std::uint8_t maxArgs;
    Value (*fn)(Args);
};

const Builtin kBuiltins[] = {
    {"Len", 1, 1,
     [](Args a) {
         return a[0].isNull() ? a[0] : Value(static_cast<std::int32_t>(str(a[0]).size()));
     }},
    {"Left", 2, 2,
     [](Args a) {
         if (a[0].isNull()) return a[0];
         const std::int32_t n = num(a[1]);
         if (n < 0) raise(5);
         return Value(str(a[0]).substr(0, static_cast<std::size_t>(n)));
     }},
    {"Right", 2, 2,
     [](Args a) {
         if (a[0].isNull()) return a[0];
         const std::string s = str(a[0]);
         const std::int32_t n = num(a[1]);
         if (n < 0) raise(5);
         const std::size_t k = std::min(s.size(), static_cast<std::size_t>(n));
         return Value(s.substr(s.size() - k));
     }},
    {"Mid", 2, 3, mid},
    {"InStr", 2, 4,
     [](Args a) {
         // InStr(start, hay, needle[, compare]) or InStr(hay, needle)
         const bool withStart = a.size() > 2;
         const std::int32_t start = withStart ? num(a[0]) : 1;
         const Value& h = a[withStart ? 1 : 0];
         const Value& n = a[withStart ? 2 : 1];
         if (h.isNull() || n.isNull()) return Value::null();
         return Value(find(str(h), str(n), start, textCompare(a, 3)));
     }},
    {"InStrRev", 2, 4,
     [](Args a) {
         if (a[0].isNull() || a[1].isNull()) return Value::null();
         std::string h = str(a[0]), n = str(a[1]);
         const std::int32_t start = a.size() > 2 ? num(a[2]) : -1;
         if (start == 0 || start < -1) raise(5);
         if (textCompare(a, 3)) h = upperCase(h), n = upperCase(n);
         const std::size_t limit = start == -1 ? h.size() : static_cast<std::size_t>(start);
         if (n.size() > limit || limit > h.size())
             return Value(n.size() <= h.size() && limit > h.size() ? 0 : 0);
         const auto p = h.rfind(n, limit - n.size());
         return Value(p == std::string::npos ? 0 : static_cast<std::int32_t>(p + 1));
     }},
    {"Replace", 3, 6, replace},
    {"Split", 1, 4, split},
    {"Join", 1, 2, join},
    {"UCase", 1, 1, [](Args a) { return a[0].isNull() ? a[0] : Value(upperCase(str(a[0]))); }},
    {"LCase", 1, 1, [](Args a) { return a[0].isNull() ? a[0] : Value(lowerCase(str(a[0]))); }},
    {"Trim", 1, 1, [](Args a) { return trimmed(a[0], true, true); }},
    {"LTrim", 1, 1, [](Args a) { return trimmed(a[0], true, false); }},
    {"RTrim", 1, 1, [](Args a) { return trimmed(a[0], false, true); }},
    {"Space", 1, 1,
     [](Args a) {
         const std::int32_t n = num(a[0]);
         checkLength(n);
         return Value(std::string(static_cast<std::size_t>(n), ' '));
     }},
    {"String", 2, 2,
     [](Args a) {
         const std::int32_t n = num(a[0]);
         checkLength(n);
         char c = 0;
         if (a[1].isString()) {
             if (a[1].asString().empty()) raise(5);
             c = a[1].asString()[0];
         } else {
             c = static_cast<char>(num(a[1]) & 0xFF);
         }
         return Value(std::string(static_cast<std::size_t>(n), c));
     }},
    {"StrComp", 2, 3, strComp},
    {"StrReverse", 1, 1,
     [](Args a) {
         std::string s = str(a[0]);
         std::reverse(s.begin(), s.end());
         return Value(std::move(s));
     }},
    {"Asc", 1, 1,
     [](Args a) {
         const std::string s = str(a[0]);
         if (s.empty()) raise(5);
         return Value(static_cast<std::int32_t>(static_cast<unsigned char>(s[0])));
     }},
    {"Chr", 1, 1,
     [](Args a) {
         const std::int32_t c = num(a[0]);
         if (c < 0 || c > 255) raise(5);
         return Value(std::string(1, static_cast<char>(c)));
     }},
    {"CStr", 1, 1,
     [](Args a) {
         if (a[0].isNull()) raise(94, czech("Neplatné použití hodnoty Null"));
         return Value(str(a[0]));
     }},
    {"CInt", 1, 1, [](Args a) { return convertInt(a[0], -32768, 32767); }},
    {"CLng", 1, 1, [](Args a) { return convertInt(a[0], INT32_MIN, INT32_MAX); }},
    {"CByte", 1, 1, [](Args a) { return convertInt(a[0], 0, 255); }},
    {"CDbl", 1, 1,
     [](Args a) {
         if (a[0].isNull()) raise(94, czech("Neplatné použití hodnoty Null"));
         if (a[0].isObject() || a[0].isArray()) raise(13);
         return Value(a[0].toDouble());
     }},
    {"CSng", 1, 1,
     [](Args a) { return Value(static_cast<double>(static_cast<float>(a[0].toDouble()))); }},
    {"CBool", 1, 1,
     [](Args a) {
         if (a[0].isNull()) raise(94, czech("Neplatné použití hodnoty Null"));
         if (a[0].isObject() || a[0].isArray()) raise(13);
         return Value(a[0].toBool());
     }},
    {"CDate", 1, 1, [](Args a) { return a[0].isNull() ? a[0] : Value(toDate(a[0])); }},
    {"CCur", 1, 1, [](Args a) { return Value(a[0].toCurrency()); }},
    {"IsNumeric", 1, 1, [](Args a) { return Value(looksNumeric(a[0])); }},
    {"IsEmpty", 1, 1, [](Args a) { return Value(a[0].isEmpty()); }},
    {"IsNull", 1, 1, [](Args a) { return Value(a[0].isNull()); }},
    {"IsArray", 1, 1, [](Args a) { return Value(a[0].isArray()); }},
    {"IsObject", 1, 1, [](Args a) { return Value(a[0].isObject()); }},
    {"IsDate", 1, 1,
     [](Args a) {
         if (a[0].type() == ValueType::Date) return Value(true);
         double days = 0;
         return Value(a[0].isString() && parseDateText(a[0].asString(), days));
     }},
    {"TypeName", 1, 1, [](Args a) { return typeNameOf(a[0]); }},
    {"VarType", 1, 1, [](Args a) { return varTypeOf(a[0]); }},
    {"Int", 1, 1, [](Args a) { return floorOrTrunc(a[0], true); }},
    {"Fix", 1, 1, [](Args a) { return floorOrTrunc(a[0], false); }},
    {"Abs", 1, 1,
     [](Args a) {
         if (a[0].isNull()) return a[0];
         if (a[0].isEmpty()) return Value(0);
         if (a[0].isInteger())
             return Value::fromInt64(std::abs(static_cast<std::int64_t>(a[0].asInt())));
         return Value(std::fabs(a[0].toDouble()));
     }},
    {"Sgn", 1, 1,
     [](Args a) {
         if (a[0].isNull()) raise(94, czech("Neplatné použití hodnoty Null"));
         const double d = a[0].toDouble();
         return Value(d < 0 ? -1 : d > 0 ? 1 : 0);
     }},
    {"Round", 1, 2, roundValue},
    {"Sqr", 1, 1,
     [](Args a) {
         const double d = a[0].toDouble();
         if (d < 0) raise(5);
         return Value(std::sqrt(d));
     }},
    {"Exp", 1, 1,
     [](Args a) {
         const double r = std::exp(a[0].toDouble());
         if (std::isinf(r)) raise(6);
         return Value(r);
     }},
    {"Log", 1, 1,
     [](Args a) {
         const double d = a[0].toDouble();
         if (d <= 0) raise(5);
         return Value(std::log(d));
     }},
    {"Sin", 1, 1, [](Args a) { return Value(std::sin(a[0].toDouble())); }},
    {"Cos", 1, 1, [](Args a) { return Value(std::cos(a[0].toDouble())); }},
    {"Tan", 1, 1, [](Args a) { return Value(std::tan(a[0].toDouble())); }},
    {"Atn", 1, 1, [](Args a) { return Value(std::atan(a[0].toDouble())); }},
    {"Hex", 1, 1,
     [](Args a) {
         static const char digits[] = "0123456789ABCDEF";
         auto n = static_cast<std::uint32_t>(num(a[0]));
         std::string s;
         do {
             s.insert(s.begin(), digits[n & 15]);
             n >>= 4;
         } while (n);
         return Value(s);
     }},
    {"MsgBox", 1, 5, msgBox},
    {"InputBox", 1, 7, inputBox},
    {"UBound", 1, 2, [](Args a) { return bound(a, true); }},
    {"LBound", 1, 2, [](Args a) { return bound(a, false); }},
    // The arguments are the call's own temporaries: their values move into the array.
    {"Array", 0, 255, makeArray},
    {"Now", 0, 0, [](Args) { return Value(DateTime{nowSerial()}); }},
    {"Date", 0, 0, [](Args) { return Value(DateTime{std::floor(nowSerial())}); }},
    {"Time", 0, 0,
     [](Args) {
         const double n = nowSerial();
         return Value(DateTime{n - std::floor(n)});
     }},
    {"Timer", 0, 0,
     [](Args) {
         const double n = nowSerial();
         return Value((n - std::floor(n)) * 86400.0);
     }},
    {"DateSerial", 3, 3,
     [](Args a) {
         const std::int32_t y = num(a[0]), m = num(a[1]), d = num(a[2]);
         if (y < 100 || y > 9999 || m < -1200 || m > 1200 || d < -100000 || d > 100000) raise(5);
         return Value(DateTime{static_cast<double>(serialFromCivil(y, m, d))});
     }},
    {"TimeSerial", 3, 3,
     [](Args a) {
         const double secs = num(a[0]) * 3600.0 + num(a[1]) * 60.0 + num(a[2]);
         return Value(DateTime{secs / 86400.0});
     }},
    {"DateValue", 1, 1, [](Args a) { return Value(DateTime{std::floor(dateArg(a[0]))}); }},
    {"TimeValue", 1, 1,
     [](Args a) {
         const double d = dateArg(a[0]);
         return Value(DateTime{d - std::floor(d)});
     }},
    {"DateAdd", 3, 3, dateAdd},
    {"DateDiff", 3, 5, dateDiff},
    {"MonthName", 1, 2,
     [](Args a) {
         static const char* const names[] = {"January",   "February", "March",    "April",
                                             "May",       "June",     "July",     "August",
                                             "September", "October",  "November", "December"};
         const std::int32_t m = num(a[0]);
         if (m < 1 || m > 12) raise(5);
         std::string name = names[m - 1];
         if (a.size() > 1 && a[1].toBool()) name.resize(3);
         return Value(name);
     }},
    {"WeekdayName", 1, 2,
     [](Args a) {
         static const char* const names[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                             "Thursday", "Friday", "Saturday"};
         const std::int32_t d = num(a[0]);
         if (d < 1 || d > 7) raise(5);
         std::string name = names[d - 1];
         if (a.size() > 1 && a[1].toBool()) name.resize(3);
         return Value(name);
     }},
    {"Filter", 2, 4, filter},
    {"Rnd", 0, 1,
     [](Args a) {
         const double n = a.empty() ? 1.0 : a[0].toDouble();
         if (n == 0) return Value(static_cast<double>(randomState()) / 16777216.0);
         if (n < 0) {
             randomState() =
                 static_cast<std::uint32_t>(std::fmod(std::fabs(n) * 16777216.0, 16777216.0));
         }
         return Value(nextRandom());
     }},
    {"Randomize", 0, 1,
     [](Args a) {
         const double seed = a.empty() ? nowSerial() * 86400.0 : a[0].toDouble();
         randomState() =
             static_cast<std::uint32_t>(std::fmod(std::fabs(seed), 16777216.0)) & 0xFFFFFFu;
         return Value();
     }},
    {"Year", 1, 1,
     [](Args a) {
         int y, m, d;
         civil(dateArg(a[0]), y, m, d);
         return Value(y);
     }},
    {"Month", 1, 1,
     [](Args a) {
         int y, m, d;
         civil(dateArg(a[0]), y, m, d);
         return Value(m);
     }},
    {"Day", 1, 1,
     [](Args a) {
         int y, m, d;
         civil(dateArg(a[0]), y, m, d);
         return Value(d);
     }},
    {"Weekday", 1, 2,
     [](Args a) {
         const long days = static_cast<long>(std::floor(dateArg(a[0])));
         const std::int32_t sundayBased = static_cast<std::int32_t>(((days % 7) + 7 + 6) % 7);
         // The first day of the week: 1 Sunday (the default) .. 7 Saturday; 0 is the system's
         // own, Monday here.
         std::int32_t first = a.size() > 1 && !a[1].isEmpty() ? num(a[1]) : 1;
         if (first < 0 || first > 7) raise(5);
         if (first == 0) first = 2;
         return Value((sundayBased - (first - 1) + 7) % 7 + 1);
     }},
    {"FormatNumber", 1, 5, formatNumber},
    {"FormatCurrency", 1, 5, formatCurrency},
    {"FormatPercent", 1, 5, formatPercent},
    {"FormatDateTime", 1, 2, formatDateTime},
    {"CreateObject", 1, 2, createObject},
    {"Hour", 1, 1,
     [](Args a) {
         const double t = dateArg(a[0]);
         return Value(
             static_cast<std::int32_t>(std::llround((t - std::floor(t)) * 86400) / 3600 % 24));
     }},
    {"Minute", 1, 1,
     [](Args a) {
         const double t = dateArg(a[0]);
         return Value(
             static_cast<std::int32_t>(std::llround((t - std::floor(t)) * 86400) / 60 % 60));
     }},
    {"Second", 1, 1,
     [](Args a) {
         const double t = dateArg(a[0]);
         return Value(static_cast<std::int32_t>(std::llround((t - std::floor(t)) * 86400) % 60));
     }},
};

struct NamedConst {
    const char* name;
    Value value;
};

const std::vector<NamedConst>& constants() {
    static const std::vector<NamedConst> list = {
        {"vbCrLf", Value("\r\n")},
        {"vbCr", Value("\r")},
        {"vbLf", Value("\n")},
        {"vbNewLine", Value("\r\n")},
        {"vbTab", Value("\t")},
        {"vbNullString", Value("")},
        {"vbNullChar", Value(std::string(1, '\0'))},
        {"vbBinaryCompare", Value(0)},
        {"vbTextCompare", Value(1)},
        {"vbTrue", Value(-1)},
        {"vbFalse", Value(0)},
        {"vbEmpty", Value(0)},
        {"vbNull", Value(1)},
        {"vbInteger", Value(2)},
        {"vbLong", Value(3)},
        {"vbSingle", Value(4)},
        {"vbDouble", Value(5)},
        {"vbCurrency", Value(6)},
        {"vbDate", Value(7)},
        {"vbString", Value(8)},
        {"vbObject", Value(9)},
        {"vbBoolean", Value(11)},
        {"vbVariant", Value(12)},
        {"vbArray", Value(8192)},
        {"vbOKOnly", Value(0)},
        {"vbOKCancel", Value(1)},
        {"vbAbortRetryIgnore", Value(2)},
        {"vbYesNoCancel", Value(3)},
        {"vbYesNo", Value(4)},
        {"vbRetryCancel", Value(5)},
        {"vbCritical", Value(16)},
        {"vbQuestion", Value(32)},
        {"vbExclamation", Value(48)},
        {"vbInformation", Value(64)},
        {"vbDefaultButton1", Value(0)},
        {"vbDefaultButton2", Value(256)},
        {"vbDefaultButton3", Value(512)},
        {"vbOK", Value(1)},
        {"vbCancel", Value(2)},
        {"vbAbort", Value(3)},
        {"vbRetry", Value(4)},
        {"vbIgnore", Value(5)},
        {"vbYes", Value(6)},
        {"vbNo", Value(7)},
        {"vbObjectError", Value(static_cast<std::int32_t>(0x80040000u))},
        {"vbUseDefault", Value(-2)},
        {"vbGeneralDate", Value(0)},
        {"vbLongDate", Value(1)},
        {"vbShortDate", Value(2)},
        {"vbLongTime", Value(3)},
        {"vbShortTime", Value(4)},
        {"vbUseSystemDayOfWeek", Value(0)},
        {"vbSunday", Value(1)},
        {"vbMonday", Value(2)},
        {"vbTuesday", Value(3)},
        {"vbWednesday", Value(4)},
        {"vbThursday", Value(5)},
        {"vbFriday", Value(6)},
        {"vbSaturday", Value(7)},
    };
    return list;
}

} // namespace

DateTime toDateValue(const Value& v) {
    if (v.isString()) {
        double days = 0;
        if (!parseDateText(v.asString(), days)) raise(13);
        return DateTime{days};
    }
    if (v.isObject() || v.isArray()) raise(13);
    return v.toDate();
}

int findBuiltin(std::string_view name) {
    for (std::size_t i = 0; i < std::size(kBuiltins); ++i)
        if (equalsNoCase(name, kBuiltins[i].name)) return static_cast<int>(i);
    return -1;
}

Value callBuiltin(int index, std::span<Value> args) {
    const Builtin& b = kBuiltins[index];
    if (args.size() < b.minArgs || args.size() > b.maxArgs)
        raise(450, errorText(450) + ": '" + b.name + "'");
    return b.fn(args);
}

const Value* findBuiltinConst(std::string_view name) {
    for (const auto& c : constants())
        if (equalsNoCase(name, c.name)) return &c.value;
    return nullptr;
}

} // namespace vorlan::script::basic
