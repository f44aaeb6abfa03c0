#include "windows/dbf/dbf_text_report.h"

#include "data/script/file_names.h"
#include "report/charmode/character_output.h"
#include "report/model.h"
#include "report/output/output_model.h"
#include "report/run/record_source.h"
#include "report/run/report_run.h"

#include <filesystem>

namespace vorlan::windows {

bool writeDbfTextReport(DbfWorkAreas& areas, const std::string& templateFile,
                        const std::string& textFile) {
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
    report.parametry = areas.report().parameters;
    int failures = 0;
    report.onError = [&](report::TSestava&, int) {
        ++failures;
        return true;
    };

    // The raster decides where every text lands, so the fixed-width measurer of headless runs
    // is the right one here on the desktop too.
    report::RunOptions options;
    options.characterMode = true;
    report::TSestVystup output;
    if (report::runReport(report, output, options) != report::kSestOk || failures > 0) return false;
    return report::writeCharacterFile(output, report::orientedPaperHeight(report::paperSettings()),
                                      report.lineSpacing, textFile) == report::kSestOk;
}

} // namespace vorlan::windows
