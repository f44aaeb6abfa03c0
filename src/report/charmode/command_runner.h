#pragma once
// Running a command of the host's print system and reading what it prints. An interface, so
// that the print queue logic can be tested without a print system.

#include <string>
#include <string_view>
#include <vector>

namespace vorlan::report {

struct CommandResult {
    int exitCode = -1;  // -1: the command could not be started or was killed
    std::string output; // standard output
};

class CommandRunner {
public:
    virtual ~CommandRunner() = default;
    // Runs argv[0] (looked up on PATH) with `input` on its standard input.
    virtual CommandResult run(const std::vector<std::string>& argv, std::string_view input) = 0;
};

// Runs real processes, in the C locale so that their messages can be read.
class ProcessCommandRunner final : public CommandRunner {
public:
    CommandResult run(const std::vector<std::string>& argv, std::string_view input) override;
};

} // namespace vorlan::report
