#pragma once
// What the designer shows inside an element: its own text where it has one (a fixed text, the
// field or function it names), else its caption by kind ("Položka tabulky", "Proměnná" …).

#include "report/model.h"

#include <string>
#include <vector>

namespace vorlan::qt {

// Windows-1250. `fieldNames` and `fieldLabels` are the data side's lists (may be empty).
std::string designerElementText(const report::TSestavaTyp& report,
                                const report::TPrvekSestavy& element,
                                const std::vector<std::string>& fieldNames,
                                const std::vector<std::string>& fieldLabels);

} // namespace vorlan::qt
