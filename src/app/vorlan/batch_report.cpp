#include "app/vorlan/batch_report.h"

#include "app/vorlan/command_line.h"

#include "core/cp1250.h"
#include "core/path_mapper.h"
#include "core/text_lines.h"
#include "data/memory_data_set.h"
#include "data/table_data_set.h"
#include "report/charmode/character_output.h"
#include "report/model.h"
#include "report/output/output_model.h"
#include "report/run/record_source.h"
#include "report/run/report_run.h"
#include "report/template_records.h"
#include "ui/qt/report/qt_text_measurer.h"
#include "ui/qt/report/report_printing.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

namespace vorlan::app {

namespace {

namespace fs = std::filesystem;

bool hasExtension(const fs::path& path, std::string_view extension) {
    return equalsNoCase(path.extension().string(), extension);
}

// True for text that holds UTF-8 sequences and nothing that breaks the UTF-8 rules. Czech
// Windows-1250 text practically never passes: its accented letters are single bytes above 127
// that UTF-8 does not allow on their own.
bool looksLikeUtf8(std::string_view text) {
    bool multiByte = false;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const int follow = c < 0x80           ? 0
                           : (c >> 5) == 0x6  ? 1
                           : (c >> 4) == 0xE  ? 2
                           : (c >> 3) == 0x1E ? 3
                                              : -1;
        if (follow < 0 || (follow > 0 && i + static_cast<std::size_t>(follow) >= text.size()))
            return false;
        for (int k = 1; k <= follow; ++k)
            if ((static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]) >> 6) != 0x2)
                return false;
        multiByte = multiByte || follow > 0;
        i += static_cast<std::size_t>(follow) + 1;
    }
    return multiByte;
}

// A CSV file in Windows-1250, or in UTF-8 as files made on Linux usually are.
std::unique_ptr<data::MemoryDataSet> readCsv(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) throw std::runtime_error(czech("datový soubor nelze číst"));
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
    if (looksLikeUtf8(text)) text = utf8ToCp1250(text);
    return data::MemoryDataSet::fromCsvText(text);
}

} // namespace

std::unique_ptr<data::DataSet> openReportData(const std::string& name) {
    const fs::path file = name;
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) throw std::runtime_error(czech("datový soubor neexistuje"));
    if (hasExtension(file, ".csv")) {
        auto table = readCsv(file);
        table->open();
        return table;
    }
    if (hasExtension(file, ".dbf")) {
        auto table = std::make_unique<data::TableDataSet>();
        const fs::path absolute = fs::absolute(file, ec);
        table->setDatabaseName(pathMapper().toProgram(absolute.parent_path()));
        table->setTableName(utf8ToCp1250(absolute.filename().string()));
        table->setReadOnly(true);
        table->open();
        return table;
    }
    throw std::runtime_error(czech("data musí být tabulka .DBF nebo soubor .CSV"));
}

namespace {

// "--print-to OUT.pdf" names the file; any other path is a folder that receives the report
// under its template's name.
fs::path pdfTarget(const fs::path& printTo, const fs::path& templateFile) {
    std::error_code ec;
    if (hasExtension(printTo, ".pdf") && !fs::is_directory(printTo, ec)) return printTo;
    fs::create_directories(printTo, ec);
    return printTo / (templateFile.stem().string() + ".pdf");
}

std::string engineText(const std::string& what) {
    return cp1250ToUtf8(what);
}

} // namespace

int runBatchReport(const BatchReport& request, std::ostream& errors) {
    const fs::path templateFile = request.templateFile;
    std::error_code ec;
    if (!fs::is_regular_file(templateFile, ec)) {
        errors << "vorlan: předloha sestavy neexistuje: " << request.templateFile << '\n';
        return kExitRunError;
    }

    {
        // A file the template reader would skip through line by line (empty, binary, another
        // kind of text) gives an empty report; a batch must hear that it named no template.
        std::ifstream in(templateFile, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
        if (!report::holdsTemplateRecords(splitLines(bytes))) {
            errors << "vorlan: soubor " << request.templateFile << " neobsahuje předlohu sestavy\n";
            return kExitRunError;
        }
    }

    std::unique_ptr<data::DataSet> table;
    try {
        table = openReportData(request.dataFile);
    } catch (const std::exception& e) {
        errors << "vorlan: nelze otevřít " << request.dataFile << ": " << engineText(e.what())
               << '\n';
        return kExitRunError;
    }
    data::DataSource source(table.get());
    report::DataSetRecords records(&source);

    report::TSestava report;
    const fs::path absolute = fs::absolute(templateFile, ec);
    report.programDir = pathMapper().toProgram(absolute.parent_path());
    report.setReportName(utf8ToCp1250(absolute.filename().string()));
    report.setDataSource(&records);
    for (const std::string& parameter : request.parameters)
        report.parametry.push_back(utf8ToCp1250(parameter));
    int failures = 0;
    report.onError = [&](report::TSestava&, int) {
        ++failures;
        return true;
    };

    qt::QtTextMeasurer measurer;
    // Lays the report out; false (with the reason told) when that failed.
    const auto layOut = [&](report::TSestVystup& output, bool characterMode) {
        report::RunOptions options;
        options.measurer = &measurer;
        options.characterMode = characterMode;
        const int result = report::runReport(report, output, options);
        if (result == report::kSestOk && failures == 0) return true;
        errors << "vorlan: sestavu nelze vytvořit (kód " << result << ")\n";
        return false;
    };

    if (request.pdfFile) {
        report::TSestVystup output;
        if (!layOut(output, false)) return kExitRunError;
        const fs::path file = pdfTarget(*request.pdfFile, templateFile);
        try {
            qt::writeReportPdf(output, file, report.popis);
        } catch (const std::exception& e) {
            errors << "vorlan: " << e.what() << '\n';
            return kExitRunError;
        }
    }
    if (request.textFile) {
        report::TSestVystup output;
        if (!layOut(output, true)) return kExitRunError;
        const fs::path file = fs::absolute(*request.textFile, ec);
        try {
            report::writeCharacterFile(output, report::orientedPaperHeight(report::paperSettings()),
                                       report.lineSpacing, pathMapper().toProgram(file));
        } catch (const std::exception& e) {
            errors << "vorlan: " << engineText(e.what()) << '\n';
            return kExitRunError;
        }
    }
    return 0;
}

} // namespace vorlan::app
