#pragma once
// A report over an in-memory table, and the output pages as lines that read like the page:
// "top left text", sorted from the top of the page.

#include "core/cp1250.h"
#include "data/memory_data_set.h"
#include "report/output/output_model.h"
#include "report/run/report_run.h"

#include <algorithm>
#include <initializer_list>
#include <string>
#include <tuple>
#include <vector>

namespace vorlan::report::testing {

inline std::vector<std::string> templateLines(std::initializer_list<const char*> utf8) {
    std::vector<std::string> out;
    for (const char* line : utf8)
        out.push_back(czech(line));
    return out;
}

// A text element line of section `letter`: kind, parameter, left, top, width, height, the text
// flags and the text.
inline std::string textElement(const std::string& letter, int kind, const std::string& parameter,
                               int left, int top, int width, int height,
                               const std::string& text = "", int flags = 0) {
    return letter + "," + std::to_string(kind) + "," + parameter + "," + std::to_string(left) +
           "," + std::to_string(top) + "," + std::to_string(width) + "," + std::to_string(height) +
           ",Arial,10,0,0," + std::to_string(flags) + ",0,1,\"" + text + "\",0";
}

struct Placed {
    int top;
    int left;
    std::string text;
    bool operator<(const Placed& o) const {
        return std::tie(top, left, text) < std::tie(o.top, o.left, o.text);
    }
};

// The text elements of a page, top to bottom.
inline std::vector<std::string> pageLines(const TSestVystup& out, int page) {
    std::vector<Placed> placed;
    if (const TStranaPrvku* p = out.page(page))
        for (const auto& e : p->elements())
            if (e->hasText()) placed.push_back({e->top, e->left, cp1250ToUtf8(e->text())});
    std::sort(placed.begin(), placed.end());
    std::vector<std::string> lines;
    for (const Placed& p : placed)
        lines.push_back(std::to_string(p.top) + " " + std::to_string(p.left) + " " + p.text);
    return lines;
}

// Only the texts of a page, top to bottom.
inline std::vector<std::string> pageTexts(const TSestVystup& out, int page) {
    std::vector<std::string> lines = pageLines(out, page);
    for (std::string& l : lines)
        l = l.substr(l.find(' ', l.find(' ') + 1) + 1);
    return lines;
}

class ReportOverTable {
public:
    ReportOverTable() {
        paperSettings() = PaperSettings{};
        report.setDataSource(&records);
    }
    ~ReportOverTable() { paperSettings() = PaperSettings{}; }

    static void setTable(data::MemoryDataSet& target, std::vector<data::FieldDef> fields,
                         std::vector<std::vector<data::Value>> rows) {
        target.setFields(std::move(fields));
        for (auto& r : rows)
            target.addRow(std::move(r));
        target.open();
    }

    // Reads the template and lays the report out; the run's result code.
    int run(const std::vector<std::string>& lines, const RunOptions& options = {}) {
        report.setPredloha(lines);
        return layoutReport(report, out, options);
    }

    data::MemoryDataSet table;
    data::DataSource source{&table};
    DataSetRecords records{&source};
    TSestava report;
    TSestVystup out;
};

} // namespace vorlan::report::testing
