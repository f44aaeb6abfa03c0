#pragma once
// The tokenizer of the Pascal dialect (TModuleParser): a table-driven scanner with three states
// (normal text, inside a brace comment, inside a parenthesis-star comment), the keyword table and
// the conditional-compilation directives. TokenReader turns its tokens into the compiler's token
// codes and values and gives the compiler one token of look-ahead.

#include "script/value.h"

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vorlan::script::pascal {

// What the scanner reports.
enum class TokenKind : std::uint8_t {
    End = 0,
    String = 1, // a string literal or a "#" character code
    Comment = 2,
    Identifier = 3,
    Integer = 4,
    Real = 5,
    Keyword = 6,
    Symbol = 7,
};

// Token codes the compiler works with: 1..255 are single characters.
constexpr int kTokEnd = 0;
constexpr int kTokIdent = 256;
constexpr int kTokString = 257;
constexpr int kTokNumber = 258;
constexpr int kKeywordBase = 300;

// Keyword codes, in the alphabetical order of the keyword table.
enum Keyword : int {
    KwAbsolute = kKeywordBase,
    KwAbstract,
    KwAnd,
    KwArray,
    KwAs,
    KwAsm,
    KwAssembler,
    KwAutomated,
    KwBegin,
    KwBreak,
    KwCase,
    KwCdecl,
    KwClass,
    KwConst,
    KwConstructor,
    KwContinue,
    KwDestructor,
    KwDispid,
    KwDispinterface,
    KwDiv,
    KwDo,
    KwDownto,
    KwDynamic,
    KwElse,
    KwEnd,
    KwExcept,
    KwExit,
    KwExport,
    KwExports,
    KwExternal,
    KwFar,
    KwFile,
    KwFinalization,
    KwFinally,
    KwFor,
    KwForward,
    KwFunction,
    KwGoto,
    KwIf,
    KwImplementation,
    KwIn,
    KwIndex,
    KwInherited,
    KwInitialization,
    KwInline,
    KwInterface,
    KwIs,
    KwLabel,
    KwLibrary,
    KwMessage,
    KwMod,
    KwNear,
    KwNil,
    KwNodefault,
    KwNot,
    KwObject,
    KwOf,
    KwOr,
    KwOut,
    KwOverload,
    KwOverride,
    KwPacked,
    KwPascal,
    KwPrivate,
    KwProcedure,
    KwProgram,
    KwProperty,
    KwProtected,
    KwPublic,
    KwPublished,
    KwRaise,
    KwRead,
    KwRecord,
    KwRegister,
    KwReintroduce,
    KwRepeat,
    KwResident,
    KwResourcestring,
    KwSafecall,
    KwSet,
    KwShl,
    KwShr,
    KwStdcall,
    KwStored,
    KwString,
    KwStringresource,
    KwThen,
    KwThreadvar,
    KwTo,
    KwTry,
    KwType,
    KwUnit,
    KwUntil,
    KwUses,
    KwVar,
    KwVirtual,
    KwWhile,
    KwWith,
    KwWriteonly,
    KwXor,
    KwLimit
};

constexpr int kKeywordCount = KwLimit - kKeywordBase;
static_assert(kKeywordCount == 100);

// The keywords in lower case, alphabetical; index = code - kKeywordBase.
extern const std::array<std::string_view, kKeywordCount> kKeywordNames;
// The code of a keyword (letter case ignored) or 0.
int keywordCode(std::string_view word);

// Open conditional directives nest at most this deep.
constexpr int kMaxConditionalDepth = 32;

class ScannerError : public std::runtime_error {
public:
    ScannerError(const std::string& message, int line, int column)
        : std::runtime_error(message), line_(line), column_(column) {}
    int line() const { return line_; }
    int column() const { return column_; }

private:
    int line_;
    int column_;
};

class ModuleParser {
public:
    // The module's lines are joined with line feeds.
    explicit ModuleParser(const std::vector<std::string>& lines);
    explicit ModuleParser(std::string text);

    // The next token that the compiler sees: comments and switched-off text are skipped.
    TokenKind nextToken();
    // One raw token, comments included; the text of switched-off branches is not skipped.
    TokenKind scanToken();

    TokenKind kind() const { return kind_; }
    std::string_view tokenText() const {
        return std::string_view(text_).substr(tokenStart_, pos_ - tokenStart_);
    }
    int tokenLine() const { return tokenLine_; }
    int tokenColumn() const { return tokenColumn_; }
    // The keyword's code when the last token was a keyword, else 0.
    int keyword() const { return keyword_; }
    // 0 normal text, 1 inside a brace comment, 2 inside a parenthesis-star comment.
    int state() const { return state_; }

    bool isDefined(std::string_view symbol) const;
    int conditionalDepth() const { return depth_; }
    bool skipping() const {
        return depth_ > 0 && levels_[static_cast<std::size_t>(depth_ - 1)].off;
    }

private:
    using Handler = int (ModuleParser::*)();
    struct Tables {
        std::array<Handler, 256> state[3];
    };
    static const Tables& tables();

    char at(std::size_t i) const { return i < text_.size() ? text_[i] : '\0'; }
    void toLineEnd();

    // Handlers: they return a token kind, or -1 to go on scanning.
    int lineBreak();
    int stringLiteral();
    int charCode();
    int identifier();
    int hexNumber();
    int number();
    int braceComment();
    int parenOrComment();
    int slashOrComment();
    int symbol();
    int inBraceComment();
    int inStarComment();

    void directive(std::string_view body);

    struct Level {
        bool off = false;       // this branch is switched off (an enclosing one may be too)
        bool parentOff = false; // an enclosing branch is switched off
        bool selfOff = false;   // this conditional's own test switched it off
    };

    std::string text_;
    std::size_t pos_ = 0;
    std::size_t lineStart_ = 0;
    int line_ = 0;
    int state_ = 0;
    std::size_t tokenStart_ = 0;
    int tokenLine_ = 0;
    int tokenColumn_ = 0;
    TokenKind kind_ = TokenKind::End;
    int keyword_ = 0;
    std::vector<std::string> defines_{"WIN32", "VER100"};
    std::array<Level, kMaxConditionalDepth> levels_{};
    int depth_ = 0;
};

// One token as the compiler sees it.
struct Token {
    int code = kTokEnd;
    std::string text; // as written (identifiers, keywords, symbols, literals)
    Value value;      // strings and numbers
    int line = 0;
    int column = 0;
    std::string error; // a literal that does not convert: the compile message
};

class TokenReader {
public:
    explicit TokenReader(ModuleParser& parser) : parser_(parser) {}

    const Token& current() const { return current_; }
    // Moves to the next token.
    void advance();
    // The token after the current one, without moving.
    const Token& peek();

private:
    Token read();

    ModuleParser& parser_;
    Token current_;
    Token peeked_;
    bool hasPeeked_ = false;
};

// The value of a literal's text; false with a compile message when it does not convert.
bool convertStringLiteral(std::string_view text, std::string& out, std::string& error);
bool convertNumber(std::string_view text, bool real, Value& out, std::string& error);

} // namespace vorlan::script::pascal
