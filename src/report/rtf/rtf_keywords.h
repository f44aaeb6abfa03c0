#pragma once
// The control words the RTF reader acts on. Any other control word is read and ignored.

#include <cstdint>
#include <string_view>

namespace vorlan::report {

enum class RtfAction : std::uint8_t {
    // Character properties.
    Bold,
    Italic,
    Underline,
    UnderlineNone,
    Font,
    FontCharset,
    FontSize,
    Colour,
    Plain,
    // Paragraph properties.
    ParagraphDefault,
    LeftIndent,
    RightIndent,
    FirstIndent,
    AlignLeft,
    AlignRight,
    AlignCenter,
    AlignJustify,
    // Text.
    ParagraphEnd,
    Character, // the entry's character
    // Tables and their entries.
    FontTable,
    ColourTable,
    Red,
    Green,
    Blue,
    DefaultFont,
    // A destination whose text is not part of the body.
    SkipDestination,
    // Special.
    Binary,
    Unicode,
    UnicodeSkip,
};

struct RtfKeyword {
    std::string_view name;
    RtfAction action;
    char character = 0; // for RtfAction::Character
};

// The entry for a control word, nullptr for one the reader ignores.
const RtfKeyword* findRtfKeyword(std::string_view name);

} // namespace vorlan::report
