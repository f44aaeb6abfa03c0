// The Format functions, CreateObject with its dictionary, GetRef, and comparisons of numbers
// with text: the cases the conformance programs do not reach.
#include "basic_script_fixture.h"
#include "core/cp1250.h"

using namespace vorlan;
using namespace vorlan::script;
using namespace vorlan::script::testing;

namespace {

class BasicLibraryTest : public BasicScriptTest {
protected:
    void SetUp() override {
        static const bool done = [] {
            registerRuntime("LibOut");
            return true;
        }();
        (void)done;
        BasicScriptTest::SetUp();
    }
    // Each expression printed, or the error number it raised.
    Lines values(const Lines& expressions) {
        Lines lines{"On Error Resume Next"};
        for (const auto& e : expressions) {
            lines.push_back("Err.Clear : x = Empty : x = " + e);
            lines.push_back("If Err.Number Then LibOut \"err \" & Err.Number Else LibOut x");
        }
        return run(lines);
    }
};

TEST_F(BasicLibraryTest, FormatNumberRoundsAndLaysOutDigits) {
    EXPECT_EQ(values({"FormatNumber(2.5, 0)", "FormatNumber(-2.5, 0)", "FormatNumber(0.125)",
                      "FormatNumber(-0.001)", "FormatNumber(1E+20, 0)", "FormatNumber(999.999)",
                      "FormatNumber(\"1234.5\", 1)", "FormatNumber(Null)", "FormatNumber(\"abc\")",
                      "FormatNumber(1, 300)", "FormatNumber(12345, -1, , , 0)",
                      "FormatPercent(-0.5, 1, , vbTrue)", "FormatCurrency(0.5, 0)",
                      "Len(FormatNumber(1E+300, 2))", "FormatNumber(0, 20)", "FormatNumber(7, 0)"}),
              (Lines{"3", "-3", "0.13", "0.00", "100,000,000,000,000,000,000", "1,000.00",
                     "1,234.5", "Null", "err 13", "err 5", "12345.00", "(50.0%)",
                     "1 " + czech("Kč"), "404", "0.00000000000000000000", "7"}));
}

TEST_F(BasicLibraryTest, FormatDateTimeNamedFormats) {
    EXPECT_EQ(values({"FormatDateTime(#1/2/2003 4:05:06#, 0)", "FormatDateTime(#1/2/2003#)",
                      "FormatDateTime(TimeSerial(4, 5, 6), vbGeneralDate)",
                      "FormatDateTime(#1/2/2003 4:05:06#, vbShortTime)",
                      "FormatDateTime(#5/1/2003#, vbLongDate)", "FormatDateTime(Null)",
                      "FormatDateTime(Now, 7)", "FormatDateTime(\"x\")"}),
              (Lines{"2.1.2003 4:05:06", "2.1.2003", "4:05:06", "04:05", czech("1. května 2003"),
                     "Null", "err 5", "err 13"}));
}

TEST_F(BasicLibraryTest, DictionaryKeysFollowSubtypeAndCompareMode) {
    EXPECT_EQ(run({"Set d = CreateObject(\"scripting.dictionary\")",
                   "d.Add 1, \"int\"",
                   "LibOut d.Exists(1.0) & d.Exists(\"1\") & d.Count",
                   "d(\"1\") = \"text\"",
                   "LibOut d.Count & d(1) & d(\"1\")",
                   "Set e = CreateObject(\"Scripting.Dictionary\")",
                   "e.CompareMode = vbTextCompare",
                   "e.Add \"Key\", 1",
                   "LibOut e.Exists(\"KEY\") & e.CompareMode",
                   "Set f = CreateObject(\"Scripting.Dictionary\")",
                   "f.Add d, \"object key\"",
                   "LibOut f.Exists(d) & f.Exists(e) & \" \" & TypeName(f)",
                   "On Error Resume Next",
                   "e.CompareMode = 0",
                   "LibOut \"mode \" & Err.Number",
                   "Err.Clear : d.Remove \"none\"",
                   "LibOut \"remove \" & Err.Number",
                   "Err.Clear : d.Key(1) = \"1\"",
                   "LibOut \"rename \" & Err.Number",
                   "Err.Clear : x = d.Keys(0)",
                   "LibOut \"no index \" & Err.Number",
                   "Err.Clear : d.Add Array(1), 2",
                   "LibOut \"array key \" & Err.Number"}),
              (Lines{"TrueFalse1", "2inttext", "True1", "TrueFalse Dictionary", "mode 5",
                     "remove 32811", "rename 457", "no index 450", "array key 13"}));
}

TEST_F(BasicLibraryTest, TheSystemCallingADictionaryGetsFailedCallsNotScriptErrors) {
    auto s = scripter({"Function MakeDict",
                       "  Set MakeDict = CreateObject(\"Scripting.Dictionary\")", "End Function"});
    s->run();
    const Value dict = s->callByName("MakeDict");
    ASSERT_TRUE(dict.isObject());
    Dispatch& d = *dict.asObject();
    Value args[] = {Value("k"), Value(1)}, result;
    ExceptionInfo error;
    EXPECT_EQ(d.invoke(d.idOfName("add"), InvokeMethod, args, result, error), DispStatus::Ok);
    EXPECT_EQ(d.invoke(d.idOfName("Add"), InvokeMethod, args, result, error),
              DispStatus::Exception);
    EXPECT_NE(error.description.find(vorlan::czech("už v kolekci je")), std::string::npos);
    Value key[] = {Value("k")};
    ASSERT_EQ(d.invoke(d.idOfName(""), InvokeGet, key, result, error), DispStatus::Ok);
    EXPECT_TRUE(result.identical(Value(1)));
    EXPECT_EQ(d.idOfName("NoSuchMember"), kUnknownDispId);
}

TEST_F(BasicLibraryTest, CreateObjectOfAnUnknownClassFailsClearly) {
    run({"Set x = CreateObject(\"Nowhere.Thing\")", "LibOut \"next\""});
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], vorlan::czech("Objekt nelze vytvořit: 'Nowhere.Thing' @1"));
    EXPECT_EQ(printed(), (Lines{"next"}));
}

TEST_F(BasicLibraryTest, GetRefCallsTheProcedureFromTheScriptAndFromTheSystem) {
    auto s = scripter({"Function Add(a, b) : Add = a + b : End Function",
                       "Sub Fail : Err.Raise 7, \"mine\", \"boom\" : End Sub",
                       "Function GiveAdd : Set GiveAdd = GetRef(\"add\") : End Function",
                       "Set f = GetRef(\"Add\")", "LibOut f(2, 3) & \" \" & TypeName(f)",
                       "On Error Resume Next", "Set g = GetRef(\"Fail\")", "g()",
                       "LibOut \"caught \" & Err.Number & \" \" & Err.Description", "Err.Clear",
                       "Set h = GetRef(\"NoSuchThing\")", "LibOut \"unknown \" & Err.Number",
                       "Sub Inc(n) : n = n + 1 : End Sub", "Set i = GetRef(\"Inc\")", "x = 1",
                       "Call i(x)", "LibOut \"byref \" & x"});
    s->run();
    EXPECT_EQ(printed(), (Lines{"5 Object", "caught 7 boom", "unknown 5", "byref 2"}));
    EXPECT_TRUE(errors.empty()) << errors[0];

    // The system holds the reference and calls it by its default member.
    const Value ref = s->callByName("GiveAdd");
    ASSERT_TRUE(ref.isObject());
    Dispatch& callable = *ref.asObject();
    Value args[] = {Value(40), Value(2)}, result;
    ExceptionInfo error;
    ASSERT_EQ(callable.invoke(callable.idOfName(""), InvokeMethod, args, result, error),
              DispStatus::Ok);
    EXPECT_TRUE(result.identical(Value(42)));
    s.reset(); // the module is gone; the reference must not reach it
    EXPECT_EQ(callable.invoke(0, InvokeMethod, args, result, error), DispStatus::Exception);
}

TEST_F(BasicLibraryTest, NumbersAndTextCompareWithoutATypeMismatch) {
    EXPECT_EQ(values({"1 < \"a\"", "\"a\" = 1", "\"a\" > 1", "5 = \"5\"", "True < \"x\"",
                      "IsNull(Null = \"a\")", "\"10\" > 9"}),
              (Lines{"True", "False", "True", "True", "True", "True", "True"}));
}

TEST_F(BasicLibraryTest, DatesAreReadBackAsTheyAreWritten) {
    EXPECT_EQ(values({"CDate(CStr(#2/29/2000 13:05:01#)) = #2/29/2000 13:05:01#",
                      "CDate(\"29.2.2001\")", "CDate(\"12:61\")", "CDate(\"1.2.3.4\")",
                      "CDate(\"2000-02-29\")", "CDate(\"10-19-1962\")", "CDate(\"0:00 AM\")",
                      "CDate(\"12:00 AM\") = 0", "CDate(\"12:30 PM\")", "CDate(Null)",
                      "DateAdd(\"d\", 1, \"31.12.1999\")", "Year(\"5/6/2007\")"}),
              (Lines{"True", "err 13", "err 13", "err 13", "29.2.2000", "19.10.1962", "err 13",
                     "True", "12:30:00", "Null", "1.1.2000", "2007"}));
    // An impossible date literal is a syntax error, not a date in another month.
    run({"x = #2/30/2000#"});
    ASSERT_EQ(errors.size(), 1u);
}

TEST_F(BasicLibraryTest, OperandsAreReadLeftToRightEvenWhenReadInPlace) {
    // A function on the left that changes the variable on the right: the right is read after;
    // the other way round the left keeps the value it had before the call.
    EXPECT_EQ(run({"Function Bump : x = x + 10 : Bump = 1 : End Function", "x = 1",
                   "LibOut Bump() + x", "x = 1", "LibOut x + Bump()", "x = 5",
                   "LibOut x - x & \" \" & (x = x) & \" \" & x * 2 & \" \" & 3 - x"}),
              (Lines{"12", "2", "0 True 10 -2"}));
}

TEST_F(BasicLibraryTest, WeekdayCountsFromTheChosenFirstDay) {
    // 6 December 2026 is a Sunday.
    EXPECT_EQ(values({"Weekday(#12/6/2026#)", "Weekday(#12/6/2026#, vbMonday)",
                      "Weekday(#12/6/2026#, vbUseSystemDayOfWeek)", "Weekday(#12/7/2026#, 2)",
                      "Weekday(#12/6/2026#, vbSaturday)", "Weekday(#12/6/2026#, 8)"}),
              (Lines{"1", "7", "7", "1", "2", "err 5"}));
}

} // namespace
