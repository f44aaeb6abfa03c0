// Record and file locks (the byte ranges are described in table.h).

#include "dbf/table.h"

#include "core/cp1250.h"
#include "dbf/settings.h"

namespace vorlan::dbf {

// Locks

bool Table::lockRecord(std::uint32_t recno) {
    if (file_.readOnly()) return false;
    if (exclusive_ || fileLocked_ || lockedRecords_.count(recno)) return true;
    if (recno == 0 || recno > kMaxLockRecords) return false;
    if (!file_.lockRange(kLockBase - recno, 1, settings().lockTimeoutMs)) return false;
    lockedRecords_.insert(recno);
    // What another process wrote before we held the lock must be what we edit.
    cacheCount_ = 0;
    if (recno == recno_ && !dirty_ && !eof_) loadRecord(recno_);
    return true;
}

bool Table::lockFile() {
    if (file_.readOnly()) return false;
    if (exclusive_ || fileLocked_) return true;
    if (!file_.lockRange(kLockBase - kMaxLockRecords, kMaxLockRecords + 1,
                         settings().lockTimeoutMs))
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
