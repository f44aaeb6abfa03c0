#include "library/math_strings.h"

#include "library/fp_errors_internal.h"
#include "script/bind.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace vorlan::library {

std::int32_t roundToInteger(double x, std::string_view function) {
    const double r = std::nearbyint(x); // the default rounding mode: halves to even
    if (!(r >= std::numeric_limits<std::int32_t>::min() &&
          r <= std::numeric_limits<std::int32_t>::max()))
        raiseInvalidOperation(function, czech("hodnota je mimo rozsah typu Integer"));
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
    if (signedFactor == 0)
        raiseInvalidOperation("RealRound", czech("příliš mnoho desetinných míst"));
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

void bindUnary(script::Binder& b, const char* name, Unary f) {
    b.bind(name, "function(x: Extended): Extended",
           [f, name](double x) { return checkedResult(f(x), name); });
}

void registerNumeric(script::Binder& b) {
    bindUnary(b, "Abs", [](double x) { return std::fabs(x); });
    // The guards below answer 0 where the function has no value, rather than stopping the
    // script: old programs rely on that.
    bindUnary(b, "ArcSin", [](double x) { return std::fabs(x) < 1 ? std::asin(x) : 0.0; });
    bindUnary(b, "ArcTan", [](double x) { return std::atan(x); });
    bindUnary(b, "Cos", [](double x) { return std::cos(x); });
    b.bind("CoTan", "function(x: Extended): Extended", [](double x) {
        if (std::sin(x) == 0) return 0.0;
        const double t = std::tan(x);
        if (t == 0) raiseDivisionByZero("CoTan");
        return checkedResult(1.0 / t, "CoTan");
    });
    bindUnary(b, "Exp", [](double x) { return std::exp(x); });
    bindUnary(b, "Ln", [](double x) { return x <= 0 ? 0.0 : std::log(x); });
    b.bind("Max", "function(a, b: Extended): Extended",
           [](double x, double y) { return x >= y ? x : y; });
    b.bind("Min", "function(a, b: Extended): Extended",
           [](double x, double y) { return x <= y ? x : y; });
    b.bind("Random", "function(n: Integer): Integer", [](std::int32_t n) {
        const std::uint32_t r =
            randomSource().next(); // drawn even for n <= 0, as each call advances
        return n <= 0 ? 0
                      : static_cast<std::int32_t>(
                            (static_cast<std::uint64_t>(r) * static_cast<std::uint32_t>(n)) >> 32);
    });
    b.bind("Round", "function(x: Extended): Integer",
           [](double x) { return roundToInteger(x, "Round"); });
    b.bind("RealRound", "function(x: Extended; places: Integer): Extended", &realRound);
    bindUnary(b, "Sin", [](double x) { return std::sin(x); });
    bindUnary(b, "Sqr", [](double x) { return x * x; });
    b.bind("Sqrt", "function(x: Extended): Extended", [](double x) {
        if (x < 0) raiseInvalidOperation("Sqrt", czech("argument je záporný"));
        return checkedResult(std::sqrt(x), "Sqrt");
    });
    bindUnary(b, "Tan", [](double x) { return std::cos(x) == 0 ? 0.0 : std::tan(x); });
    b.bind("Trunc", "function(x: Extended): Integer", [](double x) {
        const double t = std::trunc(x);
        if (!(t >= std::numeric_limits<std::int32_t>::min() &&
              t <= std::numeric_limits<std::int32_t>::max()))
            raiseInvalidOperation("Trunc", czech("hodnota je mimo rozsah typu Integer"));
        return static_cast<std::int32_t>(t);
    });

    // The counters wrap around silently at the 32-bit limits.
    b.bind("Inc", "function(var i: Integer): Integer",
           [](std::int32_t& i) { return i = wrapAdd(i, 1); });
    b.bind("Dec", "function(var i: Integer): Integer",
           [](std::int32_t& i) { return i = wrapSubtract(i, 1); });
    b.bind("IncVar", "function(var i: Integer; n: Integer): Integer",
           [](std::int32_t& i, std::int32_t n) { return i = wrapAdd(i, n); });
    b.bind("DecVar", "function(var i: Integer; n: Integer): Integer",
           [](std::int32_t& i, std::int32_t n) { return i = wrapSubtract(i, n); });
}

void registerStrings(script::Binder& b) {
    b.bind("Delete", "function(s: string; index, count: Integer): string",
           [](std::string s, std::int32_t index, std::int32_t count) {
               if (index >= 1 && static_cast<std::size_t>(index) <= s.size() && count > 0)
                   s.erase(static_cast<std::size_t>(index - 1), static_cast<std::size_t>(count));
               return s;
           });
    b.bind("chr", "function(code: Byte): string",
           [](std::int32_t code) { return std::string(1, static_cast<char>(code)); });
    b.bind("Insert", "function(var sub: string; var s: string; index: Integer): string",
           [](std::string& sub, std::string& s, std::int32_t index) {
               const std::size_t at =
                   index < 1 ? 0 : std::min(static_cast<std::size_t>(index) - 1, s.size());
               s.insert(at, sub);
               return s;
           });
    b.bind("Length", "function(s: string): Integer",
           [](std::string_view s) { return static_cast<std::int32_t>(s.size()); });
    b.bind("Ord", "function(s: string): Byte", [](std::string_view s) {
        return s.empty() ? 0 : static_cast<std::int32_t>(static_cast<unsigned char>(s[0]));
    });
    b.bind("Pos", "function(sub, s: string): Integer",
           [](std::string_view sub, std::string_view s) {
               const std::size_t at = sub.empty() ? std::string_view::npos : s.find(sub);
               return at == std::string_view::npos ? 0 : static_cast<std::int32_t>(at + 1);
           });
    b.bind("SetLength", "function(var s: string; n: Integer): string",
           [](std::string& s, std::int32_t n) {
               s.resize(n <= 0 ? 0 : static_cast<std::size_t>(n), ' ');
               return s;
           });
    b.bind("Str", "function(x: Real): string", &realText);
    b.bind("Val", "function(s: string): Double", &leadingNumber);
}

// Longest text Replicate builds, and the widest run of spaces Space gives.
constexpr std::int64_t kMaxReplicate = 1024;
constexpr std::int32_t kMaxSpace = 255;

void registerNumberTexts(script::Binder& b) {
    b.bind("Replicate", "function(s: string; n: Integer): string",
           [](std::string_view s, std::int32_t n) {
               const std::int64_t total = static_cast<std::int64_t>(s.size()) * n;
               std::string out;
               if (total >= 1 && total <= kMaxReplicate) {
                   out.reserve(static_cast<std::size_t>(total));
                   for (std::int32_t i = 0; i < n; ++i)
                       out += s;
               }
               return out;
           });
    b.bind("Space", "function(n: Integer): string", [](std::int32_t n) {
        return n >= 1 && n <= kMaxSpace ? std::string(static_cast<std::size_t>(n), ' ')
                                        : std::string();
    });
    b.bind("StrToReal", "function(s: string): Extended", &leadingNumberWithComma);
    b.bind("RealToStr", "function(x: Real; width, decimals: Integer): string", &fixedText);
}

} // namespace

void resetRandom() {
    randomSource().reset();
}

void reseedRandom(std::uint64_t seed) {
    randomSource().reseed(seed);
}

void registerMathStrings(script::Registry& reg) {
    script::Binder b(reg);
    registerNumeric(b);
    registerStrings(b);
    registerNumberTexts(b);
}

} // namespace vorlan::library
