#include "report/rtf/rich_text_layout.h"

#include "report/paint/element_drawing.h"
#include "report/rtf/rtf_reader.h"

#include <algorithm>
#include <cmath>

namespace vorlan::report {

namespace {

constexpr double kTwipsPerHundredth = 14.4;
constexpr double kTabStep = 50; // hundredths of an inch

struct FormatMetrics {
    PaintFont font;
    double height = 0;
    double ascent = 0;
};

// One character of a paragraph with the run it came from.
struct Glyph {
    char c;
    std::size_t run;
};

class ParagraphLayout {
public:
    ParagraphLayout(Painter& measurer, const RtfParagraph& paragraph, double width,
                    const PaintFont& base, double scale, std::vector<RichTextLine>& out)
        : painter_(measurer), paragraph_(paragraph), width_(width), out_(out) {
        for (const RtfRun& run : paragraph.runs)
            metrics_.push_back(metricsOf(richTextFont(run.format, base, scale)));
        markMetrics_ = metricsOf(richTextFont(paragraph.mark, base, scale));
        left_ = paragraph.leftIndent / kTwipsPerHundredth * scale;
        right_ = paragraph.rightIndent / kTwipsPerHundredth * scale;
        first_ = paragraph.firstIndent / kTwipsPerHundredth * scale;
        tab_ = std::max(1.0, kTabStep * scale);
    }

    void run();

private:
    FormatMetrics metricsOf(const PaintFont& font) {
        painter_.setFont(font);
        return {font, painter_.lineHeight(), painter_.ascent()};
    }
    double measure(std::size_t run, std::string_view text) {
        painter_.setFont(metrics_[run].font);
        return painter_.textWidth(text);
    }

    void startLine();
    void finishLine(bool paragraphEnd);
    void addPiece(std::size_t run, std::string text, double width, bool blank);
    void placeWord(const std::vector<Glyph>& word);
    void breakWord(const std::vector<Glyph>& word);

    Painter& painter_;
    const RtfParagraph& paragraph_;
    double width_;
    std::vector<RichTextLine>& out_;
    std::vector<FormatMetrics> metrics_;
    FormatMetrics markMetrics_;
    double left_ = 0, right_ = 0, first_ = 0, tab_ = 0;

    RichTextLine line_;
    bool firstLine_ = true;
    double x_ = 0;
    bool hasWord_ = false;
    // Blanks met since the last word: they go on the line only when a word follows them.
    std::vector<std::pair<std::size_t, std::string>> blanks_;
};

void ParagraphLayout::startLine() {
    line_ = RichTextLine{};
    line_.alignment = paragraph_.alignment;
    line_.indent = std::max(0.0, left_ + (firstLine_ ? first_ : 0));
    line_.available = std::max(1.0, width_ - line_.indent - right_);
    x_ = 0;
    hasWord_ = false;
    blanks_.clear();
}

void ParagraphLayout::finishLine(bool paragraphEnd) {
    line_.paragraphEnd = paragraphEnd;
    for (const RichTextPiece& piece : line_.pieces) {
        if (!piece.blank) line_.width = std::max(line_.width, piece.x + piece.width);
    }
    if (line_.pieces.empty()) {
        line_.height = markMetrics_.height;
        line_.ascent = markMetrics_.ascent;
    }
    out_.push_back(std::move(line_));
    firstLine_ = false;
    startLine();
}

void ParagraphLayout::addPiece(std::size_t run, std::string text, double width, bool blank) {
    const FormatMetrics& m = metrics_[run];
    line_.height = std::max(line_.height, m.height);
    line_.ascent = std::max(line_.ascent, m.ascent);
    // Neighbouring characters of one run stay one piece.
    if (!line_.pieces.empty()) {
        RichTextPiece& last = line_.pieces.back();
        if (last.blank == blank && last.font == m.font && last.x + last.width == x_) {
            last.text += text;
            last.width += width;
            x_ = last.x + last.width;
            return;
        }
    }
    line_.pieces.push_back({std::move(text), m.font, x_, width, m.ascent, blank});
    x_ += width;
}

void ParagraphLayout::breakWord(const std::vector<Glyph>& word) {
    // Only for a word wider than a whole line: as many characters as fit, at least one.
    for (const Glyph& g : word) {
        const std::string one(1, g.c);
        const double w = measure(g.run, one);
        if (hasWord_ && x_ + w > line_.available) finishLine(false);
        addPiece(g.run, one, w, false);
        hasWord_ = true;
    }
}

void ParagraphLayout::placeWord(const std::vector<Glyph>& word) {
    // The word's fragments, one per run.
    std::vector<std::pair<std::size_t, std::string>> fragments;
    for (const Glyph& g : word) {
        if (fragments.empty() || fragments.back().first != g.run) fragments.emplace_back(g.run, "");
        fragments.back().second += g.c;
    }
    double wordWidth = 0;
    std::vector<double> widths;
    for (const auto& [run, text] : fragments) {
        widths.push_back(measure(run, text));
        wordWidth += widths.back();
    }
    double blankWidth = 0;
    std::vector<double> blankWidths;
    for (const auto& [run, text] : blanks_) {
        blankWidths.push_back(measure(run, text));
        blankWidth += blankWidths.back();
    }

    if (hasWord_ && x_ + blankWidth + wordWidth > line_.available) {
        finishLine(false); // the blanks at the wrap point disappear
    } else {
        for (std::size_t i = 0; i < blanks_.size(); ++i)
            addPiece(blanks_[i].first, std::move(blanks_[i].second), blankWidths[i], true);
    }
    blanks_.clear();
    if (!hasWord_ && x_ + wordWidth > line_.available) {
        breakWord(word);
        return;
    }
    for (std::size_t i = 0; i < fragments.size(); ++i)
        addPiece(fragments[i].first, std::move(fragments[i].second), widths[i], false);
    hasWord_ = true;
}

void ParagraphLayout::run() {
    startLine();
    std::vector<Glyph> glyphs;
    for (std::size_t r = 0; r < paragraph_.runs.size(); ++r)
        for (const char c : paragraph_.runs[r].text)
            glyphs.push_back({c, r});

    std::vector<Glyph> word;
    auto flushWord = [&] {
        if (!word.empty()) placeWord(word);
        word.clear();
    };
    for (const Glyph& g : glyphs) {
        if (g.c == ' ') {
            flushWord();
            if (blanks_.empty() || blanks_.back().first != g.run) blanks_.emplace_back(g.run, "");
            blanks_.back().second += ' ';
        } else if (g.c == '\t') {
            flushWord();
            double stopped = x_;
            for (const auto& [run, text] : blanks_)
                stopped += measure(run, text);
            blanks_.clear();
            double next = (std::floor(stopped / tab_) + 1) * tab_;
            if (next > line_.available && hasWord_) {
                finishLine(false);
                next = tab_;
            }
            x_ = next;
            line_.justifyFrom = line_.pieces.size();
            const FormatMetrics& m = metrics_[g.run];
            line_.height = std::max(line_.height, m.height);
            line_.ascent = std::max(line_.ascent, m.ascent);
        } else {
            word.push_back(g);
        }
    }
    flushWord();
    finishLine(true);
}

} // namespace

double RichTextLayout::height(int first, int count) const {
    const int total = static_cast<int>(lines.size());
    const int begin = std::clamp(first, 0, total);
    const int end = count < 0 ? total : std::min(total, begin + count);
    double h = 0;
    for (int i = begin; i < end; ++i)
        h += lines[static_cast<std::size_t>(i)].height;
    return h;
}

PaintFont richTextFont(const RtfCharFormat& format, const PaintFont& base, double scale) {
    if (format == RtfCharFormat{}) return base;
    PaintFont font = base;
    if (!format.fontName.empty()) font.name = format.fontName;
    if (format.halfPoints > 0)
        font.pixelHeight = std::max(1.0, format.halfPoints / 2.0 * 100.0 / 72.0 * scale);
    font.style = (base.style & kFontStrikeOut) | (format.bold ? kFontBold : 0) |
                 (format.italic ? kFontItalic : 0) | (format.underline ? kFontUnderline : 0);
    if (format.colour) font.colour = *format.colour;
    return font;
}

RichTextLayout layoutRichText(Painter& measurer, const RtfDocument& document, double width,
                              const PaintFont& base, double scale) {
    RichTextLayout layout;
    for (const RtfParagraph& paragraph : document.paragraphs)
        ParagraphLayout(measurer, paragraph, width, base, scale, layout.lines).run();
    return layout;
}

void drawRichText(Painter& painter, const DeviceRect& rect, const RichTextLayout& layout,
                  int firstLine, int lineCount) {
    const int total = static_cast<int>(layout.lines.size());
    const int first = std::clamp(firstLine, 0, total);
    const int last = lineCount < 0 ? total : std::min(total, first + lineCount);

    painter.setClip(rect);
    double y = rect.top;
    for (int i = first; i < last && y < rect.bottom(); ++i) {
        const RichTextLine& line = layout.lines[static_cast<std::size_t>(i)];
        const double free = std::max(0.0, line.available - line.width);
        double offset = 0;
        double gap = 0;
        std::size_t gapsFrom = line.pieces.size();
        switch (line.alignment) {
        case RtfAlignment::Right:
            offset = free;
            break;
        case RtfAlignment::Center:
            offset = free / 2;
            break;
        case RtfAlignment::Justify:
            if (!line.paragraphEnd) {
                // Blanks after the last tab that stand between two words take the free space.
                std::size_t firstWord = line.justifyFrom;
                while (firstWord < line.pieces.size() && line.pieces[firstWord].blank)
                    ++firstWord;
                int gaps = 0;
                for (std::size_t p = firstWord; p < line.pieces.size(); ++p)
                    if (line.pieces[p].blank) ++gaps;
                if (gaps > 0) {
                    gap = free / gaps;
                    gapsFrom = firstWord;
                }
            }
            break;
        case RtfAlignment::Left:
            break;
        }
        double shift = 0;
        for (std::size_t p = 0; p < line.pieces.size(); ++p) {
            const RichTextPiece& piece = line.pieces[p];
            if (piece.blank) {
                if (p >= gapsFrom) shift += gap;
                continue;
            }
            painter.setFont(piece.font);
            painter.drawText(rect.left + line.indent + offset + piece.x + shift,
                             y + line.ascent - piece.ascent, piece.text);
        }
        y += line.height;
    }
    painter.clearClip();
}

void drawRichText(Painter& painter, const DeviceRect& rect, std::string_view rtf,
                  const PaintFont& base, double scale, int firstLine, int lineCount) {
    const RtfDocument document = readRtf(rtf).document;
    const RichTextLayout layout = layoutRichText(painter, document, rect.width, base, scale);
    drawRichText(painter, rect, layout, firstLine, lineCount);
}

void installRichTextDrawer(const ReportFont& base) {
    setRichTextDrawer([base](Painter& painter, const DeviceRect& rect, std::string_view rtf,
                             double scale, int firstLine, int lineCount) {
        drawRichText(painter, rect, rtf, scaledFont(base, scale), scale, firstLine, lineCount);
    });
}

} // namespace vorlan::report
