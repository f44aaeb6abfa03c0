// Pictures of the designer's dialogs for reviewing them: the new-template wizard with fields
// chosen, the function dialog, the expression editor, the paper page of the report settings
// and the element dialog on a memo field, over a Czech table's fields. Run on a real (virtual)
// screen by scripts/screenshots.sh:
//
//   designer_review_shots OUT_DIR

#include "core/cp1250.h"
#include "ui/qt/designer/element_dialog.h"
#include "ui/qt/designer/expression_editor.h"
#include "ui/qt/designer/function_dialog.h"
#include "ui/qt/designer/new_template_wizard.h"
#include "ui/qt/designer/report_settings_dialog.h"

#include "ui/designer/fake_records.h"

#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QPixmap>

#include <iostream>

using namespace vorlan;

namespace {

bool shoot(QWidget& window, const QDir& out, const char* name) {
    window.show();
    QApplication::processEvents();
    const QString file = out.filePath(QString::fromLatin1(name));
    if (!window.grab().save(file)) return false;
    std::cout << file.toStdString() << '\n';
    window.hide();
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: designer_review_shots OUT_DIR\n";
        return 2;
    }
    QApplication app(argc, argv);
    const QDir out(QString::fromLocal8Bit(argv[1]));

    qt::testing::FakeRecords records;
    records.fields = {{"CISLO", czech("Číslo"), 5, report::kFtInteger, report::kAlignRight},
                      {"NAZEV", czech("Název zboží"), 30},
                      {"SKUPINA", czech("Skupina"), 10},
                      {"MNOZSTVI", czech("Množství"), 8, report::kFtFloat, report::kAlignRight},
                      {"CENA", "Cena", 10, report::kFtCurrency, report::kAlignRight},
                      {"POZNAMKA", czech("Poznámka"), 40, report::kFtMemo}};
    report::TSestavaD report;
    report.setDataSource(&records);
    report.popis = czech("Přehled zboží");
    report.addGroup(0).field = 2;
    report::FunctionDefinition total;
    total.name = "Celkem";
    total.description = czech("Cena celkem");
    total.expression = "#MNOZSTVI*#CENA";
    total.aggregate = 2;
    total.reset = report::resetAtGroup(0);
    report.functions().add(total);

    bool saved = true;
    qt::NewTemplateWizard wizard(report, report::DesignerSettings{});
    for (int row : {1, 3, 4})
        wizard.availableList()->item(row)->setSelected(true);
    wizard.chooseSelected();
    saved &= shoot(wizard, out, "designer_wizard.png");

    qt::FunctionDialog function(report, 0);
    saved &= shoot(function, out, "designer_function.png");

    qt::ExpressionEditor editor(report, total.expression);
    editor.fieldList()->setCurrentRow(4);
    saved &= shoot(editor, out, "designer_expression.png");

    qt::ReportSettingsDialog settings(report, qt::ReportSettingsPage::Paper);
    saved &= shoot(settings, out, "designer_paper.png");

    report::TPrvekSestavy& memo = report.section(report::kSectionBody)->addElement(&report);
    memo.kind = report::kKindField;
    memo.parameter = 5;
    memo.width = 300;
    memo.height = 40;
    memo.textFlags = report::kTextWordWrap | report::kTextVariableHeight;
    memo.lineFlags = report::kLineBottom;
    qt::ElementDialog element(report, memo);
    saved &= shoot(element, out, "designer_element.png");

    if (!saved) {
        std::cerr << "designer_review_shots: cannot write the pictures\n";
        return 1;
    }
    return 0;
}
