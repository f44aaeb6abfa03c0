#include "script/js/js_tokens.h"

#include <array>

namespace vorlan::script::js {

namespace {

bool isIdentStart(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$' ||
           (c >= 0x80 && c != 0xA0);
}
bool isIdentPart(unsigned char c) {
    return isIdentStart(c) || (c >= '0' && c <= '9');
}

// Keywords after which a "/" starts a regular expression rather than a division.
bool keywordBeforeExpression(std::string_view word) {
    static constexpr std::array<std::string_view, 12> words = {
        "return", "typeof", "instanceof", "in",   "of", "new",
        "delete", "void",   "throw",      "case", "do", "else"};
    for (auto w : words)
        if (w == word) return true;
    return false;
}

// Whether a "/" after this token divides it.
bool endsValue(const JsToken& token) {
    switch (token.kind) {
    case JsToken::Kind::Identifier:
        return !keywordBeforeExpression(token.text);
    case JsToken::Kind::Punctuation:
        return token.is(')') || token.is(']');
    default:
        return true;
    }
}

} // namespace

std::vector<JsToken> tokenizeJs(std::string_view src) {
    std::vector<JsToken> tokens;
    const std::size_t n = src.size();
    std::size_t i = 0;
    auto add = [&](JsToken::Kind kind, std::size_t begin) {
        const std::size_t end = i < n ? i : n;
        tokens.push_back({kind, begin, end, src.substr(begin, end - begin)});
    };
    while (i < n) {
        const auto c = static_cast<unsigned char>(src[i]);
        const std::size_t begin = i;
        // 0xA0 is the no-break space of Windows-1250, white space to the engine too.
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v' ||
            c == 0xA0) {
            ++i;
        } else if (c == '/' && i + 1 < n && src[i + 1] == '/') {
            while (i < n && src[i] != '\n' && src[i] != '\r')
                ++i;
        } else if (c == '/' && i + 1 < n && src[i + 1] == '*') {
            const auto end = src.find("*/", i + 2);
            i = end == std::string_view::npos ? n : end + 2;
        } else if (c == '"' || c == '\'' || c == '`') {
            ++i;
            while (i < n && static_cast<unsigned char>(src[i]) != c) {
                if (src[i] == '\\') ++i;
                ++i;
            }
            ++i;
            add(JsToken::Kind::String, begin);
        } else if (c == '/' && (tokens.empty() || !endsValue(tokens.back()))) {
            // A regular expression literal: up to the closing "/" outside a character class.
            bool inClass = false;
            ++i;
            while (i < n && src[i] != '\n') {
                if (src[i] == '\\')
                    ++i;
                else if (src[i] == '[')
                    inClass = true;
                else if (src[i] == ']')
                    inClass = false;
                else if (src[i] == '/' && !inClass)
                    break;
                ++i;
            }
            ++i;
            while (i < n && isIdentPart(static_cast<unsigned char>(src[i])))
                ++i;
            add(JsToken::Kind::Regex, begin);
        } else if (c >= '0' && c <= '9') {
            while (i < n && (isIdentPart(static_cast<unsigned char>(src[i])) || src[i] == '.'))
                ++i;
            add(JsToken::Kind::Number, begin);
        } else if (isIdentStart(c)) {
            while (i < n && isIdentPart(static_cast<unsigned char>(src[i])))
                ++i;
            add(JsToken::Kind::Identifier, begin);
        } else {
            ++i;
            add(JsToken::Kind::Punctuation, begin);
        }
    }
    return tokens;
}

} // namespace vorlan::script::js
