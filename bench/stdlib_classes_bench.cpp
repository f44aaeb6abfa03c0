// TStringList as a script loop uses it: Add and Values[] through the registry (the names
// resolved once, each call made by its identifier), and Sort of 100,000 texts, which must stay
// under 0.2 s.
#include "script/builtins.h"
#include "script/comp_wrapper.h"
#include "script/registry.h"
#include "stdlib/stdlib.h"
#include "stdlib/string_list.h"

#include <benchmark/benchmark.h>

#include <random>

using namespace vorlan::script;

namespace {

void setUp() {
    static bool done = [] {
        registerEngineBuiltins(registry());
        vorlan::stdlib::registerStandardLibrary(registry());
        return true;
    }();
    (void)done;
}

struct ScriptList {
    ObjectRef list;
    DispId add = 0;
    DispId values = 0;
    DispId clear = 0;

    ScriptList() {
        setUp();
        ObjectRef scope = registry().globalScope();
        Value cls;
        ExceptionInfo error;
        scope->invoke(scope->idOfName("TStringList"), InvokeGet, {}, cls, error);
        Value made;
        cls.asObject()->invoke(cls.asObject()->idOfName("Create"), InvokeMethod, {}, made, error);
        list = made.asObject();
        add = list->idOfName("Add");
        values = list->idOfName("Values");
        clear = list->idOfName("Clear");
    }
    Value call(DispId id, unsigned flags, std::span<Value> args) {
        Value result;
        ExceptionInfo error;
        if (list->invoke(id, flags, args, result, error) != DispStatus::Ok) std::abort();
        return result;
    }
};

std::string word(std::mt19937& rng) {
    static const char* const letters[] = {
        "a", "\xE1", "b",    "c", "\xE8", "ch", "d", "e",    "\xEC", "h",    "i", "k", "l",   "n",
        "o", "r",    "\xF8", "s", "\x9A", "t",  "u", "\xF9", "z",    "\x9E", "A", "C", "\xC8"};
    std::string w;
    const int n = 4 + static_cast<int>(rng() % 9);
    for (int i = 0; i < n; ++i)
        w += letters[rng() % std::size(letters)];
    return w;
}

void BM_StringListAdd(benchmark::State& state) {
    ScriptList s;
    Value arg[1] = {Value(std::string("polozka seznamu"))};
    std::int64_t n = 0;
    for (auto _ : state) {
        if (++n % 100000 == 0) s.call(s.clear, InvokeMethod, {});
        benchmark::DoNotOptimize(s.call(s.add, InvokeMethod, arg));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_StringListAdd);

// Values[name] over a list of `range` name=value lines, names looked up in a scattered order.
void BM_StringListValuesLookup(benchmark::State& state) {
    ScriptList s;
    const auto count = static_cast<std::int32_t>(state.range(0));
    for (std::int32_t i = 0; i < count; ++i) {
        Value put[2] = {Value("jmeno" + std::to_string(i)), Value(std::to_string(i))};
        s.call(s.values, InvokePut, put);
    }
    std::vector<Value> names;
    for (std::int32_t i = 0; i < 1024; ++i)
        names.emplace_back("JMENO" + std::to_string((i * 7919) % count));
    std::size_t k = 0;
    for (auto _ : state) {
        Value arg[1] = {names[k++ & 1023]};
        benchmark::DoNotOptimize(s.call(s.values, InvokeGet, arg));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_StringListValuesLookup)->Arg(100)->Arg(10000);

// Values[name] := value on a growing list: each new name goes to the end.
void BM_StringListValuesAssign(benchmark::State& state) {
    ScriptList s;
    std::int64_t n = 0;
    for (auto _ : state) {
        if (n % 10000 == 0) s.call(s.clear, InvokeMethod, {});
        Value put[2] = {Value("k" + std::to_string(n++ % 10000)), Value("v")};
        s.call(s.values, InvokePut, put);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_StringListValuesAssign);

void BM_StringListSort100k(benchmark::State& state) {
    std::mt19937 rng(42);
    std::vector<std::string> words;
    for (int i = 0; i < 100000; ++i)
        words.push_back(word(rng));
    for (auto _ : state) {
        state.PauseTiming();
        vorlan::stdlib::StringList list;
        list.setTexts(words);
        list.setCaseSensitive(static_cast<bool>(state.range(0)));
        state.ResumeTiming();
        list.sort();
        benchmark::DoNotOptimize(list.count());
    }
}
BENCHMARK(BM_StringListSort100k)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
