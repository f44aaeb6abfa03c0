// The memo editor: OK posts a changed memo, "Konec" posts nothing, Esc asks about changes.

#include "forms_fixture.h"

#include "core/cp1250.h"
#include "data/memory_data_set.h"
#include "ui/qt/memo/memo_editor.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace vorlan;
using namespace vorlan::forms::testing;
using data::DataSetState;
using script::Value;

namespace {

class MemoEditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        forms::testing::ensureRegistered();
        notes.setFields(
            {{"NAME", data::FieldType::String, 10}, {"NOTE", data::FieldType::Memo, 10}});
        notes.addRow({Value("A"), Value("first line\r\nsecond")});
        notes.addRow({Value("B"), Value("")});
        notes.open();
        source.setDataSet(&notes);
        auto ui = std::make_unique<HeadlessUi>(&log);
        ui->setAnswer([this](const MessageBoxRequest& request) {
            questions.push_back(request.text);
            return answer;
        });
        scope = std::make_unique<UiScope>(std::move(ui));
        editor = std::make_unique<memo::MemoEditor>();
        editor->bind(&source, "NOTE");
    }
    void TearDown() override {
        editor.reset();
        scope.reset();
    }
    void type(const char* text) {
        QPlainTextEdit* memo = editor->memoWidget();
        memo->moveCursor(QTextCursor::End);
        QTest::keyClicks(memo, text);
    }
    std::string stored(std::size_t row) { return notes.rows().at(row).at(1).toString(); }

    data::MemoryDataSet notes;
    data::DataSource source;
    std::ostringstream log;
    std::vector<std::string> questions;
    MessageResult answer = MessageResult::Cancel;
    std::unique_ptr<UiScope> scope;
    std::unique_ptr<memo::MemoEditor> editor;
};

} // namespace

TEST_F(MemoEditorTest, ShowsTheFieldAndItsWindowHasTheUsualParts) {
    EXPECT_EQ(editor->memoWidget()->toPlainText(), QStringLiteral("first line\nsecond"));
    EXPECT_FALSE(editor->modified());
    auto& form = editor->form();
    for (const char* name : {"MemoEdit", "Panel", "BitBtn1", "BitBtn2"})
        EXPECT_NE(form.findComponent(name), nullptr) << name;
    auto* close = dynamic_cast<forms::Control*>(form.findComponent("BitBtn2"));
    EXPECT_EQ(qobject_cast<QPushButton*>(close->widget())->text(), QStringLiteral("Konec"));
    notes.next();
    EXPECT_TRUE(editor->memoWidget()->toPlainText().isEmpty());
}

TEST_F(MemoEditorTest, OkPostsOnlyAChangedMemo) {
    editor->pressOk();
    EXPECT_EQ(notes.state(), DataSetState::Browse);
    type("!");
    EXPECT_TRUE(editor->modified());
    editor->pressOk();
    EXPECT_EQ(notes.state(), DataSetState::Browse);
    // Line ends go back as the memo file keeps them.
    EXPECT_EQ(stored(0), "first line\r\nsecond!");
    EXPECT_TRUE(questions.empty());
}

TEST_F(MemoEditorTest, KonecPostsNothingAndLeavesTheRecordAsItWas) {
    type(" more");
    editor->pressClose();
    EXPECT_EQ(notes.state(), DataSetState::Browse);
    EXPECT_EQ(stored(0), "first line\r\nsecond");
    EXPECT_EQ(notes.fieldByName("NOTE")->asString(), "first line\r\nsecond");
}

TEST_F(MemoEditorTest, EscClosesAtOnceWithoutChangesAndAsksWithThem) {
    QTest::keyClick(editor->memoWidget(), Qt::Key_Escape);
    EXPECT_TRUE(questions.empty());

    type("x");
    answer = MessageResult::Cancel; // stays, with the text
    QTest::keyClick(editor->memoWidget(), Qt::Key_Escape);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0], czech("Uložit změny ?"));
    EXPECT_TRUE(editor->modified());
    EXPECT_EQ(stored(0), "first line\r\nsecond");

    answer = MessageResult::No; // closes without posting
    QTest::keyClick(editor->memoWidget(), Qt::Key_Escape);
    EXPECT_EQ(stored(0), "first line\r\nsecond");
    EXPECT_EQ(notes.state(), DataSetState::Browse);

    notes.next();
    type("new");
    answer = MessageResult::Yes; // posts in whichever record is current
    QTest::keyClick(editor->memoWidget(), Qt::Key_Escape);
    EXPECT_EQ(stored(1), "new");
    EXPECT_EQ(stored(0), "first line\r\nsecond");
}

TEST_F(MemoEditorTest, ARefusedPostKeepsTheWindowOpenWithTheText) {
    // A data set that cannot post (a record locked by someone else) must not lose the text.
    class LockedNotes : public data::MemoryDataSet {
    public:
        using MemoryDataSet::MemoryDataSet;

    protected:
        void doPost() override { throw data::DataSetError("Record locked"); }
    };
    LockedNotes locked({{"NOTE", data::FieldType::Memo, 10}});
    locked.addRow({Value("text")});
    locked.open();
    data::DataSource lockedSource(&locked);
    editor->bind(&lockedSource, "NOTE");
    type("!");
    editor->pressOk();
    EXPECT_TRUE(editor->modified());
    EXPECT_EQ(editor->memoWidget()->toPlainText(), QStringLiteral("text!"));
    EXPECT_NE(log.str().find("Record locked"), std::string::npos) << log.str();
    editor->bind(nullptr, "NOTE");
}

TEST(MemoEditorWindow, ModalEditReturnsOkAfterPosting) {
    forms::testing::ensureRegistered();
    UiScope screen(screenUi());
    data::MemoryDataSet notes({{"NOTE", data::FieldType::Memo, 10}});
    notes.addRow({Value("abc")});
    notes.open();
    data::DataSource source(&notes);
    memo::MemoEditor editor;
    editor.bind(&source, "NOTE");
    editor.setCaption(czech("Poznámka"));
    whenModal([&](QWidget*) {
        QTest::keyClicks(editor.memoWidget(), "d");
        auto* ok = dynamic_cast<forms::Control*>(editor.form().findComponent("BitBtn1"));
        qobject_cast<QPushButton*>(ok->widget())->click();
    });
    EXPECT_EQ(editor.edit(), forms::kResultOk);
    EXPECT_EQ(notes.rows()[0][0].toString(), "dabc");
    EXPECT_FALSE(editor.form().widget()->isVisible());
}
