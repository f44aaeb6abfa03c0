#include "script/builtins.h"
#include "script/comp_wrapper.h"
#include "script/component.h"
#include "script/registry.h"

#include <gtest/gtest.h>

using namespace vorlan::script;

namespace {

void ensureBuiltins() {
    if (!registry().findClass("TComponent")) registerEngineBuiltins(registry());
    if (!registry().findClass("TWrapTest")) {
        registry().registerClass("TWrapTest", "TComponent");
        registry().registerMethod(
            "TWrapTest", "Twice", "function(x: Integer): Integer",
            [](NativeObject*, std::span<Value> a, Value& r) { r = Value(a[0].asInt() * 2); });
        // A registered member wins over an owned component of the same name.
        registry().registerProperty(
            "TWrapTest", "Shadow",
            [](NativeObject*, std::span<const Value>) { return Value("registered"); }, nullptr);
    }
}

Value get(const Value& object, std::string_view name, DispStatus expected = DispStatus::Ok) {
    Value result;
    ExceptionInfo error;
    EXPECT_EQ(invokeByName(*object.asObject(), name, InvokeGet | InvokeMethod, {}, result, error),
              expected)
        << name;
    return result;
}

} // namespace

TEST(CompWrapper, RegisteredMembersThenOwnedComponentsThenPublishedProperties) {
    ensureBuiltins();
    Component form("TWrapTest", "Form1");
    form.setPublished("Caption", Value("Hlavní"));
    form.adopt(std::make_unique<Component>("TButton", "Button1"));
    form.adopt(std::make_unique<Component>("TButton", "Shadow"));
    const Value wrapped(wrapObject(&form));

    std::vector<Value> args{Value(21)};
    Value result;
    ExceptionInfo error;
    ASSERT_EQ(invokeByName(*wrapped.asObject(), "twice", InvokeMethod, args, result, error),
              DispStatus::Ok);
    EXPECT_EQ(result.toInt(), 42);
    EXPECT_EQ(get(wrapped, "Shadow").toString(), "registered");
    const Value button = get(wrapped, "BUTTON1");
    ASSERT_TRUE(button.isObject());
    EXPECT_EQ(get(button, "Name").toString(), "Button1");
    EXPECT_EQ(get(wrapped, "caption").toString(), "Hlavní");
    EXPECT_EQ(wrapped.asObject()->idOfName("NoSuchThing"), kUnknownDispId);

    // Writing a published property goes to the object.
    std::vector<Value> value{Value("Nový")};
    ASSERT_EQ(invokeByName(*wrapped.asObject(), "Caption", InvokePut, value, result, error),
              DispStatus::Ok);
    Value caption;
    form.getPublished("Caption", caption);
    EXPECT_EQ(caption.toString(), "Nový");
    // Methods cannot be assigned.
    EXPECT_EQ(invokeByName(*wrapped.asObject(), "Twice", InvokePut, args, result, error),
              DispStatus::MemberNotFound);
}

TEST(CompWrapper, OneWrapperPerObjectAndNoneAfterItDies) {
    ensureBuiltins();
    auto owner = std::make_unique<Component>("TComponent", "Owner");
    Component* child = owner->adopt(std::make_unique<Component>("TComponent", "Child"));
    ObjectRef first = wrapObject(child);
    EXPECT_EQ(first, wrapObject(child));
    const DispId id = first->idOfName("Name");
    owner.reset(); // frees the child too
    EXPECT_EQ(static_cast<CompWrapper&>(*first).object(), nullptr);
    Value result;
    ExceptionInfo error;
    EXPECT_EQ(first->invoke(id, InvokeGet, {}, result, error), DispStatus::Exception);
    EXPECT_FALSE(error.description.empty());
}
