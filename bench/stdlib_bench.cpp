// The standard library's busiest routines, called the two ways programs reach them: straight
// through the registry's global scope (the cost of the routine and its dispatch), and from a
// Pascal-dialect loop (what a program pays per call). Counters give the time per call.
#include "library/library.h"
#include "script/builtins.h"
#include "script/open_array.h"
#include "script/pascal/pascal_runner.h"
#include "script/registry.h"
#include "script/scripter.h"
#include "stdlib/stdlib.h"

#include <benchmark/benchmark.h>

#include <memory>

using namespace vorlan::script;

namespace {

const std::vector<std::string> kModule = {
    "var total: Integer; s: string;",
    "procedure IntToStrLoop;",
    "var i, n: Integer;",
    "begin",
    "  n := 0;",
    "  for i := 1 to 1000000 do n := n + Length(IntToStr(i));",
    "  total := n",
    "end;",
    "procedure FormatLoop;",
    "var i, n: Integer;",
    "begin",
    "  n := 0;",
    "  for i := 1 to 200000 do",
    "    n := n + Length(Format('%d: %s %8.2f', [i, 'kusů', i / 7]));",
    "  total := n",
    "end;",
    "procedure EmptyLoop;",
    "var i, n: Integer;",
    "begin",
    "  n := 0;",
    "  for i := 1 to 1000000 do n := n + Length('12345');",
    "  total := n",
    "end;",
    "begin end.",
};

Registry& registered() {
    static Registry& reg = []() -> Registry& {
        Registry& r = registry();
        registerEngineBuiltins(r);
        registerScriptRunners(r);
        vorlan::script::pascal::registerPascalRunner(r);
        vorlan::library::registerLibrary(r);
        vorlan::stdlib::registerStandardLibrary(r);
        setProgramLanguage("ZLM");
        return r;
    }();
    return reg;
}

Scripter& module() {
    static std::unique_ptr<Scripter> scripter = [] {
        registered();
        auto s = std::make_unique<Scripter>();
        s->language = "ZelmoranScript";
        s->script = kModule;
        s->callByName({}); // compiles and runs the main body
        return s;
    }();
    return *scripter;
}

void perCall(benchmark::State& state, double calls) {
    state.counters["per_call"] = benchmark::Counter(
        calls, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void callDirect(benchmark::State& state, const char* name, std::vector<Value> args) {
    ObjectRef scope = registered().globalScope();
    const DispId id = scope->idOfName(name);
    Value result;
    ExceptionInfo error;
    for (auto _ : state) {
        std::vector<Value> a = args;
        scope->invoke(id, InvokeMethod, a, result, error);
        benchmark::DoNotOptimize(result);
    }
    perCall(state, 1);
}

void BM_IntToStrDirect(benchmark::State& state) {
    callDirect(state, "IntToStr", {Value(1234567)});
}
BENCHMARK(BM_IntToStrDirect);

void BM_FormatDirect(benchmark::State& state) {
    auto args = VarArray::create(0, 3);
    args->items() = {Value(42), Value("kusů"), Value(3.14159), Value()};
    callDirect(state, "Format", {Value("%d: %s %8.2f"), Value(args)});
}
BENCHMARK(BM_FormatDirect);

void BM_FloatToStrDirect(benchmark::State& state) {
    callDirect(state, "FloatToStr", {Value(1234.5678)});
}
BENCHMARK(BM_FloatToStrDirect);

void BM_FormatDateTimeDirect(benchmark::State& state) {
    callDirect(state, "FormatDateTime", {Value("dd.mm.yyyy hh:nn"), Value(DateTime{45356.5})});
}
BENCHMARK(BM_FormatDateTimeDirect);

void runRoutine(benchmark::State& state, const char* routine, double calls) {
    Scripter& s = module();
    for (auto _ : state)
        s.callByName(routine);
    perCall(state, calls);
}

// The loop with a built-in call in place of the routine: what the loop itself costs.
void BM_ScriptLoopBaseline1M(benchmark::State& state) {
    runRoutine(state, "EmptyLoop", 1e6);
}
BENCHMARK(BM_ScriptLoopBaseline1M)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ScriptIntToStr1M(benchmark::State& state) {
    runRoutine(state, "IntToStrLoop", 1e6);
}
BENCHMARK(BM_ScriptIntToStr1M)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ScriptFormat200k(benchmark::State& state) {
    runRoutine(state, "FormatLoop", 2e5);
}
BENCHMARK(BM_ScriptFormat200k)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

BENCHMARK_MAIN();
