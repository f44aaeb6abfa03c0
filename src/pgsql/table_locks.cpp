// Record and file locks between clients: advisory locks held by the connection, tried until the
// engine's lock time-out as locks on table files are.

#include "pgsql/table.h"

#include "core/cp1250.h"
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

namespace {

// A record lock also holds the table's file-lock key shared, so that a file lock of another
// client waits for it and it waits for theirs.
const char* const kLockRecord =
    "SELECT CASE WHEN NOT pg_try_advisory_lock_shared($1::int, 0) THEN false "
    "WHEN pg_try_advisory_lock($1::int, $2::int) THEN true "
    "WHEN pg_advisory_unlock_shared($1::int, 0) THEN false ELSE false END";
const char* const kLockFile = "SELECT pg_try_advisory_lock($1::int, 0)";

} // namespace

void Table::forgetLostLocks() {
    // A connection that was reopened holds none of the locks taken before.
    if (lockGeneration_ == conn_->generation()) return;
    lockedRecords_.clear();
    fileLocked_ = false;
    lockGeneration_ = conn_->generation();
}

bool Table::lockRecord(std::uint32_t recno) {
    forgetLostLocks();
    if (fileLocked_ || lockedRecords_.count(recno)) return true;
    if (recno == 0 || recno > 0x7FFFFFFF) return false;
    if (!tryLock(kLockRecord, {Param::integer(id_), Param::integer(recno)})) return false;
    // Trying may have reopened the connection: the lock is the new connection's.
    forgetLostLocks();
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
    forgetLostLocks();
    if (fileLocked_) return true;
    if (!tryLock(kLockFile, {Param::integer(id_)})) return false;
    forgetLostLocks();
    fileLocked_ = true;
    window_.clear();
    return true;
}

void Table::keepLocksForWrite() {
    if (lockGeneration_ == conn_->generation()) return;
    // The connection came back since the program locked what it writes: the lock is taken
    // again before the write, or the write is refused whole.
    const bool hadFile = fileLocked_;
    const bool hadRecord = lockedRecords_.count(recno_) > 0;
    forgetLostLocks();
    if (!hadFile && !hadRecord) return;
    const bool again = hadFile
                           ? tryLock(kLockFile, {Param::integer(id_)})
                           : tryLock(kLockRecord, {Param::integer(id_), Param::integer(recno_)});
    forgetLostLocks();
    if (!again)
        throw ServerError(czech("Spojení s databázovým serverem bylo obnoveno, ale záznam mezitím "
                                "zamkl jiný uživatel; změny záznamu nebyly uloženy."),
                          true);
    if (hadFile)
        fileLocked_ = true;
    else
        lockedRecords_.insert(recno_);
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
    return holdsLocks() && (fileLocked_ || lockedRecords_.count(recno) > 0);
}

bool Table::holdsLocks() const {
    // Locks taken before the connection was reopened went with the old one: a write after the
    // server came back must lock again first.
    return conn_ && lockGeneration_ == conn_->generation();
}

} // namespace vorlan::pgsql
