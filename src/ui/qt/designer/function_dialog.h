#pragma once
// "Nastavení parametrů funkce": one user function of a report, its expression built in the
// expression editor. apply() (what OK does) changes the function, or appends a new one.

#include "report/model.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QSpinBox;

namespace vorlan::qt {

class FunctionDialog : public QDialog {
public:
    // `index` -1: a new function.
    FunctionDialog(report::TSestavaTyp& report, int index, QWidget* parent = nullptr);

    report::FunctionDefinition definition() const;
    void apply(report::TSestavaTyp& report) const;
    // Opens the expression editor on the expression; takes its result on OK.
    void editExpression();
    // OK: refused while another function of the report has the same name, since expressions
    // and elements find functions by name.
    void accept() override;

private:
    report::TSestavaTyp& report_;
    int index_;
    QLineEdit* name_ = nullptr;
    QLineEdit* description_ = nullptr;
    QComboBox* type_ = nullptr;
    QLineEdit* expression_ = nullptr;
    QLineEdit* initial_ = nullptr;
    QComboBox* reset_ = nullptr;
    QComboBox* aggregate_ = nullptr;
    QComboBox* format_ = nullptr;
    QSpinBox* width_ = nullptr;
    QSpinBox* decimals_ = nullptr;
};

} // namespace vorlan::qt
