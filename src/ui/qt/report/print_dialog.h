#pragma once
// The print dialog of reports ("Tisk sestavy"): the printer with its type and place, its
// properties, printing to a file; the page range, copies, the current page or one record only;
// the template with its description. Groups the caller hides give their room back.

#include "ui/qt/report/print_dialog_options.h"

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace vorlan::report {
class TSestava;
}

namespace vorlan::qt {

class ComboBoxPredloha;
class ComboBoxPrinter;

class SestPrintDlg : public QDialog {
public:
    // Filled from `options`; `report` (may be null) gives the template list its report.
    SestPrintDlg(const PrintDialogTyp& options, report::TSestava* report,
                 QWidget* parent = nullptr);

    // The user's choice, valid after a non-cancelled answer.
    PrintDialogResult answer() const { return answer_; }
    // Copies what the dialog shows into `options`.
    void store(PrintDialogTyp& options) const;

    ComboBoxPrinter* printers() const { return printers_; }
    ComboBoxPredloha* templates() const { return templates_; }
    QGroupBox* printerGroup() const { return printerGroup_; }
    QGroupBox* rangeGroup() const { return rangeGroup_; }
    QGroupBox* templateGroup() const { return templateGroup_; }
    QLabel* printerType() const { return type_; }
    QLabel* printerLocation() const { return location_; }

    // Presses one of the dialog's answer buttons.
    void press(PrintDialogResult result);

private:
    void printerChanged();
    void showProperties();
    void layOutGroups();

    PrintDialogResult answer_ = PrintDialogResult::Cancelled;
    ComboBoxPrinter* printers_ = nullptr;
    QLabel* type_ = nullptr;
    QLabel* location_ = nullptr;
    QPushButton* properties_ = nullptr;
    QCheckBox* toFile_ = nullptr;
    QPushButton* print_ = nullptr;
    // "Tisknout do souboru" as the user left it while a printer was selected.
    bool fileChosen_ = false;
    QSpinBox* from_ = nullptr;
    QSpinBox* to_ = nullptr;
    QSpinBox* copies_ = nullptr;
    QCheckBox* currentPage_ = nullptr;
    QCheckBox* oneRecord_ = nullptr;
    ComboBoxPredloha* templates_ = nullptr;
    QPushButton* edit_ = nullptr;
    QCheckBox* setDefault_ = nullptr;
    QGroupBox* printerGroup_ = nullptr;
    QGroupBox* rangeGroup_ = nullptr;
    QGroupBox* templateGroup_ = nullptr;
    QWidget* buttons_ = nullptr;
};

// TPrintDialogTyp's Execute: shows the dialog modally; on an answer other than Cancelled the
// chosen values are copied back into `options`.
PrintDialogResult executePrintDialog(PrintDialogTyp& options, report::TSestava* report = nullptr,
                                     QWidget* parent = nullptr);

} // namespace vorlan::qt
