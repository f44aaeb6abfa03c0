#include "ui/qt/designer/designer_dialogs.h"

#include "ui/designer/designer_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSpinBox>

namespace vorlan::qt {
namespace {

using testing::child;
using testing::whenModal;

void editSettings(QWidget* d) {
    child<QSpinBox>(d, "ZoomIndex")->setValue(4);
    child<QSpinBox>(d, "RasterX")->setValue(5);
    child<QSpinBox>(d, "RasterY")->setValue(10);
    child<QCheckBox>(d, "ShowRaster")->setChecked(false);
    child<QCheckBox>(d, "SnapToRaster")->setChecked(false);
    child<QCheckBox>(d, "ConfirmDeleteOne")->setChecked(true);
    child<QCheckBox>(d, "ConfirmDeleteMany")->setChecked(false);
    child<QSpinBox>(d, "UndoSteps")->setValue(25);
    child<QCheckBox>(d, "UndoAfterSave")->setChecked(true);
    child<QCheckBox>(d, "PickFieldsFromList")->setChecked(true);
    child<QCheckBox>(d, "FieldsByName")->setChecked(true);
    child<QSpinBox>(d, "NewWidth")->setValue(150);
    child<QSpinBox>(d, "NewHeight")->setValue(16);
    child<QComboBox>(d, "NewAlignment")->setCurrentIndex(2);
    child<QComboBox>(d, "FontName")->setCurrentText(QStringLiteral("Courier New CE"));
    child<QSpinBox>(d, "FontSize")->setValue(8);
    child<QCheckBox>(d, "FontItalic")->setChecked(true);
    child<QComboBox>(d, "FontColour")->setCurrentIndex(4);
    child<QSpinBox>(d, "FontCharset")->setValue(238);
}

TEST(DesignerSettingsDialog, OkStoresEverySettingAndCancelNone) {
    report::DesignerSettings settings;
    whenModal([](QWidget* d) {
        editSettings(d);
        child<QPushButton>(d, "CancelButton")->click();
    });
    EXPECT_FALSE(runDesignerSettingsDialog(nullptr, settings));
    report::DesignerSettings defaults;
    report::IniFile a, b;
    settings.write(a);
    defaults.write(b);
    EXPECT_EQ(a.text(), b.text());

    whenModal([](QWidget* d) {
        editSettings(d);
        child<QPushButton>(d, "OkButton")->click();
    });
    ASSERT_TRUE(runDesignerSettingsDialog(nullptr, settings));
    EXPECT_EQ(settings.zoomIndex, 4);
    EXPECT_EQ(settings.rasterX, 5);
    EXPECT_EQ(settings.rasterY, 10);
    EXPECT_FALSE(settings.showRaster);
    EXPECT_FALSE(settings.snapToRaster);
    EXPECT_TRUE(settings.confirmDeleteOne);
    EXPECT_FALSE(settings.confirmDeleteMany);
    EXPECT_EQ(settings.undoSteps, 25);
    EXPECT_TRUE(settings.undoAfterSave);
    EXPECT_TRUE(settings.pickFieldsFromList);
    EXPECT_TRUE(settings.fieldsByName);
    EXPECT_EQ(settings.newWidth, 150);
    EXPECT_EQ(settings.newHeight, 16);
    EXPECT_EQ(settings.newAlignment, 2);
    EXPECT_EQ(settings.newFontName, "Courier New CE");
    EXPECT_EQ(settings.newFontSize, 8);
    EXPECT_EQ(settings.newFontStyle, report::kFontItalic);
    EXPECT_EQ(settings.newFontColor, 4);
    EXPECT_EQ(settings.newFontCharset, 238);

    // What was stored shows again as it was.
    whenModal([](QWidget* d) {
        EXPECT_EQ(child<QSpinBox>(d, "UndoSteps")->value(), 25);
        EXPECT_EQ(child<QComboBox>(d, "FontColour")->currentIndex(), 4);
        EXPECT_EQ(child<QComboBox>(d, "FontName")->currentText(), QStringLiteral("Courier New CE"));
        EXPECT_FALSE(child<QCheckBox>(d, "ShowRaster")->isChecked());
        child<QPushButton>(d, "CancelButton")->click();
    });
    EXPECT_FALSE(runDesignerSettingsDialog(nullptr, settings));
}

} // namespace
} // namespace vorlan::qt
