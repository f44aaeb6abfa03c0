#pragma once
// The report's expression language: values, the callback through which an expression reads the
// running report, and the evaluator.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vorlan::report {

enum class ValueKind : std::uint8_t { Untyped = 0, Number = 1, String = 2 };

// Every value carries both a number and a text (at most 255 characters).
struct ReportValue {
    static constexpr std::size_t kMaxText = 255;

    ValueKind kind = ValueKind::Untyped;
    double number = 0;
    std::string text;

    void clear() { *this = ReportValue{}; }
    void setText(std::string_view t) { text.assign(t.substr(0, kMaxText)); }
    // A number with its general text.
    static ReportValue ofNumber(double n);
    // A text; its number is 0 unless `withNumber`, then the text read as a number.
    static ReportValue ofText(std::string_view t, bool withNumber = false);
    bool operator==(const ReportValue&) const = default;
};

// Request codes of the value callback.
namespace request {
constexpr int kReserved = 1;
constexpr int kFieldIndex = 2;
constexpr int kFunctionIndex = 3;
constexpr int kParameter = 2000;
constexpr int kField = 4000;
constexpr int kFunction = 6000;
} // namespace request

// What an expression reads from outside itself; the running report implements it. Indexes are
// 0-based. A value that does not exist leaves `out` cleared.
class ExpressionHost {
public:
    virtual ~ExpressionHost() = default;
    // -1 when there is no field or function of that name.
    virtual int fieldIndexOf(std::string_view name) = 0;
    virtual int functionIndexOf(std::string_view name) = 0;
    // Text = the parameter, number = the text read as a number, kind untyped.
    virtual void parameterValue(int index, ReportValue& out) = 0;
    // Number and text of the field in the current record; kind String for a string field,
    // Number for a numeric one, Untyped otherwise.
    virtual void fieldValue(int index, ReportValue& out) = 0;
    virtual void functionValue(int index, ReportValue& out) = 0;
};

// The callback by request code: 2 and 3 answer an index (-1 when absent), 2000+i, 4000+i and
// 6000+i fill `value` and answer 0, anything else answers -1.
int hostRequest(ExpressionHost& host, int code, std::string_view name, ReportValue& value);

// Error codes of an evaluation.
enum ExprError : int {
    kOk = 0,
    kUnknownIdentifier = 1,
    kSyntax = 2,
    kStackOverflow = 3,
    kTooFewOpening = 4,
    kMissingClosing = 5,
    kNumeric = 6,
    kBadNumber = 7,
    kTooManyVariables = 8,
    kBadVariableName = 9,
    kCommaExpected = 10,
    kTooManyCommas = 11,
    kBadString = 12,
    kBadSet = 13,
    kCancelled = 14,
};

// The Czech message of an error code (Windows-1250); empty for 0 and unknown codes.
std::string expressionErrorMessage(int code);

struct EvalResult {
    ReportValue value;
    int error = kOk;
    int position = 0; // 1-based character where the error was found
};

// Built-in functions by code (1 ABS … 25 ACOTG).
struct BuiltinFunction {
    int code;
    const char* name;
    int maxCommas;
};
const std::vector<BuiltinFunction>& builtinFunctions();
// The designer's operator list: "ABS()", "MAX(,)", …
std::vector<std::string> builtinFunctionTemplates();

constexpr int kStackLimit = 20;
constexpr std::size_t kMaxExpression = 255;

// Evaluates expressions against a host. Each evaluation keeps its parse state to itself, so an
// evaluation that the host starts from inside a callback (one user function reading another)
// leaves the outer one undisturbed.
class Evaluator {
public:
    explicit Evaluator(ExpressionHost* host = nullptr) : host_(host) {}
    void setHost(ExpressionHost* host) { host_ = host; }
    ExpressionHost* host() const { return host_; }

    // An empty expression gives a cleared value without error. Text beyond 255 characters is
    // not read.
    EvalResult evaluate(std::string_view expression) const;

    // A comma-separated list of string literals, references and numbers (picture names): each
    // item's value. An unterminated literal or a bad reference gives error 13 (set) at the
    // item; `error` and `position` are filled then.
    std::vector<ReportValue> itemList(std::string_view text, int* error = nullptr,
                                      int* position = nullptr) const;

private:
    ExpressionHost* host_;
};

} // namespace vorlan::report
