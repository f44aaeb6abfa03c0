#pragma once
// A plain top-level window that stands in for an output window whose contents are not built
// yet, so the main window can already show and hide it.

#include <QRect>
#include <QWidget>

namespace vorlan::qt {

class PlaceholderWindow : public QWidget {
    Q_OBJECT
public:
    PlaceholderWindow(const QString& objectName, const QString& caption, const QRect& geometry,
                      QWidget* parent = nullptr);
};

// The memo window the runtime creates after the canvas.
PlaceholderWindow* createMemoPlaceholder();

} // namespace vorlan::qt
