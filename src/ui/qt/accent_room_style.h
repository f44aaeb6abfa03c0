#pragma once
// Rows of lists, trees and list views as tall as Czech capitals need: Qt makes a row as high as
// the font's ascent and descent, and in common fonts the caron of "Č", "Ř" or "Š" reaches above
// the ascent, so the row cut it off at its top edge.

class QApplication;

namespace vorlan::qt {

// Gives the application a style that keeps the application's look and adds the room.
void installAccentRoomStyle(QApplication& application);

} // namespace vorlan::qt
