#pragma once
// The DBF engine (src/dbf) behind the table engine interface. The data layer registers it as
// the fallback engine, which opens every table path no other engine claims.

#include "tables/table_engine.h"

#include <memory>

namespace vorlan::data {

std::shared_ptr<tables::TableEngine> dbfEngine();

} // namespace vorlan::data
