#pragma once
// "Návrh nové předlohy": the user picks fields, a style and options, and the wizard generates
// the template into the report ("&Navrhnout"), or empties it ("&Ručně").

#include "report/design/designer_settings.h"
#include "report/design/template_wizard.h"
#include "report/model.h"

#include <QDialog>

#include <vector>

class QCheckBox;
class QListWidget;
class QRadioButton;

namespace vorlan::qt {

class NewTemplateWizard : public QDialog {
public:
    NewTemplateWizard(report::TSestavaTyp& report, const report::DesignerSettings& settings,
                      QWidget* parent = nullptr);

    QListWidget* availableList() const { return available_; }
    QListWidget* chosenList() const { return chosen_; }

    // The chosen fields in their order, as the generator takes them.
    std::vector<report::WizardField> chosenFields() const;
    report::WizardStyle style() const;
    report::WizardOptions options() const;

    // ">", ">>", "<", "<<".
    void chooseSelected();
    void chooseAll();
    void returnSelected();
    void returnAll();
    // "&Ručně", "&Formát papíru", "&Navrhnout".
    void designManually();
    void choosePaper();
    void generate();

private:
    // Moves the selected (or all) rows of `from` to `to`; fields going back to the available
    // list return to their place in the table's order.
    void move(QListWidget* from, QListWidget* to, bool all);

    report::TSestavaTyp& report_;
    report::DesignerSettings settings_;
    std::vector<report::WizardField> fields_;
    QListWidget* available_ = nullptr;
    QListWidget* chosen_ = nullptr;
    QRadioButton* columns_ = nullptr;
    QRadioButton* rows_ = nullptr;
    QCheckBox* titles_ = nullptr;
    QCheckBox* byName_ = nullptr;
    QCheckBox* titlesAsText_ = nullptr;
};

// The fields of the report's data side as the wizard offers them.
std::vector<report::WizardField> wizardFieldsOf(report::TSestavaTyp& report);

} // namespace vorlan::qt
