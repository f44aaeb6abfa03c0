#include "script/js/js_routine_locals.h"

#include <gtest/gtest.h>

#include <algorithm>

using vorlan::script::js::addRoutineLocals;

namespace {

const std::set<std::string> kRoutines = {"Length", "Copy"};

std::size_t lines(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

TEST(JsRoutineLocals, LoopingFunctionsGetCopiesOfTheRoutinesTheyCall) {
    const std::string source = "function f(s) {\n"
                               "  'use strict';\n"
                               "  for (var i = 0; i < 3; i++) n += Length(Copy(s, 1, 2));\n"
                               "}\n"
                               "function g(s) { return Length(s); }\n"
                               "var h = function () { while (x) { Copy(s, 1, 1); } };\n"
                               "Length('top');\n";
    const auto out = addRoutineLocals(source, kRoutines);
    EXPECT_EQ(out.routines, kRoutines);
    EXPECT_EQ(lines(out.text), lines(source));
    const std::string copies = "var $vorlanRoutine=" + out.holder;
    // After the directive, which must stay first; none in the function without a loop.
    EXPECT_NE(out.text.find("'use strict';" + copies +
                            ",Copy=$vorlanRoutine.Copy,"
                            "Length=$vorlanRoutine.Length;"),
              std::string::npos);
    EXPECT_NE(out.text.find("function () {" + copies + ",Copy=$vorlanRoutine.Copy;"),
              std::string::npos);
    EXPECT_NE(out.text.find("function g(s) { return Length(s); }"), std::string::npos);
    EXPECT_NE(out.text.find("\nLength('top');"), std::string::npos);

    // A property named "function" starts no body.
    const std::string literal = "function f() { var o = {function: {a: 1}}; for (;;) Length(o); }";
    EXPECT_NE(addRoutineLocals(literal, kRoutines).text.find("{a: 1}"), std::string::npos);
}

TEST(JsRoutineLocals, ANameUsedOtherwiseThanCalledIsNeverCopied) {
    const std::string loop = "function f() { for (;;) { Length(s); Copy(s); } }\n";
    for (const char* use :
         {"Length = 1;", "var Length;", "function k() { function Length() {} }", "delete Length;",
          "g(Length);", "typeof Length;", "function k(Length) {}", "this.Length = 1;",
          "try {} catch (Length) {}", "x = {Length: 1};",
          "Length\xA0= 1;"}) { // the no-break space is white space to the engine
        const auto out = addRoutineLocals(loop + use, kRoutines);
        EXPECT_EQ(out.routines, std::set<std::string>{"Copy"}) << use;
    }
    // Member names and text that only look like the routine do not count.
    const auto members =
        addRoutineLocals(loop + "o.Length = 1; s = 'Length = 2'; // Length\n", kRoutines);
    EXPECT_EQ(members.routines, kRoutines);
}

TEST(JsRoutineLocals, ModulesThatReachGlobalsByComputedNamesStayAsTheyAre) {
    const std::string loop = "function f() { for (;;) Length(s); }\n";
    for (const char* use : {"eval('x');", "with (o) {}", "new Function('x');", "globalThis.x;",
                            "var g = this;", "this['x'] = 1;", "f(this);", "var a = (x) => x;"}) {
        const auto out = addRoutineLocals(loop + use, kRoutines);
        EXPECT_TRUE(out.routines.empty()) << use;
        EXPECT_EQ(out.text, loop + use);
    }
    // `this.member` reaches a name the text shows.
    EXPECT_EQ(addRoutineLocals(loop + "this.x = 1;", kRoutines).routines,
              std::set<std::string>{"Length"});
}

TEST(JsRoutineLocals, TheModulesOwnFunctionsAreCopiedAfterTheModuleFilledThemIn) {
    const std::string source = "'use strict';\n"
                               "function fib(n) { return n < 2 ? n : fib(n - 1) + fib(n - 2); }\n"
                               "function sum() { for (;;) x += fib(3) + one(); }\n"
                               "function one() { return 1; }\n"
                               "var named = function inner() { for (;;) inner(); };\n";
    const auto out = addRoutineLocals(source, {});
    EXPECT_EQ(out.functions, (std::set<std::string>{"fib", "one"}));
    EXPECT_TRUE(out.routines.empty());
    EXPECT_EQ(lines(out.text), lines(source));
    // The directive stays first; the module fills the holder before anything can call.
    EXPECT_EQ(
        out.text.rfind("'use strict';" + out.holder + ".fib=fib;" + out.holder + ".one=one;\n", 0),
        0u);
    EXPECT_NE(out.text.find("function sum() {var $vorlanRoutine=" + out.holder +
                            ",fib=$vorlanRoutine.fib,one=$vorlanRoutine.one;"),
              std::string::npos);
    // No loop, no copies; a function expression's own name is not a global.
    EXPECT_NE(out.text.find("function fib(n) { return"), std::string::npos);
    EXPECT_NE(out.text.find("function inner() { for"), std::string::npos);

    for (const char* use : {"fib = null;", "if (x) { function fib() {} }", "var fib;", "x = fib;",
                            "label: function fib() {}"})
        EXPECT_FALSE(addRoutineLocals(source + use, {}).functions.count("fib")) << use;
}

TEST(JsRoutineLocals, TheLocalNamesAvoidTheModulesOwnWords) {
    const std::string source =
        "var $vorlanRoutine = 1, $vorlanRoutines = 2;\nfunction f() { do Length(s); while (0); }";
    const auto out = addRoutineLocals(source, kRoutines);
    EXPECT_EQ(out.holder, "$vorlanRoutines1");
    EXPECT_NE(out.text.find("{var $vorlanRoutine1=$vorlanRoutines1,Length=$vorlanRoutine1.Length;"),
              std::string::npos);
}

} // namespace
