// The report preview on a run of 2,000 pages of sixty text elements: the time from creating the
// window to the first page drawn, and the time to turn a page (the next page drawn).

#include "report/output/output_model.h"
#include "ui/qt/report/preview_window.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

namespace {

using namespace vorlan::report;

constexpr int kElementsPerPage = 60;

struct LongRun {
    TSestavaTyp report;
    TOddilSestavy section{kSectionBody};
    TSestVystup output;

    explicit LongRun(int pages) {
        auto& name = section.addElement(&report);
        name.kind = kKindField;
        auto& amount = section.addElement(&report);
        amount.kind = kKindField;
        amount.alignment = kAlignRight;
        amount.lineFlags = kLineBottom;
        for (int p = 0; p < pages; ++p) {
            output.addPage();
            output.pagesStarted = p;
            for (int i = 0; i < kElementsPerPage / 2; ++i) {
                const int top = i * 33;
                output.addElement(&name, 0, top, 400, 18)
                    .setText("Odberatel " + std::to_string(p * 100 + i) + " s.r.o.");
                output.addElement(&amount, 500, top, 200, 18)
                    .setText(std::to_string((p * 7919 + i * 104729) % 1000000) + ",00");
            }
        }
    }
};

void BM_OpenPreviewToFirstPage(benchmark::State& state) {
    LongRun run(2000);
    for (auto _ : state) {
        vorlan::qt::PreviewWindow window(run.output, "Bench");
        window.show();
        // Until the window system asked for the first page to be painted.
        for (int i = 0; i < 100 && window.page()->pagesDrawn() == 0; ++i)
            QApplication::processEvents();
        state.counters["drawn"] = window.page()->pagesDrawn();
    }
}
BENCHMARK(BM_OpenPreviewToFirstPage)->Unit(benchmark::kMillisecond);

void BM_TurnPage(benchmark::State& state) {
    LongRun run(2000);
    vorlan::qt::PreviewWindow window(run.output, "Bench");
    window.show();
    QApplication::processEvents();
    int page = 0;
    for (auto _ : state) {
        page = (page + 1) % 2000;
        window.showPage(page);
        QApplication::processEvents();
    }
    state.counters["drawn"] = window.page()->pagesDrawn();
}
BENCHMARK(BM_TurnPage)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
