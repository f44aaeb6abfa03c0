#include "dbf/expr.h"

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

constexpr std::size_t kMaxString = 1u << 20; // results beyond this are refused, not allocated
constexpr int kMaxDepth = 200;

enum class Fn {
    Upper,
    Lower,
    Substr,
    Left,
    Right,
    Trim,
    Ltrim,
    Rtrim,
    Alltrim,
    Str,
    Strzero,
    Val,
    Dtos,
    Dtoc,
    Ctod,
    Date,
    Year,
    Month,
    Day,
    Iif,
    Deleted,
    Recno,
    Empty,
    Len,
    Space,
    Replicate,
    At,
    Descend,
    Abs,
    Int,
    Round,
    Max,
    Min,
};

struct FnInfo {
    const char* name;
    Fn fn;
    int minArgs;
    int maxArgs;
};

constexpr FnInfo kFunctions[] = {
    {"UPPER", Fn::Upper, 1, 1},
    {"LOWER", Fn::Lower, 1, 1},
    {"SUBSTR", Fn::Substr, 2, 3},
    {"LEFT", Fn::Left, 2, 2},
    {"RIGHT", Fn::Right, 2, 2},
    {"TRIM", Fn::Trim, 1, 1},
    {"LTRIM", Fn::Ltrim, 1, 1},
    {"RTRIM", Fn::Rtrim, 1, 1},
    {"ALLTRIM", Fn::Alltrim, 1, 1},
    {"STR", Fn::Str, 1, 3},
    {"STRZERO", Fn::Strzero, 1, 3},
    {"VAL", Fn::Val, 1, 1},
    {"DTOS", Fn::Dtos, 1, 1},
    {"DTOC", Fn::Dtoc, 1, 1},
    {"CTOD", Fn::Ctod, 1, 1},
    {"DATE", Fn::Date, 0, 0},
    {"YEAR", Fn::Year, 1, 1},
    {"MONTH", Fn::Month, 1, 1},
    {"DAY", Fn::Day, 1, 1},
    {"IIF", Fn::Iif, 3, 3},
    {"IF", Fn::Iif, 3, 3},
    {"DELETED", Fn::Deleted, 0, 0},
    {"RECNO", Fn::Recno, 0, 0},
    {"EMPTY", Fn::Empty, 1, 1},
    {"LEN", Fn::Len, 1, 1},
    {"SPACE", Fn::Space, 1, 1},
    {"REPLICATE", Fn::Replicate, 2, 2},
    {"AT", Fn::At, 2, 2},
    {"DESCEND", Fn::Descend, 1, 1},
    {"ABS", Fn::Abs, 1, 1},
    {"INT", Fn::Int, 1, 1},
    {"ROUND", Fn::Round, 2, 2},
    {"MAX", Fn::Max, 2, 2},
    {"MIN", Fn::Min, 2, 2},
};

enum class Op {
    Const,
    Field,
    Neg,
    Not,
    Add,
    Sub,
    Mul,
    Div,
    Mod,
    Pow,
    Eq,
    ExactEq,
    Ne,
    Lt,
    Gt,
    Le,
    Ge,
    Contains,
    And,
    Or,
    Call,
};

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

} // namespace

struct ExprNode {
    Op op = Op::Const;
    ValueType type = ValueType::Logical;
    int width = 0;    // character width, or numeric text width
    int decimals = 0; // numeric decimals
    XValue value;     // Const
    int field = -1;   // Field
    Fn fn = Fn::Upper;
    std::vector<std::unique_ptr<ExprNode>> args;
};

namespace {

using NodePtr = std::unique_ptr<ExprNode>;

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
            if (++p_.depth_ > kMaxDepth) p_.error(czech("výraz je vnořen příliš hluboko"));
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

    static int constInt(const ExprNode& n, int fallback) {
        if (n.op == Op::Const && n.type == ValueType::Numeric)
            return static_cast<int>(std::clamp(n.value.num, 0.0, 1e6));
        return fallback;
    }

    NodePtr parseCall(const std::string& name, std::size_t start) {
        const FnInfo* info = nullptr;
        for (const auto& f : kFunctions) {
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
        auto need = [&](std::size_t i, ValueType t) {
            if (args[i]->type != t)
                error(czech("argument ") + std::to_string(i + 1) + czech(" funkce ") +
                      std::string(info->name) + czech(" musí být ") + typeName(t));
        };
        NodePtr n = make(Op::Call, ValueType::Char);
        n->fn = info->fn;
        switch (info->fn) {
        case Fn::Upper:
        case Fn::Lower:
        case Fn::Trim:
        case Fn::Ltrim:
        case Fn::Rtrim:
        case Fn::Alltrim:
            need(0, ValueType::Char);
            n->width = args[0]->width;
            break;
        case Fn::Substr:
            need(0, ValueType::Char);
            need(1, ValueType::Numeric);
            if (args.size() > 2) need(2, ValueType::Numeric);
            n->width = args.size() > 2 ? constInt(*args[2], args[0]->width)
                                       : std::max(0, args[0]->width - constInt(*args[1], 1) + 1);
            break;
        case Fn::Left:
        case Fn::Right:
            need(0, ValueType::Char);
            need(1, ValueType::Numeric);
            n->width = std::min(args[0]->width, constInt(*args[1], args[0]->width));
            break;
        case Fn::Str:
        case Fn::Strzero:
            need(0, ValueType::Numeric);
            if (args.size() > 1) need(1, ValueType::Numeric);
            if (args.size() > 2) need(2, ValueType::Numeric);
            n->width = args.size() > 1 ? constInt(*args[1], 10)
                                       : (args[0]->op == Op::Field ? args[0]->width : 10);
            break;
        case Fn::Val:
            need(0, ValueType::Char);
            n->type = ValueType::Numeric;
            n->width = 10;
            break;
        case Fn::Dtos:
            need(0, ValueType::Date);
            n->width = 8;
            break;
        case Fn::Dtoc:
            need(0, ValueType::Date);
            n->width = settings().century ? 10 : 8;
            break;
        case Fn::Ctod:
            need(0, ValueType::Char);
            n->type = ValueType::Date;
            break;
        case Fn::Date:
            n->type = ValueType::Date;
            break;
        case Fn::Year:
        case Fn::Month:
        case Fn::Day:
            need(0, ValueType::Date);
            n->type = ValueType::Numeric;
            n->width = info->fn == Fn::Year ? 5 : 3;
            break;
        case Fn::Iif:
            need(0, ValueType::Logical);
            if (args[1]->type != args[2]->type) error(czech("obě větve IIF musí mít stejný typ"));
            n->type = args[1]->type;
            n->width = std::max(args[1]->width, args[2]->width);
            n->decimals = std::max(args[1]->decimals, args[2]->decimals);
            break;
        case Fn::Deleted:
        case Fn::Empty:
            n->type = ValueType::Logical;
            break;
        case Fn::Recno:
            n->type = ValueType::Numeric;
            n->width = 7;
            break;
        case Fn::Len:
            need(0, ValueType::Char);
            n->type = ValueType::Numeric;
            n->width = 5;
            break;
        case Fn::Space:
            need(0, ValueType::Numeric);
            n->width = constInt(*args[0], 0);
            break;
        case Fn::Replicate:
            need(0, ValueType::Char);
            need(1, ValueType::Numeric);
            n->width = args[0]->width * constInt(*args[1], 1);
            break;
        case Fn::At:
            need(0, ValueType::Char);
            need(1, ValueType::Char);
            n->type = ValueType::Numeric;
            n->width = 5;
            break;
        case Fn::Descend:
            n->type = args[0]->type == ValueType::Char ? ValueType::Char : ValueType::Numeric;
            if (args[0]->type == ValueType::Logical)
                error(czech("DESCEND nepřijímá logickou hodnotu"));
            n->width = args[0]->width;
            n->decimals = args[0]->decimals;
            break;
        case Fn::Abs:
        case Fn::Int:
            need(0, ValueType::Numeric);
            n->type = ValueType::Numeric;
            n->width = args[0]->width;
            n->decimals = info->fn == Fn::Int ? 0 : args[0]->decimals;
            break;
        case Fn::Round:
            need(0, ValueType::Numeric);
            need(1, ValueType::Numeric);
            n->type = ValueType::Numeric;
            n->width = args[0]->width;
            n->decimals = constInt(*args[1], args[0]->decimals);
            break;
        case Fn::Max:
        case Fn::Min:
            if (args[0]->type != args[1]->type || args[0]->type == ValueType::Char ||
                args[0]->type == ValueType::Logical)
                error(std::string(info->name) + " needs two numbers or two dates");
            n->type = args[0]->type;
            n->width = std::max(args[0]->width, args[1]->width);
            break;
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

[[noreturn]] void evalError(const std::string& what) {
    throw DbfError(czech("chyba při vyhodnocení výrazu: ") + what);
}

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

std::string checkedString(std::size_t size) {
    if (size > kMaxString) evalError(czech("výsledný řetězec je příliš dlouhý"));
    return std::string(size, ' ');
}

XValue eval(const ExprNode& n, const RecordSource* src);

XValue callFunction(const ExprNode& n, const RecordSource* src) {
    std::vector<XValue> a;
    if (n.fn != Fn::Iif) {
        a.reserve(n.args.size());
        for (const auto& arg : n.args)
            a.push_back(eval(*arg, src));
    }
    auto num = [&](std::size_t i) { return a[i].num; };
    auto clampInt = [](double v) -> long long {
        if (!(v == v)) return 0;
        return static_cast<long long>(std::clamp(v, -1e12, 1e12));
    };
    switch (n.fn) {
    case Fn::Upper:
        return XValue::text(upperCase(a[0].str));
    case Fn::Lower:
        return XValue::text(lowerCase(a[0].str));
    case Fn::Substr: {
        const std::string& s = a[0].str;
        long long start = clampInt(num(1));
        if (start < 0) start = static_cast<long long>(s.size()) + start + 1; // from the end
        if (start < 1) start = 1;
        if (static_cast<std::size_t>(start) > s.size()) return XValue::text("");
        long long len = a.size() > 2 ? clampInt(num(2)) : static_cast<long long>(s.size());
        if (len <= 0) return XValue::text("");
        return XValue::text(
            s.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(len)));
    }
    case Fn::Left: {
        const long long len = clampInt(num(1));
        if (len <= 0) return XValue::text("");
        return XValue::text(a[0].str.substr(0, static_cast<std::size_t>(len)));
    }
    case Fn::Right: {
        const long long len = clampInt(num(1));
        if (len <= 0) return XValue::text("");
        const std::string& s = a[0].str;
        const std::size_t l = std::min(s.size(), static_cast<std::size_t>(len));
        return XValue::text(s.substr(s.size() - l));
    }
    case Fn::Trim:
    case Fn::Rtrim:
        return XValue::text(std::string(trimRight(a[0].str)));
    case Fn::Ltrim:
        return XValue::text(std::string(trimLeft(a[0].str)));
    case Fn::Alltrim:
        return XValue::text(std::string(trimLeft(trimRight(a[0].str))));
    case Fn::Str:
    case Fn::Strzero: {
        int width = 10, dec = 0;
        if (n.args[0]->op == Op::Field) {
            width = n.args[0]->width;
            dec = n.args[0]->decimals;
        }
        if (a.size() > 1) {
            width = static_cast<int>(std::clamp(num(1), 0.0, 255.0));
            dec = 0;
        }
        if (a.size() > 2) dec = static_cast<int>(std::clamp(num(2), 0.0, 15.0));
        std::string s = formatNumber(num(0), width, dec);
        if (n.fn == Fn::Strzero) {
            const bool neg = s.find('-') != std::string::npos;
            for (auto& ch : s)
                if (ch == ' ' || ch == '-') ch = '0';
            if (neg && !s.empty()) s[0] = '-';
        }
        return XValue::text(std::move(s));
    }
    case Fn::Val:
        return XValue::number(parseNumber(a[0].str));
    case Fn::Dtos:
        return XValue::text(dateToDtos(a[0].date));
    case Fn::Dtoc:
        return XValue::text(dateToText(a[0].date));
    case Fn::Ctod:
        return XValue::dateValue(dateFromText(a[0].str));
    case Fn::Date:
        return XValue::dateValue(today());
    case Fn::Year:
    case Fn::Month:
    case Fn::Day: {
        if (a[0].date <= 0) return XValue::number(0);
        int y = 0, m = 0, d = 0;
        ymdFromJulian(a[0].date, y, m, d);
        return XValue::number(n.fn == Fn::Year ? y : (n.fn == Fn::Month ? m : d));
    }
    case Fn::Iif: {
        const XValue c = eval(*n.args[0], src);
        return eval(*n.args[c.log ? 1 : 2], src);
    }
    case Fn::Deleted:
        return XValue::logical(src && src->recordDeleted());
    case Fn::Recno:
        return XValue::number(src ? src->recordNumber() : 0);
    case Fn::Empty:
        switch (a[0].type) {
        case ValueType::Char:
            return XValue::logical(std::all_of(a[0].str.begin(), a[0].str.end(), [](char ch) {
                return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n' || ch == '\0';
            }));
        case ValueType::Numeric:
            return XValue::logical(a[0].num == 0);
        case ValueType::Date:
            return XValue::logical(a[0].date == 0);
        case ValueType::Logical:
            return XValue::logical(!a[0].log);
        }
        break;
    case Fn::Len:
        return XValue::number(static_cast<double>(a[0].str.size()));
    case Fn::Space:
        return XValue::text(
            checkedString(static_cast<std::size_t>(std::max(0LL, clampInt(num(0))))));
    case Fn::Replicate: {
        const long long times = std::max(0LL, clampInt(num(1)));
        if (a[0].str.empty() || times == 0) return XValue::text("");
        if (static_cast<unsigned long long>(times) > kMaxString / a[0].str.size())
            evalError(czech("výsledný řetězec je příliš dlouhý"));
        std::string out;
        out.reserve(a[0].str.size() * static_cast<std::size_t>(times));
        for (long long i = 0; i < times; ++i)
            out += a[0].str;
        return XValue::text(std::move(out));
    }
    case Fn::At: {
        if (a[0].str.empty()) return XValue::number(0);
        const std::size_t p = a[1].str.find(a[0].str);
        return XValue::number(p == std::string::npos ? 0.0 : static_cast<double>(p + 1));
    }
    case Fn::Descend:
        switch (a[0].type) {
        case ValueType::Char: {
            std::string s = a[0].str;
            for (auto& ch : s)
                ch = static_cast<char>(256 - static_cast<unsigned char>(ch));
            return XValue::text(std::move(s));
        }
        case ValueType::Numeric:
            return XValue::number(-a[0].num);
        case ValueType::Date:
            return XValue::number(-static_cast<double>(a[0].date));
        default:
            break;
        }
        break;
    case Fn::Abs:
        return XValue::number(std::fabs(num(0)));
    case Fn::Int:
        return XValue::number(std::trunc(num(0)));
    case Fn::Round: {
        const double p = std::pow(10.0, std::clamp(num(1), -15.0, 15.0));
        return XValue::number(std::round(num(0) * p) / p);
    }
    case Fn::Max:
        return compareValues(a[0], a[1]) >= 0 ? a[0] : a[1];
    case Fn::Min:
        return compareValues(a[0], a[1]) <= 0 ? a[0] : a[1];
    }
    evalError(czech("chybné volání funkce"));
}

// Date arithmetic; a result outside the years 1 to 9999 is the empty date.
std::int32_t addDays(std::int32_t date, double days) {
    if (date == 0 || !std::isfinite(days)) return 0;
    const double r = static_cast<double>(date) + std::trunc(days);
    if (r < julianFromYmd(1, 1, 1) || r > julianFromYmd(9999, 12, 31)) return 0;
    return static_cast<std::int32_t>(r);
}

XValue eval(const ExprNode& n, const RecordSource* src) {
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

} // namespace

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
