#include "report/functions.h"

#include "core/cp1250.h"
#include "report/number_text.h"

#include <cmath>

namespace vorlan::report {

std::string functionTypeName(std::int32_t type) {
    return type == 0 ? czech("Číselná") : type == 1 ? czech("Řetězcová") : std::string();
}

std::string aggregateName(std::int32_t aggregate) {
    static const char* const kNames[] = {"(Žádné)", "Počet",   "Součet",         "Průměr",
                                         "Minimum", "Maximum", "Směrodat.odch.", "Relat.sm.odch."};
    if (aggregate < 0 || aggregate >= static_cast<std::int32_t>(std::size(kNames))) return {};
    return czech(kNames[aggregate]);
}

std::string resetName(std::int32_t reset) {
    if (reset == kResetReport) return "Sestavy";
    if (reset == kResetPage) return czech("Stránky");
    if (reset >= 2) return "Skupiny " + std::to_string(reset - 1);
    return {};
}

TRadekFunkce::TRadekFunkce() {
    setDefinition({});
}

void TRadekFunkce::setDefinition(const FunctionDefinition& definition) {
    def_ = definition;
    if (def_.format < 0 || def_.format > 4) def_.format = 2;
    value_.kind = def_.type == 0   ? ValueKind::Number
                  : def_.type == 1 ? ValueKind::String
                                   : ValueKind::Untyped;
}

void TRadekFunkce::markReset(std::int32_t moment) {
    if (moment < 0 || moment == def_.reset) resetPending_ = true;
}

void TRadekFunkce::applyPendingReset() {
    if (!resetPending_) return;
    value_.number = textToNumber(def_.initialValue);
    value_.setText(def_.initialValue);
    count_ = 0;
    sum_ = 0;
    sumSquares_ = 0;
    resetPending_ = false;
}

void TRadekFunkce::step(const Evaluator& evaluator) {
    applyPendingReset();
    ReportValue x;
    if (def_.aggregate != static_cast<std::int32_t>(Aggregate::Count)) {
        EvalResult r = evaluator.evaluate(def_.expression);
        if (r.error == kOk) x = std::move(r.value);
    }
    ++count_;
    auto setNumber = [this](double n) {
        value_.number = n;
        value_.text = generalText(n);
    };
    // The deviation of the values so far; rounding can make the variance a hair below zero,
    // which is no reason for an undefined result.
    auto deviation = [this] {
        const double variance = (sumSquares_ - sum_ * sum_ / count_) / (count_ - 1);
        return variance > 0 ? std::sqrt(variance) : 0.0;
    };
    switch (static_cast<Aggregate>(def_.aggregate)) {
    case Aggregate::None:
        value_ = x;
        break;
    case Aggregate::Count:
        setNumber(count_);
        break;
    case Aggregate::Sum:
        sum_ += x.number;
        setNumber(sum_);
        break;
    case Aggregate::Average:
        sum_ += x.number;
        setNumber(sum_ / count_);
        break;
    case Aggregate::Minimum:
        if (count_ == 1 || x.number < value_.number) setNumber(x.number);
        break;
    case Aggregate::Maximum:
        if (count_ == 1 || x.number > value_.number) setNumber(x.number);
        break;
    case Aggregate::StdDeviation:
        sum_ += x.number;
        sumSquares_ += x.number * x.number;
        if (count_ >= 2)
            setNumber(deviation());
        else
            value_.clear();
        break;
    case Aggregate::RelativeDeviation:
        sum_ += x.number;
        sumSquares_ += x.number * x.number;
        if (count_ >= 2 && sum_ != 0)
            setNumber(count_ * deviation() / sum_);
        else
            value_.clear();
        break;
    default:
        break;
    }
}

std::string TRadekFunkce::valueText() const {
    if (def_.type == 0)
        return floatText(value_.number, static_cast<FloatFormat>(def_.format), def_.width,
                         def_.decimals);
    return value_.text;
}

TRadekFunkce& TListFunkci::add(const FunctionDefinition& definition) {
    items_.push_back(std::make_unique<TRadekFunkce>());
    items_.back()->setDefinition(definition);
    return *items_.back();
}

TRadekFunkce* TListFunkci::item(int index) {
    return index >= 0 && index < count() ? items_[static_cast<std::size_t>(index)].get() : nullptr;
}

const TRadekFunkce* TListFunkci::item(int index) const {
    return index >= 0 && index < count() ? items_[static_cast<std::size_t>(index)].get() : nullptr;
}

void TListFunkci::deleteLast() {
    if (!items_.empty()) items_.pop_back();
}

int TListFunkci::indexOf(std::string_view name) const {
    for (int i = 0; i < count(); ++i)
        if (equalsNoCase(items_[static_cast<std::size_t>(i)]->name(), name)) return i;
    return -1;
}

void TListFunkci::markReset(std::int32_t moment) {
    for (auto& f : items_)
        f->markReset(moment);
}

void TListFunkci::stepAll(const Evaluator& evaluator) {
    // By index: a host may look at the list while a step evaluates.
    for (std::size_t i = 0; i < items_.size(); ++i)
        items_[i]->step(evaluator);
}

std::string TListFunkci::text(int index) const {
    const TRadekFunkce* f = item(index);
    return f ? f->valueText() : std::string("????");
}

} // namespace vorlan::report
