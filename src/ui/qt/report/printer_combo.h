#pragma once
// The installed printers of the platform's print system in a combo box, with what the print
// dialog shows of the selected one: its type (make and model) and where it is. A PDF file is
// always offered last, so that a desktop without a printer can still print.

#include <QComboBox>
#include <QStringList>

namespace vorlan::qt {

// One installed printer as the dialogs show it.
struct PrinterEntry {
    QString name;
    QString type;
    QString location;
    bool isDefault = false;
    // Not a printer: pages go to a PDF file the user names.
    bool pdf = false;
};

// The printers of the print system, in its order. Tests install their own list.
QList<PrinterEntry> installedPrinters();
void setInstalledPrintersForTesting(const QList<PrinterEntry>* printers);

class ComboBoxPrinter : public QComboBox {
public:
    explicit ComboBoxPrinter(QWidget* parent = nullptr);
    // Lists the printers again, then the "PDF soubor" destination that is always there, and
    // selects the default printer (the first one without a default; the PDF file without any).
    void fill();
    const PrinterEntry* selectedPrinter() const;
    // The index of the default printer, -1 when there is none.
    int defaultIndex() const;

private:
    QList<PrinterEntry> printers_;
};

} // namespace vorlan::qt
