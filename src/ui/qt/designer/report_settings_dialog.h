#pragma once
// "Nastavení oddílů a skupin": the report's settings on five pages. The dialog edits its own
// copy; apply() (what OK does) writes it into the report and the shared paper settings.

#include "ui/qt/designer/designer_dialogs.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;
class QTabWidget;

namespace vorlan::qt {

class GroupsPage;
class PaperPage;

class ReportSettingsDialog : public QDialog {
public:
    ReportSettingsDialog(report::TSestavaTyp& report, ReportSettingsPage startPage,
                         QWidget* parent = nullptr);

    void apply(report::TSestavaTyp& report) const;

    QTabWidget* pages() const { return pages_; }
    PaperPage* paperPage() const { return paper_; }
    GroupsPage* groupsPage() const { return groups_; }

private:
    QWidget* makeReportPage(report::TSestavaTyp& report);
    QWidget* makeRasterPage(const report::TSestavaTyp& report);
    QWidget* makeSectionsPage(const report::TSestavaTyp& report);

    QTabWidget* pages_ = nullptr;
    QLineEdit* description_ = nullptr;
    QSpinBox* copies_ = nullptr;
    QSpinBox* startPage_ = nullptr;
    QSpinBox* endPage_ = nullptr;
    QSpinBox* maxRecords_ = nullptr;
    PaperPage* paper_ = nullptr;
    QRadioButton* graphicRaster_ = nullptr;
    QRadioButton* characterRaster_ = nullptr;
    QSpinBox* rasterX_ = nullptr;
    QSpinBox* rasterY_ = nullptr;
    QComboBox* lineSpacing_ = nullptr;
    QComboBox* pitch_ = nullptr;
    std::array<QCheckBox*, 5> visible_{};
    std::array<QSpinBox*, 5> height_{};
    QCheckBox* newBodyOnNewPage_ = nullptr;
    QCheckBox* pageBreakAfterStart_ = nullptr;
    QCheckBox* pageBreakBeforeEnd_ = nullptr;
    QCheckBox* noHeadOnFirstPage_ = nullptr;
    GroupsPage* groups_ = nullptr;
};

} // namespace vorlan::qt
