// DbfMemoCount and DbfReadMem on a memo of one 65,518-byte line, the longest a memo window
// takes: every display line of it is a piece of that one line, so a wrapping that measured the
// rest of the line again for each display line showed up here as seconds per call.
#include "data/engine.h"
#include "data/script/data_table_registration.h"
#include "data/script/memo_lines.h"
#include "dbf/table.h"
#include "script/builtins.h"
#include "script/pascal/pascal_runner.h"
#include "script/registry.h"
#include "script/scripter.h"
#include "window_models/dbf/dbf_procs.h"
#include "window_models/dbf/work_areas.h"

#ifdef VORLAN_BENCH_QT_FONTS
#include "ui/qt/qt_text_measure.h"

#include <QGuiApplication>
#endif

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

using namespace vorlan;

namespace {

const std::filesystem::path kDir = "/tmp/vorlan_memo_lines_bench";
constexpr std::size_t kMemoLength = 65518;

std::string longLine() {
    std::string text;
    for (std::size_t i = 0; text.size() < kMemoLength; ++i)
        text += (i % 7 == 6) ? ' ' : static_cast<char>('a' + i % 26);
    text.resize(kMemoLength);
    return text;
}

void makeTable() {
    std::filesystem::create_directories(kDir);
    auto t = dbf::Table::create(kDir / "POZNAMKY.DBF", {{"TEXT", 'M'}});
    t->append();
    t->setMemo(0, longLine());
}

const std::vector<std::string> kModule = {
    "var count: Integer; text: string;",
    "procedure OpenTable; begin DbfUse('" + (kDir / "POZNAMKY.DBF").string() + "') end;",
    "procedure CountLines; begin count := DbfMemoCount('TEXT') end;",
    "procedure ReadWhole; begin text := DbfReadMem('TEXT', 0) end;",
    "procedure ReadLastLine; begin text := DbfReadMem('TEXT', count) end;",
    "begin end.",
};

script::Scripter& module() {
    data::engine();
    static windows::DbfWorkAreas areas;
    static std::unique_ptr<script::Scripter> scripter = [] {
        makeTable();
        script::Registry& reg = script::registry();
        script::registerEngineBuiltins(reg);
        script::registerScriptRunners(reg);
        script::pascal::registerPascalRunner(reg);
        data::registerDataTable(reg);
        windows::registerDbfFunctions(reg, areas);
        auto s = std::make_unique<script::Scripter>();
        s->language = "ZelmoranScript";
        s->script = kModule;
        s->callByName({});
        s->callByName("OpenTable");
        s->callByName("CountLines");
        return s;
    }();
    return *scripter;
}

void run(benchmark::State& state, const char* routine) {
    script::Scripter& s = module();
    for (auto _ : state)
        s.callByName(routine);
}

void BM_DbfMemoCountOneLongLine(benchmark::State& state) {
    run(state, "CountLines");
}
BENCHMARK(BM_DbfMemoCountOneLongLine)->Unit(benchmark::kMillisecond);

void BM_DbfReadMemWhole(benchmark::State& state) {
    run(state, "ReadWhole");
}
BENCHMARK(BM_DbfReadMemWhole)->Unit(benchmark::kMillisecond);

void BM_DbfReadMemLastLine(benchmark::State& state) {
    run(state, "ReadLastLine");
}
BENCHMARK(BM_DbfReadMemLastLine)->Unit(benchmark::kMillisecond);

#ifdef VORLAN_BENCH_QT_FONTS
// The same lines cut by the widths of a real proportional font, as on the desktop.
void BM_EditorLinesRealFont(benchmark::State& state) {
    const qt::QtTextMeasure measure;
    data::MemoEditorView view;
    view.fontName = "DejaVu Sans";
    const std::string text = longLine();
    for (auto _ : state)
        benchmark::DoNotOptimize(data::editorLines(text, view, measure));
}
BENCHMARK(BM_EditorLinesRealFont)->Unit(benchmark::kMillisecond);
#endif

} // namespace

int main(int argc, char** argv) {
#ifdef VORLAN_BENCH_QT_FONTS
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
#endif
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
