// The database window's table tool as a user drives it: its dialogs filled in and confirmed,
// their Czech faults for answers that cannot be taken, and what the grid and the record counter
// show afterwards.
#include "core/cp1250.h"
#include "core/path_mapper.h"
#include "dbf/table.h"
#include "dbf/temp_dir.h"
#include "ui/qt/dbf/dbf_window.h"
#include "ui/qt/dbf/table_dialogs.h"
#include "window_models/dbf/work_areas.h"
#include "window_models/recording_ui.h"

#include "ui/english_words.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFont>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>

#include <functional>

#include <gtest/gtest.h>

using namespace vorlan;

namespace {

// Runs `act` on the dialog of type D the next modal loop shows; a dialog still open afterwards
// is cancelled.
template <class D> void onDialog(std::function<void(D&)> act, bool& seen) {
    seen = false;
    QTimer::singleShot(0, [act, &seen] {
        QWidget* modal = QApplication::activeModalWidget();
        auto* dialog = qobject_cast<D*>(modal);
        if (!dialog) {
            if (modal) modal->close();
            return;
        }
        seen = true;
        act(*dialog);
        if (dialog->isVisible()) dialog->reject();
    });
}

void type(QDialog& dialog, const char* line, const char* text) {
    auto* edit = dialog.findChild<QLineEdit*>(QString::fromLatin1(line));
    ASSERT_NE(edit, nullptr) << line;
    edit->setText(QString::fromUtf8(text));
}

// Confirms the dialog and answers the fault it shows (empty when it closed).
std::string confirm(QDialog& dialog) {
    dialog.accept();
    if (!dialog.isVisible()) return {};
    auto* fault = dialog.findChild<QLabel*>(QStringLiteral("Chyba"));
    return fault ? fault->text().toStdString() : "?";
}

class TableTool : public ::testing::Test {
protected:
    void SetUp() override { window.show(); }

    // Twelve goods: NAZEV "Vec 1".."Vec 12", CENA 1..12, a memo in the first; tags by name and
    // by price.
    std::string makeTable() {
        const auto path = dir / "ZBOZI.DBF";
        auto t = dbf::Table::create(path, {{"NAZEV", 'C', 12}, {"CENA", 'N', 8, 2}, {"POZN", 'M'}});
        for (int i = 1; i <= 12; ++i) {
            t->append();
            t->setString(0, "Vec " + std::to_string(i));
            t->setNumber(1, i);
            if (i == 1) t->setMemo(2, "prvni");
        }
        t->createTag("JMENO", "UPPER(NAZEV)");
        t->createTag("CENA", "CENA");
        t->close();
        return path.string();
    }
    QString status() const { return window.statusLabel()->text(); }
    QString cell(int row, int column) const {
        QAbstractItemModel* m = window.grid()->model();
        return m->data(m->index(row, column)).toString();
    }

    dbftest::TempDir dir;
    windows::DbfWorkAreas areas;
    qt::DbfWindow window{areas};
    bool seen = false;
};

TEST_F(TableTool, AFilterIsCheckedInItsDialogAndTheCounterCountsWhatItShows) {
    ASSERT_TRUE(areas.use(makeTable()));
    ASSERT_TRUE(window.filterItem()->isEnabled());
    std::vector<std::string> faults;
    onDialog<qt::LinesDialog>(
        [&](qt::LinesDialog& d) {
            type(d, "Podminka", "NENI > 2");
            faults.push_back(confirm(d));
            type(d, "Podminka", "CENA");
            faults.push_back(confirm(d));
            type(d, "Podminka", "CENA > 8");
            faults.push_back(confirm(d));
        },
        seen);
    window.filterClicked();
    ASSERT_TRUE(seen);
    ASSERT_EQ(faults.size(), 3u);
    EXPECT_NE(faults[0].find("Výraz filtru „NENI > 2“ je chybný"), std::string::npos) << faults[0];
    EXPECT_NE(faults[1].find("musí být logický výraz"), std::string::npos) << faults[1];
    EXPECT_EQ(faults[2], "");
    EXPECT_EQ(window.toolbar()->height(), 62);
    EXPECT_EQ(window.filterLine()->text(), QStringLiteral("CENA > 8"));
    EXPECT_EQ(window.grid()->model()->rowCount(), 4);
    // The counter counts the four rows shown, not the twelve records.
    EXPECT_EQ(status(), QString::fromUtf8("1/4 (záznam 9)"));
    areas.current()->access().skip(2);
    EXPECT_EQ(status(), QString::fromUtf8("3/4 (záznam 11)"));
    // A script's failed seek stands past the last record: the counter says so.
    areas.current()->access().setOrder(2);
    EXPECT_FALSE(areas.current()->seek("99"));
    window.refresh();
    EXPECT_EQ(status(), QString::fromUtf8("konec/4"));

    // An empty condition clears the filter.
    onDialog<qt::LinesDialog>(
        [&](qt::LinesDialog& d) {
            EXPECT_EQ(d.findChild<QLineEdit*>(QStringLiteral("Podminka"))->text(),
                      QStringLiteral("CENA > 8"));
            type(d, "Podminka", "");
            EXPECT_EQ(confirm(d), "");
        },
        seen);
    window.filterClicked();
    EXPECT_EQ(window.toolbar()->height(), 32);
    EXPECT_EQ(window.grid()->model()->rowCount(), 12);
    areas.current()->seek("99");
    window.refresh();
    EXPECT_EQ(status(), QString::fromUtf8("konec/12"));
}

TEST_F(TableTool, ASeekThatFindsNothingLeavesTheRecordWhereItWas) {
    ASSERT_TRUE(areas.use(makeTable()));
    EXPECT_FALSE(window.seekItem()->isEnabled());
    window.indexChosen(2); // CENA
    ASSERT_TRUE(window.seekItem()->isEnabled());
    onDialog<qt::LinesDialog>(
        [&](qt::LinesDialog& d) {
            type(d, "Klic", "7");
            EXPECT_EQ(confirm(d), "");
        },
        seen);
    window.seekClicked();
    ASSERT_TRUE(seen);
    EXPECT_EQ(areas.current()->access().recNo(), 7u);
    EXPECT_EQ(status(), QStringLiteral("7/12"));
    EXPECT_EQ(window.grid()->currentIndex().row(), 6);

    std::string fault;
    onDialog<qt::LinesDialog>(
        [&](qt::LinesDialog& d) {
            // The last key is offered again.
            EXPECT_EQ(d.findChild<QLineEdit*>(QStringLiteral("Klic"))->text(), QStringLiteral("7"));
            type(d, "Klic", "77");
            fault = confirm(d);
        },
        seen);
    window.seekClicked();
    EXPECT_NE(fault.find("Záznam s klíčem „77“ nebyl nalezen"), std::string::npos) << fault;
    EXPECT_EQ(areas.current()->access().recNo(), 7u);
    EXPECT_EQ(status(), QStringLiteral("7/12"));

    // A key over upper-cased names finds what is typed in small letters.
    window.indexChosen(1); // UPPER(NAZEV)
    onDialog<qt::LinesDialog>(
        [&](qt::LinesDialog& d) {
            type(d, "Klic", "vec 11");
            EXPECT_EQ(confirm(d), "");
        },
        seen);
    window.seekClicked();
    EXPECT_EQ(areas.current()->access().recNo(), 11u);
}

TEST_F(TableTool, ANewIndexWithAConditionBecomesTheControllingOrder) {
    const std::string path = makeTable();
    ASSERT_TRUE(areas.use(path));
    std::vector<std::string> faults;
    onDialog<qt::LinesDialog>(
        [&](qt::LinesDialog& d) {
            type(d, "Jmeno", "1DRAHE");
            type(d, "Klic", "CENA");
            faults.push_back(confirm(d));
            type(d, "Jmeno", "CENA");
            faults.push_back(confirm(d));
            type(d, "Jmeno", "drahe");
            type(d, "Klic", "CENA +");
            faults.push_back(confirm(d));
            type(d, "Klic", "CENA > 1");
            faults.push_back(confirm(d));
            type(d, "Klic", "CENA");
            type(d, "Podminka", "NAZEV");
            faults.push_back(confirm(d));
            type(d, "Podminka", "CENA > 6");
            faults.push_back(confirm(d));
        },
        seen);
    window.addIndexClicked();
    ASSERT_TRUE(seen);
    ASSERT_EQ(faults.size(), 6u);
    EXPECT_NE(faults[0].find("„1DRAHE“ není platné"), std::string::npos) << faults[0];
    EXPECT_NE(faults[1].find("už má index „CENA“"), std::string::npos) << faults[1];
    EXPECT_NE(faults[2].find("je chybný"), std::string::npos) << faults[2];
    EXPECT_NE(faults[3].find("nemůže být logický"), std::string::npos) << faults[3];
    EXPECT_NE(faults[4].find("musí být logický výraz"), std::string::npos) << faults[4];
    EXPECT_EQ(faults[5], "");

    ASSERT_EQ(window.indexBox()->count(), 4);
    EXPECT_EQ(window.indexBox()->itemText(3), QStringLiteral("DRAHE : CENA"));
    EXPECT_EQ(window.indexBox()->currentIndex(), 3);
    EXPECT_TRUE(window.seekItem()->isEnabled());
    EXPECT_EQ(window.grid()->model()->rowCount(), 6);
    EXPECT_EQ(status(), QString::fromUtf8("1/6 (záznam 7)"));
    // The tag is in the table's index file for whoever opens it next.
    areas.use({});
    auto t = dbf::Table::open(path);
    const int order = t->orderOf("DRAHE");
    ASSERT_GT(order, 0);
    EXPECT_EQ(t->index(order).forExpr(), "CENA > 6");
}

TEST_F(TableTool, ANewTableIsDescribedFieldByFieldAndOpened) {
    test_support::RecordingUiScope ui;
    makeTable();
    window.selectAreaClicked(2);
    ASSERT_TRUE(window.createItem()->isEnabled());
    // A table that is there already is not offered for a new structure.
    ui->fileAnswer = pathMapper().toProgram(dir / "ZBOZI.DBF");
    onDialog<qt::StructureDialog>([](qt::StructureDialog&) {}, seen);
    window.createClicked();
    QApplication::processEvents(); // the watch for a dialog ends without one
    EXPECT_FALSE(seen);
    ASSERT_FALSE(ui->messages.empty());
    EXPECT_NE(cp1250ToUtf8(ui->messages.back().text).find("už existuje"), std::string::npos);

    ui->fileAnswer = pathMapper().toProgram(dir / "NOVA");
    std::vector<std::string> faults;
    onDialog<qt::StructureDialog>(
        [&](qt::StructureDialog& d) {
            EXPECT_EQ(d.table()->rowCount(), 1); // one empty row to start from
            faults.push_back(confirm(d));
            d.setFields({{{"KOD", 'C', 6}, ""}, {{"kod", 'N', 4}, ""}});
            faults.push_back(confirm(d));
            d.table()->item(1, 0)->setText(QStringLiteral("pocet"));
            d.addRow();
            d.table()->item(2, 0)->setText(QStringLiteral("DATUM"));
            auto* kind = qobject_cast<QComboBox*>(d.table()->cellWidget(2, 1));
            kind->setCurrentIndex(kind->findData(QChar(u'D')));
            // A date's width is its own.
            EXPECT_EQ(d.table()->item(2, 2)->text(), QStringLiteral("8"));
            faults.push_back(confirm(d));
        },
        seen);
    window.createClicked();
    ASSERT_TRUE(seen);
    ASSERT_EQ(faults.size(), 3u);
    EXPECT_NE(faults[0].find("není platné"), std::string::npos) << faults[0];
    EXPECT_NE(faults[1].find("dvakrát"), std::string::npos) << faults[1];
    EXPECT_EQ(faults[2], "");
    ASSERT_NE(areas.current(), nullptr);
    EXPECT_EQ(areas.selected(), 2);
    EXPECT_TRUE(window.windowTitle().endsWith(QStringLiteral("NOVA.DBF")));
    EXPECT_EQ(window.grid()->model()->columnCount(), 3);
    EXPECT_EQ(window.grid()->model()->headerData(1, Qt::Horizontal).toString(),
              QStringLiteral("POCET"));
    EXPECT_EQ(status(), QStringLiteral("0/0"));
    EXPECT_FALSE(window.createItem()->isEnabled());
}

TEST_F(TableTool, AChangedStructureKeepsTheDataAndTheOldTableAsABackup) {
    test_support::RecordingUiScope ui;
    ASSERT_TRUE(areas.use(makeTable()));
    areas.setFilter("CENA > 10");
    onDialog<qt::StructureDialog>(
        [&](qt::StructureDialog& d) {
            // The dialog starts from the table's fields.
            ASSERT_EQ(d.table()->rowCount(), 3);
            EXPECT_EQ(d.table()->item(0, 0)->text(), QStringLiteral("NAZEV"));
            EXPECT_EQ(d.table()->item(1, 3)->text(), QStringLiteral("2"));
            // NAZEV renamed and widened, CENA moved last, a new field between.
            d.table()->item(0, 0)->setText(QStringLiteral("JMENO"));
            d.table()->item(0, 2)->setText(QStringLiteral("20"));
            d.table()->setCurrentCell(1, 0);
            d.moveRow(1);
            d.table()->setCurrentCell(1, 0);
            d.addRow();
            d.table()->item(2, 0)->setText(QStringLiteral("SKLAD"));
            EXPECT_EQ(confirm(d), "");
        },
        seen);
    window.changeStructureClicked();
    ASSERT_TRUE(seen);
    ASSERT_FALSE(ui->messages.empty());
    const std::string told = cp1250ToUtf8(ui->messages.back().text);
    EXPECT_NE(told.find("záznamů zkopírováno: 12"), std::string::npos) << told;
    EXPECT_NE(told.find("ZBOZI.BAK"), std::string::npos) << told;
    // The tag over the renamed field is gone and said so.
    EXPECT_NE(told.find("JMENO"), std::string::npos) << told;
    EXPECT_TRUE(std::filesystem::exists(dir / "ZBOZI.BAK"));
    EXPECT_TRUE(std::filesystem::exists(dir / "ZBOZI.TBK"));

    // The window shows the new table whole: the filter went with the old fields.
    QAbstractItemModel* m = window.grid()->model();
    ASSERT_EQ(m->columnCount(), 4);
    EXPECT_EQ(m->headerData(0, Qt::Horizontal).toString(), QStringLiteral("JMENO"));
    EXPECT_EQ(m->headerData(2, Qt::Horizontal).toString(), QStringLiteral("SKLAD"));
    EXPECT_EQ(m->headerData(3, Qt::Horizontal).toString(), QStringLiteral("CENA"));
    EXPECT_EQ(m->rowCount(), 12);
    EXPECT_EQ(window.toolbar()->height(), 32);
    EXPECT_EQ(cell(11, 0), QStringLiteral("Vec 12              "));
    EXPECT_EQ(cell(11, 3), QStringLiteral("12,00"));
    ASSERT_EQ(window.indexBox()->count(), 2);
    EXPECT_EQ(window.indexBox()->itemText(1), QStringLiteral("CENA : CENA"));
}

TEST_F(TableTool, EditModeWritesCellsAndMarksDeletedRecords) {
    test_support::RecordingUiScope ui;
    const std::string path = makeTable();
    ASSERT_TRUE(window.browse(path));
    QAbstractItemModel* m = window.grid()->model();
    EXPECT_FALSE(m->flags(m->index(0, 1)) & Qt::ItemIsEditable);
    EXPECT_TRUE(window.deleteButton()->isHidden());
    // Browsing opened the table read-only; editing opens it for writing.
    ASSERT_TRUE(window.editItem()->isEnabled());
    window.editItem()->setChecked(true);
    EXPECT_FALSE(areas.current()->table().readOnly());
    EXPECT_FALSE(window.deleteButton()->isHidden());
    EXPECT_TRUE(m->flags(m->index(0, 1)) & Qt::ItemIsEditable);
    EXPECT_FALSE(m->flags(m->index(0, 2)) & Qt::ItemIsEditable); // memos: in the memo window

    // Numbers are shown and read with a decimal comma.
    EXPECT_EQ(cell(0, 1), QStringLiteral("1,00"));
    EXPECT_EQ(m->data(m->index(0, 0), Qt::EditRole).toString(), QStringLiteral("Vec 1"));
    EXPECT_TRUE(m->setData(m->index(0, 1), QStringLiteral("12,5")));
    EXPECT_TRUE(m->setData(m->index(1, 0), QStringLiteral("Jiná")));
    QApplication::processEvents();
    EXPECT_EQ(cell(0, 1), QStringLiteral("12,50"));
    EXPECT_EQ(cell(1, 0), QString::fromUtf8("Jiná        "));
    // What the field cannot take is refused with the reason, and the record keeps its value.
    EXPECT_FALSE(m->setData(m->index(2, 1), QStringLiteral("dvanáct")));
    ASSERT_FALSE(ui->messages.empty());
    EXPECT_NE(cp1250ToUtf8(ui->messages.back().text).find("není platné číslo"), std::string::npos);
    EXPECT_FALSE(m->setData(m->index(2, 0), QStringLiteral("Příliš dlouhý název")));
    EXPECT_NE(cp1250ToUtf8(ui->messages.back().text).find("delší než položka NAZEV"),
              std::string::npos);
    EXPECT_EQ(cell(2, 0), QStringLiteral("Vec 3       "));
    {
        auto t = dbf::Table::open(path);
        t->goTo(1);
        EXPECT_DOUBLE_EQ(t->getNumber(1), 12.5);
    }

    // The delete button marks the current record; the grid shows it struck through.
    areas.current()->access().go(3);
    window.deleteButton()->click();
    EXPECT_EQ(status(), QStringLiteral("3/12 [Deleted]"));
    EXPECT_EQ(m->headerData(2, Qt::Vertical).toString(), QStringLiteral("*3"));
    EXPECT_TRUE(m->data(m->index(2, 0), Qt::FontRole).value<QFont>().strikeOut());
    EXPECT_FALSE(m->data(m->index(1, 0), Qt::FontRole).value<QFont>().strikeOut());
    // The line runs through the text only, not through the blanks that fill the field.
    EXPECT_EQ(cell(2, 0), QStringLiteral("Vec 3"));
    EXPECT_EQ(cell(1, 0), QString::fromUtf8("Jiná        "));
    // Not showing deleted records hides the row and the counter counts what is left.
    window.showDeletedItem()->trigger();
    EXPECT_FALSE(areas.showDeleted());
    EXPECT_EQ(m->rowCount(), 11);
    areas.current()->access().go(4);
    EXPECT_EQ(status(), QString::fromUtf8("3/11 (záznam 4)"));
    window.showDeletedItem()->trigger();
    EXPECT_EQ(m->rowCount(), 12);
    areas.current()->access().go(3);
    window.deleteButton()->click(); // recalled
    EXPECT_EQ(status(), QStringLiteral("3/12"));

    window.editItem()->setChecked(false);
    EXPECT_TRUE(window.deleteButton()->isHidden());
    EXPECT_FALSE(m->flags(m->index(0, 1)) & Qt::ItemIsEditable);
}

TEST_F(TableTool, ColumnsAreAsWideAsTheirFields) {
    {
        auto t = dbf::Table::create(dir / "SIRKY.DBF", {{"DLOUHY", 'C', 40},
                                                        {"K", 'C', 2},
                                                        {"CASTKA", 'N', 12, 2},
                                                        {"DATUM", 'D'},
                                                        {"A", 'L'}});
        t->append();
    }
    ASSERT_TRUE(areas.use((dir / "SIRKY.DBF").string()));
    QHeaderView* header = window.grid()->horizontalHeader();
    const int digit = window.grid()->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    EXPECT_GE(header->sectionSize(0), 40 * digit);
    EXPECT_LT(header->sectionSize(1), header->sectionSize(2));
    EXPECT_GE(header->sectionSize(2), 12 * digit);
    EXPECT_LT(header->sectionSize(2), header->sectionSize(0));
    EXPECT_GE(header->sectionSize(3), 10 * digit);
    // A one-letter field is still as wide as its title.
    EXPECT_GE(header->sectionSize(4), window.grid()->fontMetrics().horizontalAdvance(u'A'));
    EXPECT_LT(header->sectionSize(4), header->sectionSize(3));
}

} // namespace

TEST_F(TableTool, TheWindowItsMenuAndItsDialogsSpeakCzech) {
    test_support::RecordingUiScope ui;
    ASSERT_TRUE(areas.use(makeTable()));
    window.editItem()->setChecked(true);
    areas.current()->access().go(3);
    window.deleteButton()->click();
    // The record counter's marks are the fixed texts programs read back.
    const QStringList fixed{QStringLiteral(" [Deleted]"), QStringLiteral(" [Locked]")};
    EXPECT_EQ(qt::testing::englishTexts(window, fixed), "");
    window.indexChosen(1);
    ui->fileAnswer = pathMapper().toProgram(dir / "NOVA.DBF");
    for (void (qt::DbfWindow::*open)() :
         {&qt::DbfWindow::filterClicked, &qt::DbfWindow::seekClicked,
          &qt::DbfWindow::addIndexClicked, &qt::DbfWindow::createClicked,
          &qt::DbfWindow::changeStructureClicked}) {
        std::string english = "no dialog";
        // Examples of conditions use the expressions' own operators.
        onDialog<QDialog>(
            [&](QDialog& d) { english = qt::testing::englishTexts(d, {QStringLiteral(".AND.")}); },
            seen);
        (window.*open)();
        EXPECT_EQ(english, "");
    }
}
