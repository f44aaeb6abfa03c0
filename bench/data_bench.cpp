// The table data set over a generated table of 200,000 records (C 30, N 12.2, D, L), kept in
// /tmp: walking it through the data set against walking the engine table directly, engine calls
// through the access component (area selected and restored each time), and edit/post cycles
// (a record lock taken and released per record).
#include "data/dbf_access.h"
#include "data/engine.h"
#include "data/table_data_set.h"
#include "dbf/table.h"
#include "dbf/xbase_text.h"

#include <benchmark/benchmark.h>
#include <filesystem>

using namespace vorlan;

namespace {

constexpr std::uint32_t kRecords = 200'000;
const std::filesystem::path kDir = "/tmp/vorlan_data_bench";

const std::filesystem::path& tablePath() {
    static const std::filesystem::path path = [] {
        std::filesystem::create_directories(kDir);
        const auto p = kDir / "walk.dbf";
        bool ok = false;
        if (std::filesystem::exists(p)) {
            try {
                ok = dbf::Table::open(p, {.readOnly = true})->recordCount() == kRecords;
            } catch (const dbf::DbfError&) {
            }
        }
        if (!ok) {
            auto t = dbf::Table::create(
                p, {{"NAME", 'C', 30}, {"AMOUNT", 'N', 12, 2}, {"DAY", 'D'}, {"ACTIVE", 'L'}});
            for (std::uint32_t i = 0; i < kRecords; ++i) {
                t->append();
                t->setString(0, "CUSTOMER " + std::to_string(i * 2654435761u));
                t->setNumber(1, (i * 7919u % 1000000u) / 100.0);
                t->setDate(2, dbf::julianFromYmd(1990, 1, 1) + static_cast<std::int32_t>(i % 9000));
                t->setLogical(3, i % 3 != 0);
            }
        }
        return p;
    }();
    return path;
}

void openOn(data::TableDataSet& ds) {
    ds.setDatabaseName(tablePath().parent_path().string());
    ds.setTableName(tablePath().filename().string());
    ds.open();
}

void BM_WalkEngineTable(benchmark::State& state) {
    auto t = dbf::Table::open(tablePath(), {.readOnly = true});
    for (auto _ : state) {
        double sum = 0;
        std::size_t chars = 0;
        for (t->goTop(); !t->eof(); t->skip(1)) {
            chars += dbf::trimRight(t->raw(0)).size();
            sum += t->getNumber(1);
        }
        benchmark::DoNotOptimize(sum + static_cast<double>(chars));
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_WalkEngineTable)->Unit(benchmark::kMillisecond);

void BM_WalkDataSet(benchmark::State& state) {
    data::TableDataSet ds;
    ds.setReadOnly(true);
    openOn(ds);
    data::Field* name = ds.fieldByName("NAME");
    data::Field* amount = ds.fieldByName("AMOUNT");
    for (auto _ : state) {
        double sum = 0;
        std::size_t chars = 0;
        for (ds.first(); !ds.eof(); ds.next()) {
            chars += name->asString().size();
            sum += amount->asFloat();
        }
        benchmark::DoNotOptimize(sum + static_cast<double>(chars));
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_WalkDataSet)->Unit(benchmark::kMillisecond);

void BM_AccessRecordCall(benchmark::State& state) {
    data::TableDataSet ds;
    ds.setReadOnly(true);
    openOn(ds);
    data::DataSource source(&ds);
    data::TDbfAccess access;
    access.setDataSource(&source);
    for (auto _ : state)
        benchmark::DoNotOptimize(access.evalNumeric("AMOUNT * 2"));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AccessRecordCall);

void BM_EditPost(benchmark::State& state) {
    const auto copy = kDir / "edit.dbf";
    std::filesystem::copy_file(tablePath(), copy,
                               std::filesystem::copy_options::overwrite_existing);
    data::TableDataSet ds;
    ds.setDatabaseName(kDir.string());
    ds.setTableName("edit.dbf");
    ds.open();
    data::Field* amount = ds.fieldByName("AMOUNT");
    std::int64_t n = 0;
    for (auto _ : state) {
        amount->setValue(script::Value(static_cast<double>(n++ % 1000)));
        ds.post();
        ds.next();
        if (ds.eof()) ds.first();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EditPost);

} // namespace

BENCHMARK_MAIN();
