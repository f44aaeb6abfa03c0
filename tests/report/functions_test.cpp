#include "memory_record.h"

#include "core/cp1250.h"
#include "report/functions.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace vorlan::report;
using namespace vorlan::report::testing;
using vorlan::czech;

namespace {

// User functions stepped over the records 2, 4, 9 of a field X.
class FunctionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        record.fields = {{"X", true, "0"}};
        report.setDataSource(&record);
    }
    TRadekFunkce& add(std::int32_t aggregate, std::string expression = "#X") {
        return report.functions().add({.name = "F" + std::to_string(report.functions().count()),
                                       .expression = std::move(expression),
                                       .aggregate = aggregate});
    }
    void run(std::initializer_list<const char*> values) {
        report.functions().markReset(-1);
        for (const char* v : values) {
            record.fields[0].text = v;
            report.stepFunctions();
        }
    }
    double value(int i) { return report.functions().item(i)->value().number; }

    MemoryRecord record;
    TSestavaD report;
};

TEST_F(FunctionsTest, EightAggregates) {
    for (std::int32_t a = 0; a <= 7; ++a)
        add(a);
    run({"2", "4", "9"});
    EXPECT_EQ(value(0), 9);
    EXPECT_EQ(value(1), 3);
    EXPECT_EQ(value(2), 15);
    EXPECT_EQ(value(3), 5);
    EXPECT_EQ(value(4), 2);
    EXPECT_EQ(value(5), 9);
    EXPECT_NEAR(value(6), std::sqrt(13.0), 1e-12);
    EXPECT_NEAR(value(7), 3 * std::sqrt(13.0) / 15, 1e-12);
    EXPECT_EQ(report.functions().item(2)->value().text, "15");
}

TEST_F(FunctionsTest, FewRecordsAndDegenerateData) {
    add(static_cast<std::int32_t>(Aggregate::Average))
        .setDefinition({.name = "A", .expression = "#X", .initialValue = "7", .aggregate = 3});
    add(static_cast<std::int32_t>(Aggregate::StdDeviation));
    add(static_cast<std::int32_t>(Aggregate::RelativeDeviation));
    // Before any record the reset shows the initial value.
    report.functions().markReset(-1);
    report.functions().item(0)->applyPendingReset();
    EXPECT_EQ(value(0), 7);
    EXPECT_EQ(report.functions().item(0)->value().text, "7");

    run({"5"});
    EXPECT_EQ(value(0), 5);
    EXPECT_EQ(report.functions().item(1)->value(), ReportValue{});
    // Equal values: a variance that rounding may push below zero is still a deviation of 0.
    run({"0.1", "0.1", "0.1"});
    EXPECT_NEAR(value(1), 0, 1e-6);
    EXPECT_FALSE(std::isnan(value(1)));
    EXPECT_FALSE(std::isnan(value(2)));
    // A relative deviation around a zero sum is cleared.
    run({"-1", "1"});
    EXPECT_EQ(report.functions().item(2)->value(), ReportValue{});
}

TEST_F(FunctionsTest, ResetsTakeEffectAtTheNextStep) {
    TRadekFunkce& perPage = add(2);
    perPage.setDefinition(
        {.name = "Strana", .expression = "#X", .reset = kResetPage, .aggregate = 2});
    TRadekFunkce& perGroup = add(2);
    perGroup.setDefinition(
        {.name = "Skup", .expression = "#X", .reset = resetAtGroup(1), .aggregate = 2});
    run({"1", "2"});
    report.functions().markReset(kResetPage);
    EXPECT_TRUE(perPage.resetPending());
    EXPECT_FALSE(perGroup.resetPending());
    EXPECT_EQ(perPage.value().number, 3); // still shown until the next step
    record.fields[0].text = "10";
    report.stepFunctions();
    EXPECT_EQ(perPage.value().number, 10);
    EXPECT_EQ(perGroup.value().number, 13);
    report.functions().markReset(resetAtGroup(1));
    report.stepFunctions();
    EXPECT_EQ(perGroup.value().number, 10);
}

TEST_F(FunctionsTest, StepOrderAndFailedExpressions) {
    add(0, "#X");
    add(0, "@1 + @3"); // the first as of this record, the third as of the previous one
    add(0, "#X * 100");
    run({"1", "2"});
    EXPECT_EQ(value(1), 2 + 100);
    // An expression that fails clears the value, but a count does not evaluate at all.
    add(0, "1/0");
    add(static_cast<std::int32_t>(Aggregate::Count), "1/0");
    run({"3"});
    EXPECT_EQ(report.functions().item(3)->value(), ReportValue{});
    EXPECT_EQ(value(4), 1);
}

TEST_F(FunctionsTest, ValueAsTextInItsFormat) {
    TRadekFunkce& f = add(0, "1234.5");
    const std::pair<std::int32_t, std::string> formats[] = {
        {0, "1234,5"},   {1, "1,23450000000000E+03"}, {2, "1234,50"},
        {3, "1 234,50"}, {4, czech("1 234,50 Kč")},   {9, "1234,50"}};
    for (const auto& [format, expected] : formats) {
        f.setDefinition({.name = "F", .expression = "1234.5", .format = format});
        f.step(report.evaluator());
        EXPECT_EQ(f.valueText(), expected) << format;
    }
    f.setDefinition({.name = "F", .expression = "'abc'", .type = 1});
    f.step(report.evaluator());
    EXPECT_EQ(f.valueText(), "abc");
    EXPECT_EQ(f.definition().format, 2);
}

TEST(FunctionList, AddressedByPositionAndName) {
    TListFunkci list;
    list.add({.name = "Suma"});
    list.add({.name = "Pocet"});
    EXPECT_EQ(list.indexOf("SUMA"), 0);
    EXPECT_EQ(list.indexOf("pocet"), 1);
    EXPECT_EQ(list.indexOf("x"), -1);
    EXPECT_EQ(list.item(2), nullptr);
    EXPECT_EQ(list.item(-1), nullptr);
    EXPECT_EQ(list.text(5), "????");
    list.deleteLast();
    EXPECT_EQ(list.count(), 1);
    const TRadekFunkce fresh;
    EXPECT_EQ(fresh.definition(), FunctionDefinition{});
    EXPECT_EQ(fresh.definition().width, 15);
    EXPECT_EQ(aggregateName(6), czech("Směrodat.odch."));
    EXPECT_EQ(resetName(3), "Skupiny 2");
}

} // namespace
