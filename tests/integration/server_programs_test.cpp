// The table programs run a second time with the tables of their folder on the tests' PostgreSQL
// server: what they print must be what they print over table files, in all three dialects.
#include "integration/process.h"
#include "pgsql/pg_server.h"
#include "pgsql/table.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace vorlan::testing;
namespace fs = std::filesystem;

namespace {

class ServerPrograms : public ::testing::TestWithParam<std::string> {};

} // namespace

TEST_P(ServerPrograms, PrintWhatTheyPrintOverTableFiles) {
    pgtest::PgServer* server = pgtest::PgServer::get();
    if (!server) {
        if (pgtest::ciRun()) FAIL() << "PostgreSQL server: " << pgtest::PgServer::failure();
        GTEST_SKIP() << "PostgreSQL server: " << pgtest::PgServer::failure();
    }
    const std::string url = server->freshDatabase("p_" + GetParam());
    const fs::path folder = fs::path(PROGRAMS_DIR) / GetParam();
    TempDir dir;
    const fs::path work = dir / "work";
    fs::copy(folder, work, fs::copy_options::recursive);
    // The program's tables lie beside its archive, in the mapped folder.
    const auto archive = work / (GetParam() + ".VRL");
    packProgram(folder, archive);
    // The program's folder, as drive S: sees it, lives in the database.
    fs::create_directories(dir / "config" / "vorlan");
    std::ofstream(dir / "config" / "vorlan" / "vorlan.ini")
        << "[Drives]\nS=" << dir.path().string() << "\n\n[Server]\nS:\\WORK=" << url << "\n";
    const ScopedEnvironment config("XDG_CONFIG_HOME", (dir / "config").string());
    const ProcessResult r = runVorlan({archive.string()}, work);
    EXPECT_EQ(r.out, readFile(folder / "expected.txt")) << r.err;
    // The tables are in the database, and nothing went to table files.
    EXPECT_FALSE(vorlan::pgsql::tableNames(*vorlan::pgsql::Connection::open(url)).empty());
    for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
        std::string ext = entry.path().extension().string();
        for (char& c : ext)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_NE(ext, ".DBF") << entry.path();
    }
}

INSTANTIATE_TEST_SUITE_P(Programs, ServerPrograms,
                         ::testing::Values("dbf_walk", "dbf_walk_basic", "dbf_walk_js",
                                           "dbf_functions", "dbf_functions_basic",
                                           "dbf_functions_js"),
                         [](const ::testing::TestParamInfo<std::string>& param) {
                             return param.param;
                         });
