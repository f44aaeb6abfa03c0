#pragma once
// Running a report over its records: the sections in their order, page starts and ends, group
// breaks, label columns, growing memo bands, detail reports run into their master's output,
// page-count placeholders and the limits the user set. The run places output elements
// (report/output/output_model.h); painters and printers take it from there.

#include "report/model.h"
#include "report/output/output_model.h"
#include "report/run/record_source.h"
#include "report/run/text_layout.h"

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vorlan::report {

// What the user sees while a report is laid out: "Připravuji tisk položky číslo: <n>" and a
// cancel button. The headless default shows nothing and is never cancelled.
class RunProgress {
public:
    virtual ~RunProgress() = default;
    virtual void show() {}
    virtual void hide() {}
    virtual void setText(const std::string& /*text*/) {}
    // Asked at every step of the run; true once the user pressed cancel.
    virtual bool cancelRequested() { return false; }
};

// The progress window of runs started without one: the front end installs a factory (none
// in headless mode, where runs show nothing).
void setRunProgressFactory(std::function<std::unique_ptr<RunProgress>()> factory);

// The text the progress shows for a record number (Windows-1250).
std::string progressText(std::int64_t recordNumber);

// The program's hooks into a run; empty functions are unassigned events.
struct RunEvents {
    // Asked before each section: false leaves it out.
    std::function<bool(TSestavaTyp& report, std::int32_t section)> onTiskOddilu;
    // After the user functions were stepped for a record.
    std::function<void(TSestavaTyp& report)> onVypoctiFunkce;
};

struct RunOptions {
    RunProgress* progress = nullptr;        // null: headless
    const TextMeasurer* measurer = nullptr; // null: fixed width
    RunEvents events;
    // Label positions left empty before the first record (a sheet already partly used).
    std::int32_t labelsToSkip = 0;
    // The output goes to a character-mode printer: positions snap to the character raster.
    bool characterMode = false;
    // The moment the run prints as its date and time; the current time when not set.
    std::time_t now = 0;
    // Gives an RTF memo's plain text for layout; a simple reader when not set.
    std::function<std::string(const std::string& rtf)> rtfToText;
};

// The exact height of a character row (hundredths of an inch) for a line spacing choice
// (0: 6 lines per inch, 1: 4, 2: 3); other choices count as 6 lines per inch.
double characterRowHeight(std::int32_t lineSpacing);
// A position moved to the nearest row boundary of a character raster, in whole hundredths.
// Rows are not whole hundredths high (16.6667 at 6 lines per inch), so a band a little higher
// than a row still advances one row, and rows never drift.
std::int32_t snapToCharacterRow(std::int32_t position, double rowHeight);

// Report run result codes are TSestError (0 done, 3 cancelled, 6 not possible).

// The records of a report: its data source when that is a RecordSource, else null.
RecordSource* recordsOf(TSestavaTyp& report);

// The Czech message (Windows-1250) naming the template, element and field of the first element
// that prints a field the data does not have; empty when every named field is there. A run
// refuses such a template.
std::string missingFieldMessage(TSestavaTyp& report);

// The designer's and expression editor's lists: field names and their display labels, the
// detail reports' fields after the report's own.
void prepareFieldLists(TSestavaTyp& report, std::vector<std::string>& names,
                       std::vector<std::string>& labels);

// Lays the report out into `output` (its template must be set). Returns 0, or 3 when cancelled.
// The table is left on the record it stood on.
int layoutReport(TSestavaTyp& report, TSestVystup& output, const RunOptions& options = {});

// The whole of a run as the report's operations do it: the data check (6 when it fails),
// remembering the position, disabling the table's controls, the field lists, loading the
// template from its file when `loadTemplate`, the layout, and putting everything back.
int runReport(TSestava& report, TSestVystup& output, const RunOptions& options = {},
              bool loadTemplate = true);

} // namespace vorlan::report
