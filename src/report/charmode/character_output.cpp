#include "report/charmode/character_output.h"

#include "report/charmode/character_placement.h"
#include "report/paint/report_printer.h"

namespace vorlan::report {

namespace {

void appendPrinterPage(const TZnakovePole& page, const TextPrinterCodes& codes, std::string& out) {
    int last = page.rowCount() - 1;
    while (last >= 0 && page.row(last).empty())
        --last;
    for (int r = 0; r <= last; ++r) {
        const TZnakovyRadek& row = page.row(r);
        for (int l = 0; l < TZnakovyRadek::kLayers; ++l) {
            const std::string& text = row.layer(l);
            if (text.empty()) continue;
            const bool bold = (l & 1) != 0;
            out += codes.pitch[l / 8];
            if (bold) out += codes.boldOn;
            out += text;
            if (bold) out += codes.boldOff;
            out += '\r';
        }
        out += '\n';
    }
    out += codes.pageEnd;
}

// Runs `emit` for every page of the print range after placing it; false when cancelled.
template <typename Emit>
bool eachPage(const TSestVystup& output, TZnakovePole& page, const ProcessEvents& processEvents,
              Emit emit) {
    const PrintRange range = printRangeOf(output);
    for (int p = range.first; p <= range.last; ++p) {
        if (!placePage(page, output, p - 1, processEvents)) return false;
        emit(page);
        page.clear();
    }
    return true;
}

} // namespace

bool placePage(TZnakovePole& page, const TSestVystup& output, int index,
               const ProcessEvents& processEvents) {
    const TStranaPrvku* elements = output.page(index);
    if (!elements) return !output.cancelled;
    for (const auto& element : elements->elements()) {
        if (processEvents) processEvents();
        if (output.cancelled) return false;
        placeElement(page, *element);
    }
    return !output.cancelled;
}

int writeCharacterFile(const TSestVystup& output, std::int32_t paperHeight, int lineSpacing,
                       const std::string& programPath, const ProcessEvents& processEvents) {
    TZnakovePole page(paperHeight, lineSpacing);
    if (!eachPage(output, page, processEvents, [](TZnakovePole& p) { p.appendToStream(); }))
        return kSestCancelled;
    page.saveStream(programPath);
    return kSestOk;
}

std::string characterPrintBytes(const TSestVystup& output, std::int32_t paperHeight,
                                int lineSpacing, const TextPrinterCodes& codes,
                                const ProcessEvents& processEvents, bool& completed) {
    TZnakovePole page(paperHeight, lineSpacing);
    std::string bytes;
    completed = eachPage(output, page, processEvents,
                         [&](const TZnakovePole& p) { appendPrinterPage(p, codes, bytes); });
    return bytes;
}

int lineSpacingOf(const TSestVystup& output) {
    for (int p = 0; p < output.pageCount(); ++p) {
        for (const auto& element : output.page(p)->elements()) {
            if (!element->source() || !element->source()->owner()) continue;
            const TSestavaTyp* report = element->source()->owner();
            while (report->isDetail()) {
                const auto* detail = static_cast<const TSestDetail*>(report);
                if (!detail->masterSestava()) break;
                report = detail->masterSestava();
            }
            return report->lineSpacing;
        }
    }
    return 0;
}

} // namespace vorlan::report
