#pragma once
// Rich text as the RTF reader leaves it: paragraphs of runs, each run one stretch of text with
// one set of character properties. Text is Windows-1250 bytes like every engine string; a tab
// stays a '\t' byte for the layout to place. Nothing here knows how text is drawn.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vorlan::report {

enum class RtfAlignment : std::uint8_t { Left, Right, Center, Justify };

struct RtfCharFormat {
    std::string fontName;        // empty: the element's own font
    std::int32_t halfPoints = 0; // 0: the element's own size
    bool bold = false;
    bool italic = false;
    bool underline = false;
    std::optional<std::uint32_t> colour; // $BBGGRR; empty: the element's own colour
    bool operator==(const RtfCharFormat&) const = default;
};

struct RtfRun {
    std::string text;
    RtfCharFormat format;
};

struct RtfParagraph {
    std::vector<RtfRun> runs;
    RtfAlignment alignment = RtfAlignment::Left;
    // Indents in twips (1/1440 inch); the first-line indent is relative to the left one.
    std::int32_t leftIndent = 0;
    std::int32_t rightIndent = 0;
    std::int32_t firstIndent = 0;
    // The character format at the paragraph's end: an empty paragraph is as tall as its mark.
    RtfCharFormat mark;
    // The paragraph's text without its formatting.
    std::string text() const;
};

struct RtfDocument {
    std::vector<RtfParagraph> paragraphs;
    // All text, paragraphs separated by "\r\n".
    std::string plainText() const;
};

} // namespace vorlan::report
