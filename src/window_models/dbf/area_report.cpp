#include "window_models/dbf/area_report.h"

#include "data/script/file_names.h"

#include <filesystem>

namespace vorlan::windows {

std::unique_ptr<AreaReport> prepareAreaReport(DbfWorkAreas& areas,
                                              const std::string& templateFile) {
    data::TDataTable* table = areas.current();
    if (!table) return nullptr;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(data::hostFileName(templateFile), ec)) return nullptr;
    const data::SplitName split = data::splitFileName(templateFile);

    auto prepared = std::make_unique<AreaReport>();
    prepared->records.setSource(table->dataSource());
    report::TSestava& report = prepared->report;
    report.programDir = split.directory;
    report.setReportName(split.file);
    report.setDataSource(&prepared->records);
    report.onError = [counted = prepared.get()](report::TSestava&, int) {
        ++counted->failures;
        return true;
    };
    return prepared;
}

} // namespace vorlan::windows
