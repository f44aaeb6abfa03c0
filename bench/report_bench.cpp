// Laying out a grouped report with sums over 100,000 records held in memory: two nested groups,
// sums per group, per page and for the whole report, page numbers and the page count.
#include "core/cp1250.h"
#include "data/memory_data_set.h"
#include "report/output/output_model.h"
#include "report/run/report_run.h"

#include <benchmark/benchmark.h>

using namespace vorlan;
using namespace vorlan::report;

namespace {

constexpr int kRecords = 100'000;

std::string element(const std::string& letter, int kind, const std::string& parameter, int left,
                    const std::string& text = "") {
    return letter + "," + std::to_string(kind) + "," + parameter + "," + std::to_string(left) +
           ",0,150,18,Arial,10,0,0,0,0,1,\"" + text + "\",0";
}

std::vector<std::string> reportTemplate() {
    return {"I,1,4,0,0",
            "I,2,0,826,1169,50,50,70,70,1,0,0",
            "I,3,0,1,30,0",
            "I,3,1,1,30,0",
            "I,3,2,1,18,0",
            "I,3,3,1,30,0",
            "I,3,4,1,30,0",
            "I,4,0,0,1,20,1,20,0",
            "I,4,1,1,1,20,1,20,0",
            "F,0,TOTAL,Celkem,0,0,0,#AMOUNT,2,15,2,2",
            "F,1,REGION,Region,0,0,2,#AMOUNT,2,15,2,2",
            "F,2,CITY,Mesto,0,0,3,#AMOUNT,2,15,2,2",
            "F,3,PAGE,Strana,0,0,1,#AMOUNT,2,15,2,2",
            "F,4,AVG,Prumer,0,0,3,#AMOUNT,3,15,2,2",
            element("Z", 1, "0", 0, "Prodej"),
            element("H", 5, "3", 0, "Strana %d"),
            element("H", 5, "4", 150, "z %d"),
            element("H", 5, "0", 400),
            element("S0", 2, "REGION", 0),
            element("S1", 2, "CITY", 50),
            element("T", 2, "NAME", 100),
            element("T", 2, "AMOUNT", 300),
            element("T", 5, "2", 500),
            element("U1", 6, "CITY", 300),
            element("U1", 6, "AVG", 500),
            element("U0", 6, "REGION", 300),
            element("K", 6, "TOTAL", 300),
            element("P", 6, "PAGE", 300)};
}

std::unique_ptr<data::MemoryDataSet> table() {
    auto t = std::make_unique<data::MemoryDataSet>(
        std::vector<data::FieldDef>{{"REGION", data::FieldType::String, 10},
                                    {"CITY", data::FieldType::String, 10},
                                    {"NAME", data::FieldType::String, 20},
                                    {"AMOUNT", data::FieldType::Float, 12, 2}});
    // Built by appending: joining a literal and a number trips a false warning of GCC 12.
    auto named = [](const char* prefix, int n) {
        std::string s(prefix);
        s += std::to_string(n);
        return data::Value(std::move(s));
    };
    for (int i = 0; i < kRecords; ++i)
        t->addRow({named("R", i / 10'000), named("C", i / 250), named("Customer ", i),
                   data::Value((i * 7919 % 100'000) / 100.0)});
    t->open();
    return t;
}

void BM_GroupedReport(benchmark::State& state) {
    auto t = table();
    data::DataSource source(t.get());
    DataSetRecords records(&source);
    TSestava report;
    report.setDataSource(&records);
    report.setPredloha(reportTemplate());
    int pages = 0;
    for (auto _ : state) {
        TSestVystup out;
        layoutReport(report, out);
        pages = out.pageCount();
        benchmark::DoNotOptimize(pages);
    }
    state.counters["pages"] = pages;
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_GroupedReport)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
