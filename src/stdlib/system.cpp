// The SYSTEM unit: what the language's own unit offers beyond the built-in library (Copy,
// Length, Pos, Chr, Ord, Val, Str, Random, Round and the like are registered there already).
#include "stdlib/stdlib.h"

#include "library/math_strings.h"
#include "script/bind.h"
#include "stdlib/sysutils_strings.h"

#include <chrono>
#include <cmath>
#include <numbers>
#include <thread>
#include <vector>

namespace vorlan::stdlib {

using script::Binder;
using script::NativeObject;
using script::Value;

namespace {

struct ProgramParameters {
    std::string program;
    std::vector<std::string> arguments;
};

ProgramParameters& parameters() {
    static ProgramParameters p;
    return p;
}

// Succ and Pred of an ordinal: a character steps to its neighbour, anything else as a number.
Value stepOrdinal(const Value& v, int step) {
    if (v.isString() && v.asString().size() == 1)
        return Value(
            std::string(1, static_cast<char>(static_cast<unsigned char>(v.asString()[0]) + step)));
    if (v.isBoolean()) return Value(!v.asBool());
    return Value::fromInt64(v.toInt64() + step);
}

std::string paramStr(std::int32_t index) {
    const ProgramParameters& p = parameters();
    if (index == 0) return p.program;
    if (index < 0 || static_cast<std::size_t>(index) > p.arguments.size()) return {};
    return p.arguments[static_cast<std::size_t>(index) - 1];
}

void concat(NativeObject*, std::span<Value> args, Value& result) {
    std::string out;
    for (const Value& v : args)
        out += v.isString() ? v.asString() : v.toString();
    result = Value(std::move(out));
}

void sleepFor(std::uint32_t milliseconds) {
    // Blocks the script, as Delay does; the windows are not served meanwhile.
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void randomize() {
    library::reseedRandom(
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
}

} // namespace

void setProgramParameters(std::string program, std::vector<std::string> arguments) {
    parameters() = {std::move(program), std::move(arguments)};
}

void registerSystemUnit(script::Registry& registry) {
    Binder b(registry);
    b.bind("Copy", "function(const S: string; Index, Count: Integer): string", &copyText);
    b.bindVariadic("Concat", "function: string", &concat);
    b.bind("StringOfChar", "function(Ch: Char; Count: Integer): string", &stringOfChar);
    b.bind("UpCase", "function(Ch: Char): Char", &upCase);
    b.bind("Odd", "function(X: Integer): Boolean", [](std::int64_t x) { return (x & 1) != 0; });
    b.bind("Succ", "function(X: Variant): Variant",
           [](const Value& x) { return stepOrdinal(x, 1); });
    b.bind("Pred", "function(X: Variant): Variant",
           [](const Value& x) { return stepOrdinal(x, -1); });
    b.bind("Hi", "function(X: Integer): Byte", [](std::int32_t x) { return (x >> 8) & 0xFF; });
    b.bind("Lo", "function(X: Integer): Byte", [](std::int32_t x) { return x & 0xFF; });
    b.bind("Pi", "function: Extended", [] { return std::numbers::pi; });
    b.bind("ParamCount", "function: Integer",
           [] { return static_cast<std::int32_t>(parameters().arguments.size()); });
    b.bind("ParamStr", "function(Index: Integer): string", &paramStr);
    b.bind("Randomize", "procedure", &randomize);
    b.bind("Sleep", "procedure(Milliseconds: Cardinal)", &sleepFor);
}

} // namespace vorlan::stdlib
