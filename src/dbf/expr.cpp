#include "dbf/expr.h"
#include "dbf/expr_node.h"

#include "core/cp1250.h"
#include "dbf/file.h"
#include "dbf/settings.h"
#include "dbf/xbase_text.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace vorlan::dbf {

XValue XValue::text(std::string s) {
    XValue v;
    v.type = ValueType::Char;
    v.str = std::move(s);
    return v;
}
XValue XValue::number(double n) {
    XValue v;
    v.type = ValueType::Numeric;
    v.num = n;
    return v;
}
XValue XValue::dateValue(std::int32_t jd) {
    XValue v;
    v.type = ValueType::Date;
    v.date = jd;
    return v;
}
XValue XValue::logical(bool b) {
    XValue v;
    v.type = ValueType::Logical;
    v.log = b;
    return v;
}

namespace {

constexpr int kMaxNesting = 200;

} // namespace

namespace xbase {

std::string typeName(ValueType t) {
    switch (t) {
    case ValueType::Char:
        return czech("znak");
    case ValueType::Numeric:
        return czech("číslo");
    case ValueType::Logical:
        return czech("logickou hodnotu");
    case ValueType::Date:
        return czech("datum");
    }
    return "?";
}

} // namespace xbase

namespace {

using namespace xbase;

bool isIdentStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}
bool isIdentChar(char c) {
    return isIdentStart(c) || (c >= '0' && c <= '9');
}

class Parser {
public:
    Parser(std::string_view text, const RecordSource* src) : s_(text), src_(src) {}

    NodePtr parseAll() {
        NodePtr n = parseOr();
        skipSpace();
        if (pos_ < s_.size()) error(czech("nečekaný text"));
        return n;
    }

private:
    [[noreturn]] void error(const std::string& what) const {
        throw DbfError(czech("chyba výrazu na pozici ") + std::to_string(pos_ + 1) + ": " + what +
                       czech(" ve výrazu \"") + std::string(s_) + "\"");
    }

    void skipSpace() {
        while (pos_ < s_.size() &&
               (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\r' || s_[pos_] == '\n'))
            ++pos_;
    }

    // Matches a dotted word operator such as ".AND." case-insensitively.
    bool matchDotWord(std::string_view word) {
        skipSpace();
        if (pos_ + word.size() > s_.size()) return false;
        if (!equalsNoCase(s_.substr(pos_, word.size()), word)) return false;
        pos_ += word.size();
        return true;
    }

    bool match(std::string_view tok) {
        skipSpace();
        if (s_.substr(pos_, tok.size()) != tok) return false;
        pos_ += tok.size();
        return true;
    }

    struct DepthGuard {
        explicit DepthGuard(Parser& p) : p_(p) {
            if (++p_.depth_ > kMaxNesting) p_.error(czech("výraz je vnořen příliš hluboko"));
        }
        ~DepthGuard() { --p_.depth_; }
        Parser& p_;
    };

    NodePtr make(Op op, ValueType type) {
        auto n = std::make_unique<ExprNode>();
        n->op = op;
        n->type = type;
        return n;
    }

    NodePtr binary(Op op, NodePtr a, NodePtr b) {
        const ValueType ta = a->type, tb = b->type;
        auto mismatch = [&] {
            error(czech("operátor nelze použít na ") + typeName(ta) + " a " + typeName(tb));
        };
        NodePtr n;
        switch (op) {
        case Op::And:
        case Op::Or:
            if (ta != ValueType::Logical || tb != ValueType::Logical) mismatch();
            n = make(op, ValueType::Logical);
            break;
        case Op::Add:
            if (ta == ValueType::Char && tb == ValueType::Char) {
                n = make(op, ValueType::Char);
                n->width = a->width + b->width;
            } else if (ta == ValueType::Numeric && tb == ValueType::Numeric) {
                n = make(op, ValueType::Numeric);
            } else if ((ta == ValueType::Date && tb == ValueType::Numeric) ||
                       (ta == ValueType::Numeric && tb == ValueType::Date)) {
                n = make(op, ValueType::Date);
            } else {
                mismatch();
            }
            break;
        case Op::Sub:
            if (ta == ValueType::Char && tb == ValueType::Char) {
                n = make(op, ValueType::Char);
                n->width = a->width + b->width;
            } else if (ta == ValueType::Numeric && tb == ValueType::Numeric) {
                n = make(op, ValueType::Numeric);
            } else if (ta == ValueType::Date && tb == ValueType::Numeric) {
                n = make(op, ValueType::Date);
            } else if (ta == ValueType::Date && tb == ValueType::Date) {
                n = make(op, ValueType::Numeric);
            } else {
                mismatch();
            }
            break;
        case Op::Mul:
        case Op::Div:
        case Op::Mod:
        case Op::Pow:
            if (ta != ValueType::Numeric || tb != ValueType::Numeric) mismatch();
            n = make(op, ValueType::Numeric);
            break;
        case Op::Contains:
            if (ta != ValueType::Char || tb != ValueType::Char) mismatch();
            n = make(op, ValueType::Logical);
            break;
        default: // comparisons
            if (ta != tb) mismatch();
            n = make(op, ValueType::Logical);
            break;
        }
        if (n->type == ValueType::Numeric) {
            n->width = std::max({a->width, b->width, 10});
            n->decimals = std::max(a->decimals, b->decimals);
        }
        n->args.push_back(std::move(a));
        n->args.push_back(std::move(b));
        return n;
    }

    NodePtr parseOr() {
        DepthGuard g(*this);
        NodePtr n = parseAnd();
        while (matchDotWord(".OR."))
            n = binary(Op::Or, std::move(n), parseAnd());
        return n;
    }

    NodePtr parseAnd() {
        NodePtr n = parseNot();
        while (matchDotWord(".AND."))
            n = binary(Op::And, std::move(n), parseNot());
        return n;
    }

    NodePtr parseNot() {
        DepthGuard g(*this);
        if (matchDotWord(".NOT.") || matchNotBang()) {
            NodePtr a = parseNot();
            if (a->type != ValueType::Logical) error(czech(".NOT. potřebuje logický operand"));
            NodePtr n = make(Op::Not, ValueType::Logical);
            n->args.push_back(std::move(a));
            return n;
        }
        return parseRelation();
    }

    bool matchNotBang() {
        skipSpace();
        if (pos_ < s_.size() && s_[pos_] == '!' && (pos_ + 1 >= s_.size() || s_[pos_ + 1] != '=')) {
            ++pos_;
            return true;
        }
        return false;
    }

    NodePtr parseRelation() {
        NodePtr n = parseAdditive();
        for (;;) {
            Op op;
            if (match("=="))
                op = Op::ExactEq;
            else if (match("<>") || match("!=") || match("#"))
                op = Op::Ne;
            else if (match("<="))
                op = Op::Le;
            else if (match(">="))
                op = Op::Ge;
            else if (match("="))
                op = Op::Eq;
            else if (match("<"))
                op = Op::Lt;
            else if (match(">"))
                op = Op::Gt;
            else if (match("$"))
                op = Op::Contains;
            else
                return n;
            n = binary(op, std::move(n), parseAdditive());
        }
    }

    NodePtr parseAdditive() {
        NodePtr n = parseMultiplicative();
        for (;;) {
            if (match("+"))
                n = binary(Op::Add, std::move(n), parseMultiplicative());
            else if (match("-"))
                n = binary(Op::Sub, std::move(n), parseMultiplicative());
            else
                return n;
        }
    }

    NodePtr parseMultiplicative() {
        NodePtr n = parsePower();
        for (;;) {
            skipSpace();
            if (s_.substr(pos_, 2) == "**") return n; // handled by parsePower
            if (match("*"))
                n = binary(Op::Mul, std::move(n), parsePower());
            else if (match("/"))
                n = binary(Op::Div, std::move(n), parsePower());
            else if (match("%"))
                n = binary(Op::Mod, std::move(n), parsePower());
            else
                return n;
        }
    }

    NodePtr parsePower() {
        NodePtr n = parseUnary();
        // Left-associative, as xBase tools evaluate 2^3^2.
        while (match("**") || match("^"))
            n = binary(Op::Pow, std::move(n), parseUnary());
        return n;
    }

    NodePtr parseUnary() {
        DepthGuard g(*this);
        if (match("-")) {
            NodePtr a = parseUnary();
            if (a->type != ValueType::Numeric) error(czech("unární minus potřebuje číslo"));
            NodePtr n = make(Op::Neg, ValueType::Numeric);
            n->width = a->width;
            n->decimals = a->decimals;
            n->args.push_back(std::move(a));
            return n;
        }
        if (match("+")) {
            NodePtr a = parseUnary();
            if (a->type != ValueType::Numeric) error(czech("unární plus potřebuje číslo"));
            return a;
        }
        return parsePrimary();
    }

    NodePtr constant(XValue v) {
        NodePtr n = make(Op::Const, v.type);
        if (v.type == ValueType::Char) n->width = static_cast<int>(v.str.size());
        if (v.type == ValueType::Numeric) n->width = 10;
        n->value = std::move(v);
        return n;
    }

    NodePtr parsePrimary() {
        skipSpace();
        if (pos_ >= s_.size()) error(czech("výraz končí předčasně"));
        const char c = s_[pos_];
        if (c == '(') {
            ++pos_;
            NodePtr n = parseOr();
            if (!match(")")) error(czech("chybí )"));
            return n;
        }
        if (c == '"' || c == '\'' || c == '[') {
            const char close = c == '[' ? ']' : c;
            const std::size_t end = s_.find(close, pos_ + 1);
            if (end == std::string_view::npos) error(czech("neukončený řetězec"));
            std::string text(s_.substr(pos_ + 1, end - pos_ - 1));
            pos_ = end + 1;
            return constant(XValue::text(std::move(text)));
        }
        if (c == '{') {
            const std::size_t end = s_.find('}', pos_ + 1);
            if (end == std::string_view::npos) error(czech("neukončené datum"));
            std::string_view inner = trimLeft(trimRight(s_.substr(pos_ + 1, end - pos_ - 1)));
            std::int32_t jd = 0;
            if (!inner.empty() && inner[0] == '^') {
                // {^yyyy-mm-dd} reads the same in every date format.
                std::string digits;
                for (char d : inner.substr(1))
                    if (d >= '0' && d <= '9') digits += d;
                jd = dateFromDtos(digits);
                if (jd == 0) error(czech("neplatné datum"));
            } else if (!inner.empty()) {
                jd = dateFromText(inner);
                if (jd == 0) error(czech("neplatné datum"));
            }
            pos_ = end + 1;
            return constant(XValue::dateValue(jd));
        }
        if ((c >= '0' && c <= '9') ||
            (c == '.' && pos_ + 1 < s_.size() && s_[pos_ + 1] >= '0' && s_[pos_ + 1] <= '9')) {
            const std::size_t start = pos_;
            int decimals = 0;
            bool point = false;
            while (pos_ < s_.size() && ((s_[pos_] >= '0' && s_[pos_] <= '9') ||
                                        (s_[pos_] == '.' && !point && pos_ + 1 < s_.size() &&
                                         s_[pos_ + 1] >= '0' && s_[pos_ + 1] <= '9'))) {
                if (s_[pos_] == '.')
                    point = true;
                else if (point)
                    ++decimals;
                ++pos_;
            }
            NodePtr n = constant(XValue::number(parseNumber(s_.substr(start, pos_ - start))));
            n->decimals = decimals;
            return n;
        }
        if (c == '.') {
            // .T. .F. .Y. .N.
            if (pos_ + 2 < s_.size() && s_[pos_ + 2] == '.') {
                const char l =
                    static_cast<char>(cp1250Upper(static_cast<unsigned char>(s_[pos_ + 1])));
                if (l == 'T' || l == 'Y' || l == 'F' || l == 'N') {
                    pos_ += 3;
                    return constant(XValue::logical(l == 'T' || l == 'Y'));
                }
            }
            error(czech("neznámý operátor"));
        }
        if (isIdentStart(c)) {
            const std::size_t start = pos_;
            while (pos_ < s_.size() && isIdentChar(s_[pos_]))
                ++pos_;
            std::string name = upperCase(s_.substr(start, pos_ - start));
            if (match("(")) return parseCall(name, start);
            std::string alias;
            skipSpace();
            if (s_.substr(pos_, 2) == "->") {
                pos_ += 2;
                skipSpace();
                const std::size_t fstart = pos_;
                while (pos_ < s_.size() && isIdentChar(s_[pos_]))
                    ++pos_;
                if (fstart == pos_) error(czech("za -> má být jméno položky"));
                alias = name;
                name = upperCase(s_.substr(fstart, pos_ - fstart));
            }
            const int f = src_ ? src_->resolveField(alias, name) : -1;
            if (f < 0) {
                pos_ = start;
                error(czech("neznámá položka ") + (alias.empty() ? name : alias + "->" + name));
            }
            NodePtr n = make(Op::Field, ValueType::Char);
            n->field = f;
            const char t = src_->fieldTypeOf(f);
            switch (t) {
            case 'N':
            case 'F':
            case 'I':
            case 'B':
            case 'Y':
                n->type = ValueType::Numeric;
                break;
            case 'D':
            case 'T':
                n->type = ValueType::Date;
                break;
            case 'L':
                n->type = ValueType::Logical;
                break;
            default:
                n->type = ValueType::Char;
                break;
            }
            n->width = src_->fieldWidthOf(f);
            n->decimals = src_->fieldDecimalsOf(f);
            if (t == 'I') n->width = 11;
            if (t == 'B' || t == 'Y') n->width = 20;
            if (t == 'M' || t == 'G') n->width = 10;
            return n;
        }
        error(czech("nečekaný znak '") + c + "'");
    }

    NodePtr parseCall(const std::string& name, std::size_t start) {
        const Function* info = nullptr;
        for (const Function& f : functions()) {
            const std::string_view fname = f.name;
            // xBase tools accept a name shortened to four letters or more.
            if (fname == name || (name.size() >= 4 && fname.size() > name.size() &&
                                  fname.substr(0, name.size()) == name)) {
                info = &f;
                break;
            }
        }
        if (!info) {
            pos_ = start;
            error(czech("neznámá funkce ") + name);
        }
        std::vector<NodePtr> args;
        if (!match(")")) {
            do {
                args.push_back(parseOr());
            } while (match(","));
            if (!match(")")) error(czech("chybí ) za argumenty funkce ") + std::string(info->name));
        }
        if (static_cast<int>(args.size()) < info->minArgs ||
            static_cast<int>(args.size()) > info->maxArgs)
            error(czech("chybný počet argumentů funkce ") + std::string(info->name));
        NodePtr n = make(Op::Call, ValueType::Char);
        n->fn = info;
        CallShape shape{*n, args, *info};
        try {
            info->type(shape);
        } catch (const TypeRuleError& e) {
            error(e.message);
        }
        n->width = std::clamp(n->width, 0, static_cast<int>(kMaxString));
        n->args = std::move(args);
        return n;
    }

    std::string_view s_;
    const RecordSource* src_;
    std::size_t pos_ = 0;
    int depth_ = 0;
};

int compareText(const std::string& a, const std::string& b) {
    const std::size_t n = std::max(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char ca = i < a.size() ? static_cast<unsigned char>(a[i]) : ' ';
        const unsigned char cb = i < b.size() ? static_cast<unsigned char>(b[i]) : ' ';
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    return 0;
}

// "=" on text: with exact off, the left side only has to begin with the right side.
bool textEquals(const std::string& a, const std::string& b) {
    if (settings().exact) return trimRight(a) == trimRight(b);
    if (b.size() > a.size()) return trimRight(b) == a;
    return a.compare(0, b.size(), b) == 0;
}

} // namespace

namespace xbase {

[[noreturn]] void evalError(const std::string& what) {
    throw DbfError(czech("chyba při vyhodnocení výrazu: ") + what);
}

int compareValues(const XValue& a, const XValue& b) {
    switch (a.type) {
    case ValueType::Char:
        return compareText(a.str, b.str);
    case ValueType::Numeric:
        return a.num < b.num ? -1 : (a.num > b.num ? 1 : 0);
    case ValueType::Date:
        return a.date < b.date ? -1 : (a.date > b.date ? 1 : 0);
    case ValueType::Logical:
        return static_cast<int>(a.log) - static_cast<int>(b.log);
    }
    return 0;
}

} // namespace xbase

namespace {

XValue callFunction(const ExprNode& n, const RecordSource* src) {
    std::vector<XValue> a;
    if (!n.fn->lazy) {
        a.reserve(n.args.size());
        for (const auto& arg : n.args)
            a.push_back(eval(*arg, src));
    }
    CallValues call{n, a, src};
    return n.fn->body(call);
}

// Date arithmetic; a result outside the years 1 to 9999 is the empty date.
std::int32_t addDays(std::int32_t date, double days) {
    if (date == 0 || !std::isfinite(days)) return 0;
    const double r = static_cast<double>(date) + std::trunc(days);
    if (r < julianFromYmd(1, 1, 1) || r > julianFromYmd(9999, 12, 31)) return 0;
    return static_cast<std::int32_t>(r);
}

} // namespace

XValue xbase::eval(const ExprNode& n, const RecordSource* src) {
    switch (n.op) {
    case Op::Const:
        return n.value;
    case Op::Field:
        if (!src) evalError(czech("položka nemá záznam"));
        return src->fieldValue(n.field);
    case Op::Neg: {
        XValue v = eval(*n.args[0], src);
        v.num = -v.num;
        return v;
    }
    case Op::Not:
        return XValue::logical(!eval(*n.args[0], src).log);
    case Op::And: {
        if (!eval(*n.args[0], src).log) return XValue::logical(false);
        return XValue::logical(eval(*n.args[1], src).log);
    }
    case Op::Or: {
        if (eval(*n.args[0], src).log) return XValue::logical(true);
        return XValue::logical(eval(*n.args[1], src).log);
    }
    case Op::Call:
        return callFunction(n, src);
    default:
        break;
    }
    XValue a = eval(*n.args[0], src);
    XValue b = eval(*n.args[1], src);
    switch (n.op) {
    case Op::Add:
        if (a.type == ValueType::Char) {
            if (a.str.size() + b.str.size() > kMaxString)
                evalError(czech("výsledný řetězec je příliš dlouhý"));
            a.str += b.str;
            return a;
        }
        if (a.type == ValueType::Date) return XValue::dateValue(addDays(a.date, b.num));
        if (b.type == ValueType::Date) return XValue::dateValue(addDays(b.date, a.num));
        return XValue::number(a.num + b.num);
    case Op::Sub:
        if (a.type == ValueType::Char) {
            // The left side's trailing blanks move to the end of the result.
            const std::string_view t = trimRight(a.str);
            const std::size_t blanks = a.str.size() - t.size();
            if (a.str.size() + b.str.size() > kMaxString)
                evalError(czech("výsledný řetězec je příliš dlouhý"));
            std::string out(t);
            out += b.str;
            out.append(blanks, ' ');
            return XValue::text(std::move(out));
        }
        if (a.type == ValueType::Date && b.type == ValueType::Date)
            return XValue::number(static_cast<double>(a.date) - b.date);
        if (a.type == ValueType::Date) return XValue::dateValue(addDays(a.date, -b.num));
        return XValue::number(a.num - b.num);
    case Op::Mul:
        return XValue::number(a.num * b.num);
    case Op::Div:
        if (b.num == 0) evalError(czech("dělení nulou"));
        return XValue::number(a.num / b.num);
    case Op::Mod:
        if (b.num == 0) evalError(czech("dělení nulou"));
        return XValue::number(std::fmod(a.num, b.num));
    case Op::Pow:
        return XValue::number(std::pow(a.num, b.num));
    case Op::Eq:
        if (a.type == ValueType::Char) return XValue::logical(textEquals(a.str, b.str));
        return XValue::logical(compareValues(a, b) == 0);
    case Op::ExactEq:
        if (a.type == ValueType::Char) return XValue::logical(a.str == b.str);
        return XValue::logical(compareValues(a, b) == 0);
    case Op::Ne:
        if (a.type == ValueType::Char) return XValue::logical(!textEquals(a.str, b.str));
        return XValue::logical(compareValues(a, b) != 0);
    case Op::Lt:
        return XValue::logical(compareValues(a, b) < 0);
    case Op::Gt:
        return XValue::logical(compareValues(a, b) > 0);
    case Op::Le:
        return XValue::logical(compareValues(a, b) <= 0);
    case Op::Ge:
        return XValue::logical(compareValues(a, b) >= 0);
    case Op::Contains:
        return XValue::logical(b.str.find(a.str) != std::string::npos);
    default:
        break;
    }
    evalError(czech("chybný operátor"));
}

Expression::Expression() = default;
Expression::~Expression() = default;
Expression::Expression(Expression&&) noexcept = default;
Expression& Expression::operator=(Expression&&) noexcept = default;

Expression Expression::compile(std::string_view text, const RecordSource* source) {
    if (trimLeft(trimRight(text)).empty()) throw DbfError(czech("chyba výrazu: prázdný výraz"));
    Parser p(text, source);
    Expression e;
    e.root_ = p.parseAll();
    e.text_ = std::string(text);
    return e;
}

ValueType Expression::type() const {
    return root_ ? root_->type : ValueType::Logical;
}
int Expression::width() const {
    return root_ ? root_->width : 0;
}
int Expression::decimals() const {
    return root_ ? root_->decimals : 0;
}

XValue Expression::evaluate(const RecordSource* source) const {
    if (!root_) throw DbfError(czech("chyba při vyhodnocení výrazu: prázdný výraz"));
    return eval(*root_, source);
}

bool Expression::test(const RecordSource* source) const {
    if (type() != ValueType::Logical) throw DbfError(czech("výraz není logický: ") + text_);
    return evaluate(source).log;
}

XValue evaluateConstant(std::string_view text) {
    return Expression::compile(text, nullptr).evaluate(nullptr);
}

} // namespace vorlan::dbf
