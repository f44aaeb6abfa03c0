#include "ui/qt/dbf/dbf_report.h"

#include "data/script/file_names.h"
#include "report/model.h"
#include "report/output/output_model.h"
#include "report/paint/report_printer.h"
#include "report/run/record_source.h"
#include "report/run/report_run.h"
#include "ui/qt/report/qt_text_measurer.h"

#include <filesystem>

namespace vorlan::qt {

bool runDbfReport(windows::DbfWorkAreas& areas, const std::string& templateFile, bool) {
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
    const windows::DbfReportSettings& settings = areas.report();
    report.parametry = settings.parameters;
    int failures = 0;
    report.onError = [&](report::TSestava&, int) {
        ++failures;
        return true;
    };

    QtTextMeasurer measurer;
    report::RunOptions options;
    options.measurer = &measurer;
    report::TSestVystup output;
    if (report::runReport(report, output, options) != report::kSestOk || failures > 0) return false;
    output.setPrintRange(settings.firstPage, settings.lastPage, settings.copies);
    return report::reportPrinter().print(output, report.popis) == report::kSestOk;
}

} // namespace vorlan::qt
