#include "core/cp1250.h"
#include "ui/qt/designer/designer_dialogs.h"
#include "ui/qt/designer/element_dialog.h"
#include "ui/qt/designer/font_page.h"

#include "ui/designer/designer_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

namespace vorlan::qt {
namespace {

using testing::child;
using testing::DialogTest;
using testing::FakeRecords;
using testing::whenModal;

class ElementDialogTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        records_.fields = {{"KOD", czech("Kód"), 6},
                           {"POZNAMKA", czech("Poznámka"), 40, report::kFtMemo},
                           {"FOTO", "Foto", 10, report::kFtGraphic}};
        report_.setDataSource(&records_);
        report::FunctionDefinition total;
        total.name = "Celkem";
        report_.functions().add(total);
        element_ = &report_.section(report::kSectionBody)->addElement(&report_);
        element_->kind = report::kKindField;
        element_->parameter = 0;
        element_->left = 10;
        element_->width = 100;
        element_->height = 20;
        element_->font.name = "Arial CE";
    }

    FakeRecords records_;
    report::TSestavaD report_;
    report::TPrvekSestavy* element_ = nullptr;
};

// Changes the element on every part of the dialog: the field becomes the memo by name.
void editElement(QWidget* d) {
    child<QSpinBox>(d, "Left")->setValue(24);
    child<QSpinBox>(d, "Top")->setValue(4);
    child<QSpinBox>(d, "Width")->setValue(300);
    child<QComboBox>(d, "Alignment")->setCurrentIndex(report::kAlignRight);
    child<QSpinBox>(d, "CharSpacing")->setValue(2);
    child<QComboBox>(d, "Index")->setCurrentIndex(1);
    child<QRadioButton>(d, "ByName")->setChecked(true);
    child<QCheckBox>(d, "Justify")->setChecked(true);
    child<QCheckBox>(d, "FrameBottom")->setChecked(true);
    child<QCheckBox>(d, "FrameLeft")->setChecked(true);
    // A Windows font name stays as it is written, even one this machine does not know.
    child<QComboBox>(d, "FontName")->setCurrentText(QStringLiteral("Garamond CE"));
    child<QSpinBox>(d, "FontSize")->setValue(14);
    child<QCheckBox>(d, "FontBold")->setChecked(true);
    child<QComboBox>(d, "FontColour")->setCurrentIndex(12);
}

TEST_F(ElementDialogTest, OkAppliesAndCancelLeavesTheElement) {
    const auto before = report_.templateLines();
    whenModal([](QWidget* d) {
        editElement(d);
        child<QPushButton>(d, "CancelButton")->click();
    });
    EXPECT_FALSE(runElementDialog(nullptr, report_, *element_));
    EXPECT_EQ(report_.templateLines(), before);

    whenModal([](QWidget* d) {
        editElement(d);
        child<QPushButton>(d, "OkButton")->click();
    });
    ASSERT_TRUE(runElementDialog(nullptr, report_, *element_));
    const report::TPrvekSestavy& e = *element_;
    EXPECT_EQ(e.left, 24);
    EXPECT_EQ(e.top, 4);
    EXPECT_EQ(e.width, 300);
    EXPECT_EQ(e.height, 20);
    EXPECT_EQ(e.alignment, report::kAlignRight);
    EXPECT_EQ(e.charSpacing, 2);
    EXPECT_EQ(e.kind, report::kKindField);
    EXPECT_EQ(e.parameter, 1);
    EXPECT_EQ(e.name, "POZNAMKA");
    EXPECT_EQ(e.textFlags, report::kTextJustify);
    EXPECT_EQ(e.lineFlags, report::kLineLeft | report::kLineBottom);
    EXPECT_EQ(e.font, (report::ReportFont{"Garamond CE", 14, 0xFF0000, report::kFontBold, 1}));
    // Written by name.
    const auto lines = report_.templateLines();
    EXPECT_EQ(lines.back().rfind("T,2,POZNAMKA,24,4,300,20,Garamond CE,14,12,1,", 0), 0u)
        << lines.back();
}

TEST_F(ElementDialogTest, PropertiesFollowTheFieldType) {
    ElementDialog dialog(report_, *element_);
    EXPECT_FALSE(child<QWidget>(&dialog, "LineWidth")->isVisibleTo(&dialog));
    auto shown = [&](const char* name) {
        return child<QWidget>(&dialog, name)->isVisibleTo(&dialog);
    };
    auto* index = child<QComboBox>(&dialog, "Index");
    ASSERT_EQ(index->count(), 3);
    EXPECT_EQ(index->itemText(1), QString::fromUtf8("#2 POZNAMKA"));
    // A text field wraps words only.
    EXPECT_TRUE(shown("WordWrap"));
    EXPECT_FALSE(shown("Justify"));
    EXPECT_FALSE(shown("StretchPicture"));
    // A memo has all text properties.
    index->setCurrentIndex(1);
    for (const char* name : {"WordWrap", "Justify", "VariableHeight", "Rtf"})
        EXPECT_TRUE(shown(name)) << name;
    // A picture field is sized like a picture.
    index->setCurrentIndex(2);
    EXPECT_FALSE(shown("WordWrap"));
    EXPECT_TRUE(shown("StretchPicture"));
    EXPECT_TRUE(shown("KeepAspect"));
    child<QCheckBox>(&dialog, "KeepAspect")->setChecked(true);
    // A hidden property keeps its bit: the word wrap set before is not cleared.
    element_->textFlags = report::kTextWordWrap;
    dialog.apply(*element_);
    EXPECT_EQ(element_->lineFlags, report::kLineDiagonalDown);
    EXPECT_EQ(element_->textFlags, report::kTextWordWrap);

    // Another kind offers its own indexes: variables by name, functions with "Funkce ...".
    auto* kind = child<QComboBox>(&dialog, "Kind");
    kind->setCurrentIndex(kind->findData(report::kKindVariable));
    EXPECT_EQ(index->count(), 7);
    EXPECT_EQ(index->itemText(3), QString::fromUtf8("Číslo stránky"));
    EXPECT_FALSE(child<QRadioButton>(&dialog, "ByName")->isEnabled());
    kind->setCurrentIndex(kind->findData(report::kKindFunction));
    EXPECT_EQ(index->itemText(0), QStringLiteral("@1 Celkem"));
    EXPECT_TRUE(shown("EditFunction"));
    child<QRadioButton>(&dialog, "ByName")->setChecked(true);
    dialog.apply(*element_);
    EXPECT_EQ(element_->kind, report::kKindFunction);
    EXPECT_EQ(element_->name, "Celkem");
    EXPECT_EQ(element_->parameter, 0);
}

TEST_F(ElementDialogTest, GraphicElementsKeepTheirFontAndBecomeOnlyGraphics) {
    element_->kind = report::kKindRectangle;
    element_->parameter = report::kKindRectangle;
    element_->lineFlags =
        report::kLineLeft | report::kLineTop | report::kLineRight | report::kLineBottom;
    const report::ReportFont font = element_->font;
    ElementDialog dialog(report_, *element_);
    auto* kind = child<QComboBox>(&dialog, "Kind");
    EXPECT_EQ(kind->count(), 5);
    EXPECT_EQ(kind->findData(report::kKindField), -1);
    kind->setCurrentIndex(kind->findData(report::kKindEllipse));
    child<QCheckBox>(&dialog, "FrameTop")->setChecked(false);
    child<QComboBox>(&dialog, "FontName")->setCurrentText(QStringLiteral("Courier New"));
    // Pen and fill.
    EXPECT_TRUE(child<QWidget>(&dialog, "LineWidth")->isVisibleTo(&dialog));
    child<QSpinBox>(&dialog, "LineWidth")->setValue(3);
    child<QComboBox>(&dialog, "LineStyle")->setCurrentIndex(2);
    child<QComboBox>(&dialog, "LineColour")->setCurrentIndex(9);
    child<QComboBox>(&dialog, "FillColour")->setCurrentIndex(14);
    child<QComboBox>(&dialog, "FillStyle")->setCurrentIndex(1);
    child<QCheckBox>(&dialog, "LineEllipse")->setChecked(true);
    dialog.apply(*element_);
    EXPECT_EQ(element_->lineWidth, 3);
    EXPECT_EQ(element_->lineStyle, 0); // a wide pen draws solid lines only
    EXPECT_EQ(element_->lineColour, 0x0000FFu);
    EXPECT_EQ(element_->fillColour, 0xFFFF00u);
    EXPECT_EQ(element_->fillStyle, 1);
    element_->lineFlags &= ~report::kLineEllipse;
    EXPECT_EQ(element_->kind, report::kKindEllipse);
    EXPECT_EQ(element_->parameter, report::kKindEllipse);
    EXPECT_EQ(element_->lineFlags, report::kLineLeft | report::kLineRight | report::kLineBottom);
    EXPECT_EQ(element_->font, font);
}

} // namespace
} // namespace vorlan::qt
