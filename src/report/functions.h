#pragma once
// User functions of a report: an expression over fields, parameters and other functions,
// optionally aggregated over the records of the run.

#include "report/expression.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vorlan::report {

enum class FunctionType : std::int32_t { Number = 0, String = 1 };

// Reset moments: 0 start of the report, 1 page breaks, 2 + g every start of group g.
constexpr std::int32_t kResetReport = 0;
constexpr std::int32_t kResetPage = 1;
constexpr std::int32_t resetAtGroup(std::int32_t group) {
    return 2 + group;
}

enum class Aggregate : std::int32_t {
    None = 0,
    Count = 1,
    Sum = 2,
    Average = 3,
    Minimum = 4,
    Maximum = 5,
    StdDeviation = 6,
    RelativeDeviation = 7,
};

struct FunctionDefinition {
    std::string name = "Funkce";
    std::string description = "Funkce";
    std::string expression{};
    std::int32_t type = 0;
    std::string initialValue = "0";
    std::int32_t reset = kResetReport;
    std::int32_t aggregate = 0;
    std::int32_t width = 15;
    std::int32_t decimals = 2;
    std::int32_t format = 2;
    bool operator==(const FunctionDefinition&) const = default;
};

// Czech names the designer offers, in stored numbering (Windows-1250).
std::string functionTypeName(std::int32_t type);
std::string aggregateName(std::int32_t aggregate);
std::string resetName(std::int32_t reset);

// TRadekFunkce ("function row"): one user function of a report.
class TRadekFunkce {
public:
    TRadekFunkce();

    // All fields at once; a format above 4 becomes 2, and the value's kind follows the type.
    void setDefinition(const FunctionDefinition& definition);
    const FunctionDefinition& definition() const { return def_; }
    const std::string& name() const { return def_.name; }

    // Marks the function for reset when `moment` is its reset moment, or always when negative.
    // The reset takes effect at the next step.
    void markReset(std::int32_t moment);
    bool resetPending() const { return resetPending_; }
    void applyPendingReset();

    // One record: a pending reset, the expression (unless counting) and the aggregate.
    void step(const Evaluator& evaluator);

    const ReportValue& value() const { return value_; }
    // Number functions in their output format (width as precision, decimals after the
    // separator); text functions give their text.
    std::string valueText() const;

    std::int32_t count() const { return count_; }

private:
    FunctionDefinition def_;
    ReportValue value_;
    std::int32_t count_ = 0;
    double sum_ = 0;
    double sumSquares_ = 0;
    bool resetPending_ = false;
};

// TListFunkci ("list of functions"): the functions of a report, in order; addressed by position or
// by name (any letter case).
class TListFunkci {
public:
    TRadekFunkce& add(const FunctionDefinition& definition = {});
    // nullptr when out of range.
    TRadekFunkce* item(int index);
    const TRadekFunkce* item(int index) const;
    int count() const { return static_cast<int>(items_.size()); }
    void deleteLast();
    void clear() { items_.clear(); }
    int indexOf(std::string_view name) const;
    void markReset(std::int32_t moment);
    // Every function in list order, so a function sees those before it already stepped.
    void stepAll(const Evaluator& evaluator);
    // "????" out of range.
    std::string text(int index) const;

private:
    std::vector<std::unique_ptr<TRadekFunkce>> items_;
};

} // namespace vorlan::report
