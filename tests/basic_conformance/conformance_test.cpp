// Every NAME.vbs here runs through the Basic runner; what it prints with Writeln, and any error
// it reports, must equal NAME.txt. The programs quote the language reference's documented
// results beside each case, so a difference is a departure from the language, not just from
// the last run. Sources and expected files are UTF-8.
#include "core/cp1250.h"
#include "core/headless_ui.h"
#include "script/basic/basic_runner.h"
#include "script/builtins.h"
#include "script/registry.h"
#include "script/scripter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace vorlan;
using namespace vorlan::script;
namespace fs = std::filesystem;

namespace {

std::vector<std::string>& printed() {
    static std::vector<std::string> lines;
    return lines;
}

void setUp() {
    static const bool done = [] {
        static std::ostringstream dialogLog;
        setUi(std::make_unique<HeadlessUi>(&dialogLog));
        Registry& reg = registry();
        registerEngineBuiltins(reg);
        registerScriptRunners(reg);
        basic::registerVbScriptRunner(reg);
        reg.registerProc("Writeln", "procedure(Text: Variant)",
                         [](NativeObject*, std::span<Value> a, Value&) {
                             printed().push_back(cp1250ToUtf8(a[0].toString()));
                         });
        return true;
    }();
    (void)done;
}

std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> programNames() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(CONFORMANCE_DIR))
        if (entry.path().extension() == ".vbs") names.push_back(entry.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

class BasicConformance : public ::testing::TestWithParam<std::string> {};

TEST_P(BasicConformance, PrintsTheDocumentedResults) {
    setUp();
    printed().clear();
    const fs::path folder(CONFORMANCE_DIR);
    Scripter scripter;
    scripter.language = "VBScript";
    scripter.script = splitLines(utf8ToCp1250(readText(folder / (GetParam() + ".vbs"))));
    scripter.onError = [](Scripter&, const ExceptionInfo& info, int position, int line,
                          bool& resume) {
        printed().push_back("error: " + cp1250ToUtf8(info.description) + " (line " +
                            std::to_string(line) + ")");
        resume = true;
    };
    scripter.run();
    const std::vector<std::string> expected = splitLines(readText(folder / (GetParam() + ".txt")));
    EXPECT_EQ(printed(), expected);
    for (std::size_t i = 0; i < std::min(printed().size(), expected.size()); ++i)
        if (printed()[i] != expected[i]) {
            ADD_FAILURE() << "first difference at output line " << i + 1 << ": got \""
                          << printed()[i] << "\", expected \"" << expected[i] << "\"";
            break;
        }
}

INSTANTIATE_TEST_SUITE_P(Programs, BasicConformance, ::testing::ValuesIn(programNames()),
                         [](const ::testing::TestParamInfo<std::string>& param) {
                             return param.param;
                         });

} // namespace
