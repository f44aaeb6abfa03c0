#include "ui/qt/forms/key_codes.h"

#include <QKeyEvent>

#include <utility>

namespace vorlan::forms {

namespace {

// Keys that are neither letters, digits nor function keys, both ways.
constexpr std::pair<std::int32_t, int> kKeys[] = {
    {8, Qt::Key_Backspace}, {9, Qt::Key_Tab},     {13, Qt::Key_Return},   {27, Qt::Key_Escape},
    {32, Qt::Key_Space},    {33, Qt::Key_PageUp}, {34, Qt::Key_PageDown}, {35, Qt::Key_End},
    {36, Qt::Key_Home},     {37, Qt::Key_Left},   {38, Qt::Key_Up},       {39, Qt::Key_Right},
    {40, Qt::Key_Down},     {45, Qt::Key_Insert}, {46, Qt::Key_Delete},
};

// Keys that only have a code when pressed, never in a shortcut.
constexpr std::pair<std::int32_t, int> kPressedOnly[] = {
    {9, Qt::Key_Backtab},  {13, Qt::Key_Enter}, {16, Qt::Key_Shift},
    {17, Qt::Key_Control}, {18, Qt::Key_Alt},
};

constexpr std::int32_t kF1 = 112;
constexpr int kFunctionKeys = 24;

} // namespace

std::int32_t virtualKeyOf(const QKeyEvent& key) {
    const int k = key.key();
    if ((k >= Qt::Key_A && k <= Qt::Key_Z) || (k >= Qt::Key_0 && k <= Qt::Key_9)) return k;
    if (k >= Qt::Key_F1 && k < Qt::Key_F1 + kFunctionKeys) return kF1 + (k - Qt::Key_F1);
    for (const auto& [vk, qtKey] : kKeys)
        if (qtKey == k) return vk;
    for (const auto& [vk, qtKey] : kPressedOnly)
        if (qtKey == k) return vk;
    return 0;
}

std::int32_t shiftStateOf(Qt::KeyboardModifiers modifiers) {
    std::int32_t state = 0;
    if (modifiers & Qt::ShiftModifier) state |= 1;
    if (modifiers & Qt::AltModifier) state |= 2;
    if (modifiers & Qt::ControlModifier) state |= 4;
    return state;
}

QKeySequence keySequenceOf(std::int32_t shortCut) {
    const std::int32_t code = shortCut & 0xFF;
    int key = 0;
    if ((code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9'))
        key = code;
    else if (code >= kF1 && code < kF1 + kFunctionKeys)
        key = Qt::Key_F1 + (code - kF1);
    else
        for (const auto& [vk, qtKey] : kKeys)
            if (vk == code) key = qtKey;
    if (key == 0) return {};
    int modifiers = 0;
    if (shortCut & 0x2000) modifiers |= Qt::SHIFT;
    if (shortCut & 0x4000) modifiers |= Qt::CTRL;
    if (shortCut & 0x8000) modifiers |= Qt::ALT;
    return QKeySequence(key | modifiers);
}

} // namespace vorlan::forms
