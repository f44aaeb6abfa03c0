#pragma once
// The database window's dialogs: a few labelled lines checked before the dialog closes (filter,
// seek, new index) and the field list of a new or changed table. They only ask; what is done
// with the answers, and why an answer cannot be taken, is the work areas' business: the check
// given to a dialog runs when the user presses OK, and a Czech reason it answers stays shown in
// the dialog, which stays open for another try.

#include "data/table_structure.h"

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QTableWidget;

namespace vorlan::qt {

// One line of a LinesDialog: its label, its starting text (Windows-1250) and the widget's name.
struct LineSpec {
    QString label;
    std::string value;
    QString objectName;
};

using LinesCheck = std::function<std::string(const std::vector<std::string>& values)>;

class LinesDialog : public QDialog {
    Q_OBJECT
public:
    LinesDialog(const QString& title, const QString& intro, const std::vector<LineSpec>& lines,
                LinesCheck check, QWidget* parent = nullptr);
    std::vector<std::string> values() const;
    QLabel* faultLabel() const { return fault_; }
    void accept() override;

private:
    std::vector<QLineEdit*> lines_;
    QLabel* fault_ = nullptr;
    LinesCheck check_;
};

using FieldsCheck = std::function<std::string(const std::vector<data::StructureField>& fields)>;

// The field list: a row per field with its name, type, width and decimals. Rows keep the old
// field they came from, so a renamed field takes its old values along.
class StructureDialog : public QDialog {
    Q_OBJECT
public:
    StructureDialog(const QString& title, const std::vector<data::StructureField>& fields,
                    FieldsCheck check, QWidget* parent = nullptr);
    void setFields(const std::vector<data::StructureField>& fields);
    std::vector<data::StructureField> fields() const;
    QTableWidget* table() const { return table_; }
    QLabel* faultLabel() const { return fault_; }
    void accept() override;

    void addRow();
    void removeRow();
    void moveRow(int by);

private:
    void insertRow(int row, const data::StructureField& field);
    void typeChosen(int row);

    QTableWidget* table_ = nullptr;
    QLabel* fault_ = nullptr;
    FieldsCheck check_;
};

} // namespace vorlan::qt
