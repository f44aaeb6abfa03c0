#pragma once
// A report made on a server without a program: template, data and parameters from the command
// line, pages into a PDF file or a character-mode text file.

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace vorlan::data {
class DataSet;
}

namespace vorlan::app {

// The data of a report made without a program, open: a .DBF table (read-only) or a .CSV file
// (Windows-1250 or UTF-8). Throws data::DataSetError or std::runtime_error, whose texts are
// Windows-1250 like every engine text.
std::unique_ptr<data::DataSet> openReportData(const std::string& file);

struct BatchReport {
    std::string templateFile; // host paths, UTF-8
    std::string dataFile;     // .DBF table or .CSV file
    std::vector<std::string> parameters;
    std::optional<std::string> pdfFile; // a FILE.pdf or a folder
    std::optional<std::string> textFile;
};

// Makes the report and writes it; problems are told on `errors`. Answers the exit status:
// 0 done, 2 not made.
int runBatchReport(const BatchReport& request, std::ostream& errors);

} // namespace vorlan::app
