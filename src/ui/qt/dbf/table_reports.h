#pragma once
// Report and ReportDetail of the script table class: a template printed over any data source,
// with an optional detail report over another one, through the database window's report slots.

#include "script/registry.h"

#include <string_view>

namespace vorlan::data {
class DataSource;
}

class QWidget;

namespace vorlan::qt {

void registerTableReports(script::Registry& registry);

// Opens the designer on template `file` (completed as Report completes it; a missing one is
// created when the user agrees) over `source`. When the template cannot be opened the user is
// told "Sestavu … nelze vytvořit" and the answer is false.
bool designTableReport(std::string_view file, data::DataSource* source, QWidget* parent = nullptr);
// Detaches the detail report that ReportDetail attached.
void clearReportDetail();

} // namespace vorlan::qt
