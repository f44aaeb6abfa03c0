#include "report/run/report_run.h"

#include "core/cp1250.h"
#include "core/ui_services.h"
#include "report/run/layout_run.h"

#include <cmath>

namespace vorlan::report {

double characterRowHeight(std::int32_t lineSpacing) {
    switch (lineSpacing) {
    case 1:
        return 25.0;
    case 2:
        return 100.0 / 3.0;
    default:
        return 100.0 / 6.0;
    }
}

std::int32_t snapToCharacterRow(std::int32_t position, double rowHeight) {
    if (!(rowHeight > 0)) return position;
    const double rows = std::round(position / rowHeight);
    return static_cast<std::int32_t>(std::lround(rows * rowHeight));
}

std::string progressText(std::int64_t recordNumber) {
    return czech("Připravuji tisk položky číslo: ") + std::to_string(recordNumber);
}

RecordSource* recordsOf(TSestavaTyp& report) {
    auto* withData = dynamic_cast<TSestavaD*>(&report);
    return withData ? dynamic_cast<RecordSource*>(withData->dataSource()) : nullptr;
}

namespace {

void tell(const std::string& utf8) {
    MessageBoxRequest request;
    request.caption = applicationTitle();
    request.text = czech(utf8);
    request.icon = MessageIcon::Error;
    ui().messageBox(request);
}

bool checkOne(TSestavaTyp& report, std::vector<data::DataSet*>* opened) {
    auto* withData = dynamic_cast<TSestavaD*>(&report);
    if (!withData || !withData->dataSource()) {
        tell("Není definován zdroj dat.");
        return false;
    }
    RecordSource* records = recordsOf(report);
    if (records && records->eventData()) return true;
    if (auto* table = dynamic_cast<DataSetRecords*>(records)) {
        data::DataSet* ds = table->dataSet();
        if (!ds) {
            tell("Ke zdroji dat není připojena žádná tabulka.");
            return false;
        }
        if (!ds->active()) {
            MessageBoxRequest ask;
            ask.caption = applicationTitle();
            ask.text = czech("Připojená tabulka není aktivní. Zkusit otevřít?");
            ask.icon = MessageIcon::Question;
            ask.buttons = ButtonYes | ButtonNo;
            if (ui().messageBox(ask) != MessageResult::Yes) return false;
            try {
                ds->open();
            } catch (const std::exception&) {
                tell("Připojenou tabulku se nepodařilo otevřít.");
                return false;
            }
            if (!ds->active()) {
                tell("Připojenou tabulku se nepodařilo otevřít.");
                return false;
            }
            if (opened) opened->push_back(ds);
        }
    }
    for (int d = 0; d < report.detailCount(); ++d)
        if (!checkOne(*report.detail(d), opened)) return false;
    return true;
}

// Puts the table back as the run found it, whatever way the run ends.
class RunGuard {
public:
    explicit RunGuard(RecordSource* records) : records_(records) {
        if (!records_ || records_->eventData()) {
            records_ = nullptr;
            return;
        }
        records_->saveBookmark();
        records_->disableControls();
    }
    ~RunGuard() {
        if (records_) {
            records_->restoreBookmark();
            records_->enableControls();
        }
        for (data::DataSet* ds : opened)
            ds->close();
    }
    RunGuard(const RunGuard&) = delete;
    RunGuard& operator=(const RunGuard&) = delete;

    std::vector<data::DataSet*> opened;

private:
    RecordSource* records_;
};

} // namespace

// An element that names a field the data does not have (the table changed since the template
// was made) keeps field 0 in the model so the designer can show and mend it; printing field 0's
// data in its place would put a wrong column on the page, so the run refuses. Empty when every
// named field is there.
std::string missingFieldMessage(TSestavaTyp& report) {
    if (report.fieldCount() > 0) {
        for (const auto& section : report.sections()) {
            for (std::size_t i = 0; i < section->elements.size(); ++i) {
                const TPrvekSestavy& e = *section->elements[i];
                if ((e.kind != kKindField && e.kind != kKindFieldTitle) || e.name.empty() ||
                    report.fieldIndexOf(e.name) >= 0)
                    continue;
                std::string name = report.templateFileName();
                if (name.empty()) name = report.popis;
                return czech("Předloha sestavy ") + name + czech(": prvek č. ") +
                       std::to_string(i + 1) + czech(" oddílu ") + sectionName(section->index) +
                       czech(" tiskne položku ") + e.name +
                       czech(", kterou data nemají. Upravte předlohu.");
            }
        }
    }
    for (int d = 0; d < report.detailCount(); ++d) {
        std::string inDetail = missingFieldMessage(*report.detail(d));
        if (!inDetail.empty()) return inDetail;
    }
    return {};
}

void prepareFieldLists(TSestavaTyp& report, std::vector<std::string>& names,
                       std::vector<std::string>& labels) {
    RecordSource* records = recordsOf(report);
    for (int i = 0; i < report.fieldCount(); ++i) {
        names.push_back(records ? records->fieldName(i) : std::string());
        labels.push_back(records ? records->fieldDisplayLabel(i) : std::string());
    }
    for (int d = 0; d < report.detailCount(); ++d)
        prepareFieldLists(*report.detail(d), names, labels);
}

namespace {

std::function<std::unique_ptr<RunProgress>()>& progressFactory() {
    static std::function<std::unique_ptr<RunProgress>()> factory;
    return factory;
}

} // namespace

void setRunProgressFactory(std::function<std::unique_ptr<RunProgress>()> factory) {
    progressFactory() = std::move(factory);
}

int layoutReport(TSestavaTyp& report, TSestVystup& output, const RunOptions& options) {
    static const FixedWidthMeasurer fixedWidth;
    RunProgress headless;
    std::unique_ptr<RunProgress> window;
    if (!options.progress && progressFactory()) window = progressFactory()();
    RunProgress& progress = options.progress ? *options.progress : window ? *window : headless;
    detail::SharedRunState shared(options, options.measurer ? *options.measurer : fixedWidth,
                                  progress, options.now ? options.now : std::time(nullptr));
    const TOddilSestavy* head = report.section(kSectionHead);
    const TOddilSestavy* foot = report.section(kSectionFoot);
    detail::LayoutRun run(report, output, shared, true, head && head->visible ? head->height : 0,
                          foot && foot->visible ? foot->height : 0);
    run.run();
    return shared.cancelled ? kSestCancelled : kSestOk;
}

int runReport(TSestava& report, TSestVystup& output, const RunOptions& options, bool loadTemplate) {
    RecordSource* records = recordsOf(report);
    const bool eventData = records && records->eventData();
    std::vector<data::DataSet*> opened;
    if (!eventData && !checkOne(report, &opened)) {
        for (data::DataSet* ds : opened)
            ds->close();
        if (report.onError) report.onError(report, kSestNotPossible);
        return kSestNotPossible;
    }
    RunGuard guard(records);
    guard.opened = std::move(opened);
    // Loading the template already told OnError when it failed.
    if (loadTemplate && !report.loadTemplate()) return kSestNotPossible;
    if (const std::string missing = missingFieldMessage(report); !missing.empty()) {
        MessageBoxRequest request;
        request.caption = applicationTitle();
        request.text = missing;
        request.icon = MessageIcon::Error;
        ui().messageBox(request);
        if (report.onError) report.onError(report, kSestNotPossible);
        return kSestNotPossible;
    }
    const int code = layoutReport(report, output, options);
    if (code != kSestOk && report.onError) report.onError(report, code);
    return code;
}

} // namespace vorlan::report
