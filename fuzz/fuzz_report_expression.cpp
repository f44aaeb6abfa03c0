// Any text evaluated as a report expression, read as an item list and used as a format mask
// gives a result or an error code with a position inside the text, never a crash.
#include "report/expression.h"
#include "report/number_text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace vorlan::report;

namespace {

// Fields, parameters and functions of a small record; function 1 evaluates an expression of
// its own on demand, so nested evaluations are exercised too.
class FuzzHost : public ExpressionHost {
public:
    Evaluator evaluator{this};
    int depth = 0;

    int fieldIndexOf(std::string_view name) override {
        return name.size() % 4 == 0 ? -1 : static_cast<int>(name.size() % 3);
    }
    int functionIndexOf(std::string_view name) override { return name.size() % 2 ? 0 : 1; }
    void parameterValue(int index, ReportValue& out) override {
        out.clear();
        if (index == 0) out.setText("3.5");
    }
    void fieldValue(int index, ReportValue& out) override {
        out = index == 1 ? ReportValue::ofText("Abc, d") : ReportValue::ofNumber(index * 1.25);
    }
    void functionValue(int index, ReportValue& out) override {
        out.clear();
        if (index == 1 && depth < 3) {
            ++depth;
            out = evaluator.evaluate("@2 + #1 * 2").value;
            --depth;
        }
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    FuzzHost host;
    const EvalResult r = host.evaluator.evaluate(text);
    if (r.error < 0 || r.error > kCancelled) std::abort();
    if (r.error != kOk &&
        (r.position < 1 ||
         r.position > static_cast<int>(std::min(text.size(), kMaxExpression)) + 1))
        std::abort();
    if (r.value.text.size() > ReportValue::kMaxText) std::abort();
    if (r.error == kOk && r.value.kind == ValueKind::Number &&
        r.value.text != generalText(r.value.number))
        std::abort();
    host.evaluator.itemList(text);
    formatMask(1234.5678, text.substr(0, 300));
    formatMask(-0.001, text.substr(0, 300));
    formatMask(0, text.substr(0, 300));
    return 0;
}
