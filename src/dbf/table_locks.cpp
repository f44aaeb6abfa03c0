// Record and file locks (the byte ranges are described in table.h).

#include "dbf/table.h"

#include "core/cp1250.h"
#include "dbf/settings.h"

#include <algorithm>
#include <chrono>

namespace vorlan::dbf {

namespace {

// Waiting for a lock goes through a queue byte: a process first holds the queue byte of what it
// waits for (record n: kQueueBase - n, the file lock: kQueueBase), then waits for the lock
// itself and lets the queue byte go once it has the lock. A process that has just released the
// lock must pass the queue byte again, behind the process already waiting there, so the lock
// goes to the waiting process instead of straight back to the one that let it go. The bytes lie
// above every other lock byte of the table.
constexpr std::uint64_t kQueueBase = 0xFFFFFFF0;

using Clock = std::chrono::steady_clock;

Clock::time_point lockDeadline() {
    return Clock::now() + std::chrono::milliseconds(std::max(settings().lockTimeoutMs, 0));
}

// What is left of the time-out; 0 tries once.
int millisecondsUntil(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::max<long long>(left, 0));
}

// Holds the queue byte while it lives.
class QueueTurn {
public:
    QueueTurn(File& file, std::uint64_t byte, Clock::time_point deadline)
        : file_(file), byte_(byte), held_(file.lockRange(byte, 1, millisecondsUntil(deadline))) {}
    ~QueueTurn() {
        if (held_) file_.unlockRange(byte_, 1);
    }
    QueueTurn(const QueueTurn&) = delete;
    QueueTurn& operator=(const QueueTurn&) = delete;
    bool held() const { return held_; }

private:
    File& file_;
    std::uint64_t byte_;
    bool held_;
};

} // namespace

// Locks

bool Table::lockRecord(std::uint32_t recno) {
    if (file_.readOnly()) return false;
    if (exclusive_ || fileLocked_ || lockedRecords_.count(recno)) return true;
    if (recno == 0 || recno > kMaxLockRecords) return false;
    const auto deadline = lockDeadline();
    const QueueTurn turn(file_, kQueueBase - recno, deadline);
    if (!turn.held() || !file_.lockRange(kLockBase - recno, 1, millisecondsUntil(deadline)))
        return false;
    lockedRecords_.insert(recno);
    // What another process wrote before we held the lock must be what we edit.
    cacheCount_ = 0;
    if (recno == recno_ && !dirty_ && !eof_) loadRecord(recno_);
    return true;
}

bool Table::lockFile() {
    if (file_.readOnly()) return false;
    if (exclusive_ || fileLocked_) return true;
    const auto deadline = lockDeadline();
    const QueueTurn turn(file_, kQueueBase, deadline);
    if (!turn.held() || !file_.lockRange(kLockBase - kMaxLockRecords, kMaxLockRecords + 1,
                                         millisecondsUntil(deadline)))
        return false;
    // Records appended before we held the lock count; from now on nobody else appends.
    refreshCount();
    fileLocked_ = true;
    cacheCount_ = 0;
    return true;
}

void Table::unlock(std::uint32_t recno) {
    if (file_.readOnly() || exclusive_) return;
    flush();
    if (countPending_ && recno == 0) writeHeaderCount();
    if (recno == 0) {
        if (fileLocked_) file_.unlockRange(kLockBase - kMaxLockRecords, kMaxLockRecords + 1);
        for (const auto r : lockedRecords_)
            file_.unlockRange(kLockBase - r, 1);
        fileLocked_ = false;
        lockedRecords_.clear();
        return;
    }
    if (lockedRecords_.erase(recno) && !fileLocked_) file_.unlockRange(kLockBase - recno, 1);
}

bool Table::isLocked(std::uint32_t recno) const {
    return exclusive_ || fileLocked_ || lockedRecords_.count(recno) > 0;
}

} // namespace vorlan::dbf
