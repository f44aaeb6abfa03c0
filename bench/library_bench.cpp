// A script building a long text one character at a time and then searching and cutting it, as
// the calls reach the library: names resolved once, each call made by its identifier. The time
// per character must stay flat as the text grows from 100 KB to 10 MB.
//
// The loop is
//     s := s + chr(65 + i mod 26);   { chr from the library, the append in place }
//     if Ord(chr(...)) ... ;         { a second small call, as loops test what they add }
// and afterwards Length, Pos of a needle at the very end, and Delete of all but two characters.
#include "library/library.h"
#include "script/registry.h"

#include <benchmark/benchmark.h>

using namespace vorlan::script;

namespace {

Registry& libraryRegistry() {
    static Registry reg;
    static bool done = [] {
        vorlan::library::registerLibrary(reg);
        return true;
    }();
    (void)done;
    return reg;
}

struct Calls {
    ObjectRef scope = libraryRegistry().globalScope();
    DispId chr = scope->idOfName("chr");
    DispId ord = scope->idOfName("Ord");
    DispId length = scope->idOfName("Length");
    DispId pos = scope->idOfName("Pos");
    DispId del = scope->idOfName("Delete");
    DispId insert = scope->idOfName("Insert");

    Value call(DispId id, std::span<Value> args) {
        Value result;
        ExceptionInfo error;
        if (scope->invoke(id, InvokeMethod, args, result, error) != DispStatus::Ok) std::abort();
        return result;
    }
};

Value buildText(Calls& c, std::int64_t n) {
    Value s{std::string()};
    Value code[1];
    for (std::int64_t i = 0; i < n; ++i) {
        code[0] = Value(static_cast<std::int32_t>(65 + i % 26));
        Value ch = c.call(c.chr, code);
        Value probe[1] = {ch};
        if (c.call(c.ord, probe).asInt() == 0) std::abort();
        s.asString() += ch.asString();
    }
    return s;
}

void BM_BuildTextByCharacter(benchmark::State& state) {
    Calls c;
    for (auto _ : state) {
        Value s = buildText(c, state.range(0));
        benchmark::DoNotOptimize(s);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

void BM_SearchAndCutBuiltText(benchmark::State& state) {
    Calls c;
    Value s = buildText(c, state.range(0));
    s.asString() += "KONEC";
    for (auto _ : state) {
        Value one[1] = {s};
        benchmark::DoNotOptimize(c.call(c.length, one));
        Value find[2] = {Value("KONEC"), s};
        if (c.call(c.pos, find).asInt() != static_cast<std::int32_t>(state.range(0)) + 1)
            std::abort();
        Value cut[3] = {s, Value(2), Value(static_cast<std::int32_t>(state.range(0)))};
        benchmark::DoNotOptimize(c.call(c.del, cut));
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

// Appending through Insert hands the whole text back as the result at every call, so this loop
// costs time in proportion to the text's length per character; kept small to show the
// difference from the append above.
void BM_AppendThroughInsert(benchmark::State& state) {
    Calls c;
    for (auto _ : state) {
        Value args[3] = {Value("x"), Value(std::string()),
                         Value(std::numeric_limits<std::int32_t>::max())};
        for (std::int64_t i = 0; i < state.range(0); ++i)
            benchmark::DoNotOptimize(c.call(c.insert, args));
        benchmark::DoNotOptimize(args[1]);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

} // namespace

BENCHMARK(BM_BuildTextByCharacter)
    ->Arg(100 << 10)
    ->Arg(1 << 20)
    ->Arg(10 << 20)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchAndCutBuiltText)
    ->Arg(100 << 10)
    ->Arg(1 << 20)
    ->Arg(10 << 20)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AppendThroughInsert)->Arg(10 << 10)->Arg(100 << 10)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
