#include "ui/qt/designer/design_report.h"

#include "core/ui_services.h"
#include "report/design/designer_settings.h"
#include "report/model.h"
#include "report/paper/paper_formats.h"
#include "ui/qt/designer/designer_window.h"
#include "ui/qt/report/report_operations.h"

namespace vorlan::qt {

int designReport(report::TSestava& report, QWidget* parent) {
    if (ui().headless()) return report::kSestCancelled;
    DesignerWindow window(report, report::DesignerSettings::load(report::reportSettingsFile()),
                          parent);
    window.setWindowState(Qt::WindowMaximized);
    return window.exec() == QDialog::Accepted ? report::kSestOk : report::kSestCancelled;
}

int previewReportAndEdit(report::TSestava& report, report::TSestVystup& output, bool loadTemplate) {
    bool edit = false;
    const int result = previewReport(report, output, {}, &edit, loadTemplate);
    if (result != report::kSestOk || !edit) return result;
    return designReport(report);
}

int previewOrPrint(report::TSestava& report, report::TSestVystup& output, bool preview) {
    if (preview && !ui().headless()) return previewReportAndEdit(report, output, false);
    return printOrPreview(report, output, preview, false);
}

int editReport(report::TSestava& report, bool createMissing, QWidget* parent) {
    if (!report.loadTemplate(createMissing)) return report::kSestNotPossible;
    return designReport(report, parent);
}

} // namespace vorlan::qt
