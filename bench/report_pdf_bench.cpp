// Report pages written into a PDF file: pages of sixty text elements (a full page of a list
// with a frame here and there), in pages per second.

#include "report/output/output_model.h"
#include "ui/qt/report/report_printing.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

using namespace vorlan::report;

constexpr int kElementsPerPage = 60;

void BM_WritePdf(benchmark::State& state) {
    const int pages = static_cast<int>(state.range(0));
    TSestavaTyp report;
    TOddilSestavy section(kSectionBody);
    auto& name = section.addElement(&report);
    name.kind = kKindField;
    auto& amount = section.addElement(&report);
    amount.kind = kKindField;
    amount.alignment = kAlignRight;
    amount.lineFlags = kLineBottom;

    TSestVystup output;
    for (int p = 0; p < pages; ++p) {
        output.addPage();
        for (int i = 0; i < kElementsPerPage / 2; ++i) {
            const int top = i * 33;
            output.addElement(&name, 0, top, 400, 18)
                .setText("Odberatel " + std::to_string(p * 100 + i) + " s.r.o.");
            output.addElement(&amount, 500, top, 200, 18)
                .setText(std::to_string((p * 7919 + i * 104729) % 1000000) + ",00");
        }
    }
    const auto file = std::filesystem::temp_directory_path() / "vorlan-report-bench.pdf";
    for (auto _ : state)
        benchmark::DoNotOptimize(vorlan::qt::writeReportPdf(output, file, "Bench"));
    state.counters["pages/s"] = benchmark::Counter(static_cast<double>(pages) * state.iterations(),
                                                   benchmark::Counter::kIsRate);
    std::filesystem::remove(file);
}
BENCHMARK(BM_WritePdf)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
