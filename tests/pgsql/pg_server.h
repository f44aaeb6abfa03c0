#pragma once
// A PostgreSQL server of the tests' own: a fresh cluster in a temporary folder (a copy of one
// initdb made once, see templateCluster), listening only on a Unix socket there, stopped and
// removed at the end. Run as root (CI), the server runs as the
// unprivileged system user `postgres`. VORLAN_TEST_PG_URL names a server to use instead.
// Without the server programs the tests skip, except under CI=true, where they fail.

#include <memory>
#include <string>

namespace pgtest {

class PgServer {
public:
    // The process-wide server, started on first use; null when it cannot start (the reason is
    // in `failure()`).
    static PgServer* get();
    static const std::string& failure();
    ~PgServer();

    // A connection URL for a fresh database of that name (dropped first when it exists); throws
    // std::runtime_error when the server refuses.
    std::string freshDatabase(const std::string& name);
    const std::string& socketFolder() const { return folder_; }
    // Stops the server at once (the tests of a server that goes away) and starts it again.
    bool stop();
    bool start();

private:
    PgServer() = default;
    bool init();
    std::string templateCluster();
    std::string run(const std::string& command, int* status = nullptr) const;
    std::string asServerUser(const std::string& command) const;

    std::string folder_;
    std::string bin_;
    std::string externalUrl_;
    bool running_ = false;
};

// Whether this is a CI run (CI=true), where a server that cannot start fails the tests.
bool ciRun();

} // namespace pgtest
