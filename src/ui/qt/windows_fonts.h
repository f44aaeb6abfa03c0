#pragma once
// Fonts that programs, forms and report templates name by their Windows names ("Arial CE",
// "Times New Roman", "Courier New", "MS Sans Serif" ...), drawn with families this machine has.
// The metric-compatible families come first, so that a text measured for the Windows font fits
// the same box; " CE" names are the same families with the Central European letters, which the
// fonts here hold anyway. Names that are not in the table stay as they are.

#include <QFont>
#include <QString>
#include <QStringList>

namespace vorlan::qt {

// The families to try for a font name, best first; the name itself (without " CE") comes last.
QStringList windowsFontFamilies(const QString& name);

// A font for a Windows font name: the families above and the style hint of its kind, so that
// even without any substitute a fixed-pitch name still gets a fixed-pitch font.
QFont windowsFont(const QString& name);

} // namespace vorlan::qt
