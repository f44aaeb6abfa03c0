#include "core/cp1250.h"
#include "script/registry.h"

#include <cctype>
#include <mutex>
#include <stdexcept>
#include <string>
#include <unordered_map>

namespace vorlan::script {

namespace {

// A tiny scanner over declarations such as "function(var a, b: Integer; const s: string): Real".
class DeclarationScanner {
public:
    explicit DeclarationScanner(std::string_view text) : text_(text) {}

    void skipSpace() {
        while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_])))
            ++pos_;
    }
    bool atEnd() {
        skipSpace();
        return pos_ >= text_.size();
    }
    bool accept(char c) {
        skipSpace();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    void expect(char c) {
        if (!accept(c)) fail(std::string("expected '") + c + "'");
    }
    std::string_view word() {
        skipSpace();
        const std::size_t start = pos_;
        while (pos_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[pos_])) ||
                                       text_[pos_] == '_' || text_[pos_] == '.'))
            ++pos_;
        if (start == pos_) fail("expected a name");
        return text_.substr(start, pos_ - start);
    }
    bool peekWord(std::string_view w) {
        skipSpace();
        const std::size_t end = pos_ + w.size();
        if (end > text_.size() || !equalsNoCase(text_.substr(pos_, w.size()), w)) return false;
        return end == text_.size() ||
               !(std::isalnum(static_cast<unsigned char>(text_[end])) || text_[end] == '_');
    }
    // A literal: a number, a quoted text, True or False.
    Value literal() {
        skipSpace();
        if (accept('\'')) {
            std::string text;
            for (;;) {
                if (pos_ >= text_.size()) fail("unterminated text");
                const char c = text_[pos_++];
                if (c == '\'') {
                    if (pos_ < text_.size() && text_[pos_] == '\'') {
                        text += c;
                        ++pos_;
                        continue;
                    }
                    return Value(std::move(text));
                }
                text += c;
            }
        }
        const std::size_t start = pos_;
        if (pos_ < text_.size() && (text_[pos_] == '-' || text_[pos_] == '+')) ++pos_;
        while (pos_ < text_.size() &&
               (std::isalnum(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '.'))
            ++pos_;
        const std::string_view word = text_.substr(start, pos_ - start);
        if (equalsNoCase(word, "True")) return Value(true);
        if (equalsNoCase(word, "False")) return Value(false);
        double number = 0;
        if (word.empty() || !parseNumber(word, number)) fail("expected a default value");
        if (word.find_first_of(".eE") == std::string_view::npos && number >= -2147483648.0 &&
            number <= 2147483647.0)
            return Value(static_cast<std::int32_t>(number));
        return Value(number);
    }
    [[noreturn]] void fail(const std::string& why) const {
        throw std::invalid_argument("Bad routine declaration '" + std::string(text_) + "': " + why);
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

} // namespace

DeclaredType declaredTypeOf(std::string_view t) {
    struct Entry {
        std::string_view name;
        DeclaredType type;
    };
    static constexpr Entry table[] = {
        {"Variant", DeclaredType::Variant},    {"OleVariant", DeclaredType::Variant},
        {"Integer", DeclaredType::Integer},    {"Longint", DeclaredType::Integer},
        {"Smallint", DeclaredType::Smallint},  {"Shortint", DeclaredType::Shortint},
        {"Word", DeclaredType::Word},          {"Byte", DeclaredType::Byte},
        {"Cardinal", DeclaredType::Cardinal},  {"Longword", DeclaredType::Cardinal},
        {"DWORD", DeclaredType::Cardinal},     {"Int64", DeclaredType::Int64},
        {"Boolean", DeclaredType::Boolean},    {"WordBool", DeclaredType::Boolean},
        {"LongBool", DeclaredType::Boolean},   {"Char", DeclaredType::Char},
        {"string", DeclaredType::String},      {"AnsiString", DeclaredType::String},
        {"ShortString", DeclaredType::String}, {"WideString", DeclaredType::String},
        {"PChar", DeclaredType::String},       {"Double", DeclaredType::Double},
        {"Extended", DeclaredType::Extended},  {"Single", DeclaredType::Single},
        {"Real", DeclaredType::Real},          {"Real48", DeclaredType::Real},
        {"Currency", DeclaredType::Currency},  {"TDateTime", DeclaredType::DateTime},
        {"TDate", DeclaredType::DateTime},     {"Pointer", DeclaredType::Pointer},
    };
    for (const auto& e : table)
        if (e.name.size() == t.size() && equalsNoCase(t, e.name)) return e.type;
    if (t.size() > 1 && (t[0] == 'T' || t[0] == 't'))
        return DeclaredType::Object; // TObject, TForm ...
    return DeclaredType::Variant;
}

namespace {

Signature parseDeclaration(std::string_view declaration) {
    DeclarationScanner in(declaration);
    Signature sig;
    if (in.peekWord("function")) {
        in.word();
        sig.isFunction = true;
    } else if (in.peekWord("procedure")) {
        in.word();
    } else {
        in.fail("expected 'procedure' or 'function'");
    }
    if (in.accept('(')) {
        if (!in.accept(')')) {
            for (;;) {
                ParamMode mode = ParamMode::Value;
                if (in.peekWord("var") || in.peekWord("out")) {
                    in.word();
                    mode = ParamMode::Var;
                } else if (in.peekWord("const")) {
                    in.word();
                    mode = ParamMode::Const;
                }
                // The names of one group, where they stand in the declaration.
                const std::size_t first = sig.params.size();
                do {
                    ParamSpec p;
                    p.name = std::string(in.word());
                    p.mode = mode;
                    sig.params.push_back(std::move(p));
                } while (in.accept(','));
                const std::size_t count = sig.params.size() - first;
                std::string typeName = "Variant";
                DeclaredType type = DeclaredType::Variant;
                if (in.accept(':')) {
                    if (in.peekWord("array")) {
                        in.word();
                        if (!in.peekWord("of")) in.fail("expected 'of'");
                        in.word();
                        typeName = "array of " + std::string(in.word());
                    } else {
                        typeName = std::string(in.word());
                        type = declaredTypeOf(typeName);
                    }
                }
                std::optional<Value> defaultValue;
                if (in.accept('=')) {
                    if (mode == ParamMode::Var || count != 1)
                        in.fail("only a single by-value parameter may have a default value");
                    defaultValue = convertToDeclared(in.literal(), type);
                } else if (first > 0 && sig.params[first - 1].defaultValue) {
                    in.fail("a parameter without a default value follows one with a default");
                }
                for (std::size_t i = first; i < sig.params.size(); ++i) {
                    ParamSpec& p = sig.params[i];
                    p.typeName = typeName;
                    p.type = type;
                    p.defaultValue = defaultValue;
                }
                if (in.accept(')')) break;
                in.expect(';');
            }
        }
    }
    if (sig.isFunction) {
        in.expect(':');
        sig.resultTypeName = std::string(in.word());
        sig.result = declaredTypeOf(sig.resultTypeName);
    }
    in.accept(';');
    if (!in.atEnd()) in.fail("unexpected text at the end");
    if (sig.params.size() > kMaxParams)
        in.fail("more than " + std::to_string(kMaxParams) + " parameters");
    while (sig.required < sig.params.size() && !sig.params[sig.required].defaultValue)
        ++sig.required;
    return sig;
}

} // namespace

Signature Signature::parse(std::string_view declaration) {
    // Units declare most shapes many times over ("function: Integer", "procedure(Value:
    // string)"): each text is parsed once, which is most of what registering a routine costs
    // at start-up.
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const {
            return std::hash<std::string_view>{}(text);
        }
    };
    static std::mutex lock;
    static std::unordered_map<std::string, Signature, Hash, std::equal_to<>> parsed;
    const std::lock_guard<std::mutex> guard(lock);
    if (auto it = parsed.find(declaration); it != parsed.end()) return it->second;
    Signature sig = parseDeclaration(declaration);
    parsed.emplace(std::string(declaration), sig);
    return sig;
}

} // namespace vorlan::script
