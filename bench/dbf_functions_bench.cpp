// A Pascal script over a table of 1,000,000 records (kept in /tmp): the walk with DbfSkip
// reading two fields per record, DbfLocate of a condition only the last record meets, and the
// same walk through a TDataTable object, so the two ways of scripts are seen side by side.
#include "data/engine.h"
#include "data/script/data_table_registration.h"
#include "dbf/table.h"
#include "script/builtins.h"
#include "script/pascal/pascal_runner.h"
#include "script/registry.h"
#include "script/scripter.h"
#include "window_models/dbf/dbf_procs.h"
#include "window_models/dbf/work_areas.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

using namespace vorlan;

namespace {

constexpr std::uint32_t kRecords = 1'000'000;
const std::filesystem::path kDir = "/tmp/vorlan_dbf_functions_bench";

void makeTable() {
    std::filesystem::create_directories(kDir);
    const auto p = kDir / "MILION.DBF";
    if (std::filesystem::exists(p)) {
        try {
            if (dbf::Table::open(p, {.readOnly = true})->recordCount() == kRecords) return;
        } catch (const dbf::DbfError&) {
        }
    }
    auto t = dbf::Table::create(p, {{"NAZEV", 'C', 30}, {"CENA", 'N', 12, 2}, {"DEN", 'D'}});
    for (std::uint32_t i = 1; i <= kRecords; ++i) {
        t->append();
        t->setString(0, "ZAKAZNIK " + std::to_string(i));
        t->setNumber(1, static_cast<double>(i % 100000) / 100.0);
    }
}

const std::vector<std::string> kModule = {
    "var total: Real; name: string;",
    "procedure OpenTable; begin DbfUse('" + (kDir / "MILION.DBF").string() + "') end;",
    "procedure DbfWalk;",
    "begin",
    "  total := 0;",
    "  DbfGoTop;",
    "  while not DbfEof do",
    "  begin",
    "    name := DbfReadStr('NAZEV');",
    "    total := total + DbfReadNum('CENA');",
    "    DbfSkip(1)",
    "  end",
    "end;",
    "procedure DbfFind;",
    "begin",
    "  DbfGoTop;",
    "  total := DbfLocate('NAZEV = \"ZAKAZNIK 1000000\"')",
    "end;",
    "procedure TableWalk;",
    "var T: Variant;",
    "begin",
    "  T := TDataTable.Create(nil);",
    "  T.Use('" + (kDir / "MILION.DBF").string() + "');",
    "  total := 0;",
    "  T.GoTop;",
    "  while not T.Eof do",
    "  begin",
    "    name := T.ReadStr('NAZEV');",
    "    total := total + T.ReadNum('CENA');",
    "    T.Skip(1)",
    "  end;",
    "  T.Free",
    "end;",
    "begin end.",
};

script::Scripter& module() {
    // The engine first, so it outlives the work areas that close their tables through it.
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
        return s;
    }();
    return *scripter;
}

void run(benchmark::State& state, const char* routine) {
    script::Scripter& s = module();
    for (auto _ : state)
        s.callByName(routine);
    state.SetItemsProcessed(state.iterations() * kRecords);
}

void BM_DbfSkipWalk1M(benchmark::State& state) {
    run(state, "DbfWalk");
}
BENCHMARK(BM_DbfSkipWalk1M)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_DbfLocate1M(benchmark::State& state) {
    run(state, "DbfFind");
}
BENCHMARK(BM_DbfLocate1M)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_DataTableWalk1M(benchmark::State& state) {
    run(state, "TableWalk");
}
BENCHMARK(BM_DataTableWalk1M)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
