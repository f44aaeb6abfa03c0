// The scanner's token kinds, comments over lines, line counting, conditional directives, and
// the compiler's token reader.
#include "script/pascal/module_parser.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace vorlan::script;
using namespace vorlan::script::pascal;

namespace {

struct Raw {
    TokenKind kind;
    std::string text;
    int line;
    int column;
};

std::vector<Raw> scanAll(std::string text, bool raw = false) {
    ModuleParser p(std::move(text));
    std::vector<Raw> out;
    for (;;) {
        const TokenKind k = raw ? p.scanToken() : p.nextToken();
        if (k == TokenKind::End) break;
        out.push_back({k, std::string(p.tokenText()), p.tokenLine(), p.tokenColumn()});
    }
    return out;
}

std::vector<std::string> texts(const std::vector<Raw>& tokens) {
    std::vector<std::string> out;
    for (const auto& t : tokens)
        out.push_back(t.text);
    return out;
}

TEST(Keywords, TableHoldsTheHundredWordsInOrderAndIgnoresCase) {
    EXPECT_TRUE(std::is_sorted(kKeywordNames.begin(), kKeywordNames.end()));
    EXPECT_EQ(std::count(kKeywordNames.begin(), kKeywordNames.end(), std::string_view()), 0);
    EXPECT_EQ(keywordCode("begin"), KwBegin);
    EXPECT_EQ(keywordCode("BEGIN"), KwBegin);
    EXPECT_EQ(keywordCode("BeGiN"), KwBegin);
    EXPECT_EQ(keywordCode("xor"), KwXor);
    EXPECT_EQ(keywordCode("absolute"), KwAbsolute);
    EXPECT_EQ(keywordCode("writeonly"), KwWriteonly);
    EXPECT_EQ(keywordCode("write"), 0);
    EXPECT_EQ(keywordCode("case"), KwCase);
    EXPECT_EQ(keywordCode("beginx"), 0);
}

TEST(Scanner, ClassifiesTokens) {
    const auto t = scanAll("x1 := 'it''s' #65 #$41 $1F 12 1.5 2e3 1.5E-2 BEGIN ;", true);
    const std::vector<TokenKind> kinds = {
        TokenKind::Identifier, TokenKind::Symbol, TokenKind::Symbol,  TokenKind::String,
        TokenKind::String,     TokenKind::String, TokenKind::Integer, TokenKind::Integer,
        TokenKind::Real,       TokenKind::Real,   TokenKind::Real,    TokenKind::Keyword,
        TokenKind::Symbol};
    ASSERT_EQ(t.size(), kinds.size());
    for (std::size_t i = 0; i < kinds.size(); ++i)
        EXPECT_EQ(t[i].kind, kinds[i]) << t[i].text;
    EXPECT_EQ(texts(t), (std::vector<std::string>{"x1", ":", "=", "'it''s'", "#65", "#$41", "$1F",
                                                  "12", "1.5", "2e3", "1.5E-2", "BEGIN", ";"}));
}

TEST(Scanner, RangesAndOperatorsAreSingleCharacters) {
    EXPECT_EQ(texts(scanAll("1..5")), (std::vector<std::string>{"1", ".", ".", "5"}));
    EXPECT_EQ(texts(scanAll("a<=b<>c>=d")),
              (std::vector<std::string>{"a", "<", "=", "b", "<", ">", "c", ">", "=", "d"}));
    EXPECT_EQ(texts(scanAll("1E x 1.e")), (std::vector<std::string>{"1", "E", "x", "1", ".", "e"}));
}

TEST(Scanner, CommentsSpanLinesAndLinesCountOnce) {
    const auto t = scanAll("a { one\r\n two } b (* three\n*) c // four\n\rd\r\re");
    ASSERT_EQ(texts(t), (std::vector<std::string>{"a", "b", "c", "d", "e"}));
    EXPECT_EQ(t[1].line, 1);
    EXPECT_EQ(t[1].column, 7);
    EXPECT_EQ(t[2].line, 2);
    EXPECT_EQ(t[3].line, 3); // "\n\r" is one line break
    EXPECT_EQ(t[4].line, 5); // "\r\r" are two

    ModuleParser p(std::string("{ open\nstill } (* x\ny"));
    EXPECT_EQ(p.scanToken(), TokenKind::Comment);
    EXPECT_EQ(p.state(), 1);
    EXPECT_EQ(p.scanToken(), TokenKind::Comment);
    EXPECT_EQ(p.state(), 0);
    EXPECT_EQ(p.scanToken(), TokenKind::Comment);
    EXPECT_EQ(p.state(), 2);
    EXPECT_EQ(p.scanToken(), TokenKind::Comment); // the comment swallows the rest
    EXPECT_EQ(p.scanToken(), TokenKind::End);
}

TEST(Scanner, UnterminatedStringEndsAtTheLineEnd) {
    const auto t = scanAll("s := 'open\nnext");
    ASSERT_EQ(t.size(), 5u);
    EXPECT_EQ(t[3].kind, TokenKind::String);
    EXPECT_EQ(t[3].text, "'open");
    EXPECT_EQ(t[4].text, "next");
    EXPECT_EQ(t[4].line, 1);
}

TEST(Scanner, ConditionalDirectives) {
    EXPECT_EQ(texts(scanAll("{$IFDEF WIN32}a{$ELSE}b{$ENDIF} {$IFNDEF WIN32}c{$ELSE}d{$ENDIF} "
                            "{$ifdef ver100}e{$endif} {$IFOPT B+}f{$ELSE}g{$ENDIF}")),
              (std::vector<std::string>{"a", "d", "e", "g"}));
    // Inside a switched-off branch nested conditionals are counted, not evaluated, and an
    // ELSE does not switch anything on.
    EXPECT_EQ(texts(scanAll("{$IFDEF NONE}{$IFDEF WIN32}a{$ELSE}b{$ENDIF}c{$ELSE}d{$ENDIF}e")),
              (std::vector<std::string>{"d", "e"}));
    EXPECT_EQ(texts(scanAll("{$DEFINE X}{$IFDEF x}a{$ENDIF}{$UNDEF X}{$IFDEF X}b{$ENDIF}"
                            "{$IFDEF NONE}{$DEFINE Y}{$ENDIF}{$IFDEF Y}c{$ENDIF}")),
              (std::vector<std::string>{"a"}));
    EXPECT_EQ(texts(scanAll("{$I file.inc}{$INCLUDE x}{$R *.res}{$RESOURCE y}{$Q+}z")),
              std::vector<std::string>{"z"});
}

TEST(Scanner, ThirtyTwoOpenConditionalsAreTheLimit) {
    std::string nested;
    for (int i = 0; i < kMaxConditionalDepth; ++i)
        nested += "{$IFDEF WIN32}";
    EXPECT_EQ(texts(scanAll(nested + "x")), std::vector<std::string>{"x"});
    EXPECT_THROW(scanAll(nested + "{$IFDEF WIN32}x"), ScannerError);
    EXPECT_THROW(scanAll(nested + "{$IFOPT R+}"), ScannerError);
}

TEST(TokenReader, ConvertsLiteralsAndLooksAhead) {
    ModuleParser p(std::vector<std::string>{"x 'it''s' #65 $FF 1.5 7 begin ; 'open"});
    TokenReader r(p);
    r.advance();
    EXPECT_EQ(r.current().code, kTokIdent);
    EXPECT_EQ(r.peek().code, kTokString);
    EXPECT_EQ(r.current().code, kTokIdent); // peeking does not move
    r.advance();
    EXPECT_EQ(r.current().value.asString(), "it's");
    r.advance();
    EXPECT_EQ(r.current().value.asString(), "A");
    r.advance();
    EXPECT_EQ(r.current().value.asInt(), 255);
    r.advance();
    EXPECT_TRUE(r.current().value.isDouble());
    EXPECT_DOUBLE_EQ(r.current().value.asDouble(), 1.5);
    r.advance();
    EXPECT_EQ(r.current().value.asInt(), 7);
    r.advance();
    EXPECT_EQ(r.current().code, KwBegin);
    r.advance();
    EXPECT_EQ(r.current().code, ';');
    r.advance();
    EXPECT_EQ(r.current().value.asString(), "open");
    r.advance();
    EXPECT_EQ(r.current().code, kTokEnd);
}

TEST(TokenReader, ConversionFailuresCarryTheirMessages) {
    std::string out, error;
    EXPECT_FALSE(convertStringLiteral("#256", out, error));
    EXPECT_FALSE(convertStringLiteral("#", out, error));
    EXPECT_TRUE(convertStringLiteral("#$7A", out, error));
    EXPECT_EQ(out, "z");
    Value v;
    EXPECT_FALSE(convertNumber("$", false, v, error));
    EXPECT_TRUE(convertNumber("$80000000", false, v, error));
    EXPECT_EQ(v.asInt(), INT32_MIN);
    EXPECT_TRUE(convertNumber("3000000000", false, v, error));
    EXPECT_TRUE(v.isDouble());
    EXPECT_FALSE(convertNumber("1e999", true, v, error));
}

} // namespace
