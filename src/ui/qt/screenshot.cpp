#include "ui/qt/screenshot.h"

#include <QApplication>
#include <QFileInfo>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace vorlan::qt {

namespace {

QWidget* windowToGrab(const QString& name) {
    const auto windows = QApplication::topLevelWidgets();
    if (!name.isEmpty()) {
        for (QWidget* window : windows)
            if (window->objectName() == name && window->isVisible()) return window;
        return nullptr;
    }
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    if (QWidget* active = QApplication::activeWindow()) return active;
    for (QWidget* window : windows)
        if (window->isVisible() && window->isWindow()) return window;
    return nullptr;
}

[[noreturn]] void takeAndExit(const QString& file, const QString& name) {
    QPixmap picture;
    if (name == QStringLiteral("screen")) {
        if (QScreen* screen = QApplication::primaryScreen()) picture = screen->grabWindow(0);
    } else if (QWidget* window = windowToGrab(name)) {
        picture = window->grab();
    }
    const bool saved = !picture.isNull() && picture.save(file, "PNG");
    std::cerr << (saved ? "[screenshot] " : "[screenshot] failed: ") << file.toStdString()
              << std::endl;
    // The program may be deep inside a dialog or its run; leaving through the event loops
    // could wait for a person. Nothing of the runtime needs to be written back at this point.
    std::fflush(nullptr);
    std::_Exit(saved ? 0 : 1);
}

} // namespace

bool installScreenshotFromEnvironment() {
    const QString given = qEnvironmentVariable("VORLAN_SCREENSHOT");
    if (given.isEmpty()) return false;
    // Relative to where the runtime was started: it moves to the program's folder later.
    const QString file = QFileInfo(given).absoluteFilePath();
    bool ok = false;
    int delay = qEnvironmentVariableIntValue("VORLAN_SCREENSHOT_DELAY_MS", &ok);
    if (!ok || delay < 0) delay = 1500;
    const QString name = qEnvironmentVariable("VORLAN_SCREENSHOT_WINDOW");
    QTimer::singleShot(delay, qApp, [file, name] { takeAndExit(file, name); });
    return true;
}

} // namespace vorlan::qt
