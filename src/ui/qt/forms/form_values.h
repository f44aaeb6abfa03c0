#pragma once
// How stored forms and scripts write the values of control properties, read once for every
// control: colours (clRed, $0000FF, system colours), text alignments, captions with an
// accelerator mark, string lists, Pascal sets and modal results.

#include "script/value.h"

#include <QColor>
#include <QCursor>
#include <QString>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vorlan::forms {

struct NamedColor {
    const char* name;
    unsigned rgb; // as forms store it: $00BBGGRR
};
// The sixteen colours scripts name as constants (clBlack ... clWhite).
std::span<const NamedColor> standardColors();

// A colour of a form (clRed, $00FF00, a system colour) as an RGB value ($00BBGGRR); false for
// clDefault and names it does not know.
bool colorOf(const script::Value& value, unsigned& rgb);
// The same as a Qt colour; `fallback` when colorOf does not know it.
QColor qtColorOf(const script::Value& value, QColor fallback);
QColor qtColor(unsigned bgr);
// A system colour is the platform's own: a widget keeps its palette for it.
bool isSystemColor(const script::Value& value);

// taLeftJustify, taRightJustify, taCenter (or 0, 1, 2) as a horizontal Qt alignment.
Qt::Alignment textAlignmentOf(const script::Value& value);

// "&Soubor" as a label shows it: the accelerator mark is left out, "&&" is one "&".
QString withoutMnemonic(const std::string& caption);

// A string list as a stored form gives it (an array of lines) or a script (a text).
std::vector<std::string> linesOfValue(const script::Value& value);

// A Pascal set as stored ("[fsBold,fsItalic]") or as a script's bit mask (bit i for names[i]),
// as its names.
std::vector<std::string> setNames(const script::Value& value,
                                  std::span<const char* const> names = {});
bool hasName(const std::vector<std::string>& names, std::string_view name);

// mrNone = 0 ... mrYesToAll = 10.
std::span<const char* const> modalResultNames();
// A modal result by name (0 for names it does not know).
int modalResultOf(std::string_view name);

// The Qt cursor of a cursor number (crDefault = 0, crHourGlass = -11 ...); the arrow for numbers
// it does not know.
Qt::CursorShape cursorShapeOf(std::int32_t cursor);

} // namespace vorlan::forms
