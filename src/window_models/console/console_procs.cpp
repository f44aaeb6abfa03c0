#include "window_models/console/console_procs.h"

#include "script/bind.h"
#include "window_models/console/console.h"

namespace vorlan::windows {

using script::NativeObject;
using script::Value;

std::string consoleText(const Value& value) {
    if (value.isBoolean()) return value.asBool() ? "True" : "False";
    return value.toString();
}

void registerConsole(script::Registry& registry, Console& console) {
    if (registry.findProc("ConsoleClear")) return;
    Console* c = &console;
    script::Binder b(registry);
    b.bind("ConsoleClear", "procedure", [c] { c->clear(); });
    b.bind("ConsoleHide", "procedure", [c] { c->hide(); });
    b.bind("ConsoleShow", "procedure", [c] { c->show(); });
    b.bind("ConsoleForm", "procedure(Left, Top, Width, Height: Integer)",
           [c](int left, int top, int width, int height) {
               c->setGeometry(left, top, width, height);
           });
    b.bind("ConsolePrint", "procedure", [c] { c->printWithConfiguredFont(); });
    b.bind("ConsoleSave", "procedure(FileName: String)",
           [c](const std::string& name) { c->save(name); });
    // Write('Součet: ', N, ' Kč') prints its arguments one after another.
    auto joined = [](std::span<Value> values) {
        std::string text;
        for (const Value& v : values)
            text += consoleText(v);
        return text;
    };
    b.bindVariadic("Write", "procedure(Value: Variant)",
                   [c, joined](NativeObject*, std::span<Value> a, Value&) { c->write(joined(a)); });
    b.bindVariadic(
        "Writeln", "procedure(Value: Variant)",
        [c, joined](NativeObject*, std::span<Value> a, Value&) { c->writeln(joined(a)); });
}

} // namespace vorlan::windows
