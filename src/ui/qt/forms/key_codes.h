#pragma once
// Key codes as scripts know them (VK_RETURN = 13, letters and digits as their upper-case
// character code, F1 = 112 ...) and the Qt keys they stand for.

#include <QKeySequence>

#include <cstdint>

class QKeyEvent;

namespace vorlan::forms {

// The key code (VK_...) scripts see for a key, 0 for keys without one.
std::int32_t virtualKeyOf(const QKeyEvent& key);
// The shift state as the set [ssShift, ssAlt, ssCtrl] held in bits 0 to 2.
std::int32_t shiftStateOf(Qt::KeyboardModifiers modifiers);
// A menu shortcut as forms store it: the key code with Shift $2000, Ctrl $4000, Alt $8000.
QKeySequence keySequenceOf(std::int32_t shortCut);

} // namespace vorlan::forms
