#pragma once
// Runs Pascal-dialect modules through a scripter, as the runtime does, and records what they
// print through TestOut, the errors they report and the message boxes they show.

#include "core/headless_ui.h"
#include "script/scripter.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace vorlan::testing {

struct ReportedError {
    std::string source;
    std::string description;
    int line = 0;     // from 1, as the scripter's handler gets it
    int position = 0; // from 1
};

class PascalTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A scripter for the module; errors go to errors() and are answered with `resume`.
    std::unique_ptr<script::Scripter> scripter(std::vector<std::string> lines);
    // Compiles and runs the module (main body, then "main"); the printed lines.
    std::vector<std::string> run(std::vector<std::string> lines);
    // The printed lines joined with spaces.
    std::string runText(std::vector<std::string> lines);

    std::vector<std::string>& output();
    std::vector<ReportedError> errors;
    bool resume = false;
    std::vector<MessageBoxRequest> boxes;

private:
    std::unique_ptr<UiServices> previousUi_;
    std::ostringstream uiLog_;
};

std::string joined(const std::vector<std::string>& lines);

} // namespace vorlan::testing
