#include "report/charmode/character_placement.h"

#include "report/paint/text_layout.h"
#include "report/rtf/rtf_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace vorlan::report {

namespace {

// Hundredths of an inch to whole cells of `perInch` cells an inch, to the nearest cell.
int cells(std::int64_t hundredths, int perInch) {
    return static_cast<int>(
        std::clamp<std::int64_t>(std::llround(static_cast<double>(hundredths) * perInch / 100.0),
                                 INT32_MIN / 2, INT32_MAX / 2));
}

std::string expandTabs(std::string_view line, int tabColumns) {
    std::string out;
    for (const char c : line) {
        if (c != '\t') {
            out += c;
            continue;
        }
        const std::size_t next = (out.size() / static_cast<std::size_t>(tabColumns) + 1) *
                                 static_cast<std::size_t>(tabColumns);
        out.resize(next, ' ');
    }
    return out;
}

} // namespace

std::vector<std::string> characterLines(const TVystPrvek& element, int columns, int pitch) {
    const int tabColumns =
        std::max(1, static_cast<int>(std::lround(charactersPerInch(pitch) / 2.0)));
    std::vector<std::string> out;
    if (!element.lines.empty()) {
        const int total = static_cast<int>(element.lines.size());
        const int first = std::clamp(element.firstLine, 0, total);
        const int last = std::clamp(first + std::max(0, element.lineCount), first, total);
        for (int i = first; i < last; ++i)
            out.push_back(expandTabs(element.lines[static_cast<std::size_t>(i)], tabColumns));
        return out;
    }
    const bool rich = !element.rtf.empty();
    const std::string text = rich ? readRtf(element.rtf).document.plainText() : element.text();
    if (text.empty()) return out;
    const TPrvekSestavy* source = element.source();
    const bool wrap = rich || (source && (source->textFlags & kTextWordWrap));
    // Tabs are expanded line by line before wrapping, so that wrapping sees real columns.
    std::string expanded;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = text.find_first_of("\r\n", start);
        const std::size_t stop = end == std::string::npos ? text.size() : end;
        expanded += expandTabs(std::string_view(text).substr(start, stop - start), tabColumns);
        if (end == std::string::npos) break;
        expanded += text[end];
        start = end + 1;
    }
    for (TextLine& line : breakLines(expanded, std::max(1, columns), wrap, [](std::string_view s) {
             return static_cast<double>(s.size());
         }))
        out.push_back(std::move(line.text));
    return out;
}

void placeElement(TZnakovePole& page, const TVystPrvek& element) {
    const TPrvekSestavy* source = element.source();
    if (!source || !isTextKind(source->kind) || !element.picture.empty()) return;

    const int pitch = pitchOfFontSize(source->font.size);
    const bool bold = (source->font.style & kFontBold) != 0;
    const int cpi = charactersPerInch(pitch);
    const int lpi = page.linesPerInch();

    const int row = cells(element.top, lpi);
    const int column = cells(element.left, cpi);
    const int columns =
        cells(static_cast<std::int64_t>(element.left) + element.width, cpi) - column;

    std::vector<std::string> lines = characterLines(element, columns, pitch);
    // A text drawn on paper is clipped to its element; here it keeps to the element's rows (at
    // least one). A laid-out memo was already cut to its element by the run.
    if (element.lines.empty()) {
        const auto rows = static_cast<std::size_t>(std::max(1, cells(element.height, lpi)));
        if (lines.size() > rows) lines.resize(rows);
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        const int length = static_cast<int>(std::min<std::size_t>(line.size(), INT32_MAX / 4));
        const int free = std::max(0, columns - length);
        int at = column;
        if (source->alignment == kAlignRight)
            at += free;
        else if (source->alignment == kAlignCenter)
            at += free / 2;
        page.put(row + static_cast<int>(i), at, line, pitch, bold);
    }
}

} // namespace vorlan::report
