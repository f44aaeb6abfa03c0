#pragma once
// A report template prepared over the current work area, as DbfReport and DbfReportText start
// it: the template's file found, the area's records as its data, failures counted.

#include "report/model.h"
#include "report/run/record_source.h"
#include "window_models/dbf/work_areas.h"

#include <memory>
#include <string>

namespace vorlan::windows {

struct AreaReport {
    report::DataSetRecords records;
    report::TSestava report;
    int failures = 0; // errors the report told while reading or running
};

// The report of `templateFile` (a complete program path) over the current area, its template
// not yet read; nullptr when there is no current area or the template file is missing.
std::unique_ptr<AreaReport> prepareAreaReport(DbfWorkAreas& areas, const std::string& templateFile);

} // namespace vorlan::windows
