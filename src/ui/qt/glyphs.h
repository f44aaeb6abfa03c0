#pragma once
// The small pictures on the runtime's buttons.

#include <QIcon>

namespace vorlan::qt::glyphs {

QIcon openProgram();
QIcon runProgram();
QIcon databaseWindow();
QIcon canvasWindow();
QIcon textWindow();
QIcon exitRuntime();
QIcon about();
QIcon clearText();
QIcon saveText();
QIcon printText();

} // namespace vorlan::qt::glyphs
