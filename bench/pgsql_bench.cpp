// Server tables beside table files, on the same 1,000,000 records (C 30, N 12.2, D, L) with an
// order on UPPER(NAME): walking the whole order, a seek, and a locked update with its commit.
// The server is the tests' own (a temporary one on a Unix socket) unless VORLAN_BENCH_PG_URL
// names a database; the table file is kept in /tmp/vorlan_pgsql_bench.
#include "dbf/table.h"
#include "dbf/xbase_text.h"
#include "pgsql/pg_server.h"
#include "pgsql/table.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <random>

namespace {

namespace fs = std::filesystem;
using vorlan::dbf::FieldSpec;

constexpr std::uint32_t kRecords = 1'000'000;
const fs::path kDir = "/tmp/vorlan_pgsql_bench";

std::string nameFor(std::uint32_t i) {
    std::uint32_t x = i * 2654435761u;
    std::string s = "Customer ";
    for (int k = 0; k < 8; ++k, x /= 26)
        s += static_cast<char>('a' + x % 26);
    return s + " " + std::to_string(i);
}

std::vector<FieldSpec> fields() {
    return {{"NAME", 'C', 30}, {"AMOUNT", 'N', 12, 2}, {"DAY", 'D'}, {"ACTIVE", 'L'}};
}

vorlan::dbf::Table& fileTable() {
    static std::unique_ptr<vorlan::dbf::Table> t = [] {
        fs::create_directories(kDir);
        const auto p = kDir / "big.dbf";
        std::unique_ptr<vorlan::dbf::Table> table;
        try {
            table = vorlan::dbf::Table::open(p);
            if (table->recordCount() != kRecords || table->orderOf("NAME") == 0) table.reset();
        } catch (const vorlan::dbf::DbfError&) {
            table.reset();
        }
        if (!table) {
            fs::remove(kDir / "big.cdx");
            table = vorlan::dbf::Table::create(p, fields());
            for (std::uint32_t i = 0; i < kRecords; ++i) {
                table->append();
                table->setString(0, nameFor(i));
                table->setNumber(1, (i * 7919u % 1000000u) / 100.0);
                table->setDate(2, vorlan::dbf::julianFromYmd(1990, 1, 1) +
                                      static_cast<std::int32_t>(i * 31u % 12000u));
                table->setLogical(3, i % 3 != 0);
            }
            table->flush();
            table->createTag("NAME", "UPPER(NAME)");
        }
        table->setOrder(table->orderOf("NAME"));
        return table;
    }();
    return *t;
}

std::string serverUrl() {
    if (const char* url = std::getenv("VORLAN_BENCH_PG_URL"); url && *url) return url;
    auto* server = pgtest::PgServer::get();
    if (!server) {
        std::cerr << "pgsql_bench: " << pgtest::PgServer::failure() << "\n";
        std::exit(1);
    }
    return server->freshDatabase("bench");
}

vorlan::pgsql::Table& serverTable() {
    static std::unique_ptr<vorlan::pgsql::Table> t = [] {
        auto conn = vorlan::pgsql::connectionFor(serverUrl());
        std::unique_ptr<vorlan::pgsql::Table> table;
        if (vorlan::pgsql::tableExists(*conn, "big")) {
            table = vorlan::pgsql::Table::open(conn, "big");
            if (table->recordCount() != kRecords || table->orderOf("NAME") == 0) {
                table.reset();
                vorlan::pgsql::dropTable(*conn, "big");
            }
        }
        if (!table) {
            // Loaded from the table file's records, so both hold the same data.
            auto& file = fileTable();
            table = vorlan::pgsql::Table::create(conn, "big", fields());
            table->createOrder({"NAME", "UPPER(NAME)"});
            std::vector<std::string> images;
            for (std::uint32_t r = 1; r <= kRecords; ++r) {
                file.goTo(r);
                std::string image(1, ' ');
                for (int f = 0; f < file.fieldCount(); ++f)
                    image += file.raw(f);
                images.push_back(std::move(image));
                if (images.size() == 50000 || r == kRecords) {
                    table->appendImages(images);
                    images.clear();
                }
            }
            conn->run("ANALYZE big");
            file.setOrder(file.orderOf("NAME"));
        }
        table->setOrder(table->orderOf("NAME"));
        return table;
    }();
    return *t;
}

template <class T> void walk(benchmark::State& state, T& t) {
    for (auto _ : state) {
        std::uint64_t n = 0;
        for (t.goTop(); !t.eof(); t.skip())
            n += static_cast<std::uint64_t>(t.raw(0)[0]);
        benchmark::DoNotOptimize(n);
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}

template <class T> void seek(benchmark::State& state, T& t) {
    std::mt19937 rng(1);
    for (auto _ : state) {
        const std::uint32_t i = rng() % kRecords;
        std::string key = nameFor(i);
        for (char& c : key)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (!t.seek(key, false)) state.SkipWithError("key not found");
    }
}

template <class T> void lockedUpdate(benchmark::State& state, T& t) {
    std::mt19937 rng(2);
    for (auto _ : state) {
        const std::uint32_t r = 1 + rng() % kRecords;
        if (!t.lockRecord(r)) state.SkipWithError("lock refused");
        t.goTo(r);
        t.setNumber(1, t.getNumber(1) + 1);
        t.commit();
        t.unlock(r);
    }
}

void BM_WalkOrder_File(benchmark::State& s) {
    walk(s, fileTable());
}
void BM_WalkOrder_Server(benchmark::State& s) {
    walk(s, serverTable());
}
void BM_Seek_File(benchmark::State& s) {
    seek(s, fileTable());
}
void BM_Seek_Server(benchmark::State& s) {
    seek(s, serverTable());
}
void BM_LockedUpdate_File(benchmark::State& s) {
    lockedUpdate(s, fileTable());
}
void BM_LockedUpdate_Server(benchmark::State& s) {
    lockedUpdate(s, serverTable());
}

BENCHMARK(BM_WalkOrder_File)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_WalkOrder_Server)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_Seek_File)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_Seek_Server)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_LockedUpdate_File)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();
BENCHMARK(BM_LockedUpdate_Server)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

} // namespace

BENCHMARK_MAIN();
