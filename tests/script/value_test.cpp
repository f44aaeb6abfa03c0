#include "script/value.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace vorlan::script;

TEST(Value, NumbersToTextUseDotAndFifteenDigits) {
    EXPECT_EQ(Value(3.75).toString(), "3.75");
    EXPECT_EQ(Value(1.0 / 3).toString(), "0.333333333333333");
    EXPECT_EQ(Value(2.0 / 3).toString(), "0.666666666666667");
    EXPECT_EQ(Value(100.0).toString(), "100");
    EXPECT_EQ(Value(-0.5).toString(), "-0.5");
    EXPECT_EQ(Value(1e20).toString(), "1E20");
    EXPECT_EQ(Value(1.5e-7).toString(), "1.5E-7");
    EXPECT_EQ(Value(0.0001).toString(), "0.0001");
    EXPECT_EQ(Value(123456789012345.0).toString(), "123456789012345");
    EXPECT_EQ(Value(Currency{12345}).toString(), "1.2345");
    EXPECT_EQ(Value(Currency{-50000}).toString(), "-5");
    EXPECT_EQ(Value(DateTime{36526.5}).toString(), "1.1.2000 12:00:00");
}

TEST(Value, NullEmptyAndBooleanText) {
    EXPECT_EQ(Value::null().toString(), "");
    EXPECT_EQ(Value().toString(), "");
    EXPECT_EQ(Value(true).toString(), "True");
    EXPECT_EQ(Value(false).toString(), "False");
    EXPECT_TRUE(Value("true").toBool());
    EXPECT_FALSE(Value(" False ").toBool());
    EXPECT_TRUE(Value("2").toBool());
    EXPECT_THROW(Value("maybe").toBool(), ValueError);
}

TEST(Value, ArithmeticPromotesAndConcatenates) {
    EXPECT_TRUE(binaryOp(BinaryOp::Add, Value(2), Value(3)).identical(Value(5)));
    EXPECT_TRUE(binaryOp(BinaryOp::Add, Value(2), Value(0.5)).identical(Value(2.5)));
    EXPECT_TRUE(binaryOp(BinaryOp::Add, Value("ab"), Value("cd")).identical(Value("abcd")));
    // A numeric string next to a number is a number.
    EXPECT_TRUE(binaryOp(BinaryOp::Add, Value("10"), Value(5)).identical(Value(15)));
    EXPECT_THROW(binaryOp(BinaryOp::Add, Value("x"), Value(5)), ValueError);
    // 32-bit overflow becomes a double instead of wrapping.
    EXPECT_TRUE(
        binaryOp(BinaryOp::Multiply, Value(65536), Value(65536)).identical(Value(4294967296.0)));
    EXPECT_TRUE(binaryOp(BinaryOp::Divide, Value(7), Value(2)).identical(Value(3.5)));
    EXPECT_TRUE(binaryOp(BinaryOp::IntDivide, Value(7), Value(2)).identical(Value(3)));
    EXPECT_TRUE(binaryOp(BinaryOp::Modulo, Value(-7), Value(2)).identical(Value(-1)));
    EXPECT_THROW(binaryOp(BinaryOp::Divide, Value(1), Value(0)), ValueError);
    EXPECT_THROW(binaryOp(BinaryOp::Modulo, Value(1), Value(0)), ValueError);
    EXPECT_TRUE(binaryOp(BinaryOp::Add, Value::null(), Value(1)).isNull());
    EXPECT_TRUE(binaryOp(BinaryOp::Add, Value(), Value(1)).identical(Value(1)));
    EXPECT_TRUE(negate(Value(INT32_MIN)).identical(Value(2147483648.0)));
    const Value sum = binaryOp(BinaryOp::Add, Value(Currency{10000}), Value(Currency{5000}));
    EXPECT_TRUE(sum.identical(Value(Currency{15000})));
    EXPECT_TRUE(
        binaryOp(BinaryOp::Add, Value(DateTime{10}), Value(1)).identical(Value(DateTime{11})));
}

TEST(Value, LogicOnBooleansBitsOnIntegers) {
    EXPECT_TRUE(binaryOp(BinaryOp::And, Value(true), Value(false)).identical(Value(false)));
    EXPECT_TRUE(binaryOp(BinaryOp::Or, Value(true), Value(false)).identical(Value(true)));
    EXPECT_TRUE(binaryOp(BinaryOp::Xor, Value(true), Value(true)).identical(Value(false)));
    EXPECT_TRUE(binaryOp(BinaryOp::And, Value(12), Value(10)).identical(Value(8)));
    EXPECT_TRUE(binaryOp(BinaryOp::Or, Value(12), Value(3)).identical(Value(15)));
    EXPECT_TRUE(logicalNot(Value(true)).identical(Value(false)));
    EXPECT_TRUE(logicalNot(Value(0)).identical(Value(-1)));
    EXPECT_TRUE(binaryOp(BinaryOp::ShiftLeft, Value(1), Value(4)).identical(Value(16)));
}

TEST(Value, Comparisons) {
    EXPECT_TRUE(compare(CompareOp::Less, Value(1), Value(1.5)).asBool());
    EXPECT_TRUE(compare(CompareOp::Equal, Value("abc"), Value("abc")).asBool());
    EXPECT_TRUE(compare(CompareOp::Less, Value("ABC"), Value("abc")).asBool()); // binary order
    EXPECT_TRUE(compare(CompareOp::Equal, Value(2), Value("2")).asBool());
    EXPECT_TRUE(compare(CompareOp::Equal, Value::null(), Value(1)).isNull());
    // An object variable equals 0 exactly when it holds no object.
    EXPECT_TRUE(compare(CompareOp::Equal, Value(ObjectRef()), Value(0)).asBool());
    EXPECT_TRUE(compare(CompareOp::Equal, Value(), Value("")).asBool());
}

TEST(Value, ConversionsRoundHalfToEven) {
    EXPECT_EQ(Value(2.5).toInt(), 2);
    EXPECT_EQ(Value(3.5).toInt(), 4);
    EXPECT_EQ(Value(-2.5).toInt(), -2);
    EXPECT_EQ(Value("  42 ").toInt(), 42);
    EXPECT_EQ(Value("$FF").toInt(), 255);
    EXPECT_THROW(Value(3e10).toInt(), ValueError);
    EXPECT_THROW(Value("12abc").toDouble(), ValueError);
    EXPECT_THROW(Value("nan").toDouble(), ValueError);
    EXPECT_DOUBLE_EQ(Value("1.5e3").toDouble(), 1500);
}

TEST(Value, ArraysHaveBoundsAndCopySemantics) {
    Value a(VarArray::create(1, 3));
    a.mutableArray().at(2) = Value("x");
    Value b = a; // shares until written
    b.mutableArray().at(2) = Value("y");
    EXPECT_EQ(a.asArray()->at(2).toString(), "x");
    EXPECT_EQ(b.asArray()->at(2).toString(), "y");
    EXPECT_THROW(a.mutableArray().at(0), ValueError);
    EXPECT_THROW(a.mutableArray().at(4), ValueError);
    VarArray grid({{0, 1}, {0, 2}});
    grid.at({1, 2}) = Value(7);
    EXPECT_EQ(grid.items().back().toInt(), 7);
    grid.redimPreserve(3);
    EXPECT_EQ(grid.size(), 8u);
    EXPECT_EQ(grid.at({1, 2}).toInt(), 7);
    EXPECT_THROW(VarArray({{0, 100000}, {0, 100000}}), ValueError); // absurd sizes are refused
}

TEST(Value, ChangesOfKindInPlaceKeepEachValueWhole) {
    // A slot that turns from number to Boolean to text and back, as the machines' temporaries do.
    Value v(5);
    v.setBool(true);
    EXPECT_TRUE(v.isBoolean() && v.asBool());
    v.setDouble(2.5);
    EXPECT_EQ(v.asDouble(), 2.5);
    v.clear();
    EXPECT_TRUE(v.isEmpty());
    v = Value(std::string(40, 'a'));
    v.setInt(7);
    EXPECT_EQ(v.asInt(), 7);

    // Text over text: a copy leaves the source as it was, a move hands the text over.
    Value source(std::string(50, 'x'));
    Value target(std::string("short"));
    target.assignFrom(source);
    EXPECT_EQ(target.asString(), std::string(50, 'x'));
    EXPECT_EQ(source.asString(), std::string(50, 'x'));
    Value other(std::string(60, 'y'));
    target.assignFrom(std::move(other));
    EXPECT_EQ(target.asString(), std::string(60, 'y'));
    target.assignFrom(target);
    EXPECT_EQ(target.asString(), std::string(60, 'y'));
    target.clear();
    EXPECT_TRUE(target.isEmpty());
    Value number(3);
    number.assignFrom(source);
    EXPECT_EQ(number.asString(), std::string(50, 'x'));
}
