#include "window_models/dbf/dbf_text_report.h"

#include "report/charmode/character_output.h"
#include "report/output/output_model.h"
#include "report/run/report_run.h"
#include "window_models/dbf/area_report.h"

namespace vorlan::windows {

bool writeDbfTextReport(DbfWorkAreas& areas, const std::string& templateFile,
                        const std::string& textFile) {
    auto prepared = prepareAreaReport(areas, templateFile);
    if (!prepared) return false;
    report::TSestava& report = prepared->report;
    report.parametry = areas.report().parameters;

    // The raster decides where every text lands, so the fixed-width measurer of headless runs
    // is the right one here on the desktop too.
    report::RunOptions options;
    options.characterMode = true;
    report::TSestVystup output;
    if (report::runReport(report, output, options) != report::kSestOk || prepared->failures > 0)
        return false;
    return report::writeCharacterFile(output, report::orientedPaperHeight(report::paperSettings()),
                                      report.lineSpacing, textFile) == report::kSestOk;
}

} // namespace vorlan::windows
