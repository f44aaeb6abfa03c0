#include "core/cp1250.h"
#include "script/basic/basic_parser.h"

#include <gtest/gtest.h>

using namespace vorlan::script;
using namespace vorlan::script::basic;

namespace {

const char* opText(Op op) {
    static const char* const names[] = {
        "^", "neg", "pos", "*",  "/",  "\\",  "Mod", "+",  "-",   "&",   "=",   "<>",
        "<", ">",   "<=",  ">=", "Is", "Not", "And", "Or", "Xor", "Eqv", "Imp", "()"};
    return names[static_cast<int>(op)];
}

// The expression as a prefix form: (+ 1 (* 2 3)), names with their arguments as f[a b].
std::string show(const Expr& e) {
    switch (e.kind) {
    case ExprKind::Literal:
        return e.value.isString() ? "\"" + e.value.toString() + "\"" : e.value.toString();
    case ExprKind::Nothing:
        return "Nothing";
    case ExprKind::Me:
        return "Me";
    case ExprKind::WithObject:
        return "<with>";
    case ExprKind::New:
        return "New " + e.name;
    case ExprKind::Unary:
        return std::string("(") + opText(e.op) + " " + show(*e.left) + ")";
    case ExprKind::Binary:
        return std::string("(") + opText(e.op) + " " + show(*e.left) + " " + show(*e.right) + ")";
    case ExprKind::Name:
    case ExprKind::Member: {
        std::string out = e.kind == ExprKind::Member ? show(*e.left) + "." + e.name : e.name;
        if (e.hasParens || !e.args.empty()) {
            out += "[";
            for (std::size_t i = 0; i < e.args.size(); ++i)
                out += (i ? " " : "") + show(*e.args[i]);
            out += "]";
        }
        return out;
    }
    }
    return "?";
}

// The value expression of a one-line module "x = <text>".
std::string parsed(const std::string& text) {
    auto m = parseModule("x = " + text);
    EXPECT_EQ(m->body.size(), 1u);
    return show(*m->body.at(0)->expr);
}

struct Failure {
    int line = -1;
    int column = -1;
    std::string message;
};

Failure failureOf(const std::string& text) {
    try {
        parseModule(text);
    } catch (const SyntaxError& e) {
        return {e.line, e.column, e.what()};
    }
    return {};
}

TEST(BasicParser, OperatorPrecedence) {
    EXPECT_EQ(parsed("-2 ^ 2"), "(neg (^ 2 2))");
    EXPECT_EQ(parsed("2 ^ -1"), "(^ 2 (neg 1))");
    EXPECT_EQ(parsed("2 ^ 3 ^ 2"), "(^ (^ 2 3) 2)");
    EXPECT_EQ(parsed("1 + 2 * 3 - 4"), "(- (+ 1 (* 2 3)) 4)");
    EXPECT_EQ(parsed("a \\ b * c"), "(\\ a (* b c))");
    EXPECT_EQ(parsed("a Mod b \\ c"), "(Mod a (\\ b c))");
    EXPECT_EQ(parsed("a + b Mod c"), "(+ a (Mod b c))");
    EXPECT_EQ(parsed("a & b + c"), "(& a (+ b c))");
    EXPECT_EQ(parsed("a = b & c"), "(= a (& b c))");
    EXPECT_EQ(parsed("Not a = b And c"), "(And (Not (= a b)) c)");
    EXPECT_EQ(parsed("a Or b And c"), "(Or a (And b c))");
    EXPECT_EQ(parsed("a Xor b Or c"), "(Xor a (Or b c))");
    EXPECT_EQ(parsed("a Imp b Eqv c"), "(Imp a (Eqv b c))");
    EXPECT_EQ(parsed("a Is Nothing"), "(Is a Nothing)");
    EXPECT_EQ(parsed("(1 + 2) * 3"), "(* (() (+ 1 2)) 3)");
    EXPECT_EQ(parsed("a <= b"), "(<= a b)");
    EXPECT_EQ(parsed("a =< b"), "(<= a b)");
}

TEST(BasicParser, NamesMembersAndCalls) {
    EXPECT_EQ(parsed("f(1, g(2)).h.k(3)"), "f[1 g[2]].h.k[3]");
    EXPECT_EQ(parsed("f()"), "f[]");
    EXPECT_EQ(parsed("f(1, , 3)"), "f[1  3]"); // a left-out argument is empty
    EXPECT_EQ(parsed("a.Loop"), "a.Loop");     // reserved words are fine as member names
    EXPECT_EQ(parsed("[My Name] + 1"), "(+ My Name 1)");
    EXPECT_EQ(parsed("New Thing"), "New Thing");

    // A statement's own arguments need no parentheses; parentheses around the first one make
    // it a value.
    auto m = parseModule("f (a), b\nf (a)\nCall f(a, b)\nf a + 1, (b)");
    ASSERT_EQ(m->body.size(), 4u);
    EXPECT_EQ(show(*m->body[0]->target), "f[(() a) b]");
    EXPECT_EQ(show(*m->body[1]->target), "f[(() a)]");
    EXPECT_EQ(show(*m->body[2]->target), "f[a b]");
    EXPECT_EQ(show(*m->body[3]->target), "f[(+ a 1) (() b)]");
}

TEST(BasicParser, Literals) {
    EXPECT_EQ(parsed("&HFF"), "255");
    EXPECT_EQ(parsed("&hFFFF"), "-1");      // four digits are a 16-bit value
    EXPECT_EQ(parsed("&H8000&"), "-32768"); // the type suffix is read and dropped
    EXPECT_EQ(parsed("&HFFFFFFFF"), "-1");
    EXPECT_EQ(parsed("1.5E3"), "1500");
    EXPECT_EQ(parsed(".5"), "0.5");
    EXPECT_EQ(parsed("3000000000"), "3000000000"); // too large for an integer: a double
    EXPECT_EQ(parsed("\"say \"\"hi\"\"\""), "\"say \"hi\"\"");

    auto m = parseModule("x = #1/2/2024#\ny = #2024-01-02 12:00#");
    const Value& a = m->body[0]->expr->value;
    const Value& b = m->body[1]->expr->value;
    ASSERT_EQ(a.type(), ValueType::Date);
    EXPECT_DOUBLE_EQ(a.asDate().days, 45293.0); // 2 January 2024
    EXPECT_DOUBLE_EQ(b.asDate().days, 45293.5);
}

TEST(BasicParser, LinesCommentsAndContinuations) {
    auto m =
        parseModule("a = 1 : b = 2 ' one\r\nREM two\nrem\nRemark = 3\nc = 1 + _\n  2 _\n  + 3\n");
    ASSERT_EQ(m->body.size(), 4u);
    EXPECT_EQ(show(*m->body[2]->target), "Remark");
    EXPECT_EQ(show(*m->body[3]->expr), "(+ (+ 1 2) 3)");
    EXPECT_EQ(m->body[3]->line, 4);
    EXPECT_EQ(m->body[1]->column, 8);
}

TEST(BasicParser, BlocksAndProcedures) {
    auto m = parseModule(
        "Option Explicit\n"
        "If a Then b = 1 : c = 2 Else d = 3\n"
        "If a Then\n  x = 1\nElseIf b Then\n  x = 2\nElse\n  x = 3\nEnd If\n"
        "Select Case v\n  Case 1, 2 To 3, Is > 4\n  Case Else\nEnd Select\n"
        "Do\nLoop Until x\nWhile x : Wend\n"
        "Function F(ByVal a, b(), ByRef c)\n  Dim local1, arr(2)\n  F = a\nEnd Function\n"
        "Class K\n  Private f\n  Property Get P : End Property\nEnd Class\n");
    EXPECT_TRUE(m->optionExplicit);
    ASSERT_EQ(m->body.size(), 5u);
    EXPECT_EQ(m->body[0]->body.size(), 2u);
    EXPECT_EQ(m->body[0]->elseBody.size(), 1u);
    EXPECT_EQ(m->body[1]->elseIfs.size(), 1u);
    ASSERT_EQ(m->body[2]->cases.size(), 2u);
    EXPECT_EQ(m->body[2]->cases[0].items.size(), 3u);
    EXPECT_TRUE(m->body[2]->cases[1].items.empty());
    EXPECT_TRUE(m->body[3]->testAtEnd);
    EXPECT_TRUE(m->body[3]->until);
    ASSERT_EQ(m->procedures.size(), 1u);
    const Procedure& f = *m->procedures[0];
    EXPECT_TRUE(f.isFunction);
    ASSERT_EQ(f.params.size(), 3u);
    EXPECT_TRUE(f.params[0].byVal);
    EXPECT_FALSE(f.params[2].byVal);
    EXPECT_EQ(f.locals, (std::vector<std::string>{"F", "a", "b", "c", "local1", "arr"}));
    ASSERT_EQ(m->classes.size(), 1u);
    EXPECT_EQ(m->classes[0]->fields.size(), 1u);
    EXPECT_EQ(m->classes[0]->methods[0]->kind, ProcKind::PropertyGet);
}

TEST(BasicParser, SyntaxErrorsNameTheirPlace) {
    struct Case {
        const char* text;
        int line;
        int column;
    };
    const Case cases[] = {
        {"x = 1 +", 0, 7},
        {"a = 1\nb = \"open\nc = 2", 1, 4},
        {"x = (1", 0, 6},
        {"If a Then\nx = 1", 1, 5},
        {"For i = 1 To 2\nLoop", 1, 0},
        {"x = 5a", 0, 5},
        {"x = 1 $ 2", 0, 6},
        {"Sub A\nSub B\nEnd Sub\nEnd Sub", 1, 0},
        {"Exit Sub", 0, 0},
        {"Sub S : Exit Function : End Sub", 0, 8},
        {"On Error GoTo 10", 0, 14},
        {"Do While a\nLoop Until b", 1, 5},
        {"Dim 1", 0, 4},
        {"x = #13/45/2024#", 0, 4},
        {"Class A\nx = 1\nEnd Class", 1, 0},
        {"Function F : End Function\nSub f : End Sub", 1, 4},
        {".x = 1", 0, 0},
        {"Select Case 1\nx = 1\nEnd Select", 1, 0},
    };
    for (const Case& c : cases) {
        const Failure f = failureOf(c.text);
        EXPECT_EQ(f.line, c.line) << c.text << ": " << f.message;
        EXPECT_EQ(f.column, c.column) << c.text << ": " << f.message;
    }
}

TEST(BasicParser, DeepNestingFailsInsteadOfExhaustingTheStack) {
    const std::string parens = "x = " + std::string(5000, '(') + "1" + std::string(5000, ')');
    EXPECT_NE(failureOf(parens).message.find(vorlan::czech("Příliš hluboké vnoření")),
              std::string::npos);
    std::string chain = "x = 1";
    for (int i = 0; i < 5000; ++i)
        chain += " + 1";
    EXPECT_NE(failureOf(chain).message.find(vorlan::czech("Výraz je příliš složitý")),
              std::string::npos);
    std::string ifs;
    for (int i = 0; i < 3000; ++i)
        ifs += "If a Then\n";
    EXPECT_NE(failureOf(ifs).message.find(vorlan::czech("Příliš hluboké vnoření")),
              std::string::npos);
    EXPECT_FALSE(failureOf(std::string(3000, '-') + "").message.empty());
    // Reasonable depth stays fine.
    EXPECT_TRUE(
        failureOf("x = " + std::string(50, '(') + "1" + std::string(50, ')')).message.empty());
}

} // namespace
