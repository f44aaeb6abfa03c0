#include "data/script/memo_lines.h"

#include <algorithm>

namespace vorlan::data {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// How many characters of `text` fit into `width` pixels (at least one, so wrapping always makes
// progress). The width of a prefix grows with its length, so a binary search finds the limit.
std::size_t fittingLength(std::string_view text, const MemoEditorView& view,
                          const TextMeasure& measure) {
    std::size_t low = 1, high = text.size();
    while (low < high) {
        const std::size_t mid = low + (high - low + 1) / 2;
        if (measure.textWidth(text.substr(0, mid), view.fontName, view.fontSize) <= view.textWidth)
            low = mid;
        else
            high = mid - 1;
    }
    return low;
}

void wrapLine(std::string_view line, const MemoEditorView& view, const TextMeasure& measure,
              std::vector<std::string>& out) {
    if (line.empty()) {
        out.emplace_back();
        return;
    }
    while (!line.empty()) {
        if (measure.textWidth(line, view.fontName, view.fontSize) <= view.textWidth) {
            out.emplace_back(line);
            return;
        }
        std::size_t end = fittingLength(line, view, measure);
        if (isBlank(line[end])) {
            // Blanks at the break hang past the edge instead of starting the next line.
            while (end < line.size() && isBlank(line[end]))
                ++end;
        } else {
            std::size_t blank = end;
            while (blank > 0 && !isBlank(line[blank - 1]))
                --blank;
            if (blank > 0) end = blank;
        }
        out.emplace_back(line.substr(0, end));
        line.remove_prefix(end);
    }
}

} // namespace

MemoEditorView& memoEditorView() {
    static MemoEditorView view;
    return view;
}

std::vector<std::string> editorLines(std::string_view text, const MemoEditorView& view,
                                     const TextMeasure& measure) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = start;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n')
            ++end;
        wrapLine(text.substr(start, end - start), view, measure, lines);
        if (end < text.size() && text[end] == '\r' && end + 1 < text.size() &&
            text[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    return lines;
}

std::string withoutLineFeeds(std::string_view text) {
    std::string out(text);
    out.erase(std::remove(out.begin(), out.end(), '\n'), out.end());
    return out;
}

} // namespace vorlan::data
