#include "ui/qt/dialog_folder.h"

#include <QCoreApplication>
#include <QDir>

namespace vorlan::qt {

QString defaultDialogFolder() {
    const QString current = QDir::currentPath();
    if (current == QDir::rootPath() || current == QCoreApplication::applicationDirPath())
        return QDir::homePath();
    return current;
}

} // namespace vorlan::qt
