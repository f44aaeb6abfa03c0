// The form classes at start-up and at work: registering them into a fresh registry (what every
// run pays once), making a control by its class name (what reading a form pays per control) and
// reading published properties of a control by name (what scripts and the form loader pay per
// access): one the control's own class answers, one every control has, one only the property
// bag holds.

#include "script/builtins.h"
#include "script/component.h"
#include "script/registry.h"
#include "ui/qt/forms/form_catalog.h"
#include "ui/qt/forms/form_classes.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace vorlan;

void BM_RegisterFormClasses(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto reg = std::make_unique<script::Registry>();
        script::registerEngineBuiltins(*reg);
        state.ResumeTiming();
        forms::registerFormClasses(*reg);
        state.PauseTiming();
        reg.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_RegisterFormClasses)->Unit(benchmark::kMicrosecond);

void registerOnce() {
    static const bool done = [] {
        script::registerEngineBuiltins(script::registry());
        forms::registerFormClasses(script::registry());
        return true;
    }();
    (void)done;
}

void BM_MakeControl(benchmark::State& state) {
    registerOnce();
    for (auto _ : state)
        benchmark::DoNotOptimize(forms::makeControl("TEditEnter"));
}
BENCHMARK(BM_MakeControl)->Unit(benchmark::kMicrosecond);

void readProperty(benchmark::State& state, const char* name) {
    registerOnce();
    auto edit = forms::makeControl("TEdit");
    edit->setPublished("Tag", script::Value(7));
    script::Value out;
    for (auto _ : state)
        benchmark::DoNotOptimize(edit->getPublished(name, out));
}

void BM_ReadOwnProperty(benchmark::State& state) {
    readProperty(state, "ReadOnly");
}
BENCHMARK(BM_ReadOwnProperty);

void BM_ReadCommonProperty(benchmark::State& state) {
    readProperty(state, "Hint");
}
BENCHMARK(BM_ReadCommonProperty);

void BM_ReadStoredProperty(benchmark::State& state) {
    readProperty(state, "Tag");
}
BENCHMARK(BM_ReadStoredProperty);

} // namespace

int main(int argc, char** argv) {
    // Controls are widgets: one application, on a platform that needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
