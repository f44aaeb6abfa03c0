#include "ui/qt/forms/form_values.h"

#include "core/cp1250.h"
#include "core/text_lines.h"
#include "ui/qt/qt_text.h"

#include <algorithm>
#include <iterator>

namespace vorlan::forms {

using script::Value;

namespace {

constexpr NamedColor kColors[] = {
    {"clBlack", 0x000000},
    {"clMaroon", 0x000080},
    {"clGreen", 0x008000},
    {"clOlive", 0x008080},
    {"clNavy", 0x800000},
    {"clPurple", 0x800080},
    {"clTeal", 0x808000},
    {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF},
    {"clLime", 0x00FF00},
    {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},
    {"clFuchsia", 0xFF00FF},
    {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF},
    // The system colours as a standard desktop shows them.
    {"clBtnFace", 0xC0C0C0},
    {"clWindow", 0xFFFFFF},
    {"clWindowText", 0x000000},
    {"clBtnText", 0x000000},
    {"clHighlight", 0x800000},
    {"clHighlightText", 0xFFFFFF},
    {"clInfoBk", 0xE1FFFF},
    {"clGrayText", 0x808080},
};
constexpr std::size_t kStandardColors = 16;

constexpr const char* kModalResults[] = {"mrNone",  "mrOk",      "mrCancel",  "mrAbort",
                                         "mrRetry", "mrIgnore",  "mrYes",     "mrNo",
                                         "mrAll",   "mrNoToAll", "mrYesToAll"};

} // namespace

std::span<const NamedColor> standardColors() {
    return std::span(kColors).first(kStandardColors);
}

bool colorOf(const Value& value, unsigned& rgb) {
    if (value.isString()) {
        for (const auto& c : kColors)
            if (equalsNoCase(value.asString(), c.name)) {
                rgb = c.rgb;
                return true;
            }
        return false;
    }
    if (!value.isNumeric()) return false;
    const std::int32_t n = value.toInt();
    if (n < 0) return false;
    rgb = static_cast<unsigned>(n) & 0xFFFFFF;
    return true;
}

QColor qtColor(unsigned bgr) {
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

QColor qtColorOf(const Value& value, QColor fallback) {
    unsigned bgr = 0;
    return colorOf(value, bgr) ? qtColor(bgr) : fallback;
}

bool isSystemColor(const Value& value) {
    if (value.isString()) {
        static const char* const system[] = {"clBtnFace", "clWindow", "clWindowText", "clBtnText"};
        return std::any_of(std::begin(system), std::end(system),
                           [&](const char* n) { return equalsNoCase(value.asString(), n); });
    }
    return value.isInteger() && value.asInt() < 0;
}

Qt::Alignment textAlignmentOf(const Value& value) {
    const std::string a = value.isString() ? value.asString() : std::to_string(value.toInt());
    if (equalsNoCase(a, "taRightJustify") || a == "1") return Qt::AlignRight;
    if (equalsNoCase(a, "taCenter") || a == "2") return Qt::AlignHCenter;
    return Qt::AlignLeft;
}

QString withoutMnemonic(const std::string& caption) {
    std::string shown;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&') {
            if (i + 1 < caption.size() && caption[i + 1] == '&') {
                shown += '&';
                ++i;
            }
            continue;
        }
        shown += caption[i];
    }
    return qt::fromEngine(shown);
}

std::vector<std::string> linesOfValue(const Value& value) {
    std::vector<std::string> lines;
    if (value.isArray()) {
        for (const Value& v : value.asArray()->items())
            lines.push_back(v.toString());
        return lines;
    }
    return splitLines(value.toString());
}

std::vector<std::string> setNames(const Value& value, std::span<const char* const> names) {
    std::vector<std::string> out;
    if (value.isString()) {
        std::string item;
        for (char c : value.asString()) {
            if (c == '[' || c == ']' || c == ' ') continue;
            if (c == ',') {
                if (!item.empty()) out.push_back(item);
                item.clear();
            } else {
                item += c;
            }
        }
        if (!item.empty()) out.push_back(item);
        return out;
    }
    const auto mask = static_cast<std::uint32_t>(value.toInt());
    for (std::size_t i = 0; i < names.size() && i < 32; ++i)
        if (mask & (1u << i)) out.emplace_back(names[i]);
    return out;
}

bool hasName(const std::vector<std::string>& names, std::string_view name) {
    return std::any_of(names.begin(), names.end(),
                       [&](const std::string& n) { return equalsNoCase(n, name); });
}

std::span<const char* const> modalResultNames() {
    return kModalResults;
}

int modalResultOf(std::string_view name) {
    for (std::size_t i = 0; i < std::size(kModalResults); ++i)
        if (equalsNoCase(name, kModalResults[i])) return static_cast<int>(i);
    return 0;
}

Qt::CursorShape cursorShapeOf(std::int32_t cursor) {
    switch (cursor) {
    case -1:
        return Qt::BlankCursor;
    case -3:
        return Qt::CrossCursor;
    case -4:
        return Qt::IBeamCursor;
    case -6:
        return Qt::SizeBDiagCursor;
    case -7:
        return Qt::SizeVerCursor;
    case -8:
        return Qt::SizeFDiagCursor;
    case -9:
        return Qt::SizeHorCursor;
    case -10:
        return Qt::UpArrowCursor;
    case -11:
    case -17:
        return Qt::WaitCursor;
    case -12:
        return Qt::DragMoveCursor;
    case -13:
    case -18:
        return Qt::ForbiddenCursor;
    case -14:
        return Qt::SplitHCursor;
    case -15:
        return Qt::SplitVCursor;
    case -16:
        return Qt::DragCopyCursor;
    case -19:
        return Qt::BusyCursor;
    case -20:
        return Qt::WhatsThisCursor;
    case -21:
        return Qt::PointingHandCursor;
    case -22:
        return Qt::SizeAllCursor;
    default:
        return Qt::ArrowCursor;
    }
}

} // namespace vorlan::forms
