#include "ui/qt/dbf/dbf_report.h"

#include "data/script/file_names.h"
#include "report/model.h"
#include "report/output/output_model.h"
#include "report/run/record_source.h"
#include "ui/qt/report/report_operations.h"

#include <algorithm>
#include <filesystem>

namespace vorlan::qt {

namespace {
std::uint16_t pageNumber(std::int32_t page) {
    return static_cast<std::uint16_t>(std::clamp(page, 1, 9999));
}
} // namespace

bool runDbfReport(windows::DbfWorkAreas& areas, const std::string& templateFile, bool preview) {
    data::TDataTable* table = areas.current();
    if (!table) return false;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(data::hostFileName(templateFile), ec)) return false;
    const data::SplitName split = data::splitFileName(templateFile);

    report::DataSetRecords records(table->dataSource());
    report::TSestava report;
    report.programDir = split.directory;
    report.setReportName(split.file);
    report.setDataSource(&records);
    int failures = 0;
    report.onError = [&](report::TSestava&, int) {
        ++failures;
        return true;
    };
    if (!report.loadTemplate()) return false;
    // The window's settings win over what the template says.
    const windows::DbfReportSettings& settings = areas.report();
    report.parametry = settings.parameters;
    report.startPage = pageNumber(settings.firstPage);
    report.endPage = pageNumber(std::max(settings.lastPage, settings.firstPage));
    report.printCopies = static_cast<std::uint16_t>(std::max<std::int32_t>(settings.copies, 1));

    report::TSestVystup output;
    const int result = printOrPreview(report, output, preview, false);
    return result == report::kSestOk && failures == 0;
}

} // namespace vorlan::qt
