// The Basic dialect on the work scripts give it most: integer arithmetic and comparisons in a
// loop, calls of registered functions, and calls of the module's own functions. Each benchmark
// iteration runs one procedure of the module; the counters give the time per loop pass or call.
#include "script/basic/basic_runner.h"
#include "script/builtins.h"
#include "script/registry.h"
#include "script/scripter.h"

#include <benchmark/benchmark.h>

#include <memory>

using namespace vorlan::script;

namespace {

const std::vector<std::string> kModule = {
    "Dim total",
    "Function AddOne(x) : AddOne = x + 1 : End Function",
    "Sub Arithmetic",
    "  Dim i, s",
    "  i = 0 : s = 0",
    "  Do While i < 10000000",
    "    If i Mod 3 = 0 Then s = s + i Mod 7 Else s = s - 1",
    "    i = i + 1",
    "  Loop",
    "  total = s",
    "End Sub",
    "Sub RegisteredCalls",
    "  Dim i, n, s",
    "  s = \"hello\" : n = 0",
    "  For i = 1 To 1000000 : n = n + BenchLength(s) : Next",
    "  total = n",
    "End Sub",
    "Sub RoutineCalls",
    "  Dim i, n",
    "  n = 0",
    "  For i = 1 To 1000000 : n = AddOne(n) : Next",
    "  total = n",
    "End Sub",
};

Scripter& module() {
    static std::unique_ptr<Scripter> scripter = [] {
        Registry& reg = registry();
        registerEngineBuiltins(reg);
        registerScriptRunners(reg);
        vorlan::script::basic::registerVbScriptRunner(reg);
        reg.registerProc("BenchLength", "function(const S: string): Integer",
                         [](NativeObject*, std::span<Value> a, Value& r) {
                             r = Value(static_cast<std::int32_t>(a[0].asString().size()));
                         });
        auto s = std::make_unique<Scripter>();
        s->language = "VBScript";
        s->script = kModule;
        s->callByName({}); // compiles and runs the main body
        return s;
    }();
    return *scripter;
}

void runFunction(benchmark::State& state, const char* name, double passes) {
    Scripter& s = module();
    for (auto _ : state)
        s.callByName(name);
    // Seconds per loop pass or call (printed with an SI prefix: 12n is 12 ns).
    state.counters["per_pass"] = benchmark::Counter(
        passes, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_IntegerLoop10M(benchmark::State& state) {
    runFunction(state, "Arithmetic", 1e7);
}
BENCHMARK(BM_IntegerLoop10M)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_RegisteredFunctionCalls1M(benchmark::State& state) {
    runFunction(state, "RegisteredCalls", 1e6);
}
BENCHMARK(BM_RegisteredFunctionCalls1M)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ScriptRoutineCalls1M(benchmark::State& state) {
    runFunction(state, "RoutineCalls", 1e6);
}
BENCHMARK(BM_ScriptRoutineCalls1M)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

BENCHMARK_MAIN();
