#pragma once
// The format settings of the standard library: global variables that scripts read and assign
// (DecimalSeparator, ShortDateFormat, LongMonthNames ...), with the defaults of Czech Windows,
// where the programs were written: decimal comma, blank between thousands, "d.M.yyyy", "Kč" and
// Czech month and day names. The runtime's settings file may override them ([Locale]).
//
// The conversion routines read the variables on every call, so a program that assigns one sees
// the effect at once. The engine's own number-to-text rule (Value::toString) does not use them.

#include "script/value.h"

#include <string>
#include <string_view>

namespace vorlan::script {
class Registry;
}

namespace vorlan::stdlib {

// The variables themselves, as scripts hold them.
struct FormatSettings {
    script::Value currencyString;
    script::Value currencyFormat; // 0 "Kč1", 1 "1Kč", 2 "Kč 1", 3 "1 Kč"
    script::Value negCurrFormat;  // 0..15 as in the platform's documentation
    script::Value currencyDecimals;
    script::Value thousandSeparator;
    script::Value decimalSeparator;
    script::Value dateSeparator;
    script::Value timeSeparator;
    script::Value listSeparator;
    script::Value shortDateFormat;
    script::Value longDateFormat;
    script::Value shortTimeFormat;
    script::Value longTimeFormat;
    script::Value timeAMString;
    script::Value timePMString;
    script::Value shortMonthNames; // arrays 1..12
    script::Value longMonthNames;
    script::Value shortDayNames; // arrays 1..7, Sunday first
    script::Value longDayNames;
    script::Value twoDigitYearCenturyWindow;
};

FormatSettings& formatSettings();
// Puts the Czech defaults back.
void resetFormatSettings();
// Registers the variables (and resets them to the defaults).
void registerFormatSettings(script::Registry& registry);

// One entry of the settings file's [Locale] group: the variable's name and its value in UTF-8
// (month and day names as a comma-separated list). False for an unknown name or a value that
// does not fit the variable (an empty separator, a list of the wrong length).
bool applyLocaleSetting(std::string_view name, std::string_view utf8Value);

// Typed reading for the routines. A variable a script has spoiled (an empty separator, a month
// array too short) reads as its default.
char decimalSeparator();
char thousandSeparator();
char dateSeparator();
char timeSeparator();
std::string currencyString();
int currencyFormat();
int negCurrFormat();
int currencyDecimals();
std::string shortDateFormat();
std::string longDateFormat();
std::string shortTimeFormat();
std::string longTimeFormat();
std::string timeAMString();
std::string timePMString();
std::string shortMonthName(int month); // 1..12
std::string longMonthName(int month);
std::string shortDayName(int day); // 1 Sunday .. 7 Saturday
std::string longDayName(int day);
int twoDigitYearCenturyWindow();

} // namespace vorlan::stdlib
