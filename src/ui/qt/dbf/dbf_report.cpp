#include "ui/qt/dbf/dbf_report.h"

#include "report/model.h"
#include "report/output/output_model.h"
#include "ui/qt/designer/design_report.h"
#include "window_models/dbf/area_report.h"

#include <algorithm>

namespace vorlan::qt {

namespace {
std::uint16_t pageNumber(std::int32_t page) {
    return static_cast<std::uint16_t>(std::clamp(page, 1, 9999));
}
} // namespace

bool runDbfReport(windows::DbfWorkAreas& areas, const std::string& templateFile, bool preview) {
    auto prepared = windows::prepareAreaReport(areas, templateFile);
    if (!prepared) return false;
    report::TSestava& report = prepared->report;
    if (!report.loadTemplate()) return false;
    // The window's settings win over what the template says.
    const windows::DbfReportSettings& settings = areas.report();
    report.parametry = settings.parameters;
    report.startPage = pageNumber(settings.firstPage);
    report.endPage = pageNumber(std::max(settings.lastPage, settings.firstPage));
    report.printCopies = static_cast<std::uint16_t>(std::max<std::int32_t>(settings.copies, 1));

    report::TSestVystup output;
    const int result = previewOrPrint(report, output, preview);
    return result == report::kSestOk && prepared->failures == 0;
}

} // namespace vorlan::qt
