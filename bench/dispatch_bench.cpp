// A call by name through the dispatch interface: the name is resolved once, then the call is
// made a million times by its identifier, as a script loop makes it.
#include "script/builtins.h"
#include "script/comp_wrapper.h"
#include "script/component.h"
#include "script/registry.h"

#include <benchmark/benchmark.h>

using namespace vorlan::script;

namespace {

void setUp() {
    static bool done = [] {
        registerEngineBuiltins(registry());
        registry().registerProc(
            "BenchTwice", "function(x: Integer): Integer",
            [](NativeObject*, std::span<Value> a, Value& r) { r = Value(a[0].asInt() * 2); });
        registry().registerProc("BenchConcat", "function(a, b: string): string",
                                [](NativeObject*, std::span<Value> a, Value& r) {
                                    r = Value(a[0].asString() + a[1].asString());
                                });
        registry().registerClass("TBenchObject", "TComponent");
        registry().registerMethod(
            "TBenchObject", "Twice", "function(x: Integer): Integer",
            [](NativeObject*, std::span<Value> a, Value& r) { r = Value(a[0].asInt() * 2); });
        return true;
    }();
    (void)done;
}

void BM_GlobalProcByIdInteger(benchmark::State& state) {
    setUp();
    ObjectRef scope = registry().globalScope();
    const DispId id = scope->idOfName("BenchTwice");
    Value args[1];
    Value result;
    ExceptionInfo error;
    std::int32_t i = 0;
    for (auto _ : state) {
        args[0] = Value(i++);
        scope->invoke(id, InvokeMethod, args, result, error);
        benchmark::DoNotOptimize(result);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GlobalProcByIdInteger)->Iterations(1000000);

void BM_GlobalProcByIdStrings(benchmark::State& state) {
    setUp();
    ObjectRef scope = registry().globalScope();
    const DispId id = scope->idOfName("BenchConcat");
    Value args[2] = {Value("abc"), Value("def")};
    Value result;
    ExceptionInfo error;
    for (auto _ : state) {
        scope->invoke(id, InvokeMethod, args, result, error);
        benchmark::DoNotOptimize(result);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GlobalProcByIdStrings)->Iterations(1000000);

void BM_ObjectMethodById(benchmark::State& state) {
    setUp();
    Component object("TBenchObject", "Bench");
    ObjectRef wrapped = wrapObject(&object);
    const DispId id = wrapped->idOfName("Twice");
    Value args[1];
    Value result;
    ExceptionInfo error;
    std::int32_t i = 0;
    for (auto _ : state) {
        args[0] = Value(i++);
        wrapped->invoke(id, InvokeMethod, args, result, error);
        benchmark::DoNotOptimize(result);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ObjectMethodById)->Iterations(1000000);

// For comparison: resolving the name on every call, which the engines must not do.
void BM_GlobalProcResolvedEachTime(benchmark::State& state) {
    setUp();
    ObjectRef scope = registry().globalScope();
    Value args[1];
    Value result;
    ExceptionInfo error;
    for (auto _ : state) {
        args[0] = Value(1);
        invokeByName(*scope, "BenchTwice", InvokeMethod, args, result, error);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_GlobalProcResolvedEachTime)->Iterations(1000000);

} // namespace

BENCHMARK_MAIN();
