#pragma once
// Report and ReportDetail of the script table class: a template printed over any data source,
// with an optional detail report over another one, through the database window's report slots.

#include "script/registry.h"

namespace vorlan::qt {

void registerTableReports(script::Registry& registry);

} // namespace vorlan::qt
