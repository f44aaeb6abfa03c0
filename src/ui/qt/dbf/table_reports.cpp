#include "ui/qt/dbf/table_reports.h"

#include "core/cp1250.h"
#include "core/ui_services.h"
#include "data/data_source_component.h"
#include "data/script/data_table.h"
#include "data/script/file_names.h"
#include "report/model.h"
#include "report/output/output_model.h"
#include "report/run/record_source.h"
#include "script/bind.h"
#include "ui/qt/designer/design_report.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>

namespace vorlan::qt {

namespace {

// The detail report's slot: the data source a script attached, held only while its owner
// lives.
struct DetailSlot {
    std::weak_ptr<void> alive;
    data::DataSource* source = nullptr;

    data::DataSource* get() const { return alive.expired() ? nullptr : source; }
    void clear() {
        alive.reset();
        source = nullptr;
    }
};

DetailSlot& detailSlot() {
    static DetailSlot slot;
    return slot;
}

data::DataSource* sourceOf(script::NativeObject* object, data::TDataTable& table) {
    if (auto* provider = dynamic_cast<data::DataSourceProvider*>(object))
        return provider->dataSource();
    return table.dataSource();
}

void showError(const std::string& text) {
    ui().messageBox({"Chyba", text, MessageIcon::Error});
}

void tableReport(data::TDataTable& table, std::string_view file, int from, int to, bool preview,
                 script::NativeObject* sourceObject) {
    const std::string name = data::completeFileName(file, ".PTS");
    std::error_code ec;
    if (name.empty() || !std::filesystem::is_regular_file(data::hostFileName(name), ec)) {
        showError(czech("Předloha sestavy ") + upperCase(name) + "\n" +
                  czech("neexistuje, tisk nebude proveden !"));
        return;
    }
    if (from == 0 && to == 0) {
        from = 1;
        to = 9999;
    }
    DetailSlot& detail = detailSlot();
    data::DataSource* detailSource = detail.get();
    // A detail whose table has been closed since goes; an open one stays for later reports.
    if (!detailSource || detailSource->state() == data::DataSetState::Inactive) {
        detail.clear();
        detailSource = nullptr;
    }
    try {
        const data::SplitName split = data::splitFileName(name);
        report::DataSetRecords records(sourceOf(sourceObject, table));
        report::DataSetRecords detailRecords(detailSource);
        report::TSestava report;
        report.programDir = split.directory;
        report.setReportName(split.file);
        report.setDataSource(&records);
        // The detail takes its lines of the template (and resolves their field names) while the
        // template is read, so it has to be there, with its data, before the reading.
        if (detailSource) report.addDetail().setDataSource(&detailRecords);
        if (!report.loadTemplate()) throw std::runtime_error("template");
        int failures = 0;
        report.onError = [&](report::TSestava&, int) {
            ++failures;
            return true;
        };
        const int first = std::clamp(from, 1, 9999);
        report.startPage = static_cast<std::uint16_t>(first);
        report.endPage = static_cast<std::uint16_t>(std::clamp(to, first, 9999));
        report::TSestVystup output;
        // From the preview the user may go on to edit the template ("Oprava předlohy"); leaving
        // the preview or the designer without saving is no failure.
        const bool desktopPreview = preview && !ui().headless();
        const int result = previewOrPrint(report, output, preview);
        if ((desktopPreview ? result == report::kSestNotPossible : result != report::kSestOk) ||
            failures > 0)
            showError(czech("Sestavu ") + name + czech(" nelze vytisknout"));
    } catch (const std::exception&) {
        showError(czech("Sestavu ") + name + czech(" nelze vytisknout"));
    }
}

void reportEdit(data::TDataTable& table, std::string_view file,
                script::NativeObject* sourceObject) {
    designTableReport(file, sourceOf(sourceObject, table));
}

} // namespace

bool designTableReport(std::string_view file, data::DataSource* source, QWidget* parent) {
    const std::string name = data::completeFileName(file, ".PTS");
    try {
        if (name.empty()) throw std::runtime_error("name");
        const data::SplitName split = data::splitFileName(name);
        report::DataSetRecords records(source);
        report::TSestava report;
        report.reportDirIgnore = false;
        report.setReportDir(split.directory);
        report.setReportName(split.file);
        report.setDataSource(&records);
        if (editReport(report, true, parent) != report::kSestNotPossible) return true;
    } catch (const std::exception&) {
    }
    showError(czech("Sestavu ") + name + czech(" nelze vytvořit"));
    return false;
}

void clearReportDetail() {
    detailSlot().clear();
}

void registerTableReports(script::Registry& registry) {
    script::ClassBinder<data::TDataTable> table(registry, "TDataTable");
    table.bind("Report",
               "procedure(FileName: string; FromPage, ToPage: Integer; Preview: Boolean; Source: "
               "TDataSource)",
               &tableReport);
    table.bind("ReportEdit", "procedure(FileName: string; Source: TDataSource)", &reportEdit);
    table.bind("ReportDetail", "procedure(Source: TDataSource)",
               [](data::TDataTable&, script::NativeObject* source) {
                   auto* provider = dynamic_cast<data::DataSourceProvider*>(source);
                   if (!provider) {
                       detailSlot().clear();
                       return;
                   }
                   detailSlot() = {source->aliveToken(), provider->dataSource()};
               });
}

} // namespace vorlan::qt
