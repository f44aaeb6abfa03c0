#include "script/pascal/module_parser.h"

#include "core/cp1250.h"
#include "script/pascal/messages.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace vorlan::script::pascal {

const std::array<std::string_view, kKeywordCount> kKeywordNames = {
    "absolute",
    "abstract",
    "and",
    "array",
    "as",
    "asm",
    "assembler",
    "automated",
    "begin",
    "break",
    "case",
    "cdecl",
    "class",
    "const",
    "constructor",
    "continue",
    "destructor",
    "dispid",
    "dispinterface",
    "div",
    "do",
    "downto",
    "dynamic",
    "else",
    "end",
    "except",
    "exit",
    "export",
    "exports",
    "external",
    "far",
    "file",
    "finalization",
    "finally",
    "for",
    "forward",
    "function",
    "goto",
    "if",
    "implementation",
    "in",
    "index",
    "inherited",
    "initialization",
    "inline",
    "interface",
    "is",
    "label",
    "library",
    "message",
    "mod",
    "near",
    "nil",
    "nodefault",
    "not",
    "object",
    "of",
    "or",
    "out",
    "overload",
    "override",
    "packed",
    "pascal",
    "private",
    "procedure",
    "program",
    "property",
    "protected",
    "public",
    "published",
    "raise",
    "read",
    "record",
    "register",
    "reintroduce",
    "repeat",
    "resident",
    "resourcestring",
    "safecall",
    "set",
    "shl",
    "shr",
    "stdcall",
    "stored",
    "string",
    "stringresource",
    "then",
    "threadvar",
    "to",
    "try",
    "type",
    "unit",
    "until",
    "uses",
    "var",
    "virtual",
    "while",
    "with",
    "writeonly",
    "xor",
};

namespace {

bool isLetter(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool isDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}
bool isIdentChar(unsigned char c) {
    return isLetter(c) || isDigit(c);
}
bool isHexDigit(unsigned char c) {
    return isDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}
bool isLineChar(unsigned char c) {
    return c == '\t' || c >= 32;
}
char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

int compareLower(std::string_view word, std::string_view lower) {
    const std::size_t n = std::min(word.size(), lower.size());
    for (std::size_t i = 0; i < n; ++i) {
        const char a = asciiLower(word[i]);
        if (a != lower[i])
            return static_cast<unsigned char>(a) < static_cast<unsigned char>(lower[i]) ? -1 : 1;
    }
    return word.size() < lower.size() ? -1 : (word.size() > lower.size() ? 1 : 0);
}

std::string joinLines(const std::vector<std::string>& lines) {
    std::string text;
    std::size_t total = 0;
    for (const auto& l : lines)
        total += l.size() + 1;
    text.reserve(total);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i) text += '\n';
        text += lines[i];
    }
    return text;
}

std::string trimmed(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t'))
        ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t'))
        --e;
    return std::string(s.substr(b, e - b));
}

} // namespace

int keywordCode(std::string_view word) {
    if (word.size() < 2 || word.size() > 14) return 0;
    std::size_t lo = 0, hi = kKeywordNames.size();
    while (lo < hi) {
        const std::size_t mid = (lo + hi) / 2;
        const int c = compareLower(word, kKeywordNames[mid]);
        if (c == 0) return kKeywordBase + static_cast<int>(mid);
        if (c < 0)
            hi = mid;
        else
            lo = mid + 1;
    }
    return 0;
}

ModuleParser::ModuleParser(const std::vector<std::string>& lines) : text_(joinLines(lines)) {}
ModuleParser::ModuleParser(std::string text) : text_(std::move(text)) {}

const ModuleParser::Tables& ModuleParser::tables() {
    static const Tables t = [] {
        Tables tab{};
        auto& normal = tab.state[0];
        for (int c = '!'; c <= 255; ++c)
            normal[static_cast<std::size_t>(c)] = &ModuleParser::symbol;
        for (int c = 0; c < 256; ++c) {
            const auto u = static_cast<unsigned char>(c);
            if (isLetter(u))
                normal[u] = &ModuleParser::identifier;
            else if (isDigit(u))
                normal[u] = &ModuleParser::number;
        }
        normal['\''] = &ModuleParser::stringLiteral;
        normal['#'] = &ModuleParser::charCode;
        normal['$'] = &ModuleParser::hexNumber;
        normal['{'] = &ModuleParser::braceComment;
        normal['('] = &ModuleParser::parenOrComment;
        normal['/'] = &ModuleParser::slashOrComment;
        for (int s = 0; s < 3; ++s) {
            tab.state[s]['\r'] = &ModuleParser::lineBreak;
            tab.state[s]['\n'] = &ModuleParser::lineBreak;
        }
        for (int c = 0; c < 256; ++c) {
            const auto u = static_cast<unsigned char>(c);
            if (!isLineChar(u)) continue;
            tab.state[1][u] = &ModuleParser::inBraceComment;
            tab.state[2][u] = &ModuleParser::inStarComment;
        }
        return tab;
    }();
    return t;
}

TokenKind ModuleParser::scanToken() {
    keyword_ = 0;
    for (;;) {
        if (pos_ >= text_.size()) {
            tokenStart_ = pos_;
            tokenLine_ = line_;
            tokenColumn_ = static_cast<int>(pos_ - lineStart_);
            kind_ = TokenKind::End;
            return kind_;
        }
        const auto c = static_cast<unsigned char>(text_[pos_]);
        const Handler handler = tables().state[state_][c];
        if (!handler) {
            ++pos_;
            continue;
        }
        tokenStart_ = pos_;
        tokenLine_ = line_;
        tokenColumn_ = static_cast<int>(pos_ - lineStart_);
        const int kind = (this->*handler)();
        if (kind >= 0) {
            kind_ = static_cast<TokenKind>(kind);
            return kind_;
        }
    }
}

TokenKind ModuleParser::nextToken() {
    for (;;) {
        const TokenKind k = scanToken();
        if (k == TokenKind::Comment) continue;
        if (k != TokenKind::End && skipping()) continue;
        return k;
    }
}

void ModuleParser::toLineEnd() {
    while (pos_ < text_.size() && text_[pos_] != '\r' && text_[pos_] != '\n')
        ++pos_;
}

int ModuleParser::lineBreak() {
    const char c = text_[pos_++];
    const char other = c == '\r' ? '\n' : '\r';
    if (at(pos_) == other) ++pos_;
    ++line_;
    lineStart_ = pos_;
    return -1;
}

int ModuleParser::stringLiteral() {
    ++pos_; // the opening apostrophe
    for (;;) {
        while (pos_ < text_.size() && text_[pos_] != '\'' && text_[pos_] != '\r' &&
               text_[pos_] != '\n')
            ++pos_;
        if (at(pos_) != '\'') break; // no closing apostrophe on this line: the literal ends here
        ++pos_;
        if (at(pos_) != '\'') break;
        ++pos_; // a doubled apostrophe stands for one; the literal goes on
    }
    return static_cast<int>(TokenKind::String);
}

int ModuleParser::charCode() {
    ++pos_;
    if (at(pos_) == '$') {
        ++pos_;
        while (isHexDigit(static_cast<unsigned char>(at(pos_))))
            ++pos_;
    } else {
        while (isDigit(static_cast<unsigned char>(at(pos_))))
            ++pos_;
    }
    return static_cast<int>(TokenKind::String);
}

int ModuleParser::identifier() {
    while (isIdentChar(static_cast<unsigned char>(at(pos_))))
        ++pos_;
    keyword_ = keywordCode(tokenText());
    return static_cast<int>(keyword_ ? TokenKind::Keyword : TokenKind::Identifier);
}

int ModuleParser::hexNumber() {
    ++pos_;
    while (isHexDigit(static_cast<unsigned char>(at(pos_))))
        ++pos_;
    return static_cast<int>(TokenKind::Integer);
}

int ModuleParser::number() {
    auto digit = [this](std::size_t i) { return isDigit(static_cast<unsigned char>(at(i))); };
    bool real = false;
    while (digit(pos_))
        ++pos_;
    if (at(pos_) == '.' && digit(pos_ + 1)) {
        real = true;
        ++pos_;
        while (digit(pos_))
            ++pos_;
    }
    if (at(pos_) == 'E' || at(pos_) == 'e') {
        std::size_t p = pos_ + 1;
        if (at(p) == '+' || at(p) == '-') ++p;
        if (digit(p)) {
            real = true;
            pos_ = p;
            while (digit(pos_))
                ++pos_;
        }
    }
    return static_cast<int>(real ? TokenKind::Real : TokenKind::Integer);
}

int ModuleParser::braceComment() {
    const std::size_t open = pos_;
    ++pos_;
    std::size_t close = pos_;
    while (close < text_.size() && text_[close] != '}' && text_[close] != '\r' &&
           text_[close] != '\n')
        ++close;
    if (at(open + 1) == '$') directive(std::string_view(text_).substr(open + 2, close - open - 2));
    if (at(close) == '}') {
        pos_ = close + 1;
    } else {
        pos_ = close;
        state_ = 1;
    }
    return static_cast<int>(TokenKind::Comment);
}

int ModuleParser::parenOrComment() {
    if (at(pos_ + 1) != '*') {
        ++pos_;
        return static_cast<int>(TokenKind::Symbol);
    }
    pos_ += 2;
    state_ = 2;
    return inStarComment();
}

int ModuleParser::slashOrComment() {
    if (at(pos_ + 1) != '/') {
        ++pos_;
        return static_cast<int>(TokenKind::Symbol);
    }
    toLineEnd();
    return static_cast<int>(TokenKind::Comment);
}

int ModuleParser::symbol() {
    ++pos_;
    return static_cast<int>(TokenKind::Symbol);
}

int ModuleParser::inBraceComment() {
    while (pos_ < text_.size() && text_[pos_] != '}' && text_[pos_] != '\r' && text_[pos_] != '\n')
        ++pos_;
    if (at(pos_) == '}') {
        ++pos_;
        state_ = 0;
    }
    return static_cast<int>(TokenKind::Comment);
}

int ModuleParser::inStarComment() {
    for (;;) {
        while (pos_ < text_.size() && text_[pos_] != '*' && text_[pos_] != '\r' &&
               text_[pos_] != '\n')
            ++pos_;
        if (at(pos_) != '*') break; // the comment goes on on the next line
        ++pos_;
        if (at(pos_) == ')') {
            ++pos_;
            state_ = 0;
            break;
        }
    }
    return static_cast<int>(TokenKind::Comment);
}

bool ModuleParser::isDefined(std::string_view symbol) const {
    return std::any_of(defines_.begin(), defines_.end(),
                       [&](const std::string& d) { return equalsNoCase(d, symbol); });
}

void ModuleParser::directive(std::string_view body) {
    std::size_t n = 0;
    while (n < body.size() && isIdentChar(static_cast<unsigned char>(body[n])))
        ++n;
    const std::string word = upperCase(body.substr(0, n));
    const std::string argument = trimmed(body.substr(n));
    std::string symbol;
    for (char c : argument) {
        if (!isIdentChar(static_cast<unsigned char>(c))) break;
        symbol += c;
    }
    const bool off = skipping();
    auto open = [&](bool selfOff) {
        if (depth_ >= kMaxConditionalDepth)
            throw ScannerError(msg::tooManyConditionals(), tokenLine_, tokenColumn_);
        Level& level = levels_[static_cast<std::size_t>(depth_++)];
        level.parentOff = off;
        level.selfOff = selfOff;
        level.off = off || selfOff;
    };
    if (word == "IFDEF") {
        open(!isDefined(symbol));
    } else if (word == "IFNDEF") {
        open(isDefined(symbol));
    } else if (word == "IFOPT") {
        open(true); // compiler switches are not modelled: every switch test is false
    } else if (word == "ELSE") {
        if (depth_ > 0) {
            Level& level = levels_[static_cast<std::size_t>(depth_ - 1)];
            level.selfOff = !level.selfOff;
            level.off = level.parentOff || level.selfOff;
        }
    } else if (word == "ENDIF") {
        if (depth_ > 0) --depth_;
    } else if (word == "DEFINE") {
        if (!off && !symbol.empty() && !isDefined(symbol)) defines_.push_back(symbol);
    } else if (word == "UNDEF") {
        if (!off)
            defines_.erase(
                std::remove_if(defines_.begin(), defines_.end(),
                               [&](const std::string& d) { return equalsNoCase(d, symbol); }),
                defines_.end());
    }
    // I, INCLUDE, R, RESOURCE and unknown words: nothing to do.
}

// ---- the compiler's token reader

bool convertStringLiteral(std::string_view text, std::string& out, std::string& error) {
    out.clear();
    if (text.empty()) {
        error = msg::badString();
        return false;
    }
    if (text[0] == '#') {
        std::string_view digits = text.substr(1);
        int base = 10;
        if (!digits.empty() && digits[0] == '$') {
            digits.remove_prefix(1);
            base = 16;
        }
        unsigned code = 0;
        const auto [end, ec] =
            std::from_chars(digits.data(), digits.data() + digits.size(), code, base);
        if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size() ||
            code > 255) {
            error = msg::badString();
            return false;
        }
        out.assign(1, static_cast<char>(code));
        return true;
    }
    // Between the apostrophes a doubled apostrophe stands for one; a literal that was not
    // closed on its line simply ends there.
    for (std::size_t i = 1; i < text.size(); ++i) {
        if (text[i] == '\'') {
            if (i + 1 < text.size() && text[i + 1] == '\'') {
                out += '\'';
                ++i;
                continue;
            }
            break;
        }
        out += text[i];
    }
    return true;
}

bool convertNumber(std::string_view text, bool real, Value& out, std::string& error) {
    if (!text.empty() && text[0] == '$') {
        const std::string_view digits = text.substr(1);
        std::uint64_t v = 0;
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v, 16);
        if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size()) {
            error = msg::badHexConstant();
            return false;
        }
        // Up to eight digits are the bit pattern of a 32-bit integer ($FFFFFFFF is -1).
        if (v <= 0xFFFFFFFFull)
            out = Value(static_cast<std::int32_t>(static_cast<std::uint32_t>(v)));
        else
            out = Value::fromInt64(static_cast<std::int64_t>(v));
        return true;
    }
    if (!real) {
        std::int64_t v = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
        if (ec == std::errc() && end == text.data() + text.size()) {
            out = Value::fromInt64(v);
            return true;
        }
    }
    double d = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), d);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(d)) {
        error = msg::badDeclaration(text);
        return false;
    }
    out = Value(d);
    return true;
}

Token TokenReader::read() {
    Token t;
    const TokenKind kind = parser_.nextToken();
    t.line = parser_.tokenLine();
    t.column = parser_.tokenColumn();
    t.text = std::string(parser_.tokenText());
    switch (kind) {
    case TokenKind::End:
    case TokenKind::Comment:
        t.code = kTokEnd;
        break;
    case TokenKind::String: {
        t.code = kTokString;
        std::string s;
        convertStringLiteral(t.text, s, t.error);
        t.value = Value(std::move(s));
        break;
    }
    case TokenKind::Identifier:
        t.code = kTokIdent;
        break;
    case TokenKind::Integer:
    case TokenKind::Real:
        t.code = kTokNumber;
        convertNumber(t.text, kind == TokenKind::Real, t.value, t.error);
        break;
    case TokenKind::Keyword:
        t.code = parser_.keyword();
        break;
    case TokenKind::Symbol:
        t.code = static_cast<unsigned char>(t.text[0]);
        break;
    }
    return t;
}

void TokenReader::advance() {
    if (hasPeeked_) {
        current_ = std::move(peeked_);
        hasPeeked_ = false;
    } else {
        current_ = read();
    }
}

const Token& TokenReader::peek() {
    if (!hasPeeked_) {
        peeked_ = read();
        hasPeeked_ = true;
    }
    return peeked_;
}

} // namespace vorlan::script::pascal
