#include "stdlib/format_settings.h"

#include "core/cp1250.h"
#include "script/registry.h"

#include <array>
#include <vector>

namespace vorlan::stdlib {

using script::DeclaredType;
using script::Value;
using script::VarArray;

namespace {

// Czech Windows, as the programs' authors had it.
constexpr std::array<const char*, 12> kShortMonths = {"led", "úno", "bře", "dub", "kvě", "čvn",
                                                      "čvc", "srp", "zář", "říj", "lis", "pro"};
constexpr std::array<const char*, 12> kLongMonths = {"leden",  "únor",   "březen",   "duben",
                                                     "květen", "červen", "červenec", "srpen",
                                                     "září",   "říjen",  "listopad", "prosinec"};
constexpr std::array<const char*, 7> kShortDays = {"ne", "po", "út", "st", "čt", "pá", "so"};
constexpr std::array<const char*, 7> kLongDays = {"neděle",  "pondělí", "úterý", "středa",
                                                  "čtvrtek", "pátek",   "sobota"};

template <std::size_t N> Value nameArray(const std::array<const char*, N>& names) {
    auto array = VarArray::create(1, static_cast<std::int32_t>(N));
    for (std::size_t i = 0; i < N; ++i)
        array->items()[i] = Value(czech(names[i]));
    return Value(array);
}

Value nameArray(const std::vector<std::string>& names) {
    auto array = VarArray::create(1, static_cast<std::int32_t>(names.size()));
    for (std::size_t i = 0; i < names.size(); ++i)
        array->items()[i] = Value(names[i]);
    return Value(array);
}

char firstChar(const Value& v, char fallback) {
    if (v.isString()) return v.asString().empty() ? fallback : v.asString()[0];
    try {
        const std::string s = v.toString();
        return s.empty() ? fallback : s[0];
    } catch (const script::ValueError&) {
        return fallback;
    }
}

std::string text(const Value& v, std::string_view fallback) {
    if (v.isString()) return v.asString();
    try {
        return v.toString();
    } catch (const script::ValueError&) {
        return std::string(fallback);
    }
}

int number(const Value& v, int fallback) {
    try {
        return v.isEmpty() ? fallback : v.toInt();
    } catch (const script::ValueError&) {
        return fallback;
    }
}

// Element `index` (1-based) of a name array; the default when the array lacks it.
template <std::size_t N>
std::string nameOf(const Value& v, int index, const std::array<const char*, N>& defaults) {
    if (index < 1 || index > static_cast<int>(N)) return {};
    // The n-th element whatever the array's bounds: the defaults run 1..12, an array from Basic
    // or JavaScript that a program assigns runs from 0.
    const auto at = static_cast<std::size_t>(index - 1);
    if (v.isArray() && v.asArray()->dimensions() == 1 && at < v.asArray()->items().size() &&
        !v.asArray()->items()[at].isEmpty())
        return text(v.asArray()->items()[at], "");
    return czech(defaults[static_cast<std::size_t>(index - 1)]);
}

struct Variable {
    const char* name;
    Value FormatSettings::*field;
    DeclaredType type;
};

constexpr Variable kVariables[] = {
    {"CurrencyString", &FormatSettings::currencyString, DeclaredType::String},
    {"CurrencyFormat", &FormatSettings::currencyFormat, DeclaredType::Byte},
    {"NegCurrFormat", &FormatSettings::negCurrFormat, DeclaredType::Byte},
    {"CurrencyDecimals", &FormatSettings::currencyDecimals, DeclaredType::Byte},
    {"ThousandSeparator", &FormatSettings::thousandSeparator, DeclaredType::Char},
    {"DecimalSeparator", &FormatSettings::decimalSeparator, DeclaredType::Char},
    {"DateSeparator", &FormatSettings::dateSeparator, DeclaredType::Char},
    {"TimeSeparator", &FormatSettings::timeSeparator, DeclaredType::Char},
    {"ListSeparator", &FormatSettings::listSeparator, DeclaredType::Char},
    {"ShortDateFormat", &FormatSettings::shortDateFormat, DeclaredType::String},
    {"LongDateFormat", &FormatSettings::longDateFormat, DeclaredType::String},
    {"ShortTimeFormat", &FormatSettings::shortTimeFormat, DeclaredType::String},
    {"LongTimeFormat", &FormatSettings::longTimeFormat, DeclaredType::String},
    {"TimeAMString", &FormatSettings::timeAMString, DeclaredType::String},
    {"TimePMString", &FormatSettings::timePMString, DeclaredType::String},
    {"ShortMonthNames", &FormatSettings::shortMonthNames, DeclaredType::Variant},
    {"LongMonthNames", &FormatSettings::longMonthNames, DeclaredType::Variant},
    {"ShortDayNames", &FormatSettings::shortDayNames, DeclaredType::Variant},
    {"LongDayNames", &FormatSettings::longDayNames, DeclaredType::Variant},
    {"TwoDigitYearCenturyWindow", &FormatSettings::twoDigitYearCenturyWindow, DeclaredType::Word},
};

std::vector<std::string> splitList(const std::string& text) {
    std::vector<std::string> items;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        std::string item = text.substr(start, comma - start);
        const auto first = item.find_first_not_of(' ');
        const auto last = item.find_last_not_of(' ');
        items.push_back(first == std::string::npos ? std::string()
                                                   : item.substr(first, last - first + 1));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return items;
}

} // namespace

FormatSettings& formatSettings() {
    static FormatSettings settings;
    return settings;
}

void resetFormatSettings() {
    FormatSettings& s = formatSettings();
    s.currencyString = Value(czech("Kč"));
    s.currencyFormat = Value(3);
    s.negCurrFormat = Value(8);
    s.currencyDecimals = Value(2);
    s.thousandSeparator = Value(" ");
    s.decimalSeparator = Value(",");
    s.dateSeparator = Value(".");
    s.timeSeparator = Value(":");
    s.listSeparator = Value(";");
    s.shortDateFormat = Value("d.M.yyyy");
    s.longDateFormat = Value("d. MMMM yyyy");
    s.shortTimeFormat = Value("h:mm");
    s.longTimeFormat = Value("h:mm:ss");
    s.timeAMString = Value("dop.");
    s.timePMString = Value("odp.");
    s.shortMonthNames = nameArray(kShortMonths);
    s.longMonthNames = nameArray(kLongMonths);
    s.shortDayNames = nameArray(kShortDays);
    s.longDayNames = nameArray(kLongDays);
    s.twoDigitYearCenturyWindow = Value(50);
}

void registerFormatSettings(script::Registry& registry) {
    resetFormatSettings();
    FormatSettings& s = formatSettings();
    for (const Variable& v : kVariables)
        registry.registerVar(v.name, &(s.*(v.field)), v.type);
}

bool applyLocaleSetting(std::string_view name, std::string_view utf8Value) {
    const Variable* variable = nullptr;
    for (const Variable& v : kVariables)
        if (equalsNoCase(v.name, name)) variable = &v;
    if (!variable) return false;
    const std::string value = utf8ToCp1250(utf8Value);
    Value& target = formatSettings().*(variable->field);
    switch (variable->type) {
    case DeclaredType::Char:
        if (value.size() != 1) return false;
        target = Value(value);
        return true;
    case DeclaredType::String:
        target = Value(value);
        return true;
    case DeclaredType::Byte:
    case DeclaredType::Word: {
        if (value.empty() || value.find_first_not_of("0123456789") != std::string::npos ||
            value.size() > 5)
            return false;
        const int n = std::stoi(value);
        if (n > (variable->type == DeclaredType::Byte ? 255 : 65535)) return false;
        target = Value(n);
        return true;
    }
    default: {
        const std::vector<std::string> names = splitList(value);
        const bool months = variable->field == &FormatSettings::shortMonthNames ||
                            variable->field == &FormatSettings::longMonthNames;
        if (names.size() != (months ? 12u : 7u)) return false;
        target = nameArray(names);
        return true;
    }
    }
}

char decimalSeparator() {
    return firstChar(formatSettings().decimalSeparator, ',');
}
char thousandSeparator() {
    return firstChar(formatSettings().thousandSeparator, ' ');
}
char dateSeparator() {
    return firstChar(formatSettings().dateSeparator, '.');
}
char timeSeparator() {
    return firstChar(formatSettings().timeSeparator, ':');
}
std::string currencyString() {
    return text(formatSettings().currencyString, "");
}
int currencyFormat() {
    return number(formatSettings().currencyFormat, 3) & 3;
}
int negCurrFormat() {
    const int n = number(formatSettings().negCurrFormat, 8);
    return n >= 0 && n <= 15 ? n : 8;
}
int currencyDecimals() {
    const int n = number(formatSettings().currencyDecimals, 2);
    return n >= 0 && n <= 18 ? n : 2;
}
std::string shortDateFormat() {
    return text(formatSettings().shortDateFormat, "d.M.yyyy");
}
std::string longDateFormat() {
    return text(formatSettings().longDateFormat, "d. MMMM yyyy");
}
std::string shortTimeFormat() {
    return text(formatSettings().shortTimeFormat, "h:mm");
}
std::string longTimeFormat() {
    return text(formatSettings().longTimeFormat, "h:mm:ss");
}
std::string timeAMString() {
    return text(formatSettings().timeAMString, "dop.");
}
std::string timePMString() {
    return text(formatSettings().timePMString, "odp.");
}
std::string shortMonthName(int month) {
    return nameOf(formatSettings().shortMonthNames, month, kShortMonths);
}
std::string longMonthName(int month) {
    return nameOf(formatSettings().longMonthNames, month, kLongMonths);
}
std::string shortDayName(int day) {
    return nameOf(formatSettings().shortDayNames, day, kShortDays);
}
std::string longDayName(int day) {
    return nameOf(formatSettings().longDayNames, day, kLongDays);
}
int twoDigitYearCenturyWindow() {
    return number(formatSettings().twoDigitYearCenturyWindow, 50);
}

} // namespace vorlan::stdlib
