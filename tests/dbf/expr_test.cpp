#include "core/cp1250.h"
#include "dbf/expr.h"
#include "dbf/file.h"
#include "dbf/table.h"
#include "dbf/xbase_text.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

using namespace vorlan::dbf;

namespace {

double num(const char* e) {
    const XValue v = evaluateConstant(e);
    EXPECT_EQ(v.type, ValueType::Numeric) << e;
    return v.num;
}
std::string str(const char* e) {
    const XValue v = evaluateConstant(e);
    EXPECT_EQ(v.type, ValueType::Char) << e;
    return v.str;
}
bool log(const char* e) {
    const XValue v = evaluateConstant(e);
    EXPECT_EQ(v.type, ValueType::Logical) << e;
    return v.log;
}

} // namespace

TEST(DbfExpr, OperatorPrecedence) {
    EXPECT_EQ(num("1 + 2 * 3"), 7);
    EXPECT_EQ(num("(1 + 2) * 3"), 9);
    EXPECT_EQ(num("2 ^ 3 * 2"), 16);
    EXPECT_EQ(num("2 ** 2 ^ 3"), 64); // left to right
    EXPECT_EQ(num("-2 ^ 2"), 4);
    EXPECT_EQ(num("10 % 4 + 1"), 3);
    EXPECT_EQ(num("7 - 2 - 1"), 4);
    EXPECT_EQ(num("8 / 2 / 2"), 2);
    EXPECT_TRUE(log(".T. .OR. .F. .AND. .F."));
    EXPECT_FALSE(log(".NOT. .T. .AND. .T."));
    EXPECT_TRUE(log("!.F. .and. 1 + 1 = 2"));
    EXPECT_TRUE(
        log("1 < 2 .AND. 2 <= 2 .AND. 3 > 2 .AND. 3 >= 3 .AND. 1 <> 2 .AND. 1 # 2 .AND. 1 != 2"));
}

TEST(DbfExpr, StringComparisonFollowsExactSetting) {
    dbftest::SettingsGuard guard;
    settings().exact = false;
    EXPECT_TRUE(log("'ABCD' = 'AB'"));
    EXPECT_FALSE(log("'AB' = 'ABCD'"));
    EXPECT_TRUE(log("'AB' = ''"));
    EXPECT_FALSE(log("'ABCD' == 'AB'"));
    EXPECT_TRUE(log("'AB' == 'AB'"));
    EXPECT_FALSE(log("'ABCD' <> 'AB'"));
    settings().exact = true;
    EXPECT_FALSE(log("'ABCD' = 'AB'"));
    EXPECT_TRUE(log("'AB  ' = 'AB'"));
    EXPECT_TRUE(log("'B' $ 'ABC'"));
    EXPECT_FALSE(log("'X' $ 'ABC'"));
    EXPECT_TRUE(log("'ABC' < 'ABD'"));
}

TEST(DbfExpr, StringFunctions) {
    EXPECT_EQ(str("UPPER('ahoj') + LOWER('SVET')"), "AHOJsvet");
    EXPECT_EQ(evaluateConstant("UPPER('" + vorlan::czech("žluťoučký") + "')").str,
              vorlan::czech("ŽLUŤOUČKÝ"));
    EXPECT_EQ(str("SUBSTR('abcdef', 2, 3)"), "bcd");
    EXPECT_EQ(str("SUBSTR('abcdef', 4)"), "def");
    EXPECT_EQ(str("SUBSTR('abc', 10, 2)"), "");
    EXPECT_EQ(str("LEFT('abcdef', 2) + RIGHT('abcdef', 2)"), "abef");
    EXPECT_EQ(str("TRIM('  a  ') + '|' + LTRIM('  a  ') + '|' + ALLTRIM('  a  ')"), "  a|a  |a");
    EXPECT_EQ(str("'ab  ' - 'cd'"), "abcd  ");
    EXPECT_EQ(str("STR(3.14159, 6, 2)"), "  3.14");
    EXPECT_EQ(str("STR(42)"), "        42");
    EXPECT_EQ(str("STR(123456, 3)"), "***");
    EXPECT_EQ(str("STRZERO(-5, 4)"), "-005");
    EXPECT_EQ(num("VAL(' 12.5xyz')"), 12.5);
    EXPECT_EQ(num("LEN(SPACE(4) + REPLICATE('ab', 3))"), 10);
    EXPECT_EQ(num("AT('cd', 'abcdef')"), 3);
    EXPECT_EQ(num("AT('x', 'abc')"), 0);
    EXPECT_EQ(str("IIF(1 > 2, 'yes', 'no')"), "no");
    EXPECT_TRUE(log("EMPTY('   ') .AND. EMPTY(0) .AND. .NOT. EMPTY('a')"));
    EXPECT_EQ(str("DESCEND('A')"), "\xBF");
    EXPECT_EQ(num("DESCEND(5)"), -5);
    EXPECT_EQ(str("ALLT('  x ')"), "x"); // four-letter abbreviation
    EXPECT_EQ(num("ROUND(2.345, 2) * 100"), 235);
    EXPECT_EQ(num("INT(-2.7) + ABS(-1) + MAX(1, 4) + MIN(1, 4)"), 4);
}

TEST(DbfExpr, DateFunctions) {
    dbftest::SettingsGuard guard;
    settings().dateFormat = DateFormat::German;
    settings().century = true;
    EXPECT_EQ(str("DTOS(CTOD('31.12.1999'))"), "19991231");
    EXPECT_EQ(str("DTOC(CTOD('1.2.2003') + 30)"), "03.03.2003");
    EXPECT_EQ(num("CTOD('01.03.2024') - CTOD('01.02.2024')"), 29);
    EXPECT_EQ(num("YEAR({^2024-05-06}) * 10000 + MONTH({^2024-05-06}) * 100 + DAY({^2024-05-06})"),
              20240506);
    EXPECT_TRUE(log("EMPTY(CTOD(''))"));
    EXPECT_TRUE(log("DATE() > CTOD('01.01.2020')"));
    EXPECT_EQ(str("DTOS(CTOD('32.01.2024'))"), "        ");
    EXPECT_EQ(str("DTOS(CTOD('01.01.2000') + 1000000000000)"),
              "        "); // beyond year 9999: empty
    EXPECT_EQ(str("DTOS(CTOD('01.01.2000') - 4000000000)"), "        ");
}

TEST(DbfExpr, MalformedExpressionsAreErrorsWithPositions) {
    const char* bad[] = {
        "",          "1 +",         "(1 + 2",      "'abc",        "1 + 'a'",          "UPPER(1)",
        "NOFUNC(1)", "SUBSTR('a')", ".T. .AND. 1", "1 2",         "IIF(.T., 1, 'a')", "@",
        "{1.1.}",    ".X.",         "a->",         "UNKNOWNFIELD"};
    for (const char* e : bad)
        EXPECT_THROW(evaluateConstant(e), DbfError) << e;
    try {
        evaluateConstant("1 + * 2");
        FAIL();
    } catch (const DbfError& e) {
        EXPECT_NE(std::string(e.what()).find(vorlan::czech("chyba výrazu na pozici 5")),
                  std::string::npos)
            << e.what();
    }
    EXPECT_THROW(evaluateConstant("1 / 0"), DbfError);
    EXPECT_THROW(evaluateConstant("REPLICATE('ab', 100000000)"), DbfError);
    std::string deep(1000, '(');
    deep += "1" + std::string(1000, ')');
    EXPECT_THROW(evaluateConstant(deep), DbfError);
}

TEST(DbfExpr, FieldsWithAndWithoutAliasAndTypeCodes) {
    dbftest::TempDir dir;
    auto t = Table::create(dir / "cust.dbf",
                           {{"NAME", 'C', 10}, {"QTY", 'N', 5, 1}, {"D", 'D'}, {"OK", 'L'}});
    t->append();
    t->setString(0, "Novak");
    t->setNumber(1, 2.5);
    t->setDate(2, julianFromYmd(2020, 1, 2));
    t->setLogical(3, true);
    t->flush();
    EXPECT_EQ(t->evaluate("cust->NAME + '|'").str, "Novak     |");
    EXPECT_EQ(t->evaluate("QTY * 2").num, 5);
    EXPECT_EQ(t->evaluate("STR(QTY)").str, "  2.5"); // the field's own width and decimals
    EXPECT_TRUE(t->evaluate("OK .AND. !DELETED() .AND. RECNO() = 1").log);
    EXPECT_EQ(t->evaluate("DTOS(D)").str, "20200102");
    const auto e = Expression::compile("UPPER(NAME)", t.get());
    EXPECT_EQ(e.type(), ValueType::Char);
    EXPECT_EQ(static_cast<int>(e.type()), 1);
    EXPECT_EQ(e.width(), 10);
    EXPECT_EQ(static_cast<int>(Expression::compile("QTY", t.get()).type()), 2);
    EXPECT_EQ(static_cast<int>(Expression::compile("OK", t.get()).type()), 3);
    EXPECT_EQ(static_cast<int>(Expression::compile("D", t.get()).type()), 4);
    EXPECT_EQ(Expression::compile("SUBSTR(NAME, 2, 3) + DTOS(D)", t.get()).width(), 11);
    EXPECT_THROW(t->evaluate("other->NAME"), DbfError);
    EXPECT_THROW(t->evaluate("NAME + QTY"), DbfError);
}
