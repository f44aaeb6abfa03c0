#include "report/expression.h"

#include "core/cp1250.h"
#include "report/number_text.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <numbers>

namespace vorlan::report {

ReportValue ReportValue::ofNumber(double n) {
    ReportValue v;
    v.kind = ValueKind::Number;
    v.number = n;
    v.text = generalText(n);
    return v;
}

ReportValue ReportValue::ofText(std::string_view t, bool withNumber) {
    ReportValue v;
    v.kind = ValueKind::String;
    v.setText(t);
    if (withNumber) v.number = textToNumber(v.text);
    return v;
}

int hostRequest(ExpressionHost& host, int code, std::string_view name, ReportValue& value) {
    if (code == request::kFieldIndex) return host.fieldIndexOf(name);
    if (code == request::kFunctionIndex) return host.functionIndexOf(name);
    if (code >= request::kParameter && code < request::kField) {
        host.parameterValue(code - request::kParameter, value);
        return 0;
    }
    if (code >= request::kField && code < request::kFunction) {
        host.fieldValue(code - request::kField, value);
        return 0;
    }
    if (code >= request::kFunction) {
        host.functionValue(code - request::kFunction, value);
        return 0;
    }
    return -1;
}

std::string expressionErrorMessage(int code) {
    static const char* const kMessages[] = {
        "",
        "Neznamý identifikátor",
        "Syntaktická chyba",
        "Přetečení zásobníku",
        "Málo otevíracích závorek",
        "Chybí uzavírací závorky",
        "Numerická chyba",
        "Chybný zápis čísla",
        "Příliš mnoho proměnných",
        "Chybnný název proměnné",
        "Očekávám čárku",
        "Příliš mnoho čárek",
        "Chybný zápis řetězce",
        "Chybný zápis množiny",
        "Ukončeno uživatelem",
    };
    if (code <= 0 || code >= static_cast<int>(std::size(kMessages))) return {};
    return czech(kMessages[code]);
}

const std::vector<BuiltinFunction>& builtinFunctions() {
    static const std::vector<BuiltinFunction> table = {
        {1, "ABS", 0},    {2, "INT", 0},    {3, "SGN", 0},    {4, "MAX", 1},      {5, "MIN", 1},
        {6, "IIF", 2},    {7, "LEFT", 1},   {8, "RIGHT", 1},  {9, "SUBSTR", 2},   {10, "UPPER", 0},
        {11, "LOWER", 0}, {12, "LTRIM", 0}, {13, "RTRIM", 0}, {14, "ALLTRIM", 0}, {15, "FORMAT", 1},
        {16, "SIN", 0},   {17, "COS", 0},   {18, "TAN", 0},   {19, "COTG", 0},    {20, "EXP", 0},
        {21, "LOG", 0},   {22, "ASIN", 0},  {23, "ACOS", 0},  {24, "ATAN", 0},    {25, "ACOTG", 0},
    };
    return table;
}

std::vector<std::string> builtinFunctionTemplates() {
    std::vector<std::string> out;
    for (const BuiltinFunction& f : builtinFunctions())
        out.push_back(std::string(f.name) + "(" +
                      std::string(static_cast<std::size_t>(f.maxCommas), ',') + ")");
    return out;
}

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool isIdentChar(char c) {
    return isLetter(c) || isDigit(c) || c == '_';
}
bool isRefPrefix(char c) {
    return c == '#' || c == '&' || c == '@';
}

enum class Op { Neg, Not, Pow, Mul, Div, And, Add, Sub, Or, Eq, Ne, Lt, Gt, Le, Ge, In };

int priorityOf(Op op) {
    switch (op) {
    case Op::Neg:
    case Op::Not:
        return 5;
    case Op::Pow:
        return 4;
    case Op::Mul:
    case Op::Div:
    case Op::And:
        return 3;
    case Op::Add:
    case Op::Sub:
    case Op::Or:
        return 2;
    default:
        return 1;
    }
}

bool isUnary(Op op) {
    return op == Op::Neg || op == Op::Not;
}

std::string trimBlanks(std::string_view s, bool left, bool right) {
    std::size_t b = 0, e = s.size();
    if (left)
        while (b < e && s[b] == ' ')
            ++b;
    if (right)
        while (e > b && s[e - 1] == ' ')
            --e;
    return std::string(s.substr(b, e - b));
}

int clampToInt(double d) {
    if (std::isnan(d)) return 0;
    if (d > 1e9) return 1000000000;
    if (d < -1e9) return -1000000000;
    return static_cast<int>(d);
}

// Reads a reference ("#3", "&1", "@NAME") at `pos` (on the prefix) and fetches its value.
// Returns false on a malformed reference; `pos` is left after it.
bool readReference(ExpressionHost* host, std::string_view s, std::size_t& pos, ReportValue& out) {
    const char prefix = s[pos++];
    int number = 0;
    if (pos < s.size() && isDigit(s[pos])) {
        std::size_t digits = 0;
        while (pos < s.size() && isDigit(s[pos]) && digits < 3) {
            number = number * 10 + (s[pos] - '0');
            ++pos;
            ++digits;
        }
        if (pos < s.size() && isIdentChar(s[pos])) return false;
    } else if (pos < s.size() && (isLetter(s[pos]) || s[pos] == '_')) {
        const std::size_t start = pos;
        while (pos < s.size() && isIdentChar(s[pos]))
            ++pos;
        const std::string_view name = s.substr(start, pos - start);
        int index = -1;
        if (host && prefix == '#')
            index = host->fieldIndexOf(name);
        else if (host && prefix == '@')
            index = host->functionIndexOf(name);
        number = index < 0 ? 0 : index + 1;
    } else {
        return false;
    }
    out.clear();
    // Number 0 (an unknown name, or "#0") names nothing: asking the host for the slot before
    // the first would read a neighbouring range of the callback.
    if (number == 0 || !host) return true;
    const int base = prefix == '#'   ? request::kField
                     : prefix == '&' ? request::kParameter
                                     : request::kFunction;
    hostRequest(*host, base + number - 1, {}, out);
    if (out.text.size() > ReportValue::kMaxText) out.text.resize(ReportValue::kMaxText);
    return true;
}

// Items of a comma-separated list: string literals, references, anything else read as a word.
bool parseItems(ExpressionHost* host, std::string_view s, std::vector<ReportValue>& items,
                std::size_t& errorAt) {
    std::size_t pos = 0;
    while (true) {
        while (pos < s.size() && s[pos] == ' ')
            ++pos;
        const std::size_t start = pos;
        ReportValue item;
        if (pos < s.size() && s[pos] == '\'') {
            const std::size_t close = s.find('\'', pos + 1);
            if (close == std::string_view::npos) {
                errorAt = start;
                return false;
            }
            item = ReportValue::ofText(s.substr(pos + 1, close - pos - 1));
            pos = close + 1;
        } else if (pos < s.size() && isRefPrefix(s[pos])) {
            if (!readReference(host, s, pos, item)) {
                errorAt = start;
                return false;
            }
        } else {
            const std::size_t comma = s.find(',', pos);
            const std::size_t end = comma == std::string_view::npos ? s.size() : comma;
            const std::string word = trimBlanks(s.substr(pos, end - pos), false, true);
            item.kind = ValueKind::Untyped;
            item.setText(word);
            item.number = textToNumber(word);
            pos = end;
        }
        while (pos < s.size() && s[pos] == ' ')
            ++pos;
        items.push_back(std::move(item));
        if (pos >= s.size()) return true;
        if (s[pos] != ',') {
            errorAt = pos;
            return false;
        }
        ++pos;
    }
}

struct OpEntry {
    enum class Type { Operator, Paren, Function } type;
    Op op = Op::Add;
    int priority = 0;
    int code = 0;      // function code
    int maxCommas = 0; // function
    int commas = 0;
    std::size_t operandBase = 0;
};

// The state of one evaluation.
class Parse {
public:
    Parse(ExpressionHost* host, std::string_view text)
        : host_(host), s_(text.substr(0, kMaxExpression)) {}

    EvalResult run() {
        EvalResult result;
        if (!scan()) {
            result.error = error_;
            result.position = errorPos_;
            return result;
        }
        if (!operands_.empty()) result.value = operands_.back();
        return result;
    }

private:
    bool fail(int code, std::size_t at) {
        if (error_ == kOk) {
            error_ = code;
            errorPos_ = static_cast<int>(at) + 1;
        }
        return false;
    }

    bool pushOperand(ReportValue v, std::size_t at) {
        if (!expectOperand_) return fail(kSyntax, at);
        if (operands_.size() >= static_cast<std::size_t>(kStackLimit))
            return fail(kStackOverflow, at);
        operands_.push_back(std::move(v));
        expectOperand_ = false;
        return true;
    }

    bool pushOp(OpEntry e, std::size_t at) {
        if (ops_.size() >= static_cast<std::size_t>(kStackLimit)) return fail(kStackOverflow, at);
        ops_.push_back(e);
        return true;
    }

    bool numeric(double d, ReportValue& out, std::size_t at) {
        // An overflow or a value outside a function's domain is a numeric error, never an
        // infinite or undefined number printed on the report.
        if (!std::isfinite(d)) return fail(kNumeric, at);
        out = ReportValue::ofNumber(d);
        return true;
    }

    bool applyOperator(Op op, std::size_t at) {
        const std::size_t need = isUnary(op) ? 1 : 2;
        if (operands_.size() < need) return fail(kSyntax, at);
        ReportValue b = std::move(operands_.back());
        operands_.pop_back();
        if (isUnary(op)) {
            ReportValue r;
            if (op == Op::Neg) {
                if (!numeric(-b.number, r, at)) return false;
            } else {
                r = ReportValue::ofNumber(b.number <= 0 ? 1 : 0);
            }
            operands_.push_back(std::move(r));
            return true;
        }
        ReportValue a = std::move(operands_.back());
        operands_.pop_back();
        ReportValue r;
        const bool bothText = a.kind == ValueKind::String && b.kind == ValueKind::String;
        switch (op) {
        case Op::Add:
            if (a.kind == ValueKind::String || b.kind == ValueKind::String)
                r = ReportValue::ofText(a.text + b.text);
            else if (!numeric(a.number + b.number, r, at))
                return false;
            break;
        case Op::Sub:
            if (!numeric(a.number - b.number, r, at)) return false;
            break;
        case Op::Mul:
            if (!numeric(a.number * b.number, r, at)) return false;
            break;
        case Op::Div:
            if (b.number == 0) return fail(kNumeric, at);
            if (!numeric(a.number / b.number, r, at)) return false;
            break;
        case Op::Pow:
            if (a.number <= 0) return fail(kNumeric, at);
            // exp(b·ln a), computed without the rounding of the logarithm (2^3^2 is 64 exactly).
            if (!numeric(std::pow(a.number, b.number), r, at)) return false;
            break;
        case Op::And:
            r = ReportValue::ofNumber(a.number > 0 && b.number > 0 ? 1 : 0);
            break;
        case Op::Or:
            r = ReportValue::ofNumber(a.number > 0 || b.number > 0 ? 1 : 0);
            break;
        case Op::Eq:
            r = ReportValue::ofNumber((bothText ? a.text == b.text : a.number == b.number) ? 1 : 0);
            break;
        case Op::Ne:
            r = ReportValue::ofNumber((bothText ? a.text != b.text : a.number != b.number) ? 1 : 0);
            break;
        case Op::Lt:
            r = ReportValue::ofNumber(a.number < b.number ? 1 : 0);
            break;
        case Op::Gt:
            r = ReportValue::ofNumber(a.number > b.number ? 1 : 0);
            break;
        case Op::Le:
            r = ReportValue::ofNumber(a.number <= b.number ? 1 : 0);
            break;
        case Op::Ge:
            r = ReportValue::ofNumber(a.number >= b.number ? 1 : 0);
            break;
        case Op::In: {
            std::vector<ReportValue> items;
            std::size_t ignored = 0;
            parseItems(host_, b.text, items, ignored); // a malformed tail simply has no items
            bool found = false;
            for (const ReportValue& item : items) {
                if (item.text == a.text || (item.number != 0 && item.number == a.number)) {
                    found = true;
                    break;
                }
            }
            r = ReportValue::ofNumber(found ? 1 : 0);
            break;
        }
        default:
            return fail(kSyntax, at);
        }
        operands_.push_back(std::move(r));
        return true;
    }

    bool applyFunction(const OpEntry& f, std::size_t at) {
        const std::size_t argc = operands_.size() - f.operandBase;
        if (argc < static_cast<std::size_t>(f.maxCommas) + 1) return fail(kCommaExpected, at);
        std::vector<ReportValue> args(
            operands_.begin() + static_cast<std::ptrdiff_t>(f.operandBase), operands_.end());
        operands_.resize(f.operandBase);
        const double x = args[0].number;
        const std::string& s = args[0].text;
        ReportValue r;
        switch (f.code) {
        case 1:
            r = ReportValue::ofNumber(std::fabs(x));
            break;
        case 2:
            r = ReportValue::ofNumber(std::trunc(x));
            break;
        case 3:
            r = ReportValue::ofNumber(x > 0 ? 1 : x < 0 ? -1 : 0);
            break;
        case 4:
            r = ReportValue::ofNumber(x > args[1].number ? x : args[1].number);
            break;
        case 5:
            r = ReportValue::ofNumber(x < args[1].number ? x : args[1].number);
            break;
        case 6:
            r = x > 0 ? args[1] : args[2];
            break;
        case 7: {
            const int n = clampToInt(args[1].number);
            r = ReportValue::ofText(n <= 0 ? std::string()
                                           : s.substr(0, static_cast<std::size_t>(n)));
            break;
        }
        case 8: {
            const int n = clampToInt(args[1].number);
            const std::size_t k = n <= 0 ? 0 : std::min(s.size(), static_cast<std::size_t>(n));
            r = ReportValue::ofText(s.substr(s.size() - k));
            break;
        }
        case 9: {
            int start = clampToInt(args[1].number);
            const int n = clampToInt(args[2].number);
            if (start < 1) start = 1;
            std::string part;
            if (n > 0 && static_cast<std::size_t>(start) <= s.size())
                part = s.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(n));
            r = ReportValue::ofText(part);
            break;
        }
        case 10:
            r = ReportValue::ofText(upperCase(s));
            break;
        case 11:
            r = ReportValue::ofText(lowerCase(s));
            break;
        case 12:
            r = ReportValue::ofText(trimBlanks(s, true, false), true);
            break;
        case 13:
            r = ReportValue::ofText(trimBlanks(s, false, true), true);
            break;
        case 14:
            r = ReportValue::ofText(trimBlanks(s, true, true), true);
            break;
        case 15:
            r = ReportValue::ofText(formatMask(x, args[1].text));
            break;
        case 16:
            if (!numeric(std::sin(x), r, at)) return false;
            break;
        case 17:
            if (!numeric(std::cos(x), r, at)) return false;
            break;
        case 18:
            if (std::cos(x) == 0) return fail(kNumeric, at);
            if (!numeric(std::sin(x) / std::cos(x), r, at)) return false;
            break;
        case 19:
            if (std::sin(x) == 0) return fail(kNumeric, at);
            if (!numeric(std::cos(x) / std::sin(x), r, at)) return false;
            break;
        case 20:
            if (!numeric(std::exp(x), r, at)) return false;
            break;
        case 21:
            // The natural logarithm; it is defined for positive numbers only.
            if (x <= 0) return fail(kNumeric, at);
            if (!numeric(std::log(x), r, at)) return false;
            break;
        case 22:
            if (!numeric(std::asin(x), r, at)) return false;
            break;
        case 23:
            if (!numeric(std::acos(x), r, at)) return false;
            break;
        case 24:
            if (!numeric(std::atan(x), r, at)) return false;
            break;
        case 25:
            if (!numeric(std::numbers::pi / 2 - std::atan(x), r, at)) return false;
            break;
        default:
            return fail(kSyntax, at);
        }
        operands_.push_back(std::move(r));
        return true;
    }

    // Applies operators down to the nearest parenthesis or function entry (left on the stack).
    bool applyToGroup(std::size_t at) {
        while (!ops_.empty() && ops_.back().type == OpEntry::Type::Operator) {
            const Op op = ops_.back().op;
            ops_.pop_back();
            if (!applyOperator(op, at)) return false;
        }
        return true;
    }

    bool binary(Op op, std::size_t at) {
        if (expectOperand_) {
            if (op == Op::Sub) return unary(Op::Neg, at);
            return fail(kSyntax, at);
        }
        const int priority = priorityOf(op);
        while (!ops_.empty() && ops_.back().type == OpEntry::Type::Operator &&
               ops_.back().priority >= priority) {
            const Op top = ops_.back().op;
            ops_.pop_back();
            if (!applyOperator(top, at)) return false;
        }
        if (!pushOp({OpEntry::Type::Operator, op, priority}, at)) return false;
        expectOperand_ = true;
        return true;
    }

    bool unary(Op op, std::size_t at) {
        if (!expectOperand_) return fail(kSyntax, at);
        // A prefix operator applies to what follows, so nothing on the stack is applied yet.
        return pushOp({OpEntry::Type::Operator, op, priorityOf(op)}, at);
    }

    bool readNumber(std::size_t& pos) {
        const std::size_t start = pos;
        while (pos < s_.size() && isDigit(s_[pos]))
            ++pos;
        if (pos < s_.size() && s_[pos] == '.') {
            ++pos;
            if (pos >= s_.size() || !isDigit(s_[pos])) return fail(kBadNumber, start);
            while (pos < s_.size() && isDigit(s_[pos]))
                ++pos;
        }
        if (pos < s_.size() && (s_[pos] == 'E' || s_[pos] == 'e')) {
            ++pos;
            if (pos < s_.size() && (s_[pos] == '+' || s_[pos] == '-')) ++pos;
            std::size_t digits = 0;
            while (pos < s_.size() && isDigit(s_[pos]) && digits < 2) {
                ++pos;
                ++digits;
            }
            if (digits == 0) return fail(kBadNumber, start);
        }
        if (pos < s_.size() && (isIdentChar(s_[pos]) || isRefPrefix(s_[pos]) || s_[pos] == '.'))
            return fail(kBadNumber, start);
        std::string literal(s_.substr(start, pos - start));
        double v = 0;
        const auto r = std::from_chars(literal.data(), literal.data() + literal.size(), v);
        if (r.ec != std::errc() || !std::isfinite(v)) return fail(kBadNumber, start);
        return pushOperand(ReportValue::ofNumber(v), start);
    }

    bool closeParen(std::size_t at) {
        if (expectOperand_) return fail(kSyntax, at);
        if (!applyToGroup(at)) return false;
        if (ops_.empty()) return fail(kTooFewOpening, at);
        const OpEntry entry = ops_.back();
        ops_.pop_back();
        if (entry.type == OpEntry::Type::Function && !applyFunction(entry, at)) return false;
        expectOperand_ = false;
        return true;
    }

    bool comma(std::size_t at) {
        if (expectOperand_) return fail(kSyntax, at);
        if (!applyToGroup(at)) return false;
        if (ops_.empty() || ops_.back().type != OpEntry::Type::Function)
            return fail(kTooManyCommas, at);
        OpEntry& f = ops_.back();
        if (f.commas >= f.maxCommas) return fail(kTooManyCommas, at);
        ++f.commas;
        expectOperand_ = true;
        return true;
    }

    bool identifier(std::size_t& pos) {
        const std::size_t start = pos;
        while (pos < s_.size() && isIdentChar(s_[pos]))
            ++pos;
        std::string word(s_.substr(start, pos - start));
        for (char& c : word)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        for (const BuiltinFunction& f : builtinFunctions()) {
            if (word != f.name) continue;
            if (!expectOperand_) return fail(kSyntax, start);
            while (pos < s_.size() && s_[pos] == ' ')
                ++pos;
            if (pos >= s_.size() || s_[pos] != '(') return fail(kSyntax, pos);
            OpEntry e{OpEntry::Type::Function};
            e.code = f.code;
            e.maxCommas = f.maxCommas;
            e.operandBase = operands_.size();
            if (!pushOp(e, start)) return false;
            ++pos;
            return true;
        }
        if (word == "NOT") return unary(Op::Not, start);
        if (word == "AND") return binary(Op::And, start);
        if (word == "OR") return binary(Op::Or, start);
        if (word == "IN") return binary(Op::In, start);
        return fail(kUnknownIdentifier, start);
    }

    bool scan() {
        std::size_t pos = 0;
        bool any = false;
        while (true) {
            while (pos < s_.size() && s_[pos] == ' ')
                ++pos;
            if (pos >= s_.size()) break;
            any = true;
            const std::size_t start = pos;
            const char c = s_[pos];
            if (isDigit(c)) {
                if (!expectOperand_) return fail(kSyntax, start);
                if (!readNumber(pos)) return false;
            } else if (c == '.') {
                return fail(kBadNumber, start);
            } else if (c == '\'') {
                const std::size_t close = s_.find('\'', pos + 1);
                if (close == std::string_view::npos) return fail(kBadString, start);
                if (!pushOperand(ReportValue::ofText(s_.substr(pos + 1, close - pos - 1)), start))
                    return false;
                pos = close + 1;
            } else if (c == '[') {
                const std::size_t close = s_.find(']', pos + 1);
                if (close == std::string_view::npos) return fail(kBadSet, start);
                const std::string_view inner = s_.substr(pos + 1, close - pos - 1);
                std::vector<ReportValue> items;
                std::size_t errorAt = 0;
                if (!expectOperand_) return fail(kSyntax, start);
                if (!parseItems(host_, inner, items, errorAt))
                    return fail(kBadSet, pos + 1 + errorAt);
                if (!pushOperand(ReportValue::ofText(inner), start)) return false;
                pos = close + 1;
            } else if (isRefPrefix(c)) {
                if (!expectOperand_) return fail(kSyntax, start);
                ReportValue v;
                if (!readReference(host_, s_, pos, v)) return fail(kBadVariableName, start);
                if (!pushOperand(std::move(v), start)) return false;
            } else if (isLetter(c)) {
                if (!identifier(pos)) return false;
            } else if (c == '(') {
                if (!expectOperand_) return fail(kSyntax, start);
                if (!pushOp({OpEntry::Type::Paren}, start)) return false;
                ++pos;
            } else if (c == ')') {
                if (!closeParen(start)) return false;
                ++pos;
            } else if (c == ',') {
                if (!comma(start)) return false;
                ++pos;
            } else {
                Op op;
                std::size_t len = 1;
                const char next = pos + 1 < s_.size() ? s_[pos + 1] : '\0';
                switch (c) {
                case '*':
                    op = Op::Mul;
                    break;
                case '/':
                    op = Op::Div;
                    break;
                case '+':
                    op = Op::Add;
                    break;
                case '-':
                    op = Op::Sub;
                    break;
                case '^':
                    op = Op::Pow;
                    break;
                case '=':
                    op = Op::Eq;
                    break;
                case '<':
                    op = next == '>' ? Op::Ne : next == '=' ? Op::Le : Op::Lt;
                    len = op == Op::Lt ? 1 : 2;
                    break;
                case '>':
                    op = next == '=' ? Op::Ge : Op::Gt;
                    len = op == Op::Gt ? 1 : 2;
                    break;
                default:
                    return fail(kSyntax, start);
                }
                if (!binary(op, start)) return false;
                pos += len;
            }
        }
        if (!any) return true;
        const std::size_t end = s_.size();
        if (expectOperand_) return fail(kSyntax, end);
        while (!ops_.empty()) {
            const OpEntry e = ops_.back();
            ops_.pop_back();
            if (e.type != OpEntry::Type::Operator) return fail(kMissingClosing, end);
            if (!applyOperator(e.op, end)) return false;
        }
        if (operands_.size() != 1) return fail(kSyntax, end);
        return true;
    }

    ExpressionHost* host_;
    std::string_view s_;
    std::vector<ReportValue> operands_;
    std::vector<OpEntry> ops_;
    bool expectOperand_ = true;
    int error_ = kOk;
    int errorPos_ = 0;
};

} // namespace

EvalResult Evaluator::evaluate(std::string_view expression) const {
    return Parse(host_, expression).run();
}

std::vector<ReportValue> Evaluator::itemList(std::string_view text, int* error,
                                             int* position) const {
    std::vector<ReportValue> items;
    std::size_t errorAt = 0;
    const bool ok = parseItems(host_, text, items, errorAt);
    if (error) *error = ok ? kOk : kBadSet;
    if (position) *position = ok ? 0 : static_cast<int>(errorAt) + 1;
    return items;
}

} // namespace vorlan::report
