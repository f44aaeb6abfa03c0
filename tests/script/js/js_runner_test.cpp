#include "core/cp1250.h"
#include "script/basic/script_encoder.h"
#include "script/builtins.h"
#include "script/comp_wrapper.h"
#include "script/component.h"
#include "script/js/js_names.h"
#include "script/js/js_runner.h"
#include "script/registry.h"
#include "script/scripter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

using namespace vorlan;
using namespace vorlan::script;

namespace {

std::vector<std::string>& output() {
    static std::vector<std::string> lines;
    return lines;
}

Value counter;

// A small collection with a default property, as the system's list classes have.
class Thing : public Component {
public:
    Thing() : Component("TJsThing") {}
    std::string caption;
    std::vector<Value> items;
};

Thing* thingOf(NativeObject* self) {
    return dynamic_cast<Thing*>(self);
}

void registerTestNames() {
    static bool done = false;
    if (done) return;
    done = true;
    Registry& reg = registry();
    if (!reg.findClass("TComponent")) {
        registerEngineBuiltins(reg);
        registerScriptRunners(reg);
    }
    js::registerJavaScriptRunner(reg);
    reg.registerProc("TestOut", "procedure(Text: Variant)",
                     [](NativeObject*, std::span<Value> args, Value&) {
                         output().push_back(args[0].toString());
                     });
    reg.registerProc("TestAdd", "function(A, B: Integer): Integer",
                     [](NativeObject*, std::span<Value> args, Value& r) {
                         r = Value(args[0].asInt() + args[1].asInt());
                     });
    reg.registerProc("TestFail", "procedure", [](NativeObject*, std::span<Value>, Value&) {
        throw ScriptException("Native boom");
    });
    reg.registerProc("TestEcho", "function(V: Variant): Variant",
                     [](NativeObject*, std::span<Value> args, Value& r) { r = args[0]; });
    reg.registerProc("TestTypeOf", "function(V: Variant): string",
                     [](NativeObject*, std::span<Value> args, Value& r) {
                         r = Value(typeName(args[0].type()));
                     });
    reg.registerProc(
        "TestGrid", "function: Variant", [](NativeObject*, std::span<Value>, Value& r) {
            auto grid = std::make_shared<VarArray>(std::vector<VarArray::Bound>{{1, 2}, {0, 1}});
            for (std::size_t i = 0; i < grid->size(); ++i)
                grid->items()[i] = Value(static_cast<std::int32_t>(i * 10));
            r = Value(grid);
        });
    reg.registerVar("TestCounter", &counter, DeclaredType::Integer);
    reg.registerConst("TestLimit", Value(3));
    reg.registerClass("TJsThing", "TComponent",
                      [](Component*) { return std::make_unique<Thing>(); });
    reg.registerProperty(
        "TJsThing", "Caption",
        [](NativeObject* self, std::span<const Value>) { return Value(thingOf(self)->caption); },
        [](NativeObject* self, std::span<const Value>, const Value& v) {
            thingOf(self)->caption = v.toString();
        },
        DeclaredType::String);
    reg.registerProperty(
        "TJsThing", "Count",
        [](NativeObject* self, std::span<const Value>) {
            return Value(static_cast<std::int32_t>(thingOf(self)->items.size()));
        },
        nullptr, DeclaredType::Integer);
    reg.registerProperty(
        "TJsThing", "Items",
        [](NativeObject* self, std::span<const Value> index) {
            if (index.size() != 1) throw ScriptException("Items needs an index");
            return thingOf(self)->items.at(static_cast<std::size_t>(index[0].toInt()));
        },
        [](NativeObject* self, std::span<const Value> index, const Value& v) {
            if (index.size() != 1) throw ScriptException("Items needs an index");
            thingOf(self)->items.at(static_cast<std::size_t>(index[0].toInt())) = v;
        },
        DeclaredType::Variant, true);
    reg.registerMethod("TJsThing", "Add", "function(Item: Variant): Integer",
                       [](NativeObject* self, std::span<Value> args, Value& r) {
                           thingOf(self)->items.push_back(args[0]);
                           r = Value(static_cast<std::int32_t>(thingOf(self)->items.size() - 1));
                       });
}

struct Reported {
    std::string source;
    std::string description;
    int line = 0;
    int position = 0;
};

class JsRunnerTest : public ::testing::Test {
protected:
    void SetUp() override {
        registerTestNames();
        output().clear();
        counter = Value(0);
    }

    std::unique_ptr<Scripter> scripter(std::vector<std::string> lines) {
        auto s = std::make_unique<Scripter>();
        s->language = "JavaScript";
        s->script = std::move(lines);
        s->onError = [this](Scripter&, const ExceptionInfo& info, int position, int line,
                            bool& go) {
            errors.push_back({info.source, info.description, line, position});
            go = resume;
        };
        return s;
    }
    std::vector<std::string> run(std::vector<std::string> lines) {
        auto s = scripter(std::move(lines));
        s->run();
        return output();
    }

    std::vector<Reported> errors;
    bool resume = true;
};

using Lines = std::vector<std::string>;

// ---- the module and calls by name

TEST_F(JsRunnerTest, RunsTheMainBodyThenMain) {
    EXPECT_EQ(run({"TestOut('body');", "function main() {", "  TestOut('main');", "}"}),
              (Lines{"body", "main"}));
    EXPECT_TRUE(errors.empty());
}

TEST_F(JsRunnerTest, CallsScriptFunctionsByNameWithArgumentsAndResults) {
    auto s = scripter({"function add(a, b) { return a + b; }", "function half(x) { return x / 2; }",
                       "function nothing() {}"});
    Value args[] = {Value(2), Value(3)};
    EXPECT_TRUE(s->callByName("add", args).identical(Value(5)));
    Value texts[] = {Value("ab"), Value("cd")};
    EXPECT_TRUE(s->callByName("ADD", texts).identical(Value("abcd"))); // any letter case finds it
    Value odd[] = {Value(3)};
    EXPECT_TRUE(s->callByName("half", odd).identical(Value(1.5)));
    EXPECT_TRUE(s->callByName("nothing").isEmpty());
    EXPECT_TRUE(s->callByName("Undefined").isEmpty());
    EXPECT_TRUE(errors.empty());
    EXPECT_FALSE(s->errorFlag());

    const auto routines = s->runner()->listRoutines();
    std::vector<std::string> names;
    for (const auto& r : routines)
        names.push_back(r.name);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (Lines{"add", "half", "nothing"}));
}

TEST_F(JsRunnerTest, AnEmptyModuleIsReadyAndAnswersNothing) {
    auto s = scripter({});
    EXPECT_TRUE(s->callByName("main").isEmpty());
    EXPECT_NE(s->runner(), nullptr);
    EXPECT_FALSE(s->errorFlag());
    EXPECT_TRUE(errors.empty());
}

// ---- errors

TEST_F(JsRunnerTest, SyntaxErrorIsReportedWithItsLineAndTheLoadFails) {
    auto s =
        scripter({"var a = 1;", "", "var b = 'not closed;", "function main() { TestOut('x'); }"});
    s->run();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].source, vorlan::czech("Chyba překladu JavaScriptu"));
    EXPECT_EQ(errors[0].line, 3);
    EXPECT_EQ(errors[0].position, 1); // no name to point at: the line's first character
    EXPECT_NE(errors[0].description.find(vorlan::czech("neukončen")), std::string::npos);
    EXPECT_EQ(s->runner(), nullptr);
    EXPECT_TRUE(s->errorFlag());
    EXPECT_TRUE(output().empty());
}

TEST_F(JsRunnerTest, RuntimeErrorOkGoesOnCancelStopsTheModule) {
    const Lines module = {"TestOut('before');", "undefinedName + 1;", "TestOut('not reached');",
                          "function main() { TestOut('main'); }"};
    resume = true;
    EXPECT_EQ(run(module), (Lines{"before", "main"}));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].source, vorlan::czech("Chyba JavaScriptu za běhu"));
    EXPECT_EQ(errors[0].line, 2);
    EXPECT_NE(errors[0].description.find("undefinedName"), std::string::npos);

    errors.clear();
    output().clear();
    resume = false;
    auto s = scripter(module);
    s->run();
    EXPECT_EQ(output(), Lines{"before"});
    EXPECT_EQ(errors.size(), 1u);
    EXPECT_TRUE(s->callByName("main").isEmpty()); // stopped: nothing runs any more
    EXPECT_EQ(output(), Lines{"before"});
}

TEST_F(JsRunnerTest, NativeFailuresAreScriptErrorsThatTryCanCatch) {
    auto s = scripter({"function guarded() {",
                       "  try { TestFail(); } catch (e) { return 'caught ' + e.message; }", "}",
                       "function unguarded() {", "  TestOut('a');", "  TestFail();", "}"});
    EXPECT_TRUE(s->callByName("guarded").identical(Value("caught Native boom")));
    EXPECT_TRUE(errors.empty());
    EXPECT_TRUE(s->callByName("unguarded").isEmpty());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].description, "Native boom");
    EXPECT_EQ(errors[0].line, 6);
    // A wrong argument count of a registered routine is a script error too.
    auto t = scripter({"TestAdd(1);"});
    t->run();
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[1].line, 1);
}

TEST_F(JsRunnerTest, EndlessRecursionIsAScriptError) {
    run({"function f(n) { return f(n + 1) + 1; }", "f(0);", "TestOut('unreached');"});
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].description.find(vorlan::czech("Chyba rozsahu")), std::string::npos);
    EXPECT_TRUE(output().empty());
}

TEST_F(JsRunnerTest, AHeapLimitTurnsARunawayAllocationIntoAScriptError) {
    js::JavaScriptRunner::setHeapLimit(4u << 20);
    auto s = scripter({"var s = 'x';", "while (true) s = s + s;", "TestOut('unreached');",
                       "function main() { TestOut('still usable'); }"});
    s->run(); // the engine is made here, under the limit
    js::JavaScriptRunner::setHeapLimit(0);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].line, 2);
    EXPECT_EQ(output(), Lines{"still usable"});
}

TEST_F(JsRunnerTest, FreedObjectsAndHugeArraysFailAsScriptErrors) {
    auto s = scripter({"var c = TComponent.Create(null);", "c.Free();",
                       "function name() { return c.Name; }",
                       "function huge() { return TestEcho(new Array(20000000)); }"});
    EXPECT_TRUE(s->callByName("name").isEmpty());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].description.find(vorlan::czech("uvolněn")), std::string::npos);
    EXPECT_EQ(errors[0].line, 3);
    EXPECT_TRUE(s->callByName("huge").isEmpty());
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[1].description, vorlan::czech("Pole je příliš velké"));
}

// ---- registered names

TEST_F(JsRunnerTest, RegisteredProceduresVariablesConstantsAndClasses) {
    const Lines out = run({
        "TestOut(TestAdd(2, 3));",
        "TestOut(testadd(1, 1));", // registered names ignore letter case
        "TestOut(MkSet(1, 2));",
        "TestOut(chr(65));",
        "TestOut(TestLimit);",
        "TestCounter = 41; TestCounter = TestCounter + 1;",
        "TestOut(TestCounter);",
        "var c = TComponent.Create(null);",
        "TestOut(c.ClassName());",
        "TestOut(TJsThing.Create(null).ClassName());",
    });
    EXPECT_EQ(out, (Lines{"5", "2", "6", "A", "3", "42", "TComponent", "TJsThing"}));
    EXPECT_TRUE(counter.identical(Value(42)));
    EXPECT_TRUE(errors.empty());
}

TEST_F(JsRunnerTest, ScriptDeclarationsAndJsBuiltinsWinOverRegisteredNames) {
    const Lines out =
        run({"var TestLimit = 10;", "function TestAdd(a, b) { return 'own'; }",
             "TestOut(TestLimit);", "TestOut(TestAdd(1, 2));", "TestOut(typeof Math.abs);"});
    EXPECT_EQ(out, (Lines{"10", "own", "function"}));
}

// Functions that loop read the routines they call from local copies; whatever a script does to
// the name, each call must still reach what the name means at that moment.
TEST_F(JsRunnerTest, RoutinesCalledInLoopsKeepTheirMeaningWhateverTheScriptDoesToTheName) {
    const Lines plain = run({"function main() {", "  'use strict';",
                             "  for (var i = 0; i < 2; i++) TestOut(TestAdd(i, 10));", "}"});
    EXPECT_EQ(plain, (Lines{"10", "11"}));

    output().clear();
    const Lines reassigned =
        run({"function loop() { for (var i = 0; i < 2; i++) TestOut(TestAdd(i, 1)); }",
             "function main() { loop(); TestAdd = function () { return 'own'; }; loop(); }"});
    EXPECT_EQ(reassigned, (Lines{"1", "2", "own", "own"}));

    output().clear();
    const Lines deleted =
        run({"function loop() { for (var i = 0; i < 1; i++) TestOut(TestAdd(1, 1)); }",
             "function main() {", "  loop(); delete TestAdd;",
             "  try { loop(); } catch (e) { TestOut(e.name); }", "}"});
    EXPECT_EQ(deleted, (Lines{"2", "ReferenceError"}));

    output().clear();
    const Lines shadowed =
        run({"function loop(TestAdd) { for (var i = 0; i < 1; i++) TestOut(TestAdd(1, 1)); }",
             "function other() { for (var i = 0; i < 1; i++) TestOut(TestAdd(2, 2)); }",
             "function main() { loop(function () { return 'param'; }); other(); }"});
    EXPECT_EQ(shadowed, (Lines{"param", "4"}));

    output().clear();
    const Lines byThis =
        run({"function loop() { for (var i = 0; i < 1; i++) TestOut(TestAdd(1, 1)); }",
             "function main() { loop(); this['Test' + 'Add'] = function () { return 'this'; };",
             "  loop(); }"});
    EXPECT_EQ(byThis, (Lines{"2", "this"}));

    output().clear();
    const Lines byEval =
        run({"function loop() { for (var i = 0; i < 1; i++) TestOut(TestAdd(1, 1)); }",
             "function main() { loop(); eval('TestAdd = function () { return 1; }'); loop(); }"});
    EXPECT_EQ(byEval, (Lines{"2", "1"}));

    output().clear();
    const Lines inWith =
        run({"function main() {", "  var o = {TestAdd: function () { return 'with'; }};",
             "  with (o) { for (var i = 0; i < 1; i++) TestOut(TestAdd(1, 1)); }",
             "  for (var i = 0; i < 1; i++) TestOut(TestAdd(1, 1));", "}"});
    EXPECT_EQ(inWith, (Lines{"with", "2"}));

    output().clear();
    const Lines ownFunctions =
        run({"'use strict';", "function fib(n) { return n < 2 ? n : fib(n - 1) + fib(n - 2); }",
             "function one() { return 1; }", "function main() {",
             "  for (var i = 0; i < 2; i++) { TestOut(one() + fib(10));",
             "    if (i == 0) one = function () { return 2; }; }",
             "  try { undeclared = 1; TestOut('sloppy'); } catch (e) { TestOut('strict'); }", "}"});
    EXPECT_EQ(ownFunctions, (Lines{"56", "57", "strict"}));
    EXPECT_TRUE(errors.empty());
}

// ---- objects

class JsObjectTest : public JsRunnerTest {
protected:
    void SetUp() override {
        JsRunnerTest::SetUp();
        form = std::make_unique<Component>("TForm", "Form1");
        form->setPublished("Caption", Value("Start"));
        auto button = std::make_unique<Thing>();
        button->setName("Button1");
        button->caption = "OK";
        button->items = {Value("a"), Value("b")};
        form->adopt(std::move(button));
    }
    std::unique_ptr<Scripter> formScripter(Lines lines) {
        auto s = scripter(std::move(lines));
        s->setModule(form.get());
        return s;
    }
    Thing& button() { return *static_cast<Thing*>(form->findComponent("Button1")); }
    std::unique_ptr<Component> form;
};

TEST_F(JsObjectTest, TheGlobalModuleFormsMembersNeedNoQualification) {
    auto s =
        formScripter({"TestOut(Caption);", "Caption = 'Changed';", "TestOut(Form1.Caption);",
                      "TestOut(Button1.Caption);", "TestOut(Name);", "TestOut(this.Caption);"});
    s->run();
    EXPECT_EQ(output(), (Lines{"Start", "Changed", "OK", "Form1", "Changed"}));
    Value caption;
    form->getPublished("Caption", caption);
    EXPECT_EQ(caption.toString(), "Changed");
    EXPECT_TRUE(errors.empty());
}

TEST_F(JsObjectTest, WrappedObjectsPropertiesMethodsAndDefaultProperty) {
    auto s = formScripter({
        "var b = Button1;",
        "b.Caption = 'Go';",
        "TestOut(b.Caption);",
        "TestOut(b.Add('c'));",
        "TestOut(b.Count);",
        "TestOut(b.Items(1));", // an indexed property reads with its index
        "TestOut(b(2));",       // the default property
        "b[0] = 'z';",
        "TestOut(b[0]);",
        "TestOut('Caption' in b);",
        "TestOut('Nonsense' in b);",
        "TestOut(b === Form1.Button1);", // one object, one identity
        "TestOut(b.Nonsense === undefined);",
    });
    s->run();
    EXPECT_EQ(output(), (Lines{"Go", "2", "3", "b", "c", "z", "True", "False", "True", "True"}));
    EXPECT_EQ(button().caption, "Go");
    EXPECT_TRUE(errors.empty()) << errors[0].description;
}

TEST_F(JsObjectTest, WritingAnUnknownMemberIsAnError) {
    auto s = formScripter({"Button1.Nonsense = 1;"});
    s->run();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].description.find("Nonsense"), std::string::npos);
}

TEST_F(JsObjectTest, FormEventsCallScriptHandlersWithTheSender) {
    button().bindEvent("OnClick", "Button1Click");
    auto s = formScripter({"function Button1Click(Sender) {", "  TestOut(Sender === Button1);",
                           "  TestOut(Sender.Caption);", "}"});
    s->run();
    button().fireNotify("OnClick");
    EXPECT_EQ(output(), (Lines{"True", "OK"}));
}

TEST_F(JsObjectTest, EnumeratorWalksArraysAndCollections) {
    auto s = formScripter({
        "var e = new Enumerator([1, 2, 3]), sum = 0;",
        "for (; !e.atEnd(); e.moveNext()) sum += e.item();",
        "TestOut(sum);",
        "var parts = [];",
        "for (e = new Enumerator(Button1); !e.atEnd(); e.moveNext()) parts.push(e.item());",
        "TestOut(parts.join(','));",
        "for (e = new Enumerator(Form1); !e.atEnd(); e.moveNext()) TestOut(e.item().Name);",
        "e.moveFirst(); TestOut(e.item().Caption);",
    });
    s->run();
    EXPECT_EQ(output(), (Lines{"6", "a,b", "Button1", "OK"}));
    EXPECT_TRUE(errors.empty()) << errors[0].description;
}

TEST_F(JsRunnerTest, ErrorColumnsPointAtTheNameTheMessageQuotes) {
    // The engine gives the line only; the column is found on it.
    run({"var total = 0;", "    total = total + missingValue;", "  var o = {};",
         "  var n = 1; o.method();", "\tthrow new Error('plain');"});
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].line, 2);
    EXPECT_EQ(errors[0].position, 21); // missingValue, counted from 1
    errors.clear();
    run({"var o = {}; var methodical = 1; o.method();"});
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].position, 35) << errors[0].description; // the whole word "method"
    errors.clear();
    run({"var x = 1;", "\t  throw new Error('plain');"});
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].position, 4); // nothing quoted: the first character that is not blank
}

TEST_F(JsRunnerTest, HabitsOfOlderProgramsBehaveAsDocumented) {
    EXPECT_EQ(
        run({"testout('case-insensitive system name');", "/*@cc_on TestOut('conditional'); @*/",
             "TestOut(new Date(2003, 0, 2).getYear());",
             "if (true) { function inner() { return 'block function'; } }", "TestOut(inner());",
             "var o = {a: 1,}; TestOut(o.a);",
             "try { new NoSuchObject('x'); } catch (e) { TestOut(e.name); }"}),
        (Lines{"case-insensitive system name", "103", "block function", "1", "ReferenceError"}));
    EXPECT_TRUE(errors.empty()) << errors[0].description;
    output().clear();
    run({"var o = {}; o.Item(1) = 2;"});
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].source, vorlan::czech("Chyba JavaScriptu za běhu"))
        << errors[0].description;
}

TEST_F(JsRunnerTest, AnEncodedModuleRunsByItsExtension) {
    const auto dir = std::filesystem::temp_directory_path() / "vorlan_jse_module_test";
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "PROG.JSE", std::ios::binary)
        << "// header\r\n"
        << vorlan::testing::encodeScriptBlock(
               "function twice(x) { return x * 2; }\r\nTestOut('<' + twice(21) + '@>');\r\n"
               "if (1 < 2 && 3 > 2) TestOut('compared');\r\n")
        << "\r\n";
    std::ofstream(dir / "BAD.JSE", std::ios::binary) << "#@~^AgAAAA==ubtQAAAA==^#~@";
    Scripter s;
    s.scriptFile = (dir / "PROG.JSE").string();
    s.run();
    Value args[] = {Value(4)};
    EXPECT_TRUE(s.callByName("twice", args).identical(Value(8)));
    EXPECT_EQ(output(), (Lines{"<42@>", "compared"}));
    EXPECT_FALSE(s.errorFlag());

    Scripter bad;
    bad.scriptFile = (dir / "BAD.JSE").string();
    std::vector<std::string> messages;
    bad.onError = [&](Scripter&, const ExceptionInfo& info, int, int, bool&) {
        messages.push_back(info.source + ": " + info.description);
    };
    bad.run();
    std::filesystem::remove_all(dir);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(
        messages[0],
        vorlan::czech("Chyba překladu JavaScriptu: Kódovaný skript: nesouhlasí kontrolní součet"));
    EXPECT_EQ(bad.runner(), nullptr);
}

TEST_F(JsRunnerTest, AModuleFileWithItsFormRunsByItsExtension) {
    const auto dir = std::filesystem::temp_directory_path() / "vorlan_js_module_test";
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "PROG.TRX", std::ios::binary)
        << "TestOut('loaded ' + Caption);\r\nfunction Form1Click(Sender) { TestOut('click ' + "
           "Sender.Name); }\r\n";
    std::ofstream(dir / "PROG.tfm", std::ios::binary)
        << "object Form1: TForm\n  Caption = 'Ahoj'\n  OnClick = Form1Click\nend\n";
    Scripter s;
    s.scriptFile = (dir / "PROG.TRX").string();
    s.run();
    ASSERT_NE(s.module(), nullptr);
    s.module()->fireNotify("OnClick");
    std::filesystem::remove_all(dir);
    EXPECT_EQ(output(), (Lines{"loaded Ahoj", "click Form1"}));
    EXPECT_FALSE(s.errorFlag());
}

// ---- values

TEST_F(JsRunnerTest, ValuesCrossBothWays) {
    auto s = scripter({
        "function kinds() {",
        "  return [TestTypeOf(1), TestTypeOf(1.5), TestTypeOf('s'), TestTypeOf(true), "
        "TestTypeOf(null),",
        "          TestTypeOf(undefined), TestTypeOf([1]), TestTypeOf(new Date(2000, 0, 1)), "
        "TestTypeOf(-0),",
        "          TestTypeOf(4294967296), TestTypeOf(-2147483648), TestTypeOf(2147483648),",
        "          TestTypeOf(NaN)].join(' ');",
        "}",
        "function back(v) { return TestEcho(v); }",
        "function makeDate() { return new Date(2000, 0, 2, 6, 0, 0).getVarDate(); }",
        "function describe(d) { return d.getFullYear() + '-' + (d.getMonth() + 1) + '-' + "
        "d.getDate() + ' ' + d.getHours(); }",
        "function grid() {",
        "  var a = new VBArray(TestGrid());",
        "  return [a.dimensions(), a.lbound(1), a.ubound(1), a.lbound(2), a.ubound(2), "
        "a.getItem(2, 1),",
        "          a.toArray().length].join(' ');",
        "}",
        "function list(v) { return v.length + ':' + v.join(','); }",
        "function valid(d) { return !isNaN(d.getTime()); }",
    });
    EXPECT_TRUE(s->callByName("kinds").identical(
        Value("Integer Double String Boolean Null Empty Array Date Double Double Integer Double "
              "Double")));

    Value date[] = {Value(DateTime{36527.25})}; // 2 January 2000, 6:00
    EXPECT_TRUE(s->callByName("describe", date).identical(Value("2000-1-2 6")));
    Value outOfRange[] = {Value(DateTime{1e300})};
    EXPECT_TRUE(s->callByName("valid", outOfRange).identical(Value(false)));
    EXPECT_TRUE(s->callByName("back", outOfRange).isNull()); // an invalid date comes back as null
    const Value made = s->callByName("makeDate");
    ASSERT_EQ(made.type(), ValueType::Date);
    EXPECT_NEAR(made.asDate().days, 36527.25, 1e-9);

    auto array = VarArray::create(0, 2);
    array->items() = {Value(1), Value("x"), Value(true)};
    Value lists[] = {Value(array)};
    EXPECT_TRUE(s->callByName("list", lists).identical(Value("3:1,x,true")));
    const Value echoed = s->callByName("back", lists);
    ASSERT_TRUE(echoed.isArray());
    EXPECT_TRUE(echoed.asArray()->items()[1].identical(Value("x")));

    EXPECT_TRUE(s->callByName("grid").identical(Value("2 1 2 0 1 30 4")));
    // A variant array that is not zero-based comes back as it went.
    auto grid = std::make_shared<VarArray>(std::vector<VarArray::Bound>{{1, 2}, {0, 1}});
    grid->items()[3] = Value(7);
    Value grids[] = {Value(grid)};
    const Value back = s->callByName("back", grids);
    ASSERT_TRUE(back.isArray());
    EXPECT_EQ(back.asArray()->dimensions(), 2u);
    EXPECT_EQ(back.asArray()->bound(0).low, 1);
    EXPECT_TRUE(back.asArray()->items()[3].identical(Value(7)));
    EXPECT_TRUE(errors.empty()) << errors[0].description;
}

TEST_F(JsRunnerTest, CzechTextRoundTrips) {
    const std::string word = czech("Žluťoučký kůň");
    auto s =
        scripter({czech("var suffix = 'ř';"), "function add(s) { return s + suffix; }",
                  "function len(s) { return s.length; }",
                  "function upper(s) { return s.toUpperCase(); }", czech("TestOut('Příliš');")});
    Value args[] = {Value(word)};
    EXPECT_TRUE(s->callByName("add", args).identical(Value(word + czech("ř"))));
    EXPECT_TRUE(s->callByName("len", args).identical(Value(13)));
    EXPECT_TRUE(s->callByName("upper", args).identical(Value(czech("ŽLUŤOUČKÝ KŮŇ"))));
    EXPECT_EQ(output(), Lines{czech("Příliš")});
}

// ---- which names a module uses

TEST(JsModuleNames, FindsFreeNamesAndDeclarations) {
    const auto names = js::scanModuleNames(
        "var a = 1, b = f(x, y), c = {p: q};\n"
        "function g(k) { return k.Member + /Regex[/]x/.test(s) + \"str Name\" "
        "+ 'it\\'s'; } // Comment\n"
        "/* Block */ obj.Prop = 2 / Divisor;\n"
        "function h() { var inner = 1; return inner + Outer + this.Global + that.Member2; }\n");
    EXPECT_EQ(names.declared, (std::set<std::string>{"a", "b", "c", "g", "h"}));
    for (const char* used :
         {"f", "x", "y", "q", "k", "s", "obj", "Divisor", "inner", "Outer", "Global"})
        EXPECT_TRUE(names.used.count(used)) << used;
    for (const char* unused : {"Member", "Member2", "Regex", "str", "Name", "Comment", "Block",
                               "Prop", "var", "return", "this"})
        EXPECT_FALSE(names.used.count(unused)) << unused;
    // The no-break space separates names as any white space does.
    EXPECT_EQ(js::scanModuleNames("First\xA0(Second);").used,
              (std::set<std::string>{"First", "Second"}));
}

} // namespace
