#pragma once
// The stock-list kind of report that goes to a file instead of a printer: a template run over
// the current work area on the character raster and written as plain text, as a text-only
// printer would have printed it.

#include "window_models/dbf/work_areas.h"

#include <string>

namespace vorlan::windows {

// Runs `templateFile` (a complete program path) over the current area in character mode and
// writes every page to `textFile` (a program path). The report's parameters are the Dbf
// functions' own (DbfParamAdd ...). False when there is no current area, the template is
// missing or the run failed; throws std::runtime_error when the file cannot be written.
bool writeDbfTextReport(DbfWorkAreas& areas, const std::string& templateFile,
                        const std::string& textFile);

} // namespace vorlan::windows
