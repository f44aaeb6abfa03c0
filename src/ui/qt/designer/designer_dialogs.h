#pragma once
// The designer's dialogs. Each works on the report (or settings) it is given and changes it only
// when the user confirms with OK; the return value tells whether anything was confirmed.

#include "report/design/designer_settings.h"
#include "report/model.h"

#include <vector>

class QWidget;

namespace vorlan::qt {

// "Nastavení oddílů a skupin": the pages "Sestava", "Papír", "Rastr", "Oddíly", "Skupiny".
enum class ReportSettingsPage { Report = 0, Paper = 1, Raster = 2, Sections = 3, Groups = 4 };
bool runReportSettingsDialog(QWidget* parent, report::TSestavaTyp& report,
                             ReportSettingsPage startPage = ReportSettingsPage::Report);

// "Nastavit prostředí": the designer's own settings.
bool runDesignerSettingsDialog(QWidget* parent, report::DesignerSettings& settings);

// "Nastavení vlastností prvku" for one element of `report`.
bool runElementDialog(QWidget* parent, report::TSestavaTyp& report, report::TPrvekSestavy& element);

// "Nastavení parametrů funkce" for user function `index` of `report` (a new one is appended
// when `index` is -1 and the user confirms).
bool runFunctionDialog(QWidget* parent, report::TSestavaTyp& report, int index);

// "Návrh nové předlohy": fills `report` with a generated (or, with "&Ručně", empty) definition.
bool runNewTemplateWizard(QWidget* parent, report::TSestavaTyp& report,
                          const report::DesignerSettings& settings);

} // namespace vorlan::qt
