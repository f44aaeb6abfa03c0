// Runs one Pascal-dialect module from a file and prints what it writes with Write/Writeln in
// the format of a standard Pascal program (Booleans as TRUE/FALSE), so that the output of a
// program can be compared with the one a standard Pascal compiler makes.
#include "core/cp1250.h"
#include "core/headless_ui.h"
#include "script/builtins.h"
#include "script/pascal/pascal_runner.h"
#include "script/registry.h"
#include "script/scripter.h"

#include <fstream>
#include <iostream>

using namespace vorlan;
using namespace vorlan::script;

namespace {

void write(std::span<Value> args) {
    for (const Value& v : args)
        std::cout << (v.isBoolean() ? (v.asBool() ? "TRUE" : "FALSE") : v.toString());
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: zlm_run MODULE\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << "cannot read " << argv[1] << "\n";
        return 2;
    }
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    setUi(std::make_unique<HeadlessUi>(&std::cerr));
    Registry& reg = registry();
    registerEngineBuiltins(reg);
    registerScriptRunners(reg);
    pascal::registerPascalRunner(reg);
    reg.registerProc({}, "Write", kKindVariadic, "procedure",
                     [](NativeObject*, std::span<Value> a, Value&) { write(a); });
    reg.registerProc({}, "Writeln", kKindVariadic, "procedure",
                     [](NativeObject*, std::span<Value> a, Value&) {
                         write(a);
                         std::cout << "\n";
                     });
    int failures = 0;
    Scripter s;
    s.language = "ZelmoranScript";
    s.script = lines;
    s.onError = [&](Scripter&, const ExceptionInfo& info, int position, int line, bool& resume) {
        std::cerr << argv[1] << ":" << line << ":" << position << ": " << cp1250ToUtf8(info.source)
                  << " " << cp1250ToUtf8(info.description) << "\n";
        ++failures;
        resume = false;
    };
    s.run();
    return failures ? 1 : 0;
}
