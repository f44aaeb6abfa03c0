// The tests' PostgreSQL server.

#include "pgsql/pg_server.h"

#include "pgsql/connection.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <pwd.h>
#include <stdexcept>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pgtest {

namespace fs = std::filesystem;

namespace {

std::string& failureText() {
    static std::string text;
    return text;
}

std::string serverBinaries() {
    // The packaged server programs; a pg_ctl found on PATH may be a wrapper of another layout.
    std::string best;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator("/usr/lib/postgresql", ec)) {
        const fs::path bin = e.path() / "bin";
        if (fs::exists(bin / "initdb") && fs::exists(bin / "pg_ctl") && bin.string() > best)
            best = bin.string();
    }
    return best;
}

} // namespace

bool ciRun() {
    const char* ci = std::getenv("CI");
    return ci && std::string(ci) == "true";
}

const std::string& PgServer::failure() {
    return failureText();
}

PgServer* PgServer::get() {
    static std::unique_ptr<PgServer> server;
    static bool tried = false;
    if (!tried) {
        tried = true;
        std::unique_ptr<PgServer> s(new PgServer);
        if (s->init()) server = std::move(s);
    }
    return server.get();
}

std::string PgServer::run(const std::string& command, int* status) const {
    std::string out;
    FILE* p = ::popen((command + " 2>&1").c_str(), "r");
    if (!p) return "popen failed";
    std::array<char, 512> buf{};
    std::size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0)
        out.append(buf.data(), n);
    const int rc = ::pclose(p);
    if (status) *status = rc;
    return out;
}

std::string PgServer::asServerUser(const std::string& command) const {
    if (::geteuid() != 0) return command;
    return "runuser -u postgres -- " + command;
}

bool PgServer::init() {
    if (const char* url = std::getenv("VORLAN_TEST_PG_URL"); url && *url) {
        externalUrl_ = url;
        return true;
    }
    bin_ = serverBinaries();
    if (bin_.empty()) {
        failureText() = "no server programs in /usr/lib/postgresql/*/bin (package postgresql)";
        return false;
    }
    char tmpl[] = "/tmp/vorlan_pg_XXXXXX";
    if (!::mkdtemp(tmpl)) {
        failureText() = "no temporary folder";
        return false;
    }
    folder_ = tmpl;
    int status = 0;
    if (::geteuid() == 0) {
        const std::string out = run("chown postgres " + folder_, &status);
        if (status != 0) {
            failureText() = "the system user postgres is missing: " + out;
            return false;
        }
    }
    const std::string cluster = templateCluster();
    if (cluster.empty()) return false;
    const std::string out = run("cp -a " + cluster + "/data " + folder_ + "/data", &status);
    if (status != 0) {
        failureText() = "copying the template cluster failed: " + out;
        return false;
    }
    return start();
}

// initdb costs over a second of processor time, and many seconds on a loaded machine; every test
// process needs a cluster of its own, so the first one made is kept in /tmp, like a compiler
// cache, and copied. It is keyed by user and server version, made under a lock and renamed into
// place whole, so a process killed halfway leaves no half-made template.
std::string PgServer::templateCluster() {
    const std::string version = fs::path(bin_).parent_path().filename().string();
    const std::string base =
        "/tmp/vorlan_pg_template_" + std::to_string(::geteuid()) + "_" + version;
    const int lock =
        ::open((base + ".lock").c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (lock < 0 || ::flock(lock, LOCK_EX) != 0) {
        if (lock >= 0) ::close(lock);
        failureText() = "cannot lock " + base + ".lock";
        return {};
    }
    struct Unlock {
        int fd;
        ~Unlock() { ::close(fd); }
    } unlock{lock};
    // Only a folder of the user the server runs as is trusted (root has the server user make it).
    uid_t owner = ::geteuid();
    if (owner == 0) {
        const passwd* pw = ::getpwnam("postgres");
        owner = pw ? pw->pw_uid : 0;
    }
    struct stat st {};
    if (::lstat(base.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode) && st.st_uid == owner && fs::exists(base + "/data/PG_VERSION"))
            return base;
        failureText() = base + " is not a template cluster made by these tests; remove it";
        return {};
    }
    char tmpl[] = "/tmp/vorlan_pg_new_XXXXXX";
    if (!::mkdtemp(tmpl)) {
        failureText() = "no temporary folder";
        return {};
    }
    const std::string fresh = tmpl;
    int status = 0;
    if (::geteuid() == 0) run("chown postgres " + fresh, &status);
    const std::string out = run(asServerUser(bin_ + "/initdb -D " + fresh +
                                             "/data -U vorlan -A trust -E UTF8 "
                                             "--locale=C.UTF-8 --no-sync"),
                                &status);
    std::error_code ec;
    if (status != 0 || ::rename(fresh.c_str(), base.c_str()) != 0) {
        fs::remove_all(fresh, ec);
        failureText() = "initdb failed: " + out;
        return {};
    }
    return base;
}

bool PgServer::start() {
    if (!externalUrl_.empty()) return true;
    int status = 0;
    const std::string out =
        run(asServerUser(bin_ + "/pg_ctl -D " + folder_ + "/data -l " + folder_ +
                         "/server.log -w -t 60 -o \"-k " + folder_ +
                         " -c listen_addresses= -c fsync=off -c max_connections=60\" start"),
            &status);
    if (status != 0) {
        failureText() = "the server did not start: " + out;
        return false;
    }
    running_ = true;
    return true;
}

bool PgServer::stop() {
    if (!externalUrl_.empty() || !running_) return false;
    int status = 0;
    run(asServerUser(bin_ + "/pg_ctl -D " + folder_ + "/data -m immediate -w stop"), &status);
    running_ = false;
    return status == 0;
}

PgServer::~PgServer() {
    stop();
    if (!folder_.empty()) {
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }
}

std::string PgServer::freshDatabase(const std::string& name) {
    std::string base = externalUrl_;
    if (base.empty()) base = "postgresql://vorlan@/postgres?host=" + folder_;
    try {
        auto admin = vorlan::pgsql::Connection::open(base);
        admin->run("DROP DATABASE IF EXISTS " + vorlan::pgsql::quoteIdent(name) + " WITH (FORCE)");
        admin->run("CREATE DATABASE " + vorlan::pgsql::quoteIdent(name));
    } catch (const std::exception& e) {
        throw std::runtime_error(std::string("CREATE DATABASE failed: ") + e.what());
    }
    if (!externalUrl_.empty()) {
        const auto slash = base.rfind('/');
        const auto q = base.find('?', slash);
        return base.substr(0, slash + 1) + name + (q == std::string::npos ? "" : base.substr(q));
    }
    return "postgresql://vorlan@/" + name + "?host=" + folder_;
}

} // namespace pgtest
