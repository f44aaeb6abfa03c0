// Reports a program prints over its tables: the detail report a program attaches runs inside
// the main report, and the preview stands in for the print job where nobody can look at it.
#include "dbf/table.h"
#include "integration/process.h"
#include "needs_tool.h"

#include <gtest/gtest.h>

using namespace vorlan::testing;
namespace fs = std::filesystem;

namespace {

// Master record, the place of the detail, and the detail's lines naming their fields.
const char* const kTemplate = "I,1,4,0,0\r\n"
                              "I,2,0,826,1169,50,50,70,70,1,0,0\r\n"
                              "I,3,2,1,120,0\r\n"
                              "T,2,NAME,0,0,300,20,Arial,10,0,0,0,0,238,\"\",0\r\n"
                              "T,15,0,0,30,700,20\r\n"
                              "T,1,0,0,60,300,20,Arial,10,0,0,0,0,238,\"Konec faktury\",0\r\n"
                              "D0,I,1,4,0,0\r\n"
                              "D0,I,3,2,1,20,0\r\n"
                              "D0,T,2,PRICE,400,0,100,18,Arial,10,0,0,0,0,238,\"\",0\r\n"
                              "D0,T,2,ITEM,20,0,300,18,Arial,10,0,0,0,0,238,\"\",0\r\n";

std::size_t pdfsIn(const fs::path& folder) {
    std::size_t pdfs = 0;
    for (const auto& entry : fs::directory_iterator(folder))
        pdfs += entry.path().extension() == ".pdf";
    return pdfs;
}

} // namespace

TEST(TableReport, AttachedDetailPrintsItsLinesAndThePreviewPrintsNothing) {
    TempDir dir;
    dir.write("FAKT.PTS", kTemplate);
    {
        auto m = vorlan::dbf::Table::create(dir / "MASTER.DBF", {{"NAME", 'C', 10}});
        m->append();
        m->setString(0, "Adam");
        auto d = vorlan::dbf::Table::create(dir / "DETAIL.DBF",
                                            {{"ITEM", 'C', 10}, {"PRICE", 'N', 8, 2}});
        d->append();
        d->setString(0, "\x8Aroub"); // Šroub in Windows-1250
        d->setNumber(1, 12.5);
        d->append();
        d->setString(0, "Matice");
        d->setNumber(1, 7.25);
    }
    const std::string source = "program T;\nvar M, D: Variant;\nprocedure main;\nbegin\n"
                               "  M := TDataTable.Create(nil);\n"
                               "  D := TDataTable.Create(nil);\n"
                               "  Writeln(M.Use('MASTER'));\n"
                               "  Writeln(D.Use('DETAIL'));\n"
                               "  M.ReportDetail(D);\n"
                               "  M.Report('FAKT', 0, 0, True, M);\n"
                               "  M.Report('FAKT', 0, 0, False, M);\n"
                               "end;\n\nbegin\nend.\n";
    const auto src = dir.write("MAIN.ZLM", source);
    runVrltool({"pack", (dir / "T.VRL").string(), src.string()});
    fs::create_directories(dir / "out");
    const ProcessResult r =
        runVorlan({"--print-to", (dir / "out").string(), (dir / "T.VRL").string()}, dir.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "True\nTrue\n") << r.err;
    EXPECT_EQ(r.err.find("nelze vytisknout"), std::string::npos) << r.err;
    // Only the printed run became a job; the headless preview shows nothing and prints nothing.
    ASSERT_EQ(pdfsIn(dir / "out"), 1u) << r.err;
    fs::path pdf;
    for (const auto& entry : fs::directory_iterator(dir / "out"))
        pdf = entry.path();
    if (!fs::exists("/usr/bin/pdftotext")) VORLAN_SKIP_WITHOUT("pdftotext is not installed");
    const ProcessResult text = runProcess({"/usr/bin/pdftotext", "-layout", pdf.string(), "-"});
    ASSERT_EQ(text.exitCode, 0) << text.err;
    // Each detail line shows its own fields, named in the template, between the master's parts.
    const auto adam = text.out.find("Adam");
    const auto screw = text.out.find("Šroub");
    const auto nut = text.out.find("Matice");
    const auto end = text.out.find("Konec faktury");
    ASSERT_NE(adam, std::string::npos) << text.out;
    ASSERT_NE(screw, std::string::npos) << text.out;
    ASSERT_NE(nut, std::string::npos) << text.out;
    ASSERT_NE(end, std::string::npos) << text.out;
    EXPECT_LT(adam, screw);
    EXPECT_LT(screw, nut);
    EXPECT_LT(nut, end);
    EXPECT_NE(text.out.find("12.50"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("7.25"), std::string::npos) << text.out;
}
