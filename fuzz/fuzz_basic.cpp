// Any text given to the Basic dialect either fails to compile with a message or compiles and runs
// without a crash or a hang: the main body first, then every procedure of the module by name with
// a few arguments. Every call stops after a budget of statements.
#include "core/headless_ui.h"
#include "script/basic/basic_runner.h"
#include "script/builtins.h"
#include "script/registry.h"
#include "script/scripter.h"

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>
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
        basic::registerVbScriptRunner(reg);
        // Starting other programs is not what this target is about.
        reg.registerProc("RunApp", "procedure(Name: string)",
                         [](NativeObject*, std::span<Value>, Value&) {});
        reg.registerProc(
            "Out", "procedure(V: Variant)", [](NativeObject*, std::span<Value> a, Value&) {
                static std::string last;
                last = a[0].isObject() || a[0].isArray() ? std::string() : a[0].toString();
            });
        basic::VbScriptRunner::setStatementBudget(20000);
        return true;
    }();
    (void)done;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    setUp();
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> lines(1);
    for (char c : text) {
        if (c == '\n')
            lines.emplace_back();
        else
            lines.back() += c;
    }
    Scripter scripter;
    scripter.language = "VBScript";
    scripter.script = lines;
    scripter.onError = [](Scripter&, const ExceptionInfo&, int, int, bool& resume) {
        resume = true;
    };
    scripter.callByName({}); // compiles and runs the main body
    if (ScriptRunner* runner = scripter.runner()) {
        for (const RoutineInfo& routine : runner->listRoutines()) {
            Value args[] = {Value(1), Value("a"), Value::null()};
            scripter.callByName(routine.name, args);
        }
    }
    return 0;
}
