#include "ui/qt/placeholder_window.h"

namespace vorlan::qt {

PlaceholderWindow::PlaceholderWindow(const QString& objectName, const QString& caption,
                                     const QRect& geometry, QWidget* parent)
    : QWidget(parent, Qt::Window) {
    setObjectName(objectName);
    setWindowTitle(caption);
    move(geometry.topLeft());
    resize(geometry.size());
}

PlaceholderWindow* createMemoPlaceholder() {
    return new PlaceholderWindow(QStringLiteral("DbfMemo"), QStringLiteral("DbfMemo"),
                                 QRect(420, 279, 375, 115));
}

} // namespace vorlan::qt
