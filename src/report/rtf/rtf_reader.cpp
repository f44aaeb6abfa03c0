#include "report/rtf/rtf_reader.h"

#include "core/cp1250.h"
#include "report/rtf/rtf_keywords.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace vorlan::report {

namespace {

constexpr std::size_t kMaxKeywordLength = 32;
constexpr std::int32_t kDefaultHalfPoints = 24;
constexpr std::int32_t kMaxUnicodeSkip = 64;

enum class Destination : std::uint8_t { Body, FontTable, ColourTable, Skip };

// Character properties as the input states them; resolved against the tables when text is
// written, because a document may switch fonts many times without changing them.
struct RawChar {
    std::int32_t font = -1; // -1: the document's default font
    std::int32_t halfPoints = kDefaultHalfPoints;
    std::int32_t colour = 0; // index into the colour table; 0 is the automatic colour
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool operator==(const RawChar&) const = default;
};

struct RawParagraph {
    RtfAlignment alignment = RtfAlignment::Left;
    std::int32_t left = 0, right = 0, first = 0;
};

struct GroupState {
    RawChar chp;
    RawParagraph pap;
    Destination destination = Destination::Body;
    std::int32_t unicodeSkip = 1;
};

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

class Reader {
public:
    explicit Reader(std::string_view source) : src_(source) {}

    RtfReadResult run();

private:
    void fail(RtfStatus status, std::size_t offset) {
        if (result_.status == RtfStatus::Ok) {
            result_.status = status;
            result_.errorOffset = offset;
        }
    }

    void openGroup();
    // False when the outermost group closed: the document ends there.
    bool closeGroup();
    // False when the input ended inside the control.
    bool readControl();
    void controlWord(std::string_view name, bool hasParam, std::int32_t param, std::size_t start);
    void controlSymbol(char c);
    bool skipBinary(std::int32_t count, std::size_t start);

    void character(char c);
    void bodyCharacter(char c);
    void endParagraph();
    void commitFont();
    void commitColour();
    RtfCharFormat resolve(const RawChar& chp) const;

    std::string_view src_;
    std::size_t pos_ = 0;
    RtfReadResult result_;

    GroupState state_;
    std::vector<GroupState> saved_;
    std::size_t overflow_ = 0; // groups opened beyond the depth limit, not saved

    // The characters still to drop after a \u character.
    std::int32_t pendingSkip_ = 0;

    std::int32_t defaultFont_ = 0;
    std::map<std::int32_t, std::string> fonts_;
    std::int32_t fontEntry_ = 0;
    std::string fontName_;
    std::vector<std::optional<std::uint32_t>> colours_;
    std::int32_t red_ = 0, green_ = 0, blue_ = 0;
    bool colourSet_ = false;

    RtfParagraph paragraph_;
    RawChar lastRunChp_;
};

RtfReadResult Reader::run() {
    // Anything before the first group (a byte-order mark, blanks) is not part of the document.
    pos_ = src_.find('{');
    if (pos_ == std::string_view::npos) pos_ = src_.size();
    while (pos_ < src_.size()) {
        const char c = src_[pos_++];
        switch (c) {
        case '{':
            openGroup();
            break;
        case '}':
            if (!closeGroup()) pos_ = src_.size();
            break;
        case '\\':
            if (!readControl()) pos_ = src_.size();
            break;
        case '\r':
        case '\n':
            break;
        default:
            character(c);
        }
    }
    if (!saved_.empty() || overflow_ > 0) fail(RtfStatus::UnbalancedGroups, src_.size());
    if (!paragraph_.runs.empty()) endParagraph();
    return std::move(result_);
}

void Reader::openGroup() {
    pendingSkip_ = 0;
    if (saved_.size() >= kMaxRtfGroupDepth) {
        fail(RtfStatus::TooDeep, pos_ - 1);
        ++overflow_;
        return;
    }
    saved_.push_back(state_);
}

bool Reader::closeGroup() {
    pendingSkip_ = 0;
    if (overflow_ > 0) {
        --overflow_;
        return true;
    }
    if (state_.destination == Destination::FontTable && !fontName_.empty()) commitFont();
    if (saved_.empty()) return false;
    state_ = saved_.back();
    saved_.pop_back();
    return !saved_.empty();
}

bool Reader::readControl() {
    const std::size_t start = pos_ - 1;
    if (pos_ >= src_.size()) {
        fail(RtfStatus::Truncated, start);
        return false;
    }
    if (!isLetter(src_[pos_])) {
        controlSymbol(src_[pos_++]);
        return true;
    }
    const std::size_t nameStart = pos_;
    while (pos_ < src_.size() && isLetter(src_[pos_]))
        ++pos_;
    std::string_view name = src_.substr(nameStart, pos_ - nameStart);
    if (name.size() > kMaxKeywordLength) name = {}; // no keyword is that long: ignore it

    bool hasParam = false;
    bool negative = false;
    std::int64_t value = 0;
    if (pos_ < src_.size() && src_[pos_] == '-' && pos_ + 1 < src_.size() &&
        isDigit(src_[pos_ + 1])) {
        negative = true;
        ++pos_;
    }
    while (pos_ < src_.size() && isDigit(src_[pos_])) {
        hasParam = true;
        value = std::min<std::int64_t>(value * 10 + (src_[pos_] - '0'), INT64_C(1) << 40);
        ++pos_;
    }
    if (negative) value = -value;
    value = std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX);
    // One blank delimits the control word and belongs to it.
    if (pos_ < src_.size() && src_[pos_] == ' ') ++pos_;

    if (!name.empty()) controlWord(name, hasParam, static_cast<std::int32_t>(value), start);
    return true;
}

void Reader::controlSymbol(char c) {
    if (c == '\'') {
        // A character by its code: up to two hexadecimal digits.
        int code = 0;
        int digits = 0;
        while (digits < 2 && pos_ < src_.size() && hexValue(src_[pos_]) >= 0) {
            code = code * 16 + hexValue(src_[pos_++]);
            ++digits;
        }
        if (digits > 0) character(static_cast<char>(code));
        return;
    }
    if (pendingSkip_ > 0) {
        --pendingSkip_;
        return;
    }
    switch (c) {
    case '*':
        // A destination the reader may not know: its whole group is left out.
        state_.destination = Destination::Skip;
        break;
    case '{':
    case '}':
    case '\\':
        character(c);
        break;
    case '~':
        character(' ');
        break;
    case '_':
        character('-');
        break;
    case '\r':
    case '\n':
        if (state_.destination == Destination::Body) endParagraph();
        break;
    default:
        break; // optional hyphens, index marks and unknown symbols
    }
}

void Reader::controlWord(std::string_view name, bool hasParam, std::int32_t param,
                         std::size_t start) {
    const RtfKeyword* keyword = findRtfKeyword(name);
    if (!keyword) {
        if (pendingSkip_ > 0) --pendingSkip_;
        return;
    }
    if (keyword->action == RtfAction::Binary) {
        // The data follows whatever the destination; a \u replacement may be binary too.
        if (pendingSkip_ > 0) --pendingSkip_;
        if (hasParam) skipBinary(param, start);
        return;
    }
    if (pendingSkip_ > 0) {
        --pendingSkip_;
        return;
    }
    const Destination dest = state_.destination;
    if (dest == Destination::Skip) return;

    const bool on = !hasParam || param != 0;
    RawChar& chp = state_.chp;
    RawParagraph& pap = state_.pap;
    switch (keyword->action) {
    case RtfAction::Bold:
        chp.bold = on;
        break;
    case RtfAction::Italic:
        chp.italic = on;
        break;
    case RtfAction::Underline:
        chp.underline = on;
        break;
    case RtfAction::UnderlineNone:
        chp.underline = false;
        break;
    case RtfAction::Font:
        if (dest == Destination::FontTable)
            fontEntry_ = param;
        else
            chp.font = param;
        break;
    case RtfAction::FontCharset:
        break; // the text is taken as Windows-1250 whatever the font says
    case RtfAction::FontSize:
        chp.halfPoints = hasParam && param > 0 ? std::min(param, 3276) : kDefaultHalfPoints;
        break;
    case RtfAction::Colour:
        chp.colour = param;
        break;
    case RtfAction::Plain:
        chp = RawChar{};
        break;
    case RtfAction::ParagraphDefault:
        pap = RawParagraph{};
        break;
    case RtfAction::LeftIndent:
        pap.left = param;
        break;
    case RtfAction::RightIndent:
        pap.right = param;
        break;
    case RtfAction::FirstIndent:
        pap.first = param;
        break;
    case RtfAction::AlignLeft:
        pap.alignment = RtfAlignment::Left;
        break;
    case RtfAction::AlignRight:
        pap.alignment = RtfAlignment::Right;
        break;
    case RtfAction::AlignCenter:
        pap.alignment = RtfAlignment::Center;
        break;
    case RtfAction::AlignJustify:
        pap.alignment = RtfAlignment::Justify;
        break;
    case RtfAction::ParagraphEnd:
        if (dest == Destination::Body) endParagraph();
        break;
    case RtfAction::Character:
        character(keyword->character);
        break;
    case RtfAction::FontTable:
        state_.destination = Destination::FontTable;
        fontName_.clear();
        break;
    case RtfAction::ColourTable:
        state_.destination = Destination::ColourTable;
        colourSet_ = false;
        red_ = green_ = blue_ = 0;
        break;
    case RtfAction::Red:
        red_ = std::clamp(param, 0, 255);
        colourSet_ = true;
        break;
    case RtfAction::Green:
        green_ = std::clamp(param, 0, 255);
        colourSet_ = true;
        break;
    case RtfAction::Blue:
        blue_ = std::clamp(param, 0, 255);
        colourSet_ = true;
        break;
    case RtfAction::DefaultFont:
        defaultFont_ = param;
        break;
    case RtfAction::SkipDestination:
        state_.destination = Destination::Skip;
        break;
    case RtfAction::Unicode: {
        // A signed 16-bit value; the characters that follow stand in for readers that do not
        // know Unicode and are dropped.
        std::int32_t code = param < 0 ? param + 65536 : param;
        if (code < 0 || code > 0xFFFF) code = '?';
        const int byte =
            (code >= 0xD800 && code <= 0xDFFF) ? '?' : unicodeToCp1250(static_cast<char32_t>(code));
        character(byte < 0 ? '?' : static_cast<char>(byte));
        pendingSkip_ = state_.unicodeSkip;
        break;
    }
    case RtfAction::UnicodeSkip:
        state_.unicodeSkip = std::clamp(param, 0, kMaxUnicodeSkip);
        break;
    case RtfAction::Binary:
        break;
    }
}

bool Reader::skipBinary(std::int32_t count, std::size_t start) {
    if (count <= 0) return true;
    const std::size_t left = src_.size() - pos_;
    if (static_cast<std::size_t>(count) > left) {
        fail(RtfStatus::Truncated, start);
        pos_ = src_.size();
        return false;
    }
    pos_ += static_cast<std::size_t>(count);
    return true;
}

void Reader::character(char c) {
    if (pendingSkip_ > 0) {
        --pendingSkip_;
        return;
    }
    switch (state_.destination) {
    case Destination::Body:
        bodyCharacter(c);
        break;
    case Destination::FontTable:
        if (c == ';')
            commitFont();
        else
            fontName_ += c;
        break;
    case Destination::ColourTable:
        if (c == ';') commitColour();
        break;
    case Destination::Skip:
        break;
    }
}

void Reader::bodyCharacter(char c) {
    // Control bytes other than the tab would reach the painter as garbage.
    if (static_cast<unsigned char>(c) < 0x20 && c != '\t') return;
    if (paragraph_.runs.empty() || !(lastRunChp_ == state_.chp)) {
        paragraph_.runs.push_back(RtfRun{{}, resolve(state_.chp)});
        lastRunChp_ = state_.chp;
    }
    paragraph_.runs.back().text += c;
}

void Reader::endParagraph() {
    const RawParagraph& pap = state_.pap;
    paragraph_.alignment = pap.alignment;
    paragraph_.leftIndent = pap.left;
    paragraph_.rightIndent = pap.right;
    paragraph_.firstIndent = pap.first;
    paragraph_.mark = resolve(state_.chp);
    result_.document.paragraphs.push_back(std::move(paragraph_));
    paragraph_ = RtfParagraph{};
}

void Reader::commitFont() {
    std::string name = fontName_;
    const auto first = name.find_first_not_of(' ');
    const auto last = name.find_last_not_of(' ');
    name = first == std::string::npos ? std::string() : name.substr(first, last - first + 1);
    fonts_[fontEntry_] = std::move(name);
    fontName_.clear();
}

void Reader::commitColour() {
    if (colourSet_)
        colours_.push_back(static_cast<std::uint32_t>(red_) |
                           static_cast<std::uint32_t>(green_) << 8 |
                           static_cast<std::uint32_t>(blue_) << 16);
    else
        colours_.push_back(std::nullopt);
    colourSet_ = false;
    red_ = green_ = blue_ = 0;
}

RtfCharFormat Reader::resolve(const RawChar& chp) const {
    RtfCharFormat format;
    const auto font = fonts_.find(chp.font < 0 ? defaultFont_ : chp.font);
    if (font != fonts_.end()) format.fontName = font->second;
    format.halfPoints = chp.halfPoints;
    format.bold = chp.bold;
    format.italic = chp.italic;
    format.underline = chp.underline;
    if (chp.colour > 0 && static_cast<std::size_t>(chp.colour) < colours_.size())
        format.colour = colours_[static_cast<std::size_t>(chp.colour)];
    return format;
}

// Text that is not RTF at all: each line is a paragraph in the element's own font.
RtfReadResult plainLines(std::string_view text) {
    RtfReadResult result;
    result.status = RtfStatus::NotRtf;
    RtfParagraph paragraph;
    auto flush = [&] {
        result.document.paragraphs.push_back(std::move(paragraph));
        paragraph = RtfParagraph{};
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            flush();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            continue;
        }
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t') continue;
        if (paragraph.runs.empty()) paragraph.runs.emplace_back();
        paragraph.runs.back().text += c;
    }
    if (!paragraph.runs.empty()) flush();
    return result;
}

} // namespace

std::string RtfParagraph::text() const {
    std::string out;
    for (const RtfRun& run : runs)
        out += run.text;
    return out;
}

std::string RtfDocument::plainText() const {
    std::string out;
    for (std::size_t i = 0; i < paragraphs.size(); ++i) {
        if (i > 0) out += "\r\n";
        out += paragraphs[i].text();
    }
    return out;
}

std::string RtfReadResult::message() const {
    const std::string at = " at offset " + std::to_string(errorOffset);
    switch (status) {
    case RtfStatus::Ok:
        return "RTF read";
    case RtfStatus::NotRtf:
        return "not RTF text; read as plain lines";
    case RtfStatus::UnbalancedGroups:
        return "RTF text ends inside an open group" + at;
    case RtfStatus::TooDeep:
        return "RTF groups nested deeper than " + std::to_string(kMaxRtfGroupDepth) + at;
    case RtfStatus::Truncated:
        return "RTF text ends inside a control word or binary data" + at;
    }
    return {};
}

bool hasRtfSignature(std::string_view text) {
    const auto start = text.find_first_not_of(" \t\r\n");
    return start != std::string_view::npos && text.substr(start, 5) == "{\\rtf";
}

RtfReadResult readRtf(std::string_view source) {
    if (!hasRtfSignature(source)) return plainLines(source);
    return Reader(source).run();
}

} // namespace vorlan::report
