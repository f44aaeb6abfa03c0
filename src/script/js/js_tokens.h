#pragma once
// The tokens of JavaScript module text, enough to see its structure without parsing it:
// identifiers and keywords, literals, and punctuation one character at a time. Comments and
// white space are dropped; a "/" is a regular expression or a division by what comes before it.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace vorlan::script::js {

struct JsToken {
    enum class Kind : std::uint8_t { Identifier, String, Number, Regex, Punctuation };
    Kind kind = Kind::Punctuation;
    std::size_t begin = 0; // byte offsets in the text
    std::size_t end = 0;
    std::string_view text;

    bool is(char c) const { return kind == Kind::Punctuation && text.size() == 1 && text[0] == c; }
    bool isWord(std::string_view word) const { return kind == Kind::Identifier && text == word; }
};

// Never fails: unterminated literals and comments end at the end of the text.
std::vector<JsToken> tokenizeJs(std::string_view source);

} // namespace vorlan::script::js
