#include "script/stream/text_form.h"

#include "core/cp1250.h"
#include "script/stream/component_stream.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <locale.h>
#include <vector>

namespace vorlan::stream {
namespace {

constexpr int kIndentStep = 2;
// Characters per line of a long string and hex digits per line of binary data, as form files
// have always been laid out.
constexpr std::size_t kStringChunk = 64;
constexpr std::size_t kHexLine = 64;
constexpr std::size_t kInlineBinaryBytes = 32;

bool isAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isIdentStart(char c) {
    return isAsciiLetter(c) || c == '_';
}
bool isIdentChar(char c) {
    return isIdentStart(c) || isDigit(c) || c == '.';
}

bool isIdentifier(std::string_view text) {
    if (text.empty() || !isIdentStart(text[0])) return false;
    for (char c : text)
        if (!isIdentChar(c)) return false;
    return true;
}

// Characters written as #n rather than literally: the C0 and C1 control characters, and UTF-16
// halves without a partner, which UTF-8 cannot carry.
bool needsCharCode(char32_t cp) {
    return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F) || (cp >= 0xD800 && cp <= 0xDFFF);
}

ValueKind smallestIntegerKind(std::int64_t value) {
    if (value >= -128 && value <= 127) return ValueKind::Int8;
    if (value >= -32768 && value <= 32767) return ValueKind::Int16;
    return ValueKind::Int32;
}

locale_t cLocale() {
    // Numbers in the text always use '.', whatever locale the program runs in.
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

// ---------------------------------------------------------------------------------------------
// Writing

class TextWriter {
public:
    std::string take() { return std::move(out_); }

    void object(const StreamObject& object, int indent) {
        indentTo(indent);
        if (object.flags & FlagInline)
            out_ += "inline ";
        else if (object.flags & FlagInherited)
            out_ += "inherited ";
        else
            out_ += "object ";
        if (!object.name.empty()) {
            identifier(object.name, "název objektu");
            out_ += ": ";
        }
        identifier(object.className, "název třídy");
        if (object.flags & FlagChildPos) out_ += " [" + std::to_string(object.position) + "]";
        out_ += '\n';
        for (const auto& property : object.properties)
            this->property(property, indent + kIndentStep);
        for (const auto& child : object.children)
            this->object(child, indent + kIndentStep);
        indentTo(indent);
        out_ += "end\n";
    }

private:
    void indentTo(int indent) { out_.append(static_cast<std::size_t>(indent), ' '); }

    void identifier(const std::string& text, const char* what) {
        if (!isIdentifier(text))
            throw StreamError(std::string("Nelze zapsat ") + what + " '" + cp1250ToUtf8(text) +
                              "' jako text: není to identifikátor");
        out_ += text;
    }

    void property(const StreamProperty& property, int indent) {
        indentTo(indent);
        identifier(property.name, "název vlastnosti");
        out_ += " = ";
        value(property.value, indent, false);
        out_ += '\n';
    }

    // `indent` is that of the line the value starts on; `lineStart` tells whether the value has
    // that line to itself (a list element) or follows "Name = ".
    void value(const StreamValue& v, int indent, bool lineStart) {
        switch (v.kind) {
        case ValueKind::Null:
            out_ += "Null";
            break;
        case ValueKind::Nil:
            out_ += "nil";
            break;
        case ValueKind::False:
            out_ += "False";
            break;
        case ValueKind::True:
            out_ += "True";
            break;
        case ValueKind::Int8:
        case ValueKind::Int16:
        case ValueKind::Int32:
            out_ += std::to_string(v.integer);
            break;
        case ValueKind::Extended:
            extended(v.extended);
            break;
        case ValueKind::Ident:
            identifier(v.text, "hodnotu identifikátoru");
            break;
        case ValueKind::String:
        case ValueKind::LString: {
            std::u32string chars;
            chars.reserve(v.text.size());
            for (char c : v.text)
                chars += cp1250ToUnicode(static_cast<unsigned char>(c));
            string(chars, indent, lineStart);
            break;
        }
        case ValueKind::WString:
            string(codePoints(v.wide), indent, lineStart);
            break;
        case ValueKind::Binary:
            binary(v.text, indent);
            break;
        case ValueKind::Set:
            out_ += '[';
            for (std::size_t i = 0; i < v.set.size(); ++i) {
                if (i > 0) out_ += ", ";
                identifier(v.set[i], "prvek množiny");
            }
            out_ += ']';
            break;
        case ValueKind::List:
            out_ += '(';
            for (const auto& element : v.list) {
                if (element.kind == ValueKind::Null)
                    throw StreamError("Seznam nemůže obsahovat hodnotu Null");
                out_ += '\n';
                indentTo(indent + kIndentStep);
                value(element, indent + kIndentStep, true);
            }
            out_ += ')';
            break;
        case ValueKind::Collection:
            out_ += '<';
            for (const auto& item : v.items) {
                out_ += '\n';
                indentTo(indent + kIndentStep);
                out_ += "item";
                if (item.order.size() > 1)
                    throw StreamError("Položka kolekce má více než jedno pořadí");
                if (!item.order.empty()) {
                    if (!item.order[0].isInteger())
                        throw StreamError("Pořadí položky kolekce není celé číslo");
                    out_ += " [" + std::to_string(item.order[0].integer) + "]";
                }
                out_ += '\n';
                for (const auto& property : item.properties)
                    this->property(property, indent + 2 * kIndentStep);
                indentTo(indent + kIndentStep);
                out_ += "end";
            }
            out_ += '>';
            break;
        default:
            throw StreamError("Neznámý druh hodnoty " +
                              std::to_string(static_cast<unsigned>(v.kind)));
        }
    }

    void extended(long double number) {
        if (!std::isfinite(number))
            throw StreamError("Nekonečné číslo ani NaN nelze zapsat jako text");
        // The shortest digits that read back to exactly the same 80-bit value.
        char buffer[64];
        const auto result =
            std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::general);
        std::string text(buffer, result.ptr);
        bool isFloat = false;
        for (char& c : text) {
            if (c == 'e') c = 'E';
            if (c == 'E' || c == '.') isFloat = true;
        }
        // Without a point or exponent it would read back as an integer.
        if (!isFloat) text += ".0";
        out_ += text;
    }

    static std::u32string codePoints(std::u16string_view wide) {
        std::u32string chars;
        chars.reserve(wide.size());
        for (std::size_t i = 0; i < wide.size(); ++i) {
            const char16_t unit = wide[i];
            if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
                wide[i + 1] <= 0xDFFF) {
                chars += static_cast<char32_t>(0x10000 + ((unit - 0xD800) << 10) +
                                               (wide[i + 1] - 0xDC00));
                ++i;
            } else {
                chars += unit;
            }
        }
        return chars;
    }

    // Quoted runs and #n codes, cut into pieces joined by '+' at line ends when the string is long.
    void string(std::u32string_view chars, int indent, bool lineStart) {
        std::vector<std::string> pieces(1);
        bool quoted = false;
        std::size_t count = 0;
        for (std::size_t i = 0; i < chars.size(); ++i) {
            std::string& piece = pieces.back();
            const char32_t cp = chars[i];
            if (needsCharCode(cp)) {
                if (quoted) piece += '\'';
                quoted = false;
                piece += '#' + std::to_string(static_cast<std::uint32_t>(cp));
            } else {
                if (!quoted) piece += '\'';
                quoted = true;
                if (cp == '\'')
                    piece += "''";
                else
                    appendUtf8(piece, cp);
            }
            if (++count == kStringChunk && i + 1 < chars.size()) {
                if (quoted) piece += '\'';
                quoted = false;
                count = 0;
                pieces.emplace_back();
            }
        }
        if (quoted) pieces.back() += '\'';
        if (pieces.back().empty()) pieces.back() = "''";

        if (pieces.size() == 1) {
            out_ += pieces[0];
            return;
        }
        int at = indent;
        if (!lineStart) {
            if (!out_.empty() && out_.back() == ' ') out_.pop_back();
            at = indent + kIndentStep;
            out_ += '\n';
            indentTo(at);
        }
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            if (i > 0) {
                out_ += " +\n";
                indentTo(at);
            }
            out_ += pieces[i];
        }
    }

    void binary(std::string_view bytes, int indent) {
        constexpr char digits[] = "0123456789ABCDEF";
        std::string hex;
        hex.reserve(bytes.size() * 2);
        for (char c : bytes) {
            hex += digits[static_cast<unsigned char>(c) >> 4];
            hex += digits[static_cast<unsigned char>(c) & 0x0F];
        }
        out_ += '{';
        if (bytes.size() <= kInlineBinaryBytes) {
            out_ += hex;
        } else {
            for (std::size_t pos = 0; pos < hex.size(); pos += kHexLine) {
                out_ += '\n';
                indentTo(indent + kIndentStep);
                out_ += hex.substr(pos, kHexLine);
            }
        }
        out_ += '}';
    }

    std::string out_;
};

// ---------------------------------------------------------------------------------------------
// Reading

enum class TokenType { End, Ident, Integer, Float, String, Binary, Symbol };

struct Token {
    TokenType type = TokenType::End;
    int line = 1;
    std::string text;    // Ident: the name; Binary: the bytes
    std::u16string wide; // String
    std::int64_t integer = 0;
    long double real = 0;
    char symbol = 0;
};

[[noreturn]] void failAt(int line, const std::string& message) {
    throw StreamError("Řádek " + std::to_string(line) + ": " + message);
}

// Decodes one UTF-8 character; 0 when the bytes are not valid UTF-8.
std::size_t decodeUtf8(std::string_view text, std::size_t pos, char32_t& cp) {
    const auto b0 = static_cast<unsigned char>(text[pos]);
    std::size_t length = 0;
    char32_t least = 0;
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    } else if ((b0 & 0xE0) == 0xC0) {
        length = 2, cp = b0 & 0x1F, least = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        length = 3, cp = b0 & 0x0F, least = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        length = 4, cp = b0 & 0x07, least = 0x10000;
    } else {
        return 0;
    }
    if (length > text.size() - pos) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto b = static_cast<unsigned char>(text[pos + i]);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return length;
}

void appendUtf16(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out += static_cast<char16_t>(cp);
    } else {
        cp -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (cp >> 10));
        out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    }
}

class Lexer {
public:
    explicit Lexer(std::string_view text) : text_(text) {
        if (text_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
    }

    std::vector<Token> tokens() {
        std::vector<Token> result;
        for (;;) {
            result.push_back(next());
            if (result.back().type == TokenType::End) return result;
        }
    }

private:
    bool more() const { return pos_ < text_.size(); }
    char current() const { return text_[pos_]; }
    bool at(char c) const { return more() && current() == c; }
    bool digitAt(std::size_t pos) const { return pos < text_.size() && isDigit(text_[pos]); }

    Token next() {
        while (more() &&
               (current() == ' ' || current() == '\t' || current() == '\r' || current() == '\n')) {
            if (current() == '\n') ++line_;
            ++pos_;
        }
        Token token;
        token.line = line_;
        if (!more()) return token;
        const char c = current();
        if (isIdentStart(c)) {
            const std::size_t start = pos_;
            while (more() && isIdentChar(current()))
                ++pos_;
            token.type = TokenType::Ident;
            token.text = text_.substr(start, pos_ - start);
        } else if (isDigit(c) || ((c == '-' || c == '+') && digitAt(pos_ + 1))) {
            number(token);
        } else if (c == '\'' || c == '#') {
            string(token);
        } else if (c == '{') {
            binary(token);
        } else if (std::string_view("=:[](),<>+").find(c) != std::string_view::npos) {
            token.type = TokenType::Symbol;
            token.symbol = c;
            ++pos_;
        } else {
            const auto byte = static_cast<unsigned char>(c);
            if (byte > 0x20 && byte < 0x7F) failAt(line_, std::string("nečekaný znak '") + c + "'");
            constexpr char digits[] = "0123456789ABCDEF";
            failAt(line_,
                   std::string("nečekaný bajt 0x") + digits[byte >> 4] + digits[byte & 0x0F]);
        }
        return token;
    }

    void number(Token& token) {
        const std::size_t start = pos_;
        if (at('-') || at('+')) ++pos_;
        while (digitAt(pos_))
            ++pos_;
        bool isFloat = false;
        if (at('.')) {
            isFloat = true;
            ++pos_;
            while (digitAt(pos_))
                ++pos_;
        }
        if (at('e') || at('E')) {
            isFloat = true;
            ++pos_;
            if (at('-') || at('+')) ++pos_;
            if (!digitAt(pos_)) failAt(line_, "v exponentu čísla chybí číslice");
            while (digitAt(pos_))
                ++pos_;
        }
        const std::string digits(text_.substr(start, pos_ - start));
        if (isFloat) {
            char* end = nullptr;
            token.type = TokenType::Float;
            token.real = strtold_l(digits.c_str(), &end, cLocale());
            if (end != digits.c_str() + digits.size())
                failAt(line_, "chybný zápis čísla '" + digits + "'");
            // Too small a number becomes zero or a denormal, which is fine; too large has no value.
            if (std::isinf(token.real)) failAt(line_, "číslo je mimo rozsah: " + digits);
        } else {
            token.type = TokenType::Integer;
            std::int64_t value = 0;
            const bool negative = digits[0] == '-';
            for (char d : digits) {
                if (!isDigit(d)) continue;
                value = value * 10 + (d - '0');
                if (value > std::int64_t{1} << 31)
                    failAt(line_, "celé číslo je mimo rozsah: " + digits);
            }
            value = negative ? -value : value;
            if (value > std::numeric_limits<std::int32_t>::max())
                failAt(line_, "celé číslo je mimo rozsah: " + digits);
            token.integer = value;
        }
    }

    // Adjacent quoted runs and #n codes make one string.
    void string(Token& token) {
        token.type = TokenType::String;
        while (at('\'') || at('#')) {
            if (at('#')) {
                ++pos_;
                if (!digitAt(pos_)) failAt(line_, "za '#' má být kód znaku");
                std::uint32_t code = 0;
                while (digitAt(pos_)) {
                    code = code * 10 + static_cast<std::uint32_t>(current() - '0');
                    if (code > 0x10FFFF) failAt(line_, "kód znaku je mimo rozsah");
                    ++pos_;
                }
                appendUtf16(token.wide, code);
                continue;
            }
            ++pos_;
            for (;;) {
                if (!more() || current() == '\n' || current() == '\r')
                    failAt(line_, "neukončený řetězec");
                if (current() == '\'') {
                    if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '\'') {
                        token.wide += u'\'';
                        pos_ += 2;
                        continue;
                    }
                    ++pos_;
                    break;
                }
                char32_t cp = 0;
                const std::size_t length = decodeUtf8(text_, pos_, cp);
                if (length == 0) failAt(line_, "řetězec není platné UTF-8");
                appendUtf16(token.wide, cp);
                pos_ += length;
            }
        }
    }

    void binary(Token& token) {
        token.type = TokenType::Binary;
        const int startLine = line_;
        ++pos_;
        int high = -1;
        for (;;) {
            if (!more()) failAt(startLine, "za binárními daty chybí '}'");
            const char c = current();
            ++pos_;
            if (c == '}') break;
            if (c == '\n') ++line_;
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
            int nibble = -1;
            if (isDigit(c))
                nibble = c - '0';
            else if (c >= 'A' && c <= 'F')
                nibble = c - 'A' + 10;
            else if (c >= 'a' && c <= 'f')
                nibble = c - 'a' + 10;
            else
                failAt(line_, "binární data obsahují znak, který není šestnáctková číslice");
            if (high < 0) {
                high = nibble;
            } else {
                token.text += static_cast<char>((high << 4) | nibble);
                high = -1;
            }
        }
        if (high >= 0) failAt(line_, "binární data mají lichý počet šestnáctkových číslic");
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    int line_ = 1;
};

class Parser {
public:
    explicit Parser(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

    StreamObject root() {
        if (!atObjectKeyword())
            failAt(peek().line, "očekáváno 'object', 'inherited' nebo 'inline'");
        StreamObject result = object();
        if (peek().type != TokenType::End) failAt(peek().line, "nečekaný text za posledním 'end'");
        return result;
    }

private:
    struct DepthGuard {
        DepthGuard(Parser& p, int line) : parser(p) {
            if (++parser.depth_ > kMaxStreamDepth)
                failAt(line, "vnořeno hlouběji než " + std::to_string(kMaxStreamDepth) + " úrovní");
        }
        ~DepthGuard() { --parser.depth_; }
        DepthGuard(const DepthGuard&) = delete;
        DepthGuard& operator=(const DepthGuard&) = delete;
        Parser& parser;
    };

    const Token& peek(std::size_t ahead = 0) const {
        return tokens_[std::min(index_ + ahead, tokens_.size() - 1)];
    }
    const Token& next() {
        const Token& token = peek();
        if (index_ + 1 < tokens_.size()) ++index_;
        return token;
    }
    bool peekSymbol(char symbol, std::size_t ahead = 0) const {
        return peek(ahead).type == TokenType::Symbol && peek(ahead).symbol == symbol;
    }
    void expectSymbol(char symbol, const std::string& message) {
        if (!peekSymbol(symbol)) failAt(peek().line, message);
        next();
    }
    static bool isWord(const Token& token, std::string_view word) {
        return token.type == TokenType::Ident && equalsNoCase(token.text, word);
    }
    // A keyword starts a line only when no '=' follows; otherwise it names a property.
    bool isKeywordHere(std::string_view word) const {
        return isWord(peek(), word) && !peekSymbol('=', 1);
    }
    bool atObjectKeyword() const {
        return isKeywordHere("object") || isKeywordHere("inherited") || isKeywordHere("inline");
    }

    std::string name(const std::string& message) {
        const Token& token = next();
        if (token.type != TokenType::Ident) failAt(token.line, message);
        // Names are short strings in the binary stream.
        if (token.text.size() > 255) failAt(token.line, "jméno je delší než 255 znaků");
        return token.text;
    }

    std::int32_t integer(ValueKind& kind, const std::string& message) {
        const Token& token = next();
        if (token.type != TokenType::Integer) failAt(token.line, message);
        kind = smallestIntegerKind(token.integer);
        return static_cast<std::int32_t>(token.integer);
    }

    StreamObject object() {
        const Token& keyword = next();
        DepthGuard guard(*this, keyword.line);
        StreamObject result;
        if (isWord(keyword, "inherited"))
            result.flags = FlagInherited;
        else if (isWord(keyword, "inline"))
            result.flags = FlagInline;
        std::string first = name("očekáváno jméno objektu nebo třídy");
        if (peekSymbol(':')) {
            next();
            result.name = std::move(first);
            result.className = name("za ':' má být jméno třídy");
        } else {
            result.className = std::move(first);
        }
        if (peekSymbol('[')) {
            next();
            result.flags |= FlagChildPos;
            result.position = integer(result.positionKind, "očekáváno pořadí potomka");
            expectSymbol(']', "za pořadím potomka chybí ']'");
        }
        for (;;) {
            const Token& token = peek();
            if (token.type == TokenType::End)
                failAt(token.line, "chybí 'end' objektu '" +
                                       (result.name.empty() ? result.className : result.name) +
                                       "'");
            if (atObjectKeyword()) {
                result.children.push_back(object());
            } else if (isKeywordHere("end")) {
                next();
                return result;
            } else {
                result.properties.push_back(property());
            }
        }
    }

    StreamProperty property() {
        StreamProperty result;
        result.name = name("očekáváno jméno vlastnosti");
        expectSymbol('=', "za jménem vlastnosti chybí '='");
        result.value = value();
        return result;
    }

    StreamValue value() {
        const Token& token = next();
        StreamValue v;
        switch (token.type) {
        case TokenType::Integer:
            v.kind = smallestIntegerKind(token.integer);
            v.integer = static_cast<std::int32_t>(token.integer);
            return v;
        case TokenType::Float:
            v.kind = ValueKind::Extended;
            v.extended = token.real;
            return v;
        case TokenType::Binary:
            v.kind = ValueKind::Binary;
            v.text = token.text;
            return v;
        case TokenType::String:
            return string(token);
        case TokenType::Ident:
            if (equalsNoCase(token.text, "True")) {
                v.kind = ValueKind::True;
            } else if (equalsNoCase(token.text, "False")) {
                v.kind = ValueKind::False;
            } else if (equalsNoCase(token.text, "nil")) {
                v.kind = ValueKind::Nil;
            } else if (equalsNoCase(token.text, "Null")) {
                v.kind = ValueKind::Null;
            } else {
                if (token.text.size() > 255) failAt(token.line, "jméno je delší než 255 znaků");
                v.kind = ValueKind::Ident;
                v.text = token.text;
            }
            return v;
        case TokenType::Symbol:
            if (token.symbol == '[') return set();
            if (token.symbol == '(') return list(token.line);
            if (token.symbol == '<') return collection(token.line);
            break;
        default:
            break;
        }
        failAt(token.line, "očekávána hodnota");
    }

    StreamValue string(const Token& first) {
        std::u16string text = first.wide;
        while (peekSymbol('+')) {
            next();
            const Token& piece = next();
            if (piece.type != TokenType::String) failAt(piece.line, "za '+' má být řetězec");
            text += piece.wide;
        }
        StreamValue v;
        std::string bytes;
        bytes.reserve(text.size());
        for (char16_t unit : text) {
            const int b = unit >= 0xD800 && unit <= 0xDFFF ? -1 : unicodeToCp1250(unit);
            if (b < 0) {
                v.kind = ValueKind::WString;
                v.wide = std::move(text);
                return v;
            }
            bytes += static_cast<char>(b);
        }
        v.kind = bytes.size() > 255 ? ValueKind::LString : ValueKind::String;
        v.text = std::move(bytes);
        return v;
    }

    StreamValue set() {
        StreamValue v;
        v.kind = ValueKind::Set;
        if (peekSymbol(']')) {
            next();
            return v;
        }
        for (;;) {
            v.set.push_back(name("očekáváno jméno prvku množiny"));
            const Token& token = next();
            if (token.type == TokenType::Symbol && token.symbol == ']') return v;
            if (token.type != TokenType::Symbol || token.symbol != ',')
                failAt(token.line, "v množině chybí ',' nebo ']'");
        }
    }

    StreamValue list(int line) {
        DepthGuard guard(*this, line);
        StreamValue v;
        v.kind = ValueKind::List;
        while (!peekSymbol(')')) {
            if (peek().type == TokenType::End) failAt(peek().line, "za seznamem chybí ')'");
            const int elementLine = peek().line;
            v.list.push_back(value());
            // The binary stream ends a list with the byte that would stand for Null.
            if (v.list.back().kind == ValueKind::Null)
                failAt(elementLine, "seznam nemůže obsahovat Null");
        }
        next();
        return v;
    }

    StreamValue collection(int line) {
        DepthGuard guard(*this, line);
        StreamValue v;
        v.kind = ValueKind::Collection;
        while (!peekSymbol('>')) {
            if (!isWord(peek(), "item")) failAt(peek().line, "očekáváno 'item' nebo '>'");
            next();
            CollectionItem item;
            if (peekSymbol('[')) {
                next();
                StreamValue order;
                order.integer = integer(order.kind, "očekáváno pořadí položky");
                item.order.push_back(order);
                expectSymbol(']', "za pořadím položky chybí ']'");
            }
            for (;;) {
                if (peek().type == TokenType::End)
                    failAt(peek().line, "chybí 'end' položky kolekce");
                if (isKeywordHere("end")) {
                    next();
                    break;
                }
                item.properties.push_back(property());
            }
            v.items.push_back(std::move(item));
        }
        next();
        return v;
    }

    std::vector<Token> tokens_;
    std::size_t index_ = 0;
    int depth_ = 0;
};

} // namespace

std::string componentToText(const StreamObject& object) {
    TextWriter writer;
    writer.object(object, 0);
    return writer.take();
}

StreamObject componentFromText(std::string_view text) {
    Parser parser(Lexer(text).tokens());
    return parser.root();
}

} // namespace vorlan::stream
