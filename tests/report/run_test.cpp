// Report runs over in-memory tables, compared with the pages they must give.
#include "run_fixture.h"

#include "core/headless_ui.h"
#include "memory_record.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace vorlan;
using namespace vorlan::report;
using namespace vorlan::report::testing;
using data::FieldDef;
using data::FieldType;
using data::Value;
using Lines = std::vector<std::string>;

namespace {

// The paper of every test: A4 with the default margins, a printable height of 1029.
constexpr const char* kPaper = "I,2,0,826,1169,50,50,70,70,1,0,0";

std::vector<std::vector<Value>> numberedRows(int count) {
    std::vector<std::vector<Value>> rows;
    for (int i = 1; i <= count; ++i)
        rows.push_back({Value(static_cast<double>(i))});
    return rows;
}

// Head 30 with the page number and count, body 20 with the number, foot 30 with a page sum.
Lines pagedTemplate() {
    return {"I,1,4,0,0",
            kPaper,
            "I,3,0,0,0,0",
            "I,3,1,1,30,0",
            "I,3,2,1,20,0",
            "I,3,3,1,20,0",
            "I,3,4,1,30,0",
            "F,0,PS,PS,0,0,1,#N,2,15,0,2",
            textElement("H", 5, "3", 0, 0, 100, 20, "Strana %d"),
            textElement("H", 5, "4", 100, 0, 100, 20, "z %d"),
            textElement("T", 2, "N", 0, 0, 100, 20),
            textElement("K", 1, "0", 0, 0, 100, 20, "Konec"),
            textElement("P", 6, "PS", 0, 0, 100, 20)};
}

// Cancels once it has been asked `after` times.
class CancellingProgress : public RunProgress {
public:
    explicit CancellingProgress(int after) : left_(after) {}
    bool cancelRequested() override { return --left_ < 0; }
    void setText(const std::string& text) override { last = text; }
    std::string last;

private:
    int left_;
};

class ReportRunTest : public ::testing::Test, public ReportOverTable {
protected:
    void numbers(int count) {
        setTable(table, {{"N", FieldType::Float, 8, 0}}, numberedRows(count));
    }
};

TEST_F(ReportRunTest, NestedGroupsBreakInnerFirstAndRestartTheInnerNumber) {
    setTable(table,
             {{"A", FieldType::String, 5}, {"B", FieldType::String, 5}, {"N", FieldType::Float, 8}},
             {{Value("1"), Value("x"), Value(1.0)},
              {Value("1"), Value("x"), Value(2.0)},
              {Value("1"), Value("y"), Value(3.0)},
              {Value("2"), Value("y"), Value(4.0)}});
    const Lines lines = {"I,1,4,0,0",
                         kPaper,
                         "I,3,1,1,30,0",
                         "I,3,2,1,20,0",
                         "I,3,3,1,20,0",
                         "I,3,4,1,30,0",
                         "I,4,0,0,1,20,1,20,0",
                         "I,4,1,1,1,20,1,20,0",
                         "F,0,SUMA,Suma,0,0,2,#N,2,15,0,2",
                         textElement("H", 1, "0", 0, 0, 100, 20, "Head"),
                         textElement("S0", 1, "0", 0, 0, 50, 20, "S0"),
                         textElement("S0", 2, "A", 100, 0, 50, 20),
                         textElement("S1", 1, "0", 0, 0, 50, 20, "S1"),
                         textElement("S1", 2, "B", 100, 0, 50, 20),
                         textElement("S1", 5, "8", 200, 0, 50, 20), // inner group number
                         textElement("T", 2, "N", 0, 0, 50, 20),
                         textElement("T", 5, "7", 200, 0, 50, 20), // row in the inner group
                         textElement("U1", 1, "0", 0, 0, 50, 20, "U1"),
                         textElement("U1", 2, "B", 100, 0, 50, 20),
                         textElement("U0", 1, "0", 0, 0, 50, 20, "U0"),
                         textElement("U0", 2, "A", 100, 0, 50, 20),
                         textElement("U0", 6, "SUMA", 200, 0, 50, 20),
                         textElement("K", 1, "0", 0, 0, 50, 20, "K"),
                         textElement("P", 1, "0", 0, 0, 50, 20, "P")};
    ASSERT_EQ(run(lines), kSestOk);
    ASSERT_EQ(out.pageCount(), 1);
    const Lines expected = {
        "0 0 Head",  "30 0 S0",   "30 100 1",  "50 0 S1",   "50 100 x",  "50 200 1",
        "70 0 1",    "70 200 1",  "90 0 2",    "90 200 2",  "110 0 U1",  "110 100 x",
        "130 0 S1",  "130 100 y", "130 200 2", "150 0 3",   "150 200 1", "170 0 U1",
        "170 100 y", "190 0 U0",  "190 100 1", "190 200 6", "210 0 S0",  "210 100 2",
        "230 0 S1",  "230 100 y", "230 200 1", "250 0 4",   "250 200 1", "270 0 U1",
        "270 100 y", "290 0 U0",  "290 100 2", "290 200 4", "310 0 K",   "999 0 P"};
    EXPECT_EQ(pageLines(out, 0), expected);
}

TEST_F(ReportRunTest, EmptyTablePrintsTheFrameOnOnePage) {
    setTable(table, {{"A", FieldType::String, 5}}, {});
    const Lines lines = {"I,1,4,0,0",
                         kPaper,
                         "I,3,0,1,20,0",
                         "I,3,1,1,30,0",
                         "I,3,2,1,20,0",
                         "I,3,3,1,20,0",
                         "I,3,4,1,30,0",
                         "I,4,0,0,1,20,1,20,0",
                         textElement("Z", 1, "0", 0, 0, 50, 20, "Z"),
                         textElement("H", 1, "0", 0, 0, 50, 20, "Head"),
                         textElement("S0", 2, "A", 0, 0, 50, 20),
                         textElement("T", 1, "0", 0, 0, 50, 20, "body"),
                         textElement("U0", 1, "0", 0, 0, 50, 20, "U0"),
                         textElement("K", 1, "0", 0, 0, 50, 20, "K"),
                         textElement("P", 1, "0", 0, 0, 50, 20, "Foot")};
    ASSERT_EQ(run(lines), kSestOk);
    ASSERT_EQ(out.pageCount(), 1);
    EXPECT_EQ(pageLines(out, 0),
              (Lines{"0 0 Z", "20 0 Head", "50 0 ", "70 0 U0", "90 0 K", "999 0 Foot"}));
}

TEST_F(ReportRunTest, PageCountPageNumbersAndPageSums) {
    numbers(100);
    Lines lines = pagedTemplate();
    lines.push_back(textElement("P", 2, "N", 200, 0, 100, 20));
    ASSERT_EQ(run(lines), kSestOk);
    // 48 bodies of 20 fit between the head (30) and the foot (999).
    ASSERT_EQ(out.pageCount(), 3);
    for (int page = 0; page < 3; ++page) {
        const Lines texts = pageTexts(out, page);
        EXPECT_EQ(texts.at(0), "Strana " + std::to_string(page + 1));
        EXPECT_EQ(texts.at(1), "z 3");
    }
    EXPECT_EQ(pageLines(out, 0).at(2), "30 0 1");
    EXPECT_EQ(pageLines(out, 1).at(2), "30 0 49");
    // The page foot shows the sum of its own page: the reset comes with the next page's record.
    // Beside it the last record of the page, not the one that opened the next page.
    EXPECT_EQ(pageLines(out, 0).back(), "999 200 48");
    EXPECT_EQ(pageLines(out, 1).back(), "999 200 96");
    const auto footSum = [&](int page) { return *(pageTexts(out, page).end() - 2); };
    EXPECT_EQ(footSum(0), "1176");
    EXPECT_EQ(footSum(1), "3480");
    EXPECT_EQ(footSum(2), "394");
    EXPECT_EQ(pageLines(out, 2).at(6), "110 0 Konec");
    EXPECT_EQ(out.firstPage, 1);
    EXPECT_EQ(out.lastPage, 3);
}

TEST_F(ReportRunTest, PageRangeEndsTheRunAndDropsLaterPages) {
    numbers(100);
    report.setPredloha(pagedTemplate());
    report.endPage = 1;
    CancellingProgress progress(1 << 30);
    RunOptions options;
    options.progress = &progress;
    ASSERT_EQ(layoutReport(report, out, options), kSestOk);
    ASSERT_EQ(out.pageCount(), 1);
    // The run stopped with the record that opened page 2 (and stepped once more).
    EXPECT_EQ(progress.last, progressText(50));
    EXPECT_EQ(pageLines(out, 0).at(pageLines(out, 0).size() - 2), "970 0 48");
    EXPECT_EQ(pageLines(out, 0).back(), "999 0 1176");

    report.endPage = 9999;
    report.startPage = 2;
    report.printCopies = 2;
    ASSERT_EQ(layoutReport(report, out), kSestOk);
    EXPECT_EQ(out.pageCount(), 3);
    EXPECT_EQ(out.firstPage, 2);
    EXPECT_EQ(out.lastPage, 3);
    EXPECT_EQ(out.copies, 2);
}

TEST_F(ReportRunTest, MaxRecordsAndTheCurrentRecordOnly) {
    numbers(5);
    const Lines lines = {"I,1,4,0,0", kPaper, "I,3,2,1,20,0",
                         textElement("T", 2, "N", 0, 0, 50, 20)};
    report.setPredloha(lines);
    report.maxRecords = 2;
    ASSERT_EQ(layoutReport(report, out), kSestOk);
    EXPECT_EQ(pageTexts(out, 0), (Lines{"1", "2"}));

    report.maxRecords = 0;
    report.tiskJedenZaznam = true;
    table.first();
    table.moveBy(2);
    ASSERT_EQ(layoutReport(report, out), kSestOk);
    EXPECT_EQ(pageTexts(out, 0), Lines{"3"});
    EXPECT_EQ(table.recNo(), 3u);
}

TEST_F(ReportRunTest, LabelColumnsFillRowsAndEndBelowTheLastRow) {
    numbers(7);
    const Lines lines = {"I,1,4,0,0",
                         "I,2,0,826,1169,50,50,70,70,3,24,0",
                         "I,3,2,1,50,0",
                         "I,3,3,1,20,0",
                         textElement("T", 2, "N", 10, 5, 50, 20),
                         textElement("K", 1, "0", 0, 0, 50, 20, "K")};
    ASSERT_EQ(run(lines), kSestOk);
    // (726 + 24) / 3 = 250 between the columns.
    EXPECT_EQ(pageLines(out, 0), (Lines{"5 10 1", "5 260 2", "5 510 3", "55 10 4", "55 260 5",
                                        "55 510 6", "105 10 7", "150 0 K"}));

    RunOptions skip;
    skip.labelsToSkip = 2;
    ASSERT_EQ(layoutReport(report, out, skip), kSestOk);
    EXPECT_EQ(pageLines(out, 0).front(), "5 510 1");
    EXPECT_EQ(pageLines(out, 0).back(), "150 0 K");
}

Lines groupTemplate(bool newBodyOnNewPage) {
    return {"I,1,4,0,0",
            kPaper,
            "I,3,1,1,30,0",
            newBodyOnNewPage ? "I,3,2,1,20,1" : "I,3,2,1,20,0",
            "I,4,0,0,1,20,1,20,1",
            textElement("H", 1, "0", 0, 0, 50, 20, "Head"),
            textElement("S0", 2, "A", 0, 0, 50, 20),
            textElement("T", 2, "N", 100, 0, 50, 20),
            textElement("U0", 1, "0", 0, 0, 50, 20, "U0")};
}

TEST_F(ReportRunTest, PageBreaksAskedForByGroupsAndBodiesAndSectionsLeftOut) {
    setTable(table, {{"A", FieldType::String, 5}, {"N", FieldType::Float, 8}},
             {{Value("1"), Value(1.0)}, {Value("1"), Value(2.0)}, {Value("2"), Value(3.0)}});
    RunOptions options;
    options.events.onTiskOddilu = [](TSestavaTyp&, std::int32_t section) {
        return section != groupEndSection(0);
    };
    ASSERT_EQ(run(groupTemplate(false), options), kSestOk);
    ASSERT_EQ(out.pageCount(), 2);
    EXPECT_EQ(pageLines(out, 0), (Lines{"0 0 Head", "30 0 1", "50 100 1", "70 100 2"}));
    EXPECT_EQ(pageLines(out, 1), (Lines{"0 0 Head", "30 0 2", "50 100 3"}));

    ASSERT_EQ(run(groupTemplate(true)), kSestOk);
    ASSERT_EQ(out.pageCount(), 3);
    EXPECT_EQ(pageLines(out, 1), (Lines{"0 0 Head", "30 100 2", "50 0 U0"}));
    EXPECT_EQ(pageLines(out, 2), (Lines{"0 0 Head", "30 0 2", "50 100 3", "70 0 U0"}));
}

TEST(ReportRunOneRecord, ASourceThatCannotMoveShowsItsRecordOnce) {
    paperSettings() = PaperSettings{};
    MemoryRecord record;
    record.fields = {{"N", true, "7"}};
    TSestava report;
    report.setDataSource(&record);
    report.setPredloha(
        {"I,1,4,0,0", kPaper, "I,3,2,1,20,0", textElement("T", 2, "N", 0, 0, 50, 20)});
    TSestVystup out;
    ASSERT_EQ(layoutReport(report, out), kSestOk);
    EXPECT_EQ(pageTexts(out, 0), Lines{"7"});
}

// A master over M with a detail over D in its body.
class DetailRunTest : public ReportRunTest {
protected:
    void SetUp() override {
        detailReport = &report.addDetail();
        detailReport->setDataSource(&detailRecords);
    }
    Lines masterTemplate(bool headAndFoot) {
        Lines lines = {"I,1,4,0,0",
                       kPaper,
                       headAndFoot ? "I,3,1,1,30,0" : "I,3,1,0,0,0",
                       "I,3,2,1,60,0",
                       headAndFoot ? "I,3,4,1,30,0" : "I,3,4,0,0,0",
                       textElement("H", 5, "3", 0, 0, 100, 20, "Strana %d"),
                       textElement("T", 2, "ID", 0, 0, 50, 20),
                       "T,15,0,0,20,100,10",
                       textElement("T", 1, "0", 0, 40, 50, 20, "after"),
                       textElement("P", 1, "0", 0, 0, 50, 20, "Foot"),
                       "D0,I,1,4,0,0",
                       "D0,I,3,2,1,15,0",
                       "D0," + textElement("T", 2, "ITEM", 20, 0, 100, 15)};
        return lines;
    }

    data::MemoryDataSet detailTable;
    data::DataSource detailSource{&detailTable};
    DataSetRecords detailRecords{&detailSource};
    TSestDetail* detailReport = nullptr;
};

TEST_F(DetailRunTest, DetailRunsInsideTheBodyAndTheBodyContinuesBelowIt) {
    setTable(table, {{"ID", FieldType::String, 5}}, {{Value("1")}, {Value("2")}});
    setTable(detailTable, {{"ITEM", FieldType::String, 5}}, {{Value("a")}, {Value("b")}});
    ASSERT_EQ(run(masterTemplate(false)), kSestOk);
    EXPECT_EQ(pageLines(out, 0), (Lines{"0 0 1", "20 20 a", "35 20 b", "60 0 after", "80 0 2",
                                        "100 20 a", "115 20 b", "140 0 after"}));
}

TEST_F(DetailRunTest, DetailOverAPageBreakGetsTheMastersHeadAndFoot) {
    setTable(table, {{"ID", FieldType::String, 5}}, {{Value("1")}});
    std::vector<std::vector<Value>> items;
    for (int i = 1; i <= 70; ++i)
        items.push_back({Value("i" + std::to_string(i))});
    setTable(detailTable, {{"ITEM", FieldType::String, 5}}, std::move(items));
    ASSERT_EQ(run(masterTemplate(true)), kSestOk);
    ASSERT_EQ(out.pageCount(), 2);
    const Lines first = pageLines(out, 0);
    // Head, the master's record, 63 detail rows from 50 to 980, the foot.
    ASSERT_EQ(first.size(), 66u);
    EXPECT_EQ(first[0], "0 0 Strana 1");
    EXPECT_EQ(first[1], "30 0 1");
    EXPECT_EQ(first[2], "50 20 i1");
    EXPECT_EQ(first[64], "980 20 i63");
    EXPECT_EQ(first[65], "999 0 Foot");
    EXPECT_EQ(pageLines(out, 1),
              (Lines{"0 0 Strana 2", "30 20 i64", "45 20 i65", "60 20 i66", "75 20 i67",
                     "90 20 i68", "105 20 i69", "120 20 i70", "145 0 after", "999 0 Foot"}));
}

TEST_F(ReportRunTest, GrowingMemoRunsOverPagesAndTheBodyFollowsIt) {
    std::string longMemo;
    for (int i = 1; i <= 130; ++i)
        longMemo += (i > 1 ? "\r\n" : "") + std::string("line ") + std::to_string(i);
    setTable(table, {{"TEXT", FieldType::Memo, 10}}, {{Value(longMemo)}, {Value("short")}});
    const Lines lines = {
        "I,1,4,0,0",
        kPaper,
        "I,3,1,1,30,0",
        "I,3,2,1,40,0",
        "I,3,4,1,30,0",
        textElement("H", 1, "0", 0, 0, 50, 20, "Head"),
        textElement("T", 2, "TEXT", 0, 0, 700, 17, "", kTextVariableHeight | kTextWordWrap),
        textElement("T", 1, "0", 0, 20, 50, 20, "after"),
        textElement("P", 1, "0", 0, 0, 50, 20, "Foot")};
    ASSERT_EQ(run(lines), kSestOk);
    ASSERT_EQ(out.pageCount(), 3);
    struct Piece {
        int page, top, height, first, count;
    };
    std::vector<Piece> pieces;
    for (int p = 0; p < out.pageCount(); ++p)
        for (const auto& e : out.page(p)->elements())
            if (!e->lines.empty())
                pieces.push_back({p, e->top, e->height, e->firstLine, e->lineCount});
    // 57 lines of 17 fit between the head and the foot.
    ASSERT_EQ(pieces.size(), 4u);
    EXPECT_EQ(pieces[0].top, 30);
    EXPECT_EQ(pieces[0].height, 969);
    EXPECT_EQ(pieces[0].count, 57);
    EXPECT_EQ(pieces[1].page, 1);
    EXPECT_EQ(pieces[1].first, 57);
    EXPECT_EQ(pieces[1].count, 57);
    EXPECT_EQ(pieces[2].page, 2);
    EXPECT_EQ(pieces[2].top, 30);
    EXPECT_EQ(pieces[2].first, 114);
    EXPECT_EQ(pieces[2].count, 16);
    EXPECT_EQ(pieces[2].height, 16 * 17);
    // The short memo of the next record stays in its element.
    EXPECT_EQ(pieces[3].page, 2);
    EXPECT_EQ(pieces[3].top, 325);
    EXPECT_EQ(pieces[3].height, 17);
    EXPECT_EQ(pieces[3].count, 1);
    const Lines last = pageLines(out, 2);
    EXPECT_NE(std::find(last.begin(), last.end(), "305 0 after"), last.end());
    EXPECT_NE(std::find(last.begin(), last.end(), "345 0 after"), last.end());
    EXPECT_EQ(pageTexts(out, 1), (Lines{"Head", longMemo, "Foot"}));
}

TEST_F(ReportRunTest, CancelStopsTheRunAndSaysSo) {
    numbers(100);
    CancellingProgress progress(30);
    RunOptions options;
    options.progress = &progress;
    ASSERT_EQ(run(pagedTemplate(), options), kSestCancelled);
    EXPECT_TRUE(out.cancelled);
    EXPECT_EQ(out.pageCount(), 1);
    EXPECT_LT(pageTexts(out, 0).size(), 30u);
    EXPECT_EQ(progress.last.substr(0, 10), czech("Připravuji"));
}

class RunChecksTest : public ReportRunTest {
protected:
    void SetUp() override {
        auto headless = std::make_unique<HeadlessUi>(&log);
        ui_ = headless.get();
        previous_ = setUi(std::move(headless));
    }
    void TearDown() override { setUi(std::move(previous_)); }
    HeadlessUi* ui_ = nullptr;
    std::ostringstream log;

private:
    std::unique_ptr<UiServices> previous_;
};

TEST_F(RunChecksTest, DataChecksTellTheUserAndRefuse) {
    numbers(3);
    report.setPredloha(pagedTemplate());
    report.setDataSource(nullptr);
    int told = -1;
    report.onError = [&](TSestava&, int code) {
        told = code;
        return true;
    };
    EXPECT_EQ(runReport(report, out, {}, false), kSestNotPossible);
    EXPECT_EQ(told, kSestNotPossible);
    EXPECT_NE(log.str().find("Není definován zdroj dat."), std::string::npos);

    DataSetRecords noTable;
    report.setDataSource(&noTable);
    EXPECT_EQ(runReport(report, out, {}, false), kSestNotPossible);
    EXPECT_NE(log.str().find("Ke zdroji dat není připojena žádná tabulka."), std::string::npos);

    // A closed table: No refuses, Yes opens it for the run and closes it again afterwards.
    report.setDataSource(&records);
    table.close();
    ui_->setAnswer([](const MessageBoxRequest&) { return MessageResult::No; });
    EXPECT_EQ(runReport(report, out, {}, false), kSestNotPossible);
    ui_->setAnswer([](const MessageBoxRequest&) { return MessageResult::Yes; });
    EXPECT_EQ(runReport(report, out, {}, false), kSestOk);
    EXPECT_FALSE(table.active());
    EXPECT_EQ(pageTexts(out, 0).at(2), "1");

    // A detail without data fails the whole.
    TSestDetail& d = report.addDetail();
    d.setDataSource(nullptr);
    table.open();
    EXPECT_EQ(runReport(report, out, {}, false), kSestNotPossible);
}

TEST_F(RunChecksTest, RunPutsTheTableBackWhereItWas) {
    numbers(10);
    report.setPredloha(pagedTemplate());
    table.first();
    table.moveBy(4);
    table.disableControls();
    ASSERT_EQ(runReport(report, out, {}, false), kSestOk);
    EXPECT_EQ(table.recNo(), 5u);
    EXPECT_TRUE(table.controlsDisabled()); // ours again only: the run's own level is gone
    table.enableControls();
    EXPECT_FALSE(table.controlsDisabled());
}

} // namespace

namespace vorlan::report::testing {
namespace {

TEST(CharacterRaster, PositionsSnapToTheNearestExactRow) {
    const double six = characterRowHeight(0);
    EXPECT_DOUBLE_EQ(six, 100.0 / 6.0);
    EXPECT_DOUBLE_EQ(characterRowHeight(1), 25.0);
    EXPECT_DOUBLE_EQ(characterRowHeight(2), 100.0 / 3.0);
    EXPECT_DOUBLE_EQ(characterRowHeight(7), six);
    EXPECT_EQ(snapToCharacterRow(17, six), 17); // a little over one row stays one row
    EXPECT_EQ(snapToCharacterRow(25, six), 33); // half way and more goes to the next row
    EXPECT_EQ(snapToCharacterRow(24, six), 17);
    EXPECT_EQ(snapToCharacterRow(600, six), 600); // 36 rows never drift
    EXPECT_EQ(snapToCharacterRow(51, characterRowHeight(2)), 67);
    EXPECT_EQ(snapToCharacterRow(12, 0.0), 12);
}

class CharacterRasterRun : public ::testing::Test, public ReportOverTable {};

TEST_F(CharacterRasterRun, OneLineBodiesAdvanceOneRowEach) {
    std::vector<std::vector<data::Value>> rows;
    for (const char* name : {"Adam", "Bara", "Cyril", "Dana", "Emil"})
        rows.push_back({data::Value(name)});
    setTable(table, {{"NAME", data::FieldType::String, 10}}, std::move(rows));
    const std::vector<std::string> lines = {"I,1,4,0,0", "I,2,0,826,1169,50,50,70,70,1,0,0",
                                            "I,3,2,1,17,0", "I,6,1,8,16,0,1",
                                            textElement("T", 2, "NAME", 0, 0, 300, 17)};
    RunOptions options;
    options.characterMode = true;
    ASSERT_EQ(run(lines, options), kSestOk);
    const std::vector<std::string> expected = {"0 0 Adam", "17 0 Bara", "33 0 Cyril", "50 0 Dana",
                                               "67 0 Emil"};
    EXPECT_EQ(pageLines(out, 0), expected);
}

} // namespace
} // namespace vorlan::report::testing
