// The JavaScript dialect on the work scripts give it most: integer arithmetic and comparisons in
// a loop, calls of registered functions, and calls of the module's own functions. Each benchmark
// iteration runs one function of the module; the counters give the time per loop pass or call.
#include "script/builtins.h"
#include "script/js/js_runner.h"
#include "script/registry.h"
#include "script/scripter.h"

#include <benchmark/benchmark.h>

#include <memory>

using namespace vorlan::script;

namespace {

const std::vector<std::string> kModule = {
    "var total = 0;",
    "function addOne(x) { return x + 1; }",
    "function arithmetic() {",
    "  var i = 0, s = 0;",
    "  while (i < 10000000) {",
    "    if (i % 3 == 0) s = s + i % 7; else s = s - 1;",
    "    i = i + 1;",
    "  }",
    "  total = s;",
    "}",
    "function registeredCalls() {",
    "  var n = 0, s = 'hello';",
    "  for (var i = 1; i <= 1000000; i++) n = n + BenchLength(s);",
    "  total = n;",
    "}",
    "function routineCalls() {",
    "  var n = 0;",
    "  for (var i = 1; i <= 1000000; i++) n = addOne(n);",
    "  total = n;",
    "}",
};

Scripter& module() {
    static std::unique_ptr<Scripter> scripter = [] {
        Registry& reg = registry();
        registerEngineBuiltins(reg);
        registerScriptRunners(reg);
        vorlan::script::js::registerJavaScriptRunner(reg);
        reg.registerProc("BenchLength", "function(const S: string): Integer",
                         [](NativeObject*, std::span<Value> a, Value& r) {
                             r = Value(static_cast<std::int32_t>(a[0].asString().size()));
                         });
        auto s = std::make_unique<Scripter>();
        s->language = "JavaScript";
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
    runFunction(state, "arithmetic", 1e7);
}
BENCHMARK(BM_IntegerLoop10M)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_RegisteredFunctionCalls1M(benchmark::State& state) {
    runFunction(state, "registeredCalls", 1e6);
}
BENCHMARK(BM_RegisteredFunctionCalls1M)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ScriptFunctionCalls1M(benchmark::State& state) {
    runFunction(state, "routineCalls", 1e6);
}
BENCHMARK(BM_ScriptFunctionCalls1M)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

BENCHMARK_MAIN();
