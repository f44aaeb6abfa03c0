#include "ui/qt/stdlib/colors.h"

#include "core/cp1250.h"
#include "script/dispatch.h"

#include <QApplication>
#include <QPalette>

#include <array>
#include <cstdio>

namespace vorlan::stdlib {

namespace {

constexpr std::int32_t sys(int index) {
    return kSystemColorBit | index;
}

constexpr IntConstant kColors[] = {
    {"clBlack", 0x000000},        {"clMaroon", 0x000080},
    {"clGreen", 0x008000},        {"clOlive", 0x008080},
    {"clNavy", 0x800000},         {"clPurple", 0x800080},
    {"clTeal", 0x808000},         {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},       {"clRed", 0x0000FF},
    {"clLime", 0x00FF00},         {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},         {"clFuchsia", 0xFF00FF},
    {"clAqua", 0xFFFF00},         {"clWhite", 0xFFFFFF},
    {"clLtGray", 0xC0C0C0},       {"clDkGray", 0x808080},
    {"clMoneyGreen", 0xC0DCC0},   {"clSkyBlue", 0xF0CAA6},
    {"clCream", 0xF0FBFF},        {"clMedGray", 0xA4A0A0},
    {"clScrollBar", sys(0)},      {"clBackground", sys(1)},
    {"clActiveCaption", sys(2)},  {"clInactiveCaption", sys(3)},
    {"clMenu", sys(4)},           {"clWindow", sys(5)},
    {"clWindowFrame", sys(6)},    {"clMenuText", sys(7)},
    {"clWindowText", sys(8)},     {"clCaptionText", sys(9)},
    {"clActiveBorder", sys(10)},  {"clInactiveBorder", sys(11)},
    {"clAppWorkSpace", sys(12)},  {"clHighlight", sys(13)},
    {"clHighlightText", sys(14)}, {"clBtnFace", sys(15)},
    {"clBtnShadow", sys(16)},     {"clGrayText", sys(17)},
    {"clBtnText", sys(18)},       {"clInactiveCaptionText", sys(19)},
    {"clBtnHighlight", sys(20)},  {"cl3DDkShadow", sys(21)},
    {"cl3DLight", sys(22)},       {"clInfoText", sys(23)},
    {"clInfoBk", sys(24)},        {"clNone", kColorNone},
    {"clDefault", kColorDefault},
};

struct PaletteEntry {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// The palette colour that plays the part of each system colour, by its index.
constexpr std::array<PaletteEntry, 25> kSystemColors{{
    {QPalette::Active, QPalette::Button},          // scroll bar
    {QPalette::Active, QPalette::Dark},            // desktop background
    {QPalette::Active, QPalette::Highlight},       // active caption
    {QPalette::Inactive, QPalette::Mid},           // inactive caption
    {QPalette::Active, QPalette::Window},          // menu
    {QPalette::Active, QPalette::Base},            // window
    {QPalette::Active, QPalette::Shadow},          // window frame
    {QPalette::Active, QPalette::WindowText},      // menu text
    {QPalette::Active, QPalette::Text},            // window text
    {QPalette::Active, QPalette::HighlightedText}, // caption text
    {QPalette::Active, QPalette::Window},          // active border
    {QPalette::Inactive, QPalette::Window},        // inactive border
    {QPalette::Active, QPalette::Dark},            // application work space
    {QPalette::Active, QPalette::Highlight},       // highlight
    {QPalette::Active, QPalette::HighlightedText}, // highlighted text
    {QPalette::Active, QPalette::Button},          // button face
    {QPalette::Active, QPalette::Dark},            // button shadow
    {QPalette::Disabled, QPalette::Text},          // grey text
    {QPalette::Active, QPalette::ButtonText},      // button text
    {QPalette::Disabled, QPalette::WindowText},    // inactive caption text
    {QPalette::Active, QPalette::Light},           // button highlight
    {QPalette::Active, QPalette::Shadow},          // 3-D dark shadow
    {QPalette::Active, QPalette::Midlight},        // 3-D light
    {QPalette::Active, QPalette::ToolTipText},     // tool tip text
    {QPalette::Active, QPalette::ToolTipBase},     // tool tip background
}};

std::int32_t bgrOf(const QColor& c) {
    return c.red() | c.green() << 8 | c.blue() << 16;
}

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// StrToInt's reading of a number: decimal with a sign, or hexadecimal after "$" or "0x".
std::optional<std::int32_t> integerOf(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (!text.empty() && text.front() == '$') {
        base = 16;
        text.remove_prefix(1);
    } else if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) return std::nullopt;
    std::int64_t n = 0;
    for (char c : text) {
        if (base == 10 ? (c < '0' || c > '9') : !isHexDigit(c)) return std::nullopt;
        const int digit = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
        n = n * base + digit;
        // Hexadecimal covers the full 32 bits ($80000000 is a system colour).
        if (n > (base == 16 ? 0xFFFFFFFFll : 0x80000000ll)) return std::nullopt;
    }
    if (negative) n = -n;
    if (base == 10 && n > 0x7FFFFFFFll) return std::nullopt;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(n));
}

} // namespace

std::span<const IntConstant> colorNames() {
    return kColors;
}

std::optional<std::int32_t> colorOfName(std::string_view name) {
    for (const IntConstant& c : kColors)
        if (equalsNoCase(c.name, name)) return c.value;
    return std::nullopt;
}

std::int32_t stringToColor(std::string_view text) {
    if (auto named = colorOfName(text)) return *named;
    if (auto number = integerOf(text)) return *number;
    throw script::ScriptException("'" + std::string(text) + czech("' není platná barva"));
}

std::int32_t colorOfValue(const script::Value& value) {
    if (value.isString()) return stringToColor(value.asString());
    return value.toInt();
}

std::string colorToString(std::int32_t color) {
    for (const IntConstant& c : kColors)
        if (c.value == color) return c.name;
    char text[16];
    std::snprintf(text, sizeof text, "$%.8X", static_cast<unsigned>(color));
    return text;
}

std::int32_t colorToRgb(std::int32_t color) {
    if ((color & kSystemColorBit) == 0) return color;
    const auto index = static_cast<std::size_t>(color & 0xFF);
    if (index >= kSystemColors.size()) return 0;
    const PaletteEntry& entry = kSystemColors[index];
    return bgrOf(QApplication::palette().color(entry.group, entry.role));
}

QColor qtColorOf(std::int32_t color) {
    const auto bgr = static_cast<std::uint32_t>(colorToRgb(color));
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

} // namespace vorlan::stdlib
