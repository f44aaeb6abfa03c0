#pragma once
// The command line of the runtime: options first, then the program archive to run.

#include <optional>
#include <string>
#include <vector>

namespace vorlan::app {

struct CommandLine {
    bool headless = false;
    bool help = false;
    bool version = false;
    // Where print jobs go as PDF: a FILE.pdf or a folder (host path).
    std::optional<std::string> printTo;
    // A report made without a program (host paths, UTF-8): the template, its data (a .DBF
    // table or a .CSV file), its parameters in order, and where it goes: --print-to (PDF) or
    // --text (the character-mode text file).
    std::optional<std::string> report;
    std::optional<std::string> data;
    std::vector<std::string> reportParameters;
    std::optional<std::string> textOut;
    // A template opened in the report designer without a program (host path, UTF-8); --data
    // gives the field lists.
    std::optional<std::string> design;
    // A table shown read-only in the database window, without a program (host path, UTF-8).
    std::optional<std::string> browse;
    // A program archive checked without running it (host path, UTF-8), the findings as JSON
    // with `json`: what `vrltool kontrola` runs.
    std::optional<std::string> check;
    bool json = false;
    // The program archive as given (host text, UTF-8), and whatever follows it untouched.
    std::optional<std::string> program;
    std::vector<std::string> programArguments;
    // Set when the command line cannot be used; the runtime then says so and ends with 1.
    std::string error;
};

// `args` without the executable's own name.
CommandLine parseCommandLine(const std::vector<std::string>& args);

std::string usageText();

// Exit statuses of the runtime.
inline constexpr int kExitOk = 0;
inline constexpr int kExitBadCommandLine = 1;
// Headless only: the run showed an error message (a failed program should fail a batch), or a
// batch report could not be made.
inline constexpr int kExitRunError = 2;
// Headless only: the program's script failed, to compile or while running (its error box was
// shown). Wins over kExitRunError.
inline constexpr int kExitScriptError = 3;

} // namespace vorlan::app
