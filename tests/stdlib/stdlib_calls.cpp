#include "stdlib_calls.h"

#include "library/library.h"
#include "script/builtins.h"
#include "script/open_array.h"
#include "script/raised_exception.h"
#include "stdlib/format_settings.h"
#include "stdlib/stdlib.h"

namespace vorlan::stdlib::testing {

using script::DispStatus;

void registerUnitsOnce() {
    static const bool done = [] {
        script::Registry& reg = script::registry();
        if (!reg.findClass("TComponent")) script::registerEngineBuiltins(reg);
        if (!reg.findProc("Length")) library::registerLibrary(reg);
        registerStandardLibrary(reg);
        return true;
    }();
    (void)done;
}

void StdlibTest::SetUp() {
    registerUnitsOnce();
    resetFormatSettings();
    // Arrays in these tests are written whole unless a test says it is a Pascal program.
    script::setProgramLanguage("PMB");
}

void StdlibTest::TearDown() {
    resetFormatSettings();
    script::setProgramLanguage("");
}

Value StdlibTest::call(std::string_view name, std::vector<Value>& args) {
    script::ObjectRef scope = script::registry().globalScope();
    const script::DispId id = scope->idOfName(name);
    EXPECT_NE(id, script::kUnknownDispId) << name;
    Value result;
    script::ExceptionInfo error;
    EXPECT_EQ(scope->invoke(id, script::InvokeMethod | script::InvokeGet, args, result, error),
              DispStatus::Ok)
        << name << ": " << error.description;
    return result;
}

std::string StdlibTest::failure(std::string_view name, std::vector<Value> args) {
    script::ObjectRef scope = script::registry().globalScope();
    const script::DispId id = scope->idOfName(name);
    Value result;
    script::ExceptionInfo error;
    const DispStatus status =
        scope->invoke(id, script::InvokeMethod | script::InvokeGet, args, result, error);
    EXPECT_EQ(status, DispStatus::Exception) << name << " did not fail";
    if (status != DispStatus::Exception) return {};
    EXPECT_EQ(script::raisedException().message, error.description);
    return script::raisedException().className + ": " + error.description;
}

Value StdlibTest::pascalArray(std::vector<Value> items) {
    items.emplace_back();
    return array(std::move(items));
}

Value StdlibTest::array(std::vector<Value> items) {
    auto a = script::VarArray::create(0, static_cast<std::int32_t>(items.size()) - 1);
    a->items() = std::move(items);
    return Value(a);
}

} // namespace vorlan::stdlib::testing
