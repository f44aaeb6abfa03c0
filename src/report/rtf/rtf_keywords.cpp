#include "report/rtf/rtf_keywords.h"

#include <algorithm>
#include <array>

namespace vorlan::report {

namespace {

using A = RtfAction;

// Sorted by name for the binary search below.
constexpr std::array kKeywords = {
    RtfKeyword{"author", A::SkipDestination},
    RtfKeyword{"b", A::Bold},
    RtfKeyword{"bin", A::Binary},
    RtfKeyword{"blue", A::Blue},
    RtfKeyword{"bullet", A::Character, '\x95'},
    RtfKeyword{"buptim", A::SkipDestination},
    RtfKeyword{"cell", A::Character, '\t'},
    RtfKeyword{"cf", A::Colour},
    RtfKeyword{"colortbl", A::ColourTable},
    RtfKeyword{"comment", A::SkipDestination},
    RtfKeyword{"creatim", A::SkipDestination},
    RtfKeyword{"deff", A::DefaultFont},
    RtfKeyword{"doccomm", A::SkipDestination},
    RtfKeyword{"emdash", A::Character, '\x97'},
    RtfKeyword{"emspace", A::Character, ' '},
    RtfKeyword{"endash", A::Character, '\x96'},
    RtfKeyword{"enspace", A::Character, ' '},
    RtfKeyword{"f", A::Font},
    RtfKeyword{"fcharset", A::FontCharset},
    RtfKeyword{"fi", A::FirstIndent},
    RtfKeyword{"fonttbl", A::FontTable},
    RtfKeyword{"footer", A::SkipDestination},
    RtfKeyword{"footerf", A::SkipDestination},
    RtfKeyword{"footerl", A::SkipDestination},
    RtfKeyword{"footerr", A::SkipDestination},
    RtfKeyword{"footnote", A::SkipDestination},
    RtfKeyword{"fs", A::FontSize},
    RtfKeyword{"ftncn", A::SkipDestination},
    RtfKeyword{"ftnsep", A::SkipDestination},
    RtfKeyword{"ftnsepc", A::SkipDestination},
    RtfKeyword{"green", A::Green},
    RtfKeyword{"header", A::SkipDestination},
    RtfKeyword{"headerf", A::SkipDestination},
    RtfKeyword{"headerl", A::SkipDestination},
    RtfKeyword{"headerr", A::SkipDestination},
    RtfKeyword{"i", A::Italic},
    RtfKeyword{"info", A::SkipDestination},
    RtfKeyword{"keywords", A::SkipDestination},
    RtfKeyword{"ldblquote", A::Character, '"'},
    RtfKeyword{"li", A::LeftIndent},
    // A forced line break: drawn as the end of a paragraph that keeps its properties.
    RtfKeyword{"line", A::ParagraphEnd},
    RtfKeyword{"lquote", A::Character, '\''},
    RtfKeyword{"operator", A::SkipDestination},
    RtfKeyword{"par", A::ParagraphEnd},
    RtfKeyword{"pard", A::ParagraphDefault},
    RtfKeyword{"pict", A::SkipDestination},
    RtfKeyword{"plain", A::Plain},
    RtfKeyword{"pntext", A::SkipDestination},
    RtfKeyword{"printim", A::SkipDestination},
    RtfKeyword{"private1", A::SkipDestination},
    RtfKeyword{"qc", A::AlignCenter},
    RtfKeyword{"qj", A::AlignJustify},
    RtfKeyword{"ql", A::AlignLeft},
    RtfKeyword{"qr", A::AlignRight},
    RtfKeyword{"rdblquote", A::Character, '"'},
    RtfKeyword{"red", A::Red},
    RtfKeyword{"revtim", A::SkipDestination},
    RtfKeyword{"ri", A::RightIndent},
    RtfKeyword{"row", A::ParagraphEnd},
    RtfKeyword{"rquote", A::Character, '\''},
    RtfKeyword{"rxe", A::SkipDestination},
    RtfKeyword{"stylesheet", A::SkipDestination},
    RtfKeyword{"subject", A::SkipDestination},
    RtfKeyword{"tab", A::Character, '\t'},
    RtfKeyword{"tc", A::SkipDestination},
    RtfKeyword{"title", A::SkipDestination},
    RtfKeyword{"txe", A::SkipDestination},
    RtfKeyword{"u", A::Unicode},
    RtfKeyword{"uc", A::UnicodeSkip},
    RtfKeyword{"ul", A::Underline},
    RtfKeyword{"ulnone", A::UnderlineNone},
    RtfKeyword{"xe", A::SkipDestination},
};

constexpr bool sortedByName() {
    for (std::size_t i = 1; i < kKeywords.size(); ++i)
        if (!(kKeywords[i - 1].name < kKeywords[i].name)) return false;
    return true;
}
static_assert(sortedByName(), "the keyword table must stay sorted for the binary search");

} // namespace

const RtfKeyword* findRtfKeyword(std::string_view name) {
    const auto it =
        std::lower_bound(kKeywords.begin(), kKeywords.end(), name,
                         [](const RtfKeyword& k, std::string_view n) { return k.name < n; });
    if (it == kKeywords.end() || it->name != name) return nullptr;
    return &*it;
}

} // namespace vorlan::report
