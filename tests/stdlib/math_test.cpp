#include "script/dispatch.h"
#include "stdlib/math_routines.h"

#include <gtest/gtest.h>

using namespace vorlan::stdlib;
using vorlan::script::ScriptException;
using vorlan::script::Value;
using vorlan::script::VarArray;

namespace {

// A Pascal literal [a, b, ...]: one element more than written, left empty.
Value pascalArray(std::initializer_list<double> xs) {
    auto a = VarArray::create(0, static_cast<std::int32_t>(xs.size()));
    std::size_t i = 0;
    for (double x : xs)
        a->items()[i++] = Value(x);
    return Value(a);
}

Value scriptArray(std::initializer_list<double> xs) {
    auto a = VarArray::create(0, static_cast<std::int32_t>(xs.size()) - 1);
    std::size_t i = 0;
    for (double x : xs)
        a->items()[i++] = Value(x);
    return Value(a);
}

} // namespace

// The expected values are those of the reference compiler's Math unit for Double arguments.
TEST(MathUnit, RoundingAsTheReferenceLibrary) {
    EXPECT_DOUBLE_EQ(math::roundTo(1.235, -2), 1.24);
    EXPECT_DOUBLE_EQ(math::roundTo(1.245, -2), 1.25);
    EXPECT_DOUBLE_EQ(math::roundTo(0.125, -2), 0.12);
    EXPECT_DOUBLE_EQ(math::roundTo(1.005, -2), 1);
    EXPECT_DOUBLE_EQ(math::simpleRoundTo(0.125, -2), 0.13);
    EXPECT_DOUBLE_EQ(math::simpleRoundTo(1.005, -2), 1);
    EXPECT_DOUBLE_EQ(math::simpleRoundTo(2.345, -2), 2.35);
    EXPECT_DOUBLE_EQ(math::roundTo(1234567, 3), 1235000);
    EXPECT_DOUBLE_EQ(math::roundTo(2.5, 0), 2);
    EXPECT_DOUBLE_EQ(math::simpleRoundTo(1.235, -2), 1.24);
    EXPECT_DOUBLE_EQ(math::simpleRoundTo(-1.235, -2), -1.24);
    EXPECT_DOUBLE_EQ(math::simpleRoundTo(2.5, 0), 3);
    EXPECT_THROW(math::roundTo(1, 38), ScriptException);
    EXPECT_EQ(math::floorOf(-2.5), -3);
    EXPECT_EQ(math::ceilOf(-2.5), -2);
    EXPECT_EQ(math::ceilOf(2.1), 3);
    EXPECT_THROW(math::floorOf(3e9), ScriptException);
}

TEST(MathUnit, PowersLogarithmsAndTheirErrors) {
    EXPECT_DOUBLE_EQ(math::power(2, 10), 1024);
    EXPECT_DOUBLE_EQ(math::power(-8, 3), -512);
    EXPECT_DOUBLE_EQ(math::power(0, 0), 1);
    EXPECT_DOUBLE_EQ(math::intPower(2, -2), 0.25);
    EXPECT_THROW(math::power(-8, 0.5), ScriptException);
    EXPECT_THROW(math::power(0, -1), ScriptException);
    EXPECT_THROW(math::intPower(1e200, 3), ScriptException);
    EXPECT_DOUBLE_EQ(math::log10Of(1000), 3);
    EXPECT_DOUBLE_EQ(math::log2Of(8), 3);
    EXPECT_NEAR(math::logN(3, 81), 4, 1e-15);
    EXPECT_THROW(math::log10Of(0), ScriptException);
    EXPECT_THROW(math::log2Of(-1), ScriptException);
    EXPECT_THROW(math::logN(1, 5), ScriptException);
    EXPECT_THROW(math::arcCos(1.5), ScriptException);
    EXPECT_THROW(math::cot(0), ScriptException);
    EXPECT_NEAR(math::cot(1), 0.642092615934331, 1e-15);
    EXPECT_DOUBLE_EQ(math::hypot(3, 4), 5);
}

TEST(MathUnit, StatisticsReadOpenArraysAndScriptArrays) {
    // The element a Pascal literal adds is not part of the data; arrays of the other dialects
    // pass all of theirs.
    EXPECT_DOUBLE_EQ(math::mean(pascalArray({1, 2, 4})), 7.0 / 3);
    EXPECT_DOUBLE_EQ(math::mean(scriptArray({1, 2, 4})), 7.0 / 3);
    EXPECT_DOUBLE_EQ(math::sum(pascalArray({1, 2.5})), 3.5);
    EXPECT_DOUBLE_EQ(math::minValue(pascalArray({3, -1, 2})), -1);
    EXPECT_DOUBLE_EQ(math::maxValue(scriptArray({3, -1, 2})), 3);
    EXPECT_NEAR(math::variance(pascalArray({1, 2, 4})), 2.33333333333333, 1e-12);
    EXPECT_NEAR(math::stdDev(pascalArray({1, 2, 4})), 1.52752523165195, 1e-12);
    EXPECT_NEAR(math::popnVariance(pascalArray({1, 2, 4})), 1.55555555555556, 1e-12);
    EXPECT_DOUBLE_EQ(math::variance(pascalArray({5})), 0);
    EXPECT_EQ(math::sumInt(pascalArray({1, 2, 3})).toInt(), 6);
    EXPECT_EQ(math::maxIntValue(pascalArray({1, 7, 3})).toInt(), 7);
    EXPECT_THROW(math::mean(pascalArray({})), ScriptException);
    EXPECT_THROW(math::minValue(Value()), ScriptException);
    EXPECT_DOUBLE_EQ(math::sum(pascalArray({})), 0);
}

TEST(MathUnit, RangesSignsAndComparisons) {
    EXPECT_TRUE(math::inRange(Value(5), Value(1), Value(5)));
    EXPECT_FALSE(math::inRange(Value(5.5), Value(1), Value(5)));
    const Value clamped = math::ensureRange(Value(12), Value(1), Value(10));
    EXPECT_TRUE(clamped.isInteger());
    EXPECT_EQ(clamped.asInt(), 10);
    EXPECT_EQ(math::sign(-3.0), -1);
    EXPECT_EQ(math::sign(0.0), 0);
    EXPECT_TRUE(math::sameValue(0.1 + 0.2, 0.3, 0));
    EXPECT_FALSE(math::sameValue(1, 1.001, 0));
    EXPECT_TRUE(math::sameValue(1, 1.001, 0.01));
    EXPECT_EQ(math::compareValue(1, 2, 0), -1);
    EXPECT_TRUE(math::isZero(1e-13, 0));
}
