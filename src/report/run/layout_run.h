#pragma once
// One report's walk over its records, placing its sections into an output. A detail report is
// walked by a LayoutRun of its own that writes into its master's output.

#include "report/run/report_run.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace vorlan::report::detail {

// What the master run and the detail runs inside it share.
struct SharedRunState {
    SharedRunState(const RunOptions& options, const TextMeasurer& measurer, RunProgress& progress,
                   std::time_t now);
    bool cancelRequested();

    const RunOptions& options;
    const TextMeasurer& measurer;
    RunProgress& progress;
    std::tm now{};
    bool cancelled = false;
    std::vector<TVystPrvek*> pageCountPlaceholders;
    // Picture files by host path, read once per run.
    std::map<std::string, std::shared_ptr<const std::string>> pictureFiles;
};

class LayoutRun {
public:
    // `headHeight` and `footHeight` are those of the top-level report: a detail leaves room for
    // its master's page head and foot.
    LayoutRun(TSestavaTyp& report, TSestVystup& output, SharedRunState& shared, bool topLevel,
              std::int32_t headHeight, std::int32_t footHeight);

    void run();

private:
    struct FieldElement {
        TPrvekSestavy* element;
        int field;
        std::int32_t type;
        std::string memo;
        OutputPicture picture;
    };
    struct Growing {
        TPrvekSestavy* element;
        std::int32_t bottom;
    };

    // Records.
    void collectElements();
    std::int32_t step(StepDir dir);
    void loadRecord();
    void stepFunctions();
    std::string fieldDisplayText(int field);
    std::int32_t fieldType(int field) const;
    int fieldIndexOf(const TPrvekSestavy& e) const;

    // Sections and pages.
    bool stopped();
    std::int32_t limit() const { return out_.pageHeight - footHeight_; }
    std::int32_t visibleHeight(const TOddilSestavy* s) const;
    void printSection(TOddilSestavy* s);
    void placeElements(const TOddilSestavy& s, std::int32_t origin, std::int32_t from,
                       std::int32_t to, bool skipGrowing);
    void printBands(const TOddilSestavy& s, std::vector<Growing> growing);
    std::int32_t outputMemo(FieldElement& fe, std::int32_t top);
    std::int32_t runDetail(const TPrvekSestavy& place, std::int32_t top);
    void advance(const TOddilSestavy& s);
    void finishLabelRow();
    void endPage();
    void startPage();
    void handleGroupBreaks();
    void setVariables(std::int32_t number, double value);
    void addToVariables(std::int32_t number, double delta);

    // Output elements.
    void fillOutput(TVystPrvek& o, const TPrvekSestavy& e);
    void layoutMemo(TVystPrvek& o, const TPrvekSestavy& e, const std::string& memo);
    OutputPicture elementPicture(const TPrvekSestavy& e);
    FieldElement* fieldElement(const TPrvekSestavy* e);
    bool isGrowing(const TPrvekSestavy& e);

    TSestavaTyp& r_;
    RecordSource* data_;
    TSestVystup& out_;
    SharedRunState& sh_;
    bool top_;
    std::int32_t headHeight_;
    std::int32_t footHeight_;

    bool first_ = true;
    bool abort_ = false;
    std::int64_t counter_ = 0;
    std::vector<FieldElement> fields_;
    std::map<const TPrvekSestavy*, std::size_t> fieldByElement_;
    std::vector<TPrvekSestavy*> variables_;
    std::vector<TPrvekSestavy*> pictures_;
    std::map<const TPrvekSestavy*, OutputPicture> elementPictures_;
};

} // namespace vorlan::report::detail
