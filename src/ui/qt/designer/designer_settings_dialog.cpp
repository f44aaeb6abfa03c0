#include "ui/qt/designer/designer_settings_dialog.h"
#include "ui/qt/qt_text.h"

#include "ui/qt/designer/designer_dialogs.h"
#include "ui/qt/designer/dialog_support.h"
#include "ui/qt/designer/font_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace vorlan::qt {

namespace {

report::ReportFont fontOf(const report::DesignerSettings& s) {
    report::ReportFont font;
    font.name = s.newFontName;
    font.size = s.newFontSize;
    font.colour =
        s.newFontColor >= 0 && s.newFontColor < 16 ? report::kReportColours[s.newFontColor] : 0;
    font.style = s.newFontStyle;
    font.charset = s.newFontCharset;
    return font;
}

} // namespace

DesignerSettingsDialog::DesignerSettingsDialog(const report::DesignerSettings& s, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("DesignerSettingsDialog"));
    setWindowTitle(cz("Nastavit prostředí"));
    auto* layout = new QVBoxLayout(this);
    auto* pages = new QTabWidget(this);
    layout->addWidget(pages);

    auto* editor = new QWidget(pages);
    auto* editorForm = new QFormLayout(editor);
    zoom_ = numberBox(editor, "ZoomIndex", 0, 20, s.zoomIndex);
    editorForm->addRow(cz("Měřítko při otevření:"), zoom_);
    rasterX_ = numberBox(editor, "RasterX", 1, 1000, s.rasterX);
    editorForm->addRow(cz("Rastr vodorovně (setiny palce):"), rasterX_);
    rasterY_ = numberBox(editor, "RasterY", 1, 1000, s.rasterY);
    editorForm->addRow(cz("Rastr svisle (setiny palce):"), rasterY_);
    showRaster_ = flag(editor, "Zobrazovat rastr", "ShowRaster", s.showRaster);
    snap_ = flag(editor, "Zarovnávat do rastru", "SnapToRaster", s.snapToRaster);
    deleteOne_ =
        flag(editor, "Potvrdit mazání jedné položky", "ConfirmDeleteOne", s.confirmDeleteOne);
    deleteMany_ =
        flag(editor, "Potvrdit mazání více položek", "ConfirmDeleteMany", s.confirmDeleteMany);
    for (QCheckBox* box : {showRaster_, snap_, deleteOne_, deleteMany_})
        editorForm->addRow(box);
    undoSteps_ = numberBox(editor, "UndoSteps", 0, 1000, s.undoSteps);
    editorForm->addRow(cz("Maximální počet kroků sledování změn:"), undoSteps_);
    undoAfterSave_ =
        flag(editor, "Sledovat změny i po uložení na disk", "UndoAfterSave", s.undoAfterSave);
    pickFromList_ = flag(editor, "Vybírat položky tabulky ze seznamu", "PickFieldsFromList",
                         s.pickFieldsFromList);
    byName_ = flag(editor, "Sledovat podle názvu", "FieldsByName", s.fieldsByName);
    for (QCheckBox* box : {undoAfterSave_, pickFromList_, byName_})
        editorForm->addRow(box);
    pages->addTab(editor, cz("Editor"));

    auto* element = new QWidget(pages);
    auto* elementLayout = new QVBoxLayout(element);
    auto* sizes = new QGroupBox(cz("Nový prvek"), element);
    auto* sizeForm = new QFormLayout(sizes);
    width_ = numberBox(sizes, "NewWidth", 1, 10000, s.newWidth);
    sizeForm->addRow(cz("Šířka:"), width_);
    height_ = numberBox(sizes, "NewHeight", 1, 10000, s.newHeight);
    sizeForm->addRow(cz("Výška:"), height_);
    alignment_ = new QComboBox(sizes);
    alignment_->setObjectName(QStringLiteral("NewAlignment"));
    alignment_->addItems({cz("Vlevo"), cz("Vpravo"), cz("Uprostřed")});
    alignment_->setCurrentIndex(s.newAlignment >= 0 && s.newAlignment < 3 ? s.newAlignment : 0);
    sizeForm->addRow(cz("Zarovnání:"), alignment_);
    elementLayout->addWidget(sizes);
    font_ = new FontPage(fontOf(s), element);
    elementLayout->addWidget(font_);
    pages->addTab(element, cz("Nový prvek"));

    addOkCancel(this, layout);
}

void DesignerSettingsDialog::store(report::DesignerSettings& s) const {
    s.zoomIndex = zoom_->value();
    s.rasterX = rasterX_->value();
    s.rasterY = rasterY_->value();
    s.showRaster = showRaster_->isChecked();
    s.snapToRaster = snap_->isChecked();
    s.confirmDeleteOne = deleteOne_->isChecked();
    s.confirmDeleteMany = deleteMany_->isChecked();
    s.undoSteps = undoSteps_->value();
    s.undoAfterSave = undoAfterSave_->isChecked();
    s.pickFieldsFromList = pickFromList_->isChecked();
    s.fieldsByName = byName_->isChecked();
    s.newWidth = width_->value();
    s.newHeight = height_->value();
    s.newAlignment = alignment_->currentIndex();
    const report::ReportFont font = font_->font();
    s.newFontName = font.name;
    s.newFontSize = font.size;
    s.newFontColor = report::indexOfColour(font.colour);
    s.newFontStyle = font.style;
    s.newFontCharset = font.charset;
}

bool runDesignerSettingsDialog(QWidget* parent, report::DesignerSettings& settings) {
    DesignerSettingsDialog dialog(settings, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    dialog.store(settings);
    return true;
}

} // namespace vorlan::qt
