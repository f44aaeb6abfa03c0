#include "script/js/js_names.h"

#include <array>
#include <vector>

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

} // namespace

bool isJsReservedWord(std::string_view word) {
    static constexpr std::array<std::string_view, 44> words = {
        "break",      "case",    "catch",  "class",    "const",     "continue", "debugger",
        "default",    "delete",  "do",     "else",     "enum",      "export",   "extends",
        "false",      "finally", "for",    "function", "if",        "import",   "in",
        "instanceof", "new",     "null",   "return",   "super",     "switch",   "this",
        "throw",      "true",    "try",    "typeof",   "var",       "void",     "while",
        "with",       "let",     "static", "yield",    "undefined", "NaN",      "Infinity",
        "arguments",  "eval"};
    for (auto w : words)
        if (w == word) return true;
    return false;
}

ModuleNames scanModuleNames(std::string_view src) {
    ModuleNames names;
    enum class Prev { Start, Operator, Value, Dot, Keyword };
    Prev prev = Prev::Start;
    std::string lastWord;
    // Open `var` statements: the bracket depth at which each began.
    std::vector<int> varDepths;
    int depth = 0;
    // Declarations inside a function body are local: they hide nothing outside it.
    int braceDepth = 0;
    bool declareNext = false;
    bool lastWasThis = false; // the last token was `this`
    bool afterThis = false;   // the last two tokens were `this` and "."

    std::size_t i = 0;
    const std::size_t n = src.size();
    while (i < n) {
        const auto c = static_cast<unsigned char>(src[i]);
        // 0xA0 is the no-break space of Windows-1250, white space to the engine too.
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v' ||
            c == 0xA0) {
            ++i;
            continue;
        }
        if (c == '/' && i + 1 < n && src[i + 1] == '/') {
            while (i < n && src[i] != '\n' && src[i] != '\r')
                ++i;
            continue;
        }
        if (c == '/' && i + 1 < n && src[i + 1] == '*') {
            const auto end = src.find("*/", i + 2);
            i = end == std::string_view::npos ? n : end + 2;
            continue;
        }
        if (c == '"' || c == '\'' || c == '`') {
            ++i;
            while (i < n && static_cast<unsigned char>(src[i]) != c) {
                if (src[i] == '\\') ++i;
                ++i;
            }
            ++i;
            prev = Prev::Value;
            continue;
        }
        if (c == '/' && prev != Prev::Value) {
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
            prev = Prev::Value;
            continue;
        }
        if (c >= '0' && c <= '9') {
            while (i < n && (isIdentPart(static_cast<unsigned char>(src[i])) || src[i] == '.'))
                ++i;
            prev = Prev::Value;
            continue;
        }
        if (isIdentStart(c)) {
            const std::size_t start = i;
            while (i < n && isIdentPart(static_cast<unsigned char>(src[i])))
                ++i;
            const std::string_view word = src.substr(start, i - start);
            if (prev == Prev::Dot) {
                // `this.Caption` at the top level reaches a global like a free name does.
                if (afterThis) names.used.emplace(word);
                prev = Prev::Value;
                afterThis = false;
                continue;
            }
            lastWasThis = word == "this";
            if (word == "var" || word == "let" || word == "const") {
                varDepths.push_back(depth);
                declareNext = true;
                prev = Prev::Keyword;
                continue;
            }
            if (word == "function") {
                declareNext = true;
                prev = Prev::Keyword;
                continue;
            }
            if (isJsReservedWord(word)) {
                declareNext = false;
                prev = word == "this" || word == "true" || word == "false" || word == "null"
                           ? Prev::Value
                       : keywordBeforeExpression(word) ? Prev::Operator
                                                       : Prev::Keyword;
                continue;
            }
            if (declareNext && braceDepth == 0)
                names.declared.emplace(word);
            else if (!declareNext)
                names.used.emplace(word);
            declareNext = false;
            prev = Prev::Value;
            continue;
        }
        // Punctuation.
        ++i;
        if (c != '.') lastWasThis = false;
        declareNext = false;
        switch (c) {
        case '.':
            afterThis = lastWasThis;
            prev = Prev::Dot;
            break;
        case '{':
            ++braceDepth;
            [[fallthrough]];
        case '(':
        case '[':
            ++depth;
            prev = Prev::Operator;
            break;
        case ')':
        case ']':
            --depth;
            prev = Prev::Value;
            break;
        case '}':
            --braceDepth;
            --depth;
            while (!varDepths.empty() && varDepths.back() > depth)
                varDepths.pop_back();
            prev = Prev::Operator;
            break;
        case ';':
            while (!varDepths.empty() && varDepths.back() >= depth)
                varDepths.pop_back();
            prev = Prev::Operator;
            break;
        case ',':
            if (!varDepths.empty() && varDepths.back() == depth) declareNext = true;
            prev = Prev::Operator;
            break;
        default:
            prev = Prev::Operator;
            break;
        }
    }
    return names;
}

} // namespace vorlan::script::js
