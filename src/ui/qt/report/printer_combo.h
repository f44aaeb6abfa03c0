#pragma once
// The installed printers of the platform's print system in a combo box, with what the print
// dialog shows of the selected one: its type (make and model) and where it is.

#include <QComboBox>
#include <QStringList>

namespace vorlan::qt {

// One installed printer as the dialogs show it.
struct PrinterEntry {
    QString name;
    QString type;
    QString location;
    bool isDefault = false;
};

// The printers of the print system, in its order. Tests install their own list.
QList<PrinterEntry> installedPrinters();
void setInstalledPrintersForTesting(const QList<PrinterEntry>* printers);

class ComboBoxPrinter : public QComboBox {
public:
    explicit ComboBoxPrinter(QWidget* parent = nullptr);
    // Lists the printers again and selects the default one.
    void fill();
    const PrinterEntry* selectedPrinter() const;
    // The index of the default printer, -1 when there is none.
    int defaultIndex() const;

private:
    QList<PrinterEntry> printers_;
};

} // namespace vorlan::qt
