#include "ui/qt/report/printer_combo.h"

#include <QPrinterInfo>

namespace vorlan::qt {

namespace {

const QList<PrinterEntry>* testPrinters = nullptr;

} // namespace

QList<PrinterEntry> installedPrinters() {
    if (testPrinters) return *testPrinters;
    QList<PrinterEntry> list;
    const QString defaultName = QPrinterInfo::defaultPrinterName();
    for (const QPrinterInfo& info : QPrinterInfo::availablePrinters()) {
        PrinterEntry entry;
        entry.name = info.printerName();
        entry.type = info.makeAndModel();
        entry.location = info.location();
        entry.isDefault = entry.name == defaultName;
        list.push_back(entry);
    }
    return list;
}

void setInstalledPrintersForTesting(const QList<PrinterEntry>* printers) {
    testPrinters = printers;
}

ComboBoxPrinter::ComboBoxPrinter(QWidget* parent) : QComboBox(parent) {
    setObjectName(QStringLiteral("TComboBoxPrinter"));
    fill();
}

void ComboBoxPrinter::fill() {
    clear();
    printers_ = installedPrinters();
    for (const PrinterEntry& printer : printers_)
        addItem(printer.name);
    setCurrentIndex(std::max(0, defaultIndex()));
    if (printers_.isEmpty()) setCurrentIndex(-1);
}

const PrinterEntry* ComboBoxPrinter::selectedPrinter() const {
    const int index = currentIndex();
    return index >= 0 && index < printers_.size() ? &printers_[index] : nullptr;
}

int ComboBoxPrinter::defaultIndex() const {
    for (int i = 0; i < printers_.size(); ++i)
        if (printers_[i].isDefault) return i;
    return -1;
}

} // namespace vorlan::qt
