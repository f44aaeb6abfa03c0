#include "stdlib/math_routines.h"

#include "core/cp1250.h"
#include "script/dispatch.h"
#include "script/open_array.h"
#include "stdlib/exceptions.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

namespace vorlan::stdlib::math {

using script::Value;

namespace {

[[noreturn]] void raiseInvalid(std::string_view routine) {
    raiseException("EInvalidOp",
                   czech("Neplatná operace s reálným číslem ve funkci ") + std::string(routine));
}
[[noreturn]] void raiseZeroDivide(std::string_view routine) {
    raiseException("EZeroDivide", czech("Dělení nulou ve funkci ") + std::string(routine));
}
[[noreturn]] void raiseOverflow(std::string_view routine) {
    raiseException("EOverflow",
                   czech("Přetečení reálného čísla ve funkci ") + std::string(routine));
}

double checked(double r, std::string_view routine) {
    if (std::isnan(r)) raiseInvalid(routine);
    if (std::isinf(r)) raiseOverflow(routine);
    return r;
}

std::int32_t toInteger(double r, std::string_view routine) {
    if (!(r >= std::numeric_limits<std::int32_t>::min() &&
          r <= std::numeric_limits<std::int32_t>::max()))
        raiseException("ERangeError", czech("Výsledek funkce ") + std::string(routine) +
                                          czech(" je mimo rozsah typu Integer"));
    return static_cast<std::int32_t>(r);
}

double logarithm(double x, std::string_view routine) {
    if (x < 0 || std::isnan(x)) raiseInvalid(routine);
    if (x == 0) raiseZeroDivide(routine);
    return std::log(x);
}

void checkDigits(std::int32_t digits, std::string_view routine) {
    if (digits < -37 || digits > 37)
        raiseException("EInvalidArgument", czech("Počet číslic ve funkci ") + std::string(routine) +
                                               czech(" musí být od -37 do 37"));
}

long double powerOfTen(std::int32_t digits) {
    long double r = 1;
    for (std::int32_t i = 0; i < (digits < 0 ? -digits : digits); ++i)
        r *= 10;
    return digits < 0 ? 1 / r : r;
}

std::vector<double> numbers(const Value& data, std::string_view routine, bool needOne) {
    std::vector<double> out;
    for (const Value& v : script::OpenArray(data))
        out.push_back(v.toDouble());
    if (needOne && out.empty())
        raiseException("EInvalidArgument", czech("Funkce ") + std::string(routine) +
                                               czech(" potřebuje alespoň jednu hodnotu"));
    return out;
}

// The sum of squared differences from the mean.
double totalVariance(const std::vector<double>& xs) {
    double m = 0;
    for (double x : xs)
        m += x;
    m /= static_cast<double>(xs.size());
    double t = 0;
    for (double x : xs)
        t += (x - m) * (x - m);
    return t;
}

} // namespace

double power(double base, double exponent) {
    if (exponent == 0) return 1;
    if (base == 0 && exponent > 0) return 0;
    if (std::fabs(exponent) <= std::numeric_limits<std::int32_t>::max() &&
        exponent == std::trunc(exponent)) {
        if (base == 0) raiseZeroDivide("Power");
        return checked(intPower(base, static_cast<std::int32_t>(exponent)), "Power");
    }
    if (base < 0) raiseInvalid("Power");
    if (base == 0) raiseZeroDivide("Power");
    // The C library's pow is correctly rounded; exp(exponent * ln(base)) in doubles loses the
    // last bit (Power(2, 0.5) printed 1.41421356237309 where Sqrt(2) prints 1.4142135623731).
    return checked(std::pow(base, exponent), "Power");
}

double intPower(double base, std::int32_t exponent) {
    std::int64_t n = exponent;
    const bool negative = n < 0;
    if (negative) n = -n;
    long double result = 1;
    long double square = base;
    while (n > 0) {
        if (n & 1) result *= square;
        square *= square;
        n >>= 1;
    }
    if (negative) {
        if (result == 0) raiseZeroDivide("IntPower");
        result = 1 / result;
    }
    return checked(static_cast<double>(result), "IntPower");
}

std::int32_t floorOf(double x) {
    return toInteger(std::floor(x), "Floor");
}

std::int32_t ceilOf(double x) {
    return toInteger(std::ceil(x), "Ceil");
}

double log10Of(double x) {
    logarithm(x, "Log10");
    return std::log10(x);
}

double log2Of(double x) {
    logarithm(x, "Log2");
    return std::log2(x);
}

double logN(double base, double x) {
    const double lb = logarithm(base, "LogN");
    if (lb == 0) raiseZeroDivide("LogN");
    return logarithm(x, "LogN") / lb;
}

double lnXP1(double x) {
    if (x == -1) raiseZeroDivide("LnXP1");
    if (!(x > -1)) raiseInvalid("LnXP1");
    return std::log1p(x);
}

double roundTo(double value, std::int32_t digits) {
    checkDigits(digits, "RoundTo");
    // Computed in extended precision, as the run-time library of the programs did.
    const long double factor = powerOfTen(digits);
    return checked(static_cast<double>(std::nearbyint(value / factor) * factor), "RoundTo");
}

double simpleRoundTo(double value, std::int32_t digits) {
    checkDigits(digits, "SimpleRoundTo");
    const long double factor = powerOfTen(-digits);
    const long double scaled = value * factor;
    const long double r = value < 0 ? std::trunc(scaled - 0.5L) : std::trunc(scaled + 0.5L);
    return checked(static_cast<double>(r / factor), "SimpleRoundTo");
}

std::int32_t sign(double x) {
    return x > 0 ? 1 : (x < 0 ? -1 : 0);
}

bool inRange(const Value& value, const Value& low, const Value& high) {
    return script::compareValues(value, low) >= 0 && script::compareValues(value, high) <= 0;
}

Value ensureRange(const Value& value, const Value& low, const Value& high) {
    if (script::compareValues(value, low) < 0) return low;
    if (script::compareValues(value, high) > 0) return high;
    return value;
}

namespace {
// The tolerance when none is given: a few digits short of the precision of a double.
double defaultEpsilon(double a, double b) {
    return std::max(std::min(std::fabs(a), std::fabs(b)) * 1e-12, 1e-12);
}
} // namespace

bool sameValue(double a, double b, double epsilon) {
    if (epsilon == 0) epsilon = defaultEpsilon(a, b);
    return a > b ? a - b <= epsilon : b - a <= epsilon;
}

bool isZero(double x, double epsilon) {
    if (epsilon == 0) epsilon = 1e-12;
    return std::fabs(x) <= epsilon;
}

std::int32_t compareValue(double a, double b, double epsilon) {
    if (sameValue(a, b, epsilon)) return 0;
    return a < b ? -1 : 1;
}

void divMod(std::int32_t dividend, std::int32_t divisor, std::int32_t& quotient,
            std::int32_t& remainder) {
    if (divisor == 0) raiseZeroDivide("DivMod");
    quotient = dividend / divisor;
    remainder = dividend % divisor;
}

double arcCos(double x) {
    if (!(x >= -1 && x <= 1)) raiseInvalid("ArcCos");
    return std::acos(x);
}

double arcTan2(double y, double x) {
    return std::atan2(y, x);
}

double hypot(double x, double y) {
    return checked(std::hypot(x, y), "Hypot");
}

double cot(double x) {
    const double t = std::tan(x);
    if (t == 0) raiseZeroDivide("Cot");
    return checked(1 / t, "Cot");
}

double secant(double x) {
    const double c = std::cos(x);
    if (c == 0) raiseZeroDivide("Secant");
    return checked(1 / c, "Secant");
}

double cosecant(double x) {
    const double s = std::sin(x);
    if (s == 0) raiseZeroDivide("Cosecant");
    return checked(1 / s, "Cosecant");
}

double sinh(double x) {
    return checked(std::sinh(x), "Sinh");
}

double cosh(double x) {
    return checked(std::cosh(x), "Cosh");
}

double tanh(double x) {
    return std::tanh(x);
}

double arcSinh(double x) {
    return checked(std::asinh(x), "ArcSinh");
}

double arcCosh(double x) {
    if (!(x >= 1)) raiseInvalid("ArcCosh");
    return checked(std::acosh(x), "ArcCosh");
}

double arcTanh(double x) {
    if (!(x > -1 && x < 1)) raiseInvalid("ArcTanh");
    return std::atanh(x);
}

double sum(const Value& data) {
    double s = 0;
    for (double x : numbers(data, "Sum", false))
        s += x;
    return checked(s, "Sum");
}

Value sumInt(const Value& data) {
    std::int64_t s = 0;
    for (const Value& v : script::OpenArray(data))
        s += v.toInt();
    return Value::fromInt64(s);
}

double sumOfSquares(const Value& data) {
    double s = 0;
    for (double x : numbers(data, "SumOfSquares", false))
        s += x * x;
    return checked(s, "SumOfSquares");
}

double mean(const Value& data) {
    const std::vector<double> xs = numbers(data, "Mean", true);
    double s = 0;
    for (double x : xs)
        s += x;
    return checked(s / static_cast<double>(xs.size()), "Mean");
}

double minValue(const Value& data) {
    const std::vector<double> xs = numbers(data, "MinValue", true);
    return *std::min_element(xs.begin(), xs.end());
}

double maxValue(const Value& data) {
    const std::vector<double> xs = numbers(data, "MaxValue", true);
    return *std::max_element(xs.begin(), xs.end());
}

Value minIntValue(const Value& data) {
    const script::OpenArray items(data);
    if (items.empty()) numbers(data, "MinIntValue", true);
    std::int32_t m = items[0].toInt();
    for (const Value& v : items)
        m = std::min(m, v.toInt());
    return Value(m);
}

Value maxIntValue(const Value& data) {
    const script::OpenArray items(data);
    if (items.empty()) numbers(data, "MaxIntValue", true);
    std::int32_t m = items[0].toInt();
    for (const Value& v : items)
        m = std::max(m, v.toInt());
    return Value(m);
}

double variance(const Value& data) {
    const std::vector<double> xs = numbers(data, "Variance", true);
    if (xs.size() == 1) return 0;
    return checked(totalVariance(xs) / static_cast<double>(xs.size() - 1), "Variance");
}

double stdDev(const Value& data) {
    return std::sqrt(variance(data));
}

double popnVariance(const Value& data) {
    const std::vector<double> xs = numbers(data, "PopnVariance", true);
    return checked(totalVariance(xs) / static_cast<double>(xs.size()), "PopnVariance");
}

double popnStdDev(const Value& data) {
    return std::sqrt(popnVariance(data));
}

double norm(const Value& data) {
    return std::sqrt(sumOfSquares(data));
}

} // namespace vorlan::stdlib::math
