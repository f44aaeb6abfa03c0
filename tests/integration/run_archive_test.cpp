// The run cycle seen from outside: archives made by vrltool, run by `vorlan --headless`.
#include "integration/process.h"

#include <gtest/gtest.h>

using namespace vorlan::testing;

namespace {

const char* kHello =
    "procedure main;\r\nbegin\r\n  Writeln('ahoj');\r\nend;\r\n\r\nbegin\r\nend.\r\n";

} // namespace

TEST(RunArchive, WrongMagicShowsTheFormatErrorAndRunsNothing) {
    TempDir dir;
    const auto source = dir.write("MAIN.ZLM", kHello);
    const auto archive = dir / "BAD.VRL";
    runVrltool({"pack", archive.string(), source.string()});
    std::string bytes = readFile(archive);
    bytes[7] = 'X'; // "FENWAR XORLAN"
    dir.write("BAD.VRL", bytes);
    const ProcessResult r = runVorlan({archive.string()});
    EXPECT_TRUE(contains(r.err, "[message] Upozornění: Error format file ")) << r.err;
    EXPECT_TRUE(contains(r.err, "BAD.VRL")) << r.err;
    EXPECT_EQ(r.out, "");
}

TEST(RunArchive, OlderVersionWarnsThenRuns) {
    TempDir dir;
    const auto source = dir.write("MAIN.ZLM", kHello);
    const auto archive = dir / "OLD.VRL";
    runVrltool({"pack", archive.string(), "--version", "2.03 - 01/01/1999", source.string()});
    const ProcessResult r = runVorlan({archive.string()});
    EXPECT_TRUE(contains(r.err, "Pozor, nesouhlasí verze RunTime:")) << r.err;
    EXPECT_TRUE(contains(r.err, "2.03 - 01/01/1999")) << r.err;
    EXPECT_EQ(r.out, "ahoj\n") << r.err;
}

TEST(RunArchive, FirstRunnableItemIsTheMainModule) {
    TempDir dir;
    const auto data = dir.write("DATA.DBF", "not a module");
    const auto source = dir.write("MAIN.ZLM", kHello);
    const auto archive = dir / "TWO.VRL";
    runVrltool({"pack", archive.string(), data.string(), source.string()});
    const ProcessResult r = runVorlan({archive.string()});
    EXPECT_EQ(r.out, "ahoj\n") << r.err;
}

TEST(RunArchive, ProjectWithoutARunnableModuleCannotStart) {
    TempDir dir;
    const auto notes = dir.write("NOTES.TXT", "just text");
    const auto archive = dir / "NONE.VRL";
    runVrltool({"pack", archive.string(), notes.string()});
    const ProcessResult r = runVorlan({archive.string()});
    EXPECT_TRUE(contains(r.err, "Nelze spustit")) << r.err;
    EXPECT_EQ(r.out, "");
}

TEST(RunArchive, ModuleMissingFromTheDirectoryIsQuietlyNotLoaded) {
    TempDir dir;
    const auto project = dir.write("P.ZPR", "object Project: TIDEProject\n"
                                            "  ProjectItems = <\n"
                                            "    item\n"
                                            "      FileName = 'GHOST.ZLM'\n"
                                            "    end>\n"
                                            "end\n");
    const auto archive = dir / "GHOST.VRL";
    runVrltool({"pack", archive.string(), "--project", project.string()});
    const ProcessResult r = runVorlan({archive.string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_FALSE(contains(r.err, "[message]")) << r.err;
    EXPECT_EQ(r.out, "");
}

TEST(RunArchive, AMissingArchiveEndsWithTheStatusOfARunThatNeverRan) {
    TempDir dir;
    const ProcessResult r = runVorlan({(dir / "NOPE.VRL").string()});
    EXPECT_EQ(r.exitCode, 251) << r.err;
    EXPECT_EQ(r.out, "");
}
