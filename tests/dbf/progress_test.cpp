// The engine's progress during long work: whole percentages that only grow, one end signal, no
// reports from work nested inside other work, and nothing at all without a listener.
#include "dbf/progress.h"
#include "dbf/table.h"
#include "dbf/table_ops.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace vorlan::dbf;

namespace {

class EngineProgress : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = setProgressListener([this](int percent) { seen.push_back(percent); });
    }
    void TearDown() override { setProgressListener(std::move(previous_)); }

    // 0 first, -1 last, whole percentages in between that never go back and end at 100.
    void expectOneRun(const char* what) {
        SCOPED_TRACE(what);
        ASSERT_GE(seen.size(), 3u);
        EXPECT_EQ(seen.front(), 0);
        EXPECT_EQ(seen.back(), -1);
        EXPECT_EQ(seen[seen.size() - 2], 100);
        EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end() - 1));
        EXPECT_EQ(std::adjacent_find(seen.begin(), seen.end()), seen.end()); // no repeats
        seen.clear();
    }

    std::vector<int> seen;
    ProgressListener previous_;
};

TEST_F(EngineProgress, TasksReportChangedPercentagesOnceAndNestedOnesStayQuiet) {
    {
        ProgressTask outer(1000);
        for (int i = 1; i <= 1000; ++i) {
            outer.step(i);
            if (i == 500) {
                ProgressTask inner(10);
                inner.step(5);
                inner.step(10);
            }
        }
    }
    ASSERT_EQ(seen.size(), 102u); // 0..100 and the end
    expectOneRun("counted");
    // Nothing to do is done at once; steps past the end stay at 100.
    {
        ProgressTask empty(0);
        empty.step(7);
    }
    EXPECT_EQ(seen, (std::vector<int>{100, -1}));
    seen.clear();
    // Only what happens while a listener is installed is told.
    auto mine = setProgressListener({});
    {
        ProgressTask quiet(10);
        setProgressListener(mine);
        quiet.step(5);
        setProgressListener({});
    }
    setProgressListener(mine);
    EXPECT_EQ(seen, (std::vector<int>{50}));
}

TEST_F(EngineProgress, PackIndexBuildAndCopyReportTheirWay) {
    dbftest::TempDir dir;
    auto t = Table::create(dir / "wide.dbf",
                           {{"A", 'C', 20}, {"B", 'C', 250}, {"C", 'C', 250}, {"D", 'C', 250}});
    for (int i = 0; i < 4000; ++i) {
        t->append();
        t->setString(0, std::to_string(4000 - i));
        if (i % 3 == 0) t->deleteRecord();
    }
    t->flush();
    seen.clear();
    t->createTag("A", "A");
    expectOneRun("index");
    t->pack();
    // Packing rewrites the records, then rebuilds the order over the survivors.
    const auto end = std::find(seen.begin(), seen.end(), -1);
    ASSERT_NE(end, seen.end());
    const std::vector<int> rebuild(end + 1, seen.end());
    seen.erase(end + 1, seen.end());
    expectOneRun("pack");
    seen = rebuild;
    expectOneRun("pack's index");
    EXPECT_EQ(copyRecords(*t, dir / "copy.dbf"), 2666u);
    expectOneRun("copy");
}

} // namespace
