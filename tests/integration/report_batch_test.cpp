// Reports made from the command line without a program: `vorlan --headless --report ...`.
#include "integration/process.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <regex>

using namespace vorlan::testing;

namespace {

const std::string kReports = REPORTS_DIR;

int pdfPages(const std::filesystem::path& file) {
    static const std::regex page(R"(/Type\s*/Page[^s])");
    const std::string text = readFile(file);
    return static_cast<int>(std::distance(std::sregex_iterator(text.begin(), text.end(), page),
                                          std::sregex_iterator()));
}

// A dBase III table of one field NAME (character, 10 wide, or a date) with the given records.
std::string dbfTable(const std::vector<std::string>& names, char type = 'C') {
    const std::size_t width = type == 'D' ? 8 : 10;
    std::string bytes(32, '\0');
    bytes[0] = 0x03;
    bytes[1] = 126, bytes[2] = 12, bytes[3] = 6;
    const auto put16 = [&](std::size_t at, std::uint16_t v) {
        bytes[at] = static_cast<char>(v & 0xFF);
        bytes[at + 1] = static_cast<char>(v >> 8);
    };
    const auto count = static_cast<std::uint32_t>(names.size());
    for (int i = 0; i < 4; ++i)
        bytes[4 + i] = static_cast<char>((count >> (8 * i)) & 0xFF);
    put16(8, 32 + 32 + 1);
    put16(10, static_cast<std::uint16_t>(1 + width));
    std::string field(32, '\0');
    field.replace(0, 4, "NAME");
    field[11] = type;
    field[16] = static_cast<char>(width);
    bytes += field;
    bytes += '\r';
    for (const auto& name : names)
        bytes += ' ' + (name + std::string(width, ' ')).substr(0, width);
    bytes += '\x1A';
    return bytes;
}

// A body of one field per record, 300 hundredths high: three records to a page of A4.
const char* kListTemplate = "I,1,4,0,0\r\n"
                            "I,2,0,826,1169,50,50,70,70,1,0,0\r\n"
                            "I,3,2,1,300,0\r\n"
                            "T,2,0,0,0,300,20,Arial,10,0,0,0,0,238,\"\",0\r\n"
                            "T,4,0,300,0,300,20,Arial,10,0,0,0,0,238,\"\",0\r\n";

} // namespace

TEST(BatchReport, GroupedSampleBecomesAPdfOfTwoPages) {
    TempDir dir;
    const auto pdf = dir / "grouped.pdf";
    const ProcessResult r = runVorlan({"--report", kReports + "/GROUPED.PTS", "--data",
                                       kReports + "/SALES.CSV", "--print-to", pdf.string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(pdfPages(pdf), 2);
    EXPECT_EQ(r.out, "");

    // A folder receives the file under the template's name.
    const ProcessResult toFolder =
        runVorlan({"--report", kReports + "/GROUPED.PTS", "--data", kReports + "/SALES.CSV",
                   "--param", "ignored", "--print-to", (dir / "out").string()});
    ASSERT_EQ(toFolder.exitCode, 0) << toFolder.err;
    EXPECT_EQ(pdfPages(dir / "out" / "GROUPED.pdf"), 2);
}

TEST(BatchReport, DbfTableGivesOnePagePerThreeRecords) {
    TempDir dir;
    dir.write("LIST.PTS", kListTemplate);
    dir.write("NAMES.DBF", dbfTable({"Adam", "Bara", "Cyril", "Dana", "Emil", "Filip", "Gita"}));
    const ProcessResult r =
        runVorlan({"--report", (dir / "LIST.PTS").string(), "--data", (dir / "NAMES.DBF").string(),
                   "--param", "P1", "--print-to", (dir / "list.pdf").string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(pdfPages(dir / "list.pdf"), 3);
}

TEST(BatchReport, CharacterModeTextFileHoldsEveryRecord) {
    TempDir dir;
    dir.write("LIST.PTS", kListTemplate);
    // A CSV file made on Linux is UTF-8; its Czech letters must arrive intact.
    dir.write("NAMES.CSV", "NAME\nAdam\nB\xC3\xA1ra\nCyril\nDana\n");
    const auto text = dir / "LIST.TXT";
    const ProcessResult r =
        runVorlan({"--report", (dir / "LIST.PTS").string(), "--data", (dir / "NAMES.CSV").string(),
                   "--param", "P\xC5\xBE", "--text", text.string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string bytes = readFile(text);
    for (const std::string name : {"Adam", "B\xE1ra", "Cyril", "Dana", "P\x9E"})
        EXPECT_NE(bytes.find(name), std::string::npos) << name;
}

TEST(BatchReport, DatesPrintAsInTheDatabaseWindow) {
    TempDir dir;
    dir.write("LIST.PTS", kListTemplate);
    dir.write("DATES.DBF", dbfTable({"20250110", "19991231"}, 'D'));
    const auto text = dir / "DATES.TXT";
    const ProcessResult r = runVorlan({"--report", (dir / "LIST.PTS").string(), "--data",
                                       (dir / "DATES.DBF").string(), "--text", text.string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string bytes = readFile(text);
    EXPECT_NE(bytes.find("10.01.2025"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("31.12.1999"), std::string::npos) << bytes;
}

TEST(BatchReport, OneLineBodiesOnACharacterRasterPrintOneRowPerRecord) {
    // Bodies 17 hundredths high at 6 lines per inch (rows of 16.6667): one row each, no blank
    // rows between the records.
    TempDir dir;
    const auto text = dir / "ROWS.TXT";
    const ProcessResult r = runVorlan({"--report", kReports + "/ROWS.PTS", "--data",
                                       kReports + "/ROWS.CSV", "--text", text.string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(readFile(text), readFile(kReports + "/ROWS.TXT"));
}

TEST(BatchReport, ProblemsEndWithAnErrorAndNoFile) {
    TempDir dir;
    dir.write("LIST.PTS", kListTemplate);
    dir.write("DATA.TXT", "A\n1\n");
    const auto pdf = dir / "x.pdf";

    ProcessResult r = runVorlan({"--report", (dir / "LIST.PTS").string(), "--data",
                                 (dir / "MISSING.CSV").string(), "--print-to", pdf.string()});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("MISSING.CSV"), std::string::npos) << r.err;

    r = runVorlan({"--report", (dir / "LIST.PTS").string(), "--data", (dir / "DATA.TXT").string(),
                   "--print-to", pdf.string()});
    EXPECT_EQ(r.exitCode, 2);

    r = runVorlan({"--report", (dir / "NONE.PTS").string(), "--data", kReports + "/SALES.CSV",
                   "--print-to", pdf.string()});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("NONE.PTS"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(pdf));

    // The command line itself is wrong: no data, no destination.
    EXPECT_EQ(
        runVorlan({"--report", (dir / "LIST.PTS").string(), "--print-to", pdf.string()}).exitCode,
        1);
    EXPECT_EQ(
        runVorlan({"--report", (dir / "LIST.PTS").string(), "--data", kReports + "/SALES.CSV"})
            .exitCode,
        1);
}
