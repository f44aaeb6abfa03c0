#pragma once
// The Dbf functions of scripts: the database window's three work areas, one table at a time,
// for every dialect. They keep no state of their own; it all lives in the work areas.

#include "script/registry.h"
#include "window_models/dbf/work_areas.h"

#include <functional>
#include <string>

namespace vorlan::windows {

// Registers the 79 functions over `areas`, which must outlive every script run.
void registerDbfFunctions(script::Registry& registry, DbfWorkAreas& areas);

// Runs the report of the Dbf functions: the template, the pages and the preview switch as the
// script gave them, over the current area. Installed by the desktop; without one the report
// cannot be printed.
using DbfReportRunner =
    std::function<bool(DbfWorkAreas& areas, const std::string& templateFile, bool preview)>;
void setDbfReportRunner(DbfReportRunner runner);

} // namespace vorlan::windows
