// Placeholders until the designer's dialogs are built: every dialog reports "cancelled".
#include "ui/qt/designer/designer_dialogs.h"

namespace vorlan::qt {

bool runReportSettingsDialog(QWidget*, report::TSestavaTyp&, ReportSettingsPage) {
    return false;
}
bool runDesignerSettingsDialog(QWidget*, report::DesignerSettings&) {
    return false;
}
bool runElementDialog(QWidget*, report::TSestavaTyp&, report::TPrvekSestavy&) {
    return false;
}
bool runFunctionDialog(QWidget*, report::TSestavaTyp&, int) {
    return false;
}
bool runNewTemplateWizard(QWidget*, report::TSestavaTyp&, const report::DesignerSettings&) {
    return false;
}

} // namespace vorlan::qt
