// The standard units register once, agree with their declarations and take no name the engine
// or the built-in library has already.
#include "stdlib_calls.h"

#include "core/cp1250.h"
#include "library/library.h"
#include "script/bind.h"
#include "script/builtins.h"
#include "stdlib/format_settings.h"
#include "stdlib/stdlib.h"

#include <algorithm>
#include <set>

using namespace vorlan;
using namespace vorlan::stdlib;
using namespace vorlan::stdlib::testing;

namespace {

std::set<std::string> namesOf(const script::Registry& reg) {
    const auto names = reg.globalNames();
    std::set<std::string> out;
    for (const auto& n : names)
        out.insert(upperCase(n));
    return out;
}

using RegistrationTest = StdlibTest;

} // namespace

TEST(StdlibRegistration, NoNameOfTheEngineOrTheLibraryIsTakenAgain) {
    script::Registry engine;
    script::registerEngineBuiltins(engine);
    script::Registry library;
    script::registerEngineBuiltins(library);
    library::registerLibrary(library);
    script::Registry standard;
    script::registerEngineBuiltins(standard);
    registerStandardLibrary(standard);
    EXPECT_TRUE(script::bindingMismatches().empty()) << script::bindingMismatches().front();

    const std::set<std::string> builtin = namesOf(engine), taken = namesOf(library);
    std::vector<std::string> twice;
    for (const std::string& name : namesOf(standard))
        if (!builtin.count(name) && taken.count(name)) twice.push_back(name);
    EXPECT_TRUE(twice.empty()) << twice.front();
    // Spot checks of what each unit brings.
    for (const char* name : {"Format", "IntToStr", "Now", "ExtractFileName", "ExceptionMessage",
                             "DecimalSeparator", "ffCurrency", "rfReplaceAll", "faDirectory",
                             "EConvertError", "ParamStr", "Randomize", "Copy"})
        EXPECT_TRUE(namesOf(standard).count(upperCase(name))) << name;
}

TEST_F(RegistrationTest, FormatSettingsAreScriptVariablesWithCzechDefaults) {
    script::ObjectRef scope = script::registry().globalScope();
    const auto get = [&](const char* name) {
        Value result;
        script::ExceptionInfo error;
        EXPECT_EQ(script::invokeByName(*scope, name, script::InvokeGet, {}, result, error),
                  script::DispStatus::Ok)
            << name;
        return result;
    };
    EXPECT_EQ(get("DecimalSeparator").toString(), ",");
    EXPECT_EQ(get("ThousandSeparator").toString(), " ");
    EXPECT_EQ(get("ShortDateFormat").toString(), "d.M.yyyy");
    EXPECT_EQ(cp1250ToUtf8(get("CurrencyString").toString()), "Kč");
    EXPECT_EQ(cp1250ToUtf8(get("LongMonthNames").asArray()->at(3).toString()), "březen");
    EXPECT_EQ(cp1250ToUtf8(get("ShortDayNames").asArray()->at(1).toString()), "ne");
    // A program assigns one: the routines see it at once; a Char variable keeps one character.
    std::vector<Value> put{Value(".x")};
    Value ignored;
    script::ExceptionInfo error;
    ASSERT_EQ(
        script::invokeByName(*scope, "DecimalSeparator", script::InvokePut, put, ignored, error),
        script::DispStatus::Ok);
    EXPECT_EQ(text("FloatToStr", {Value(2.5)}), "2.5");
}

TEST_F(RegistrationTest, LocaleEntriesOfTheSettingsFile) {
    EXPECT_TRUE(applyLocaleSetting("decimalseparator", "."));
    EXPECT_TRUE(applyLocaleSetting("ThousandSeparator", ","));
    EXPECT_TRUE(applyLocaleSetting("CurrencyString", "€"));
    EXPECT_TRUE(applyLocaleSetting("CurrencyFormat", "0"));
    EXPECT_EQ(text("Format", {Value("%n|%m"), array({Value(1234.5), Value(2.0)})}),
              czech("1,234.50|€2.00"));
    EXPECT_TRUE(applyLocaleSetting("LongDayNames", "Sun, Mon,Tue,Wed,Thu,Fri,Sat"));
    EXPECT_EQ(text("FormatDateTime", {Value("dddd"), Value(script::DateTime{45356})}), "Tue");
    EXPECT_TRUE(applyLocaleSetting("ShortDateFormat", "yyyy-mm-dd"));
    EXPECT_EQ(text("DateToStr", {Value(script::DateTime{45356})}), "2024-03-05");
    // Values that do not fit are refused and change nothing.
    EXPECT_FALSE(applyLocaleSetting("DateSeparator", ""));
    EXPECT_FALSE(applyLocaleSetting("DateSeparator", "--"));
    EXPECT_FALSE(applyLocaleSetting("LongMonthNames", "a,b,c"));
    EXPECT_FALSE(applyLocaleSetting("CurrencyDecimals", "x"));
    EXPECT_FALSE(applyLocaleSetting("CurrencyDecimals", "300"));
    EXPECT_FALSE(applyLocaleSetting("NoSuchSetting", "1"));
    EXPECT_EQ(text("DateToStr", {Value(script::DateTime{45356})}), "2024-03-05");
}
