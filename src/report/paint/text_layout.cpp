#include "report/paint/text_layout.h"

#include <algorithm>
#include <cmath>

namespace vorlan::report {

namespace {

// The longest prefix of `word` (at least one character) that fits in `width`.
std::size_t fittingPrefix(std::string_view word, double width, const MeasureText& measure) {
    std::size_t n = 1;
    while (n < word.size() && measure(word.substr(0, n + 1)) <= width)
        ++n;
    return n;
}

void wrapParagraph(std::string_view paragraph, double width, const MeasureText& measure,
                   std::vector<TextLine>& out) {
    std::string line;
    bool lineStarted = false;
    // Puts `word` at the start of a new line, breaking it when it is wider than the box alone.
    auto startLine = [&](std::string_view word) {
        while (word.size() > 1 && measure(word) > width) {
            const std::size_t n = fittingPrefix(word, width, measure);
            out.push_back({std::string(word.substr(0, n)), false});
            word.remove_prefix(n);
        }
        line = std::string(word);
        lineStarted = true;
    };
    std::size_t pos = 0;
    while (pos < paragraph.size()) {
        const std::size_t wordStart = paragraph.find_first_not_of(' ', pos);
        if (wordStart == std::string_view::npos) {
            line.append(paragraph.substr(pos)); // trailing blanks stay with the last line
            break;
        }
        std::size_t wordEnd = paragraph.find(' ', wordStart);
        if (wordEnd == std::string_view::npos) wordEnd = paragraph.size();
        const std::string_view blanks = paragraph.substr(pos, wordStart - pos);
        const std::string_view word = paragraph.substr(wordStart, wordEnd - wordStart);
        pos = wordEnd;

        std::string candidate = line;
        candidate.append(blanks).append(word);
        if (measure(candidate) <= width) {
            line = std::move(candidate);
            lineStarted = true;
        } else if (!lineStarted) {
            startLine(word);
        } else {
            out.push_back({std::move(line), false});
            startLine(word);
        }
    }
    out.push_back({std::move(line), true});
}

} // namespace

std::vector<TextLine> breakLines(std::string_view text, double width, bool wordWrap,
                                 const MeasureText& measure) {
    std::vector<TextLine> lines;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find_first_of("\r\n", start);
        const std::string_view paragraph = text.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (wordWrap)
            wrapParagraph(paragraph, width, measure, lines);
        else
            lines.push_back({std::string(paragraph), true});
        if (end == std::string_view::npos) break;
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
        if (start >= text.size()) break; // a final line end opens no empty line
    }
    return lines;
}

namespace {

void drawJustified(Painter& painter, double left, double y, double width, std::string_view line,
                   double spacing) {
    std::vector<std::string_view> words;
    std::size_t pos = 0;
    while (pos < line.size()) {
        const std::size_t start = line.find_first_not_of(' ', pos);
        if (start == std::string_view::npos) break;
        std::size_t end = line.find(' ', start);
        if (end == std::string_view::npos) end = line.size();
        words.push_back(line.substr(start, end - start));
        pos = end;
    }
    if (words.size() < 2) {
        if (!words.empty()) painter.drawText(left, y, words.front(), spacing);
        return;
    }
    double used = 0;
    for (const auto word : words)
        used += painter.textWidth(word, spacing);
    const double gap = std::max(0.0, (width - used) / static_cast<double>(words.size() - 1));
    double x = left;
    for (const auto word : words) {
        painter.drawText(x, y, word, spacing);
        x += painter.textWidth(word, spacing) + gap;
    }
}

} // namespace

void drawTextLine(Painter& painter, const DeviceRect& rect, double y, std::string_view line,
                  const TextBlockStyle& style, bool fill) {
    if (fill) {
        drawJustified(painter, rect.left, y, rect.width, line, style.spacing);
        return;
    }
    double x = rect.left;
    if (style.alignment == 1 || style.alignment == 2) {
        const double free = rect.width - painter.textWidth(line, style.spacing);
        x += style.alignment == 1 ? free : free / 2;
    }
    painter.drawText(x, y, line, style.spacing);
}

void drawTextBlock(Painter& painter, const DeviceRect& rect, std::string_view text,
                   const TextBlockStyle& style, int firstLine, int lineCount) {
    const double spacing = style.spacing;
    const auto lines = breakLines(text, rect.width, style.wordWrap, [&](std::string_view part) {
        return painter.textWidth(part, spacing);
    });
    const int first = std::max(0, firstLine);
    const int total = static_cast<int>(lines.size());
    const int last = lineCount < 0 ? total : std::min(total, first + lineCount);
    const double lineHeight = painter.lineHeight();

    painter.setClip(rect);
    double y = rect.top;
    for (int i = first; i < last && y < rect.bottom(); ++i) {
        const TextLine& line = lines[static_cast<std::size_t>(i)];
        drawTextLine(painter, rect, y, line.text, style, style.justify && !line.paragraphEnd);
        y += lineHeight;
    }
    painter.clearClip();
}

} // namespace vorlan::report
