#include "dbf/table.h"
#include "temp_dir.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vorlan::dbf;

namespace {

// Runs `body` in a child process and answers its exit code.
template <typename F> int inChild(F body) {
    const pid_t pid = fork();
    if (pid == 0) {
        int code = 1;
        try {
            code = body();
        } catch (...) {
            code = 2;
        }
        _exit(code);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(DbfLocks, RecordAndFileLocksExcludeOtherOpeners) {
    dbftest::TempDir dir;
    dbftest::SettingsGuard guard;
    settings().lockTimeoutMs = 0;
    const auto path = dir / "l.dbf";
    auto a = Table::create(path, {{"A", 'C', 4}});
    for (int i = 0; i < 3; ++i)
        a->append();
    auto b = Table::open(path);

    ASSERT_TRUE(a->lockRecord(2));
    EXPECT_TRUE(a->isLocked(2));
    EXPECT_FALSE(b->lockRecord(2));
    EXPECT_TRUE(b->lockRecord(3));
    EXPECT_FALSE(b->lockFile()); // a holds a record
    EXPECT_FALSE(a->lockFile()); // b holds a record
    EXPECT_EQ(inChild([&] { return Table::open(path)->lockRecord(2) ? 0 : 3; }), 3);
    EXPECT_EQ(inChild([&] { return Table::open(path)->lockRecord(1) ? 0 : 3; }), 0);
    a->unlock(2);
    b->unlock();
    EXPECT_TRUE(b->lockRecord(2));
    b->unlock();
    ASSERT_TRUE(a->lockFile());
    EXPECT_FALSE(b->lockRecord(1));
    EXPECT_THROW(b->append(), DbfError); // appending needs the header byte the file lock covers
    a->unlock();
    b->append();
    EXPECT_EQ(a->refreshCount(), 4u);
}

TEST(DbfLocks, ExclusiveOpenExcludesSharedOpens) {
    dbftest::TempDir dir;
    const auto path = dir / "x.dbf";
    Table::create(path, {{"A", 'C', 4}})->close();
    {
        auto shared = Table::open(path);
        EXPECT_THROW(Table::open(path, {.exclusive = true}), DbfError);
        EXPECT_EQ(inChild([&] {
                      try {
                          Table::open(path, {.exclusive = true});
                          return 0;
                      } catch (const DbfError&) {
                          return 3;
                      }
                  }),
                  3);
    }
    auto ex = Table::open(path, {.exclusive = true});
    EXPECT_THROW(Table::open(path), DbfError);
    auto ro = Table::open(path, {.readOnly = true}); // reading stays possible
    EXPECT_FALSE(ro->lockRecord(1));
}

TEST(DbfLocks, PackAndZapNeedTheTableToThemselves) {
    dbftest::TempDir dir;
    const auto path = dir / "p.dbf";
    auto a = Table::create(path, {{"A", 'C', 4}});
    for (int i = 0; i < 4; ++i) {
        a->append();
        if (i % 2) a->deleteRecord();
    }
    a->flush();
    {
        auto b = Table::open(path, {.readOnly = false});
        EXPECT_THROW(a->pack(), DbfError);
        EXPECT_THROW(a->zap(), DbfError);
        EXPECT_EQ(b->recordCount(), 4u);
        EXPECT_EQ(inChild([&] {
                      try {
                          Table::open(path)->pack();
                          return 0;
                      } catch (const DbfError&) {
                          return 3;
                      }
                  }),
                  3);
    }
    a->pack();
    EXPECT_EQ(a->recordCount(), 2u);
    // Still shared afterwards: another opener gets in, and an exclusive one does not.
    auto c = Table::open(path);
    EXPECT_EQ(c->recordCount(), 2u);
    EXPECT_THROW(Table::open(path, {.exclusive = true}), DbfError);
}
