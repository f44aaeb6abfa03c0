// The designer window driven through its own commands: the palette, the mouse and keys on the
// sheet, the toolbar, the property strip, and what ends up in the template file.

#include "core/cp1250.h"
#include "report/pts_format.h"
#include "ui/qt/designer/design_report.h"
#include "ui/qt/designer/designer_document.h"
#include "ui/qt/designer/designer_settings_dialog.h"
#include "ui/qt/designer/designer_sheet.h"
#include "ui/qt/designer/element_dialog.h"
#include "ui/qt/designer/element_palette.h"
#include "ui/qt/designer/property_strip.h"
#include "ui/qt/designer/report_settings_dialog.h"

#include "designer_test_support.h"
#include "ui/english_words.h"

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include <cmath>

namespace vorlan::qt::test {
namespace {

using report::TPrvekSestavy;

class DesignerWindowTest : public DesignerFixture {
protected:
    DesignerSheet& sheet() { return *window_->sheet(); }
    TPrvekSestavy* element(std::int32_t section, std::size_t index) {
        return report_.section(section)->elements.at(index).get();
    }
    std::size_t count(std::int32_t section) { return report_.section(section)->elements.size(); }
    void trigger(const char* name) {
        QAction* a = window_->action(QString::fromLatin1(name));
        ASSERT_NE(a, nullptr) << name;
        a->trigger();
    }
    QPoint centre(const TPrvekSestavy* e) { return sheet().elementRect(e).center(); }
    void click(QPoint at, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(&sheet(), Qt::LeftButton, modifiers, at);
    }
    void drag(QPoint from, QPoint to) {
        QTest::mousePress(&sheet(), Qt::LeftButton, {}, from);
        for (int step = 1; step <= 4; ++step)
            QTest::mouseMove(&sheet(), from + (to - from) * step / 4);
        QTest::mouseRelease(&sheet(), Qt::LeftButton, {}, to);
    }
    // An empty spot of a band: right of everything in it, in its first row.
    QPoint emptySpot(std::int32_t section) {
        const DesignerSheet::Band* b = sheet().band(section);
        return QPoint(b->body.right() - 3, b->body.top() + 2);
    }
    int units(int pixels) {
        return static_cast<int>(std::lround(pixels / sheet().pixelsPerUnit()));
    }
    void answer(MessageResult result) {
        ui_->answer = [result](const MessageBoxRequest&) { return result; };
    }
};

TEST_F(DesignerWindowTest, TheWindowAndItsDialogsSpeakCzech) {
    DesignerWindow& w = open();
    click(centre(element(report::kSectionBody, 0)));
    ASSERT_FALSE(w.document().selection().empty());
    EXPECT_EQ(qt::testing::englishTexts(w), "");
    ReportSettingsDialog settings(report_, ReportSettingsPage::Report);
    EXPECT_EQ(qt::testing::englishTexts(settings), "");
    ElementDialog elementDialog(report_, *element(report::kSectionBody, 0));
    EXPECT_EQ(qt::testing::englishTexts(elementDialog), "");
    DesignerSettingsDialog environment{report::DesignerSettings{}};
    EXPECT_EQ(qt::testing::englishTexts(environment), "");
}

TEST_F(DesignerWindowTest, ShowsTheTemplateAsBandsWithTitlesAndTheCommandsWithHints) {
    DesignerWindow& w = open();
    EXPECT_TRUE(w.windowTitle().startsWith(
        QString::fromUtf8("Oprava předlohy tiskové sestavy - Přehled prodeje podle oblastí (")));
    EXPECT_TRUE(w.windowTitle().contains(QStringLiteral("GROUPED.pts"), Qt::CaseInsensitive))
        << w.windowTitle().toStdString();

    std::vector<std::int32_t> order;
    for (const DesignerSheet::Band& b : sheet().bands())
        order.push_back(b.section->index);
    EXPECT_EQ(order, (std::vector<std::int32_t>{0, 1, 2, 3, 4, 5, 6}));
    // Each element lies in its own band, and the bands follow each other down the sheet.
    int previousBottom = 0;
    for (const DesignerSheet::Band& b : sheet().bands()) {
        EXPECT_GT(b.title.top(), previousBottom - 1);
        previousBottom = b.body.bottom();
        for (const auto& e : b.section->elements)
            EXPECT_TRUE(b.body.contains(sheet().elementRect(e.get()).topLeft()));
    }

    for (const char* hint :
         {"Nová předloha", "Uložit předlohu", "Ukázka před tiskem", "Tisknout sestavu",
          "Nastavit předlohu", "Nastavit prostředí", "Nastavit prvek", "Vymazat prvek",
          "Vystřihnout", "Kopírovat", "Vložit", "Přesunout dozadu", "Přenést dopředu", "Zrušit",
          "Ukončit opravu předlohy"}) {
        bool found = false;
        for (QAction* a : w.findChildren<QAction*>())
            found = found || a->toolTip() == QString::fromUtf8(hint);
        EXPECT_TRUE(found) << hint;
    }
    EXPECT_FALSE(w.action(QStringLiteral("UndoButton"))->isEnabled());
}

TEST_F(DesignerWindowTest, AddsAFieldFromThePaletteWithTheDefaultsOfNewElements) {
    report::DesignerSettings settings;
    settings.newWidth = 150;
    settings.newHeight = 24;
    settings.newFontName = czech("Courier New CE");
    settings.newFontSize = 12;
    settings.newFontStyle = report::kFontBold;
    settings.newAlignment = report::kAlignRight;
    open(settings);
    click(emptySpot(report::kSectionBody));
    QListWidget* fields = window_->palette()->fields();
    ASSERT_EQ(fields->count(), 4);
    EXPECT_EQ(fields->item(3)->text(), QStringLiteral("CASTKA"));
    fields->setCurrentRow(3);
    QTest::keyClick(fields, Qt::Key_Return);

    ASSERT_EQ(count(report::kSectionBody), 4u);
    const TPrvekSestavy* added = element(report::kSectionBody, 3);
    EXPECT_EQ(added->kind, report::kKindField);
    EXPECT_EQ(added->parameter, 3);
    EXPECT_TRUE(added->name.empty()); // by number unless the settings say by name
    EXPECT_EQ(added->width, 150);
    EXPECT_EQ(added->height, 24);
    EXPECT_EQ(added->font.name, "Courier New CE");
    EXPECT_EQ(added->font.size, 12);
    EXPECT_EQ(added->font.style, report::kFontBold);
    EXPECT_EQ(added->alignment, report::kAlignRight);
    EXPECT_EQ(added->left % 8, 0);
    EXPECT_EQ(window_->document().selection(), std::vector<TPrvekSestavy*>{element(2, 3)});

    // By name, a field keeps its name in the template.
    settings.fieldsByName = true;
    open(settings);
    click(emptySpot(report::kSectionEnd));
    window_->palette()->fields()->setCurrentRow(1);
    QTest::keyClick(window_->palette()->fields(), Qt::Key_Return);
    const TPrvekSestavy* named = report_.section(report::kSectionEnd)->elements.back().get();
    EXPECT_EQ(named->name, "ZAKAZNIK");
    EXPECT_NE(report::TSestavaTyp::elementRecord(*named, 3).find(",ZAKAZNIK,"), std::string::npos);
}

TEST_F(DesignerWindowTest, MovesWithTheMouseOnTheRasterOrFreely) {
    open();
    TPrvekSestavy* e = element(report::kSectionBody, 0); // at (5, 2)
    const QPoint from = centre(e);
    drag(from, from + QPoint(37, 13));
    EXPECT_EQ(e->left, snapToRaster(5 + units(37), 8));
    EXPECT_EQ(e->top, snapToRaster(2 + units(13), 8));
    EXPECT_EQ(e->left % 8, 0);
    // Only the element dragged moved.
    EXPECT_EQ(element(report::kSectionBody, 1)->left, 300);
    EXPECT_EQ(window_->action(QStringLiteral("UndoButton"))->toolTip(),
              QString::fromUtf8("Zrušit přesunu"));
    trigger("UndoButton");
    e = element(report::kSectionBody, 0);
    EXPECT_EQ(e->left, 5);
    EXPECT_EQ(e->top, 2);

    report::DesignerSettings free;
    free.snapToRaster = false;
    open(free);
    e = element(report::kSectionBody, 0);
    drag(centre(e), centre(e) + QPoint(37, 13));
    EXPECT_EQ(e->left, 5 + units(37));
    EXPECT_EQ(e->top, 2 + units(13));
}

TEST_F(DesignerWindowTest, AnElementDroppedOnAnotherBandBelongsToIt) {
    open();
    TPrvekSestavy* e = element(report::kSectionBody, 1);
    const QRect r = sheet().elementRect(e);
    const DesignerSheet::Band* end = sheet().band(report::kSectionEnd);
    // The element's top edge lands 10 pixels into the report end's band.
    drag(r.center(), r.center() + QPoint(0, end->body.top() + 10 - r.top()));
    ASSERT_EQ(count(report::kSectionBody), 2u);
    ASSERT_EQ(count(report::kSectionEnd), 4u);
    EXPECT_EQ(element(report::kSectionEnd, 3), e);
    EXPECT_EQ(e->top % 8, 0);
    EXPECT_LE(std::abs(e->top - units(10)), 4);
    trigger("UndoButton");
    EXPECT_EQ(count(report::kSectionBody), 3u);
    EXPECT_EQ(count(report::kSectionEnd), 3u);
}

TEST_F(DesignerWindowTest, KeysMoveAndResizeByTheRasterAndHandlesResize) {
    open();
    TPrvekSestavy* e = element(report::kSectionBody, 1); // 300, 2, 150 x 16
    click(centre(e));
    ASSERT_EQ(window_->document().selection().size(), 1u);
    QTest::keyClick(&sheet(), Qt::Key_Right);
    QTest::keyClick(&sheet(), Qt::Key_Down);
    EXPECT_EQ(e->left, 308);
    EXPECT_EQ(e->top, 10);
    QTest::keyClick(&sheet(), Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(&sheet(), Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(e->width, 158);
    EXPECT_EQ(e->height, 8);
    EXPECT_EQ(e->left, 308);
    // The position edits show the result and the strip follows.
    EXPECT_EQ(window_->strip()->positionEdit(2)->text(), QStringLiteral("158"));

    // The lower right handle moves the right and lower edges onto the raster.
    const QRect r = sheet().elementRect(e);
    drag(r.bottomRight() + QPoint(1, 1), r.bottomRight() + QPoint(41, 21));
    EXPECT_EQ(e->left, 308);
    EXPECT_EQ(e->top, 10);
    EXPECT_EQ((e->left + e->width) % 8, 0);
    EXPECT_EQ((e->top + e->height) % 8, 0);
    EXPECT_GT(e->width, 158);
    EXPECT_GT(e->height, 8);
    // Each key and the drag were steps of their own.
    trigger("UndoButton");
    EXPECT_EQ(element(report::kSectionBody, 1)->width, 158);
    trigger("RedoButton");
    EXPECT_GT(element(report::kSectionBody, 1)->width, 158);
    for (int i = 0; i < 5; ++i)
        trigger("UndoButton");
    e = element(report::kSectionBody, 1);
    EXPECT_EQ(e->left, 300);
    EXPECT_EQ(e->width, 150);
    EXPECT_FALSE(window_->document().modified());
    EXPECT_FALSE(window_->action(QStringLiteral("UndoButton"))->isEnabled());
    EXPECT_EQ(window_->action(QStringLiteral("RedoButton"))->toolTip(),
              QString::fromUtf8("Znovu přesunu"));
}

TEST_F(DesignerWindowTest, DeletesOneWithoutAskingAndSeveralAfterConfirmation) {
    open();
    click(centre(element(report::kSectionBody, 0)));
    trigger("DeleteButton");
    EXPECT_EQ(count(report::kSectionBody), 2u);
    EXPECT_TRUE(ui_->messages.empty());

    // A rubber band over the whole page head takes its six elements.
    const DesignerSheet::Band* head = sheet().band(report::kSectionHead);
    drag(QPoint(2, head->body.top() + 1), QPoint(sheet().width() - 2, head->body.bottom() - 1));
    EXPECT_EQ(window_->document().selection().size(), 6u);
    answer(MessageResult::No);
    trigger("DeleteButton");
    ASSERT_EQ(ui_->messages.size(), 1u);
    EXPECT_EQ(ui_->messages[0].text, czech("Vymazat vybrané prvky (6)?"));
    EXPECT_EQ(count(report::kSectionHead), 6u);
    answer(MessageResult::Yes);
    QTest::keyClick(&sheet(), Qt::Key_Delete);
    EXPECT_EQ(count(report::kSectionHead), 0u);
    trigger("UndoButton");
    EXPECT_EQ(count(report::kSectionHead), 6u);

    // Asking for one element too, when the settings say so.
    report::DesignerSettings careful;
    careful.confirmDeleteOne = true;
    open(careful);
    ui_->messages.clear();
    answer(MessageResult::No);
    click(centre(element(report::kSectionEnd, 0)));
    trigger("DeleteButton");
    EXPECT_EQ(ui_->messages.size(), 1u);
    EXPECT_EQ(count(report::kSectionEnd), 3u);
}

TEST_F(DesignerWindowTest, CutCopyAndPasteCarryElementRecordsBetweenBands) {
    open();
    const TPrvekSestavy original = *element(report::kSectionBody, 2);
    click(centre(element(report::kSectionBody, 2)));
    trigger("CopyButton");
    click(emptySpot(report::kSectionStart));
    trigger("PasteButton");
    ASSERT_EQ(count(report::kSectionStart), 4u);
    const TPrvekSestavy* pasted = element(report::kSectionStart, 3);
    EXPECT_EQ(report::TSestavaTyp::elementRecord(*pasted, 2),
              report::TSestavaTyp::elementRecord(original, 2));
    EXPECT_EQ(window_->document().selection().front(), pasted);

    trigger("CutButton");
    EXPECT_EQ(count(report::kSectionStart), 3u);
    click(emptySpot(report::kSectionEnd));
    trigger("PasteButton");
    ASSERT_EQ(count(report::kSectionEnd), 4u);
    EXPECT_EQ(element(report::kSectionEnd, 3)->kind, report::kKindField);
    EXPECT_EQ(element(report::kSectionEnd, 3)->lineFlags, original.lineFlags);

    // Text that holds no element records pastes nothing.
    EXPECT_FALSE(window_->document().paste("I,0,\"x\"\r\nnonsense", report::kSectionEnd));
    EXPECT_EQ(count(report::kSectionEnd), 4u);
}

TEST_F(DesignerWindowTest, DrawingOrderMovesTheSelectionToEitherEnd) {
    open();
    TPrvekSestavy* first = element(report::kSectionStart, 0);
    click(centre(first));
    // The run draws a section from its last element to its first: the back is the end.
    trigger("BackButton");
    EXPECT_EQ(element(report::kSectionStart, 2), first);
    trigger("FrontButton");
    EXPECT_EQ(element(report::kSectionStart, 0), first);
    // Where a filled shape and a text overlap, a click takes the one in front.
    TPrvekSestavy* text = element(report::kSectionEnd, 0); // under the frame K[2] in the file
    click(centre(text));
    EXPECT_EQ(window_->document().selection(), std::vector<TPrvekSestavy*>{text});
}

TEST_F(DesignerWindowTest, TheFunctionPageAddsFunctionElementsAndDeletesFunctionsAfterAsking) {
    open();
    QListWidget* functions = window_->palette()->functions();
    ASSERT_EQ(functions->count(), 2);
    EXPECT_EQ(functions->item(1)->text(), QStringLiteral("CELKEM"));
    click(emptySpot(report::kSectionFoot));
    functions->setCurrentRow(1);
    QTest::keyClick(functions, Qt::Key_Return);
    ASSERT_EQ(count(report::kSectionFoot), 3u);
    EXPECT_EQ(element(report::kSectionFoot, 2)->kind, report::kKindFunction);
    EXPECT_EQ(element(report::kSectionFoot, 2)->parameter, 1);

    // Deleting the first function asks; a later function referred to by number follows it.
    functions->setCurrentRow(0);
    auto* drop = window_->palette()->findChild<QWidget*>(QStringLiteral("VynechButton"));
    answer(MessageResult::No);
    QTest::mouseClick(drop, Qt::LeftButton);
    ASSERT_EQ(ui_->messages.size(), 1u);
    EXPECT_EQ(ui_->messages[0].text, czech("Smazat vybranou funkci?"));
    EXPECT_EQ(report_.functions().count(), 2);
    answer(MessageResult::Yes);
    window_->palette()->functions()->setCurrentRow(0);
    QTest::mouseClick(drop, Qt::LeftButton);
    ASSERT_EQ(report_.functions().count(), 1);
    EXPECT_EQ(report_.functions().item(0)->name(), "CELKEM");
    EXPECT_EQ(element(report::kSectionFoot, 2)->parameter, 0);
    EXPECT_EQ(window_->palette()->functions()->count(), 1);
    // Elements that name their function keep the name.
    EXPECT_EQ(element(report::kSectionEnd, 1)->name, "CELKEM");
    trigger("UndoButton");
    EXPECT_EQ(report_.functions().count(), 2);
}

TEST_F(DesignerWindowTest, AddsAndDeletesAGroupWithItsBands) {
    open();
    window_->palette()->fields()->setCurrentRow(1);
    trigger("AddGroupButton");
    ASSERT_EQ(sheet().bands().size(), 9u);
    EXPECT_EQ(report_.groups().count(), 2);
    EXPECT_EQ(report_.groups().item(1)->field, 1);
    EXPECT_EQ(report::sectionName(sheet().bands()[7].section->index), czech("Začátek skupiny 2"));

    // Deleting the first group renumbers the second; its elements go with it.
    click(emptySpot(report::groupStartSection(0)));
    answer(MessageResult::Yes);
    trigger("DeleteGroupButton");
    ASSERT_EQ(ui_->messages.size(), 1u);
    EXPECT_EQ(ui_->messages[0].text,
              czech("Opravdu smazat vybranou skupinu včetně případných vložených prvků sestavy?"));
    ASSERT_EQ(report_.groups().count(), 1);
    EXPECT_EQ(report_.groups().item(0)->number, 0);
    EXPECT_EQ(report_.groups().item(0)->field, 1);
    EXPECT_TRUE(report_.groups().item(0)->start->elements.empty());
    EXPECT_EQ(sheet().bands().size(), 7u);
    // The sum that restarted with the deleted group now runs over the whole report.
    EXPECT_EQ(report_.functions().item(0)->definition().reset, 0);

    trigger("UndoButton");
    ASSERT_EQ(report_.groups().count(), 2);
    EXPECT_EQ(report_.groups().item(0)->start->elements.size(), 2u);
    EXPECT_EQ(report_.functions().item(0)->definition().reset, 2);
}

TEST_F(DesignerWindowTest, SavesAndTheTemplateReadsBackAsTheDesignerLeftIt) {
    const std::string before = readBytes(dir_ / "GROUPED.PTS");
    open();
    drag(centre(element(report::kSectionBody, 0)),
         centre(element(report::kSectionBody, 0)) + QPoint(0, 20));
    click(emptySpot(report::kSectionFoot));
    window_->palette()->setCurrentIndex(3);
    QTest::mouseClick(window_->palette()->findChild<QWidget*>(QStringLiteral("Var4")),
                      Qt::LeftButton);
    ASSERT_EQ(count(report::kSectionFoot), 3u);
    EXPECT_EQ(element(report::kSectionFoot, 2)->kind, report::kKindVariable);
    EXPECT_EQ(element(report::kSectionFoot, 2)->parameter, report::kVarPageCount);
    EXPECT_TRUE(window_->document().modified());

    trigger("SaveButton");
    EXPECT_FALSE(window_->document().modified());
    EXPECT_FALSE(window_->action(QStringLiteral("UndoButton"))->isEnabled());
    EXPECT_EQ(readBytes(dir_ / "GROUPED.BAK"), before);

    report::TSestava reread;
    openReport(reread);
    EXPECT_EQ(reread.templateLines(), report_.templateLines());
    EXPECT_EQ(reread.section(report::kSectionBody)->elements[0]->top,
              element(report::kSectionBody, 0)->top);
    EXPECT_EQ(reread.section(report::kSectionFoot)->elements.size(), 3u);

    // Closing after saving answers "saved".
    trigger("CloseButton");
    EXPECT_EQ(window_->result(), QDialog::Accepted);
    EXPECT_TRUE(ui_->messages.empty());

    // With "UndoSave" the steps stay after saving.
    report::DesignerSettings keep;
    keep.undoAfterSave = true;
    open(keep);
    click(centre(element(report::kSectionBody, 1)));
    QTest::keyClick(&sheet(), Qt::Key_Left);
    trigger("SaveButton");
    EXPECT_TRUE(window_->action(QStringLiteral("UndoButton"))->isEnabled());
}

TEST_F(DesignerWindowTest, AFailedSaveTellsTheUserAndKeepsTheEdits) {
    // A folder where the backup should go makes the backup, and so the save, fail.
    std::filesystem::create_directories(dir_ / "GROUPED.BAK" / "inside");
    open();
    TPrvekSestavy* e = element(report::kSectionBody, 1);
    click(centre(e));
    QTest::keyClick(&sheet(), Qt::Key_Right);
    trigger("SaveButton");
    bool told = false;
    for (const MessageBoxRequest& m : ui_->messages)
        told = told || m.text == czech("Předlohou se nepodařilo uložit.");
    EXPECT_TRUE(told);
    EXPECT_EQ(element(report::kSectionBody, 1)->left, 308);
    EXPECT_TRUE(window_->document().modified());
    EXPECT_TRUE(window_->action(QStringLiteral("UndoButton"))->isEnabled());
}

TEST_F(DesignerWindowTest, ClosingWithUnsavedChangesAsksAndCancellingPutsTheTemplateBack) {
    const std::string before = readBytes(dir_ / "GROUPED.PTS");
    open();
    trigger("CancelButton"); // nothing changed: no question
    EXPECT_TRUE(ui_->messages.empty());
    EXPECT_EQ(window_->result(), QDialog::Rejected);

    open();
    click(centre(element(report::kSectionBody, 1)));
    QTest::keyClick(&sheet(), Qt::Key_Right);
    answer(MessageResult::Cancel);
    trigger("CloseButton");
    EXPECT_EQ(ui_->messages.size(), 1u);
    EXPECT_TRUE(window_->isVisible());
    answer(MessageResult::No);
    trigger("CloseButton");
    EXPECT_FALSE(window_->isVisible());
    EXPECT_EQ(window_->result(), QDialog::Rejected);
    EXPECT_EQ(element(report::kSectionBody, 1)->left, 300);
    EXPECT_EQ(readBytes(dir_ / "GROUPED.PTS"), before);

    // Escape asks as "Zrušit" does; "no" keeps the designer open.
    open();
    click(centre(element(report::kSectionBody, 1)));
    QTest::keyClick(&sheet(), Qt::Key_Left);
    answer(MessageResult::No);
    QTest::keyClick(window_.get(), Qt::Key_Escape);
    EXPECT_TRUE(window_->isVisible());
}

TEST_F(DesignerWindowTest, AnElementOutsideThePaperIsShownAndCanBeMovedBack) {
    {
        std::ofstream out(dir_ / "WIDE.PTS", std::ios::binary);
        out << "I,1,4,0,0\r\nI,3,2,1,20,0\r\n"
               "T,1,0,1500,60,100,16,Arial,10,0,0,0,0,238,\"far\",0\r\n";
    }
    report_.setReportName("WIDE.PTS");
    ASSERT_TRUE(report_.loadTemplate());
    open();
    TPrvekSestavy* far = element(report::kSectionBody, 0);
    const QRect r = sheet().elementRect(far);
    EXPECT_TRUE(sheet().rect().contains(r));
    EXPECT_TRUE(sheet().band(report::kSectionBody)->body.contains(r));
    click(r.center());
    QLineEdit* left = window_->strip()->positionEdit(0);
    QLineEdit* top = window_->strip()->positionEdit(1);
    left->setText(QStringLiteral("100"));
    top->setText(QStringLiteral("0"));
    QTest::keyClick(top, Qt::Key_Return);
    EXPECT_EQ(far->left, 100);
    EXPECT_EQ(far->top, 0);
}

TEST_F(DesignerWindowTest, ExtremePlacesAndSizesOpenAndMoveWithoutOverflowing) {
    {
        std::ofstream out(dir_ / "WILD.PTS", std::ios::binary);
        out << "I,1,4,0,0\r\nI,3,2,1,2147483647,0\r\n"
               "T,1,0,2147483647,-2147483648,2147483647,2147483647,Arial,10,0,0,0,0,238,\"a\",0\r\n"
               "T,1,0,-300,-40,100,16,Arial,10,0,0,0,0,238,\"left of the paper\",0\r\n";
    }
    report_.setReportName("WILD.PTS");
    ASSERT_TRUE(report_.loadTemplate());
    open();
    // The sheet stays of a size a screen can scroll through, and holds the element above and
    // left of the paper.
    EXPECT_LT(sheet().width(), 30000);
    EXPECT_LT(sheet().height(), 60000);
    TPrvekSestavy* near = element(report::kSectionBody, 1);
    EXPECT_TRUE(sheet().rect().contains(sheet().elementRect(near)));
    TPrvekSestavy* wild = element(report::kSectionBody, 0);
    window_->document().setSelection({wild});
    QTest::keyClick(&sheet(), Qt::Key_Right);
    QTest::keyClick(&sheet(), Qt::Key_Up);
    QTest::keyClick(&sheet(), Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(wild->left, INT32_MAX);
    EXPECT_EQ(wild->top, INT32_MIN);
    EXPECT_EQ(wild->width, INT32_MAX);
    trigger("AlignAllButton");
    EXPECT_EQ(wild->left % 8, INT32_MAX % 8 - 7);
    // The element near the paper comes back by the mouse.
    click(centre(near));
    drag(centre(near), centre(near) + QPoint(400, 60));
    EXPECT_GT(near->left, 0);
    EXPECT_GE(near->top, 0);
}

TEST_F(DesignerWindowTest, TheTextEditTakesAtMost132CharactersAndAppliesOnEnter) {
    open();
    TPrvekSestavy* title = element(report::kSectionStart, 1); // "Přehled prodeje podle oblastí"
    click(centre(title));
    QLineEdit* text = window_->strip()->textEdit();
    EXPECT_EQ(text->text(), QString::fromUtf8("Přehled prodeje podle oblastí"));
    text->selectAll();
    QTest::keyClicks(text, QString(200, QLatin1Char('x')));
    QTest::keyClick(text, Qt::Key_Return);
    EXPECT_EQ(title->text, std::string(132, 'x'));
    trigger("UndoButton");
    EXPECT_EQ(element(report::kSectionStart, 1)->text, czech("Přehled prodeje podle oblastí"));
}

TEST_F(DesignerWindowTest, AlignToRasterMovesTheSelectedOrAllElements) {
    open();
    click(centre(element(report::kSectionBody, 0)));
    trigger("AlignSelectedButton");
    EXPECT_EQ(element(report::kSectionBody, 0)->left, 8); // from 5
    EXPECT_EQ(element(report::kSectionBody, 1)->left, 300);
    EXPECT_EQ(element(report::kSectionBody, 2)->left, 526);
    trigger("AlignAllButton");
    for (report::TOddilSestavy* s : window_->document().bands())
        for (const auto& e : s->elements) {
            EXPECT_EQ(e->left % 8, 0);
            EXPECT_EQ(e->top % 8, 0);
        }
}

TEST(DesignReport, ATemplateThatCannotBeReadOpensNoDesigner) {
    test_support::RecordingUiScope ui;
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("vorlan_designer_bad_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    {
        std::ofstream out(dir / "BAD.PTS", std::ios::binary);
        out << "I,1,4,0,0\r\nT,1,0,0,0,10,10,Arial,10,99,0,0,0,238,\"x\",0\r\n";
    }
    const report::PaperSettings paper = report::paperSettings();
    report::TSestava report;
    report.reportDirIgnore = false;
    report.setReportDir(pathMapper().toProgram(dir));
    report.setReportName("BAD.PTS");
    EXPECT_EQ(editReport(report), report::kSestNotPossible);
    ASSERT_EQ(ui->messages.size(), 1u);
    EXPECT_NE(ui->messages[0].text.find(czech("Nelze načíst předlohu tiskové sestavy")),
              std::string::npos);
    report::paperSettings() = paper;
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace vorlan::qt::test
