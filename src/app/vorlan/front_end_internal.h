#pragma once
// Inside the front end library: the runtime with the desktop from the start, and what the
// library's headless start shares with it.

#include "app/vorlan/command_line.h"
#include "app/vorlan/front_end.h"

#include <QString>
#include <QtGlobal>

namespace vorlan::app {

int runWithDesktop(int& argc, char** argv, const CommandLine& commandLine, FrontEnd& frontEnd);

// Headless runs are read by scripts: Qt's own notes get a prefix so they cannot be mistaken
// for the runtime's dialog lines, and the platform's remark about a missing runtime folder
// (normal on servers) and its notes on window operations it cannot do are dropped.
void headlessQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& message);

} // namespace vorlan::app
