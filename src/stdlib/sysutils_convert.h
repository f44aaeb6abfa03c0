#pragma once
// Numbers to text and back as the standard library converts them: IntToStr, StrToInt and their
// relatives, FloatToStr, StrToFloat (with the format settings' decimal separator), currency and
// Boolean texts. Bad text raises EConvertError with the library's message.

#include "script/value.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vorlan::stdlib {

std::string intToStr(const script::Value& value);
std::string intToHex(const script::Value& value, std::int32_t digits);

// Integer text: optional blanks before it, a sign, decimal digits or hexadecimal after "$" or
// "0x". Nothing when the text is no integer or does not fit.
bool parseInteger(std::string_view text, std::int64_t& out);
std::int32_t strToInt(std::string_view text);
std::int64_t strToInt64(std::string_view text);
std::int32_t strToIntDef(std::string_view text, std::int32_t fallback);
bool tryStrToInt(std::string_view text, std::int32_t& out);

// Floating-point text with the decimal separator of the format settings, blanks around it and
// an optional exponent.
bool parseFloat(std::string_view text, double& out);
double strToFloat(std::string_view text);
double strToFloatDef(std::string_view text, double fallback);
bool tryStrToFloat(std::string_view text, double& out);

std::string floatToStrF(double value, std::int32_t format, std::int32_t precision,
                        std::int32_t digits);
std::string currToStr(script::Currency value);
std::string currToStrF(script::Currency value, std::int32_t format, std::int32_t digits);
std::string formatCurr(std::string_view pattern, script::Currency value);
script::Currency strToCurr(std::string_view text);
script::Currency strToCurrDef(std::string_view text, script::Currency fallback);

std::string boolToStr(bool value, bool useBoolStrs);
bool strToBool(std::string_view text);
bool strToBoolDef(std::string_view text, bool fallback);

} // namespace vorlan::stdlib
