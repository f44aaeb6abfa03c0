#include "windows/console/console_procs.h"

#include "script/registry.h"
#include "windows/console/console.h"

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
    registry.registerProc("ConsoleClear", "procedure",
                          [c](NativeObject*, std::span<Value>, Value&) { c->clear(); });
    registry.registerProc("ConsoleHide", "procedure",
                          [c](NativeObject*, std::span<Value>, Value&) { c->hide(); });
    registry.registerProc("ConsoleShow", "procedure",
                          [c](NativeObject*, std::span<Value>, Value&) { c->show(); });
    registry.registerProc("ConsoleForm", "procedure(Left, Top, Width, Height: Integer)",
                          [c](NativeObject*, std::span<Value> args, Value&) {
                              c->setGeometry(args[0].toInt(), args[1].toInt(), args[2].toInt(),
                                             args[3].toInt());
                          });
    registry.registerProc(
        "ConsolePrint", "procedure",
        [c](NativeObject*, std::span<Value>, Value&) { c->printWithConfiguredFont(); });
    registry.registerProc(
        "ConsoleSave", "procedure(FileName: String)",
        [c](NativeObject*, std::span<Value> args, Value&) { c->save(args[0].toString()); });
    registry.registerProc(
        "Write", "procedure(Value: Variant)",
        [c](NativeObject*, std::span<Value> args, Value&) { c->write(consoleText(args[0])); });
    registry.registerProc(
        "Writeln", "procedure(Value: Variant)",
        [c](NativeObject*, std::span<Value> args, Value&) { c->writeln(consoleText(args[0])); });
}

} // namespace vorlan::windows
