// The batch report options of the command line.

#include "app/vorlan/command_line.h"

#include <gtest/gtest.h>

namespace vorlan::app {
namespace {

TEST(ReportCommandLine, OptionsOfABatchReportAreCollectedInOrder) {
    const auto line = parseCommandLine({"--headless", "--report", "T.PTS", "--data=D.CSV",
                                        "--param", "first", "--param=", "--param", "-3",
                                        "--print-to", "out.pdf", "--text", "OUT.TXT"});
    ASSERT_EQ(line.error, "");
    EXPECT_EQ(line.report, "T.PTS");
    EXPECT_EQ(line.data, "D.CSV");
    EXPECT_EQ(line.reportParameters, (std::vector<std::string>{"first", "", "-3"}));
    EXPECT_EQ(line.printTo, "out.pdf");
    EXPECT_EQ(line.textOut, "OUT.TXT");
    EXPECT_FALSE(line.program);
}

TEST(ReportCommandLine, IncompleteBatchReportsAreRefused) {
    const std::vector<std::vector<std::string>> wrong = {
        {"--report", "T.PTS", "--print-to", "x.pdf"},            // no data
        {"--report", "T.PTS", "--data", "D.CSV"},                // nowhere to go
        {"--report", "T.PTS", "--data", "D.CSV", "--text"},      // value missing
        {"--report", "T.PTS", "--data=", "--print-to", "x.pdf"}, // empty file name
        {"--data", "D.CSV", "--print-to", "x.pdf"},              // data without a report
        {"--report", "T.PTS", "--data", "D.CSV", "--text", "X.TXT", "PROGRAM.VRL"},
    };
    for (const auto& args : wrong)
        EXPECT_NE(parseCommandLine(args).error, "") << args.front() << " ... " << args.back();
    // A program run is not affected.
    EXPECT_EQ(parseCommandLine({"--print-to", "x.pdf", "P.VRL"}).error, "");
}

TEST(ReportCommandLine, TheDesignerTakesATemplateAndOptionallyItsData) {
    const auto alone = parseCommandLine({"--design", "T.PTS"});
    ASSERT_EQ(alone.error, "");
    EXPECT_EQ(alone.design, "T.PTS");
    EXPECT_FALSE(alone.data);
    const auto withData = parseCommandLine({"--design=T.PTS", "--data", "ZBOZI.DBF"});
    ASSERT_EQ(withData.error, "");
    EXPECT_EQ(withData.data, "ZBOZI.DBF");
    const std::vector<std::vector<std::string>> wrong = {
        {"--design"},                                   // no template
        {"--design", "T.PTS", "--text", "X.TXT"},       // a batch report's option
        {"--design", "T.PTS", "P.VRL"},                 // a program
        {"--design", "T.PTS", "--browse", "ZBOZI.DBF"}, // another window alone
        {"--headless", "--design", "T.PTS"},            // nobody to edit
        {"--design", "T.PTS", "--report", "T.PTS", "--data", "D.CSV", "--print-to", "x.pdf"},
    };
    for (const auto& args : wrong)
        EXPECT_NE(parseCommandLine(args).error, "") << args.front() << " ... " << args.back();
}

} // namespace
} // namespace vorlan::app
