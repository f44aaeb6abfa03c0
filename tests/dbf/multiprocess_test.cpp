// Several processes on one table, and processes killed in the middle of writing: the table and
// its index must come out whole.
#include "dbf/table.h"
#include "dbf/warnings.h"
#include "temp_dir.h"

#include <chrono>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <set>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace vorlan::dbf;

namespace {

std::string keyOf(char writer, int i) {
    return std::string(1, writer) + std::to_string(100000 + i);
}

// Appends `count` records keyed by the writer's letter through a shared open of the table with
// its structural index, each record written and unlocked before the next.
int appendAsWriter(const std::filesystem::path& path, char writer, int count,
                   std::chrono::system_clock::time_point start = {}) {
    auto t = Table::open(path);
    std::this_thread::sleep_until(start);
    for (int i = 0; i < count; ++i) {
        t->append();
        t->setString(0, keyOf(writer, i));
        t->setNumber(1, i);
        t->flush();
        t->unlock();
    }
    t->close();
    return 0;
}

pid_t spawn(const std::function<int()>& body) {
    const pid_t pid = fork();
    if (pid == 0) {
        int code = 1;
        try {
            code = body();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "child: %s\n", e.what());
            code = 2;
        }
        _exit(code);
    }
    return pid;
}

int waitFor(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(DbfProcesses, TwoWritersAppendAtOnceAndTheIndexHoldsEveryKey) {
    dbftest::TempDir dir;
    dbftest::SettingsGuard guard;
    settings().lockTimeoutMs = 30000;
    const auto path = dir / "SHARED.DBF";
    {
        auto t = Table::create(path, {{"KEY", 'C', 10}, {"N", 'N', 6}});
        t->createTag("KEY", "KEY");
        t->close();
    }
    constexpr int kEach = 1000;
    // Both writers have the table and its index open before either appends.
    const auto start = std::chrono::system_clock::now() + std::chrono::milliseconds(300);
    const pid_t a = spawn([&] { return appendAsWriter(path, 'A', kEach, start); });
    const pid_t b = spawn([&] { return appendAsWriter(path, 'B', kEach, start); });
    ASSERT_EQ(waitFor(a), 0);
    ASSERT_EQ(waitFor(b), 0);

    auto t = Table::open(path);
    ASSERT_EQ(t->recordCount(), 2u * kEach);
    std::set<std::string> seen;
    for (std::uint32_t r = 1; r <= t->recordCount(); ++r) {
        t->goTo(r);
        const std::string key = t->getString(0).substr(0, 7);
        const int n = static_cast<int>(t->getNumber(1));
        ASSERT_EQ(key, keyOf(key[0], n)) << "record " << r;
        seen.insert(key);
    }
    EXPECT_EQ(seen.size(), 2u * kEach);
    int switches = 0;
    for (std::uint32_t r = 2; r <= t->recordCount(); ++r) {
        t->goTo(r - 1);
        const char before = t->getString(0)[0];
        t->goTo(r);
        switches += t->getString(0)[0] != before;
    }
    RecordProperty("writer_switches", switches);
    t->setOrder(t->orderOf("KEY"));
    EXPECT_EQ(t->index(t->order()).keys().size(), 2u * kEach);
    for (char w : {'A', 'B'})
        for (int i = 0; i < kEach; ++i)
            ASSERT_TRUE(t->seek(keyOf(w, i))) << keyOf(w, i);
}

TEST(DbfProcesses, AReaderSeesKeysAnotherProcessCommitted) {
    dbftest::TempDir dir;
    const auto path = dir / "R.DBF";
    {
        auto t = Table::create(path, {{"KEY", 'C', 10}, {"N", 'N', 6}});
        t->createTag("KEY", "KEY");
    }
    auto reader = Table::open(path);
    reader->setOrder(1);
    EXPECT_FALSE(reader->seek("A100005"));
    ASSERT_EQ(waitFor(spawn([&] { return appendAsWriter(path, 'A', 10); })), 0);
    EXPECT_TRUE(reader->seek("A100005"));
    EXPECT_EQ(reader->getNumber(1), 5);
    // Our own unsaved keys survive the reload of what the other process wrote.
    reader->append();
    reader->setString(0, "Z1");
    reader->flush();
    ASSERT_EQ(waitFor(spawn([&] { return appendAsWriter(path, 'B', 3); })), 0);
    EXPECT_TRUE(reader->seek("B100002"));
    EXPECT_TRUE(reader->seek("Z1"));
    reader->close();
    auto after = Table::open(path);
    after->setOrder(1);
    EXPECT_EQ(after->index(1).keys().size(), 14u);
}

namespace {

// Changes to more pages than the change log holds: the reader finds the pages that changed by
// comparing the file with what it read, and must end with exactly the file's keys. On the
// structural index or on two .NTX files (whose log lists each changed page, interior pages too:
// more changes are needed to go past it).
void readerFarBehind(bool ntx, int changes) {
    dbftest::TempDir dir;
    const auto path = dir / "L.DBF";
    const std::filesystem::path files[] = {dir / "KEY.NTX", dir / "N.NTX"};
    auto open = [&] {
        auto t = Table::open(path);
        if (ntx)
            for (const auto& f : files)
                t->openIndex(f);
        return t;
    };
    {
        auto t = Table::create(path, {{"KEY", 'C', 10}, {"N", 'N', 8}});
        if (ntx) {
            t->createIndex(files[0], "KEY");
            t->createIndex(files[1], "STR(N,8)");
        } else {
            t->createTag("KEY", "KEY");
            t->createTag("N", "STR(N,8)");
        }
        for (int i = 0; i < 20000; ++i) {
            t->append();
            t->setString(0, keyOf('A', i));
            t->setNumber(1, i);
        }
    }
    auto reader = open();
    reader->setOrder(1);
    ASSERT_TRUE(reader->seek(keyOf('A', 10)));
    auto writer = open();
    std::mt19937 rng(3);
    for (int i = 0; i < changes; ++i) {
        const auto r = static_cast<std::uint32_t>(1 + rng() % 20000);
        writer->goTo(r);
        ASSERT_TRUE(writer->lockRecord(r));
        writer->setString(0, keyOf('B', i));
        writer->setNumber(1, 100000 + i);
        writer->commit();
        writer->unlock();
        if (i % 4 == 0) {
            writer->append();
            writer->setString(0, keyOf('C', i));
            writer->setNumber(1, 200000 + i);
            writer->commit();
            writer->unlock();
        }
    }
    ASSERT_TRUE(reader->seek(keyOf('B', changes - 1)));
    writer->close();
    auto fresh = open();
    for (int order : {1, 2}) {
        const KeyList& mine = reader->index(order).keys();
        const KeyList& file = fresh->index(order).keys();
        ASSERT_EQ(mine.size(), file.size()) << "order " << order;
        for (std::size_t i = 0; i < file.size(); ++i) {
            ASSERT_EQ(mine.keyAt(i), file.keyAt(i)) << "order " << order << ", key " << i;
            ASSERT_EQ(mine.recAt(i), file.recAt(i)) << "order " << order << ", key " << i;
        }
    }
}

} // namespace

TEST(DbfProcesses, AReaderFarBehindTheChangeLogCatchesUpExactly) {
    readerFarBehind(false, 500);
}

TEST(DbfProcesses, AReaderFarBehindTheChangeLogOfAnNtxFileCatchesUpExactly) {
    readerFarBehind(true, 1500);
}

TEST(DbfProcesses, OpeningWhileAnotherAppendsLeavesItsKeysToItsCommit) {
    // The appended record is on disk before its key: an open in between sees fewer keys than
    // records. That is the other user's commit still to come, not damage to repair; what was
    // committed before is in the index for every opener.
    dbftest::TempDir dir;
    const auto path = dir / "O.DBF";
    {
        auto t = Table::create(path, {{"KEY", 'C', 10}, {"N", 'N', 6}});
        t->createTag("KEY", "KEY");
        for (int i = 0; i < 20; ++i) {
            t->append();
            t->setString(0, keyOf('A', i));
        }
    }
    std::vector<std::string> warnings;
    auto previous = setWarningListener([&](const std::string& w) { warnings.push_back(w); });
    auto writer = Table::open(path);
    writer->append();
    writer->setString(0, "W0");
    writer->commit();
    writer->append();
    writer->setString(0, "W1");
    writer->flush();
    auto other = Table::open(path);
    other->setOrder(1);
    EXPECT_TRUE(other->seek("W0"));
    EXPECT_FALSE(other->seek("W1"));
    writer->setString(0, "W2");
    writer->commit();
    writer->unlock();
    EXPECT_TRUE(other->seek("W2"));
    EXPECT_FALSE(other->seek("W1"));
    writer->close();
    other->close();
    auto after = Table::open(path, {.exclusive = true});
    setWarningListener(std::move(previous));
    EXPECT_TRUE(warnings.empty()) << warnings.front();
    const KeyList& keys = after->index(1).keys();
    ASSERT_EQ(keys.size(), 22u);
    std::set<std::uint32_t> records;
    for (std::size_t i = 0; i < keys.size(); ++i)
        records.insert(keys.recAt(i));
    EXPECT_EQ(records.size(), 22u);
}

TEST(DbfProcesses, AKilledWriterLeavesEveryCommittedRecord) {
    dbftest::TempDir dir;
    const auto path = dir / "K.DBF";
    {
        auto t = Table::create(path, {{"KEY", 'C', 10}, {"N", 'N', 8}, {"NOTE", 'M'}});
        t->createTag("KEY", "KEY");
    }
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t child = spawn([&] {
        close(fds[0]);
        auto t = Table::open(path);
        for (int i = 0;; ++i) {
            t->append();
            t->setString(0, keyOf('K', i));
            t->setNumber(1, i);
            t->setMemo(2, std::string(100 + i % 700, static_cast<char>('a' + i % 26)));
            if (i % 50 == 49) {
                t->commit();
                const int done = i + 1;
                if (write(fds[1], &done, sizeof done) != sizeof done) return 3;
            }
        }
    });
    close(fds[1]);
    int committed = 0;
    for (int got = 0; committed < 400 && read(fds[0], &got, sizeof got) == sizeof got;)
        committed = got;
    kill(child, SIGKILL);
    waitFor(child);
    close(fds[0]);
    ASSERT_GE(committed, 400);

    auto t = Table::open(path);
    ASSERT_GE(t->recordCount(), static_cast<std::uint32_t>(committed));
    for (int i = 0; i < committed; ++i) {
        t->goTo(static_cast<std::uint32_t>(i + 1));
        ASSERT_EQ(t->getString(0).substr(0, 7), keyOf('K', i));
        ASSERT_EQ(t->getNumber(1), i);
        ASSERT_EQ(t->getMemo(2), std::string(100 + i % 700, static_cast<char>('a' + i % 26)));
    }
    t->setOrder(1);
    EXPECT_TRUE(t->seek(keyOf('K', committed - 1)));
    // Rebuilding the index brings in what was written after the last commit.
    t->reindex();
    EXPECT_EQ(t->index(1).keys().size(), t->recordCount());
}

namespace {

// Writers killed at random moments of a run of key changes, on the structural index or on an
// .NTX file.
void killWritersAtRandom(bool ntx) {
    // The changed record is on disk, its new key is not: the same number of keys as records,
    // so only the writer's mark in the index tells that the index no longer fits the table.
    dbftest::TempDir dir;
    const auto path = dir / "M.DBF";
    const auto ntxPath = dir / "KEY.NTX";
    constexpr int kRecords = 300;
    auto open = [&] {
        auto t = Table::open(path);
        if (ntx) t->openIndex(ntxPath);
        return t;
    };
    {
        auto t = Table::create(path, {{"KEY", 'C', 10}, {"N", 'N', 8}});
        if (ntx)
            t->createIndex(ntxPath, "KEY");
        else
            t->createTag("KEY", "KEY");
        for (int i = 0; i < kRecords; ++i) {
            t->append();
            t->setString(0, keyOf('A', i));
        }
    }
    std::vector<std::string> warnings;
    auto previous = setWarningListener([&](const std::string& w) { warnings.push_back(w); });
    // A writer that finishes leaves no mark behind, whether it changed keys or not.
    for (const bool keyField : {false, true}) {
        auto t = open();
        auto other = open();
        t->goTo(5);
        ASSERT_TRUE(t->lockRecord(5));
        if (keyField)
            t->setString(0, "X5");
        else
            t->setNumber(1, 5);
        t->flush();
        t->commit();
        t->unlock();
        t->close();
        other->close();
    }
    EXPECT_TRUE(open()->index(1).keys().size() == kRecords);
    EXPECT_TRUE(warnings.empty()) << warnings.front();

    // Killed at random moments of a run of key changes: every open afterwards finds each
    // record under its key, the index either sound or rebuilt.
    std::mt19937 rng(7);
    int rebuilt = 0;
    for (int run = 0; run < 20; ++run) {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        const pid_t child = spawn([&] {
            close(fds[0]);
            auto t = open();
            auto reader = open(); // someone else has it open: commits write pages
            std::mt19937 local(static_cast<unsigned>(run));
            for (int i = 0;; ++i) {
                const auto r = static_cast<std::uint32_t>(1 + local() % kRecords);
                t->goTo(r);
                if (!t->lockRecord(r)) continue;
                t->setString(0, keyOf(static_cast<char>('B' + run % 20), static_cast<int>(r)));
                t->flush();
                if (i % 3 == 0) t->commit();
                t->unlock(r);
                if (i == 5 && write(fds[1], &i, sizeof i) != sizeof i) return 3;
            }
        });
        close(fds[1]);
        int started = 0;
        ASSERT_EQ(read(fds[0], &started, sizeof started), static_cast<ssize_t>(sizeof started));
        std::this_thread::sleep_for(std::chrono::microseconds(rng() % 20000));
        kill(child, SIGKILL);
        waitFor(child);
        close(fds[0]);
        warnings.clear();
        auto t = open();
        if (!warnings.empty()) ++rebuilt;
        t->setOrder(1);
        ASSERT_EQ(t->index(1).keys().size(), static_cast<std::size_t>(kRecords)) << "run " << run;
        for (std::uint32_t r = 1; r <= kRecords; ++r) {
            t->goTo(r);
            const std::string key = t->getString(0);
            ASSERT_TRUE(t->seek(key)) << "run " << run << ", record " << r << ": " << key;
            ASSERT_EQ(t->recNo(), r) << "run " << run << ": " << key;
        }
        t->close();
    }
    setWarningListener(std::move(previous));
    // Most kills land between a record write and its commit.
    EXPECT_GT(rebuilt, 0);
}

} // namespace

TEST(DbfProcesses, AWriterKilledBeforeItWroteItsKeysIsNoticedAndRepaired) {
    killWritersAtRandom(false);
}

TEST(DbfProcesses, AWriterOfAnNtxFileKilledAnywhereIsNoticedAndRepaired) {
    killWritersAtRandom(true);
}

TEST(DbfProcesses, APackKilledHalfWayLeavesTheOldOrTheNewTable) {
    dbftest::TempDir dir;
    const auto path = dir / "P.DBF";
    constexpr int kRecords = 60000;
    {
        auto t = Table::create(path, {{"KEY", 'C', 10}, {"N", 'N', 8}, {"PAD", 'C', 200}});
        for (int i = 0; i < kRecords; ++i) {
            t->append();
            t->setString(0, keyOf('P', i));
            t->setNumber(1, i);
            t->setString(2, "payload");
        }
        t->createTag("KEY", "KEY");
        for (int i = 0; i < kRecords; i += 3) {
            t->goTo(static_cast<std::uint32_t>(i + 1));
            t->deleteRecord();
        }
    }
    // Kill the packing process at a few different moments.
    for (int delayMs : {5, 20, 60}) {
        const pid_t child = spawn([&] {
            auto t = Table::open(path, {.exclusive = true});
            t->pack();
            return 0;
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        kill(child, SIGKILL);
        waitFor(child);

        auto t = Table::open(path);
        const std::uint32_t n = t->recordCount();
        ASSERT_TRUE(n == kRecords || n == kRecords - kRecords / 3) << n;
        // Every record that was not deleted is there, in order.
        int expect = 0;
        for (std::uint32_t r = 1; r <= n; ++r) {
            t->goTo(r);
            if (t->deleted()) continue;
            if (expect % 3 == 0) ++expect;
            ASSERT_EQ(t->getNumber(1), expect) << "record " << r;
            ++expect;
        }
        EXPECT_EQ(expect, kRecords);
        // The index opens with the table whichever file the kill left behind.
        EXPECT_EQ(t->indexCount(), 1);
    }
}

TEST(DbfProcesses, SingleOrderFilesKeepTheKeysOfEveryProcess) {
    // Two writers append and change keys at once while a third process holds the table with a
    // key of its own not yet written, and reads theirs meanwhile. Both kinds are changed page by
    // page, never replaced, and the file ends with every key, the reader's unsaved one included.
    for (const std::string ext : {".IDX", ".NTX"}) {
        SCOPED_TRACE(ext);
        dbftest::TempDir dir;
        dbftest::SettingsGuard guard;
        settings().lockTimeoutMs = 30000;
        const auto path = dir / "S.DBF";
        const auto index = dir / ("S" + ext);
        constexpr int kRecords = 200, kAppends = 150, kChanges = 50;
        {
            auto t = Table::create(path, {{"KEY", 'C', 10}, {"N", 'N', 6}});
            for (int i = 0; i < kRecords; ++i) {
                t->append();
                t->setString(0, keyOf('A', i));
            }
            t->createIndex(index, "KEY");
        }
        const auto inode = stampOf(index).inode;
        auto reader = Table::open(path);
        reader->openIndex(index);
        reader->append();
        reader->setString(0, "Z1");
        reader->flush();
        const auto start = std::chrono::system_clock::now() + std::chrono::milliseconds(300);
        auto work = [&](char writer) {
            auto t = Table::open(path);
            t->openIndex(index);
            std::this_thread::sleep_until(start);
            std::mt19937 rng(static_cast<unsigned>(writer));
            for (int i = 0; i < kAppends; ++i) {
                t->append();
                t->setString(0, keyOf(writer, i));
                t->commit();
                t->unlock();
                if (i >= kChanges) continue;
                // Records of the table as created, each writer its own half.
                const auto r = static_cast<std::uint32_t>(1 + (writer - 'B') * (kRecords / 2) +
                                                          rng() % (kRecords / 2));
                t->goTo(r);
                if (!t->lockRecord(r)) return 4;
                t->setString(0, std::string(1, static_cast<char>(writer + 2)) +
                                    std::to_string(100000 + r));
                t->commit();
                t->unlock(r);
            }
            t->close();
            return 0;
        };
        const pid_t b = spawn([&] { return work('B'); });
        const pid_t c = spawn([&] { return work('C'); });
        ASSERT_EQ(waitFor(b), 0);
        ASSERT_EQ(waitFor(c), 0);
        EXPECT_TRUE(reader->seek(keyOf('B', kAppends - 1)));
        EXPECT_TRUE(reader->seek(keyOf('C', 0)));
        EXPECT_TRUE(reader->seek("Z1"));
        // Changed in place, not replaced.
        EXPECT_EQ(stampOf(index).inode, inode);
        reader->close();

        std::vector<std::string> warnings;
        auto previous = setWarningListener([&](const std::string& w) { warnings.push_back(w); });
        auto check = [&] {
            auto t = Table::open(path, {.exclusive = true});
            t->openIndex(index);
            ASSERT_EQ(t->recordCount(), static_cast<std::uint32_t>(kRecords + 2 * kAppends + 1));
            ASSERT_EQ(t->index(1).keys().size(), t->recordCount());
            for (std::uint32_t r = 1; r <= t->recordCount(); ++r) {
                t->goTo(r);
                const std::string key = t->getString(0);
                ASSERT_TRUE(t->seek(key)) << key;
                ASSERT_EQ(t->recNo(), r) << key;
            }
        };
        check();
        EXPECT_TRUE(warnings.empty()) << warnings.front();
        // A writer killed while it changed pages leaves the busy byte: the next open rebuilds.
        std::string bytes = dbftest::readAll(index);
        bytes[ext == ".IDX" ? 16 : 1008] = 1;
        dbftest::writeAll(index, bytes);
        check();
        EXPECT_EQ(warnings.size(), 1u);
        setWarningListener(std::move(previous));
    }
}

TEST(DbfProcesses, PagesEmptiedByChangesAreReusedAndReadersFollowThem) {
    // Every key moves past the greatest key of its order, round after round (as dates or
    // numbers that only grow): each round empties every leaf the keys were in. Their pages go on
    // the free list and take the keys of the next round, so the file stops growing; a reader that
    // follows every commit (through the change log) and one that looks only before the last round
    // and after it (comparing the file with its image) must both end with exactly the file's keys.
    // Long keys that share little: few to a leaf, and more leaves change in a round than the
    // change log lists.
    const auto longKey = [](char letter, int i) { return keyOf(letter, i) + std::string(30, 'x'); };
    dbftest::TempDir dir;
    const auto path = dir / "F.DBF";
    const auto cdx = dir / "F.CDX";
    constexpr int kRecords = 3000;
    {
        auto t = Table::create(path, {{"KEY", 'C', 40}, {"N", 'N', 8}});
        t->createTag("KEY", "KEY");
        t->createTag("N", "STR(N,8)");
        for (int i = 0; i < kRecords; ++i) {
            t->append();
            t->setString(0, longKey('A', i));
            t->setNumber(1, i);
        }
    }
    auto near = Table::open(path);
    auto far = Table::open(path);
    far->setOrder(1);
    ASSERT_TRUE(far->seek(keyOf('A', 10)));
    auto writer = Table::open(path);
    std::vector<std::uintmax_t> sizes;
    for (int round = 1; round <= 6; ++round) {
        const char letter = static_cast<char>('A' + round);
        for (int first = 1; first <= kRecords; first += 100) {
            ASSERT_TRUE(writer->lockFile());
            for (int r = first; r < first + 100; ++r) {
                writer->goTo(static_cast<std::uint32_t>(r));
                writer->setString(0, longKey(letter, r));
                writer->setNumber(1, (round % 2) * 100000 + r);
            }
            writer->commit();
            writer->unlock();
            near->setOrder(1);
            ASSERT_TRUE(near->seek(keyOf(letter, first)));
        }
        sizes.push_back(std::filesystem::file_size(cdx));
        // The far reader's image then holds the keys of pages the last round frees.
        if (round == 5) {
            ASSERT_TRUE(far->seek(keyOf('F', 10)));
        }
    }
    // Round 1 adds the leaves of the new end; later rounds live on the pages emptied before.
    EXPECT_LE(sizes.back(), sizes[0] + 8 * 512) << sizes[0] << " -> " << sizes.back();
    ASSERT_TRUE(far->seek(keyOf('G', 10)));
    writer->close();
    auto fresh = Table::open(path);
    for (Table* reader : {near.get(), far.get()})
        for (int order : {1, 2}) {
            const KeyList& mine = reader->index(order).keys();
            const KeyList& file = fresh->index(order).keys();
            const char* who = reader == near.get() ? "near" : "far";
            ASSERT_EQ(mine.size(), file.size()) << who << ", order " << order;
            for (std::size_t i = 0; i < file.size(); ++i) {
                ASSERT_EQ(mine.keyAt(i), file.keyAt(i)) << who << ", order " << order << ", " << i;
                ASSERT_EQ(mine.recAt(i), file.recAt(i)) << who << ", order " << order << ", " << i;
            }
        }
    ASSERT_EQ(fresh->index(1).keys().size(), static_cast<std::size_t>(kRecords));
}

TEST(DbfProcesses, NtxPagesAreChangedInPlaceReusedAndFollowedByReaders) {
    // The same rounds on two .NTX orders: every key moves past the greatest of its order, so
    // the pages of the old keys empty and are freed while new ones are added at the right edge.
    // The files are never replaced, the freed pages take the later rounds' keys, and a reader
    // following every commit (page by page through the change log), one that looks once a round
    // and one that looks only after the first round and at the end (far behind the log: it
    // compares the file with its image) end with the file's keys.
    const auto longKey = [](char letter, int i) { return keyOf(letter, i) + std::string(30, 'x'); };
    dbftest::TempDir dir;
    const auto path = dir / "F.DBF";
    const std::filesystem::path files[] = {dir / "KEY.NTX", dir / "N.NTX"};
    constexpr int kRecords = 3000;
    auto open = [&](OpenOptions options = {}) {
        auto t = Table::open(path, options);
        for (const auto& f : files)
            t->openIndex(f);
        return t;
    };
    {
        auto t = Table::create(path, {{"KEY", 'C', 40}, {"N", 'N', 8}});
        for (int i = 0; i < kRecords; ++i) {
            t->append();
            t->setString(0, longKey('A', i));
            t->setNumber(1, i);
        }
        t->createIndex(files[0], "KEY");
        t->createIndex(files[1], "STR(N,8)");
    }
    const auto inodes = std::make_pair(stampOf(files[0]).inode, stampOf(files[1]).inode);
    auto near = open();
    auto middle = open();
    auto far = open();
    far->setOrder(1);
    ASSERT_TRUE(far->seek(keyOf('A', 10)));
    auto writer = open();
    std::vector<std::uintmax_t> sizes;
    for (int round = 1; round <= 6; ++round) {
        const char letter = static_cast<char>('A' + round);
        for (int first = 1; first <= kRecords; first += 100) {
            ASSERT_TRUE(writer->lockFile());
            for (int r = first; r < first + 100; ++r) {
                writer->goTo(static_cast<std::uint32_t>(r));
                writer->setString(0, longKey(letter, r));
                writer->setNumber(1, (round % 2) * 100000 + r);
            }
            writer->commit();
            writer->unlock();
            near->setOrder(1);
            ASSERT_TRUE(near->seek(keyOf(letter, first)));
            near->setOrder(2);
            const std::string number = std::to_string((round % 2) * 100000 + first);
            ASSERT_TRUE(near->seek(std::string(8 - number.size(), ' ') + number));
        }
        sizes.push_back(std::filesystem::file_size(files[0]) +
                        std::filesystem::file_size(files[1]));
        middle->setOrder(1);
        ASSERT_TRUE(middle->seek(keyOf(letter, 10)));
        if (round == 1) {
            ASSERT_TRUE(far->seek(keyOf('B', 10)));
        }
    }
    EXPECT_EQ(stampOf(files[0]).inode, inodes.first);
    EXPECT_EQ(stampOf(files[1]).inode, inodes.second);
    // Round 1 adds the pages of the new right edge; later rounds live on the pages freed before.
    EXPECT_LE(sizes.back(), sizes[0] + sizes[0] / 20) << sizes[0] << " -> " << sizes.back();
    ASSERT_TRUE(far->seek(keyOf('G', 10)));
    writer->close();
    std::vector<std::string> warnings;
    auto previous = setWarningListener([&](const std::string& w) { warnings.push_back(w); });
    auto fresh = open();
    setWarningListener(std::move(previous));
    EXPECT_TRUE(warnings.empty()) << warnings.front();
    for (Table* reader : {near.get(), middle.get(), far.get()})
        for (int order : {1, 2}) {
            const KeyList& mine = reader->index(order).keys();
            const KeyList& file = fresh->index(order).keys();
            const char* who =
                reader == near.get() ? "near" : (reader == middle.get() ? "middle" : "far");
            ASSERT_EQ(mine.size(), file.size()) << who << ", order " << order;
            for (std::size_t i = 0; i < file.size(); ++i) {
                ASSERT_EQ(mine.keyAt(i), file.keyAt(i)) << who << ", order " << order << ", " << i;
                ASSERT_EQ(mine.recAt(i), file.recAt(i)) << who << ", order " << order << ", " << i;
            }
        }
    ASSERT_EQ(fresh->index(1).keys().size(), static_cast<std::size_t>(kRecords));
}
