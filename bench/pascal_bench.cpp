// The Pascal-dialect machine on the work scripts give it most: integer arithmetic and
// comparisons in a loop, calls of registered functions, and calls of the module's own routines.
// Each benchmark iteration runs one routine of the module; the counters give the time per loop
// pass or per call.
#include "script/builtins.h"
#include "script/pascal/pascal_runner.h"
#include "script/registry.h"
#include "script/scripter.h"

#include <benchmark/benchmark.h>

#include <memory>

using namespace vorlan::script;

namespace {

const std::vector<std::string> kModule = {
    "var total: Integer;",
    "function AddOne(x: Integer): Integer; begin Result := x + 1 end;",
    "procedure Arithmetic;",
    "var i, s: Integer;",
    "begin",
    "  i := 0; s := 0;",
    "  while i < 10000000 do",
    "  begin",
    "    if i mod 3 = 0 then s := s + i mod 7 else s := s - 1;",
    "    i := i + 1",
    "  end;",
    "  total := s",
    "end;",
    "procedure RegisteredCalls;",
    "var i, n: Integer; s: string;",
    "begin",
    "  s := 'hello'; n := 0;",
    "  for i := 1 to 1000000 do n := n + BenchLength(s);",
    "  total := n",
    "end;",
    "procedure RoutineCalls;",
    "var i, n: Integer;",
    "begin",
    "  n := 0;",
    "  for i := 1 to 1000000 do n := AddOne(n);",
    "  total := n",
    "end;",
    "begin end.",
};

Scripter& module() {
    static std::unique_ptr<Scripter> scripter = [] {
        Registry& reg = registry();
        registerEngineBuiltins(reg);
        registerScriptRunners(reg);
        vorlan::script::pascal::registerPascalRunner(reg);
        reg.registerProc("BenchLength", "function(const S: string): Integer",
                         [](NativeObject*, std::span<Value> a, Value& r) {
                             r = Value(static_cast<std::int32_t>(a[0].asString().size()));
                         });
        auto s = std::make_unique<Scripter>();
        s->language = "ZelmoranScript";
        s->script = kModule;
        s->callByName({}); // compiles and runs the main body
        return s;
    }();
    return *scripter;
}

void runRoutine(benchmark::State& state, const char* routine, double passes) {
    Scripter& s = module();
    for (auto _ : state)
        s.callByName(routine);
    // Seconds per loop pass or call (printed with an SI prefix: 12n is 12 ns).
    state.counters["per_pass"] = benchmark::Counter(
        passes, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_IntegerLoop10M(benchmark::State& state) {
    runRoutine(state, "Arithmetic", 1e7);
}
BENCHMARK(BM_IntegerLoop10M)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_RegisteredFunctionCalls1M(benchmark::State& state) {
    runRoutine(state, "RegisteredCalls", 1e6);
}
BENCHMARK(BM_RegisteredFunctionCalls1M)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_ScriptRoutineCalls1M(benchmark::State& state) {
    runRoutine(state, "RoutineCalls", 1e6);
}
BENCHMARK(BM_ScriptRoutineCalls1M)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

BENCHMARK_MAIN();
