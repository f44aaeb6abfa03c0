// `vrltool kontrola`: every bundled example and test program has all it needs (or, where a
// program is made to lack something, the check names exactly that), and what the check finds
// in forms and how it tells tools.
#include "integration/process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

using namespace vorlan::testing;
namespace fs = std::filesystem;

namespace {

bool isModule(const fs::path& file) {
    std::string ext = file.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), ::toupper);
    return ext == ".ZLM" || ext == ".PMB" || ext == ".TRX";
}

// Folders holding a program: its modules (the main one named MAIN, or the only one), forms
// and the files it opens.
std::vector<std::string> programFolders() {
    std::vector<std::string> out;
    for (const char* root : {PROGRAMS_DIR, STDLIB_PROGRAMS_DIR, EXAMPLES_DIR})
        for (const auto& entry : fs::directory_iterator(root)) {
            if (!entry.is_directory()) continue;
            bool hasModule = false;
            for (const auto& file : fs::directory_iterator(entry.path()))
                hasModule = hasModule || isModule(file.path());
            if (hasModule) out.push_back(entry.path().string());
        }
    std::sort(out.begin(), out.end());
    return out;
}

// Packs a copy of `folder` into an archive beside the copied files, as a program is installed.
fs::path packCopy(const fs::path& folder, const TempDir& dir) {
    const fs::path work = dir / "work";
    fs::copy(folder, work, fs::copy_options::recursive);
    std::vector<std::string> modules;
    for (const auto& entry : fs::directory_iterator(work))
        if (isModule(entry.path())) modules.push_back(entry.path().string());
    std::sort(modules.begin(), modules.end(), [](const std::string& a, const std::string& b) {
        const bool am = fs::path(a).stem() == "MAIN", bm = fs::path(b).stem() == "MAIN";
        return am != bm ? am : a < b;
    });
    const fs::path archive = work / "PROGRAM.VRL";
    std::vector<std::string> args{"pack", archive.string()};
    args.insert(args.end(), modules.begin(), modules.end());
    runVrltool(args);
    return archive;
}

ProcessResult check(const fs::path& archive, bool json = false) {
    std::vector<std::string> argv{VRLTOOL_PATH, "kontrola", archive.string()};
    if (json) argv.push_back("--json");
    return runProcess(argv);
}

class ProgramCheck : public ::testing::TestWithParam<std::string> {};

} // namespace

TEST_P(ProgramCheck, FindsExactlyWhatTheProgramLacks) {
    const fs::path folder = GetParam();
    TempDir dir;
    const ProcessResult r = check(packCopy(folder, dir));
    const fs::path expected = folder / "expected-kontrola.txt";
    if (fs::exists(expected)) {
        EXPECT_EQ(r.exitCode, 1) << r.err;
        EXPECT_EQ(r.out, readFile(expected)) << r.err;
    } else {
        EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
        EXPECT_NE(r.out.find("Programu nic nechybí."), std::string::npos) << r.out << r.err;
    }
}

INSTANTIATE_TEST_SUITE_P(Bundled, ProgramCheck, ::testing::ValuesIn(programFolders()),
                         [](const ::testing::TestParamInfo<std::string>& param) {
                             const fs::path p = param.param;
                             std::string name =
                                 p.parent_path().filename().string() + "_" + p.filename().string();
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

TEST(ProgramCheckForms, UnknownClassesCountIgnoredPropertiesAreListedAndToolsGetJson) {
    TempDir dir;
    dir.write("MAIN.ZLM", "procedure main;\nbegin\n  Writeln(Caption);\nend;\n\nbegin\nend.\n");
    dir.write("MAIN.zfm", "object Form1: TForm1\n"
                          "  Caption = 'Pokus'\n"
                          "  object Button1: TButton\n"
                          "    Left = 8\n"
                          "    Flatness = 3\n"
                          "  end\n"
                          "  object Wizard1: TPaletteWizard\n"
                          "  end\n"
                          "end\n");
    const fs::path archive = dir / "MAIN.VRL";
    runVrltool({"pack", archive.string(), (dir / "MAIN.ZLM").string()});
    const ProcessResult text = check(archive);
    EXPECT_EQ(text.exitCode, 1) << text.err;
    EXPECT_EQ(text.out,
              "MAIN.ZLM: formulář obsahuje komponentu neznámé třídy TPaletteWizard (Wizard1)\n"
              "MAIN.ZLM: uložená vlastnost 'Button1.Flatness' se nepoužije\n"
              "Programu chybí 1 položka.\n");

    const ProcessResult json = check(archive, true);
    EXPECT_EQ(json.exitCode, 1) << json.err;
    EXPECT_EQ(json.out.rfind("{\"missing\": 1, \"findings\": [", 0), 0u) << json.out;
    EXPECT_NE(json.out.find("{\"kind\": \"property\", \"missing\": false, \"module\": "
                            "\"MAIN.ZLM\", \"line\": 0, \"column\": 0, \"name\": "
                            "\"Button1.Flatness\""),
              std::string::npos)
        << json.out;

    const ProcessResult none = runProcess({VRLTOOL_PATH, "kontrola", (dir / "NONE.VRL").string()});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_NE(none.err.find("Nelze otevřít"), std::string::npos) << none.err;
}

// The Basic dialect: a name read under Option Explicit and never declared is missing; members are
// judged on a With block's object too, not on the module's own classes, and not on a variable
// that holds objects of two classes in turn.
TEST(ProgramCheckBasic, WithBlocksOwnClassesAndVariablesOfTwoClasses) {
    TempDir dir;
    dir.write("MAIN.PMB", "Option Explicit\n"
                          "Class Citac\n"
                          "    Public Pocet\n"
                          "    Sub Pridej\n"
                          "        Pocet = Pocet + 1\n"
                          "    End Sub\n"
                          "End Class\n"
                          "\n"
                          "Sub main\n"
                          "    Dim c, x, s\n"
                          "    Set c = New Citac\n"
                          "    c.Pridej\n"
                          "    Set x = TStringList.Create\n"
                          "    Set x = TBitmap.Create\n"
                          "    x.Width = 4\n"
                          "    Set s = TStringList.Create\n"
                          "    With s\n"
                          "        .Add \"a\"\n"
                          "        .Ad \"b\"\n"
                          "    End With\n"
                          "    If False Then Writeln Nedeklarovano\n"
                          "    Writeln c.Pocet & s.Count\n"
                          "End Sub\n");
    const fs::path archive = dir / "MAIN.VRL";
    runVrltool({"pack", archive.string(), (dir / "MAIN.PMB").string()});
    const ProcessResult r = check(archive, true);
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_EQ(r.out,
              "{\"missing\": 2, \"findings\": [\n"
              "  {\"kind\": \"name\", \"missing\": true, \"module\": \"MAIN.PMB\", \"line\": "
              "21, \"column\": 27, \"name\": \"Nedeklarovano\", \"message\": \"běhový systém "
              "nezná název 'Nedeklarovano'\"},\n"
              "  {\"kind\": \"member\", \"missing\": true, \"module\": \"MAIN.PMB\", "
              "\"line\": 19, \"column\": 10, \"name\": \"Ad\", \"message\": \"třída "
              "TStringList nemá vlastnost ani metodu 'Ad'\"}\n"
              "]}\n");
}
