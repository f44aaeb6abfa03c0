#include "app/vorlan/design_template.h"

#include "app/vorlan/batch_report.h"
#include "app/vorlan/command_line.h"
#include "core/cp1250.h"
#include "core/path_mapper.h"
#include "data/data_set.h"
#include "report/model.h"
#include "report/run/record_source.h"
#include "ui/qt/designer/design_report.h"

#include <filesystem>
#include <memory>

namespace vorlan::app {

int runTemplateDesigner(const std::string& templateFile, const std::optional<std::string>& dataFile,
                        std::ostream& errors) {
    namespace fs = std::filesystem;
    std::unique_ptr<data::DataSet> table;
    if (dataFile) {
        try {
            table = openReportData(*dataFile);
        } catch (const std::exception& e) {
            errors << "vorlan: nelze otevřít " << *dataFile << ": " << cp1250ToUtf8(e.what())
                   << '\n';
            return kExitRunError;
        }
    }
    std::unique_ptr<data::DataSource> source;
    if (table) source = std::make_unique<data::DataSource>(table.get());
    report::DataSetRecords records(source.get());

    std::error_code ec;
    const fs::path file = fs::absolute(templateFile, ec);
    report::TSestava report;
    report.reportDirIgnore = false;
    report.setReportDir(pathMapper().toProgram(file.parent_path()));
    report.setReportName(utf8ToCp1250(file.filename().string()));
    if (table) report.setDataSource(&records);
    const int result = qt::editReport(report, true);
    if (result == report::kSestNotPossible) {
        errors << "vorlan: nelze otevřít předlohu " << templateFile << '\n';
        return kExitRunError;
    }
    return result == report::kSestOk ? 0 : 3;
}

} // namespace vorlan::app
