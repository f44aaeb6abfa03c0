// What a batch job sees: a run that never ran the program fails with a Czech reason on standard
// error, a program's Halt code never looks like one of the runtime's own codes, and
// --stop-on-error ends the run at its first script error.
#include "integration/process.h"

#include <gtest/gtest.h>

using namespace vorlan::testing;
namespace fs = std::filesystem;

namespace {

// A Pascal program (and its form, when given) packed into DIR/NAME.VRL.
fs::path packMain(const TempDir& dir, const std::string& name, const std::string& source,
                  const std::string& form = {}) {
    return packModule(dir, name, "MAIN.ZLM", source, ".zfm", form);
}

std::string haltProgram(const std::string& code) {
    return "procedure main;\nbegin\n  Writeln('pred');\n  Halt(" + code +
           ");\n  Writeln('po');\nend;\n\nbegin\nend.\n";
}

} // namespace

TEST(ExitStatus, AProgramThatNeverRanFailsWithItsReason) {
    TempDir dir;
    fs::create_directories(dir / "SLOZKA.VRL");
    const fs::path good = packMain(dir, "GOOD", haltProgram("0"));
    const std::string goodBytes = readFile(good);
    const struct {
        const char* file;
        std::string bytes;
        const char* reason;
    } cases[] = {
        {"NENI.VRL", {}, "soubor programu neexistuje"},
        {"SLOZKA.VRL", {}, "je to složka"},
        {"PRAZDNY.VRL", "", "soubor programu je prázdný"},
        {"KRATKY.VRL", goodBytes.substr(0, 16), "příliš krátký (16 B)"},
        {"ZIP.VRL", std::string("PK\x03\x04\x14\0\0\0", 8) + std::string(200, 'z'),
         "není archiv programu"},
        {"TEXT.VRL", "Toto je obyčejný text.\nDruhý řádek.\n", "není archiv programu"},
        {"TABULKA.VRL", std::string("\x03\x7A\x01\x01", 4) + std::string(120, ' '),
         "není archiv programu"},
        // The directory claims more than the file holds: damaged past the fixed header.
        {"POSKOZENY.VRL", goodBytes.substr(0, 140), "poškozen"},
    };
    for (const auto& c : cases) {
        if (c.file != std::string("NENI.VRL") && c.file != std::string("SLOZKA.VRL"))
            dir.write(c.file, c.bytes);
        const ProcessResult r = runVorlan({(dir / c.file).string()}, dir.path());
        EXPECT_EQ(r.exitCode, kNotRun) << c.file << "\n" << r.err;
        EXPECT_TRUE(contains(r.err, c.reason)) << c.file << "\n" << r.err;
        EXPECT_TRUE(r.out.empty()) << c.file;
        if (fs::is_regular_file(dir / c.file)) {
            EXPECT_EQ(readFile(dir / c.file), c.bytes) << c.file;
        }
    }
    // The quoted box of a foreign file keeps its exact text.
    const ProcessResult foreign = runVorlan({(dir / "TEXT.VRL").string()}, dir.path());
    EXPECT_TRUE(contains(foreign.err, "Error format file ")) << foreign.err;

    // A project without a module that can run.
    const fs::path notes = dir.write("NOTES.TXT", "jen text");
    runVrltool({"pack", (dir / "NONE.VRL").string(), notes.string()});
    const ProcessResult none = runVorlan({(dir / "NONE.VRL").string()}, dir.path());
    EXPECT_EQ(none.exitCode, kNotRun) << none.err;
    EXPECT_TRUE(contains(none.err, "Nelze spustit")) << none.err;
}

TEST(ExitStatus, HaltCodesNeverWrapNorLookLikeTheRuntimes) {
    TempDir dir;
    const struct {
        const char* code;
        int status;
    } cases[] = {{"0", 0},     {"1", 1},     {"3", 3},    {"249", 249},   {"250", 249},
                 {"255", 249}, {"256", 249}, {"-1", 249}, {"100000", 249}};
    for (const auto& c : cases) {
        const fs::path archive = packMain(dir, std::string("H") + c.code, haltProgram(c.code));
        const ProcessResult r = runVorlan({archive.string()}, dir.path());
        EXPECT_EQ(r.exitCode, c.status) << "Halt(" << c.code << ")\n" << r.err;
        EXPECT_EQ(r.out, "pred\n") << c.code;
    }
    // The runtime's own codes are above every Halt code.
    EXPECT_EQ(runVorlan({"--no-such-option"}).exitCode, 250);
}

TEST(ExitStatus, StopOnErrorEndsTheRunAtTheFirstScriptError) {
    TempDir dir;
    // Without the option the error box's default answer lets the program go on, so OnShow
    // still runs after the failed OnCreate.
    const fs::path archive = packMain(dir, "CHYBA",
                                      "procedure FormCreate(Sender: Variant);\nvar a: Integer;\n"
                                      "begin\n  a := 0;\n  a := 1 div a;\nend;\n\n"
                                      "procedure FormShow(Sender: Variant);\nbegin\n"
                                      "  Writeln('show');\nend;\n\nbegin\nend.\n",
                                      "object Form1: TForm1\n  OnCreate = FormCreate\n"
                                      "  OnShow = FormShow\nend\n");
    const ProcessResult goesOn = runVorlan({archive.string()}, dir.path());
    EXPECT_EQ(goesOn.exitCode, kScriptError) << goesOn.err;
    EXPECT_EQ(goesOn.out, "show\n") << goesOn.err;

    const ProcessResult stops = runVorlan({"--stop-on-error", archive.string()}, dir.path());
    EXPECT_EQ(stops.exitCode, kScriptError) << stops.err;
    EXPECT_EQ(stops.out, "") << stops.err;
    EXPECT_TRUE(contains(stops.err, "[message] VORLAN: ")) << stops.err;

    // The option belongs to a program run.
    EXPECT_EQ(runVorlan({"--stop-on-error"}).exitCode, 250);
}
