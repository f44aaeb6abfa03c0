#pragma once
// "Nastavit prostředí": the designer's own settings, the editor's and those of a new element.

#include "report/design/designer_settings.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QSpinBox;

namespace vorlan::qt {

class FontPage;

class DesignerSettingsDialog : public QDialog {
public:
    explicit DesignerSettingsDialog(const report::DesignerSettings& settings,
                                    QWidget* parent = nullptr);

    // Copies what the dialog shows into `settings`.
    void store(report::DesignerSettings& settings) const;

private:
    QSpinBox* zoom_ = nullptr;
    QSpinBox* rasterX_ = nullptr;
    QSpinBox* rasterY_ = nullptr;
    QCheckBox* showRaster_ = nullptr;
    QCheckBox* snap_ = nullptr;
    QCheckBox* deleteOne_ = nullptr;
    QCheckBox* deleteMany_ = nullptr;
    QSpinBox* undoSteps_ = nullptr;
    QCheckBox* undoAfterSave_ = nullptr;
    QCheckBox* pickFromList_ = nullptr;
    QCheckBox* byName_ = nullptr;
    QSpinBox* width_ = nullptr;
    QSpinBox* height_ = nullptr;
    QComboBox* alignment_ = nullptr;
    FontPage* font_ = nullptr;
};

} // namespace vorlan::qt
