// Any text given to the Pascal dialect either fails to compile with a message or compiles to a
// program that runs, within a step budget, without a crash: the main body first, then every
// routine of the module by name with a few arguments.
#include "core/headless_ui.h"
#include "script/builtins.h"
#include "script/object_store.h"
#include "script/pascal/pascal_runner.h"
#include "script/registry.h"
#include "script/scripter.h"

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

using namespace vorlan;
using namespace vorlan::script;

namespace {

struct NullBuffer : std::streambuf {
    int overflow(int c) override { return c; }
};

void setUp() {
    static const bool done = [] {
        static NullBuffer buffer;
        static std::ostream sink(&buffer);
        setUi(std::make_unique<HeadlessUi>(&sink));
        Registry& reg = registry();
        registerEngineBuiltins(reg);
        registerScriptRunners(reg);
        pascal::registerPascalRunner(reg);
        // Starting other programs is not what this target is about.
        reg.registerProc("RunApp", "procedure(Name: string)",
                         [](NativeObject*, std::span<Value>, Value&) {});
        reg.registerProc(
            "Out", "procedure(V: Variant)", [](NativeObject*, std::span<Value> a, Value&) {
                static std::string last;
                last = a[0].isObject() || a[0].isArray() ? std::string() : a[0].toString();
            });
        pascal::PascalRunner::setDefaultStepBudget(20000);
        return true;
    }();
    (void)done;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    setUp();
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < size; ++i) {
        const char c = static_cast<char>(data[i]);
        if (c == '\n')
            lines.emplace_back();
        else
            lines.back() += c;
    }
    {
        Scripter scripter;
        scripter.language = "ZelmoranScript";
        scripter.script = std::move(lines);
        int answers = 0;
        // Alternate the answers of the error box: both the resumed and the stopped paths run.
        scripter.onError = [&](Scripter&, const ExceptionInfo&, int, int, bool& resume) {
            resume = ++answers % 2;
        };
        scripter.callByName({}); // compiles and runs the main body
        if (ScriptRunner* runner = scripter.runner()) {
            for (const RoutineInfo& routine : runner->listRoutines()) {
                Value args[3] = {Value(1), Value("x"), Value()};
                scripter.callByName(routine.name, args);
            }
        }
    }
    freeAllUnownedObjects();
    return 0;
}
