#pragma once
// The report of the Dbf functions: a template run over the current work area and printed where
// every print job goes (the printer, or PDF files with --print-to). There is no preview window
// yet, so a preview request prints as well.

#include "windows/dbf/work_areas.h"

#include <string>

namespace vorlan::qt {

// False when the report could not be made or printed (the caller tells the user).
bool runDbfReport(windows::DbfWorkAreas& areas, const std::string& templateFile, bool preview);

} // namespace vorlan::qt
