// Every program under tests/programs/NAME/ (its modules and forms) is packed, run headless, and
// its console output compared with NAME/expected.txt (UTF-8).
#include "integration/process.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace vorlan::testing;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> programNames() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(PROGRAMS_DIR))
        if (entry.is_directory() && fs::exists(entry.path() / "expected.txt"))
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class ProgramOutput : public ::testing::TestWithParam<std::string> {};

} // namespace

TEST_P(ProgramOutput, MatchesExpectedConsoleText) {
    const fs::path folder = fs::path(PROGRAMS_DIR) / GetParam();
    TempDir dir;
    const auto archive = dir / (GetParam() + ".VRL");
    packProgram(folder, archive);
    // Programs may write files (tables, pictures): they run in a copy of their folder, never in
    // the source tree.
    const fs::path work = dir / "work";
    fs::copy(folder, work, fs::copy_options::recursive);
    const ProcessResult r = runVorlan({archive.string()}, work);
    EXPECT_EQ(r.out, readFile(folder / "expected.txt")) << r.err;
    const fs::path expectedErr = folder / "expected-stderr.txt";
    if (fs::exists(expectedErr)) {
        std::string want = readFile(expectedErr);
        EXPECT_NE(r.err.find(want), std::string::npos) << r.err;
    }
}

INSTANTIATE_TEST_SUITE_P(Programs, ProgramOutput, ::testing::ValuesIn(programNames()),
                         [](const ::testing::TestParamInfo<std::string>& param) {
                             return param.param;
                         });
