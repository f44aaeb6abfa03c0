#include "report/charmode/print_queues.h"
#include "report/charmode/text_only_printer.h"
#include "report/paper/printer_settings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

namespace vorlan::report {
namespace {

// Answers commands from a table and remembers what it was asked.
class FakeRunner : public CommandRunner {
public:
    std::map<std::string, CommandResult> answers; // by the command line joined with blanks
    std::vector<std::string> calls;
    std::string lastInput;

    CommandResult run(const std::vector<std::string>& argv, std::string_view input) override {
        std::string line;
        for (const auto& a : argv)
            line += (line.empty() ? "" : " ") + a;
        calls.push_back(line);
        lastInput = std::string(input);
        const auto it = answers.find(line);
        return it == answers.end() ? CommandResult{127, ""} : it->second;
    }
};

class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(PrintQueues, AttributeListsWithQuotesAndEscapes) {
    const std::string attrs =
        "copies=1 device-uri=usb://X/Y?serial=1 printer-info='Jehlickova v kancelari' "
        "printer-make-and-model='Local Raw Printer' job-sheets=none,none "
        "marker-names=\\'a\\ b\\' note=\"say \\\"hi\\\"\"\n";
    EXPECT_EQ(attributeValue(attrs, "printer-make-and-model"), "Local Raw Printer");
    EXPECT_EQ(attributeValue(attrs, "printer-info"), "Jehlickova v kancelari");
    EXPECT_EQ(attributeValue(attrs, "device-uri"), "usb://X/Y?serial=1");
    EXPECT_EQ(attributeValue(attrs, "marker-names"), "'a b'");
    EXPECT_EQ(attributeValue(attrs, "note"), "say \"hi\"");
    EXPECT_EQ(attributeValue(attrs, "missing"), "");
    EXPECT_EQ(attributeValue("= =x 'unclosed", "x"), "");

    EXPECT_TRUE(isTextOnlyModel("Local Raw Printer"));
    EXPECT_TRUE(isTextOnlyModel("Generic Text-Only Printer"));
    EXPECT_FALSE(isTextOnlyModel("Generic PostScript Printer"));
    EXPECT_FALSE(isTextOnlyModel(""));
}

TEST(PrintQueues, RecognisesTextOnlyQueues) {
    ScopedEnv noLpdest("LPDEST", nullptr), noPrinter("PRINTER", nullptr),
        noList("VORLAN_TEXT_PRINTERS", nullptr);
    FakeRunner runner;
    runner.answers["lpstat -e"] = {0, "laser\nmatrix\n\n"};
    runner.answers["lpstat -d"] = {0, "system default destination: matrix\n"};
    runner.answers["lpoptions -p matrix"] = {0, "printer-make-and-model='Local Raw Printer'"};
    runner.answers["lpoptions -p laser"] = {0, "printer-make-and-model='Some Laser PS'"};
    PrintQueues queues(runner);
    EXPECT_EQ(queues.names(), (std::vector<std::string>{"laser", "matrix"}));
    EXPECT_EQ(queues.defaultName(), "matrix");
    EXPECT_TRUE(queues.isTextOnly(""));
    EXPECT_TRUE(queues.isTextOnly("matrix"));
    EXPECT_FALSE(queues.isTextOnly("laser"));
    EXPECT_FALSE(queues.isTextOnly("unknown")); // the print system cannot tell: graphic

    {
        ScopedEnv list("VORLAN_TEXT_PRINTERS", "other, laser");
        EXPECT_TRUE(queues.isTextOnly("laser"));
    }
    {
        ScopedEnv dest("LPDEST", "laser");
        EXPECT_EQ(queues.defaultName(), "laser");
    }
    runner.answers["lpstat -d"] = {0, "no system default destination\n"};
    EXPECT_EQ(queues.defaultName(), "");
    EXPECT_FALSE(queues.isTextOnly(""));
    FakeRunner nothing; // no print system at all
    PrintQueues none(nothing);
    EXPECT_TRUE(none.names().empty());
    EXPECT_FALSE(none.isTextOnly("matrix"));
}

TEST(PrintQueues, RawJobsAndTheirFailures) {
    FakeRunner runner;
    runner.answers["lp -d matrix -o raw -n 2 -t Faktura \xc4\x8d."] = {0, "request id is matrix-7"};
    PrintQueues queues(runner);
    queues.printRaw("matrix", "bytes\f", "Faktura \xe8.", 2);
    EXPECT_EQ(runner.lastInput, "bytes\f");
    EXPECT_THROW(queues.printRaw("", "x", "", 1), std::runtime_error); // lp is missing
    runner.answers["lp -o raw -n 1"] = {1, ""};
    try {
        queues.printRaw("", "x", "", 0);
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("n\xe1vratov\xfd k\xf3"
                                             "d lp 1"),
                  std::string::npos);
    }
}

class RecordingPrinter : public ReportPrinter {
public:
    int jobs = 0;
    int print(TSestVystup&, const std::string&) override {
        ++jobs;
        return kSestOk;
    }
    void writePdf(TSestVystup&, const std::string&, const std::string&) override {}
};

TEST(TextOnlyAwarePrinter, TextOnlyQueuesGetCharacterPagesOthersTheGraphicPrinter) {
    ScopedEnv noList("VORLAN_TEXT_PRINTERS", nullptr);
    const PrinterSettings savedPrinter = printerSettings();
    const PaperSettings savedPaper = paperSettings();
    paperSettings().height = 50; // three rows
    paperSettings().orientation = 0;

    TSestava report;
    TPrvekSestavy& e = report.section(kSectionBody)->addElement(&report);
    e.kind = kKindText;
    e.font.size = 12;
    TSestVystup output;
    output.addElement(&e, 0, 17, 100, 17).setText("Ahoj");

    auto runner = std::make_unique<FakeRunner>();
    FakeRunner& commands = *runner;
    commands.answers["lpoptions -p matrix"] = {0, "printer-make-and-model='Local Raw Printer'"};
    commands.answers["lpoptions -p laser"] = {0, "printer-make-and-model='Laser'"};
    commands.answers["lp -d matrix -o raw -n 1 -t Sestava"] = {0, ""};
    auto graphic = std::make_unique<RecordingPrinter>();
    RecordingPrinter& graphicJobs = *graphic;
    TextOnlyAwarePrinter printer(std::move(graphic), std::move(runner));
    printer.processEvents = {};

    printerSettings().name = "matrix";
    EXPECT_EQ(printer.print(output, "Sestava"), kSestOk);
    EXPECT_EQ(commands.lastInput, "\nAhoj\r\n\f");
    EXPECT_EQ(graphicJobs.jobs, 0);

    printerSettings().name = "laser";
    EXPECT_EQ(printer.print(output, "Sestava"), kSestOk);
    EXPECT_EQ(graphicJobs.jobs, 1);

    printerSettings().name = "matrix";
    commands.answers["lp -d matrix -o raw -n 1 -t Sestava"] = {2, ""};
    EXPECT_EQ(printer.print(output, "Sestava"), kSestNotPossible);
    EXPECT_FALSE(printer.lastError().empty());

    printer.processEvents = [&] { output.cancelled = true; };
    commands.calls.clear();
    EXPECT_EQ(printer.print(output, "Sestava"), kSestCancelled);
    EXPECT_EQ(commands.calls, std::vector<std::string>{"lpoptions -p matrix"}); // nothing sent

    printerSettings() = savedPrinter;
    paperSettings() = savedPaper;
}

TEST(ProcessCommandRunner, FeedsInputAndReadsOutputOfRealProcesses) {
    ProcessCommandRunner runner;
    std::string big(1 << 20, 'x');
    for (std::size_t i = 0; i < big.size(); i += 97)
        big[i] = '\n';
    const CommandResult echoed = runner.run({"cat"}, big);
    EXPECT_EQ(echoed.exitCode, 0);
    EXPECT_EQ(echoed.output, big);
    EXPECT_EQ(runner.run({"sh", "-c", "echo $LC_ALL; exit 3"}, {}).output, "C\n");
    EXPECT_EQ(runner.run({"sh", "-c", "exit 3"}, {}).exitCode, 3);
    // A command that does not read its input must not stop or kill the caller.
    EXPECT_EQ(runner.run({"true"}, big).exitCode, 0);
    EXPECT_EQ(runner.run({"vorlan-no-such-command"}, {}).exitCode, 127);
}

} // namespace
} // namespace vorlan::report
