// MATH: powers, logarithms, rounding, trigonometry and statistics over arrays. Abs, Sqrt, Exp,
// Ln, Sin, Cos, Tan, CoTan, ArcSin, ArcTan, Max and Min come from the built-in library.
#include "core/cp1250.h"
#include "script/bind.h"
#include "stdlib/exceptions.h"
#include "stdlib/math_routines.h"
#include "stdlib/units.h"

#include <cmath>
#include <numbers>

namespace vorlan::stdlib {

using script::Value;
namespace m = math;

namespace {

// Bad arguments of the statistics and rounding routines; the failures of the arithmetic itself
// are SYSUTILS' EInvalidOp, EZeroDivide, EOverflow and ERangeError.
const ExceptionClass kMathExceptions[] = {{"EInvalidArgument", "EMathError"}};

} // namespace

void registerMathUnit(script::Registry& reg) {
    bindExceptionClasses(reg, kMathExceptions);
    script::Binder b(reg);
    b.bind("Power", "function(Base, Exponent: Extended): Extended", &m::power);
    b.bind("IntPower", "function(Base: Extended; Exponent: Integer): Extended", &m::intPower);
    b.bind("Floor", "function(X: Extended): Integer", &m::floorOf);
    b.bind("Ceil", "function(X: Extended): Integer", &m::ceilOf);
    b.bind("Log10", "function(X: Extended): Extended", &m::log10Of);
    b.bind("Log2", "function(X: Extended): Extended", &m::log2Of);
    b.bind("LogN", "function(Base, X: Extended): Extended", &m::logN);
    b.bind("LnXP1", "function(X: Extended): Extended", &m::lnXP1);
    b.bind("Ldexp", "function(X: Extended; P: Integer): Extended",
           [](double x, int p) { return std::ldexp(x, p); });
    b.bind("Frexp", "procedure(X: Extended; var Mantissa: Extended; var Exponent: Integer)",
           [](double x, double& mantissa, int& exponent) { mantissa = std::frexp(x, &exponent); });
    b.bind("RoundTo", "function(AValue: Extended; ADigit: Integer): Extended", &m::roundTo);
    b.bind("SimpleRoundTo", "function(AValue: Extended; ADigit: Integer = -2): Extended",
           &m::simpleRoundTo);
    b.bind("Sign", "function(AValue: Extended): Integer", &m::sign);
    b.bind("InRange", "function(AValue, AMin, AMax: Variant): Boolean", &m::inRange);
    b.bind("EnsureRange", "function(AValue, AMin, AMax: Variant): Variant", &m::ensureRange);
    // An Epsilon of 0 picks a tolerance from the values.
    b.bind("SameValue", "function(A, B: Extended; Epsilon: Extended = 0): Boolean", &m::sameValue);
    b.bind("IsZero", "function(A: Extended; Epsilon: Extended = 0): Boolean", &m::isZero);
    b.bind("CompareValue", "function(A, B: Extended; Epsilon: Extended = 0): Integer",
           &m::compareValue);
    b.bind("IsNan", "function(AValue: Extended): Boolean", [](double x) { return std::isnan(x); });
    b.bind("IsInfinite", "function(AValue: Extended): Boolean",
           [](double x) { return std::isinf(x); });
    b.bind("DivMod", "procedure(Dividend: Integer; Divisor: Word; var Result, Remainder: Word)",
           &m::divMod);

    b.bind("DegToRad", "function(Degrees: Extended): Extended",
           [](double x) { return x * std::numbers::pi / 180; });
    b.bind("RadToDeg", "function(Radians: Extended): Extended",
           [](double x) { return x * 180 / std::numbers::pi; });
    b.bind("GradToRad", "function(Grads: Extended): Extended",
           [](double x) { return x * std::numbers::pi / 200; });
    b.bind("RadToGrad", "function(Radians: Extended): Extended",
           [](double x) { return x * 200 / std::numbers::pi; });
    b.bind("CycleToRad", "function(Cycles: Extended): Extended",
           [](double x) { return x * 2 * std::numbers::pi; });
    b.bind("RadToCycle", "function(Radians: Extended): Extended",
           [](double x) { return x / (2 * std::numbers::pi); });
    b.bind("ArcCos", "function(X: Extended): Extended", &m::arcCos);
    b.bind("ArcTan2", "function(Y, X: Extended): Extended", &m::arcTan2);
    b.bind("Hypot", "function(X, Y: Extended): Extended", &m::hypot);
    b.bind("Cot", "function(X: Extended): Extended", &m::cot);
    b.bind({"Secant", "Sec"}, "function(X: Extended): Extended", &m::secant);
    b.bind({"Cosecant", "Csc"}, "function(X: Extended): Extended", &m::cosecant);
    b.bind("Sinh", "function(X: Extended): Extended", &m::sinh);
    b.bind("Cosh", "function(X: Extended): Extended", &m::cosh);
    b.bind("Tanh", "function(X: Extended): Extended", &m::tanh);
    b.bind("ArcSinh", "function(X: Extended): Extended", &m::arcSinh);
    b.bind("ArcCosh", "function(X: Extended): Extended", &m::arcCosh);
    b.bind("ArcTanh", "function(X: Extended): Extended", &m::arcTanh);

    b.bind("Sum", "function(const Data: array of Double): Extended", &m::sum);
    b.bind("SumInt", "function(const Data: array of Integer): Integer", &m::sumInt);
    b.bind("SumOfSquares", "function(const Data: array of Double): Extended", &m::sumOfSquares);
    b.bind("Mean", "function(const Data: array of Double): Extended", &m::mean);
    b.bind("MinValue", "function(const Data: array of Double): Double", &m::minValue);
    b.bind("MaxValue", "function(const Data: array of Double): Double", &m::maxValue);
    b.bind("MinIntValue", "function(const Data: array of Integer): Integer", &m::minIntValue);
    b.bind("MaxIntValue", "function(const Data: array of Integer): Integer", &m::maxIntValue);
    b.bind("Variance", "function(const Data: array of Double): Extended", &m::variance);
    b.bind("StdDev", "function(const Data: array of Double): Extended", &m::stdDev);
    b.bind("PopnVariance", "function(const Data: array of Double): Extended", &m::popnVariance);
    b.bind("PopnStdDev", "function(const Data: array of Double): Extended", &m::popnStdDev);
    b.bind("Norm", "function(const Data: array of Double): Extended", &m::norm);
}

} // namespace vorlan::stdlib
