#include "memory_record.h"

#include "core/cp1250.h"
#include "report/expression.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace vorlan::report;
using namespace vorlan::report::testing;
using vorlan::czech;

namespace {

// A report over one in-memory record: fields CENA (numeric), NAZEV (text), parameters and two
// user functions whose values the test sets.
class ExpressionTest : public ::testing::Test {
protected:
    void SetUp() override {
        record.fields = {{"CENA", true, "12.5"}, {"NAZEV", false, "Stul"}, {"KS", true, "3"}};
        report.setDataSource(&record);
        report.parametry = {"42", "text"};
        report.functions().add({.name = "Suma"});
        report.functions().add({.name = "Popis", .type = 1});
    }
    EvalResult eval(std::string_view text) { return report.evaluator().evaluate(text); }
    double number(std::string_view text) {
        const EvalResult r = eval(text);
        EXPECT_EQ(r.error, 0) << text << " at " << r.position;
        return r.value.number;
    }
    std::string text(std::string_view expr) {
        const EvalResult r = eval(expr);
        EXPECT_EQ(r.error, 0) << expr << " at " << r.position;
        return r.value.text;
    }

    MemoryRecord record;
    TSestavaD report;
};

TEST_F(ExpressionTest, PrioritiesAndLeftToRight) {
    EXPECT_EQ(number("2-3-4"), -5);
    EXPECT_EQ(number("2^3^2"), 64);
    EXPECT_EQ(number("2+3*4"), 14);
    EXPECT_EQ(number("(2+3)*4"), 20);
    EXPECT_EQ(number("8/4/2"), 1);
    EXPECT_EQ(number("-2+3"), 1);
    EXPECT_EQ(number("2*-3"), -6);
    EXPECT_EQ(number("2^-1"), 0.5);
    EXPECT_EQ(number("1+2=3"), 1);
    EXPECT_EQ(number("1 < 2 AND 0"), 0); // AND binds tighter than a comparison
    EXPECT_EQ(number("0 OR 1 AND 1"), 1);
    EXPECT_EQ(number("not 0"), 1);
    EXPECT_EQ(number("NOT 0.5"), 0);
    EXPECT_EQ(number("NOT -1"), 1);
    EXPECT_EQ(number("- - 2"), 2);
    EXPECT_EQ(number("1 <> 2"), 1);
    EXPECT_EQ(number("2 >= 2"), 1);
    EXPECT_EQ(number("2 <= 1"), 0);
    // Negation binds tighter than the power, whose base must be positive.
    EXPECT_EQ(eval("-2^2").error, kNumeric);
}

TEST_F(ExpressionTest, TextsConcatenateAndCompare) {
    const EvalResult ab = eval("'A'+'B'");
    EXPECT_EQ(ab.value.kind, ValueKind::String);
    EXPECT_EQ(ab.value.text, "AB");
    EXPECT_EQ(text("'A'+1"), "A1");
    EXPECT_EQ(number("'abc'='abc'"), 1);
    EXPECT_EQ(number("'abc'='ABC'"), 0);
    EXPECT_EQ(number("'abc'<>'ABC'"), 1);
    // A numeric result carries its text.
    const EvalResult n = eval("1/4");
    EXPECT_EQ(n.value.kind, ValueKind::Number);
    EXPECT_EQ(n.value.text, "0,25");
}

TEST_F(ExpressionTest, ErrorCodesAndPositions) {
    struct Case {
        const char* text;
        int error;
        int position;
    };
    const Case cases[] = {
        {"FOO", kUnknownIdentifier, 1},
        {"1 + foo", kUnknownIdentifier, 5},
        {"_X", kSyntax, 1},
        {"*2", kSyntax, 1},
        {"1 2", kSyntax, 3},
        {"1+", kSyntax, 3},
        {"()", kSyntax, 2},
        {"ABS()", kSyntax, 5},
        {"ABS 1", kSyntax, 5},
        {"1 ! 2", kSyntax, 3},
        {"1)", kTooFewOpening, 2},
        {"(1", kMissingClosing, 3},
        {"MAX(1,2", kMissingClosing, 8},
        {"1/0", kNumeric, 4},
        {"1/0+2", kNumeric, 4},
        {"0^2", kNumeric, 4},
        {"LOG(0)", kNumeric, 6},
        {"COTG(0)", kNumeric, 7},
        {"ASIN(2)", kNumeric, 7},
        {"1E99*1E99*1E99*1E99", kNumeric, 20},
        {"1a", kBadNumber, 1},
        {"2 + 1.", kBadNumber, 5},
        {"1E123", kBadNumber, 1},
        {"1E", kBadNumber, 1},
        {"3#1", kBadNumber, 1},
        {".5", kBadNumber, 1},
        {"#", kBadVariableName, 1},
        {"1 + #1234", kBadVariableName, 5},
        {"@1x", kBadVariableName, 1},
        {"MAX(1)", kCommaExpected, 6},
        {"IIF(1,2)", kCommaExpected, 8},
        {"1,2", kTooManyCommas, 2},
        {"(1,2)", kTooManyCommas, 3},
        {"ABS(1,2)", kTooManyCommas, 6},
        {"MAX(1,2,3)", kTooManyCommas, 8},
        {"'abc", kBadString, 1},
        {"1 IN [1,2", kBadSet, 6},
        {"1 IN ['a,2]", kBadSet, 7},
    };
    for (const Case& c : cases) {
        const EvalResult r = eval(c.text);
        EXPECT_EQ(r.error, c.error) << c.text;
        EXPECT_EQ(r.position, c.position) << c.text;
        EXPECT_EQ(r.value.kind, ValueKind::Untyped) << c.text;
    }
    EXPECT_EQ(expressionErrorMessage(kUnknownIdentifier), czech("Neznamý identifikátor"));
    EXPECT_EQ(expressionErrorMessage(kBadVariableName), czech("Chybnný název proměnné"));
    EXPECT_EQ(expressionErrorMessage(kCancelled), czech("Ukončeno uživatelem"));
    EXPECT_EQ(expressionErrorMessage(0), "");
    EXPECT_EQ(expressionErrorMessage(15), "");
}

TEST_F(ExpressionTest, EmptyAndOverlongExpressions) {
    for (const char* empty : {"", "   "}) {
        const EvalResult r = eval(empty);
        EXPECT_EQ(r.error, 0);
        EXPECT_EQ(r.value, ReportValue{});
    }
    // Only the first 255 characters are read.
    const std::string longText = "1" + std::string(254, ' ') + "+2";
    EXPECT_EQ(number(longText), 1);
    // Tabs are not blanks.
    EXPECT_EQ(eval("1\t+2").error, kSyntax);
}

TEST_F(ExpressionTest, StacksHoldTwentyEntries) {
    const auto nested = [](int depth) {
        return std::string(static_cast<std::size_t>(depth), '(') + "1" +
               std::string(static_cast<std::size_t>(depth), ')');
    };
    EXPECT_EQ(number(nested(20)), 1);
    const EvalResult deep = eval(nested(21));
    EXPECT_EQ(deep.error, kStackOverflow);
    EXPECT_EQ(deep.position, 21);

    // A function and its parenthesis are one operator entry; its arguments wait on the operand
    // stack: nine open IIFs hold 18 operands, and MAX brings the twentieth.
    std::string twenty;
    for (int i = 0; i < 9; ++i)
        twenty += "IIF(1,2,";
    twenty += "MAX(1,5)" + std::string(9, ')');
    EXPECT_EQ(number(twenty), 2);
    std::string overflow;
    for (int i = 0; i < 10; ++i)
        overflow += "IIF(1,2,";
    overflow += "1" + std::string(10, ')');
    const EvalResult r = eval(overflow);
    EXPECT_EQ(r.error, kStackOverflow);
    EXPECT_EQ(r.position, 81);
}

TEST_F(ExpressionTest, BuiltinFunctions) {
    EXPECT_EQ(number("ABS(-2)"), 2);
    EXPECT_EQ(number("INT(-2.7)"), -2);
    EXPECT_EQ(number("SGN(-5) + SGN(0)*10 + SGN(3)*100"), 99);
    EXPECT_EQ(number("MAX(2,3) + MIN(2,3)*10"), 23);
    EXPECT_EQ(text("IIF(0,'a','b')"), "b");
    EXPECT_EQ(text("iif(1 , 'a' , 'b')"), "a");
    EXPECT_EQ(text("LEFT('abc', 5)"), "abc");
    EXPECT_EQ(text("LEFT('abc', -1)"), "");
    EXPECT_EQ(text("RIGHT('abc', 2)"), "bc");
    EXPECT_EQ(text("RIGHT('abc', 9)"), "abc");
    EXPECT_EQ(text("SUBSTR('abcdef', 2, 3)"), "bcd");
    EXPECT_EQ(text("SUBSTR('abc', 0, 2)"), "ab");
    EXPECT_EQ(text("SUBSTR('abc', 5, 1)"), "");
    EXPECT_EQ(text(czech("UPPER('žluťoučký')")), czech("ŽLUŤOUČKÝ"));
    EXPECT_EQ(text(czech("LOWER('ČÁP')")), czech("čáp"));
    const EvalResult trimmed = eval("LTRIM('  12 ')");
    EXPECT_EQ(trimmed.value.text, "12 ");
    EXPECT_EQ(trimmed.value.number, 12);
    EXPECT_EQ(text("RTRIM('  a  ')"), "  a");
    EXPECT_EQ(text("ALLTRIM('  a  ')"), "a");
    EXPECT_EQ(text("FORMAT(1234.5, '#,##0.00')"), "1 234,50");
    EXPECT_EQ(number("TAN(0)"), 0);
    EXPECT_EQ(number("EXP(0)"), 1);
    EXPECT_NEAR(number("LOG(EXP(2))"), 2, 1e-12);
    EXPECT_NEAR(number("ATAN(1)*4"), std::numbers::pi, 1e-12);
    EXPECT_NEAR(number("ACOTG(0)"), std::numbers::pi / 2, 1e-12);
    EXPECT_NEAR(number("SIN(0.5)^2 + COS(0.5)^2"), 1, 1e-12);
    EXPECT_NEAR(number("ASIN(1) - ACOS(0)"), 0, 1e-12);
    EXPECT_EQ(builtinFunctionTemplates().at(5), "IIF(,,)");
    EXPECT_EQ(builtinFunctionTemplates().size(), 25u);
}

TEST_F(ExpressionTest, InComparesTextsAndNumbers) {
    EXPECT_EQ(number("2 IN [1, 2, 3]"), 1);
    EXPECT_EQ(number("'b' IN ['a','b']"), 1);
    EXPECT_EQ(number("'c' IN ['a','b']"), 0);
    EXPECT_EQ(number("'x,y' IN ['x,y']"), 1);
    EXPECT_EQ(number("0 IN [0]"), 1);     // by text
    EXPECT_EQ(number("2.5 IN [2.5]"), 1); // by number
    EXPECT_EQ(number("#NAZEV IN [Stul, Zidle]"), 1);
    EXPECT_EQ(number("3 IN [#KS]"), 1);
    EXPECT_EQ(number("1 + 1 IN [2]"), 1);
}

TEST_F(ExpressionTest, ReferencesReadThroughTheHost) {
    const EvalResult cena = eval("#1");
    EXPECT_EQ(cena.value.kind, ValueKind::Number);
    EXPECT_EQ(cena.value.number, 12.5);
    EXPECT_EQ(text("#nazev"), "Stul");
    EXPECT_EQ(number("#CENA * #KS"), 37.5);

    const EvalResult parameter = eval("&1");
    EXPECT_EQ(parameter.value.kind, ValueKind::Untyped);
    EXPECT_EQ(parameter.value.text, "42");
    EXPECT_EQ(parameter.value.number, 42);
    EXPECT_EQ(eval("&3").value, ReportValue{});

    report.functions().item(0)->setDefinition({.name = "Suma", .expression = "7"});
    report.functions().item(0)->step(report.evaluator());
    EXPECT_EQ(number("@1 + @suma"), 14);

    // Names that are not found, names of parameters and number 0 name nothing, and the host is
    // not asked for a neighbouring slot.
    const int before = record.valueRequests;
    for (const char* nothing : {"#MISSING", "&JMENO", "#0", "@0", "@NIC"})
        EXPECT_EQ(eval(nothing).value, ReportValue{}) << nothing;
    EXPECT_EQ(record.valueRequests, before);
    EXPECT_EQ(eval("#999").value, ReportValue{});
}

TEST_F(ExpressionTest, RequestCodesReachTheHost) {
    ReportValue v;
    EXPECT_EQ(hostRequest(report, request::kReserved, "", v), -1);
    EXPECT_EQ(hostRequest(report, request::kFieldIndex, "KS", v), 2);
    EXPECT_EQ(hostRequest(report, request::kFieldIndex, "X", v), -1);
    EXPECT_EQ(hostRequest(report, request::kFunctionIndex, "popis", v), 1);
    hostRequest(report, request::kParameter + 1, "", v);
    EXPECT_EQ(v.text, "text");
    hostRequest(report, request::kField + 1, "", v);
    EXPECT_EQ(v.text, "Stul");
    EXPECT_EQ(v.kind, ValueKind::String);
    hostRequest(report, request::kFunction + 1, "", v);
    EXPECT_EQ(v.kind, ValueKind::String);
}

// A host whose function values are computed on demand by evaluating another expression with
// the same evaluator, in the middle of the outer evaluation.
class EvaluatingHost : public ExpressionHost {
public:
    Evaluator evaluator{this};
    int depth = 0;
    int fieldIndexOf(std::string_view) override { return -1; }
    int functionIndexOf(std::string_view) override { return -1; }
    void parameterValue(int, ReportValue& out) override { out.clear(); }
    void fieldValue(int, ReportValue& out) override { out.clear(); }
    void functionValue(int index, ReportValue& out) override {
        ++depth;
        if (index == 0)
            out = evaluator.evaluate("((2+3)*(4-1)) - 5*2").value; // 5
        else if (index == 1)
            out = evaluator.evaluate("@1 * (1 + 1)").value; // reads function 1: 10
        else
            out = evaluator.evaluate("(1").value; // fails: cleared
        --depth;
    }
};

TEST(ExpressionReentrancy, NestedEvaluationLeavesTheOuterOneIntact) {
    EvaluatingHost host;
    EXPECT_EQ(host.evaluator.evaluate("100 - (3 * @1 + (@2 - 1)) * 2").value.number,
              100 - (15 + 9) * 2);
    const EvalResult r = host.evaluator.evaluate("(1 + @3) * 2 + ABS(@1 - 7");
    EXPECT_EQ(r.error, kMissingClosing);
    EXPECT_EQ(r.position, 26);
    EXPECT_EQ(host.depth, 0);
}

TEST(ExpressionItems, ItemListsReadLiteralsReferencesAndWords) {
    MemoryRecord record;
    record.fields = {{"OBR", false, "auto.bmp"}};
    TSestavaD report;
    report.setDataSource(&record);
    int error = -1, position = -1;
    const std::vector<ReportValue> items =
        report.evaluator().itemList("'a, b.bmp', #OBR, 12 , slovo", &error, &position);
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].text, "a, b.bmp");
    EXPECT_EQ(items[1].text, "auto.bmp");
    EXPECT_EQ(items[2].text, "12");
    EXPECT_EQ(items[2].number, 12);
    EXPECT_EQ(items[3].text, "slovo");
    EXPECT_EQ(error, 0);
    report.evaluator().itemList("'a.bmp' x", &error, &position);
    EXPECT_EQ(error, kBadSet);
    EXPECT_EQ(position, 9);
}

} // namespace
