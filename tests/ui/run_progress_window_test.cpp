// The progress window of report runs: it follows the run and its button cancels it.
#include "../report/run_fixture.h"
#include "ui/qt/report/run_progress_window.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

using namespace vorlan;
using namespace vorlan::report;
using namespace vorlan::report::testing;
using vorlan::qt::RunProgressWindow;

namespace {

std::vector<std::string> numbersTemplate() {
    return {"I,1,4,0,0",    "I,2,0,826,1169,50,50,70,70,1,0,0",
            "I,3,0,0,0,0",  "I,3,1,0,0,0",
            "I,3,2,1,20,0", "I,3,3,0,0,0",
            "I,3,4,0,0,0",  textElement("T", 2, "N", 0, 0, 100, 20)};
}

class RunProgressWindowTest : public ::testing::Test, public ReportOverTable {
protected:
    void SetUp() override {
        std::vector<std::vector<data::Value>> rows;
        for (int i = 1; i <= 500; ++i)
            rows.push_back({data::Value(static_cast<double>(i))});
        setTable(table, {{"N", data::FieldType::Float, 5, 0}}, std::move(rows));
    }
    void TearDown() override { setRunProgressFactory(nullptr); }
};

} // namespace

TEST_F(RunProgressWindowTest, ARunShowsTheWindowWithTheRecordItPrepares) {
    RunProgressWindow* shown = nullptr;
    QString lastText;
    setRunProgressFactory([&]() -> std::unique_ptr<RunProgress> {
        auto window = std::make_unique<RunProgressWindow>();
        shown = window.get();
        return window;
    });
    // Look at the window while the run is under way (the run pumps events).
    QTimer::singleShot(0, [&] {
        ASSERT_NE(shown, nullptr);
        EXPECT_TRUE(shown->dialog()->isVisible());
        lastText = shown->dialog()->findChild<QLabel*>()->text();
    });
    EXPECT_EQ(run(numbersTemplate()), kSestOk);
    EXPECT_TRUE(lastText.startsWith(QString::fromUtf8("Připravuji tisk položky číslo: ")))
        << lastText.toStdString();
    EXPECT_GT(out.pageCount(), 0);
}

TEST_F(RunProgressWindowTest, TheCancelButtonStopsTheRun) {
    setRunProgressFactory([]() -> std::unique_ptr<RunProgress> {
        auto window = std::make_unique<RunProgressWindow>();
        QDialog* dialog = window->dialog();
        QTimer::singleShot(0, dialog, [dialog] { dialog->findChild<QPushButton*>()->click(); });
        return window;
    });
    EXPECT_EQ(run(numbersTemplate()), kSestCancelled);
}
