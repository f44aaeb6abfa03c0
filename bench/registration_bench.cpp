// Start-up registration: the non-Qt units registered into a fresh registry, as the runtime
// registers them once at start. Each figure includes making and freeing the registry itself
// (BM_FreshRegistry alone), so a unit's own cost is its figure minus that one.
#include "data/script/data_table_registration.h"
#include "library/library.h"
#include "script/builtins.h"
#include "script/registry.h"
#include "window_models/canvas/canvas.h"
#include "window_models/canvas/canvas_procs.h"
#include "window_models/canvas/recording_surface.h"
#include "window_models/console/console.h"
#include "window_models/console/console_procs.h"

#include <benchmark/benchmark.h>

using namespace vorlan;

namespace {

struct Windows {
    windows::Console console;
    test_support::RecordingSurface surface;
    windows::Canvas canvas{surface};
};

Windows& theWindows() {
    static Windows w;
    return w;
}

template <class F> void registerFresh(benchmark::State& state, F&& registerUnits) {
    for (auto _ : state) {
        script::Registry reg;
        registerUnits(reg);
        benchmark::DoNotOptimize(reg.findProc("chr"));
    }
}

void BM_FreshRegistry(benchmark::State& state) {
    registerFresh(state, [](script::Registry&) {});
}

void BM_EngineBuiltins(benchmark::State& state) {
    registerFresh(state, [](script::Registry& reg) { script::registerEngineBuiltins(reg); });
}

void BM_Library(benchmark::State& state) {
    registerFresh(state, [](script::Registry& reg) { library::registerLibrary(reg); });
}

// The table class derives from the engine's TComponent, so the built-ins come first.
void BM_BuiltinsAndDataTable(benchmark::State& state) {
    registerFresh(state, [](script::Registry& reg) {
        script::registerEngineBuiltins(reg);
        data::registerDataTable(reg);
    });
}

void BM_ConsoleAndCanvas(benchmark::State& state) {
    Windows& w = theWindows();
    registerFresh(state, [&](script::Registry& reg) {
        windows::registerConsole(reg, w.console);
        windows::registerCanvas(reg, w.canvas);
    });
}

void BM_AllNonQtUnits(benchmark::State& state) {
    Windows& w = theWindows();
    registerFresh(state, [&](script::Registry& reg) {
        script::registerEngineBuiltins(reg);
        library::registerLibrary(reg);
        data::registerDataTable(reg);
        windows::registerConsole(reg, w.console);
        windows::registerCanvas(reg, w.canvas);
    });
}

} // namespace

BENCHMARK(BM_FreshRegistry)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EngineBuiltins)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Library)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BuiltinsAndDataTable)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ConsoleAndCanvas)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AllNonQtUnits)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
