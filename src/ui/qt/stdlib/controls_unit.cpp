// CONTROLS: cursors, alignments, mouse buttons, shift states and key codes.
#include "ui/qt/stdlib/application.h"
#include "ui/qt/stdlib/constant_table.h"
#include "ui/qt/stdlib/units.h"

namespace vorlan::stdlib {

namespace {

constexpr IntConstant kConstants[] = {
    // Align, as controls answer it.
    {"alNone", 0},
    {"alTop", 1},
    {"alBottom", 2},
    {"alLeft", 3},
    {"alRight", 4},
    {"alClient", 5},
    // TMouseButton.
    {"mbLeft", 0},
    {"mbRight", 1},
    {"mbMiddle", 2},
    // TShiftState elements (bit numbers, as in the Shift argument of key and mouse events).
    {"ssShift", 0},
    {"ssAlt", 1},
    {"ssCtrl", 2},
    {"ssLeft", 3},
    {"ssRight", 4},
    {"ssMiddle", 5},
    {"ssDouble", 6},
    // Key codes.
    {"VK_LBUTTON", 1},
    {"VK_RBUTTON", 2},
    {"VK_CANCEL", 3},
    {"VK_MBUTTON", 4},
    {"VK_BACK", 8},
    {"VK_TAB", 9},
    {"VK_CLEAR", 12},
    {"VK_RETURN", 13},
    {"VK_SHIFT", 16},
    {"VK_CONTROL", 17},
    {"VK_MENU", 18},
    {"VK_PAUSE", 19},
    {"VK_CAPITAL", 20},
    {"VK_ESCAPE", 27},
    {"VK_SPACE", 32},
    {"VK_PRIOR", 33},
    {"VK_NEXT", 34},
    {"VK_END", 35},
    {"VK_HOME", 36},
    {"VK_LEFT", 37},
    {"VK_UP", 38},
    {"VK_RIGHT", 39},
    {"VK_DOWN", 40},
    {"VK_SELECT", 41},
    {"VK_PRINT", 42},
    {"VK_EXECUTE", 43},
    {"VK_SNAPSHOT", 44},
    {"VK_INSERT", 45},
    {"VK_DELETE", 46},
    {"VK_HELP", 47},
    {"VK_LWIN", 91},
    {"VK_RWIN", 92},
    {"VK_APPS", 93},
    {"VK_NUMPAD0", 96},
    {"VK_NUMPAD1", 97},
    {"VK_NUMPAD2", 98},
    {"VK_NUMPAD3", 99},
    {"VK_NUMPAD4", 100},
    {"VK_NUMPAD5", 101},
    {"VK_NUMPAD6", 102},
    {"VK_NUMPAD7", 103},
    {"VK_NUMPAD8", 104},
    {"VK_NUMPAD9", 105},
    {"VK_MULTIPLY", 106},
    {"VK_ADD", 107},
    {"VK_SEPARATOR", 108},
    {"VK_SUBTRACT", 109},
    {"VK_DECIMAL", 110},
    {"VK_DIVIDE", 111},
    {"VK_F1", 112},
    {"VK_F2", 113},
    {"VK_F3", 114},
    {"VK_F4", 115},
    {"VK_F5", 116},
    {"VK_F6", 117},
    {"VK_F7", 118},
    {"VK_F8", 119},
    {"VK_F9", 120},
    {"VK_F10", 121},
    {"VK_F11", 122},
    {"VK_F12", 123},
    {"VK_F13", 124},
    {"VK_F14", 125},
    {"VK_F15", 126},
    {"VK_F16", 127},
    {"VK_F17", 128},
    {"VK_F18", 129},
    {"VK_F19", 130},
    {"VK_F20", 131},
    {"VK_F21", 132},
    {"VK_F22", 133},
    {"VK_F23", 134},
    {"VK_F24", 135},
    {"VK_NUMLOCK", 144},
    {"VK_SCROLL", 145},
};

// Stored forms keep these as identifiers, and the form layer reads them by name.
constexpr const char* kNames[] = {
    "taLeftJustify", "taRightJustify", "taCenter", "bvNone", "bvLowered", "bvRaised", "bvSpace",
};

} // namespace

void registerControlsUnit(script::Registry& reg) {
    registerIntConstants(reg, cursorConstants());
    registerIntConstants(reg, kConstants);
    registerNameConstants(reg, kNames);
}

} // namespace vorlan::stdlib
