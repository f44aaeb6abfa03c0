// Two runtimes append to one table at once, each through the script table class: every record
// arrives whole and the table's index finds every key.
#include "dbf/table.h"
#include "integration/process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <set>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace vorlan::testing;
namespace fs = std::filesystem;

namespace {

constexpr int kEach = 1000;

std::string appenderSource(char writer) {
    return "program Appender;\n"
           "var T: Variant; i: Integer;\n"
           "procedure main;\n"
           "begin\n"
           "  T := TDataTable.Create(nil);\n"
           "  if not T.Use('SHARED') then Writeln('cannot open');\n"
           "  for i := 1 to " +
           std::to_string(kEach) +
           " do\n"
           "  begin\n"
           "    T.AppendBlank;\n"
           "    T.WriteStr('KEY', '" +
           std::string(1, writer) +
           "' + Str(100000 + i));\n"
           "    T.WriteNum('N', i);\n"
           "  end;\n"
           "  T.Commit;\n"
           "  Writeln('done');\n"
           "end;\n"
           "\n"
           "begin\n"
           "end.\n";
}

} // namespace

TEST(SharedTable, TwoRuntimesAppendAThousandRecordsEach) {
    TempDir dir;
    {
        auto t = vorlan::dbf::Table::create(dir / "SHARED.DBF", {{"KEY", 'C', 10}, {"N", 'N', 6}});
        t->createTag("KEY", "KEY");
    }
    for (char w : {'A', 'B'}) {
        const auto src = dir.write(std::string("MAIN") + w + ".ZLM", appenderSource(w));
        runVrltool({"pack", (dir / (std::string("APP") + w + ".VRL")).string(), src.string()});
    }
    ProcessResult results[2];
    std::thread a([&] { results[0] = runVorlan({(dir / "APPA.VRL").string()}, dir.path()); });
    std::thread b([&] { results[1] = runVorlan({(dir / "APPB.VRL").string()}, dir.path()); });
    a.join();
    b.join();
    for (const auto& r : results) {
        EXPECT_EQ(r.out, "done\n") << r.err;
        EXPECT_EQ(r.exitCode, 0) << r.err;
    }

    auto t = vorlan::dbf::Table::open(dir / "SHARED.DBF");
    ASSERT_EQ(t->recordCount(), 2u * kEach);
    std::set<std::string> keys;
    for (std::uint32_t r = 1; r <= t->recordCount(); ++r) {
        t->goTo(r);
        const std::string key = t->getString(0).substr(0, 7);
        ASSERT_EQ(key.substr(1), std::to_string(100000 + static_cast<int>(t->getNumber(1))));
        keys.insert(key);
    }
    EXPECT_EQ(keys.size(), 2u * kEach);
    t->setOrder(t->orderOf("KEY"));
    for (const auto& key : keys)
        ASSERT_TRUE(t->seek(key)) << key;
}
