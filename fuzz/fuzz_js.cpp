// Any text given to the JavaScript dialect either fails to compile with a message or compiles
// and runs without a crash: the main body first, then every function of the module by name with
// a few arguments. The engine offers no instruction budget, so a text that could run for long
// (a loop, a caught error that retries, code built at run time, a built-in walking a huge
// length) is only compiled; the heap is limited so a runaway allocation fails inside the script.
#include "core/headless_ui.h"
#include "script/builtins.h"
#include "script/js/js_runner.h"
#include "script/registry.h"
#include "script/scripter.h"

#include <array>
#include <cctype>
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
        js::registerJavaScriptRunner(reg);
        // Starting other programs is not what this target is about.
        reg.registerProc("RunApp", "procedure(Name: string)",
                         [](NativeObject*, std::span<Value>, Value&) {});
        reg.registerProc(
            "Out", "procedure(V: Variant)", [](NativeObject*, std::span<Value> a, Value&) {
                static std::string last;
                last = a[0].isObject() || a[0].isArray() ? std::string() : a[0].toString();
            });
        js::JavaScriptRunner::setHeapLimit(64u << 20);
        return true;
    }();
    (void)done;
}

bool mayRunLong(std::string_view text) {
    static constexpr std::array<std::string_view, 32> words = {
        "while",  "for",    "do",     "catch",  "finally", "eval",   "Function", "constructor",
        "call",   "apply",  "bind",   "repeat", "join",    "sort",   "fill",     "pad",
        "splice", "index",  "reduce", "map",    "each",    "filter", "every",    "some",
        "Array",  "length", "pow",    "MAX",    "<<",      "**",     "/",        "Infinity"};
    if (text.size() > 2048) return true;
    for (auto w : words)
        if (text.find(w) != std::string_view::npos) return true;
    // Large numbers: long digit runs, exponents, hexadecimal.
    int digits = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        digits = std::isdigit(c) ? digits + 1 : 0;
        if (digits >= 4) return true;
        if (std::isdigit(c) && i + 1 < text.size() &&
            (text[i + 1] == 'e' || text[i + 1] == 'E' || text[i + 1] == 'x'))
            return true;
    }
    return false;
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
    scripter.language = "JavaScript";
    scripter.script = lines;
    scripter.onError = [](Scripter&, const ExceptionInfo&, int, int, bool& resume) {
        resume = true;
    };
    if (mayRunLong(text)) {
        js::JavaScriptRunner runner(scripter);
        runner.compileModule(lines);
        return 0;
    }
    scripter.callByName({}); // compiles and runs the main body
    if (ScriptRunner* runner = scripter.runner()) {
        for (const RoutineInfo& routine : runner->listRoutines()) {
            Value args[] = {Value(1), Value("a"), Value::null()};
            scripter.callByName(routine.name, args);
        }
    }
    return 0;
}
