#include "core/cp1250.h"
#include "script/builtins.h"
#include "script/comp_wrapper.h"
#include "script/component.h"
#include "script/registry.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace vorlan::script;

namespace {

Value callGlobal(Registry& reg, std::string_view name, std::vector<Value> args,
                 DispStatus* status = nullptr) {
    ObjectRef scope = reg.globalScope();
    Value result;
    ExceptionInfo error;
    const DispStatus s = invokeByName(*scope, name, InvokeMethod | InvokeGet, args, result, error);
    if (status)
        *status = s;
    else
        EXPECT_EQ(s, DispStatus::Ok) << error.description;
    return result;
}

std::string params(int n) {
    std::string text = "function(";
    for (int i = 0; i < n; ++i)
        text += (i ? "; p" : "p") + std::to_string(i) + ": Integer";
    return text + "): Integer";
}

} // namespace

TEST(Registry, NamesIgnoreLetterCase) {
    Registry reg;
    reg.registerProc("ConsoleClear", "procedure", [](NativeObject*, std::span<Value>, Value&) {});
    EXPECT_EQ(reg.findProc("consoleclear"), reg.findProc("CONSOLECLEAR"));
    EXPECT_NE(reg.findProc("ConsoleClear"), nullptr);
    reg.registerConst("LPT1", Value(0x378));
    EXPECT_EQ(callGlobal(reg, "lpt1", {}).toInt(), 0x378);
}

TEST(Registry, ThirtyTwoParametersAreTheLimit) {
    Registry reg;
    reg.registerProc("Sum32", params(32), [](NativeObject*, std::span<Value> args, Value& result) {
        int sum = 0;
        for (const auto& a : args)
            sum += a.asInt();
        result = Value(sum);
    });
    std::vector<Value> args;
    for (int i = 1; i <= 32; ++i)
        args.emplace_back(i);
    EXPECT_EQ(callGlobal(reg, "Sum32", args).toInt(), 528);
    EXPECT_THROW(reg.registerProc("Sum33", params(33), nullptr), std::invalid_argument);
    DispStatus status{};
    args.pop_back();
    callGlobal(reg, "Sum32", args, &status);
    EXPECT_EQ(status, DispStatus::BadParamCount);
}

TEST(Registry, VarParametersAreWrittenBackOthersAreNot) {
    Registry reg;
    reg.registerProc("IncBoth", "procedure(var a: Integer; b: Integer)",
                     [](NativeObject*, std::span<Value> args, Value&) {
                         args[0] = Value(args[0].asInt() + 1);
                         args[1] = Value(args[1].asInt() + 1);
                     });
    std::vector<Value> args{Value("41"), Value(10)};
    ObjectRef scope = reg.globalScope();
    Value result;
    ExceptionInfo error;
    ASSERT_EQ(invokeByName(*scope, "IncBoth", InvokeMethod, args, result, error), DispStatus::Ok);
    EXPECT_TRUE(args[0].identical(Value(42))); // converted to the declared type on the way back
    EXPECT_TRUE(args[1].identical(Value(10)));
    EXPECT_TRUE(result.isEmpty()); // procedures answer nothing
}

TEST(Registry, VarArgumentsSurviveAFailingCall) {
    Registry reg;
    reg.registerProc(
        "Fails", "procedure(var s: string; var n: Integer)",
        [](NativeObject*, std::span<Value>, Value&) { throw ScriptException("broken"); });
    std::vector<Value> args{Value("keep me"), Value(7)};
    ObjectRef scope = reg.globalScope();
    Value result;
    ExceptionInfo error;
    EXPECT_EQ(invokeByName(*scope, "Fails", InvokeMethod, args, result, error),
              DispStatus::Exception);
    EXPECT_EQ(error.description, "broken");
    EXPECT_TRUE(args[0].identical(Value("keep me")));
    EXPECT_TRUE(args[1].identical(Value(7)));
}

TEST(Registry, DeclaredTypesConvertArgumentsAndResults) {
    Registry reg;
    reg.registerProc("LowByte", "function(x: Integer): Byte",
                     [](NativeObject*, std::span<Value> args, Value& r) { r = args[0]; });
    reg.registerProc("Same", "function(x: Real): Real",
                     [](NativeObject*, std::span<Value> args, Value& r) { r = args[0]; });
    reg.registerProc("Text", "function(x: string): string",
                     [](NativeObject*, std::span<Value> args, Value& r) { r = args[0]; });
    EXPECT_EQ(callGlobal(reg, "LowByte", {Value(0x1234)}).toInt(), 0x34);
    EXPECT_EQ(callGlobal(reg, "LowByte", {Value(-1)}).toInt(), 255);
    // The 6-byte real keeps about 12 digits and has a narrower range than a double.
    const double third = callGlobal(reg, "Same", {Value(1.0 / 3)}).toDouble();
    EXPECT_NE(third, 1.0 / 3);
    EXPECT_NEAR(third, 1.0 / 3, 1e-12);
    EXPECT_EQ(callGlobal(reg, "Same", {Value(0.5)}).toDouble(), 0.5);
    EXPECT_EQ(callGlobal(reg, "Same", {Value(1e-40)}).toDouble(), 0.0);
    DispStatus status{};
    callGlobal(reg, "Same", {Value(1e39)}, &status);
    EXPECT_EQ(status, DispStatus::Exception);
    EXPECT_EQ(callGlobal(reg, "Text", {Value(true)}).toString(), "True");
    callGlobal(reg, "LowByte", {Value("abc")}, &status);
    EXPECT_EQ(status, DispStatus::Exception);
}

TEST(Registry, RealPassesThroughSixBytes) {
    EXPECT_NEAR(passThroughReal48(1.7e38), 1.7e38, 1.7e38 * 1e-11);
    EXPECT_THROW(passThroughReal48(1.8e38), std::exception);
    EXPECT_EQ(passThroughReal48(-2.5), -2.5);
    EXPECT_GT(passThroughReal48(3e-39), 0.0);
    EXPECT_EQ(passThroughReal48(2e-39), 0.0);
}

TEST(Registry, EngineBuiltins) {
    Registry& reg = registry();
    static bool once = [] {
        registerEngineBuiltins(registry());
        registerScriptRunners(registry());
        return true;
    }();
    (void)once;
    EXPECT_EQ(callGlobal(reg, "MkSet", {Value(0), Value(3), Value(40)}).toInt(), 9);
    EXPECT_TRUE(callGlobal(reg, "InSet", {Value(3), Value(9)}).asBool());
    EXPECT_FALSE(callGlobal(reg, "InSet", {Value(2), Value(9)}).asBool());
    EXPECT_FALSE(callGlobal(reg, "InSet", {Value(99), Value(-1)}).asBool());
    EXPECT_EQ(callGlobal(reg, "Chr", {Value(0x9A)}).toString(), "\x9a");
    EXPECT_EQ(reg.runners().size(), 6u);
    EXPECT_EQ(reg.runnerForExtension("ZLM")->description, "ZelmoranScript");
    EXPECT_EQ(reg.runnerForLanguage("javascript")->className, "TJavaScriptRunner");
}

TEST(Registry, ClassReferencesCreateAndFreeObjects) {
    Registry& reg = registry();
    if (!reg.findClass("TComponent")) registerEngineBuiltins(reg);
    // TComponent.Create(nil): an unowned object that Free destroys.
    Value classRef = callGlobal(reg, "TComponent", {});
    ASSERT_TRUE(classRef.isObject());
    Value made;
    ExceptionInfo error;
    std::vector<Value> noOwner{Value(0)};
    ASSERT_EQ(invokeByName(*classRef.asObject(), "Create", InvokeMethod, noOwner, made, error),
              DispStatus::Ok);
    ASSERT_NE(nativeObjectOf(made), nullptr);
    Value name;
    ASSERT_EQ(invokeByName(*made.asObject(), "ClassName", InvokeMethod, {}, name, error),
              DispStatus::Ok);
    EXPECT_EQ(name.toString(), "TComponent");
    Value ignored;
    ASSERT_EQ(invokeByName(*made.asObject(), "Free", InvokeMethod, {}, ignored, error),
              DispStatus::Ok);
    EXPECT_EQ(nativeObjectOf(made), nullptr);
    // A freed object answers with an error, not a crash.
    EXPECT_EQ(invokeByName(*made.asObject(), "ClassName", InvokeMethod, {}, name, error),
              DispStatus::UnknownName);

    // With an owner the owner frees it.
    auto owner = std::make_unique<Component>("TComponent", "Owner1");
    std::vector<Value> withOwner{Value(wrapObject(owner.get()))};
    ASSERT_EQ(invokeByName(*classRef.asObject(), "Create", InvokeMethod, withOwner, made, error),
              DispStatus::Ok);
    EXPECT_EQ(owner->components().size(), 1u);
    owner.reset();
    EXPECT_EQ(nativeObjectOf(made), nullptr);
}

TEST(Registry, ComponentsAnswerTheirOwnerAndTheirComponents) {
    Registry reg;
    registerEngineBuiltins(reg);
    Component owner("TComponent", "Owner1");
    Component* first = owner.adopt(std::make_unique<Component>("TComponent"));
    owner.adopt(std::make_unique<Component>("TComponent"));
    ObjectRef ownerRef = wrapObject(reg, &owner);
    ObjectRef firstRef = wrapObject(reg, first);
    const auto get = [](Dispatch& target, std::string_view name, std::vector<Value> index,
                        std::string* failure = nullptr) {
        Value result;
        ExceptionInfo error;
        const DispStatus status = invokeByName(target, name, InvokeGet, index, result, error);
        if (failure) {
            EXPECT_EQ(status, DispStatus::Exception) << name;
            *failure = error.description;
        } else {
            EXPECT_EQ(status, DispStatus::Ok) << name << ": " << error.description;
        }
        return result;
    };
    EXPECT_EQ(get(*ownerRef, "ComponentCount", {}).toInt(), 2);
    EXPECT_EQ(nativeObjectOf(get(*ownerRef, "Components", {Value(0)})), first);
    EXPECT_EQ(nativeObjectOf(get(*firstRef, "Owner", {})), &owner);
    EXPECT_EQ(nativeObjectOf(get(*ownerRef, "Owner", {})), nullptr);
    std::string failure;
    get(*ownerRef, "Components", {Value(2)}, &failure);
    EXPECT_EQ(failure, vorlan::czech("Index seznamu je mimo meze (2)"));
    get(*ownerRef, "Components", {}, &failure);
    EXPECT_EQ(failure, vorlan::czech("Components potřebuje jeden index"));
}

TEST(Registry, SignatureParsing) {
    const Signature s = Signature::parse("function(var a, b: Integer; const s: string; x): Real;");
    ASSERT_EQ(s.params.size(), 4u);
    EXPECT_EQ(s.params[1].mode, ParamMode::Var);
    EXPECT_EQ(s.params[2].type, DeclaredType::String);
    EXPECT_EQ(s.params[3].type, DeclaredType::Variant);
    EXPECT_EQ(s.result, DeclaredType::Real);
    EXPECT_THROW(Signature::parse("function(a: Integer)"), std::invalid_argument);
    EXPECT_THROW(Signature::parse("proc(a)"), std::invalid_argument);
}
