#pragma once
// The application object of the desktop, whose event handlers end at the last catcher.

#include "core/last_catcher.h"

#include <QApplication>

namespace vorlan::qt {

using vorlan::appException;
using vorlan::guarded;
using vorlan::shownAppExceptions;

// The application object: exceptions escaping an event handler reach appException instead of
// unwinding through Qt.
class Application : public QApplication {
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace vorlan::qt
