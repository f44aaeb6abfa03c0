#include "data/script/memo_lines.h"

#include <algorithm>
#include <array>

namespace vorlan::data {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// Advance of every Windows-1250 character in the view's font, measured once per call so that
// wrapping costs one pass over the text: measuring ever longer prefixes of a long line again for
// each display line made a 64 KB line take seconds. A measure answers whole pixels, so each
// advance is taken from a run of the character, to a sixteenth of a pixel: added up, rounded
// single advances would make a line of proportional text wider than it is.
using Advances = std::array<double, 256>;
constexpr int kRun = 16;

Advances advancesOf(const MemoEditorView& view, const TextMeasure& measure) {
    Advances advances{};
    for (int c = 0; c < 256; ++c) {
        const std::string run(kRun, static_cast<char>(c));
        advances[static_cast<std::size_t>(c)] =
            measure.textWidth(run, view.fontName, view.fontSize) / static_cast<double>(kRun);
    }
    return advances;
}

double advanceOf(const Advances& advances, char c) {
    return advances[static_cast<unsigned char>(c)];
}

// How many characters from the start of `text` fit into the view (at least one, so wrapping
// always makes progress); the whole text when it fits.
std::size_t fittingLength(std::string_view text, const MemoEditorView& view,
                          const Advances& advances) {
    std::size_t end = 0;
    double width = 0;
    // Half a pixel of slack: the measure rounds the width of a whole line to pixels too.
    const double room = view.textWidth + 0.5;
    while (end < text.size()) {
        width += advanceOf(advances, text[end]);
        if (width > room) break;
        ++end;
    }
    return std::max<std::size_t>(end, 1);
}

void wrapLine(std::string_view line, const MemoEditorView& view, const Advances& advances,
              std::vector<std::string>& out) {
    if (line.empty()) {
        out.emplace_back();
        return;
    }
    while (!line.empty()) {
        std::size_t end = fittingLength(line, view, advances);
        if (end >= line.size()) {
            out.emplace_back(line);
            return;
        }
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
    const Advances advances = advancesOf(view, measure);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = start;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n')
            ++end;
        wrapLine(text.substr(start, end - start), view, advances, lines);
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
