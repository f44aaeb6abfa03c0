// Runs the built vrltool as a developer would and checks the files it leaves.

#include "script/archive/archive_test_util.h"

#include "core/cp1250.h"
#include "script/archive/archive_writer.h"
#include "script/archive/program_archive.h"
#include "script/stream/component_stream.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;
using namespace vorlan::archive;
using vorlan::archive::test::ScratchFolder;

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct ToolResult {
    int code = -1;
    std::string out, err;
};

class VrlTool : public ::testing::Test {
protected:
    fs::path at(const std::string& name) const { return dir_.path() / name; }
    fs::path put(const std::string& name, const std::string& bytes) const {
        fs::create_directories(at(name).parent_path());
        return dir_.write(name, bytes);
    }

    ToolResult run(const std::vector<std::string>& args) const {
        std::string command = "'" VRLTOOL_PATH "'";
        for (const auto& a : args)
            command += " '" + a + "'";
        command += " >'" + at("stdout.txt").string() + "' 2>'" + at("stderr.txt").string() + "'";
        const int status = std::system(command.c_str());
        ToolResult r;
        r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.out = slurp(at("stdout.txt"));
        r.err = slurp(at("stderr.txt"));
        return r;
    }

    // A project folder: modules of every kind, forms binary and text, a data file.
    void writeSources() {
        put("src/MAIN.ZLM",
            vorlan::utf8ToCp1250("procedure Main\r\n  Zpráva('Dobrý den')\r\n\r\nend"));
        put("src/main.zfm", "object Form1: TForm\n  Left = 10\n  Caption = 'Ahoj světe'\n"
                            "  object Button1: TButton\n    Caption = 'OK'\n  end\nend\n");
        put("src/Dialog.pmb", "a = 1\nb = 2\n");
        // Left stored as a four-byte integer: valid, but text form would store it in one byte.
        put("src/DIALOG.PFM", std::string("TPF0\x07TDialog\x01"
                                          "D\x04Left\x04\x05\0\0\0\0\0",
                                          26));
        put("src/lib.bas", "x\r\n");
        put("src/DATA.DBF", "not a module");
    }

    ScratchFolder dir_;
};

TEST_F(VrlTool, PackUnpackPackGivesTheSameBytes) {
    writeSources();
    ToolResult r = run({"pack", at("a.vrl").string(), at("src/MAIN.ZLM").string(),
                        at("src/Dialog.pmb").string(), at("src/DATA.DBF").string(),
                        at("src/lib.bas").string()});
    ASSERT_EQ(r.code, 0) << r.err;

    // What the runtime reads from it.
    ASSERT_TRUE(readProgramArchive(at("a.vrl").string()));
    EXPECT_EQ(readArchiveModuleSource("MAIN.ZLM"),
              (std::vector<std::string>{"procedure Main",
                                        vorlan::utf8ToCp1250("  Zpráva('Dobrý den')"), "", "end"}));
    EXPECT_EQ(readArchiveModuleSource("DIALOG.PMB"), (std::vector<std::string>{"a = 1", "b = 2"}));
    EXPECT_EQ(readArchiveModuleForm("DIALOG.PMB"), slurp(at("src/DIALOG.PFM")));
    EXPECT_EQ(readArchiveModuleForm("LIB.BAS"), "");
    const auto form = vorlan::stream::readComponentStream(*readArchiveModuleForm("MAIN.ZLM"));
    EXPECT_EQ(form.children.at(0).name, "Button1");
    EXPECT_EQ(archiveLookup("DATA.DBF"), "");
    const auto items = projectItemsFromStream(
        vorlan::stream::readComponentStream(readArchiveProjectBlock(at("a.vrl").string())));
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[1].fileName, "Dialog.pmb");
    EXPECT_EQ(items[2].fileName, "DATA.DBF");
    closeProgramArchive();

    r = run({"unpack", at("a.vrl").string(), at("one").string()});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(slurp(at("one/MAIN.ZLM")),
              vorlan::utf8ToCp1250("procedure Main\r\n  Zpráva('Dobrý den')\r\n\r\nend\r\n"));
    EXPECT_EQ(slurp(at("one/DIALOG.PMB")), "a = 1\r\nb = 2\r\n");
    EXPECT_NE(slurp(at("one/MAIN.zfm")).find("Caption = 'Ahoj světe'"), std::string::npos);
    EXPECT_EQ(slurp(at("one/DIALOG.pfm")), slurp(at("src/DIALOG.PFM")));
    EXPECT_NE(r.err.find("DIALOG.pfm zůstává binární"), std::string::npos) << r.err;
    EXPECT_NE(slurp(at("one/project.zpr")).find("FileName = 'DATA.DBF'"), std::string::npos);

    r = run({"pack", at("b.vrl").string(), "--from", at("one").string()});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(slurp(at("b.vrl")), slurp(at("a.vrl")));

    ASSERT_EQ(run({"unpack", at("b.vrl").string(), at("two").string()}).code, 0);
    for (const auto& entry : fs::directory_iterator(at("one")))
        EXPECT_EQ(slurp(entry.path()), slurp(at("two") / entry.path().filename())) << entry.path();
}

TEST_F(VrlTool, ForeignArchivesKeepBlock1VersionAndPad) {
    ArchiveContents c;
    c.versionText = "1.99\x01odd";
    c.padLength = 0;
    c.block1 = "IDE data";
    c.projectStream = "";
    c.modules.push_back({"X.VBE", {"line"}, std::string("TPF0\x01T\x01N\0\0", 10)});
    c.modules.push_back({"Y.ZLM", {}, "no component stream"});
    writeProgramArchiveFile(c, at("f.vrl"));
    ASSERT_EQ(run({"unpack", at("f.vrl").string(), at("u").string()}).code, 0);
    EXPECT_EQ(slurp(at("u/X.VBE.form")), "object N: T\nend\n");
    EXPECT_EQ(slurp(at("u/Y.zfm")), "no component stream");
    EXPECT_NE(slurp(at("u/vrltool.ini")).find("versionhex="), std::string::npos);
    EXPECT_FALSE(fs::exists(at("u/project.zpr")));
    ToolResult r = run({"pack", at("g.vrl").string(), "--from", at("u").string()});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(slurp(at("g.vrl")), slurp(at("f.vrl")));
}

TEST_F(VrlTool, PackOptionsAndSourceEncodings) {
    put("p/APP.ZLM", "x := 'žluťoučký kůň'\n"); // UTF-8, converted
    put("p/OTHER.TRX", "\xE8\x61\n");           // Windows-1250 already (č a)
    put("p/app.zpr", "object Project: TIDEProject\n  ProjectItems = <\n    item\n      FileName = "
                     "'C:\\APP\\APP.ZLM'\n"
                     "      FilerID = 'F7'\n      ObjectOpened = True\n    end>\nend\n");
    ToolResult r =
        run({"pack", at("p.vrl").string(), "--version", "3.00 test", "--pad", "12", "--project",
             at("p/app.zpr").string(), at("p/APP.ZLM").string(), at("p/OTHER.TRX").string()});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.err.find("APP.ZLM je v UTF-8; převeden do Windows-1250"), std::string::npos)
        << r.err;
    EXPECT_EQ(r.err.find("OTHER.TRX"), std::string::npos) << r.err;

    auto file = ArchiveFile::open(at("p.vrl"));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->versionText(), "3.00 test        ");
    const auto entries = file->directory();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(file->source(entries[0]).lines,
              std::vector<std::string>{vorlan::utf8ToCp1250("x := 'žluťoučký kůň'")});
    EXPECT_EQ(file->source(entries[1]).lines, std::vector<std::string>{"\xE8"
                                                                       "a"});
    EXPECT_EQ(file->source(entries[1]).padLength, 12);
    const auto items =
        projectItemsFromStream(vorlan::stream::readComponentStream(file->projectBlock()));
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0], (ProjectItem{"C:\\APP\\APP.ZLM", "F7", "", "", true}));

    r = run({"list", at("p.vrl").string()});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("Verze: 3.00 test"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("C:\\APP\\APP.ZLM  FilerID=F7"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("OTHER.TRX"), std::string::npos) << r.out;
}

TEST_F(VrlTool, FormsConvertBothWays) {
    const std::string text = "object F: TForm\n  Caption = 'Příliš'\nend\n";
    put("f.txt", text);
    ASSERT_EQ(run({"text2form", at("f.txt").string(), at("f.bin").string()}).code, 0);
    EXPECT_TRUE(slurp(at("f.bin")).starts_with("TPF0"));
    ASSERT_EQ(run({"form2text", at("f.bin").string(), at("f2.txt").string()}).code, 0);
    EXPECT_EQ(slurp(at("f2.txt")), text);
}

TEST_F(VrlTool, BadInputEndsWithAMessageAndExitCode1) {
    writeSources();
    ArchiveContents c;
    c.projectStream = "";
    c.modules.push_back({"../ESCAPE.ZLM", {"x"}, {}});
    writeProgramArchiveFile(c, at("evil.vrl"));
    c.modules[0].name = "OK.ZLM";
    std::string damaged = writeProgramArchive(c);
    damaged.resize(damaged.size() - 3);
    put("cut.vrl", damaged);
    put("long.zlm", std::string(256, 'x'));
    put("garbage.bin", "TPF0\xFF\xFF");

    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "Použití: vrltool"},
        {{"frobnicate"}, "Neznámý příkaz 'frobnicate'"},
        {{"pack"}, "pack potřebuje archiv"},
        {{"pack", at("x.vrl").string()}, "pack potřebuje soubory"},
        {{"pack", at("x.vrl").string(), at("missing.zlm").string()}, "Soubor neexistuje"},
        {{"pack", at("x.vrl").string(), "--pad", "300", at("src/lib.bas").string()},
         "--pad potřebuje číslo"},
        {{"pack", at("x.vrl").string(), "--colour", at("src/lib.bas").string()},
         "Neznámá volba --colour"},
        {{"pack", at("x.vrl").string(), at("long.zlm").string()}, "Modul LONG.ZLM, řádek 1: 256 B"},
        {{"pack", at("x.vrl").string(), at("src/lib.bas").string(), at("src/lib.bas").string()},
         "Modul LIB.BAS je zadán dvakrát"},
        {{"pack", at("x.vrl").string(), "--from", at("nowhere").string()}, "Nelze otevřít"},
        {{"unpack", at("src/DATA.DBF").string(), at("o").string()}, "není archiv programu"},
        {{"unpack", at("cut.vrl").string(), at("o").string()},
         "je poškozen: zdrojový text modulu OK.ZLM"},
        {{"unpack", at("evil.vrl").string(), at("o").string()}, "není prostý název souboru"},
        {{"list", at("cut.vrl").string()}, "je poškozen"},
        {{"list", at("nowhere.vrl").string()}, "Nelze otevřít"},
        {{"form2text", at("garbage.bin").string(), at("g.txt").string()}, "garbage.bin: "},
        {{"text2form", at("src/DATA.DBF").string(), at("g.bin").string()}, "DATA.DBF: "},
    };
    for (const auto& [args, message] : cases) {
        const ToolResult r = run(args);
        SCOPED_TRACE(args.empty() ? "(none)"
                                  : args[0] + " " + (args.size() > 1 ? args.back() : ""));
        EXPECT_EQ(r.code, 1) << r.err;
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    }
    EXPECT_FALSE(fs::exists(at("ESCAPE.ZLM")));
    EXPECT_FALSE(fs::exists(at("x.vrl")));
}

} // namespace
