// Several real processes on one table with a structural index of three tags (UPPER(NAZEV),
// STR(CISLO,10), DTOS(DATUM)), kept in /tmp:
//  - creating the table opened exclusively (append and three field writes per record), then its
//    tags;
//  - saves of one record (lock, write an indexed field, commit, unlock) alone and while another
//    process holds the table open;
//  - a reader's seek right after another process committed a change;
//  - four writers, each doing random updates of an indexed field and appends with commits, while
//    a fifth process seeks; afterwards every record and every key is checked;
//  - with --churn, rounds that move every key of one tag past the greatest: the index file must
//    stay the size the first round left it (pages emptied are reused).
// With --ntx the three orders are .NTX files (NAZEV.NTX, CISLO.NTX, DATUM.NTX in a folder of
// their own per table size) instead of the tags of a structural .CDX.
//
//   dbf_shared_bench [--records N[,N...]] [--ops N] [--saves N] [--no-four] [--dir FOLDER]
//                    [--reuse] [--churn ROUNDS] [--ntx]
// --reuse keeps a table made by an earlier run (saves change records, so the tables drift).
// Prints medians of each step in milliseconds. Run it on an otherwise quiet machine and compare
// figures of one run; absolute times move with the load from elsewhere.
#include "core/cp1250.h"
#include "dbf/table.h"
#include "dbf/warnings.h"
#include "dbf/xbase_text.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <sys/select.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace vorlan::dbf;
using vorlan::upperCase;
using Clock = std::chrono::steady_clock;

namespace {

std::filesystem::path kDir = "/tmp/vorlan_dbf_shared_bench";
bool failed = false;
// Mixed into the choice of records and values: a table kept from an earlier run would otherwise
// get the very values it already holds, and nothing would change.
unsigned runSeed = 0;
bool ntx = false;

double msSince(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

std::string nameFor(std::uint32_t i) {
    std::uint32_t x = i * 2654435761u;
    std::string s = "zakaznik ";
    for (int k = 0; k < 8; ++k, x /= 26)
        s += static_cast<char>('a' + x % 26);
    return s + " " + std::to_string(i);
}

void writeRecord(Table& t, std::uint32_t i) {
    t.setString(0, nameFor(i));
    t.setNumber(1, static_cast<double>(i * 7919u % 100000000u));
    t.setDate(2, julianFromYmd(1990, 1, 1) + static_cast<std::int32_t>(i * 31u % 12000u));
}

// A child process running `body`; its results come back as doubles through a pipe.
struct Child {
    pid_t pid = -1;
    int fd = -1;
};

Child spawn(const std::function<std::vector<double>()>& body) {
    int p[2];
    if (pipe(p) != 0) std::abort();
    const pid_t pid = fork();
    if (pid == 0) {
        close(p[0]);
        int code = 0;
        try {
            const std::vector<double> out = body();
            const std::size_t n = out.size();
            if (write(p[1], &n, sizeof n) < 0) code = 3;
            if (n && write(p[1], out.data(), n * sizeof(double)) < 0) code = 3;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "child: %s\n", e.what());
            code = 2;
        }
        close(p[1]);
        _exit(code);
    }
    close(p[1]);
    return {pid, p[0]};
}

bool readAll(int fd, void* buf, std::size_t len) {
    auto* b = static_cast<char*>(buf);
    while (len > 0) {
        const ssize_t n = read(fd, b, len);
        if (n <= 0) return false;
        b += n;
        len -= static_cast<std::size_t>(n);
    }
    return true;
}

std::vector<double> collect(Child c) {
    std::size_t n = 0;
    std::vector<double> out;
    if (readAll(c.fd, &n, sizeof n)) {
        out.resize(n);
        if (!readAll(c.fd, out.data(), n * sizeof(double))) out.clear();
    }
    close(c.fd);
    int status = 0;
    waitpid(c.pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "a child process failed\n");
        std::exit(1);
    }
    return out;
}

std::filesystem::path tablePath(std::uint32_t records) {
    return kDir / ("T" + std::to_string(records) + ".DBF");
}

constexpr const char* kTags[3] = {"NAZEV", "CISLO", "DATUM"};
constexpr const char* kKeys[3] = {"UPPER(NAZEV)", "STR(CISLO,10)", "DTOS(DATUM)"};

// The .NTX file of one order of a table (tag names are file names).
std::filesystem::path ntxPath(const std::filesystem::path& table, const char* tag) {
    return table.parent_path() / (table.stem().string() + "_NTX") / (std::string(tag) + ".NTX");
}

// The file a run checks for (and churn measures): the structural index or the first order.
std::filesystem::path indexPath(const std::filesystem::path& table) {
    return ntx ? ntxPath(table, kTags[0]) : std::filesystem::path(table).replace_extension(".CDX");
}

// Opens the table with its three orders.
std::unique_ptr<Table> openTable(const std::filesystem::path& path, OpenOptions options = {}) {
    auto t = Table::open(path, options);
    if (ntx)
        for (const char* tag : kTags)
            t->openIndex(ntxPath(path, tag));
    return t;
}

// Creates the table opened exclusively and then its tags; answers the two times.
std::pair<double, double> create(std::uint32_t records) {
    const auto path = tablePath(records);
    std::filesystem::remove(path);
    std::filesystem::remove(std::filesystem::path(path).replace_extension(".CDX"));
    std::filesystem::remove_all(ntxPath(path, kTags[0]).parent_path());
    auto t0 = Clock::now();
    {
        auto t = Table::create(path, {{"NAZEV", 'C', 30}, {"CISLO", 'N', 10}, {"DATUM", 'D'}});
        t->close();
        auto x = Table::open(path, {.exclusive = true});
        for (std::uint32_t i = 1; i <= records; ++i) {
            x->append();
            writeRecord(*x, i);
        }
        x->close();
    }
    const double made = msSince(t0);
    t0 = Clock::now();
    {
        auto x = Table::open(path, {.exclusive = true});
        if (ntx) std::filesystem::create_directories(ntxPath(path, kTags[0]).parent_path());
        for (int i = 0; i < 3; ++i) {
            if (ntx)
                x->createIndex(ntxPath(path, kTags[i]), kKeys[i]);
            else
                x->createTag(kTags[i], kKeys[i]);
        }
        x->close();
    }
    return {made, msSince(t0)};
}

// One save as a program makes it: lock the record, change an indexed field, commit, unlock.
void save(Table& t, std::uint32_t recno, std::uint32_t value) {
    t.goTo(recno);
    if (!t.lockRecord(recno)) throw DbfError("record lock failed");
    t.setString(0, nameFor(value));
    t.commit();
    t.unlock(recno);
}

std::vector<double> saves(std::uint32_t records, int count, bool othersOpen) {
    const auto path = tablePath(records);
    int hold[2], opened[2];
    if (pipe(hold) != 0 || pipe(opened) != 0) std::abort();
    Child holder;
    if (othersOpen) {
        holder = spawn([&] {
            close(hold[1]);
            close(opened[0]);
            auto t = openTable(path);
            // Opening a large table takes seconds: the saves start once it is open.
            char c = 1;
            if (write(opened[1], &c, 1) < 0) c = 0;
            if (read(hold[0], &c, 1) < 0) c = 0;
            return std::vector<double>{};
        });
        close(opened[1]);
        char c;
        if (!readAll(opened[0], &c, 1)) std::abort();
    } else {
        close(opened[1]);
    }
    close(opened[0]);
    std::vector<double> times;
    {
        auto t = openTable(path);
        std::mt19937 rng(records + (othersOpen ? 1u : 0u) + runSeed);
        for (int i = 0; i < count; ++i) {
            const auto t0 = Clock::now();
            save(*t, 1 + rng() % records, records + 1000000u + rng() % 1000000u);
            times.push_back(msSince(t0));
        }
        t->close();
    }
    close(hold[0]);
    close(hold[1]);
    if (othersOpen) collect(holder);
    return times;
}

// The writer saves a record and tells the reader its new key; the reader seeks it at once.
std::vector<double> seeksAfterCommits(std::uint32_t records, int count) {
    const auto path = tablePath(records);
    int toReader[2], toWriter[2];
    if (pipe(toReader) != 0 || pipe(toWriter) != 0) std::abort();
    Child reader = spawn([&] {
        close(toReader[1]);
        close(toWriter[0]);
        auto t = openTable(path);
        t->setOrder(t->orderOf("NAZEV"));
        t->seek(upperCase(nameFor(1)));
        std::vector<double> times;
        char ready = 1;
        if (write(toWriter[1], &ready, 1) < 0) return times;
        std::uint32_t value;
        while (readAll(toReader[0], &value, sizeof value)) {
            const auto t0 = Clock::now();
            const bool ok = t->seek(upperCase(nameFor(value)));
            times.push_back(msSince(t0));
            if (!ok) throw DbfError("a committed key was not found: " + nameFor(value));
            if (write(toWriter[1], &ready, 1) < 0) break;
        }
        return times;
    });
    close(toReader[0]);
    close(toWriter[1]);
    {
        auto t = openTable(path);
        std::mt19937 rng(records + 7 + runSeed);
        char ack;
        readAll(toWriter[0], &ack, 1);
        for (int i = 0; i < count; ++i) {
            const std::uint32_t value = records + 3000000u + static_cast<std::uint32_t>(i);
            save(*t, 1 + rng() % records, value);
            if (write(toReader[1], &value, sizeof value) < 0) break;
            readAll(toWriter[0], &ack, 1);
        }
        t->close();
    }
    close(toReader[1]);
    close(toWriter[0]);
    return collect(reader);
}

// Writer `w`: `ops` random updates and `ops` appends, interleaved, each committed.
std::vector<double> writer(const std::filesystem::path& path, std::uint32_t records, int w,
                           int ops) {
    auto t = openTable(path);
    std::mt19937 rng(static_cast<unsigned>(w) * 7919u);
    std::vector<double> times;
    for (int i = 0; i < ops; ++i) {
        auto t0 = Clock::now();
        save(*t, 1 + rng() % records, 50000000u + static_cast<std::uint32_t>(w * 1000000 + i));
        times.push_back(msSince(t0));
        t0 = Clock::now();
        t->append();
        writeRecord(*t, 60000000u + static_cast<std::uint32_t>(w * 1000000 + i));
        t->commit();
        t->unlock();
        times.push_back(msSince(t0));
    }
    t->close();
    return times;
}

// Every record has its key in every tag exactly once, in order.
bool verify(const std::filesystem::path& path, std::uint32_t expected) {
    // An index found damaged (and rebuilt) on open is a failure of the run, not a pass.
    bool warned = false;
    auto previous = setWarningListener([&](const std::string& w) {
        std::printf("  %s\n", w.c_str());
        warned = true;
    });
    auto t = openTable(path, {.exclusive = true});
    setWarningListener(std::move(previous));
    if (warned) return false;
    if (t->recordCount() != expected) {
        std::printf("  records: %u, expected %u\n", t->recordCount(), expected);
        return false;
    }
    bool ok = true;
    for (const char* tag : {"NAZEV", "CISLO", "DATUM"}) {
        Index& ix = t->index(t->orderOf(tag));
        const KeyList& keys = ix.keys();
        std::vector<bool> seen(expected + 1, false);
        for (std::size_t i = 0; i < keys.size(); ++i) {
            const std::uint32_t r = keys.recAt(i);
            if (r < 1 || r > expected || seen[r]) ok = false;
            if (r >= 1 && r <= expected) seen[r] = true;
            if (i > 0 && keys.keyAt(i - 1) > keys.keyAt(i)) ok = false;
            if (r >= 1 && r <= expected) {
                t->goTo(r);
                if (ix.keyOfCurrent() != keys.keyAt(i)) ok = false;
            }
        }
        if (keys.size() != expected) ok = false;
        if (!ok) {
            std::printf("  tag %s is wrong\n", tag);
            return false;
        }
    }
    return ok;
}

void fourWriters(std::uint32_t records, int ops) {
    const auto path = tablePath(records);
    const auto t0 = Clock::now();
    std::vector<Child> writers;
    for (int w = 0; w < 4; ++w)
        writers.push_back(spawn([&, w] { return writer(path, records, w, ops); }));
    int stop[2];
    if (pipe(stop) != 0) std::abort();
    Child reader = spawn([&] {
        close(stop[1]);
        auto t = openTable(path, {.readOnly = true});
        t->setOrder(t->orderOf("NAZEV"));
        std::mt19937 rng(1);
        std::vector<double> times;
        for (;;) {
            const auto s0 = Clock::now();
            t->seek(upperCase(nameFor(1 + rng() % records)));
            times.push_back(msSince(s0));
            char c;
            // The parent closes the pipe when the writers are done.
            fd_set fds;
            FD_ZERO(&fds);
            FD_SET(stop[0], &fds);
            timeval tv{0, 2000};
            if (select(stop[0] + 1, &fds, nullptr, nullptr, &tv) > 0) {
                if (read(stop[0], &c, 1) <= 0) break;
            }
        }
        return times;
    });
    close(stop[0]);
    std::vector<double> saves, appends;
    for (auto& c : writers) {
        const auto times = collect(c);
        for (std::size_t i = 0; i < times.size(); ++i)
            (i % 2 == 0 ? saves : appends).push_back(times[i]);
    }
    const double wall = msSince(t0);
    close(stop[1]);
    const auto seeks = collect(reader);
    const bool ok = verify(path, records + 4u * static_cast<std::uint32_t>(ops));
    if (!ok) failed = true;
    std::printf("%-10u four writers x %d updates + %d appends: %.0f ms; update median %.2f ms, "
                "append median %.2f ms; reader: %zu seeks, median %.3f ms; check %s\n",
                records, ops, ops, wall, median(saves), median(appends), seeks.size(),
                median(seeks), ok ? "ok" : "FAILED");
}

// Every name moves past the greatest one, `rounds` times (as keys that only grow), in commits
// of 100 records under a file lock while another process holds the table open. The leaves each
// round empties take the next round's keys: the index file must not keep growing.
void churn(std::uint32_t records, int rounds) {
    const auto path = tablePath(records);
    const auto cdx = indexPath(path);
    int hold[2];
    if (pipe(hold) != 0) std::abort();
    Child holder = spawn([&] {
        close(hold[1]);
        auto t = openTable(path);
        char c;
        if (read(hold[0], &c, 1) < 0) c = 0;
        return std::vector<double>{};
    });
    close(hold[0]);
    std::uintmax_t first = 0, last = 0;
    const auto t0 = Clock::now();
    {
        auto t = openTable(path);
        const std::uint32_t count = t->recordCount();
        for (int round = 1; round <= rounds; ++round) {
            for (std::uint32_t from = 1; from <= count; from += 100) {
                if (!t->lockFile()) throw DbfError("file lock failed");
                for (std::uint32_t r = from; r < from + 100 && r <= count; ++r) {
                    t->goTo(r);
                    t->setString(0, "zz" + std::string(static_cast<std::size_t>(round), 'z') + " " +
                                        std::to_string(r));
                }
                t->commit();
                t->unlock();
            }
            last = std::filesystem::file_size(cdx);
            if (round == 1) first = last;
        }
        t->close();
    }
    close(hold[1]);
    collect(holder);
    // Each round may add a few pages where keys of one leaf split unevenly.
    const bool bounded = last <= first + first / 50 + 65536;
    if (!bounded) failed = true;
    std::printf("%-10u %d rounds moving every key: %.0f ms; index file %ju bytes after the first, "
                "%ju after the last: %s\n",
                records, rounds, msSince(t0), first, last, bounded ? "bounded" : "GREW");
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::uint32_t> sizes{10000, 1000000};
    int ops = 1000;
    int count = 50;
    bool four = true;
    bool reuse = false;
    int churnRounds = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--records" && i + 1 < argc) {
            sizes.clear();
            std::string list = argv[++i];
            std::size_t at = 0;
            while (at < list.size()) {
                const std::size_t comma = list.find(',', at);
                sizes.push_back(
                    static_cast<std::uint32_t>(std::stoul(list.substr(at, comma - at))));
                at = comma == std::string::npos ? list.size() : comma + 1;
            }
        } else if (a == "--ops" && i + 1 < argc) {
            ops = std::stoi(argv[++i]);
        } else if (a == "--saves" && i + 1 < argc) {
            count = std::stoi(argv[++i]);
        } else if (a == "--dir" && i + 1 < argc) {
            kDir = argv[++i];
        } else if (a == "--no-four") {
            four = false;
        } else if (a == "--reuse") {
            reuse = true;
        } else if (a == "--churn" && i + 1 < argc) {
            churnRounds = std::stoi(argv[++i]);
        } else if (a == "--ntx") {
            ntx = true;
        } else {
            std::fprintf(
                stderr,
                "usage: %s [--records N,N] [--ops N] [--saves N] [--no-four] [--dir FOLDER] "
                "[--reuse] [--churn ROUNDS] [--ntx]\n",
                argv[0]);
            return 2;
        }
    }
    std::filesystem::create_directories(kDir);
    for (const std::uint32_t n : sizes) {
        if (reuse) runSeed = std::random_device{}();
        if (!reuse || !std::filesystem::exists(indexPath(tablePath(n)))) {
            const auto [made, tagged] = create(n);
            std::printf("%-10u create exclusive: %.0f ms, three tags: %.0f ms\n", n, made, tagged);
        }
        std::fflush(stdout);
        const auto alone = saves(n, count, false);
        const auto shared = saves(n, count, true);
        std::printf("%-10u %d saves alone: median %.2f ms; while another process has it open: "
                    "median %.2f ms\n",
                    n, count, median(alone), median(shared));
        std::fflush(stdout);
        const auto seeks = seeksAfterCommits(n, count);
        std::printf("%-10u reader's seek after another process's commit: median %.3f ms\n", n,
                    median(seeks));
        std::fflush(stdout);
        if (four) {
            fourWriters(n, ops);
            std::fflush(stdout);
        }
        if (churnRounds > 0) {
            churn(n, churnRounds);
            std::fflush(stdout);
        }
    }
    return failed ? 1 : 0;
}
