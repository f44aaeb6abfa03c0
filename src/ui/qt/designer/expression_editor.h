#pragma once
// "Tvorba výrazu pro výpočet funkce": builds a report expression from lists of what it may
// read (table fields "#", parameters "&", user functions "@", the built-in functions) and
// operator buttons, and checks it with the report's own evaluator.

#include "report/model.h"

#include <QDialog>

#include <string>
#include <vector>

class QCheckBox;
class QLineEdit;
class QListWidget;
class QListWidgetItem;

namespace vorlan::qt {

class ExpressionEditor : public QDialog {
public:
    ExpressionEditor(report::TSestavaTyp& report, const std::string& expression,
                     QWidget* parent = nullptr);

    // Windows-1250.
    std::string expression() const;

    // "Kontrola": evaluates and tells the result.
    void check();
    // "Vložit": the selected entry of the list used last goes in at the cursor.
    void insertSelected();
    // Puts `text` in at the cursor; for a built-in function the cursor ends inside its
    // parentheses.
    void insertText(const QString& text);

    QListWidget* fieldList() const { return fields_; }
    QListWidget* parameterList() const { return parameters_; }
    QListWidget* functionList() const { return functions_; }
    QListWidget* otherList() const { return others_; }
    QLineEdit* editor() const { return expression_; }

private:
    QListWidget* addList(QLayout* row, const char* title, const char* name);
    void insertItem(QListWidgetItem* item);

    report::TSestavaTyp& report_;
    std::vector<std::string> fieldNames_;
    QLineEdit* expression_ = nullptr;
    QListWidget* fields_ = nullptr;
    QListWidget* parameters_ = nullptr;
    QListWidget* functions_ = nullptr;
    QListWidget* others_ = nullptr;
    QListWidget* lastList_ = nullptr;
    QCheckBox* byName_ = nullptr;
};

// The message "Kontrola" shows for an evaluation error (Windows-1250).
std::string expressionCheckMessage(int error, int position);

} // namespace vorlan::qt
