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
    const bool anyPrinter = !printers_.isEmpty();
    PrinterEntry pdf;
    pdf.name = QString::fromUtf8("PDF soubor");
    pdf.type = QString::fromUtf8("Dokument PDF");
    pdf.location = QString::fromUtf8("soubor, který zvolíte");
    pdf.pdf = true;
    printers_.push_back(pdf);
    for (const PrinterEntry& printer : printers_)
        addItem(printer.name);
    setCurrentIndex(anyPrinter ? std::max(0, defaultIndex()) : count() - 1);
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
