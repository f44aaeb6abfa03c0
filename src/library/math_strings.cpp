#include "library/math_strings.h"

#include "library/fp_errors.h"
#include "script/registry.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace vorlan::library {

using script::NativeObject;
using script::Value;

std::int32_t roundToInteger(double x, std::string_view function) {
    const double r = std::nearbyint(x); // the default rounding mode: halves to even
    if (!(r >= std::numeric_limits<std::int32_t>::min() &&
          r <= std::numeric_limits<std::int32_t>::max()))
        raiseInvalidOperation(function, "the value is outside the Integer range");
    return static_cast<std::int32_t>(r);
}

double realRound(double x, std::int32_t places) {
    // The power of ten is formed in a 32-bit integer, as scripts have always had it: from ten
    // places on it wraps around, and from 32 places it is 0 (which the division then rejects).
    std::uint32_t factor = 1;
    for (std::int32_t i = 0; i < places && i < 32; ++i)
        factor *= 10u;
    const auto signedFactor = static_cast<std::int32_t>(factor);
    const std::int32_t scaled = roundToInteger(x * signedFactor, "RealRound");
    if (signedFactor == 0) raiseInvalidOperation("RealRound", "too many decimal places");
    return static_cast<double>(scaled) / signedFactor;
}

namespace {

// One generator for the whole process, always started from the same seed, so that the first
// program run of a runtime produces the same sequence every time.
class RandomSource {
public:
    void reset() { state_ = kSeed; }
    void reseed(std::uint64_t seed) { state_ = seed; }
    std::uint32_t next() {
        // A 64-bit mixing generator: small, fast and without visible patterns in the low bits.
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return static_cast<std::uint32_t>((z ^ (z >> 31)) >> 32);
    }

private:
    static constexpr std::uint64_t kSeed = 0x564F524C414E2041ull;
    std::uint64_t state_ = kSeed;
};

RandomSource& randomSource() {
    static RandomSource source;
    return source;
}

std::int32_t wrapAdd(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}
std::int32_t wrapSubtract(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}

using Unary = double (*)(double);

void registerUnary(script::Registry& reg, const char* name, Unary f) {
    reg.registerProc(name, "function(x: Extended): Extended",
                     [f, name](NativeObject*, std::span<Value> args, Value& result) {
                         result = Value(checkedResult(f(args[0].asDouble()), name));
                     });
}

void registerNumeric(script::Registry& reg) {
    registerUnary(reg, "Abs", [](double x) { return std::fabs(x); });
    // The guards below answer 0 where the function has no value, rather than stopping the
    // script: old programs rely on that.
    registerUnary(reg, "ArcSin", [](double x) { return std::fabs(x) < 1 ? std::asin(x) : 0.0; });
    registerUnary(reg, "ArcTan", [](double x) { return std::atan(x); });
    registerUnary(reg, "Cos", [](double x) { return std::cos(x); });
    reg.registerProc("CoTan", "function(x: Extended): Extended",
                     [](NativeObject*, std::span<Value> args, Value& result) {
                         const double x = args[0].asDouble();
                         if (std::sin(x) == 0) {
                             result = Value(0.0);
                             return;
                         }
                         const double t = std::tan(x);
                         if (t == 0) raiseDivisionByZero("CoTan");
                         result = Value(checkedResult(1.0 / t, "CoTan"));
                     });
    registerUnary(reg, "Exp", [](double x) { return std::exp(x); });
    registerUnary(reg, "Ln", [](double x) { return x <= 0 ? 0.0 : std::log(x); });
    reg.registerProc("Max", "function(a, b: Extended): Extended",
                     [](NativeObject*, std::span<Value> args, Value& result) {
                         result = args[0].asDouble() >= args[1].asDouble() ? args[0] : args[1];
                     });
    reg.registerProc("Min", "function(a, b: Extended): Extended",
                     [](NativeObject*, std::span<Value> args, Value& result) {
                         result = args[0].asDouble() <= args[1].asDouble() ? args[0] : args[1];
                     });
    reg.registerProc("Random", "function(n: Integer): Integer",
                     [](NativeObject*, std::span<Value> args, Value& result) {
                         const std::int32_t n = args[0].asInt();
                         const std::uint32_t r =
                             randomSource().next(); // drawn even for n <= 0, as each call advances
                         result = Value(
                             n <= 0 ? 0
                                    : static_cast<std::int32_t>((static_cast<std::uint64_t>(r) *
                                                                 static_cast<std::uint32_t>(n)) >>
                                                                32));
                     });
    reg.registerProc("Round", "function(x: Extended): Integer",
                     [](NativeObject*, std::span<Value> args, Value& result) {
                         result = Value(roundToInteger(args[0].asDouble(), "Round"));
                     });
    reg.registerProc("RealRound", "function(x: Extended; places: Integer): Extended",
                     [](NativeObject*, std::span<Value> args, Value& result) {
                         result = Value(realRound(args[0].asDouble(), args[1].asInt()));
                     });
    registerUnary(reg, "Sin", [](double x) { return std::sin(x); });
    registerUnary(reg, "Sqr", [](double x) { return x * x; });
    reg.registerProc("Sqrt", "function(x: Extended): Extended",
                     [](NativeObject*, std::span<Value> args, Value& result) {
                         const double x = args[0].asDouble();
                         if (x < 0) raiseInvalidOperation("Sqrt", "the argument is negative");
                         result = Value(checkedResult(std::sqrt(x), "Sqrt"));
                     });
    registerUnary(reg, "Tan", [](double x) { return std::cos(x) == 0 ? 0.0 : std::tan(x); });
    reg.registerProc("Trunc", "function(x: Extended): Integer",
                     [](NativeObject*, std::span<Value> args, Value& result) {
                         const double t = std::trunc(args[0].asDouble());
                         if (!(t >= std::numeric_limits<std::int32_t>::min() &&
                               t <= std::numeric_limits<std::int32_t>::max()))
                             raiseInvalidOperation("Trunc",
                                                   "the value is outside the Integer range");
                         result = Value(static_cast<std::int32_t>(t));
                     });

    // The counters wrap around silently at the 32-bit limits.
    reg.registerProc("Inc", "function(var i: Integer): Integer",
                     [](NativeObject*, std::span<Value> args, Value& result) {
                         args[0] = Value(wrapAdd(args[0].asInt(), 1));
                         result = args[0];
                     });
    reg.registerProc("Dec", "function(var i: Integer): Integer",
                     [](NativeObject*, std::span<Value> args, Value& result) {
                         args[0] = Value(wrapSubtract(args[0].asInt(), 1));
                         result = args[0];
                     });
    reg.registerProc("IncVar", "function(var i: Integer; n: Integer): Integer",
                     [](NativeObject*, std::span<Value> args, Value& result) {
                         args[0] = Value(wrapAdd(args[0].asInt(), args[1].asInt()));
                         result = args[0];
                     });
    reg.registerProc("DecVar", "function(var i: Integer; n: Integer): Integer",
                     [](NativeObject*, std::span<Value> args, Value& result) {
                         args[0] = Value(wrapSubtract(args[0].asInt(), args[1].asInt()));
                         result = args[0];
                     });
}

void registerStrings(script::Registry& reg) {
    reg.registerProc(
        "Delete", "function(s: string; index, count: Integer): string",
        [](NativeObject*, std::span<Value> args, Value& result) {
            std::string s = std::move(args[0].asString());
            const std::int64_t index = args[1].asInt();
            const std::int32_t count = args[2].asInt();
            if (index >= 1 && index <= static_cast<std::int64_t>(s.size()) && count > 0)
                s.erase(static_cast<std::size_t>(index - 1), static_cast<std::size_t>(count));
            result = Value(std::move(s));
        });
    reg.registerProc("chr", "function(code: Byte): string",
                     [](NativeObject*, std::span<Value> args, Value& result) {
                         result = Value(std::string(1, static_cast<char>(args[0].asInt())));
                     });
    reg.registerProc("Insert", "function(var sub: string; var s: string; index: Integer): string",
                     [](NativeObject*, std::span<Value> args, Value& result) {
                         std::string& s = args[1].asString();
                         const std::int32_t index = args[2].asInt();
                         const std::size_t at =
                             index < 1 ? 0
                                       : std::min(static_cast<std::size_t>(index) - 1, s.size());
                         s.insert(at, args[0].asString());
                         result = args[1];
                     });
    reg.registerProc("Length", "function(s: string): Integer",
                     [](NativeObject*, std::span<Value> args, Value& result) {
                         result = Value(static_cast<std::int32_t>(args[0].asString().size()));
                     });
    reg.registerProc(
        "Ord", "function(s: string): Byte",
        [](NativeObject*, std::span<Value> args, Value& result) {
            const std::string& s = args[0].asString();
            result =
                Value(s.empty() ? 0 : static_cast<std::int32_t>(static_cast<unsigned char>(s[0])));
        });
    reg.registerProc("Pos", "function(sub, s: string): Integer",
                     [](NativeObject*, std::span<Value> args, Value& result) {
                         const std::string& sub = args[0].asString();
                         const std::string& s = args[1].asString();
                         const std::size_t at = sub.empty() ? std::string::npos : s.find(sub);
                         result =
                             Value(at == std::string::npos ? 0 : static_cast<std::int32_t>(at + 1));
                     });
    reg.registerProc("SetLength", "function(var s: string; n: Integer): string",
                     [](NativeObject*, std::span<Value> args, Value& result) {
                         std::string& s = args[0].asString();
                         const std::int32_t n = args[1].asInt();
                         s.resize(n <= 0 ? 0 : static_cast<std::size_t>(n), ' ');
                         result = args[0];
                     });
    reg.registerProc("Str", "function(x: Real): string",
                     [](NativeObject*, std::span<Value> args, Value& result) {
                         result = Value(realText(args[0].asDouble()));
                     });
    reg.registerProc("Val", "function(s: string): Double",
                     [](NativeObject*, std::span<Value> args, Value& result) {
                         result = Value(leadingNumber(args[0].asString()));
                     });
}

// Longest text Replicate builds, and the widest run of spaces Space gives.
constexpr std::int64_t kMaxReplicate = 1024;
constexpr std::int32_t kMaxSpace = 255;

void registerNumberTexts(script::Registry& reg) {
    reg.registerProc("Replicate", "function(s: string; n: Integer): string",
                     [](NativeObject*, std::span<Value> args, Value& result) {
                         const std::string& s = args[0].asString();
                         const std::int32_t n = args[1].asInt();
                         const std::int64_t total = static_cast<std::int64_t>(s.size()) * n;
                         std::string out;
                         if (total >= 1 && total <= kMaxReplicate) {
                             out.reserve(static_cast<std::size_t>(total));
                             for (std::int32_t i = 0; i < n; ++i)
                                 out += s;
                         }
                         result = Value(std::move(out));
                     });
    reg.registerProc("Space", "function(n: Integer): string",
                     [](NativeObject*, std::span<Value> args, Value& result) {
                         const std::int32_t n = args[0].asInt();
                         result = Value(n >= 1 && n <= kMaxSpace
                                            ? std::string(static_cast<std::size_t>(n), ' ')
                                            : std::string());
                     });
    reg.registerProc("StrToReal", "function(s: string): Extended",
                     [](NativeObject*, std::span<Value> args, Value& result) {
                         result = Value(leadingNumberWithComma(args[0].asString()));
                     });
    reg.registerProc("RealToStr", "function(x: Real; width, decimals: Integer): string",
                     [](NativeObject*, std::span<Value> args, Value& result) {
                         result =
                             Value(fixedText(args[0].asDouble(), args[1].asInt(), args[2].asInt()));
                     });
}

} // namespace

void resetRandom() {
    randomSource().reset();
}

void reseedRandom(std::uint64_t seed) {
    randomSource().reseed(seed);
}

void registerMathStrings(script::Registry& reg) {
    registerNumeric(reg);
    registerStrings(reg);
    registerNumberTexts(reg);
}

} // namespace vorlan::library
