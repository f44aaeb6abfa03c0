// The tables the sample applications make, copied into the tests' PostgreSQL server and exported
// back (vrltool do-databaze, z-databaze): another DBF implementation reads the same values from
// the exported files, and the DBF engine opens their indexes, walks them as it walks the
// original ones and finds every key.
#include "dbf/table.h"
#include "integration/process.h"
#include "needs_tool.h"
#include "pgsql/pg_server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

using namespace vorlan::testing;
namespace fs = std::filesystem;

namespace {

// Every record of a table, deleted ones marked, each value in a fixed text form.
std::string dumpWithPython(const fs::path& table) {
    static const char* const script = R"(import dbf, sys
t = dbf.Table(sys.argv[1], codepage="cp1250")
t.open(dbf.READ_ONLY)
print("|".join(t.field_names))
for rec in t:
    parts = []
    for name in t.field_names:
        v = rec[name]
        if isinstance(v, str): v = v.rstrip()
        if isinstance(v, bytes): v = v.hex()
        parts.append(repr(v))
    print(("*" if dbf.is_deleted(rec) else " ") + "|".join(parts))
t.close()
)";
    const ProcessResult r = runProcess({"/usr/bin/python3", "-c", script, table.string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return r.out;
}

std::vector<fs::path> tablesOf(const fs::path& folder) {
    std::vector<fs::path> tables;
    for (const auto& e : fs::directory_iterator(folder)) {
        std::string ext = e.path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), ::toupper);
        if (ext == ".DBF") tables.push_back(e.path());
    }
    std::sort(tables.begin(), tables.end());
    return tables;
}

// The exported table walks each order of the original as the original does, and finds the key
// of every record it holds.
void compareOrders(const fs::path& original, const fs::path& exported) {
    auto from = vorlan::dbf::Table::open(original, {true, false});
    auto to = vorlan::dbf::Table::open(exported, {true, false});
    for (int o = 1; o <= from->indexCount(); ++o) {
        const std::string tag = from->index(o).tagName();
        const int there = to->orderOf(tag);
        ASSERT_GT(there, 0) << exported << " " << tag;
        from->setOrder(o);
        to->setOrder(there);
        std::vector<std::uint32_t> a, b;
        std::vector<std::string> keys;
        for (from->goTop(); !from->eof(); from->skip())
            a.push_back(from->recNo());
        for (to->goTop(); !to->eof(); to->skip()) {
            b.push_back(to->recNo());
            keys.push_back(to->currentKey());
        }
        EXPECT_EQ(a, b) << exported << " " << tag;
        // Seeks take text: the stored form of numeric and date keys is no seek text.
        if (from->index(o).keyType() != vorlan::dbf::ValueType::Char) continue;
        for (std::size_t i = 0; i < keys.size(); ++i) {
            ASSERT_TRUE(to->seek(keys[i], false)) << exported << " " << tag << " " << keys[i];
            EXPECT_EQ(to->currentKey(), keys[i]);
        }
    }
}

class ExamplesOnServer : public ::testing::TestWithParam<std::pair<std::string, std::string>> {};

} // namespace

TEST_P(ExamplesOnServer, TablesComeBackWithTheirValuesAndIndexes) {
    if (!pythonDbfAvailable()) VORLAN_SKIP_WITHOUT("python3-dbf is not installed");
    pgtest::PgServer* server = pgtest::PgServer::get();
    if (!server) {
        if (pgtest::ciRun()) FAIL() << "PostgreSQL server: " << pgtest::PgServer::failure();
        GTEST_SKIP() << "PostgreSQL server: " << pgtest::PgServer::failure();
    }
    const auto& [folder, archive] = GetParam();
    TempDir dir;
    const fs::path work = dir / "work";
    fs::create_directories(work);
    fs::copy(fs::path(EXAMPLES_BUILD_DIR) / archive, work / archive);
    fs::copy(fs::path(EXAMPLES_BUILD_DIR) / folder, work, fs::copy_options::recursive);
    fs::create_directories(dir / "print");
    const ScopedEnvironment config("XDG_CONFIG_HOME", (dir / "config").string());
    const ProcessResult run =
        runVorlan({"--print-to", (dir / "print").string(), archive, "/AUTO"}, work);
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    const std::vector<fs::path> tables = tablesOf(work);
    ASSERT_FALSE(tables.empty());

    const std::string url = server->freshDatabase("rt_" + folder);
    const fs::path back = dir / "back";
    runVrltool({"do-databaze", work.string(), url});
    // Exporting over files is refused unless asked for.
    fs::create_directories(back);
    fs::copy(tables.front(), back / tables.front().filename().string());
    EXPECT_NE(runProcess({VRLTOOL_PATH, "z-databaze", url, back.string()}).exitCode, 0);
    runVrltool({"z-databaze", url, back.string(), "--prepsat"});
    for (const fs::path& table : tables) {
        std::string name = table.filename().string();
        std::transform(name.begin(), name.end(), name.begin(), ::toupper);
        ASSERT_TRUE(fs::exists(back / name)) << name;
        EXPECT_EQ(dumpWithPython(back / name), dumpWithPython(table)) << name;
        compareOrders(table, back / name);
    }
}

INSTANTIATE_TEST_SUITE_P(Examples, ExamplesOnServer,
                         ::testing::Values(std::make_pair("sklad", "SKLAD.VRL"),
                                           std::make_pair("adresy", "ADRESY.VRL"),
                                           std::make_pair("faktury", "FAKTURY.VRL")),
                         [](const auto& param) { return param.param.first; });

TEST(TablesOnServer, IntegerDoubleCurrencyAndDateTimeFieldsComeBackThroughVrltool) {
    if (!pythonDbfAvailable()) VORLAN_SKIP_WITHOUT("python3-dbf is not installed");
    pgtest::PgServer* server = pgtest::PgServer::get();
    if (!server) {
        if (pgtest::ciRun()) FAIL() << "PostgreSQL server: " << pgtest::PgServer::failure();
        GTEST_SKIP() << "PostgreSQL server: " << pgtest::PgServer::failure();
    }
    TempDir dir;
    const fs::path work = dir / "work";
    fs::create_directories(work);
    {
        vorlan::dbf::CreateOptions vfp;
        vfp.flavor = vorlan::dbf::TableFlavor::VisualFoxPro;
        auto t = vorlan::dbf::Table::create(work / "MERENI.DBF",
                                            {{"KOD", 'C', 6, 0},
                                             {"POCET", 'I', 0, 0},
                                             {"PODIL", 'B', 0, 3},
                                             {"CENA", 'Y', 0, 0},
                                             {"CAS", 'T', 0, 0}},
                                            vfp);
        for (int i = 0; i < 12; ++i) {
            t->append();
            t->setString(0, "K" + std::to_string(i * 7 % 12));
            t->setNumber(1, (i % 2 ? -1 : 1) * i * 123457.0);
            t->setNumber(2, i / 7.0);
            t->setNumber(3, (i - 6) * 1234.5678);
            if (i != 3) t->setFromText(4, "2024" + std::to_string(1000 + i * 73).substr(2) + "15");
        }
        t->goTo(5);
        t->deleteRecord();
        t->createTag("POCET", "POCET");
        t->createTag("CENA", "CENA", {false, true, ""});
        t->createTag("CAS", "DTOS(CAS)+KOD");
        t->close();
    }
    const std::string url = server->freshDatabase("rt_binarni");
    runVrltool({"do-databaze", work.string(), url});
    runVrltool({"z-databaze", url, (dir / "back").string()});
    EXPECT_EQ(dumpWithPython(dir / "back" / "MERENI.DBF"), dumpWithPython(work / "MERENI.DBF"));
    compareOrders(work / "MERENI.DBF", dir / "back" / "MERENI.DBF");
}
