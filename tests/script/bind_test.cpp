// Qt headers define `slots` as nothing; forms code includes this header after them.
#define slots
#include "core/cp1250.h"
#include "script/bind.h"
#undef slots
#include "script/comp_wrapper.h"
#include "script/component.h"

#include <gtest/gtest.h>

using namespace vorlan::script;

namespace {

Value call(Dispatch& target, std::string_view name, std::vector<Value> args,
           DispStatus* status = nullptr, std::vector<Value>* after = nullptr) {
    Value result;
    ExceptionInfo error;
    const DispStatus s = invokeByName(target, name, InvokeMethod | InvokeGet, args, result, error);
    if (status)
        *status = s;
    else
        EXPECT_EQ(s, DispStatus::Ok) << error.description;
    if (after) *after = args;
    return result;
}

Value get(Dispatch& target, std::string_view name, std::vector<Value> index = {}) {
    Value result;
    ExceptionInfo error;
    EXPECT_EQ(invokeByName(target, name, InvokeGet, index, result, error), DispStatus::Ok)
        << error.description;
    return result;
}

void put(Dispatch& target, std::string_view name, Value value, std::vector<Value> index = {}) {
    index.push_back(std::move(value));
    Value result;
    ExceptionInfo error;
    EXPECT_EQ(invokeByName(target, name, InvokePut, index, result, error), DispStatus::Ok)
        << error.description;
}

class Counter : public NativeObject {
public:
    Counter() : NativeObject("TCounter") {}
    int count() const { return count_; }
    void add(int n) { count_ += n; }
    bool open = true;
    std::string label;
    std::vector<std::string> items{"a", "b", "c"};

private:
    int count_ = 0;
};

// Binds a mismatching declaration and tells whether it was caught: debug builds stop with an
// exception, release builds record it.
bool mismatchCaught(const std::function<void()>& bindIt) {
    const std::size_t before = bindingMismatches().size();
    try {
        bindIt();
    } catch (const std::logic_error&) {
        return true;
    }
    return bindingMismatches().size() > before;
}

std::string twice(std::string_view s) {
    return std::string(s) + std::string(s);
}

// A counter whose NativeObject part does not start the object: its conversions move the pointer.
struct Padding {
    virtual ~Padding() = default;
    std::int64_t pad[3]{};
};
class PaddedCounter : public Padding, public Counter {};

} // namespace

TEST(Bind, GlobalRoutinesConvertArgumentsResultsAndVarParameters) {
    Registry reg;
    Binder global(reg);
    global.bind("Twice", "function(S: string): string", &twice);
    global.bind("Add", "function(A, B: Integer): Integer", [](int a, int b) { return a + b; });
    global.bind("Half", "function(X: Double): Double", [](double x) { return x / 2; });
    global.bind("Swap", "procedure(var A, B: Integer)", [](int& a, int& b) { std::swap(a, b); });
    global.bind("TryParse", "function(S: string; var N: Integer): Boolean",
                [](const std::string& s, int& n) {
                    if (s.empty() || s.find_first_not_of("0123456789") != std::string::npos)
                        return false;
                    n = std::stoi(s);
                    return true;
                });
    ObjectRef scope = reg.globalScope();
    EXPECT_EQ(call(*scope, "twice", {Value("ab")}).toString(), "abab");
    // The registry converts to the declared types first: "2" and 3.6 arrive as integers.
    EXPECT_EQ(call(*scope, "Add", {Value("2"), Value(3.6)}).toInt(), 6);
    EXPECT_DOUBLE_EQ(call(*scope, "Half", {Value(3)}).toDouble(), 1.5);

    std::vector<Value> after;
    call(*scope, "Swap", {Value(1), Value(2)}, nullptr, &after);
    EXPECT_EQ(after[0].toInt(), 2);
    EXPECT_EQ(after[1].toInt(), 1);
    EXPECT_TRUE(call(*scope, "TryParse", {Value("42"), Value(0)}, nullptr, &after).toBool());
    EXPECT_EQ(after[1].toInt(), 42);
    EXPECT_FALSE(call(*scope, "TryParse", {Value("x"), Value(7)}, nullptr, &after).toBool());
    EXPECT_EQ(after[1].toInt(), 7);

    DispStatus status{};
    call(*scope, "Add", {Value(1)}, &status);
    EXPECT_EQ(status, DispStatus::BadParamCount);
}

TEST(Bind, MethodsPropertiesAndTheClassGuard) {
    Registry reg;
    ClassBinder<Counter> counter(reg, "TCounter");
    counter.bind("Open", "procedure(Flag: Boolean)", [](Counter& c, bool flag) { c.open = flag; });
    counter.guard([](const Counter& c) { return c.open; });
    counter.bind("Add", "procedure(N: Integer)", &Counter::add);
    counter.bind("Count", "function: Integer", &Counter::count);
    counter.property(
        "Label", "string", [](Counter& c) { return c.label; },
        [](Counter& c, std::string s) { c.label = std::move(s); });
    counter.defaultProperty(
        "Items", "string", [](Counter& c, int i) { return c.items.at(static_cast<size_t>(i)); },
        [](Counter& c, int i, const std::string& s) { c.items.at(static_cast<size_t>(i)) = s; });
    counter.unguarded().bind("IsOpen", "function: Boolean", [](Counter& c) { return c.open; });

    Counter object;
    ObjectRef wrapper = wrapObject(reg, &object);
    call(*wrapper, "Add", {Value(5)});
    EXPECT_EQ(call(*wrapper, "Count", {}).toInt(), 5);
    put(*wrapper, "Label", Value("x"));
    EXPECT_EQ(get(*wrapper, "Label").toString(), "x");
    put(*wrapper, "Items", Value("z"), {Value(1)});
    EXPECT_EQ(get(*wrapper, "Items", {Value(1)}).toString(), "z");

    // Closed: guarded members give the neutral result and do nothing; the rest still work.
    call(*wrapper, "Open", {Value(false)});
    call(*wrapper, "Add", {Value(5)});
    EXPECT_EQ(call(*wrapper, "Count", {}).toInt(), 0);
    EXPECT_EQ(get(*wrapper, "Label").toString(), "");
    EXPECT_FALSE(call(*wrapper, "IsOpen", {}).toBool());
    object.open = true;
    EXPECT_EQ(call(*wrapper, "Count", {}).toInt(), 5);
}

TEST(Bind, ClassLevelRoutinesAndNativeObjectResults) {
    Registry reg;
    static int setting = 0;
    ClassBinder<Counter> counter(reg, "TCounter");
    counter.bindClassLevel("SetSetting", "procedure(N: Integer)", [](int n) { setting = n; });
    counter.bind("Self", "function: TCounter", [](Counter& c) { return &c; });
    ObjectRef scope = reg.globalScope();
    ObjectRef cls = get(*scope, "TCounter").toObject();
    ASSERT_NE(cls, nullptr);
    call(*cls, "SetSetting", {Value(9)});
    EXPECT_EQ(setting, 9);

    Counter object;
    ObjectRef wrapper = wrapObject(reg, &object);
    Value self = call(*wrapper, "Self", {});
    EXPECT_EQ(nativeObjectOf(self), &object);
}

TEST(Bind, DeclarationsThatDisagreeWithTheCallableAreCaught) {
    Registry reg;
    Binder global(reg);
    EXPECT_TRUE(mismatchCaught(
        [&] { global.bind("A", "function(X: Integer): Integer", [](int, int) { return 0; }); }));
    EXPECT_TRUE(mismatchCaught(
        [&] { global.bind("B", "function(X: string): Integer", [](int) { return 0; }); }));
    EXPECT_TRUE(mismatchCaught([&] { global.bind("C", "procedure(var X: Integer)", [](int) {}); }));
    EXPECT_TRUE(mismatchCaught([&] { global.bind("D", "procedure(X: Integer)", [](int&) {}); }));
    EXPECT_TRUE(mismatchCaught([&] { global.bind("E", "procedure", [] { return 1; }); }));
    EXPECT_TRUE(mismatchCaught([&] { global.bind("F", "function: Boolean", [] {}); }));
    // A class name declares an object: an integer colour must be declared Integer.
    EXPECT_TRUE(mismatchCaught([&] { global.bind("G", "procedure(C: TColor)", [](int) {}); }));

    const std::size_t before = bindingMismatches().size();
    global.bind("H", "function(V: Variant; S: string): Extended",
                [](const Value&, std::string_view) { return 1.0; });
    global.bind("I", "function(X: Integer): Variant", [](std::int64_t x) { return x; });
    EXPECT_EQ(bindingMismatches().size(), before);
}

TEST(Bind, LongTextsMoveThroughVarParametersAndSurviveAFailedCall) {
    Registry reg;
    Binder global(reg);
    const char* seen = nullptr;
    global.bind("Grow", "procedure(var S: string)", [&](std::string& s) {
        seen = s.data();
        s += 'x';
    });
    global.bind("Width", "function(V: Variant): Integer",
                [](const std::string& s) { return static_cast<int>(s.size()); });
    global.bind("GrowAndFail", "procedure(var S: string)", [](std::string& s) {
        s += 'y';
        throw ScriptException("stopped");
    });

    // A text grown in a loop stays linear only if it is never copied on the way in or out.
    std::string text;
    text.reserve(4096);
    text.assign(1000, 'a');
    std::vector<Value> args(1);
    args[0] = Value(std::move(text));
    const char* before = args[0].asString().data();
    Value result;
    ExceptionInfo error;
    ASSERT_EQ(reg.call(*reg.findProc("Grow"), nullptr, args, result, error), DispStatus::Ok);
    EXPECT_EQ(seen, before);
    EXPECT_EQ(args[0].asString().data(), before);
    EXPECT_EQ(args[0].asString().size(), 1001u);

    // A text parameter takes other values as their text.
    std::vector<Value> number{Value(12345)};
    ASSERT_EQ(reg.call(*reg.findProc("Width"), nullptr, number, result, error), DispStatus::Ok);
    EXPECT_EQ(result.toInt(), 5);

    // The caller's variable keeps what the routine made of it before it failed.
    ASSERT_EQ(reg.call(*reg.findProc("GrowAndFail"), nullptr, args, result, error),
              DispStatus::Exception);
    EXPECT_EQ(error.description, "stopped");
    EXPECT_EQ(args[0].asString(), std::string(1000, 'a') + "xy");
}

TEST(Bind, PointerAccessorsTakeOtherObjectsAndIndexesAreNamed) {
    Registry reg;
    ClassBinder<Counter> counter(reg, "TCounter");
    counter.property("Kind", "string",
                     [](Counter* c) { return std::string(c ? "counter" : "other"); });
    counter.property("Item", "string",
                     [](Counter& c, int i) { return c.items.at(static_cast<size_t>(i)); });
    const PropertyInfo* kind = reg.findMember("TCounter", "Kind").property;
    const PropertyInfo* item = reg.findMember("TCounter", "Item").property;
    ASSERT_TRUE(kind && item);

    Counter object;
    Component other("TOther");
    Value result;
    ExceptionInfo error;
    ASSERT_EQ(reg.getProperty(*kind, &other, {}, result, error), DispStatus::Ok);
    EXPECT_EQ(result.toString(), "other");
    ASSERT_EQ(reg.getProperty(*kind, &object, {}, result, error), DispStatus::Ok);
    EXPECT_EQ(result.toString(), "counter");

    // A reference accessor on another object, and an index left out, fail with a clear text.
    std::vector<Value> index{Value(1)};
    EXPECT_EQ(reg.getProperty(*item, &other, index, result, error), DispStatus::Exception);
    EXPECT_EQ(reg.getProperty(*item, &object, {}, result, error), DispStatus::Exception);
    EXPECT_EQ(error.description, vorlan::czech("Item potřebuje jeden index"));
    ASSERT_EQ(reg.getProperty(*item, &object, index, result, error), DispStatus::Ok);
    EXPECT_EQ(result.toString(), "b");
}

TEST(Bind, MembersMeetObjectsOfChangingClassesOneAfterAnother) {
    // The object's class as the last call found it must not decide for the next object.
    Registry reg;
    ClassBinder<Counter> counter(reg, "TCounter");
    counter.property("Seen", "string", [](Counter* c) {
        return c ? "counter " + std::to_string(c->count()) : std::string("other");
    });
    counter.property("Count", "Integer", [](Counter& c) { return c.count(); });
    const PropertyInfo* seen = reg.findMember("TCounter", "Seen").property;
    const PropertyInfo* count = reg.findMember("TCounter", "Count").property;
    ASSERT_TRUE(seen && count);

    Counter plain;
    plain.add(1);
    PaddedCounter padded;
    padded.add(2);
    Component other("TOther");
    const std::vector<std::pair<NativeObject*, std::string>> calls{
        {&plain, "counter 1"},  {&other, "other"},     {&padded, "counter 2"},
        {&padded, "counter 2"}, {&other, "other"},     {&plain, "counter 1"},
        {&other, "other"},      {&padded, "counter 2"}};
    for (const auto& [object, expected] : calls) {
        Value result;
        ExceptionInfo error;
        ASSERT_EQ(reg.getProperty(*seen, object, {}, result, error), DispStatus::Ok);
        EXPECT_EQ(result.toString(), expected);
        const DispStatus status = reg.getProperty(*count, object, {}, result, error);
        if (object == &other) {
            EXPECT_EQ(status, DispStatus::Exception);
        } else {
            ASSERT_EQ(status, DispStatus::Ok);
            EXPECT_EQ(result.toString(), expected.substr(8));
        }
    }
}

// The direct accessors read their indexes where the caller keeps them and store the value into
// the caller's result: an index of another kind is converted, a result of another kind is
// replaced, a result that is the index variable itself gets the value read with the old index,
// and a setter's value arrives of the declared type. A getter and a setter that disagree on
// their indexes are caught at binding.
TEST(Bind, DirectPropertyAccessReadsAndWritesTheCallersStorage) {
    Registry reg;
    ClassBinder<Counter> counter(reg, "TCounter");
    counter.guard([](const Counter& c) { return c.open; });
    counter.property(
        "Item", "string", [](Counter& c, int i) { return c.items.at(static_cast<size_t>(i)); },
        [](Counter& c, int i, std::string_view s) { c.items.at(static_cast<size_t>(i)) = s; });
    counter.property("Find", "Integer", [](Counter& c, std::string_view s) {
        for (std::size_t i = 0; i < c.items.size(); ++i)
            if (c.items[i] == s) return static_cast<int>(i);
        return -1;
    });
    const PropertyInfo* item = reg.findMember("TCounter", "Item").property;
    const PropertyInfo* find = reg.findMember("TCounter", "Find").property;
    ASSERT_TRUE(item && find && item->directRead && item->directWrite && find->directRead);
    EXPECT_FALSE(find->directWrite);

    Counter object;
    ExceptionInfo error;
    Value index("2"); // a text index of an Integer property
    Value* at[] = {&index};
    Value result(42);
    ASSERT_EQ(reg.getPropertyDirect(*item, &object, at, result, error), DispStatus::Ok);
    EXPECT_TRUE(result.identical(Value("c")));
    Value number(7); // written as the declared text
    index = Value(0);
    ASSERT_EQ(reg.setPropertyDirect(*item, &object, at, number, error), DispStatus::Ok);
    EXPECT_EQ(object.items[0], "7");

    // The index variable is the result too: `s := L.Find[s]`.
    Value name("b");
    Value* self[] = {&name};
    ASSERT_EQ(reg.getPropertyDirect(*find, &object, self, name, error), DispStatus::Ok);
    EXPECT_TRUE(name.identical(Value(1)));

    // Out of range fails as an exception; a closed object answers the neutral value.
    index = Value(9);
    EXPECT_EQ(reg.getPropertyDirect(*item, &object, at, result, error), DispStatus::Exception);
    object.open = false;
    index = Value(1);
    result = Value(5);
    ASSERT_EQ(reg.getPropertyDirect(*item, &object, at, result, error), DispStatus::Ok);
    EXPECT_TRUE(result.identical(Value("")));
    ASSERT_EQ(reg.setPropertyDirect(*item, &object, at, Value("x"), error), DispStatus::Ok);
    EXPECT_EQ(object.items[1], "b");

    EXPECT_TRUE(mismatchCaught([&] {
        counter.property(
            "Odd", "string", [](Counter&) { return std::string(); },
            [](Counter&, int, std::string) {});
    }));
}
