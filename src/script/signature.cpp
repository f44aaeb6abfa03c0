#include "core/cp1250.h"
#include "script/registry.h"

#include <cctype>
#include <stdexcept>

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
    std::string word() {
        skipSpace();
        const std::size_t start = pos_;
        while (pos_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[pos_])) ||
                                       text_[pos_] == '_' || text_[pos_] == '.'))
            ++pos_;
        if (start == pos_) fail("expected a name");
        return std::string(text_.substr(start, pos_ - start));
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
        const char* name;
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
        if (equalsNoCase(t, e.name)) return e.type;
    if (t.size() > 1 && (t[0] == 'T' || t[0] == 't'))
        return DeclaredType::Object; // TObject, TForm ...
    return DeclaredType::Variant;
}

Signature Signature::parse(std::string_view declaration) {
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
                std::vector<std::string> names{in.word()};
                while (in.accept(','))
                    names.push_back(in.word());
                std::string typeName = "Variant";
                if (in.accept(':')) {
                    if (in.peekWord("array")) {
                        in.word();
                        if (!in.peekWord("of")) in.fail("expected 'of'");
                        in.word();
                        typeName = "array of " + in.word();
                    } else {
                        typeName = in.word();
                    }
                }
                const DeclaredType type = typeName.rfind("array of ", 0) == 0
                                              ? DeclaredType::Variant
                                              : declaredTypeOf(typeName);
                std::optional<Value> defaultValue;
                if (in.accept('=')) {
                    if (mode == ParamMode::Var || names.size() != 1)
                        in.fail("only a single by-value parameter may have a default value");
                    defaultValue = convertToDeclared(in.literal(), type);
                } else if (!sig.params.empty() && sig.params.back().defaultValue) {
                    in.fail("a parameter without a default value follows one with a default");
                }
                for (auto& n : names) {
                    ParamSpec p;
                    p.name = std::move(n);
                    p.mode = mode;
                    p.typeName = typeName;
                    p.type = type;
                    p.defaultValue = defaultValue;
                    sig.params.push_back(std::move(p));
                }
                if (in.accept(')')) break;
                in.expect(';');
            }
        }
    }
    if (sig.isFunction) {
        in.expect(':');
        sig.resultTypeName = in.word();
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

} // namespace vorlan::script
