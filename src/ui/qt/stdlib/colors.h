#pragma once
// TColor as scripts know it: $00BBGGRR, red in the low byte. Values with the high bit set are
// the desktop's system colours (clBtnFace = $8000000F ...), which take the colours of the Qt
// palette when they are drawn; clNone and clDefault mean "no colour of its own".

#include "script/value.h"
#include "ui/qt/stdlib/constant_table.h"

#include <QColor>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vorlan::stdlib {

constexpr std::int32_t kSystemColorBit = static_cast<std::int32_t>(0x80000000u);
constexpr std::int32_t kColorNone = 0x1FFFFFFF;
constexpr std::int32_t kColorDefault = 0x20000000;

// Every colour name the graphics unit knows, the standard sixteen first.
std::span<const IntConstant> colorNames();

// The value of a colour name ("clRed", any letter case); nullopt for other text.
std::optional<std::int32_t> colorOfName(std::string_view name);

// A colour as a script hands it over: a number, a name, or a number written as text ("$FF",
// "255"). Throws ScriptException for text that is neither.
std::int32_t colorOfValue(const script::Value& value);

// ColorToString: the name when the colour has one, "$00BBGGRR" otherwise.
std::string colorToString(std::int32_t color);
// StringToColor: a name or a number; throws ScriptException for anything else.
std::int32_t stringToColor(std::string_view text);

// ColorToRGB: system colours become the palette's colours, the rest keep their RGB part.
std::int32_t colorToRgb(std::int32_t color);
QColor qtColorOf(std::int32_t color);

} // namespace vorlan::stdlib
