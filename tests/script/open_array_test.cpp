// Open-array and set arguments are read by the running program's dialect.
#include "script/open_array.h"

#include <gtest/gtest.h>

using namespace vorlan::script;

namespace {

Value numbers(std::vector<Value> items) {
    auto a = VarArray::create(0, static_cast<std::int32_t>(items.size()) - 1);
    a->items() = std::move(items);
    return Value(a);
}

std::size_t sizeOf(const Value& v) {
    return OpenArray(v).size();
}

struct LanguageReset {
    ~LanguageReset() { setProgramLanguage(""); }
};

} // namespace

TEST(OpenArray, TheDialectDecidesWhetherTheLastElementCounts) {
    const LanguageReset reset;
    const Value literal = numbers({Value(1), Value(2), Value()}); // [1, 2] from Pascal
    const Value full = numbers({Value(1), Value(2), Value(3)});
    setProgramLanguageOfModule("C:\\PROG\\MAIN.zlm");
    EXPECT_TRUE(programIsPascal());
    EXPECT_EQ(sizeOf(literal), 2u);
    EXPECT_EQ(sizeOf(full), 2u);               // the rule is by dialect, not by content
    EXPECT_EQ(sizeOf(numbers({Value()})), 0u); // []
    setProgramLanguage("PMB");
    EXPECT_FALSE(programIsPascal());
    EXPECT_EQ(sizeOf(literal), 3u);
    EXPECT_EQ(sizeOf(full), 3u);
    // Before a program has started, a trailing empty element is the one a literal adds.
    setProgramLanguage("");
    EXPECT_FALSE(programLanguageKnown());
    EXPECT_EQ(sizeOf(literal), 2u);
    EXPECT_EQ(sizeOf(full), 3u);
    // A value that is no array is a list of itself; nothing is an empty list.
    EXPECT_EQ(sizeOf(Value("x")), 1u);
    EXPECT_EQ(OpenArray(Value("x"))[0].asString(), "x");
    EXPECT_EQ(sizeOf(Value()), 0u);
}

TEST(OpenArray, SetsAsOrdinalListsOrMasks) {
    const LanguageReset reset;
    setProgramLanguage("ZLM");
    EXPECT_EQ(setMask(numbers({Value(0), Value(3), Value()})), 0b1001u);
    EXPECT_EQ(setMask(numbers({Value(40), Value(-1), Value("x"), Value(1), Value()})), 0b10u);
    EXPECT_EQ(setMask(Value(std::int32_t{6})), 6u); // MkSet's mask
    EXPECT_EQ(setMask(Value()), 0u);
    EXPECT_EQ(setMask(Value("abc")), 0u);
    setProgramLanguage("TRX");
    EXPECT_EQ(setMask(numbers({Value(0), Value(3)})), 0b1001u);
}
