// Locks between clients of one database: record and file locks exclude each other as they do
// on table files, wait for the engine's time-out, and a locked update sees the latest record.

#include "pgsql/pg_fixture.h"

#include <chrono>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using vorlan::pgsql::Connection;
using vorlan::pgsql::Table;

class PgLockTest : public pgtest::PgTest {
protected:
    std::unique_ptr<Table> client() { return Table::open(Connection::open(url), "sklad"); }
};

TEST_F(PgLockTest, RecordAndFileLocksExcludeOtherClients) {
    vorlan::dbf::settings().lockTimeoutMs = 200;
    auto a = Table::create(conn, "sklad", {{"MNOZSTVI", 'N', 8, 0}});
    for (int i = 0; i < 3; ++i)
        a->append();
    a->flush();
    auto b = client();

    ASSERT_TRUE(a->lockRecord(1));
    EXPECT_TRUE(a->lockRecord(1));
    EXPECT_TRUE(b->lockRecord(2));
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(b->lockRecord(1));
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(190));
    // Record locks held elsewhere stop a file lock, and the other way round.
    EXPECT_FALSE(a->lockFile());
    b->unlock(2);
    EXPECT_TRUE(a->lockFile()); // our own record lock does not stand in the way
    EXPECT_FALSE(b->lockRecord(3));
    EXPECT_FALSE(b->lockFile());
    a->unlock();
    EXPECT_FALSE(a->isLocked(1));
    EXPECT_TRUE(b->lockRecord(1));
    EXPECT_TRUE(b->lockFile());
    b->unlock();
    // Locks go with the connection that held them.
    ASSERT_TRUE(b->lockRecord(3));
    b.reset();
    EXPECT_TRUE(a->lockRecord(3));
}

TEST_F(PgLockTest, ConcurrentLockedUpdatesAndAppendsLoseNothing) {
    vorlan::dbf::settings().lockTimeoutMs = 10000;
    {
        auto t = Table::create(conn, "sklad", {{"MNOZSTVI", 'N', 8, 0}, {"KDO", 'N', 3, 0}});
        t->append();
        t->setNumber(0, 0);
        t->flush();
    }
    constexpr int kClients = 4;
    constexpr int kRounds = 100;
    std::vector<pid_t> children;
    for (int c = 0; c < kClients; ++c) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            int rc = 0;
            try {
                auto t = client();
                for (int i = 0; i < kRounds; ++i) {
                    if (!t->lockRecord(1)) {
                        rc = 2;
                        break;
                    }
                    t->goTo(1);
                    t->setNumber(0, t->getNumber(0) + 1);
                    t->unlock(1);
                    t->append();
                    t->setNumber(1, c);
                    t->flush();
                }
            } catch (const std::exception&) {
                rc = 3;
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
    auto t = client();
    t->goTo(1);
    EXPECT_EQ(t->getNumber(0), kClients * kRounds);
    EXPECT_EQ(t->recordCount(), 1u + kClients * kRounds);
    std::vector<int> perClient(kClients);
    std::uint32_t expected = 2;
    for (t->goTo(2); !t->eof(); t->skip()) {
        EXPECT_EQ(t->recNo(), expected++);
        ++perClient.at(static_cast<std::size_t>(t->getNumber(1)));
    }
    for (const int n : perClient)
        EXPECT_EQ(n, kRounds);
}

} // namespace
