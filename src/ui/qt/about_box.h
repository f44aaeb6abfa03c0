#pragma once
// "Informace o programu": product, version and who to ask.

#include <QDialog>

namespace vorlan::qt {

class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget* parent = nullptr);

    // The version line as shown, "Verze " and the runtime's version text.
    static QString versionLine();
};

// Shows a fresh about box modally (nothing in headless mode, where nobody could close it).
void showAboutBox(QWidget* parent);

} // namespace vorlan::qt
