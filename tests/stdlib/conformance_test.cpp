// The standard units as whole programs see them: every folder under programs/ holds a main
// module (MAIN.ZLM, MAIN.PMB or MAIN.TRX) and expected.txt, the console text it prints when it
// runs headless. A vorlan.ini in the folder is the settings file of the run (its [Locale]
// group); each line of expected-stderr.txt, when there, must appear in what the run logs (the
// error boxes), else the run must end with status 0; expected-exit-code.txt, when there, holds the
// status the run must end with. Programs with a file fpc.crosscheck also
// compile with a standard Pascal compiler, which must print the same (fpc_crosscheck.sh).
#include "integration/process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

using namespace vorlan::testing;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> programNames() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(STDLIB_PROGRAMS_DIR))
        if (entry.is_directory() && fs::exists(entry.path() / "expected.txt"))
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

fs::path mainModule(const fs::path& folder) {
    for (const char* name : {"MAIN.ZLM", "MAIN.PMB", "MAIN.TRX"})
        if (fs::exists(folder / name)) return folder / name;
    return {};
}

// The run's settings folder: empty, or holding the program's vorlan.ini. The user's own
// settings never reach the tests.
class SettingsHome {
public:
    SettingsHome(const TempDir& dir, const fs::path& programFolder) {
        const fs::path home = dir / "config";
        fs::create_directories(home / "vorlan");
        if (fs::exists(programFolder / "vorlan.ini"))
            fs::copy_file(programFolder / "vorlan.ini", home / "vorlan" / "vorlan.ini");
        if (const char* old = std::getenv("XDG_CONFIG_HOME")) saved_ = old;
        hadOld_ = std::getenv("XDG_CONFIG_HOME") != nullptr;
        ::setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    }
    ~SettingsHome() {
        if (hadOld_)
            ::setenv("XDG_CONFIG_HOME", saved_.c_str(), 1);
        else
            ::unsetenv("XDG_CONFIG_HOME");
    }

private:
    std::string saved_;
    bool hadOld_ = false;
};

class StdlibProgram : public ::testing::TestWithParam<std::string> {};

} // namespace

TEST_P(StdlibProgram, PrintsTheExpectedText) {
    const fs::path folder = fs::path(STDLIB_PROGRAMS_DIR) / GetParam();
    const fs::path main = mainModule(folder);
    ASSERT_FALSE(main.empty()) << "no main module in " << folder;
    TempDir dir;
    // The program runs in a copy of its folder, which the runtime makes the current one (the
    // archive's folder): some programs make and remove files.
    const fs::path work = dir / "work";
    fs::copy(folder, work, fs::copy_options::recursive);
    const auto archive = work / (GetParam() + ".VRL");
    runVrltool({"pack", archive.string(), main.string()});
    const SettingsHome settings(dir, folder);
    const ProcessResult r = runVorlan({archive.string()}, work);
    EXPECT_EQ(r.out, readFile(folder / "expected.txt")) << r.err;
    const bool exitCodeGiven = fs::exists(folder / "expected-exit-code.txt");
    if (exitCodeGiven) {
        EXPECT_EQ(r.exitCode, std::stoi(readFile(folder / "expected-exit-code.txt"))) << r.err;
    }
    const fs::path expectedErr = folder / "expected-stderr.txt";
    if (fs::exists(expectedErr)) {
        std::istringstream lines(readFile(expectedErr));
        for (std::string line; std::getline(lines, line);)
            EXPECT_NE(r.err.find(line), std::string::npos) << line << "\n" << r.err;
    } else if (!exitCodeGiven) {
        EXPECT_EQ(r.exitCode, 0) << r.err;
    }
}

INSTANTIATE_TEST_SUITE_P(Stdlib, StdlibProgram, ::testing::ValuesIn(programNames()),
                         [](const ::testing::TestParamInfo<std::string>& param) {
                             return param.param;
                         });
