// Record and file locks between clients: advisory locks held by the connection, tried until the
// engine's lock time-out as locks on table files are.

#include "pgsql/table.h"

#include "dbf/settings.h"

#include <chrono>
#include <thread>

namespace vorlan::pgsql {

bool Table::tryLock(const std::string& sql, std::vector<Param> params) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(dbf::settings().lockTimeoutMs);
    for (;;) {
        if (conn_->exec(sql, params).boolean(0, 0)) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

bool Table::lockRecord(std::uint32_t recno) {
    if (lockGeneration_ != conn_->generation()) {
        // A connection that was reopened holds none of the locks taken before.
        lockedRecords_.clear();
        fileLocked_ = false;
        lockGeneration_ = conn_->generation();
    }
    if (fileLocked_ || lockedRecords_.count(recno)) return true;
    if (recno == 0 || recno > 0x7FFFFFFF) return false;
    // A record lock also holds the table's file-lock key shared, so that a file lock of another
    // client waits for it and it waits for theirs.
    if (!tryLock("SELECT CASE WHEN NOT pg_try_advisory_lock_shared($1::int, 0) THEN false "
                 "WHEN pg_try_advisory_lock($1::int, $2::int) THEN true "
                 "WHEN pg_advisory_unlock_shared($1::int, 0) THEN false ELSE false END",
                 {Param::integer(id_), Param::integer(recno)}))
        return false;
    lockedRecords_.insert(recno);
    // What another client wrote before we held the lock must be what we edit.
    window_.clear();
    if (recno == recno_ && !eof_ && !appending_ && changed_.empty()) {
        const std::uint32_t keep = recno_;
        const bool bof = bof_;
        goTo(keep);
        bof_ = bof;
    }
    return true;
}

bool Table::lockFile() {
    if (lockGeneration_ != conn_->generation()) {
        lockedRecords_.clear();
        fileLocked_ = false;
        lockGeneration_ = conn_->generation();
    }
    if (fileLocked_) return true;
    if (!tryLock("SELECT pg_try_advisory_lock($1::int, 0)", {Param::integer(id_)})) return false;
    fileLocked_ = true;
    window_.clear();
    return true;
}

void Table::unlock(std::uint32_t recno) {
    if (!conn_) return;
    flush();
    if (lockGeneration_ != conn_->generation()) {
        lockedRecords_.clear();
        fileLocked_ = false;
        return;
    }
    auto release = [&](std::uint32_t r) {
        conn_->exec("SELECT pg_advisory_unlock($1::int, $2::int), "
                    "pg_advisory_unlock_shared($1::int, 0)",
                    {Param::integer(id_), Param::integer(r)});
    };
    if (recno == 0) {
        if (fileLocked_)
            conn_->exec("SELECT pg_advisory_unlock($1::int, 0)", {Param::integer(id_)});
        for (const auto r : lockedRecords_)
            release(r);
        fileLocked_ = false;
        lockedRecords_.clear();
        return;
    }
    if (lockedRecords_.erase(recno)) release(recno);
}

bool Table::isLocked(std::uint32_t recno) const {
    return fileLocked_ || lockedRecords_.count(recno) > 0;
}

} // namespace vorlan::pgsql
