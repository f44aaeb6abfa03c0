// Record and file locks (the byte ranges are described in table.h).

#include "dbf/table.h"

#include "core/cp1250.h"
#include "dbf/settings.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <thread>

namespace vorlan::dbf {

namespace {

// Waiting for a lock goes through a queue byte: a process first holds the queue byte of what it
// waits for (record n: kQueueBase - n, the file lock: kQueueBase), then waits for the lock
// itself and lets the queue byte go once it has the lock. A process that has just released the
// lock must pass the queue byte again, behind the process already waiting there, so the lock
// goes to the waiting process instead of straight back to the one that let it go. The bytes lie
// above every other lock byte of the table.
//
// The queue alone hands over one turn: the process that got the lock lets the queue byte go,
// and the processes woken for it may not run before the holder has released the lock and taken
// the queue byte again. So every waiter also holds the lock's waiting byte (kWaitOffset above its
// queue byte) shared, and a process about to take again a lock it has just released first gives
// the waiters a moment to take it.
constexpr std::uint64_t kQueueBase = 0xFFFFFFF0;
constexpr std::uint64_t kWaitOffset = 0x100000000;
// How long a process that just released a lock gives a waiter to take it.
constexpr auto kHandOverLimit = std::chrono::milliseconds(50);

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

// Holds a lock byte (the queue byte exclusively, the waiting byte shared) while it lives.
class HeldByte {
public:
    HeldByte(File& file, std::uint64_t byte, Clock::time_point deadline, bool shared = false)
        : file_(file), byte_(byte),
          held_(file.lockRange(byte, 1, millisecondsUntil(deadline), shared)) {}
    ~HeldByte() {
        if (held_) file_.unlockRange(byte_, 1);
    }
    HeldByte(const HeldByte&) = delete;
    HeldByte& operator=(const HeldByte&) = delete;
    bool held() const { return held_; }

private:
    File& file_;
    std::uint64_t byte_;
    bool held_;
};

// While others wait for the range and neither it nor its queue byte has been taken by one of
// them yet, waits (within the limit) so that a woken waiter gets there first.
void handOver(const File& file, std::uint64_t queueByte, std::uint64_t offset, std::uint64_t len,
              Clock::time_point deadline) {
    const auto until = std::min(deadline, Clock::now() + kHandOverLimit);
    while (file.rangeLockedByOther(queueByte + kWaitOffset, 1) &&
           !file.rangeLockedByOther(queueByte, 1) && !file.rangeLockedByOther(offset, len) &&
           Clock::now() < until)
        std::this_thread::sleep_for(std::chrono::microseconds(50));
}

} // namespace

// Locks

bool Table::takeQueued(std::uint64_t queueByte, std::uint64_t offset, std::uint64_t len) {
    const auto deadline = lockDeadline();
    if (releasedLocks_.erase(queueByte)) handOver(file_, queueByte, offset, len, deadline);
    // A lock that is free at once is taken without showing as a waiter.
    std::optional<HeldByte> turn;
    turn.emplace(file_, queueByte, Clock::now());
    if (turn->held() && file_.lockRange(offset, len, 0)) return true;
    const HeldByte waiting(file_, queueByte + kWaitOffset, deadline, true);
    if (!turn->held()) {
        turn.reset();
        turn.emplace(file_, queueByte, deadline);
    }
    return turn->held() && file_.lockRange(offset, len, millisecondsUntil(deadline));
}

bool Table::lockRecord(std::uint32_t recno) {
    if (file_.readOnly()) return false;
    if (exclusive_ || fileLocked_ || lockedRecords_.count(recno)) return true;
    if (recno == 0 || recno > kMaxLockRecords) return false;
    if (!takeQueued(kQueueBase - recno, kLockBase - recno, 1)) return false;
    lockedRecords_.insert(recno);
    // What another process wrote before we held the lock must be what we edit.
    cacheCount_ = 0;
    if (recno == recno_ && !dirty_ && !eof_) loadRecord(recno_);
    return true;
}

bool Table::lockFile() {
    if (file_.readOnly()) return false;
    if (exclusive_ || fileLocked_) return true;
    if (!takeQueued(kQueueBase, kLockBase - kMaxLockRecords, kMaxLockRecords + 1)) return false;
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
    // Remembered so that taking the same lock again at once lets a waiting process go first.
    if (releasedLocks_.size() > 64) releasedLocks_.clear();
    if (recno == 0) {
        if (fileLocked_) {
            file_.unlockRange(kLockBase - kMaxLockRecords, kMaxLockRecords + 1);
            releasedLocks_.insert(kQueueBase);
        }
        for (const auto r : lockedRecords_) {
            file_.unlockRange(kLockBase - r, 1);
            releasedLocks_.insert(kQueueBase - r);
        }
        fileLocked_ = false;
        lockedRecords_.clear();
        return;
    }
    if (lockedRecords_.erase(recno) && !fileLocked_) {
        file_.unlockRange(kLockBase - recno, 1);
        releasedLocks_.insert(kQueueBase - recno);
    }
}

bool Table::isLocked(std::uint32_t recno) const {
    return exclusive_ || fileLocked_ || lockedRecords_.count(recno) > 0;
}

} // namespace vorlan::dbf
