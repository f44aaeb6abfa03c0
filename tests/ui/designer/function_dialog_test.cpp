#include "core/cp1250.h"
#include "ui/qt/designer/designer_dialogs.h"
#include "ui/qt/designer/expression_editor.h"
#include "ui/qt/designer/function_dialog.h"

#include "ui/designer/designer_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>

namespace vorlan::qt {
namespace {

using testing::child;
using testing::DialogTest;
using testing::FakeRecords;
using testing::whenModal;

class FunctionDialogTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        records_.fields = {{"KOD", czech("Kód"), 6}, {"CENA", "Cena", 10}, {"_X1", "", 3}};
        report_.setDataSource(&records_);
        report_.addGroup(0);
        report_.addGroup(1);
        report::FunctionDefinition first;
        first.name = "Mezisoucet";
        first.expression = "#2";
        report_.functions().add(first);
    }

    FakeRecords records_;
    report::TSestavaD report_;
};

void fillFunction(QWidget* d) {
    child<QLineEdit>(d, "Name")->setText(QStringLiteral("Celkem"));
    child<QLineEdit>(d, "Description")->setText(QString::fromUtf8("Součet cen"));
    child<QComboBox>(d, "Type")->setCurrentIndex(0);
    child<QLineEdit>(d, "Expression")->setText(QStringLiteral("#2*2"));
    child<QLineEdit>(d, "InitialValue")->setText(QStringLiteral("5"));
    child<QComboBox>(d, "Aggregate")->setCurrentIndex(2);
    child<QComboBox>(d, "Format")->setCurrentIndex(3);
    child<QSpinBox>(d, "Width")->setValue(12);
    child<QSpinBox>(d, "Decimals")->setValue(0);
}

TEST_F(FunctionDialogTest, NewFunctionIsAppendedOnOkOnly) {
    whenModal([](QWidget* d) {
        fillFunction(d);
        child<QPushButton>(d, "CancelButton")->click();
    });
    EXPECT_FALSE(runFunctionDialog(nullptr, report_, -1));
    EXPECT_EQ(report_.functions().count(), 1);

    // A name another function has (in any letter case) is refused and the dialog stays.
    whenModal([this](QWidget* d) {
        fillFunction(d);
        child<QLineEdit>(d, "Name")->setText(QStringLiteral("MEZISOUCET"));
        child<QPushButton>(d, "OkButton")->click();
        ASSERT_EQ(answers().asked.size(), 1u);
        EXPECT_EQ(answers().asked[0].text, czech("Funkce s tímto názvem již existuje."));
        EXPECT_TRUE(d->isVisible());
        child<QPushButton>(d, "CancelButton")->click();
    });
    EXPECT_FALSE(runFunctionDialog(nullptr, report_, -1));
    EXPECT_EQ(report_.functions().count(), 1);

    whenModal([](QWidget* d) {
        // Reset moments: the report, pages and both groups.
        auto* reset = child<QComboBox>(d, "Reset");
        ASSERT_EQ(reset->count(), 4);
        EXPECT_EQ(reset->itemText(1), QString::fromUtf8("Stránky"));
        EXPECT_EQ(reset->itemText(3), QStringLiteral("Skupiny 2"));
        reset->setCurrentIndex(3);
        fillFunction(d);
        child<QPushButton>(d, "OkButton")->click();
    });
    ASSERT_TRUE(runFunctionDialog(nullptr, report_, -1));
    ASSERT_EQ(report_.functions().count(), 2);
    report::FunctionDefinition expected;
    expected.name = "Celkem";
    expected.description = czech("Součet cen");
    expected.expression = "#2*2";
    expected.type = 0;
    expected.initialValue = "5";
    expected.reset = report::resetAtGroup(1);
    expected.aggregate = 2;
    expected.width = 12;
    expected.decimals = 0;
    expected.format = 3;
    EXPECT_EQ(report_.functions().item(1)->definition(), expected);
}

TEST_F(FunctionDialogTest, ExistingFunctionIsShownAndChanged) {
    FunctionDialog dialog(report_, 0);
    EXPECT_EQ(child<QLineEdit>(&dialog, "Name")->text(), QStringLiteral("Mezisoucet"));
    EXPECT_EQ(child<QLineEdit>(&dialog, "Expression")->text(), QStringLiteral("#2"));
    EXPECT_EQ(child<QSpinBox>(&dialog, "Width")->value(), 15);
    // Its own name is no clash.
    child<QLineEdit>(&dialog, "Name")->setText(QStringLiteral("mezisoucet"));
    child<QPushButton>(&dialog, "OkButton")->click();
    EXPECT_TRUE(answers().asked.empty());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    child<QLineEdit>(&dialog, "Name")->setText(QString());
    child<QComboBox>(&dialog, "Type")->setCurrentIndex(1);
    dialog.apply(report_);
    ASSERT_EQ(report_.functions().count(), 1);
    // A function always has a name.
    EXPECT_EQ(report_.functions().item(0)->name(), "Funkce");
    EXPECT_EQ(report_.functions().item(0)->definition().type, 1);
}

TEST_F(FunctionDialogTest, EditorListsAndInsertsReferences) {
    ExpressionEditor editor(report_, "");
    auto* fields = editor.fieldList();
    ASSERT_EQ(fields->count(), 3);
    EXPECT_EQ(fields->item(1)->text(), QStringLiteral("#2 CENA"));
    EXPECT_EQ(editor.parameterList()->item(0)->text(), QStringLiteral("&1  Parametr 1"));
    EXPECT_EQ(editor.functionList()->item(0)->text(), QStringLiteral("@1 Mezisoucet"));
    EXPECT_EQ(editor.otherList()->count(), 25);
    EXPECT_EQ(editor.otherList()->item(3)->text(), QStringLiteral("MAX(,)"));

    fields->setCurrentRow(1);
    child<QPushButton>(&editor, "InsertButton")->click();
    child<QPushButton>(&editor, "Operator+")->click();
    child<QCheckBox>(&editor, "FieldsByName")->setChecked(true);
    child<QPushButton>(&editor, "InsertButton")->click();
    child<QPushButton>(&editor, "OperatorAND")->click();
    editor.functionList()->setCurrentRow(0);
    child<QPushButton>(&editor, "InsertButton")->click();
    child<QPushButton>(&editor, "Operator*")->click();
    editor.parameterList()->setCurrentRow(2);
    child<QPushButton>(&editor, "InsertButton")->click();
    EXPECT_EQ(editor.expression(), "#2+#CENA AND @Mezisoucet*&3");

    // A built-in function leaves the cursor inside its parentheses.
    editor.editor()->setText(QString());
    editor.otherList()->setCurrentRow(3);
    child<QPushButton>(&editor, "InsertButton")->click();
    fields->setCurrentRow(0);
    child<QPushButton>(&editor, "InsertButton")->click();
    EXPECT_EQ(editor.expression(), "MAX(#KOD,)");
}

TEST_F(FunctionDialogTest, KontrolaReportsAsReportExpressionsDo) {
    ExpressionEditor editor(report_, "ABS(-2)+#CENA");
    child<QPushButton>(&editor, "CheckButton")->click();
    ASSERT_EQ(answers().asked.size(), 1u);
    EXPECT_EQ(answers().asked[0].caption, "Informace");
    EXPECT_EQ(answers().asked[0].text, czech("Výraz je v pořádku."));
    EXPECT_EQ(answers().asked[0].icon, MessageIcon::Information);

    editor.editor()->setText(QStringLiteral("1+FOO(2)"));
    child<QPushButton>(&editor, "CheckButton")->click();
    ASSERT_EQ(answers().asked.size(), 2u);
    EXPECT_EQ(answers().asked[1].icon, MessageIcon::Error);
    EXPECT_EQ(
        answers().asked[1].text.rfind(czech("Chyba : \"Neznamý identifikátor\" na pozici "), 0), 0u)
        << answers().asked[1].text;

    // The editor's result reaches the function dialog only through its OK.
    FunctionDialog dialog(report_, 0);
    whenModal([](QWidget* d) {
        child<QLineEdit>(d, "Expression")->setText(QStringLiteral("#1+1"));
        child<QPushButton>(d, "OkButton")->click();
    });
    child<QPushButton>(&dialog, "EditExpression")->click();
    EXPECT_EQ(child<QLineEdit>(&dialog, "Expression")->text(), QStringLiteral("#1+1"));
    whenModal([](QWidget* d) {
        child<QLineEdit>(d, "Expression")->setText(QStringLiteral("#3"));
        child<QPushButton>(d, "CancelButton")->click();
    });
    child<QPushButton>(&dialog, "EditExpression")->click();
    EXPECT_EQ(child<QLineEdit>(&dialog, "Expression")->text(), QStringLiteral("#1+1"));
}

} // namespace
} // namespace vorlan::qt
