#pragma once
// The routines of the MATH unit. Failures raise run-time errors that name the routine: an
// invalid operation (a logarithm of a negative number), a division by zero, an overflow, or a
// result outside the Integer range where the routine gives an Integer.

#include "script/value.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace vorlan::stdlib::math {

double power(double base, double exponent);
double intPower(double base, std::int32_t exponent);
std::int32_t floorOf(double x);
std::int32_t ceilOf(double x);
double log10Of(double x);
double log2Of(double x);
double logN(double base, double x);
double lnXP1(double x);

// RoundTo rounds halves to even, SimpleRoundTo away from zero; Digits is the power of ten to
// round to (-2: hundredths, 3: thousands), from -37 to 37.
double roundTo(double value, std::int32_t digits);
double simpleRoundTo(double value, std::int32_t digits);

std::int32_t sign(double x);
// On values of any numeric type: integers stay integers.
bool inRange(const script::Value& value, const script::Value& low, const script::Value& high);
script::Value ensureRange(const script::Value& value, const script::Value& low,
                          const script::Value& high);
bool sameValue(double a, double b, double epsilon);
bool isZero(double x, double epsilon);
std::int32_t compareValue(double a, double b, double epsilon);
void divMod(std::int32_t dividend, std::int32_t divisor, std::int32_t& quotient,
            std::int32_t& remainder);

double arcCos(double x);
double arcTan2(double y, double x);
double hypot(double x, double y);
double cot(double x);
double secant(double x);
double cosecant(double x);
double sinh(double x);
double cosh(double x);
double tanh(double x);
double arcSinh(double x);
double arcCosh(double x);
double arcTanh(double x);

// Statistics over a list of numbers: an open array (script/open_array.h) or a variant array.
double sum(const script::Value& data);
script::Value sumInt(const script::Value& data);
double sumOfSquares(const script::Value& data);
double mean(const script::Value& data);
double minValue(const script::Value& data);
double maxValue(const script::Value& data);
script::Value minIntValue(const script::Value& data);
script::Value maxIntValue(const script::Value& data);
double variance(const script::Value& data);
double stdDev(const script::Value& data);
double popnVariance(const script::Value& data);
double popnStdDev(const script::Value& data);
double norm(const script::Value& data);

} // namespace vorlan::stdlib::math
