// The Dbf functions against the outside world: tables they write read back with another DBF
// implementation, a table another process holds, damaged tables, and the read-only browse
// window started from the command line.
#include "dbf/table.h"
#include "integration/process.h"
#include "needs_tool.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace vorlan::testing;
namespace fs = std::filesystem;

namespace {

// Packs a one-module Pascal program and runs it headless in `dir`.
ProcessResult runPascal(const TempDir& dir, const std::string& body) {
    const std::string source =
        "program T;\nprocedure main;\nbegin\n" + body + "end;\n\nbegin\nend.\n";
    const auto src = dir.write("MAIN.ZLM", source);
    runVrltool({"pack", (dir / "T.VRL").string(), src.string()});
    return runVorlan({(dir / "T.VRL").string()}, dir.path());
}

const char* const kDump = R"(import dbf, sys
t = dbf.Table(sys.argv[1], codepage="cp1250")
t.open(dbf.READ_ONLY)
for rec in t:
    parts = []
    for name in t.field_names:
        v = rec[name]
        kind = t.field_info(name)[0]
        kind = chr(kind) if isinstance(kind, int) else str(kind)
        if kind == "N": parts.append("%.2f" % (v or 0))
        elif kind == "D": parts.append(v.strftime("%Y%m%d") if v else "")
        elif kind == "L": parts.append("T" if v else "F")
        else: parts.append((v or "").rstrip().replace("\r", "\\r").replace("\n", "\\n"))
    print(("*" if dbf.is_deleted(rec) else "") + "|".join(parts))
t.close()
)";

} // namespace

TEST(DbfFunctions, WritesReadBackWithAnotherImplementation) {
    if (!pythonDbfAvailable()) VORLAN_SKIP_WITHOUT("python3-dbf is not installed");
    TempDir dir;
    const ProcessResult r = runPascal(dir, R"(
  DbfCreateInfo('POPIS');
  DbfUse('POPIS');
  DbfAppendBlank; DbfWriteStr('FIELD_NAME', 'JMENO'); DbfWriteStr('FIELD_TYPE', 'C'); DbfWriteNum('FIELD_LEN', 12);
  DbfAppendBlank; DbfWriteStr('FIELD_NAME', 'CASTKA'); DbfWriteStr('FIELD_TYPE', 'N'); DbfWriteNum('FIELD_LEN', 9); DbfWriteNum('FIELD_DEC', 2);
  DbfAppendBlank; DbfWriteStr('FIELD_NAME', 'DATUM'); DbfWriteStr('FIELD_TYPE', 'D'); DbfWriteNum('FIELD_LEN', 8);
  DbfAppendBlank; DbfWriteStr('FIELD_NAME', 'PLATI'); DbfWriteStr('FIELD_TYPE', 'L'); DbfWriteNum('FIELD_LEN', 1);
  DbfAppendBlank; DbfWriteStr('FIELD_NAME', 'TEXT'); DbfWriteStr('FIELD_TYPE', 'M'); DbfWriteNum('FIELD_LEN', 10);
  Writeln(DbfCreateFrom('VYSTUP'));
  Writeln(DbfUse('VYSTUP'));
  DbfAppendBlank;
  DbfWriteStr('JMENO', 'Žluťoučký');
  DbfWriteNum('CASTKA', 1234.5);
  DbfWriteDat('DATUM', '29.02.2024');
  DbfWriteLog('PLATI', True);
  DbfWriteMem('TEXT', 'kůň' + chr(13) + chr(10) + 'úpěl');
  DbfAppendBlank;
  DbfWriteStr('JMENO', 'Druhý');
  DbfWriteNum('CASTKA', -0.25);
  DbfDelete;
  DbfAppendBlank;
  DbfWriteStr('JMENO', 'Třetí');
  DbfWriteDat('DATUM', '01.01.1901');
  DbfGo(3);
  DbfWriteNum('CASTKA', 7);
  Writeln(DbfUse(''));
)");
    ASSERT_EQ(r.out, "True\nTrue\nTrue\n") << r.err;
    dir.write("dump.py", kDump);
    const ProcessResult py =
        runProcess({"/usr/bin/python3", (dir / "dump.py").string(), (dir / "VYSTUP.DBF").string()});
    EXPECT_EQ(py.out, "Žluťoučký|1234.50|20240229|T|kůň\\r\\núpěl\n"
                      "*Druhý|-0.25||F|\n"
                      "Třetí|7.00|19010101|F|\n")
        << py.err;
}

TEST(DbfFunctions, IndexingATableAnotherProcessHoldsIsRefused) {
    TempDir dir;
    auto held = vorlan::dbf::Table::create(dir / "SDILENA.DBF", {{"KOD", 'C', 6}});
    held->append();
    held->setString(0, "A1");
    held->flush();
    const ProcessResult r = runPascal(dir, R"(
  Writeln(DbfUse('SDILENA'));
  Writeln(DbfIndexTag('KOD', 'KOD'));
  Writeln(DbfRecCount);
  Writeln(DbfTagArea('KOD'));
)");
    EXPECT_EQ(r.out, "True\n0\n1\n0\n") << r.err;
    EXPECT_NE(r.err.find("Nelze, databáze je používaná"), std::string::npos) << r.err;
}

TEST(DbfFunctions, TagNumbersStayWithTheTagsAndLocateGoesOnFromTheCurrentRecord) {
    TempDir dir;
    {
        auto t = vorlan::dbf::Table::create(dir / "SKLAD.DBF", {{"KOD", 'C', 6}, {"KS", 'N', 5}});
        for (int i = 1; i <= 5; ++i) {
            t->append();
            t->setString(0, "K" + std::to_string(6 - i));
            t->setNumber(1, i % 2 ? 10 : 1);
        }
    }
    // The second and third tags' names sort before the first's: the numbers still follow the
    // order of making, before and after the table is opened again.
    const ProcessResult r = runPascal(dir, R"(
  Writeln(DbfUse('SKLAD'));
  Writeln(DbfIndexTag('ZKOD', 'KOD'));
  Writeln(DbfIndexTag('AKS', 'KS'));
  Writeln(DbfTagName(1) + ' ' + DbfTagName(2));
  Writeln(DbfTagArea('AKS'));
  Writeln(DbfIndexTag('MOBA', 'KS + 1'));
  Writeln(DbfUse(''));
  Writeln(DbfUse('SKLAD'));
  Writeln(DbfTagName(1) + ' ' + DbfTagName(2) + ' ' + DbfTagName(3));
  Writeln(DbfTagArea('ZKOD'));
  Writeln(DbfTagArea('MOBA'));
  DbfSetOrder('');
  DbfGoTop;
  Writeln(DbfLocate('KS > 5'));
  DbfSkip(1);
  Writeln(DbfLocate('KS > 5'));
  Writeln(DbfContinue);
  Writeln(DbfContinue);
  Writeln(DbfEof);
)");
    EXPECT_EQ(r.out, "True\n1\n2\nZKOD AKS\n2\n3\nTrue\nTrue\nZKOD AKS MOBA\n1\n3\n"
                     "1\n3\n5\n0\nTrue\n")
        << r.err;
}

TEST(DbfFunctions, DamagedTablesLeaveTheAreaClosedAndUntouched) {
    TempDir dir;
    const std::string garbage = "this is not a table at all, only some text\n";
    dir.write("ROZBITA.DBF", garbage);
    // A header cut off in the middle of its field descriptors.
    {
        auto t = vorlan::dbf::Table::create(dir / "KRATKA.DBF", {{"A", 'C', 4}, {"B", 'N', 5}});
        t->append();
    }
    const std::string shortTable = readFile(dir / "KRATKA.DBF").substr(0, 40);
    dir.write("KRATKA.DBF", shortTable);
    const ProcessResult r = runPascal(dir, R"(
  Writeln(DbfUse('ROZBITA'));
  Writeln(DbfRecNo);
  Writeln(DbfUse('KRATKA'));
  DbfAppendBlank;
  Writeln(DbfRecCount);
  Writeln(DbfUse('CHYBI'));
)");
    // Neither damaged table opens; nothing is appended to either; a missing one fails alike.
    EXPECT_EQ(r.out, "False\n0\nFalse\n0\nFalse\n") << r.err;
    EXPECT_EQ(readFile(dir / "ROZBITA.DBF"), garbage);
    EXPECT_EQ(readFile(dir / "KRATKA.DBF"), shortTable);
}

TEST(DbfFunctions, BrowseOpensATableWithoutAProgram) {
    TempDir dir;
    {
        auto t = vorlan::dbf::Table::create(dir / "ADRESY.DBF", {{"JMENO", 'C', 10}});
        t->append();
    }
    const auto before = readFile(dir / "ADRESY.DBF");
    const ProcessResult ok = runVorlan({"--browse", (dir / "ADRESY.DBF").string()}, dir.path());
    EXPECT_EQ(ok.exitCode, 0) << ok.err;
    EXPECT_EQ(readFile(dir / "ADRESY.DBF"), before);
    const ProcessResult missing = runVorlan({"--browse", (dir / "NENI.DBF").string()}, dir.path());
    EXPECT_EQ(missing.exitCode, 252);
    EXPECT_NE(missing.err.find("Chyba otevření databáze"), std::string::npos) << missing.err;
}

TEST(DbfFunctions, TableReportNeedsItsTemplateAndPrintsOverTheGivenSource) {
    TempDir dir;
    dir.write("LIST.PTS", "I,1,4,0,0\r\n"
                          "I,2,0,826,1169,50,50,70,70,1,0,0\r\n"
                          "I,3,2,1,300,0\r\n"
                          "T,2,0,0,0,300,20,Arial,10,0,0,0,0,238,\"\",0\r\n");
    {
        auto t = vorlan::dbf::Table::create(dir / "NAMES.DBF", {{"NAME", 'C', 10}});
        t->append();
        t->setString(0, "Adam");
    }
    const std::string source = "program T;\nvar T: Variant;\nprocedure main;\nbegin\n"
                               "  T := TDataTable.Create(nil);\n"
                               "  Writeln(T.Use('NAMES'));\n"
                               "  T.Report('neni', 0, 0, False, T);\n"
                               "  T.ReportDetail(T);\n"
                               "  T.Report('LIST', 0, 0, False, T);\n"
                               "  T.Report('LIST', 0, 0, True, T);\n"
                               "  T.Free;\n"
                               "end;\n\nbegin\nend.\n";
    const auto src = dir.write("MAIN.ZLM", source);
    runVrltool({"pack", (dir / "T.VRL").string(), src.string()});
    fs::create_directories(dir / "out");
    const ProcessResult r =
        runVorlan({"--print-to", (dir / "out").string(), (dir / "T.VRL").string()}, dir.path());
    EXPECT_EQ(r.out, "True\n") << r.err;
    EXPECT_NE(r.err.find("Předloha sestavy "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("NENI.PTS"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("nelze vytisknout"), std::string::npos) << r.err;
    // The preview has nobody to show it to headless and prints nothing: only the print job's PDF.
    std::size_t pdfs = 0;
    for (const auto& entry : fs::directory_iterator(dir / "out"))
        pdfs += entry.path().extension() == ".pdf";
    EXPECT_EQ(pdfs, 1u);
}

TEST(DbfFunctions, ReportPrintsTheCurrentAreaWhereHeadlessPrintJobsGo) {
    TempDir dir;
    dir.write("LIST.PTS", "I,1,4,0,0\r\n"
                          "I,2,0,826,1169,50,50,70,70,1,0,0\r\n"
                          "I,3,2,1,300,0\r\n"
                          "T,2,0,0,0,300,20,Arial,10,0,0,0,0,238,\"\",0\r\n"
                          "T,4,0,300,0,300,20,Arial,10,0,0,0,0,238,\"\",0\r\n");
    {
        auto t = vorlan::dbf::Table::create(dir / "NAMES.DBF", {{"NAME", 'C', 10}});
        for (const char* name : {"Adam", "Bara", "Cyril", "Dana"}) {
            t->append();
            t->setString(0, name);
        }
    }
    const std::string source = "program T;\nprocedure main;\nbegin\n"
                               "  DbfReport('LIST', 0, 0, False);\n"
                               "  Writeln(DbfUse('NAMES'));\n"
                               "  DbfPrintCopies(2);\n"
                               "  DbfReport('LIST', 0, 0, False);\n"
                               "  DbfReport('LIST', 1, 1, True);\n"
                               "  DbfReport('CHYBI', 0, 0, True);\n"
                               "end;\n\nbegin\nend.\n";
    const auto src = dir.write("MAIN.ZLM", source);
    runVrltool({"pack", (dir / "T.VRL").string(), src.string()});
    fs::create_directories(dir / "out");
    const ProcessResult r =
        runVorlan({"--print-to", (dir / "out").string(), (dir / "T.VRL").string()}, dir.path());
    EXPECT_EQ(r.out, "True\n") << r.err;
    // No table open, then a missing template: the message twice; the real report one PDF.
    std::size_t messages = 0;
    for (auto at = r.err.find("Sestavu nelze vytisknout"); at != std::string::npos;
         at = r.err.find("Sestavu nelze vytisknout", at + 1))
        ++messages;
    EXPECT_EQ(messages, 2u) << r.err;
    // The printed report gives a PDF; the headless preview prints nothing.
    std::size_t pdfs = 0;
    for (const auto& entry : fs::directory_iterator(dir / "out"))
        pdfs += entry.path().extension() == ".pdf";
    EXPECT_EQ(pdfs, 1u);
}

TEST(DbfFunctions, ReportTextWritesTheCurrentAreaAsCharacterRows) {
    TempDir dir;
    {
        auto t = vorlan::dbf::Table::create(dir / "ZBOZI.DBF", {{"KOD", 'C', 4}});
        for (const char* code : {"B2", "A1", "C3"}) {
            t->append();
            t->setString(0, code);
        }
        t->flush();
    }
    // One row per record: the code at column 0 and the first parameter at column 12 (12
    // characters an inch), six rows an inch on A4.
    dir.write("SEZNAM.PTS", "I,1,4,0,0\r\n"
                            "I,2,0,826,1169,50,50,70,70,1,0,0\r\n"
                            "I,3,2,1,17,0\r\n"
                            "I,6,1,8,16,0,1\r\n"
                            "T,2,KOD,0,0,50,17,Courier New,10,0,0,0,0,238,\"\",0\r\n"
                            "T,4,0,100,0,100,17,Courier New,10,0,0,0,0,238,\"\",0\r\n");
    const ProcessResult r = runPascal(dir, R"(
  Writeln(DbfReportText('SEZNAM', 'NIC'));
  DbfUse('ZBOZI');
  DbfParamAdd('sklad');
  DbfSetFilter('KOD <> "C3"');
  Writeln(DbfReportText('SEZNAM', 'VYSTUP'));
  Writeln(DbfReportText('CHYBI.PTS', 'CHYBI.TXT'));
  Writeln(DbfRecNo);
)");
    // Without an open area, and with a missing template, nothing is written and the user is
    // told; the table stays where the report found it.
    EXPECT_EQ(r.out, "False\nTrue\nFalse\n1\n") << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "NIC.TXT"));
    EXPECT_FALSE(std::filesystem::exists(dir / "CHYBI.TXT"));
    std::size_t failures = 0;
    for (std::size_t at = r.err.find("Sestavu nelze vytisknout"); at != std::string::npos;
         at = r.err.find("Sestavu nelze vytisknout", at + 1))
        ++failures;
    EXPECT_EQ(failures, 2u) << r.err;
    EXPECT_EQ(readFile(dir / "VYSTUP.TXT"),
              "B2          sklad\r\nA1          sklad\r\n" + std::string(68, '\n'));
}
