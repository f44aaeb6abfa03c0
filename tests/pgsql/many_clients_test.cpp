// Eight client processes at once, each doing a thousand locked updates (that also move keys) and
// a thousand appends: afterwards every record is there, no update is lost, and every order,
// exported back to table files and rebuilt there by the DBF engine, walks in the same order as
// on the server.

#include "dbf/table.h"
#include "dbf/temp_dir.h"
#include "dbf/xbase_text.h"
#include "pgsql/pg_fixture.h"
#include "pgsql/transfer.h"

#include <algorithm>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using vorlan::pgsql::Connection;
using vorlan::pgsql::OrderSpec;
using vorlan::pgsql::Table;
namespace dbf = vorlan::dbf;

constexpr int kClients = 8;
constexpr int kRounds = 1000;
constexpr int kCounters = 8;

// Names with Czech letters (Windows-1250), so that keys sort by their bytes.
const char* const kNames[] = {
    "\xC8\x45RN\xDD", "adam",     "\x8E\xC1\x42\x41", "Bod", "\x9A\x45\x44Y", "zub",
    "\xC1J",          "\xE8\x61s"};

const std::vector<OrderSpec>& orders() {
    static const std::vector<OrderSpec> specs = {
        {"JMENO", "UPPER(NAZEV)"},
        {"CISDAT", "STR(CISLO,10)+DTOS(DATUM)"},
        {"POCET", "POCET", "", false, true},
        {"KLIENT", "KDO", "CISLO < 100"},
        {"JEDNOU", "UPPER(NAZEV)", "", true},
    };
    return specs;
}

// The record numbers of one order's walk.
template <class T> std::vector<std::uint32_t> walk(T& table) {
    std::vector<std::uint32_t> recnos;
    for (table.goTop(); !table.eof(); table.skip(1))
        recnos.push_back(table.recNo());
    return recnos;
}

int runClient(const std::string& url, int client) {
    auto t = Table::open(Connection::open(url), "sklad");
    for (int i = 0; i < kRounds; ++i) {
        const auto r = static_cast<std::uint32_t>((i * 7 + client) % kCounters + 1);
        if (!t->lockRecord(r)) return 2;
        t->goTo(r);
        const double n = t->getNumber(3) + 1;
        t->setNumber(3, n);
        // The key moves with every update.
        t->setString(0, std::string(kNames[static_cast<int>(n) % 8]) + std::to_string(r));
        t->unlock(r);
        t->append();
        t->setString(0, std::string(kNames[(i + client) % 8]) + std::to_string(i % 13));
        t->setNumber(1, i);
        t->setDate(2, dbf::julianFromYmd(2020 + i % 5, 1 + i % 12, 1 + i % 28));
        t->setNumber(4, client);
        t->flush();
    }
    return 0;
}

class PgManyClientsTest : public pgtest::PgTest {};

TEST_F(PgManyClientsTest, LockedUpdatesAndAppendsLoseNothingAndOrdersMatchTheDbfEngine) {
    dbf::settings().lockTimeoutMs = 20000;
    {
        auto t = Table::create(conn, "sklad",
                               {{"NAZEV", 'C', 20, 0},
                                {"CISLO", 'N', 10, 0},
                                {"DATUM", 'D', 8, 0},
                                {"POCET", 'N', 8, 0},
                                {"KDO", 'N', 3, 0}});
        for (const OrderSpec& o : orders())
            t->createOrder(o);
        for (int r = 0; r < kCounters; ++r) {
            t->append();
            t->setNumber(3, 0);
            t->setNumber(1, -1);
            t->setNumber(4, 99);
        }
        t->flush();
    }
    std::vector<pid_t> children;
    for (int c = 0; c < kClients; ++c) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            int rc = 3;
            try {
                rc = runClient(url, c);
            } catch (const std::exception&) {
            }
            ::_exit(rc);
        }
        children.push_back(pid);
    }
    for (const pid_t pid : children) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }

    auto t = Table::open(Connection::open(url), "sklad");
    ASSERT_EQ(t->recordCount(), static_cast<std::uint32_t>(kCounters + kClients * kRounds));
    // Every counter got every update; every client's appends are there once each.
    for (std::uint32_t r = 1; r <= kCounters; ++r) {
        t->goTo(r);
        EXPECT_EQ(t->getNumber(3), kClients * kRounds / kCounters) << r;
    }
    std::vector<std::vector<int>> seen(kClients, std::vector<int>(kRounds));
    for (t->goTo(kCounters + 1); !t->eof(); t->skip(1))
        ++seen.at(static_cast<std::size_t>(t->getNumber(4)))
              .at(static_cast<std::size_t>(t->getNumber(1)));
    for (const auto& client : seen)
        EXPECT_EQ(std::count(client.begin(), client.end(), 1), kRounds);

    // Back to files: the DBF engine builds each order from the records and must walk it as the
    // server does.
    dbftest::TempDir dir;
    vorlan::pgsql::exportDatabase(url, dir.path(), false);
    auto file = dbf::Table::open(dir / "SKLAD.DBF");
    ASSERT_EQ(file->recordCount(), t->recordCount());
    for (const OrderSpec& o : orders()) {
        t->setOrder(t->orderOf(o.tag));
        file->setOrder(file->orderOf(o.tag));
        const auto onServer = walk(*t);
        EXPECT_EQ(onServer, walk(*file)) << o.tag;
        if (o.forExpr.empty() && !o.unique) {
            EXPECT_EQ(onServer.size(), t->recordCount()) << o.tag;
        }
        if (!o.forExpr.empty()) {
            EXPECT_EQ(onServer.size(), static_cast<std::size_t>(kCounters + kClients * 100));
        }
    }
}

} // namespace
