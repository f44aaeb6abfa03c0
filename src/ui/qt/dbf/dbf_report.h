#pragma once
// The report of the Dbf functions: a template run over the current work area, shown in the
// preview or printed through the report's own Print and Preview operations, so it reaches the
// printer (or, headless, the PDF files of --print-to) the way every other report does.

#include "window_models/dbf/work_areas.h"

#include <string>

namespace vorlan::qt {

// False when the report could not be made or printed (the caller tells the user).
bool runDbfReport(windows::DbfWorkAreas& areas, const std::string& templateFile, bool preview);

} // namespace vorlan::qt
