// The DBF engine on a generated table of 1,000,000 records (C 30, N 12.2, D, L), kept in /tmp:
// a sequential scan against reading the same file raw, index creation on a character and on a
// date key, random seeks, appends and a filter query.
#include "dbf/table.h"
#include "dbf/xbase_text.h"

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <unistd.h>

using namespace vorlan::dbf;

namespace {

constexpr std::uint32_t kRecords = 1'000'000;
const std::filesystem::path kDir = "/tmp/vorlan_dbf_bench";

std::string nameFor(std::uint32_t i) {
    std::uint32_t x = i * 2654435761u;
    std::string s = "CUSTOMER ";
    for (int k = 0; k < 8; ++k, x /= 26)
        s += static_cast<char>('A' + x % 26);
    return s + " " + std::to_string(i);
}

std::vector<FieldSpec> fields() {
    return {{"NAME", 'C', 30}, {"AMOUNT", 'N', 12, 2}, {"DAY", 'D'}, {"ACTIVE", 'L'}};
}

void fill(Table& t, std::uint32_t from, std::uint32_t count) {
    for (std::uint32_t i = from; i < from + count; ++i) {
        t.append();
        t.setString(0, nameFor(i));
        t.setNumber(1, (i * 7919u % 1000000u) / 100.0);
        t.setDate(2, julianFromYmd(1990, 1, 1) + static_cast<std::int32_t>(i * 31u % 12000u));
        t.setLogical(3, i % 3 != 0);
    }
    t.flush();
}

const std::filesystem::path& table() {
    static const std::filesystem::path path = [] {
        std::filesystem::create_directories(kDir);
        const auto p = kDir / "big.dbf";
        bool ok = false;
        if (std::filesystem::exists(p)) {
            try {
                ok = Table::open(p, {.readOnly = true})->recordCount() == kRecords;
            } catch (const DbfError&) {
            }
        }
        if (!ok) {
            auto t = Table::create(p, fields());
            fill(*t, 0, kRecords);
        }
        return p;
    }();
    return path;
}

void BM_RawRead(benchmark::State& state) {
    const auto& path = table();
    std::vector<char> buf(1 << 16);
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_RDONLY);
        std::uint64_t sum = 0, bytes = 0;
        ssize_t n;
        while ((n = ::read(fd, buf.data(), buf.size())) > 0) {
            sum += static_cast<unsigned char>(buf[0]);
            bytes += static_cast<std::uint64_t>(n);
        }
        ::close(fd);
        benchmark::DoNotOptimize(sum);
        state.SetBytesProcessed(state.bytes_processed() + static_cast<std::int64_t>(bytes));
    }
}
BENCHMARK(BM_RawRead)->Unit(benchmark::kMillisecond);

void BM_SequentialScan(benchmark::State& state) {
    auto t = Table::open(table(), {.readOnly = true});
    const auto bytes = std::filesystem::file_size(table());
    for (auto _ : state) {
        std::uint64_t deleted = 0;
        for (t->goTop(); !t->eof(); t->skip())
            deleted += t->deleted() ? 1 : 0;
        benchmark::DoNotOptimize(deleted);
        state.SetBytesProcessed(state.bytes_processed() + static_cast<std::int64_t>(bytes));
    }
}
BENCHMARK(BM_SequentialScan)->Unit(benchmark::kMillisecond);

void BM_ScanReadingNumbers(benchmark::State& state) {
    auto t = Table::open(table(), {.readOnly = true});
    for (auto _ : state) {
        double sum = 0;
        for (t->goTop(); !t->eof(); t->skip())
            sum += t->getNumber(1);
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_ScanReadingNumbers)->Unit(benchmark::kMillisecond);

void BM_IndexCharacterKey(benchmark::State& state) {
    auto t = Table::open(table());
    for (auto _ : state) {
        t->createIndex(kDir / "name.ntx", "NAME");
        t->closeIndexes();
    }
}
BENCHMARK(BM_IndexCharacterKey)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_IndexDateKey(benchmark::State& state) {
    auto t = Table::open(table());
    for (auto _ : state) {
        t->createIndex(kDir / "day.ntx", "DAY");
        t->closeIndexes();
    }
}
BENCHMARK(BM_IndexDateKey)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_OpenIndexFile(benchmark::State& state) {
    auto t = Table::open(table());
    if (!std::filesystem::exists(kDir / "name.ntx")) t->createIndex(kDir / "name.ntx", "NAME");
    t->closeIndexes();
    for (auto _ : state) {
        t->openIndex(kDir / "name.ntx");
        t->closeIndexes();
    }
}
BENCHMARK(BM_OpenIndexFile)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_RandomSeeks100k(benchmark::State& state) {
    auto t = Table::open(table());
    if (!std::filesystem::exists(kDir / "name.ntx"))
        t->createIndex(kDir / "name.ntx", "NAME");
    else
        t->openIndex(kDir / "name.ntx");
    std::mt19937 rng(1);
    std::vector<std::string> keys;
    for (int i = 0; i < 100000; ++i)
        keys.push_back(nameFor(rng() % kRecords));
    for (auto _ : state) {
        int found = 0;
        for (const auto& k : keys)
            found += t->seek(k, false) ? 1 : 0;
        if (found != 100000) state.SkipWithError("seek missed");
    }
}
BENCHMARK(BM_RandomSeeks100k)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Appends100k(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto t = Table::create(kDir / "append.dbf", fields());
        state.ResumeTiming();
        fill(*t, 0, 100000);
        t->close();
    }
}
BENCHMARK(BM_Appends100k)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_FilterQuery(benchmark::State& state) {
    auto t = Table::open(table(), {.readOnly = true});
    t->setFilter("AMOUNT > 5000 .AND. ACTIVE .AND. YEAR(DAY) >= 2000");
    for (auto _ : state)
        benchmark::DoNotOptimize(t->count());
}
BENCHMARK(BM_FilterQuery)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
